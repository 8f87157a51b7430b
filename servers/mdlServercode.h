#pragma once
// The server address book and joining a server: the ten stored rows, adding and removing a server, and
// everything the join does before the game starts. Standard C++ only; the windows hold no rule of their own.

#include "mdlmaincode.h"
#include "mdlvariables.h"

#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace trel {

/// One row of the book. A row whose name is empty is an empty row, whatever its address holds.
struct AddressBookRow {
    std::string name;
    std::string address; // what follows "connect " in the join script

    bool operator==(const AddressBookRow&) const = default;
};

/// The book always has ten rows; a row never moves. Index 0 is row 1.
inline constexpr std::size_t kAddressBookRows = 10;
using AddressBookRows = std::array<AddressBookRow, kAddressBookRows>;

/// The settings file's section that holds the book.
inline constexpr std::string_view kAddressBookSection = "AddressBook";

/// The join script's file name in the modification folder.
inline constexpr std::string_view kConnectScript = "trel_connect.cfg";

/// The port the add-server dialog offers.
inline constexpr std::string_view kDefaultServerPort = "27910";

/// Names longer than this are shortened by the add-server dialog.
inline constexpr std::size_t kLongestServerName = 13;

/// "ServerName " + n and "ServerIp " + n for row number n (1 to 10).
std::string ServerNameKey(std::size_t rowNumber);
std::string ServerIpKey(std::size_t rowNumber);

/// The ten rows as iniFile holds them (one read of the file). A missing or unreadable file, section or
/// key gives empty rows; values come back as the settings file reads them (at most 254 characters).
AddressBookRows LoadAddressBook(const std::filesystem::path& iniFile);

/// The 20 values a save writes, in order: ServerName 1, ServerIp 1, ServerName 2, and so on. A value is
/// one line of the file, so a line end inside it is written as a blank.
std::vector<std::pair<std::string, std::string>> AddressBookValues(const AddressBookRows& rows);

/// Writes all 20 keys, empty rows included, with the file replaced once. Every other line of the file
/// stays as it was. On failure the file is untouched and why names the file and the reason.
bool SaveAddressBook(const AddressBookRows& rows, const std::filesystem::path& iniFile, std::string& why);

/// True when the row holds a server (its name is not empty).
bool IsFilledRow(const AddressBookRow& row);

/// Index of the lowest empty row, or nothing when all ten are filled.
std::optional<std::size_t> FirstEmptyRow(const AddressBookRows& rows);

/// The name a new row shows: unchanged up to 13 characters, else its first 10 characters and "..".
std::string ShortenServerName(std::string_view name);

/// The address a new row gets: internet address, ":" and port, nothing added (an empty port leaves the
/// address ending in ":").
std::string ServerAddress(std::string_view internetAddress, std::string_view port);

/// The first character of an address that the game would not read as one word of the connect line:
/// ";", the quotation mark, a control character, a blank, "$", "/" starting "//", or a byte from 0x80.
/// Nothing when it is safe.
std::optional<char> UnsafeAddressCharacter(std::string_view address);

/// The first control character of a name, which cannot be kept on the one line the file gives a value.
std::optional<char> UnsafeNameCharacter(std::string_view name);

/// The warning for an address holding character c.
std::string UnsafeAddressMessage(char c);

/// The warning for a server name holding character c.
std::string UnsafeNameMessage(char c);

/// The warning when the dialog's name or internet address is empty.
inline constexpr std::string_view kNameAndAddressNeeded = "You must enter a Name and IP address for your server";

enum class AddOutcome {
    Added,                // the first empty row holds the new server
    BookFull,             // no empty row: nothing added, nothing said
    NameOrAddressMissing, // the name or the internet address is empty
    UnsafeName,           // the name holds a control character
    UnsafeAddress,        // the address holds a character the connect line cannot carry
};

struct AddResult {
    AddOutcome outcome = AddOutcome::Added;
    std::size_t row = 0;   // the filled row's index when Added
    char character = '\0'; // the refused character when UnsafeName or UnsafeAddress
};

/// The add-server dialog's Add: checks the texts, then fills the first empty row with the shortened name
/// and the address made of internet address and port. Nothing changes unless the result is Added.
AddResult AddServer(AddressBookRows& rows, std::string_view name, std::string_view internetAddress,
                    std::string_view port);

/// Empties the row: name and address become "".
void RemoveServer(AddressBookRows& rows, std::size_t row);

/// The join script's bytes: "connect " + address + CR LF.
std::string ConnectScriptText(std::string_view address);

enum class ConnectOutcome {
    Ready,            // the script is written; request starts the game
    WrongExecutable,  // Quake2Path names no file stored as the game's executable; nothing written
    NothingToJoin,    // no row selected, or its address is empty; nothing written, nothing said
    UnsafeAddress,    // the selected address holds a refused character; nothing written
    StaleScript,      // an engine home folder holds an older join script; why is the question
    ScriptNotWritten, // the join script could not be written; why names the file and the reason
};

struct ConnectPreparation {
    ConnectOutcome outcome = ConnectOutcome::Ready;
    LaunchRequest request; // set when Ready
    std::string why;       // set when ScriptNotWritten
    char character = '\0'; // set when UnsafeAddress
};

/// Everything joining the selected row does before the game starts: the executable check, the join
/// script in the modification folder and the request for "+set game vorn +exec trel_connect.cfg" run in
/// the Quake 2 folder. selected is the index of the selected row, if any. A join script in one of
/// engineHome's folders stops it with StaleScript unless goOnDespiteStale.
ConnectPreparation PrepareConnect(const SharedValues& shared, const AddressBookRows& rows,
                                  std::optional<std::size_t> selected, std::string_view engineHome = {},
                                  bool goOnDespiteStale = false);

} // namespace trel
