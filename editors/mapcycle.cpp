#include "mapcycle.h"

#include "ProgramFont.h"
#include "mdlmaincode.h"
#include "seams/MessageBoxes.h"

#include <QCloseEvent>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace trel {
namespace {

constexpr int kClientWidth = 313;
constexpr int kClientHeight = 249;

QString FromPathText(const std::string& text) { return QFile::decodeName(QByteArray::fromStdString(text)); }

QListWidget* MakeMapList(QWidget* parent, const char* name) {
    auto* list = new QListWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    for (const std::string_view map : kStandardMaps)
        list->addItem(QString::fromLatin1(map.data(), static_cast<qsizetype>(map.size())));
    return list;
}

// The selected entry's text, or "" when none is selected.
QString SelectedText(const QListWidget& list) {
    const QList<QListWidgetItem*> picked = list.selectedItems();
    return picked.isEmpty() ? QString() : picked.first()->text();
}

} // namespace

mapcycle::mapcycle(const SharedValues& shared, MessageBoxes& boxes, QWidget* parent)
    : QWidget(parent, Qt::Window), shared_(shared), boxes_(boxes) {
    setObjectName(QStringLiteral("mapcycle"));
    setWindowTitle(QStringLiteral("Edit Map Cycle.."));
    setFont(ProgramFont());

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::StyledPanel);
    Label1 = new QLabel(QStringLiteral("Available Maps:"), Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    maps = MakeMapList(Frame1, "maps");
    butaddmap = new QPushButton(QStringLiteral(">"), Frame1);
    butaddmap->setObjectName(QStringLiteral("butaddmap"));
    butremmap = new QPushButton(QStringLiteral("<"), Frame1);
    butremmap->setObjectName(QStringLiteral("butremmap"));
    Label2 = new QLabel(QStringLiteral("MapCycle:"), Frame1);
    Label2->setObjectName(QStringLiteral("Label2"));
    newmaps = MakeMapList(Frame1, "newmaps");
    Command1 = new QPushButton(QStringLiteral("Cancel"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    butok = new QPushButton(QStringLiteral("Ok"), this);
    butok->setObjectName(QStringLiteral("butok"));
    placeControls();

    connect(butaddmap, &QPushButton::clicked, this, &mapcycle::onAdd);
    connect(butremmap, &QPushButton::clicked, this, &mapcycle::onRemove);
    connect(butok, &QPushButton::clicked, this, &mapcycle::onOk);
    connect(Command1, &QPushButton::clicked, this, &mapcycle::close);
}

void mapcycle::placeControls() {
    struct Place {
        QWidget* control;
        int x, y, width, height; // a label without a size takes its caption's size
    };
    // In the frame: relative to the frame.
    const Place places[] = {
        {Frame1, 8, 8, 297, 201},    {Label1, 8, 10, 0, 0},       {maps, 8, 28, 113, 161},
        {butaddmap, 128, 68, 41, 25}, {butremmap, 128, 108, 41, 25}, {Label2, 176, 10, 0, 0},
        {newmaps, 176, 28, 113, 161}, {Command1, 8, 216, 81, 25},  {butok, 224, 216, 81, 25},
    };
    for (const Place& place : places) {
        if (place.width == 0) {
            place.control->move(place.x, place.y);
            place.control->adjustSize();
        } else {
            place.control->setGeometry(place.x, place.y, place.width, place.height);
        }
    }
    setFixedSize(kClientWidth, kClientHeight);
}

void mapcycle::open() {
    show();
    raise();
    activateWindow();
}

void mapcycle::bringForward() {
    if (isMinimized())
        showNormal();
    open();
}

std::vector<std::string> mapcycle::cycle() const {
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(newmaps->count()));
    for (int i = 0; i < newmaps->count(); ++i) {
        const QByteArray name = newmaps->item(i)->text().toLatin1();
        names.emplace_back(name.constData(), static_cast<std::size_t>(name.size()));
    }
    return names;
}

void mapcycle::onAdd() {
    const QString map = SelectedText(*maps);
    if (!map.isEmpty())
        newmaps->addItem(map);
}

void mapcycle::onRemove() {
    if (SelectedText(*newmaps).isEmpty())
        return;
    delete newmaps->takeItem(newmaps->row(newmaps->selectedItems().first()));
    newmaps->setCurrentItem(nullptr);
    newmaps->clearSelection();
}

void mapcycle::onOk() {
    std::string why;
    if (!writemapcycle(cycle(), ModDir(shared_.Quake2Folder), why)) {
        // Nothing is lost: vorn.ini is as it was, and the cycle stays here to try again.
        boxes_.warning(this, QStringLiteral("The map cycle could not be written; vorn.ini is unchanged.\n\n") +
                                 FromPathText(why));
        return;
    }
    close();
}

void mapcycle::closeEvent(QCloseEvent* event) {
    event->accept();
    emit closed();
}

} // namespace trel
