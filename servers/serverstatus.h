#pragma once
// A server's status as Quake 2's connectionless query gives it: the request, the reading of a reply, the
// cleaning of every text a server sends before it is shown, and the reading of an address-book address.
// Standard C++ only. Every byte of a reply comes from whoever answered, so nothing here trusts it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace trel {

struct StatusPlayer {
    int frags;
    int ping;
    std::string name; // as sent, not cleaned

    bool operator==(const StatusPlayer&) const = default;
};

struct ServerStatus {
    std::vector<std::pair<std::string, std::string>> info; // the server-info pairs in the order sent
    std::vector<StatusPlayer> players;

    bool operator==(const ServerStatus&) const = default;
};

/// The four bytes every connectionless packet begins with.
inline constexpr std::string_view kConnectionlessPrefix{"\xff\xff\xff\xff", 4};

/// What a status reply begins with: the four bytes, "print" and a line feed.
inline constexpr std::string_view kStatusReplyPrefix{"\xff\xff\xff\xffprint\n", 10};

/// A datagram longer than this is not a status reply.
inline constexpr std::size_t kLargestStatusReply = 64 * 1024;

/// Players read from one reply; later player lines are not read.
inline constexpr std::size_t kMostStatusPlayers = 64;

/// Server-info pairs read from one reply (the game's own server info holds at most 512 characters).
inline constexpr std::size_t kMostInfoPairs = 1024;

/// Characters a server text keeps once cleaned.
inline constexpr std::size_t kLongestServerText = 64;

/// The port a server listens on when its address names none.
inline constexpr std::uint16_t kDefaultServerQueryPort = 27910;

/// The request's bytes: the four bytes, "status" and a line feed.
std::string StatusRequest();

/// The status a reply carries, or nothing when the datagram is not a status reply (wrong prefix, longer
/// than 64 KiB). The first line after the prefix is the server info, pairs "\key\value" (the leading
/// backslash may be missing, a key without value reads as ""); every further line is a player,
/// frags, ping and the name in quotation marks. A player line that does not have that shape is skipped;
/// numbers beyond int are clamped. Lines may end in LF or CR LF; the last one needs no line end.
std::optional<ServerStatus> ParseStatusReply(std::string_view datagram);

/// The value of the first pair whose key is exactly key; "" when there is none.
std::string InfoValue(const ServerStatus& status, std::string_view key);

/// What a text from a server becomes before it is shown: a byte from 0x80 up loses that bit (the game's
/// coloured characters), control characters (below 0x20 and 0x7F) are dropped, and at most 64 are kept.
std::string CleanServerText(std::string_view bytes);

/// The players cell: the number of players read, "/", and the cleaned maxclients value ("3/8").
std::string PlayersText(const ServerStatus& status);

/// The ping cell: the round trip in whole milliseconds and " ms" ("35 ms").
std::string PingText(std::int64_t milliseconds);

enum class HostKind {
    IPv4, // dotted decimal, four numbers from 0 to 255 without leading zeros
    IPv6, // written in brackets in the address
    Name, // letters, digits, '-' and '_' in dot-separated labels: looked up before it is asked
};

struct ServerEndpoint {
    std::string host; // without the brackets of an IPv6 address
    std::uint16_t port = kDefaultServerQueryPort;
    HostKind kind = HostKind::Name;

    bool operator==(const ServerEndpoint&) const = default;
};

/// Reads an address-book address: "host:port", "host" alone or "host:" (port 27910, as the game's
/// connect reads it), or "[IPv6]" with an optional ":port". Nothing for anything else, blanks included.
std::optional<ServerEndpoint> ParseServerAddress(std::string_view address);

} // namespace trel
