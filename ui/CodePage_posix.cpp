// The code page away from Windows. The locale's own code page is used when it is an 8-bit one (ISO 8859-x,
// KOI8-R, CP1251, ...), read byte by byte through iconv. A UTF-8 locale has no 8-bit code page, and the
// C locale only knows ASCII; then the texts are Windows-1252, the code page that trel.ini files, launch
// scripts and server names written by Trel and Quake 2 on Windows mostly use, and one that holds every
// Latin-1 letter and the euro sign.

#include "CodePage.h"

#include <QList>

#include <iconv.h>
#include <langinfo.h>

#include <algorithm>
#include <array>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

namespace trel {
namespace {

constexpr char32_t kUndefined = 0xFFFFFFFF;
using Table = std::array<char32_t, 256>; // the character of each byte, kUndefined where there is none

Table Windows1252() {
    Table table{};
    for (std::size_t b = 0; b < table.size(); ++b)
        table[b] = static_cast<char32_t>(b);
    // 0x81, 0x8D, 0x8F, 0x90 and 0x9D are not defined.
    constexpr std::array<char32_t, 32> high = {
        0x20AC, kUndefined, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, kUndefined, 0x017D, kUndefined, kUndefined, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, kUndefined, 0x017E, 0x0178};
    std::copy(high.begin(), high.end(), table.begin() + 0x80);
    return table;
}

bool IsAscii(const char* codeset) {
    for (const char* name : {"ANSI_X3.4-1968", "ASCII", "US-ASCII", "646"})
        if (std::strcmp(codeset, name) == 0)
            return true;
    return false;
}

std::optional<Table> LocaleTable() {
    if (MB_CUR_MAX != 1)
        return std::nullopt; // UTF-8 or another multi-byte encoding
    const char* codeset = nl_langinfo(CODESET);
    if (!codeset || !*codeset || IsAscii(codeset))
        return std::nullopt;
    iconv_t convert = iconv_open("UTF-32LE", codeset);
    if (convert == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    Table table{};
    for (std::size_t b = 0; b < table.size(); ++b) {
        char in = static_cast<char>(b);
        unsigned char out[8] = {};
        char* from = &in;
        char* to = reinterpret_cast<char*>(out);
        std::size_t inLeft = 1;
        std::size_t outLeft = sizeof out;
        const bool read = iconv(convert, &from, &inLeft, &to, &outLeft) != static_cast<std::size_t>(-1);
        table[b] = read && outLeft == sizeof out - 4
                       ? static_cast<char32_t>(out[0] | out[1] << 8 | out[2] << 16 | static_cast<char32_t>(out[3]) << 24)
                       : kUndefined;
        iconv(convert, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(convert);
    return table;
}

struct CodePage {
    Table characters;
    std::vector<std::pair<char32_t, unsigned char>> bytes; // sorted by character, for encoding
};

// Fixed at first use, which comes after the application has taken over the user's locale.
const CodePage& TheCodePage() {
    static const CodePage page = [] {
        CodePage made{LocaleTable().value_or(Windows1252()), {}};
        for (std::size_t b = 0; b < made.characters.size(); ++b)
            if (made.characters[b] != kUndefined)
                made.bytes.emplace_back(made.characters[b], static_cast<unsigned char>(b));
        std::sort(made.bytes.begin(), made.bytes.end());
        return made;
    }();
    return page;
}

} // namespace

QString FromCodePage(std::string_view bytes) {
    const Table& characters = TheCodePage().characters;
    std::u32string text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const char32_t c = characters[static_cast<unsigned char>(byte)];
        text.push_back(c == kUndefined ? char32_t(0xFFFD) : c);
    }
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

std::optional<std::string> ToCodePage(const QString& text, QString* refused) {
    const auto& table = TheCodePage().bytes;
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const char32_t c : text.toUcs4()) {
        const auto found = std::lower_bound(table.begin(), table.end(), std::make_pair(c, static_cast<unsigned char>(0)));
        if (found == table.end() || found->first != c) {
            if (refused)
                *refused = QString::fromUcs4(&c, 1);
            return std::nullopt;
        }
        bytes.push_back(static_cast<char>(found->second));
    }
    return bytes;
}

} // namespace trel
