#include "Main.h"

#include "ProgramFont.h"
#include "seams/DocumentOpener.h"
#include "seams/MessageBoxes.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStringList>
#include <QTabWidget>

#include <algorithm>
#include <initializer_list>
#include <string_view>
#include <utility>

namespace trel {
namespace {

// Below the menu bar the window is 478 x 263: the options area and the help line under it.
constexpr int kClientWidth = 478;
constexpr int kClientHeight = 263;
constexpr int kStatusBarHeight = 15;

constexpr int kTabGeneral = 0;
constexpr int kTabServerOptions = 1;
constexpr int kTabServerAdmin = 2;

// The largest flag does not fit a control index, so its box carries 32767 while it adds 32768.
constexpr std::int32_t kFixedFovFlag = 32768;
constexpr int kFixedFovIndex = 32767;

constexpr std::array<const char*, 16> kDmFlagCaptions = {
    "No Health",     "No Powerups",    "Weapons Stay",     "No Fall Damage", "Instant Powerups", "Same Level",
    "Teams by Skin", "Teams by Model", "No Friendly Fire", "Spawn Farthest", "Force Respawn",    "No Armor",
    "Allow Exit",    "Infinite Ammo",  "Quad Drop",        "Fixed FOV"};

// Where the flag boxes stand in their frame: three columns of up to six rows.
constexpr std::array<int, 3> kDmColumnX = {8, 128, 256};
constexpr std::array<int, 3> kDmColumnWidth = {112, 112, 105};
constexpr int kDmRowsPerColumn = 6;
constexpr int kDmFirstRowY = 16;
constexpr int kDmRowHeight = 16;

const QString kNoGameTypeText = QStringLiteral("Deathmatch");

QString FromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The settings file holds single-byte text; Latin-1 carries every byte there and back unchanged.
QString FromBytes(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}
std::string ToBytes(const QString& text) {
    return text.toLatin1().toStdString();
}

// Children of a bold frame would inherit its weight; stating the weight keeps them regular.
QFont RegularFont() {
    QFont font = ProgramFont();
    font.setBold(false);
    return font;
}

// The settings file counts 0 unticked, 1 ticked, 2 grey; the toolkit numbers ticked and grey the other way round.
int CheckStateNumber(const QCheckBox* box) {
    switch (box->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

void SetCheckStateNumber(QCheckBox* box, int state) {
    switch (state) {
    case 2:
        box->setCheckState(Qt::PartiallyChecked); // makes the box three-state until it leaves grey
        break;
    case 1:
        box->setCheckState(Qt::Checked);
        break;
    default:
        box->setCheckState(Qt::Unchecked);
        break;
    }
}

// A key that would put a character into a text: printable keys, Enter and Backspace. Tab moves the
// focus and Ctrl combinations are commands such as paste, so neither counts.
bool TypesCharacter(const QKeyEvent& key) {
    if (key.modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
        return false;
    switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Backspace:
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return false;
    default:
        break;
    }
    const QString text = key.text();
    return !text.isEmpty() && text.front().isPrint();
}

bool IsDigitOrBackspace(const QKeyEvent& key) {
    if (key.key() == Qt::Key_Backspace)
        return true;
    const QString text = key.text();
    return !text.isEmpty() && std::all_of(text.begin(), text.end(),
                                          [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

QComboBox* MakeValueField(QWidget* parent, const char* name, const char* initial) {
    auto* field = new QComboBox(parent);
    field->setObjectName(QLatin1String(name));
    field->setEditable(true);
    field->setInsertPolicy(QComboBox::NoInsert);
    field->setCompleter(nullptr); // typed digits stay as typed, never completed from the list
    field->setEditText(QLatin1String(initial));
    return field;
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const char* caption) {
    auto* box = new QCheckBox(QLatin1String(caption), parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption) {
    auto* button = new QPushButton(QLatin1String(caption), parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* caption) {
    auto* label = new QLabel(QLatin1String(caption), parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

QLineEdit* MakeTextBox(QWidget* parent, const char* name, const char* text) {
    auto* edit = new QLineEdit(QLatin1String(text), parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

QFrame* MakeFrame(QWidget* parent, const char* name) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(QLatin1String(name));
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken); // etched: a dark and a light line
    return frame;
}

QFrame* MakeEtchedLine(QWidget* parent, const char* name, QFrame::Shape shape) {
    auto* line = new QFrame(parent);
    line->setObjectName(QLatin1String(name));
    line->setFrameShape(shape);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QAction* AddMenuItem(QMenu* menu, const char* name, const char* caption, const QKeySequence& shortcut = {}) {
    QAction* item = menu->addAction(QLatin1String(caption));
    item->setObjectName(QLatin1String(name));
    item->setShortcut(shortcut);
    return item;
}

QStringList NumberListTexts() {
    QStringList texts;
    texts.reserve(kNumberListSize);
    for (int n = 1; n <= kNumberListSize; ++n)
        texts.append(QString::number(n));
    return texts;
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
        return false;
    }

private:
    Main& window_;
};

Main::Main(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("Trel Frontend"));
    setFont(RegularFont());
    createControls();
    createMenus();
    placeControls();
    connectReactions();
    createHelpTexts();
    setFixedSize(kClientWidth, menuBar()->sizeHint().height() + kClientHeight);
    new PointerWatcher(*this); // a child of the window: it ends with it
}

Main::~Main() = default;

void Main::createControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    maintab = new QTabWidget(client);
    maintab->setObjectName(QStringLiteral("maintab"));
    const std::array<const char*, 3> tabCaptions = {"General", "Server Options", "Server Admin"};
    const std::array<const char*, 3> pageNames = {"generalPage", "serverOptionsPage", "serverAdminPage"};
    for (std::size_t i = 0; i < tabCaptions.size(); ++i) {
        auto* page = new QWidget;
        page->setObjectName(QLatin1String(pageNames[i]));
        maintab->addTab(page, QLatin1String(tabCaptions[i]));
        // The pane's corner sits on the tab control's corner, so the tab's controls stand where the
        // layout puts them relative to the whole tab control, tab row included.
        tabPanes[i] = new QWidget(page);
        tabPanes[i]->setObjectName(QLatin1String(pageNames[i]) + QStringLiteral("Pane"));
    }
    tabStack = maintab->widget(kTabGeneral)->parentWidget();
    tabStack->installEventFilter(this);

    about = MakeButton(client, "about", "About...");
    Command1 = MakeButton(client, "Command1", "E&xit");
    Command4 = MakeButton(client, "Command4", "Connect to...");
    Command2 = MakeButton(client, "Command2", "&Run");
    mainline = MakeEtchedLine(client, "mainline", QFrame::HLine);

    statusbar = new QStatusBar(this);
    statusbar->setObjectName(QStringLiteral("statusbar"));
    statusbar->setSizeGripEnabled(false);
    setStatusBar(statusbar);
    helpline = new QLabel(statusbar);
    helpline->setObjectName(QStringLiteral("helpline"));
    statusbar->addPermanentWidget(helpline, 1);

    // General
    QWidget* general = tabPanes[kTabGeneral];
    Frame4 = MakeFrame(general, "Frame4");
    Label4 = MakeLabel(Frame4, "Label4", "Quake2 executable:");
    quake2dir = MakeTextBox(Frame4, "quake2dir", "c:\\quake2\\quake2.exe");
    quake2dir->setReadOnly(true);
    findquake2dir = MakeButton(Frame4, "findquake2dir", "...");
    Label9 = MakeLabel(Frame4, "Label9", "Gametype:");
    gametype = new QComboBox(Frame4);
    gametype->setObjectName(QStringLiteral("gametype"));
    // With no entry chosen the box shows "Deathmatch" as its ordinary text, not as a greyed hint.
    gametype->setPlaceholderText(kNoGameTypeText);
    QPalette gametypePalette = gametype->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        gametypePalette.setBrush(group, QPalette::PlaceholderText, gametypePalette.brush(group, QPalette::ButtonText));
    gametype->setPalette(gametypePalette);
    for (const std::string_view name : kGameTypeNames)
        gametype->addItem(FromView(name));
    gametype->setCurrentIndex(-1);
    ShowCommandLine = MakeCheckBox(Frame4, "ShowCommandLine", "View Commandline");
    Label1 = MakeLabel(general, "Label1", "Start Map:");
    maps = new QListWidget(general);
    maps->setObjectName(QStringLiteral("maps"));
    maps->setSelectionMode(QAbstractItemView::SingleSelection);
    Frame1 = MakeFrame(general, "Frame1");
    boolgemgoal = MakeCheckBox(Frame1, "boolgemgoal", "Gem Goal:");
    boolgemgoal->setEnabled(false);
    valgemgoal = MakeValueField(Frame1, "valgemgoal", "10");
    valgemgoal->setEnabled(false);
    editmapcycle = MakeButton(Frame1, "editmapcycle", "Edit Map Cycle");
    Label2 = MakeLabel(general, "Label2", "Additional Parameters:");
    addparam = MakeTextBox(general, "addparam", "");

    // Server Options
    QWidget* server = tabPanes[kTabServerOptions];
    framedm = new QGroupBox(QStringLiteral("Deathmatch Spawnflags"), server);
    framedm->setObjectName(QStringLiteral("framedm"));
    for (std::size_t i = 0; i < q2option.size(); ++i) {
        const std::int32_t flag = kDmFlagValues[i];
        const int index = flag == kFixedFovFlag ? kFixedFovIndex : flag;
        q2option[i] = new QCheckBox(QLatin1String(kDmFlagCaptions[i]), framedm);
        q2option[i]->setObjectName(QStringLiteral("q2option(%1)").arg(index));
    }
    dmlines[0] = MakeEtchedLine(framedm, "dmline1", QFrame::VLine);
    dmlines[1] = MakeEtchedLine(framedm, "dmline2", QFrame::VLine);
    lbldmflag = MakeLabel(framedm, "lbldmflag", "DM flags value:");
    dmflagval = MakeTextBox(framedm, "dmflagval", "0");
    Frame2 = MakeFrame(server, "Frame2");
    mrespawn = MakeCheckBox(Frame2, "mrespawn", "Monster Respawn");
    dedserver = MakeCheckBox(Frame2, "dedserver", "Dedicated Server");
    forcejoin = MakeCheckBox(Frame2, "forcejoin", "Forcejoin");
    boolmaxgems = MakeCheckBox(Frame2, "boolmaxgems", "Max Gems");
    valmaxgems = MakeValueField(Frame2, "valmaxgems", "0");
    boolmaxclients = MakeCheckBox(Frame2, "boolmaxclients", "Maxclients:");
    valmaxclients = MakeValueField(Frame2, "valmaxclients", "0");
    booltimelimit = MakeCheckBox(Frame2, "booltimelimit", "Timelimit:");
    valtimelimit = MakeValueField(Frame2, "valtimelimit", "0");

    // Server Admin
    QWidget* admin = tabPanes[kTabServerAdmin];
    Frame3 = MakeFrame(admin, "Frame3");
    Label5 = MakeLabel(Frame3, "Label5", "Editors :");
    Command3 = MakeButton(Frame3, "Command3", "Edit Maplist");
    Label6 = MakeLabel(Frame3, "Label6",
                       "Small text editor for writing your own vorn.ini's comes with a few vorn specific features "
                       "to help you along the way.");
    Label6->setWordWrap(true);
    Label6->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Command5 = MakeButton(Frame3, "Command5", "Edit MOTD");
    Label7 = MakeLabel(Frame3, "Label7", "Write your own Message of the day.");
    Label7->setWordWrap(true);
    Label7->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label3 = MakeLabel(Frame3, "Label3", "Custom server ini :");
    serverini = MakeTextBox(Frame3, "serverini", "");

    for (QComboBox* field : {valgemgoal, valmaxclients, valmaxgems, valtimelimit}) {
        field->installEventFilter(this);
        field->lineEdit()->installEventFilter(this);
    }
    gametype->installEventFilter(this);
    updateMapCycleButton();
}

void Main::createMenus() {
    QMenu* fileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    fileMenu->setObjectName(QStringLiteral("mnufile"));
    mnuwizard = AddMenuItem(fileMenu, "mnuwizard", "Quick Start &Wizard...", QKeySequence(Qt::CTRL | Qt::Key_W));
    mnumaplist = AddMenuItem(fileMenu, "mnumaplist", "Maplist Editor", QKeySequence(Qt::CTRL | Qt::Key_E));
    mnudir = AddMenuItem(fileMenu, "mnudir", "Set Quake2 Directory", QKeySequence(Qt::CTRL | Qt::Key_D));
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

void Main::placeControls() {
    struct Place {
        QWidget* control;
        int x, y, width, height; // a label without a size takes its caption's size
        bool bold;
    };
    // Outside the tab control: relative to the window's client area. On a tab: relative to the tab
    // control's corner. In a frame: relative to the frame.
    const std::initializer_list<Place> places = {
        {maintab, 8, 8, 385, 233, false},
        {about, 400, 32, 73, 25, false},
        {Command1, 400, 64, 73, 25, false},
        {mainline, 400, 96, 73, 2, false},
        {Command4, 400, 104, 73, 25, false},
        {Command2, 400, 216, 73, 25, true},
        // General
        {tabPanes[kTabGeneral], 0, 0, 385, 233, false},
        {Frame4, 8, 32, 209, 129, false},
        {Label4, 8, 16, 0, 0, true},
        {quake2dir, 8, 32, 169, 19, false},
        {findquake2dir, 176, 32, 19, 19, false},
        {Label9, 8, 56, 0, 0, true},
        {gametype, 8, 72, 145, 21, false},
        {ShowCommandLine, 8, 104, 113, 17, false},
        {Label1, 240, 32, 0, 0, false},
        {maps, 240, 48, 129, 56, false},
        {Frame1, 240, 112, 129, 81, true},
        {boolgemgoal, 8, 16, 73, 17, false},
        {valgemgoal, 80, 16, 41, 21, false},
        {editmapcycle, 8, 48, 113, 25, false},
        {Label2, 8, 184, 0, 0, false},
        {addparam, 8, 200, 369, 19, false},
        // Server Options
        {tabPanes[kTabServerOptions], 0, 0, 385, 233, false},
        {framedm, 8, 32, 369, 121, true},
        {dmlines[0], 120, 16, 2, 96, false},
        {dmlines[1], 248, 16, 2, 96, false},
        {lbldmflag, 256, 83, 0, 0, false},
        {dmflagval, 256, 96, 105, 19, true},
        {Frame2, 8, 152, 369, 73, false},
        {mrespawn, 8, 16, 113, 17, false},
        {dedserver, 8, 32, 105, 17, false},
        {forcejoin, 8, 48, 65, 17, false},
        {boolmaxgems, 128, 19, 73, 17, false},
        {valmaxgems, 200, 16, 41, 21, false},
        {boolmaxclients, 128, 40, 73, 17, false},
        {valmaxclients, 200, 40, 41, 21, false},
        {booltimelimit, 256, 19, 65, 17, false},
        {valtimelimit, 320, 16, 41, 21, false},
        // Server Admin
        {tabPanes[kTabServerAdmin], 0, 0, 385, 233, false},
        {Frame3, 8, 32, 369, 121, false},
        {Label5, 8, 16, 0, 0, true},
        {Command3, 8, 32, 81, 25, false},
        {Label6, 96, 32, 265, 33, false},
        {Command5, 8, 64, 81, 25, false},
        {Label7, 96, 64, 129, 33, false},
        {Label3, 8, 96, 0, 0, false},
        {serverini, 96, 96, 265, 19, false},
    };
    const QFont regular = RegularFont();
    const QFont bold = ProgramBoldFont();
    for (const Place& place : places) {
        place.control->setFont(place.bold ? bold : regular);
        if (place.width == 0) {
            place.control->move(place.x, place.y);
            place.control->adjustSize();
        } else {
            place.control->setGeometry(place.x, place.y, place.width, place.height);
        }
    }
    for (std::size_t i = 0; i < q2option.size(); ++i) {
        const std::size_t column = i / kDmRowsPerColumn;
        const int row = static_cast<int>(i % kDmRowsPerColumn);
        q2option[i]->setFont(regular);
        q2option[i]->setGeometry(kDmColumnX[column], kDmFirstRowY + row * kDmRowHeight, kDmColumnWidth[column], 17);
    }
    centralWidget()->setFixedSize(kClientWidth, kClientHeight - kStatusBarHeight);
    statusbar->setFixedHeight(kStatusBarHeight);
}

void Main::connectReactions() {
    for (std::size_t i = 0; i < q2option.size(); ++i)
        connect(q2option[i], &QCheckBox::toggled, this, [this, i](bool ticked) { onDmFlagToggled(i, ticked); });

    connect(gametype, &QComboBox::currentIndexChanged, this, &Main::onGameTypeChosen);

    const std::array<std::pair<QCheckBox*, QComboBox*>, 4> valueBoxes = {{{boolgemgoal, valgemgoal},
                                                                          {boolmaxclients, valmaxclients},
                                                                          {boolmaxgems, valmaxgems},
                                                                          {booltimelimit, valtimelimit}}};
    for (const auto& [box, field] : valueBoxes) {
        connect(box, &QCheckBox::stateChanged, this,
                [this, field = field](int state) { onValueBoxChanged(field, state); });
        connect(field, &QComboBox::editTextChanged, this, &Main::optionsChanged);
    }
    for (QCheckBox* box : {dedserver, forcejoin, mrespawn})
        connect(box, &QCheckBox::stateChanged, this, &Main::optionsChanged);
    // A stored grey state makes a box three-state; once it leaves grey, clicks only tick and untick.
    for (QCheckBox* box :
         {dedserver, forcejoin, mrespawn, boolgemgoal, boolmaxclients, boolmaxgems, booltimelimit, ShowCommandLine}) {
        connect(box, &QCheckBox::stateChanged, box, [box](int state) {
            if (state != Qt::PartiallyChecked)
                box->setTristate(false);
        });
    }
    connect(maps, &QListWidget::itemSelectionChanged, this, &Main::optionsChanged);
    connect(addparam, &QLineEdit::textChanged, this, &Main::optionsChanged);
    connect(serverini, &QLineEdit::textChanged, this, &Main::optionsChanged);
    connect(ShowCommandLine, &QCheckBox::toggled, this, &Main::commandLineToggled);

    connect(Command1, &QPushButton::clicked, this, &Main::exitRequested);
    connect(mnuexit, &QAction::triggered, this, &Main::exitRequested);
    connect(Command2, &QPushButton::clicked, this, &Main::runRequested);
    connect(findquake2dir, &QPushButton::clicked, this, &Main::locatorRequested);
    connect(mnudir, &QAction::triggered, this, &Main::locatorRequested);
    connect(Command3, &QPushButton::clicked, this, [this] { emit mapEditorRequested(false); });
    connect(mnumaplist, &QAction::triggered, this, [this] { emit mapEditorRequested(true); });
    connect(editmapcycle, &QPushButton::clicked, this, &Main::mapCycleRequested);
    connect(Command5, &QPushButton::clicked, this, &Main::motdRequested);
    connect(Command4, &QPushButton::clicked, this, &Main::addressBookRequested);
    connect(mnuaddress, &QAction::triggered, this, &Main::addressBookRequested);
    connect(about, &QPushButton::clicked, this, &Main::aboutRequested);
    connect(mnuabout, &QAction::triggered, this, &Main::aboutRequested);
    connect(mnumanual, &QAction::triggered, this, &Main::manualRequested);
    connect(mnutodo, &QAction::triggered, this, &Main::todoRequested);
    connect(mnuwizard, &QAction::triggered, this, &Main::wizardRequested);
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

void Main::alignTabPanes() {
    for (int i = 0; i < maintab->count(); ++i)
        tabPanes[static_cast<std::size_t>(i)]->move(-maintab->widget(i)->mapTo(maintab, QPoint(0, 0)));
}

void Main::onDmFlagToggled(std::size_t box, bool ticked) {
    // The total is only ever added to and taken from, never recomputed from the boxes.
    const std::int32_t flag = kDmFlagValues[box];
    dmflagsTotal_ = AddDmFlag(dmflagsTotal_, ticked ? flag : -flag);
    showDmFlagsTotal();
    emit optionsChanged();
}

void Main::showDmFlagsTotal() {
    dmflagval->setText(QString::number(dmflagsTotal_));
}

void Main::onGameTypeChosen(int index) {
    if (index < 0) {
        // Nothing chosen: the launch treats it as Deathmatch, and no enabling rule runs.
        emit optionsChanged();
        return;
    }
    const QString chosen = gametype->itemText(index);
    const bool singlePlayer = chosen == FromView(kGameTypeNames[kGameTypeSinglePlayer]);
    if (singlePlayer) {
        // The server tabs mean nothing to a single player; their page must not stay in front.
        if (maintab->currentIndex() != kTabGeneral)
            maintab->setCurrentIndex(kTabGeneral);
        maintab->setTabEnabled(kTabServerOptions, false);
        maintab->setTabEnabled(kTabServerAdmin, false);
        boolgemgoal->setEnabled(true);
        valgemgoal->setEnabled(true);
    } else {
        maintab->setTabEnabled(kTabServerOptions, true);
        maintab->setTabEnabled(kTabServerAdmin, true);
        boolgemgoal->setCheckState(Qt::Unchecked);
        boolgemgoal->setEnabled(false);
        valgemgoal->setEnabled(false);
    }
    mapCycleByGameType_ = singlePlayer;
    updateMapCycleButton();

    if (chosen == FromView(kGameTypeNames[1])) {
        mrespawn->setEnabled(true);
    } else {
        mrespawn->setCheckState(Qt::Unchecked);
        mrespawn->setEnabled(false);
    }
    emit optionsChanged();
}

void Main::onValueBoxChanged(QComboBox* field, int state) {
    field->setEnabled(state == Qt::Checked);
    emit optionsChanged();
}

void Main::updateMapCycleButton() {
    editmapcycle->setEnabled(mapCycleAvailable_ && mapCycleByGameType_);
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

QString Main::gametypeText() const {
    return gametype->currentIndex() < 0 ? gametype->placeholderText() : gametype->currentText();
}

void Main::fillNumberList(QComboBox* field) {
    // Filling a list would pick its first entry; the text the user sees stays what it was.
    const QSignalBlocker blocker(field);
    const QString shown = field->currentText();
    field->clear();
    field->addItems(NumberListTexts());
    field->setCurrentIndex(-1);
    field->setEditText(shown);
}

void Main::fillMapList() {
    maps->clear();
    for (const std::string_view name : kStandardMaps)
        maps->addItem(FromView(name));
}

void Main::selectMap(int row) {
    if (row < 0 || row >= maps->count()) {
        maps->setCurrentRow(-1);
        maps->clearSelection();
        return;
    }
    maps->setCurrentRow(row);
}

std::optional<LoadError> Main::LoadSettings(const SettingsLoad& load) {
    setWindowTitle(QString::fromStdString(MainWindowTitle()));
    setQuake2Path(load.Quake2Path);
    if (!load.DMflags)
        return load.error;
    const std::int32_t stored = *load.DMflags;
    dmflagsTotal_ = stored;

    for (QComboBox* field : {valtimelimit, valmaxclients, valgemgoal, valmaxgems})
        fillNumberList(field);
    fillMapList();

    // Boxes ticked earlier in this run would otherwise stay ticked beside a stored value without them.
    for (QCheckBox* box : q2option)
        box->setChecked(false);
    for (const std::int32_t flag : DmFlagsToTick(stored))
        TickDmFlag(flag);
    show();
    dmflagsTotal_ = stored;
    showDmFlagsTotal();

    for (const LoadStep& step : load.steps)
        applyStep(step);
    return load.error;
}

void Main::applyStep(const LoadStep& step) {
    switch (step.key) {
    case SettingsKey::DMflags:
        break; // applied before the steps
    case SettingsKey::Dedicated:
        SetCheckStateNumber(dedserver, step.number);
        break;
    case SettingsKey::Boolmaxclients:
        SetCheckStateNumber(boolmaxclients, step.number);
        break;
    case SettingsKey::Valmaxclients:
        valmaxclients->setEditText(FromBytes(step.text));
        break;
    case SettingsKey::Booltimelimit:
        SetCheckStateNumber(booltimelimit, step.number);
        break;
    case SettingsKey::Valtimelimit:
        valtimelimit->setEditText(FromBytes(step.text));
        break;
    case SettingsKey::Boolgemgoal:
        SetCheckStateNumber(boolgemgoal, step.number);
        break;
    case SettingsKey::Valgemgoal:
        valgemgoal->setEditText(FromBytes(step.text));
        break;
    case SettingsKey::MonsterRespawn:
        SetCheckStateNumber(mrespawn, step.number);
        break;
    case SettingsKey::Forcejoin:
        SetCheckStateNumber(forcejoin, step.number);
        break;
    case SettingsKey::Gametype:
        gametype->setCurrentIndex(step.number);
        break;
    case SettingsKey::Commandline:
        SetCheckStateNumber(ShowCommandLine, step.number);
        break;
    case SettingsKey::Map:
        selectMap(step.number);
        break;
    case SettingsKey::Boolmaxgems:
        SetCheckStateNumber(boolmaxgems, step.number);
        break;
    case SettingsKey::Valmaxgems:
        valmaxgems->setEditText(FromBytes(step.text));
        break;
    case SettingsKey::serverini:
        serverini->setText(FromBytes(step.text));
        break;
    }
}

void Main::TickDmFlag(std::int32_t flag) {
    const auto* found = std::find(kDmFlagValues.begin(), kDmFlagValues.end(), flag);
    if (found == kDmFlagValues.end())
        return; // no box carries that value
    q2option[static_cast<std::size_t>(found - kDmFlagValues.begin())]->setChecked(true);
    dmflagsTotal_ = AddDmFlag(dmflagsTotal_, -flag);
    showDmFlagsTotal();
}

LaunchOptions Main::currentOptions() const {
    LaunchOptions options;
    options.DMflags = dmflagsTotal_;
    options.Dedicated = CheckStateNumber(dedserver);
    options.Boolmaxclients = CheckStateNumber(boolmaxclients);
    options.Valmaxclients = ToBytes(valmaxclients->currentText());
    options.Booltimelimit = CheckStateNumber(booltimelimit);
    options.Valtimelimit = ToBytes(valtimelimit->currentText());
    options.Boolgemgoal = CheckStateNumber(boolgemgoal);
    options.Valgemgoal = ToBytes(valgemgoal->currentText());
    options.MonsterRespawn = CheckStateNumber(mrespawn);
    options.Forcejoin = CheckStateNumber(forcejoin);
    options.Gametype = gametype->currentIndex();
    options.Commandline = CheckStateNumber(ShowCommandLine);
    const QList<QListWidgetItem*> selected = maps->selectedItems();
    options.Map = selected.isEmpty() ? -1 : maps->row(selected.front());
    options.Boolmaxgems = CheckStateNumber(boolmaxgems);
    options.Valmaxgems = ToBytes(valmaxgems->currentText());
    options.serverini = ToBytes(serverini->text());
    options.addparam = ToBytes(addparam->text());
    return options;
}

std::string Main::dmflagText() const {
    return ToBytes(dmflagval->text());
}

void Main::setQuake2Path(const std::string& path) {
    quake2dir->setText(FromBytes(path));
}

void Main::setHelpText(const QString& text) {
    helpline->setText(text);
}

QString Main::helpText() const {
    return helpline->text();
}

void Main::closeEvent(QCloseEvent* event) {
    if (closeHandled_) {
        event->accept();
        return;
    }
    // Leaving saves the settings first; the application closes the window once that is done.
    event->ignore();
    emit exitRequested();
}

void Main::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (centred_ || event->spontaneous())
        return;
    centred_ = true;
    if (const QScreen* shownOn = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(shownOn->availableGeometry().center());
        move(frame.topLeft());
    }
}

bool Main::filterKey(QObject* watched, const QKeyEvent& key) const {
    if (watched == gametype)
        return TypesCharacter(key); // the game type is only chosen from the list
    for (const QComboBox* field : {valgemgoal, valmaxclients, valmaxgems, valtimelimit}) {
        if (watched == field || watched == field->lineEdit())
            return TypesCharacter(key) && !IsDigitOrBackspace(key);
    }
    return false;
}

bool Main::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tabStack && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        alignTabPanes();
    } else if (event->type() == QEvent::KeyPress && filterKey(watched, *static_cast<QKeyEvent*>(event))) {
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace trel
