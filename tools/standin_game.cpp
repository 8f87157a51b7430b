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
// Exit codes: 0 started, 1 no game folder or the record could not be written, 2 a script is missing.
//
// Standard C++ only: it is built for every platform Trel runs on.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kDefaultGame = "baseq2";
constexpr std::string_view kRecordName = "standin_record.txt";
constexpr int kExitOk = 0;
constexpr int kExitNoGameFolder = 1;
constexpr int kExitScriptMissing = 2;

struct Options {
    std::vector<std::string> arguments; // every argument as given
    std::string game = std::string(kDefaultGame);
    std::vector<std::string> scripts; // +exec files in order
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
    std::FILE* out = std::fopen(file.string().c_str(), "ab");
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
           "Exit codes: 0 started, 1 no game folder or record not written, 2 a script is missing.\n";
}

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
    const fs::path gameDir = cwd / fs::path(options.game);
    if (!fs::is_directory(gameDir, ec)) {
        std::cerr << "stand-in game: game folder " << gameDir.string() << " not found\n";
        return kExitNoGameFolder;
    }

    std::string record = "start\n";
    for (const std::string& argument : options.arguments) {
        record += "arg " + OneLine(argument) + '\n';
    }
    record += "cwd " + OneLine(cwd.string()) + '\n';

    int exitCode = kExitOk;
    std::string summary;
    for (const std::string& script : options.scripts) {
        const fs::path file = gameDir / fs::path(script);
        record += "exec " + OneLine(script) + '\n';
        std::string bytes;
        switch (ReadBytes(file, bytes)) {
        case ReadResult::Ok: {
            const std::vector<std::string> lines = SplitLines(bytes);
            for (const std::string& line : lines) {
                record += "line " + line + '\n';
            }
            summary += ", executed " + script + " (" + std::to_string(lines.size()) +
                       (lines.size() == 1 ? " line)" : " lines)");
            break;
        }
        case ReadResult::Missing:
            record += "error script " + OneLine(file.string()) + " not found\n";
            std::cerr << "stand-in game: script " << file.string() << " not found\n";
            summary += ", script " + script + " not found";
            exitCode = kExitScriptMissing;
            break;
        case ReadResult::Unreadable:
            record += "error script " + OneLine(file.string()) + " unreadable\n";
            std::cerr << "stand-in game: script " << file.string() << " unreadable\n";
            summary += ", script " + script + " unreadable";
            exitCode = kExitScriptMissing;
            break;
        }
    }
    if (options.scripts.empty()) {
        summary = ", no script executed";
    }
    record += "end\n";

    const fs::path recordFile = gameDir / fs::path(kRecordName);
    std::string why;
    if (!AppendRecord(recordFile, record, why)) {
        std::cerr << "stand-in game: record " << recordFile.string() << ": " << why << '\n';
        return kExitNoGameFolder;
    }

    std::cout << "stand-in game: started in " << cwd.string() << ", game " << options.game << summary
              << ", record appended to " << recordFile.string() << '\n';
    return exitCode;
}
