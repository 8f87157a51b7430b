// The writers of hardening_writers.h killed at random moments and made to fail, not by permissions: root may run this.

#ifndef _WIN32

#include "hardening_writers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <map>
#include <random>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace trel::test {
namespace {

using Clock = std::chrono::steady_clock;

// Runs child(out) in a new process ending with its result; out is the write end of a pipe, the read end returned.
template <typename Child> std::pair<pid_t, int> Fork(Child child) {
    int fds[2];
    const pid_t pid = ::pipe(fds) == 0 ? ::fork() : -1;
    if (pid == 0)
        _exit((::close(fds[0]), child(fds[1])));
    return pid > 0 ? (::close(fds[1]), std::pair{pid, fds[0]}) : std::pair{pid_t{-1}, -1};
}

// Crash consistency: each writer runs in crash_writer, killed with SIGKILL at a random moment, 200 times over.
// Afterwards every file holds what it held before or one whole new content, never a mixture or a cut file; no
// file is ever missing, not even while the writer runs; vorn.bak only ever holds a complete earlier vorn.ini;
// nothing is left behind but hidden temporary files (named after the file they replace) of a write cut short.
class CrashConsistency : public ::testing::TestWithParam<std::string_view> {};

TEST_P(CrashConsistency, EveryFileIsWholeAfterSigkill) {
    // The kill comes at a random moment after the first write is complete, within 15 ms or three times that
    // write's time, whichever is longer: kills land anywhere in a write however slow the machine.
    constexpr std::chrono::microseconds kLongestRun{15000};
    constexpr std::chrono::seconds kFirstWriteLimit{20}; // a writer slower than this to write once is stuck
    const Writer& writer = *WriterNamed(GetParam());
    TempDir dir;
    PrepareLayout(dir.path());
    std::vector<std::filesystem::path> files;
    std::map<std::filesystem::path, std::string> before, after;
    for (const std::string& name : writer.files)
        before[files.emplace_back(dir / name)] = ReadBytes(dir / name);
    const std::filesystem::path folder = files.front().parent_path();
    const std::vector<std::string> entries = FolderEntries(folder);
    const std::uint64_t seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937_64 random(seed);

    int renewed = 0, interrupted = 0; // files found with new content; temporary files of writes killed midway
    for (int trial = 1; trial <= 200; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        // A trial's numbers start far above the last one's, so that no earlier content passes for a new one.
        const std::uint64_t first = static_cast<std::uint64_t>(trial) * 1'000'000;
        const std::string name(writer.name), where = PathText(dir.path()), number = std::to_string(first);
        const auto [pid, output] = Fork([&](int out) { return ::dup2(out, STDOUT_FILENO), ::execl(TREL_CRASH_WRITER,
            TREL_CRASH_WRITER, name.c_str(), where.c_str(), number.c_str(), nullptr), 127; });
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
            allThere = std::ranges::all_of(files, [](const auto& file) { return ::access(file.c_str(), F_OK) == 0; });
            const auto now = Clock::now();
            if (!deadline && (news = ::read(output, &mark, 1)) == 1) // the first write is complete
                deadline = now + std::chrono::duration_cast<Clock::duration>(std::max<Clock::duration>(
                                     kLongestRun, 3 * (now - begun)) * std::generate_canonical<double, 64>(random));
        }
        ::close(output), ::kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the writer stopped by itself: " << status;
        ASSERT_TRUE(allThere) << "a file was missing while the writer ran";
        ASSERT_TRUE(deadline) << "the writer's first write took longer than " << kFirstWriteLimit.count() << " s";

        std::uint64_t iniGeneration = 0; // the map cycle's: the number in vorn.ini
        for (const auto& file : files) {
            ASSERT_TRUE(std::filesystem::is_regular_file(file)) << file;
            after[file] = ReadBytes(file);
            if (after[file] == before[file] || file.filename() == "vorn.bak") // vorn.bak is judged below
                continue;
            const auto n = GenerationIn(after[file]);
            ASSERT_TRUE(n && *n >= first && after[file] == writer.content(file.filename(), *n))
                << file << " holds neither its old content nor a whole new one (" << after[file].size() << " bytes)";
            iniGeneration = *n;
            ++renewed;
        }
        if (files.back().filename() == "vorn.bak") {
            // vorn.bak holds the vorn.ini that the latest replacement found, or the one before it.
            const auto &ini = files[0], &bak = files[1];
            const std::string older = after[ini] == before[ini] ? before[bak]
                                    : iniGeneration == first  ? before[ini]
                                                              : writer.content("vorn.ini", iniGeneration - 1);
            ASSERT_TRUE(after[bak] == older || after[bak] == after[ini])
                << "vorn.bak holds no complete earlier vorn.ini (" << after[bak].size() << " bytes)";
        }
        for (const std::string& entry : FolderEntries(folder)) {
            if (std::binary_search(entries.begin(), entries.end(), entry))
                continue;
            ASSERT_TRUE(entry.front() == '.' && std::ranges::any_of(files, [&](const auto& f) {
                return entry.find(f.filename().string() + ".") != std::string::npos; })) << "left behind: " << entry;
            interrupted += std::filesystem::remove(folder / entry) ? 1 : 0; // gone before the next trial
        }
        before = after;
    }
    // The kills did land while writes went on and in the middle of them, or nothing was tested.
    EXPECT_GT(renewed, 0);
    EXPECT_GT(interrupted, 0);
}

INSTANTIATE_TEST_SUITE_P(Writers, CrashConsistency, ::testing::Values("SaveSettings", "SaveAddressBook", "MapCycle",
    "MapDetails", "Motd", "LaunchScript", "JoinScript"), [](const auto& p) { return std::string(p.param); });

// Writes in a child process whose files may not grow past 8 bytes, SIGXFSZ ignored so that the write fails
// with EFBIG instead of killing the child; the child reports the outcome through a pipe.
Outcome WriteUnderSizeLimit(const Writer& writer, const std::filesystem::path& layout) {
    const auto [child, input] = Fork([&](int out) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{8, 8};
        const Outcome o = setrlimit(RLIMIT_FSIZE, &limit) == 0 ? writer.run(layout, 7) : Outcome{true, {}, false};
        const std::string report = std::string(o.ok ? "1" : "0") + (o.gameRequested ? "1" : "0") + o.why;
        return ::write(out, report.data(), report.size()) == static_cast<ssize_t>(report.size()) ? 0 : 101;
    });
    int status = 0; // the report is one write shorter than the pipe's atomic size, read whole once the child ended
    char report[4096];
    const bool ended = child > 0 && ::waitpid(child, &status, 0) == child && status == 0;
    const ssize_t n = ended ? ::read(input, report, sizeof report) : 0;
    ::close(input);
    return n < 2 ? Outcome{true, "the child did not report, status " + std::to_string(status), false}
                 : Outcome{report[0] == '1', std::string(report + 2, report + n), report[1] == '1'};
}

// What stands below folder: its entries with the bytes of its files.
std::map<std::string, std::string> Snapshot(const std::filesystem::path& folder) {
    std::map<std::string, std::string> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        found[PathText(entry.path())] = entry.is_regular_file() ? ReadBytes(entry.path()) : "a folder";
    return found;
}

TEST(WriteFailure, IsReportedAndChangesNothing) {
    // Each writer that test_ini.cpp and test_mapedit.cpp do not fail under a size limit (EFBIG), a regular file where
    // its folder should be (ENOTDIR) and a missing folder (ENOENT): it fails, names the file and the system's reason,
    // leaves what was there as it was and starts no game. An empty created file passes any size limit.
    for (const std::string name :
         {"SaveAddressBook", "GameLocation", "MapDetails", "MapDetailsCreated", "Motd", "LaunchScript", "JoinScript"})
        for (const int error : {EFBIG, ENOTDIR, ENOENT}) {
            if (name == "MapDetailsCreated" && error == EFBIG)
                continue;
            SCOPED_TRACE(name + ": " + std::strerror(error));
            TempDir dir;
            const std::filesystem::path layout = dir / "start"; // the start folder too may be made no folder
            PrepareLayout(layout);
            const Writer& writer = *WriterNamed(name);
            const std::filesystem::path file = layout / writer.files.front(), folder = file.parent_path();
            if (error != EFBIG && std::filesystem::remove_all(folder) > 0 && error == ENOTDIR)
                WriteBytes(folder, "not a folder");
            const auto before = Snapshot(dir.path());
            const Outcome outcome = error == EFBIG ? WriteUnderSizeLimit(writer, layout) : writer.run(layout, 7);
            EXPECT_FALSE(outcome.ok || outcome.gameRequested) << outcome.why;
            EXPECT_TRUE(outcome.why.starts_with(PathText(file) + ": ")) << outcome.why;
            EXPECT_NE(outcome.why.find(std::strerror(error)), std::string::npos) << outcome.why;
            EXPECT_EQ(Snapshot(dir.path()), before); // byte for byte, and nothing added
        }
}

} // namespace
} // namespace trel::test

#endif
