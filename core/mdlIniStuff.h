#pragma once
// The settings file: profile-string text (sections in square brackets, "key=value" lines), read and
// written one value at a time. Every byte the write does not touch stays as it was.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace trel {

/// Value of key in section of file; "" when the file, section or key is missing. At most 254 characters.
std::string ReadIni(const std::string& section, const std::string& key, const std::filesystem::path& file);

/// A value's place in the settings file.
struct IniKey {
    std::string section;
    std::string key;
};

/// The values of keys in file, in their order, each as ReadIni reads it; the text format reads the file once.
std::vector<std::string> ReadIniValues(const std::vector<IniKey>& keys, const std::filesystem::path& file);

/// Stores value under key in section of file, creating what is missing; non-zero on success.
std::int16_t WriteIni(const std::string& section, const std::string& key, const std::string& value,
                      const std::filesystem::path& file);

/// Like WriteIni for several keys of one section at once. A key the store cannot write does not stop the
/// keys after it; on failure why says once which file could not be written, the reason and the keys. The
/// text format replaces the file once: on failure the file is left as it was.
bool WriteIniValues(const std::string& section, const std::vector<std::pair<std::string, std::string>>& values,
                    const std::filesystem::path& file, std::string& why);

namespace ini {

/// The longest value a read returns; longer values are cut.
inline constexpr std::size_t kMaxValueLength = 254;

/// Value of key in section of the file text, as ReadIni reads it.
std::string ReadValue(std::string_view text, std::string_view section, std::string_view key);

/// The file text after storing value under key in section, as WriteIni writes it.
std::string WriteValue(std::string_view text, std::string_view section, std::string_view key, std::string_view value);

} // namespace ini
} // namespace trel
