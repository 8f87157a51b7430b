// The stand-in game: answers to the game's executable name so Trel can be run and tested on a machine
// without Quake 2. It takes the game's command texts ("+set NAME VALUE", "+exec FILE"), reads every
// executed script from the game folder and appends one record of the start to
// <cwd>/<game>/standin_record.txt:
//
//   start
//   arg <each argument, one per line>
//   cwd <working directory>
//   exec <script file name>        (one block per +exec, in order)
//   line <each script line, without its line end>
//   error script <path> not found  (instead of the lines when the script is missing)
//   end
//
// Lines of the record end with LF. Script lines end with CR LF, LF or CR and are copied byte for byte.
// A line end inside an argument or folder name is written as the two characters \n or \r, so that
// every item stays on its own line of the record.
//
// Exit codes: 0 started, 1 no game folder or the record could not be written, 2 a script is missing,
// 3 the dedicated server could not take its port.
//
// With "+set dedicated 1" it then also acts as a dedicated server, as the game does: it answers Quake 2's
// status query ("\xff\xff\xff\xffstatus", optionally followed by more words) on UDP 127.0.0.1 only, port 27910
// or the value of "port", with the values the command line and the executed scripts set (maxclients,
// timelimit or vorn_timelimit, dmflags, hostname, mapname from the "map" line, gamename vorn) and the
// players listed in <game>/standin_players.txt, one "frags ping name" per line, read for every answer. It
// ends by itself after ten minutes, when its game folder is removed, or when it is ended. Once serving it
// lets go of the standard streams, so a starter that reads them is not held open for those ten minutes.
//
// Standard C++ only, and the server part POSIX sockets: on Windows a dedicated start is recorded and
// ends as any other start. On Windows it sees names in the ANSI code page, as the game, an 8-bit
// program, does.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
std::string Text(const fs::path& path) {
    const std::wstring& wide = path.native();
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                         nullptr);
    std::string text(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size, nullptr, nullptr);
    return text;
}

fs::path PathOf(std::string_view text) {
    const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return fs::path(wide);
}
#else
std::string Text(const fs::path& path) { return path.string(); }
fs::path PathOf(std::string_view text) { return fs::path(text); }
#endif

constexpr std::string_view kDefaultGame = "baseq2";
constexpr std::string_view kRecordName = "standin_record.txt";
constexpr std::string_view kPlayersName = "standin_players.txt";
constexpr int kExitOk = 0;
constexpr int kExitNoGameFolder = 1;
constexpr int kExitScriptMissing = 2;
constexpr int kExitNoServerPort = 3;

struct Options {
    std::vector<std::string> arguments; // every argument as given
    std::string game = std::string(kDefaultGame);
    std::vector<std::string> scripts;                      // +exec files in order
    std::vector<std::pair<std::string, std::string>> sets; // +set NAME VALUE in order
    bool help = false;
};

Options ParseArguments(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        options.arguments.emplace_back(argv[i]);
    }
    const auto& args = options.arguments;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& item = args[i];
        if (item == "--help" || item == "-h") {
            options.help = true;
        } else if (item == "+set") {
            // "+set NAME VALUE"; an incomplete one at the end is only recorded, as the game ignores it.
            if (i + 2 < args.size()) {
                if (args[i + 1] == "game") {
                    options.game = args[i + 2];
                }
                options.sets.emplace_back(args[i + 1], args[i + 2]);
                i += 2;
            }
        } else if (item == "+exec") {
            if (i + 1 < args.size()) {
                options.scripts.push_back(args[i + 1]);
                ++i;
            }
        }
        // Anything else (other "+" commands, their values, stray words) is kept in the record only.
    }
    return options;
}

/// Splits bytes into lines; CR LF, LF and a lone CR each end a line. A last line without a line end
/// still counts; an empty file has no lines.
std::vector<std::string> SplitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::string current;
    bool open = false; // bytes seen since the last line end
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(current);
            current.clear();
            open = false;
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
                ++i;
            }
        } else {
            current.push_back(c);
            open = true;
        }
    }
    if (open) {
        lines.push_back(current);
    }
    return lines;
}

/// Keeps one item on one record line.
std::string OneLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out.push_back(c);
        }
    }
    return out;
}

enum class ReadResult { Ok, Missing, Unreadable };

ReadResult ReadBytes(const fs::path& file, std::string& bytes) {
    std::error_code ec;
    if (!fs::exists(file, ec)) {
        return ReadResult::Missing;
    }
    if (fs::is_directory(file, ec)) {
        return ReadResult::Unreadable;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return ReadResult::Unreadable;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        return ReadResult::Unreadable;
    }
    return ReadResult::Ok;
}

/// Appends the whole record with a single write, so records of starts running at the same time never
/// interleave: the stream's buffer is larger than the record, so the library hands the record to the
/// system in one piece, and append mode puts each piece at the end of the file.
bool AppendRecord(const fs::path& file, const std::string& record, std::string& why) {
    std::FILE* out = std::fopen(Text(file).c_str(), "ab");
    if (out == nullptr) {
        why = "cannot open for appending";
        return false;
    }
    std::vector<char> buffer(record.size() + 1);
    bool ok = std::setvbuf(out, buffer.data(), _IOFBF, buffer.size()) == 0;
    ok = ok && std::fwrite(record.data(), 1, record.size(), out) == record.size();
    ok = (std::fclose(out) == 0) && ok; // the single write happens here, so its failure counts too
    if (!ok) {
        why = "cannot write";
    }
    return ok;
}

void PrintUsage(std::ostream& out) {
    out << "usage: quake2 [+set NAME VALUE]... [+exec FILE]... [--help]\n"
           "\n"
           "Stand-in game for trying Trel without Quake 2. It reads every +exec FILE from the game\n"
           "folder (the value of +set game, \"baseq2\" when not given) below the current folder and\n"
           "appends one record of the start to <game folder>/"
        << kRecordName
        << ":\n"
           "  start / arg ... / cwd ... / exec ... / line ... / end\n"
           "\n"
           "\n"
           "With +set dedicated 1 it then answers the status query on UDP 127.0.0.1, port 27910 or\n"
           "+set port N, for ten minutes, with the players of <game folder>/"
        << kPlayersName
        << "\n"
           "(one \"frags ping name\" per line).\n"
           "\n"
           "Exit codes: 0 started, 1 no game folder or record not written, 2 a script is missing,\n"
           "3 the server port could not be taken.\n";
}

/// The words of a console line as the game splits it: blanks separate words, a quoted word keeps its
/// blanks, "//" starts a comment.
std::vector<std::string> ConsoleWords(std::string_view line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && static_cast<unsigned char>(line[i]) <= ' ')
            ++i;
        if (i >= line.size() || line.substr(i, 2) == "//")
            break;
        std::string word;
        if (line[i] == '"') {
            const std::size_t close = line.find('"', i + 1);
            word = std::string(line.substr(i + 1, close == std::string_view::npos ? close : close - i - 1));
            i = close == std::string_view::npos ? line.size() : close + 1;
        } else {
            while (i < line.size() && static_cast<unsigned char>(line[i]) > ' ')
                word.push_back(line[i++]);
        }
        words.push_back(std::move(word));
    }
    return words;
}

/// The console variables after the command line's +set and the scripts' "set" lines, in that order (the
/// last setting wins), and the map of the last "map" line.
struct ServerSettings {
    std::vector<std::pair<std::string, std::string>> variables;
    std::string map;

    void set(const std::string& name, const std::string& value) {
        for (auto& [known, old] : variables) {
            if (known == name) {
                old = value;
                return;
            }
        }
        variables.emplace_back(name, value);
    }
    std::string get(std::string_view name, std::string_view absent) const {
        for (const auto& [known, value] : variables) {
            if (known == name)
                return value;
        }
        return std::string(absent);
    }
};

ServerSettings ReadServerSettings(const Options& options, const std::vector<std::string>& scriptLines) {
    ServerSettings settings;
    for (const auto& [name, value] : options.sets)
        settings.set(name, value);
    for (const std::string& line : scriptLines) {
        const std::vector<std::string> words = ConsoleWords(line);
        if (words.size() >= 3 && words[0] == "set")
            settings.set(words[1], words[2]);
        else if (words.size() >= 2 && words[0] == "map")
            settings.map = words[1];
    }
    return settings;
}

/// Any number but 0, as the game reads "dedicated".
bool IsSet(const std::string& value) {
    return std::strtod(value.c_str(), nullptr) != 0.0;
}

#ifndef _WIN32
/// The game's status reply is built in a buffer of this many bytes; players that do not fit are left out.
constexpr std::size_t kLongestStatusText = 1384;

/// The status reply: the server info, then one line per listed player ("frags ping \"name\"").
std::string StatusReply(const ServerSettings& settings, const fs::path& playersFile) {
    const std::string timelimit = settings.get("timelimit", settings.get("vorn_timelimit", "0"));
    const std::pair<std::string_view, std::string> info[] = {
        {"mapname", settings.map}, {"maxclients", settings.get("maxclients", "8")},
        {"timelimit", timelimit},  {"dmflags", settings.get("dmflags", "0")},
        {"gamename", "vorn"},      {"hostname", settings.get("hostname", "Trel stand-in server")},
    };
    std::string text;
    for (const auto& [key, value] : info)
        text += "\\" + std::string(key) + "\\" + value;
    text += '\n';
    std::string bytes;
    if (ReadBytes(playersFile, bytes) == ReadResult::Ok) {
        for (const std::string& line : SplitLines(bytes)) {
            const char* start = line.c_str();
            char* end = nullptr;
            const long frags = std::strtol(start, &end, 10);
            if (end == start)
                continue;
            start = end;
            const long ping = std::strtol(start, &end, 10);
            if (end == start || (*end != ' ' && *end != '\t'))
                continue;
            std::string_view name(end + 1);
            while (!name.empty() && (name.front() == ' ' || name.front() == '\t'))
                name.remove_prefix(1);
            const std::string player =
                std::to_string(frags) + " " + std::to_string(ping) + " \"" + std::string(name) + "\"\n";
            if (text.size() + player.size() >= kLongestStatusText)
                break;
            text += player;
        }
    }
    return "\xff\xff\xff\xffprint\n" + text;
}

/// A status request: the four bytes, "status", then nothing, a blank or a line end ("status 23\n" too).
bool IsStatusRequest(std::string_view datagram) {
    constexpr std::string_view kRequest = "\xff\xff\xff\xffstatus";
    if (!datagram.starts_with(kRequest))
        return false;
    datagram.remove_prefix(kRequest.size());
    return datagram.empty() || static_cast<unsigned char>(datagram.front()) <= ' ';
}

constexpr std::chrono::minutes kServerLifetime{10};

/// Answers status requests on 127.0.0.1:port until the lifetime is over or the game folder is gone.
int Serve(const ServerSettings& settings, const fs::path& gameDir) {
    const std::string portText = settings.get("port", "27910");
    char* end = nullptr;
    const long port = std::strtol(portText.c_str(), &end, 10);
    if (end == portText.c_str() || *end != '\0' || port < 1 || port > 65535) {
        std::cerr << "stand-in game: port " << portText << " is no port number\n";
        return kExitNoServerPort;
    }
    const int socket = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (socket < 0 || ::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        std::cerr << "stand-in game: cannot serve on 127.0.0.1:" << port << ": " << std::strerror(errno) << '\n';
        if (socket >= 0)
            ::close(socket);
        return kExitNoServerPort;
    }
    std::cout << "stand-in game: dedicated server on 127.0.0.1:" << port << " for " << kServerLifetime.count()
              << " minutes" << std::endl;
    // A detached start's streams may be a pipe its starter reads to the end: let go of them.
    (void)std::freopen("/dev/null", "r", stdin);
    (void)std::freopen("/dev/null", "w", stdout);
    (void)std::freopen("/dev/null", "w", stderr);

    const fs::path playersFile = gameDir / PathOf(kPlayersName);
    const auto deadline = std::chrono::steady_clock::now() + kServerLifetime;
    std::vector<char> buffer(2048);
    std::error_code ec;
    while (std::chrono::steady_clock::now() < deadline && fs::is_directory(gameDir, ec)) {
        pollfd ready{socket, POLLIN, 0};
        if (::poll(&ready, 1, 250) <= 0)
            continue;
        sockaddr_in from{};
        socklen_t fromSize = sizeof from;
        const ssize_t size =
            ::recvfrom(socket, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &fromSize);
        if (size <= 0 || !IsStatusRequest(std::string_view(buffer.data(), static_cast<std::size_t>(size))))
            continue;
        const std::string reply = StatusReply(settings, playersFile);
        (void)::sendto(socket, reply.data(), reply.size(), 0, reinterpret_cast<const sockaddr*>(&from), fromSize);
    }
    ::close(socket);
    return kExitOk;
}
#else
int Serve(const ServerSettings&, const fs::path&) {
    std::cout << "stand-in game: the dedicated server answers no queries on Windows\n";
    return kExitOk;
}
#endif

} // namespace

int main(int argc, char** argv) {
    const Options options = ParseArguments(argc, argv);
    if (options.help) {
        PrintUsage(std::cout);
        return kExitOk;
    }

    std::error_code ec;
    const fs::path cwd = fs::current_path(ec);
    if (ec) {
        std::cerr << "stand-in game: cannot tell the current folder: " << ec.message() << '\n';
        return kExitNoGameFolder;
    }
    const fs::path gameDir = cwd / PathOf(options.game);
    if (!fs::is_directory(gameDir, ec)) {
        std::cerr << "stand-in game: game folder " << Text(gameDir) << " not found\n";
        return kExitNoGameFolder;
    }

    std::string record = "start\n";
    for (const std::string& argument : options.arguments) {
        record += "arg " + OneLine(argument) + '\n';
    }
    record += "cwd " + OneLine(Text(cwd)) + '\n';

    int exitCode = kExitOk;
    std::string summary;
    std::vector<std::string> scriptLines; // every executed line, in order
    for (const std::string& script : options.scripts) {
        const fs::path file = gameDir / PathOf(script);
        record += "exec " + OneLine(script) + '\n';
        std::string bytes;
        switch (ReadBytes(file, bytes)) {
        case ReadResult::Ok: {
            const std::vector<std::string> lines = SplitLines(bytes);
            for (const std::string& line : lines) {
                record += "line " + line + '\n';
            }
            scriptLines.insert(scriptLines.end(), lines.begin(), lines.end());
            summary += ", executed " + script + " (" + std::to_string(lines.size()) +
                       (lines.size() == 1 ? " line)" : " lines)");
            break;
        }
        case ReadResult::Missing:
            record += "error script " + OneLine(Text(file)) + " not found\n";
            std::cerr << "stand-in game: script " << Text(file) << " not found\n";
            summary += ", script " + script + " not found";
            exitCode = kExitScriptMissing;
            break;
        case ReadResult::Unreadable:
            record += "error script " + OneLine(Text(file)) + " unreadable\n";
            std::cerr << "stand-in game: script " << Text(file) << " unreadable\n";
            summary += ", script " + script + " unreadable";
            exitCode = kExitScriptMissing;
            break;
        }
    }
    if (options.scripts.empty()) {
        summary = ", no script executed";
    }
    record += "end\n";

    const fs::path recordFile = gameDir / PathOf(kRecordName);
    std::string why;
    if (!AppendRecord(recordFile, record, why)) {
        std::cerr << "stand-in game: record " << Text(recordFile) << ": " << why << '\n';
        return kExitNoGameFolder;
    }

    std::cout << "stand-in game: started in " << Text(cwd) << ", game " << options.game << summary
              << ", record appended to " << Text(recordFile) << std::endl;
    bool dedicated = false;
    for (const auto& [name, value] : options.sets) {
        if (name == "dedicated")
            dedicated = IsSet(value);
    }
    if (dedicated) {
        const int served = Serve(ReadServerSettings(options, scriptLines), gameDir);
        if (served != kExitOk)
            return served;
    }
    return exitCode;
}
