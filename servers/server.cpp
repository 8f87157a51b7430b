#include "server.h"

#include "CodePage.h"
#include "addressbook.h"
#include "auxiliary/Resources.h"
#include "mdlServercode.h"
#include "seams/MessageBoxes.h"

#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

namespace trel {
namespace {

// The dialog's geometry, all in one place.
namespace layout {
constexpr QSize kWindow(297, 129);
constexpr QRect kPicture(8, 12, 36, 36);
constexpr int kLabelLeft = 52;
constexpr int kLabelWidth = 88;
constexpr int kBoxLeft = 144;
constexpr int kBoxHeight = 21;
constexpr int kNameTop = 10;
constexpr int kAddressTop = 36;
constexpr int kPortTop = 62;
constexpr int kBoxWidth = 145;
constexpr int kPortWidth = 57;
constexpr QRect kAdd(128, 96, 75, 25);
constexpr QRect kCancel(214, 96, 75, 25);
} // namespace layout

QLabel* MakeLabel(QWidget* parent, const char* name, const char* caption, int top) {
    auto* label = new QLabel(QLatin1String(caption), parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(layout::kLabelLeft, top, layout::kLabelWidth, layout::kBoxHeight);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

QLineEdit* MakeBox(QWidget* parent, const char* name, const char* text, int top, int width) {
    auto* box = new QLineEdit(QLatin1String(text), parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(layout::kBoxLeft, top, width, layout::kBoxHeight);
    return box;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, const QRect& geometry) {
    auto* button = new QPushButton(QLatin1String(caption), parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    return button;
}

} // namespace

server::server(addressbook& book, MessageBoxes& boxes) : QWidget(&book, Qt::Dialog), book_(book), boxes_(boxes) {
    InitResources();
    setObjectName(QStringLiteral("server"));
    setWindowTitle(QStringLiteral("Add Server to List"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(layout::kWindow);

    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(layout::kPicture);
    Picture1->setAlignment(Qt::AlignCenter);
    Picture1->setPixmap(
        ResourcePixmap(Picture::Icon).scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation));

    Label5 = MakeLabel(this, "Label5", "Server Name :", layout::kNameTop);
    servername = MakeBox(this, "servername", "", layout::kNameTop, layout::kBoxWidth);
    Label2 = MakeLabel(this, "Label2", "Internet Address :", layout::kAddressTop);
    serverIP = MakeBox(this, "serverIP", "", layout::kAddressTop, layout::kBoxWidth);
    Label3 = MakeLabel(this, "Label3", "Port :", layout::kPortTop);
    serverport = MakeBox(this, "serverport", kDefaultServerPort.data(), layout::kPortTop, layout::kPortWidth);
    butaddserver = MakeButton(this, "butaddserver", "&Add", layout::kAdd);
    butcancel = MakeButton(this, "butcancel", "&Cancel", layout::kCancel);

    // The address book stores its names and addresses in the system's code page.
    for (QLineEdit* box : {servername, serverIP, serverport})
        RefuseOutsideCodePage(*box, [this](const QString& message) { boxes_.warning(this, message); });

    setTabOrder(servername, serverIP);
    setTabOrder(serverIP, serverport);
    setTabOrder(serverport, butaddserver);
    setTabOrder(butaddserver, butcancel);
    servername->setFocus(Qt::OtherFocusReason);

    connect(butaddserver, &QPushButton::clicked, this, &server::AddServer);
    connect(butcancel, &QPushButton::clicked, this, &QWidget::close);
}

void server::AddServer() {
    const AddResult result = book_.AddServer(servername->text(), serverIP->text(), serverport->text());
    switch (result.outcome) {
    case AddOutcome::NameOrAddressMissing:
        boxes_.warning(this, QString::fromLatin1(kNameAndAddressNeeded.data(),
                                                 static_cast<qsizetype>(kNameAndAddressNeeded.size())));
        return;
    case AddOutcome::UnsafeName:
        boxes_.warning(this, QString::fromLatin1(UnsafeNameMessage(result.character)));
        return;
    case AddOutcome::UnsafeAddress:
        boxes_.warning(this, QString::fromLatin1(UnsafeAddressMessage(result.character)));
        return;
    case AddOutcome::Added:
    case AddOutcome::BookFull:
        break;
    }
    close();
}

} // namespace trel
