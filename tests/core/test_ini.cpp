// The settings store: values read from and written into trel.ini, byte for byte. fuzz_settings_store holds
// reads after writes on any text, test_platform_windows.cpp the system's functions.

#include "ini_portable.h"
#include "mdlIniStuff.h"
#include "platform.h"
#include "test_helpers.h"

#include <gtest/gtest.h>

namespace trel {
namespace {

#ifdef _WIN32
// On Windows ReadIni and WriteIni are the system's profile functions; these bytes are the portable store's own.
constexpr auto& ReadIni = ini::ReadIniPortable;
constexpr auto& WriteIni = ini::WriteIniPortable;
constexpr auto& WriteIniValues = ini::WriteIniValuesPortable;
#endif
using namespace test;
using ini::ReadValue;
using ini::WriteValue;
using Names = std::vector<std::string>;

// What a read finds: blanks trimmed, names in any letter case, the first key of the first section of its
// name, one pair of quotes taken off, at most 254 characters (a value whose every position holds a different
// digit pattern, so a cut at the wrong place shows).
TEST(IniRead, ReadsTheValueOfEachCaseFromTextAndFile) {
    std::string long300;
    for (std::size_t i = 0; i < 300; ++i)
        long300 += static_cast<char>('0' + (i * 7 + i / 10) % 10);
    const std::vector<std::vector<std::string>> cases = { // text, section, key, value
        {"[Quake2exe]\r\nUsed=1\r\nPath=c:\\quake2\\quake2.exe", "Quake2exe", "Path", "c:\\quake2\\quake2.exe"},
        {" \t[ \x1aSettings\t ] \r\n\t Map \x1a=\x1a\t 3 \x0b\x0c\r\n", "Settings", "Map", "3"},
        {"[QUAKE2EXE]\r\nk= a \t b \r\nK=second\r\n", "quake2exe", "k", "a \t b"},
        {"[S]\r\na=1\r\n[T]\r\n[S]\r\nk=late\r\n", "S", "k", ""}, {"[A]\r\nk=1\r\n[B]\r\nx=2\r\n", "B", "k", ""},
        {"[a]b]\r\n[broken\r\nk\r\n;k=commented\r\nk=a=b\r\n", "a]b", "k", "a=b"},
        {"[S]\r\nk=\"\"x\"\"\r\n", "S", "k", "\"x\""}, {"[S]\r\nk=" + long300, "S", "k", long300.substr(0, 254)},
        {"k=nowhere\r\n[S]\r\nx=1\r\n", "S", "k", ""}};
    TempDir dir;
    for (const auto& c : cases) {
        WriteBytes(dir / "trel.ini", c[0]);
        EXPECT_EQ(std::pair(ReadValue(c[0], c[1], c[2]), ReadIni(c[1], c[2], dir / "trel.ini")), std::pair(c[3], c[3]))
            << c[0];
    }
}

// A write changes or adds one line and keeps every other byte: a new section at the end, a new key after the
// section's last filled line, a replaced value with the key's spelling and the line's own line end.
TEST(IniWrite, ProducesTheExpectedBytesInTextAndFile) {
    const std::vector<std::vector<std::string>> cases = { // before, section, key, value, after
        {"", "Settings", "DMflags", "5", "[Settings]\r\nDMflags=5\r\n"}, {"", " \tS\x1a", " k ", "v", "[S]\r\nk=v\r\n"},
        {"[A]\r\nx=1\r\n", "Settings", "Map", "2", "[A]\r\nx=1\r\n[Settings]\r\nMap=2\r\n"},
        {"[A]\rx=1\r", "S", "k", "v", "[A]\rx=1\r[S]\r\nk=v\r\n"}, {"[S]\r\nk=1", "S", "k", "22", "[S]\r\nk=22"},
        {"[A]\r\nx=1", "S", "k", "v", "[A]\r\nx=1\r\n[S]\r\nk=v\r\n"},
        {"[A]\r\nx=1\r\n\r\n\r\n[B]\r\ny=2\r\n", "A", "z", "3", "[A]\r\nx=1\r\nz=3\r\n\r\n\r\n[B]\r\ny=2\r\n"},
        {"[A]\r\na=1\r\n\r\n[B]\r\nb=1\r\n  \t\x1a\r\n[C]\r\nc=1\r\n", "b", "n", "2",
         "[A]\r\na=1\r\n\r\n[B]\r\nb=1\r\nn=2\r\n  \t\x1a\r\n[C]\r\nc=1\r\n"},
        {"[A]\r\na=1", "A", "b", "2", "[A]\r\na=1\r\nb=2\r\n"}, {"[S]\r\nk\r\n", "S", "k", "v", "[S]\r\nk\r\nk=v\r\n"},
        {"[A]\na=1\n\n[B]\n", "A", "b", "2", "[A]\na=1\nb=2\r\n\n[B]\n"},
        {"k=0\r\n[S]\r\n", "S", "k", "1", "k=0\r\n[S]\r\nk=1\r\n"},
        {"[S]\nk=1\nx=2\n", "S", "k", "22", "[S]\nk=22\nx=2\n"},
        {"[A]\r\na=1\r\n; note\r\n\r\n[B]\r\n", "A", "k", "v", "[A]\r\na=1\r\n; note\r\nk=v\r\n\r\n[B]\r\n"},
        {"[S]\r\na=1\r\n[S]\r\nk=3\r\n", "S", "k", "9", "[S]\r\na=1\r\nk=9\r\n[S]\r\nk=3\r\n"},
        {"  [ S ] trailing\r\nk=1\r\n", "S", "k", "2", "  [ S ] trailing\r\nk=2\r\n"},
        {"[S]\r\n  DMFLAGS \t= 7  \r\nx=1\r\n", "s", "dmflags", "5", "[S]\r\nDMFLAGS=5\r\nx=1\r\n"},
        {"[S]\r\nk=1\r\nk=2\r\n[S]\r\nk=3\r\n", "S", "k", "9", "[S]\r\nk=9\r\nk=2\r\n[S]\r\nk=3\r\n"},
        {"; top\r\n[S]\r\n;k=commented\r\n\tk = 1 ; not a comment\r\n# hash\r\n\r\n", "S", "k", "2",
         "; top\r\n[S]\r\n;k=commented\r\nk=2\r\n# hash\r\n\r\n"},
        {"[A]\na=1\r[B]\r\nb=2\n", "B", "b", "3", "[A]\na=1\r[B]\r\nb=3\n"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0]);
        EXPECT_EQ(WriteValue(c[0], c[1], c[2], c[3]), c[4]);
        EXPECT_EQ(WriteValue(c[4], c[1], c[2], c[3]), c[4]); // a second write changes nothing
        TempDir dir; // an empty text is a missing file, which the write creates
        if (!c[0].empty())
            WriteBytes(dir / "trel.ini", c[0]);
        EXPECT_EQ(WriteIni(c[1], c[2], c[3], dir / "trel.ini"), 1);
        EXPECT_EQ(ReadBytes(dir / "trel.ini"), c[4]);
        EXPECT_EQ(FolderEntries(dir.path()), Names{"trel.ini"});
    }
}

// A batch equals its writes one after another; written key by key, as the system's store does, a key that
// fails stops none after it and the failure is told once.
TEST(IniWrite, SeveralValuesEqualSequentialWritesAndFailedWritesNameTheFile) {
    const std::vector<std::pair<std::string, std::string>> values = {
        {"DMflags", "5"}, {"dmflags", "6"}, {"Map", "-1"}, {"ServerName 1", "Home"}, {"Map", "2"}};
    TempDir dir;
    const auto file = dir / "trel.ini";
    const ini::ValueWriter failMap = [&](const std::string& key, const std::string& value, std::string& why) {
        why = "refused " + key;
        return key != "Map" && WriteIni("Settings", key, value, file) == 1;
    };
    const std::string before = "[Settings]\r\nmap=0\r\n\r\n[AddressBook]\r\nx=1\r\n";
    std::string expected = before, withoutMap = before, why;
    for (const auto& [key, value] : values) {
        expected = WriteValue(expected, "Settings", key, value);
        withoutMap = key == "Map" ? withoutMap : WriteValue(withoutMap, "Settings", key, value);
    }
    WriteBytes(file, before);
    EXPECT_TRUE(WriteIniValues("Settings", values, file, why)) << why;
    EXPECT_EQ(ReadBytes(file), expected);
    WriteBytes(file, before);
    EXPECT_FALSE(ini::WriteEachValue("Settings", values, failMap, why));
    EXPECT_EQ(why, "refused Map (the setting Map and 1 more in section Settings could not be written)");
    EXPECT_EQ(ReadBytes(file), withoutMap);
    // A file that cannot be read (a folder) reads as empty and a write fails naming it; past a file-size limit both
    // writes fail naming the file and the old file stays whole, below it the same write goes through (modes, links
    // and missing folders: test_platform.cpp, test_hardening_failures.cpp).
    const auto folder = dir / "folder.ini", limited = dir / "limit" / "trel.ini";
    std::filesystem::create_directories(folder);
    EXPECT_FALSE(WriteIniValues("Settings", {{"Map", "2"}, {"Dedicated", "0"}}, folder, why));
    EXPECT_EQ(std::tuple(ReadIni("S", "Map", folder), FolderEntries(folder), why.rfind(PathText(folder) + ": ", 0)),
              std::tuple(std::string(), Names{}, std::size_t(0))) << why;
#ifndef _WIN32
    const std::string old = "[Settings]\r\nMap=1\r\n; the old file\r\n", big(4096, 'x');
    std::filesystem::create_directories(limited.parent_path());
    WriteBytes(limited, old);
    EXPECT_EQ(InChildWithFileLimit(1024, [&] { // one bit per check that held
                  const bool valuesFailed = !WriteIniValues("Settings", {{"Map", "2"}, {"Note", big}}, limited, why);
                  return (WriteIni("Settings", "Map", big, limited) == 0 ? 1 : 0) | (valuesFailed ? 2 : 0) |
                         (why.rfind(PathText(limited) + ": ", 0) == 0 ? 4 : 0);
              }), 1 | 2 | 4);
    EXPECT_EQ(std::pair(ReadBytes(limited), FolderEntries(limited.parent_path())), std::pair(old, Names{"trel.ini"}));
    EXPECT_EQ(WriteIni("Settings", "Map", big, limited), 1);
    EXPECT_EQ(ReadIni("Settings", "Map", limited), big.substr(0, 254));
#endif
}

} // namespace
} // namespace trel
