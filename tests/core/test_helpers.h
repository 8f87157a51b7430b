#pragma once
// Temporary folders and byte-exact file access for the core's tests.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace trel::test {

/// True under Wine, whose profile-string functions rewrite the whole file on every write where Windows keeps
/// every byte it does not change: tests of those bytes through WriteIni skip there.
inline bool UnderWine() {
#ifdef _WIN32
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; // ntdll is always loaded
#else
    return false;
#endif
}

/// A fresh folder (with a blank in its name) removed again at the end of the test.
class TempDir {
public:
    TempDir() { std::filesystem::create_directories(path_); }
    ~TempDir() { std::error_code ec; std::filesystem::remove_all(path_, ec); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_ = std::filesystem::temp_directory_path() /
        ("trel test " + std::to_string(std::random_device()()) + std::to_string(std::random_device()()));
};

/// The names in folder, sorted: what a test sees left behind after a write.
inline std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

inline std::string ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
inline void WriteBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

/// What run returns (0 to 254), run in a child process whose files may grow to bytes at most (a full disk for
/// its writes); -1 without a child (on Windows) or when it did not end by itself.
inline int InChildWithFileLimit([[maybe_unused]] unsigned bytes, [[maybe_unused]] const std::function<int()>& run) {
#ifndef _WIN32
    if (const pid_t child = fork(); child == 0) { // _exit keeps the child from running the parent's clean-up
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, bytes};
        _exit(setrlimit(RLIMIT_FSIZE, &limit) == 0 ? run() : 255);
    } else if (int status = 0; child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
#endif
    return -1;
}

} // namespace trel::test
