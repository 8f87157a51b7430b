// Runs one of Trel's writers over and over with ever higher numbered contents until it is killed:
//
//   crash_writer <writer> <folder> <first number>
//
// The folder must hold the layout of hardening_writers.h. An "R" on standard output says the loop has
// begun, a "W" that its first write is complete; a failed write ends the program with status 2 and the
// reason on standard error.

#include "hardening_writers.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: crash_writer <writer> <folder> <first number>\n");
        return 1;
    }
    const auto writer = trel::test::WriterNamed(argv[1]);
    if (!writer) {
        std::fprintf(stderr, "crash_writer: no writer named %s\n", argv[1]);
        return 1;
    }
    const trel::test::Layout layout{argv[2]};
    const std::uint64_t first = std::stoull(argv[3]);
    std::uint64_t generation = first;
    if (::write(STDOUT_FILENO, "R", 1) != 1)
        return 1;
    for (;; ++generation) {
        std::string why;
        if (!trel::test::WriteGeneration(*writer, layout, generation, why)) {
            std::fprintf(stderr, "crash_writer: %s\n", why.c_str());
            return 2;
        }
        if (generation == first && ::write(STDOUT_FILENO, "W", 1) != 1)
            return 1;
    }
}
