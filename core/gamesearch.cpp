#include "gamesearch.h"

#include "mdlvariables.h"
#include "platform.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <system_error>

namespace trel {
namespace {

// The key-value text: "key" "value" or "key" { ... }, quoted strings with backslash escapes, unquoted
// words, // comments and [$CONDITION] marks after an entry (ignored).
struct VdfNode {
    std::string key;
    std::string value;
    std::vector<VdfNode> children;
    bool isBlock = false;
};

class VdfParser {
public:
    explicit VdfParser(std::string_view text) : text_(text) {}

    bool ParseDocument(std::vector<VdfNode>& nodes) { return ParseEntries(nodes, 0) && AtEnd(); }

private:
    static constexpr int kMaxDepth = 32;

    bool AtEnd() {
        SkipSpace();
        return pos_ >= text_.size();
    }

    void SkipSpace() {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                ++pos_;
            } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/') {
                while (pos_ < text_.size() && text_[pos_] != '\n')
                    ++pos_;
            } else if (c == '[') {
                while (pos_ < text_.size() && text_[pos_] != ']' && text_[pos_] != '\n')
                    ++pos_;
                if (pos_ < text_.size() && text_[pos_] == ']')
                    ++pos_;
            } else {
                return;
            }
        }
    }

    bool ReadString(std::string& out) {
        SkipSpace();
        if (pos_ >= text_.size() || text_[pos_] == '{' || text_[pos_] == '}')
            return false;
        out.clear();
        if (text_[pos_] != '"') {
            while (pos_ < text_.size() && !std::isspace(static_cast<unsigned char>(text_[pos_])) &&
                   text_[pos_] != '"' && text_[pos_] != '{' && text_[pos_] != '}')
                out += text_[pos_++];
            return true;
        }
        ++pos_;
        while (pos_ < text_.size()) {
            char c = text_[pos_++];
            if (c == '"')
                return true;
            if (c == '\\') {
                if (pos_ >= text_.size())
                    return false;
                c = text_[pos_++];
                if (c == 'n')
                    c = '\n';
                else if (c == 't')
                    c = '\t';
            }
            out += c;
        }
        return false; // the text ends inside a string
    }

    bool ParseEntries(std::vector<VdfNode>& nodes, int depth) {
        if (depth > kMaxDepth)
            return false;
        for (;;) {
            SkipSpace();
            if (pos_ >= text_.size() || text_[pos_] == '}')
                return true;
            VdfNode node;
            if (!ReadString(node.key))
                return false;
            SkipSpace();
            if (pos_ < text_.size() && text_[pos_] == '{') {
                ++pos_;
                node.isBlock = true;
                if (!ParseEntries(node.children, depth + 1))
                    return false;
                if (pos_ >= text_.size() || text_[pos_] != '}')
                    return false;
                ++pos_;
            } else if (!ReadString(node.value)) {
                return false;
            }
            nodes.push_back(std::move(node));
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

bool AllDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

char Separator(SearchSystem system) { return system == SearchSystem::Windows ? '\\' : '/'; }

std::string Join(std::string folder, std::string_view name, SearchSystem system) {
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\'))
        folder.pop_back();
    if (system == SearchSystem::Windows)
        std::replace(folder.begin(), folder.end(), '/', '\\');
    std::string joined = folder + Separator(system);
    for (const char c : name)
        joined += c == '/' ? Separator(system) : c;
    return joined;
}

// Every game folder the store's installation at steamRoot knows of: its own library first, then the
// libraries its list names.
void AddStoreLibraries(const std::string& steamRoot, SearchSystem system, std::vector<std::string>& roots) {
    std::vector<std::string> libraries{steamRoot};
    std::string bytes, why;
    if (ReadFileBytes(PathFromText(Join(steamRoot, "steamapps/libraryfolders.vdf", system)), bytes, why)) {
        for (std::string& library : ReadLibraryFolders(bytes))
            libraries.push_back(std::move(library));
    }
    for (const std::string& library : libraries)
        roots.push_back(Join(library, "steamapps/common/Quake 2", system));
}

// "Quake II" in a store's game name, but not the start of "Quake III".
bool NamesQuake2(const std::string& gameName) {
    for (auto at = gameName.find("Quake II"); at != std::string::npos; at = gameName.find("Quake II", at + 1)) {
        if (at + 8 == gameName.size() || gameName[at + 8] != 'I')
            return true;
    }
    return false;
}

std::vector<std::string> WindowsRoots(const SearchEnvironment& env) {
    constexpr SearchSystem w = SearchSystem::Windows;
    std::vector<std::string> roots;
    if (const auto steam = env.RegistryValue("HKCU\\Software\\Valve\\Steam", "SteamPath"); steam && !steam->empty())
        AddStoreLibraries(*steam, w, roots);
    const std::string gogGames = "HKLM\\SOFTWARE\\WOW6432Node\\GOG.com\\Games";
    for (const std::string& game : env.RegistrySubkeys(gogGames)) {
        const std::string key = gogGames + "\\" + game;
        const auto name = env.RegistryValue(key, "gameName");
        const auto path = env.RegistryValue(key, "path");
        if (name && path && !path->empty() && NamesQuake2(*name))
            roots.push_back(*path);
    }
    roots.push_back("C:\\Quake2");
    roots.push_back("C:\\Games\\Quake2");
    for (const char* variable : {"ProgramFiles", "ProgramFiles(x86)"}) {
        if (const auto folder = env.Variable(variable); folder && !folder->empty())
            roots.push_back(Join(*folder, "Quake2", w));
    }
    return roots;
}

std::vector<std::string> UnixRoots(const SearchEnvironment& env) {
    constexpr SearchSystem u = SearchSystem::Unix;
    std::vector<std::string> roots;
    if (const auto home = env.Variable("HOME"); home && !home->empty()) {
        AddStoreLibraries(Join(*home, ".steam/steam", u), u, roots);
        AddStoreLibraries(Join(*home, ".local/share/Steam", u), u, roots);
        roots.push_back(Join(*home, ".yq2", u));
        roots.push_back(Join(*home, ".quake2", u));
    }
    for (const char* folder : {"/usr/share/games/quake2", "/usr/local/games/quake2", "/opt/quake2"})
        roots.push_back(folder);
    return roots;
}

} // namespace

std::vector<std::string> ReadLibraryFolders(std::string_view vdf) {
    std::vector<VdfNode> document;
    if (!VdfParser(vdf).ParseDocument(document))
        return {};
    std::vector<std::string> folders;
    for (const VdfNode& top : document) {
        if (!top.isBlock || !SameAsciiName(top.key, "libraryfolders"))
            continue;
        for (const VdfNode& entry : top.children) {
            if (!AllDigits(entry.key))
                continue;
            if (!entry.isBlock) {
                if (!entry.value.empty())
                    folders.push_back(entry.value);
                continue;
            }
            for (const VdfNode& field : entry.children) {
                if (!field.isBlock && SameAsciiName(field.key, "path") && !field.value.empty()) {
                    folders.push_back(field.value);
                    break;
                }
            }
        }
    }
    return folders;
}

std::vector<std::string> SearchRoots(const SearchEnvironment& env, SearchSystem system) {
    std::vector<std::string> roots;
    for (std::string& root : system == SearchSystem::Windows ? WindowsRoots(env) : UnixRoots(env)) {
        if (std::find(roots.begin(), roots.end(), root) == roots.end())
            roots.push_back(std::move(root));
    }
    return roots;
}

std::vector<Quake2Candidate> RankCandidates(const std::vector<std::string>& roots) {
    std::vector<Quake2Candidate> withMod, withoutMod;
    std::vector<std::filesystem::path> seen;
    for (const std::string& root : roots) {
        std::error_code ec;
        const std::filesystem::path folder = PathFromText(root);
        const std::filesystem::path canonical = std::filesystem::weakly_canonical(folder, ec);
        const std::filesystem::path key = ec ? folder : canonical;
        if (std::find(seen.begin(), seen.end(), key) != seen.end())
            continue;
        const std::filesystem::path executable = folder / std::string(kGameExecutableName);
        if (!IsGameExecutable(executable))
            continue;
        seen.push_back(key);
        Quake2Candidate candidate{root, PathText(executable), std::filesystem::is_directory(ModDir(root), ec)};
        (candidate.hasMod ? withMod : withoutMod).push_back(std::move(candidate));
    }
    withMod.insert(withMod.end(), withoutMod.begin(), withoutMod.end());
    return withMod;
}

} // namespace trel
