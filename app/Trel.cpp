#include "Trel.h"

#include "CodePage.h"

#include "auxiliary/dirfinder.h"
#include "gamesearch.h"
#include "launchexport.h"
#include "auxiliary/frmCommand.h"
#include "auxiliary/splashscreen.h"
#include "MOTD.h"
#include "Wizard.h"
#include "auxiliary/Aboutform.h"
#include "addressbook.h"
#include "main/Main.h"
#include "mapcycle.h"
#include "mapedit.h"
#include "mdlmapeditcode.h"
#include "mdlIniStuff.h"
#include "mdlsplash.h"
#include "platform.h"
#include "seams/DocumentOpener.h"
#include "seams/GameStarter.h"
#include "seams/MessageBoxes.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QThread>
#include <QLineEdit>

namespace trel {
namespace {

// Paths are file-system bytes; option texts are text in the system's code page (CodePage.h).
QString PathToQt(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }
std::string PathFromQt(const QString& path) { return QFile::encodeName(path).toStdString(); }

} // namespace

Trel::Trel(std::filesystem::path startDir, Seams seams, QObject* parent) : QObject(parent), seams_(seams) {
    shared_.StartDir = std::move(startDir);
    chooseExportFile_ = [](QWidget* owner, const QString& title, const QString& suggested) {
        return QFileDialog::getSaveFileName(owner, title, suggested);
    };
}

Trel::~Trel() {
    if (search_) // the search only looks at a few folders; its end is near
        search_->wait();
    delete mapEditor_;
    delete mapCycle_;
    delete motd_;
    delete addressBook_;
    delete about_;
    delete splash_;
    delete locator_;
    delete viewer_;
    delete main_;
}

Main* Trel::mainWindow() const { return main_; }
dirfinder* Trel::locator() const { return locator_; }
frmCommand* Trel::viewer() const { return viewer_; }
splashscreen* Trel::splash() const { return splash_; }
mapedit* Trel::mapEditor() const { return mapEditor_; }
mapcycle* Trel::mapCycle() const { return mapCycle_; }
MOTD* Trel::motdEditor() const { return motd_; }
addressbook* Trel::addressBook() const { return addressBook_; }
Aboutform* Trel::aboutBox() const { return about_; }
Wizard* Trel::wizard() const { return wizard_; }

void Trel::StartUp() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    splash_ = new splashscreen;
    splash_->show();
    QApplication::processEvents(); // let the splash screen paint before the settings load
    splash_->setTopmost(true);

    const StartDecision decision = DecideStart(settingsFile());
    if (decision.error) {
        failLoad(*decision.error);
        return;
    }
    shared_.UsedFlag = decision.usedFlag;
    if (decision.kind == StartKind::Normal) {
        if (const auto error = LoadSettings()) {
            failLoad(*error);
            return;
        }
        closeSplash();
        QApplication::restoreOverrideCursor();
        main_->show();
        BuildCommandLine();
    } else {
        closeSplash();
        QApplication::restoreOverrideCursor();
        showLocator();
        searchForQuake2();
    }
}

// The folders are looked at in the background, so a slow or absent network drive cannot hold the window;
// the locator moves to the best find when the search ends.
void Trel::searchForQuake2() {
    if (search_)
        return;
    search_ = QThread::create([this] {
        const std::vector<Quake2Candidate> found = RankCandidates(SearchRoots(SystemSearchEnvironment()));
        QMetaObject::invokeMethod(this, [this, found] {
            if (!locator_ || found.empty())
                return;
            QList<dirfinder::Found> offered;
            for (const Quake2Candidate& each : found)
                offered.append({PathToQt(each.folder),
                                PathToQt(PathText(PathFromText(each.executable).filename()))});
            locator_->setFound(offered);
        }, Qt::QueuedConnection);
    });
    // Owned by Trel as well: a search that ends after the last turn of the event loop, whose deleteLater is
    // never carried out, still goes with Trel (which waits for it first).
    search_->setParent(this);
    connect(search_, &QThread::finished, this, [this] {
        search_->deleteLater();
        search_ = nullptr;
    });
    search_->start();
}

void Trel::failLoad(const LoadError& error) {
    closeSplash();
    QApplication::restoreOverrideCursor();
    seams_.boxes.loadError(main_ && main_->isVisible() ? main_.data() : nullptr,
                           QString::fromLatin1(FormatLoadError(error)));
    // The program ends: carrying on with half-loaded options would save defaults over the user's
    // stored values when the main window is left.
    closeEverything();
    emit quitRequested();
}

std::optional<LoadError> Trel::LoadSettings() {
    Main& window = ensureMain();
    const SettingsLoad load = ReadSettingsForLoad(settingsFile());
    shared_.Quake2Path = load.Quake2Path;
    shared_.Quake2Folder = load.Quake2Folder;
    auto error = window.LoadSettings(load);
    window.setQuake2Path(load.Quake2Path);
    return error;
}

bool Trel::SaveSettings() {
    if (!main_)
        return true;
    std::string why;
    if (WriteIniValues("Settings", SettingsToSave(main_->currentOptions(), main_->dmflagText()), settingsFile(),
                       why))
        return true;
    seams_.boxes.warning(main_, QStringLiteral("Your settings could not be saved.\n\n") + PathToQt(why));
    return false;
}

bool Trel::refuseLaunch(const LaunchPreparation& prep) {
    Main& window = ensureMain();
    switch (prep.outcome) {
    case LaunchOutcome::WrongExecutable:
        seams_.boxes.warning(&window, QStringLiteral("You have selected the wrong directory"));
        window.hide();
        hideViewer();
        showLocator();
        return true;
    case LaunchOutcome::NoMap:
        seams_.boxes.warning(&window, QStringLiteral("You have not selected a map"));
        return true;
    case LaunchOutcome::Refused:
        seams_.boxes.warning(&window, FromCodePage(prep.why));
        return true;
    default:
        return false;
    }
}

void Trel::ExportLaunchScript() {
    Main& window = ensureMain();
    // The same checks as "&Run" before the file is asked for, with the same answers.
    if (refuseLaunch(CheckLaunch(shared_, window.currentOptions())))
        return;
    const QString file = chooseExportFile_(&window, QStringLiteral("Export Launch Script"),
                                           PathToQt(PathText(shared_.StartDir / std::string(kExportScriptName))));
    if (file.isEmpty())
        return;
    const LaunchPreparation prep = ExportLaunch(shared_, window.currentOptions(), PathFromText(PathFromQt(file)));
    if (refuseLaunch(prep))
        return;
    if (prep.outcome == LaunchOutcome::ScriptNotWritten)
        seams_.boxes.warning(&window, QStringLiteral("The launch script could not be exported.\n\n") + PathToQt(prep.why));
}

void Trel::bringToFront() {
    QWidget* front = nullptr;
    for (QWidget* window : std::initializer_list<QWidget*>{locator_, main_})
        if (!front && window && window->isVisible())
            front = window;
    if (!front)
        return;
    front->setWindowState((front->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    front->show();
    front->raise();
    front->activateWindow();
}

void Trel::RunGame() {
    Main& window = ensureMain();
    const LaunchOptions options = window.currentOptions();
    const std::string home = EngineHomeFolder();
    LaunchPreparation prep = PrepareLaunch(shared_, options, home);
    if (prep.outcome == LaunchOutcome::StaleScript) {
        if (!seams_.boxes.goOn(&window, PathToQt(prep.why)))
            return;
        prep = PrepareLaunch(shared_, options, home, true);
    }
    if (refuseLaunch(prep))
        return;
    switch (prep.outcome) {
    case LaunchOutcome::WrongExecutable:
    case LaunchOutcome::NoMap:
    case LaunchOutcome::Refused:
    case LaunchOutcome::StaleScript: // answered above
        return;
    case LaunchOutcome::ScriptNotWritten:
        seams_.boxes.warning(&window, QStringLiteral("The launch script could not be written, so the game was not "
                                                     "started.\n\n") +
                                          PathToQt(prep.why));
        return;
    case LaunchOutcome::Ready:
        break;
    }
    QString why;
    if (!seams_.starter.start(prep.request, why))
        seams_.boxes.warning(&window, QStringLiteral("Quake 2 could not be started.\n\n") + why);
}

void Trel::BuildCommandLine() {
    if (!main_ || main_->ShowCommandLine->checkState() != Qt::Checked)
        return;
    // The path is file-system text, the options code-page text.
    const QString text =
        PathToQt(shared_.Quake2Path) + FromCodePage(BuildCommandLineText(std::string(), main_->currentOptions()));
    ensureViewer().setCommandText(text);
}

void Trel::AcceptQuake2Exe() {
    if (!locator_)
        return;
    shared_.Quake2Folder = PathFromQt(locator_->currentDirectory());
    shared_.Quake2Path = JoinQuake2Path(shared_.Quake2Folder, PathFromQt(locator_->chosenFileName()));
    Main& window = ensureMain();
    window.setQuake2Path(shared_.Quake2Path);
    if (!IsGameExecutable(PathFromText(shared_.Quake2Path))) {
        seams_.boxes.warning(locator_, QStringLiteral("You have selected the wrong executable, please try again."));
        window.hide();
        return;
    }
    std::string why;
    const bool stored = StoreQuake2Exe(settingsFile(), shared_.Quake2Path, shared_.Quake2Folder, why);
    if (!stored)
        seams_.boxes.warning(locator_, QStringLiteral("The location of Quake 2 could not be stored, so Trel will ask "
                                                      "for it again at the next start.\n\n") +
                                           PathToQt(why));
    const std::string acceptedPath = shared_.Quake2Path;
    const std::string acceptedFolder = shared_.Quake2Folder;
    if (const auto error = LoadSettings()) {
        failLoad(*error);
        return;
    }
    if (!stored) {
        // The file still holds the old location; this run uses the one just chosen.
        shared_.Quake2Path = acceptedPath;
        shared_.Quake2Folder = acceptedFolder;
        window.setQuake2Path(acceptedPath);
    }
    shared_.UsedFlag = 1;
    window.show();
    if (window.ShowCommandLine->checkState() == Qt::Checked) {
        showViewer();
        BuildCommandLine();
    }
    locator_->closeAccepted();
    locator_->deleteLater();
    closeSplash();
}

Main& Trel::ensureMain() {
    if (main_)
        return *main_;
    main_ = new Main;
    Main* window = main_;
    connect(window, &Main::runRequested, this, &Trel::RunGame);
    connect(window, &Main::exitRequested, this, &Trel::exitProgram);
    connect(window, &Main::locatorRequested, this, &Trel::openLocator);
    connect(window, &Main::exportRequested, this, &Trel::ExportLaunchScript);
    connect(window, &Main::optionsChanged, this, &Trel::BuildCommandLine);
    connect(window, &Main::commandLineToggled, this, [this](bool on) { on ? showViewer() : unloadViewer(); });
    connect(window, &Main::mapEditorRequested, this, [this](bool fromMenu) {
        // From the menu the editor takes the main window's place until it closes.
        if (fromMenu && main_)
            main_->hide();
        openmapeditor();
    });
    connect(window, &Main::mapCycleRequested, this, &Trel::openMapCycle);
    connect(window, &Main::motdRequested, this, &Trel::openMotd);
    connect(window, &Main::addressBookRequested, this, &Trel::openAddressBook);
    connect(window, &Main::aboutRequested, this, &Trel::openAbout);
    connect(window, &Main::manualRequested, this, [this] { openStartDocument("manual.html"); });
    connect(window, &Main::todoRequested, this, [this] { openStartDocument("todolist.txt"); });
    // The wizard writes into the main window and ends with it.
    wizard_ = new Wizard(*window, window);
    connect(window, &Main::wizardRequested, wizard_, &Wizard::open);
    connect(window, &Main::textRefused, this, [this](const QString& message) { seams_.boxes.warning(main_, message); });
    connect(wizard_, &Wizard::finished, this, &Trel::BuildCommandLine);
    connect(wizard_, &Wizard::editMaplistRequested, this, &Trel::openmapeditor);
    return *window;
}

frmCommand& Trel::ensureViewer() {
    if (!viewer_) {
        viewer_ = new frmCommand;
        // Closing the viewer by its close box leaves "View Commandline" ticked.
        connect(viewer_, &frmCommand::closedByUser, viewer_, &QObject::deleteLater);
        if (main_)
            viewer_->placeBelow(*main_);
        BuildCommandLine();
    }
    return *viewer_;
}

void Trel::showViewer() {
    frmCommand& viewer = ensureViewer();
    viewer.show();
}

void Trel::unloadViewer() { delete viewer_; }

void Trel::hideViewer() { ensureViewer().hide(); }

void Trel::openLocator() {
    if (main_)
        main_->hide();
    showLocator();
    hideViewer();
}

void Trel::showLocator() {
    if (!locator_) {
        locator_ = new dirfinder(seams_.boxes);
        connect(locator_, &dirfinder::confirmed, this, &Trel::AcceptQuake2Exe);
        connect(locator_, &dirfinder::cancelled, this, &Trel::cancelLocator);
    }
    locator_->show();
    locator_->raise();
    locator_->activateWindow();
}

void Trel::cancelLocator() {
    if (locator_) {
        locator_->closeAccepted();
        locator_->deleteLater();
    }
    Main& window = ensureMain();
    window.show();
    if (window.ShowCommandLine->checkState() == Qt::Checked)
        showViewer();
    BuildCommandLine();
}

void Trel::openmapeditor() {
    if (CheckMapEditorPath(shared_.Quake2Path) == MapEditorCheck::WrongDirectory) {
        seams_.boxes.warning(main_, QString::fromLatin1(kWrongDirectoryText.data(), kWrongDirectoryText.size()));
        if (main_)
            main_->hide();
        hideViewer();
        showLocator();
        return;
    }
    if (mapEditor_) {
        mapEditor_->bringForward();
        return;
    }
    mapEditor_ = new mapedit(
        shared_, [this] { return main_ ? StoredText(*main_->serverini) : std::string(); },
        seams_.boxes);
    connect(mapEditor_, &mapedit::closed, this, [this] {
        mapEditor_->deleteLater();
        showMainAgain();
    });
    if (!mapEditor_->open()) {
        delete mapEditor_;
        showMainAgain();
    }
}

void Trel::openMapCycle() {
    if (mapCycle_) {
        mapCycle_->bringForward();
        return;
    }
    mapCycle_ = new mapcycle(shared_, seams_.boxes);
    connect(mapCycle_, &mapcycle::closed, this, [this] {
        mapCycle_->deleteLater();
        showMainAgain();
    });
    mapCycle_->open();
}

void Trel::openMotd() {
    if (motd_) {
        motd_->bringForward();
        return;
    }
    motd_ = new MOTD(shared_, seams_.boxes);
    connect(motd_, &MOTD::closed, this, [this] {
        motd_->deleteLater();
        showMainAgain();
    });
    if (!motd_->open())
        delete motd_;
}

void Trel::openAddressBook() {
    if (addressBook_) {
        addressBook_->bringForward();
        return;
    }
    addressBook_ = new addressbook(shared_, settingsFile(), seams_.boxes, seams_.starter, seams_.network);
    connect(addressBook_, &addressbook::cancelled, this, &Trel::showMainAgain);
    connect(addressBook_, &addressbook::closed, addressBook_, &QObject::deleteLater);
    // Joining with a wrong Quake 2 path leads to the locator, as starting a game does, but leaves the viewer be.
    connect(addressBook_, &addressbook::wrongExecutable, this, [this] {
        if (main_)
            main_->hide();
        showLocator();
    });
    addressBook_->show();
}

void Trel::openAbout() {
    if (!about_) // the box deletes itself when closed
        about_ = new Aboutform(seams_.documents, seams_.boxes,
                               Aboutform::WebSiteOr(PathToQt(PathText(shared_.StartDir / "manual.html"))));
    about_->show();
    about_->raise();
    about_->activateWindow();
}

void Trel::openStartDocument(const char* name) {
    // The documents lie in the folder Trel was started in, not beside the program.
    OpenDocument(seams_.documents, seams_.boxes, main_, PathToQt(PathText(shared_.StartDir / name)));
}

void Trel::showMainAgain() {
    if (!main_)
        return;
    main_->show();
    main_->raise();
}

void Trel::closeSplash() {
    if (!splash_)
        return;
    splash_->setTopmost(false);
    splash_->close();
    delete splash_;
}

void Trel::exitProgram() {
    SaveSettings();
    closeEverything();
    emit quitRequested();
}

void Trel::closeEverything() {
    // Deleted later: the window asking for the end may still be inside its own event handler.
    const auto dispose = [](QWidget* window) {
        if (window) {
            window->hide();
            window->deleteLater();
        }
    };
    dispose(mapEditor_);
    dispose(mapCycle_);
    dispose(motd_);
    dispose(addressBook_);
    dispose(about_);
    dispose(splash_);
    dispose(locator_);
    dispose(viewer_);
    if (main_)
        main_->setCloseHandled(true);
    dispose(main_);
}

} // namespace trel
