#pragma once
// The map cycle editor: composes the order in which the server plays its maps and writes it as the new
// vorn.ini, keeping the old one as vorn.bak.

#include "mdlvariables.h"

#include <QWidget>

#include <string>
#include <vector>

class QFrame;
class QLabel;
class QListWidget;
class QPushButton;

namespace trel {

class MessageBoxes;

class mapcycle : public QWidget {
    Q_OBJECT
public:
    /// Both lists start as the standard map list. shared is read when "Ok" writes (the modification
    /// folder of the Quake 2 folder then chosen); it must outlive the window.
    mapcycle(const SharedValues& shared, MessageBoxes& boxes, QWidget* parent = nullptr);

    /// Shows the window.
    void open();

    /// A request to open the editor while it is open: the window comes forward as it is.
    void bringForward();

    /// The names of the cycle, first to last.
    std::vector<std::string> cycle() const;

signals:
    /// The window closed: by "Ok" after the cycle was written, by "Cancel" or by its close box.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

public:
    QFrame* Frame1 = nullptr;
    QLabel* Label1 = nullptr;
    QListWidget* maps = nullptr;
    QPushButton* butaddmap = nullptr;
    QPushButton* butremmap = nullptr;
    QLabel* Label2 = nullptr;
    QListWidget* newmaps = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* butok = nullptr;

private:
    void placeControls();
    void onAdd();
    void onRemove();
    void onOk();

    const SharedValues& shared_;
    MessageBoxes& boxes_;
};

} // namespace trel
