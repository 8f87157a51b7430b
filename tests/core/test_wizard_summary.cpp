// The wizard's summary: composed in memory, byte for byte what writing the ten lines into a scratch file
// and reading the file back whole gives.

#include "mdlwizard.h"
#include "test_helpers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace trel {
namespace {

// Writes the ten lines with CR LF into a scratch file in a test folder, reads it back whole, deletes it.
std::string ScratchFileRoundTrip(const test::TempDir& dir, const WizardSummaryTexts& t) {
    const std::filesystem::path scratch = dir / "temp.ini";
    {
        std::ofstream out(scratch, std::ios::binary | std::ios::trunc);
        for (const std::string& line :
             {std::string("The map you have chosen is"), t.map.value_or("vorn01"), std::string(),
              "You have chosen gametype :" + t.gametype, std::string(), "Timelimit : " + t.timelimit, std::string(),
              "Maximum gems : " + t.maxgems, std::string(), "Gem goal : " + t.gemgoal})
            out << line << "\r\n";
    }
    std::string content = test::ReadBytes(scratch);
    std::filesystem::remove(scratch);
    return content;
}

TEST(WizardSummary, ExampleReadsLineByLine) {
    EXPECT_EQ(ComposeWizardSummary({"vorn02", "Deathmatch", "20", "0", "10"}),
              "The map you have chosen is\r\nvorn02\r\n\r\nYou have chosen gametype :Deathmatch\r\n\r\n"
              "Timelimit : 20\r\n\r\nMaximum gems : 0\r\n\r\nGem goal : 10\r\n");
    const std::string noMap = ComposeWizardSummary({std::nullopt, "Single Player", "0", "0", "10"});
    EXPECT_EQ(noMap.substr(0, noMap.find("\r\n\r\n")), "The map you have chosen is\r\nvorn01");
}

TEST(WizardSummary, SameAsTheScratchFileRoundTrip) {
    const WizardSummaryTexts cases[] = {
        {std::nullopt, "Deathmatch", "0", "0", "10"},
        {"", "", "", "", ""},
        {" vorn01 ", "  Deathmatch", "20 ", "a=b", "\t10\t"},
        {"[Settings]", "; comment", "\"20", "abc", "-5"},
        {"vorn\xe9", "\xff", "\x80", "\r\n", "Death\nmatch"},
        {std::string(300, 'm'), std::string(1, '\0'), "0", "0", "10"},
    };
    test::TempDir dir;
    for (const WizardSummaryTexts& texts : cases)
        EXPECT_EQ(ComposeWizardSummary(texts), ScratchFileRoundTrip(dir, texts)) << texts.gametype;
}

} // namespace
} // namespace trel
