// The map-details block builder and the editors' conversions between file bytes and editor text.

#include "fuzz_check.h"
#include "mdlmapeditcode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const int gametype = data.ConsumeIntegral<int>();
    const bool multiplayer = data.ConsumeBool();
    const std::string map = data.ConsumeRandomLengthString(64), gemgoal = data.ConsumeRandomLengthString(32),
                      timelimit = data.ConsumeRandomLengthString(32), maxgems = data.ConsumeRandomLengthString(32);

    const std::string block = trel::buildmapdetails(map, gametype, gemgoal, timelimit, maxgems, multiplayer);
    if (map.empty()) {
        TREL_FUZZ_CHECK(block == trel::kChooseMapText);
    } else {
        // The game counts its types from 1; no choice (or a position the list does not have) plays deathmatch.
        const std::string type = gametype >= 0 ? std::to_string(static_cast<std::int64_t>(gametype) + 1) : "3";
        const std::string head = "[ " + map + " ]\r\ngametype " + type + "\r\n";
        TREL_FUZZ_CHECK(block.rfind(head, 0) == 0);
        TREL_FUZZ_CHECK(block.ends_with("\r\nmax_gems " + maxgems + "\r\n"));
        TREL_FUZZ_CHECK(!multiplayer || block.find("\r\ngem_goal " + gemgoal + "\r\n") != std::string::npos);
        // Everything but the values: the head's brackets and blanks, the field names and the line ends.
        const std::size_t fields = std::string_view("[  ]\r\ngametype \r\nvorn_timelimit \r\nmax_gems \r\n").size() +
                                   (multiplayer ? std::string_view("gem_goal \r\n").size() : 0);
        TREL_FUZZ_CHECK(block.size() == map.size() + type.size() + timelimit.size() + maxgems.size() +
                                            (multiplayer ? gemgoal.size() : 0) + fields);
    }

    // Editor text from any file bytes holds no CR; saving it and loading again gives it back with one
    // more line break, as the save adds one.
    const std::string rest = data.ConsumeRemainingBytesAsString();
    const std::string text = trel::EditorTextFromFile(rest);
    TREL_FUZZ_CHECK(text.find('\r') == std::string::npos && text.size() <= rest.size());
    const std::string saved = trel::FileTextFromEditor(text);
    TREL_FUZZ_CHECK(saved.ends_with("\r\n") && trel::EditorTextFromFile(saved) == text + "\n");
    return 0;
}
