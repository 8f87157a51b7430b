// The map-details block, the map cycle writer, the editors' files and the colouring of the map-details
// editor's text.

#include "mdlmaincode.h"
#include "mdlmapeditcode.h"
#include "platform.h"
#include "test_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <csignal>
#include <functional>
#include <random>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace trel {
namespace {

using test::FolderEntries;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

// A table's cases are named and listed by their name field, not their bytes.
template <typename Case>
    requires requires(const Case& c) { c.name; }
void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}
struct CaseName {
    template <typename Case> std::string operator()(const ::testing::TestParamInfo<Case>& param) const {
        return param.param.name;
    }
};

std::string AllBytes() {
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes += static_cast<char>(b);
    return bytes;
}

// ---------------------------------------------------------------------------------------------------
// buildmapdetails

struct BlockCase {
    const char* name;
    std::string map;
    int gametype;
    std::string gemgoal, timelimit, maxgems;
    bool multiplayer;
    std::string expected;
};

class MapDetailsBlock : public ::testing::TestWithParam<BlockCase> {};

TEST_P(MapDetailsBlock, Text) {
    const BlockCase& c = GetParam();
    EXPECT_EQ(buildmapdetails(c.map, c.gametype, c.gemgoal, c.timelimit, c.maxgems, c.multiplayer), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MapDetailsBlock,
    ::testing::Values(
        BlockCase{"ExampleSecondGameTypeAllZero", "vorn01", 1, "0", "0", "0", true,
                  "[ vorn01 ]\r\ngametype 2\r\ngem_goal 0\r\nvorn_timelimit 0\r\nmax_gems 0\r\n"},
        BlockCase{"OpeningPreview", "vorn01", -1, "0", "20", "0", true,
                  "[ vorn01 ]\r\ngametype 3\r\ngem_goal 0\r\nvorn_timelimit 20\r\nmax_gems 0\r\n"},
        BlockCase{"NoMapNoLineEnd", "", 1, "5", "5", "5", true, "Please choose a map"},
        BlockCase{"FirstGameTypeIsOne", "vorn02", 0, "1", "2", "3", true,
                  "[ vorn02 ]\r\ngametype 1\r\ngem_goal 1\r\nvorn_timelimit 2\r\nmax_gems 3\r\n"},
        BlockCase{"SinglePlayerHasNoGemGoal", "vorn_sp01", 0, "9", "25", "4", false,
                  "[ vorn_sp01 ]\r\ngametype 1\r\nvorn_timelimit 25\r\nmax_gems 4\r\n"},
        BlockCase{"EmptiedValueBoxes", "vorn04", 1, "", "", "", true,
                  "[ vorn04 ]\r\ngametype 2\r\ngem_goal \r\nvorn_timelimit \r\nmax_gems \r\n"},
        // Found by fuzzing: the largest position overflowed on its way to the game's count.
        BlockCase{"LargestPositionCountsOn", "vorn01", 2147483647, "1", "2", "3", false,
                  "[ vorn01 ]\r\ngametype 2147483648\r\nvorn_timelimit 2\r\nmax_gems 3\r\n"},
        BlockCase{"SmallestPositionIsDeathmatch", "vorn01", -2147483647 - 1, "1", "2", "3", false,
                  "[ vorn01 ]\r\ngametype 3\r\nvorn_timelimit 2\r\nmax_gems 3\r\n"}),
    CaseName());

// ---------------------------------------------------------------------------------------------------
// The map cycle writer

// The marker block around the given lines.
std::string CycleBlock(const std::string& lines) {
    return "# begin vorn.ini ===============\r\n# Do not delete these comment lines\r\n"
           "# This vorn.ini was produced automatically by Trel, the original is now vorn.bak\r\n\r\n" +
           lines + "\r\n# end vorn.ini ===============\r\n";
}
const std::string kFiveMapsBlock = CycleBlock("[vorn01]\r\n[vorn02]\r\n[vorn03]\r\n[vorn04]\r\n[vorn_sp01]\r\n");
const std::string kEmptyCycleBlock = CycleBlock(""); // six lines

struct CycleCase {
    const char* name;
    std::vector<std::string> maps;
    std::string expected;
};

class MapCycleBlock : public ::testing::TestWithParam<CycleCase> {};

TEST_P(MapCycleBlock, WrittenFileHoldsExactlyTheMarkerBlock) {
    const CycleCase& c = GetParam();
    TempDir dir;
    std::string why;
    ASSERT_TRUE(writemapcycle(c.maps, dir.path(), why)) << why;
    EXPECT_EQ(ReadBytes(dir / "vorn.ini"), c.expected);
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"vorn.ini"});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MapCycleBlock,
    ::testing::Values(CycleCase{"StandardFive", {"vorn01", "vorn02", "vorn03", "vorn04", "vorn_sp01"}, kFiveMapsBlock},
                      CycleCase{"EmptyCycleIsSixLines", {}, kEmptyCycleBlock},
                      CycleCase{"NamesUnchecked", {"odd]name", ""}, CycleBlock("[odd]name]\r\n[]\r\n")}),
    CaseName());

TEST(MapCycleWriter, OldFileBecomesTheBackupByteForByte) {
    TempDir dir;
    const std::string old = "[ vorn01 ]\r\ngametype 2\r\n# mine\r\n" + AllBytes() + "no line end";
    WriteBytes(dir / "vorn.ini", old);
    WriteBytes(dir / "vorn.bak", "an earlier backup");
    std::string why;
    ASSERT_TRUE(writemapcycle({"vorn03", "vorn03"}, dir.path(), why)) << why;
    EXPECT_EQ(ReadBytes(dir / "vorn.bak"), old);
    const std::string now = ReadBytes(dir / "vorn.ini");
    EXPECT_EQ(now.find("gametype"), std::string::npos);
    EXPECT_NE(now.find("\r\n[vorn03]\r\n[vorn03]\r\n"), std::string::npos);
    EXPECT_EQ(FolderEntries(dir.path()), (std::vector<std::string>{"vorn.bak", "vorn.ini"}));
}

// With no vorn.ini an earlier backup stays and none is made; a second run backs up the first's block.
TEST(MapCycleWriter, BackupOnlyOfAnExistingVornIni) {
    TempDir dir;
    WriteBytes(dir / "vorn.bak", "kept");
    ASSERT_TRUE(writemapcycle({"vorn01", "vorn02", "vorn03", "vorn04", "vorn_sp01"}, dir.path()));
    EXPECT_EQ(ReadBytes(dir / "vorn.bak"), "kept");
    ASSERT_TRUE(writemapcycle({}, dir.path()));
    EXPECT_EQ(ReadBytes(dir / "vorn.bak"), kFiveMapsBlock);
    EXPECT_EQ(ReadBytes(dir / "vorn.ini"), kEmptyCycleBlock);

    TempDir fresh;
    ASSERT_TRUE(writemapcycle({"vorn01"}, fresh.path()));
    EXPECT_FALSE(std::filesystem::exists(fresh / "vorn.bak"));
}

struct CycleFailure {
    const char* name;
    // Makes the folder (returned) unwritable in one way; the file whose name the reason must carry.
    std::function<std::filesystem::path(const TempDir&)> arrange;
    const char* namedFile;
};

class MapCycleWriterFailure : public ::testing::TestWithParam<CycleFailure> {};

TEST_P(MapCycleWriterFailure, LeavesVornIniAsItWasAndSaysWhy) {
    const CycleFailure& c = GetParam();
    TempDir dir;
    const std::filesystem::path modDir = c.arrange(dir);
    const bool iniIsFile = std::filesystem::is_regular_file(modDir / "vorn.ini");
    const std::string iniBefore = iniIsFile ? ReadBytes(modDir / "vorn.ini") : "";
    const auto entriesBefore = std::filesystem::is_directory(modDir) ? FolderEntries(modDir) : std::vector<std::string>{};

    std::string why;
    EXPECT_FALSE(writemapcycle({"vorn01", "vorn02"}, modDir, why));
    const std::string named = PathText(modDir / c.namedFile);
    EXPECT_EQ(why.rfind(named + ": ", 0), 0U) << why;
    EXPECT_GT(why.size(), named.size() + 2) << why;
    if (iniIsFile) {
        EXPECT_EQ(ReadBytes(modDir / "vorn.ini"), iniBefore);
    }
    if (std::filesystem::is_directory(modDir)) {
        EXPECT_EQ(FolderEntries(modDir), entriesBefore); // no temporary file left behind
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MapCycleWriterFailure,
    ::testing::Values(
        CycleFailure{"FolderIsAFile", [](const TempDir& d) { WriteBytes(d / "vorn", "not a folder"); return d / "vorn"; },
                     "vorn.ini"},
        CycleFailure{"FolderMissing", [](const TempDir& d) { return d / "no such folder"; }, "vorn.ini"},
        CycleFailure{"VornIniIsAFolder",
                     [](const TempDir& d) {
                         std::filesystem::create_directory(d / "vorn.ini");
                         WriteBytes(d / "vorn.ini" / "inside", "x");
                         return d.path();
                     },
                     "vorn.ini"},
        CycleFailure{"BackupIsAFolder",
                     [](const TempDir& d) {
                         WriteBytes(d / "vorn.ini", "[ vorn01 ]\r\nmax_gems 7\r\n");
                         std::filesystem::create_directory(d / "vorn.bak");
                         return d.path();
                     },
                     "vorn.bak"}),
    CaseName());

#ifndef _WIN32

TEST(MapCycleWriter, FullDiskKeepsOldFileAndBackup) {
    TempDir dir;
    const std::string old = "[ vorn01 ]\r\n";
    WriteBytes(dir / "vorn.ini", old);
    WriteBytes(dir / "vorn.bak", "earlier");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The new text is longer than the limit, the old file shorter: only the new text cannot be written.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64, 64};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            _exit(100);
        std::string why;
        const bool written = writemapcycle({"vorn01", "vorn02"}, dir.path(), why);
        const bool named = why.rfind(PathText(dir / "vorn.ini") + ": ", 0) == 0;
        _exit(written ? 1 : named ? 0 : 2);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadBytes(dir / "vorn.ini"), old);
    EXPECT_EQ(ReadBytes(dir / "vorn.bak"), "earlier");
    EXPECT_EQ(FolderEntries(dir.path()), (std::vector<std::string>{"vorn.bak", "vorn.ini"}));
}

TEST(MapCycleWriter, LinkedVornIniKeepsItsLink) {
    TempDir dir;
    WriteBytes(dir / "real.ini", "[ mine ]\r\n");
    std::filesystem::create_symlink("real.ini", dir / "vorn.ini");
    ASSERT_TRUE(writemapcycle({"vorn01", "vorn02", "vorn03", "vorn04", "vorn_sp01"}, dir.path()));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "vorn.ini"));
    EXPECT_EQ(ReadBytes(dir / "real.ini"), kFiveMapsBlock);
    EXPECT_EQ(ReadBytes(dir / "vorn.bak"), "[ mine ]\r\n");
}

#endif

// ---------------------------------------------------------------------------------------------------
// The editors' files

TEST(MapEditorFiles, PathsAndHeading) {
    const std::string folder = PathText(std::filesystem::path("q2") / "games");
    EXPECT_EQ(MultiplayerMapFile(folder, ""), std::filesystem::path("q2") / "games" / "vorn" / "vorn.ini");
    EXPECT_EQ(MultiplayerMapFile(folder, "mine.ini"), std::filesystem::path("q2") / "games" / "vorn" / "mine.ini");
    EXPECT_EQ(SinglePlayerMapFile(folder), std::filesystem::path("q2") / "games" / "vorn" / "vorn_sp.ini");
    EXPECT_EQ(MotdFile(folder), std::filesystem::path("q2") / "games" / "vorn" / "motd.txt");
    // A folder written with '/' is shown with the system's own separator throughout.
    EXPECT_EQ(PathText(MotdFile("q2/games")), PathText(std::filesystem::path("q2") / "games" / "vorn" / "motd.txt"));
    EXPECT_EQ(ServerIniName(""), "vorn.ini");
    EXPECT_EQ(ServerIniName("x.ini"), "x.ini");
    // Only a plain file name keeps the file in vorn, where the game reads it.
    const std::pair<const char*, const char*> names[] = {
        {"", nullptr},         {"server.ini", nullptr},     {"..x.ini", nullptr},
        {"/srv/outside.ini", "separator"}, {"..\\x.ini", "separator"}, {"sub/x.ini", "separator"},
        {"C:\\x.ini", "separator"},      {"C:x.ini", "drive"},         {"..", "step"}};
    for (const auto& [name, why] : names) {
        const auto refusal = ServerIniNameRefusal(name);
        EXPECT_EQ(refusal.has_value(), why != nullptr) << name;
        if (refusal && why) {
            EXPECT_NE(refusal->find(why), std::string::npos) << *refusal;
        }
    }
    EXPECT_EQ(EditingHeading(MultiplayerMapFile(folder, "")),
              "Editing - " + PathText(std::filesystem::path("q2") / "games" / "vorn" / "vorn.ini"));
}

TEST(MapEditorFiles, PathCheckWantsTheGameExecutable) {
    TempDir dir;
    const std::string exe(kGameExecutableName);
    WriteBytes(dir / exe, "game");
    std::string upper = exe;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; });
    std::filesystem::create_directories(dir / "upper");
    WriteBytes(dir / "upper" / upper, "game");
    std::filesystem::create_directories(dir / "folder" / exe);
    WriteBytes(dir / "other.exe", "x");
    struct Case {
        std::filesystem::path path;
        MapEditorCheck expected;
    };
    const Case cases[] = {
        {dir / exe, MapEditorCheck::Ready},
        {dir / "upper" / upper, MapEditorCheck::WrongDirectory}, // letter case counts
        {dir / "folder" / exe, MapEditorCheck::WrongDirectory},
        {"", MapEditorCheck::WrongDirectory},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckMapEditorPath(PathText(c.path)), c.expected) << c.path;
}

TEST(MapEditorFiles, LoadCreatesReadsEmptyOrReadsWhole) {
    TempDir dir;
    const TextFileLoad created = LoadTextFile(dir / "vorn.ini", WhenMissing::CreateEmpty);
    EXPECT_TRUE(created.ok);
    EXPECT_TRUE(created.created);
    EXPECT_EQ(created.bytes, "");
    ASSERT_TRUE(std::filesystem::is_regular_file(dir / "vorn.ini"));
    EXPECT_EQ(std::filesystem::file_size(dir / "vorn.ini"), 0U);

    const TextFileLoad empty = LoadTextFile(dir / "motd.txt", WhenMissing::ReadAsEmpty);
    EXPECT_TRUE(empty.ok);
    EXPECT_FALSE(empty.created);
    EXPECT_EQ(empty.bytes, "");
    EXPECT_FALSE(std::filesystem::exists(dir / "motd.txt"));

    WriteBytes(dir / "vorn.ini", AllBytes()); // an existing file is read whole
    for (const WhenMissing when : {WhenMissing::CreateEmpty, WhenMissing::ReadAsEmpty}) {
        const TextFileLoad load = LoadTextFile(dir / "vorn.ini", when);
        EXPECT_TRUE(load.ok && !load.created);
        EXPECT_EQ(load.bytes, AllBytes());
    }
}

TEST(MapEditorFiles, UnreadableFileIsReportedNotReplaced) {
    TempDir dir;
    std::filesystem::create_directories(dir / "vorn.ini");
    WriteBytes(dir / "plain", "x");
    struct Case {
        std::filesystem::path file;
        WhenMissing when;
    };
    const Case cases[] = {
        {dir / "vorn.ini", WhenMissing::CreateEmpty},      // a folder where the file should be
        {dir / "plain" / "vorn.ini", WhenMissing::CreateEmpty}, // the folder is a file
        {dir / "gone" / "vorn.ini", WhenMissing::CreateEmpty},  // no modification folder to create it in
    };
    for (const Case& c : cases) {
        const TextFileLoad load = LoadTextFile(c.file, c.when);
        EXPECT_FALSE(load.ok) << c.file;
        EXPECT_EQ(load.why.rfind(PathText(c.file) + ": ", 0), 0U) << load.why;
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir / "vorn.ini"));
    EXPECT_EQ(ReadBytes(dir / "plain"), "x");
    EXPECT_FALSE(std::filesystem::exists(dir / "gone"));
}

TEST(MapEditorTextBytes, EveryOtherByteSurvivesBothWays) {
    const std::pair<std::string, std::string> texts[] = {
        {"", ""}, {"a\r\nb\r\n", "a\nb\n"}, {"a\rb\r", "a\nb\n"}, {"a\r\r\nb", "a\n\nb"},
        {std::string("a\0b", 3), std::string("a\0b", 3)}};
    for (const auto& [from, to] : texts)
        EXPECT_EQ(EditorTextFromFile(from), to) << from;
    std::string bytes;
    for (int b = 0; b < 256; ++b) {
        if (b != '\r' && b != '\n')
            bytes += static_cast<char>(b);
    }
    EXPECT_EQ(EditorTextFromFile(bytes), bytes);
    EXPECT_EQ(FileTextFromEditor(bytes), bytes + "\r\n");
    // A file saved unchanged is the original plus CR LF.
    const std::string file = "[ vorn01 ]\r\n" + bytes + "\r\nlast\r\n";
    EXPECT_EQ(FileTextFromEditor(EditorTextFromFile(file)), file + "\r\n");
    EXPECT_EQ(FileTextFromEditor(""), "\r\n");
    EXPECT_EQ(FileTextFromEditor("a\nb\n"), "a\r\nb\r\n\r\n");
}

// Lines the user did not touch keep the ends they had in the file; edited and new lines end in CR LF.
TEST(MapEditorTextBytes, UntouchedLinesKeepTheirEnds) {
    struct Row {
        const char* file;
        const char* edited; // nullptr: saved as loaded
        const char* saved;
    };
    const Row rows[] = {
        {"line1\nline2", nullptr, "line1\nline2\r\n"},
        {"a\rb\r", nullptr, "a\rb\r\r\n"},
        {"a\nb\r\nc\rd", nullptr, "a\nb\r\nc\rd\r\n"},
        {"a\nb\nc\n", "a\nB\nc\n", "a\nB\r\nc\n\r\n"},
        {"a\rb\r", "a\nnew\nb\n", "a\rnew\r\nb\r\r\n"},
        {"a\nb\r\nc\rd", "a\nc\nd", "a\nc\rd\r\n"},
    };
    for (const Row& row : rows) {
        const LoadedText loaded = LoadTextLines(row.file);
        EXPECT_EQ(loaded.text, EditorTextFromFile(row.file)) << row.file;
        EXPECT_EQ(FileTextFromEditor(row.edited ? row.edited : loaded.text, loaded), row.saved) << row.file;
    }
}

TEST(MapEditorFiles, SaveAppendsLineEndAndFailureKeepsOldFile) {
    TempDir dir;
    std::string why;
    ASSERT_TRUE(SaveTextFile(dir / "motd.txt", "", why)) << why;
    EXPECT_EQ(ReadBytes(dir / "motd.txt"), "\r\n");
    ASSERT_TRUE(SaveTextFile(dir / "motd.txt", "hello\nworld", why)) << why;
    EXPECT_EQ(ReadBytes(dir / "motd.txt"), "hello\r\nworld\r\n");

    std::filesystem::create_directories(dir / "vorn.ini");
    EXPECT_FALSE(SaveTextFile(dir / "vorn.ini", "text", why));
    EXPECT_EQ(why.rfind(PathText(dir / "vorn.ini") + ": ", 0), 0U) << why;
    EXPECT_TRUE(std::filesystem::is_directory(dir / "vorn.ini"));
    EXPECT_EQ(FolderEntries(dir.path()), (std::vector<std::string>{"motd.txt", "vorn.ini"}));
}

// ---------------------------------------------------------------------------------------------------
// Colouring

} // namespace

// Readable spans in failure messages.
void PrintTo(const ColourSpan& span, std::ostream* out) {
    *out << (span.kind == ColourKind::Head ? "H(" : "C(") << span.start << ", " << span.length << ")";
}

namespace {

ColourSpan H(std::size_t start, std::size_t length) { return {start, length, ColourKind::Head}; }
ColourSpan C(std::size_t start, std::size_t length) { return {start, length, ColourKind::Comment}; }

struct SpanCase {
    const char* name;
    std::string text;
    std::vector<ColourSpan> heads;
    std::vector<ColourSpan> comments;
    std::vector<ColourSpan> passes;
};

class ColourSpans : public ::testing::TestWithParam<SpanCase> {};

TEST_P(ColourSpans, HeadsCommentsAndResult) {
    const SpanCase& c = GetParam();
    EXPECT_EQ(colourheads(c.text), c.heads);
    EXPECT_EQ(colourcomments(c.text), c.comments);
    EXPECT_EQ(ColourPasses(c.text), c.passes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ColourSpans,
    ::testing::Values(
        SpanCase{"Empty", "", {}, {}, {}},
        SpanCase{"HeadAtFirstCharacter", "[ vorn01 ]\ngametype 2\n", {H(0, 10)}, {}, {H(0, 10)}},
        SpanCase{"NestedOpenOnlyOuter", "[ a [ b ]", {H(0, 9)}, {}, {H(0, 9)}},
        SpanCase{"HeadsAfterNestedOpenStillFound", "[ a [ b ]\n[c]", {H(0, 9), H(10, 3)}, {}, {H(0, 9), H(10, 3)}},
        SpanCase{"StrayCloseFirst", "a]b[c]", {H(3, 3)}, {}, {H(3, 3)}},
        SpanCase{"LastOpenUnclosedStops", "[x] [y", {H(0, 3)}, {}, {H(0, 3)}},
        SpanCase{"CommentOnLastLineUncoloured", "# end", {}, {}, {}},
        SpanCase{"CommentThroughLineBreak", "# end\n", {}, {C(0, 6)}, {C(0, 6)}},
        SpanCase{"CommentThroughCrLf", "# end\r\nx", {}, {C(0, 7)}, {C(0, 7)}},
        SpanCase{"CommentAfterText", "max_gems 3 # three\nx", {}, {C(11, 8)}, {C(11, 8)}},
        SpanCase{"CommentWinsInsideHead", "[ a # b ]\nx", {H(0, 9)}, {C(4, 6)}, {H(0, 4), C(4, 6)}},
        SpanCase{"HeadInsideComment", "# [x]\n[y]", {H(2, 3), H(6, 3)}, {C(0, 6)}, {C(0, 6), H(6, 3)}},
        SpanCase{"MarkerBlock", "# begin\n\n[vorn01]\n\n# end\n", {H(9, 8)}, {C(0, 8), C(19, 6)},
                 {C(0, 8), H(9, 8), C(19, 6)}}),
    CaseName());

// What the editor shows: one colour per character, 'h' head, 'c' comment, other letters other colours.
using Screen = std::string;

void Paint(Screen& screen, const ColourSpan& span) {
    for (std::size_t i = span.start; i < span.end(); ++i)
        screen[i] = span.kind == ColourKind::Head ? 'h' : 'c';
}

// The two passes as the user sees them: every head painted, then every comment painted over it.
void PaintPassesOneByOne(Screen& screen, const std::string& text) {
    for (const ColourSpan& span : colourheads(text))
        Paint(screen, span);
    for (const ColourSpan& span : colourcomments(text))
        Paint(screen, span);
}

TEST(ColourPassesPainting, ResultMatchesPaintingOneByOne) {
    std::mt19937 random(7);
    const std::string alphabet = "[]#\na ";
    for (int round = 0; round < 2000; ++round) {
        std::string text(random() % 40, ' ');
        for (char& c : text)
            c = alphabet[random() % alphabet.size()];
        Screen expected(text.size(), '.');
        PaintPassesOneByOne(expected, text);
        Screen actual(text.size(), '.');
        for (const ColourSpan& span : ColourPasses(text))
            Paint(actual, span);
        ASSERT_EQ(actual, expected) << text;
    }
}

TEST(ColourRecord, EditsForgetOnlyWhatChanged) {
    struct Case {
        const char* name;
        std::size_t position, removed, added;
        std::vector<ColourSpan> known;
    };
    // Known before: a head over 0..9, a comment over 10..19, a head over 30..34.
    const std::vector<ColourSpan> before = {H(0, 10), C(10, 10), H(30, 5)};
    const Case cases[] = {
        {"InsertBeforeAll", 0, 0, 3, {H(3, 10), C(13, 10), H(33, 5)}},
        {"InsertInsideHead", 4, 0, 2, {H(0, 4), H(6, 6), C(12, 10), H(32, 5)}},
        {"DeleteAcrossTwo", 8, 4, 0, {H(0, 8), C(8, 8), H(26, 5)}},
        {"DeleteWholeSpan", 10, 10, 0, {H(0, 10), H(20, 5)}},
        {"ReplaceInsideComment", 12, 3, 5, {H(0, 10), C(10, 2), C(17, 5), H(32, 5)}},
        {"ColourChangeForgets", 5, 10, 10, {H(0, 5), C(15, 5), H(30, 5)}},
        // Found by fuzzing: what is left of a span on both sides of a deletion, or of a change that adds
        // nothing, is one span again.
        {"DeleteInsideHead", 2, 3, 0, {H(0, 7), C(7, 10), H(27, 5)}},
        {"NothingChangedInsideHead", 4, 0, 0, {H(0, 10), C(10, 10), H(30, 5)}},
        {"DeleteBetweenHeads", 8, 24, 0, {H(0, 11)}},
    };
    for (const Case& c : cases) {
        ColourRecord record;
        record.applied(before);
        ASSERT_EQ(record.known(), before);
        record.edited(c.position, c.removed, c.added);
        EXPECT_EQ(record.known(), c.known) << c.name;
    }
}

TEST(ColourRecord, MissingIsWhatIsNotKnownInTheSameColour) {
    ColourRecord record;
    EXPECT_EQ(record.missing({H(0, 4), C(6, 3)}), (std::vector<ColourSpan>{H(0, 4), C(6, 3)}));
    record.applied({H(0, 4), C(6, 3)});
    EXPECT_TRUE(record.missing({H(0, 4), C(6, 3)}).empty());
    // A comment now where a head was, and a head reaching past what is known.
    EXPECT_EQ(record.missing({C(0, 2), H(2, 2), H(6, 6)}), (std::vector<ColourSpan>{C(0, 2), H(6, 6)}));
    // Applying keeps what the new colours do not cover, and merges neighbours of one colour.
    record.applied({H(4, 2)});
    EXPECT_EQ(record.known(), (std::vector<ColourSpan>{H(0, 6), C(6, 3)}));
    record.clear();
    EXPECT_TRUE(record.known().empty());
}

// The editor colours a large text by applying only what its record says is missing; the screen must end
// exactly as if both passes had painted every span, whatever the user typed or coloured in between.
TEST(ColourRecord, IncrementalColouringMatchesFullPasses) {
    std::mt19937 random(11);
    const std::string alphabet = "[]#\nab ";
    for (int round = 0; round < 200; ++round) {
        std::string text;
        Screen full, incremental;
        ColourRecord record;
        for (int step = 0; step < 30; ++step) {
            const std::size_t position = text.empty() ? 0 : random() % (text.size() + 1);
            const int what = static_cast<int>(random() % 3);
            if (what == 0) { // typing or an insert: new characters in the colour 't'
                std::string added(1 + random() % 6, ' ');
                for (char& c : added)
                    c = alphabet[random() % alphabet.size()];
                text.insert(position, added);
                full.insert(position, std::string(added.size(), 't'));
                incremental.insert(position, std::string(added.size(), 't'));
                record.edited(position, 0, added.size());
            } else if (what == 1 && position < text.size()) { // deleting
                const std::size_t removed = std::min<std::size_t>(1 + random() % 5, text.size() - position);
                text.erase(position, removed);
                full.erase(position, removed);
                incremental.erase(position, removed);
                record.edited(position, removed, 0);
            } else if (position < text.size()) { // the typing colour over some characters
                const std::size_t length = std::min<std::size_t>(1 + random() % 5, text.size() - position);
                const char colour = random() % 2 ? 'h' : 'k';
                for (std::size_t i = position; i < position + length; ++i) {
                    full[i] = colour;
                    incremental[i] = colour;
                }
                record.edited(position, length, length);
            }
            if (random() % 3 == 0) {
                PaintPassesOneByOne(full, text);
                const std::vector<ColourSpan> wanted = ColourPasses(text);
                for (const ColourSpan& span : record.missing(wanted))
                    Paint(incremental, span);
                record.applied(wanted);
                ASSERT_EQ(incremental, full) << "round " << round << " step " << step << " text " << text;
            }
        }
    }
}

struct TypingStep {
    char32_t character;
    std::size_t caret;
    TypedEffect effect;
    ColourSpan span;
};

struct TypingCase {
    const char* name;
    std::vector<TypingStep> steps;
};

class MapEditorTypingColour : public ::testing::TestWithParam<TypingCase> {};

TEST_P(MapEditorTypingColour, Steps) {
    OpenHead state;
    for (const TypingStep& step : GetParam().steps) {
        const TypedResult result = TypedCharacter(state, step.character, step.caret);
        EXPECT_EQ(result.effect, step.effect) << static_cast<std::uint32_t>(step.character) << " at " << step.caret;
        if (step.effect == TypedEffect::ColourHead) {
            EXPECT_EQ(result.span, step.span);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MapEditorTypingColour,
    ::testing::Values(
        TypingCase{"HeadTyped",
                   {{U'[', 5, TypedEffect::HeadOpened, {}}, {U'v', 6, TypedEffect::TypeBlack, {}},
                    {U'1', 7, TypedEffect::TypeBlack, {}}, {U']', 8, TypedEffect::ColourHead, H(5, 3)},
                    {U']', 9, TypedEffect::None, {}}}},
        TypingCase{"CaretMovedBackColoursNothing",
                   {{U'[', 10, TypedEffect::HeadOpened, {}}, {U']', 4, TypedEffect::None, {}},
                    {U']', 12, TypedEffect::None, {}}}},
        TypingCase{"SecondOpenMovesTheStart",
                   {{U'[', 2, TypedEffect::HeadOpened, {}}, {U'[', 6, TypedEffect::HeadOpened, {}},
                    {U']', 9, TypedEffect::ColourHead, H(6, 3)}}},
        TypingCase{"BackspaceAndEnterTypeBlack",
                   {{U'\b', 3, TypedEffect::TypeBlack, {}}, {U'\r', 2, TypedEffect::TypeBlack, {}},
                    {U'\u00e9', 2, TypedEffect::TypeBlack, {}}, {U'\t', 2, TypedEffect::TypeBlack, {}},
                    {U'\x7f', 2, TypedEffect::TypeBlack, {}}}},
        // Copy, select all, paste, escape.
        TypingCase{"ShortcutsTypeNothing",
                   {{U'\x03', 3, TypedEffect::None, {}}, {U'\x01', 3, TypedEffect::None, {}},
                    {U'\x16', 3, TypedEffect::None, {}}, {U'\x1b', 3, TypedEffect::None, {}}}},
        TypingCase{"ShortcutKeepsTheOpenHead",
                   {{U'[', 1, TypedEffect::HeadOpened, {}}, {U'\x03', 4, TypedEffect::None, {}},
                    {U']', 4, TypedEffect::ColourHead, H(1, 3)}}}),
    CaseName());

} // namespace
} // namespace trel
