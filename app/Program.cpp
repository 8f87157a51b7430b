#include "Program.h"

#include "ProgramFont.h"
#include "ProgramStyle.h"
#include "SingleInstance.h"
#include "Trel.h"
#include "auxiliary/Resources.h"
#include "seams/DocumentOpener.h"
#include "seams/GameStarter.h"
#include "seams/MessageBoxes.h"
#include "Network.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

#include <filesystem>

namespace trel {

int RunTrel(QApplication& app) {
    // A second start in the same folder brings the first to the front and ends without touching trel.ini.
    const std::filesystem::path startDir = std::filesystem::current_path();
    NetworkModule network;
    SingleInstance instance(SettingsFile(SharedValues{startDir, {}, {}, 0}), network);
    if (!instance.claim())
        return 0;
    InitResources();
    ApplyProgramStyle();
    ApplyProgramFont();
    QApplication::setWindowIcon(QIcon(ResourcePixmap(Picture::Icon)));
    // The program ends when the main window is left, not when its last visible window goes: the main window
    // is hidden while the locator is open.
    QApplication::setQuitOnLastWindowClosed(false);

    QtMessageBoxes boxes;
    ProcessGameStarter starter;
    DesktopDocumentOpener documents;
    Trel trel(startDir, Seams{boxes, starter, documents, network});
    QObject::connect(&instance, &SingleInstance::raiseRequested, &trel, &Trel::bringToFront);
    QObject::connect(&trel, &Trel::quitRequested, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    trel.StartUp();
    // Later starts are listened for once the first window is up: the network parts are not loaded before.
    QTimer::singleShot(0, &instance, &SingleInstance::listen);
    return QApplication::exec();
}

} // namespace trel
