#include "launchexport.h"

#include "platform.h"

#include <system_error>

namespace trel {
namespace {

// One word for a POSIX shell: in single quotes, each quote closed, escaped and reopened.
std::string ShellWord(std::string_view text) {
    std::string word = "'";
    for (const char c : text)
        word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return word + "'";
}

// printf's format for bytes: % and backslash doubled, control bytes as octal escapes, quoted as a word.
std::string PrintfFormat(std::string_view bytes) {
    std::string format;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '%') {
            format += "%%";
        } else if (c == '\\') {
            format += "\\\\";
        } else if (byte < 0x20 || byte == 0x7f) {
            format += '\\';
            format += static_cast<char>('0' + (byte >> 6));
            format += static_cast<char>('0' + ((byte >> 3) & 7));
            format += static_cast<char>('0' + (byte & 7));
        } else {
            format += c;
        }
    }
    return ShellWord(format);
}

std::string PosixScript(const LaunchRequest& request, const std::string& launchScript, std::string_view bytes) {
    std::string script = "#!/bin/sh\n"
                         "# Starts Vorn as Trel's Run button does: the launch script first, then the game.\n";
    script += "cfg=" + ShellWord(launchScript) + "\n";
    script += "printf " + PrintfFormat(bytes) + " > \"$cfg.tmp\" && mv -f \"$cfg.tmp\" \"$cfg\" || exit 1\n";
    script += "cd " + ShellWord(request.workingDirectory) + " || exit 1\n";
    script += "exec " + ShellWord(request.program);
    for (const std::string& argument : request.arguments)
        script += " " + ShellWord(argument);
    return script + "\n";
}

bool CmdCanQuote(std::string_view text) { return text.find_first_of("\"\r\n") == std::string_view::npos; }

// A path or an argument in quotation marks: inside them only % still means something to cmd.
std::string CmdWord(std::string_view text) {
    std::string word = "\"";
    for (const char c : text)
        word += c == '%' ? std::string("%%") : std::string(1, c);
    return word + "\"";
}

// Text for echo: % doubled; outside quotation marks the characters cmd acts on are escaped with ^.
std::string CmdEchoText(std::string_view line) {
    std::string text;
    bool quoted = false;
    for (const char c : line) {
        if (c == '"')
            quoted = !quoted;
        if (c == '%')
            text += '%';
        else if (!quoted && (c == '^' || c == '&' || c == '|' || c == '<' || c == '>'))
            text += '^';
        text += c;
    }
    return text;
}

std::optional<std::string> CmdScript(const LaunchRequest& request, const std::string& launchScript,
                                     std::string_view bytes, unsigned codePage) {
    if (!CmdCanQuote(launchScript) || !CmdCanQuote(request.workingDirectory) || !CmdCanQuote(request.program))
        return {};
    for (const std::string& argument : request.arguments) {
        if (!CmdCanQuote(argument))
            return {};
    }
    const std::string temporary = CmdWord(launchScript + ".tmp");
    std::string script = "@echo off\r\n"
                         "rem Starts Vorn as Trel's Run button does: the launch script first, then the game.\r\n"
                         "setlocal DisableDelayedExpansion\r\n";
    if (codePage != 0)
        script += "chcp " + std::to_string(codePage) + " >nul 2>&1\r\n";
    // Every step is checked by what it leaves behind or by the error level, reset first: a failing
    // redirection sets no error level, and Wine's command shell takes "||" after any built-in command as a
    // failure and sets no error level when a move fails.
    script += "if exist " + temporary + " del /f /q " + temporary + "\r\n";
    script += "type nul >" + temporary + "\r\n";
    script += "if not exist " + temporary + " exit /b 1\r\n";
    // echo ends every line with CR LF: the bytes must be whole lines ending so, without NUL or lone line ends.
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", start);
        if (end == std::string_view::npos)
            return {};
        const std::string_view line = bytes.substr(start, end - start);
        if (line.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
            return {};
        // "echo:" prints the rest as it is, also an empty rest, "/?", "on" or "off".
        script += ">>" + temporary + " echo:" + CmdEchoText(line) + "\r\n";
        start = end + 2;
    }
    script += "move /y " + temporary + " " + CmdWord(launchScript) + " >nul\r\n";
    script += "if exist " + temporary + " exit /b 1\r\n";
    script += "(call )\r\n";
    script += "cd /d " + CmdWord(request.workingDirectory) + "\r\n";
    script += "if errorlevel 1 exit /b 1\r\n";
    script += CmdWord(request.program);
    for (const std::string& argument : request.arguments)
        script += " " + CmdWord(argument);
    return script + "\r\n";
}

} // namespace

std::optional<std::string> ExportScriptText(const LaunchRequest& request, const std::string& launchScript,
                                            std::string_view launchBytes, ScriptShell shell, unsigned codePage) {
    if (shell == ScriptShell::Posix)
        return PosixScript(request, launchScript, launchBytes);
    return CmdScript(request, launchScript, launchBytes, codePage);
}

LaunchPreparation ExportLaunch(const SharedValues& shared, const LaunchOptions& options,
                               const std::filesystem::path& file, ScriptShell shell) {
    LaunchPreparation preparation = CheckLaunch(shared, options);
    if (preparation.outcome != LaunchOutcome::Ready)
        return preparation;
    const LaunchRequest request = GameLaunchRequest(shared, options);
    LaunchRequest written = request;
    std::string launchScript = PathText(LaunchScriptFile(shared));
    unsigned codePage = 0;
    if (shell == ScriptShell::Cmd) {
        std::vector<std::string> texts = {launchScript, request.program, request.workingDirectory};
        texts.insert(texts.end(), request.arguments.begin(), request.arguments.end());
        codePage = ScriptCodePage(texts);
        launchScript = texts[0];
        written.program = texts[1];
        written.workingDirectory = texts[2];
        written.arguments.assign(texts.begin() + 3, texts.end());
    }
    const auto text = ExportScriptText(written, launchScript, LaunchScriptText(options), shell, codePage);
    preparation.outcome = LaunchOutcome::ScriptNotWritten;
    if (!text) {
        preparation.why = PathText(file) + ": the Quake 2 folder's path cannot be written for this command shell";
        return preparation;
    }
    if (!WriteFileAtomic(file, *text, preparation.why))
        return preparation;
    if (shell == ScriptShell::Posix) {
        namespace fs = std::filesystem;
        std::error_code ec;
        const fs::perms current = fs::status(file, ec).permissions();
        fs::perms execute = fs::perms::none;
        if ((current & fs::perms::owner_read) != fs::perms::none)
            execute |= fs::perms::owner_exec;
        if ((current & fs::perms::group_read) != fs::perms::none)
            execute |= fs::perms::group_exec;
        if ((current & fs::perms::others_read) != fs::perms::none)
            execute |= fs::perms::others_exec;
        if (!ec)
            fs::permissions(file, execute, fs::perm_options::add, ec);
        if (ec) {
            preparation.why = PathText(file) + ": " + ec.message();
            return preparation;
        }
    }
    preparation.outcome = LaunchOutcome::Ready;
    preparation.request = request;
    return preparation;
}

} // namespace trel
