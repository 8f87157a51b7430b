#pragma once
// The settings store on top of whole-file reads and atomic replacement, built on every system. On
// Windows the store goes through the system's profile-string functions; these stay callable there so
// that both can be compared byte for byte.

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace trel::ini {

/// ReadIni through the text format: a missing or unreadable file reads as empty text.
std::string ReadIniPortable(const std::string& section, const std::string& key, const std::filesystem::path& file);

/// WriteIni through the text format: 1 on success, 0 when the file could not be read or replaced.
std::int16_t WriteIniPortable(const std::string& section, const std::string& key, const std::string& value,
                              const std::filesystem::path& file);

/// WriteIniValues through the text format: one read, one atomic replacement.
bool WriteIniValuesPortable(const std::string& section, const std::vector<std::pair<std::string, std::string>>& values,
                            const std::filesystem::path& file, std::string& why);

} // namespace trel::ini
