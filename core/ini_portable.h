#pragma once
// The settings store on top of whole-file reads and atomic replacement, built on every system. On
// Windows the store goes through the system's profile-string functions; these stay callable there so
// that both can be compared byte for byte.

#include "mdlIniStuff.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace trel::ini {

/// ReadIni through the text format: a missing or unreadable file reads as empty text.
std::string ReadIniPortable(const std::string& section, const std::string& key, const std::filesystem::path& file);

/// ReadIniValues through the text format: one read of the file.
std::vector<std::string> ReadIniValuesPortable(const std::vector<IniKey>& keys, const std::filesystem::path& file);

/// WriteIni through the text format: 1 on success, 0 when the file could not be read or replaced.
std::int16_t WriteIniPortable(const std::string& section, const std::string& key, const std::string& value,
                              const std::filesystem::path& file);

/// WriteIniValues through the text format: one read, one atomic replacement.
bool WriteIniValuesPortable(const std::string& section, const std::vector<std::pair<std::string, std::string>>& values,
                            const std::filesystem::path& file, std::string& why);

/// Stores one value of a section; false with why on failure.
using ValueWriter = std::function<bool(const std::string& key, const std::string& value, std::string& why)>;

/// A batch of writes one key at a time, as the system's store makes them: every pair through write in
/// order, a failing key not stopping the ones after it. False when any key failed; why then holds the
/// first failure's reason once, with that key and how many more failed.
bool WriteEachValue(const std::string& section, const std::vector<std::pair<std::string, std::string>>& values,
                    const ValueWriter& write, std::string& why);

} // namespace trel::ini
