#pragma once
// Every writer of Trel's files in one table, driven with numbered contents, for the crash and write-failure
// tests and crash_writer. From the number found in a file the crash test knows which bytes it must hold.

#include "mdlIniStuff.h"
#include "mdlServercode.h"
#include "mdlmaincode.h"
#include "mdlmapeditcode.h"
#include "mdlsplash.h"
#include "platform.h"
#include "test_helpers.h"

#include <charconv>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace trel::test {

/// What every numbered content holds, followed by its number.
inline constexpr std::string_view kGenerationMark = "generation-";

/// The number after the first generation mark in bytes, if any.
inline std::optional<std::uint64_t> GenerationIn(std::string_view bytes) {
    const std::size_t at = bytes.find(kGenerationMark);
    std::uint64_t number = 0;
    if (at == std::string_view::npos ||
        std::from_chars(bytes.data() + at + kGenerationMark.size(), bytes.data() + bytes.size(), number).ec !=
            std::errc())
        return std::nullopt;
    return number;
}

/// Makes contents of different numbers differ in length too, up to several kilobytes, so that a write takes
/// long enough to be interrupted and a cut file is never mistaken for a whole one.
inline std::string Padding(std::uint64_t g) { return std::string(g % 6007, static_cast<char>('a' + g % 26)); }
inline std::string Numbered(std::uint64_t g) { return std::string(kGenerationMark) + std::to_string(g); }

/// The files every writer works in below one folder: trel.ini, the stand-in game, the modification folder.
struct Layout {
    std::filesystem::path folder;
    std::filesystem::path ini() const { return folder / "trel.ini"; }
    std::filesystem::path mod() const { return folder / "vorn"; }
    std::filesystem::path game() const { return folder / std::string(kGameExecutableName); }
    SharedValues shared() const { return {folder, PathText(game()), PathText(folder), 1}; }
};

/// The settings file Trel starts with, and what a user adds: comments, blank lines, another section, addresses.
inline const std::string kInitialIni =
    "; my notes\r\n[Quake2exe]\r\nUsed=1\r\nPath=/games/q2/quake2\r\nDir=/games/q2\r\n\r\n[Settings]\r\nDMflags=5\r\n"
    "Dedicated=0\r\nBoolmaxclients=1\r\nValmaxclients=12\r\nBooltimelimit=0\r\nValtimelimit=20\r\nBoolgemgoal=0\r\n"
    "Valgemgoal=10\r\nMonsterRespawn=0\r\nForcejoin=1\r\nGametype=1\r\nCommandline=0\r\nMap=2\r\nBoolmaxgems=0\r\n"
    "Valmaxgems=0\r\nserverini=\r\n\r\n[Other]\r\nx = 1\r\n[AddressBook]\r\nServerName 1=LAN\r\n"
    "ServerIp 1=192.168.0.10:27910\r\n";

/// Fills layout.folder with every file in its first state.
inline void PrepareLayout(const Layout& layout) {
    std::filesystem::create_directories(layout.mod());
    WriteBytes(layout.ini(), kInitialIni);
    WriteBytes(layout.game(), "");
    const std::pair<const char*, const char*> files[] = {
        {"vorn.ini", "[ vorn01 ]\r\ngametype 3\r\n# mine\r\n"},   {"vorn.bak", "[ older ]\r\n"},
        {"vorn_sp.ini", "[ vorn_sp01 ]\r\ngametype 1\r\n"},       {"motd.txt", "Welcome\r\n"},
        {"trel_launcher.cfg", "set dmflags 0\r\nmap vorn01\r\n"}, {"trel_connect.cfg", "connect 10.0.0.1:27910\r\n"}};
    for (const auto& [name, bytes] : files)
        WriteBytes(layout.mod() / name, bytes);
}

// The numbered contents the writers store.
inline LaunchOptions OptionsFor(std::uint64_t g) {
    // The game reads at most 1,000 bytes a line, so the launch refuses longer ones.
    return {.DMflags = static_cast<std::int32_t>(g % 65536), .Booltimelimit = 1,
            .Valtimelimit = std::to_string(g % 100), .Gametype = static_cast<int>(g % 4),
            .Map = static_cast<int>(g % 5),
            .serverini = Numbered(g) + Padding(g).substr(0, 900),
            .addparam = "echo " + Numbered(g) + " " + Padding(g).substr(0, 900)};
}
inline std::vector<std::pair<std::string, std::string>> SettingsFor(std::uint64_t g) {
    return SettingsToSave(OptionsFor(g), std::to_string(g % 65536));
}
inline AddressBookRows RowsFor(std::uint64_t g) {
    AddressBookRows rows;
    rows[0] = {Numbered(g), "host" + Padding(g % 200) + ":27910"};
    rows[3] = {"Padding", Padding(g) + ":1"};
    return rows;
}
inline std::vector<std::string> MapsFor(std::uint64_t g) {
    std::vector<std::string> maps = {Numbered(g)};
    for (std::uint64_t i = 0; i < 1 + g % 400; ++i)
        maps.emplace_back(kStandardMaps[i % kStandardMaps.size()]);
    return maps;
}
inline std::string EditorTextFor(std::uint64_t g, const std::string& file) {
    std::string text = "[ " + file.substr(0, file.find('.')) + "01 ]\n# " + Numbered(g) + "\ngametype 1\n";
    for (std::uint64_t i = 0; i < g % 300; ++i)
        text += "max_gems " + std::to_string(i) + "\n";
    return text;
}
inline std::string MotdFor(std::uint64_t g) { return "Welcome to " + Numbered(g) + "\n" + Padding(g); }
inline std::string GamePathFor(std::uint64_t g) { return "/games/" + Numbered(g) + Padding(g) + "/quake2"; }
inline std::string AddressFor(std::uint64_t g) { return Numbered(g) + Padding(g) + ":27910"; }
inline std::string IniAfter(std::string_view section, const std::vector<std::pair<std::string, std::string>>& values) {
    std::string text = kInitialIni;
    for (const auto& [key, value] : values)
        text = ini::WriteValue(text, section, key, value);
    return text;
}

/// What one write did: whether it succeeded, why not (the file and the reason), whether a game start was asked.
struct Outcome {
    bool ok = false;
    std::string why;
    bool gameRequested = false;
};

struct Writer {
    std::string_view name;
    std::vector<std::string> files; // below the layout's folder; the first is the one a failure names
    std::function<bool(const Layout&, std::uint64_t generation, Outcome&)> write;
    // The bytes a file (by name) holds right after the write of generation; none: the writer is not crash-tested.
    std::function<std::string(const std::string& file, std::uint64_t generation)> content;
};

inline const std::vector<Writer>& Writers() {
    using G = std::uint64_t;
    using L = const Layout&;
    static const std::vector<Writer> writers = {
        {"SaveSettings", {"trel.ini"}, // the main window's save: the sixteen Settings values at once
         [](L l, G g, Outcome& o) { return WriteIniValues("Settings", SettingsFor(g), l.ini(), o.why); },
         [](const std::string&, G g) { return IniAfter("Settings", SettingsFor(g)); }},
        {"WriteIni", {"trel.ini"}, // one value, as the locator stores the game's path
         [](L l, G g, Outcome& o) {
             o.why = PathText(l.ini());
             return WriteIni("Quake2exe", "Path", GamePathFor(g), l.ini()) != 0;
         },
         [](const std::string&, G g) { return IniAfter("Quake2exe", {{"Path", GamePathFor(g)}}); }},
        {"SaveAddressBook", {"trel.ini"},
         [](L l, G g, Outcome& o) { return SaveAddressBook(RowsFor(g), l.ini(), o.why); },
         [](const std::string&, G g) { return IniAfter("AddressBook", AddressBookValues(RowsFor(g))); }},
        {"MapCycle", {"vorn/vorn.ini", "vorn/vorn.bak"}, // vorn.ini and its backup
         [](L l, G g, Outcome& o) { return writemapcycle(MapsFor(g), l.mod(), o.why); },
         [](const std::string&, G g) { return MapCycleText(MapsFor(g)); }},
        {"MapDetails", {"vorn/vorn.ini", "vorn/vorn_sp.ini"}, // the map-details editor saves both
         [](L l, G g, Outcome& o) {
             return SaveTextFile(l.mod() / "vorn.ini", EditorTextFor(g, "vorn.ini"), o.why) &&
                    SaveTextFile(l.mod() / "vorn_sp.ini", EditorTextFor(g, "vorn_sp.ini"), o.why);
         },
         [](const std::string& file, G g) { return FileTextFromEditor(EditorTextFor(g, file)); }},
        {"Motd", {"vorn/motd.txt"}, // the message-of-the-day editor's save
         [](L l, G g, Outcome& o) { return SaveTextFile(l.mod() / "motd.txt", MotdFor(g), o.why); },
         [](const std::string&, G g) { return FileTextFromEditor(MotdFor(g)); }},
        {"LaunchScript", {"vorn/trel_launcher.cfg"}, // Run
         [](L l, G g, Outcome& o) {
             const LaunchPreparation launch = PrepareLaunch(l.shared(), OptionsFor(g));
             o.why = launch.why;
             o.gameRequested = !(launch.request == LaunchRequest{});
             return launch.outcome == LaunchOutcome::Ready;
         },
         [](const std::string&, G g) { return LaunchScriptText(OptionsFor(g)); }},
        {"JoinScript", {"vorn/trel_connect.cfg"}, // joining the address book's third server
         [](L l, G g, Outcome& o) {
             AddressBookRows rows;
             rows[2] = {"Server", AddressFor(g)};
             const ConnectPreparation join = PrepareConnect(l.shared(), rows, 2);
             o.why = join.why;
             o.gameRequested = !(join.request == LaunchRequest{});
             return join.outcome == ConnectOutcome::Ready;
         },
         [](const std::string&, G g) { return ConnectScriptText(AddressFor(g)); }},
        {"GameLocation", {"trel.ini"}, // the locator's store of the chosen game
         [](L l, G, Outcome& o) { return StoreQuake2Exe(l.ini(), "/new place/quake2", "/new place", o.why); }, {}},
        {"MapDetailsCreated", {"vorn/vorn_sp.ini"}, // opening the map-details editor creates a missing file empty
         [](L l, G, Outcome& o) {
             std::error_code ignored; // vorn may be no folder
             std::filesystem::remove(l.mod() / "vorn_sp.ini", ignored);
             const TextFileLoad load = LoadTextFile(l.mod() / "vorn_sp.ini", WhenMissing::CreateEmpty);
             o.why = load.why;
             return load.ok;
         },
         {}},
    };
    return writers;
}

/// The writer of that name, or nullptr.
inline const Writer* WriterNamed(std::string_view name) {
    for (const Writer& writer : Writers())
        if (writer.name == name)
            return &writer;
    return nullptr;
}

inline Outcome WriteGeneration(const Writer& writer, const Layout& layout, std::uint64_t generation) {
    Outcome outcome;
    outcome.ok = writer.write(layout, generation, outcome);
    return outcome;
}

} // namespace trel::test
