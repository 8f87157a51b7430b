#pragma once
// The values every part of Trel shares: the launch options record, the Quake 2 location, the fixed lists.
// The application object owns one instance of each; nothing here is global state.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace trel {

/// Game types by position in the main window's list; -1 means none chosen.
inline constexpr std::array<std::string_view, 4> kGameTypeNames = {"Single Player", "Teamplay with monsters",
                                                                   "Teamplay w/o monsters", "Deathmatch"};
inline constexpr int kGameTypeSinglePlayer = 0;
inline constexpr int kGameTypeDeathmatch = 3;

/// Start maps by position; every map list is filled with these fixed names, never from the disk.
inline constexpr std::array<std::string_view, 5> kStandardMaps = {"vorn01", "vorn02", "vorn03", "vorn04",
                                                                  "vorn_sp01"};

/// The value lists of the main window hold "1" to this number.
inline constexpr int kNumberListSize = 120;

/// The sixteen deathmatch flags, from the smallest to the largest.
inline constexpr std::array<std::int32_t, 16> kDmFlagValues = {1,   2,   4,    8,    16,   32,   64,    128,
                                                               256, 512, 1024, 2048, 4096, 8192, 16384, 32768};

/// The launch options; field names are the keys of the settings file's Settings section.
/// Check states are 0, 1 or 2 (grey); list positions are -1 when nothing is chosen.
struct LaunchOptions {
    std::int32_t DMflags = 0; // the running total of the ticked deathmatch flags
    int Dedicated = 0;
    int Boolmaxclients = 0;
    std::string Valmaxclients = "0";
    int Booltimelimit = 0;
    std::string Valtimelimit = "0";
    int Boolgemgoal = 0;
    std::string Valgemgoal = "10";
    int MonsterRespawn = 0;
    int Forcejoin = 0;
    int Gametype = -1;
    int Commandline = 0;
    int Map = -1;
    int Boolmaxgems = 0;
    std::string Valmaxgems = "0";
    std::string serverini;
    std::string addparam; // one extra script line; never stored

    bool operator==(const LaunchOptions&) const = default;
};

/// Where Trel runs and where Quake 2 is.
struct SharedValues {
    std::filesystem::path StartDir;  // current directory at start; trel.ini lives here
    std::string Quake2Path;          // full path of the game executable
    std::string Quake2Folder;        // the folder that holds it
    std::int16_t UsedFlag = 0;       // 1 once the executable has been chosen
};

/// Name of the start map at position map, or "" when none is chosen.
std::string MapName(int map);

/// StartDir's trel.ini.
std::filesystem::path SettingsFile(const SharedValues& shared);

/// The modification's folder, "vorn" below the Quake 2 folder, with the system's own separators.
std::filesystem::path ModDir(const std::string& quake2Folder);

/// "Trel - v0.48b" and its relatives, built from the project's version (0.4.8 shows as 0.48).
std::string VersionNumberText();     // "0.48"
std::string MainWindowTitle();       // "Trel - v0.48b"
std::string HelpVersionText();       // "Trel v0.48"
std::string AboutVersionText();      // "Version 0.48"
std::string MapEditorTitle();        // "Trel maplist editor - v0.48"

} // namespace trel
