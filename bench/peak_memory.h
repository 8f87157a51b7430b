#pragma once
// The process's peak resident memory so far, as the system counts it.

#ifdef _WIN32
#include <windows.h>

#include <psapi.h>
#else
#include <cstdlib>
#include <fstream>
#include <string>
#endif

namespace trel::bench {

#ifdef _WIN32
/// The peak working set in KiB.
inline long PeakKiB() {
    PROCESS_MEMORY_COUNTERS counters{};
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return -1;
    return static_cast<long>(counters.PeakWorkingSetSize / 1024);
}
#else
/// VmHWM in KiB, or -1 where /proc is not there.
inline long PeakKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}
#endif

} // namespace trel::bench
