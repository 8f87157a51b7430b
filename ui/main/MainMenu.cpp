#include "Main.h"

#include "MainParts.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <algorithm>
#include <initializer_list>
#include <utility>

namespace trel {

using namespace mainwindow;

namespace {

QAction* AddMenuItem(QMenu* menu, const char* name, const char* caption, const QKeySequence& shortcut = {}) {
    QAction* item = menu->addAction(QLatin1String(caption));
    item->setObjectName(QLatin1String(name));
    item->setShortcut(shortcut);
    return item;
}

// A control's inner parts (a list's viewport, a value field's text part, the tab row) carry no name of
// the program's own; the pointer over them is over the control.
bool IsInnerPart(const QWidget* widget) {
    const QString name = widget->objectName();
    return name.isEmpty() || name.startsWith(QLatin1String("qt_"));
}

} // namespace

// The help line follows the pointer over every control, also over those that take no pointer moves
// themselves (labels, frames, disabled controls) and with a mouse button held: only a filter on the
// whole application sees all of those moves.
class Main::PointerWatcher final : public QObject {
public:
    explicit PointerWatcher(Main& window) : QObject(&window), window_(window) {
        QCoreApplication::instance()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseMove && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == &window_)
            window_.pointerMovedTo(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        // The menu's shortcut keys act wherever the focus is in the window: a text field must not claim
        // Ctrl+X or Ctrl+A for cutting or selecting first. Left unaccepted, the override lets the menu act.
        if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == &window_ &&
            window_.isMenuShortcut(QKeySequence(static_cast<QKeyEvent*>(event)->keyCombination()))) {
            event->ignore();
            return true;
        }
        return false;
    }

private:
    Main& window_;
};

bool Main::isMenuShortcut(const QKeySequence& keys) const {
    const QList<QAction*> actions = menuBar()->findChildren<QAction*>();
    return std::any_of(actions.begin(), actions.end(), [&keys](const QAction* action) {
        return action->isEnabled() && !action->shortcut().isEmpty() && action->shortcut() == keys;
    });
}

void Main::followPointer() {
    new PointerWatcher(*this); // a child of the window: it ends with it
}

void Main::createMenus() {
    QMenu* fileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    fileMenu->setObjectName(QStringLiteral("mnufile"));
    mnuwizard = AddMenuItem(fileMenu, "mnuwizard", "Quick Start &Wizard...", QKeySequence(Qt::CTRL | Qt::Key_W));
    mnumaplist = AddMenuItem(fileMenu, "mnumaplist", "Maplist Editor", QKeySequence(Qt::CTRL | Qt::Key_E));
    mnudir = AddMenuItem(fileMenu, "mnudir", "Set Quake2 Directory", QKeySequence(Qt::CTRL | Qt::Key_D));
    mnuexport = AddMenuItem(fileMenu, "mnuexport", "Export &Launch Script...");
    fileMenu->addSeparator()->setObjectName(QStringLiteral("seperator"));
    mnuexit = AddMenuItem(fileMenu, "mnuexit", "E&xit", QKeySequence(Qt::CTRL | Qt::Key_X));

    QMenu* connectMenu = menuBar()->addMenu(QStringLiteral("&Connect"));
    connectMenu->setObjectName(QStringLiteral("mnuconnect"));
    mnuaddress = AddMenuItem(connectMenu, "mnuaddress", "Server Address Book", QKeySequence(Qt::CTRL | Qt::Key_A));

    QMenu* helpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
    helpMenu->setObjectName(QStringLiteral("mnuhelp"));
    mnumanual = AddMenuItem(helpMenu, "mnumanual", "&Manual", QKeySequence(Qt::CTRL | Qt::Key_M));
    mnutodo = AddMenuItem(helpMenu, "mnutodo", "Todo List");
    helpMenu->addSeparator()->setObjectName(QStringLiteral("blah"));
    mnuabout = AddMenuItem(helpMenu, "mnuabout", "About");
}

void Main::createHelpTexts() {
    const std::initializer_list<std::pair<const QWidget*, const char*>> texts = {
        {about, "Information about Trel"},
        {Command1, "Exit Program"},
        {Command2, "Run Vorn with selected options"},
        {Command3, "Edit the games maplist, used to set the cycle of maps"},
        {findquake2dir, "Change Quake2 executables path"},
        {quake2dir, "Location of your Quake2 executable, MUST BE SET"},
        {maps, "Vorn maps"},
        {boolgemgoal, "Sets the gem goal you need to reach in Single Player games"},
        {boolmaxclients, "Sets maximum clients allowed to connect to server"},
        {boolmaxgems, "Set Maximum gems produced for the start level"},
        {booltimelimit, "Sets timelimit for game, upon reaching it the game ends."},
        {dedserver, "Forces server into dedicated mode, useful if you are running a permanent server"},
        {forcejoin, "Forces people to join team with lowest players upon connect."},
        {mrespawn, "Sets wether monsters respawn or not upon death"},
        {dmflagval, "Value of DMflags added together"},
    };
    for (const auto& [control, text] : texts)
        helpTexts_.insert(control, QLatin1String(text));
    for (const QCheckBox* box : q2option)
        helpTexts_.insert(box, QStringLiteral("Deathmatch flag options"));

    // The bare window: the client area, the etched line drawn on it, and the tab control with its pages.
    bareBackground_ = {centralWidget(), mainline, maintab};
    for (int i = 0; i < maintab->count(); ++i) {
        bareBackground_.insert(maintab->widget(i));
        bareBackground_.insert(tabPanes[static_cast<std::size_t>(i)]);
    }
}

void Main::pointerMovedTo(const QPoint& globalPosition) {
    for (const QWidget* over = childAt(mapFromGlobal(globalPosition)); over && over != this;
         over = over->parentWidget()) {
        if (IsInnerPart(over))
            continue;
        if (const auto found = helpTexts_.constFind(over); found != helpTexts_.constEnd())
            setHelpText(*found);
        else if (bareBackground_.contains(over))
            setHelpText(QString::fromStdString(HelpVersionText()));
        return; // the first control of the program's own decides; one without a help text leaves the line
    }
}

void Main::setHelpText(const QString& text) {
    helpline->setText(text);
}

QString Main::helpText() const {
    return helpline->text();
}

void Main::setFeatureAvailable(Feature feature, bool available) {
    switch (feature) {
    case Feature::MapEditor:
        Command3->setEnabled(available);
        mnumaplist->setEnabled(available);
        break;
    case Feature::MapCycle:
        mapCycleAvailable_ = available;
        updateMapCycleButton();
        break;
    case Feature::Motd:
        Command5->setEnabled(available);
        break;
    case Feature::AddressBook:
        Command4->setEnabled(available);
        mnuaddress->setEnabled(available);
        break;
    case Feature::About:
        about->setEnabled(available);
        mnuabout->setEnabled(available);
        break;
    case Feature::Manual:
        mnumanual->setEnabled(available);
        break;
    case Feature::Todo:
        mnutodo->setEnabled(available);
        break;
    case Feature::Wizard:
        mnuwizard->setEnabled(available);
        break;
    }
}

} // namespace trel
