#include "mdlwizard.h"

#include <array>

namespace trel {

std::string ComposeWizardSummary(const WizardSummaryTexts& texts) {
    const std::string map = texts.map.value_or(kWizardSummaryNoMap);
    // The game type follows its colon directly; the three values follow a blank.
    const std::array<std::string, 10> lines = {"The map you have chosen is",
                                               map,
                                               "",
                                               "You have chosen gametype :" + texts.gametype,
                                               "",
                                               "Timelimit : " + texts.timelimit,
                                               "",
                                               "Maximum gems : " + texts.maxgems,
                                               "",
                                               "Gem goal : " + texts.gemgoal};
    std::string summary;
    for (const std::string& line : lines) {
        summary += line;
        summary += "\r\n";
    }
    return summary;
}

} // namespace trel
