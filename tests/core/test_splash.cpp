// Start-up decisions from the first-run flag, the locator's directory label and path joining, and storing
// the accepted executable.

#include "mdlIniStuff.h"
#include "mdlmaincode.h"
#include "mdlsplash.h"
#include "platform.h"
#include "test_helpers.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

namespace trel {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

struct UsedCase {
    const char* name;
    std::optional<std::string> fileText; // nothing: no settings file at all
    StartKind kind;
    std::int16_t usedFlag;
    std::optional<int> errorNumber; // set when the start must fail
    const char* shownValue;         // the value the error text must quote, "" for none
};
// Names the case in test listings instead of dumping its bytes.
void PrintTo(const UsedCase& c, std::ostream* out) {
    *out << c.name;
}

class StartDecisionTable : public ::testing::TestWithParam<UsedCase> {};

TEST_P(StartDecisionTable, UsedFlagDecidesTheStart) {
    const UsedCase& c = GetParam();
    TempDir dir;
    const auto ini = dir / "trel.ini";
    if (c.fileText)
        WriteBytes(ini, *c.fileText);

    const StartDecision decision = DecideStart(ini);

    if (c.errorNumber) {
        ASSERT_TRUE(decision.error.has_value());
        EXPECT_EQ(decision.error->number, *c.errorNumber);
        EXPECT_NE(decision.error->description.find("Used"), std::string::npos) << decision.error->description;
        EXPECT_NE(decision.error->description.find(PathText(ini)), std::string::npos) << decision.error->description;
        EXPECT_NE(decision.error->description.find(c.shownValue), std::string::npos) << decision.error->description;
    } else {
        EXPECT_FALSE(decision.error.has_value()) << decision.error->description;
        EXPECT_EQ(decision.kind, c.kind);
        EXPECT_EQ(decision.usedFlag, c.usedFlag);
    }
}

std::string Quake2exe(const std::string& used) {
    return "[Quake2exe]\r\nUsed=" + used + "\r\nPath=x\r\n";
}

INSTANTIATE_TEST_SUITE_P(
    Used, StartDecisionTable,
    ::testing::Values(
        UsedCase{"one", Quake2exe("1"), StartKind::Normal, 1, std::nullopt, ""},
        UsedCase{"zero", Quake2exe("0"), StartKind::FirstRun, 0, std::nullopt, ""},
        UsedCase{"two", Quake2exe("2"), StartKind::FirstRun, 2, std::nullopt, ""},
        UsedCase{"minusOne", Quake2exe("-1"), StartKind::FirstRun, -1, std::nullopt, ""},
        UsedCase{"blanksAround", Quake2exe(" 1 "), StartKind::Normal, 1, std::nullopt, ""},
        UsedCase{"largest", Quake2exe("32767"), StartKind::FirstRun, 32767, std::nullopt, ""},
        UsedCase{"smallest", Quake2exe("-32768"), StartKind::FirstRun, -32768, std::nullopt, ""},
        UsedCase{"noFile", std::nullopt, StartKind::FirstRun, 0, kErrorNotANumber, ""},
        UsedCase{"noKey", std::string("[Quake2exe]\r\nPath=x\r\n"), StartKind::FirstRun, 0, kErrorNotANumber, ""},
        UsedCase{"empty", Quake2exe(""), StartKind::FirstRun, 0, kErrorNotANumber, ""},
        UsedCase{"letters", Quake2exe("abc"), StartKind::FirstRun, 0, kErrorNotANumber, "\"abc\""},
        UsedCase{"fraction", Quake2exe("1.0"), StartKind::FirstRun, 0, kErrorNotANumber, "\"1.0\""},
        UsedCase{"tooLargeFor16Bits", Quake2exe("40000"), StartKind::FirstRun, 0, kErrorOverflow, "\"40000\""},
        UsedCase{"justTooLarge", Quake2exe("32768"), StartKind::FirstRun, 0, kErrorOverflow, "\"32768\""},
        UsedCase{"justTooSmall", Quake2exe("-32769"), StartKind::FirstRun, 0, kErrorOverflow, "\"-32769\""},
        UsedCase{"tooLargeFor32Bits", Quake2exe("99999999999"), StartKind::FirstRun, 0, kErrorOverflow,
                 "\"99999999999\""}),
    [](const ::testing::TestParamInfo<UsedCase>& testCase) { return std::string(testCase.param.name); });

TEST(StartDecision, ErrorTextNamesTheFileAndEndsWithHyphenTwoBlanksAndTheNumber) {
    TempDir dir;
    const auto ini = dir / "trel.ini";
    const StartDecision decision = DecideStart(ini);
    ASSERT_TRUE(decision.error.has_value());
    EXPECT_EQ(FormatLoadError(*decision.error), "The setting Used in section Quake2exe of " + PathText(ini) +
                                                    " is missing or empty, and it must be a whole number -  13");
}

struct LabelCase {
    const char* directory;
    const char* driveEntry;
    const char* label;
};

TEST(SplashDirectoryLabel, ShortPathsShownWholeLongOnesAsTheDrive) {
#ifdef _WIN32
    const LabelCase cases[] = {
        {"c:\\quake2", "c: [system]", "c:\\quake2"},  {"c:\\quake2ab", "c: [system]", "c:\\quake2ab"}, // 11 characters
        {"c:\\quake2abc", "c: [system]", "c:\\.."},                                                    // 12 characters
        {"d:\\games\\quake2", "d: [data]", "d:\\.."}, {"c:\\", "c: [system]", "c:\\"},
    };
#else
    const LabelCase cases[] = {
        {"/games/q2", "/", "/games/q2"},
        {"/games/q2ab", "/", "/games/q2ab"}, // 11 characters
        {"/games/q2abc", "/", "/.."},        // 12 characters
        {"/media/usb/quake2", "/media/usb", "/media/usb/.."},
        {"/media/usb/quake2", "/media/usb/", "/media/usb/.."},
        {"/spiele/\xc3\xa4\xc3\xb6\xc3\xbc", "/", "/spiele/\xc3\xa4\xc3\xb6\xc3\xbc"}, // 11 letters, 14 bytes
        {"/", "/", "/"},
    };
#endif
    for (const auto& c : cases)
        EXPECT_EQ(ShortDirectoryLabel(c.directory, c.driveEntry), c.label) << c.directory;
}

TEST(SplashQuake2Path, FolderAndFileJoinedWithOneSeparator) {
#ifdef _WIN32
    EXPECT_EQ(JoinQuake2Path("c:\\quake2", "quake2.exe"), "c:\\quake2\\quake2.exe");
    EXPECT_EQ(JoinQuake2Path("c:\\", "quake2.exe"), "c:\\quake2.exe");
    EXPECT_EQ(JoinQuake2Path("c:\\my games\\q2", "quake2.exe"), "c:\\my games\\q2\\quake2.exe");
#else
    EXPECT_EQ(JoinQuake2Path("/games/quake2", "quake2"), "/games/quake2/quake2");
    EXPECT_EQ(JoinQuake2Path("/", "quake2"), "/quake2");
    EXPECT_EQ(JoinQuake2Path("/my games/q2/", "quake2"), "/my games/q2/quake2");
#endif
    EXPECT_EQ(JoinQuake2Path("", "quake2"), "quake2");
}

TEST(SplashStore, WritesUsedThenPathThenDir) {
    TempDir dir;
    const auto ini = dir / "trel.ini";
    std::string why;
    ASSERT_TRUE(StoreQuake2Exe(ini, "/my games/q2/quake2", "/my games/q2", why)) << why;
    EXPECT_EQ(ReadBytes(ini), "[Quake2exe]\r\nUsed=1\r\nPath=/my games/q2/quake2\r\ndir=/my games/q2\r\n");
    EXPECT_EQ(DecideStart(ini).kind, StartKind::Normal);
}

TEST(SplashStore, RewritesTheKeysAndKeepsTheOtherSections) {
    TempDir dir;
    const auto ini = dir / "trel.ini";
    WriteBytes(ini, "[Quake2exe]\r\nUsed=0\r\nPath=old\r\nDir=old\r\n[Settings]\r\nDMflags=5\r\n");
    std::string why;
    ASSERT_TRUE(StoreQuake2Exe(ini, "/q2/quake2", "/q2", why)) << why;
    EXPECT_EQ(ReadBytes(ini), "[Quake2exe]\r\nUsed=1\r\nPath=/q2/quake2\r\nDir=/q2\r\n[Settings]\r\nDMflags=5\r\n");
}

TEST(SplashStore, FailureStopsAndNamesTheFile) {
    TempDir dir;
    WriteBytes(dir / "plain file", "not a folder");
    const auto ini = dir / "plain file" / "trel.ini";
    std::string why;
    EXPECT_FALSE(StoreQuake2Exe(ini, "/q2/quake2", "/q2", why));
    EXPECT_NE(why.find(PathText(ini)), std::string::npos) << why;
    EXPECT_NE(why.find("Used"), std::string::npos) << why;
    EXPECT_EQ(ReadBytes(dir / "plain file"), "not a folder");
}

} // namespace
} // namespace trel
