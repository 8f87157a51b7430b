#include "mdlvariables.h"

#include "trel_version.h"

namespace trel {

std::string MapName(int map) {
    if (map < 0 || map >= static_cast<int>(kStandardMaps.size()))
        return {};
    return std::string(kStandardMaps[static_cast<std::size_t>(map)]);
}

std::filesystem::path SettingsFile(const SharedValues& shared) { return shared.StartDir / "trel.ini"; }

std::filesystem::path ModDir(const std::string& quake2Folder) {
    // The Quake 2 folder may hold '/' (a trel.ini edited by hand); the files below it are shown to the user,
    // so they carry the system's own separator throughout.
    return std::filesystem::path(quake2Folder).make_preferred() / "vorn";
}

std::string VersionNumberText() {
    // Minor and revision run together: 0.4.8 is shown as 0.48.
    return std::to_string(version::kMajor) + "." + std::to_string(version::kMinor) + std::to_string(version::kRevision);
}

std::string MainWindowTitle() { return "Trel - v" + VersionNumberText() + "b"; }
std::string HelpVersionText() { return "Trel v" + VersionNumberText(); }
std::string AboutVersionText() { return "Version " + VersionNumberText(); }
std::string MapEditorTitle() { return "Trel maplist editor - v" + VersionNumberText(); }

} // namespace trel
