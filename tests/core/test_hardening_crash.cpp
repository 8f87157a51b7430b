// Crash consistency: every writer runs in a child process that is killed with SIGKILL at a random moment,
// many times over. Afterwards every file holds either what it held before or one whole new content, never
// a mixture or a cut file; no file is ever missing, not even while the writer runs; and vorn.bak only ever
// holds a complete earlier vorn.ini. The windows' saves (the main window's settings, the map-details and
// message-of-the-day editors) write through the same functions driven here: WriteIniValues and
// SaveTextFile.

#ifndef _WIN32

#include "hardening_writers.h"
#include "test_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace trel::test {
namespace {

constexpr int kTrials = 200;
// The kill comes at a random moment after the writer's first write is complete, up to this long or three
// times that first write's time, whichever is longer: long enough for several writes, so that kills land
// in every part of one however slow the machine.
constexpr std::chrono::microseconds kLongestRun{15000};
// A writer whose first write takes longer than this is stuck.
constexpr std::chrono::seconds kFirstWriteLimit{20};
// Numbers of one trial's contents start here times the trial's number, so that no content of an earlier
// trial can pass for a new one.
constexpr std::uint64_t kGenerationsPerTrial = 1'000'000;

struct Child {
    pid_t pid = -1;
    int output = -1;
};

Child StartWriter(Writer writer, const Layout& layout, std::uint64_t first) {
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    const std::string name(kWriterNames[static_cast<std::size_t>(writer)]);
    const std::string folder = PathText(layout.folder);
    const std::string number = std::to_string(first);
    char* argv[] = {const_cast<char*>(TREL_CRASH_WRITER), const_cast<char*>(name.c_str()),
                    const_cast<char*>(folder.c_str()), const_cast<char*>(number.c_str()), nullptr};
    Child child;
    const int spawned = posix_spawn(&child.pid, TREL_CRASH_WRITER, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (spawned != 0) {
        ::close(fds[0]);
        return {};
    }
    child.output = fds[0];
    return child;
}

bool Exists(const std::filesystem::path& file) {
    struct stat info {};
    return ::stat(file.c_str(), &info) == 0;
}

// A writer's own temporary files are hidden and carry the name of the file they replace.
bool IsTemporaryOf(const std::string& entry, const std::vector<std::filesystem::path>& files) {
    for (const auto& file : files) {
        if (entry.front() == '.' && entry.find(file.filename().string() + ".") != std::string::npos)
            return true;
    }
    return false;
}

std::set<std::string> Entries(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

class CrashConsistency : public ::testing::TestWithParam<Writer> {};

} // namespace

// Listed by the writer's name.
void PrintTo(Writer writer, std::ostream* os) { *os << kWriterNames[static_cast<std::size_t>(writer)]; }

namespace {

TEST_P(CrashConsistency, EveryFileIsWholeAfterSigkill) {
    const Writer writer = GetParam();
    TempDir dir;
    const Layout layout{dir.path()};
    PrepareLayout(layout);
    const std::vector<std::filesystem::path> files = FilesOf(writer, layout);
    const std::filesystem::path folder = files.front().parent_path();
    std::map<std::filesystem::path, std::string> before;
    for (const auto& file : files)
        before[file] = ReadBytes(file);
    const std::set<std::string> entries = Entries(folder);

    const std::uint64_t seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> fraction(0.0, 1.0);

    int renewed = 0;     // trials after which a file held new content
    int interrupted = 0; // trials killed while a temporary file existed: in the middle of a write
    for (int trial = 1; trial <= kTrials; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        const std::uint64_t first = static_cast<std::uint64_t>(trial) * kGenerationsPerTrial;
        const Child child = StartWriter(writer, layout, first);
        ASSERT_GT(child.pid, 0);
        char ready = 0;
        const ssize_t got = ::read(child.output, &ready, 1);
        const auto begun = std::chrono::steady_clock::now();
        ::fcntl(child.output, F_SETFL, O_NONBLOCK);
        if (got != 1)
            ::kill(child.pid, SIGKILL);
        ASSERT_EQ(got, 1) << "the writer ended before its loop began";

        // Until the random moment comes, the files are watched: a replacement must never leave a moment
        // without the file.
        std::optional<std::chrono::steady_clock::time_point> deadline;
        bool allThere = true;
        bool stuck = false;
        bool ended = false; // the writer closed its output: it stopped by itself
        do {
            for (const auto& file : files)
                allThere = allThere && Exists(file);
            const auto now = std::chrono::steady_clock::now();
            const ssize_t news = deadline ? -1 : ::read(child.output, &ready, 1);
            ended = news == 0;
            if (news == 1) {
                const auto span = std::max<std::chrono::steady_clock::duration>(kLongestRun, 3 * (now - begun));
                deadline = now + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                     span * fraction(random));
            }
            stuck = !deadline && now - begun > kFirstWriteLimit;
        } while (allThere && !stuck && !ended && (!deadline || std::chrono::steady_clock::now() < *deadline));
        ::close(child.output);
        ::kill(child.pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child.pid, &status, 0), child.pid);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "the writer stopped by itself, status " << status;
        ASSERT_TRUE(allThere) << "a file was missing while the writer ran";
        ASSERT_FALSE(stuck) << "the writer's first write took longer than " << kFirstWriteLimit.count() << " s";

        std::map<std::filesystem::path, std::string> after;
        std::map<std::filesystem::path, std::optional<std::uint64_t>> generation;
        bool anyNew = false;
        for (const auto& file : files) {
            ASSERT_TRUE(std::filesystem::is_regular_file(file)) << file;
            after[file] = ReadBytes(file);
            if (after[file] == before[file])
                continue;
            const auto number = GenerationIn(after[file]);
            if (writer == Writer::MapCycle && file.filename() == "vorn.bak")
                continue; // judged against vorn.ini below
            ASSERT_TRUE(number && *number >= first && after[file] == ContentAfter(writer, file, *number))
                << file << " holds neither its old content nor a whole new one (" << after[file].size()
                << " bytes)";
            generation[file] = number;
            anyNew = true;
        }
        if (writer == Writer::MapCycle) {
            // vorn.bak holds the vorn.ini that the latest replacement found, or the one before it.
            const auto& ini = files[0];
            const auto& bak = files[1];
            std::vector<std::string> earlier;
            if (after[ini] == before[ini]) {
                earlier = {before[bak], before[ini]};
            } else {
                const std::uint64_t g = *generation[ini];
                earlier = {g == first ? before[ini] : ContentAfter(writer, ini, g - 1), after[ini]};
            }
            ASSERT_TRUE(after[bak] == earlier[0] || after[bak] == earlier[1])
                << "vorn.bak holds no complete earlier vorn.ini (" << after[bak].size() << " bytes)";
        }
        renewed += anyNew ? 1 : 0;

        // Nothing else is left behind but temporary files of a write cut short; they go before the next trial.
        bool cut = false;
        for (const std::string& name : Entries(folder)) {
            if (entries.count(name) != 0)
                continue;
            ASSERT_TRUE(IsTemporaryOf(name, files)) << "left behind: " << name;
            cut = true;
            std::filesystem::remove(folder / name);
        }
        interrupted += cut ? 1 : 0;
        before = after;
    }
    // The kills did land while writes went on and in the middle of them, or nothing was tested.
    EXPECT_GT(renewed, 0);
    EXPECT_GT(interrupted, 0);
    RecordProperty("trials", kTrials);
    RecordProperty("renewed", renewed);
    RecordProperty("interrupted", interrupted);
}

INSTANTIATE_TEST_SUITE_P(Writers, CrashConsistency,
                         ::testing::Values(Writer::SaveSettings, Writer::WriteIni, Writer::SaveAddressBook,
                                           Writer::MapCycle, Writer::MapDetails, Writer::Motd,
                                           Writer::LaunchScript, Writer::JoinScript),
                         [](const ::testing::TestParamInfo<Writer>& param) {
                             return std::string(kWriterNames[static_cast<std::size_t>(param.param)]);
                         });

} // namespace
} // namespace trel::test

#endif
