// File-system services on Linux and other Unix systems.

#include "platform.h"

#include "gamesearch.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trel {
namespace {

std::string Reason(const std::filesystem::path& file, int error) {
    return PathText(file) + ": " + std::strerror(error);
}

std::filesystem::path FolderOf(const std::filesystem::path& file) {
    std::filesystem::path folder = file.parent_path();
    return folder.empty() ? std::filesystem::path(".") : folder;
}

// Closes a descriptor when it goes out of scope unless it was handed on.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Creates a new file ".<name>.XXXXXX" beside file. Unlike mkstemp, the mode is the caller's, so a
// settings file that did not exist before gets the permissions the user's umask gives any new file.
int CreateTempBeside(const std::filesystem::path& file, mode_t mode, std::filesystem::path& temp) {
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    const std::filesystem::path folder = FolderOf(file);
    const std::string prefix = "." + file.filename().native() + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = prefix;
        for (int i = 0; i < 6; ++i)
            name += kLetters[pick(random)];
        temp = folder / name;
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// Makes the rename itself survive a crash; the new content is already on disk.
void SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

std::string EngineHomeFolder() {
    const char* home = std::getenv("HOME");
    return home ? std::string(home) : std::string();
}

std::optional<std::string> StoredFileName(const std::filesystem::path& path) {
    struct stat target {};
    if (::stat(path.c_str(), &target) != 0 || !S_ISREG(target.st_mode))
        return std::nullopt;
    const std::string asked = path.filename().native();

    // On a file system that ignores letter case the name asked for may differ from the stored one, so
    // the folder's entries are searched for the file itself.
    DIR* folder = ::opendir(FolderOf(path).c_str());
    if (folder == nullptr)
        return asked;
    std::optional<std::string> stored;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string_view name = entry->d_name;
        if (name == asked) {
            stored = asked;
            break;
        }
        struct stat candidate {};
        if (!stored && SameAsciiName(name, asked) && ::fstatat(::dirfd(folder), entry->d_name, &candidate, 0) == 0 &&
            candidate.st_dev == target.st_dev && candidate.st_ino == target.st_ino)
            stored = std::string(name);
    }
    ::closedir(folder);
    return stored ? stored : std::optional<std::string>(asked);
}

bool ReadFileBytes(const std::filesystem::path& file, std::string& bytes, std::string& why, bool* missing) {
    bytes.clear();
    if (missing)
        *missing = false;
    Descriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        const int error = errno;
        if (missing)
            *missing = error == ENOENT;
        why = Reason(file, error);
        return false;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        why = Reason(file, errno);
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        why = Reason(file, EISDIR);
        return false;
    }
    if (info.st_size > 0)
        bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            bytes.clear();
            why = Reason(file, error);
            return false;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

bool WriteFileAtomic(const std::filesystem::path& file, std::string_view bytes, std::string& why) {
    struct stat old {};
    const bool existed = ::stat(file.c_str(), &old) == 0;
    if (existed && S_ISDIR(old.st_mode)) {
        why = Reason(file, EISDIR);
        return false;
    }

    // A file reached through a link is replaced where it lies, so that the link keeps leading to it.
    std::filesystem::path target = file;
    if (existed) {
        std::error_code error;
        std::filesystem::path resolved = std::filesystem::canonical(file, error);
        if (!error)
            target = std::move(resolved);
    }

    std::filesystem::path temp;
    Descriptor fd(CreateTempBeside(target, existed ? S_IRUSR | S_IWUSR : 0666, temp));
    if (fd.get() < 0) {
        why = Reason(file, errno);
        return false;
    }
    // Any failure leaves the old file as it was and takes the half-written temporary file away.
    const auto fail = [&](int error) {
        if (fd.get() >= 0)
            ::close(fd.release());
        ::unlink(temp.c_str());
        why = Reason(file, error);
        return false;
    };
    if (!WriteAll(fd.get(), bytes) || ::fsync(fd.get()) != 0)
        return fail(errno);
    if (existed && ::fchmod(fd.get(), old.st_mode & 07777) != 0)
        return fail(errno);
    // A failed close can be the first report of a failed write on some file systems.
    if (::close(fd.release()) != 0)
        return fail(errno);
    if (::rename(temp.c_str(), target.c_str()) != 0)
        return fail(errno);
    SyncFolder(FolderOf(target));
    return true;
}

std::string PathText(const std::filesystem::path& path) {
    return path.native();
}

std::filesystem::path PathFromText(const std::string& text) {
    return std::filesystem::path(text);
}

namespace {

// Unix systems have no registry: only the environment counts.
class PosixSearchEnvironment final : public SearchEnvironment {
public:
    std::optional<std::string> Variable(const std::string& name) const override {
        const char* value = std::getenv(name.c_str());
        return value ? std::optional<std::string>(value) : std::nullopt;
    }
    std::optional<std::string> RegistryValue(const std::string&, const std::string&) const override { return {}; }
    std::vector<std::string> RegistrySubkeys(const std::string&) const override { return {}; }
};

} // namespace

unsigned ScriptCodePage(std::vector<std::string>&) { return 0; }

const SearchEnvironment& SystemSearchEnvironment() {
    static const PosixSearchEnvironment environment;
    return environment;
}

} // namespace trel
