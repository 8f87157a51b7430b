// Crash consistency: each writer runs in crash_writer, killed with SIGKILL at a random moment, many times over.
// Afterwards every file holds what it held before or one whole new content, never a mixture or a cut file; no
// file is ever missing, not even while the writer runs; vorn.bak only ever holds a complete earlier vorn.ini;
// nothing is left behind but hidden temporary files of a write cut short. The windows' saves (settings, map
// details, message of the day) write through the functions driven here.

#ifndef _WIN32

#include "hardening_writers.h"
#include "test_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <map>
#include <random>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace trel::test {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kTrials = 200;
// The kill comes at a random moment after the writer's first write is complete, within this long or three times
// that write's time, whichever is longer: kills land anywhere in a write however slow the machine.
constexpr std::chrono::microseconds kLongestRun{15000};
constexpr std::chrono::seconds kFirstWriteLimit{20}; // a writer slower than this to write once is stuck
// A trial's numbers start at its number times this, so that no earlier trial's content passes for a new one.
constexpr std::uint64_t kGenerationsPerTrial = 1'000'000;

// Starts crash_writer: its process and the read end of its standard output.
std::pair<pid_t, int> StartWriter(std::string_view name, const Layout& layout, std::uint64_t first) {
    int fds[2];
    if (pipe(fds) != 0)
        return {-1, -1};
    const std::string writer(name), folder = PathText(layout.folder), number = std::to_string(first);
    const pid_t pid = fork();
    if (pid == 0) {
        ::dup2(fds[1], STDOUT_FILENO);
        ::close(fds[0]);
        ::close(fds[1]);
        ::execl(TREL_CRASH_WRITER, TREL_CRASH_WRITER, writer.c_str(), folder.c_str(), number.c_str(), nullptr);
        _exit(127);
    }
    ::close(fds[1]);
    return {pid, fds[0]};
}

std::vector<std::string_view> CrashTestedWriters() {
    std::vector<std::string_view> names;
    for (const Writer& writer : Writers())
        if (writer.content)
            names.push_back(writer.name);
    return names;
}

class CrashConsistency : public ::testing::TestWithParam<std::string_view> {};

TEST_P(CrashConsistency, EveryFileIsWholeAfterSigkill) {
    const Writer& writer = *WriterNamed(GetParam());
    TempDir dir;
    const Layout layout{dir.path()};
    PrepareLayout(layout);
    std::vector<std::filesystem::path> files;
    std::map<std::filesystem::path, std::string> before, after;
    for (const std::string& name : writer.files)
        before[files.emplace_back(layout.folder / name)] = ReadBytes(layout.folder / name);
    const std::filesystem::path folder = files.front().parent_path();
    const std::vector<std::string> entries = FolderEntries(folder);
    // A writer's own temporary files are hidden and carry the name of the file they replace.
    const auto isTemporary = [&](const std::string& entry) {
        return entry.front() == '.' && std::any_of(files.begin(), files.end(), [&](const auto& file) {
                   return entry.find(file.filename().string() + ".") != std::string::npos;
               });
    };
    const std::uint64_t seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> fraction(0.0, 1.0);

    int renewed = 0, interrupted = 0; // trials after which a file held new content; killed in the middle of a write
    for (int trial = 1; trial <= kTrials; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        const std::uint64_t first = static_cast<std::uint64_t>(trial) * kGenerationsPerTrial;
        const auto [pid, output] = StartWriter(writer.name, layout, first);
        ASSERT_GT(pid, 0);
        char mark = 0;
        const ssize_t got = ::read(output, &mark, 1); // the loop has begun
        const auto begun = Clock::now();
        ::fcntl(output, F_SETFL, O_NONBLOCK);
        // Until the random moment comes the files are watched: a replacement never leaves a moment without one.
        std::optional<Clock::time_point> deadline;
        bool allThere = true;
        for (ssize_t news = -1; got == 1 && allThere && news != 0 &&
                                (deadline ? Clock::now() < *deadline : Clock::now() - begun < kFirstWriteLimit);) {
            for (const auto& file : files)
                allThere = allThere && ::access(file.c_str(), F_OK) == 0;
            const auto now = Clock::now();
            if (!deadline && (news = ::read(output, &mark, 1)) == 1) // the first write is complete
                deadline = now + std::chrono::duration_cast<Clock::duration>(
                                     std::max<Clock::duration>(kLongestRun, 3 * (now - begun)) * fraction(random));
        }
        ::close(output);
        ::kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the writer stopped by itself: " << status;
        ASSERT_TRUE(allThere) << "a file was missing while the writer ran";
        ASSERT_TRUE(deadline) << "the writer's first write took longer than " << kFirstWriteLimit.count() << " s";

        std::uint64_t iniGeneration = 0; // the map cycle's: the number in vorn.ini
        bool anyNew = false;
        for (const auto& file : files) {
            ASSERT_TRUE(std::filesystem::is_regular_file(file)) << file;
            after[file] = ReadBytes(file);
            if (after[file] == before[file] || file.filename() == "vorn.bak") // vorn.bak is judged below
                continue;
            const auto number = GenerationIn(after[file]);
            ASSERT_TRUE(number && *number >= first && after[file] == writer.content(file.filename(), *number))
                << file << " holds neither its old content nor a whole new one (" << after[file].size() << " bytes)";
            iniGeneration = *number;
            anyNew = true;
        }
        if (files.back().filename() == "vorn.bak") {
            // vorn.bak holds the vorn.ini that the latest replacement found, or the one before it.
            const auto &ini = files[0], &bak = files[1];
            std::string older = before[bak], newer = before[ini];
            if (after[ini] != before[ini]) {
                older = iniGeneration == first ? before[ini] : writer.content("vorn.ini", iniGeneration - 1);
                newer = after[ini];
            }
            ASSERT_TRUE(after[bak] == older || after[bak] == newer)
                << "vorn.bak holds no complete earlier vorn.ini (" << after[bak].size() << " bytes)";
        }
        // Nothing else is left behind but temporary files of a write cut short; they go before the next trial.
        bool cut = false;
        for (const std::string& name : FolderEntries(folder)) {
            if (std::binary_search(entries.begin(), entries.end(), name))
                continue;
            ASSERT_TRUE(isTemporary(name)) << "left behind: " << name;
            cut = std::filesystem::remove(folder / name) || cut;
        }
        renewed += anyNew ? 1 : 0;
        interrupted += cut ? 1 : 0;
        before = after;
    }
    // The kills did land while writes went on and in the middle of them, or nothing was tested.
    EXPECT_GT(renewed, 0);
    EXPECT_GT(interrupted, 0);
}

INSTANTIATE_TEST_SUITE_P(Writers, CrashConsistency, ::testing::ValuesIn(CrashTestedWriters()),
                         [](const auto& param) { return std::string(param.param); });

} // namespace
} // namespace trel::test

#endif
