// Hostile contents for every file Trel reads: the settings file (start-up's decision, the load of the
// launch options, the address book), the map-details files and the message of the day. Each must load
// without a crash and within a second, with the outcome a user can act on. On Windows the system's
// profile-string functions read the settings file; this table judges Trel's own reading.

#ifndef _WIN32

#include "mdlIniStuff.h"
#include "mdlServercode.h"
#include "mdlmaincode.h"
#include "mdlmapeditcode.h"
#include "mdlsplash.h"
#include "platform.h"
#include "test_helpers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

namespace trel::test {
namespace {

constexpr std::chrono::seconds kMostTime{1};

enum class Shape { File, Folder };

struct Hostile {
    const char* name;
    Shape shape;
    std::function<std::string()> bytes;
};
void PrintTo(const Hostile& c, std::ostream* os) { *os << c.name; }

// The fresh settings file with lone CR line ends and the game's location already chosen.
const std::string kLoneCrIni = "[Quake2exe]\rUsed=1\rPath=/q2/quake2\rDir=/q2\r[Settings]\rDMflags=5\rDedicated=0\r"
                               "Boolmaxclients=0\rValmaxclients=8\rBooltimelimit=0\rValtimelimit=20\rBoolgemgoal=0\r"
                               "Valgemgoal=10\rMonsterRespawn=0\rForcejoin=0\rGametype=3\rCommandline=0\rMap=0\r"
                               "Boolmaxgems=0\rValmaxgems=0\rserverini=\r[AddressBook]\rServerName 1=LAN\r"
                               "ServerIp 1=10.0.0.1:27910\r";

const Hostile kHostile[] = {
    {"Empty", Shape::File, [] { return std::string(); }},
    {"OnlyNulBytes", Shape::File, [] { return std::string(1 << 16, '\0'); }},
    {"SixteenMebibytesOfOneLine", Shape::File, [] { return std::string(16u << 20, 'A'); }},
    {"SixteenMebibyteValue", Shape::File,
     [] { return "[Quake2exe]\r\nUsed=" + std::string(16u << 20, '1') + "\r\n[Settings]\r\nDMflags=1\r\n"; }},
    {"LoneCarriageReturns", Shape::File, [] { return kLoneCrIni; }},
    {"TenThousandBracketHead", Shape::File,
     [] { return std::string(10000, '[') + "]\r\nUsed=1\r\n" + std::string(10000, '[') + "\r\n#\r\n"; }},
    {"InvalidUtf8", Shape::File,
     [] { return std::string("[Quake2exe]\r\nUsed=\xff\xfe\r\n[ \xc3\x28 ]\r\n\xe2\x28\xa1=\xf0\x28\x8c\xbc\r\n# \xc0\r\n"); }},
    {"FolderInItsPlace", Shape::Folder, [] { return std::string(); }},
};

class HostileInput : public ::testing::TestWithParam<Hostile> {
protected:
    // Puts the hostile content where file belongs and returns what was written.
    std::string Place(const std::filesystem::path& file) {
        const Hostile& c = GetParam();
        if (c.shape == Shape::Folder) {
            std::filesystem::create_directories(file / "inside");
            return {};
        }
        const std::string bytes = c.bytes();
        WriteBytes(file, bytes);
        return bytes;
    }

    template <typename Run> void WithinTime(Run run) {
        const auto started = std::chrono::steady_clock::now();
        run();
        EXPECT_LT(std::chrono::steady_clock::now() - started, kMostTime);
    }

    TempDir dir_;
};

TEST_P(HostileInput, SettingsFileLoadsOrSaysWhy) {
    const auto file = dir_ / "trel.ini";
    const std::string bytes = Place(file);
    const bool fine = GetParam().bytes() == kLoneCrIni;
    WithinTime([&] {
        const StartDecision start = DecideStart(file);
        EXPECT_EQ(start.error.has_value(), !fine);
        if (start.error) {
            // Used is missing, empty or no number: the message names the key, the file and the number.
            EXPECT_EQ(start.kind, StartKind::FirstRun);
            EXPECT_NE(start.error->description.find("Used"), std::string::npos);
            EXPECT_NE(start.error->description.find(PathText(file)), std::string::npos);
            EXPECT_TRUE(start.error->number == kErrorNotANumber || start.error->number == kErrorOverflow);
            EXPECT_LT(FormatLoadError(*start.error).size(), 200 + PathText(file).size());
        } else {
            EXPECT_EQ(start.kind, StartKind::Normal);
        }
    });
    WithinTime([&] {
        const SettingsLoad load = ReadSettingsForLoad(file);
        EXPECT_EQ(load.error.has_value(), !fine);
        if (load.error) {
            EXPECT_NE(load.error->description.find(PathText(file)), std::string::npos);
            EXPECT_LT(load.error->description.size(), 200 + PathText(file).size());
        } else {
            EXPECT_EQ(load.steps.size(), kSettingsKeys.size() - 1);
            EXPECT_EQ(load.Quake2Path, "/q2/quake2");
        }
    });
    WithinTime([&] {
        const AddressBookRows rows = LoadAddressBook(file);
        EXPECT_EQ(rows[0].name, fine ? "LAN" : "");
        for (const AddressBookRow& row : rows)
            EXPECT_LE(row.address.size(), ini::kMaxValueLength);
    });
}

TEST_P(HostileInput, MapDetailsFileOpensOrSaysWhy) {
    std::filesystem::create_directories(dir_ / "vorn");
    const auto file = MultiplayerMapFile(PathText(dir_.path()), "");
    const std::string bytes = Place(file);
    WithinTime([&] {
        const TextFileLoad load = LoadTextFile(file, WhenMissing::CreateEmpty);
        if (GetParam().shape == Shape::Folder) {
            // Not opened: the message names the file and the reason, and the folder stays.
            EXPECT_FALSE(load.ok);
            EXPECT_EQ(load.why.rfind(PathText(file) + ": ", 0), 0U) << load.why;
            EXPECT_TRUE(std::filesystem::is_directory(file / "inside"));
            return;
        }
        ASSERT_TRUE(load.ok) << load.why;
        EXPECT_FALSE(load.created);
        EXPECT_EQ(load.bytes, bytes);
        const std::string text = EditorTextFromFile(load.bytes);
        EXPECT_EQ(text.find('\r'), std::string::npos);
        for (const ColourSpan& span : ColourPasses(text))
            EXPECT_LE(span.end(), text.size());
    });
}

TEST_P(HostileInput, MessageOfTheDayOpensOrSaysWhy) {
    std::filesystem::create_directories(dir_ / "vorn");
    const auto file = MotdFile(PathText(dir_.path()));
    const std::string bytes = Place(file);
    TextFileLoad load;
    std::string text;
    WithinTime([&] {
        load = LoadTextFile(file, WhenMissing::ReadAsEmpty);
        text = EditorTextFromFile(load.bytes);
    });
    if (GetParam().shape == Shape::Folder) {
        EXPECT_FALSE(load.ok);
        EXPECT_EQ(load.why.rfind(PathText(file) + ": ", 0), 0U) << load.why;
        return;
    }
    ASSERT_TRUE(load.ok) << load.why;
    EXPECT_EQ(load.bytes, bytes);
    // Saving what was loaded gives the same text back, with the one line break a save adds.
    EXPECT_EQ(EditorTextFromFile(FileTextFromEditor(text)), text + "\n");
}

INSTANTIATE_TEST_SUITE_P(Inputs, HostileInput, ::testing::ValuesIn(kHostile),
                         [](const ::testing::TestParamInfo<Hostile>& param) { return std::string(param.param.name); });

} // namespace
} // namespace trel::test

#endif
