// The settings store's text format: arbitrary file bytes, then a sequence of reads and writes.
// After every write, each value written so far reads back as the store reads any value (blanks around it
// dropped, one pair of quotation marks taken off, cut after 254 characters), and every line of the text
// before the write is still there byte for byte except the one line the write replaced.

#include "fuzz_check.h"
#include "mdlIniStuff.h"

#include <array>
#include <map>
#include <utility>

namespace {

// The blanks the store drops around names and values: tab to carriage return, space and end-of-file.
std::string_view Trim(std::string_view s) { return Trimmed(s, "\t\n\v\f\r \x1a"); }

std::string Folded(std::string_view name) {
    std::string folded(Trim(name));
    for (char& c : folded)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return folded;
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// How the store reads back a value it was given.
std::string ReadBack(std::string_view value) {
    std::string_view v = Trim(value);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::string(v.substr(0, trel::ini::kMaxValueLength));
}

// Names that collide with each other and with the keys Trel itself uses, so writes meet existing lines.
constexpr std::array<std::string_view, 10> kNames = {"Settings", "settings", " Settings\t", "Quake2exe", "Map",
                                                     "map",      "DMflags",  "ServerName 1", "Used", ""};

std::string Name(FuzzedDataProvider& data) {
    return data.ConsumeBool() ? std::string(kNames[data.ConsumeIntegralInRange<std::size_t>(0, kNames.size() - 1)])
                              : data.ConsumeRandomLengthString(12);
}

// Only lines outside one replaced line may change: the bytes the write took away hold no line break.
void CheckOnlyOneLineChanged(std::string_view before, std::string_view after) {
    const auto prefix = static_cast<std::size_t>(std::ranges::mismatch(before, after).in1 - before.begin());
    const auto suffix = std::mismatch(before.rbegin(), before.rend() - prefix, after.rbegin(), after.rend() - prefix);
    TREL_FUZZ_CHECK(!HasLineBreak(before.substr(prefix, before.size() - prefix - (suffix.first - before.rbegin()))));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    std::string text = data.ConsumeRandomLengthString(4096);
    std::map<std::pair<std::string, std::string>, std::string> written;
    for (int op = 0; op < 32 && data.remaining_bytes() > 0; ++op) {
        const std::string section = Name(data), key = Name(data);
        if (data.ConsumeBool()) { // any read of any text returns at most the longest value and never crashes
            TREL_FUZZ_CHECK(trel::ini::ReadValue(text, section, key).size() <= trel::ini::kMaxValueLength);
            continue;
        }
        const std::string value = data.ConsumeRandomLengthString(300);
        const std::string after = trel::ini::WriteValue(text, section, key, value);
        // A name or value with a line break, a key holding "=", or a key that reads as a section head
        // cannot stay on one line: the read-back promise is about what one line can hold.
        const bool oneLine = !HasLineBreak(section + key + value) && key.find('=') == std::string::npos &&
                             !Trim(key).starts_with('[');
        if (oneLine)
            CheckOnlyOneLineChanged(text, after);
        else
            written.clear();
        text = after;
        if (!oneLine)
            continue;
        written[{Folded(section), Folded(key)}] = ReadBack(value);
        TREL_FUZZ_CHECK(trel::ini::ReadValue(text, section, key) == ReadBack(value));
        for (const auto& [where, expected] : written)
            TREL_FUZZ_CHECK(trel::ini::ReadValue(text, where.first, where.second) == expected);
    }
    return 0;
}
