// File-system services: the stored name of the game's executable, whole-file reads, atomic replacement.

#include "platform.h"
#include "test_helpers.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using namespace trel;
using namespace trel::test;
using Names = std::vector<std::string>;

bool StartsWithFile(const std::string& why, const std::filesystem::path& file) {
    return why.size() > PathText(file).size() + 2 && why.starts_with(PathText(file) + ": ");
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
    // What stands under a name, the name asked: what StoredFileName finds, whether it is the game's executable,
    // also through the settings file's text. Windows folds letter case: the stored name counts, not the asked one.
    const std::string game(kGameExecutableName);
    struct Case { Entry entry; std::string name, asked; std::optional<std::string> stored; bool isGame; };
    const std::vector<Case> cases = {{Entry::File, game, game, game, true},
        {Entry::File, "Quake2", "Quake2", "Quake2", false}, {Entry::File, "QUAKE2", "QUAKE2", "QUAKE2", false},
        {Entry::Folder, game, game, std::nullopt, false}, {Entry::None, game, game, std::nullopt, false},
#ifdef _WIN32
        {Entry::File, game, "QUAKE2.EXE", game, true}, {Entry::File, "Quake2.exe", "Quake2.exe", "Quake2.exe", false},
        {Entry::File, "Quake2.exe", game, "Quake2.exe", false}, {Entry::File, "QUAKE2.EXE", game, "QUAKE2.EXE", false},
        {Entry::File, "quake2", "quake2", "quake2", false}, {Entry::File, game, "quake?.exe", std::nullopt, false},
#else
        {Entry::LinkToFile, game, game, game, true}, {Entry::DanglingLink, game, game, std::nullopt, false},
        {Entry::File, "Quake2", "QUAKE2", std::nullopt, false},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + " asked as " + c.asked + " " + std::to_string(static_cast<int>(c.entry)));
        TempDir dir;
        Create(dir, c.entry, c.name);
        EXPECT_EQ(StoredFileName(dir / c.asked), c.stored);
        EXPECT_EQ(IsGameExecutable(dir / c.asked), c.isGame);
        EXPECT_EQ(IsGameExecutable(PathFromText(PathText(dir / c.asked))), c.isGame);
    }
}

TEST(Platform, ReadFileBytesAndWriteFileAtomic) {
    // What stands at a path is read whole, any bytes of any size; a folder, nothing or a path through a file is an
    // error naming the file, only nothing is missing. Then the path is written: a new or replaced file holds
    // exactly the bytes; a failure names the file and leaves everything as it was.
    struct Case { Entry entry; std::string content, file; bool readOk, missing; std::string bytes; bool writeOk; };
    const std::vector<Case> cases = {
        {Entry::File, std::string("a\0b\r\n\x1a\xff\n", 8) + std::string(1 << 20, 'z'), "trel.ini", true, false,
         std::string("\0\r\n\xff", 4), true},
        {Entry::File, "", "trel.ini", true, false, "[S]\r\nk=v\r\n", true},
        {Entry::Folder, "", "trel.ini", false, false, "new", false},
        {Entry::None, "", "trel.ini", false, true, "[S]\r\nk=v\r\n", true},
        {Entry::None, "", "absent/trel.ini", false, true, "new", false},
#ifndef _WIN32
        {Entry::DanglingLink, "", "trel.ini", false, true, "new", true},
        {Entry::File, "x", "trel.ini/inner.ini", false, false, "new", false},
#else // Windows gives a path through a file the error of a missing folder
        {Entry::File, "x", "trel.ini/inner.ini", false, true, "new", false},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file + " " + std::to_string(static_cast<int>(c.entry)));
        TempDir dir;
        Create(dir, c.entry, "trel.ini", c.content);
        std::string bytes, why, failure; // the read's, the write's reason
        bool missing = !c.missing;
        EXPECT_EQ(ReadFileBytes(dir / c.file, bytes, why, &missing), c.readOk);
        EXPECT_EQ(missing, c.missing);
        EXPECT_TRUE(c.readOk ? bytes == c.content : StartsWithFile(why, dir / c.file)) << why;
        const Names before = FolderEntries(dir.path());
        EXPECT_EQ(WriteFileAtomic(dir / c.file, c.bytes, failure), c.writeOk) << failure;
        EXPECT_EQ(FolderEntries(dir.path()), c.writeOk ? Names{"trel.ini"} : before);
        EXPECT_TRUE(c.writeOk ? ReadBytes(dir / c.file) == c.bytes : StartsWithFile(failure, dir / c.file)) << failure;
        EXPECT_TRUE(c.writeOk || c.entry != Entry::File || ReadBytes(dir / "trel.ini") == c.content);
    }
#ifndef _WIN32
    // A file reached through a link is replaced where it lies and keeps its mode; a new one gets the umask's.
    using std::filesystem::perms, std::filesystem::status;
    TempDir dir;
    const auto real = dir / "real" / "settings.ini";
    std::filesystem::create_directory(real.parent_path());
    WriteBytes(real, "old");
    std::filesystem::permissions(real, perms(0604));
    std::filesystem::create_symlink(real, dir / "trel.ini");
    std::string why;
    EXPECT_TRUE(WriteFileAtomic(dir / "trel.ini", "new", why) && WriteFileAtomic(dir / "new.ini", "", why));
    WriteBytes(dir / "by the library", "");
    EXPECT_EQ(status(real).permissions(), perms(0604));
    EXPECT_EQ(status(dir / "new.ini").permissions(), status(dir / "by the library").permissions());
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "trel.ini") && ReadBytes(real) == "new");
    EXPECT_EQ(FolderEntries(dir / "real"), Names{"settings.ini"});
#endif
}

} // namespace
