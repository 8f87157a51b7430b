#pragma once
// The server address book window: ten rows of selector, name and address, the buttons that add, remove
// and join a server, and the add-server dialog it opens. Right of the rows, each server's map, players and
// ping as its status query answers; under them, the selected server's name and players.

#include "mdlServercode.h"
#include "mdlvariables.h"
#include "server.h"
#include "serverstatus.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace trel {

class GameStarter;
class MessageBoxes;
class server;
class NetworkSource;
class StatusQueries;

class addressbook : public QWidget {
    Q_OBJECT
public:
    /// Loads the book from iniFile at once; the window is shown by whoever made it. shared is read at the
    /// moment of a join, so a Quake 2 location chosen meanwhile is used.
    addressbook(const SharedValues& shared, std::filesystem::path iniFile, MessageBoxes& boxes, GameStarter& starter,
                NetworkSource& network, QWidget* parent = nullptr);
    ~addressbook() override;

    /// Shows the window in front of the others, rows and dialog as they are.
    void bringForward();

    /// The rows as the window shows them (the working copy of the book).
    AddressBookRows rows() const;
    /// Index of the selected row (row number minus one), or nothing.
    std::optional<std::size_t> selectedRow() const;

    /// Writes the rows to the settings file; a failure is reported once and the rows stay.
    bool SaveAddressBook();
    /// Joins the selected row's server; failures are reported and start nothing.
    void ConnectServer();
    /// Empties the selected row.
    void RemoveServer();
    /// The dialog's Add: fills the first empty row. Reporting the refusals is the dialog's business.
    AddResult AddServer(const QString& name, const QString& internetAddress, const QString& port);

    /// "<-- &Add": opens the add-server dialog, or brings the open one forward unchanged.
    void openAddServer();
    /// The open add-server dialog, if any.
    server* addServerDialog() const { return dialog_; }

    /// "&Refresh": asks every filled row's server for its status at once.
    void RefreshStatus();
    /// The queries behind the status columns; none when the network parts could not be loaded.
    StatusQueries* statusQueries() const { return queries_.get(); }

signals:
    /// "&Cancel" saved the book: the main window should be shown. closed() follows.
    void cancelled();
    /// The window has closed (Cancel or the close box) and may be deleted.
    void closed();
    /// A join found no game executable at Quake2Path; the warning has been shown and the locator is due.
    void wrongExecutable();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public:
    // Controls, named as the system names them (object names are the same). Row n (1 to 10) is index n - 1,
    // with object names "serverselect(n)", "servername(n)" and "serverIP(n)".
    QFrame* Frame1 = nullptr;
    QPushButton* Command4 = nullptr; // column heading "Server Name :"
    QPushButton* Command5 = nullptr; // column heading "IP Address"
    QLineEdit* Text1 = nullptr;      // the table's background
    std::array<QRadioButton*, kAddressBookRows> serverselect{};
    std::array<QLineEdit*, kAddressBookRows> servername{};
    std::array<QLineEdit*, kAddressBookRows> serverIP{};
    QPushButton* Command1 = nullptr;  // C&onnect...
    QPushButton* addserver = nullptr; // <-- &Add
    QPushButton* Command3 = nullptr;  // &Remove -->
    QPushButton* Command2 = nullptr;  // &Cancel
    QFrame* Frame2 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    // The servers' status, right of the specified window's controls.
    QPushButton* butrefresh = nullptr; // &Refresh, under "&Remove -->"
    QFrame* Frame3 = nullptr;          // holds the status columns and the host name
    QPushButton* Command6 = nullptr;   // column heading "Map"
    QPushButton* Command7 = nullptr;   // column heading "Players"
    QPushButton* Command8 = nullptr;   // column heading "Ping"
    std::array<QLineEdit*, kAddressBookRows> servermap{};
    std::array<QLineEdit*, kAddressBookRows> serverplayers{};
    std::array<QLineEdit*, kAddressBookRows> serverping{};
    QLabel* lblhostname = nullptr;     // the selected server's cleaned host name
    QTreeWidget* playerlist = nullptr; // the selected server's players: Name, Frags, Ping

private:
    void LoadAddressBook();
    void showRow(std::size_t row, const AddressBookRow& values);
    void paintRows(std::optional<std::size_t> highlighted);
    void paintRow(std::size_t row, bool highlighted);
    void selectRow(std::size_t row);
    void deselectRow(std::size_t row);
    void cancel();
    std::optional<std::size_t> rowOfBox(const QObject* box) const;
    void queryRow(std::size_t row);
    void clearStatus(std::size_t row, const QString& ping);
    void showStatus(std::size_t row, const ServerStatus& status, qint64 milliseconds);
    void showSelectedServer();

    const SharedValues& shared_;
    std::filesystem::path iniFile_;
    MessageBoxes& boxes_;
    GameStarter& starter_;
    QPointer<server> dialog_;
    std::unique_ptr<StatusQueries> queries_;
    std::array<std::optional<ServerStatus>, kAddressBookRows> status_; // the last answer of each row
    bool cancelling_ = false;
};

} // namespace trel
