// Finding Quake 2 on the first run: the library list reader, the search roots on each system and the
// order of the candidates.

#include "gamesearch.h"
#include "platform.h"
#include "test_helpers.h"

#include <gtest/gtest.h>

#include <map>

namespace trel {
namespace {

using test::TempDir;
using test::WriteBytes;

TEST(LibraryFolders, BothFormsEscapesAndMalformedText) {
    struct Case {
        const char* name;
        std::string vdf;
        std::vector<std::string> folders;
    };
    const std::string deep = "\"libraryfolders\" {" + [] {
        std::string s;
        for (int i = 0; i < 100000; ++i)
            s += "\"k\" {";
        return s;
    }();
    const Case cases[] = {
        {"old numbered keys, other entries skipped",
         "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\t\"1\"\n\t\"1\"\t\t\"D:\\\\SteamLibrary\"\n"
         "\t\"2\"\t\t\"/mnt/games\"\n}\n",
         {"D:\\SteamLibrary", "/mnt/games"}},
        {"newer blocks with path, comments and conditions",
         "// written by the store\n\"libraryfolders\"\n{\n\t\"contentstatsid\"\t\"-1\"\n\t\"0\"\n\t{\n"
         "\t\t\"path\"\t\t\"C:\\\\Program Files (x86)\\\\Steam\"\n\t\t\"apps\" { \"2320\" \"123\" }\n\t}\n"
         "\t\"1\" [$WIN32]\n\t{\n\t\t\"label\" \"\"\n\t\t\"path\" \"/home/a \\\"b\\\"/lib\"\n\t}\n}\n",
         {"C:\\Program Files (x86)\\Steam", "/home/a \"b\"/lib"}},
        {"unquoted words and CR LF", "libraryfolders\r\n{\r\n 1 /srv/lib\r\n}\r\n", {"/srv/lib"}},
        {"block without path", "\"libraryfolders\" { \"0\" { \"label\" \"x\" } }", {}},
        {"other top-level name", "\"config\" { \"1\" \"/x\" }", {}},
        {"unterminated string", "\"libraryfolders\" { \"1\" \"/x", {}},
        {"backslash at the end", "\"libraryfolders\" { \"1\" \"/x\\", {}},
        {"missing closing brace", "\"libraryfolders\" { \"1\" \"/x\"", {}},
        {"extra closing brace", "\"libraryfolders\" { \"1\" \"/x\" } }", {}},
        {"key without value", "\"libraryfolders\" { \"1\" }", {}},
        {"deep nesting", deep, {}},
        {"empty", "", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadLibraryFolders(c.vdf), c.folders) << c.name;
}

class FakeEnvironment : public SearchEnvironment {
public:
    std::map<std::string, std::string> variables;
    std::map<std::pair<std::string, std::string>, std::string> values;
    std::map<std::string, std::vector<std::string>> subkeys;

    std::optional<std::string> Variable(const std::string& name) const override {
        const auto it = variables.find(name);
        return it == variables.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    std::optional<std::string> RegistryValue(const std::string& key, const std::string& value) const override {
        const auto it = values.find({key, value});
        return it == values.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    std::vector<std::string> RegistrySubkeys(const std::string& key) const override {
        const auto it = subkeys.find(key);
        return it == subkeys.end() ? std::vector<std::string>() : it->second;
    }
};

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
TEST(SearchRoots, FakeStoreLibrariesInATemporaryHomeRankedWithTheModFirst) {
    TempDir dir;
    const auto home = dir / "home";
    const auto steam = home / ".steam" / "steam";
    const auto library = dir / "Games Library";
    const auto install = [](const std::filesystem::path& folder, const std::string& exe, bool mod) {
        std::filesystem::create_directories(folder);
        WriteBytes(folder / exe, "game");
        if (mod)
            std::filesystem::create_directories(folder / "vorn");
    };
    install(steam / "steamapps" / "common" / "Quake 2", "quake2", false);
    WriteBytes(steam / "steamapps" / "libraryfolders.vdf",
               "\"libraryfolders\" { \"0\" { \"path\" \"" + PathText(steam) + "\" } \"1\" { \"path\" \"" +
                   PathText(library) + "\" } }");
    install(library / "steamapps" / "common" / "Quake 2", "quake2", true);
    install(home / ".yq2", "Quake2", true);   // the name's letter case differs: no candidate
    install(home / ".quake2", "quake2", true);
    std::filesystem::create_directories(home / ".local" / "share");
    std::filesystem::create_directory_symlink(steam, home / ".local" / "share" / "Steam"); // the same store again,
    // listing itself as its first library

    FakeEnvironment env;
    env.variables["HOME"] = PathText(home);
    const auto roots = SearchRoots(env, SearchSystem::Unix);
    const std::string common = "/steamapps/common/Quake 2";
    const std::vector<std::string> expected = {
        PathText(steam) + common, PathText(library) + common,
        PathText(home) + "/.local/share/Steam" + common, PathText(home) + "/.yq2", PathText(home) + "/.quake2",
        "/usr/share/games/quake2", "/usr/local/games/quake2", "/opt/quake2"};
    EXPECT_EQ(roots, expected);

    const auto candidates = RankCandidates(roots);
    ASSERT_GE(candidates.size(), 3u);
    EXPECT_EQ(candidates[0], (Quake2Candidate{PathText(library) + common, PathText(library) + common + "/quake2", true}));
    EXPECT_EQ(candidates[1], (Quake2Candidate{PathText(home) + "/.quake2", PathText(home) + "/.quake2/quake2", true}));
    EXPECT_EQ(candidates[2], (Quake2Candidate{PathText(steam) + common, PathText(steam) + common + "/quake2", false}));
    for (std::size_t i = 3; i < candidates.size(); ++i) // only the machine's own folders may follow
        EXPECT_EQ(candidates[i].folder.rfind(PathText(dir.path()), 0), std::string::npos) << candidates[i].folder;

    env.variables.erase("HOME");
    EXPECT_EQ(SearchRoots(env, SearchSystem::Unix),
              (std::vector<std::string>{"/usr/share/games/quake2", "/usr/local/games/quake2", "/opt/quake2"}));
}
#endif

} // namespace
} // namespace trel
