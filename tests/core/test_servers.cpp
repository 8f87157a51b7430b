// The server address book: its rows in trel.ini byte for byte, the row rules of adding and removing, the
// refusal of addresses the connect line cannot carry, and the join script with its game request.

#include "mdlIniStuff.h"
#include "mdlServercode.h"
#include "platform.h"
#include "test_helpers.h"

#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <string>
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

const std::string kRowsOneAndThree =
    "[AddressBook]\r\nServerName 1=Home LAN\r\nServerIp 1=192.168.0.10:27910\r\n" + EmptyKeys(2, 2) +
    "ServerName 3=Vorn Central\r\nServerIp 3=vorn.example.org:27911\r\n" + EmptyKeys(4, 10);

AddressBookRows RowsOneAndThree() {
    AddressBookRows rows;
    rows[0] = {"Home LAN", "192.168.0.10:27910"};
    rows[2] = {"Vorn Central", "vorn.example.org:27911"};
    return rows;
}

// Other sections, a comment, blank lines, other line ends and a last line without one; none may change.
const std::string kBefore = "; Trel settings\r\n[Quake2exe]\r\nUsed=1\r\nPath=/games/Quake 2/quake2\n\r\n";
const std::string kAfter = "\r\n[Settings]\r\nDMflags=5\r\nserverini=  my server.ini\rMap=2";

TEST(AddressBookStore, NoBookGivesEmptyRows) {
    TempDir dir;
    EXPECT_EQ(LoadAddressBook(dir / "trel.ini"), AddressBookRows{});
    WriteBytes(dir / "trel.ini", "[Settings]\r\nServerName 1=not in the book\r\n[AddressBook]\r\n");
    EXPECT_EQ(LoadAddressBook(dir / "trel.ini"), AddressBookRows{});
    std::filesystem::remove(dir / "trel.ini");
    std::filesystem::create_directory(dir / "trel.ini"); // unreadable
    EXPECT_EQ(LoadAddressBook(dir / "trel.ini"), AddressBookRows{});
}

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
    EXPECT_EQ(ReadBytes(dir / "trel.ini"), kBefore + kAfter + "\r\n[AddressBook]\r\n" + EmptyKeys(1, 2) +
                                               "ServerName 3=Vorn Central\r\nServerIp 3=vorn.example.org:27911\r\n" +
                                               EmptyKeys(4, 9) +
                                               "ServerName 10=Last\r\nServerIp 10=10.0.0.9:27912\r\n");
}

TEST(AddressBookStore, HandEditedFilesLoadAndSaveWithoutHarm) {
    struct Case {
        const char* label;
        std::string book;                                         // the hand-written section
        std::vector<std::pair<std::size_t, AddressBookRow>> rows; // the rows it shows
    };
    const std::string longName(300, 'n');
    const std::vector<Case> cases = {
        {"300-character name",
         "[AddressBook]\r\nServerName 1=" + longName + "\r\nServerIp 1=1.2.3.4\r\n",
         {{0, {longName.substr(0, 254), "1.2.3.4"}}}},
        {"keys in other letter cases",
         "[ADDRESSBOOK]\r\nservername 2=Lower\r\nSERVERIP 2=5.6.7.8:27910\r\n",
         {{1, {"Lower", "5.6.7.8:27910"}}}},
        {"rows only at 2 and 10",
         "[AddressBook]\nServerName 10=Tenth\nServerIp 10=10.1.1.1\nServerName 2=Two\n",
         {{1, {"Two", ""}}, {9, {"Tenth", "10.1.1.1"}}}},
        {"non-ASCII bytes",
         "[AddressBook]\r\nServerName 1=Caf\xc3\xa9 \xe9\xff\x80\r\nServerIp 1=h\xf4te:1\r\n",
         {{0, {"Caf\xc3\xa9 \xe9\xff\x80", "h\xf4te:1"}}}},
        {"address without a name", "[AddressBook]\r\nServerIp 3=3.3.3.3:27910\r\n", {{2, {"", "3.3.3.3:27910"}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        AddressBookRows expected;
        for (const auto& [index, row] : c.rows)
            expected[index] = row;
        TempDir dir;
        WriteBytes(dir / "trel.ini", kBefore + c.book + kAfter);
        EXPECT_EQ(LoadAddressBook(dir / "trel.ini"), expected);
        std::string why;
        ASSERT_TRUE(SaveAddressBook(LoadAddressBook(dir / "trel.ini"), dir / "trel.ini", why)) << why;
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
    EXPECT_EQ(ReadBytes(dir / "trel.ini"), "[AddressBook]\r\nservername 2=Renamed\r\n"
                                           "ServerName 1=two  [Quake2exe]  Used=0\r\nServerIp 1=a b\r\n" +
                                               EmptyKeys(2, 10).substr(std::string("ServerName 2=\r\n").size()));
}

TEST(AddressBookStore, FailedSaveNamesTheFileAndChangesNothing) {
    TempDir dir;
    WriteBytes(dir / "start", "a file where a folder should be");
    std::filesystem::create_directories(dir / "trel.ini" / "inside");
    for (const std::filesystem::path& file :
         {dir / "start" / "trel.ini", dir / "trel.ini", dir / "gone" / "trel.ini"}) {
        SCOPED_TRACE(file);
        std::string why;
        EXPECT_FALSE(SaveAddressBook(RowsOneAndThree(), file, why));
        EXPECT_TRUE(why.starts_with(PathText(file) + ": ") && why.size() > PathText(file).size() + 2) << why;
    }
    EXPECT_EQ(ReadBytes(dir / "start"), "a file where a folder should be");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "trel.ini" / "inside"));
}

TEST(ServerRows, ShortenedNames) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"abcdefghijklm", "abcdefghijklm"},
        {"abcdefghijklmn", "abcdefghij.."},
        {std::string(300, 'x'), "xxxxxxxxxx.."},
        {std::string(14, '\xe9'), std::string(10, '\xe9') + ".."},
    };
    for (const auto& [name, shown] : cases)
        EXPECT_EQ(ShortenServerName(name), shown) << name;
}

TEST(ServerRows, AddServer) {
    struct Case {
        const char* label;
        std::string name, ip, port;
        AddOutcome outcome;
        char character;
        AddressBookRow row; // what row 2, the first empty one, holds afterwards
    };
    const std::vector<Case> cases = {
        {"plain", "LAN", "192.168.0.10", "27910", AddOutcome::Added, '\0', {"LAN", "192.168.0.10:27910"}},
        {"long name", "abcdefghijklmn", "1.2.3.4", "27910", AddOutcome::Added, '\0', {"abcdefghij..", "1.2.3.4:27910"}},
        {"empty port", "P", "1.2.3.4", "", AddOutcome::Added, '\0', {"P", "1.2.3.4:"}},
        {"harmless name", "a;b \"c\"", "h", "1", AddOutcome::Added, '\0', {"a;b \"c\"", "h:1"}},
        {"no name", "", "1.2.3.4", "27910", AddOutcome::NameOrAddressMissing, '\0', {"", "left over"}},
        {"no address", "N", "", "27910", AddOutcome::NameOrAddressMissing, '\0', {"", "left over"}},
        {"semicolon", "N", "1.2.3.4;quit", "27910", AddOutcome::UnsafeAddress, ';', {"", "left over"}},
        {"semicolon in port", "N", "1.2.3.4", "1;rcon x", AddOutcome::UnsafeAddress, ';', {"", "left over"}},
        {"quotation mark", "N", "1.2\"", "27910", AddOutcome::UnsafeAddress, '"', {"", "left over"}},
        {"tab in port", "N", "1.2.3.4", "27\t910", AddOutcome::UnsafeAddress, '\t', {"", "left over"}},
        {"line feed in name", "a\nb", "1.2.3.4", "27910", AddOutcome::UnsafeName, '\n', {"", "left over"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        AddressBookRows rows;
        rows[0] = {"First", "1.1.1.1:27910"};
        rows[1] = {"", "left over"}; // no name: an empty row, overwritten by the next add
        const AddResult result = AddServer(rows, c.name, c.ip, c.port);
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(result.character, c.character);
        EXPECT_EQ(result.row, c.outcome == AddOutcome::Added ? 1u : 0u);
        EXPECT_EQ(rows[1], c.row);
        EXPECT_EQ(rows[0], (AddressBookRow{"First", "1.1.1.1:27910"}));
        EXPECT_EQ(FirstEmptyRow(rows), std::optional<std::size_t>(c.outcome == AddOutcome::Added ? 2 : 1));
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
    struct Case {
        std::string address;
        std::optional<char> refused;
        std::string described;
    };
    const std::vector<Case> cases = {
        {"192.168.0.10:27910", std::nullopt, ""},
        {"[::1]:27910", std::nullopt, ""},
        {"h\xf4te a:", std::nullopt, ""},
        {"1.2.3.4;quit", ';', "the semicolon (;)"},
        {"1.2\"; quit", '"', "the quotation mark (\")"},
        {"1\nquit", '\n', "the control character 0x0A (line feed)"},
        {"1\rquit", '\r', "the control character 0x0D (carriage return)"},
        {"1\tx", '\t', "the control character 0x09 (tab)"},
        {std::string("1\0", 2), '\0', "the control character 0x00"},
        {"a\x7f", '\x7f', "the control character 0x7F"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UnsafeAddressCharacter(c.address), c.refused) << c.address;
        if (!c.refused)
            continue;
        EXPECT_EQ(DescribeCharacter(*c.refused), c.described);
        EXPECT_NE(UnsafeAddressMessage(*c.refused).find(c.described), std::string::npos);
        EXPECT_NE(UnsafeNameMessage(*c.refused).find(c.described), std::string::npos);
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

TEST(ServerJoin, WritesTheScriptAndAsksForTheGame) {
    for (const std::string address : {"10.0.0.5:27910", "vorn.example.org", "10.0.0.5:", "h\xf4te:27910"}) {
        SCOPED_TRACE(address);
        Quake2Install quake2;
        WriteBytes(quake2.script(), "connect an.older.and.longer.address:27910\r\nquit\r\n");
        const ConnectPreparation prep = PrepareConnect(quake2.shared, RowThree(address), 2);
        ASSERT_EQ(prep.outcome, ConnectOutcome::Ready) << prep.why;
        EXPECT_EQ(ReadBytes(quake2.script()), "connect " + address + "\r\n");
        EXPECT_EQ(prep.request, (LaunchRequest{quake2.shared.Quake2Path,
                                               {"+set", "game", "vorn", "+exec", "trel_connect.cfg"},
                                               quake2.shared.Quake2Folder}));
    }
}

TEST(ServerJoin, RefusalsWriteNothing) {
    std::string capitals(kGameExecutableName);
    for (char& c : capitals)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    struct Case {
        const char* label;
        std::string stored; // the file in the Quake 2 folder
        std::string address;
        std::optional<std::size_t> selected;
        ConnectOutcome outcome;
        char character;
    };
    const std::string exe(kGameExecutableName);
    const std::vector<Case> cases = {
        {"no row selected", exe, "10.0.0.5:27910", std::nullopt, ConnectOutcome::NothingToJoin, '\0'},
        {"no address", exe, "", 2, ConnectOutcome::NothingToJoin, '\0'},
        {"no such row", exe, "10.0.0.5:27910", kAddressBookRows, ConnectOutcome::NothingToJoin, '\0'},
        {"semicolon", exe, "10.0.0.5:27910;quit", 2, ConnectOutcome::UnsafeAddress, ';'},
        {"quotation mark", exe, "\"10.0.0.5", 2, ConnectOutcome::UnsafeAddress, '"'},
        {"stored in capitals", capitals, "10.0.0.5:27910", 2, ConnectOutcome::WrongExecutable, '\0'},
        {"missing, nothing selected", "other", "10.0.0.5;quit", std::nullopt, ConnectOutcome::WrongExecutable, '\0'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Quake2Install quake2(c.stored);
        WriteBytes(quake2.script(), "connect old:1\r\n");
        const ConnectPreparation prep = PrepareConnect(quake2.shared, RowThree(c.address), c.selected);
        EXPECT_EQ(prep.outcome, c.outcome);
        EXPECT_EQ(prep.character, c.character);
        EXPECT_EQ(ReadBytes(quake2.script()), "connect old:1\r\n");
        EXPECT_EQ(prep.request, LaunchRequest{});
    }
}

TEST(ServerJoin, ScriptThatCannotBeWrittenIsReported) {
    using Prepare = void (*)(const std::filesystem::path&);
    const std::pair<const char*, Prepare> cases[] = {
        {"no modification folder", [](const std::filesystem::path&) {}},
        {"modification folder is a file", [](const std::filesystem::path& f) { WriteBytes(f / "vorn", "x"); }},
        {"a folder in the script's place",
         [](const std::filesystem::path& f) { std::filesystem::create_directories(f / "vorn/trel_connect.cfg/x"); }},
    };
    for (const auto& [label, prepare] : cases) {
        SCOPED_TRACE(label);
        Quake2Install quake2(kGameExecutableName, false);
        prepare(quake2.folder);
        const ConnectPreparation prep = PrepareConnect(quake2.shared, RowThree("10.0.0.5:27910"), 2);
        EXPECT_EQ(prep.outcome, ConnectOutcome::ScriptNotWritten);
        const std::string file = PathText(quake2.script());
        EXPECT_TRUE(prep.why.starts_with(file + ": ") && prep.why.size() > file.size() + 2) << prep.why;
        EXPECT_EQ(prep.request, LaunchRequest{});
    }
}

} // namespace
} // namespace trel
