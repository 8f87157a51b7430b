// Windows only: the executable check reads the name the file system stores, and the stand-in game,
// started the way Trel starts the game, runs the launch script Trel wrote and leaves its record; the
// exported command script, run by the command shell, leaves the same record.

#ifdef _WIN32

#include "launchexport.h"
#include "mdlmaincode.h"
#include "platform.h"
#include "test_helpers.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include <windows.h>

#ifndef TREL_STANDIN_GAME
#error "TREL_STANDIN_GAME must name the stand-in game's quake2.exe"
#endif

namespace {

using trel::LaunchOptions;
using trel::LaunchRequest;
using trel::PathText;
using trel::test::ReadBytes;
using trel::test::TempDir;
using trel::test::WriteBytes;

TEST(WindowsExecutable, StoredNameMustBeExactlyQuake2Exe) {
    // The name created (none: nothing; ending in "/": a folder), the name asked, what StoredFileName finds
    // and whether it is the game. One folder per case: Windows folds letter case in file names.
    struct Case {
        std::string created, asked;
        std::optional<std::string> stored;
        bool isGame;
    };
    const std::vector<Case> cases = {
        {"quake2.exe", "quake2.exe", "quake2.exe", true},  {"quake2.exe", "QUAKE2.EXE", "quake2.exe", true},
        {"Quake2.exe", "Quake2.exe", "Quake2.exe", false}, {"Quake2.exe", "quake2.exe", "Quake2.exe", false},
        {"QUAKE2.EXE", "quake2.exe", "QUAKE2.EXE", false}, {"quake2", "quake2", "quake2", false},
        {"", "quake2.exe", std::nullopt, false},           {"quake2.exe/", "quake2.exe", std::nullopt, false},
        {"quake2.exe", "quake?.exe", std::nullopt, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.created + " asked as " + c.asked);
        TempDir dir;
        if (!c.created.empty() && c.created.back() == '/')
            std::filesystem::create_directory(dir / c.created.substr(0, c.created.size() - 1));
        else if (!c.created.empty())
            WriteBytes(dir / c.created, "MZ");
        EXPECT_EQ(trel::StoredFileName(dir / c.asked), c.stored);
        EXPECT_EQ(trel::IsGameExecutable(dir / c.asked), c.isGame);
        // As the launcher checks it: the path read back from the settings file's text.
        EXPECT_EQ(trel::IsGameExecutable(trel::PathFromText(PathText(dir / c.asked))), c.isGame);
    }
}

TEST(WindowsScript, TextsInTheCodePageTheCommandShellReadsFirstWhenItHoldsThem) {
    if (GetACP() != 1252 || GetOEMCP() != 437)
        GTEST_SKIP() << "the texts below are written for the code pages 1252 and 437";
    // An e with acute accent is in both code pages; the euro sign only in the ANSI one, so that text stays
    // as it is and the script switches to the ANSI code page.
    std::vector<std::string> texts = {"C:\\Q2 \xe9t\xe9", "+set"};
    EXPECT_EQ(trel::ScriptCodePage(texts), 437u);
    EXPECT_EQ(texts, (std::vector<std::string>{"C:\\Q2 \x82t\x82", "+set"}));
    std::vector<std::string> euro = {"C:\\Q2 \x80", "+set"};
    EXPECT_EQ(trel::ScriptCodePage(euro), 1252u);
    EXPECT_EQ(euro, (std::vector<std::string>{"C:\\Q2 \x80", "+set"}));
}

// Quotes one argument so that the C runtime of the started program splits it back as it was.
std::string QuoteArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos)
        return argument;
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted.push_back(c);
    }
    return quoted.append(backslashes * 2, '\\') + "\"";
}

// Starts the request's program in its working directory and waits for it: its exit code, or nothing
// when it could not be started.
std::optional<DWORD> RunAndWait(const LaunchRequest& request) {
    std::string commandLine = QuoteArgument(request.program);
    for (const std::string& argument : request.arguments)
        commandLine += " " + QuoteArgument(argument);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(request.program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        request.workingDirectory.c_str(), &startup, &process))
        return std::nullopt;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 0;
    const BOOL known = GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return known ? std::optional<DWORD>(exitCode) : std::nullopt;
}

LaunchOptions Options(int gametype, int map, int dedicated, std::string addparam) {
    LaunchOptions options;
    options.DMflags = 1040;
    options.Dedicated = dedicated;
    options.Booltimelimit = 1;
    options.Valtimelimit = "20";
    options.Gametype = gametype;
    options.Map = map;
    options.addparam = std::move(addparam);
    return options;
}

TEST(WindowsGameStart, StandInGameRunsTheLaunchScriptTrelWrote) {
    const std::filesystem::path standIn(TREL_STANDIN_GAME);
    ASSERT_TRUE(std::filesystem::is_regular_file(standIn)) << TREL_STANDIN_GAME;
    // The options and the Quake 2 folder's name (in the ANSI code page; with a blank, as "Program Files" has).
    const std::vector<std::pair<LaunchOptions, std::string>> cases = {
        {Options(3, 1, 0, ""), "Quake 2"},                       // deathmatch
        {Options(0, 4, 1, "set developer 1"), "Quake 2"},        // dedicated single player
        {Options(-1, 0, 0, "echo \"quoted words\""), "Quake 2"}, // no game type chosen
        // Everything a command script acts on, and letters beyond ASCII (\xe9 is an e with acute accent).
        {Options(1, 2, 0, "say \"a&b\" 100% ^x !y! (z) & | <>"), "Q2 it's 100% !a! & ^ (x) `$HOME` ;,= \xe9t\xe9"},
    };
    for (const auto& [options, folderName] : cases) {
        SCOPED_TRACE(folderName + " " + options.addparam);
        TempDir dir;
        const std::filesystem::path folder = dir.path() / trel::PathFromText(folderName);
        std::filesystem::create_directories(folder / "vorn");
        std::filesystem::copy_file(standIn, folder / "quake2.exe");
        const trel::SharedValues shared{dir.path(), PathText(folder / "quake2.exe"), PathText(folder), 1};

        const trel::LaunchPreparation preparation = trel::PrepareLaunch(shared, options);
        ASSERT_EQ(preparation.outcome, trel::LaunchOutcome::Ready) << preparation.why;
        const std::optional<DWORD> exitCode = RunAndWait(preparation.request);
        ASSERT_TRUE(exitCode.has_value()) << "could not start " << preparation.request.program;
        EXPECT_EQ(*exitCode, 0u);

        // What the game was given, as the launcher prepared it: every argument, the working folder, and
        // every line of the script in the modification folder.
        std::string expected = "start\n";
        for (const std::string& argument : preparation.request.arguments)
            expected += "arg " + argument + "\n";
        expected += "cwd " + PathText(folder) + "\nexec trel_launcher.cfg\n";
        for (const std::string& line : trel::LaunchScriptLines(options))
            expected += "line " + line + "\n";
        const std::filesystem::path record = folder / "vorn" / "standin_record.txt";
        const std::string runRecord = ReadBytes(record);
        EXPECT_EQ(runRecord, expected + "end\n");

        // The exported script, run by the command shell from another folder, does the same.
        std::filesystem::remove(record);
        WriteBytes(folder / "vorn" / "trel_launcher.cfg", "an older, longer launch script\r\n\r\n\r\n");
        const std::filesystem::path script = dir / "out dir" / "vorn-launch.bat";
        std::filesystem::create_directories(script.parent_path());
        const trel::LaunchPreparation exported = trel::ExportLaunch(shared, options, script);
        ASSERT_EQ(exported.outcome, trel::LaunchOutcome::Ready) << exported.why;
        char system[MAX_PATH] = {};
        ASSERT_GT(GetSystemDirectoryA(system, MAX_PATH), 0u);
        const std::optional<DWORD> shellExit = RunAndWait(
            LaunchRequest{std::string(system) + "\\cmd.exe", {"/c", PathText(script)}, PathText(dir.path())});
        ASSERT_TRUE(shellExit.has_value());
        EXPECT_EQ(*shellExit, 0u);
        EXPECT_EQ(ReadBytes(record), runRecord);
        EXPECT_EQ(ReadBytes(folder / "vorn" / "trel_launcher.cfg"), trel::LaunchScriptText(options));
    }
}

} // namespace

#endif // _WIN32
