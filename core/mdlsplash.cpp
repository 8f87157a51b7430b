#include "mdlsplash.h"

#include "mdlIniStuff.h"
#include "platform.h"

#include <cstddef>
#include <limits>
#include <utility>

namespace trel {
namespace {

constexpr std::string_view kSection = "Quake2exe";

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

bool IsSeparator(char c) {
    return c == kSeparator || c == '/';
}

// Folder paths arrive from the windows as UTF-8; a label counts what the user sees, not bytes.
std::size_t CharacterCount(std::string_view text) {
    std::size_t count = 0;
    for (char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++count;
    }
    return count;
}

// The drive part of the locator's drive entry: "c:" from "c: [system]", or a volume's root path.
std::string DrivePart(std::string_view driveEntry) {
#ifdef _WIN32
    return std::string(driveEntry.substr(0, 2));
#else
    std::string root(driveEntry);
    while (!root.empty() && IsSeparator(root.back()))
        root.pop_back();
    return root;
#endif
}

} // namespace

StartDecision DecideStart(const std::filesystem::path& iniFile) {
    StartDecision decision;
    const std::string text = ReadIni(std::string(kSection), "Used", iniFile);
    const std::string where = "The setting Used in section Quake2exe of " + PathText(iniFile);
    if (text.empty()) {
        decision.error = LoadError{where + " is missing or empty, and it must be a whole number", kErrorNotANumber};
        return decision;
    }
    bool overflow = false;
    const auto number = ParseWholeNumber(text, &overflow);
    if (!number) {
        decision.error =
            overflow ? LoadError{where + " holds " + QuotedValue(text) + ", which is too large", kErrorOverflow}
                     : LoadError{where + " holds " + QuotedValue(text) + ", which is not a whole number", kErrorNotANumber};
        return decision;
    }
    // The flag is a 16-bit number: anything wider is an overflow like any other too-large value.
    if (*number < std::numeric_limits<std::int16_t>::min() || *number > std::numeric_limits<std::int16_t>::max()) {
        decision.error = LoadError{where + " holds " + QuotedValue(text) + ", which is too large", kErrorOverflow};
        return decision;
    }
    decision.usedFlag = static_cast<std::int16_t>(*number);
    decision.kind = decision.usedFlag == 1 ? StartKind::Normal : StartKind::FirstRun;
    return decision;
}

std::string ShortDirectoryLabel(std::string_view directory, std::string_view driveEntry) {
    if (CharacterCount(directory) < 12)
        return std::string(directory);
    return DrivePart(driveEntry) + kSeparator + "..";
}

std::string JoinQuake2Path(const std::string& folder, const std::string& fileName) {
    if (folder.empty())
        return fileName;
    if (IsSeparator(folder.back()))
        return folder + fileName;
    return folder + kSeparator + fileName;
}

bool StoreQuake2Exe(const std::filesystem::path& iniFile, const std::string& quake2Path,
                    const std::string& quake2Folder, std::string& why) {
    // One write per key, each on disk before the next starts: Used first, then the path and the folder.
    const std::pair<std::string, std::string> writes[] = {{"Used", "1"}, {"Path", quake2Path}, {"dir", quake2Folder}};
    // Each key goes through the store on its own, so that a failure can say why the system refused it.
    for (const auto& [key, value] : writes) {
        std::string reason;
        if (!WriteIniValues(std::string(kSection), {{key, value}}, iniFile, reason)) {
            why = reason + " (the setting " + key + " in section Quake2exe could not be written)";
            return false;
        }
    }
    return true;
}

} // namespace trel
