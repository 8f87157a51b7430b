#pragma once
// A failed invariant in a fuzz target: the message goes to the log and the run stops, so libFuzzer keeps
// the input that caused it.

#include <cstdio>
#include <cstdlib>

#define TREL_FUZZ_CHECK(condition)                                                                            \
    ((condition) ? void()                                                                                      \
                 : (std::fprintf(stderr, "%s:%d: invariant failed: %s\n", __FILE__, __LINE__, #condition),     \
                    std::abort()))
