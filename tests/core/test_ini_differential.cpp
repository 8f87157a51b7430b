// The settings store on Windows: the system's profile-string functions (ReadIni, WriteIni,
// WriteIniValues) and the portable store that every other system uses must read the same values from
// the same bytes, and write the same bytes into files in canonical form (CR LF line ends, no blank
// lines, no blanks around "=").
//
// Write cases with blank lines, comments or unusual spacing are checked byte for byte in test_ini.cpp
// only: Wine's profile functions rewrite the whole file on every write (blank lines and blanks around
// "=" dropped, every line end made CR LF), where Windows and the portable store keep every byte they
// do not change.

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

using trel::test::ReadBytes;
using trel::test::TempDir;
using trel::test::WriteBytes;
using Values = std::vector<std::pair<std::string, std::string>>;

enum class Op {
    Read,        // ReadIni(section, key) against ReadIniPortable
    Write,       // WriteIni for the one pair in values, against WriteIniPortable
    WriteSeveral // WriteIniValues for all pairs in values, against WriteIniValuesPortable
};

struct DiffCase {
    std::string name;
    Op op;
    std::optional<std::string> file; // the file's bytes before; nothing: there is no file
    std::string section;
    std::string key; // read cases
    Values values;   // write cases
    // Set where Wine's profile functions are known to read differently from Windows: the portable store
    // must read windowsValue, what Windows reads, and the case is compared only outside Wine.
    const char* wineDeviation = nullptr;
    std::string windowsValue;
};

DiffCase R(std::string name, std::optional<std::string> file, std::string section, std::string key) {
    return {std::move(name), Op::Read, std::move(file), std::move(section), std::move(key), {}, nullptr, {}};
}
DiffCase W(std::string name, std::optional<std::string> file, std::string section, Values values) {
    const Op op = values.size() == 1 ? Op::Write : Op::WriteSeveral;
    return {std::move(name), op, std::move(file), std::move(section), "", std::move(values), nullptr, {}};
}

// A value in which every position differs from its neighbours, so a cut in the wrong place shows.
std::string Counting(std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
        s += static_cast<char>('a' + (i * 7 + i / 26) % 26);
    return s;
}

std::vector<DiffCase> Cases() {
    const std::string long300 = Counting(300);
    const std::string settings = "[Quake2exe]\r\nUsed=1\r\nPath=C:\\Quake2\\quake2.exe\r\nDir=C:\\Quake2\r\n"
                                 "[Settings]\r\nDMflags=0\r\nDedicated=0\r\nMap=-1\r\nserverini=\r\n";
    const std::string ab = "[A]\r\nx=1\r\n[B]\r\ny=2\r\n";
    std::vector<DiffCase> cases = {
        // Line ends.
        R("read_crlf", settings, "Quake2exe", "Path"),
        R("read_lf", "[Quake2exe]\nUsed=1\nPath=C:\\Games\\quake2.exe\n", "Quake2exe", "Path"),
        R("read_lone_cr", "[Quake2exe]\rUsed=1\rPath=C:\\Games\\quake2.exe\r", "Quake2exe", "Path"),
        R("read_mixed_line_ends", "[A]\r\na=1\n[B]\rb=2\r\nc=3", "B", "b"),
        R("read_last_line_without_end", "[S]\r\nk=last", "S", "k"),
        // Quotes.
        R("read_double_quotes", "[S]\r\nk=\"quoted value\"\r\n", "S", "k"),
        R("read_single_quotes", "[S]\r\nk='quoted value'\r\n", "S", "k"),
        R("read_quotes_keep_inner_blanks", "[S]\r\nk=\"  x  \"\r\n", "S", "k"),
        R("read_empty_quotes", "[S]\r\nk=\"\"\r\n", "S", "k"),
        R("read_mismatched_quotes", "[S]\r\nk=\"x'\r\n", "S", "k"),
        R("read_lone_quote", "[S]\r\nk=\"\r\n", "S", "k"),
        R("read_quotes_inside", "[S]\r\nk=a \"b\" c\r\n", "S", "k"),
        R("read_quotes_outside_blanks", "[S]\r\nk=  \"x\"  \r\n", "S", "k"),
        // Blanks and tabs.
        R("read_blanks_around_equals", "[S]\r\nk   =   v  \r\n", "S", "k"),
        R("read_tabs_around_equals", "[S]\r\nk\t=\tv\t\r\n", "S", "k"),
        R("read_blanks_inside_value", "[S]\r\nk= a \t b \r\n", "S", "k"),
        R("read_indented_head_and_key", "  \t[S]\r\n \tk=v\r\n", "S", "k"),
        R("read_blanks_inside_brackets", "[  S  ]\r\nk=v\r\n", "S", "k"),
        R("read_key_with_blanks", "[AddressBook]\r\nServerName 1=Home\r\n", "AddressBook", "ServerName 1"),
        R("read_names_passed_with_blanks", "[Settings]\r\nMap=2\r\n", "  Settings ", " Map  "),
        R("read_empty_value", "[S]\r\nk=\r\nl=v\r\n", "S", "k"),
        R("read_equals_inside_value", "[S]\r\nk=a=b\r\n", "S", "k"),
        // Letter case, duplicates.
        R("read_section_case", "[QUAKE2EXE]\r\nDir=C:\\Q2\r\n", "quake2exe", "Dir"),
        R("read_key_case", "[Quake2exe]\r\ndir=C:\\Q2\r\n", "Quake2exe", "Dir"),
        R("read_duplicate_keys", "[S]\r\nk=first\r\nK=second\r\n", "S", "k"),
        R("read_duplicate_sections", "[S]\r\nk=first\r\n[T]\r\nk=t\r\n[s]\r\nk=second\r\n", "S", "k"),
        R("read_key_only_in_later_duplicate_section", "[S]\r\na=1\r\n[T]\r\n[S]\r\nk=late\r\n", "S", "k"),
        R("read_key_in_later_section", "[A]\r\nk=a\r\n[B]\r\nk=b\r\n", "B", "k"),
        // Heads.
        R("read_head_with_text_after", "[S] where the settings live\r\nk=v\r\n", "S", "k"),
        R("read_head_with_key_after", "[S]k=v\r\n", "S", "k"),
        R("read_open_bracket_line_after_key", "[S]\r\nk=v\r\n[no closing bracket\r\nj=w\r\n", "S", "k"),
        R("read_lines_before_first_section", "k=nowhere\r\n[S]\r\nx=1\r\n", "S", "k"),
        // Lines without "=", lines starting with ";".
        R("read_line_without_equals_only", "[S]\r\nk\r\nk v\r\n", "S", "k"),
        R("read_line_without_equals_elsewhere", "[S]\r\nsomething\r\nk=v\r\n", "S", "k"),
        R("read_semicolon_line_before_key", "[S]\r\n;k=commented\r\nk=v\r\n", "S", "k"),
        R("read_semicolon_value", "[S]\r\nk=;not a comment\r\n", "S", "k"),
        R("read_semicolon_head_line", "[S]\r\n;[T]\r\nk=v\r\n", "S", "k"),
        // Long values and high bytes.
        R("read_value_of_300", "[S]\r\nk=" + long300 + "\r\n", "S", "k"),
        R("read_value_of_254", "[S]\r\nk=" + long300.substr(0, 254) + "\r\n", "S", "k"),
        R("read_value_of_255", "[S]\r\nk=" + long300.substr(0, 255) + "\r\n", "S", "k"),
        R("read_quoted_value_of_280", "[S]\r\nk=\"" + long300.substr(0, 280) + "\"\r\n", "S", "k"),
        R("read_high_bytes", "[Einstellungen\xe9]\r\nSchl\xfcssel=\xe4\xf6\xfc \xc0\xff\xa0x\r\n", "Einstellungen\xe9",
          "Schl\xfcssel"),
        // Nothing there.
        R("read_missing_file", std::nullopt, "S", "k"),
        R("read_empty_file", "", "S", "k"),
        R("read_missing_section", "[S]\r\nk=v\r\n", "T", "k"),
        R("read_missing_key", "[S]\r\nk=v\r\n", "S", "x"),

        // Writes into files in canonical form.
        W("write_new_file", std::nullopt, "Quake2exe", {{"Used", "1"}}),
        W("write_empty_file", "", "Settings", {{"DMflags", "5"}}),
        W("write_new_section", "[Quake2exe]\r\nUsed=1\r\n", "Settings", {{"Map", "2"}}),
        W("write_new_key_in_first_section", ab, "A", {{"z", "3"}}),
        W("write_new_key_in_last_section", ab, "B", {{"z", "3"}}),
        W("write_replaced_value", settings, "Settings", {{"Map", "4"}}),
        W("write_replaced_value_keeps_key_spelling", "[Settings]\r\nDMFLAGS=7\r\nx=1\r\n", "settings", {{"dmflags", "5"}}),
        W("write_replaced_by_longer_value", "[S]\r\nk=1\r\nl=2\r\n", "S", {{"k", long300}}),
        W("write_replaced_by_empty_value", "[S]\r\nk=old\r\nl=2\r\n", "S", {{"k", ""}}),
        W("write_new_key_with_blanks", "[AddressBook]\r\nServerName 1=Home\r\n", "AddressBook", {{"ServerName 2", "Work"}}),
        W("write_replaced_key_with_blanks", "[AddressBook]\r\nServerName 1=old\r\nServerName 2=keep\r\n", "AddressBook",
          {{"ServerName 1", "new"}}),
        W("write_first_of_duplicate_keys", "[S]\r\nk=1\r\nk=2\r\n", "S", {{"k", "9"}}),
        W("write_first_of_duplicate_sections", "[S]\r\nk=1\r\n[T]\r\nt=1\r\n[S]\r\nk=3\r\n", "S", {{"k", "9"}}),
        W("write_new_key_into_first_of_duplicate_sections", "[S]\r\na=1\r\n[S]\r\nk=3\r\n", "S", {{"k", "9"}}),
        W("write_high_bytes", "[S]\r\nk=\xe9\r\n", "S", {{"k", "\xfc\xe4 \xff"}}),
        W("write_quoted_value", "[S]\r\n", "S", {{"k", "\"a b\""}}),
        W("write_path_value", "[Quake2exe]\r\nUsed=0\r\n", "Quake2exe", {{"Path", "C:\\Program Files\\Quake 2\\quake2.exe"}}),
        W("write_several_into_new_file", std::nullopt, "Settings",
          {{"DMflags", "16"}, {"Dedicated", "1"}, {"Valmaxclients", "8"}, {"Gametype", "-1"}, {"Map", "-1"}, {"serverini", ""}}),
        W("write_several_new_and_replaced", settings, "Settings",
          {{"DMflags", "5"}, {"Boolmaxgems", "1"}, {"dmflags", "6"}, {"Map", "3"}, {"Valmaxgems", "20"}}),
    };
    // Not compared with Wine.
    const auto deviating = [&](DiffCase c, const char* why, std::string windows) {
        c.wineDeviation = why;
        c.windowsValue = std::move(windows);
        cases.push_back(std::move(c));
    };
    deviating(R("read_line_without_equals_before_key", "[S]\r\nk\r\nk=v\r\n", "S", "k"),
              "Windows takes no line without \"=\" for a key (it never lists one among a section's keys); Wine "
              "keeps it as a key without value, which hides a later key of that name",
              "v");
    deviating(R("read_quoted_value_of_254", "[S]\r\nk=\"" + long300.substr(0, 254) + "\"\r\n", "S", "k"),
              "Windows drops the quotes and then cuts to 254 characters; Wine cuts first and then drops the last "
              "character as if it were the closing quote, returning 253",
              long300.substr(0, 254));
    deviating(R("read_utf8_byte_order_mark", "\xef\xbb\xbf[S]\r\nk=v\r\n", "S", "k"),
              "Windows reads the 8-bit functions' files in the code page, so the three bytes of a UTF-8 byte order "
              "mark spoil a head on the first line; Wine skips the mark",
              "");
    return cases;
}

struct Outcome {
    std::string read;                // read cases: the value
    std::int16_t written = 0;        // write cases: the result
    std::optional<std::string> file; // write cases: the file's bytes after; nothing: no file
};

// One case through the system's functions (system) or the portable store, on a file of its own.
Outcome RunOn(bool system, const std::filesystem::path& file, const DiffCase& c) {
    if (c.file)
        WriteBytes(file, *c.file);
    Outcome outcome;
    std::string why;
    switch (c.op) {
    case Op::Read:
        outcome.read = system ? trel::ReadIni(c.section, c.key, file) : trel::ini::ReadIniPortable(c.section, c.key, file);
        return outcome;
    case Op::Write: {
        const auto& [key, value] = c.values.at(0);
        outcome.written = system ? trel::WriteIni(c.section, key, value, file)
                                 : trel::ini::WriteIniPortable(c.section, key, value, file);
        break;
    }
    case Op::WriteSeveral:
        outcome.written = (system ? trel::WriteIniValues(c.section, c.values, file, why)
                                  : trel::ini::WriteIniValuesPortable(c.section, c.values, file, why))
                              ? 1
                              : 0;
        break;
    }
    if (std::filesystem::exists(file))
        outcome.file = ReadBytes(file);
    return outcome;
}

TEST(IniDifferential, SystemFunctionsAndPortableStoreAgree) {
    // Each implementation works on a file of its own, so neither sees what the other wrote.
    TempDir dir;
    for (const DiffCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        const Outcome portable = RunOn(false, dir / ("portable " + c.name + ".ini"), c);
        if (c.wineDeviation) {
            EXPECT_EQ(portable.read, c.windowsValue) << c.wineDeviation;
            if (trel::test::UnderWine())
                continue;
        }
        const Outcome system = RunOn(true, dir / ("system " + c.name + ".ini"), c);
        EXPECT_EQ(system.read, portable.read);
        EXPECT_EQ(system.written, portable.written);
        EXPECT_EQ(system.file, portable.file);
    }
}

TEST(IniDifferential, EachReadsWhatTheOtherWrote) {
    // Writes agree byte for byte above; here each store reads back every value from the other's file.
    TempDir dir;
    for (const DiffCase& c : Cases()) {
        if (c.op == Op::Read)
            continue;
        SCOPED_TRACE(c.name);
        const auto systemFile = dir / ("system " + c.name + ".ini");
        const auto portableFile = dir / ("portable " + c.name + ".ini");
        ASSERT_EQ(RunOn(true, systemFile, c).written, 1);
        ASSERT_EQ(RunOn(false, portableFile, c).written, 1);
        for (const auto& [key, value] : c.values) {
            SCOPED_TRACE(key);
            EXPECT_EQ(trel::ini::ReadIniPortable(c.section, key, systemFile),
                      trel::ReadIni(c.section, key, portableFile));
            EXPECT_EQ(trel::ReadIni(c.section, key, systemFile),
                      trel::ini::ReadIniPortable(c.section, key, portableFile));
        }
    }
}

} // namespace

#endif // _WIN32
