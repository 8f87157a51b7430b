// The main window driven as a user drives it: loading stored settings into it, the deathmatch flags,
// the game-type rules, the value fields and their key filters, the buttons, menus and the close box.

#include "main/Main.h"
#include "mdlmaincode.h"
#include "ui_test_support.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMetaMethod>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <map>
#include <memory>
#include <string>

using trel::Main;
using trel::test::Control;

namespace {

constexpr int kTimeoutMs = 5000;

using Stored = std::map<std::string, std::string>;

// A complete Settings section as a fresh installation would hold it; a test changes only what it needs.
const Stored kDefaults = {
    {"DMflags", "0"},        {"Dedicated", "0"},    {"Boolmaxclients", "0"}, {"Valmaxclients", "0"},
    {"Booltimelimit", "0"},  {"Valtimelimit", "0"}, {"Boolgemgoal", "0"},    {"Valgemgoal", "10"},
    {"MonsterRespawn", "0"}, {"Forcejoin", "0"},    {"Gametype", "-1"},      {"Commandline", "0"},
    {"Map", "-1"},           {"Boolmaxgems", "0"},  {"Valmaxgems", "0"},     {"serverini", ""}};

/// Writes trel.ini into dir with the defaults changed by changes and reads it as the load does.
trel::SettingsLoad ReadStored(const QTemporaryDir& dir, const Stored& changes = {}) {
    Stored values = kDefaults;
    for (const auto& [key, value] : changes)
        values[key] = value;
    const std::string file = dir.filePath(QStringLiteral("trel.ini")).toStdString();
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << "[Quake2exe]\r\nUsed=1\r\nPath=c:\\games\\quake2\\quake2.exe\r\nDir=c:\\games\\quake2\r\n[Settings]\r\n";
    for (const std::string_view key : trel::kSettingsKeys) {
        out << key << "=" << values[std::string(key)] << "\r\n";
    }
    out.close();
    return trel::ReadSettingsForLoad(file);
}

struct Loaded {
    std::unique_ptr<Main> main = std::make_unique<Main>();
    std::optional<trel::LoadError> error;
};

Loaded LoadMain(const Stored& changes = {}) {
    QTemporaryDir dir;
    Loaded loaded;
    loaded.error = loaded.main->LoadSettings(ReadStored(dir, changes));
    return loaded;
}

QCheckBox* FlagBox(const Main& main, int index) {
    return Control<QCheckBox>(&main, QStringLiteral("q2option(%1)").arg(index));
}

void ShowTab(const Main& main, int tab) {
    QTabBar* bar = main.maintab->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
}

// A check box reacts to a click on its indicator, not on the blank beyond its caption.
void ClickBox(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(7, box->height() / 2));
}

// Opens the list with the keyboard (a mouse-opened list ignores an immediate release) and clicks an entry.
void ChooseFromList(QComboBox* combo, int row) {
    QTest::keyClick(combo, Qt::Key_F4);
    QAbstractItemView* view = combo->view();
    QTRY_VERIFY_WITH_TIMEOUT(view->isVisible(), kTimeoutMs);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(row, 0)).center());
    QTRY_VERIFY_WITH_TIMEOUT(!view->isVisible(), kTimeoutMs);
}

QSignalSpy SpyOn(const Main& main, const char* signature) {
    const QMetaObject* meta = main.metaObject();
    return QSignalSpy(&main, meta->method(meta->indexOfSignal(signature)));
}

} // namespace

class TestMain : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { trel::test::PrepareUiTest(); }

    void controlsShowTheirCaptions_data() {
        // clang-format off
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("bold");
        const struct {
            const char* name;
            const char* caption;
            bool bold;
        } rows[] = {{"about", "About...", false},
                    {"Command1", "E&xit", false},
                    {"Command4", "Connect to...", false},
                    {"Command2", "&Run", true},
                    {"Label4", "Quake2 executable:", true},
                    {"findquake2dir", "...", false},
                    {"Label9", "Gametype:", true},
                    {"ShowCommandLine", "View Commandline", false},
                    {"Label1", "Start Map:", false},
                    {"boolgemgoal", "Gem Goal:", false},
                    {"editmapcycle", "Edit Map Cycle", false},
                    {"Label2", "Additional Parameters:", false},
                    {"framedm", "Deathmatch Spawnflags", true},
                    {"lbldmflag", "DM flags value:", false},
                    {"mrespawn", "Monster Respawn", false},
                    {"dedserver", "Dedicated Server", false},
                    {"forcejoin", "Forcejoin", false},
                    {"boolmaxgems", "Max Gems", false},
                    {"boolmaxclients", "Maxclients:", false},
                    {"booltimelimit", "Timelimit:", false},
                    {"Label5", "Editors :", true},
                    {"Command3", "Edit Maplist", false},
                    {"Command5", "Edit MOTD", false},
                    {"Label7", "Write your own Message of the day.", false},
                    {"Label3", "Custom server ini :", false},
                    {"q2option(1)", "No Health", false},
                    {"q2option(256)", "No Friendly Fire", false},
                    {"q2option(16384)", "Quad Drop", false},
                    {"q2option(32767)", "Fixed FOV", false}};
        for (const auto& row : rows)
            QTest::newRow(row.name) << row.name << row.caption << row.bold;
        // clang-format on
    }
    void controlsShowTheirCaptions() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(bool, bold);
        Main main;
        QWidget* control = Control<QWidget>(&main, name);
        QString shown;
        if (auto* button = qobject_cast<QAbstractButton*>(control))
            shown = button->text();
        else if (auto* label = qobject_cast<QLabel*>(control))
            shown = label->text();
        else if (auto* frame = qobject_cast<QGroupBox*>(control))
            shown = frame->title();
        QCOMPARE(shown, caption);
        QCOMPARE(control->font().bold(), bold);
        // The caption is not cut: a check box needs its indicator too, a wrapped label may take two lines.
        const int needed = qobject_cast<QCheckBox*>(control)
                               ? control->sizeHint().width()
                               : control->fontMetrics().horizontalAdvance(QString(caption).remove('&'));
        const auto* label = qobject_cast<QLabel*>(control);
        if (!label || !label->wordWrap())
            QVERIFY2(needed <= control->width(), qPrintable(QString::number(needed)));
    }

    void freshWindowState() {
        Main main;
        QCOMPARE(main.windowTitle(), QStringLiteral("Trel Frontend"));
        QCOMPARE(main.quake2dir->text(), QStringLiteral("c:\\quake2\\quake2.exe"));
        QVERIFY(main.quake2dir->isReadOnly());
        QCOMPARE(main.gametype->currentIndex(), -1);
        QCOMPARE(main.gametypeText(), QStringLiteral("Deathmatch"));
        QCOMPARE(main.gametype->count(), 4);
        QCOMPARE(main.gametype->itemText(2), QStringLiteral("Teamplay w/o monsters"));
        QCOMPARE(main.valgemgoal->currentText(), QStringLiteral("10"));
        QCOMPARE(main.valtimelimit->currentText(), QStringLiteral("0"));
        QCOMPARE(main.valmaxclients->count(), 0);
        QCOMPARE(main.maps->count(), 0);
        QCOMPARE(main.dmflagval->text(), QStringLiteral("0"));
        QVERIFY(!main.boolgemgoal->isEnabled() && !main.valgemgoal->isEnabled() && !main.editmapcycle->isEnabled());
        QVERIFY(main.mrespawn->isEnabled() && main.valmaxgems->isEnabled());
        QCOMPARE(main.maintab->tabText(1), QStringLiteral("Server Options"));
        QCOMPARE(main.maintab->tabText(2), QStringLiteral("Server Admin"));
        QVERIFY(main.currentOptions() == trel::LaunchOptions{});
    }

    void windowIsFixedAndCentred() {
        auto loaded = LoadMain();
        Main& main = *loaded.main;
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QCOMPARE(main.minimumSize(), main.maximumSize());
        QCOMPARE(main.height() - main.menuBar()->height(), 263);
        QCOMPARE(main.centralWidget()->size(), QSize(478, 248));
        QCOMPARE(main.statusbar->height(), 15);
        const QPoint screenCentre = main.screen()->availableGeometry().center();
        QTRY_VERIFY_WITH_TIMEOUT((main.frameGeometry().center() - screenCentre).manhattanLength() < 4, kTimeoutMs);
    }

    void controlsStandWhereTheLayoutPutsThem_data() {
        // clang-format off
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("relativeTo");
        QTest::addColumn<QRect>("place");
        QTest::newRow("maintab") << "maintab" << "client" << QRect(8, 8, 385, 233);
        QTest::newRow("Run") << "Command2" << "client" << QRect(400, 216, 73, 25);
        QTest::newRow("Frame4") << "Frame4" << "maintab" << QRect(8, 32, 209, 129);
        QTest::newRow("maps") << "maps" << "maintab" << QRect(240, 48, 129, 56);
        QTest::newRow("gametype") << "gametype" << "Frame4" << QRect(8, 72, 145, 21);
        QTest::newRow("addparam") << "addparam" << "maintab" << QRect(8, 200, 369, 19);
        QTest::newRow("Fixed FOV") << "q2option(32767)" << "framedm" << QRect(256, 64, 105, 17);
        QTest::newRow("dmflagval") << "dmflagval" << "framedm" << QRect(256, 96, 105, 19);
        // clang-format on
    }
    void controlsStandWhereTheLayoutPutsThem() {
        QFETCH(QString, name);
        QFETCH(QString, relativeTo);
        QFETCH(QRect, place);
        auto loaded = LoadMain();
        QVERIFY(QTest::qWaitForWindowExposed(loaded.main.get()));
        const QWidget* control = Control<QWidget>(loaded.main.get(), name);
        const QWidget* reference = Control<QWidget>(loaded.main.get(), relativeTo);
        QCOMPARE(QRect(control->mapTo(reference, QPoint(0, 0)), control->size()), place);
    }

    void menusCarryShortcuts_data() {
        // clang-format off
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QKeySequence>("shortcut");
        QTest::newRow("mnumaplist") << "mnufile" << "mnumaplist" << "Maplist Editor" << QKeySequence("Ctrl+E");
        QTest::newRow("mnudir") << "mnufile" << "mnudir" << "Set Quake2 Directory" << QKeySequence("Ctrl+D");
        QTest::newRow("mnuexit") << "mnufile" << "mnuexit" << "E&xit" << QKeySequence("Ctrl+X");
        QTest::newRow("mnuaddress") << "mnuconnect" << "mnuaddress" << "Server Address Book" << QKeySequence("Ctrl+A");
        QTest::newRow("mnumanual") << "mnuhelp" << "mnumanual" << "&Manual" << QKeySequence("Ctrl+M");
        QTest::newRow("mnutodo") << "mnuhelp" << "mnutodo" << "Todo List" << QKeySequence();
        QTest::newRow("mnuabout") << "mnuhelp" << "mnuabout" << "About" << QKeySequence();
        // clang-format on
    }
    void menusCarryShortcuts() {
        QFETCH(QString, menu);
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QKeySequence, shortcut);
        Main main;
        auto* item = Control<QAction>(&main, name);
        QVERIFY(Control<QMenu>(&main, menu)->actions().contains(item));
        QCOMPARE(item->text(), caption);
        QCOMPARE(item->shortcut(), shortcut);
    }

    void loadingTwiceKeepsTheLists() {
        QTemporaryDir dir;
        Main main;
        const trel::SettingsLoad load = ReadStored(dir, {{"Valtimelimit", "7"}, {"Map", "4"}});
        QVERIFY(!main.LoadSettings(load));
        QVERIFY(!main.LoadSettings(load));
        QCOMPARE(main.windowTitle(), QStringLiteral("Trel - v0.48b"));
        QCOMPARE(main.quake2dir->text(), QStringLiteral("c:\\games\\quake2\\quake2.exe"));
        for (const QComboBox* field : {main.valtimelimit, main.valmaxclients, main.valgemgoal, main.valmaxgems}) {
            QCOMPARE(field->count(), 120);
            QCOMPARE(field->itemText(0), QStringLiteral("1"));
            QCOMPARE(field->itemText(119), QStringLiteral("120"));
        }
        QCOMPARE(main.valtimelimit->currentText(), QStringLiteral("7"));
        QCOMPARE(main.valgemgoal->currentText(), QStringLiteral("10"));
        QCOMPARE(main.maps->count(), 5);
        QCOMPARE(main.maps->item(4)->text(), QStringLiteral("vorn_sp01"));
        QCOMPARE(main.currentOptions().Map, 4);
    }

    void storedFlagsTickTheirBoxes_data() {
        // clang-format off
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QList<int>>("ticked");
        QTest::newRow("5") << "5" << QList<int>{4, 1};
        QTest::newRow("0") << "0" << QList<int>{};
        QTest::newRow("negative") << "-3" << QList<int>{};
        QTest::newRow("49152") << "49152" << QList<int>{32767, 16384};
        QTest::newRow("65536") << "65536" << QList<int>{32767};
        QTest::newRow("65537") << "65537" << QList<int>{32767, 1};
        // clang-format on
    }
    void storedFlagsTickTheirBoxes() {
        QFETCH(QString, stored);
        QFETCH(QList<int>, ticked);
        auto loaded = LoadMain({{"DMflags", stored.toStdString()}});
        QVERIFY(!loaded.error);
        for (QCheckBox* box : loaded.main->q2option) {
            const int index = box->objectName().mid(9).chopped(1).toInt();
            QVERIFY2(box->isChecked() == ticked.contains(index), qPrintable(box->objectName()));
        }
        QCOMPARE(loaded.main->dmflagval->text(), stored);
        QCOMPARE(loaded.main->dmflagsTotal(), stored.toInt());
    }

    void clickingFlagsAddsAndSubtracts_data() {
        // clang-format off
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("fixed fov adds 32768") << QList<int>{32767} << "0" << "32768";
        QTest::newRow("fixed fov on and off") << QList<int>{32767, 32767} << "0" << "0";
        QTest::newRow("1+2+4") << QList<int>{1, 2, 4} << "0" << "7";
        QTest::newRow("1+2+4-2") << QList<int>{1, 2, 4, 2} << "0" << "5";
        QTest::newRow("65537 without fixed fov") << QList<int>{32767} << "65537" << "32769";
        // clang-format on
    }
    void clickingFlagsAddsAndSubtracts() {
        QFETCH(QList<int>, clicks);
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        auto loaded = LoadMain({{"DMflags", stored.toStdString()}});
        ShowTab(*loaded.main, 1);
        QSignalSpy changed(loaded.main.get(), &Main::optionsChanged);
        for (const int index : clicks)
            ClickBox(FlagBox(*loaded.main, index));
        QCOMPARE(loaded.main->dmflagval->text(), shown);
        QCOMPARE(loaded.main->currentOptions().DMflags, shown.toInt());
        QCOMPARE(changed.count(), clicks.size());
    }

    void typedFlagsValueChangesNothingElse() {
        auto loaded = LoadMain({{"DMflags", "5"}});
        Main& main = *loaded.main;
        ShowTab(main, 1);
        QTest::keyClick(main.dmflagval, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(main.dmflagval, "12");
        QCOMPARE(main.dmflagval->text(), QStringLiteral("12"));
        QCOMPARE(main.dmflagText(), std::string("12"));
        QCOMPARE(main.currentOptions().DMflags, 5);
        QVERIFY(FlagBox(main, 4)->isChecked() && FlagBox(main, 1)->isChecked() && !FlagBox(main, 8)->isChecked());
    }

    void gameTypeRules_data() {
        // clang-format off
        QTest::addColumn<QString>("storedType");
        QTest::addColumn<QString>("storedGemGoal");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<bool>("serverTabs");
        QTest::addColumn<bool>("gemGoalEnabled");
        QTest::addColumn<bool>("gemGoalTicked");
        QTest::addColumn<bool>("respawnEnabled");
        QTest::addColumn<bool>("respawnTicked");
        // Monster Respawn is ticked by hand before each choice (when the stored type leaves it enabled).
        QTest::newRow("single player") << "-1" << "0" << 0 << false << true << false << false << false;
        QTest::newRow("with monsters keeps respawn") << "-1" << "0" << 1 << true << false << false << true << true;
        QTest::newRow("w/o monsters clears respawn") << "-1" << "0" << 2 << true << false << false << false << false;
        QTest::newRow("deathmatch after single player") << "0" << "1" << 3 << true << false << false << false << false;
        QTest::newRow("with monsters after w/o") << "2" << "0" << 1 << true << false << false << true << false;
        // clang-format on
    }
    void gameTypeRules() {
        QFETCH(QString, storedType);
        QFETCH(QString, storedGemGoal);
        QFETCH(int, chosen);
        QFETCH(bool, serverTabs);
        QFETCH(bool, gemGoalEnabled);
        QFETCH(bool, gemGoalTicked);
        QFETCH(bool, respawnEnabled);
        QFETCH(bool, respawnTicked);
        auto loaded = LoadMain({{"Gametype", storedType.toStdString()}, {"Boolgemgoal", storedGemGoal.toStdString()}});
        Main& main = *loaded.main;
        QCOMPARE(main.boolgemgoal->isChecked(), storedGemGoal == "1");
        if (main.mrespawn->isEnabled() && main.maintab->isTabEnabled(1)) {
            ShowTab(main, 1);
            ClickBox(main.mrespawn);
            QVERIFY(main.mrespawn->isChecked());
        }
        ShowTab(main, 0);
        QSignalSpy changed(&main, &Main::optionsChanged);
        ChooseFromList(main.gametype, chosen);
        QCOMPARE(main.gametype->currentIndex(), chosen);
        QVERIFY(!changed.isEmpty());
        QCOMPARE(main.maintab->isTabEnabled(1), serverTabs);
        QCOMPARE(main.maintab->isTabEnabled(2), serverTabs);
        QCOMPARE(main.boolgemgoal->isEnabled(), gemGoalEnabled);
        QCOMPARE(main.valgemgoal->isEnabled(), gemGoalEnabled);
        QCOMPARE(main.editmapcycle->isEnabled(), gemGoalEnabled);
        QCOMPARE(main.boolgemgoal->isChecked(), gemGoalTicked);
        QCOMPARE(main.mrespawn->isEnabled(), respawnEnabled);
        QCOMPARE(main.mrespawn->isChecked(), respawnTicked);
        ShowTab(main, 2);
        QCOMPARE(main.maintab->currentIndex(), serverTabs ? 2 : 0);
    }

    void singlePlayerSetByProgramBringsGeneralForward() {
        auto loaded = LoadMain();
        ShowTab(*loaded.main, 1);
        QCOMPARE(loaded.main->maintab->currentIndex(), 1);
        loaded.main->gametype->setCurrentIndex(0); // as the quick-start wizard sets it
        QCOMPARE(loaded.main->maintab->currentIndex(), 0);
        QVERIFY(!loaded.main->maintab->isTabEnabled(1));
    }

    void mapCycleNeedsItsWindowAndSinglePlayer() {
        auto loaded = LoadMain({{"Gametype", "0"}});
        Main& main = *loaded.main;
        QVERIFY(main.editmapcycle->isEnabled());
        main.setFeatureAvailable(Main::Feature::MapCycle, false);
        QVERIFY(!main.editmapcycle->isEnabled());
        ChooseFromList(main.gametype, 3);
        main.setFeatureAvailable(Main::Feature::MapCycle, true);
        QVERIFY(!main.editmapcycle->isEnabled());
        ChooseFromList(main.gametype, 0);
        QVERIFY(main.editmapcycle->isEnabled());
    }

    void storedGameTypeHasTheLastWord_data() {
        // clang-format off
        QTest::addColumn<QString>("gametype");
        QTest::addColumn<bool>("gemGoal");
        QTest::addColumn<bool>("respawn");
        QTest::newRow("deathmatch") << "3" << false << false;
        QTest::newRow("single player") << "0" << true << false;
        QTest::newRow("with monsters") << "1" << false << true;
        QTest::newRow("none chosen") << "-1" << true << true;
        // clang-format on
    }
    void storedGameTypeHasTheLastWord() {
        QFETCH(QString, gametype);
        QFETCH(bool, gemGoal);
        QFETCH(bool, respawn);
        auto loaded = LoadMain({{"Gametype", gametype.toStdString()}, {"Boolgemgoal", "1"}, {"MonsterRespawn", "1"}});
        QCOMPARE(loaded.main->boolgemgoal->isChecked(), gemGoal);
        QCOMPARE(loaded.main->valgemgoal->isEnabled(), gemGoal);
        QCOMPARE(loaded.main->mrespawn->isChecked(), respawn);
        QCOMPARE(loaded.main->gametypeText(),
                 gametype == "-1" ? QStringLiteral("Deathmatch") : loaded.main->gametype->itemText(gametype.toInt()));
    }

    void valueFieldFollowsItsBox_data() {
        // clang-format off
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("tab");
        QTest::newRow("gem goal") << "boolgemgoal" << "valgemgoal" << 0;
        QTest::newRow("max clients") << "boolmaxclients" << "valmaxclients" << 1;
        QTest::newRow("max gems") << "boolmaxgems" << "valmaxgems" << 1;
        QTest::newRow("time limit") << "booltimelimit" << "valtimelimit" << 1;
        // clang-format on
    }
    void valueFieldFollowsItsBox() {
        QFETCH(QString, box);
        QFETCH(QString, field);
        QFETCH(int, tab);
        // Single player enables the gem goal; the others are on a server tab, so use a multiplayer type.
        auto loaded = LoadMain({{"Gametype", tab == 0 ? "0" : "3"}, {"Valmaxgems", "9"}});
        ShowTab(*loaded.main, tab);
        auto* check = Control<QCheckBox>(loaded.main.get(), box);
        auto* value = Control<QComboBox>(loaded.main.get(), field);
        QVERIFY(value->isEnabled()); // unticked, yet usable until the box is clicked
        const QString text = value->currentText();
        ClickBox(check);
        QVERIFY(check->isChecked() && value->isEnabled());
        ClickBox(check);
        QVERIFY(!check->isChecked() && !value->isEnabled());
        QCOMPARE(value->currentText(), text);
    }

    void valueFieldsTakeDigitsOnly_data() {
        // clang-format off
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("typeIntoList"); // keys reach the box itself rather than its text part
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letters dropped") << "valgemgoal" << false << "1a2" << "12";
        QTest::newRow("minus dropped") << "valmaxclients" << false << "-5" << "5";
        QTest::newRow("blank and point dropped") << "valtimelimit" << false << " 3.5" << "35";
        QTest::newRow("typed at the box") << "valmaxgems" << true << "4x2" << "42";
        // clang-format on
    }
    void valueFieldsTakeDigitsOnly() {
        QFETCH(QString, field);
        QFETCH(bool, typeIntoList);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        auto loaded = LoadMain({{"Gametype", field == "valgemgoal" ? "0" : "3"}});
        ShowTab(*loaded.main, field == "valgemgoal" ? 0 : 1);
        auto* value = Control<QComboBox>(loaded.main.get(), field);
        QTest::keyClick(value->lineEdit(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(typeIntoList ? static_cast<QWidget*>(value) : value->lineEdit(), typed);
        QCOMPARE(value->currentText(), shown);
    }

    void valueFieldKeysWithoutCharacterPass() {
        auto loaded = LoadMain();
        ShowTab(*loaded.main, 1);
        QLineEdit* edit = loaded.main->valmaxclients->lineEdit();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edit, "123");
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QStringLiteral("12"));
        QTest::keyClick(edit, Qt::Key_Home);
        QTest::keyClick(edit, Qt::Key_Delete);
        QCOMPARE(edit->text(), QStringLiteral("2"));
        QGuiApplication::clipboard()->setText(QStringLiteral("-x"));
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(edit->text(), QStringLiteral("-x2"));
        QCOMPARE(loaded.main->valmaxclients->count(), 120);
    }

    void typingIntoGametypeChangesNothing() {
        auto loaded = LoadMain();
        Main& main = *loaded.main;
        QSignalSpy changed(&main, &Main::optionsChanged);
        QTest::keyClicks(main.gametype, "Single");
        QTest::keyClick(main.gametype, Qt::Key_Return);
        QTest::keyClick(main.gametype, Qt::Key_Backspace);
        QCOMPARE(main.gametype->currentIndex(), -1);
        QCOMPARE(main.gametypeText(), QStringLiteral("Deathmatch"));
        QCOMPARE(changed.count(), 0);
        QTest::keyClick(main.gametype, Qt::Key_Down); // an arrow chooses, as in any drop-down list
        QCOMPARE(main.gametypeText(), QStringLiteral("Single Player"));
        QVERIFY(!main.maintab->isTabEnabled(1));
    }

    void optionsChangedOnlyOnChange_data() {
        // clang-format off
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariant>("same");
        QTest::addColumn<QVariant>("other");
        QTest::newRow("dedserver") << "dedserver" << QVariant(false) << QVariant(true);
        QTest::newRow("forcejoin") << "forcejoin" << QVariant(false) << QVariant(true);
        QTest::newRow("mrespawn") << "mrespawn" << QVariant(false) << QVariant(true);
        QTest::newRow("boolmaxclients") << "boolmaxclients" << QVariant(false) << QVariant(true);
        QTest::newRow("boolmaxgems") << "boolmaxgems" << QVariant(false) << QVariant(true);
        QTest::newRow("booltimelimit") << "booltimelimit" << QVariant(false) << QVariant(true);
        QTest::newRow("q2option(8)") << "q2option(8)" << QVariant(false) << QVariant(true);
        QTest::newRow("valmaxgems") << "valmaxgems" << QVariant("0") << QVariant("5");
        QTest::newRow("valgemgoal") << "valgemgoal" << QVariant("10") << QVariant("15");
        QTest::newRow("addparam") << "addparam" << QVariant("") << QVariant("+set cheats 1");
        QTest::newRow("serverini") << "serverini" << QVariant("") << QVariant("my.ini");
        QTest::newRow("gametype") << "gametype" << QVariant(-1) << QVariant(3);
        QTest::newRow("maps") << "maps" << QVariant(-1) << QVariant(2);
        // clang-format on
    }
    void optionsChangedOnlyOnChange() {
        QFETCH(QString, name);
        QFETCH(QVariant, same);
        QFETCH(QVariant, other);
        auto loaded = LoadMain();
        QObject* control = Control<QObject>(loaded.main.get(), name);
        const auto set = [control](const QVariant& value) {
            if (auto* box = qobject_cast<QCheckBox*>(control))
                box->setChecked(value.toBool());
            else if (auto* edit = qobject_cast<QLineEdit*>(control))
                edit->setText(value.toString());
            else if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->isEditable())
                combo->setEditText(value.toString());
            else if (combo)
                combo->setCurrentIndex(value.toInt());
            else if (auto* list = qobject_cast<QListWidget*>(control))
                list->setCurrentRow(value.toInt());
        };
        QSignalSpy changed(loaded.main.get(), &Main::optionsChanged);
        set(same);
        QCOMPARE(changed.count(), 0);
        set(other);
        QCOMPARE(changed.count(), 1);
        set(other);
        QCOMPARE(changed.count(), 1);
    }

    void storedOptionsReachTheControls() {
        auto loaded = LoadMain({{"DMflags", "5"},
                                {"Dedicated", "1"},
                                {"Boolmaxclients", "1"},
                                {"Valmaxclients", "16"},
                                {"Booltimelimit", "2"},
                                {"Valtimelimit", "20"},
                                {"Valgemgoal", "x1"},
                                {"MonsterRespawn", "1"},
                                {"Forcejoin", "1"},
                                {"Gametype", "1"},
                                {"Map", "4"},
                                {"Boolmaxgems", "1"},
                                {"Valmaxgems", "5"},
                                {"serverini", "caf\xe9.ini"}});
        QVERIFY(!loaded.error);
        trel::LaunchOptions expected;
        expected.DMflags = 5;
        expected.Dedicated = 1;
        expected.Boolmaxclients = 1;
        expected.Valmaxclients = "16";
        expected.Booltimelimit = 2;
        expected.Valtimelimit = "20";
        expected.Valgemgoal = "x1";
        expected.MonsterRespawn = 1;
        expected.Forcejoin = 1;
        expected.Gametype = 1;
        expected.Map = 4;
        expected.Boolmaxgems = 1;
        expected.Valmaxgems = "5";
        expected.serverini = "caf\xe9.ini";
        QVERIFY(loaded.main->currentOptions() == expected);
        QCOMPARE(loaded.main->booltimelimit->checkState(), Qt::PartiallyChecked);
        QCOMPARE(loaded.main->serverini->text(), QStringLiteral("caf\u00e9.ini"));
    }

    void commandLineStoredTickedOpensViewer() {
        QTemporaryDir dir;
        Main main;
        QSignalSpy toggled(&main, &Main::commandLineToggled);
        QVERIFY(!main.LoadSettings(ReadStored(dir, {{"Commandline", "1"}})));
        QCOMPARE(toggled.count(), 1);
        QCOMPARE(toggled.at(0).at(0).toBool(), true);
        ClickBox(main.ShowCommandLine);
        QCOMPARE(toggled.count(), 2);
        QCOMPARE(toggled.at(1).at(0).toBool(), false);
    }

    void loadStopsAtTheFailingKey() {
        auto loaded = LoadMain({{"Dedicated", "1"}, {"Gametype", "7"}, {"Map", "2"}, {"serverini", "late.ini"}});
        QVERIFY(loaded.error);
        QCOMPARE(loaded.error->number, trel::kErrorOutOfRange);
        QVERIFY(loaded.main->isVisible());
        QVERIFY(loaded.main->dedserver->isChecked());
        QCOMPARE(loaded.main->gametype->currentIndex(), -1);
        QCOMPARE(loaded.main->currentOptions().Map, -1);
        QCOMPARE(loaded.main->serverini->text(), QString());
    }

    void badFlagsStopBeforeTheLists() {
        auto loaded = LoadMain({{"DMflags", "abc"}, {"Dedicated", "1"}});
        QVERIFY(loaded.error);
        QCOMPARE(loaded.error->number, trel::kErrorNotANumber);
        QCOMPARE(loaded.main->windowTitle(), QStringLiteral("Trel - v0.48b"));
        QCOMPARE(loaded.main->quake2dir->text(), QStringLiteral("c:\\games\\quake2\\quake2.exe"));
        QVERIFY(!loaded.main->isVisible());
        QCOMPARE(loaded.main->valtimelimit->count(), 0);
        QVERIFY(!loaded.main->dedserver->isChecked());
    }

    void closeBoxAsksTheApplication() {
        auto loaded = LoadMain();
        Main& main = *loaded.main;
        QSignalSpy exit(&main, &Main::exitRequested);
        QVERIFY(!main.close());
        QCOMPARE(exit.count(), 1);
        QVERIFY(main.isVisible());
        QTest::mouseClick(main.Command1, Qt::LeftButton);
        QCOMPARE(exit.count(), 2);
        QVERIFY(main.isVisible());
        main.setCloseHandled(true);
        QVERIFY(main.close());
        QVERIFY(!main.isVisible());
        QCOMPARE(exit.count(), 2);
    }

    void buttonsAndMenusAsk_data() {
        // clang-format off
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("signal");
        QTest::addColumn<QVariant>("argument");
        QTest::newRow("Run") << "Command2" << QByteArray("runRequested()") << QVariant();
        QTest::newRow("...") << "findquake2dir" << QByteArray("locatorRequested()") << QVariant();
        QTest::newRow("mnudir") << "mnudir" << QByteArray("locatorRequested()") << QVariant();
        QTest::newRow("mnuexit") << "mnuexit" << QByteArray("exitRequested()") << QVariant();
        QTest::newRow("Edit Maplist") << "Command3" << QByteArray("mapEditorRequested(bool)") << QVariant(false);
        QTest::newRow("mnumaplist") << "mnumaplist" << QByteArray("mapEditorRequested(bool)") << QVariant(true);
        QTest::newRow("Edit MOTD") << "Command5" << QByteArray("motdRequested()") << QVariant();
        QTest::newRow("Connect to") << "Command4" << QByteArray("addressBookRequested()") << QVariant();
        QTest::newRow("mnuaddress") << "mnuaddress" << QByteArray("addressBookRequested()") << QVariant();
        QTest::newRow("About...") << "about" << QByteArray("aboutRequested()") << QVariant();
        QTest::newRow("mnuabout") << "mnuabout" << QByteArray("aboutRequested()") << QVariant();
        QTest::newRow("mnumanual") << "mnumanual" << QByteArray("manualRequested()") << QVariant();
        QTest::newRow("mnutodo") << "mnutodo" << QByteArray("todoRequested()") << QVariant();
        // clang-format on
    }
    void buttonsAndMenusAsk() {
        QFETCH(QString, name);
        QFETCH(QByteArray, signal);
        QFETCH(QVariant, argument);
        auto loaded = LoadMain();
        Main& main = *loaded.main;
        QSignalSpy asked = SpyOn(main, signal.constData());
        QVERIFY(asked.isValid());
        if (auto* button = main.findChild<QPushButton*>(name)) {
            ShowTab(main, name == "Command3" || name == "Command5" ? 2 : 0);
            QTest::mouseClick(button, Qt::LeftButton);
        } else {
            Control<QAction>(&main, name)->trigger();
        }
        QCOMPARE(asked.count(), 1);
        if (argument.isValid())
            QCOMPARE(asked.at(0).at(0), argument);
    }

    void missingWindowsSwitchTheirControlsOff_data() {
        // clang-format off
        QTest::addColumn<int>("feature");
        QTest::addColumn<QStringList>("controls");
        QTest::newRow("map editor") << int(Main::Feature::MapEditor) << QStringList{"Command3", "mnumaplist"};
        QTest::newRow("motd") << int(Main::Feature::Motd) << QStringList{"Command5"};
        QTest::newRow("address book") << int(Main::Feature::AddressBook) << QStringList{"Command4", "mnuaddress"};
        QTest::newRow("about") << int(Main::Feature::About) << QStringList{"about", "mnuabout"};
        QTest::newRow("manual") << int(Main::Feature::Manual) << QStringList{"mnumanual"};
        QTest::newRow("todo") << int(Main::Feature::Todo) << QStringList{"mnutodo"};
        // clang-format on
    }
    void missingWindowsSwitchTheirControlsOff() {
        QFETCH(int, feature);
        QFETCH(QStringList, controls);
        Main main;
        const auto enabled = [&main](const QString& name) {
            if (auto* action = main.findChild<QAction*>(name))
                return action->isEnabled();
            return Control<QWidget>(&main, name)->isEnabled();
        };
        for (const QString& name : controls)
            QVERIFY(enabled(name));
        main.setFeatureAvailable(static_cast<Main::Feature>(feature), false);
        for (const QString& name : controls)
            QVERIFY2(!enabled(name), qPrintable(name));
        main.setFeatureAvailable(static_cast<Main::Feature>(feature), true);
        for (const QString& name : controls)
            QVERIFY(enabled(name));
    }

    void helpLineHoldsItsText() {
        Main main;
        QCOMPARE(main.helpText(), QString());
        main.setHelpText(QStringLiteral("Exit Program"));
        QCOMPARE(Control<QLabel>(main.statusbar, QStringLiteral("helpline"))->text(), QStringLiteral("Exit Program"));
        QCOMPARE(main.helpText(), QStringLiteral("Exit Program"));
    }
};

QTEST_MAIN(TestMain)
#include "test_main.moc"
