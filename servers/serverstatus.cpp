#include "serverstatus.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace trel {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsHexDigit(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

/// Takes the next line off text: up to the line feed, without it and without a CR before it.
std::string_view TakeLine(std::string_view& text) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

void SkipBlanks(std::string_view& text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
}

/// A whole number with an optional sign, clamped to int; false when there is no digit.
bool TakeWhole(std::string_view& text, int& value) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || !IsDigit(text.front()))
        return false;
    constexpr std::int64_t kLimit = std::int64_t{INT_MAX} + 1; // enough to clamp either way
    std::int64_t magnitude = 0;
    while (!text.empty() && IsDigit(text.front())) {
        magnitude = std::min(kLimit, magnitude * 10 + (text.front() - '0'));
        text.remove_prefix(1);
    }
    const std::int64_t signed_value = negative ? -magnitude : magnitude;
    value = static_cast<int>(std::clamp<std::int64_t>(signed_value, INT_MIN, INT_MAX));
    return true;
}

/// One player line: frags, blanks, ping, blanks, then the name between quotation marks. What follows the
/// closing mark is ignored; a name never reaches past its line.
std::optional<StatusPlayer> ReadPlayer(std::string_view line) {
    StatusPlayer player{0, 0, {}};
    SkipBlanks(line);
    if (!TakeWhole(line, player.frags) || line.empty() || !IsBlank(line.front()))
        return std::nullopt;
    SkipBlanks(line);
    if (!TakeWhole(line, player.ping) || line.empty() || !IsBlank(line.front()))
        return std::nullopt;
    SkipBlanks(line);
    if (line.empty() || line.front() != '"')
        return std::nullopt;
    line.remove_prefix(1);
    const std::size_t close = line.find('"');
    if (close == std::string_view::npos)
        return std::nullopt;
    player.name = std::string(line.substr(0, close));
    return player;
}

/// The server-info line as the game's own info functions read it.
std::vector<std::pair<std::string, std::string>> ReadInfo(std::string_view line) {
    std::vector<std::pair<std::string, std::string>> pairs;
    if (!line.empty() && line.front() == '\\')
        line.remove_prefix(1);
    while (!line.empty() && pairs.size() < kMostInfoPairs) {
        const std::size_t keyEnd = line.find('\\');
        std::string key(line.substr(0, keyEnd));
        std::string value;
        if (keyEnd == std::string_view::npos) {
            line = {};
        } else {
            line.remove_prefix(keyEnd + 1);
            const std::size_t valueEnd = line.find('\\');
            value = std::string(line.substr(0, valueEnd));
            line = valueEnd == std::string_view::npos ? std::string_view{} : line.substr(valueEnd + 1);
        }
        pairs.emplace_back(std::move(key), std::move(value));
    }
    return pairs;
}

/// Dotted decimal: four numbers 0 to 255, each without leading zeros (which some readers take as octal).
bool IsIPv4Text(std::string_view text) {
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (text.empty() || text.front() != '.')
                return false;
            text.remove_prefix(1);
        }
        std::size_t digits = 0;
        int value = 0;
        while (digits < text.size() && IsDigit(text[digits]) && digits < 4) {
            value = value * 10 + (text[digits] - '0');
            ++digits;
        }
        if (digits == 0 || digits > 3 || value > 255 || (digits > 1 && text.front() == '0'))
            return false;
        text.remove_prefix(digits);
    }
    return text.empty();
}

/// Groups of one to four hex digits between colons; the last may be a dotted IPv4 address (two groups).
/// Returns the number of groups, or nothing when the part is malformed. An empty part has no group.
std::optional<int> CountIPv6Groups(std::string_view part, bool mayEndInIPv4) {
    int groups = 0;
    while (!part.empty()) {
        const std::size_t end = part.find(':');
        const std::string_view group = part.substr(0, end);
        const bool last = end == std::string_view::npos;
        if (last && mayEndInIPv4 && group.find('.') != std::string_view::npos) {
            if (!IsIPv4Text(group))
                return std::nullopt;
            return groups + 2;
        }
        if (group.empty() || group.size() > 4 || !std::all_of(group.begin(), group.end(), IsHexDigit))
            return std::nullopt;
        ++groups;
        if (last)
            break;
        part.remove_prefix(end + 1);
        if (part.empty())
            return std::nullopt; // a colon at the end of a part
    }
    return groups;
}

bool IsIPv6Text(std::string_view text) {
    if (text.empty() || text.size() > 45)
        return false;
    const std::size_t gap = text.find("::");
    if (gap == std::string_view::npos) {
        const std::optional<int> groups = CountIPv6Groups(text, true);
        return groups == 8;
    }
    const std::string_view tail = text.substr(gap + 2);
    if (tail.find("::") != std::string_view::npos)
        return false;
    const std::optional<int> head = CountIPv6Groups(text.substr(0, gap), false);
    const std::optional<int> rest = CountIPv6Groups(tail, true);
    return head && rest && *head + *rest <= 7;
}

/// Labels of letters, digits, '-' and '_', 1 to 63 characters each, separated by dots; not only digits
/// and dots (that is a malformed IPv4 address, never a name).
bool IsHostName(std::string_view text) {
    if (text.empty() || text.size() > 253)
        return false;
    if (std::all_of(text.begin(), text.end(), [](char c) { return IsDigit(c) || c == '.'; }))
        return false;
    std::size_t label = 0;
    for (const char c : text) {
        if (c == '.') {
            if (label == 0)
                return false;
            label = 0;
            continue;
        }
        const bool allowed = IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '_';
        if (!allowed || ++label > 63)
            return false;
    }
    return label > 0;
}

/// An empty port is the game's default; otherwise 1 to 65535 in plain decimal digits.
std::optional<std::uint16_t> ReadPort(std::string_view text) {
    if (text.empty())
        return kDefaultServerQueryPort;
    if (text.size() > 5 || !std::all_of(text.begin(), text.end(), IsDigit))
        return std::nullopt;
    int value = 0;
    for (const char c : text)
        value = value * 10 + (c - '0');
    if (value < 1 || value > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

} // namespace

std::string StatusRequest() {
    return std::string(kConnectionlessPrefix) + "status\n";
}

std::optional<ServerStatus> ParseStatusReply(std::string_view datagram) {
    if (datagram.size() > kLargestStatusReply || !datagram.starts_with(kStatusReplyPrefix))
        return std::nullopt;
    std::string_view rest = datagram.substr(kStatusReplyPrefix.size());
    ServerStatus status;
    status.info = ReadInfo(TakeLine(rest));
    while (!rest.empty() && status.players.size() < kMostStatusPlayers) {
        if (std::optional<StatusPlayer> player = ReadPlayer(TakeLine(rest)))
            status.players.push_back(std::move(*player));
    }
    return status;
}

std::string InfoValue(const ServerStatus& status, std::string_view key) {
    const auto found =
        std::find_if(status.info.begin(), status.info.end(), [key](const auto& pair) { return pair.first == key; });
    return found == status.info.end() ? std::string() : found->second;
}

std::string CleanServerText(std::string_view bytes) {
    std::string text;
    for (const char byte : bytes) {
        if (text.size() == kLongestServerText)
            break;
        const unsigned char c = static_cast<unsigned char>(byte) & 0x7F;
        if (c >= 0x20 && c != 0x7F)
            text.push_back(static_cast<char>(c));
    }
    return text;
}

std::string PlayersText(const ServerStatus& status) {
    return std::to_string(status.players.size()) + "/" + CleanServerText(InfoValue(status, "maxclients"));
}

std::string PingText(std::int64_t milliseconds) {
    return std::to_string(milliseconds) + " ms";
}

std::optional<ServerEndpoint> ParseServerAddress(std::string_view address) {
    ServerEndpoint parsed;
    std::string_view host;
    std::string_view port;
    if (address.starts_with('[')) {
        const std::size_t close = address.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        host = address.substr(1, close - 1);
        const std::string_view after = address.substr(close + 1);
        if (!after.empty() && after.front() != ':')
            return std::nullopt;
        port = after.empty() ? after : after.substr(1);
        if (!IsIPv6Text(host))
            return std::nullopt;
        parsed.kind = HostKind::IPv6;
    } else {
        const std::size_t colon = address.find(':');
        host = address.substr(0, colon);
        if (colon != std::string_view::npos)
            port = address.substr(colon + 1);
        if (IsIPv4Text(host))
            parsed.kind = HostKind::IPv4;
        else if (IsHostName(host))
            parsed.kind = HostKind::Name;
        else
            return std::nullopt; // an IPv6 address without brackets included: its colons are ambiguous
    }
    const std::optional<std::uint16_t> number = ReadPort(port);
    if (!number)
        return std::nullopt;
    parsed.host = std::string(host);
    parsed.port = *number;
    return parsed;
}

} // namespace trel
