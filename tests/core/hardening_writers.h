#pragma once
// Every writer of Trel's files, driven with numbered contents, for the crash and write-failure tests. The
// crash_writer program runs one of them in a loop until it is killed; the tests know from the number
// found in a file exactly which bytes it must hold.

#include "mdlIniStuff.h"
#include "mdlServercode.h"
#include "mdlmaincode.h"
#include "mdlmapeditcode.h"
#include "mdlsplash.h"
#include "mdlvariables.h"
#include "platform.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trel::test {

/// What every numbered content holds, followed by its number.
inline constexpr std::string_view kGenerationMark = "generation-";

/// The number after the first generation mark in bytes, if any.
inline std::optional<std::uint64_t> GenerationIn(std::string_view bytes) {
    const std::size_t at = bytes.find(kGenerationMark);
    if (at == std::string_view::npos)
        return std::nullopt;
    std::uint64_t number = 0;
    std::size_t i = at + kGenerationMark.size();
    const std::size_t first = i;
    for (; i < bytes.size() && bytes[i] >= '0' && bytes[i] <= '9' && i - first < 18; ++i)
        number = number * 10 + static_cast<std::uint64_t>(bytes[i] - '0');
    if (i == first)
        return std::nullopt;
    return number;
}

/// Bytes that make contents of different numbers differ in length as well, up to several kilobytes, so
/// that a write takes long enough to be interrupted and a cut file is never mistaken for a whole one.
inline std::string Padding(std::uint64_t generation) {
    return std::string(static_cast<std::size_t>(generation % 6007), static_cast<char>('a' + generation % 26));
}

inline std::string Numbered(std::uint64_t generation) {
    return std::string(kGenerationMark) + std::to_string(generation);
}

/// The files every writer works in, below one folder: trel.ini and the stand-in game beside it, the
/// modification folder below.
struct Layout {
    std::filesystem::path folder;

    std::filesystem::path ini() const { return folder / "trel.ini"; }
    std::filesystem::path game() const { return folder / std::string(kGameExecutableName); }
    std::filesystem::path mod() const { return folder / "vorn"; }
    SharedValues shared() const {
        SharedValues values;
        values.StartDir = folder;
        values.Quake2Path = PathText(game());
        values.Quake2Folder = PathText(folder);
        values.UsedFlag = 1;
        return values;
    }
};

inline void WriteFileBytes(const std::filesystem::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

/// The settings file Trel starts with, with what a user adds around it: comments, blank lines, another
/// section, the address book.
inline constexpr std::string_view kInitialIni =
    "; my notes\r\n[Quake2exe]\r\nUsed=1\r\nPath=/games/q2/quake2\r\nDir=/games/q2\r\n\r\n[Settings]\r\nDMflags=5\r\n"
    "Dedicated=0\r\nBoolmaxclients=1\r\nValmaxclients=12\r\nBooltimelimit=0\r\nValtimelimit=20\r\nBoolgemgoal=0\r\n"
    "Valgemgoal=10\r\nMonsterRespawn=0\r\nForcejoin=1\r\nGametype=1\r\nCommandline=0\r\nMap=2\r\nBoolmaxgems=0\r\n"
    "Valmaxgems=0\r\nserverini=\r\n\r\n[Other]\r\nx = 1\r\n[AddressBook]\r\nServerName 1=LAN\r\n"
    "ServerIp 1=192.168.0.10:27910\r\n";

/// Fills layout.folder with every file in its first state.
inline void PrepareLayout(const Layout& layout) {
    std::filesystem::create_directories(layout.mod());
    WriteFileBytes(layout.ini(), kInitialIni);
    WriteFileBytes(layout.game(), "");
    WriteFileBytes(layout.mod() / "vorn.ini", "[ vorn01 ]\r\ngametype 3\r\n# mine\r\n");
    WriteFileBytes(layout.mod() / "vorn.bak", "[ older ]\r\n");
    WriteFileBytes(layout.mod() / "vorn_sp.ini", "[ vorn_sp01 ]\r\ngametype 1\r\n");
    WriteFileBytes(layout.mod() / "motd.txt", "Welcome\r\n");
    WriteFileBytes(layout.mod() / "trel_launcher.cfg", "set dmflags 0\r\nmap vorn01\r\n");
    WriteFileBytes(layout.mod() / "trel_connect.cfg", "connect 10.0.0.1:27910\r\n");
}

// ---------------------------------------------------------------------------------------------------
// The numbered contents each writer stores

inline LaunchOptions OptionsFor(std::uint64_t generation) {
    LaunchOptions options;
    options.DMflags = static_cast<std::int32_t>(generation % 65536);
    options.Gametype = static_cast<int>(generation % 4);
    options.Map = static_cast<int>(generation % 5);
    options.Booltimelimit = 1;
    options.Valtimelimit = std::to_string(generation % 100);
    // The game reads at most 1,000 bytes a line, so the launch refuses longer ones.
    options.serverini = Numbered(generation) + Padding(generation).substr(0, 900);
    options.addparam = "echo " + Numbered(generation) + " " + Padding(generation).substr(0, 900);
    return options;
}

inline std::vector<std::pair<std::string, std::string>> SettingsValuesFor(std::uint64_t generation) {
    return SettingsToSave(OptionsFor(generation), std::to_string(generation % 65536));
}

inline AddressBookRows RowsFor(std::uint64_t generation) {
    AddressBookRows rows;
    rows[0] = {Numbered(generation), "host" + Padding(generation % 200) + ":27910"};
    rows[3] = {"Padding", Padding(generation) + ":1"};
    return rows;
}

inline std::vector<std::string> MapsFor(std::uint64_t generation) {
    std::vector<std::string> maps = {Numbered(generation)};
    for (std::uint64_t i = 0; i < 1 + generation % 400; ++i)
        maps.emplace_back(kStandardMaps[i % kStandardMaps.size()]);
    return maps;
}

inline std::string EditorTextFor(std::uint64_t generation, std::string_view map) {
    std::string text = "[ " + std::string(map) + " ]\n# " + Numbered(generation) + "\ngametype 1\n";
    for (std::uint64_t i = 0; i < generation % 300; ++i)
        text += "max_gems " + std::to_string(i) + "\n";
    return text;
}

inline std::string MotdFor(std::uint64_t generation) {
    return "Welcome to " + Numbered(generation) + "\n" + Padding(generation);
}

inline std::string ConnectAddressFor(std::uint64_t generation) {
    return Numbered(generation) + Padding(generation) + ":27910";
}

// ---------------------------------------------------------------------------------------------------
// The writers

enum class Writer {
    SaveSettings,   // the main window's save: the sixteen Settings values at once
    WriteIni,       // one value, as the locator stores the game's path
    SaveAddressBook,
    MapCycle,       // writemapcycle: vorn.ini and its backup vorn.bak
    MapDetails,     // the map-details editor's save: vorn.ini, then vorn_sp.ini
    Motd,           // the message-of-the-day editor's save
    LaunchScript,   // Run: trel_launcher.cfg
    JoinScript,     // joining a server: trel_connect.cfg
};

inline constexpr std::array<std::string_view, 8> kWriterNames = {"SaveSettings", "WriteIni",   "SaveAddressBook",
                                                                 "MapCycle",     "MapDetails", "Motd",
                                                                 "LaunchScript", "JoinScript"};

inline std::optional<Writer> WriterNamed(std::string_view name) {
    for (std::size_t i = 0; i < kWriterNames.size(); ++i) {
        if (kWriterNames[i] == name)
            return static_cast<Writer>(i);
    }
    return std::nullopt;
}

/// The files a writer replaces, the backup of the map cycle writer included.
inline std::vector<std::filesystem::path> FilesOf(Writer writer, const Layout& layout) {
    switch (writer) {
    case Writer::SaveSettings:
    case Writer::WriteIni:
    case Writer::SaveAddressBook:
        return {layout.ini()};
    case Writer::MapCycle:
        return {layout.mod() / "vorn.ini", layout.mod() / "vorn.bak"};
    case Writer::MapDetails:
        return {layout.mod() / "vorn.ini", layout.mod() / "vorn_sp.ini"};
    case Writer::Motd:
        return {layout.mod() / "motd.txt"};
    case Writer::LaunchScript:
        return {layout.mod() / "trel_launcher.cfg"};
    case Writer::JoinScript:
        return {layout.mod() / "trel_connect.cfg"};
    }
    return {};
}

/// One write of the numbered content; false with why (the file and the reason) on failure.
inline bool WriteGeneration(Writer writer, const Layout& layout, std::uint64_t generation, std::string& why) {
    switch (writer) {
    case Writer::SaveSettings:
        return WriteIniValues("Settings", SettingsValuesFor(generation), layout.ini(), why);
    case Writer::WriteIni:
        why = PathText(layout.ini());
        return WriteIni("Quake2exe", "Path", "/games/" + Numbered(generation) + Padding(generation) + "/quake2",
                        layout.ini()) != 0;
    case Writer::SaveAddressBook:
        return SaveAddressBook(RowsFor(generation), layout.ini(), why);
    case Writer::MapCycle:
        return writemapcycle(MapsFor(generation), layout.mod(), why);
    case Writer::MapDetails:
        return SaveTextFile(layout.mod() / "vorn.ini", EditorTextFor(generation, "vorn01"), why) &&
               SaveTextFile(layout.mod() / "vorn_sp.ini", EditorTextFor(generation, "vorn_sp01"), why);
    case Writer::Motd:
        return SaveTextFile(layout.mod() / "motd.txt", MotdFor(generation), why);
    case Writer::LaunchScript: {
        const LaunchPreparation preparation = PrepareLaunch(layout.shared(), OptionsFor(generation));
        why = preparation.why;
        return preparation.outcome == LaunchOutcome::Ready;
    }
    case Writer::JoinScript: {
        AddressBookRows rows;
        rows[2] = {"Server", ConnectAddressFor(generation)};
        const ConnectPreparation preparation = PrepareConnect(layout.shared(), rows, 2);
        why = preparation.why;
        return preparation.outcome == ConnectOutcome::Ready;
    }
    }
    return false;
}

/// The whole bytes file holds right after the write of generation, given what the layout first held.
inline std::string ContentAfter(Writer writer, const std::filesystem::path& file, std::uint64_t generation) {
    std::string text(kInitialIni);
    switch (writer) {
    case Writer::SaveSettings:
        for (const auto& [key, value] : SettingsValuesFor(generation))
            text = ini::WriteValue(text, "Settings", key, value);
        return text;
    case Writer::WriteIni:
        return ini::WriteValue(text, "Quake2exe", "Path",
                               "/games/" + Numbered(generation) + Padding(generation) + "/quake2");
    case Writer::SaveAddressBook:
        for (const auto& [key, value] : AddressBookValues(RowsFor(generation)))
            text = ini::WriteValue(text, "AddressBook", key, value);
        return text;
    case Writer::MapCycle:
        return MapCycleText(MapsFor(generation));
    case Writer::MapDetails:
        return FileTextFromEditor(
            EditorTextFor(generation, file.filename() == "vorn_sp.ini" ? "vorn_sp01" : "vorn01"));
    case Writer::Motd:
        return FileTextFromEditor(MotdFor(generation));
    case Writer::LaunchScript:
        return LaunchScriptText(OptionsFor(generation));
    case Writer::JoinScript:
        return ConnectScriptText(ConnectAddressFor(generation));
    }
    return {};
}

} // namespace trel::test
