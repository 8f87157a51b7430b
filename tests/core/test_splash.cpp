// Start-up decisions from the first-run flag, the locator's directory label and path joining, and storing
// the accepted executable.

#include "mdlIniStuff.h"
#include "mdlmaincode.h"
#include "mdlsplash.h"
#include "platform.h"
#include "test_helpers.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace trel {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

TEST(StartDecision, UsedFlagDecidesTheStart) {
    struct Case {
        std::optional<std::string> used; // nothing: no settings file at all
        StartKind kind;
        std::int16_t usedFlag;
        std::optional<int> errorNumber; // set when the start must fail
        const char* shownValue;         // the value the error text must quote, "" for none
    };
    const Case cases[] = {
        {"1", StartKind::Normal, 1, std::nullopt, ""},
        {"0", StartKind::FirstRun, 0, std::nullopt, ""},
        {"2", StartKind::FirstRun, 2, std::nullopt, ""},
        {"-1", StartKind::FirstRun, -1, std::nullopt, ""},
        {std::nullopt, StartKind::FirstRun, 0, kErrorNotANumber, ""},
        {"abc", StartKind::FirstRun, 0, kErrorNotANumber, "\"abc\""},
        {"32768", StartKind::FirstRun, 0, kErrorOverflow, "\"32768\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.used.value_or("no file"));
        TempDir dir;
        const auto ini = dir / "trel.ini";
        if (c.used)
            WriteBytes(ini, "[Quake2exe]\r\nUsed=" + *c.used + "\r\nPath=x\r\n");
        const StartDecision decision = DecideStart(ini);
        ASSERT_EQ(decision.error.has_value(), c.errorNumber.has_value());
        if (c.errorNumber) {
            const std::string& text = decision.error->description;
            EXPECT_EQ(decision.error->number, *c.errorNumber);
            for (const std::string& part : {std::string("Used"), PathText(ini), std::string(c.shownValue)})
                EXPECT_NE(text.find(part), std::string::npos) << text;
            if (!c.used) { // the whole text, ending in a hyphen, two blanks and the number
                EXPECT_EQ(FormatLoadError(*decision.error), "The setting Used in section Quake2exe of " + PathText(ini) +
                                                                " is missing or empty, and it must be a whole number -  13");
            }
        } else {
            EXPECT_EQ(decision.kind, c.kind);
            EXPECT_EQ(decision.usedFlag, c.usedFlag);
        }
    }
}

TEST(Splash, DirectoryLabelAndJoinedPath) {
#ifdef _WIN32
    EXPECT_EQ(ShortDirectoryLabel("c:\\quake2ab", "c: [system]"), "c:\\quake2ab"); // 11 characters
    EXPECT_EQ(ShortDirectoryLabel("c:\\quake2abc", "c: [system]"), "c:\\..");      // 12 characters
    EXPECT_EQ(JoinQuake2Path("c:\\quake2", "quake2.exe"), "c:\\quake2\\quake2.exe");
    EXPECT_EQ(JoinQuake2Path("c:\\", "quake2.exe"), "c:\\quake2.exe");
#else
    EXPECT_EQ(ShortDirectoryLabel("/games/q2ab", "/"), "/games/q2ab"); // 11 characters
    EXPECT_EQ(ShortDirectoryLabel("/games/q2abc", "/"), "/..");        // 12 characters
    EXPECT_EQ(ShortDirectoryLabel("/media/usb/quake2", "/media/usb/"), "/media/usb/..");
    EXPECT_EQ(JoinQuake2Path("/my games/q2/", "quake2"), "/my games/q2/quake2");
    EXPECT_EQ(JoinQuake2Path("/", "quake2"), "/quake2");
#endif
    EXPECT_EQ(JoinQuake2Path("", "quake2"), "quake2");
}

TEST(SplashStore, WritesUsedThenPathThenDirKeepsTheOtherSectionsAndNamesTheFileOnFailure) {
    TempDir dir;
    const auto ini = dir / "trel.ini";
    std::string why;
    ASSERT_TRUE(StoreQuake2Exe(ini, "/my games/q2/quake2", "/my games/q2", why)) << why;
    EXPECT_EQ(ReadBytes(ini), "[Quake2exe]\r\nUsed=1\r\nPath=/my games/q2/quake2\r\ndir=/my games/q2\r\n");
    EXPECT_EQ(DecideStart(ini).kind, StartKind::Normal);

    WriteBytes(ini, "[Quake2exe]\r\nUsed=0\r\nPath=old\r\nDir=old\r\n[Settings]\r\nDMflags=5\r\n");
    ASSERT_TRUE(StoreQuake2Exe(ini, "/q2/quake2", "/q2", why)) << why;
    EXPECT_EQ(ReadBytes(ini), "[Quake2exe]\r\nUsed=1\r\nPath=/q2/quake2\r\nDir=/q2\r\n[Settings]\r\nDMflags=5\r\n");

    const auto blocked = ini / "trel.ini"; // its folder is a file
    EXPECT_FALSE(StoreQuake2Exe(blocked, "/q2/quake2", "/q2", why));
    EXPECT_NE(why.find(PathText(blocked)), std::string::npos) << why;
    EXPECT_NE(why.find("Used"), std::string::npos) << why;
    EXPECT_EQ(ReadBytes(ini), "[Quake2exe]\r\nUsed=1\r\nPath=/q2/quake2\r\nDir=/q2\r\n[Settings]\r\nDMflags=5\r\n");
}

} // namespace
} // namespace trel
