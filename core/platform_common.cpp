// File-system services that read the same on every system.

#include "platform.h"

#include <cstddef>

namespace trel {
namespace {

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool SameAsciiName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    }
    return true;
}

bool IsGameExecutable(const std::filesystem::path& path) {
    const std::optional<std::string> name = StoredFileName(path);
    return name && *name == kGameExecutableName;
}

} // namespace trel
