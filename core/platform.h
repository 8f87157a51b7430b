#pragma once
// File-system services the core needs: whole-file reads, atomic replacement, the stored name of a file.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trel {

/// The game's executable as the file system must store it, letter case included.
#ifdef _WIN32
inline constexpr std::string_view kGameExecutableName = "quake2.exe";
#else
inline constexpr std::string_view kGameExecutableName = "quake2";
#endif

/// Whether two names are the same when ASCII letter case is ignored (other bytes must match exactly).
bool SameAsciiName(std::string_view a, std::string_view b);

/// The name (last component, letter case as stored on disk) of the regular file that path names,
/// or nothing when there is no such file or path names a directory.
std::optional<std::string> StoredFileName(const std::filesystem::path& path);

/// True when path names an existing file stored exactly as kGameExecutableName.
bool IsGameExecutable(const std::filesystem::path& path);

/// Reads the whole file into bytes. On failure returns false and why holds the file and the reason.
/// A missing file fails with missing set to true.
bool ReadFileBytes(const std::filesystem::path& file, std::string& bytes, std::string& why, bool* missing = nullptr);

/// Replaces file with bytes atomically: a temporary file beside it is written, flushed and renamed over
/// it, keeping the old file's permissions. On failure the old file is untouched, returns false and why
/// holds the file and the reason.
bool WriteFileAtomic(const std::filesystem::path& file, std::string_view bytes, std::string& why);

/// The text of a path as the settings file stores it (single-byte, native separators).
std::string PathText(const std::filesystem::path& path);

/// The path a settings-file text names.
std::filesystem::path PathFromText(const std::string& text);

/// Turns texts (settings-file texts: paths, arguments) into the bytes a command script holds them in and
/// returns the code page the script must switch to so that they read the same. On Windows that is the
/// OEM code page, the one every command shell reads a script in at first, when it holds every text, else
/// the ANSI code page, which the texts are already in; elsewhere 0, no switch, and the texts unchanged.
/// Other bytes that merely pass through the script survive either switch, which sets reading and writing alike.
unsigned ScriptCodePage(std::vector<std::string>& texts);

/// The home folder below which an engine keeps its own copy of the modification's files: HOME on
/// Linux and other Unix systems, empty on Windows, where engines use the Quake 2 folder only.
std::string EngineHomeFolder();

#ifdef _WIN32
/// The system's message for a Windows error code (GetLastError), without its closing full stop.
std::string SystemErrorText(unsigned long error);
#endif

} // namespace trel
