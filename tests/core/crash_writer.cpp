// crash_writer <writer> <folder> <first number>: runs a writer of hardening_writers.h with ever higher numbers till
// killed; writes "R" when it begins, "W" when the first write is whole; a failed write: status 2 and the reason.

#include "hardening_writers.h"

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    const trel::test::Writer* writer = argc == 4 ? trel::test::WriterNamed(argv[1]) : nullptr;
    if (writer == nullptr || !writer->content || ::write(STDOUT_FILENO, "R", 1) != 1)
        return std::fprintf(stderr, "usage: crash_writer <writer> <folder> <first number>\n"), 1;
    for (std::uint64_t first = std::stoull(argv[3]), generation = first;; ++generation)
        if (const auto outcome = writer->run(argv[2], generation); !outcome.ok)
            return std::fprintf(stderr, "crash_writer: %s\n", outcome.why.c_str()), 2;
        else if (generation == first && ::write(STDOUT_FILENO, "W", 1) != 1)
            return 1;
}
