#pragma once
// The application object: owns the shared values and every window, and carries out what the windows ask
// for (start-up, loading and saving the settings, starting the game, the preview).

#include "mdlmaincode.h"
#include "mdlvariables.h"

#include <QObject>
#include <QPointer>

#include <QString>

#include <filesystem>
#include <functional>
#include <optional>

class QThread;
class QWidget;

namespace trel {

class Aboutform;
class Wizard;
class addressbook;
class DocumentOpener;
class GameStarter;
class Main;
class MessageBoxes;
class NetworkSource;
class dirfinder;
class frmCommand;
class mapcycle;
class mapedit;
class MOTD;
class splashscreen;

/// The platform services the application uses; production and tests pass their own.
struct Seams {
    MessageBoxes& boxes;
    GameStarter& starter;
    DocumentOpener& documents;
    NetworkSource& network;
};

class Trel : public QObject {
    Q_OBJECT
public:
    Trel(std::filesystem::path startDir, Seams seams, QObject* parent = nullptr);
    ~Trel() override;

    /// From the splash screen to the first window the user works in: the main window on a normal start,
    /// the locator on a first run, the load error box (and the end) when the settings cannot be loaded.
    void StartUp();

    /// Loads trel.ini into the shared values and the main window (creating it); the window shows itself.
    std::optional<LoadError> LoadSettings();

    /// Stores the Settings section from the main window; a failure is reported with the file and the reason.
    bool SaveSettings();

    /// "&Run": the checks, the launch script and the game start; failures are reported and start nothing.
    void RunGame();

    /// "Export &Launch Script...": the Run button's checks, then a script that does what "&Run" does, in
    /// the file the user names. The game is not started.
    void ExportLaunchScript();

    /// Asks for the script's file: (parent, title, suggested file) to the chosen file or "" for none. Tests
    /// answer it themselves.
    using FileChooser = std::function<QString(QWidget*, const QString&, const QString&)>;
    void setExportFileChooser(FileChooser chooser) { chooseExportFile_ = std::move(chooser); }

    /// Brings Trel's window to the front, restored when minimised (a second start in the same folder).
    void bringToFront();

    /// Refreshes the command-line preview when "View Commandline" is ticked.
    void BuildCommandLine();

    /// The locator's "Ok": checks and stores the chosen executable, loads the settings, shows the main window.
    void AcceptQuake2Exe();

    /// "Edit Maplist": checks the Quake 2 path (a wrong one leads to the locator), then opens the map-details
    /// editor, or brings the open one forward without reloading it.
    void openmapeditor();

    const SharedValues& shared() const { return shared_; }
    std::filesystem::path settingsFile() const { return SettingsFile(shared_); }

    Main* mainWindow() const;
    dirfinder* locator() const;
    frmCommand* viewer() const;
    splashscreen* splash() const;
    mapedit* mapEditor() const;
    mapcycle* mapCycle() const;
    MOTD* motdEditor() const;
    addressbook* addressBook() const;
    Aboutform* aboutBox() const;
    Wizard* wizard() const;

signals:
    /// Every window is closed; the program should end.
    void quitRequested();

private:
    Main& ensureMain();
    frmCommand& ensureViewer();
    void showViewer();
    void unloadViewer();
    void hideViewer();
    void openLocator();   // "..." and "Set Quake2 Directory"
    void showLocator();
    void cancelLocator(); // the locator's "Cancel" and close box
    void closeSplash();
    void openMapCycle();
    void openMotd();
    void openAddressBook();
    void openAbout();
    void openStartDocument(const char* name);
    void showMainAgain();
    void failLoad(const LoadError& error);
    void exitProgram();   // the main window is left: save, then end with every window
    void closeEverything();
    bool refuseLaunch(const LaunchPreparation& prep); // the Run button's answers to a failed check
    void searchForQuake2();

    SharedValues shared_;
    Seams seams_;
    QPointer<Main> main_;
    QPointer<dirfinder> locator_;
    QPointer<frmCommand> viewer_;
    QPointer<splashscreen> splash_;
    QPointer<mapedit> mapEditor_;
    QPointer<mapcycle> mapCycle_;
    QPointer<MOTD> motd_;
    QPointer<addressbook> addressBook_;
    QPointer<Aboutform> about_;
    QPointer<Wizard> wizard_;
    QThread* search_ = nullptr;
    FileChooser chooseExportFile_;
};

} // namespace trel
