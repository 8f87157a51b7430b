#pragma once
// The quick-start wizard's summary page text. Trel composes it in memory: writing it into a scratch file
// in the modification folder first would overwrite, and then delete, a file of the user's that happened
// to carry the scratch file's name.

#include <optional>
#include <string>

namespace trel {

/// The main window's texts the summary shows, as single-byte text.
struct WizardSummaryTexts {
    std::optional<std::string> map; // the selected entry of the start-map list; none when nothing is selected
    std::string gametype;           // the text the game-type box shows
    std::string timelimit;
    std::string maxgems;
    std::string gemgoal;
};

/// The map the summary names when no start map is selected.
inline constexpr const char* kWizardSummaryNoMap = "vorn01";

/// The ten summary lines, each ended by CR LF, exactly as a text file holding them reads back whole.
std::string ComposeWizardSummary(const WizardSummaryTexts& texts);

} // namespace trel
