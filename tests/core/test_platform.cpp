// File-system services: the stored name of the game's executable, whole-file reads, atomic replacement.

#include "platform.h"
#include "test_helpers.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

using trel::PathText;
using trel::test::FolderEntries;
using trel::test::ReadBytes;
using trel::test::TempDir;
using trel::test::WriteBytes;
using Names = std::vector<std::string>;

bool StartsWithFile(const std::string& why, const std::filesystem::path& file) {
    return why.size() > PathText(file).size() + 2 && why.rfind(PathText(file) + ": ", 0) == 0;
}

enum class Entry { None, File, Folder, LinkToFile, DanglingLink };

void Create(const TempDir& dir, Entry entry, const std::string& name, const std::string& bytes = "x") {
    if (entry == Entry::File || entry == Entry::LinkToFile)
        WriteBytes(dir / (entry == Entry::File ? name : "game binary"), bytes);
    if (entry == Entry::Folder)
        std::filesystem::create_directory(dir / name);
    if (entry == Entry::LinkToFile || entry == Entry::DanglingLink)
        std::filesystem::create_symlink(dir / (entry == Entry::LinkToFile ? "game binary" : "nothing"), dir / name);
}

TEST(Platform, StoredFileNameAndGameExecutable) {
    // What stands under a name: the name StoredFileName finds there, and whether it is the game's executable.
    const std::string game(trel::kGameExecutableName);
    struct Case { Entry entry; std::string name; std::optional<std::string> stored; bool isGame; };
    const std::vector<Case> cases = {{Entry::File, game, game, true}, {Entry::File, "Quake2", "Quake2", false},
        {Entry::File, "QUAKE2", "QUAKE2", false}, {Entry::Folder, game, std::nullopt, false}, {Entry::None, game, std::nullopt, false},
#ifndef _WIN32
        {Entry::LinkToFile, game, game, true}, {Entry::DanglingLink, game, std::nullopt, false},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + " " + std::to_string(static_cast<int>(c.entry)));
        TempDir dir;
        Create(dir, c.entry, c.name);
        EXPECT_EQ(trel::StoredFileName(dir / c.name), c.stored);
        EXPECT_EQ(trel::IsGameExecutable(dir / c.name), c.isGame);
    }
    // Asked for in other letter case, a file is not found or found under its stored name, never the asked one.
    TempDir dir;
    WriteBytes(dir / "Quake2", "x");
    const bool foldsCase = std::filesystem::exists(dir / "QUAKE2");
    EXPECT_EQ(trel::StoredFileName(dir / "QUAKE2"), foldsCase ? std::optional<std::string>("Quake2") : std::nullopt);
    EXPECT_FALSE(trel::IsGameExecutable(dir / "QUAKE2"));
}

TEST(Platform, ReadFileBytes) {
    // Any bytes of any size read whole; a folder or nothing is an error naming the file, only nothing is missing.
    struct Case { Entry entry; std::string content; bool ok, missing; };
    const std::vector<Case> cases = {{Entry::File, std::string("a\0b\r\n\x1a\xff\n", 8), true, false},
        {Entry::File, "", true, false}, {Entry::File, std::string((1 << 20) + 3, 'z'), true, false},
        {Entry::Folder, "", false, false}, {Entry::None, "", false, true},
#ifndef _WIN32
        {Entry::DanglingLink, "", false, true},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.entry));
        TempDir dir;
        Create(dir, c.entry, "trel.ini", c.content);
        std::string bytes, why;
        bool missing = !c.missing;
        EXPECT_EQ(trel::ReadFileBytes(dir / "trel.ini", bytes, why, &missing), c.ok);
        EXPECT_EQ(missing, c.missing);
        EXPECT_TRUE(c.ok ? bytes == c.content : StartsWithFile(why, dir / "trel.ini")) << why;
    }
}

TEST(Platform, WriteFileAtomic) {
    // A new or replaced file holds exactly the bytes; a failure names the file and leaves everything as it was.
    struct Case { Entry entry; std::string file, bytes; bool ok; }; // entry: what stands at trel.ini before
    const std::vector<Case> cases = {{Entry::None, "trel.ini", "[S]\r\nk=v\r\n", true},
        {Entry::File, "trel.ini", std::string("\0\r\n\xff", 4), true}, {Entry::Folder, "trel.ini", "new", false},
        {Entry::File, "trel.ini/inner.ini", "new", false}, {Entry::None, "absent/trel.ini", "new", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TempDir dir;
        Create(dir, c.entry, "trel.ini", std::string(5000, 'o'));
        const Names before = FolderEntries(dir.path());
        std::string why;
        EXPECT_EQ(trel::WriteFileAtomic(dir / c.file, c.bytes, why), c.ok) << why;
        EXPECT_EQ(FolderEntries(dir.path()), c.ok ? Names{"trel.ini"} : before);
        EXPECT_TRUE(c.ok ? ReadBytes(dir / c.file) == c.bytes : StartsWithFile(why, dir / c.file)) << why;
        EXPECT_TRUE(c.ok || c.entry != Entry::File || ReadBytes(dir / "trel.ini") == std::string(5000, 'o'));
    }
#ifndef _WIN32
    // A file reached through a link is replaced where it lies and keeps its mode; a new file gets the umask's.
    TempDir dir;
    std::filesystem::create_directory(dir / "real");
    const auto real = dir / "real" / "settings.ini";
    WriteBytes(real, "old");
    ASSERT_EQ(chmod(real.c_str(), 0604), 0);
    std::filesystem::create_symlink(real, dir / "trel.ini");
    std::string why;
    EXPECT_TRUE(trel::WriteFileAtomic(dir / "trel.ini", "new", why) && trel::WriteFileAtomic(dir / "new.ini", "", why));
    struct stat info {}, fresh {};
    const mode_t mask = umask(022);
    umask(mask);
    ASSERT_TRUE(stat(real.c_str(), &info) == 0 && stat((dir / "new.ini").c_str(), &fresh) == 0);
    EXPECT_EQ(info.st_mode & 07777, 0604u);
    EXPECT_EQ(fresh.st_mode & 07777, 0666u & ~mask);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "trel.ini"));
    EXPECT_EQ(ReadBytes(real), "new");
    EXPECT_EQ(FolderEntries(dir / "real"), Names{"settings.ini"});
#endif
}

} // namespace
