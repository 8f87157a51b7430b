#pragma once
// The main window: every launch option on three tabs, the buttons and menus that lead everywhere else.
// Its controls hold the launch options; the application object reads and writes them through this class.

#include "LaunchOptionsAccess.h"
#include "mdlmaincode.h"
#include "mdlvariables.h"

#include <QHash>
#include <QMainWindow>
#include <QSet>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

class QAction;
class QCheckBox;
class QComboBox;
class QCompleter;
class QFrame;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QWidget;

namespace trel {

class Main : public QMainWindow, public LaunchOptionsAccess {
    Q_OBJECT
public:
    explicit Main(QWidget* parent = nullptr);
    ~Main() override;

    /// Steps 2 to 11 of loading the settings into the window: title, executable path, value lists, map list,
    /// deathmatch boxes, show, flags value, then every key in order as if the user set it. Stops at the
    /// failing key of load (keys before it are applied) and returns its error.
    std::optional<LoadError> LoadSettings(const SettingsLoad& load);

    /// Ticks the box of flag (its reaction runs if it was unticked) and subtracts flag from the running total.
    void TickDmFlag(std::int32_t flag);

    /// The options as the controls hold them now (the running flags total as DMflags).
    LaunchOptions currentOptions() const;

    /// The text of dmflagval, which is what the settings file stores.
    std::string dmflagText() const;

    /// The running total of the ticked deathmatch flags.
    std::int32_t dmflagsTotal() const { return dmflagsTotal_; }

    /// Shows path in quake2dir.
    void setQuake2Path(const std::string& path);

    /// Puts text on the help line (the status bar's first panel). It stays there until the next call.
    void setHelpText(const QString& text);
    QString helpText() const;

    /// Lets the application close the window without the close being treated as the user leaving.
    void setCloseHandled(bool handled) { closeHandled_ = handled; }

    /// The windows behind some buttons and menu items; the application switches their controls off
    /// until the window exists.
    enum class Feature { MapEditor, MapCycle, Motd, AddressBook, About, Manual, Todo, Wizard };
    void setFeatureAvailable(Feature feature, bool available);

    /// The text gametype shows: the chosen entry, or "Deathmatch" while no entry is chosen.
    QString gametypeText() const;

    // The options the wizard shows and changes, through the window's own controls.
    QWidget& optionsWindow() override { return *this; }
    int gameTypePosition() const override;
    QString gameTypeText() const override { return gametypeText(); }
    void setGameTypePosition(int position) override;
    int startMapRow() const override;
    QString startMapName() const override;
    void setStartMapRow(int row) override;
    Qt::CheckState tickState(Tick tick) const override;
    void setTickState(Tick tick, Qt::CheckState state) override;
    QString valueText(Value value) const override;
    void setValueText(Value value, const QString& text) override;
    void refuseText(const QString& message) override { emit textRefused(message); }

signals:
    void runRequested();                    // "&Run"
    void exportRequested();                 // "Export &Launch Script..."
    void exitRequested();                   // "E&xit" (button or menu) and the close box: save, then end
    void locatorRequested();                // "..." and "Set Quake2 Directory"
    void commandLineToggled(bool on);       // "View Commandline" ticked or unticked
    void optionsChanged();                  // any launch option changed: refresh the preview
    void mapEditorRequested(bool fromMenu); // "Edit Maplist" (false) or "Maplist Editor" (true)
    void mapCycleRequested();               // "Edit Map Cycle"
    void motdRequested();                   // "Edit MOTD"
    void addressBookRequested();            // "Connect to..." and "Server Address Book"
    void aboutRequested();                  // "About..." and "About"
    void manualRequested();                 // "&Manual"
    void todoRequested();                   // "Todo List"
    void wizardRequested();                 // "Quick Start &Wizard..."
    void textRefused(const QString& message); // a typed character the code page cannot hold: tell the user

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public:
    // Controls, named as the system names them (object names are the same).
    QTabWidget* maintab = nullptr;
    QPushButton* about = nullptr;
    QPushButton* Command1 = nullptr; // E&xit
    QPushButton* Command4 = nullptr; // Connect to...
    QPushButton* Command2 = nullptr; // &Run
    QStatusBar* statusbar = nullptr;
    // General
    QFrame* Frame4 = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* quake2dir = nullptr;
    QPushButton* findquake2dir = nullptr;
    QLabel* Label9 = nullptr;
    QComboBox* gametype = nullptr;
    QCheckBox* ShowCommandLine = nullptr;
    QLabel* Label1 = nullptr;
    QListWidget* maps = nullptr;
    QFrame* Frame1 = nullptr;
    QCheckBox* boolgemgoal = nullptr;
    QComboBox* valgemgoal = nullptr;
    QPushButton* editmapcycle = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* addparam = nullptr;
    // Server Options
    QGroupBox* framedm = nullptr;
    std::array<QCheckBox*, 16> q2option{}; // by flag, smallest first; object names q2option(1) ... q2option(32767)
    QLabel* lbldmflag = nullptr;
    QLineEdit* dmflagval = nullptr;
    QFrame* Frame2 = nullptr;
    QCheckBox* mrespawn = nullptr;
    QCheckBox* dedserver = nullptr;
    QCheckBox* forcejoin = nullptr;
    QCheckBox* boolmaxgems = nullptr;
    QComboBox* valmaxgems = nullptr;
    QCheckBox* boolmaxclients = nullptr;
    QComboBox* valmaxclients = nullptr;
    QCheckBox* booltimelimit = nullptr;
    QComboBox* valtimelimit = nullptr;
    // Server Admin
    QFrame* Frame3 = nullptr;
    QLabel* Label5 = nullptr;
    QPushButton* Command3 = nullptr; // Edit Maplist
    QLabel* Label6 = nullptr;
    QPushButton* Command5 = nullptr; // Edit MOTD
    QLabel* Label7 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* serverini = nullptr;
    // Menus
    QAction* mnuwizard = nullptr;
    QAction* mnumaplist = nullptr;
    QAction* mnudir = nullptr;
    QAction* mnuexport = nullptr;
    QAction* mnuexit = nullptr;
    QAction* mnuaddress = nullptr;
    QAction* mnumanual = nullptr;
    QAction* mnutodo = nullptr;
    QAction* mnuabout = nullptr;

private:
    void showEvent(QShowEvent* event) override;

    void createControls();
    void createGeneralTab(QCompleter& standIn);
    void createServerOptionsTab(QCompleter& standIn);
    void createServerAdminTab();
    void createMenus();
    void placeControls();
    void connectReactions();
    void alignTabPanes();
    void onDmFlagToggled(std::size_t box, bool ticked);
    void onGameTypeChosen(int index);
    void onValueBoxChanged(QComboBox* field, int state);
    void showDmFlagsTotal();
    void fillNumberList(QComboBox* field);
    void fillMapList();
    void applyStep(const LoadStep& step);
    void selectMap(int row);
    void updateMapCycleButton();
    bool filterKey(QObject* watched, const QKeyEvent& key) const;
    void createHelpTexts();
    QCheckBox* tickBox(Tick tick) const;
    QComboBox* valueBox(Value value) const;
    void followPointer(); // the help line follows the pointer from now on
    void pointerMovedTo(const QPoint& globalPosition);
    bool isMenuShortcut(const QKeySequence& keys) const; // an enabled menu entry answers these keys

    class PointerWatcher;
    friend class PointerWatcher;

    QLabel* helpline = nullptr;                // the status bar's first panel
    QHash<const QWidget*, QString> helpTexts_; // the controls that explain themselves on the help line
    QSet<const QWidget*> bareBackground_;      // the window and tab control areas that show the version
    std::array<QWidget*, 3> tabPanes{};        // one per tab, aligned with the tab control's corner
    QFrame* mainline = nullptr;                // etched line between "E&xit" and "Connect to..."
    std::array<QFrame*, 2> dmlines{};          // etched lines between the flag columns
    QWidget* tabStack = nullptr;               // the tab control's page holder; its moves realign the panes
    std::int32_t dmflagsTotal_ = 0;
    bool closeHandled_ = false;
    bool centred_ = false;
    bool mapCycleAvailable_ = true;   // the map cycle window exists
    bool mapCycleByGameType_ = false; // the game type allows the map cycle
};

} // namespace trel
