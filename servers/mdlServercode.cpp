// The server address book and joining a server.

#include "mdlServercode.h"

#include "mdlIniStuff.h"
#include "platform.h"


namespace trel {
namespace {

bool IsControl(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b < 0x20 || b == 0x7f;
}

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

std::string OneLine(std::string value) {
    for (char& c : value) {
        if (IsLineEnd(c))
            c = ' ';
    }
    return value;
}

} // namespace

std::string ServerNameKey(std::size_t rowNumber) {
    return "ServerName " + std::to_string(rowNumber);
}

std::string ServerIpKey(std::size_t rowNumber) {
    return "ServerIp " + std::to_string(rowNumber);
}

AddressBookRows LoadAddressBook(const std::filesystem::path& iniFile) {
    AddressBookRows rows;
    std::vector<IniKey> keys;
    keys.reserve(rows.size() * 2);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        keys.push_back({std::string(kAddressBookSection), ServerNameKey(i + 1)});
        keys.push_back({std::string(kAddressBookSection), ServerIpKey(i + 1)});
    }
    const std::vector<std::string> values = ReadIniValues(keys, iniFile);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].name = values[2 * i];
        rows[i].address = values[2 * i + 1];
    }
    return rows;
}

std::vector<std::pair<std::string, std::string>> AddressBookValues(const AddressBookRows& rows) {
    std::vector<std::pair<std::string, std::string>> values;
    values.reserve(rows.size() * 2);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        values.emplace_back(ServerNameKey(i + 1), OneLine(rows[i].name));
        values.emplace_back(ServerIpKey(i + 1), OneLine(rows[i].address));
    }
    return values;
}

bool SaveAddressBook(const AddressBookRows& rows, const std::filesystem::path& iniFile, std::string& why) {
    return WriteIniValues(std::string(kAddressBookSection), AddressBookValues(rows), iniFile, why);
}

bool IsFilledRow(const AddressBookRow& row) {
    return !row.name.empty();
}

std::optional<std::size_t> FirstEmptyRow(const AddressBookRows& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!IsFilledRow(rows[i]))
            return i;
    }
    return std::nullopt;
}

std::string ShortenServerName(std::string_view name) {
    if (name.size() <= kLongestServerName)
        return std::string(name);
    return std::string(name.substr(0, 10)) + "..";
}

std::string ServerAddress(std::string_view internetAddress, std::string_view port) {
    return std::string(internetAddress) + ":" + std::string(port);
}

std::optional<char> UnsafeAddressCharacter(std::string_view address) {
    // The console splits a line at ";" and at line ends, and a quotation mark would let the rest of the
    // line escape the address; blanks, control characters and bytes from 0x80 cut it into words, "$"
    // expands a variable and "//" comments the rest out.
    for (std::size_t i = 0; i < address.size(); ++i) {
        const char c = address[i];
        if (c == ';' || c == '"' || c == ' ' || c == '$' || IsControl(c) || static_cast<unsigned char>(c) >= 0x80 ||
            (c == '/' && i + 1 < address.size() && address[i + 1] == '/'))
            return c;
    }
    return std::nullopt;
}

std::optional<char> UnsafeNameCharacter(std::string_view name) {
    for (const char c : name) {
        if (IsControl(c))
            return c;
    }
    return std::nullopt;
}

std::string UnsafeAddressMessage(char c) {
    if (c == ';' || c == '"' || c == '\r' || c == '\n')
        return "The server address may not contain " + DescribeCharacter(c) +
               ": Quake 2 would run the rest of the connect line as further console commands.";
    return "The server address may not contain " + DescribeCharacter(c) +
           ": Quake 2 would not read the address on the connect line as it is written.";
}

std::string UnsafeNameMessage(char c) {
    return "The server name may not contain " + DescribeCharacter(c) + ".";
}

AddResult AddServer(AddressBookRows& rows, std::string_view name, std::string_view internetAddress,
                    std::string_view port) {
    if (name.empty() || internetAddress.empty())
        return {AddOutcome::NameOrAddressMissing, 0, '\0'};
    if (const auto c = UnsafeNameCharacter(name))
        return {AddOutcome::UnsafeName, 0, *c};
    const std::string address = ServerAddress(internetAddress, port);
    if (const auto c = UnsafeAddressCharacter(address))
        return {AddOutcome::UnsafeAddress, 0, *c};
    const auto row = FirstEmptyRow(rows);
    if (!row)
        return {AddOutcome::BookFull, 0, '\0'};
    rows[*row] = {ShortenServerName(name), address};
    return {AddOutcome::Added, *row, '\0'};
}

void RemoveServer(AddressBookRows& rows, std::size_t row) {
    if (row < rows.size())
        rows[row] = {};
}

std::string ConnectScriptText(std::string_view address) {
    return "connect " + std::string(address) + "\r\n";
}

ConnectPreparation PrepareConnect(const SharedValues& shared, const AddressBookRows& rows,
                                  std::optional<std::size_t> selected, std::string_view engineHome,
                                  bool goOnDespiteStale) {
    ConnectPreparation preparation;
    if (!IsGameExecutable(PathFromText(shared.Quake2Path))) {
        preparation.outcome = ConnectOutcome::WrongExecutable;
        return preparation;
    }
    if (!selected || *selected >= rows.size() || rows[*selected].address.empty()) {
        preparation.outcome = ConnectOutcome::NothingToJoin;
        return preparation;
    }
    const std::string& address = rows[*selected].address;
    if (const auto c = UnsafeAddressCharacter(address)) {
        preparation.outcome = ConnectOutcome::UnsafeAddress;
        preparation.character = *c;
        return preparation;
    }
    if (!goOnDespiteStale) {
        if (const auto stale = StaleEngineScript(engineHome, kConnectScript)) {
            preparation.outcome = ConnectOutcome::StaleScript;
            preparation.why = StaleScriptQuestion(*stale);
            return preparation;
        }
    }
    if (!WriteFileAtomic(ModDir(shared.Quake2Folder) / kConnectScript, ConnectScriptText(address), preparation.why)) {
        preparation.outcome = ConnectOutcome::ScriptNotWritten;
        return preparation;
    }
    preparation.request = GameLaunchRequest(shared, false, kConnectScript);
    return preparation;
}

} // namespace trel
