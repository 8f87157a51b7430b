// Injected write failures for the writers whose failures test_ini.cpp and test_mapedit.cpp do not cover: a
// file-size limit in a child process, a regular file where the folder should be, a missing folder. Each write
// must fail, name the file and the system's reason, leave what was there as it was and start no game.
// Permission bits cannot make a write fail here: the tests may run as root.

#ifndef _WIN32

#include "hardening_writers.h"
#include "test_helpers.h"

#include <gtest/gtest.h>

#include <cerrno>
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

} // namespace
} // namespace trel::test

#endif
