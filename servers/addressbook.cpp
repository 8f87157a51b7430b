#include "addressbook.h"

#include "CodePage.h"
#include "ProgramFont.h"
#include "auxiliary/Resources.h"
#include "seams/GameStarter.h"
#include "seams/MessageBoxes.h"
#include "platform.h"
#include "server.h"
#include "Network.h"

#include <QCloseEvent>
#include <QEvent>
#include <QFile>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include <vector>

namespace trel {
namespace {

// Names and addresses are text in the system's code page; the add-server dialog takes nothing else.
std::string ToBytes(const QString& text) {
    return ToCodePage(text).value_or(std::string());
}
QString PathToQt(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

QString Indexed(const char* name, std::size_t row) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(row + 1);
}

// Server texts are cleaned to printable ASCII before they are shown.
QString Shown(const std::string& serverText) {
    return FromCodePage(CleanServerText(serverText));
}

// The window's geometry, all in one place. The status part lies right of the specified window, whose
// controls keep their places: the window is wider by the status frame and its margin.
namespace layout {
constexpr QSize kWindow(693, 389);
constexpr QRect kFrame1(8, 4, 401, 293);
constexpr QRect kNameHeading(32, 12, 137, 21);
constexpr QRect kAddressHeading(169, 12, 137, 21);
constexpr QRect kTable(8, 33, 302, 224);
constexpr int kFirstRowTop = 36;
constexpr int kRowPitch = 22;
constexpr int kRowHeight = 20;
constexpr int kSelectorLeft = 12;
constexpr int kSelectorWidth = 17;
constexpr int kNameLeft = 32;
constexpr int kNameWidth = 137;
constexpr int kAddressLeft = 169;
constexpr int kAddressWidth = 137;
constexpr QRect kConnect(8, 262, 302, 25);
constexpr QRect kAdd(316, 36, 77, 25);
constexpr QRect kRemove(316, 68, 77, 25);
constexpr QRect kCancel(316, 262, 77, 25);
constexpr QRect kFrame2(8, 301, 401, 80);
constexpr QRect kImage(8, 20, 36, 36);
constexpr QRect kText(50, 6, 343, 68);
constexpr QRect kRefresh(316, 100, 77, 25);
constexpr QRect kFrame3(413, 4, 272, 293);
constexpr int kMapLeft = 8;
constexpr int kMapWidth = 120;
constexpr int kPlayersLeft = 128;
constexpr int kPlayersWidth = 68;
constexpr int kPingLeft = 196;
constexpr int kPingWidth = 68;
constexpr QRect kMapHeading(kMapLeft, 12, kMapWidth, 21);
constexpr QRect kPlayersHeading(kPlayersLeft, 12, kPlayersWidth, 21);
constexpr QRect kPingHeading(kPingLeft, 12, kPingWidth, 21);
constexpr QRect kHostName(8, 262, 256, 25);
constexpr QRect kPlayerList(413, 301, 272, 80);

QRect Row(int left, int width, std::size_t row) {
    return {left, kFirstRowTop + static_cast<int>(row) * kRowPitch, width, kRowHeight};
}
} // namespace layout

QFrame* MakeFrame(QWidget* parent, const char* name, const QRect& geometry) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(QLatin1String(name));
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setGeometry(geometry);
    return frame;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, const QRect& geometry) {
    auto* button = new QPushButton(QLatin1String(caption), parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    return button;
}

QLineEdit* MakeRowBox(QWidget* parent, const QString& name, const QRect& geometry) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setGeometry(geometry);
    box->setReadOnly(true);
    // Out of the Tab order; a click still reaches it and hands the focus on to the row's selector.
    box->setFocusPolicy(Qt::ClickFocus);
    box->setFont(ProgramBoldFont());
    box->setContextMenuPolicy(Qt::NoContextMenu);
    return box;
}

void SetColours(QLineEdit* box, const QColor& text, const QColor& background) {
    QPalette palette = box->palette();
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Base, background);
    box->setPalette(palette);
}

} // namespace

addressbook::addressbook(const SharedValues& shared, std::filesystem::path iniFile, MessageBoxes& boxes,
                         GameStarter& starter, NetworkSource& network, QWidget* parent)
    : QWidget(parent), shared_(shared), iniFile_(std::move(iniFile)), boxes_(boxes), starter_(starter) {
    InitResources();
    setObjectName(QStringLiteral("addressbook"));
    setWindowTitle(QStringLiteral("Vorn Server address book"));
    setFixedSize(layout::kWindow);

    Frame1 = MakeFrame(this, "Frame1", layout::kFrame1);
    Command4 = MakeButton(Frame1, "Command4", "Server Name :", layout::kNameHeading);
    Command5 = MakeButton(Frame1, "Command5", "IP Address", layout::kAddressHeading);
    for (QPushButton* heading : {Command4, Command5})
        heading->setFocusPolicy(Qt::NoFocus); // headings only: no action, no Tab stop

    Text1 = new QLineEdit(Frame1);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(layout::kTable);
    Text1->setReadOnly(true);
    Text1->setFocusPolicy(Qt::NoFocus);
    Text1->setContextMenuPolicy(Qt::NoContextMenu);

    // The selectors share Frame1, so selecting one clears the others.
    for (std::size_t i = 0; i < kAddressBookRows; ++i) {
        serverselect[i] = new QRadioButton(Frame1);
        serverselect[i]->setObjectName(Indexed("serverselect", i));
        serverselect[i]->setGeometry(layout::Row(layout::kSelectorLeft, layout::kSelectorWidth, i));
        serverselect[i]->setEnabled(false);
        servername[i] =
            MakeRowBox(Frame1, Indexed("servername", i), layout::Row(layout::kNameLeft, layout::kNameWidth, i));
        serverIP[i] =
            MakeRowBox(Frame1, Indexed("serverIP", i), layout::Row(layout::kAddressLeft, layout::kAddressWidth, i));
        servername[i]->installEventFilter(this);
        serverIP[i]->installEventFilter(this);
        connect(serverselect[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                paintRows(i);
            showSelectedServer();
        });
    }

    Command1 = MakeButton(Frame1, "Command1", "C&onnect...", layout::kConnect);
    addserver = MakeButton(Frame1, "addserver", "<-- &Add", layout::kAdd);
    Command3 = MakeButton(Frame1, "Command3", "&Remove -->", layout::kRemove);
    Command2 = MakeButton(Frame1, "Command2", "&Cancel", layout::kCancel);
    butrefresh = MakeButton(Frame1, "butrefresh", "&Refresh", layout::kRefresh);

    // Each row's server status, level with its row.
    Frame3 = MakeFrame(this, "Frame3", layout::kFrame3);
    Command6 = MakeButton(Frame3, "Command6", "Map", layout::kMapHeading);
    Command7 = MakeButton(Frame3, "Command7", "Players", layout::kPlayersHeading);
    Command8 = MakeButton(Frame3, "Command8", "Ping", layout::kPingHeading);
    for (QPushButton* heading : {Command6, Command7, Command8})
        heading->setFocusPolicy(Qt::NoFocus);
    for (std::size_t i = 0; i < kAddressBookRows; ++i) {
        servermap[i] = MakeRowBox(Frame3, Indexed("servermap", i), layout::Row(layout::kMapLeft, layout::kMapWidth, i));
        serverplayers[i] = MakeRowBox(Frame3, Indexed("serverplayers", i),
                                      layout::Row(layout::kPlayersLeft, layout::kPlayersWidth, i));
        serverping[i] =
            MakeRowBox(Frame3, Indexed("serverping", i), layout::Row(layout::kPingLeft, layout::kPingWidth, i));
        for (QLineEdit* box : {servermap[i], serverplayers[i], serverping[i]})
            box->installEventFilter(this);
    }
    lblhostname = new QLabel(Frame3);
    lblhostname->setObjectName(QStringLiteral("lblhostname"));
    lblhostname->setGeometry(layout::kHostName);
    lblhostname->setTextFormat(Qt::PlainText); // a server's name is never markup
    lblhostname->setFont(ProgramBoldFont());
    playerlist = new QTreeWidget(this);
    playerlist->setObjectName(QStringLiteral("playerlist"));
    playerlist->setGeometry(layout::kPlayerList);
    playerlist->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Frags"), QStringLiteral("Ping")});
    playerlist->setRootIsDecorated(false);
    playerlist->setUniformRowHeights(true);
    playerlist->setSelectionMode(QAbstractItemView::NoSelection);
    playerlist->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    playerlist->header()->setMinimumSectionSize(30);
    playerlist->header()->setStretchLastSection(true);
    playerlist->setColumnWidth(0, 160);
    playerlist->setColumnWidth(1, 50);

    // The network parts are loaded now, when the book is first opened.
    if (Network* parts = network.network())
        queries_ = parts->statusQueries(
            {[this](std::size_t row, const ServerStatus& status, qint64 ms) { showStatus(row, status, ms); },
             [this](std::size_t row, const QString& why) { clearStatus(row, why); }});

    Frame2 = MakeFrame(this, "Frame2", layout::kFrame2);
    Image1 = new QLabel(Frame2);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(layout::kImage);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setPixmap(
        ResourcePixmap(Picture::Icon).scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    Label1 = new QLabel(
        QStringLiteral("The Address book is useful for storing all your favourite Trel server addresses, simply "
                       "click on the 'add' button and fill in the details, the server will be stored for the next "
                       "time you wish to use it. To join a server simply click on the option next to it, then click "
                       "connect."),
        Frame2);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Label1->setGeometry(layout::kText);

    // Tab visits the selectors from the top, then the buttons; the name and address boxes are skipped.
    std::vector<QWidget*> tabOrder(serverselect.begin(), serverselect.end());
    tabOrder.insert(tabOrder.end(), {Command1, addserver, Command3, butrefresh, Command2, playerlist});
    for (std::size_t i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    connect(Command1, &QPushButton::clicked, this, [this] {
        // A book that cannot be saved has been reported; the server asked for is joined all the same.
        SaveAddressBook();
        ConnectServer();
    });
    connect(addserver, &QPushButton::clicked, this, &addressbook::openAddServer);
    connect(Command3, &QPushButton::clicked, this, &addressbook::RemoveServer);
    connect(Command2, &QPushButton::clicked, this, &addressbook::cancel);
    connect(butrefresh, &QPushButton::clicked, this, &addressbook::RefreshStatus);

    LoadAddressBook();
    RefreshStatus();
}

addressbook::~addressbook() = default;

void addressbook::bringForward() {
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

AddressBookRows addressbook::rows() const {
    AddressBookRows book;
    for (std::size_t i = 0; i < kAddressBookRows; ++i)
        book[i] = {StoredText(*servername[i]), StoredText(*serverIP[i])};
    return book;
}

std::optional<std::size_t> addressbook::selectedRow() const {
    for (std::size_t i = 0; i < kAddressBookRows; ++i) {
        if (serverselect[i]->isChecked())
            return i;
    }
    return std::nullopt;
}

void addressbook::LoadAddressBook() {
    const AddressBookRows book = trel::LoadAddressBook(iniFile_);
    for (std::size_t i = 0; i < kAddressBookRows; ++i) {
        showRow(i, book[i]);
        serverselect[i]->setEnabled(IsFilledRow(book[i]));
    }
    paintRows(std::nullopt);
}

bool addressbook::SaveAddressBook() {
    std::string why;
    if (trel::SaveAddressBook(rows(), iniFile_, why))
        return true;
    boxes_.warning(this, QStringLiteral("The address book could not be saved.\n\n") + PathToQt(why));
    return false;
}

void addressbook::ConnectServer() {
    const std::string home = EngineHomeFolder();
    ConnectPreparation preparation = PrepareConnect(shared_, rows(), selectedRow(), home);
    if (preparation.outcome == ConnectOutcome::StaleScript) {
        if (!boxes_.goOn(this, PathToQt(preparation.why)))
            return;
        preparation = PrepareConnect(shared_, rows(), selectedRow(), home, true);
    }
    switch (preparation.outcome) {
    case ConnectOutcome::WrongExecutable:
        boxes_.warning(this, QStringLiteral("You have selected the wrong directory"));
        emit wrongExecutable();
        return;
    case ConnectOutcome::NothingToJoin:
        return;
    case ConnectOutcome::UnsafeAddress:
        boxes_.warning(this, QString::fromLatin1(UnsafeAddressMessage(preparation.character)));
        return;
    case ConnectOutcome::StaleScript: // answered above
        return;
    case ConnectOutcome::ScriptNotWritten:
        boxes_.warning(this, QStringLiteral("The connect script could not be written, so Quake 2 was not "
                                            "started.\n\n") +
                                 PathToQt(preparation.why));
        return;
    case ConnectOutcome::Ready:
        break;
    }
    QString why;
    if (!starter_.start(preparation.request, why))
        boxes_.warning(this, QStringLiteral("Quake 2 could not be started.\n\n") + why);
}

void addressbook::RemoveServer() {
    const auto row = selectedRow();
    if (!row)
        return;
    showRow(*row, {});
    if (queries_)
        queries_->forget(*row); // its late answer is ignored
    clearStatus(*row, QString());
    deselectRow(*row);
    serverselect[*row]->setEnabled(false);
    paintRow(*row, false);
    showSelectedServer();
}

AddResult addressbook::AddServer(const QString& name, const QString& internetAddress, const QString& port) {
    AddressBookRows book = rows();
    const AddResult result = trel::AddServer(book, ToBytes(name), ToBytes(internetAddress), ToBytes(port));
    if (result.outcome == AddOutcome::Added) {
        showRow(result.row, book[result.row]);
        serverselect[result.row]->setEnabled(true);
        queryRow(result.row);
    }
    return result;
}

void addressbook::openAddServer() {
    if (!dialog_)
        dialog_ = new server(*this, boxes_);
    if (dialog_->isMinimized())
        dialog_->showNormal();
    else
        dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
}

void addressbook::closeEvent(QCloseEvent* event) {
    if (dialog_)
        dialog_->close();
    event->accept();
    const bool fromCancel = cancelling_;
    cancelling_ = false;
    if (fromCancel)
        emit cancelled();
    emit closed();
}

bool addressbook::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::FocusIn) {
        if (const auto row = rowOfBox(watched); row && serverselect[*row]->isEnabled()) {
            // A click chooses the row; focus arriving by other means only moves on to the selector.
            if (event->type() == QEvent::MouseButtonPress)
                selectRow(*row);
            serverselect[*row]->setFocus(Qt::OtherFocusReason);
            // The box shows no caret and starts no text selection once its row is chosen.
            if (event->type() == QEvent::MouseButtonPress)
                return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void addressbook::showRow(std::size_t row, const AddressBookRow& values) {
    // The row keeps the stored bytes, so a name the code page does not define is saved back unchanged.
    SetStoredText(*servername[row], values.name);
    SetStoredText(*serverIP[row], values.address);
    // Long names and addresses show their beginning.
    servername[row]->setCursorPosition(0);
    serverIP[row]->setCursorPosition(0);
}

void addressbook::paintRows(std::optional<std::size_t> highlighted) {
    for (std::size_t i = 0; i < kAddressBookRows; ++i)
        paintRow(i, highlighted == i);
}

void addressbook::paintRow(std::size_t row, bool highlighted) {
    const QColor text = highlighted ? QColor(255, 255, 255) : QColor(0, 0, 0);
    const QColor background = highlighted ? QColor(0, 0, 0) : QColor(255, 255, 255);
    for (QLineEdit* box : {servername[row], serverIP[row], servermap[row], serverplayers[row], serverping[row]})
        SetColours(box, text, background);
}

void addressbook::selectRow(std::size_t row) {
    serverselect[row]->setChecked(true);
}

void addressbook::deselectRow(std::size_t row) {
    // A selector of an exclusive set cannot be cleared while exclusive.
    serverselect[row]->setAutoExclusive(false);
    serverselect[row]->setChecked(false);
    serverselect[row]->setAutoExclusive(true);
}

void addressbook::cancel() {
    // When the book cannot be saved the window stays open, so that the rows are not lost.
    if (!SaveAddressBook())
        return;
    cancelling_ = true;
    close();
}

std::optional<std::size_t> addressbook::rowOfBox(const QObject* box) const {
    for (std::size_t i = 0; i < kAddressBookRows; ++i) {
        if (box == servername[i] || box == serverIP[i] || box == servermap[i] || box == serverplayers[i] ||
            box == serverping[i])
            return i;
    }
    return std::nullopt;
}

void addressbook::RefreshStatus() {
    // All requests leave together from the one socket; the answers come as they come.
    for (std::size_t i = 0; i < kAddressBookRows; ++i) {
        if (IsFilledRow({StoredText(*servername[i]), {}}))
            queryRow(i);
        else
            clearStatus(i, QString());
    }
}

void addressbook::queryRow(std::size_t row) {
    if (!queries_) {
        clearStatus(row, QStringLiteral("no network"));
        return;
    }
    clearStatus(row, QStringLiteral("..."));
    queries_->query(row, StoredText(*serverIP[row]));
}

void addressbook::clearStatus(std::size_t row, const QString& ping) {
    status_[row].reset();
    servermap[row]->clear();
    serverplayers[row]->clear();
    serverping[row]->setText(ping);
    if (selectedRow() == row)
        showSelectedServer();
}

void addressbook::showStatus(std::size_t row, const ServerStatus& status, qint64 milliseconds) {
    status_[row] = status;
    servermap[row]->setText(Shown(InfoValue(status, "mapname")));
    serverplayers[row]->setText(FromCodePage(PlayersText(status)));
    serverping[row]->setText(FromCodePage(PingText(milliseconds)));
    for (QLineEdit* box : {servermap[row], serverplayers[row], serverping[row]})
        box->setCursorPosition(0);
    if (selectedRow() == row)
        showSelectedServer();
}

void addressbook::showSelectedServer() {
    playerlist->clear();
    lblhostname->clear();
    const auto row = selectedRow();
    if (!row || !status_[*row])
        return;
    const ServerStatus& status = *status_[*row];
    lblhostname->setText(Shown(InfoValue(status, "hostname")));
    QList<QTreeWidgetItem*> items;
    for (const StatusPlayer& player : status.players) {
        items << new QTreeWidgetItem(
            QStringList{Shown(player.name), QString::number(player.frags), QString::number(player.ping)});
    }
    playerlist->addTopLevelItems(items);
}

} // namespace trel
