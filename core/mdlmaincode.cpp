#include "mdlmaincode.h"

#include "mdlIniStuff.h"
#include "platform.h"

#include <cstdio>
#include <limits>
#include <tuple>

namespace trel {
namespace {

constexpr std::string_view kLaunchScript = "trel_launcher.cfg";

bool IsNumberBlank(char c) { return c == ' ' || c == '\t'; }

bool Ticked(int checkState) { return checkState == 1; }

enum class KeyKind { Text, Flags, CheckState, GameType, Map };

KeyKind KindOf(SettingsKey key) {
    switch (key) {
    case SettingsKey::DMflags:
        return KeyKind::Flags;
    case SettingsKey::Valmaxclients:
    case SettingsKey::Valtimelimit:
    case SettingsKey::Valgemgoal:
    case SettingsKey::Valmaxgems:
    case SettingsKey::serverini:
        return KeyKind::Text;
    case SettingsKey::Gametype:
        return KeyKind::GameType;
    case SettingsKey::Map:
        return KeyKind::Map;
    default:
        return KeyKind::CheckState;
    }
}

std::string_view KeyName(SettingsKey key) { return kSettingsKeys[static_cast<std::size_t>(key)]; }

// Converts the stored text of a numeric key; on failure error says which key, value and file.
std::optional<std::int32_t> ConvertKey(SettingsKey key, std::string_view text, const std::filesystem::path& file,
                              std::optional<LoadError>& error) {
    const std::string where = "The setting " + std::string(KeyName(key)) + " in section Settings of " +
                              PathText(file);
    if (text.empty()) {
        error = LoadError{where + " is missing or empty, and it must be a whole number", kErrorNotANumber};
        return std::nullopt;
    }
    bool overflow = false;
    const auto number = ParseWholeNumber(text, &overflow);
    if (!number) {
        error = overflow ? LoadError{where + " holds " + QuotedValue(text) + ", which is too large", kErrorOverflow}
                         : LoadError{where + " holds " + QuotedValue(text) + ", which is not a whole number",
                                     kErrorNotANumber};
        return std::nullopt;
    }
    const auto outOfRange = [&](const char* what) {
        error = LoadError{where + " holds " + QuotedValue(text) + ", which is not " + what, kErrorOutOfRange};
        return std::nullopt;
    };
    switch (KindOf(key)) {
    case KeyKind::CheckState:
        if (*number < 0 || *number > 2)
            return outOfRange("a check state (0, 1 or 2)");
        break;
    case KeyKind::GameType:
        if (*number < -1 || *number >= static_cast<int>(kGameTypeNames.size()))
            return outOfRange("a game type (-1 to 3)");
        break;
    case KeyKind::Map:
        if (*number < -1 || *number >= static_cast<int>(kStandardMaps.size()))
            return outOfRange("a start map (-1 to 4)");
        break;
    case KeyKind::Flags: // any 32-bit total is a valid flags value
    case KeyKind::Text:
        break;
    }
    return number;
}

} // namespace

std::string QuotedValue(std::string_view text) {
    // Long or binary values would swamp the message; show enough to recognise the value.
    constexpr std::size_t kShown = 40;
    std::string shown(text.substr(0, kShown));
    if (text.size() > kShown)
        shown += "...";
    return "\"" + shown + "\"";
}

std::string FormatLoadError(const LoadError& error) {
    // A non-negative number is preceded by one blank, so two blanks follow the hyphen.
    const std::string number = error.number >= 0 ? " " + std::to_string(error.number) : std::to_string(error.number);
    return error.description + " - " + number;
}

std::optional<std::int32_t> ParseWholeNumber(std::string_view text, bool* overflow) {
    if (overflow)
        *overflow = false;
    while (!text.empty() && IsNumberBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsNumberBlank(text.back()))
        text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    std::int64_t value = 0;
    constexpr std::int64_t kLimit = static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1;
    bool tooLarge = false;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        if (!tooLarge) {
            value = value * 10 + (c - '0');
            tooLarge = value > kLimit;
        }
    }
    if (tooLarge || (!negative && value == kLimit)) {
        if (overflow)
            *overflow = true;
        return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

SettingsLoad ReadSettingsForLoad(const std::filesystem::path& iniFile) {
    SettingsLoad load;
    // Every value in one batch through the store; a missing or unreadable file reads as "" for every key.
    std::vector<IniKey> keys = {{"Quake2exe", "Path"}, {"Quake2exe", "Dir"}};
    for (const std::string_view key : kSettingsKeys)
        keys.push_back({"Settings", std::string(key)});
    const std::vector<std::string> values = ReadIniValues(keys, iniFile);
    load.Quake2Path = values[0];
    load.Quake2Folder = values[1];
    const auto stored = [&](std::size_t i) { return values[2 + i]; };

    load.DMflags = ConvertKey(SettingsKey::DMflags, stored(0), iniFile, load.error);
    if (!load.DMflags)
        return load;

    for (std::size_t i = 1; i < kSettingsKeys.size(); ++i) {
        const auto key = static_cast<SettingsKey>(i);
        LoadStep step{key, stored(i), 0};
        if (KindOf(key) != KeyKind::Text) {
            const auto number = ConvertKey(key, step.text, iniFile, load.error);
            if (!number)
                return load;
            step.number = *number;
        }
        load.steps.push_back(std::move(step));
    }
    return load;
}

std::vector<std::int32_t> DmFlagsToTick(std::int32_t stored) {
    std::vector<std::int32_t> ticked;
    if (stored <= 0)
        return ticked;
    std::int32_t rest = stored;
    constexpr std::int32_t kLargest = kDmFlagValues.back();
    if (rest >= kLargest) {
        // The largest box is ticked once however often its value fits; what remains below it follows.
        ticked.push_back(kLargest);
        rest %= kLargest;
    }
    for (auto it = kDmFlagValues.rbegin(); it != kDmFlagValues.rend(); ++it) {
        if (*it != kLargest && (rest & *it) != 0)
            ticked.push_back(*it);
    }
    return ticked;
}

std::int32_t AddDmFlag(std::int32_t total, std::int32_t flag) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(total) + static_cast<std::uint32_t>(flag));
}

std::vector<std::pair<std::string, std::string>> SettingsToSave(const LaunchOptions& o, std::string_view dmflagsText) {
    const auto n = [](int value) { return std::to_string(value); };
    const std::array<std::string, 16> values = {std::string(dmflagsText),
                                                n(o.Dedicated),
                                                n(o.Boolmaxclients),
                                                o.Valmaxclients,
                                                n(o.Booltimelimit),
                                                o.Valtimelimit,
                                                n(o.Boolgemgoal),
                                                o.Valgemgoal,
                                                n(o.MonsterRespawn),
                                                n(o.Forcejoin),
                                                n(o.Gametype),
                                                n(o.Commandline),
                                                n(o.Map),
                                                n(o.Boolmaxgems),
                                                o.Valmaxgems,
                                                o.serverini};
    std::vector<std::pair<std::string, std::string>> pairs;
    pairs.reserve(values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        pairs.emplace_back(std::string(kSettingsKeys[i]), values[i]);
    return pairs;
}

namespace {

// One line of the launch script and the option it comes from, for the messages that refuse it.
struct ScriptLine {
    std::string text;
    std::string_view option;
};

std::vector<ScriptLine> ScriptLinesOf(const LaunchOptions& o) {
    std::vector<ScriptLine> lines;
    const int g = o.Gametype;
    if (g >= 0) {
        lines.push_back({"set gametype " + std::to_string(g), "Gametype"});
        if (g == kGameTypeSinglePlayer)
            lines.push_back({"set sp 1", "Gametype"});
    } else {
        lines.push_back({"set gametype 3", "Gametype"});
    }
    // Force-join only means something in the team games. The modification is not loaded before the map
    // line, so a bare "forcejoin 1" would be dropped; "set" creates the variable for it to find.
    if ((g == 1 || g == 2) && Ticked(o.Forcejoin))
        lines.push_back({"set forcejoin 1", "Forcejoin"});
    lines.push_back({"set dmflags " + std::to_string(o.DMflags), "DM flags value"});
    if (Ticked(o.Booltimelimit))
        lines.push_back({"set vorn_timelimit " + o.Valtimelimit, "Timelimit"});
    if (Ticked(o.Boolmaxclients))
        lines.push_back({"set maxclients " + o.Valmaxclients, "Maxclients"});
    if (Ticked(o.Boolgemgoal))
        lines.push_back({"set gem_goal " + o.Valgemgoal, "Gem Goal"});
    if (Ticked(o.Boolmaxgems))
        lines.push_back({"set max_gems " + o.Valmaxgems, "Max Gems"});
    if (Ticked(o.MonsterRespawn))
        lines.push_back({"set monster_respawn 1", "Monster Respawn"});
    if (!o.addparam.empty())
        lines.push_back({o.addparam, "Additional Parameters"});
    lines.push_back({"set server_ini " + (o.serverini.empty() ? std::string("vorn.ini") : ScriptWord(o.serverini)),
                     "Custom server ini"});
    lines.push_back({"map " + MapName(o.Map), "Start Map"});
    return lines;
}

bool IsPlainNameByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == '.';
}

bool IsControlByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b < 0x20 || b == 0x7f;
}

} // namespace

std::string ScriptWord(std::string_view value) {
    // The console cuts words at blanks, control characters and bytes from 0x80, splits commands at ";",
    // expands "$" and comments out "//"; inside double quotes none of this happens.
    for (const char c : value) {
        if (!IsPlainNameByte(c))
            return "\"" + std::string(value) + "\"";
    }
    return std::string(value);
}

std::optional<char> UnsafeServerIniCharacter(std::string_view name) {
    // A quotation mark cannot be carried inside the quoted word, and a control character ends or splits it.
    for (const char c : name) {
        if (c == '"' || IsControlByte(c))
            return c;
    }
    return std::nullopt;
}

std::optional<std::string> LaunchScriptRefusal(const LaunchOptions& o) {
    if (const auto c = UnsafeServerIniCharacter(o.serverini))
        return "The Custom server ini may not contain " + DescribeCharacter(*c) + ".";
    const std::array<std::tuple<int, const std::string*, std::string_view>, 4> limits = {{
        {o.Booltimelimit, &o.Valtimelimit, "Timelimit"},
        {o.Boolmaxclients, &o.Valmaxclients, "Maxclients"},
        {o.Boolgemgoal, &o.Valgemgoal, "Gem Goal"},
        {o.Boolmaxgems, &o.Valmaxgems, "Max Gems"},
    }};
    for (const auto& [state, value, option] : limits) {
        if (Ticked(state) && value->empty())
            return "The " + std::string(option) + " box is ticked but has no value.";
    }
    for (const auto& line : ScriptLinesOf(o)) {
        if (line.text.size() > kLongestScriptLine)
            return "The " + std::string(line.option) + " line is " + std::to_string(line.text.size()) +
                   " bytes long; Quake 2 reads at most 1,000 bytes a line.";
    }
    return std::nullopt;
}

std::string DescribeCharacter(char c) {
    if (c == ';')
        return "the semicolon (;)";
    if (c == '"')
        return "the quotation mark (\")";
    if (c == ' ')
        return "the blank";
    if (c == '$')
        return "the dollar sign ($)";
    if (c == '/')
        return "the double slash (//)";
    const auto b = static_cast<unsigned char>(c);
    char code[8];
    std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned>(b));
    if (b >= 0x80)
        return "the byte " + std::string(code);
    std::string text = "the control character " + std::string(code);
    switch (c) {
    case '\t':
        return text + " (tab)";
    case '\n':
        return text + " (line feed)";
    case '\r':
        return text + " (carriage return)";
    default:
        return IsControlByte(c) ? text : "the character " + std::string(1, c);
    }
}

std::vector<std::string> LaunchScriptLines(const LaunchOptions& o) {
    std::vector<std::string> lines;
    for (auto& line : ScriptLinesOf(o))
        lines.push_back(std::move(line.text));
    return lines;
}

std::string LaunchScriptText(const LaunchOptions& options) {
    std::string text;
    for (const auto& line : LaunchScriptLines(options))
        text += line + "\r\n";
    return text;
}

std::string CommandText(const std::string& quake2Path, bool dedicated) {
    return quake2Path + (dedicated ? " +set game vorn +set dedicated 1 +exec " : " +set game vorn +exec ") +
           std::string(kLaunchScript);
}

LaunchRequest GameLaunchRequest(const SharedValues& shared, bool dedicated, std::string_view script) {
    LaunchRequest request{shared.Quake2Path, {"+set", "game", "vorn"}, shared.Quake2Folder};
    if (dedicated)
        request.arguments.insert(request.arguments.end(), {"+set", "dedicated", "1"});
    request.arguments.insert(request.arguments.end(), {"+exec", std::string(script)});
    return request;
}

std::vector<std::filesystem::path> EngineHomeModFolders(std::string_view home) {
    if (home.empty())
        return {};
    const std::filesystem::path base = PathFromText(std::string(home));
    return {base / ".yq2" / "vorn", base / ".local" / "share" / "YamagiQ2" / "vorn", base / ".quake2" / "vorn"};
}

std::optional<std::filesystem::path> StaleEngineScript(std::string_view home, std::string_view script) {
    for (const auto& folder : EngineHomeModFolders(home)) {
        std::error_code error;
        if (std::filesystem::exists(folder / script, error))
            return folder / script;
    }
    return std::nullopt;
}

std::string StaleScriptQuestion(const std::filesystem::path& stale) {
    return "Quake 2 may run the older script " + PathText(stale) +
           " instead of the one Trel writes now. Trel leaves that file alone.\n\nStart the game anyway?";
}

LaunchPreparation CheckLaunch(const SharedValues& shared, const LaunchOptions& options) {
    if (!IsGameExecutable(PathFromText(shared.Quake2Path)))
        return {LaunchOutcome::WrongExecutable, {}, {}};
    if (MapName(options.Map).empty())
        return {LaunchOutcome::NoMap, {}, {}};
    if (auto refusal = LaunchScriptRefusal(options))
        return {LaunchOutcome::Refused, {}, std::move(*refusal)};
    return {};
}

std::filesystem::path LaunchScriptFile(const SharedValues& shared) { return ModDir(shared.Quake2Folder) / kLaunchScript; }

LaunchRequest GameLaunchRequest(const SharedValues& shared, const LaunchOptions& options) {
    return GameLaunchRequest(shared, Ticked(options.Dedicated), kLaunchScript);
}

LaunchPreparation PrepareLaunch(const SharedValues& shared, const LaunchOptions& options, std::string_view engineHome,
                                bool goOnDespiteStale) {
    if (LaunchPreparation checked = CheckLaunch(shared, options); checked.outcome != LaunchOutcome::Ready)
        return checked;
    if (!goOnDespiteStale) {
        if (const auto stale = StaleEngineScript(engineHome, kLaunchScript))
            return {LaunchOutcome::StaleScript, {}, StaleScriptQuestion(*stale)};
    }
    LaunchPreparation preparation;
    if (!WriteFileAtomic(LaunchScriptFile(shared), LaunchScriptText(options), preparation.why)) {
        preparation.outcome = LaunchOutcome::ScriptNotWritten;
        return preparation;
    }
    preparation.request = GameLaunchRequest(shared, options);
    return preparation;
}

std::string BuildCommandLineText(const std::string& quake2Path, const LaunchOptions& o) {
    std::string text = quake2Path + " +set game vorn ";
    if (Ticked(o.Dedicated))
        text += "+set dedicated 1 ";
    text += "+set gametype " + std::to_string(o.Gametype >= 0 ? o.Gametype : kGameTypeDeathmatch) + " ";
    if (Ticked(o.Forcejoin))
        text += "+set forcejoin 1 ";
    text += "+set dmflags " + std::to_string(o.DMflags) + " ";
    if (Ticked(o.Booltimelimit))
        text += "+set vorn_timelimit " + o.Valtimelimit + " ";
    if (Ticked(o.Boolmaxclients))
        text += "+set maxclients " + o.Valmaxclients + " ";
    if (Ticked(o.Boolgemgoal))
        text += "+set gem_goal " + o.Valgemgoal + " ";
    if (Ticked(o.Boolmaxgems))
        text += "+set max_gems " + o.Valmaxgems + " ";
    if (Ticked(o.MonsterRespawn))
        text += "+set monster_respawn 1 ";
    if (!o.addparam.empty())
        text += "+ " + o.addparam + " ";
    text += "+ set server_ini " + ScriptWord(o.serverini) + " ";
    if (const std::string map = MapName(o.Map); !map.empty())
        text += "+map " + map + " ";
    if (o.Gametype == kGameTypeSinglePlayer)
        text += "+sp 1";
    return text;
}

} // namespace trel
