// The settings store: values read from and written into trel.ini, byte for byte.

#include "ini_portable.h"
#include "mdlIniStuff.h"
#include "platform.h"
#include "test_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <random>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
// On Windows ReadIni and WriteIni are the system's profile functions, which test_ini_differential.cpp
// holds against the portable store; the byte-for-byte expectations here are the portable store's own.
constexpr auto& ReadIni = trel::ini::ReadIniPortable;
constexpr auto& WriteIni = trel::ini::WriteIniPortable;
constexpr auto& WriteIniValues = trel::ini::WriteIniValuesPortable;
#else
using trel::ReadIni;
using trel::WriteIni;
using trel::WriteIniValues;
#endif
using trel::ini::ReadValue;
using trel::ini::WriteValue;
using trel::test::FolderEntries;
using trel::test::ReadBytes;
using trel::test::TempDir;
using trel::test::WriteBytes;
using Values = std::vector<std::pair<std::string, std::string>>;

// A value whose every position holds a different digit pattern, so a cut at the wrong place shows.
std::string Counting(std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
        s += static_cast<char>('0' + (i * 7 + i / 10) % 10);
    return s;
}

struct ReadCase {
    std::string name;
    std::string text;
    std::string section;
    std::string key;
    std::string expected;
};

std::vector<ReadCase> ReadCases() {
    const std::string longValue = Counting(300);
    const std::string longInner = Counting(260);
    return {
        {"crlf_lines", "[Quake2exe]\r\nUsed=1\r\nPath=c:\\quake2\\quake2.exe\r\n", "Quake2exe", "Path",
         "c:\\quake2\\quake2.exe"},
        {"last_line_without_end", "[S]\r\nk=last", "S", "k", "last"},
        {"blanks_around_names_and_value", " \t[ \x1aSettings\t ] \r\n\t Map \x1a=\x1a\t 3 \x0b\x0c\r\n", "Settings",
         "Map", "3"},
        {"blanks_inside_value_kept", "[S]\r\nk= a \t b \r\n", "S", "k", "a \t b"},
        {"section_case", "[QUAKE2EXE]\r\nDir=c:\\q2\r\n", "quake2exe", "Dir", "c:\\q2"},
        {"first_duplicate_key", "[S]\r\nk=first\r\nK=second\r\n", "S", "k", "first"},
        {"key_only_in_later_duplicate_section", "[S]\r\na=1\r\n[T]\r\n[S]\r\nk=late\r\n", "S", "k", ""},
        {"key_of_other_section_not_found", "[A]\r\nk=1\r\n[B]\r\nx=2\r\n", "B", "k", ""},
        {"bracket_inside_name", "[a]b]\r\nk=v\r\n", "a]b", "k", "v"},
        {"open_bracket_line_does_not_end_section", "[S]\r\n[broken\r\nk=v\r\n", "S", "k", "v"},
        {"line_without_equals", "[S]\r\nk\r\nk v\r\n", "S", "k", ""},
        {"semicolon_line_has_its_own_key", "[S]\r\n;k=commented\r\nk=v\r\n", "S", "k", "v"},
        {"equals_inside_value", "[S]\r\nk=a=b\r\n", "S", "k", "a=b"},
        {"double_quotes_removed", "[S]\r\nk=\"x\"\r\n", "S", "k", "x"},
        {"quotes_inside_kept_blanks", "[S]\r\nk=\" x \"\r\n", "S", "k", " x "},
        {"only_one_pair_removed", "[S]\r\nk=\"\"x\"\"\r\n", "S", "k", "\"x\""},
        {"mismatched_quotes_kept", "[S]\r\nk=\"x'\r\n", "S", "k", "\"x'"},
        {"long_value_cut", "[S]\r\nk=" + longValue + "\r\n", "S", "k", longValue.substr(0, 254)},
        {"cut_after_unquoting", "[S]\r\nk=\"" + longInner + "\"\r\n", "S", "k", longInner.substr(0, 254)},
        {"high_bytes", "[S\xe9]\r\nk\xfc=\x80\xff\xa0x\xfe\r\n", "S\xe9", "k\xfc", "\x80\xff\xa0x\xfe"},
        {"lines_before_first_section", "k=nowhere\r\n[S]\r\nx=1\r\n", "S", "k", ""},
        {"missing_section", "[S]\r\nk=v\r\n", "T", "k", ""},
    };
}

TEST(IniRead, ReadsTheValueOfEachCaseFromTextAndFile) {
    TempDir dir;
    const auto file = dir / "trel.ini";
    for (const ReadCase& c : ReadCases()) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadValue(c.text, c.section, c.key), c.expected);
        WriteBytes(file, c.text);
        EXPECT_EQ(ReadIni(c.section, c.key, file), c.expected);
        EXPECT_EQ(trel::ini::ReadIniPortable(c.section, c.key, file), c.expected);
    }
}

TEST(IniRead, GarbageAndHugeLinesDoNotHideLaterValues) {
    std::mt19937 random(20240611);
    std::string garbage(1 << 16, '\0');
    for (char& c : garbage)
        c = static_cast<char>(random() & 0xff);
    const std::string probe = "\r\n[Trel probe]\r\nprobe=found\r\n";
    EXPECT_EQ(ReadValue(garbage + probe, "Trel probe", "probe"), "found");
    EXPECT_LE(ReadValue(garbage, "S", "k").size(), trel::ini::kMaxValueLength);

    const std::string huge(100000, 'v');
    const std::string text = "[S]\r\n" + huge + "\r\nk=" + huge + "\r\nafter=1\r\n[" + huge + "]\r\nz=2";
    EXPECT_EQ(ReadValue(text, "S", "k"), huge.substr(0, 254));
    EXPECT_EQ(ReadValue(text, "S", "after"), "1");
    EXPECT_EQ(ReadValue(text, huge, "z"), "2");
}

struct WriteCase {
    std::string name;
    std::string before;
    std::string section;
    std::string key;
    std::string value;
    std::string after;
};

std::vector<WriteCase> WriteCases() {
    return {
        {"empty_file", "", "Settings", "DMflags", "5", "[Settings]\r\nDMflags=5\r\n"},
        {"new_section_after_crlf", "[A]\r\nx=1\r\n", "Settings", "Map", "2", "[A]\r\nx=1\r\n[Settings]\r\nMap=2\r\n"},
        {"new_section_after_lone_cr", "[A]\rx=1\r", "S", "k", "v", "[A]\rx=1\r[S]\r\nk=v\r\n"},
        {"new_section_without_final_line_end", "[A]\r\nx=1", "S", "k", "v", "[A]\r\nx=1\r\n[S]\r\nk=v\r\n"},
        {"new_section_names_trimmed", "", " \tS\x1a", " k ", "v", "[S]\r\nk=v\r\n"},
        {"new_key_in_first_section", "[A]\r\nx=1\r\n\r\n\r\n[B]\r\ny=2\r\n", "A", "z", "3",
         "[A]\r\nx=1\r\nz=3\r\n\r\n\r\n[B]\r\ny=2\r\n"},
        {"new_key_in_middle_section", "[A]\r\na=1\r\n\r\n[B]\r\nb=1\r\n  \t\x1a\r\n[C]\r\nc=1\r\n", "b", "n", "2",
         "[A]\r\na=1\r\n\r\n[B]\r\nb=1\r\nn=2\r\n  \t\x1a\r\n[C]\r\nc=1\r\n"},
        {"new_key_after_last_line_without_end", "[A]\r\na=1", "A", "b", "2", "[A]\r\na=1\r\nb=2\r\n"},
        {"new_key_after_lf_line", "[A]\na=1\n\n[B]\n", "A", "b", "2", "[A]\na=1\nb=2\r\n\n[B]\n"},
        {"new_key_after_comment", "[A]\r\na=1\r\n; note\r\n\r\n[B]\r\n", "A", "k", "v",
         "[A]\r\na=1\r\n; note\r\nk=v\r\n\r\n[B]\r\n"},
        {"new_key_beside_line_without_equals", "[S]\r\nk\r\n", "S", "k", "v", "[S]\r\nk\r\nk=v\r\n"},
        {"new_key_in_first_of_duplicate_sections", "[S]\r\na=1\r\n[S]\r\nk=3\r\n", "S", "k", "9",
         "[S]\r\na=1\r\nk=9\r\n[S]\r\nk=3\r\n"},
        {"key_outside_sections_ignored", "k=0\r\n[S]\r\n", "S", "k", "1", "k=0\r\n[S]\r\nk=1\r\n"},
        {"head_with_trailing_text", "  [ S ] trailing\r\nk=1\r\n", "S", "k", "2", "  [ S ] trailing\r\nk=2\r\n"},
        {"replace_keeps_key_spelling", "[Settings]\r\n  DMFLAGS \t= 7  \r\nx=1\r\n", "settings", "dmflags", "5",
         "[Settings]\r\nDMFLAGS=5\r\nx=1\r\n"},
        {"replace_keeps_lf", "[S]\nk=1\nx=2\n", "S", "k", "22", "[S]\nk=22\nx=2\n"},
        {"replace_last_line_without_end", "[S]\r\nk=1", "S", "k", "22", "[S]\r\nk=22"},
        {"replace_first_of_duplicates", "[S]\r\nk=1\r\nk=2\r\n[S]\r\nk=3\r\n", "S", "k", "9",
         "[S]\r\nk=9\r\nk=2\r\n[S]\r\nk=3\r\n"},
        {"replace_leaves_comments", "; top\r\n[S]\r\n;k=commented\r\n\tk = 1 ; not a comment\r\n# hash\r\n\r\n", "S",
         "k", "2", "; top\r\n[S]\r\n;k=commented\r\nk=2\r\n# hash\r\n\r\n"},
        {"mixed_line_ends_kept", "[A]\na=1\r[B]\r\nb=2\n", "B", "b", "3", "[A]\na=1\r[B]\r\nb=3\n"},
        {"high_bytes_kept", "[S]\r\nk=\xe9\r\n\xff=\x80\r\n", "S", "k", "\xfc", "[S]\r\nk=\xfc\r\n\xff=\x80\r\n"},
    };
}

TEST(IniWrite, ProducesTheExpectedBytesInTextAndFile) {
    TempDir dir;
    const std::vector<std::string> values = {"-1", "c:\\quake 2\\quake2.exe", "a = b", "x\xe9\xff", "", Counting(254)};
    for (const WriteCase& c : WriteCases()) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(WriteValue(c.before, c.section, c.key, c.value), c.after);
        EXPECT_EQ(WriteValue(c.after, c.section, c.key, c.value), c.after); // a second write changes nothing
        for (const std::string& value : values)
            EXPECT_EQ(ReadValue(WriteValue(c.before, c.section, c.key, value), c.section, c.key), value);

        const auto file = dir / (c.name + ".ini");
        WriteBytes(file, c.before);
        EXPECT_EQ(WriteIni(c.section, c.key, c.value, file), 1);
        EXPECT_EQ(ReadBytes(file), c.after);
    }
}

TEST(IniWrite, MissingFileIsCreated) {
    TempDir dir;
    const auto file = dir / "trel.ini";
    EXPECT_EQ(ReadIni("Quake2exe", "Used", file), "");
    EXPECT_EQ(WriteIni("Quake2exe", "Used", "1", file), 1);
    EXPECT_EQ(ReadBytes(file), "[Quake2exe]\r\nUsed=1\r\n");
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"trel.ini"});
}

TEST(IniWrite, SeveralValuesEqualSequentialWrites) {
    TempDir dir;
    const Values values = {{"DMflags", "5"}, {"dmflags", "6"}, {"Map", "-1"}, {"ServerName 1", "Home"}, {"Map", "2"}};
    const std::vector<std::pair<std::string, std::string>> starts = {
        {"missing", ""},
        {"other_section", "[Quake2exe]\r\nUsed=1"},
        {"section_with_keys", "[Settings]\r\nmap=0\r\n\r\n[AddressBook]\r\nx=1\r\n"},
        {"lf_file", "; kept\n[settings]\nDMFLAGS=1\n\n"},
    };
    for (const auto& [name, before] : starts) {
        SCOPED_TRACE(name);
        const auto file = dir / (name + ".ini");
        if (name != "missing")
            WriteBytes(file, before);
        std::string expected = before;
        for (const auto& [key, value] : values)
            expected = WriteValue(expected, "Settings", key, value);

        std::string why;
        EXPECT_TRUE(WriteIniValues("Settings", values, file, why)) << why;
        EXPECT_EQ(ReadBytes(file), expected);
        EXPECT_EQ(ReadIni("Settings", "Map", file), "2");
        EXPECT_EQ(ReadIni("Settings", "DMflags", file), "6");

        // Key by key, as the system's store writes a batch: a key that fails stops none after it, and
        // the failure is told once.
        if (name != "missing")
            WriteBytes(file, before);
        else
            std::filesystem::remove(file);
        expected = before;
        for (const auto& [key, value] : values)
            expected = key == "Map" ? expected : WriteValue(expected, "Settings", key, value);
        const trel::ini::ValueWriter failMap = [&](const std::string& key, const std::string& value, std::string& r) {
            r = "refused " + key;
            return key != "Map" && WriteIni("Settings", key, value, file) == 1;
        };
        EXPECT_FALSE(trel::ini::WriteEachValue("Settings", values, failMap, why));
        EXPECT_EQ(why, "refused Map (the setting Map and 1 more in section Settings could not be written)");
        EXPECT_EQ(ReadBytes(file), expected);
    }
}

TEST(IniWrite, UnreadableFileReadsAsEmptyAndWriteLeavesEverythingAsItWas) {
    TempDir dir;
    const auto plain = dir / "plain file";
    WriteBytes(plain, "[S]\r\nk=v\r\n");
    const auto folder = dir / "folder.ini";
    std::filesystem::create_directory(folder);
    WriteBytes(folder / "inside", "kept");
#ifndef _WIN32
    // A link that leads to itself cannot be read, and must not be replaced by a file holding only the new value.
    const auto loop = dir / "loop.ini";
    std::filesystem::create_symlink(loop, loop);
#endif
    const std::vector<std::string> entriesBefore = FolderEntries(dir.path());

    const std::vector<std::pair<std::string, std::filesystem::path>> cases = {
        {"parent_is_a_file", plain / "trel.ini"},
        {"file_is_a_folder", folder},
        {"parent_missing", dir / "absent" / "trel.ini"},
#ifndef _WIN32
        {"unreadable_file", loop},
#endif
    };
    for (const auto& [name, file] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ReadIni("Settings", "Map", file), "");
        EXPECT_EQ(WriteIni("Settings", "Map", "2", file), 0);
        std::string why;
        EXPECT_FALSE(WriteIniValues("Settings", {{"Map", "2"}, {"Dedicated", "0"}}, file, why));
        EXPECT_EQ(why.rfind(trel::PathText(file) + ": ", 0), 0U) << why;
        EXPECT_GT(why.size(), trel::PathText(file).size() + 2) << why;
    }
    EXPECT_EQ(ReadBytes(plain), "[S]\r\nk=v\r\n");
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(ReadBytes(folder / "inside"), "kept");
    EXPECT_EQ(FolderEntries(dir.path()), entriesBefore);
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"inside"});
#ifndef _WIN32
    EXPECT_EQ(std::filesystem::read_symlink(loop), loop);
#endif
}

// File size limits, modes, the umask and inode numbers are POSIX matters.
#ifndef _WIN32

// Child exit codes of the size-limit test: one bit for each check that held.
constexpr int kWriteIniFailed = 1;
constexpr int kWriteValuesFailed = 2;
constexpr int kWhyNamesFile = 4;

TEST(IniWrite, SizeLimitFailureKeepsOldFile) {
    TempDir dir;
    const auto file = dir / "trel.ini";
    const std::string old = "[Settings]\r\nMap=1\r\n; the old file\r\n";
    WriteBytes(file, old);
    const std::string big(4096, 'x');

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The child only reports through its exit code; _exit keeps it from running the parent's clean-up.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1024, 1024};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            _exit(100);
        int result = 0;
        if (WriteIni("Settings", "Map", big, file) == 0)
            result |= kWriteIniFailed;
        std::string why;
        if (!WriteIniValues("Settings", {{"Map", "2"}, {"Note", big}}, file, why))
            result |= kWriteValuesFailed;
        if (why.rfind(trel::PathText(file) + ": ", 0) == 0)
            result |= kWhyNamesFile;
        _exit(result);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), kWriteIniFailed | kWriteValuesFailed | kWhyNamesFile);
    EXPECT_EQ(ReadBytes(file), old);
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"trel.ini"});

    // Below the limit the same write goes through.
    EXPECT_EQ(WriteIni("Settings", "Map", big, file), 1);
    EXPECT_EQ(ReadIni("Settings", "Map", file), big.substr(0, 254));
}

// The new content goes to a file of its own renamed over the old one, so a write that stops half-way can
// never leave a half-written settings file behind; the old file's mode carries over, a new file takes the umask.
TEST(IniWrite, ReplacementIsANewFileWithTheOldModeANewFileTakesTheUmask) {
    TempDir dir;
    const auto file = dir / "trel.ini";
    for (const mode_t mode : {0600, 0604, 0755}) {
        SCOPED_TRACE(mode);
        WriteBytes(file, "[S]\r\nk=1\r\n");
        ASSERT_EQ(chmod(file.c_str(), mode), 0);
        struct stat before {};
        ASSERT_EQ(stat(file.c_str(), &before), 0);
        std::string why;
        EXPECT_TRUE(WriteIniValues("S", {{"k", "2"}, {"l", "3"}}, file, why)) << why;
        struct stat after {};
        ASSERT_EQ(stat(file.c_str(), &after), 0);
        EXPECT_NE(before.st_ino, after.st_ino);
        EXPECT_EQ(after.st_mode & 07777, mode);
        EXPECT_EQ(ReadBytes(file), "[S]\r\nk=2\r\nl=3\r\n");
        EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"trel.ini"});
    }
    for (const mode_t mask : {022, 077}) {
        const auto fresh = dir / ("new " + std::to_string(mask) + ".ini");
        const mode_t previous = umask(mask);
        const auto result = WriteIni("S", "k", "v", fresh);
        umask(previous);
        EXPECT_EQ(result, 1);
        struct stat info {};
        ASSERT_EQ(stat(fresh.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0666 & ~mask);
    }
}
#endif

} // namespace
