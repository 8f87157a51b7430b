// Settings file access. On Windows the system's profile-string functions own the file; elsewhere the
// same format is read and written through the text format and an atomic file replacement.

#include "mdlIniStuff.h"

#include "ini_portable.h"
#include "platform.h"

namespace trel::ini {

std::vector<std::string> ReadIniValuesPortable(const std::vector<IniKey>& keys, const std::filesystem::path& file) {
    std::string bytes;
    std::string why;
    if (!ReadFileBytes(file, bytes, why))
        bytes.clear();
    std::vector<std::string> values;
    values.reserve(keys.size());
    for (const IniKey& key : keys)
        values.push_back(ReadValue(bytes, key.section, key.key));
    return values;
}

std::string ReadIniPortable(const std::string& section, const std::string& key, const std::filesystem::path& file) {
    return ReadIniValuesPortable({{section, key}}, file).front();
}

std::int16_t WriteIniPortable(const std::string& section, const std::string& key, const std::string& value,
                              const std::filesystem::path& file) {
    std::string why;
    return WriteIniValuesPortable(section, {{key, value}}, file, why) ? 1 : 0;
}

bool WriteIniValuesPortable(const std::string& section, const std::vector<std::pair<std::string, std::string>>& values,
                            const std::filesystem::path& file, std::string& why) {
    std::string text;
    bool missing = false;
    // Only a file that does not exist yet starts empty: text that could not be read must not be
    // replaced by a file holding just the new values.
    if (!ReadFileBytes(file, text, why, &missing) && !missing)
        return false;
    for (const auto& [key, value] : values)
        text = WriteValue(text, section, key, value);
    return WriteFileAtomic(file, text, why);
}

bool WriteEachValue(const std::string& section, const std::vector<std::pair<std::string, std::string>>& values,
                    const ValueWriter& write, std::string& why) {
    std::size_t failed = 0;
    std::string first;
    std::string reason;
    for (const auto& [key, value] : values) {
        reason.clear();
        if (write(key, value, reason))
            continue;
        if (failed++ == 0) {
            why = reason;
            first = key;
        }
    }
    if (failed == 0)
        return true;
    why += " (the setting " + first;
    if (failed > 1)
        why += " and " + std::to_string(failed - 1) + " more";
    why += " in section " + section + " could not be written)";
    return false;
}

} // namespace trel::ini

namespace trel {

std::string ReadIni(const std::string& section, const std::string& key, const std::filesystem::path& file) {
    return ReadIniValues({{section, key}}, file).front();
}

} // namespace trel

#ifdef _WIN32

#include <windows.h>

namespace trel {
namespace {

// The profile functions look for a bare file name in the Windows folder, not the current one.
std::string ProfileFile(const std::filesystem::path& file) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(file, ec);
    return PathText(ec ? file : absolute);
}

} // namespace

std::vector<std::string> ReadIniValues(const std::vector<IniKey>& keys, const std::filesystem::path& file) {
    const std::string fileText = ProfileFile(file);
    std::vector<std::string> values;
    values.reserve(keys.size());
    for (const IniKey& key : keys) {
        char buffer[255] = {};
        const DWORD n = GetPrivateProfileStringA(key.section.c_str(), key.key.c_str(), "", buffer, sizeof buffer,
                                                 fileText.c_str());
        values.emplace_back(buffer, n);
    }
    return values;
}

std::int16_t WriteIni(const std::string& section, const std::string& key, const std::string& value,
                      const std::filesystem::path& file) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), ProfileFile(file).c_str()) ? 1 : 0;
}

bool WriteIniValues(const std::string& section, const std::vector<std::pair<std::string, std::string>>& values,
                    const std::filesystem::path& file, std::string& why) {
    const std::string fileText = ProfileFile(file);
    return ini::WriteEachValue(
        section, values,
        [&](const std::string& key, const std::string& value, std::string& reason) {
            if (WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), fileText.c_str()))
                return true;
            reason = fileText + ": " + SystemErrorText(GetLastError());
            return false;
        },
        why);
}

} // namespace trel

#else

namespace trel {

std::vector<std::string> ReadIniValues(const std::vector<IniKey>& keys, const std::filesystem::path& file) {
    return ini::ReadIniValuesPortable(keys, file);
}

std::int16_t WriteIni(const std::string& section, const std::string& key, const std::string& value,
                      const std::filesystem::path& file) {
    return ini::WriteIniPortable(section, key, value, file);
}

bool WriteIniValues(const std::string& section, const std::vector<std::pair<std::string, std::string>>& values,
                    const std::filesystem::path& file, std::string& why) {
    return ini::WriteIniValuesPortable(section, values, file, why);
}

} // namespace trel

#endif
