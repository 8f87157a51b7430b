#include "Program.h"

#include "ProgramFont.h"
#include "Trel.h"
#include "auxiliary/Resources.h"
#include "seams/DocumentOpener.h"
#include "seams/GameStarter.h"
#include "seams/MessageBoxes.h"

#include <QApplication>
#include <QIcon>

#include <filesystem>

namespace trel {

int RunTrel(QApplication& app) {
    InitResources();
    ApplyProgramFont();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/trel/icon.png")));
    // The program ends when the main window is left, not when its last visible window goes: the main window
    // is hidden while the locator is open.
    QApplication::setQuitOnLastWindowClosed(false);

    QtMessageBoxes boxes;
    ProcessGameStarter starter;
    DesktopDocumentOpener documents;
    Trel trel(std::filesystem::current_path(), Seams{boxes, starter, documents});
    QObject::connect(&trel, &Trel::quitRequested, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    trel.StartUp();
    return QApplication::exec();
}

} // namespace trel
