// The server address book: its rows in trel.ini byte for byte, the row rules of adding and removing, the
// refusal of addresses the connect line cannot carry, the join script with its game request, and the
// reading of a server's status reply and of the address it is asked at.

#include "mdlIniStuff.h"
#include "mdlServercode.h"
#include "platform.h"
#include "serverstatus.h"
#include "test_helpers.h"

#include <gtest/gtest.h>

#include <cctype>
#include <climits>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace trel {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

// "ServerName n=" and "ServerIp n=" with empty values for rows first to last, as a save writes them.
std::string EmptyKeys(int first, int last) {
    std::string text;
    for (int n = first; n <= last; ++n)
        text += "ServerName " + std::to_string(n) + "=\r\nServerIp " + std::to_string(n) + "=\r\n";
    return text;
}

const std::string kRowThree = "ServerName 3=Vorn Central\r\nServerIp 3=vorn.example.org:27911\r\n";
const std::string kRowsOneAndThree = "[AddressBook]\r\nServerName 1=Home LAN\r\nServerIp 1=192.168.0.10:27910\r\n" +
                                     EmptyKeys(2, 2) + kRowThree + EmptyKeys(4, 10);

AddressBookRows RowsOneAndThree() {
    AddressBookRows rows;
    rows[0] = {"Home LAN", "192.168.0.10:27910"};
    rows[2] = {"Vorn Central", "vorn.example.org:27911"};
    return rows;
}

// Other sections, a comment, blank lines, other line ends and a last line without one; none may change.
const std::string kBefore = "; Trel settings\r\n[Quake2exe]\r\nUsed=1\r\nPath=/games/Quake 2/quake2\n\r\n";
const std::string kAfter = "\r\n[Settings]\r\nDMflags=5\r\nserverini=  my server.ini\rMap=2";

TEST(AddressBookStore, SavesAllTwentyKeysAndKeepsEveryOtherLine) {
    if (test::UnderWine())
        GTEST_SKIP() << "Wine's profile functions rewrite the whole file; the bytes are Windows' own";
    TempDir dir;
    std::string why;
    ASSERT_TRUE(SaveAddressBook(RowsOneAndThree(), dir / "trel.ini", why)) << why;
    EXPECT_EQ(ReadBytes(dir / "trel.ini"), kRowsOneAndThree);
    EXPECT_EQ(LoadAddressBook(dir / "trel.ini"), RowsOneAndThree()); // rows 1 and 3 stay rows 1 and 3

    WriteBytes(dir / "trel.ini", kBefore + kAfter);
    ASSERT_TRUE(SaveAddressBook(RowsOneAndThree(), dir / "trel.ini", why)) << why;
    EXPECT_EQ(ReadBytes(dir / "trel.ini"), kBefore + kAfter + "\r\n" + kRowsOneAndThree);

    // Saved again: every key is replaced in place and nothing is added; a removed row keeps empty keys.
    AddressBookRows changed = RowsOneAndThree();
    RemoveServer(changed, 0);
    changed[9] = {"Last", "10.0.0.9:27912"};
    ASSERT_TRUE(SaveAddressBook(changed, dir / "trel.ini", why)) << why;
    EXPECT_EQ(ReadBytes(dir / "trel.ini"), kBefore + kAfter + "\r\n[AddressBook]\r\n" + EmptyKeys(1, 2) + kRowThree +
                                               EmptyKeys(4, 9) +
                                               "ServerName 10=Last\r\nServerIp 10=10.0.0.9:27912\r\n");
}

TEST(AddressBookStore, HandEditedFilesLoadAndSaveWithoutHarm) {
    const std::string longName(300, 'n');
    const std::vector<std::tuple<std::string, std::size_t, AddressBookRow>> cases = {
        {"[AddressBook]\r\nServerName 1=" + longName + "\r\nServerIp 1=1.2.3.4\r\n",
         0,
         {longName.substr(0, 254), "1.2.3.4"}},
        {"[ADDRESSBOOK]\nservername 10=Caf\xc3\xa9 \xe9\xff\nSERVERIP 10=h\xf4te:1\n",
         9,
         {"Caf\xc3\xa9 \xe9\xff", "h\xf4te:1"}},
        {"[AddressBook]\r\nServerIp 3=3.3.3.3:27910\r\n", 2, {"", "3.3.3.3:27910"}},
    };
    for (const auto& [book, index, row] : cases) {
        SCOPED_TRACE(book);
        AddressBookRows expected;
        expected[index] = row;
        TempDir dir;
        WriteBytes(dir / "trel.ini", kBefore + book + kAfter);
        EXPECT_EQ(LoadAddressBook(dir / "trel.ini"), expected);
        std::string why;
        ASSERT_TRUE(SaveAddressBook(expected, dir / "trel.ini", why)) << why;
        const std::string bytes = ReadBytes(dir / "trel.ini");
        if (!test::UnderWine()) { // Wine rewrites the lines it does not change; Windows keeps them
            EXPECT_TRUE(bytes.starts_with(kBefore) && bytes.ends_with(kAfter)) << bytes;
        }
        EXPECT_EQ(LoadAddressBook(dir / "trel.ini"), expected);
    }
}

TEST(AddressBookStore, KeysKeepTheirSpellingAndValuesStayOnOneLine) {
    TempDir dir;
    WriteBytes(dir / "trel.ini", "[AddressBook]\r\nservername 2=Lower\r\n");
    AddressBookRows rows = LoadAddressBook(dir / "trel.ini");
    rows[1].name = "Renamed";
    rows[0] = {"two\r\n[Quake2exe]\r\nUsed=0", "a\nb"};
    std::string why;
    ASSERT_TRUE(SaveAddressBook(rows, dir / "trel.ini", why)) << why;
    // A line end in a value cannot start a section or a key of its own.
    EXPECT_EQ(ReadIni("Quake2exe", "Used", dir / "trel.ini"), "");
    EXPECT_EQ(LoadAddressBook(dir / "trel.ini")[0], (AddressBookRow{"two  [Quake2exe]  Used=0", "a b"}));
    if (test::UnderWine())
        return; // Wine's profile functions rewrite the whole file; the bytes are Windows' own
    EXPECT_EQ(ReadBytes(dir / "trel.ini"),
              "[AddressBook]\r\nservername 2=Renamed\r\n"
              "ServerName 1=two  [Quake2exe]  Used=0\r\nServerIp 1=a b\r\nServerIp 2=\r\n" +
                  EmptyKeys(3, 10));
}

TEST(AddressBookStore, UnreadableBookIsEmptyAndFailedSaveNamesTheFile) {
    TempDir dir;
    EXPECT_EQ(LoadAddressBook(dir / "trel.ini"), AddressBookRows{});
    WriteBytes(dir / "trel.ini", "[Settings]\r\nServerName 1=not in the book\r\n[AddressBook]\r\n");
    EXPECT_EQ(LoadAddressBook(dir / "trel.ini"), AddressBookRows{});
    std::filesystem::remove(dir / "trel.ini");
    std::filesystem::create_directories(dir / "trel.ini" / "inside"); // unreadable, and unwritable
    EXPECT_EQ(LoadAddressBook(dir / "trel.ini"), AddressBookRows{});
    WriteBytes(dir / "start", "a file where a folder should be");
    for (const std::filesystem::path& file :
         {dir / "start" / "trel.ini", dir / "trel.ini", dir / "gone" / "trel.ini"}) {
        std::string why;
        EXPECT_FALSE(SaveAddressBook(RowsOneAndThree(), file, why)) << file;
        EXPECT_TRUE(why.starts_with(PathText(file) + ": ") && why.size() > PathText(file).size() + 2) << why;
    }
    EXPECT_EQ(ReadBytes(dir / "start"), "a file where a folder should be");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "trel.ini" / "inside"));
}

TEST(ServerRows, ShortenedNames) {
    EXPECT_EQ(ShortenServerName(""), "");
    EXPECT_EQ(ShortenServerName("abcdefghijklm"), "abcdefghijklm");
    EXPECT_EQ(ShortenServerName("abcdefghijklmn"), "abcdefghij..");
    EXPECT_EQ(ShortenServerName(std::string(14, '\xe9')), std::string(10, '\xe9') + "..");
}

TEST(ServerRows, AddServer) {
    const AddressBookRow untouched{"", "left over"};
    // Name, address, port, outcome, refused character, and what row 2, the first empty one, holds afterwards.
    const std::vector<std::tuple<std::string, std::string, std::string, AddOutcome, char, AddressBookRow>> cases = {
        {"LAN", "192.168.0.10", "27910", AddOutcome::Added, '\0', {"LAN", "192.168.0.10:27910"}},
        {"abcdefghijklmn", "1.2.3.4", "", AddOutcome::Added, '\0', {"abcdefghij..", "1.2.3.4:"}},
        {"", "1.2.3.4", "27910", AddOutcome::NameOrAddressMissing, '\0', untouched},
        {"N", "1.2.3.4", "1;rcon x", AddOutcome::UnsafeAddress, ';', untouched},
        {"a\nb", "1.2.3.4", "27910", AddOutcome::UnsafeName, '\n', untouched},
    };
    for (const auto& [name, ip, port, outcome, character, row] : cases) {
        SCOPED_TRACE(name + " " + ip + " " + port);
        AddressBookRows rows;
        rows[0] = {"First", "1.1.1.1:27910"};
        rows[1] = untouched; // no name: an empty row, overwritten by the next add
        const AddResult result = AddServer(rows, name, ip, port);
        const bool added = outcome == AddOutcome::Added;
        EXPECT_EQ(result.outcome, outcome);
        EXPECT_EQ(result.character, character);
        EXPECT_EQ(result.row, added ? 1u : 0u);
        EXPECT_EQ(rows[1], row);
        EXPECT_EQ(rows[0], (AddressBookRow{"First", "1.1.1.1:27910"}));
        EXPECT_EQ(FirstEmptyRow(rows), std::optional<std::size_t>(added ? 2 : 1));
    }
}

TEST(ServerRows, RemovingAndAFullBook) {
    AddressBookRows rows;
    for (const char* name : {"One", "Two", "Three"})
        ASSERT_EQ(AddServer(rows, name, "1.1.1.1", "27910").outcome, AddOutcome::Added);
    RemoveServer(rows, 1);
    EXPECT_EQ(rows[1], AddressBookRow{});
    EXPECT_EQ(rows[2].name, "Three");
    EXPECT_EQ(AddServer(rows, "Four", "4.4.4.4", "27910").row, 1u);

    for (std::size_t i = 3; i < rows.size(); ++i)
        rows[i] = {"S", "10.0.0.1"};
    const AddressBookRows full = rows;
    EXPECT_EQ(FirstEmptyRow(rows), std::nullopt);
    EXPECT_EQ(AddServer(rows, "Eleventh", "10.0.0.11", "27910").outcome, AddOutcome::BookFull);
    EXPECT_EQ(AddServer(rows, "Bad", "a;b", "1").outcome, AddOutcome::UnsafeAddress); // checks come first
    EXPECT_EQ(rows, full);
}

TEST(ServerAddressCheck, RefusedCharactersAreNamed) {
    for (const std::string ok : {"192.168.0.10:27910", "[::1]:27910", "host-1.example/a:"})
        EXPECT_EQ(UnsafeAddressCharacter(ok), std::nullopt) << ok;
    const std::vector<std::tuple<std::string, char, std::string>> cases = {
        {"1.2.3.4;quit", ';', "the semicolon (;)"},
        {"1.2\"; quit", '"', "the quotation mark (\")"},
        {"1\nquit", '\n', "the control character 0x0A (line feed)"},
        {std::string("1\0", 2), '\0', "the control character 0x00"},
        {"a\x7f", '\x7f', "the control character 0x7F"},
        // The engine cuts words at blanks and bytes from 0x80, expands "$" and comments out "//".
        {"h\xf4te:", '\xf4', "the byte 0xF4"},
        {"1.2.3.4 :27910", ' ', "the blank"},
        {"$ip:27910", '$', "the dollar sign ($)"},
        {"a//b", '/', "the double slash (//)"},
    };
    for (const auto& [address, refused, described] : cases) {
        EXPECT_EQ(UnsafeAddressCharacter(address), std::optional<char>(refused)) << address;
        EXPECT_EQ(DescribeCharacter(refused), described);
        EXPECT_NE(UnsafeAddressMessage(refused).find(described), std::string::npos);
        EXPECT_NE(UnsafeNameMessage(refused).find(described), std::string::npos);
    }
    EXPECT_EQ(UnsafeNameCharacter("a;b\"c"), std::nullopt);
    EXPECT_EQ(UnsafeNameCharacter("a\rb"), std::optional<char>('\r'));
}

// A Quake 2 folder with a blank in its path and a file under the given name.
struct Quake2Install {
    TempDir root;
    std::filesystem::path folder = root / "Quake 2";
    SharedValues shared;

    explicit Quake2Install(std::string_view stored = kGameExecutableName, bool modFolder = true) {
        std::filesystem::create_directories(modFolder ? folder / "vorn" : folder);
        WriteBytes(folder / std::string(stored), "game");
        shared.Quake2Path = PathText(folder / std::string(kGameExecutableName));
        shared.Quake2Folder = PathText(folder);
    }
    std::filesystem::path script() const { return folder / "vorn" / "trel_connect.cfg"; }
};

AddressBookRows RowThree(const std::string& address) {
    AddressBookRows rows;
    rows[0] = {"First", "1.1.1.1:27910"};
    rows[2] = {"Third", address};
    return rows;
}

TEST(ServerJoin, WritesTheScriptOrRefusesAndWritesNothing) {
    const std::string exe(kGameExecutableName);
    std::string capitals = exe;
    for (char& c : capitals)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::optional<std::size_t> none;
    // The file in the Quake 2 folder, the address in row 3, the row selected, outcome and refused character.
    const std::vector<std::tuple<std::string, std::string, std::optional<std::size_t>, ConnectOutcome, char>> cases = {
        {exe, "10.0.0.5:27910", 2, ConnectOutcome::Ready, '\0'},
        {exe, "h\xf4te:", 2, ConnectOutcome::UnsafeAddress, '\xf4'},
        {exe, "10.0.0.5:27910", none, ConnectOutcome::NothingToJoin, '\0'},
        {exe, "", 2, ConnectOutcome::NothingToJoin, '\0'},
        {exe, "10.0.0.5:27910", kAddressBookRows, ConnectOutcome::NothingToJoin, '\0'},
        {exe, "10.0.0.5:27910;quit", 2, ConnectOutcome::UnsafeAddress, ';'},
        {capitals, "10.0.0.5:27910", 2, ConnectOutcome::WrongExecutable, '\0'},
        {"other", "10.0.0.5;quit", none, ConnectOutcome::WrongExecutable, '\0'},
    };
    for (const auto& [stored, address, selected, outcome, character] : cases) {
        SCOPED_TRACE(stored + " " + address);
        Quake2Install quake2(stored);
        const std::string old = "connect an.older.and.longer.address:27910\r\nquit\r\n";
        WriteBytes(quake2.script(), old);
        const ConnectPreparation prep = PrepareConnect(quake2.shared, RowThree(address), selected);
        const bool ready = outcome == ConnectOutcome::Ready;
        EXPECT_EQ(prep.outcome, outcome) << prep.why;
        EXPECT_EQ(prep.character, character);
        EXPECT_EQ(ReadBytes(quake2.script()), ready ? "connect " + address + "\r\n" : old);
        const LaunchRequest game{quake2.shared.Quake2Path,
                                 {"+set", "game", "vorn", "+exec", "trel_connect.cfg"},
                                 quake2.shared.Quake2Folder};
        EXPECT_EQ(prep.request, ready ? game : LaunchRequest{});
    }
}

TEST(ServerJoin, AJoinScriptInAnEngineHomeFolderStopsUntilTheUserGoesOn) {
    Quake2Install quake2;
    const auto stale = quake2.root / "home" / ".quake2" / "vorn" / "trel_connect.cfg";
    std::filesystem::create_directories(stale.parent_path());
    WriteBytes(stale, "connect old:27910\r\n");
    const std::string home = PathText(quake2.root / "home");
    ConnectPreparation prep = PrepareConnect(quake2.shared, RowThree("10.0.0.5:27910"), 2, home);
    EXPECT_EQ(prep.outcome, ConnectOutcome::StaleScript);
    EXPECT_NE(prep.why.find(PathText(stale)), std::string::npos) << prep.why;
    EXPECT_FALSE(std::filesystem::exists(quake2.script()));
    prep = PrepareConnect(quake2.shared, RowThree("10.0.0.5:27910"), 2, home, true);
    EXPECT_EQ(prep.outcome, ConnectOutcome::Ready);
    EXPECT_EQ(ReadBytes(stale), "connect old:27910\r\n");
}

TEST(ServerJoin, ScriptThatCannotBeWrittenIsReported) {
    for (const bool folderIsFile : {false, true}) { // no modification folder, or a file in its place
        Quake2Install quake2(kGameExecutableName, false);
        if (folderIsFile)
            WriteBytes(quake2.folder / "vorn", "x");
        const ConnectPreparation prep = PrepareConnect(quake2.shared, RowThree("10.0.0.5:27910"), 2);
        EXPECT_EQ(prep.outcome, ConnectOutcome::ScriptNotWritten);
        const std::string file = PathText(quake2.script());
        EXPECT_TRUE(prep.why.starts_with(file + ": ") && prep.why.size() > file.size() + 2) << prep.why;
        EXPECT_EQ(prep.request, LaunchRequest{});
    }
}

// A status reply: the four bytes and "print", then the given text.
std::string Reply(std::string_view text) {
    return std::string(kStatusReplyPrefix) + std::string(text);
}

using Info = std::vector<std::pair<std::string, std::string>>;

TEST(ServerStatusReply, ReadsWhatTheServerSent) {
    std::string many;
    for (int i = 0; i < 70; ++i)
        many += std::to_string(i) + " 1 \"p" + std::to_string(i) + "\"\n";
    std::vector<StatusPlayer> first64;
    for (int i = 0; i < 64; ++i)
        first64.push_back({i, 1, "p" + std::to_string(i)});
    const char binaryBytes[] = "\0\xff\\k\\v\x01\n\0 1 \"x\"\n1 2 \"\0\x80\"\n";
    const std::string binary(binaryBytes, sizeof binaryBytes - 1);
    // Name, datagram, and what it reads as (nothing: not a status reply).
    const std::vector<std::tuple<std::string, std::string, std::optional<ServerStatus>>> cases = {
        {"as the game sends it",
         Reply("\\mapname\\vorn01\\maxclients\\8\\hostname\\Friday league\\gamename\\vorn\n12 35 \"Gorm\"\n"
               "-3 999 \"Ulf the Red\"\n"),
         ServerStatus{{{"mapname", "vorn01"}, {"maxclients", "8"}, {"hostname", "Friday league"}, {"gamename", "vorn"}},
                      {{12, 35, "Gorm"}, {-3, 999, "Ulf the Red"}}}},
        {"CR LF, leading blanks, a sign, no last line feed", Reply("\\mapname\\a\r\n  +1\t2 \"crlf\"\r\n3 4 \"last\""),
         ServerStatus{{{"mapname", "a"}}, {{1, 2, "crlf"}, {3, 4, "last"}}}},
        {"empty info, no players", Reply("\n"), ServerStatus{}},
        {"prefix alone", Reply(""), ServerStatus{}},
        {"no leading backslash, key without value, duplicates kept in order",
         Reply("mapname\\a\\mapname\\b\\maxclients"),
         ServerStatus{{{"mapname", "a"}, {"mapname", "b"}, {"maxclients", ""}}, {}}},
        {"malformed player lines are skipped, the rest read",
         Reply("\\\nx 3 \"frags\"\n1 y \"ping\"\n1 2 unquoted\n1 2 \"open\n12 35\"tight\"\n\n5 6 \"a\"b\" tail\n7 8 "
               "\"ok\"\n"),
         ServerStatus{{}, {{5, 6, "a"}, {7, 8, "ok"}}}},
        {"a truncated datagram drops the cut player", Reply("\\mapname\\a\n1 2 \"whole\"\n12 35 \"Go"),
         ServerStatus{{{"mapname", "a"}}, {{1, 2, "whole"}}}},
        {"numbers beyond int are clamped",
         Reply("\n99999999999999999999 -99999999999999999999 \"big\"\n2147483648 -2147483648 \"edge\"\n"),
         ServerStatus{{}, {{INT_MAX, INT_MIN, "big"}, {INT_MAX, INT_MIN, "edge"}}}},
        {"at most 64 players", Reply("\\maxclients\\99\n" + many), ServerStatus{{{"maxclients", "99"}}, first64}},
        {"binary bytes are kept for cleaning", Reply(binary),
         ServerStatus{{{std::string("\0\xff", 2), "k"}, {"v\x01", ""}}, {{1, 2, std::string("\0\x80", 2)}}}},
        {"largest accepted", Reply("\n" + std::string(kLargestStatusReply - kStatusReplyPrefix.size() - 1, ' ')),
         ServerStatus{}},
        {"one byte too long", Reply("\n" + std::string(kLargestStatusReply - kStatusReplyPrefix.size(), ' ')),
         std::nullopt},
        {"empty datagram", "", std::nullopt},
        {"prefix without line feed", "\xff\xff\xff\xffprint", std::nullopt},
        {"three bytes of 0xFF", "\xff\xff\xffprint\n\\mapname\\a\n", std::nullopt},
        {"a request, not a reply", StatusRequest(), std::nullopt},
        {"garbage", std::string("\x00\x01\xfe\xff print\n", 11), std::nullopt},
    };
    for (const auto& [name, datagram, expected] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ParseStatusReply(datagram), expected);
    }
    EXPECT_EQ(StatusRequest(), std::string("\xff\xff\xff\xffstatus\n"));
}

TEST(ServerStatusReply, ValuesAndCellsAsShown) {
    const ServerStatus status{{{"mapname", "a"}, {"Maxclients", "9"}, {"maxclients", "8\x01"}, {"maxclients", "7"}},
                              {{1, 2, "x"}, {3, 4, "y"}, {5, 6, "z"}}};
    EXPECT_EQ(InfoValue(status, "mapname"), "a");
    EXPECT_EQ(InfoValue(status, "maxclients"), "8\x01"); // exact key, first of duplicates
    EXPECT_EQ(InfoValue(status, "hostname"), "");
    EXPECT_EQ(PlayersText(status), "3/8");
    EXPECT_EQ(PlayersText(ServerStatus{}), "0/");
    EXPECT_EQ(PingText(35), "35 ms");

    const std::vector<std::pair<std::string, std::string>> texts = {
        {"\xc7\xef\xf2\xed", "Gorm"},             // coloured characters
        {"a\x01\n\r\t\x7f b\x80\x9f\xff", "a b"}, // control characters, also coloured ones
        {"<b>big</b> &amp;", "<b>big</b> &amp;"}, // markup is text
        {std::string(10, '\n') + std::string(70, 'x'), std::string(64, 'x')},
        {std::string("\0z", 2), "z"},
    };
    for (const auto& [bytes, shown] : texts)
        EXPECT_EQ(CleanServerText(bytes), shown) << bytes;
}

TEST(ServerStatusAddress, ReadsTheAddressBookForms) {
    const std::vector<std::pair<std::string, ServerEndpoint>> good = {
        {"192.168.0.10:27911", {"192.168.0.10", 27911, HostKind::IPv4}},
        {"10.0.0.5", {"10.0.0.5", 27910, HostKind::IPv4}},
        {"10.0.0.5:", {"10.0.0.5", 27910, HostKind::IPv4}}, // the add-server dialog's empty port
        {"0.0.0.0:65535", {"0.0.0.0", 65535, HostKind::IPv4}},
        {"[::1]:27911", {"::1", 27911, HostKind::IPv6}},
        {"[::1]", {"::1", 27910, HostKind::IPv6}},
        {"[::1]:", {"::1", 27910, HostKind::IPv6}},
        {"[::ffff:127.0.0.1]:1", {"::ffff:127.0.0.1", 1, HostKind::IPv6}},
        {"[2001:db8:0:0:0:0:2:1]:5", {"2001:db8:0:0:0:0:2:1", 5, HostKind::IPv6}},
        {"[64:ff9b:0:0:0:0:192.0.2.1]", {"64:ff9b:0:0:0:0:192.0.2.1", 27910, HostKind::IPv6}},
        {"vorn.example.org:27911", {"vorn.example.org", 27911, HostKind::Name}},
        {"local_host-2", {"local_host-2", 27910, HostKind::Name}},
    };
    for (const auto& [text, address] : good)
        EXPECT_EQ(ParseServerAddress(text), std::optional<ServerEndpoint>(address)) << text;
    for (const std::string bad : {"", ":27910", "256.1.1.1", "1.2.3", "1.2.3.4.5", "01.2.3.4", "1.2.3.4:0", "1.2.3.4:65536",
                                  "1.2.3.4:12a", "1.2.3.4:+1", "1.2.3.4:27910:1", "::1", "[::1", "[::1]x", "[1::2::3]",
                                  "[12345::1]", "[1:2:3:4:5:6:7:8:9]", "[1:2:3:4:5:6:7]", "[1:2:3:4:5:6:7:1.2.3.4]",
                                  "[::1.2.3]", "[]", "h\xf4te:1", "a b:1", "host..name", ".host", "host.", " 1.2.3.4"})
        EXPECT_EQ(ParseServerAddress(bad), std::nullopt) << bad;
}

} // namespace
} // namespace trel
