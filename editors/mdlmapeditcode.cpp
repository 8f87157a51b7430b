#include "mdlmapeditcode.h"

#include "mdlvariables.h"
#include "platform.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>

namespace trel {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

bool IsLineBreak(char c) { return c == '\n' || c == '\r'; }

// The parts of each span of from that no span of by covers; a span of by counts only where counts(a, b)
// says so. Both lists are sorted and non-overlapping.
template <typename Counts>
std::vector<ColourSpan> Subtract(const std::vector<ColourSpan>& from, const std::vector<ColourSpan>& by,
                                 Counts counts) {
    std::vector<ColourSpan> result;
    result.reserve(from.size());
    std::size_t first = 0; // the first span of by that may still reach the current span of from
    for (const ColourSpan& a : from) {
        while (first < by.size() && by[first].end() <= a.start)
            ++first;
        std::size_t at = a.start;
        for (std::size_t i = first; i < by.size() && by[i].start < a.end() && at < a.end(); ++i) {
            const ColourSpan& b = by[i];
            if (!counts(a, b) || b.end() <= at)
                continue;
            if (b.start > at)
                result.push_back({at, b.start - at, a.kind});
            at = std::max(at, b.end());
        }
        if (at < a.end())
            result.push_back({at, a.end() - at, a.kind});
    }
    return result;
}

// Joins two sorted lists of non-overlapping spans that do not overlap each other, and merges neighbours
// of one kind.
std::vector<ColourSpan> MergeRuns(const std::vector<ColourSpan>& a, const std::vector<ColourSpan>& b) {
    std::vector<ColourSpan> all;
    all.reserve(a.size() + b.size());
    std::merge(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(all),
               [](const ColourSpan& x, const ColourSpan& y) { return x.start < y.start; });
    std::vector<ColourSpan> runs;
    runs.reserve(all.size());
    for (const ColourSpan& span : all) {
        if (span.length == 0)
            continue;
        if (!runs.empty() && runs.back().kind == span.kind && runs.back().end() == span.start)
            runs.back().length += span.length;
        else
            runs.push_back(span);
    }
    return runs;
}

} // namespace

std::string buildmapdetails(std::string map, int gametypeIndex, std::string gemgoal, std::string timelimit,
                            std::string maxgems, bool multiplayer) {
    if (map.empty())
        return std::string(kChooseMapText);
    std::string block = "[ " + map + " ]";
    block += kLineEnd;
    // The block's game types count from 1; without a choice the game plays deathmatch.
    // Counted in a wider type: a position past the list's end must not overflow on the way.
    block += "gametype " +
             (gametypeIndex >= 0 ? std::to_string(static_cast<long long>(gametypeIndex) + 1) : std::string("3"));
    block += kLineEnd;
    if (multiplayer) {
        block += "gem_goal " + gemgoal;
        block += kLineEnd;
    }
    block += "vorn_timelimit " + timelimit;
    block += kLineEnd;
    block += "max_gems " + maxgems;
    block += kLineEnd;
    return block;
}

std::string MapCycleText(const std::vector<std::string>& maps) {
    std::string text;
    const auto line = [&text](std::string_view content) {
        text += content;
        text += kLineEnd;
    };
    line("# begin vorn.ini ===============");
    line("# Do not delete these comment lines");
    line("# This vorn.ini was produced automatically by Trel, the original is now vorn.bak");
    line("");
    for (const std::string& map : maps)
        line("[" + map + "]");
    line("");
    line("# end vorn.ini ===============");
    return text;
}

MapEditorCheck CheckMapEditorPath(const std::string& quake2Path) {
    return IsGameExecutable(PathFromText(quake2Path)) ? MapEditorCheck::Ready : MapEditorCheck::WrongDirectory;
}

std::string ServerIniName(const std::string& serverini) { return serverini.empty() ? "vorn.ini" : serverini; }

std::optional<std::string> ServerIniNameRefusal(std::string_view serverini) {
    const auto refuse = [&](std::string_view what) {
        return "The Custom server ini \"" + std::string(serverini) + "\" " + std::string(what) +
               ". Quake 2 reads it from the vorn folder only, so it must be a file name there, such as vorn.ini.";
    };
    if (serverini.find_first_of("/\\") != std::string_view::npos)
        return refuse("holds a folder separator (/ or \\)");
    const auto letter = static_cast<unsigned char>(serverini.empty() ? 0 : serverini.front());
    if (serverini.size() >= 2 && serverini[1] == ':' && ((letter | 0x20) >= 'a' && (letter | 0x20) <= 'z'))
        return refuse("starts with a drive");
    if (serverini == "." || serverini == "..")
        return refuse("is a folder step, not a file");
    return std::nullopt;
}

std::filesystem::path MultiplayerMapFile(const std::string& quake2Folder, const std::string& serverini) {
    return ModDir(quake2Folder) / PathFromText(ServerIniName(serverini));
}

std::filesystem::path SinglePlayerMapFile(const std::string& quake2Folder) {
    return ModDir(quake2Folder) / "vorn_sp.ini";
}

std::filesystem::path MotdFile(const std::string& quake2Folder) { return ModDir(quake2Folder) / "motd.txt"; }

std::string EditingHeading(const std::filesystem::path& file) { return "Editing - " + PathText(file); }

TextFileLoad LoadTextFile(const std::filesystem::path& file, WhenMissing whenMissing) {
    TextFileLoad load;
    bool missing = false;
    if (ReadFileBytes(file, load.bytes, load.why, &missing)) {
        load.ok = true;
        return load;
    }
    if (!missing)
        return load;
    load.why.clear();
    if (whenMissing == WhenMissing::CreateEmpty) {
        if (!WriteFileAtomic(file, {}, load.why))
            return load;
        load.created = true;
    }
    load.ok = true;
    return load;
}

// Both conversions copy the runs between line breaks whole: a 16 MiB file opens and saves in a blink.
std::string EditorTextFromFile(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    std::size_t from = 0;
    while (from < bytes.size()) {
        const void* hit = std::memchr(bytes.data() + from, '\r', bytes.size() - from);
        if (hit == nullptr) {
            text.append(bytes.substr(from));
            break;
        }
        const auto cr = static_cast<std::size_t>(static_cast<const char*>(hit) - bytes.data());
        text.append(bytes.substr(from, cr - from));
        text += '\n';
        from = cr + 1;
        if (from < bytes.size() && bytes[from] == '\n')
            ++from;
    }
    return text;
}

LoadedText LoadTextLines(std::string_view bytes) {
    LoadedText loaded;
    loaded.text = EditorTextFromFile(bytes);
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        if (bytes[at] == '\n') {
            loaded.ends.push_back(LoadedText::End::Lf);
        } else if (bytes[at] == '\r') {
            const bool pair = at + 1 < bytes.size() && bytes[at + 1] == '\n';
            loaded.ends.push_back(pair ? LoadedText::End::CrLf : LoadedText::End::Cr);
            at += pair ? 1 : 0;
        }
    }
    return loaded;
}

namespace {

// The lines of text that end in an LF; what follows the last LF is no such line.
std::vector<std::string_view> EndedLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t from = 0;
    for (;;) {
        const std::size_t lf = text.find('\n', from);
        if (lf == std::string_view::npos)
            return lines;
        lines.push_back(text.substr(from, lf - from));
        from = lf + 1;
    }
}

std::string_view EndBytes(LoadedText::End end) {
    switch (end) {
    case LoadedText::End::Cr:
        return "\r";
    case LoadedText::End::Lf:
        return "\n";
    case LoadedText::End::CrLf:
        break;
    }
    return kLineEnd;
}

} // namespace

std::string FileTextFromEditor(std::string_view text, const LoadedText& loaded) {
    const std::vector<std::string_view> lines = EndedLines(text);
    const std::vector<std::string_view> old = EndedLines(loaded.text);
    // An edit touches one run of lines: the lines before it match the loaded ones from the start, the
    // lines after it match them from the end. Only those keep their ends; the rest are CR LF.
    std::vector<LoadedText::End> ends(lines.size(), LoadedText::End::CrLf);
    const bool known = old.size() == loaded.ends.size();
    std::size_t head = 0;
    while (known && head < lines.size() && head < old.size() && lines[head] == old[head]) {
        ends[head] = loaded.ends[head];
        ++head;
    }
    for (std::size_t back = 1; known && back <= lines.size() - head && back <= old.size() - head; ++back) {
        if (lines[lines.size() - back] != old[old.size() - back])
            break;
        ends[lines.size() - back] = loaded.ends[old.size() - back];
    }
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 16 + 2);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        bytes.append(lines[i]);
        bytes.append(EndBytes(ends[i]));
    }
    const std::size_t lastLf = text.rfind('\n');
    bytes.append(lastLf == std::string_view::npos ? text : text.substr(lastLf + 1));
    bytes += kLineEnd;
    return bytes;
}

bool SaveTextFile(const std::filesystem::path& file, std::string_view text, std::string& why,
                  const LoadedText& loaded) {
    return WriteFileAtomic(file, FileTextFromEditor(text, loaded), why);
}

std::vector<ColourSpan> colourheads(std::string_view text) {
    std::vector<ColourSpan> heads;
    std::size_t from = 0;
    for (;;) {
        const std::size_t open = text.find('[', from);
        if (open == std::string_view::npos)
            break;
        const std::size_t close = text.find(']', open);
        if (close == std::string_view::npos)
            break;
        heads.push_back({open, close - open + 1, ColourKind::Head});
        // A "[" before the "]" lies inside this head and is coloured with it; the search goes on after
        // the head, so that one stray "[" does not leave the rest of the file uncoloured.
        from = close + 1;
    }
    return heads;
}

std::vector<ColourSpan> colourcomments(std::string_view text) {
    std::vector<ColourSpan> comments;
    std::size_t from = 0;
    for (;;) {
        const std::size_t hash = text.find('#', from);
        if (hash == std::string_view::npos)
            break;
        std::size_t lineEnd = hash;
        while (lineEnd < text.size() && !IsLineBreak(text[lineEnd]))
            ++lineEnd;
        // On the last line without a line break there is no comment, nor for any later "#" of that line.
        if (lineEnd == text.size())
            break;
        std::size_t end = lineEnd + 1;
        if (text[lineEnd] == '\r' && end < text.size() && text[end] == '\n')
            ++end;
        comments.push_back({hash, end - hash, ColourKind::Comment});
        // A "#" inside the comment would colour part of it again, with the same colour.
        from = end;
    }
    return comments;
}

std::vector<ColourSpan> ColourPasses(std::string_view text) {
    const std::vector<ColourSpan> comments = colourcomments(text);
    // Comments are coloured after heads, so where they overlap the comment colour is what stays.
    const std::vector<ColourSpan> heads =
        Subtract(colourheads(text), comments, [](const ColourSpan&, const ColourSpan&) { return true; });
    return MergeRuns(heads, comments);
}

void ColourRecord::edited(std::size_t position, std::size_t removed, std::size_t added) {
    const std::size_t changedEnd = position + removed;
    // The first span that reaches past position; everything before it is untouched.
    const auto first = std::partition_point(spans_.begin(), spans_.end(),
                                            [position](const ColourSpan& s) { return s.end() <= position; });
    // Spans reaching into the changed characters (or, for a pure insertion, around the insertion point)
    // keep only their parts outside them.
    std::vector<ColourSpan> pieces;
    auto last = first;
    for (; last != spans_.end() && last->start < changedEnd; ++last) {
        if (last->start < position)
            pieces.push_back({last->start, position - last->start, last->kind});
        if (last->end() > changedEnd)
            pieces.push_back({changedEnd, last->end() - changedEnd, last->kind});
    }
    const auto index = first - spans_.begin();
    spans_.erase(first, last);
    spans_.insert(spans_.begin() + index, pieces.begin(), pieces.end());
    // Whatever lies after the change moves with it.
    for (auto i = static_cast<std::size_t>(index); i < spans_.size(); ++i) {
        if (spans_[i].start >= changedEnd)
            spans_[i].start = spans_[i].start - removed + added;
    }
    // Taking characters away (or a change that adds nothing) can leave two spans of one kind side by side;
    // they become one span, so the record does not splinter into ever more pieces as the user deletes.
    if (added == 0) {
        const auto right = std::partition_point(spans_.begin(), spans_.end(),
                                                [position](const ColourSpan& s) { return s.start < position; });
        if (right != spans_.begin() && right != spans_.end()) {
            const auto left = std::prev(right);
            if (left->end() == right->start && left->kind == right->kind) {
                left->length += right->length;
                spans_.erase(right);
            }
        }
    }
}

std::vector<ColourSpan> ColourRecord::missing(const std::vector<ColourSpan>& wanted) const {
    return Subtract(wanted, spans_, [](const ColourSpan& a, const ColourSpan& b) { return a.kind == b.kind; });
}

void ColourRecord::applied(const std::vector<ColourSpan>& wanted) {
    const std::vector<ColourSpan> kept =
        Subtract(spans_, wanted, [](const ColourSpan&, const ColourSpan&) { return true; });
    spans_ = MergeRuns(kept, wanted);
}

TypedResult TypedCharacter(OpenHead& state, char32_t character, std::size_t caret) {
    if (character == U'[') {
        state.open = true;
        state.position = caret;
        return {TypedEffect::HeadOpened, {}};
    }
    if (character == U']') {
        if (!state.open)
            return {TypedEffect::None, {}};
        state.open = false;
        // A caret before the remembered "[" would make a span of negative length: nothing is coloured.
        if (caret <= state.position)
            return {TypedEffect::None, {}};
        return {TypedEffect::ColourHead, {state.position, caret - state.position, ColourKind::Head}};
    }
    // Shortcuts such as copy or select-all arrive as control characters; they type nothing, so they
    // must not turn a selected head black. Backspace, tab and the line breaks do type.
    const bool typesText = character >= U' ' || character == U'\b' || character == U'\t' || character == U'\r' ||
                           character == U'\n';
    return {typesText ? TypedEffect::TypeBlack : TypedEffect::None, {}};
}

} // namespace trel
