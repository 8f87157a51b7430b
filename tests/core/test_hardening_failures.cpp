// Injected write failures for the writers whose failures test_ini.cpp and test_mapedit.cpp do not already
// cover (those cover WriteIni, WriteIniValues and the map cycle writer): a file-size limit in a child
// process, a regular file where the folder should be, and a missing folder. Each must fail, name the file
// and the system's reason, leave the previous file as it was, leave nothing behind, and start no game.
// Permission bits cannot make a write fail here: the tests may run as root.

#ifndef _WIN32

#include "hardening_writers.h"
#include "test_helpers.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace trel::test {
namespace {

enum class Failure { SizeLimit, ParentIsAFile, MissingFolder };

struct Outcome {
    bool ok = false;
    std::string why;
    bool gameRequested = false; // a launch or join produced a request to start the game
};

// The writers of this table: what one write does, which file it must name on failure, and the folder
// that holds that file.
enum class Target { AddressBook, StoreQuake2Exe, MapDetails, Motd, MapDetailsCreated, LaunchScript, JoinScript };

struct Case {
    const char* name;
    Target target;
    Failure failure;
};
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

std::filesystem::path NamedFile(Target target, const Layout& layout) {
    switch (target) {
    case Target::AddressBook:
    case Target::StoreQuake2Exe:
        return layout.ini();
    case Target::MapDetails:
        return layout.mod() / "vorn.ini";
    case Target::Motd:
        return layout.mod() / "motd.txt";
    case Target::MapDetailsCreated:
        return layout.mod() / "vorn_sp.ini";
    case Target::LaunchScript:
        return layout.mod() / "trel_launcher.cfg";
    case Target::JoinScript:
        return layout.mod() / "trel_connect.cfg";
    }
    return {};
}

Outcome Write(Target target, const Layout& layout) {
    Outcome outcome;
    switch (target) {
    case Target::AddressBook:
        outcome.ok = SaveAddressBook(RowsFor(7), layout.ini(), outcome.why);
        break;
    case Target::StoreQuake2Exe:
        outcome.ok = StoreQuake2Exe(layout.ini(), "/new place/quake2", "/new place", outcome.why);
        break;
    case Target::MapDetails:
        outcome.ok = SaveTextFile(layout.mod() / "vorn.ini", EditorTextFor(7, "vorn01"), outcome.why);
        break;
    case Target::Motd:
        outcome.ok = SaveTextFile(layout.mod() / "motd.txt", MotdFor(7), outcome.why);
        break;
    case Target::MapDetailsCreated: {
        // Opening the map-details editor creates a missing file empty.
        std::error_code ignored;
        std::filesystem::remove(layout.mod() / "vorn_sp.ini", ignored);
        const TextFileLoad load = LoadTextFile(layout.mod() / "vorn_sp.ini", WhenMissing::CreateEmpty);
        outcome.ok = load.ok;
        outcome.why = load.why;
        break;
    }
    case Target::LaunchScript: {
        const LaunchPreparation preparation = PrepareLaunch(layout.shared(), OptionsFor(7));
        outcome.ok = preparation.outcome == LaunchOutcome::Ready;
        outcome.why = preparation.why;
        outcome.gameRequested = !(preparation.request == LaunchRequest{});
        break;
    }
    case Target::JoinScript: {
        AddressBookRows rows;
        rows[0] = {"Server", ConnectAddressFor(7)};
        const ConnectPreparation preparation = PrepareConnect(layout.shared(), rows, 0);
        outcome.ok = preparation.outcome == ConnectOutcome::Ready;
        outcome.why = preparation.why;
        outcome.gameRequested = !(preparation.request == LaunchRequest{});
        break;
    }
    }
    return outcome;
}

// Runs the write in a child process whose files may not grow past a few bytes; the child reports its
// outcome through a pipe. SIGXFSZ is ignored there, so the write fails with EFBIG instead of killing it.
Outcome WriteUnderSizeLimit(Target target, const Layout& layout) {
    int fds[2];
    if (pipe(fds) != 0)
        return {true, "no pipe", false};
    const pid_t child = fork();
    if (child == 0) {
        ::close(fds[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{8, 8};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            _exit(100);
        const Outcome outcome = Write(target, layout);
        const std::string report = std::string(outcome.ok ? "1" : "0") + (outcome.gameRequested ? "1" : "0") + outcome.why;
        const bool sent = ::write(fds[1], report.data(), report.size()) == static_cast<ssize_t>(report.size());
        _exit(sent ? 0 : 101);
    }
    ::close(fds[1]);
    std::string report;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
        report.size() < 2)
        return {true, "the child did not report, status " + std::to_string(status), false};
    return {report[0] == '1', report.substr(2), report[1] == '1'};
}

std::map<std::string, std::string> Snapshot(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    if (!std::filesystem::is_directory(folder))
        return files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files[entry.path().filename().string()] = entry.is_regular_file() ? ReadBytes(entry.path()) : "<folder>";
    return files;
}

class WriteFailure : public ::testing::TestWithParam<Case> {};

TEST_P(WriteFailure, IsReportedAndChangesNothing) {
    const Case& c = GetParam();
    TempDir dir;
    const Layout layout{dir.path()};
    PrepareLayout(layout);
    const std::filesystem::path file = NamedFile(c.target, layout);
    const std::filesystem::path folder = file.parent_path();

    int expectedError = 0;
    switch (c.failure) {
    case Failure::SizeLimit:
        expectedError = EFBIG;
        break;
    case Failure::ParentIsAFile:
        std::filesystem::remove_all(folder);
        WriteBytes(folder, "not a folder");
        expectedError = ENOTDIR;
        break;
    case Failure::MissingFolder:
        std::filesystem::remove_all(folder);
        expectedError = ENOENT;
        break;
    }
    // The game's executable stays, so a launch or join gets as far as its script.
    ASSERT_TRUE(std::filesystem::is_regular_file(layout.game()) || folder == layout.folder);
    const auto folderBefore = Snapshot(folder);
    const auto startBefore = Snapshot(layout.folder);
    const std::string parentBefore = std::filesystem::is_regular_file(folder) ? ReadBytes(folder) : "";

    const Outcome outcome = c.failure == Failure::SizeLimit ? WriteUnderSizeLimit(c.target, layout)
                                                            : Write(c.target, layout);
    EXPECT_FALSE(outcome.ok) << outcome.why;
    EXPECT_FALSE(outcome.gameRequested);
    EXPECT_EQ(outcome.why.rfind(PathText(file) + ": ", 0), 0U) << outcome.why;
    EXPECT_NE(outcome.why.find(std::strerror(expectedError)), std::string::npos) << outcome.why;

    // Whatever was there before is there still, byte for byte, and nothing was added.
    EXPECT_EQ(Snapshot(folder), folderBefore);
    EXPECT_EQ(Snapshot(layout.folder), startBefore);
    switch (c.failure) {
    case Failure::SizeLimit:
        EXPECT_FALSE(folderBefore.empty());
        break;
    case Failure::ParentIsAFile:
        EXPECT_EQ(ReadBytes(folder), parentBefore);
        EXPECT_TRUE(std::filesystem::is_regular_file(folder));
        break;
    case Failure::MissingFolder:
        EXPECT_FALSE(std::filesystem::exists(folder));
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Writers, WriteFailure,
    ::testing::Values(Case{"AddressBookSizeLimit", Target::AddressBook, Failure::SizeLimit},
                      Case{"AddressBookParentIsAFile", Target::AddressBook, Failure::ParentIsAFile},
                      Case{"AddressBookMissingFolder", Target::AddressBook, Failure::MissingFolder},
                      Case{"GameLocationSizeLimit", Target::StoreQuake2Exe, Failure::SizeLimit},
                      Case{"GameLocationParentIsAFile", Target::StoreQuake2Exe, Failure::ParentIsAFile},
                      Case{"GameLocationMissingFolder", Target::StoreQuake2Exe, Failure::MissingFolder},
                      Case{"MapDetailsSizeLimit", Target::MapDetails, Failure::SizeLimit},
                      Case{"MapDetailsParentIsAFile", Target::MapDetails, Failure::ParentIsAFile},
                      Case{"MapDetailsMissingFolder", Target::MapDetails, Failure::MissingFolder},
                      Case{"MapDetailsCreatedParentIsAFile", Target::MapDetailsCreated, Failure::ParentIsAFile},
                      Case{"MapDetailsCreatedMissingFolder", Target::MapDetailsCreated, Failure::MissingFolder},
                      Case{"MotdSizeLimit", Target::Motd, Failure::SizeLimit},
                      Case{"MotdParentIsAFile", Target::Motd, Failure::ParentIsAFile},
                      Case{"MotdMissingFolder", Target::Motd, Failure::MissingFolder},
                      Case{"LaunchScriptSizeLimit", Target::LaunchScript, Failure::SizeLimit},
                      Case{"LaunchScriptParentIsAFile", Target::LaunchScript, Failure::ParentIsAFile},
                      Case{"LaunchScriptMissingFolder", Target::LaunchScript, Failure::MissingFolder},
                      Case{"JoinScriptSizeLimit", Target::JoinScript, Failure::SizeLimit},
                      Case{"JoinScriptParentIsAFile", Target::JoinScript, Failure::ParentIsAFile},
                      Case{"JoinScriptMissingFolder", Target::JoinScript, Failure::MissingFolder}),
    [](const ::testing::TestParamInfo<Case>& param) { return std::string(param.param.name); });

} // namespace
} // namespace trel::test

#endif
