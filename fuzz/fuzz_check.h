#pragma once
// What every fuzz target needs: the input reader, and a failed invariant's report: the message goes to the log
// and the run stops, so libFuzzer keeps the input that caused it.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#define TREL_FUZZ_CHECK(condition)                                                                            \
    ((condition) ? void()                                                                                      \
                 : (std::fprintf(stderr, "%s:%d: invariant failed: %s\n", __FILE__, __LINE__, #condition),     \
                    std::abort()))

// The text without the given blanks at either end.
inline std::string_view Trimmed(std::string_view text, std::string_view blanks) {
    text.remove_prefix(std::min(text.find_first_not_of(blanks), text.size()));
    return text.substr(0, text.find_last_not_of(blanks) + 1); // all blanks: npos + 1 is 0
}
