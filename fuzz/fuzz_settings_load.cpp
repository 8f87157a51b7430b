// Start-up's conversions of stored settings: the whole-number reading, the load of the Settings section
// and the first-run decision, over arbitrary settings-file bytes. The file lives in memory, so no disk
// work slows the search.

#include "fuzz_check.h"
#include "mdlIniStuff.h"
#include "mdlmaincode.h"
#include "mdlsplash.h"

#include <sys/mman.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <utility>

namespace {

// A whole number as start-up reads it, spelled out plainly: blanks and tabs around it, an optional sign,
// decimal digits only, and the value must fit 32 bits.
void CheckNumber(std::string_view text) {
    bool overflow = true;
    const std::optional<std::int32_t> parsed = trel::ParseWholeNumber(text, &overflow);
    text = Trimmed(text, " \t");
    const bool negative = text.starts_with('-');
    if (negative || text.starts_with('+'))
        text.remove_prefix(1);
    const bool digits = !text.empty() && std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; });
    while (text.size() > 1 && text.front() == '0')
        text.remove_prefix(1);
    std::int64_t value = 0;
    for (std::size_t i = 0; digits && i < text.size() && i < 11; ++i)
        value = value * 10 + (text[i] - '0');
    value = negative ? -value : value;
    const bool fits = digits && text.size() <= 10 && std::in_range<std::int32_t>(value);
    TREL_FUZZ_CHECK(parsed.has_value() == fits && overflow == (digits && !fits));
    TREL_FUZZ_CHECK(!parsed || *parsed == value);
}

void CheckError(const trel::LoadError& error, const std::string& file) {
    TREL_FUZZ_CHECK(error.number == trel::kErrorNotANumber || error.number == trel::kErrorOverflow ||
                    error.number == trel::kErrorOutOfRange);
    // The stored value is shown cut, so a long or binary value cannot swamp the message.
    TREL_FUZZ_CHECK(error.description.starts_with("The setting ") && error.description.find(file) != file.npos &&
                    error.description.size() < 200 + file.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string_view all(reinterpret_cast<const char*>(bytes), size);
    CheckNumber(all.substr(0, 64));

    static const int fd = memfd_create("trel.ini", 0);
    static const std::filesystem::path file = "/proc/self/fd/" + std::to_string(fd);
    TREL_FUZZ_CHECK(fd >= 0 && ftruncate(fd, 0) == 0 && pwrite(fd, bytes, size, 0) == static_cast<ssize_t>(size));

    const trel::SettingsLoad load = trel::ReadSettingsForLoad(file);
    TREL_FUZZ_CHECK(load.Quake2Path == trel::ini::ReadValue(all, "Quake2exe", "Path"));
    TREL_FUZZ_CHECK(load.DMflags || (load.error && load.steps.empty() &&
                                     load.error->description.find(" DMflags ") != std::string::npos));
    load.error ? CheckError(*load.error, file.native())
               : TREL_FUZZ_CHECK(load.DMflags && load.steps.size() == trel::kSettingsKeys.size() - 1);
    for (std::size_t i = 0; i < load.steps.size(); ++i) {
        const trel::LoadStep& step = load.steps[i];
        TREL_FUZZ_CHECK(step.key == static_cast<trel::SettingsKey>(i + 1) &&
                        step.text == trel::ini::ReadValue(all, "Settings", trel::kSettingsKeys[i + 1]));
        CheckNumber(step.text);
    }
    if (load.DMflags) {
        // The boxes loading ticks are distinct flags, largest first: none is followed by one at least as large.
        const auto ticked = trel::DmFlagsToTick(*load.DMflags);
        TREL_FUZZ_CHECK(std::ranges::adjacent_find(ticked, std::ranges::less_equal()) == ticked.end());
        for (const std::int32_t flag : ticked)
            TREL_FUZZ_CHECK(std::ranges::find(trel::kDmFlagValues, flag) != trel::kDmFlagValues.end());
    }

    const trel::StartDecision start = trel::DecideStart(file);
    const std::string used = trel::ini::ReadValue(all, "Quake2exe", "Used");
    CheckNumber(used);
    if (start.error)
        CheckError(*start.error, file.native()), TREL_FUZZ_CHECK(start.kind == trel::StartKind::FirstRun);
    else
        TREL_FUZZ_CHECK(trel::ParseWholeNumber(used) == std::optional<std::int32_t>(start.usedFlag) &&
                        (start.kind == trel::StartKind::Normal) == (start.usedFlag == 1));
    return 0;
}
