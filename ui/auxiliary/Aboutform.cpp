#include "Aboutform.h"

#include "ProgramFont.h"
#include "Resources.h"
#include "seams/DocumentOpener.h"
#include "mdlvariables.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

#include <initializer_list>

#ifndef TREL_WEB_SITE
#define TREL_WEB_SITE ""
#endif

namespace trel {
namespace {

constexpr int kWidth = 271;
constexpr int kHeight = 476;
constexpr std::array<int, 4> kSeparatorTops = {216, 272, 384, 416};

// The credits name roles and groups.
constexpr const char* kRightsNotice = "Copyright (C) The Trel team. All rights reserved.";
constexpr const char* kAuthor = "The Trel team";
constexpr std::array<const char*, 2> kSpecialThanks = {"Vorn map makers", "Vorn modification team"};
constexpr std::array<const char*, 6> kThanks = {"Everyone who tested", "Server operators",      "Bug reporters",
                                                "Vorn players",        "The Quake 2 community", "Free software makers"};
constexpr const char* kLogoCredit = "Logo made for Trel";

bool IsLocalFile(const QString& link) {
    return QFileInfo(link).isAbsolute();
}

} // namespace

QString Aboutform::WebSiteOr(const QString& manualFile) {
    const QString site = QStringLiteral(TREL_WEB_SITE);
    return site.isEmpty() ? manualFile : site;
}

Aboutform::Aboutform(DocumentOpener& documents, MessageBoxes& boxes, const QString& link, QWidget* parent)
    : QWidget(parent, Qt::Tool), documents_(documents), boxes_(boxes), link_(link) {
    InitResources();
    setObjectName(QStringLiteral("Aboutform"));
    setWindowTitle(QStringLiteral("About.."));
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(ProgramFont());
    setFixedSize(kWidth, kHeight);

    const auto makeLabel = [this](const char* name, const QString& text) {
        auto* label = new QLabel(text, this);
        label->setObjectName(QLatin1String(name));
        return label;
    };
    Picture1 = makeLabel("Picture1", QString());
    Picture1->setPixmap(ResourcePixmap(Picture::Logo));
    version = makeLabel("version", QString::fromStdString(AboutVersionText()));
    Command1 = new QPushButton(QStringLiteral("Ok"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Label11 = makeLabel("Label11", QLatin1String(kRightsNotice));
    Label1 = makeLabel("Label1", QStringLiteral("Author:"));
    Label2 = makeLabel("Label2", QLatin1String(kAuthor));
    Label3 = makeLabel("Label3", QStringLiteral("Special Thanks:"));
    Label4 = makeLabel("Label4", QLatin1String(kSpecialThanks[0]));
    Label5 = makeLabel("Label5", QLatin1String(kSpecialThanks[1]));
    Label6 = makeLabel("Label6", QStringLiteral("Thanks:"));
    Label7 = makeLabel("Label7", QLatin1String(kThanks[0]));
    Label8 = makeLabel("Label8", QLatin1String(kThanks[1]));
    Label9 = makeLabel("Label9", QLatin1String(kThanks[2]));
    Label10 = makeLabel("Label10", QLatin1String(kThanks[3]));
    Label12 = makeLabel("Label12", QLatin1String(kThanks[4]));
    Label15 = makeLabel("Label15", QLatin1String(kThanks[5]));
    Label16 = makeLabel("Label16", QLatin1String(kLogoCredit));

    // Until Trel has a web site of its own, the link leads to the manual installed with it.
    const bool manual = IsLocalFile(link_);
    Label13 = makeLabel("Label13", manual ? QStringLiteral("Read the manual for more details on Vorn and Trel:")
                                          : QStringLiteral("Visit the web site for more details on Vorn and Trel:"));
    Label13->setWordWrap(true);
    Label14 = makeLabel("Label14", manual ? QFileInfo(link_).fileName() : link_);
    Label14->setToolTip(manual ? QFileInfo(link_).absoluteFilePath() : link_);
    Label14->setCursor(Qt::PointingHandCursor);
    Label14->installEventFilter(this);
    QPalette linkColours = Label14->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        linkColours.setColor(group, QPalette::WindowText, QColor(0, 0, 128));
    Label14->setPalette(linkColours);

    for (std::size_t i = 0; i < Line.size(); ++i) {
        Line[i] = new QFrame(this);
        Line[i]->setObjectName(QStringLiteral("Line%1").arg(i + 1));
        Line[i]->setFrameShape(QFrame::NoFrame);
        Line[i]->setAutoFillBackground(true);
        QPalette colours = Line[i]->palette();
        colours.setColor(QPalette::Window, colours.color(i % 2 == 0 ? QPalette::Dark : QPalette::Light));
        Line[i]->setPalette(colours);
    }

    placeControls();
    connect(Command1, &QPushButton::clicked, this, &Aboutform::close);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area(QPoint(), size());
        area.moveCenter(screen->availableGeometry().center());
        move(area.topLeft());
    }
}

void Aboutform::placeControls() {
    struct Place {
        QWidget* control;
        int x, y, width, height; // a label without a size takes its text's size
    };
    const std::initializer_list<Place> places = {
        {Picture1, 8, 8, 254, 154},  {version, 8, 168, 0, 0},   {Command1, 184, 168, 73, 25},
        {Label11, 8, 200, 257, 13},  {Label1, 8, 224, 0, 0},    {Label2, 160, 224, 0, 0},
        {Label3, 8, 240, 0, 0},      {Label4, 136, 240, 0, 0},  {Label5, 171, 256, 0, 0},
        {Label6, 8, 280, 0, 0},      {Label7, 64, 280, 0, 0},   {Label8, 152, 296, 0, 0},
        {Label9, 64, 312, 0, 0},     {Label10, 152, 328, 0, 0}, {Label12, 64, 344, 0, 0},
        {Label15, 152, 360, 0, 0},   {Label16, 16, 394, 0, 0},  {Label13, 8, 424, 257, 25},
        {Label14, 48, 456, 177, 17},
    };
    QFont versionFont = ProgramBoldFont();
    versionFont.setPointSize(12);
    version->setFont(versionFont);
    for (QLabel* heading : {Label1, Label3, Label6})
        heading->setFont(ProgramBoldFont());
    QFont linkFont = ProgramBoldFont();
    linkFont.setUnderline(true);
    Label14->setFont(linkFont);
    for (QLabel* centred : {Label11, Label13, Label14})
        centred->setAlignment(Qt::AlignCenter);

    for (const Place& place : places) {
        if (place.width == 0) {
            place.control->move(place.x, place.y);
            place.control->adjustSize();
        } else {
            place.control->setGeometry(place.x, place.y, place.width, place.height);
        }
    }
    for (std::size_t i = 0; i < kSeparatorTops.size(); ++i) {
        Line[2 * i]->setGeometry(8, kSeparatorTops[i], 256, 1);
        Line[2 * i + 1]->setGeometry(8, kSeparatorTops[i] + 1, 256, 1);
    }
}

bool Aboutform::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label14) {
        // A click is a press and a release of the left button, both over the link.
        if (event->type() == QEvent::MouseButtonPress) {
            linkPressed_ = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        } else if (event->type() == QEvent::MouseButtonRelease) {
            const auto* release = static_cast<QMouseEvent*>(event);
            const bool clicked = linkPressed_ && release->button() == Qt::LeftButton &&
                                 Label14->rect().contains(release->position().toPoint());
            linkPressed_ = false;
            if (clicked)
                openLink();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Aboutform::openLink() {
    // The box stays open: the browser or the manual opens beside it.
    OpenDocument(documents_, boxes_, this, link_);
}

void Aboutform::closeEvent(QCloseEvent* event) {
    event->accept();
    emit closed();
}

} // namespace trel
