// Launch options: the settings' load and save, the launch script, command and preview, the exported launch;
// start-up and the wizard's summary; finding Quake 2 (library lists, search roots, candidates with the mod first).

#include "gamesearch.h"
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
#include <functional>
#include <map>
#include <tuple>

// The tables name only the launch options a row sets; the rest keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace trel {
namespace {

using namespace test;
using Texts = std::vector<std::string>;

// A valid file gives every key in order, numbers for the numeric keys and the text keys as stored; a value
// that does not convert stops the load at its key and names it or its value (the number conversion, the file
// in the message and a missing DMflags are the fuzz target's).
TEST(Settings, LoadStopsAtABadValueAndSaveWritesTheSixteenKeys) {
    const std::string valid = "[Quake2exe]\r\nUsed=1\r\nPath=/games/q2/quake2\r\ndir=/games/q2\r\n[Settings]\r\n"
        "DMflags=5\r\nDedicated=1\r\nBoolmaxclients=0\r\nValmaxclients=8\r\nBooltimelimit=1\r\nValtimelimit=20\r\n"
        "Boolgemgoal=2\r\nValgemgoal=abc\r\nMonsterRespawn=0\r\nForcejoin=1\r\nGametype=-1\r\nCommandline=0\r\n"
        "Map=4\r\nBoolmaxgems=0\r\nValmaxgems=\r\nserverini=mine.ini\r\n";
    TempDir dir;
    const auto load = [&](const std::string& t) { return WriteBytes(dir / "a", t), ReadSettingsForLoad(dir / "a"); };
    const SettingsLoad good = load(valid);
    EXPECT_EQ(std::tuple(good.error.has_value(), good.Quake2Path, good.Quake2Folder, good.DMflags), // "dir" as "Dir"
              std::tuple(false, "/games/q2/quake2", "/games/q2", std::optional<std::int32_t>(5)));
    std::string steps;
    for (const LoadStep& step : good.steps)
        steps += std::to_string(step.number) + "=" + step.text + " ";
    EXPECT_EQ(steps, "1=1 0=0 0=8 1=1 0=20 2=2 0=abc 0=0 1=1 -1=-1 0=0 4=4 0=0 0= 0=mine.ini ");
    const std::tuple<std::string, std::string, std::size_t, int, const char*> cases[] = { // line, new, steps, error
        {"Dedicated=1\r\n", "", 0, kErrorNotANumber, "Dedicated"}, {"Map=4", "Map=5", 11, kErrorOutOfRange, "\"5\""}};
    for (const auto& [line, newLine, stepsApplied, number, mentions] : cases) {
        const SettingsLoad bad = load(std::string(valid).replace(valid.find(line), line.size(), newLine));
        ASSERT_TRUE(bad.error.has_value()) << line;
        const bool named = bad.error->description.find(mentions) != std::string::npos;
        EXPECT_EQ(std::tuple(bad.error->number, bad.steps.size(), named), std::tuple(number, stepsApplied, true))
            << bad.error->description;
    }
    // The stored total ticks its boxes largest first, the largest once however often it fits; the running total
    // wraps instead of overflowing. A save writes the sixteen keys in order with the boxes' texts (the flags
    // box's text, not the running total).
    using V = std::vector<std::int32_t>;
    const V all = {32768, 16384, 8192, 4096, 2048, 1024, 512, 256, 128, 64, 32, 16, 8, 4, 2, 1};
    for (const auto& [stored, boxes] : std::vector<std::pair<std::int32_t, V>>{
             {INT_MIN, {}}, {5, {4, 1}}, {32768 * 3 + 6, {32768, 4, 2}}, {65535, all}, {INT_MAX, all}})
        EXPECT_EQ(DmFlagsToTick(stored), boxes) << stored;
    EXPECT_EQ(std::make_tuple(AddDmFlag(13, -8), AddDmFlag(INT_MAX, 1), AddDmFlag(INT_MIN, -1)),
              std::make_tuple(5, INT_MIN, INT_MAX));
    const LaunchOptions o{.DMflags = 99, .Dedicated = 1, .Boolmaxclients = 1, .Valmaxclients = "16", .Booltimelimit = 2,
                          .Valgemgoal = "lots", .Gametype = 2, .Commandline = 1, .serverini = "mine.ini"};
    Texts keys, texts;
    for (const auto& [key, text] : SettingsToSave(o, "1028"))
        keys.push_back(key), texts.push_back(text);
    EXPECT_EQ(std::pair(keys, texts), std::pair(Texts(kSettingsKeys.begin(), kSettingsKeys.end()), Texts{"1028", "1",
              "1", "16", "2", "0", "0", "lots", "0", "0", "2", "1", "-1", "0", "0", "mine.ini"}));
}

// The script for each game type and box: force-join only in the team games, grey boxes as unticked, the
// extra line as typed, the server ini quoted unless a plain name, the map last. The command the game starts
// with, and the command-line viewer's fragments in the game's order, "+ set server_ini" with its blank.
TEST(LaunchScript, LinesForEachGameTypeThePreviewAndTheCmdScript) {
    const std::string start = "set gametype 3\r\nset dmflags 0\r\n", end = "set server_ini vorn.ini\r\nmap vorn01\r\n";
    const std::pair<LaunchOptions, std::string> cases[] = {
        {{.Forcejoin = 1, .Map = 0}, start + end}, {{.Forcejoin = 1, .Gametype = 3, .Map = 0}, start + end},
        {{.Forcejoin = 1, .Gametype = 0, .Map = 0}, "set gametype 0\r\nset sp 1\r\nset dmflags 0\r\n" + end},
        {{.Forcejoin = 1, .Gametype = 2, .Map = 0}, "set gametype 2\r\nset forcejoin 1\r\nset dmflags 0\r\n" + end},
        {{.Booltimelimit = 2, .MonsterRespawn = 2, .Forcejoin = 2, .Gametype = 1, .Map = 0},
         "set gametype 1\r\nset dmflags 0\r\n" + end},
        {{.DMflags = -7, .Dedicated = 1, .Boolmaxclients = 1, .Valmaxclients = "8", .Booltimelimit = 1,
          .Valtimelimit = "5", .Boolgemgoal = 1, .Valgemgoal = "x", .MonsterRespawn = 1, .Forcejoin = 1, .Gametype = 1,
          .Map = 4, .Boolmaxgems = 1, .Valmaxgems = "9", .serverini = "My_server-2.ini",
          .addparam = "set hostname \"Gem  hunt\""},
         "set gametype 1\r\nset forcejoin 1\r\nset dmflags -7\r\nset vorn_timelimit 5\r\nset maxclients 8\r\n"
         "set gem_goal x\r\nset max_gems 9\r\nset monster_respawn 1\r\nset hostname \"Gem  hunt\"\r\n"
         "set server_ini My_server-2.ini\r\nmap vorn_sp01\r\n"},
        {{.Map = 0, .serverini = "my server.ini;quit$x//\xe9"},
         start + "set server_ini \"my server.ini;quit$x//\xe9\"\r\nmap vorn01\r\n"}};
    for (const auto& [options, text] : cases)
        EXPECT_EQ(LaunchScriptText(options), text);
    const std::string exe = "C:\\Quake2\\quake2.exe";
    EXPECT_EQ(CommandText(exe, true), exe + " +set game vorn +set dedicated 1 +exec trel_launcher.cfg");
    EXPECT_EQ(BuildCommandLineText(exe, {.Dedicated = 1}),
              exe + " +set game vorn +set dedicated 1 +set gametype 3 +set dmflags 0 + set server_ini  ");
    const LaunchOptions all{.DMflags = 1028, .Boolmaxclients = 1, .Valmaxclients = "8", .Booltimelimit = 1,
        .Valtimelimit = "20", .Boolgemgoal = 1, .MonsterRespawn = 1, .Forcejoin = 1, .Gametype = 0, .Map = 4,
        .Boolmaxgems = 1, .Valmaxgems = "3", .serverini = "mine.ini", .addparam = "set x 1"};
    EXPECT_EQ(BuildCommandLineText(exe, all), exe + " +set game vorn +set gametype 0 +set forcejoin 1 +set dmflags 1028"
              " +set vorn_timelimit 20 +set maxclients 8 +set gem_goal 10 +set max_gems 3 +set monster_respawn 1 "
              "+ set x 1 + set server_ini mine.ini +map vorn_sp01 +sp 1");
    // The exported cmd script, byte for byte: % doubled, ^ & | < > escaped outside quotation marks, each step
    // checked; a quotation mark in a path, which cmd cannot hold, is no script.
    const LaunchRequest request{"C:\\Q 2 & 100%\\quake2.exe", {"+set", "game", "vorn"}, "C:\\Q 2 & 100%"};
    const auto text = ExportScriptText(request, "C:\\Q 2 & 100%\\vorn\\trel_launcher.cfg",
                                       "set a \"b&c^\" & 50% ^|<>!x!\r\n\r\n", ScriptShell::Cmd, 1252);
    const std::string tmp = "\"C:\\Q 2 & 100%%\\vorn\\trel_launcher.cfg.tmp\"";
    EXPECT_EQ(text.value_or("none"),
              "@echo off\r\nrem Starts Vorn as Trel's Run button does: the launch script first, then the game.\r\n"
              "setlocal DisableDelayedExpansion\r\nchcp 1252 >nul 2>&1\r\nif exist " + tmp + " del /f /q " + tmp +
              "\r\ntype nul >" + tmp + "\r\nif not exist " + tmp + " exit /b 1\r\n>>" + tmp +
              " echo:set a \"b&c^\" ^& 50%% ^^^|^<^>!x!\r\n>>" + tmp + " echo:\r\nmove /y " + tmp +
              " \"C:\\Q 2 & 100%%\\vorn\\trel_launcher.cfg\" >nul\r\nif exist " + tmp + " exit /b 1\r\n(call )\r\n"
              "cd /d \"C:\\Q 2 & 100%%\"\r\nif errorlevel 1 exit /b 1\r\n"
              "\"C:\\Q 2 & 100%%\\quake2.exe\" \"+set\" \"game\" \"vorn\"\r\n");
    EXPECT_FALSE(ExportScriptText({request.program, {}, "C:\\a\"b"}, "C:\\x", "a\r\n", ScriptShell::Cmd));
}

// The Run button and the export: nothing written or asked for with a wrong executable, no map or options the
// game would misread (the refusal naming the option); a launch script in an engine's home folder, which would run
// instead, named and never deleted; then the whole script written and the game asked for (whole replacement:
// test_platform.cpp); a script that cannot be written asks for nothing and the export names its file.
TEST(PrepareLaunch, WritesTheScriptOnlyWhenReady) {
    TempDir dir;
    const std::string exe{kGameExecutableName};
#ifdef _WIN32
    const std::filesystem::path folder = dir / "Quake 2", script = folder / "vorn" / "trel_launcher.cfg";
#else // the exported shell script must carry any name
    const std::filesystem::path folder = dir / "it's \"q2\" $HOME `id` %P% !a! & ^ (x) \\ \xe9t\xe9",
                                script = folder / "vorn" / "trel_launcher.cfg";
#endif
    std::filesystem::create_directories(folder / "dir" / exe);
    std::filesystem::create_directories(folder / "vorn");
    for (const char* name : {exe.c_str(), "Quake2", "QUAKE2.EXE"}) // other case on Windows: test_platform_windows
        WriteBytes(folder / name, "game");
    const SharedValues shared{dir.path(), PathText(folder / exe), PathText(folder), 1};
    using enum LaunchOutcome;
    LaunchOptions options{.Map = 1};
    std::vector<std::tuple<std::string, LaunchOptions, LaunchOutcome, Texts>> cases = { // executable, refusal's words
        {"Quake2", options, WrongExecutable, {}}, {"dir/" + exe, options, WrongExecutable, {}},
        {"", options, WrongExecutable, {}}, {exe, {.Map = 5}, NoMap, {}},
        {exe, {.Map = 1, .serverini = "a\tb.ini"}, Refused, {"Custom server ini", "0x09"}},
        {exe, {.Boolmaxclients = 1, .Valmaxclients = "", .Map = 1}, Refused, {"Maxclients"}},
        {exe, {.Map = 1, .addparam = std::string(1001, 'x')}, Refused, {"Additional Parameters", "1001"}}};
#ifndef _WIN32
    cases.emplace_back("QUAKE2.EXE", options, WrongExecutable, Texts{});
#endif
    for (const auto& [name, o, outcome, mentions] : cases) {
        SCOPED_TRACE(name + " map " + std::to_string(o.Map) + " " + (mentions.empty() ? "" : mentions.front()));
        const SharedValues wrong{dir.path(), name.empty() ? "" : PathText(folder / name), PathText(folder), 1};
        const auto prep = PrepareLaunch(wrong, o);
        EXPECT_EQ(std::pair(prep.outcome, ExportLaunch(wrong, o, dir / "launch").outcome), std::pair(outcome, outcome));
        EXPECT_FALSE(std::filesystem::exists(script) || std::filesystem::exists(dir / "launch"));
        for (const auto& word : mentions)
            EXPECT_NE(prep.why.find(word), std::string::npos) << prep.why;
    }
    const auto home = dir / "home", stale = home / ".local" / "share" / "YamagiQ2" / "vorn" / "trel_launcher.cfg";
    std::filesystem::create_directories(home / ".yq2" / "vorn");
    WriteBytes(home / ".yq2" / "vorn" / "trel_connect.cfg", "old"); // the other script does not count
    std::filesystem::create_directories(stale.parent_path());
    WriteBytes(stale, "old");
    const auto held = PrepareLaunch(shared, options, PathText(home));
    EXPECT_EQ(std::pair(held.outcome, std::filesystem::exists(script)), std::pair(StaleScript, false));
    EXPECT_NE(held.why.find(PathText(stale)), std::string::npos) << held.why;
    options.Dedicated = 1;
    const auto prep = PrepareLaunch(shared, options, PathText(home), true);
    ASSERT_EQ(prep.outcome, Ready) << prep.why;
    EXPECT_EQ(ReadBytes(script), "set gametype 3\r\nset dmflags 0\r\nset server_ini vorn.ini\r\nmap vorn02\r\n");
    EXPECT_EQ(std::pair(prep.request, ReadBytes(stale)),
              std::pair(GameLaunchRequest(shared, true, "trel_launcher.cfg"), std::string("old")));
#ifndef _WIN32
    // The exported script, run by sh from another folder, leaves the Run button's launch script and starts the
    // same program with the same arguments in the same folder; the export itself starts nothing.
    WriteBytes(folder / exe, "#!/bin/sh\npwd > ../record\nprintf '%s\\n' \"$@\" >> ../record\n"); // records its call
    std::filesystem::permissions(folder / exe, std::filesystem::perms::owner_all);
    options.addparam = "say 100% \"'$x'\" \\n";
    const std::string older = "an older, longer launch script\r\n\r\n\r\n";
    WriteBytes(script, older);
    const auto exported = ExportLaunch(shared, options, dir / "vorn-launch.sh");
    ASSERT_EQ(exported.outcome, Ready) << exported.why;
    EXPECT_EQ(std::pair(exported.request, ReadBytes(script)), std::pair(GameLaunchRequest(shared, options), older));
    ASSERT_EQ(std::system(("cd / && '" + PathText(dir / "vorn-launch.sh") + "'").c_str()), 0);
    EXPECT_EQ(std::pair(ReadBytes(script), FolderEntries(folder / "vorn")),
              std::pair(LaunchScriptText(options), Texts{"trel_launcher.cfg"}));
    EXPECT_EQ(ReadBytes(dir / "record"),
              PathText(folder) + "\n+set\ngame\nvorn\n+set\ndedicated\n1\n+exec\ntrel_launcher.cfg\n");
#endif
    WriteBytes(dir / "in the way", "a file where the folder should be");
    const SharedValues blocked{dir.path(), PathText(folder / exe), PathText(dir / "in the way"), 1};
    const auto file = dir / "in the way" / std::string(kExportScriptName);
    for (const auto& failed : {PrepareLaunch(blocked, options), ExportLaunch(shared, options, file)})
        EXPECT_EQ(std::pair(failed.outcome, failed.request), std::pair(ScriptNotWritten, LaunchRequest{}));
    EXPECT_EQ(ExportLaunch(shared, options, file).why.rfind(PathText(file) + ": ", 0), 0u);
}

// Start-up's message for a missing Used (which numbers start normally is the fuzz target's to check); the locator's
// directory label (cut from 12 characters on); the accepted executable stored as Used, then Path, then dir, in a
// new file or in place, other sections kept.
// The wizard's summary: ten lines with CR LF, the game type right after its colon, vorn01 with no map chosen.
TEST(StartDecision, MissingUsedLabelStoredExecutableAndSummary) {
    TempDir dir;
    const auto ini = dir / "trel.ini";
    EXPECT_EQ(FormatLoadError(*DecideStart(ini).error), // a blank before a non-negative number, so two after "-"
              "The setting Used in section Quake2exe of " + PathText(ini) +
                  " is missing or empty, and it must be a whole number -  13");
#ifdef _WIN32
    const std::string labels[][3] = {{"c:\\quake2ab", "c: [system]", "c:\\quake2ab"},
                                     {"c:\\quake2abc", "c: [system]", "c:\\.."}};
#else
    const std::string labels[][3] = {{"/games/q2ab", "/", "/games/q2ab"}, {"/games/q2abc", "/", "/.."},
                                     {"/media/usb/quake2", "/media/usb/", "/media/usb/.."}};
#endif
    for (const auto& [directory, drive, label] : labels)
        EXPECT_EQ(ShortDirectoryLabel(directory, drive), label);
    std::string why;
    ASSERT_TRUE(StoreQuake2Exe(ini, "/my games/q2/quake2", "/my games/q2", why)) << why;
    EXPECT_EQ(ReadBytes(ini), "[Quake2exe]\r\nUsed=1\r\nPath=/my games/q2/quake2\r\ndir=/my games/q2\r\n");
    WriteBytes(ini, "[Quake2exe]\r\nUsed=0\r\nPath=old\r\nDir=old\r\n[Settings]\r\nDMflags=5\r\n");
    ASSERT_TRUE(StoreQuake2Exe(ini, "/q2/quake2", "/q2", why)) << why;
    EXPECT_EQ(ReadBytes(ini), "[Quake2exe]\r\nUsed=1\r\nPath=/q2/quake2\r\nDir=/q2\r\n[Settings]\r\nDMflags=5\r\n");
    EXPECT_EQ(ComposeWizardSummary({"vorn02", "Deathmatch", "20", "0", "10"}),
              "The map you have chosen is\r\nvorn02\r\n\r\nYou have chosen gametype :Deathmatch\r\n\r\n"
              "Timelimit : 20\r\n\r\nMaximum gems : 0\r\n\r\nGem goal : 10\r\n");
    EXPECT_EQ(ComposeWizardSummary({std::nullopt, "", "", "", ""}).substr(0, 36),
              "The map you have chosen is\r\nvorn01\r\n");
}

// The environment a search sees: variables, registry values and registry subkeys, all made up.
struct FakeEnvironment : SearchEnvironment {
    std::map<std::string, std::string> variables;
    std::map<std::pair<std::string, std::string>, std::string> values;
    std::map<std::string, Texts> subkeys;
    static auto Find(const auto& map, const auto& key) {
        return map.contains(key) ? std::optional(map.at(key)) : std::nullopt;
    }
    std::optional<std::string> Variable(const std::string& name) const override { return Find(variables, name); }
    std::optional<std::string> RegistryValue(const std::string& k, const std::string& v) const override {
        return Find(values, std::pair(k, v));
    }
    Texts RegistrySubkeys(const std::string& key) const override { return Find(subkeys, key).value_or(Texts()); }
};

// The store's library, a store game named Quake II (not Quake III, not without a path), then the usual folders;
// the store's library list in its older form (numbered paths), and nested too deep it gives no folder.
TEST(SearchRoots, WindowsStoresAndUsualFoldersAndTheLibraryList) {
    FakeEnvironment env;
    const std::string gog = "HKLM\\SOFTWARE\\WOW6432Node\\GOG.com\\Games";
    env.subkeys[gog] = {"1", "2", "3"};
    env.values = {{{"HKCU\\Software\\Valve\\Steam", "SteamPath"}, "c:/program files (x86)/steam"},
                  {{gog + "\\1", "gameName"}, "Quake III Arena"}, {{gog + "\\1", "path"}, "D:\\GOG\\Quake III"},
                  {{gog + "\\2", "gameName"}, "Quake II Quad Damage"}, {{gog + "\\2", "path"}, "D:\\GOG\\Quake II"},
                  {{gog + "\\3", "gameName"}, "Quake II without a path"}};
    env.variables = {{"ProgramFiles", "C:\\Program Files"}, {"HOME", "/home/nobody"}};
    EXPECT_EQ(SearchRoots(env, SearchSystem::Windows),
              (Texts{"c:\\program files (x86)\\steam\\steamapps\\common\\Quake 2", "D:\\GOG\\Quake II", "C:\\Quake2",
                     "C:\\Games\\Quake2", "C:\\Program Files\\Quake2"}));
    EXPECT_EQ(ReadLibraryFolders("\"LibraryFolders\" { \"TimeNextStatsReport\" \"1\" \"1\" \"D:\\\\L\" }"),
              Texts{"D:\\L"});
    std::string deep = "\"libraryfolders\" {";
    for (int i = 0; i < 100000; ++i)
        deep += "\"k\" {";
    EXPECT_EQ(ReadLibraryFolders(deep), Texts{});
}

// A stand-in game in folder, named exe, with the modification's folder when mod is set; the candidate it gives;
// the candidates inside dir (the machine's own folders may hold a game too).
void Install(const std::filesystem::path& folder, const std::string& exe, bool mod) {
    std::filesystem::create_directories(folder / (mod ? "vorn" : ""));
    WriteBytes(folder / exe, "game");
}
Quake2Candidate Candidate(const std::filesystem::path& folder, bool mod) {
    return Quake2Candidate{PathText(folder), PathText(folder / std::string(kGameExecutableName)), mod};
}
std::vector<Quake2Candidate> Ours(std::vector<Quake2Candidate> candidates, const TempDir& dir) {
    std::erase_if(candidates, [&](const Quake2Candidate& c) { return c.folder.rfind(PathText(dir.path()), 0) != 0; });
    return candidates;
}

#ifndef _WIN32
// A home with two store installs (one a link to the other), the engines' folders; candidates with the
// modification first, each folder once.
TEST(SearchRoots, FakeStoreLibrariesInATemporaryHomeRankedWithTheModFirst) {
    TempDir dir;
    const auto home = dir / "home", steam = home / ".steam" / "steam", library = dir / "Games Library";
    const std::string common = "/steamapps/common/Quake 2";
    Install(PathText(steam) + common, "quake2", false);
    Install(PathText(library) + common, "quake2", true);
    Install(home / ".yq2", "Quake2", true); // letter case differs: no game
    Install(home / ".quake2", "quake2", true);
    WriteBytes(steam / "steamapps" / "libraryfolders.vdf", "\"libraryfolders\" { \"0\" { \"path\" \"" +
               PathText(steam) + "\" } \"1\" { \"path\" \"" + PathText(library) + "\" } }");
    std::filesystem::create_directories(home / ".local" / "share");
    std::filesystem::create_directory_symlink(steam, home / ".local" / "share" / "Steam"); // the same store again
    FakeEnvironment env;
    env.variables["HOME"] = PathText(home);
    const auto roots = SearchRoots(env, SearchSystem::Unix);
    const Texts usual = {"/usr/share/games/quake2", "/usr/local/games/quake2", "/opt/quake2"};
    Texts expected = {PathText(steam) + common, PathText(library) + common, PathText(home) + "/.local/share/Steam" +
                      common, PathText(home) + "/.yq2", PathText(home) + "/.quake2"};
    expected.insert(expected.end(), usual.begin(), usual.end());
    EXPECT_EQ(roots, expected);
    EXPECT_EQ(Ours(RankCandidates(roots), dir), (std::vector<Quake2Candidate>{Candidate(PathText(library) + common,
              true), Candidate(home / ".quake2", true), Candidate(PathText(steam) + common, false)}));
    env.variables.erase("HOME");
    EXPECT_EQ(SearchRoots(env, SearchSystem::Unix), usual);
}
#else
// Sets value in the key at path of root's view, making the keys it needs; undo takes it all away again and
// gives a value that was there its old data back.
void SetRegistryValue(HKEY root, const std::string& path, REGSAM view, const std::string& value,
                      const std::string& data, std::vector<std::function<void()>>& undo) {
    HKEY key = nullptr;
    for (std::size_t end = path.find('\\');; end = path.find('\\', end + 1)) {
        const std::string sub = path.substr(0, end);
        DWORD made = 0;
        if (key != nullptr)
            RegCloseKey(key);
        ASSERT_EQ(RegCreateKeyExA(root, sub.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key, &made),
                  ERROR_SUCCESS) << sub;
        if (made == REG_CREATED_NEW_KEY)
            undo.push_back([=] { RegDeleteKeyExA(root, sub.c_str(), view, 0); });
        if (end == std::string::npos)
            break;
    }
    const auto store = [=](const std::string& text) {
        return RegSetValueExA(key, value.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>(text.size() + 1));
    };
    char old[2048];
    DWORD size = sizeof old;
    const bool had = RegGetValueA(key, nullptr, value.c_str(), RRF_RT_REG_SZ, nullptr, old, &size) == ERROR_SUCCESS;
    const std::string previous = had ? old : "";
    ASSERT_EQ(store(data), ERROR_SUCCESS) << path;
    undo.push_back([=] { had ? store(previous) : RegDeleteValueA(key, value.c_str()); RegCloseKey(key); });
}

// The system's own registry: the store's path as its client writes it (forward slashes) and a game in
// HKLM's 32-bit view, where the stores' 32-bit installers write, found; the same game key in the 64-bit
// view is not the store's and must not count. Nothing of the test is left in the registry.
TEST(SearchRoots, WindowsRegistryOfTheSystem) {
    TempDir dir;
    const auto steam = dir / "Steam", library = dir / "Library Two";
    const std::string common = "\\steamapps\\common\\Quake 2";
    Install(PathText(steam) + common, "quake2.exe", false);
    Install(PathText(library) + common, "quake2.exe", true);
    Install(dir / "GOG Quake II", "quake2.exe", true);
    Install(dir / "64-bit view", "quake2.exe", true);
    std::string libraryVdf = PathText(library), steamPath = PathText(steam);
    for (std::size_t at = 0; (at = libraryVdf.find('\\', at)) != std::string::npos; at += 2)
        libraryVdf.insert(at, "\\");
    WriteBytes(steam / "steamapps" / "libraryfolders.vdf",
               "\"libraryfolders\"\n{\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + libraryVdf + "\"\n\t}\n}\n");
    std::replace(steamPath.begin(), steamPath.end(), '\\', '/');
    const std::string game = "SOFTWARE\\GOG.com\\Games\\trel-test-" + std::to_string(GetCurrentProcessId());
    std::vector<std::function<void()>> undo;
    SetRegistryValue(HKEY_CURRENT_USER, "Software\\Valve\\Steam", 0, "SteamPath", steamPath, undo);
    SetRegistryValue(HKEY_LOCAL_MACHINE, game, KEY_WOW64_32KEY, "path", PathText(dir / "GOG Quake II"), undo);
    SetRegistryValue(HKEY_LOCAL_MACHINE, game, KEY_WOW64_32KEY, "gameName", "Quake II Quad Damage", undo);
    SetRegistryValue(HKEY_LOCAL_MACHINE, game, KEY_WOW64_64KEY, "path", PathText(dir / "64-bit view"), undo);
    SetRegistryValue(HKEY_LOCAL_MACHINE, game, KEY_WOW64_64KEY, "gameName", "Quake II", undo);
    const auto found = RankCandidates(SearchRoots(SystemSearchEnvironment(), SearchSystem::Windows));
    for (auto it = undo.rbegin(); it != undo.rend(); ++it)
        (*it)();
    EXPECT_EQ(Ours(found, dir), (std::vector<Quake2Candidate>{Candidate(PathText(library) + common, true),
              Candidate(dir / "GOG Quake II", true), Candidate(PathText(steam) + common, false)}));
    EXPECT_FALSE(SystemSearchEnvironment().RegistryValue("HKLM\\SOFTWARE\\WOW6432Node\\" + game.substr(9), "path"));
}
#endif

} // namespace
} // namespace trel
