// Windows only (run under Wine as a Windows program): the code page of the command shell's scripts, the
// stand-in game started as Trel starts it, and the system's profile functions against the portable settings store.

#ifdef _WIN32

#include "ini_portable.h"
#include "launchexport.h"
#include "mdlIniStuff.h"
#include "mdlmaincode.h"
#include "platform.h"
#include "test_helpers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <windows.h>

namespace {

using namespace trel;
using namespace trel::ini;
using namespace trel::test;

// An e with acute accent is in both code pages, so the script keeps the shell's OEM one; the euro sign only
// in the ANSI one, so those texts stay as they are and the script switches.
TEST(WindowsScript, TextsInTheCodePageTheCommandShellReadsFirstWhenItHoldsThem) {
    if (GetACP() != 1252 || GetOEMCP() != 437)
        GTEST_SKIP() << "the texts below are written for the code pages 1252 and 437";
    std::vector<std::string> texts = {"C:\\Q2 \xe9t\xe9", "+set"}, euro = {"C:\\Q2 \x80", "+set"};
    EXPECT_EQ(ScriptCodePage(texts), 437u);
    EXPECT_EQ(ScriptCodePage(euro), 1252u);
    EXPECT_EQ(texts, (std::vector<std::string>{"C:\\Q2 \x82t\x82", "+set"}));
    EXPECT_EQ(euro, (std::vector<std::string>{"C:\\Q2 \x80", "+set"}));
}

// Starts the request's program in its folder and waits: its exit code, or nothing when it did not start. The
// arguments hold no quotation marks, so quoting those with blanks is enough; a wrong split shows in the record.
std::optional<DWORD> RunAndWait(const LaunchRequest& request) {
    const auto quoted = [](const std::string& t) {
        return !t.empty() && t.find_first_of(" \t") == t.npos ? t : '"' + t + '"'; };
    std::string commandLine = quoted(request.program);
    for (const std::string& argument : request.arguments)
        commandLine += " " + quoted(argument);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(request.program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        request.workingDirectory.c_str(), &startup, &process))
        return std::nullopt;
    DWORD exitCode = 0;
    const bool known = WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0 &&
                       GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread), CloseHandle(process.hProcess);
    return known ? std::optional<DWORD>(exitCode) : std::nullopt;
}

// The game, and the exported script run by the command shell from another folder, get every argument, the
// working folder and every line of the launch script; the Quake 2 folder's name in the ANSI code page.
TEST(WindowsGameStart, StandInGameRunsTheLaunchScriptTrelWrote) {
    const auto options = [](int gametype, int map, int dedicated, std::string addparam) {
        return LaunchOptions{.DMflags = 1040, .Dedicated = dedicated, .Booltimelimit = 1, .Valtimelimit = "20",
                                   .Gametype = gametype, .Map = map, .serverini = {}, .addparam = std::move(addparam)};
    };
    // Deathmatch; dedicated single player; no game type; everything a command script acts on, and an e with
    // acute accent (\xe9) in the folder's name.
    const std::pair<LaunchOptions, std::string> cases[] = {{options(3, 1, 0, ""), "Quake 2"},
        {options(0, 4, 1, "set developer 1"), "Quake 2"}, {options(-1, 0, 0, "echo \"quoted words\""), "Quake 2"},
        {options(1, 2, 0, "say \"a&b\" 100% ^x !y! (z) & | <>"), "Q2 it's 100% !a! & ^ (x) `$HOME` ;,= \xe9t\xe9"}};
    for (const auto& [launch, folderName] : cases) {
        SCOPED_TRACE(folderName + " " + launch.addparam);
        TempDir dir;
        const std::filesystem::path folder = dir.path() / PathFromText(folderName);
        std::filesystem::create_directories(folder / "vorn");
        std::filesystem::copy_file(TREL_STANDIN_GAME, folder / "quake2.exe");
        const SharedValues shared{dir.path(), PathText(folder / "quake2.exe"), PathText(folder), 1};
        const LaunchPreparation preparation = PrepareLaunch(shared, launch);
        ASSERT_EQ(preparation.outcome, LaunchOutcome::Ready) << preparation.why;
        EXPECT_EQ(RunAndWait(preparation.request), std::optional<DWORD>(0)) << preparation.request.program;
        std::string expected = "start\n";
        for (const std::string& argument : preparation.request.arguments)
            expected += "arg " + argument + "\n";
        expected += "cwd " + PathText(folder) + "\nexec trel_launcher.cfg\n";
        for (const std::string& line : LaunchScriptLines(launch))
            expected += "line " + line + "\n";
        expected += "end\n";
        const std::filesystem::path record = folder / "vorn" / "standin_record.txt";
        EXPECT_EQ(ReadBytes(record), expected);
        std::filesystem::remove(record); // the same through the exported script, run by the command shell
        WriteBytes(folder / "vorn" / "trel_launcher.cfg", "an older, longer launch script\r\n\r\n\r\n");
        const std::filesystem::path script = dir / "vorn-launch.bat";
        const LaunchPreparation exported = ExportLaunch(shared, launch, script);
        ASSERT_EQ(exported.outcome, LaunchOutcome::Ready) << exported.why;
        char system[MAX_PATH] = {};
        ASSERT_GT(GetSystemDirectoryA(system, MAX_PATH), 0u);
        const LaunchRequest shell{std::string(system) + "\\cmd.exe", {"/c", PathText(script)}, PathText(dir.path())};
        EXPECT_EQ(RunAndWait(shell), std::optional<DWORD>(0));
        EXPECT_EQ(ReadBytes(record), expected);
        EXPECT_EQ(ReadBytes(folder / "vorn" / "trel_launcher.cfg"), LaunchScriptText(launch));
    }
}

// A read of each key, or (no keys) a write: WriteIni for one value, else WriteIniValues. file: the bytes before
// (nothing: no file); wineDeviation: why Wine reads otherwise, compared only outside Wine, where Windows reads
// windowsValue, as the portable store must.
struct DiffCase {
    std::string name; std::optional<std::string> file; std::string section; std::vector<std::string> keys;
    std::vector<std::pair<std::string, std::string>> values = {};
    const char* wineDeviation = nullptr; std::string windowsValue = {};
};

// Reads of any bytes, and writes into files in canonical form (CR LF, no blank lines, no blanks around "="):
// Wine's profile functions rewrite the whole file, so other writes are checked byte for byte in test_ini.cpp.
std::vector<DiffCase> Cases() {
    std::string l; // every position differs from its neighbours, so a cut in the wrong place shows
    for (std::size_t i = 0; i < 300; ++i)
        l += static_cast<char>('a' + (i * 7 + i / 26) % 26);
    const std::string settings = "[Quake2exe]\r\nUsed=1\r\nPath=C:\\Quake2\\quake2.exe\r\nDir=C:\\Quake2\r\n"
                                 "[Settings]\r\nDMflags=0\r\nDedicated=0\r\nMap=-1\r\nserverini=\r\n";
    const std::string ab = "[A]\r\nx=1\r\n[B]\r\ny=2\r\n";
    return {
        {"crlf", settings, "Quake2exe", {"Path", "Used"}},
        {"lf", "[Q]\nUsed=1\nPath=C:\\q2.exe\n", "Q", {"Path"}},
        {"lone_cr", "[Q]\rUsed=1\rPath=C:\\q2.exe\r", "Q", {"Path"}},
        {"mixed_line_ends", "[A]\r\na=1\n[B]\rb=2\r\nc=3", "B", {"b", "c"}},
        {"quotes", "[S]\r\na=\"quoted value\"\r\nb='quoted value'\r\nc=\"  x  \"\r\nd=\"\"\r\ne=\"x'\r\nf=\"\r\n"
                   "g=a \"b\" c\r\nh=  \"x\"  \r\n", "S", {"a", "b", "c", "d", "e", "f", "g", "h"}},
        {"blanks", "[S]\r\na   =   v  \r\nb\t=\tv\t\r\nc= a \t b \r\nd=\r\ne=a=b\r\nf=;not a comment\r\ndIR=C:\\Q2\r\n"
                   "Name 1=Home\r\nlast=end", "S", {"a", "b", "c", "d", "e", "f", "Dir", "Name 1", "last"}},
        {"indented", "  \t[S]\r\n \tk=v\r\n", "S", {"k"}},
        {"blanks_in_brackets", "[  S  ]\r\nk=v\r\n", "S", {"k"}},
        {"names_passed_with_blanks", "[Settings]\r\nMap=2\r\n", "  Settings ", {" Map  "}},
        {"section_case", "[QUAKE2EXE]\r\nDir=C:\\Q2\r\n", "quake2exe", {"Dir"}},
        {"duplicate_keys", "[S]\r\nk=first\r\nK=second\r\n", "S", {"k"}},
        {"duplicate_sections", "[S]\r\nk=first\r\n[T]\r\nk=t\r\n[s]\r\nk=second\r\nj=late\r\n", "S", {"k", "j"}},
        {"key_in_later_section", "[A]\r\nk=a\r\n[B]\r\nk=b\r\n", "B", {"k"}},
        {"head_with_text_after", "[S] where the settings live\r\nk=v\r\n", "S", {"k"}},
        {"head_with_key_after", "[S]k=v\r\n", "S", {"k"}},
        {"open_bracket_line", "[S]\r\nk=v\r\n[no closing bracket\r\nj=w\r\n", "S", {"k", "j"}},
        {"lines_before_first_section", "k=nowhere\r\n[S]\r\nx=1\r\n", "S", {"k"}},
        {"line_without_equals_only", "[S]\r\nk\r\nk v\r\n", "S", {"k"}},
        {"line_without_equals_elsewhere", "[S]\r\nsomething\r\nk=v\r\n", "S", {"k"}},
        {"semicolon_lines", "[S]\r\n;k=commented\r\nk=v\r\n;[T]\r\nj=w\r\n", "S", {"k", "j"}},
        {"long_values", "[S]\r\na=" + l.substr(0, 254) + "\r\nb=" + l.substr(0, 255) + "\r\nc=\"" + l.substr(0, 280) +
         "\"\r\n", "S", {"a", "b", "c"}},
        {"high_bytes", "[Sektion\xe9]\r\nSchl\xfcssel=\xe4\xf6\xfc \xc0\xff\xa0x\r\n", "Sektion\xe9", {"Schl\xfcssel"}},
        {"missing_file", std::nullopt, "S", {"k"}},
        {"empty_file", "", "S", {"k"}},
        {"missing_section", "[S]\r\nk=v\r\n", "T", {"k"}},
        {"missing_key", "[S]\r\nk=v\r\n", "S", {"x"}},
        {"write_new_file", std::nullopt, "Quake2exe", {}, {{"Used", "1"}}},
        {"write_empty_file", "", "S", {}, {{"k", "5"}}},
        {"write_new_section", "[Quake2exe]\r\nUsed=1\r\n", "Settings", {}, {{"Map", "2"}}},
        {"write_new_key_in_first_section", ab, "A", {}, {{"z", "3"}}},
        {"write_new_key_in_last_section", ab, "B", {}, {{"z", "3"}}},
        {"write_replaced_value", settings, "Settings", {}, {{"Map", "4"}}},
        {"write_keeps_key_spelling", "[Settings]\r\nDMFLAGS=7\r\nx=1\r\n", "settings", {}, {{"dmflags", "5"}}},
        {"write_longer_value", "[S]\r\nk=1\r\nl=2\r\n", "S", {}, {{"k", l}}},
        {"write_empty_value", "[S]\r\nk=old\r\nl=2\r\n", "S", {}, {{"k", ""}}},
        {"write_new_key_with_blanks", "[AB]\r\nServerName 1=Home\r\n", "AB", {}, {{"ServerName 2", "Work"}}},
        {"write_key_with_blanks", "[AB]\r\nServer 1=old\r\nServer 2=keep\r\n", "AB", {}, {{"Server 1", "new"}}},
        {"write_first_of_duplicate_keys", "[S]\r\nk=1\r\nk=2\r\n", "S", {}, {{"k", "9"}}},
        {"write_first_of_duplicate_sections", "[S]\r\nk=1\r\n[T]\r\nt=1\r\n[S]\r\nk=3\r\n", "S", {}, {{"k", "9"}}},
        {"write_new_key_into_first_duplicate_section", "[S]\r\na=1\r\n[S]\r\nk=3\r\n", "S", {}, {{"k", "9"}}},
        {"write_high_bytes", "[S]\r\nk=\xe9\r\n", "S", {}, {{"k", "\xfc\xe4 \xff"}}},
        {"write_quoted_value", "[S]\r\n", "S", {}, {{"k", "\"a b\""}}},
        {"write_path_value", "[Q]\r\nUsed=0\r\n", "Q", {}, {{"Path", "C:\\Program Files\\Quake 2\\quake2.exe"}}},
        {"write_several_to_new_file", std::nullopt, "S", {}, {{"DMflags", "16"}, {"Gametype", "-1"}, {"ini", ""}}},
        {"write_new_and_replaced", settings, "Settings", {}, {{"DMflags", "5"}, {"Gems", "1"}, {"dmflags", "6"}}},
        {"line_without_equals_before_key", "[S]\r\nk\r\nk=v\r\n", "S", {"k"}, {},
         "Windows takes no line without \"=\" for a key; Wine's key without value hides the later one", "v"},
        {"quoted_value_of_254", "[S]\r\nk=\"" + l.substr(0, 254) + "\"\r\n", "S", {"k"}, {},
         "Windows drops the quotes, then cuts to 254; Wine cuts, then drops a last character", l.substr(0, 254)},
        {"utf8_byte_order_mark", "\xef\xbb\xbf[S]\r\nk=v\r\n", "S", {"k"}, {},
         "Windows reads the mark's bytes in the code page, spoiling the head; Wine skips the mark", ""},
    };
}

// A read's values; a write's result and the bytes after (nothing: no file).
struct Outcome { std::vector<std::string> read; std::int16_t written = 0; std::optional<std::string> file; };

// One case through the system's functions (system) or the portable store, on a file of its own.
Outcome RunOn(bool system, const std::filesystem::path& file, const DiffCase& c) {
    if (c.file)
        WriteBytes(file, *c.file);
    Outcome outcome;
    for (const std::string& key : c.keys)
        outcome.read.push_back(system ? ReadIni(c.section, key, file) : ReadIniPortable(c.section, key, file));
    if (!c.keys.empty())
        return outcome;
    std::string why;
    const auto& [key, value] = c.values.at(0);
    outcome.written = c.values.size() == 1 ? (system ? WriteIni : WriteIniPortable)(c.section, key, value, file)
                      : (system ? WriteIniValues : WriteIniValuesPortable)(c.section, c.values, file, why);
    if (std::filesystem::exists(file))
        outcome.file = ReadBytes(file);
    return outcome;
}

// The same reads and the same written bytes from both stores, each on its own file; then each reads back
// every written value from the other's file.
TEST(IniDifferential, SystemFunctionsAndPortableStoreAgree) {
    TempDir dir;
    for (const DiffCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        const auto systemFile = dir / ("sys " + c.name + ".ini"), portableFile = dir / ("own " + c.name + ".ini");
        const Outcome portable = RunOn(false, portableFile, c);
        EXPECT_TRUE(!c.wineDeviation || portable.read == std::vector{c.windowsValue}) << c.wineDeviation;
        if (c.wineDeviation && UnderWine())
            continue;
        const Outcome system = RunOn(true, systemFile, c);
        EXPECT_EQ(system.read, portable.read);
        EXPECT_EQ(system.written, portable.written);
        EXPECT_EQ(system.file, portable.file);
        EXPECT_EQ(portable.written, c.keys.empty() ? 1 : 0);
        for (const auto& [key, value] : c.values) {
            EXPECT_EQ(ReadIniPortable(c.section, key, systemFile), ReadIni(c.section, key, portableFile)) << key;
            EXPECT_EQ(ReadIni(c.section, key, systemFile), ReadIniPortable(c.section, key, portableFile)) << key;
        }
    }
}

} // namespace

#endif // _WIN32
