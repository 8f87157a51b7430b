#include "frmCommand.h"

#include "ProgramFont.h"

#include <QCloseEvent>
#include <QPalette>
#include <QPlainTextEdit>
#include <QResizeEvent>

namespace trel {

namespace {

// The gap between the main window's lower edge and the viewer: 50 twips at 15 twips per pixel.
constexpr int kGapBelowMain = 3;

} // namespace

frmCommand::frmCommand(QWidget* parent) : QWidget(parent, Qt::Tool) {
    setObjectName(QStringLiteral("frmCommand"));
    setWindowTitle(QStringLiteral("Command Line"));

    commandline = new QPlainTextEdit(this);
    commandline->setObjectName(QStringLiteral("commandline"));
    commandline->setReadOnly(true);
    commandline->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    commandline->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    commandline->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    commandline->setFrameShape(QFrame::NoFrame);
    commandline->setFont(ProgramBoldFont());
    QPalette colours = commandline->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        colours.setColor(group, QPalette::Base, Qt::black);
        colours.setColor(group, QPalette::Text, Qt::yellow);
    }
    commandline->setPalette(colours);
    commandline->setPlainText(QStringLiteral("No parameters set\n"));

    resize(476, 73);
    commandline->setGeometry(rect());
}

void frmCommand::placeBelow(const QWidget& mainWindow) {
    const QRect main = mainWindow.frameGeometry();
    // move() places the window's frame, so the two frames line up on the left.
    move(main.left(), main.top() + main.height() + kGapBelowMain);
}

void frmCommand::setCommandText(const QString& text) {
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    commandline->setPlainText(plain);
}

QString frmCommand::commandText() const {
    return commandline->toPlainText();
}

void frmCommand::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    commandline->setGeometry(rect());
}

void frmCommand::closeEvent(QCloseEvent* event) {
    event->accept();
    emit closedByUser();
}

} // namespace trel
