#pragma once
// Launching: the settings keys and their conversions, the launch script, the command text and the
// command-line preview.

#include "mdlvariables.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace trel {

/// The sixteen keys of the Settings section, in the order they are saved and applied.
inline constexpr std::array<std::string_view, 16> kSettingsKeys = {
    "DMflags",     "Dedicated",      "Boolmaxclients", "Valmaxclients", "Booltimelimit", "Valtimelimit",
    "Boolgemgoal", "Valgemgoal",     "MonsterRespawn", "Forcejoin",     "Gametype",      "Commandline",
    "Map",         "Boolmaxgems",    "Valmaxgems",     "serverini"};

enum class SettingsKey {
    DMflags, Dedicated, Boolmaxclients, Valmaxclients, Booltimelimit, Valtimelimit, Boolgemgoal, Valgemgoal,
    MonsterRespawn, Forcejoin, Gametype, Commandline, Map, Boolmaxgems, Valmaxgems, serverini
};

/// Error numbers of a failed load.
inline constexpr int kErrorNotANumber = 13;   // text that is no whole number
inline constexpr int kErrorOverflow = 6;      // a whole number too large for its field
inline constexpr int kErrorOutOfRange = 380;  // a number the control cannot take

/// Why loading the settings stopped.
struct LoadError {
    std::string description;
    int number = 0;
};

/// A stored value as a message shows it: in quotation marks, cut after 40 characters.
std::string QuotedValue(std::string_view text);

/// description, " - ", then the number with one leading blank: "... -  13".
std::string FormatLoadError(const LoadError& error);

/// A stored whole number: optional blanks around it, an optional "+" or "-", then decimal digits only
/// (leading zeros allowed). Blanks inside, fractions, exponents and anything else are no whole number.
/// Returns nothing for text that is no whole number; overflow is set when the digits do not fit 32 bits.
std::optional<std::int32_t> ParseWholeNumber(std::string_view text, bool* overflow = nullptr);

/// One Settings key as the load applies it to the main window.
struct LoadStep {
    SettingsKey key;
    std::string text; // the stored text
    int number = 0;   // its whole number, for check states and list positions
};

/// What the load reads from the settings file, before anything reaches a window.
struct SettingsLoad {
    std::string Quake2Path;
    std::string Quake2Folder;
    std::optional<std::int32_t> DMflags;  // nothing when DMflags itself failed
    std::vector<LoadStep> steps;          // Dedicated to serverini in order, up to the failing key
    std::optional<LoadError> error;       // the failing key; later keys are not read
};

/// Reads the Quake2exe and Settings sections of iniFile (one read of the file) and converts every key.
SettingsLoad ReadSettingsForLoad(const std::filesystem::path& iniFile);

/// The deathmatch-flag boxes that loading the stored number ticks, largest first: its one-bits for
/// 0 to 65535, the 32768 box plus the one-bits of the remainder below 32768 for larger numbers,
/// none for zero or negative numbers.
std::vector<std::int32_t> DmFlagsToTick(std::int32_t stored);

/// Adds or removes one flag from the running total without overflow (the total wraps as a 32-bit number).
std::int32_t AddDmFlag(std::int32_t total, std::int32_t flag);

/// The sixteen Settings values in save order; DMflags is the text the user sees, which may differ from
/// the running total.
std::vector<std::pair<std::string, std::string>> SettingsToSave(const LaunchOptions& options,
                                                                 std::string_view dmflagsText);

/// The launch script's lines (without line ends) for the options.
std::vector<std::string> LaunchScriptLines(const LaunchOptions& options);

/// The launch script's bytes: every line followed by CR LF.
std::string LaunchScriptText(const LaunchOptions& options);

/// The command text the game is started with, for display and tests:
/// Quake2Path + " +set game vorn [+set dedicated 1 ]+exec trel_launcher.cfg".
std::string CommandText(const std::string& quake2Path, bool dedicated);

/// A game start: program, its arguments as separate items (no shell), and the working directory.
struct LaunchRequest {
    std::string program;
    std::vector<std::string> arguments;
    std::string workingDirectory;

    bool operator==(const LaunchRequest&) const = default;
};

/// The request for a start that executes script (a file name in the modification folder).
LaunchRequest GameLaunchRequest(const SharedValues& shared, bool dedicated, std::string_view script);

/// Quake 2 reads at most this many bytes of a script line; longer lines are refused.
inline constexpr std::size_t kLongestScriptLine = 1000;

/// value as one word of a console command: unchanged when it holds only letters, digits, "_", "-" and
/// ".", otherwise in double quotes.
std::string ScriptWord(std::string_view value);

/// The first character a custom server ini name cannot carry in the script: the quotation mark or a
/// control character. Nothing when the name is safe.
std::optional<char> UnsafeServerIniCharacter(std::string_view name);

/// How a message names a refused character: "the semicolon (;)", "the control character 0x0A (line feed)".
std::string DescribeCharacter(char c);

/// Why the options cannot go into a launch script the game reads as meant (a refused server ini
/// character, a ticked limit without a value, a line over kLongestScriptLine bytes), naming the option;
/// nothing when they can.
std::optional<std::string> LaunchScriptRefusal(const LaunchOptions& options);

/// The modification folders below home in which an engine on Linux looks before the Quake 2 folder.
/// Empty home gives none.
std::vector<std::filesystem::path> EngineHomeModFolders(std::string_view home);

/// The first of those folders that holds script, which such an engine would run instead of Trel's.
std::optional<std::filesystem::path> StaleEngineScript(std::string_view home, std::string_view script);

/// The question asked before a start when stale names such a script.
std::string StaleScriptQuestion(const std::filesystem::path& stale);

enum class LaunchOutcome { Ready, WrongExecutable, NoMap, Refused, StaleScript, ScriptNotWritten };

struct LaunchPreparation {
    LaunchOutcome outcome = LaunchOutcome::Ready;
    LaunchRequest request; // set when Ready
    std::string why;       // ScriptNotWritten: the file and the reason; Refused: the message; StaleScript: the question
};

/// The checks the Run button makes before anything is written: the executable, the map, then the script's
/// own checks (Refused, with the message in why).
LaunchPreparation CheckLaunch(const SharedValues& shared, const LaunchOptions& options);

/// The launch script's file: trel_launcher.cfg in the modification folder.
std::filesystem::path LaunchScriptFile(const SharedValues& shared);

/// The request the Run button makes for the options.
LaunchRequest GameLaunchRequest(const SharedValues& shared, const LaunchOptions& options);

/// Everything the Run button does before the game starts: the executable check, the map check, the
/// script checks, the stale-script check in engineHome's folders (skipped when goOnDespiteStale) and the
/// launch script in the modification folder. Nothing is written unless every check passes.
LaunchPreparation PrepareLaunch(const SharedValues& shared, const LaunchOptions& options,
                                std::string_view engineHome = {}, bool goOnDespiteStale = false);

/// The command-line preview: every option as a "+" command after the executable path.
std::string BuildCommandLineText(const std::string& quake2Path, const LaunchOptions& options);

/// Replaces modDir's vorn.ini with the marker block and one "[name]" line per map of the cycle, in order.
/// The old vorn.ini is first copied byte for byte to vorn.bak (an earlier backup stays when there is no
/// vorn.ini). The new text goes to a temporary file first and is moved into place last, so on any
/// failure vorn.ini is as it was, false is returned and why holds the file and the reason.
bool writemapcycle(const std::vector<std::string>& maps, const std::filesystem::path& modDir, std::string& why);
bool writemapcycle(const std::vector<std::string>& maps, const std::filesystem::path& modDir);

} // namespace trel
