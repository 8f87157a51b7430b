// The map cycle writer: the new vorn.ini and the backup of the old one.

#include "mdlmaincode.h"
#include "mdlmapeditcode.h"
#include "platform.h"

#include <random>
#include <system_error>

namespace trel {
namespace {

// A name beside target that no file has yet, for the new text before it replaces target.
std::filesystem::path UnusedNameBeside(const std::filesystem::path& target) {
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::filesystem::path candidate;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = ".";
        name += PathText(target.filename());
        name += ".new-";
        for (int i = 0; i < 6; ++i)
            name += kLetters[pick(random)];
        candidate = target.parent_path() / PathFromText(name);
        std::error_code error;
        if (!std::filesystem::exists(std::filesystem::symlink_status(candidate, error)) && !error)
            break;
    }
    return candidate;
}

// A failure while writing the temporary file is a failure to write vorn.ini: the user knows that name.
std::string NameTheTarget(std::string why, const std::filesystem::path& temp, const std::filesystem::path& ini) {
    const std::string tempText = PathText(temp);
    if (why.compare(0, tempText.size(), tempText) == 0)
        why.replace(0, tempText.size(), PathText(ini));
    return why;
}

} // namespace

bool writemapcycle(const std::vector<std::string>& maps, const std::filesystem::path& modDir, std::string& why) {
    const std::filesystem::path ini = modDir / "vorn.ini";
    const std::filesystem::path backup = modDir / "vorn.bak";

    // The old file must be readable before anything happens: it is the only copy of the user's blocks.
    std::string old;
    bool missing = false;
    if (!ReadFileBytes(ini, old, why, &missing) && !missing)
        return false;

    // A vorn.ini reached through a link is replaced where it lies, so that the link keeps leading to it.
    std::filesystem::path target = ini;
    if (!missing) {
        std::error_code error;
        std::filesystem::path resolved = std::filesystem::canonical(ini, error);
        if (!error)
            target = std::move(resolved);
    }

    const std::filesystem::path temp = UnusedNameBeside(target);
    if (!WriteFileAtomic(temp, MapCycleText(maps), why)) {
        why = NameTheTarget(std::move(why), temp, ini);
        return false;
    }
    const auto discardTemp = [&temp] {
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
    };

    if (!missing) {
        if (!WriteFileAtomic(backup, old, why)) {
            discardTemp();
            return false;
        }
        // The new file keeps the old one's permissions, as a rewrite in place would.
        std::error_code error;
        const auto status = std::filesystem::status(target, error);
        if (!error)
            std::filesystem::permissions(temp, status.permissions(), error);
    }

    std::error_code error;
    std::filesystem::rename(temp, target, error);
    if (error) {
        discardTemp();
        why = PathText(ini) + ": " + error.message();
        return false;
    }
    return true;
}

bool writemapcycle(const std::vector<std::string>& maps, const std::filesystem::path& modDir) {
    std::string why;
    return writemapcycle(maps, modDir, why);
}

} // namespace trel
