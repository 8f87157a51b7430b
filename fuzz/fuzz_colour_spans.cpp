// The map-details editor's colouring: the spans of both passes against a character-by-character painting,
// and the record of known colours against a per-character model through a sequence of edits.

#include "fuzz_check.h"
#include "mdlmapeditcode.h"

#include <vector>

namespace {

using trel::ColourKind;
using trel::ColourSpan;

constexpr int kNone = -1;

void Paint(std::vector<int>& colour, std::size_t from, std::size_t through, ColourKind kind) {
    for (std::size_t i = from; i <= through; ++i)
        colour[i] = static_cast<int>(kind);
}

// The passes done the slow way: every head painted, then every comment painted over it.
std::vector<int> Painted(std::string_view text) {
    std::vector<int> colour(text.size(), kNone);
    for (std::size_t i = text.find('['), close; i != text.npos && (close = text.find(']', i)) != text.npos;
         i = text.find('[', close))
        Paint(colour, i, close, ColourKind::Head);
    for (std::size_t i = text.find('#'), end; i != text.npos && (end = text.find_first_of("\r\n", i)) != text.npos;
         i = text.find('#', end)) // a comment ends after its line break, both characters of a CR LF
        Paint(colour, i, end + text.substr(end).starts_with("\r\n"), ColourKind::Comment);
    return colour;
}

// Spans as one colour per character; spans must lie inside the text, in order, without overlap, and when
// merged, neighbouring spans of one kind are one span.
std::vector<int> Expanded(const std::vector<ColourSpan>& spans, std::size_t length, bool merged = false) {
    std::vector<int> colour(length, kNone);
    for (std::size_t i = 0; i < spans.size(); ++i) {
        const ColourSpan& span = spans[i];
        const ColourSpan previous = i > 0 ? spans[i - 1] : ColourSpan{};
        TREL_FUZZ_CHECK(span.length > 0 && span.start >= previous.end() && span.end() <= length);
        TREL_FUZZ_CHECK(!merged || i == 0 || previous.end() != span.start || previous.kind != span.kind);
        Paint(colour, span.start, span.end() - 1, span.kind);
    }
    return colour;
}

std::vector<ColourSpan> RandomSpans(FuzzedDataProvider& data, std::size_t length) {
    std::vector<ColourSpan> spans;
    for (std::size_t at = 0; at < length && spans.size() < 16 && data.ConsumeBool(); at = spans.back().end()) {
        const std::size_t start = data.ConsumeIntegralInRange<std::size_t>(at, length - 1),
                          span = data.ConsumeIntegralInRange<std::size_t>(1, length - start);
        spans.push_back({start, span, data.ConsumeBool() ? ColourKind::Head : ColourKind::Comment});
    }
    return spans;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const std::string text = data.ConsumeRandomLengthString(8192);
    const std::vector<ColourSpan> passes = trel::ColourPasses(text);
    TREL_FUZZ_CHECK(Expanded(passes, text.size(), true) == Painted(text));
    for (const auto& spans : {trel::colourheads(text), trel::colourcomments(text)})
        Expanded(spans, text.size());

    // The record and its model: one known colour (or none) per character of the edited text.
    trel::ColourRecord record;
    record.applied(passes);
    std::vector<int> known = Expanded(passes, text.size());
    for (int op = 0; op < 24 && data.remaining_bytes() > 0; ++op) {
        const std::size_t length = known.size();
        const int kind = data.ConsumeIntegralInRange(0, 2);
        if (kind == 0) {
            const std::size_t position = data.ConsumeIntegralInRange<std::size_t>(0, length),
                              removed = data.ConsumeIntegralInRange<std::size_t>(0, length - position),
                              added = data.ConsumeIntegralInRange<std::size_t>(0, 64);
            record.edited(position, removed, added);
            const auto at = known.erase(known.begin() + static_cast<std::ptrdiff_t>(position),
                                        known.begin() + static_cast<std::ptrdiff_t>(position + removed));
            known.insert(at, added, kNone);
        } else if (length > 0) {
            const std::vector<ColourSpan> wanted = RandomSpans(data, length);
            std::vector<int> expected(length, kNone); // what the record must find missing
            for (const ColourSpan& span : wanted)
                for (std::size_t i = span.start; i < span.end(); ++i)
                    if (known[i] != static_cast<int>(span.kind))
                        (kind == 1 ? known : expected)[i] = static_cast<int>(span.kind);
            if (kind == 1)
                record.applied(wanted);
            else
                TREL_FUZZ_CHECK(Expanded(record.missing(wanted), length) == expected);
        }
        TREL_FUZZ_CHECK(Expanded(record.known(), known.size(), true) == known);
    }
    return 0;
}
