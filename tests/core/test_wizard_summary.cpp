// The wizard's summary: composed in memory, byte for byte what writing the ten lines into a scratch file
// and reading the file back whole gives.

#include "mdlwizard.h"
#include "test_helpers.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>

namespace trel {
namespace {

using test::ReadBytes;
using test::TempDir;

// The round trip through the scratch file, step by step: create or overwrite the file, write each line
// with CR LF, close, open again, read the whole content, close, delete. The file lies in a test folder,
// never in a modification folder.
std::string ScratchFileRoundTrip(const TempDir& dir, const WizardSummaryTexts& texts) {
    const std::filesystem::path scratch = dir / "temp.ini";
    const std::array<std::string, 10> lines = {"The map you have chosen is",
                                               texts.map ? *texts.map : std::string("vorn01"),
                                               "",
                                               "You have chosen gametype :" + texts.gametype,
                                               "",
                                               "Timelimit : " + texts.timelimit,
                                               "",
                                               "Maximum gems : " + texts.maxgems,
                                               "",
                                               "Gem goal : " + texts.gemgoal};
    {
        std::ofstream out(scratch, std::ios::binary | std::ios::trunc);
        for (const std::string& line : lines)
            out << line << "\r\n";
    }
    std::string content = ReadBytes(scratch);
    std::filesystem::remove(scratch);
    return content;
}

TEST(WizardSummary, ExampleReadsLineByLine) {
    const WizardSummaryTexts texts{"vorn02", "Deathmatch", "20", "0", "10"};
    EXPECT_EQ(ComposeWizardSummary(texts), "The map you have chosen is\r\n"
                                           "vorn02\r\n"
                                           "\r\n"
                                           "You have chosen gametype :Deathmatch\r\n"
                                           "\r\n"
                                           "Timelimit : 20\r\n"
                                           "\r\n"
                                           "Maximum gems : 0\r\n"
                                           "\r\n"
                                           "Gem goal : 10\r\n");
}

TEST(WizardSummary, NoMapChosenNamesTheFirstMap) {
    const WizardSummaryTexts texts{std::nullopt, "Single Player", "0", "0", "10"};
    const std::string summary = ComposeWizardSummary(texts);
    EXPECT_EQ(summary.substr(0, summary.find("\r\n\r\n")), "The map you have chosen is\r\nvorn01");
}

TEST(WizardSummary, ValuesAppearWhateverTheirTicks) {
    // Only texts go in: the ticks of the boxes never reach the summary, and an empty value still gets its line.
    const std::string summary = ComposeWizardSummary({"vorn04", "Teamplay w/o monsters", "", "", ""});
    EXPECT_NE(summary.find("\r\nTimelimit : \r\n\r\nMaximum gems : \r\n\r\nGem goal : \r\n"), std::string::npos);
    EXPECT_EQ(summary.find("espawn"), std::string::npos);
}

TEST(WizardSummary, SameAsTheScratchFileRoundTrip) {
    struct Case {
        const char* name;
        WizardSummaryTexts texts;
    };
    const Case cases[] = {
        {"example", {"vorn02", "Deathmatch", "20", "0", "10"}},
        {"no map", {std::nullopt, "Deathmatch", "0", "0", "10"}},
        {"fifth map", {"vorn_sp01", "Single Player", "5", "1", "120"}},
        {"empty texts", {"", "", "", "", ""}},
        {"blanks around", {" vorn01 ", "  Deathmatch", "20 ", " ", "\t10\t"}},
        {"equals signs", {"a=b", "=", "Timelimit=20", "==", "x = y"}},
        {"quotes", {"\"vorn01\"", "'Deathmatch'", "\"20", "0\"", "\"\""}},
        {"ini look-alikes", {"[Settings]", "; comment", "# note", "[", "]"}},
        {"letters typed on page 3", {"vorn03", "Teamplay with monsters", "abc", "1a2", "-5"}},
        {"single-byte accents",
         {"vorn\xe9",
          "D\xe9"
          "athmatch",
          "\xff", "\xa0", "\x80"}},
        {"line breaks inside", {"vorn01\r\nvorn02", "Death\nmatch", "2\r0", "\r\n", "\n"}},
        {"long text", {std::string(300, 'm'), std::string(260, 'g'), std::string(255, '9'), "0", "10"}},
        {"zero byte",
         {std::string("vorn\0"
                      "01",
                      7),
          "Deathmatch", std::string(1, '\0'), "0", "10"}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ComposeWizardSummary(c.texts), ScratchFileRoundTrip(dir, c.texts));
    }
}

TEST(WizardSummary, EndsWithALineEndAndHasTenLines) {
    const std::string summary = ComposeWizardSummary({"vorn01", "Deathmatch", "0", "0", "10"});
    ASSERT_GE(summary.size(), 2u);
    EXPECT_EQ(summary.substr(summary.size() - 2), "\r\n");
    std::size_t lines = 0;
    for (std::size_t at = summary.find("\r\n"); at != std::string::npos; at = summary.find("\r\n", at + 2))
        ++lines;
    EXPECT_EQ(lines, 10u);
}

} // namespace
} // namespace trel
