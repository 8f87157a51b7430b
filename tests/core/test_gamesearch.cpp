// Finding Quake 2 on the first run: the library list reader, the search roots on each system and the
// candidates' order, the modification first.

#include "gamesearch.h"
#include "platform.h"
#include "test_helpers.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

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

} // namespace
} // namespace trel
