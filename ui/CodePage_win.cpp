// The code page on Windows: the system's ANSI code page, as the 8-bit profile-string functions and the
// game read it.

#include "CodePage.h"

#include <windows.h>

#include <string>

namespace trel {
namespace {

// Whether text goes into the ANSI code page with every character as itself: no default character and,
// with WC_NO_BEST_FIT_CHARS, no look-alike ("€" never becomes "E", "Ω" never "O").
std::optional<std::string> Encode(const std::wstring& wide) {
    if (wide.empty())
        return std::string();
    // The UTF-8 code page holds every character; it only takes WC_ERR_INVALID_CHARS and no default check.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* used = utf8 ? nullptr : &usedDefault;
    const int length = static_cast<int>(wide.size());
    const int size = WideCharToMultiByte(CP_ACP, flags, wide.data(), length, nullptr, 0, nullptr, used);
    if (size <= 0 || usedDefault)
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (WideCharToMultiByte(CP_ACP, flags, wide.data(), length, bytes.data(), size, nullptr, used) != size ||
        usedDefault)
        return std::nullopt;
    return bytes;
}

} // namespace

QString FromCodePage(std::string_view bytes) {
    if (bytes.empty())
        return QString();
    const int length = static_cast<int>(bytes.size());
    const int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, wide.data(), size);
    return QString::fromStdWString(wide);
}

std::optional<std::string> ToCodePage(const QString& text, QString* refused) {
    if (auto bytes = Encode(text.toStdWString()))
        return bytes;
    if (refused) {
        // The first character (a surrogate pair counts as one) that does not go across on its own.
        *refused = QString();
        for (qsizetype i = 0; i < text.size();) {
            const qsizetype width = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            const QString character = text.mid(i, width);
            if (!Encode(character.toStdWString())) {
                *refused = character;
                break;
            }
            i += width;
        }
    }
    return std::nullopt;
}

} // namespace trel
