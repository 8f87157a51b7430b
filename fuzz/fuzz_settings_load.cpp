// Start-up's conversions of stored settings: the whole-number reading, the load of the Settings section
// and the first-run decision, over arbitrary settings-file bytes. The file lives in memory, so no disk
// work slows the search.

#include "fuzz_check.h"
#include "mdlIniStuff.h"
#include "mdlmaincode.h"
#include "mdlsplash.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace {

// A whole number as start-up reads it, spelled out plainly: blanks and tabs around it, an optional sign,
// decimal digits only, and the value must fit 32 bits.
struct Reference {
    bool number = false;
    bool overflow = false;
    std::int64_t value = 0;
};

Reference ReferenceNumber(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return {};
    while (text.size() > 1 && text.front() == '0')
        text.remove_prefix(1);
    Reference r;
    if (text.size() > 10) {
        r.overflow = true;
        return r;
    }
    std::int64_t magnitude = 0;
    for (char c : text)
        magnitude = magnitude * 10 + (c - '0');
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max()) {
        r.overflow = true;
        return r;
    }
    r.number = true;
    r.value = value;
    return r;
}

void CheckNumber(std::string_view text) {
    bool overflow = true;
    const std::optional<std::int32_t> parsed = trel::ParseWholeNumber(text, &overflow);
    const Reference expected = ReferenceNumber(text);
    TREL_FUZZ_CHECK(parsed.has_value() == expected.number);
    TREL_FUZZ_CHECK(overflow == expected.overflow);
    if (parsed)
        TREL_FUZZ_CHECK(*parsed == expected.value);
}

const std::filesystem::path& MemoryFile(int& fd) {
    static int descriptor = memfd_create("trel.ini", 0);
    static const std::filesystem::path path = "/proc/self/fd/" + std::to_string(descriptor);
    fd = descriptor;
    return path;
}

void CheckError(const trel::LoadError& error, const std::string& file) {
    TREL_FUZZ_CHECK(error.number == trel::kErrorNotANumber || error.number == trel::kErrorOverflow ||
                    error.number == trel::kErrorOutOfRange);
    TREL_FUZZ_CHECK(error.description.rfind("The setting ", 0) == 0);
    TREL_FUZZ_CHECK(error.description.find(file) != std::string::npos);
    // The stored value is shown cut, so a long or binary value cannot swamp the message.
    TREL_FUZZ_CHECK(error.description.size() < 200 + file.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string_view all(reinterpret_cast<const char*>(bytes), size);
    CheckNumber(all.substr(0, 64));

    int fd = -1;
    const std::filesystem::path& file = MemoryFile(fd);
    TREL_FUZZ_CHECK(fd >= 0);
    TREL_FUZZ_CHECK(ftruncate(fd, 0) == 0);
    TREL_FUZZ_CHECK(pwrite(fd, bytes, size, 0) == static_cast<ssize_t>(size));

    const trel::SettingsLoad load = trel::ReadSettingsForLoad(file);
    TREL_FUZZ_CHECK(load.Quake2Path == trel::ini::ReadValue(all, "Quake2exe", "Path"));
    if (!load.DMflags)
        TREL_FUZZ_CHECK(load.error && load.steps.empty() &&
                        load.error->description.find(" DMflags ") != std::string::npos);
    if (load.error)
        CheckError(*load.error, file.native());
    else
        TREL_FUZZ_CHECK(load.DMflags && load.steps.size() == trel::kSettingsKeys.size() - 1);
    for (std::size_t i = 0; i < load.steps.size(); ++i) {
        const trel::LoadStep& step = load.steps[i];
        TREL_FUZZ_CHECK(step.key == static_cast<trel::SettingsKey>(i + 1));
        TREL_FUZZ_CHECK(step.text == trel::ini::ReadValue(all, "Settings", trel::kSettingsKeys[i + 1]));
        CheckNumber(step.text);
    }
    if (load.DMflags) {
        // The boxes loading ticks are distinct flags, largest first.
        const auto ticked = trel::DmFlagsToTick(*load.DMflags);
        TREL_FUZZ_CHECK(std::is_sorted(ticked.rbegin(), ticked.rend()));
        TREL_FUZZ_CHECK(std::adjacent_find(ticked.begin(), ticked.end()) == ticked.end());
        for (const std::int32_t flag : ticked)
            TREL_FUZZ_CHECK(std::find(trel::kDmFlagValues.begin(), trel::kDmFlagValues.end(), flag) !=
                            trel::kDmFlagValues.end());
    }

    const trel::StartDecision start = trel::DecideStart(file);
    const std::string used = trel::ini::ReadValue(all, "Quake2exe", "Used");
    CheckNumber(used);
    if (start.error) {
        CheckError(*start.error, file.native());
        TREL_FUZZ_CHECK(start.kind == trel::StartKind::FirstRun);
    } else {
        TREL_FUZZ_CHECK(trel::ParseWholeNumber(used) == std::optional<std::int32_t>(start.usedFlag));
        TREL_FUZZ_CHECK((start.kind == trel::StartKind::Normal) == (start.usedFlag == 1));
    }
    return 0;
}
