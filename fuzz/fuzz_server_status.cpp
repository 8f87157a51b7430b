// A server's status reply and the address it is asked at: any bytes, with and without the reply's prefix.

#include "fuzz_check.h"
#include "serverstatus.h"

#include <optional>

namespace {

bool Shown(std::string_view text) {
    return text.size() <= trel::kLongestServerText && std::all_of(text.begin(), text.end(), [](char c) {
        return static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7F; });
}

void CheckStatus(std::string_view datagram, const std::optional<trel::ServerStatus>& status) {
    if (!status)
        return;
    TREL_FUZZ_CHECK(datagram.starts_with(trel::kStatusReplyPrefix) && datagram.size() <= trel::kLargestStatusReply);
    TREL_FUZZ_CHECK(status->players.size() <= trel::kMostStatusPlayers && status->info.size() <= trel::kMostInfoPairs);
    for (const auto& [key, value] : status->info)
        TREL_FUZZ_CHECK((key + value).find_first_of("\\\n") == std::string::npos);
    for (const auto& [frags, ping, name] : status->players)
        TREL_FUZZ_CHECK(name.find_first_of("\"\n") == name.npos && Shown(trel::CleanServerText(name)));
    TREL_FUZZ_CHECK(trel::PlayersText(*status).starts_with(std::to_string(status->players.size()) + "/"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(bytes), size);

    CheckStatus(input, trel::ParseStatusReply(input));
    const std::string reply = std::string(trel::kStatusReplyPrefix) + std::string(input);
    const std::optional<trel::ServerStatus> status = trel::ParseStatusReply(reply);
    TREL_FUZZ_CHECK(status.has_value() == (reply.size() <= trel::kLargestStatusReply));
    CheckStatus(reply, status);

    const std::string cleaned = trel::CleanServerText(input);
    TREL_FUZZ_CHECK(Shown(cleaned) && trel::CleanServerText(cleaned) == cleaned);

    // An address that reads at all reads the same once written back in the address book's form.
    if (const std::optional<trel::ServerEndpoint> address = trel::ParseServerAddress(input)) {
        const std::string& host = address->host;
        const bool v6 = address->kind == trel::HostKind::IPv6;
        TREL_FUZZ_CHECK(!host.empty() && address->port != 0 && (v6 || host.find(':') == host.npos));
        const std::string written = (v6 ? "[" + host + "]" : host) + ":" + std::to_string(address->port);
        TREL_FUZZ_CHECK(trel::ParseServerAddress(written) == address);
    }
    return 0;
}
