// Injected write failures for the writers whose failures test_ini.cpp and test_mapedit.cpp do not cover: a
// file-size limit in a child process, a regular file where the folder should be, a missing folder. Each write
// must fail, name the file and the system's reason, leave what was there as it was and start no game.
// Permission bits cannot make a write fail here: the tests may run as root.
// Then hostile contents for every file Trel reads: the settings file (start-up's decision, the load of the
// launch options, the address book), the map-details files and the message of the day. Each must load without
// a crash and within a second, with an outcome a user can act on. On Windows the system's profile-string
// functions read the settings file; this judges Trel's own reading.

#ifndef _WIN32

#include "hardening_writers.h"
#include "test_helpers.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <map>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace trel::test {
namespace {

// Writes in a child process whose files may not grow past 8 bytes; the child reports the outcome through a
// pipe. SIGXFSZ is ignored there, so the write fails with EFBIG instead of killing the child.
Outcome WriteUnderSizeLimit(const Writer& writer, const Layout& layout) {
    int fds[2];
    if (pipe(fds) != 0)
        return {true, "no pipe", false};
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{8, 8};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            _exit(100);
        const Outcome outcome = WriteGeneration(writer, layout, 7);
        const std::string report =
            std::string(outcome.ok ? "1" : "0") + (outcome.gameRequested ? "1" : "0") + outcome.why;
        _exit(::write(fds[1], report.data(), report.size()) == static_cast<ssize_t>(report.size()) ? 0 : 101);
    }
    ::close(fds[1]);
    std::string report;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || status != 0 || report.size() < 2)
        return {true, "the child did not report, status " + std::to_string(status), false};
    return {report[0] == '1', report.substr(2), report[1] == '1'};
}

// What stands at path: a file's bytes, or a folder's entries with the bytes of its files, or nothing.
using Files = std::map<std::string, std::string>;
Files Snapshot(const std::filesystem::path& path) {
    if (!std::filesystem::is_directory(path))
        return std::filesystem::is_regular_file(path) ? Files{{"", ReadBytes(path)}} : Files{};
    Files found{{"/", "a folder"}};
    for (const auto& entry : std::filesystem::directory_iterator(path))
        found["/" + entry.path().filename().string()] = entry.is_regular_file() ? ReadBytes(entry.path()) : "/";
    return found;
}

TEST(WriteFailure, IsReportedAndChangesNothing) {
    // Every writer under every failure, with the error each gives; an empty created file passes any size limit.
    enum Failure { SizeLimit, ParentIsAFile, MissingFolder };
    const std::pair<Failure, int> failures[] = {{SizeLimit, EFBIG}, {ParentIsAFile, ENOTDIR}, {MissingFolder, ENOENT}};
    for (const char* name :
         {"SaveAddressBook", "GameLocation", "MapDetails", "MapDetailsCreated", "Motd", "LaunchScript", "JoinScript"}) {
        for (const auto& [failure, error] : failures) {
            if (std::string_view(name) == "MapDetailsCreated" && failure == SizeLimit)
                continue;
            SCOPED_TRACE(std::string(name) + ": " + std::strerror(error));
            TempDir dir;
            const Layout layout{dir.path()};
            PrepareLayout(layout);
            const Writer& writer = *WriterNamed(name);
            const std::filesystem::path file = layout.folder / writer.files.front(), folder = file.parent_path();
            if (failure != SizeLimit)
                std::filesystem::remove_all(folder);
            if (failure == ParentIsAFile)
                WriteBytes(folder, "not a folder");
            const auto folderBefore = Snapshot(folder), startBefore = Snapshot(layout.folder);

            const Outcome outcome =
                failure == SizeLimit ? WriteUnderSizeLimit(writer, layout) : WriteGeneration(writer, layout, 7);
            EXPECT_FALSE(outcome.ok) << outcome.why;
            EXPECT_FALSE(outcome.gameRequested);
            EXPECT_EQ(outcome.why.rfind(PathText(file) + ": ", 0), 0U) << outcome.why;
            EXPECT_NE(outcome.why.find(std::strerror(error)), std::string::npos) << outcome.why;
            // Whatever was there before is there still, byte for byte, and nothing was added.
            EXPECT_EQ(Snapshot(folder), folderBefore);
            EXPECT_EQ(Snapshot(layout.folder), startBefore);
        }
    }
}

template <typename Run> void WithinASecond(Run run) {
    const auto started = std::chrono::steady_clock::now();
    run();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
}

TEST(HostileInput, EveryFileLoadsOrSaysWhy) {
    struct Hostile {
        const char* name;
        std::string bytes;
        bool folder = false;   // a folder stands where the file belongs
        bool validIni = false; // a settings file start-up and the launch options accept
    };
    const std::vector<Hostile> contents = {
        {"Empty", ""}, {"OnlyNulBytes", std::string(1 << 16, '\0')},
        {"SixteenMebibytesOfOneLine", std::string(16u << 20, 'A')},
        {"SixteenMebibyteValue",
         "[Quake2exe]\r\nUsed=" + std::string(16u << 20, '1') + "\r\n[Settings]\r\nDMflags=1\r\n"},
        // The fresh settings file with lone CR line ends and the game's location already chosen.
        {"LoneCarriageReturns",
         "[Quake2exe]\rUsed=1\rPath=/q2/quake2\rDir=/q2\r[Settings]\rDMflags=5\rDedicated=0\rBoolmaxclients=0\r"
         "Valmaxclients=8\rBooltimelimit=0\rValtimelimit=20\rBoolgemgoal=0\rValgemgoal=10\rMonsterRespawn=0\r"
         "Forcejoin=0\rGametype=3\rCommandline=0\rMap=0\rBoolmaxgems=0\rValmaxgems=0\rserverini=\r[AddressBook]\r"
         "ServerName 1=LAN\rServerIp 1=10.0.0.1:27910\r", false, true},
        {"TenThousandBracketHead", std::string(10000, '[') + "]\r\nUsed=1\r\n" + std::string(10000, '[') + "\r\n#\r\n"},
        {"InvalidUtf8", "[Quake2exe]\r\nUsed=\xff\xfe\r\n[ \xc3\x28 ]\r\n\xe2\x28\xa1=\xf0\x28\x8c\xbc\r\n# \xc0\r\n"},
        {"FolderInItsPlace", "", true}};
    for (const Hostile& c : contents) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        std::filesystem::create_directories(dir / "vorn");
        const auto ini = dir / "trel.ini", map = MultiplayerMapFile(PathText(dir.path()), ""),
                   motd = MotdFile(PathText(dir.path()));
        for (const auto& file : {ini, map, motd}) {
            if (c.folder)
                std::filesystem::create_directories(file / "inside");
            else
                WriteBytes(file, c.bytes);
        }
        WithinASecond([&] {
            const StartDecision start = DecideStart(ini);
            ASSERT_EQ(start.error.has_value(), !c.validIni);
            EXPECT_EQ(start.kind, c.validIni ? StartKind::Normal : StartKind::FirstRun);
            if (start.error) {
                // Used is missing, empty or no number: the message names the key, the file and the number.
                EXPECT_NE(start.error->description.find("Used"), std::string::npos);
                EXPECT_NE(start.error->description.find(PathText(ini)), std::string::npos);
                EXPECT_TRUE(start.error->number == kErrorNotANumber || start.error->number == kErrorOverflow);
                EXPECT_LT(FormatLoadError(*start.error).size(), 200 + PathText(ini).size());
            }
        });
        WithinASecond([&] {
            const SettingsLoad load = ReadSettingsForLoad(ini);
            ASSERT_EQ(load.error.has_value(), !c.validIni);
            if (load.error) {
                EXPECT_NE(load.error->description.find(PathText(ini)), std::string::npos);
                EXPECT_LT(load.error->description.size(), 200 + PathText(ini).size());
            } else {
                EXPECT_EQ(load.steps.size(), kSettingsKeys.size() - 1);
                EXPECT_EQ(load.Quake2Path, "/q2/quake2");
            }
        });
        WithinASecond([&] {
            const AddressBookRows rows = LoadAddressBook(ini);
            EXPECT_EQ(rows[0].name, c.validIni ? "LAN" : "");
            for (const AddressBookRow& row : rows)
                EXPECT_LE(row.address.size(), ini::kMaxValueLength);
        });
        // The map-details editor creates nothing over what is there; the message of the day reads it as it is.
        const std::pair<std::filesystem::path, WhenMissing> texts[] = {{map, WhenMissing::CreateEmpty},
                                                                        {motd, WhenMissing::ReadAsEmpty}};
        for (const auto& [file, whenMissing] : texts) {
            WithinASecond([&] {
                const TextFileLoad load = LoadTextFile(file, whenMissing);
                if (c.folder) { // not opened: the message names the file and the reason, and the folder stays
                    EXPECT_FALSE(load.ok);
                    EXPECT_EQ(load.why.rfind(PathText(file) + ": ", 0), 0U) << load.why;
                    EXPECT_TRUE(std::filesystem::is_directory(file / "inside"));
                    return;
                }
                ASSERT_TRUE(load.ok) << load.why;
                EXPECT_FALSE(load.created);
                EXPECT_EQ(load.bytes, c.bytes);
                const std::string text = EditorTextFromFile(load.bytes);
                EXPECT_EQ(text.find('\r'), std::string::npos);
                for (const ColourSpan& span : ColourPasses(text))
                    EXPECT_LE(span.end(), text.size());
                // Saving what was loaded gives the same text back, with the one line break a save adds.
                EXPECT_EQ(EditorTextFromFile(FileTextFromEditor(text)), text + "\n");
            });
        }
    }
}

} // namespace
} // namespace trel::test

#endif
