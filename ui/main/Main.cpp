#include "Main.h"

#include "CodePage.h"
#include "MainParts.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
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

using namespace mainwindow;

namespace {

// Below the menu bar the window is 478 x 263: the options area and the help line under it.
constexpr int kClientWidth = 478;
constexpr int kClientHeight = 263;
constexpr int kStatusBarHeight = 15;

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

} // namespace

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
    followPointer();
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

    QCompleter standIn; // lent to the value fields while they are made (MakeValueField)
    createGeneralTab(standIn);
    createServerOptionsTab(standIn);
    createServerAdminTab();

    for (QComboBox* field : {valgemgoal, valmaxclients, valmaxgems, valtimelimit}) {
        field->installEventFilter(this);
        field->lineEdit()->installEventFilter(this);
    }
    // What the settings file and the launch script store is text in the system's code page.
    for (QLineEdit* edit : {addparam, serverini, dmflagval, valgemgoal->lineEdit(), valmaxclients->lineEdit(),
                            valmaxgems->lineEdit(), valtimelimit->lineEdit()})
        RefuseOutsideCodePage(*edit, [this](const QString& message) { emit textRefused(message); });
    gametype->installEventFilter(this);
    updateMapCycleButton();
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
    // A control already showing the wanted font from its parent is left alone: setting a font walks every child.
    const auto setFont = [](QWidget* control, const QFont& font) {
        if (control->font() != font)
            control->setFont(font);
    };
    for (const Place& place : places) {
        setFont(place.control, place.bold ? bold : regular);
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
        setFont(q2option[i], regular);
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
    // Only a tick opens the viewer; the grey state counts as unticked, unlike the toolkit's isChecked().
    connect(ShowCommandLine, &QCheckBox::stateChanged, this,
            [this](int state) { emit commandLineToggled(state == Qt::Checked); });

    connect(Command1, &QPushButton::clicked, this, &Main::exitRequested);
    connect(mnuexit, &QAction::triggered, this, &Main::exitRequested);
    connect(Command2, &QPushButton::clicked, this, &Main::runRequested);
    connect(findquake2dir, &QPushButton::clicked, this, &Main::locatorRequested);
    connect(mnudir, &QAction::triggered, this, &Main::locatorRequested);
    connect(mnuexport, &QAction::triggered, this, &Main::exportRequested);
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

void Main::alignTabPanes() {
    for (int i = 0; i < maintab->count(); ++i)
        tabPanes[static_cast<std::size_t>(i)]->move(-maintab->widget(i)->mapTo(maintab, QPoint(0, 0)));
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
        SetStoredText(*valmaxclients->lineEdit(), step.text);
        break;
    case SettingsKey::Booltimelimit:
        SetCheckStateNumber(booltimelimit, step.number);
        break;
    case SettingsKey::Valtimelimit:
        SetStoredText(*valtimelimit->lineEdit(), step.text);
        break;
    case SettingsKey::Boolgemgoal:
        SetCheckStateNumber(boolgemgoal, step.number);
        break;
    case SettingsKey::Valgemgoal:
        SetStoredText(*valgemgoal->lineEdit(), step.text);
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
        SetStoredText(*valmaxgems->lineEdit(), step.text);
        break;
    case SettingsKey::serverini:
        SetStoredText(*serverini, step.text);
        break;
    }
}

LaunchOptions Main::currentOptions() const {
    LaunchOptions options;
    options.DMflags = dmflagsTotal_;
    options.Dedicated = CheckStateNumber(dedserver);
    options.Boolmaxclients = CheckStateNumber(boolmaxclients);
    options.Valmaxclients = StoredText(*valmaxclients->lineEdit());
    options.Booltimelimit = CheckStateNumber(booltimelimit);
    options.Valtimelimit = StoredText(*valtimelimit->lineEdit());
    options.Boolgemgoal = CheckStateNumber(boolgemgoal);
    options.Valgemgoal = StoredText(*valgemgoal->lineEdit());
    options.MonsterRespawn = CheckStateNumber(mrespawn);
    options.Forcejoin = CheckStateNumber(forcejoin);
    options.Gametype = gametype->currentIndex();
    options.Commandline = CheckStateNumber(ShowCommandLine);
    const QList<QListWidgetItem*> selected = maps->selectedItems();
    options.Map = selected.isEmpty() ? -1 : maps->row(selected.front());
    options.Boolmaxgems = CheckStateNumber(boolmaxgems);
    options.Valmaxgems = StoredText(*valmaxgems->lineEdit());
    options.serverini = StoredText(*serverini);
    options.addparam = StoredText(*addparam);
    return options;
}

void Main::setQuake2Path(const std::string& path) {
    // A path is file-system text, not code-page text.
    quake2dir->setText(QFile::decodeName(QByteArray::fromStdString(path)));
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
