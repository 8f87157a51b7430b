#include "MOTD.h"

#include "ProgramFont.h"
#include "mapedit.h"
#include "mdlmapeditcode.h"
#include "seams/MessageBoxes.h"

#include <QCloseEvent>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>

namespace trel {
namespace {

constexpr int kStartWidth = 481;
constexpr int kStartHeight = 337;
constexpr int kButtonWidth = 81;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 4;

QString FromPathText(const std::string& text) { return QFile::decodeName(QByteArray::fromStdString(text)); }

} // namespace

MOTD::MOTD(const SharedValues& shared, MessageBoxes& boxes, QWidget* parent)
    : QWidget(parent, Qt::Window), file_(MotdFile(shared.Quake2Folder)), boxes_(boxes) {
    setObjectName(QStringLiteral("MOTD"));
    setWindowTitle(QStringLiteral("Message of the day"));
    setFont(ProgramFont());

    EditWindow = new QPlainTextEdit(this);
    EditWindow->setObjectName(QStringLiteral("EditWindow"));
    // The message is shown as the game shows it: one fixed-width character per byte. Where the system
    // has no Fixedsys, any fixed-width font stands in.
    QFont fixed(QStringLiteral("Fixedsys"));
    fixed.setStyleHint(QFont::TypeWriter);
    fixed.setFixedPitch(true);
    fixed.setPointSize(9);
    EditWindow->setFont(fixed);
    EditWindow->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Command2 = new QPushButton(QStringLiteral("Save"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command1 = new QPushButton(QStringLiteral("Exit"), this);
    Command1->setObjectName(QStringLiteral("Command1"));

    setMinimumSize(3 * kButtonGap + 2 * kButtonWidth, 4 * kButtonHeight);
    resize(kStartWidth, kStartHeight);
    placeControls();

    connect(Command2, &QPushButton::clicked, this, &MOTD::save);
    connect(Command1, &QPushButton::clicked, this, &MOTD::close);
}

void MOTD::placeControls() {
    // The text fills the window above the buttons: "Save" bottom left, "Exit" bottom right.
    const int buttonsTop = height() - kButtonGap - kButtonHeight;
    EditWindow->setGeometry(0, 0, width(), buttonsTop - kButtonGap);
    Command2->setGeometry(kButtonGap * 2, buttonsTop, kButtonWidth, kButtonHeight);
    Command1->setGeometry(width() - kButtonGap * 2 - kButtonWidth, buttonsTop, kButtonWidth, kButtonHeight);
}

bool MOTD::open() {
    const TextFileLoad load = LoadTextFile(file_, WhenMissing::ReadAsEmpty);
    if (!load.ok) {
        // Not opened: a save would otherwise replace the unread message with an empty one.
        boxes_.warning(parentWidget(),
                       QStringLiteral("The message of the day cannot be opened:\n\n") + FromPathText(load.why));
        return false;
    }
    loaded_ = LoadTextLines(load.bytes);
    SetEditorText(*EditWindow, loaded_.text);
    show();
    return true;
}

void MOTD::bringForward() {
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

bool MOTD::save() {
    std::string why;
    if (SaveTextFile(file_, EditorTextOf(*EditWindow->document()), why, loaded_))
        return true;
    boxes_.warning(this, QStringLiteral("The message of the day could not be saved; it is still in the editor.\n\n") +
                             FromPathText(why));
    return false;
}

void MOTD::closeEvent(QCloseEvent* event) {
    event->accept();
    emit closed();
}

void MOTD::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeControls();
}

} // namespace trel
