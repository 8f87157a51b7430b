#pragma once
// The add-server dialog: a name, an internet address and a port, added into the first empty row of the
// address book window that opened it.

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace trel {

class MessageBoxes;
class addressbook;

class server : public QWidget {
    Q_OBJECT
public:
    /// A modeless dialog in front of book; it deletes itself when closed.
    server(addressbook& book, MessageBoxes& boxes);

    /// "&Add": adds the server to the book and closes, or says what is wrong and stays open.
    void AddServer();

public:
    // Controls, named as the system names them (object names are the same).
    QLabel* Picture1 = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* servername = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* serverIP = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* serverport = nullptr;
    QPushButton* butaddserver = nullptr;
    QPushButton* butcancel = nullptr;

private:
    addressbook& book_;
    MessageBoxes& boxes_;
};

} // namespace trel
