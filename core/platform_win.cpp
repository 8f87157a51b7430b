// File-system services on Windows, through the 8-bit (code page) file functions that the settings
// file's paths are written for.

#include "platform.h"

#include "gamesearch.h"

#include <cstdlib>
#include <random>

#include <windows.h>

namespace trel {
namespace {

std::string Reason(const std::filesystem::path& file, DWORD error) {
    return PathText(file) + ": " + SystemErrorText(error);
}

std::string IsFolderReason(const std::filesystem::path& file) {
    return PathText(file) + ": Is a directory";
}

// Closes a handle when it goes out of scope unless it was handed on.
class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (h_ != INVALID_HANDLE_VALUE)
            CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE release() {
        HANDLE h = h_;
        h_ = INVALID_HANDLE_VALUE;
        return h;
    }

private:
    HANDLE h_;
};

bool WriteAll(HANDLE h, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(h, bytes.data(), chunk, &written, nullptr))
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

std::filesystem::path FolderOf(const std::filesystem::path& file) {
    std::filesystem::path folder = file.parent_path();
    return folder.empty() ? std::filesystem::path(".") : folder;
}

// Creates a new file ".<name>.XXXXXX" beside file; it inherits the folder's permissions like any new file.
HANDLE CreateTempBeside(const std::filesystem::path& file, std::filesystem::path& temp) {
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    const std::filesystem::path folder = FolderOf(file);
    const std::string prefix = "." + PathText(file.filename()) + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = prefix;
        for (int i = 0; i < 6; ++i)
            name += kLetters[pick(random)];
        temp = folder / PathFromText(name);
        HANDLE h =
            CreateFileA(PathText(temp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE)
            return h;
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return h;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return INVALID_HANDLE_VALUE;
}

} // namespace

std::string SystemErrorText(unsigned long error) {
    char buffer[512] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                   buffer, sizeof buffer, nullptr);
    std::string text(buffer, n);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    return text.empty() ? "error " + std::to_string(error) : text;
}

std::string EngineHomeFolder() {
    return {};
}

std::optional<std::string> StoredFileName(const std::filesystem::path& path) {
    const std::string text = PathText(path);
    // The search below takes wildcards; a path holding one names no single file.
    if (text.empty() || text.find_first_of("*?") != std::string::npos)
        return std::nullopt;
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(text.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return std::nullopt;
    FindClose(search);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return std::nullopt;
    // The directory entry spells the name as stored, whatever case the path was typed in.
    return std::string(found.cFileName);
}

bool ReadFileBytes(const std::filesystem::path& file, std::string& bytes, std::string& why, bool* missing) {
    bytes.clear();
    if (missing)
        *missing = false;
    const std::string text = PathText(file);
    const DWORD attributes = GetFileAttributesA(text.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (missing)
            *missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        why = Reason(file, error);
        return false;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        why = IsFolderReason(file);
        return false;
    }
    Handle h(CreateFileA(text.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!h.valid()) {
        const DWORD error = GetLastError();
        if (missing)
            *missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        why = Reason(file, error);
        return false;
    }
    LARGE_INTEGER size{};
    if (GetFileSizeEx(h.get(), &size) && size.QuadPart > 0)
        bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    char buffer[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(h.get(), buffer, sizeof buffer, &n, nullptr)) {
            const DWORD error = GetLastError();
            bytes.clear();
            why = Reason(file, error);
            return false;
        }
        if (n == 0)
            return true;
        bytes.append(buffer, n);
    }
}

bool WriteFileAtomic(const std::filesystem::path& file, std::string_view bytes, std::string& why) {
    const std::string target = PathText(file);
    const DWORD attributes = GetFileAttributesA(target.c_str());
    const bool existed = attributes != INVALID_FILE_ATTRIBUTES;
    if (existed && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        why = IsFolderReason(file);
        return false;
    }

    std::filesystem::path temp;
    Handle h(CreateTempBeside(file, temp));
    if (!h.valid()) {
        why = Reason(file, GetLastError());
        return false;
    }
    const std::string tempText = PathText(temp);
    // Any failure leaves the old file as it was and takes the half-written temporary file away.
    const auto fail = [&](DWORD error) {
        if (h.valid())
            CloseHandle(h.release());
        DeleteFileA(tempText.c_str());
        why = Reason(file, error);
        return false;
    };
    if (!WriteAll(h.get(), bytes) || !FlushFileBuffers(h.get()))
        return fail(GetLastError());
    if (!CloseHandle(h.release()))
        return fail(GetLastError());

    // Replacing keeps the old file's attributes and permissions; a new file takes the folder's.
    if (existed) {
        if (ReplaceFileA(target.c_str(), tempText.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
            return true;
        const DWORD error = GetLastError();
        // Without a backup name, a replacement that could not be moved into place may already have
        // removed the old file; the rename below puts the new content there.
        if (error != ERROR_UNABLE_TO_MOVE_REPLACEMENT && error != ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
            return fail(error);
    }
    if (!MoveFileExA(tempText.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return fail(GetLastError());
    return true;
}

std::string PathText(const std::filesystem::path& path) {
    // The settings file holds 8-bit text in the system's code page.
    const std::wstring& wide = path.native();
    if (wide.empty())
        return {};
    const int size =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size, nullptr, nullptr);
    return text;
}

std::filesystem::path PathFromText(const std::string& text) {
    if (text.empty())
        return {};
    const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return std::filesystem::path(wide);
}

namespace {

// A key named "HKCU\Software\..." or "HKLM\...": its root, the rest of its name and the registry view.
// "SOFTWARE\WOW6432Node\..." is where a 64-bit process sees what 32-bit programs (the game stores'
// installers) write into their HKLM\SOFTWARE: it is opened as their view of the key without that part,
// which names the same key from a 64-bit process and the right one from a 32-bit process too.
struct RegistryKey {
    HKEY root = nullptr;
    std::string rest;
    REGSAM view = 0;
};

std::optional<RegistryKey> SplitRegistryKey(const std::string& key) {
    const auto slash = key.find('\\');
    const std::string head = key.substr(0, slash);
    RegistryKey split;
    split.rest = slash == std::string::npos ? std::string() : key.substr(slash + 1);
    if (head == "HKCU")
        split.root = HKEY_CURRENT_USER;
    else if (head == "HKLM")
        split.root = HKEY_LOCAL_MACHINE;
    else
        return std::nullopt;
    constexpr std::string_view k32BitSoftware = "SOFTWARE\\WOW6432Node";
    const std::string_view rest = split.rest;
    if (split.root == HKEY_LOCAL_MACHINE && SameAsciiName(rest.substr(0, k32BitSoftware.size()), k32BitSoftware) &&
        (rest.size() == k32BitSoftware.size() || rest[k32BitSoftware.size()] == '\\')) {
        split.rest = "SOFTWARE" + split.rest.substr(k32BitSoftware.size());
        split.view = KEY_WOW64_32KEY;
    }
    return split;
}

// The key opened for reading, or nothing.
HKEY OpenRegistryKey(const std::string& key, REGSAM access) {
    const auto split = SplitRegistryKey(key);
    HKEY opened = nullptr;
    if (!split || RegOpenKeyExA(split->root, split->rest.c_str(), 0, access | split->view, &opened) != ERROR_SUCCESS)
        return nullptr;
    return opened;
}

class WindowsSearchEnvironment final : public SearchEnvironment {
public:
    std::optional<std::string> Variable(const std::string& name) const override {
        const char* value = std::getenv(name.c_str());
        return value ? std::optional<std::string>(value) : std::nullopt;
    }

    std::optional<std::string> RegistryValue(const std::string& key, const std::string& value) const override {
        const HKEY opened = OpenRegistryKey(key, KEY_QUERY_VALUE);
        if (!opened)
            return {};
        char data[2048];
        DWORD size = sizeof data;
        // A REG_EXPAND_SZ value comes back expanded as REG_SZ; asking for that type as well is refused
        // unless expansion is switched off.
        const LSTATUS status = RegGetValueA(opened, nullptr, value.c_str(), RRF_RT_REG_SZ, nullptr, data, &size);
        RegCloseKey(opened);
        if (status != ERROR_SUCCESS)
            return {};
        return std::string(data);
    }

    std::vector<std::string> RegistrySubkeys(const std::string& key) const override {
        std::vector<std::string> names;
        const HKEY opened = OpenRegistryKey(key, KEY_ENUMERATE_SUB_KEYS);
        if (!opened)
            return names;
        // A machine-wide list is short; the bound only keeps a damaged registry from holding the search.
        for (DWORD index = 0; index < 1000; ++index) {
            char name[256];
            DWORD length = sizeof name;
            if (RegEnumKeyExA(opened, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            names.emplace_back(name, length);
        }
        RegCloseKey(opened);
        return names;
    }
};

} // namespace

unsigned ScriptCodePage(std::vector<std::string>& texts) {
    const UINT ansi = GetACP();
    const UINT oem = GetOEMCP();
    if (oem == ansi)
        return ansi;
    // Wine's command shell reads every script in the OEM code page whatever it is told to switch to,
    // and a console opened for a script starts in it; only a text that code page lacks needs the switch.
    // (Without a console Wine's shell writes echo's output in the ANSI code page: there bytes beyond
    // ASCII in the launch script's own lines come out changed.)
    std::vector<std::string> converted;
    converted.reserve(texts.size());
    for (const std::string& text : texts) {
        const std::wstring wide = PathFromText(text).native();
        BOOL lossy = FALSE;
        const int size = WideCharToMultiByte(oem, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                             nullptr, 0, nullptr, &lossy);
        if (lossy || (size <= 0 && !wide.empty()))
            return ansi;
        std::string bytes(static_cast<std::size_t>(size), '\0');
        if (size > 0)
            WideCharToMultiByte(oem, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), bytes.data(),
                                size, nullptr, nullptr);
        converted.push_back(std::move(bytes));
    }
    texts = std::move(converted);
    return oem;
}

const SearchEnvironment& SystemSearchEnvironment() {
    static const WindowsSearchEnvironment environment;
    return environment;
}

} // namespace trel
