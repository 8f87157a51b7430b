#pragma once
// The launch as a script of its own: what the Run button does, for a desktop shortcut or a server's
// start-up, written for the system's command shell.

#include "mdlmaincode.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace trel {

enum class ScriptShell { Posix, Cmd };

#ifdef _WIN32
inline constexpr ScriptShell kThisScriptShell = ScriptShell::Cmd;
inline constexpr std::string_view kExportScriptName = "vorn-launch.bat";
#else
inline constexpr ScriptShell kThisScriptShell = ScriptShell::Posix;
inline constexpr std::string_view kExportScriptName = "vorn-launch.sh";
#endif

/// A script that replaces launchScript with exactly launchBytes and then starts request's program with
/// its arguments in its working directory. codePage (cmd only, 0 for none) is the code page the paths'
/// bytes are written in. Nothing when the shell cannot express a path or a line (cmd: quotation marks
/// in a path, line ends inside a line).
std::optional<std::string> ExportScriptText(const LaunchRequest& request, const std::string& launchScript,
                                            std::string_view launchBytes, ScriptShell shell,
                                            unsigned codePage = 0);

/// The Run button's checks, then the script in file (executable for a POSIX shell); the game is not
/// started. ScriptNotWritten sets why to the file and the reason.
LaunchPreparation ExportLaunch(const SharedValues& shared, const LaunchOptions& options,
                               const std::filesystem::path& file, ScriptShell shell = kThisScriptShell);

} // namespace trel
