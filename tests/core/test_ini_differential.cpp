// The settings store on Windows: the system's profile-string functions (ReadIni, WriteIni, WriteIniValues)
// and the portable store every other system uses must read the same values from the same bytes, and write
// the same bytes into files in canonical form (CR LF line ends, no blank lines, no blanks around "=").
// Writes into files with blank lines, comments or unusual spacing are checked byte for byte in test_ini.cpp
// only: Wine's profile functions rewrite the whole file on every write, where Windows and the portable
// store keep every byte they do not change.

#ifdef _WIN32

#include "ini_portable.h"
#include "mdlIniStuff.h"
#include "test_helpers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

using trel::ReadIni;
using trel::ini::ReadIniPortable;
using Values = std::vector<std::pair<std::string, std::string>>;

struct DiffCase {
    std::string name;
    std::optional<std::string> file; // the file's bytes before; nothing: there is no file
    std::string section;
    std::vector<std::string> keys; // a read of each; none: a write (WriteIni for one value, WriteIniValues)
    Values values;
    // Set where Wine's profile functions read differently from Windows: the portable store must read
    // windowsValue, what Windows reads, and the case is compared only outside Wine.
    const char* wineDeviation = nullptr;
    std::string windowsValue;
};

DiffCase R(std::string name, std::optional<std::string> file, std::string section, std::vector<std::string> keys) {
    return {std::move(name), std::move(file), std::move(section), std::move(keys), {}, nullptr, {}};
}
DiffCase W(std::string name, std::optional<std::string> file, std::string section, Values values) {
    return {std::move(name), std::move(file), std::move(section), {}, std::move(values), nullptr, {}};
}

std::vector<DiffCase> Cases() {
    // A value in which every position differs from its neighbours, so a cut in the wrong place shows.
    std::string long300;
    for (std::size_t i = 0; i < 300; ++i)
        long300 += static_cast<char>('a' + (i * 7 + i / 26) % 26);
    const std::string settings = "[Quake2exe]\r\nUsed=1\r\nPath=C:\\Quake2\\quake2.exe\r\nDir=C:\\Quake2\r\n"
                                 "[Settings]\r\nDMflags=0\r\nDedicated=0\r\nMap=-1\r\nserverini=\r\n";
    const std::string ab = "[A]\r\nx=1\r\n[B]\r\ny=2\r\n";
    std::vector<DiffCase> cases = {
        // Line ends.
        R("crlf", settings, "Quake2exe", {"Path", "Used"}), R("lf", "[Q]\nUsed=1\nPath=C:\\q2.exe\n", "Q", {"Path"}),
        R("lone_cr", "[Q]\rUsed=1\rPath=C:\\q2.exe\r", "Q", {"Path"}),
        R("mixed_line_ends", "[A]\r\na=1\n[B]\rb=2\r\nc=3", "B", {"b", "c"}),
        // Quotes, blanks and tabs, "=" and ";" in values, letter case, a key with a blank.
        R("quotes", "[S]\r\na=\"quoted value\"\r\nb='quoted value'\r\nc=\"  x  \"\r\nd=\"\"\r\ne=\"x'\r\nf=\"\r\n"
          "g=a \"b\" c\r\nh=  \"x\"  \r\n", "S", {"a", "b", "c", "d", "e", "f", "g", "h"}),
        R("blanks", "[S]\r\na   =   v  \r\nb\t=\tv\t\r\nc= a \t b \r\nd=\r\ne=a=b\r\nf=;not a comment\r\n"
          "dIR=C:\\Q2\r\nServerName 1=Home\r\nlast=end",
          "S", {"a", "b", "c", "d", "e", "f", "Dir", "ServerName 1", "last"}),
        R("indented", "  \t[S]\r\n \tk=v\r\n", "S", {"k"}), R("blanks_in_brackets", "[  S  ]\r\nk=v\r\n", "S", {"k"}),
        R("names_passed_with_blanks", "[Settings]\r\nMap=2\r\n", "  Settings ", {" Map  "}),
        // Sections: letter case, duplicates, heads.
        R("section_case", "[QUAKE2EXE]\r\nDir=C:\\Q2\r\n", "quake2exe", {"Dir"}),
        R("duplicate_keys", "[S]\r\nk=first\r\nK=second\r\n", "S", {"k"}),
        R("duplicate_sections", "[S]\r\nk=first\r\n[T]\r\nk=t\r\n[s]\r\nk=second\r\nj=late\r\n", "S", {"k", "j"}),
        R("key_in_later_section", "[A]\r\nk=a\r\n[B]\r\nk=b\r\n", "B", {"k"}),
        R("head_with_text_after", "[S] where the settings live\r\nk=v\r\n", "S", {"k"}),
        R("head_with_key_after", "[S]k=v\r\n", "S", {"k"}),
        R("open_bracket_line", "[S]\r\nk=v\r\n[no closing bracket\r\nj=w\r\n", "S", {"k", "j"}),
        R("lines_before_first_section", "k=nowhere\r\n[S]\r\nx=1\r\n", "S", {"k"}),
        // Lines without "=", lines starting with ";".
        R("line_without_equals_only", "[S]\r\nk\r\nk v\r\n", "S", {"k"}),
        R("line_without_equals_elsewhere", "[S]\r\nsomething\r\nk=v\r\n", "S", {"k"}),
        R("semicolon_lines", "[S]\r\n;k=commented\r\nk=v\r\n;[T]\r\nj=w\r\n", "S", {"k", "j"}),
        // Long values, cut at 254 characters, and high bytes.
        R("long_values", "[S]\r\na=" + long300.substr(0, 254) + "\r\nb=" + long300.substr(0, 255) + "\r\nc=\"" +
          long300.substr(0, 280) + "\"\r\n", "S", {"a", "b", "c"}),
        R("high_bytes", "[Einstellungen\xe9]\r\nSchl\xfcssel=\xe4\xf6\xfc \xc0\xff\xa0x\r\n", "Einstellungen\xe9",
          {"Schl\xfcssel"}),
        // Nothing there.
        R("missing_file", std::nullopt, "S", {"k"}), R("empty_file", "", "S", {"k"}),
        R("missing_section", "[S]\r\nk=v\r\n", "T", {"k"}), R("missing_key", "[S]\r\nk=v\r\n", "S", {"x"}),

        // Writes into files in canonical form.
        W("write_new_file", std::nullopt, "Quake2exe", {{"Used", "1"}}), W("write_empty_file", "", "S", {{"k", "5"}}),
        W("write_new_section", "[Quake2exe]\r\nUsed=1\r\n", "Settings", {{"Map", "2"}}),
        W("write_new_key_in_first_section", ab, "A", {{"z", "3"}}),
        W("write_new_key_in_last_section", ab, "B", {{"z", "3"}}),
        W("write_replaced_value", settings, "Settings", {{"Map", "4"}}),
        W("write_keeps_key_spelling", "[Settings]\r\nDMFLAGS=7\r\nx=1\r\n", "settings", {{"dmflags", "5"}}),
        W("write_longer_value", "[S]\r\nk=1\r\nl=2\r\n", "S", {{"k", long300}}),
        W("write_empty_value", "[S]\r\nk=old\r\nl=2\r\n", "S", {{"k", ""}}),
        W("write_new_key_with_blanks", "[AB]\r\nServerName 1=Home\r\n", "AB", {{"ServerName 2", "Work"}}),
        W("write_key_with_blanks", "[AB]\r\nServerName 1=old\r\nServerName 2=keep\r\n", "AB",
          {{"ServerName 1", "new"}}),
        W("write_first_of_duplicate_keys", "[S]\r\nk=1\r\nk=2\r\n", "S", {{"k", "9"}}),
        W("write_first_of_duplicate_sections", "[S]\r\nk=1\r\n[T]\r\nt=1\r\n[S]\r\nk=3\r\n", "S", {{"k", "9"}}),
        W("write_new_key_into_first_duplicate_section", "[S]\r\na=1\r\n[S]\r\nk=3\r\n", "S", {{"k", "9"}}),
        W("write_high_bytes", "[S]\r\nk=\xe9\r\n", "S", {{"k", "\xfc\xe4 \xff"}}),
        W("write_quoted_value", "[S]\r\n", "S", {{"k", "\"a b\""}}),
        W("write_path_value", "[Q]\r\nUsed=0\r\n", "Q", {{"Path", "C:\\Program Files\\Quake 2\\quake2.exe"}}),
        W("write_several_into_new_file", std::nullopt, "Settings",
          {{"DMflags", "16"}, {"Dedicated", "1"}, {"Valmaxclients", "8"}, {"Gametype", "-1"}, {"Map", "-1"},
           {"serverini", ""}}),
        W("write_several_new_and_replaced", settings, "Settings",
          {{"DMflags", "5"}, {"Boolmaxgems", "1"}, {"dmflags", "6"}, {"Map", "3"}, {"Valmaxgems", "20"}}),
    };
    // Not compared under Wine.
    const auto deviating = [&](DiffCase c, const char* why, std::string windows) {
        c.wineDeviation = why;
        c.windowsValue = std::move(windows);
        cases.push_back(std::move(c));
    };
    deviating(R("line_without_equals_before_key", "[S]\r\nk\r\nk=v\r\n", "S", {"k"}),
              "Windows takes no line without \"=\" for a key (it never lists one among a section's keys); Wine "
              "keeps it as a key without value, which hides a later key of that name", "v");
    deviating(R("quoted_value_of_254", "[S]\r\nk=\"" + long300.substr(0, 254) + "\"\r\n", "S", {"k"}),
              "Windows drops the quotes and then cuts to 254 characters; Wine cuts first and then drops the last "
              "character as if it were the closing quote, returning 253", long300.substr(0, 254));
    deviating(R("utf8_byte_order_mark", "\xef\xbb\xbf[S]\r\nk=v\r\n", "S", {"k"}),
              "Windows reads the 8-bit functions' files in the code page, so the three bytes of a UTF-8 byte order "
              "mark spoil a head on the first line; Wine skips the mark", "");
    return cases;
}

struct Outcome {
    std::vector<std::string> read;   // a read: the values
    std::int16_t written = 0;        // a write: the result
    std::optional<std::string> file; // a write: the file's bytes after; nothing: no file
};

// One case through the system's functions (system) or the portable store, on a file of its own.
Outcome RunOn(bool system, const std::filesystem::path& file, const DiffCase& c) {
    if (c.file)
        trel::test::WriteBytes(file, *c.file);
    Outcome outcome;
    for (const std::string& key : c.keys)
        outcome.read.push_back(system ? ReadIni(c.section, key, file) : ReadIniPortable(c.section, key, file));
    if (!c.keys.empty())
        return outcome;
    std::string why;
    const auto& [key, value] = c.values.at(0);
    if (c.values.size() == 1)
        outcome.written = system ? trel::WriteIni(c.section, key, value, file)
                                 : trel::ini::WriteIniPortable(c.section, key, value, file);
    else
        outcome.written = system ? trel::WriteIniValues(c.section, c.values, file, why)
                                 : trel::ini::WriteIniValuesPortable(c.section, c.values, file, why);
    if (std::filesystem::exists(file))
        outcome.file = trel::test::ReadBytes(file);
    return outcome;
}

TEST(IniDifferential, SystemFunctionsAndPortableStoreAgree) {
    // Each store works on a file of its own, so neither sees what the other wrote; then each reads back every
    // written value from the other's file.
    trel::test::TempDir dir;
    for (const DiffCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        const auto systemFile = dir / ("system " + c.name + ".ini");
        const auto portableFile = dir / ("portable " + c.name + ".ini");
        const Outcome portable = RunOn(false, portableFile, c);
        if (c.wineDeviation) {
            EXPECT_EQ(portable.read, std::vector<std::string>{c.windowsValue}) << c.wineDeviation;
            if (trel::test::UnderWine())
                continue;
        }
        const Outcome system = RunOn(true, systemFile, c);
        EXPECT_EQ(system.read, portable.read);
        EXPECT_EQ(system.written, portable.written);
        EXPECT_EQ(system.file, portable.file);
        EXPECT_EQ(portable.written, c.keys.empty() ? 1 : 0);
        for (const auto& [key, value] : c.values) {
            SCOPED_TRACE(key);
            EXPECT_EQ(ReadIniPortable(c.section, key, systemFile), ReadIni(c.section, key, portableFile));
            EXPECT_EQ(ReadIni(c.section, key, systemFile), ReadIniPortable(c.section, key, portableFile));
        }
    }
}

} // namespace

#endif // _WIN32
