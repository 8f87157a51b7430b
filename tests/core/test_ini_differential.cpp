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
    const char* wineDeviation;
    std::string windowsValue;

    DiffCase(std::string name_, Op op_, std::optional<std::string> file_, std::string section_, std::string key_,
             Values values_, const char* wineDeviation_ = nullptr, std::string windowsValue_ = {})
        : name(std::move(name_)), op(op_), file(std::move(file_)), section(std::move(section_)), key(std::move(key_)),
          values(std::move(values_)), wineDeviation(wineDeviation_), windowsValue(std::move(windowsValue_)) {}
};

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
    return {
        // Line ends.
        {"read_crlf", Op::Read, settings, "Quake2exe", "Path", {}},
        {"read_lf", Op::Read, "[Quake2exe]\nUsed=1\nPath=C:\\Games\\quake2.exe\n", "Quake2exe", "Path", {}},
        {"read_lone_cr", Op::Read, "[Quake2exe]\rUsed=1\rPath=C:\\Games\\quake2.exe\r", "Quake2exe", "Path", {}},
        {"read_mixed_line_ends", Op::Read, "[A]\r\na=1\n[B]\rb=2\r\nc=3", "B", "b", {}},
        {"read_last_line_without_end", Op::Read, "[S]\r\nk=last", "S", "k", {}},
        // Quotes.
        {"read_double_quotes", Op::Read, "[S]\r\nk=\"quoted value\"\r\n", "S", "k", {}},
        {"read_single_quotes", Op::Read, "[S]\r\nk='quoted value'\r\n", "S", "k", {}},
        {"read_quotes_keep_inner_blanks", Op::Read, "[S]\r\nk=\"  x  \"\r\n", "S", "k", {}},
        {"read_empty_quotes", Op::Read, "[S]\r\nk=\"\"\r\n", "S", "k", {}},
        {"read_mismatched_quotes", Op::Read, "[S]\r\nk=\"x'\r\n", "S", "k", {}},
        {"read_lone_quote", Op::Read, "[S]\r\nk=\"\r\n", "S", "k", {}},
        {"read_quotes_inside", Op::Read, "[S]\r\nk=a \"b\" c\r\n", "S", "k", {}},
        {"read_quotes_outside_blanks", Op::Read, "[S]\r\nk=  \"x\"  \r\n", "S", "k", {}},
        // Blanks and tabs.
        {"read_blanks_around_equals", Op::Read, "[S]\r\nk   =   v  \r\n", "S", "k", {}},
        {"read_tabs_around_equals", Op::Read, "[S]\r\nk\t=\tv\t\r\n", "S", "k", {}},
        {"read_blanks_inside_value", Op::Read, "[S]\r\nk= a \t b \r\n", "S", "k", {}},
        {"read_indented_head_and_key", Op::Read, "  \t[S]\r\n \tk=v\r\n", "S", "k", {}},
        {"read_blanks_inside_brackets", Op::Read, "[  S  ]\r\nk=v\r\n", "S", "k", {}},
        {"read_key_with_blanks", Op::Read, "[AddressBook]\r\nServerName 1=Home\r\n", "AddressBook", "ServerName 1", {}},
        {"read_names_passed_with_blanks", Op::Read, "[Settings]\r\nMap=2\r\n", "  Settings ", " Map  ", {}},
        {"read_empty_value", Op::Read, "[S]\r\nk=\r\nl=v\r\n", "S", "k", {}},
        {"read_equals_inside_value", Op::Read, "[S]\r\nk=a=b\r\n", "S", "k", {}},
        // Letter case, duplicates.
        {"read_section_case", Op::Read, "[QUAKE2EXE]\r\nDir=C:\\Q2\r\n", "quake2exe", "Dir", {}},
        {"read_key_case", Op::Read, "[Quake2exe]\r\ndir=C:\\Q2\r\n", "Quake2exe", "Dir", {}},
        {"read_duplicate_keys", Op::Read, "[S]\r\nk=first\r\nK=second\r\n", "S", "k", {}},
        {"read_duplicate_sections", Op::Read, "[S]\r\nk=first\r\n[T]\r\nk=t\r\n[s]\r\nk=second\r\n", "S", "k", {}},
        {"read_key_only_in_later_duplicate_section", Op::Read, "[S]\r\na=1\r\n[T]\r\n[S]\r\nk=late\r\n", "S", "k", {}},
        {"read_key_in_later_section", Op::Read, "[A]\r\nk=a\r\n[B]\r\nk=b\r\n", "B", "k", {}},
        // Heads.
        {"read_head_with_text_after", Op::Read, "[S] where the settings live\r\nk=v\r\n", "S", "k", {}},
        {"read_head_with_key_after", Op::Read, "[S]k=v\r\n", "S", "k", {}},
        {"read_open_bracket_line_after_key", Op::Read, "[S]\r\nk=v\r\n[no closing bracket\r\nj=w\r\n", "S", "k", {}},
        {"read_lines_before_first_section", Op::Read, "k=nowhere\r\n[S]\r\nx=1\r\n", "S", "k", {}},
        // Lines without "=", lines starting with ";".
        {"read_line_without_equals_only", Op::Read, "[S]\r\nk\r\nk v\r\n", "S", "k", {}},
        {"read_line_without_equals_elsewhere", Op::Read, "[S]\r\nsomething\r\nk=v\r\n", "S", "k", {}},
        {"read_semicolon_line_before_key", Op::Read, "[S]\r\n;k=commented\r\nk=v\r\n", "S", "k", {}},
        {"read_semicolon_value", Op::Read, "[S]\r\nk=;not a comment\r\n", "S", "k", {}},
        {"read_semicolon_head_line", Op::Read, "[S]\r\n;[T]\r\nk=v\r\n", "S", "k", {}},
        // Long values and high bytes.
        {"read_value_of_300", Op::Read, "[S]\r\nk=" + long300 + "\r\n", "S", "k", {}},
        {"read_value_of_254", Op::Read, "[S]\r\nk=" + long300.substr(0, 254) + "\r\n", "S", "k", {}},
        {"read_value_of_255", Op::Read, "[S]\r\nk=" + long300.substr(0, 255) + "\r\n", "S", "k", {}},
        {"read_quoted_value_of_280", Op::Read, "[S]\r\nk=\"" + long300.substr(0, 280) + "\"\r\n", "S", "k", {}},
        {"read_high_bytes",
         Op::Read,
         "[Einstellungen\xe9]\r\nSchl\xfcssel=\xe4\xf6\xfc \xc0\xff\xa0x\r\n",
         "Einstellungen\xe9",
         "Schl\xfcssel",
         {}},
        // Nothing there.
        {"read_missing_file", Op::Read, std::nullopt, "S", "k", {}},
        {"read_empty_file", Op::Read, "", "S", "k", {}},
        {"read_missing_section", Op::Read, "[S]\r\nk=v\r\n", "T", "k", {}},
        {"read_missing_key", Op::Read, "[S]\r\nk=v\r\n", "S", "x", {}},

        // Not compared with Wine.
        {"read_line_without_equals_before_key",
         Op::Read,
         "[S]\r\nk\r\nk=v\r\n",
         "S",
         "k",
         {},
         "Windows takes no line without \"=\" for a key (it never lists one among a section's keys); Wine "
         "keeps it as a key without value, which hides a later key of that name",
         "v"},
        {"read_quoted_value_of_254",
         Op::Read,
         "[S]\r\nk=\"" + long300.substr(0, 254) + "\"\r\n",
         "S",
         "k",
         {},
         "Windows drops the quotes and then cuts to 254 characters; Wine cuts first and then drops the last "
         "character as if it were the closing quote, returning 253",
         long300.substr(0, 254)},
        {"read_utf8_byte_order_mark",
         Op::Read,
         "\xef\xbb\xbf[S]\r\nk=v\r\n",
         "S",
         "k",
         {},
         "Windows reads the 8-bit functions' files in the code page, so the three bytes of a UTF-8 byte order "
         "mark spoil a head on the first line; Wine skips the mark",
         ""},

        // Writes into files in canonical form.
        {"write_new_file", Op::Write, std::nullopt, "Quake2exe", "", {{"Used", "1"}}},
        {"write_empty_file", Op::Write, "", "Settings", "", {{"DMflags", "5"}}},
        {"write_new_section", Op::Write, "[Quake2exe]\r\nUsed=1\r\n", "Settings", "", {{"Map", "2"}}},
        {"write_new_key_in_first_section", Op::Write, "[A]\r\nx=1\r\n[B]\r\ny=2\r\n", "A", "", {{"z", "3"}}},
        {"write_new_key_in_last_section", Op::Write, "[A]\r\nx=1\r\n[B]\r\ny=2\r\n", "B", "", {{"z", "3"}}},
        {"write_replaced_value", Op::Write, settings, "Settings", "", {{"Map", "4"}}},
        {"write_replaced_value_keeps_key_spelling",
         Op::Write,
         "[Settings]\r\nDMFLAGS=7\r\nx=1\r\n",
         "settings",
         "",
         {{"dmflags", "5"}}},
        {"write_replaced_by_longer_value", Op::Write, "[S]\r\nk=1\r\nl=2\r\n", "S", "", {{"k", long300}}},
        {"write_replaced_by_empty_value", Op::Write, "[S]\r\nk=old\r\nl=2\r\n", "S", "", {{"k", ""}}},
        {"write_new_key_with_blanks",
         Op::Write,
         "[AddressBook]\r\nServerName 1=Home\r\n",
         "AddressBook",
         "",
         {{"ServerName 2", "Work"}}},
        {"write_replaced_key_with_blanks",
         Op::Write,
         "[AddressBook]\r\nServerName 1=old\r\nServerName 2=keep\r\n",
         "AddressBook",
         "",
         {{"ServerName 1", "new"}}},
        {"write_first_of_duplicate_keys", Op::Write, "[S]\r\nk=1\r\nk=2\r\n", "S", "", {{"k", "9"}}},
        {"write_first_of_duplicate_sections",
         Op::Write,
         "[S]\r\nk=1\r\n[T]\r\nt=1\r\n[S]\r\nk=3\r\n",
         "S",
         "",
         {{"k", "9"}}},
        {"write_new_key_into_first_of_duplicate_sections",
         Op::Write,
         "[S]\r\na=1\r\n[S]\r\nk=3\r\n",
         "S",
         "",
         {{"k", "9"}}},
        {"write_high_bytes", Op::Write, "[S]\r\nk=\xe9\r\n", "S", "", {{"k", "\xfc\xe4 \xff"}}},
        {"write_quoted_value", Op::Write, "[S]\r\n", "S", "", {{"k", "\"a b\""}}},
        {"write_path_value",
         Op::Write,
         "[Quake2exe]\r\nUsed=0\r\n",
         "Quake2exe",
         "",
         {{"Path", "C:\\Program Files\\Quake 2\\quake2.exe"}}},
        {"write_several_into_new_file",
         Op::WriteSeveral,
         std::nullopt,
         "Settings",
         "",
         {{"DMflags", "16"},
          {"Dedicated", "1"},
          {"Valmaxclients", "8"},
          {"Gametype", "-1"},
          {"Map", "-1"},
          {"serverini", ""}}},
        {"write_several_new_and_replaced",
         Op::WriteSeveral,
         settings,
         "Settings",
         "",
         {{"DMflags", "5"}, {"Boolmaxgems", "1"}, {"dmflags", "6"}, {"Map", "3"}, {"Valmaxgems", "20"}}},
    };
}

struct Outcome {
    std::string read;                // read cases: the value
    std::int16_t written = 0;        // write cases: the result
    std::optional<std::string> file; // write cases: the file's bytes after; nothing: no file
};

void Prepare(const std::filesystem::path& file, const DiffCase& c) {
    if (c.file)
        WriteBytes(file, *c.file);
}

std::optional<std::string> BytesOf(const std::filesystem::path& file) {
    if (!std::filesystem::exists(file))
        return std::nullopt;
    return ReadBytes(file);
}

Outcome RunSystem(const std::filesystem::path& file, const DiffCase& c) {
    Prepare(file, c);
    Outcome outcome;
    switch (c.op) {
    case Op::Read:
        outcome.read = trel::ReadIni(c.section, c.key, file);
        return outcome;
    case Op::Write:
        outcome.written = trel::WriteIni(c.section, c.values.at(0).first, c.values.at(0).second, file);
        break;
    case Op::WriteSeveral: {
        std::string why;
        outcome.written = trel::WriteIniValues(c.section, c.values, file, why) ? 1 : 0;
        break;
    }
    }
    outcome.file = BytesOf(file);
    return outcome;
}

Outcome RunPortable(const std::filesystem::path& file, const DiffCase& c) {
    Prepare(file, c);
    Outcome outcome;
    switch (c.op) {
    case Op::Read:
        outcome.read = trel::ini::ReadIniPortable(c.section, c.key, file);
        return outcome;
    case Op::Write:
        outcome.written = trel::ini::WriteIniPortable(c.section, c.values.at(0).first, c.values.at(0).second, file);
        break;
    case Op::WriteSeveral: {
        std::string why;
        outcome.written = trel::ini::WriteIniValuesPortable(c.section, c.values, file, why) ? 1 : 0;
        break;
    }
    }
    outcome.file = BytesOf(file);
    return outcome;
}

TEST(IniDifferential, SystemFunctionsAndPortableStoreAgree) {
    // Each implementation works on a file of its own, so neither sees what the other wrote.
    TempDir dir;
    for (const DiffCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        const Outcome portable = RunPortable(dir / ("portable " + c.name + ".ini"), c);
        if (c.wineDeviation) {
            EXPECT_EQ(portable.read, c.windowsValue) << c.wineDeviation;
            if (trel::test::UnderWine())
                continue;
        }
        const Outcome system = RunSystem(dir / ("system " + c.name + ".ini"), c);
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
        ASSERT_EQ(RunSystem(systemFile, c).written, 1);
        ASSERT_EQ(RunPortable(portableFile, c).written, 1);
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
