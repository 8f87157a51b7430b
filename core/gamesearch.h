#pragma once
// Finding Quake 2 installations on the first run: the game stores' library lists, the usual folders and
// the order in which the locator offers what it finds.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trel {

/// The library folders a libraryfolders.vdf text lists, in file order: the old form's numbered keys
/// holding a folder and the newer form's numbered blocks with a "path" entry. Malformed text lists none.
std::vector<std::string> ReadLibraryFolders(std::string_view vdf);

/// What the search reads from the system besides the file system: environment variables and, on
/// Windows, the registry. Tests give their own.
class SearchEnvironment {
public:
    virtual ~SearchEnvironment() = default;
    virtual std::optional<std::string> Variable(const std::string& name) const = 0;
    /// A string value under key (its root spelled "HKCU\..." or "HKLM\..."), or nothing.
    virtual std::optional<std::string> RegistryValue(const std::string& key, const std::string& value) const = 0;
    /// The names of key's subkeys.
    virtual std::vector<std::string> RegistrySubkeys(const std::string& key) const = 0;
};

/// This process's environment and registry.
const SearchEnvironment& SystemSearchEnvironment();

enum class SearchSystem { Windows, Unix };

#ifdef _WIN32
inline constexpr SearchSystem kThisSearchSystem = SearchSystem::Windows;
#else
inline constexpr SearchSystem kThisSearchSystem = SearchSystem::Unix;
#endif

/// The folders that may hold Quake 2 on system, most likely first, as settings-file texts. Reads the
/// game stores' library lists below the folders env names.
std::vector<std::string> SearchRoots(const SearchEnvironment& env, SearchSystem system = kThisSearchSystem);

/// A folder holding the game's executable under its exact name.
struct Quake2Candidate {
    std::string folder;
    std::string executable;
    bool hasMod = false; // holds a vorn folder

    bool operator==(const Quake2Candidate&) const = default;
};

/// The roots that hold the game's executable: those with a vorn folder first, each group in root order,
/// every folder once.
std::vector<Quake2Candidate> RankCandidates(const std::vector<std::string>& roots);

} // namespace trel
