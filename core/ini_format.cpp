// The settings file's text format: lines of "[section]" heads and "key=value" pairs. Reads and writes
// work on the whole text in one pass; a write changes or adds exactly one line and keeps every other byte.

#include "mdlIniStuff.h"
#include "platform.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace trel::ini {
namespace {

// Tab to carriage return, the blank, and the end-of-file mark that old editors left in text files.
bool IsBlank(char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b >= 9 && b <= 13) || b == 32 || b == 26;
}

std::string_view Trim(std::string_view s) {
    std::size_t begin = 0;
    while (begin < s.size() && IsBlank(s[begin]))
        ++begin;
    std::size_t end = s.size();
    while (end > begin && IsBlank(s[end - 1]))
        --end;
    return s.substr(begin, end - begin);
}

bool IsBlankLine(std::string_view s) {
    return Trim(s).empty();
}

// One line of the text: its content is [begin, end), its line end (CR LF, LF, a lone CR or nothing
// on the last line) is [end, next).
struct Line {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t next = 0;

    bool HasLineEnd() const { return next != end; }
};

// Walks the text line by line. The next CR and the next LF are found with memchr and remembered until
// the walk passes them, so a pass over the text costs two fast scans however long its lines are: one read
// of a huge settings file stays quick although start-up reads every key in a pass of its own.
class LineWalk {
public:
    explicit LineWalk(std::string_view text) : text_(text) {}

    bool AtEnd() const { return pos_ >= text_.size(); }

    Line Next() {
        Line line;
        line.begin = pos_;
        const std::size_t i = std::min(NextOf('\r', cr_), NextOf('\n', lf_));
        line.end = i;
        std::size_t next = i;
        if (i < text_.size())
            next += (text_[i] == '\r' && i + 1 < text_.size() && text_[i + 1] == '\n') ? 2 : 1;
        line.next = pos_ = next;
        return line;
    }

private:
    // The first c at or after the current position, or the text's size when there is none.
    std::size_t NextOf(char c, std::size_t& found) {
        if (found < pos_ || found == kUnknown) {
            const void* hit = std::memchr(text_.data() + pos_, c, text_.size() - pos_);
            found = hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text_.data()) : text_.size();
        }
        return found;
    }

    static constexpr std::size_t kUnknown = static_cast<std::size_t>(-1);
    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t cr_ = kUnknown;
    std::size_t lf_ = kUnknown;
};

enum class LineKind { Other, Head, Pair };

// What a line means: a section head with its name, a key with its value, or neither.
struct Parsed {
    LineKind kind = LineKind::Other;
    std::string_view name;
    std::string_view value;
};

Parsed Parse(std::string_view content) {
    Parsed parsed;
    const std::string_view trimmed = Trim(content);
    if (!trimmed.empty() && trimmed.front() == '[') {
        const std::size_t close = trimmed.rfind(']');
        if (close != std::string_view::npos) {
            // Whatever follows the last "]" of a head is ignored.
            parsed.kind = LineKind::Head;
            parsed.name = Trim(trimmed.substr(1, close - 1));
            return parsed;
        }
    }
    const std::size_t equals = content.find('=');
    if (equals == std::string_view::npos)
        return parsed;
    parsed.kind = LineKind::Pair;
    parsed.name = Trim(content.substr(0, equals));
    parsed.value = Trim(content.substr(equals + 1));
    return parsed;
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

std::string PairLine(std::string_view key, std::string_view value) {
    std::string line;
    line.reserve(key.size() + value.size() + 3);
    line.append(key).append("=").append(value).append("\r\n");
    return line;
}

} // namespace

std::string ReadValue(std::string_view text, std::string_view section, std::string_view key) {
    section = Trim(section);
    key = Trim(key);
    bool inSection = false;
    for (LineWalk walk(text); !walk.AtEnd();) {
        const Line line = walk.Next();
        const Parsed parsed = Parse(text.substr(line.begin, line.end - line.begin));
        if (parsed.kind == LineKind::Head) {
            // Only the first section of a name counts; a later one of the same name is never looked at.
            if (inSection)
                return {};
            inSection = SameAsciiName(parsed.name, section);
        } else if (inSection && parsed.kind == LineKind::Pair && SameAsciiName(parsed.name, key)) {
            return std::string(Unquote(parsed.value).substr(0, kMaxValueLength));
        }
    }
    return {};
}

std::string WriteValue(std::string_view text, std::string_view section, std::string_view key, std::string_view value) {
    section = Trim(section);
    key = Trim(key);
    bool inSection = false;
    bool sectionFound = false;
    Line lastFilled; // the section's last line that holds more than blanks
    for (LineWalk walk(text); !walk.AtEnd();) {
        const Line line = walk.Next();
        const std::string_view content = text.substr(line.begin, line.end - line.begin);
        const Parsed parsed = Parse(content);
        if (parsed.kind == LineKind::Head) {
            if (inSection)
                break;
            if (SameAsciiName(parsed.name, section)) {
                inSection = sectionFound = true;
                lastFilled = line;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (parsed.kind == LineKind::Pair && SameAsciiName(parsed.name, key)) {
            // The key keeps its spelling from the file and the line keeps its own line end.
            std::string out;
            out.reserve(text.size() + value.size());
            out.append(text.substr(0, line.begin)).append(parsed.name).append("=").append(value);
            out.append(text.substr(line.end));
            return out;
        }
        if (!IsBlankLine(content))
            lastFilled = line;
    }

    std::string out;
    if (!sectionFound) {
        out.reserve(text.size() + section.size() + key.size() + value.size() + 8);
        out.append(text);
        if (!text.empty() && text.back() != '\r' && text.back() != '\n')
            out.append("\r\n");
        out.append("[").append(section).append("]\r\n");
        out.append(PairLine(key, value));
        return out;
    }
    // The new key goes right after the section's last filled line, so that blank lines separating it
    // from the next section stay between them.
    out.reserve(text.size() + key.size() + value.size() + 5);
    out.append(text.substr(0, lastFilled.next));
    if (!lastFilled.HasLineEnd())
        out.append("\r\n");
    out.append(PairLine(key, value));
    out.append(text.substr(lastFilled.next));
    return out;
}

} // namespace trel::ini
