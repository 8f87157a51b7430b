#pragma once
// The process's peak resident memory so far, as the kernel counts it.

#include <cstdlib>
#include <fstream>
#include <string>

namespace trel::bench {

/// VmHWM in KiB, or -1 where /proc is not there.
inline long PeakKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

} // namespace trel::bench
