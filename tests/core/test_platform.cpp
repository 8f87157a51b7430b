// File-system services: the stored name of the game's executable, whole-file reads, atomic replacement.

#include "platform.h"
#include "test_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

using trel::IsGameExecutable;
using trel::PathText;
using trel::ReadFileBytes;
using trel::StoredFileName;
using trel::WriteFileAtomic;
using trel::test::ReadBytes;
using trel::test::TempDir;
using trel::test::WriteBytes;

std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool StartsWithFile(const std::string& why, const std::filesystem::path& file) {
    const std::string prefix = PathText(file) + ": ";
    return why.size() > prefix.size() && why.compare(0, prefix.size(), prefix) == 0;
}

// Restores the current folder at the end of a test that works with names relative to it.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::filesystem::path& folder) : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~CurrentFolder() { std::filesystem::current_path(previous_); }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    std::filesystem::path previous_;
};

enum class Entry { None, File, Folder, LinkToFile, LinkToFolder, DanglingLink };

struct NameCase {
    std::string name;
    Entry entry;
    std::string stored; // the name the entry is created under
    std::string asked;  // the name looked up
    std::optional<std::string> expected;
    bool isGame;
};

void Create(const std::filesystem::path& dir, Entry entry, const std::string& stored) {
    const auto path = dir / stored;
    switch (entry) {
    case Entry::None:
        break;
    case Entry::File:
        WriteBytes(path, "#!/bin/sh\n");
        break;
    case Entry::Folder:
        std::filesystem::create_directory(path);
        break;
    case Entry::LinkToFile:
        WriteBytes(dir / "game binary", "#!/bin/sh\n");
        std::filesystem::create_symlink(dir / "game binary", path);
        break;
    case Entry::LinkToFolder:
        std::filesystem::create_directory(dir / "game folder");
        std::filesystem::create_directory_symlink(dir / "game folder", path);
        break;
    case Entry::DanglingLink:
        std::filesystem::create_symlink(dir / "nothing here", path);
        break;
    }
}

std::vector<NameCase> NameCases() {
    const std::string game(trel::kGameExecutableName);
    return {
        {"exact_name", Entry::File, game, game, game, true},
        {"capital_first_letter", Entry::File, "Quake2", "Quake2", "Quake2", false},
        {"all_capitals", Entry::File, "QUAKE2", "QUAKE2", "QUAKE2", false},
#ifdef _WIN32
        {"name_without_extension", Entry::File, "quake2", "quake2", "quake2", false},
#else
        {"windows_name", Entry::File, "quake2.exe", "quake2.exe", "quake2.exe", false},
#endif
#ifndef _WIN32
        // Windows drops blanks at the end of a file name, so there this names the game's file itself.
        {"trailing_blank", Entry::File, game + " ", game + " ", game + " ", false},
#endif
        {"longer_name", Entry::File, game + "x", game + "x", game + "x", false},
        {"folder_of_that_name", Entry::Folder, game, game, std::nullopt, false},
        {"missing_file", Entry::None, game, game, std::nullopt, false},
#ifndef _WIN32
        {"link_to_file", Entry::LinkToFile, game, game, game, true},
        {"link_to_folder", Entry::LinkToFolder, game, game, std::nullopt, false},
        {"dangling_link", Entry::DanglingLink, game, game, std::nullopt, false},
#endif
    };
}

TEST(Platform, StoredFileNameAndGameExecutable) {
    for (const NameCase& c : NameCases()) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        Create(dir.path(), c.entry, c.stored);
        EXPECT_EQ(StoredFileName(dir / c.asked), c.expected);
        EXPECT_EQ(IsGameExecutable(dir / c.asked), c.isGame);
    }
}

TEST(Platform, StoredFileNameIsTheNameOnDisk) {
    // Looked up in other letter case, a file is either not found (the file system tells case apart) or
    // found under the name it is stored as; never under the name that was asked for.
    for (const std::string& stored : {std::string("quake2"), std::string("Quake2")}) {
        SCOPED_TRACE(stored);
        TempDir dir;
        WriteBytes(dir / stored, "x");
        const bool foldsCase = std::filesystem::exists(dir / "QUAKE2");
        const std::optional<std::string> expected = foldsCase ? std::optional<std::string>(stored) : std::nullopt;
        EXPECT_EQ(StoredFileName(dir / "QUAKE2"), expected);
        EXPECT_EQ(IsGameExecutable(dir / "QUAKE2"), foldsCase && stored == trel::kGameExecutableName);
    }
}

TEST(Platform, NamesRelativeToTheCurrentFolder) {
    TempDir dir;
    const std::string game(trel::kGameExecutableName);
    WriteBytes(dir / game, "x");
    CurrentFolder inside(dir.path());
    EXPECT_EQ(StoredFileName(game), game);
    EXPECT_TRUE(IsGameExecutable(game));

    std::string why;
    ASSERT_TRUE(WriteFileAtomic("trel.ini", "[S]\r\n", why)) << why;
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes("trel.ini", bytes, why)) << why;
    EXPECT_EQ(bytes, "[S]\r\n");
    EXPECT_EQ(FolderEntries(dir.path()), (std::vector<std::string>{game, "trel.ini"}));
}

struct ReadCase {
    std::string name;
    std::string content; // written to a file of that name unless the case makes something else there
    Entry entry;
    bool ok;
    bool missing;
};

TEST(Platform, ReadFileBytes) {
    std::string big(1 << 20, '\0');
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>((i * 131 + i / 977) & 0xff);
    big += "end";
    const std::vector<ReadCase> cases = {
        {"binary_bytes", std::string("a\0b\r\n\r\x1a\xff\x80\n", 10), Entry::File, true, false},
        {"empty_file", "", Entry::File, true, false},
        {"larger_than_one_read", big, Entry::File, true, false},
        {"folder", "", Entry::Folder, false, false},
        {"missing", "", Entry::None, false, true},
#ifndef _WIN32
        {"dangling_link", "", Entry::DanglingLink, false, true},
#endif
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const auto file = dir / "trel.ini";
        Create(dir.path(), c.entry, "trel.ini");
        if (c.entry == Entry::File)
            WriteBytes(file, c.content);

        std::string bytes;
        std::string why;
        bool missing = !c.missing;
        EXPECT_EQ(ReadFileBytes(file, bytes, why, &missing), c.ok);
        EXPECT_EQ(missing, c.missing);
        if (c.ok) {
            EXPECT_EQ(bytes, c.content);
        } else {
            EXPECT_TRUE(StartsWithFile(why, file)) << why;
        }
        EXPECT_EQ(ReadFileBytes(file, bytes, why), c.ok);
    }
}

TEST(Platform, ReadThroughAFileFails) {
    TempDir dir;
    WriteBytes(dir / "plain file", "x");
    const auto file = dir / "plain file" / "trel.ini";
    std::string bytes;
    std::string why;
    EXPECT_FALSE(ReadFileBytes(file, bytes, why));
    EXPECT_TRUE(StartsWithFile(why, file)) << why;
}

struct WriteCase {
    std::string name;
    Entry entry;              // what stands at the file's place before
    std::string before;       // its bytes when it is a file
    std::string relativeFile; // the file written, below the test folder
    std::string bytes;
    bool ok;
};

TEST(Platform, WriteFileAtomic) {
    const std::vector<WriteCase> cases = {
        {"new_file", Entry::None, "", "trel.ini", "[S]\r\nk=v\r\n", true},
        {"replaces_longer_file", Entry::File, std::string(5000, 'o'), "trel.ini", "short", true},
        {"replaces_with_nothing", Entry::File, "old", "trel.ini", "", true},
        {"binary_bytes", Entry::File, "old", "trel.ini", std::string("\0\r\n\xff", 4), true},
        {"folder_in_the_way", Entry::Folder, "", "trel.ini", "new", false},
        {"parent_is_a_file", Entry::File, "old", "trel.ini/inner.ini", "new", false},
        {"parent_missing", Entry::None, "", "absent/trel.ini", "new", false},
    };
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        Create(dir.path(), c.entry, "trel.ini");
        if (c.entry == Entry::File)
            WriteBytes(dir / "trel.ini", c.before);
        const std::vector<std::string> entriesBefore = FolderEntries(dir.path());
        const auto file = dir / c.relativeFile;

        std::string why;
        EXPECT_EQ(WriteFileAtomic(file, c.bytes, why), c.ok) << why;
        if (c.ok) {
            EXPECT_EQ(ReadBytes(file), c.bytes);
            EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"trel.ini"});
        } else {
            EXPECT_TRUE(StartsWithFile(why, file)) << why;
            EXPECT_EQ(FolderEntries(dir.path()), entriesBefore);
            if (c.entry == Entry::File) {
                EXPECT_EQ(ReadBytes(dir / "trel.ini"), c.before);
            }
            if (c.entry == Entry::Folder) {
                EXPECT_TRUE(std::filesystem::is_empty(dir / "trel.ini"));
            }
        }
    }
}

// File modes and symbolic links are POSIX matters.
#ifndef _WIN32
TEST(Platform, WriteFileAtomicKeepsTheMode) {
    for (const mode_t mode : {0600, 0644, 0700, 0444}) {
        SCOPED_TRACE(mode);
        TempDir dir;
        const auto file = dir / "trel.ini";
        WriteBytes(file, "old");
        ASSERT_EQ(chmod(file.c_str(), mode), 0);
        std::string why;
        EXPECT_TRUE(WriteFileAtomic(file, "new", why)) << why;
        struct stat info {};
        ASSERT_EQ(stat(file.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, mode);
        EXPECT_EQ(ReadBytes(file), "new");
    }
}

TEST(Platform, WriteFileAtomicThroughALinkReplacesItsTarget) {
    TempDir dir;
    std::filesystem::create_directory(dir / "real folder");
    const auto real = dir / "real folder" / "settings.ini";
    WriteBytes(real, "old");
    const auto link = dir / "trel.ini";
    std::filesystem::create_symlink(real, link);

    std::string why;
    EXPECT_TRUE(WriteFileAtomic(link, "new", why)) << why;
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadBytes(real), "new");
    EXPECT_EQ(FolderEntries(dir / "real folder"), std::vector<std::string>{"settings.ini"});
    EXPECT_EQ(FolderEntries(dir.path()), (std::vector<std::string>{"real folder", "trel.ini"}));
}
#endif

TEST(Platform, PathTextRoundTrip) {
    TempDir dir;
    const std::vector<std::string> texts = {"c:\\quake 2\\quake2.exe", PathText(dir / "trel.ini"), "relative/name",
                                            "caf\xe9 \xff", ""};
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        EXPECT_EQ(PathText(trel::PathFromText(text)), text);
    }
    EXPECT_EQ(trel::PathFromText(PathText(dir / "trel.ini")), dir / "trel.ini");
}

} // namespace
