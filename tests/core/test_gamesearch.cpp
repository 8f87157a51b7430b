// Finding Quake 2 on the first run: the library list reader, the search roots on each system and the
// candidates' order, the modification first.

#include "gamesearch.h"
#include "platform.h"
#include "test_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <map>
#include <tuple>

#ifdef _WIN32
#include <windows.h>
#endif

namespace trel {
namespace {

using test::TempDir;
using test::WriteBytes;

// Both forms of the store's library list, escapes, comments and conditions; malformed text gives no folder.
TEST(LibraryFolders, BothFormsEscapesAndMalformedText) {
    std::string deep = "\"libraryfolders\" {";
    for (int i = 0; i < 100000; ++i)
        deep += "\"k\" {";
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\t\"1\"\n\t\"1\"\t\t\"D:\\\\SteamLibrary\"\n"
         "\t\"2\"\t\t\"/mnt/games\"\n}\n",
         {"D:\\SteamLibrary", "/mnt/games"}},
        {"// written by the store\n\"libraryfolders\"\n{\n\t\"contentstatsid\"\t\"-1\"\n\t\"0\"\n\t{\n"
         "\t\t\"path\"\t\t\"C:\\\\Program Files (x86)\\\\Steam\"\n\t\t\"apps\" { \"2320\" \"123\" }\n\t}\n"
         "\t\"1\" [$WIN32]\n\t{\n\t\t\"label\" \"\"\n\t\t\"path\" \"/home/a \\\"b\\\"/lib\"\n\t}\n}\n",
         {"C:\\Program Files (x86)\\Steam", "/home/a \"b\"/lib"}},
        {"libraryfolders\r\n{\r\n 1 /srv/lib\r\n}\r\n", {"/srv/lib"}}, {"\"config\" { \"1\" \"/x\" }", {}},
        {"\"libraryfolders\" { \"1\" \"/x\\", {}}, {"\"libraryfolders\" { \"1\" \"/x\"", {}},
        {"\"libraryfolders\" { \"1\" \"/x\" } }", {}}, {deep, {}}};
    for (const auto& [vdf, folders] : cases)
        EXPECT_EQ(ReadLibraryFolders(vdf), folders) << vdf.substr(0, 60);
}

// The environment a search sees: variables, registry values and registry subkeys, all made up.
class FakeEnvironment : public SearchEnvironment {
public:
    std::map<std::string, std::string> variables;
    std::map<std::pair<std::string, std::string>, std::string> values;
    std::map<std::string, std::vector<std::string>> subkeys;

    template <typename Map, typename Key> static auto Find(const Map& map, const Key& key) {
        const auto it = map.find(key);
        return it == map.end() ? std::nullopt : std::optional(it->second);
    }
    std::optional<std::string> Variable(const std::string& name) const override { return Find(variables, name); }
    std::optional<std::string> RegistryValue(const std::string& key, const std::string& v) const override {
        return Find(values, std::pair(key, v));
    }
    std::vector<std::string> RegistrySubkeys(const std::string& key) const override {
        return Find(subkeys, key).value_or(std::vector<std::string>());
    }
};

// The store's library, a store game named Quake II (not Quake III, not without a path), then the usual folders.
TEST(SearchRoots, WindowsStoresAndUsualFolders) {
    FakeEnvironment env;
    env.values[{"HKCU\\Software\\Valve\\Steam", "SteamPath"}] = "c:/program files (x86)/steam";
    const std::string gog = "HKLM\\SOFTWARE\\WOW6432Node\\GOG.com\\Games";
    env.subkeys[gog] = {"1", "2", "3"};
    env.values[{gog + "\\1", "gameName"}] = "Quake III Arena";
    env.values[{gog + "\\1", "path"}] = "D:\\GOG\\Quake III";
    env.values[{gog + "\\2", "gameName"}] = "Quake II Quad Damage";
    env.values[{gog + "\\2", "path"}] = "D:\\GOG\\Quake II";
    env.values[{gog + "\\3", "gameName"}] = "Quake II without a path";
    env.variables["ProgramFiles"] = "C:\\Program Files";
    env.variables["HOME"] = "/home/nobody";
    EXPECT_EQ(SearchRoots(env, SearchSystem::Windows),
              (std::vector<std::string>{"c:\\program files (x86)\\steam\\steamapps\\common\\Quake 2", "D:\\GOG\\Quake II",
                                        "C:\\Quake2", "C:\\Games\\Quake2", "C:\\Program Files\\Quake2"}));
}

#ifndef _WIN32
// A home with two store installs (one a link to the other), the engines' folders; candidates with the
// modification first, each folder once.
TEST(SearchRoots, FakeStoreLibrariesInATemporaryHomeRankedWithTheModFirst) {
    TempDir dir;
    const auto home = dir / "home", steam = home / ".steam" / "steam", library = dir / "Games Library";
    const std::string common = "/steamapps/common/Quake 2";
    // A stand-in game in each folder, named as given, with the modification's folder when mod is set.
    for (const auto& [folder, exe, mod] : {std::tuple{PathText(steam) + common, "quake2", false},
                                          {PathText(library) + common, "quake2", true},
                                          {PathText(home / ".yq2"), "Quake2", true}, // letter case differs: none
                                          {PathText(home / ".quake2"), "quake2", true}}) {
        std::filesystem::create_directories(std::filesystem::path(folder) / (mod ? "vorn" : ""));
        WriteBytes(std::filesystem::path(folder) / exe, "game");
    }
    WriteBytes(steam / "steamapps" / "libraryfolders.vdf",
               "\"libraryfolders\" { \"0\" { \"path\" \"" + PathText(steam) + "\" } \"1\" { \"path\" \"" +
                   PathText(library) + "\" } }");
    std::filesystem::create_directories(home / ".local" / "share");
    std::filesystem::create_directory_symlink(steam, home / ".local" / "share" / "Steam"); // the same store again
    FakeEnvironment env;
    env.variables["HOME"] = PathText(home);
    const auto roots = SearchRoots(env, SearchSystem::Unix);
    const std::vector<std::string> usual = {"/usr/share/games/quake2", "/usr/local/games/quake2", "/opt/quake2"};
    std::vector<std::string> expected = {PathText(steam) + common, PathText(library) + common,
                                         PathText(home) + "/.local/share/Steam" + common, PathText(home) + "/.yq2",
                                         PathText(home) + "/.quake2"};
    expected.insert(expected.end(), usual.begin(), usual.end());
    EXPECT_EQ(roots, expected);
    std::vector<std::pair<std::string, bool>> ours; // the machine's own folders may hold a game too
    for (const Quake2Candidate& c : RankCandidates(roots)) {
        if (c.folder.starts_with(PathText(dir.path()))) {
            EXPECT_EQ(c.executable, c.folder + "/quake2");
            ours.emplace_back(c.folder, c.hasMod);
        }
    }
    EXPECT_EQ(ours, (std::vector<std::pair<std::string, bool>>{
                        {PathText(library) + common, true}, {PathText(home / ".quake2"), true},
                        {PathText(steam) + common, false}}));
    env.variables.erase("HOME");
    EXPECT_EQ(SearchRoots(env, SearchSystem::Unix), usual);
}
#endif

#ifdef _WIN32
void Install(const std::filesystem::path& folder, const std::string& exe, bool mod) {
    std::filesystem::create_directories(folder);
    WriteBytes(folder / exe, "game");
    if (mod)
        std::filesystem::create_directories(folder / "vorn");
}

Quake2Candidate Candidate(const std::filesystem::path& folder, bool mod) {
    return Quake2Candidate{PathText(folder), PathText(folder / std::string(kGameExecutableName)), mod};
}

// The candidates inside dir: the machine's own folders may hold a game too.
std::vector<Quake2Candidate> Ours(const std::vector<Quake2Candidate>& candidates, const TempDir& dir) {
    std::vector<Quake2Candidate> ours;
    std::copy_if(candidates.begin(), candidates.end(), std::back_inserter(ours),
                 [&](const Quake2Candidate& c) { return c.folder.rfind(PathText(dir.path()), 0) == 0; });
    return ours;
}


// Sets value in the key at path of root's view, making the keys it needs; undo takes it all away again and
// gives a value that was there its old data back.
void SetRegistryValue(HKEY root, const std::string& path, REGSAM view, const std::string& value,
                      const std::string& data, std::vector<std::function<void()>>& undo) {
    for (std::size_t end = path.find('\\');; end = path.find('\\', end + 1)) {
        const std::string key = path.substr(0, end);
        HKEY opened;
        DWORD made = 0;
        ASSERT_EQ(RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &opened, &made),
                  ERROR_SUCCESS) << key;
        RegCloseKey(opened);
        if (made == REG_CREATED_NEW_KEY)
            undo.push_back([=] { RegDeleteKeyExA(root, key.c_str(), view, 0); });
        if (end == std::string::npos)
            break;
    }
    const auto store = [=](const std::optional<std::string>& text) { // nothing as text takes the value away
        HKEY key;
        LSTATUS status = RegOpenKeyExA(root, path.c_str(), 0, KEY_SET_VALUE | view, &key);
        if (status == ERROR_SUCCESS) {
            status = text ? RegSetValueExA(key, value.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text->c_str()),
                                           static_cast<DWORD>(text->size() + 1))
                          : RegDeleteValueA(key, value.c_str());
            RegCloseKey(key);
        }
        return status;
    };
    std::optional<std::string> previous;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE | view, &key) == ERROR_SUCCESS) {
        char old[2048];
        DWORD size = sizeof old;
        if (RegGetValueA(key, nullptr, value.c_str(), RRF_RT_REG_SZ, nullptr, old, &size) == ERROR_SUCCESS)
            previous = old;
        RegCloseKey(key);
    }
    ASSERT_EQ(store(data), ERROR_SUCCESS) << path;
    undo.push_back([=] { store(previous); });
}

// The system's own registry: the store's path as its client writes it (forward slashes) and a game in
// HKLM's 32-bit view, where the stores' 32-bit installers write, found; the same game key in the 64-bit
// view is not the store's and must not count. Nothing of the test is left in the registry.
TEST(SearchRoots, WindowsRegistryOfTheSystem) {
    TempDir dir;
    const auto steam = dir / "Steam", library = dir / "Library Two";
    Install(steam / "steamapps" / "common" / "Quake 2", "quake2.exe", false);
    Install(library / "steamapps" / "common" / "Quake 2", "quake2.exe", true);
    Install(dir / "GOG Quake II", "quake2.exe", true);
    Install(dir / "64-bit view", "quake2.exe", true);
    std::string libraryVdf = PathText(library);
    for (std::size_t at = 0; (at = libraryVdf.find('\\', at)) != std::string::npos; at += 2)
        libraryVdf.insert(at, "\\");
    WriteBytes(steam / "steamapps" / "libraryfolders.vdf",
               "\"libraryfolders\"\n{\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + libraryVdf + "\"\n\t}\n}\n");
    std::string steamPath = PathText(steam);
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
    EXPECT_EQ(Ours(found, dir),
              (std::vector<Quake2Candidate>{Candidate(library / "steamapps" / "common" / "Quake 2", true),
                                            Candidate(dir / "GOG Quake II", true),
                                            Candidate(steam / "steamapps" / "common" / "Quake 2", false)}));
    EXPECT_FALSE(SystemSearchEnvironment().RegistryValue("HKLM\\SOFTWARE\\WOW6432Node\\GOG.com\\Games\\trel-test-" +
                                                             std::to_string(GetCurrentProcessId()), "path"));
}
#endif


} // namespace
} // namespace trel
