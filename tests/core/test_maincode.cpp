// Launch options: the settings keys' load and save, the launch script, the command text and preview, the
// exported launch; start-up's decision and store of the executable; the wizard's summary.

#include "launchexport.h"
#include "mdlIniStuff.h"
#include "mdlmaincode.h"
#include "mdlsplash.h"
#include "mdlwizard.h"
#include "platform.h"
#include "test_helpers.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <tuple>

namespace trel {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

constexpr const char* kValidSettings = "[Quake2exe]\r\nUsed=1\r\nPath=/games/q2/quake2\r\ndir=/games/q2\r\n"
                                       "[Settings]\r\nDMflags=5\r\nDedicated=1\r\nBoolmaxclients=0\r\n"
                                       "Valmaxclients=8\r\nBooltimelimit=1\r\nValtimelimit=20\r\nBoolgemgoal=2\r\n"
                                       "Valgemgoal=abc\r\nMonsterRespawn=0\r\nForcejoin=1\r\nGametype=-1\r\n"
                                       "Commandline=0\r\nMap=4\r\nBoolmaxgems=0\r\nValmaxgems=\r\n"
                                       "serverini=mine.ini\r\n";

// A valid file gives every key in order, numbers for the numeric keys and the text keys as stored; a value
// that does not convert stops the load at its key and names it or its value (the number conversion, the file
// in the message and a missing DMflags are the fuzz target's).
TEST(SettingsLoad, ValidFileGivesEveryKeyAndABadValueStopsAtItsKey) {
    TempDir dir;
    WriteBytes(dir / "trel.ini", kValidSettings);
    const SettingsLoad load = ReadSettingsForLoad(dir / "trel.ini");
    EXPECT_FALSE(load.error.has_value());
    EXPECT_EQ(std::make_tuple(load.Quake2Path, load.Quake2Folder, load.DMflags), // "dir" is read as "Dir"
              std::make_tuple("/games/q2/quake2", "/games/q2", std::optional<std::int32_t>(5)));
    const std::vector<std::pair<int, std::string>> expected = {
        {1, "1"}, {0, "0"}, {0, "8"},  {1, "1"}, {0, "20"}, {2, "2"}, {0, "abc"},     {0, "0"},
        {1, "1"}, {-1, "-1"}, {0, "0"}, {4, "4"}, {0, "0"},  {0, ""},  {0, "mine.ini"}};
    ASSERT_EQ(load.steps.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(std::make_pair(load.steps[i].number, load.steps[i].text), expected[i]) << kSettingsKeys[i + 1];
    const std::tuple<std::string, std::string, std::size_t, int, const char*> cases[] = {
        {"Dedicated=", "", 0, kErrorNotANumber, "Dedicated"},
        {"Booltimelimit=", "Booltimelimit=3", 3, kErrorOutOfRange, "\"3\""},
        {"Gametype=", "Gametype=-2", 9, kErrorOutOfRange, "Gametype"}, {"Map=", "Map=5", 11, kErrorOutOfRange, "\"5\""}};
    for (const auto& [key, newLine, stepsApplied, number, mentions] : cases) {
        SCOPED_TRACE(newLine.empty() ? key + " missing" : newLine);
        std::string text = kValidSettings;
        const auto at = text.find("\r\n" + key) + 2;
        text.replace(at, text.find("\r\n", at) + 2 - at, newLine.empty() ? "" : newLine + "\r\n");
        WriteBytes(dir / "trel.ini", text);
        const SettingsLoad bad = ReadSettingsForLoad(dir / "trel.ini");
        ASSERT_TRUE(bad.error.has_value());
        EXPECT_EQ(bad.error->number, number);
        EXPECT_NE(bad.error->description.find(mentions), std::string::npos) << bad.error->description;
        EXPECT_EQ(bad.steps.size(), stepsApplied);
    }
}

// The stored total ticks its boxes largest first, the largest once however often it fits; the running
// total wraps instead of overflowing.
TEST(DmFlags, StoredNumberTicksTheseBoxesAndTheTotalWraps) {
    using V = std::vector<std::int32_t>;
    const V all = {32768, 16384, 8192, 4096, 2048, 1024, 512, 256, 128, 64, 32, 16, 8, 4, 2, 1};
    const std::pair<std::int32_t, V> cases[] = {
        {INT_MIN, {}}, {5, {4, 1}}, {32768 * 3 + 6, {32768, 4, 2}}, {65535, all}, {INT_MAX, all}};
    for (const auto& [stored, boxes] : cases)
        EXPECT_EQ(DmFlagsToTick(stored), boxes) << stored;
    EXPECT_EQ(std::make_tuple(AddDmFlag(13, -8), AddDmFlag(INT_MAX, 1), AddDmFlag(INT_MIN, -1)),
              std::make_tuple(5, INT_MIN, INT_MAX));
}

// The sixteen keys in order with the boxes' texts (the flags box's text, not the running total).
TEST(SettingsSave, SixteenKeysInOrderWithTheirTexts) {
    LaunchOptions o;
    o.DMflags = 99;
    o.Dedicated = o.Boolmaxclients = o.Commandline = 1, o.Booltimelimit = o.Gametype = 2;
    std::tie(o.Valmaxclients, o.Valgemgoal, o.serverini) = std::make_tuple("16", "lots", "mine.ini");
    const auto pairs = SettingsToSave(o, "1028");
    std::vector<std::string> keys, texts;
    for (const auto& [key, text] : pairs)
        keys.push_back(key), texts.push_back(text);
    EXPECT_EQ(keys, std::vector<std::string>(kSettingsKeys.begin(), kSettingsKeys.end()));
    EXPECT_EQ(texts, (std::vector<std::string>{"1028", "1", "1", "16", "2", "0", "0", "lots", "0", "0", "2", "1", "-1",
                                               "0", "0", "mine.ini"}));
}

LaunchOptions With(void (*edit)(LaunchOptions&), int map = 0) {
    LaunchOptions o;
    o.Map = map;
    edit(o);
    return o;
}

// The script for each game type and box: force-join only in the team games, grey boxes as unticked, the
// extra line as typed, the server ini quoted unless a plain name, the map last.
TEST(LaunchScript, LinesForEachGameType) {
    const std::string start = "set gametype 3\r\nset dmflags 0\r\n", end = "set server_ini vorn.ini\r\nmap vorn01\r\n";
    const std::pair<LaunchOptions, std::string> cases[] = {
        {With([](LaunchOptions& o) { o.Forcejoin = 1; }), start + end},
        {With([](LaunchOptions& o) { o.Gametype = 3; o.Forcejoin = 1; }), start + end},
        {With([](LaunchOptions& o) { o.Gametype = 0; o.Forcejoin = 1; }),
         "set gametype 0\r\nset sp 1\r\nset dmflags 0\r\n" + end},
        {With([](LaunchOptions& o) { o.Gametype = 2; o.Forcejoin = 1; }),
         "set gametype 2\r\nset forcejoin 1\r\nset dmflags 0\r\n" + end},
        {With([](LaunchOptions& o) { o.Gametype = 1; o.Forcejoin = o.Booltimelimit = o.MonsterRespawn = 2; }),
         "set gametype 1\r\nset dmflags 0\r\n" + end},
        {With([](LaunchOptions& o) {
             o.Gametype = o.Forcejoin = o.Booltimelimit = o.Boolmaxclients = o.Boolgemgoal = o.Boolmaxgems = 1;
             o.MonsterRespawn = o.Dedicated = 1;
             o.Valtimelimit = "5"; o.Valmaxclients = "8"; o.Valgemgoal = "x"; o.Valmaxgems = "9"; o.DMflags = -7;
             o.addparam = "set hostname \"Gem  hunt\""; o.serverini = "My_server-2.ini";
         }, 4),
         "set gametype 1\r\nset forcejoin 1\r\nset dmflags -7\r\nset vorn_timelimit 5\r\nset maxclients 8\r\n"
         "set gem_goal x\r\nset max_gems 9\r\nset monster_respawn 1\r\nset hostname \"Gem  hunt\"\r\n"
         "set server_ini My_server-2.ini\r\nmap vorn_sp01\r\n"},
        {With([](LaunchOptions& o) { o.serverini = "my server.ini;quit$x//\xe9"; }),
         start + "set server_ini \"my server.ini;quit$x//\xe9\"\r\nmap vorn01\r\n"},
    };
    for (const auto& [options, text] : cases)
        EXPECT_EQ(LaunchScriptText(options), text);
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

// The script is written and the game is asked for (a whole replacement is WriteFileAtomic's, test_platform.cpp).
TEST_F(PrepareLaunchTest, WritesTheWholeScriptAndRequestsTheGame) {
    options.Dedicated = 1;
    const auto prep = PrepareLaunch(shared, options);
    ASSERT_EQ(prep.outcome, LaunchOutcome::Ready) << prep.why;
    EXPECT_EQ(ReadBytes(script()), "set gametype 3\r\nset dmflags 0\r\nset server_ini vorn.ini\r\nmap vorn02\r\n");
    EXPECT_EQ(prep.request, GameLaunchRequest(shared, true, "trel_launcher.cfg"));
    // An export that cannot be written names its file.
    WriteBytes(dir / "in the way", "a file where the folder should be");
    const auto file = dir / "in the way" / std::string(kExportScriptName);
    const auto failed = ExportLaunch(shared, options, file);
    EXPECT_EQ(failed.outcome, LaunchOutcome::ScriptNotWritten);
    EXPECT_EQ(failed.why.rfind(PathText(file) + ": ", 0), 0u) << failed.why;
}

// Neither the Run button nor the export writes anything for a wrong executable, no map or options the
// game would misread; the refusal names the option.
TEST_F(PrepareLaunchTest, WrongExecutableNoMapOrRefusedOptionsWriteNothing) {
    const std::string exe(kGameExecutableName);
    WriteBytes(folder() / "Quake2", "game");
    std::filesystem::create_directories(folder() / "dir" / exe);
    using Edit = void (*)(LaunchOptions&);
    const Edit none = [](LaunchOptions&) {};
    std::vector<std::tuple<std::string, int, Edit, std::vector<std::string>>> cases = {
        {"Quake2", 1, none, {}}, {"dir/" + exe, 1, none, {}}, {"", 1, none, {}}, {exe, 5, none, {}},
        {exe, 1, [](LaunchOptions& o) { o.serverini = "a\tb.ini"; }, {"Custom server ini", "0x09"}},
        {exe, 1, [](LaunchOptions& o) { o.Boolmaxclients = 1; o.Valmaxclients = ""; }, {"Maxclients"}},
        {exe, 1, [](LaunchOptions& o) { o.addparam = std::string(1001, 'x'); }, {"Additional Parameters", "1001"}}};
#ifndef _WIN32
    WriteBytes(folder() / "QUAKE2.EXE", "game"); // names in other case on Windows: test_platform_windows.cpp
    cases.emplace_back("QUAKE2.EXE", 1, none, std::vector<std::string>{});
#endif
    for (const auto& [name, map, edit, mentions] : cases) {
        SCOPED_TRACE(name + " map " + std::to_string(map) + " " + (mentions.empty() ? "" : mentions.front()));
        SharedValues wrong = shared;
        wrong.Quake2Path = name.empty() ? "" : PathText(folder() / name);
        LaunchOptions o = options;
        o.Map = map;
        edit(o);
        const auto outcome = !mentions.empty() ? LaunchOutcome::Refused
                             : map == 1        ? LaunchOutcome::WrongExecutable
                                               : LaunchOutcome::NoMap;
        const auto prep = PrepareLaunch(wrong, o);
        EXPECT_EQ(prep.outcome, outcome);
        EXPECT_EQ(ExportLaunch(wrong, o, dir / "launch").outcome, outcome);
        EXPECT_FALSE(std::filesystem::exists(script()));
        EXPECT_FALSE(std::filesystem::exists(dir / "launch"));
        for (const auto& word : mentions)
            EXPECT_NE(prep.why.find(word), std::string::npos) << prep.why;
    }
    // What is just allowed: an unticked limit without a value, an extra line of 1,000 bytes.
    options.Boolgemgoal = 2;
    options.Valgemgoal = "";
    options.addparam = std::string(1000, 'x');
    EXPECT_EQ(PrepareLaunch(shared, options).outcome, LaunchOutcome::Ready);
}

// A launch script in an engine's home folder would be run instead: its name is shown, it is never deleted.
TEST_F(PrepareLaunchTest, AScriptInAnEngineHomeFolderIsNamedAndNeverDeleted) {
    const auto home = dir / "home";
    std::filesystem::create_directories(home / ".yq2" / "vorn");
    WriteBytes(home / ".yq2" / "vorn" / "trel_connect.cfg", "old"); // the other script does not count
    const auto stale = home / ".local" / "share" / "YamagiQ2" / "vorn" / "trel_launcher.cfg";
    std::filesystem::create_directories(stale.parent_path());
    WriteBytes(stale, "old");
    const auto prep = PrepareLaunch(shared, options, PathText(home));
    EXPECT_EQ(prep.outcome, LaunchOutcome::StaleScript);
    EXPECT_NE(prep.why.find(PathText(stale)), std::string::npos) << prep.why;
    EXPECT_FALSE(std::filesystem::exists(script()));
    EXPECT_EQ(PrepareLaunch(shared, options, PathText(home), true).outcome, LaunchOutcome::Ready);
    EXPECT_EQ(ReadBytes(stale), "old");
}

#ifndef _WIN32
// The exported script, run by sh from another folder, leaves the Run button's launch script and starts the
// same program with the same arguments in the same folder, whatever the folder's name holds.
TEST(ExportLaunch, ShellScriptDoesWhatRunDoes) {
    for (const std::string name : {"Quake 2", "it's \"q2\" $HOME `id` %P% !a! & ^ (x) \\ \xe9t\xe9"}) {
        TempDir dir;
        const auto folder = dir / name, game = folder / std::string(kGameExecutableName);
        std::filesystem::create_directories(folder / "vorn");
        WriteBytes(game, "#!/bin/sh\npwd > ../record\nprintf '%s\\n' \"$@\" >> ../record\n"); // records what it got
        std::filesystem::permissions(game, std::filesystem::perms::owner_all);
        const SharedValues shared{dir.path(), PathText(game), PathText(folder), 1};
        LaunchOptions options;
        options.Map = options.Dedicated = 1;
        options.addparam = "say 100% \"'$x'\" \\n";
        const auto file = dir / "out" / "vorn-launch.sh";
        std::filesystem::create_directories(file.parent_path());
        const auto prep = ExportLaunch(shared, options, file);
        ASSERT_EQ(prep.outcome, LaunchOutcome::Ready) << prep.why;
        EXPECT_EQ(prep.request, GameLaunchRequest(shared, options));
        EXPECT_FALSE(std::filesystem::exists(folder / "vorn" / "trel_launcher.cfg")) << "export starts nothing";
        WriteBytes(folder / "vorn" / "trel_launcher.cfg", "an older, longer launch script\r\n\r\n\r\n");
        ASSERT_EQ(std::system(("cd / && '" + PathText(file) + "'").c_str()), 0) << name; // runs as a program
        EXPECT_EQ(ReadBytes(folder / "vorn" / "trel_launcher.cfg"), LaunchScriptText(options)) << name;
        EXPECT_EQ(ReadBytes(dir / "record"), PathText(folder) + "\n+set\ngame\nvorn\n+set\ndedicated\n1\n+exec\n"
                                                                "trel_launcher.cfg\n") << name;
        EXPECT_EQ(test::FolderEntries(folder / "vorn"), std::vector<std::string>{"trel_launcher.cfg"});
    }
}
#endif

// The cmd script, byte for byte: % doubled, ^ & | < > escaped outside quotation marks, each step checked.
TEST(ExportLaunch, CmdScriptQuotesForCmd) {
    const LaunchRequest request{"C:\\Q 2 & 100%\\quake2.exe", {"+set", "game", "vorn"}, "C:\\Q 2 & 100%"};
    const auto text = ExportScriptText(request, "C:\\Q 2 & 100%\\vorn\\trel_launcher.cfg",
                                       "set a \"b&c^\" & 50% ^|<>!x!\r\n\r\n", ScriptShell::Cmd, 1252);
    const std::string tmp = "\"C:\\Q 2 & 100%%\\vorn\\trel_launcher.cfg.tmp\"";
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, "@echo off\r\n"
                     "rem Starts Vorn as Trel's Run button does: the launch script first, then the game.\r\n"
                     "setlocal DisableDelayedExpansion\r\nchcp 1252 >nul 2>&1\r\nif exist " +
                         tmp + " del /f /q " + tmp +
                     "\r\ntype nul >" + tmp + "\r\nif not exist " + tmp + " exit /b 1\r\n>>" + tmp +
                     " echo:set a \"b&c^\" ^& 50%% ^^^|^<^>!x!\r\n>>" + tmp + " echo:\r\nmove /y " + tmp +
                     " \"C:\\Q 2 & 100%%\\vorn\\trel_launcher.cfg\" >nul\r\nif exist " + tmp +
                     " exit /b 1\r\n(call )\r\n"
                     "cd /d \"C:\\Q 2 & 100%%\"\r\nif errorlevel 1 exit /b 1\r\n"
                     "\"C:\\Q 2 & 100%%\\quake2.exe\" \"+set\" \"game\" \"vorn\"\r\n");
    // What cmd cannot hold: a quotation mark in a path, a lone line end inside the launch script.
    LaunchRequest quoted = request;
    quoted.workingDirectory = "C:\\a\"b";
    EXPECT_FALSE(ExportScriptText(quoted, "C:\\x", "a\r\n", ScriptShell::Cmd));
    EXPECT_FALSE(ExportScriptText(request, "C:\\x", "a\nb\r\n", ScriptShell::Cmd));
    EXPECT_FALSE(ExportScriptText(request, "C:\\x", "a", ScriptShell::Cmd));
}

// The command the game starts with, and the command-line viewer's text: its fragments in the game's order,
// "+ set server_ini" with its blank.
TEST(Preview, FragmentsInOrder) {
    const std::string exe = "C:\\Quake2\\quake2.exe";
    EXPECT_EQ(CommandText(exe, true), exe + " +set game vorn +set dedicated 1 +exec trel_launcher.cfg");
    const std::pair<LaunchOptions, std::string> cases[] = {
        {With([](LaunchOptions& o) { o.Dedicated = 1; }, -1),
         exe + " +set game vorn +set dedicated 1 +set gametype 3 +set dmflags 0 + set server_ini  "},
        {With([](LaunchOptions& o) {
             o.Gametype = 0; o.Forcejoin = 1; o.DMflags = 1028; o.Booltimelimit = 1; o.Valtimelimit = "20";
             o.Boolmaxclients = 1; o.Valmaxclients = "8"; o.Boolgemgoal = 1; o.Valgemgoal = "10"; o.Boolmaxgems = 1;
             o.Valmaxgems = "3"; o.MonsterRespawn = 1; o.addparam = "set x 1"; o.serverini = "mine.ini";
         }, 4),
         exe + " +set game vorn +set gametype 0 +set forcejoin 1 +set dmflags 1028 +set vorn_timelimit 20 "
               "+set maxclients 8 +set gem_goal 10 +set max_gems 3 +set monster_respawn 1 + set x 1 "
               "+ set server_ini mine.ini +map vorn_sp01 +sp 1"},
    };
    for (const auto& [options, text] : cases)
        EXPECT_EQ(BuildCommandLineText(exe, options), text);
}

// Start-up's message for a missing Used (which numbers start normally is the fuzz target's to check).
TEST(StartDecision, MissingUsedFlagIsALoadError) {
    TempDir dir;
    const auto ini = dir / "trel.ini";
    EXPECT_EQ(FormatLoadError(*DecideStart(ini).error), // a blank before a non-negative number, so two after "-"
              "The setting Used in section Quake2exe of " + PathText(ini) +
                  " is missing or empty, and it must be a whole number -  13");
}

// The locator's directory label (cut from 12 characters on) and the path joined from folder and name.
TEST(Splash, DirectoryLabelAndJoinedPath) {
#ifdef _WIN32
    EXPECT_EQ(ShortDirectoryLabel("c:\\quake2ab", "c: [system]"), "c:\\quake2ab");
    EXPECT_EQ(ShortDirectoryLabel("c:\\quake2abc", "c: [system]"), "c:\\..");
    EXPECT_EQ(JoinQuake2Path("c:\\", "quake2.exe"), "c:\\quake2.exe");
#else
    EXPECT_EQ(ShortDirectoryLabel("/games/q2ab", "/"), "/games/q2ab");
    EXPECT_EQ(ShortDirectoryLabel("/media/usb/quake2", "/media/usb/"), "/media/usb/..");
    EXPECT_EQ(JoinQuake2Path("/my games/q2/", "quake2"), "/my games/q2/quake2");
#endif
    EXPECT_EQ(JoinQuake2Path("", "quake2"), "quake2");
}

// The accepted executable: Used, then Path, then dir, in a new file or in place, other sections kept.
TEST(SplashStore, WritesUsedThenPathThenDirKeepsTheOtherSections) {
    TempDir dir;
    const auto ini = dir / "trel.ini";
    std::string why;
    ASSERT_TRUE(StoreQuake2Exe(ini, "/my games/q2/quake2", "/my games/q2", why)) << why;
    EXPECT_EQ(ReadBytes(ini), "[Quake2exe]\r\nUsed=1\r\nPath=/my games/q2/quake2\r\ndir=/my games/q2\r\n");
    WriteBytes(ini, "[Quake2exe]\r\nUsed=0\r\nPath=old\r\nDir=old\r\n[Settings]\r\nDMflags=5\r\n");
    ASSERT_TRUE(StoreQuake2Exe(ini, "/q2/quake2", "/q2", why)) << why;
    EXPECT_EQ(ReadBytes(ini), "[Quake2exe]\r\nUsed=1\r\nPath=/q2/quake2\r\nDir=/q2\r\n[Settings]\r\nDMflags=5\r\n");
}

// The wizard's summary: ten lines with CR LF, the game type right after its colon, vorn01 with no map chosen.
TEST(WizardSummary, ExampleReadsLineByLine) {
    EXPECT_EQ(ComposeWizardSummary({"vorn02", "Deathmatch", "20", "0", "10"}),
              "The map you have chosen is\r\nvorn02\r\n\r\nYou have chosen gametype :Deathmatch\r\n\r\n"
              "Timelimit : 20\r\n\r\nMaximum gems : 0\r\n\r\nGem goal : 10\r\n");
    EXPECT_EQ(ComposeWizardSummary({std::nullopt, "", "", "", ""}).substr(0, 36),
              "The map you have chosen is\r\nvorn01\r\n");
}

} // namespace
} // namespace trel
