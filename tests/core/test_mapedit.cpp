// The map-details block, the map cycle writer, the editors' files and the map-details editor's colouring.

#include "mdlmaincode.h"
#include "mdlmapeditcode.h"
#include "platform.h"
#include "test_helpers.h"

#include <gtest/gtest.h>

#include <numeric>
#include <tuple>

namespace trel {
namespace {

using namespace test;
using Paths = std::vector<std::string>;

// The block: game types counted from 1, deathmatch without a choice, no gem goal alone (no map: window tests).
TEST(MapDetails, BlockTextAndColourRecord) {
    EXPECT_EQ(buildmapdetails("vorn02", 0, "1", "2", "3", true),
              "[ vorn02 ]\r\ngametype 1\r\ngem_goal 1\r\nvorn_timelimit 2\r\nmax_gems 3\r\n");
    EXPECT_EQ(buildmapdetails("vorn01", 2147483647, "1", "", "3", false), // found by fuzzing: it overflowed
              "[ vorn01 ]\r\ngametype 2147483648\r\nvorn_timelimit \r\nmax_gems 3\r\n");
    EXPECT_EQ(buildmapdetails("vorn01", -2147483647 - 1, "1", "2", "", false),
              "[ vorn01 ]\r\ngametype 3\r\nvorn_timelimit 2\r\nmax_gems \r\n");
    // The colour record forgets the colours of what an edit changed and moves the rest. The fuzz target checks
    // the spans of both passes and the record's missing and applied colours against a model of the screen.
    const auto span = [](std::size_t start, std::size_t length, ColourKind k) { return ColourSpan{start, length, k}; };
    constexpr auto H = ColourKind::Head, C = ColourKind::Comment;
    const std::vector<ColourSpan> before = {span(0, 10, H), span(10, 10, C), span(30, 5, H)};
    // Found by fuzzing: the rest of a span on both sides of a deletion, or of a change adding nothing, is one span.
    const std::tuple<std::size_t, std::size_t, std::size_t, std::vector<ColourSpan>> cases[] = { // at, removed, added
        {2, 3, 0, {span(0, 7, H), span(7, 10, C), span(27, 5, H)}}, {4, 0, 0, before}, {8, 24, 0, {span(0, 11, H)}}};
    for (const auto& [position, removed, added, known] : cases) {
        ColourRecord record;
        record.applied(before);
        record.edited(position, removed, added);
        EXPECT_EQ(record.known(), known) << position << " " << removed << " " << added;
    }
}

// The marker block around the given map names.
std::string CycleBlock(const Paths& maps) {
    std::string block = "# begin vorn.ini ===============\r\n# Do not delete these comment lines\r\n"
                        "# This vorn.ini was produced automatically by Trel, the original is now vorn.bak\r\n\r\n";
    for (const std::string& map : maps)
        block += "[" + map + "]\r\n";
    return block + "\r\n# end vorn.ini ===============\r\n";
}

// The written vorn.ini holds exactly the marker block (names written unchecked); only an existing vorn.ini
// becomes vorn.bak, byte for byte; a linked vorn.ini is replaced where it lies.
TEST(MapCycleWriter, WritesTheBlockBacksUpTheOldFileOrFailsLeavingAllAsItWas) {
    TempDir dir;
    const Paths five = {"vorn01", "vorn02", "vorn03", "vorn04", "vorn_sp01"};
    WriteBytes(dir / "vorn.bak", "kept");
    ASSERT_TRUE(writemapcycle({"odd]name", ""}, dir.path())); // with no vorn.ini an earlier backup stays
    EXPECT_EQ(std::pair(ReadBytes(dir / "vorn.ini"), ReadBytes(dir / "vorn.bak")),
              std::pair(CycleBlock({"odd]name", ""}), std::string("kept")));
    std::string previous(256, '\0');
    std::iota(previous.begin(), previous.end(), '\0');
    WriteBytes(dir / "vorn.ini", previous);
    for (const Paths& maps : {five, Paths{}}) {
        ASSERT_TRUE(writemapcycle(maps, dir.path()));
        const auto written = std::pair(ReadBytes(dir / "vorn.ini"), ReadBytes(dir / "vorn.bak"));
        EXPECT_EQ(written, std::pair(CycleBlock(maps), previous));
        previous = CycleBlock(maps);
    }
    EXPECT_EQ(FolderEntries(dir.path()), (Paths{"vorn.bak", "vorn.ini"}));
#ifndef _WIN32
    std::filesystem::rename(dir / "vorn.ini", dir / "real.ini");
    std::filesystem::create_symlink("real.ini", dir / "vorn.ini");
    ASSERT_TRUE(writemapcycle(five, dir.path()));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "vorn.ini"));
    EXPECT_EQ(std::pair(ReadBytes(dir / "real.ini"), ReadBytes(dir / "vorn.bak")),
              std::pair(CycleBlock(five), previous));
#endif
    // A write that cannot be made (vorn.ini or vorn.bak a folder, no modification folder, a full disk in a child
    // process whose files may grow to 64 bytes) leaves vorn.ini, vorn.bak and the folder as they were, naming it.
    std::vector<std::tuple<std::string, std::string, std::string, bool>> cases = { // folder made, mod folder, named,
        {"vorn.ini", "", "vorn.ini", false}, {"vorn.bak", "", "vorn.bak", false}, {"", "gone", "vorn.ini", false}};
#ifndef _WIN32
    cases.emplace_back("", "", "vorn.ini", true); // full disk
#endif
    for (const auto& [madeAFolder, folder, named, fullDisk] : cases) {
        TempDir root;
        WriteBytes(root / "vorn.ini", "[ vorn01 ]\r\n");
        WriteBytes(root / "vorn.bak", "earlier");
        if (!madeAFolder.empty())
            std::filesystem::remove(root / madeAFolder), std::filesystem::create_directories(root / madeAFolder / "in");
        const auto bytes = [&](const char* f) { return is_regular_file(root / f) ? ReadBytes(root / f) : "-"; };
        const auto state = [&] { return std::tuple(bytes("vorn.ini"), bytes("vorn.bak"), FolderEntries(root.path())); };
        const auto before = state();
        const std::string file = PathText(root / folder / named);
        const auto fails = [&] {
            std::string why;
            return !writemapcycle({"vorn01", "vorn02"}, root / folder, why) && why.starts_with(file + ": ") &&
                   why.size() > file.size() + 2;
        };
        EXPECT_TRUE(fullDisk ? InChildWithFileLimit(64, [&] { return fails() ? 1 : 0; }) == 1 : fails()) << named;
        EXPECT_EQ(state(), before);
    }
}

// A server ini is a plain file name in vorn; a save ends the text in CR LF (the hardening tests load missing and
// whole files and make saves fail, the editor window tests check the paths and the executable).
TEST(MapEditorFiles, ServerIniNamesAndTheSavedLineEnds) {
    for (const auto& [name, why] : std::vector<std::pair<std::string, std::string>>{
             {"..x.ini", ""}, {"/x.ini", "separator"}, {"..\\x.ini", "separator"}, {"C:x", "drive"}, {"..", "step"}}) {
        const auto refusal = ServerIniNameRefusal(name);
        EXPECT_TRUE(refusal.has_value() != why.empty() && refusal.value_or(why).find(why) != std::string::npos) << name;
    }
    TempDir dir;
    std::string why;
    ASSERT_TRUE(SaveTextFile(dir / "motd.txt", "hello\nworld", why)) << why;
    EXPECT_EQ(ReadBytes(dir / "motd.txt"), "hello\r\nworld\r\n");
    // The editor shows every line break as LF; a save ends lines in CR LF (or as loaded) and adds one, every other
    // byte kept; lines the user did not touch keep the ends they had in the file, edited and new lines CR LF.
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes += b == '\r' || b == '\n' ? '.' : static_cast<char>(b);
    for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
             {"a\r\nb\r\n", "a\nb\n"}, {"a\r\r\nb", "a\n\nb"}, {bytes, bytes}})
        EXPECT_EQ(EditorTextFromFile(from), to) << from;
    EXPECT_EQ(std::pair(FileTextFromEditor(""), FileTextFromEditor("a\n" + bytes + "\n")),
              std::pair(std::string("\r\n"), "a\r\n" + bytes + "\r\n\r\n"));
    const std::tuple<const char*, const char*, const char*> rows[] = { // file, edited (nullptr: as loaded), saved
        {"line1\nline2", nullptr, "line1\nline2\r\n"}, {"a\rb\r", nullptr, "a\rb\r\r\n"},
        {"a\nb\r\nc\rd", nullptr, "a\nb\r\nc\rd\r\n"}, {"a\nb\nc\n", "a\nB\nc\n", "a\nB\r\nc\n\r\n"},
        {"a\rb\r", "a\nnew\nb\n", "a\rnew\r\nb\r\r\n"}, {"a\nb\r\nc\rd", "a\nc\nd", "a\nc\rd\r\n"}};
    for (const auto& [file, edited, saved] : rows) {
        const LoadedText loaded = LoadTextLines(file);
        EXPECT_EQ(loaded.text, EditorTextFromFile(file)) << file;
        EXPECT_EQ(FileTextFromEditor(edited ? edited : loaded.text, loaded), saved) << file;
    }
}

} // namespace
} // namespace trel
