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

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string_view>

namespace trel::test {

/// What every numbered content holds, followed by its number; GenerationIn finds the number after the first one.
inline constexpr std::string_view kGenerationMark = "generation-";
inline std::optional<std::uint64_t> GenerationIn(const std::string& bytes) {
    const std::size_t at = bytes.find(kGenerationMark);
    return at == bytes.npos ? std::nullopt
                            : std::optional(std::strtoull(&bytes[at + kGenerationMark.size()], nullptr, 10));
}

/// Contents of different numbers differ in length too, up to several kilobytes, so that a write takes long
/// enough to be interrupted and a cut file is never mistaken for a whole one.
inline std::string Padding(std::uint64_t g) { return std::string(g % 6007, static_cast<char>('a' + g % 26)); }
inline std::string Numbered(std::uint64_t g) { return std::string(kGenerationMark) + std::to_string(g); }

/// Every writer works in one folder holding trel.ini, the stand-in game and the modification folder vorn.
inline SharedValues SharedIn(const std::filesystem::path& folder) {
    return {folder, PathText(folder / kGameExecutableName), PathText(folder), 1};
}

/// The settings file Trel starts with, and what a user adds: comments, blank lines, another section, addresses.
inline const std::string kInitialIni =
    "; my notes\r\n[Quake2exe]\r\nUsed=1\r\nPath=/games/q2/quake2\r\nDir=/games/q2\r\n\r\n[Settings]\r\nMap=2\r\n"
    "serverini=\r\n\r\n[Other]\r\nx = 1\r\n[AddressBook]\r\nServerName 1=LAN\r\nServerIp 1=192.168.0.10:27910\r\n";

/// Fills folder with every file in its first state.
inline void PrepareLayout(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder / "vorn");
    WriteBytes(folder / "trel.ini", kInitialIni);
    WriteBytes(folder / kGameExecutableName, "");
    for (auto file : {"vorn.ini", "vorn.bak", "vorn_sp.ini", "motd.txt", "trel_launcher.cfg", "trel_connect.cfg"})
        WriteBytes(folder / "vorn" / file, file); // a file's first content is its name
}

// The numbered contents the writers store; the game reads at most 1,000 bytes a line, so the launch refuses longer.
inline LaunchOptions OptionsFor(std::uint64_t g) {
    const std::string numbered = Numbered(g) + Padding(g).substr(0, 900);
    return {.DMflags = static_cast<std::int32_t>(g % 65536), .Booltimelimit = 1,
            .Valtimelimit = std::to_string(g % 100), .Gametype = static_cast<int>(g % 4),
            .Map = static_cast<int>(g % 5), .serverini = numbered, .addparam = "echo " + numbered};
}
inline auto SettingsFor(std::uint64_t g) { return SettingsToSave(OptionsFor(g), std::to_string(g % 65536)); }
inline AddressBookRows RowsFor(std::uint64_t g, std::size_t row = 0, std::string address = {}) {
    AddressBookRows rows;
    rows[row] = {Numbered(g), address.empty() ? "host" + Padding(g % 200) + ":27910" : address};
    rows[3] = {"Padding", Padding(g) + ":1"};
    return rows;
}
inline std::vector<std::string> MapsFor(std::uint64_t g) {
    std::vector<std::string> maps = {Numbered(g)};
    for (std::uint64_t i = 0; i < 1 + g % 400; ++i)
        maps.emplace_back(kStandardMaps[i % kStandardMaps.size()]);
    return maps;
}
// What an editor saves into file (its name): the map details' vorn.ini and vorn_sp.ini, the message of the day.
inline std::string EditorTextFor(std::uint64_t g, const std::string& file) {
    return "[ " + file.substr(0, file.find('.')) + "01 ]\n# " + Numbered(g) + "\ngametype 1\n# " + Padding(g) + "\n";
}
inline std::string AddressFor(std::uint64_t g) { return Numbered(g) + Padding(g) + ":27910"; }
inline std::string IniAfter(std::string_view section, const std::vector<std::pair<std::string, std::string>>& values) {
    std::string text = kInitialIni;
    for (const auto& [key, value] : values)
        text = ini::WriteValue(text, section, key, value);
    return text;
}

/// What one write did: whether it succeeded, why not (the file and the reason), whether a game start was asked.
struct Outcome { bool ok = false; std::string why; bool gameRequested = false; };

// A launch's or a join's preparation as an outcome.
template <typename Preparation> bool Prepared(const Preparation& p, Outcome& o) {
    return o.why = p.why, o.gameRequested = !(p.request == LaunchRequest{}), p.outcome == decltype(p.outcome)::Ready;
}
inline bool SaveEdited(const std::filesystem::path& l, std::uint64_t g, const std::string& file, Outcome& o) {
    return SaveTextFile(l / "vorn" / file, EditorTextFor(g, file), o.why);
}

struct Writer {
    std::string_view name;
    std::vector<std::string> files; // below the folder; the first is the one a failure names
    std::function<bool(const std::filesystem::path& folder, std::uint64_t generation, Outcome&)> write;
    // The bytes a file (by name) holds right after the write of generation; none: the writer is not crash-tested.
    std::function<std::string(const std::string& file, std::uint64_t generation)> content;
    Outcome run(const std::filesystem::path& l, std::uint64_t g) const { Outcome o; return o.ok = write(l, g, o), o; }
};

inline const std::vector<Writer>& Writers() {
    using G = std::uint64_t; using L = const std::filesystem::path&; using F = const std::string&; using O = Outcome&;
    const auto edited = [](F file, G g) { return FileTextFromEditor(EditorTextFor(g, file)); };
    static const std::vector<Writer> writers = {
        {"SaveSettings", {"trel.ini"}, // the main window's save: the sixteen Settings values at once
         [](L l, G g, O o) { return WriteIniValues("Settings", SettingsFor(g), l / "trel.ini", o.why); },
         [](F, G g) { return IniAfter("Settings", SettingsFor(g)); }},
        {"SaveAddressBook", {"trel.ini"}, // the address book's save
         [](L l, G g, O o) { return SaveAddressBook(RowsFor(g), l / "trel.ini", o.why); },
         [](F, G g) { return IniAfter("AddressBook", AddressBookValues(RowsFor(g))); }},
        {"MapCycle", {"vorn/vorn.ini", "vorn/vorn.bak"}, // vorn.ini and its backup
         [](L l, G g, O o) { return writemapcycle(MapsFor(g), l / "vorn", o.why); },
         [](F, G g) { return MapCycleText(MapsFor(g)); }},
        {"MapDetails", {"vorn/vorn.ini", "vorn/vorn_sp.ini"}, // the map-details editor saves both
         [](L l, G g, O o) { return SaveEdited(l, g, "vorn.ini", o) && SaveEdited(l, g, "vorn_sp.ini", o); }, edited},
        {"Motd", {"vorn/motd.txt"}, [](L l, G g, O o) { return SaveEdited(l, g, "motd.txt", o); }, edited},
        {"LaunchScript", {"vorn/trel_launcher.cfg"}, // Run
         [](L l, G g, O o) { return Prepared(PrepareLaunch(SharedIn(l), OptionsFor(g)), o); },
         [](F, G g) { return LaunchScriptText(OptionsFor(g)); }},
        {"JoinScript", {"vorn/trel_connect.cfg"}, // joining the address book's third server
         [](L l, G g, O o) { return Prepared(PrepareConnect(SharedIn(l), RowsFor(g, 2, AddressFor(g)), 2), o); },
         [](F, G g) { return ConnectScriptText(AddressFor(g)); }},
        {"GameLocation", {"trel.ini"}, // the locator's store of the chosen game
         [](L l, G, O o) { return StoreQuake2Exe(l / "trel.ini", "/new place/quake2", "/new place", o.why); }, {}},
        {"MapDetailsCreated", {"vorn/vorn_sp.ini"}, // opening the map-details editor creates a missing file empty
         [](L l, G, O o) { const TextFileLoad load = LoadTextFile(l / "vorn/vorn_sp.ini", WhenMissing::CreateEmpty);
                           return o.why = load.why, load.ok; }, {}},
    };
    return writers;
}

/// The writer of that name, or nullptr.
inline const Writer* WriterNamed(std::string_view name) {
    const auto found = std::ranges::find(Writers(), name, &Writer::name);
    return found == Writers().end() ? nullptr : &*found;
}

} // namespace trel::test
