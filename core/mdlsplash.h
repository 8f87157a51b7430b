#pragma once
// Start-up decisions: first run or normal start, and the locator's small rules.

#include "mdlmaincode.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace trel {

enum class StartKind { Normal, FirstRun };

struct StartDecision {
    StartKind kind = StartKind::FirstRun;
    std::int16_t usedFlag = 0;
    std::optional<LoadError> error; // Used missing, empty or not a whole number
};

/// Reads Used of section Quake2exe: 1 is a normal start, any other whole number a first run,
/// anything else a load error.
StartDecision DecideStart(const std::filesystem::path& iniFile);

/// The locator's directory label: the path itself when shorter than 12 characters, otherwise the
/// drive (the first two characters of the drive entry on Windows, the volume's root elsewhere) and "\..".
std::string ShortDirectoryLabel(std::string_view directory, std::string_view driveEntry);

/// Quake2Path from the locator's folder and chosen file.
std::string JoinQuake2Path(const std::string& folder, const std::string& fileName);

/// Writes Used, Path and dir (in that order) to section Quake2exe of iniFile once an executable is accepted.
bool StoreQuake2Exe(const std::filesystem::path& iniFile, const std::string& quake2Path,
                    const std::string& quake2Folder, std::string& why);

} // namespace trel
