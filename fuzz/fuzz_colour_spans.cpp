// The map-details editor's colouring: the spans of both passes against a character-by-character painting,
// and the record of known colours against a per-character model through a sequence of edits.

#include "fuzz_check.h"
#include "mdlmapeditcode.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

using trel::ColourKind;
using trel::ColourSpan;

constexpr int kNone = -1;

// The passes done the slow way: every head painted, then every comment painted over it.
std::vector<int> Painted(std::string_view text) {
    std::vector<int> colour(text.size(), kNone);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '[')
            continue;
        std::size_t close = i;
        while (close < text.size() && text[close] != ']')
            ++close;
        if (close == text.size())
            break;
        for (std::size_t j = i; j <= close; ++j)
            colour[j] = static_cast<int>(ColourKind::Head);
        i = close;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '#')
            continue;
        std::size_t end = i;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r')
            ++end;
        if (end == text.size())
            break;
        if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
            ++end;
        for (std::size_t j = i; j <= end; ++j)
            colour[j] = static_cast<int>(ColourKind::Comment);
        i = end;
    }
    return colour;
}

// Spans as one colour per character; spans must lie inside the text, in order, without overlap.
std::vector<int> Expanded(const std::vector<ColourSpan>& spans, std::size_t length) {
    std::vector<int> colour(length, kNone);
    std::size_t previousEnd = 0;
    for (const ColourSpan& span : spans) {
        TREL_FUZZ_CHECK(span.length > 0);
        TREL_FUZZ_CHECK(span.start >= previousEnd);
        TREL_FUZZ_CHECK(span.end() <= length);
        for (std::size_t i = span.start; i < span.end(); ++i)
            colour[i] = static_cast<int>(span.kind);
        previousEnd = span.end();
    }
    return colour;
}

// Neighbouring spans of one kind are one span.
bool Merged(const std::vector<ColourSpan>& spans) {
    for (std::size_t i = 1; i < spans.size(); ++i) {
        if (spans[i - 1].end() == spans[i].start && spans[i - 1].kind == spans[i].kind)
            return false;
    }
    return true;
}

std::vector<ColourSpan> RandomSpans(FuzzedDataProvider& data, std::size_t length) {
    std::vector<ColourSpan> spans;
    std::size_t at = 0;
    while (at < length && spans.size() < 16 && data.ConsumeBool()) {
        const std::size_t start = data.ConsumeIntegralInRange<std::size_t>(at, length - 1);
        const std::size_t span = data.ConsumeIntegralInRange<std::size_t>(1, length - start);
        spans.push_back({start, span, data.ConsumeBool() ? ColourKind::Head : ColourKind::Comment});
        at = start + span;
    }
    return spans;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const std::string text = data.ConsumeRandomLengthString(8192);
    const std::vector<ColourSpan> passes = trel::ColourPasses(text);
    TREL_FUZZ_CHECK(Expanded(passes, text.size()) == Painted(text));
    TREL_FUZZ_CHECK(Merged(passes));
    for (const auto& spans : {trel::colourheads(text), trel::colourcomments(text)})
        Expanded(spans, text.size());

    // The record and its model: one known colour (or none) per character of the edited text.
    trel::ColourRecord record;
    record.applied(passes);
    std::vector<int> known = Expanded(passes, text.size());
    for (int op = 0; op < 24 && data.remaining_bytes() > 0; ++op) {
        const std::size_t length = known.size();
        switch (data.ConsumeIntegralInRange(0, 2)) {
        case 0: {
            const std::size_t position = data.ConsumeIntegralInRange<std::size_t>(0, length);
            const std::size_t removed = data.ConsumeIntegralInRange<std::size_t>(0, length - position);
            const std::size_t added = data.ConsumeIntegralInRange<std::size_t>(0, 64);
            record.edited(position, removed, added);
            known.erase(known.begin() + static_cast<std::ptrdiff_t>(position),
                        known.begin() + static_cast<std::ptrdiff_t>(position + removed));
            known.insert(known.begin() + static_cast<std::ptrdiff_t>(position), added, kNone);
            break;
        }
        case 1: {
            if (length == 0)
                break;
            const std::vector<ColourSpan> wanted = RandomSpans(data, length);
            record.applied(wanted);
            for (const ColourSpan& span : wanted) {
                for (std::size_t i = span.start; i < span.end(); ++i)
                    known[i] = static_cast<int>(span.kind);
            }
            break;
        }
        default: {
            if (length == 0)
                break;
            const std::vector<ColourSpan> wanted = RandomSpans(data, length);
            std::vector<int> expected(length, kNone);
            for (const ColourSpan& span : wanted) {
                for (std::size_t i = span.start; i < span.end(); ++i) {
                    if (known[i] != static_cast<int>(span.kind))
                        expected[i] = static_cast<int>(span.kind);
                }
            }
            TREL_FUZZ_CHECK(Expanded(record.missing(wanted), length) == expected);
            break;
        }
        }
        TREL_FUZZ_CHECK(Expanded(record.known(), known.size()) == known);
        TREL_FUZZ_CHECK(Merged(record.known()));
    }
    return 0;
}
