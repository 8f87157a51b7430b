// The server address book in trel.ini byte for byte, adding and removing rows, the addresses the connect
// line cannot carry, the join script, and the reading of a server's status reply and of its address.

#include "mdlIniStuff.h"
#include "mdlServercode.h"
#include "platform.h"
#include "serverstatus.h"
#include "test_helpers.h"

#include <gtest/gtest.h>

#include <climits>
#include <tuple>

namespace trel {
namespace {

using namespace test;

// "ServerName n=" and "ServerIp n=" with empty values for rows first to last, as a save writes them.
std::string EmptyKeys(int first, int last) {
    const std::string n = std::to_string(first);
    return first > last ? "" : "ServerName " + n + "=\r\nServerIp " + n + "=\r\n" + EmptyKeys(first + 1, last);
}

// A save writes all twenty keys, then replaces them in place; a key keeps its spelling, a line end in a
// value cannot start a key of its own, and every other line (other sections, other line ends) keeps its bytes.
TEST(AddressBook, SavedBytesAddedAndRemovedRowsAndRefusedCharacters) {
    TempDir dir;
    const auto ini = dir / "trel.ini";
    EXPECT_EQ(LoadAddressBook(ini), AddressBookRows{}); // a missing book is empty; the hardening tests fail saves
    AddressBookRows rows;
    rows[0] = {"Home LAN", "192.168.0.10:27910"};
    rows[2] = {"two\r\n[Quake2exe]\r\nUsed=0", "a\nb"};
    const std::string others = "; Trel settings\r\n\r\n[Settings]\r\nPath=/games/q2\n\r\nserverini=  my.ini\rMap=2";
    WriteBytes(ini, others + "\r\n[AddressBook]\r\nservername 10=Lower\r\n");
    std::string why;
    ASSERT_TRUE(SaveAddressBook(rows, ini, why)) << why;
    EXPECT_EQ(ReadIni("Quake2exe", "Used", ini), "");
    rows[2] = {"two  [Quake2exe]  Used=0", "a b"};
    EXPECT_EQ(LoadAddressBook(ini), rows); // rows 1 and 3 stay rows 1 and 3
    RemoveServer(rows, 0); // a removed row keeps empty keys
    ASSERT_TRUE(SaveAddressBook(rows, ini, why)) << why;
    if (!test::UnderWine()) { // Wine's profile functions rewrite the whole file; the bytes are Windows' own
        EXPECT_EQ(ReadBytes(ini), others + "\r\n[AddressBook]\r\nservername 10=\r\n" + EmptyKeys(1, 2) +
                                      "ServerName 3=two  [Quake2exe]  Used=0\r\nServerIp 3=a b\r\n" + EmptyKeys(4, 9) +
                                      "ServerIp 10=\r\n");
    }
    // Adding fills the first empty row (a row without a name) with a shortened name, after the checks of the
    // address; a full book takes none.
    using enum AddOutcome;
    const AddressBookRow kept{"", "left over"}; // name, address, port, outcome, refused character, row 2 afterwards
    const std::vector<std::tuple<std::string, std::string, std::string, AddOutcome, char, AddressBookRow>> cases = {
        {"abcdefghijklm", "192.168.0.10", "27910", Added, '\0', {"abcdefghijklm", "192.168.0.10:27910"}},
        {"abcdefghijklmn", "1.2.3.4", "", Added, '\0', {"abcdefghij..", "1.2.3.4:"}},
        {"", "1.2.3.4", "27910", NameOrAddressMissing, '\0', kept},
        {"N", "1.2.3.4", "1;rcon x", UnsafeAddress, ';', kept}, {"a\nb", "1.2.3.4", "27910", UnsafeName, '\n', kept}};
    for (const auto& [name, ip, port, outcome, character, row] : cases) {
        AddressBookRows two{{{"First", "1.1.1.1:27910"}, kept}};
        const AddResult result = AddServer(two, name, ip, port);
        EXPECT_EQ(std::tuple(result.outcome, result.character, result.row, two[1]),
                  std::tuple(outcome, character, std::size_t(outcome == Added ? 1 : 0), row)) << name;
    }
    rows.fill({"S", "10.0.0.1"});
    RemoveServer(rows, 4);
    EXPECT_EQ(AddServer(rows, "Fifth", "1.1.1.1", "27910").row, 4u);
    const AddressBookRows full = rows; // then the book is full, and the checks come first
    EXPECT_EQ(std::pair(AddServer(rows, "Eleventh", "10.0.0.11", "27910").outcome,
                        AddServer(rows, "Bad", "a;b", "1").outcome), std::pair(BookFull, UnsafeAddress));
    EXPECT_EQ(rows, full);
    // Characters the console would split, expand or comment out at are refused and named ('\0': none).
    const std::vector<std::tuple<std::string, char, std::string>> refusals = {
        {"192.168.0.10:27910", '\0', ""}, {"[::1]:27910", '\0', ""}, {"host-1.example/a:", '\0', ""},
        {"1.2.3.4;quit", ';', "the semicolon (;)"}, {"1.2\"; quit", '"', "the quotation mark (\")"},
        {"1\nquit", '\n', "the control character 0x0A (line feed)"}, {"a\x7f", '\x7f', "the control character 0x7F"},
        {"h\xf4te:", '\xf4', "the byte 0xF4"}, {"a//b", '/', "the double slash (//)"}};
    for (const auto& [address, refused, described] : refusals) {
        EXPECT_EQ(UnsafeAddressCharacter(address).value_or('\0'), refused) << address;
        EXPECT_NE(UnsafeAddressMessage(refused).find(described), std::string::npos) << address;
    }
    EXPECT_EQ(UnsafeNameCharacter("a;b\"c"), std::nullopt); // a name is never on the connect line
}

// Joining writes the connect script and asks for the game, or refuses and leaves the old script; a stale
// script in an engine home folder stops until the user goes on (the launch tests check the message).
TEST(ServerJoin, WritesTheScriptOrRefuses) {
    TempDir root;
    const std::filesystem::path folder = root / "Quake 2", script = folder / "vorn" / "trel_connect.cfg";
    std::filesystem::create_directories(folder / "vorn");
    const SharedValues shared{{}, PathText(folder / std::string(kGameExecutableName)), PathText(folder), 0};
    WriteBytes(shared.Quake2Path, "game");
    const auto book = [](const std::string& address) { return AddressBookRows{{{}, {}, {"Third", address}}}; };
    using enum ConnectOutcome; // the address in row 3, the row selected, the outcome and the refused character
    const std::vector<std::tuple<std::string, std::optional<std::size_t>, ConnectOutcome, char>> cases = {
        {"h\xf4te:", 2, UnsafeAddress, '\xf4'}, {"10.0.0.5", std::nullopt, NothingToJoin, '\0'},
        {"", 2, NothingToJoin, '\0'}, {"10.0.0.5", kAddressBookRows, NothingToJoin, '\0'}};
    WriteBytes(script, "connect an.older.and.longer.address:27910\r\nquit\r\n"); // replaced whole below
    for (const auto& [address, selected, outcome, character] : cases) {
        const ConnectPreparation prep = PrepareConnect(shared, book(address), selected);
        EXPECT_EQ(std::tie(prep.outcome, prep.character, prep.request), std::tuple(outcome, character, LaunchRequest{}))
            << address;
    }
    EXPECT_EQ(ReadBytes(script), "connect an.older.and.longer.address:27910\r\nquit\r\n");
    EXPECT_EQ(PrepareConnect(shared, book("10.0.0.5:27910"), 2).request, (LaunchRequest{shared.Quake2Path,
              {"+set", "game", "vorn", "+exec", "trel_connect.cfg"}, PathText(folder)}));
    EXPECT_EQ(ReadBytes(script), "connect 10.0.0.5:27910\r\n");
    const SharedValues folderAsGame{{}, PathText(folder / "vorn"), PathText(folder), 0}; // the platform tests' files
    EXPECT_EQ(PrepareConnect(folderAsGame, book("10.0.0.5;quit"), std::nullopt).outcome, WrongExecutable);
    std::filesystem::create_directories(root / "home" / ".quake2" / "vorn");
    WriteBytes(root / "home" / ".quake2" / "vorn" / "trel_connect.cfg", "connect old:27910\r\n");
    std::filesystem::remove(script);
    EXPECT_EQ(PrepareConnect(shared, book("10.0.0.5"), 2, PathText(root / "home")).outcome, StaleScript);
    EXPECT_FALSE(exists(script));
    EXPECT_EQ(PrepareConnect(shared, book("10.0.0.5"), 2, PathText(root / "home"), true).outcome, Ready);
}

// A status reply reads as the info pairs and player lines the server sent; anything else is no reply. The
// address book's forms of an address give the default port where none is given; the rest are refused.
TEST(ServerStatus, ReadsTheReplyAndTheAddressBookForms) {
    const auto reply = [](const std::string& text) { return std::string(kStatusReplyPrefix) + text; };
    std::string many; // 65 players, one more than are read
    for (int i = 0; i < 65; ++i)
        many += "7 1 \"p\"\n";
    const std::vector<std::pair<std::string, std::optional<ServerStatus>>> cases = {
        {reply("\\mapname\\vorn01\\hostname\\Friday league\n12 35 \"Gorm\"\n-3 999 \"Ulf\"\n"),
         ServerStatus{{{"mapname", "vorn01"}, {"hostname", "Friday league"}}, {{12, 35, "Gorm"}, {-3, 999, "Ulf"}}}},
        {reply("a\\1\\a\\2\\b\r\n  +1\t2 \"crlf\"\r\n3 4 \"last\""), ServerStatus{{{"a", "1"}, {"a", "2"}, {"b", ""}},
                                                                              {{1, 2, "crlf"}, {3, 4, "last"}}}},
        {reply("\\\nx 3 \"f\"\n1 y \"p\"\n1 2 bare\n1 2 \"open\n12 35\"tight\"\n\n5 6 \"a\"b\" tail\n1 2 \"cut"),
         ServerStatus{{}, {{5, 6, "a"}}}},
        {reply("\n99999999999999999999 -99999999999999999999 \"big\"\n2147483648 -2147483648 \"edge\"\n"),
         ServerStatus{{}, {{INT_MAX, INT_MIN, "big"}, {INT_MAX, INT_MIN, "edge"}}}},
        {reply("\n" + many), ServerStatus{{}, std::vector<StatusPlayer>(64, {7, 1, "p"})}},
        {reply(""), ServerStatus{}}}; // the size limit and the prefix are the fuzz target's to check
    for (const auto& [datagram, expected] : cases)
        EXPECT_EQ(ParseStatusReply(datagram), expected) << datagram;
    const ServerStatus status{{{"Maxclients", "9"}, {"maxclients", "8\x01"}, {"maxclients", "7"}}, {{1, 2, "x"}}};
    EXPECT_EQ(PlayersText(status), "1/8"); // exact key, first of duplicates, cleaned
    EXPECT_EQ(CleanServerText("\xc7\xef\xf2\xed a\x01\n\r\t\x7f\x80\x9f\xff" + std::string(70, 'x')),
              "Gorm a" + std::string(58, 'x')); // coloured characters as plain ones, control ones dropped, capped
    using enum HostKind;
    const std::vector<std::pair<std::string, ServerEndpoint>> good = {
        {"192.168.0.10:27911", {"192.168.0.10", 27911, IPv4}}, {"10.0.0.5:", {"10.0.0.5", 27910, IPv4}},
        {"0.0.0.0:65535", {"0.0.0.0", 65535, IPv4}}, {"[::1]", {"::1", 27910, IPv6}},
        {"[::ffff:127.0.0.1]:1", {"::ffff:127.0.0.1", 1, IPv6}}, {"local_host-2", {"local_host-2", 27910, Name}}};
    for (const auto& [text, address] : good)
        EXPECT_EQ(ParseServerAddress(text), std::optional<ServerEndpoint>(address)) << text;
    for (const std::string bad : {"", ":27910", "256.1.1.1", "1.2.3", "01.2.3.4", "1.2.3.4:0", "1.2.3.4:65536",
                                  "1.2.3.4:+1", "::1", "[::1]x", "[1::2::3]", "[1:2:3:4:5:6:7]", "a b:1", "host."})
        EXPECT_EQ(ParseServerAddress(bad), std::nullopt) << bad;
}

} // namespace
} // namespace trel
