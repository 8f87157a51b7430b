// Settings file access. On Windows the system's profile-string functions own the file; elsewhere the
// same format is read and written through the text format and an atomic file replacement.

#include "mdlIniStuff.h"

#include "ini_portable.h"
#include "platform.h"

namespace trel::ini {

std::string ReadIniPortable(const std::string& section, const std::string& key, const std::filesystem::path& file) {
    std::string bytes;
    std::string why;
    if (!ReadFileBytes(file, bytes, why))
        bytes.clear();
    return ReadValue(bytes, section, key);
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

} // namespace trel::ini

#ifdef _WIN32

#include <windows.h>

namespace trel {
std::string ReadIni(const std::string& section, const std::string& key, const std::filesystem::path& file) {
    char buffer[255] = {};
    const DWORD n =
        GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer, sizeof buffer, PathText(file).c_str());
    return std::string(buffer, n);
}

std::int16_t WriteIni(const std::string& section, const std::string& key, const std::string& value,
                      const std::filesystem::path& file) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), PathText(file).c_str()) ? 1 : 0;
}

bool WriteIniValues(const std::string& section, const std::vector<std::pair<std::string, std::string>>& values,
                    const std::filesystem::path& file, std::string& why) {
    const std::string fileText = PathText(file);
    for (const auto& [key, value] : values) {
        if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), fileText.c_str())) {
            why = fileText + ": " + SystemErrorText(GetLastError());
            return false;
        }
    }
    return true;
}

} // namespace trel

#else

namespace trel {

std::string ReadIni(const std::string& section, const std::string& key, const std::filesystem::path& file) {
    return ini::ReadIniPortable(section, key, file);
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
