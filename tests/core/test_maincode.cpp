// Settings keys, the deathmatch-flag decomposition, the launch script, the command text and the preview.

#include "launchexport.h"
#include "mdlIniStuff.h"
#include "mdlmaincode.h"
#include "platform.h"
#include "test_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace trel {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

TEST(Version, TextsComeFromTheProjectVersion) {
    EXPECT_EQ(MainWindowTitle(), "Trel - v0.48b");
    EXPECT_EQ(HelpVersionText(), "Trel v0.48");
    EXPECT_EQ(AboutVersionText(), "Version 0.48");
    EXPECT_EQ(MapEditorTitle(), "Trel maplist editor - v0.48");
}

TEST(WholeNumber, ReadingRules) {
    struct Case {
        const char* text;
        std::optional<std::int32_t> expected;
        bool overflow;
    };
    const Case cases[] = {
        {"0", 0, false},
        {"5", 5, false},
        {"-1", -1, false},
        {"+7", 7, false},
        {" \t12 ", 12, false},
        {"007", 7, false},
        {"2147483647", INT_MAX, false},
        {"-2147483648", INT_MIN, false},
        {"2147483648", std::nullopt, true},
        {"-2147483649", std::nullopt, true},
        {"99999999999999999999999", std::nullopt, true},
        {"", std::nullopt, false},
        {"   ", std::nullopt, false},
        {"abc", std::nullopt, false},
        {"1.5", std::nullopt, false},
        {"1,5", std::nullopt, false},
        {"1 2", std::nullopt, false},
        {"1e3", std::nullopt, false},
        {"0x10", std::nullopt, false},
        {"-", std::nullopt, false},
        {"+", std::nullopt, false},
        {"--1", std::nullopt, false},
        {"- 1", std::nullopt, false},
        {"12abc", std::nullopt, false},
    };
    for (const auto& c : cases) {
        bool overflow = !c.overflow;
        EXPECT_EQ(ParseWholeNumber(c.text, &overflow), c.expected) << '"' << c.text << '"';
        EXPECT_EQ(overflow, c.overflow) << '"' << c.text << '"';
    }
}

TEST(LoadError, FormatHasTwoBlanksBeforeANonNegativeNumber) {
    EXPECT_EQ(FormatLoadError({"Bad value", 13}), "Bad value -  13");
    EXPECT_EQ(FormatLoadError({"Bad value", 0}), "Bad value -  0");
    EXPECT_EQ(FormatLoadError({"Bad value", -5}), "Bad value - -5");
}

constexpr const char* kValidSettings = "[Quake2exe]\r\nUsed=1\r\nPath=/games/q2/quake2\r\ndir=/games/q2\r\n"
                                       "[Settings]\r\nDMflags=5\r\nDedicated=1\r\nBoolmaxclients=0\r\n"
                                       "Valmaxclients=8\r\nBooltimelimit=1\r\nValtimelimit=20\r\nBoolgemgoal=2\r\n"
                                       "Valgemgoal=abc\r\nMonsterRespawn=0\r\nForcejoin=1\r\nGametype=-1\r\n"
                                       "Commandline=0\r\nMap=4\r\nBoolmaxgems=0\r\nValmaxgems=\r\n"
                                       "serverini=mine.ini\r\n";

TEST(SettingsLoad, ValidFileGivesEveryKeyInOrder) {
    TempDir dir;
    WriteBytes(dir / "trel.ini", kValidSettings);
    const SettingsLoad load = ReadSettingsForLoad(dir / "trel.ini");
    EXPECT_FALSE(load.error.has_value());
    EXPECT_EQ(load.Quake2Path, "/games/q2/quake2");
    EXPECT_EQ(load.Quake2Folder, "/games/q2"); // stored as "dir", read as "Dir"
    EXPECT_EQ(load.DMflags, 5);
    ASSERT_EQ(load.steps.size(), 15u);
    for (std::size_t i = 0; i < load.steps.size(); ++i)
        EXPECT_EQ(static_cast<std::size_t>(load.steps[i].key), i + 1);
    EXPECT_EQ(load.steps[0].number, 1);             // Dedicated
    EXPECT_EQ(load.steps[2].text, "8");             // Valmaxclients
    EXPECT_EQ(load.steps[5].number, 2);             // Boolgemgoal, the grey state
    EXPECT_EQ(load.steps[6].text, "abc");           // Valgemgoal is text, never converted
    EXPECT_EQ(load.steps[9].number, -1);            // Gametype
    EXPECT_EQ(load.steps[11].number, 4);            // Map
    EXPECT_EQ(load.steps[13].text, "");             // Valmaxgems
    EXPECT_EQ(load.steps[14].text, "mine.ini");     // serverini
}

TEST(SettingsLoad, StopsAtTheFailingKeyWithADescription) {
    struct Case {
        const char* name;
        std::string replaceKey; // line of kValidSettings to replace, up to "="
        std::string newLine;    // "" removes the line
        std::size_t stepsApplied;
        int number;
        const char* mentions;
    };
    const Case cases[] = {
        {"dmflags not a number", "DMflags=", "DMflags=abc", 0, kErrorNotANumber, "\"abc\""},
        {"dmflags fraction", "DMflags=", "DMflags=1.5", 0, kErrorNotANumber, "\"1.5\""},
        {"dmflags too large", "DMflags=", "DMflags=4294967296", 0, kErrorOverflow, "\"4294967296\""},
        {"dmflags missing", "DMflags=", "", 0, kErrorNotANumber, "DMflags"},
        {"dedicated missing", "Dedicated=", "", 0, kErrorNotANumber, "Dedicated"},
        {"check state 3", "Booltimelimit=", "Booltimelimit=3", 3, kErrorOutOfRange, "\"3\""},
        {"check state negative", "Forcejoin=", "Forcejoin=-1", 8, kErrorOutOfRange, "Forcejoin"},
        {"game type 7", "Gametype=", "Gametype=7", 9, kErrorOutOfRange, "\"7\""},
        {"game type -2", "Gametype=", "Gametype=-2", 9, kErrorOutOfRange, "Gametype"},
        {"map -2", "Map=", "Map=-2", 11, kErrorOutOfRange, "\"-2\""},
        {"map 5", "Map=", "Map=5", 11, kErrorOutOfRange, "Map"},
        {"max gems check word", "Boolmaxgems=", "Boolmaxgems=yes", 12, kErrorNotANumber, "\"yes\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text = kValidSettings;
        const auto at = text.find("\r\n" + c.replaceKey) + 2;
        const auto end = text.find("\r\n", at) + 2;
        text.replace(at, end - at, c.newLine.empty() ? "" : c.newLine + "\r\n");
        TempDir dir;
        WriteBytes(dir / "trel.ini", text);
        const SettingsLoad load = ReadSettingsForLoad(dir / "trel.ini");
        ASSERT_TRUE(load.error.has_value());
        EXPECT_EQ(load.error->number, c.number);
        EXPECT_NE(load.error->description.find(c.mentions), std::string::npos) << load.error->description;
        EXPECT_NE(load.error->description.find("trel.ini"), std::string::npos) << load.error->description;
        EXPECT_EQ(load.steps.size(), c.stepsApplied);
        EXPECT_EQ(load.DMflags.has_value(), c.stepsApplied > 0 || c.replaceKey != "DMflags=");
    }
}

TEST(SettingsLoad, MissingOrUnreadableFileIsALoadErrorNotACrash) {
    TempDir dir;
    for (const auto& file : {dir / "missing.ini", dir.path()}) {
        const SettingsLoad load = ReadSettingsForLoad(file);
        ASSERT_TRUE(load.error.has_value());
        EXPECT_EQ(load.error->number, kErrorNotANumber);
        EXPECT_TRUE(load.steps.empty());
        EXPECT_EQ(load.Quake2Path, "");
    }
}

TEST(DmFlags, StoredNumberTicksTheseBoxes) {
    using V = std::vector<std::int32_t>;
    const V all = {32768, 16384, 8192, 4096, 2048, 1024, 512, 256, 128, 64, 32, 16, 8, 4, 2, 1};
    const std::vector<std::pair<std::int32_t, V>> cases = {
        {0, {}},         {-1, {}},      {INT_MIN, {}},          {5, {4, 1}}, {1, {1}}, {32768, {32768}},
        {65536, {32768}}, {65537, {32768, 1}}, {32768 * 3 + 6, {32768, 4, 2}},
        {65535, all},
        {INT_MAX, all},
    };
    for (const auto& [stored, boxes] : cases)
        EXPECT_EQ(DmFlagsToTick(stored), boxes) << stored;
}

TEST(DmFlags, RunningTotalWrapsInsteadOfOverflowing) {
    EXPECT_EQ(AddDmFlag(5, 8), 13);
    EXPECT_EQ(AddDmFlag(13, -8), 5);
    EXPECT_EQ(AddDmFlag(INT_MAX, 1), INT_MIN);
    EXPECT_EQ(AddDmFlag(INT_MIN, -1), INT_MAX);
}

TEST(SettingsSave, SixteenKeysInOrderWithTheirTextsThatLoadBackTheSame) {
    LaunchOptions o;
    o.DMflags = 99; // the running total is not what is saved: the text of the box is
    o.Valgemgoal = "lots";
    o.Booltimelimit = 1;
    o.serverini = "mine.ini";
    auto pairs = SettingsToSave(o, "abc");
    ASSERT_EQ(pairs.size(), 16u);
    for (std::size_t i = 0; i < pairs.size(); ++i)
        EXPECT_EQ(pairs[i].first, kSettingsKeys[i]);
    EXPECT_EQ(pairs[0].second, "abc");
    EXPECT_EQ(pairs[4].second, "1");
    EXPECT_EQ(pairs[7].second, "lots");
    EXPECT_EQ(pairs[10].second, "-1"); // no game type chosen
    EXPECT_EQ(pairs[12].second, "-1"); // no map chosen
    EXPECT_EQ(pairs[15].second, "mine.ini");

    o.Dedicated = o.Boolmaxclients = o.Commandline = 1;
    o.Valmaxclients = "16";
    o.Gametype = 2;
    o.Map = 3;
    pairs = SettingsToSave(o, "1028");
    TempDir dir;
    std::string why;
    ASSERT_TRUE(WriteIniValues("Settings", pairs, dir / "trel.ini", why)) << why;
    const SettingsLoad load = ReadSettingsForLoad(dir / "trel.ini");
    ASSERT_FALSE(load.error.has_value()) << load.error->description;
    EXPECT_EQ(load.DMflags, 1028);
    ASSERT_EQ(load.steps.size(), 15u);
    for (const auto& step : load.steps)
        EXPECT_EQ(step.text, pairs[static_cast<std::size_t>(step.key)].second);
}

using Words = std::vector<std::string>;

// The commands the game makes of a script: lines cut at 1023 bytes, commands split at line ends and at ";"
// outside double quotes, "//" outside quotes ending the line, "$name" outside quotes replaced by the
// (here always empty) variable, and words cut at every byte the engine sees as at most a blank (control
// characters and, being signed, bytes from 0x80), except inside double quotes.
std::vector<Words> EngineCommands(const std::string& script) {
    std::vector<Words> commands;
    std::size_t start = 0;
    while (start < script.size()) {
        auto end = script.find('\n', start);
        if (end == std::string::npos)
            end = script.size();
        const std::string line = script.substr(start, std::min<std::size_t>(end - start, 1023));
        start = end + 1;
        std::string command;
        bool quoted = false;
        const auto finish = [&] {
            Words words;
            for (std::size_t i = 0; i < command.size();) {
                if (static_cast<signed char>(command[i]) <= ' ') {
                    ++i;
                } else if (command[i] == '"') {
                    const auto close = command.find('"', i + 1);
                    words.push_back(command.substr(i + 1, close == std::string::npos ? close : close - i - 1));
                    i = close == std::string::npos ? command.size() : close + 1;
                } else {
                    std::string word;
                    for (; i < command.size() && static_cast<signed char>(command[i]) > ' '; ++i)
                        word += command[i];
                    words.push_back(word);
                }
            }
            if (!words.empty())
                commands.push_back(words);
            command.clear();
        };
        for (std::size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (c == '"')
                quoted = !quoted;
            if (!quoted && c == ';') {
                finish();
                continue;
            }
            if (!quoted && c == '/' && i + 1 < line.size() && line[i + 1] == '/')
                break;
            if (!quoted && c == '$') {
                while (i + 1 < line.size() && static_cast<signed char>(line[i + 1]) > ' ' && line[i + 1] != ';')
                    ++i;
                continue;
            }
            command += c;
        }
        finish();
    }
    return commands;
}

TEST(EngineReader, ReadsScriptsAsTheGameDoes) {
    // The reader is what the script rows are checked against, so its own rules are checked once.
    EXPECT_EQ(EngineCommands("set a b\r\nset c \"d e;f\"\r\n"),
              (std::vector<Words>{{"set", "a", "b"}, {"set", "c", "d e;f"}}));
    EXPECT_EQ(EngineCommands("set a x;quit\r\nset b $v\r\nset c p//q\r\nset d \xe9x\r\n"),
              (std::vector<Words>{{"set", "a", "x"}, {"quit"}, {"set", "b"}, {"set", "c", "p"}, {"set", "d", "x"}}));
    EXPECT_EQ(EngineCommands("set e " + std::string(1100, 'v') + "\n"),
              (std::vector<Words>{{"set", "e", std::string(1017, 'v')}}));
}

struct ScriptCase {
    const char* name;
    LaunchOptions options;
    std::vector<std::string> lines;
};

LaunchOptions With(void (*edit)(LaunchOptions&), int map = 0) {
    LaunchOptions o;
    o.Map = map;
    edit(o);
    return o;
}

TEST(LaunchScript, LinesForEachGameType) {
    const ScriptCase cases[] = {
        {"deathmatch, nothing ticked",
         With([](LaunchOptions& o) { o.Gametype = 3; }),
         {"set gametype 3", "set dmflags 0", "set server_ini vorn.ini", "map vorn01"}},
        {"no game type, force-join ticked",
         With([](LaunchOptions& o) { o.Forcejoin = 1; }),
         {"set gametype 3", "set dmflags 0", "set server_ini vorn.ini", "map vorn01"}},
        {"single player with force-join",
         With([](LaunchOptions& o) { o.Gametype = 0; o.Forcejoin = 1; }),
         {"set gametype 0", "set sp 1", "set dmflags 0", "set server_ini vorn.ini", "map vorn01"}},
        {"teamplay w/o monsters with force-join",
         With([](LaunchOptions& o) { o.Gametype = 2; o.Forcejoin = 1; }),
         {"set gametype 2", "set forcejoin 1", "set dmflags 0", "set server_ini vorn.ini", "map vorn01"}},
        {"deathmatch with force-join",
         With([](LaunchOptions& o) { o.Gametype = 3; o.Forcejoin = 1; }),
         {"set gametype 3", "set dmflags 0", "set server_ini vorn.ini", "map vorn01"}},
        {"example of a team game",
         With([](LaunchOptions& o) {
             o.Gametype = 1; o.Forcejoin = 1; o.Booltimelimit = 1; o.Valtimelimit = "20"; o.DMflags = 4; o.Map = 4;
         }),
         {"set gametype 1", "set forcejoin 1", "set dmflags 4", "set vorn_timelimit 20", "set server_ini vorn.ini",
          "map vorn_sp01"}},
        {"every box ticked",
         With([](LaunchOptions& o) {
             o.Gametype = 1; o.Booltimelimit = 1; o.Valtimelimit = "5"; o.Boolmaxclients = 1; o.Valmaxclients = "8";
             o.Boolgemgoal = 1; o.Valgemgoal = "x"; o.Boolmaxgems = 1; o.Valmaxgems = "9"; o.MonsterRespawn = 1;
             o.addparam = "set cheats 1"; o.serverini = "mine.ini"; o.DMflags = -7; o.Dedicated = 1;
         }),
         {"set gametype 1", "set dmflags -7", "set vorn_timelimit 5", "set maxclients 8", "set gem_goal x",
          "set max_gems 9", "set monster_respawn 1", "set cheats 1", "set server_ini mine.ini", "map vorn01"}},
        {"a server ini name with a blank is one quoted word",
         With([](LaunchOptions& o) { o.serverini = "my server.ini"; }),
         {"set gametype 3", "set dmflags 0", "set server_ini \"my server.ini\"", "map vorn01"}},
        {"quoted so that ; $ // and bytes from 0x80 stay in the name",
         With([](LaunchOptions& o) { o.serverini = "a.ini;quit$x//\xe9"; }),
         {"set gametype 3", "set dmflags 0", "set server_ini \"a.ini;quit$x//\xe9\"", "map vorn01"}},
        {"plain names keep their bytes; the extra line stays as typed",
         With([](LaunchOptions& o) { o.serverini = "My_server-2.ini"; o.addparam = "set hostname \"Gem  hunt\""; }),
         {"set gametype 3", "set dmflags 0", "set hostname \"Gem  hunt\"", "set server_ini My_server-2.ini",
          "map vorn01"}},
        {"grey boxes count as unticked",
         With([](LaunchOptions& o) { o.Gametype = 1; o.Forcejoin = 2; o.Booltimelimit = 2; o.MonsterRespawn = 2; }),
         {"set gametype 1", "set dmflags 0", "set server_ini vorn.ini", "map vorn01"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LaunchScriptLines(c.options), c.lines) << c.name;
        for (const auto& line : c.lines) {
            if (line.rfind("set ", 0) != 0)
                continue;
            // What the line means: the name up to the next blank, the rest as the value, its quotes taken off.
            const auto blank = line.find(' ', 4);
            const std::string name = line.substr(4, blank - 4);
            std::string value = line.substr(blank + 1);
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
                value = value.substr(1, value.size() - 2);
            EXPECT_EQ(EngineCommands(line + "\r\n"), (std::vector<Words>{{"set", name, value}})) << c.name;
        }
        std::string text;
        for (const auto& line : c.lines)
            text += line + "\r\n";
        EXPECT_EQ(LaunchScriptText(c.options), text) << c.name;
    }
}

TEST(LaunchScript, CommandTextAndRequest) {
    EXPECT_EQ(CommandText("C:\\Quake2\\quake2.exe", false), "C:\\Quake2\\quake2.exe +set game vorn +exec trel_launcher.cfg");
    EXPECT_EQ(CommandText("C:\\Quake 2\\quake2.exe", true),
              "C:\\Quake 2\\quake2.exe +set game vorn +set dedicated 1 +exec trel_launcher.cfg");
    const SharedValues shared{"/start", "/my games/q2/quake2", "/my games/q2", 1};
    EXPECT_EQ(GameLaunchRequest(shared, false, "trel_launcher.cfg"),
              (LaunchRequest{"/my games/q2/quake2", {"+set", "game", "vorn", "+exec", "trel_launcher.cfg"},
                             "/my games/q2"}));
    EXPECT_EQ(GameLaunchRequest(shared, true, "trel_launcher.cfg").arguments,
              (std::vector<std::string>{"+set", "game", "vorn", "+set", "dedicated", "1", "+exec",
                                        "trel_launcher.cfg"}));
}

class PrepareLaunchTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(folder() / "vorn");
        WriteBytes(folder() / std::string(kGameExecutableName), "game");
        shared = SharedValues{dir.path(), PathText(folder() / std::string(kGameExecutableName)), PathText(folder()), 1};
        options.Map = 1;
    }
    std::filesystem::path folder() const { return dir / "Quake 2"; }
    std::filesystem::path script() const { return folder() / "vorn" / "trel_launcher.cfg"; }

    TempDir dir;
    SharedValues shared;
    LaunchOptions options;
};

TEST_F(PrepareLaunchTest, WritesTheWholeScriptAndRequestsTheGame) {
    options.Dedicated = 1;
    const auto prep = PrepareLaunch(shared, options);
    ASSERT_EQ(prep.outcome, LaunchOutcome::Ready) << prep.why;
    EXPECT_EQ(ReadBytes(script()), "set gametype 3\r\nset dmflags 0\r\nset server_ini vorn.ini\r\nmap vorn02\r\n");
    EXPECT_EQ(prep.request, GameLaunchRequest(shared, true, "trel_launcher.cfg"));

    // The script is rewritten whole: a longer one before leaves nothing behind.
    options.Booltimelimit = options.Boolmaxgems = options.MonsterRespawn = 1;
    options.addparam = "set a very long line that the next run must not leave behind";
    ASSERT_EQ(PrepareLaunch(shared, options).outcome, LaunchOutcome::Ready);
    const LaunchOptions shorter = With([](LaunchOptions& o) { o.Gametype = 3; });
    ASSERT_EQ(PrepareLaunch(shared, shorter).outcome, LaunchOutcome::Ready);
    EXPECT_EQ(ReadBytes(script()), LaunchScriptText(shorter));
}

TEST_F(PrepareLaunchTest, WrongExecutableOrNoMapWritesNothing) {
    WriteBytes(folder() / "Quake2", "game");
    std::filesystem::create_directories(folder() / "dir" / std::string(kGameExecutableName));
    std::vector<std::pair<std::string, int>> cases = {
        {"Quake2", 1}, {"missing", 1}, {"dir/" + std::string(kGameExecutableName), 1}, {"", 1},
        {std::string(kGameExecutableName), -1}, {std::string(kGameExecutableName), 5}};
#ifndef _WIN32
    // Windows file names ignore letter case: there this would name the game's own file, and the names
    // stored in other case are checked in test_platform_windows.cpp.
    WriteBytes(folder() / "QUAKE2.EXE", "game");
    cases.emplace_back("QUAKE2.EXE", 1);
#endif
    for (const auto& [name, map] : cases) {
        SCOPED_TRACE(name + " map " + std::to_string(map));
        SharedValues wrong = shared;
        wrong.Quake2Path = name.empty() ? "" : PathText(folder() / name);
        options.Map = map;
        const auto outcome = map == 1 ? LaunchOutcome::WrongExecutable : LaunchOutcome::NoMap;
        EXPECT_EQ(PrepareLaunch(wrong, options).outcome, outcome);
        EXPECT_EQ(ExportLaunch(wrong, options, dir / "launch").outcome, outcome);
        EXPECT_FALSE(std::filesystem::exists(script()));
        EXPECT_FALSE(std::filesystem::exists(dir / "launch"));
    }
}

TEST_F(PrepareLaunchTest, OptionsTheGameWouldMisreadAreRefusedAndNothingIsWritten) {
    struct Case {
        const char* name;
        void (*edit)(LaunchOptions&);
        std::vector<std::string> mentions; // empty: the script is written
    };
    const Case cases[] = {
        {"quotation mark in the ini", [](LaunchOptions& o) { o.serverini = "a\"b.ini"; },
         {"Custom server ini", "quotation mark"}},
        {"tab in the ini", [](LaunchOptions& o) { o.serverini = "a\tb.ini"; }, {"Custom server ini", "0x09"}},
        {"ticked limit without a value", [](LaunchOptions& o) { o.Boolmaxclients = 1; o.Valmaxclients = ""; },
         {"Maxclients"}},
        {"unticked limit without a value", [](LaunchOptions& o) { o.Boolgemgoal = 2; o.Valgemgoal = ""; }, {}},
        {"extra line of 1,000 bytes", [](LaunchOptions& o) { o.addparam = std::string(1000, 'x'); }, {}},
        {"extra line of 1,001 bytes", [](LaunchOptions& o) { o.addparam = std::string(1001, 'x'); },
         {"Additional Parameters", "1001"}},
        {"long value", [](LaunchOptions& o) { o.Boolmaxgems = 1; o.Valmaxgems = std::string(995, '9'); },
         {"Max Gems", "1008"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(script());
        LaunchOptions o = options;
        c.edit(o);
        const auto prep = PrepareLaunch(shared, o);
        EXPECT_EQ(prep.outcome, c.mentions.empty() ? LaunchOutcome::Ready : LaunchOutcome::Refused) << prep.why;
        EXPECT_EQ(std::filesystem::exists(script()), c.mentions.empty());
        for (const auto& word : c.mentions)
            EXPECT_NE(prep.why.find(word), std::string::npos) << prep.why;
    }
}

TEST_F(PrepareLaunchTest, AScriptInAnEngineHomeFolderIsNamedAndNeverDeleted) {
    const auto home = dir / "home";
    EXPECT_TRUE(EngineHomeModFolders("").empty());
    std::filesystem::create_directories(home / ".yq2" / "vorn");
    WriteBytes(home / ".yq2" / "vorn" / "trel_connect.cfg", "old"); // the other script does not count
    EXPECT_EQ(PrepareLaunch(shared, options, PathText(home)).outcome, LaunchOutcome::Ready);
    std::filesystem::remove(script());
    const auto stale = home / ".local" / "share" / "YamagiQ2" / "vorn" / "trel_launcher.cfg";
    std::filesystem::create_directories(stale.parent_path());
    WriteBytes(stale, "old");
    auto prep = PrepareLaunch(shared, options, PathText(home));
    EXPECT_EQ(prep.outcome, LaunchOutcome::StaleScript);
    EXPECT_NE(prep.why.find(PathText(stale)), std::string::npos) << prep.why;
    EXPECT_FALSE(std::filesystem::exists(script()));
    prep = PrepareLaunch(shared, options, PathText(home), true);
    EXPECT_EQ(prep.outcome, LaunchOutcome::Ready);
    EXPECT_EQ(ReadBytes(stale), "old");
}

TEST_F(PrepareLaunchTest, ScriptThatCannotBeWrittenIsReportedWithItsFile) {
    // No modification folder; then a file where the folder should be.
    std::filesystem::remove_all(folder() / "vorn");
    auto prep = PrepareLaunch(shared, options);
    EXPECT_EQ(prep.outcome, LaunchOutcome::ScriptNotWritten);
    EXPECT_NE(prep.why.find("trel_launcher.cfg"), std::string::npos) << prep.why;
    WriteBytes(folder() / "vorn", "a file in the way");
    prep = PrepareLaunch(shared, options);
    EXPECT_EQ(prep.outcome, LaunchOutcome::ScriptNotWritten);
    EXPECT_NE(prep.why.find("trel_launcher.cfg"), std::string::npos) << prep.why;
    EXPECT_TRUE(prep.request.program.empty());
}

#ifndef _WIN32
// The exported script, run by sh from another folder, leaves the same launch script and starts the same
// program with the same arguments in the same folder as the Run button, whatever the folder's name holds.
TEST(ExportLaunch, ShellScriptDoesWhatRunDoes) {
    for (const std::string name : {"Quake 2", "it's \"q2\" $HOME `id` %P% !a! & ^ (x) \\ \xe9t\xe9"}) {
        TempDir dir;
        const auto folder = dir / name;
        std::filesystem::create_directories(folder / "vorn");
        // The stand-in game records its folder and arguments.
        WriteBytes(folder / std::string(kGameExecutableName), "#!/bin/sh\npwd > ../record\nprintf '%s\\n' \"$@\" >> ../record\n");
        std::filesystem::permissions(folder / std::string(kGameExecutableName), std::filesystem::perms::owner_all);
        const SharedValues shared{dir.path(), PathText(folder / std::string(kGameExecutableName)), PathText(folder), 1};
        LaunchOptions options;
        options.Map = 1;
        options.Dedicated = 1;
        options.addparam = "say 100% \"'$x'\" \\n";
        const auto file = dir / "out" / "vorn-launch.sh";
        std::filesystem::create_directories(file.parent_path());
        const auto prep = ExportLaunch(shared, options, file);
        ASSERT_EQ(prep.outcome, LaunchOutcome::Ready) << prep.why;
        EXPECT_FALSE(std::filesystem::exists(folder / "vorn" / "trel_launcher.cfg")) << "export starts nothing";
        EXPECT_NE(std::filesystem::status(file).permissions() & std::filesystem::perms::owner_exec,
                  std::filesystem::perms::none);
        WriteBytes(folder / "vorn" / "trel_launcher.cfg", "an older, longer launch script\r\n\r\n\r\n");
        ASSERT_EQ(std::system(("cd / && sh '" + PathText(file) + "'").c_str()), 0) << name;
        EXPECT_EQ(ReadBytes(folder / "vorn" / "trel_launcher.cfg"), LaunchScriptText(options)) << name;
        std::string record = PathText(folder) + "\n";
        for (const std::string& argument : GameLaunchRequest(shared, options).arguments)
            record += argument + "\n";
        EXPECT_EQ(ReadBytes(dir / "record"), record) << name;
        EXPECT_EQ(prep.request, GameLaunchRequest(shared, options));
    }
}
#endif

TEST(ExportLaunch, CmdScriptQuotesForCmd) {
    const LaunchRequest request{"C:\\Q 2 & 100%\\quake2.exe", {"+set", "game", "vorn"}, "C:\\Q 2 & 100%"};
    const auto text = ExportScriptText(request, "C:\\Q 2 & 100%\\vorn\\trel_launcher.cfg",
                                       "set a \"b&c^\" & 50% ^|<>!x!\r\n\r\n", ScriptShell::Cmd, 1252);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, "@echo off\r\n"
                     "rem Starts Vorn as Trel's Run button does: the launch script first, then the game.\r\n"
                     "setlocal DisableDelayedExpansion\r\n"
                     "chcp 1252 >nul 2>&1\r\n"
                     "if exist \"C:\\Q 2 & 100%%\\vorn\\trel_launcher.cfg.tmp\" del /f /q "
                     "\"C:\\Q 2 & 100%%\\vorn\\trel_launcher.cfg.tmp\"\r\n"
                     "type nul >\"C:\\Q 2 & 100%%\\vorn\\trel_launcher.cfg.tmp\"\r\n"
                     "if not exist \"C:\\Q 2 & 100%%\\vorn\\trel_launcher.cfg.tmp\" exit /b 1\r\n"
                     ">>\"C:\\Q 2 & 100%%\\vorn\\trel_launcher.cfg.tmp\" echo:set a \"b&c^\" ^& 50%% ^^^|^<^>!x!\r\n"
                     ">>\"C:\\Q 2 & 100%%\\vorn\\trel_launcher.cfg.tmp\" echo:\r\n"
                     "move /y \"C:\\Q 2 & 100%%\\vorn\\trel_launcher.cfg.tmp\" \"C:\\Q 2 & 100%%\\vorn\\trel_launcher.cfg\" "
                     ">nul\r\n"
                     "if exist \"C:\\Q 2 & 100%%\\vorn\\trel_launcher.cfg.tmp\" exit /b 1\r\n"
                     "(call )\r\n"
                     "cd /d \"C:\\Q 2 & 100%%\"\r\n"
                     "if errorlevel 1 exit /b 1\r\n"
                     "\"C:\\Q 2 & 100%%\\quake2.exe\" \"+set\" \"game\" \"vorn\"\r\n");
    // What cmd cannot hold: a quotation mark in a path, a lone line end inside the launch script.
    LaunchRequest quoted = request;
    quoted.workingDirectory = "C:\\a\"b";
    EXPECT_FALSE(ExportScriptText(quoted, "C:\\x", "a\r\n", ScriptShell::Cmd));
    EXPECT_FALSE(ExportScriptText(request, "C:\\x", "a\nb\r\n", ScriptShell::Cmd));
    EXPECT_FALSE(ExportScriptText(request, "C:\\x", "a", ScriptShell::Cmd));
}

TEST_F(PrepareLaunchTest, ExportThatCannotBeWrittenNamesTheFile) {
    WriteBytes(dir / "in the way", "a file where the folder should be");
    const auto file = dir / "in the way" / std::string(kExportScriptName);
    const auto prep = ExportLaunch(shared, options, file);
    EXPECT_EQ(prep.outcome, LaunchOutcome::ScriptNotWritten);
    EXPECT_EQ(prep.why.rfind(PathText(file) + ": ", 0), 0u) << prep.why;
    EXPECT_FALSE(std::filesystem::exists(script()));
}

TEST(Preview, FragmentsInOrder) {
    const std::string exe = "C:\\Quake2\\quake2.exe";
    struct Case {
        const char* name;
        LaunchOptions options;
        std::string text;
    };
    const Case cases[] = {
        {"single player example", With([](LaunchOptions& o) { o.Gametype = 0; }, -1),
         exe + " +set game vorn +set gametype 0 +set dmflags 0 + set server_ini  +sp 1"},
        {"nothing chosen", LaunchOptions(), exe + " +set game vorn +set gametype 3 +set dmflags 0 + set server_ini  "},
        {"dedicated comes right after the modification", With([](LaunchOptions& o) { o.Dedicated = 1; }, -1),
         exe + " +set game vorn +set dedicated 1 +set gametype 3 +set dmflags 0 + set server_ini  "},
        {"force-join shown with deathmatch, the ini quoted as in the script",
         With([](LaunchOptions& o) { o.Gametype = 3; o.Forcejoin = 1; o.serverini = "my server.ini"; }, -1),
         exe + " +set game vorn +set gametype 3 +set forcejoin 1 +set dmflags 0 + set server_ini \"my server.ini\" "},
        {"everything",
         With([](LaunchOptions& o) {
             o.Gametype = 0; o.Forcejoin = 1; o.DMflags = 1028; o.Booltimelimit = 1; o.Valtimelimit = "20";
             o.Boolmaxclients = 1; o.Valmaxclients = "8"; o.Boolgemgoal = 1; o.Valgemgoal = "10"; o.Boolmaxgems = 1;
             o.Valmaxgems = "3"; o.MonsterRespawn = 1; o.addparam = "set x 1"; o.serverini = "mine.ini";
         }, 4),
         exe + " +set game vorn +set gametype 0 +set forcejoin 1 +set dmflags 1028 +set vorn_timelimit 20 "
               "+set maxclients 8 +set gem_goal 10 +set max_gems 3 +set monster_respawn 1 + set x 1 "
               "+ set server_ini mine.ini +map vorn_sp01 +sp 1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BuildCommandLineText(exe, c.options), c.text) << c.name;
}

} // namespace
} // namespace trel
