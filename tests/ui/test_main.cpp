// The main window driven as a user drives it: loading stored settings into it, the deathmatch flags,
// the game-type rules, the value fields and their key filters, the buttons, menus and the close box.

#include "main/Main.h"
#include "mdlmaincode.h"
#include "ui_test_support.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <map>
#include <memory>
#include <string>

using trel::Main;
using trel::test::ChooseFromList;
using trel::test::ClickBox;
using trel::test::Control;

namespace {

constexpr int kTimeoutMs = 5000;

using Stored = std::map<std::string, std::string>;

/// Writes trel.ini into dir, a fresh installation's settings changed by changes, and reads it as the load does.
trel::SettingsLoad ReadStored(const QTemporaryDir& dir, const Stored& changes = {}) {
    Stored values = {{"DMflags", "0"},        {"Dedicated", "0"},    {"Boolmaxclients", "0"}, {"Valmaxclients", "0"},
                     {"Booltimelimit", "0"},  {"Valtimelimit", "0"}, {"Boolgemgoal", "0"},    {"Valgemgoal", "10"},
                     {"MonsterRespawn", "0"}, {"Forcejoin", "0"},    {"Gametype", "-1"},      {"Commandline", "0"},
                     {"Map", "-1"},           {"Boolmaxgems", "0"},  {"Valmaxgems", "0"},     {"serverini", ""}};
    for (const auto& [key, value] : changes)
        values[key] = value;
    const std::string file = dir.filePath(QStringLiteral("trel.ini")).toStdString();
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << "[Quake2exe]\r\nUsed=1\r\nPath=c:\\games\\quake2\\quake2.exe\r\nDir=c:\\games\\quake2\r\n[Settings]\r\n";
    for (const std::string_view key : trel::kSettingsKeys)
        out << key << "=" << values[std::string(key)] << "\r\n";
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

void ShowTab(const Main& main, int tab) {
    QTabBar* bar = main.maintab->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
}

// Each table row is one struct in the column "row", named by its first member.
template <typename Row> void AddRows(std::initializer_list<Row> rows) {
    QTest::addColumn<Row>("row");
    for (const Row& row : rows)
        QTest::newRow(row.name) << row;
}

struct FlagsRow {
    const char* name;
    QString stored;
    QList<int> ticked; // the boxes the stored number ticks
    QList<int> clicks; // then clicked in turn
    QString shown;     // the value after the clicks
};
struct GameTypeRow {
    const char* name;
    QString storedType, storedGemGoal;
    int chosen;
    bool serverTabs, gemGoalEnabled, gemGoalTicked, respawnEnabled, respawnTicked;
};
struct ValueFieldRow {
    const char* name;
    QString box, field;
    int tab;
    bool typeIntoList; // keys reach the box itself rather than its text part
    QString typed, shown;
};
struct AskRow {
    const char* name;
    QKeySequence shortcut;
    QByteArray signal;
    QVariant argument;
};

} // namespace

Q_DECLARE_METATYPE(FlagsRow)
Q_DECLARE_METATYPE(GameTypeRow)
Q_DECLARE_METATYPE(ValueFieldRow)
Q_DECLARE_METATYPE(AskRow)

class TestMain : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { trel::test::PrepareUiTest(); }

    void freshWindowIsFixedAndCentred() {
        Main main;
        QCOMPARE(main.windowTitle(), QStringLiteral("Trel Frontend"));
        QCOMPARE(main.gametypeText(), QStringLiteral("Deathmatch"));
        QVERIFY(main.currentOptions() == trel::LaunchOptions{});
        const std::pair<const char*, const char*> captions[] = {{"Label4", "Quake2 executable:"},
                                                                {"framedm", "Deathmatch Spawnflags"},
                                                                {"dedserver", "Dedicated Server"},
                                                                {"q2option(1)", "No Health"},
                                                                {"q2option(32767)", "Fixed FOV"}};
        for (const auto& [name, caption] : captions) {
            QWidget* control = Control<QWidget>(&main, QString::fromLatin1(name));
            QCOMPARE(control->property(qobject_cast<QGroupBox*>(control) ? "title" : "text").toString(), caption);
        }
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QCOMPARE(main.minimumSize(), main.maximumSize());
        const QPoint screenCentre = main.screen()->availableGeometry().center();
        QTRY_VERIFY_WITH_TIMEOUT((main.frameGeometry().center() - screenCentre).manhattanLength() < 4, kTimeoutMs);
    }

    void storedSettingsLoadedTwiceReachTheControlsAndComeBack() {
        // clang-format off
        const Stored stored = {{"DMflags", "5"}, {"Dedicated", "1"}, {"Boolmaxclients", "1"}, {"Valmaxclients", "16"},
                               {"Booltimelimit", "2"}, {"Valtimelimit", "20"}, {"Boolgemgoal", "0"},
                               {"Valgemgoal", "x1"}, {"MonsterRespawn", "1"}, {"Forcejoin", "1"}, {"Gametype", "1"},
                               {"Commandline", "0"}, {"Map", "4"}, {"Boolmaxgems", "1"}, {"Valmaxgems", "5"},
                               {"serverini", "caf\xe9.ini"}};
        // clang-format on
        QTemporaryDir dir;
        Main main;
        const trel::SettingsLoad load = ReadStored(dir, stored);
        QVERIFY(!main.LoadSettings(load));
        QVERIFY(!main.LoadSettings(load)); // the lists are not filled twice
        QCOMPARE(main.windowTitle(), QStringLiteral("Trel - v0.48b"));
        QCOMPARE(main.quake2dir->text(), QStringLiteral("c:\\games\\quake2\\quake2.exe"));
        for (const QComboBox* field : {main.valtimelimit, main.valmaxclients, main.valgemgoal, main.valmaxgems}) {
            QCOMPARE(field->count(), 120);
            QCOMPARE(field->itemText(119), QStringLiteral("120"));
        }
        QCOMPARE(main.maps->count(), 5);
        QVERIFY(main.dedserver->isChecked() && main.forcejoin->isChecked() && main.mrespawn->isChecked());
        QCOMPARE(main.booltimelimit->checkState(), Qt::PartiallyChecked);
        QCOMPARE(main.valmaxclients->currentText(), QStringLiteral("16"));
        QCOMPARE(main.gametype->currentIndex(), 1);
        QCOMPARE(main.serverini->text(), QStringLiteral("caf\u00e9.ini"));
        // Saved again, every value is what was stored.
        for (const auto& [key, value] : trel::SettingsToSave(main.currentOptions(), main.dmflagText())) {
            QCOMPARE(QByteArray::fromStdString(key + "=" + value),
                     QByteArray::fromStdString(key + "=" + stored.at(key)));
        }
    }

    void flagsFromStoreAndClicks_data() {
        AddRows<FlagsRow>({{"stored 5", "5", {4, 1}, {}, "5"},
                           {"stored negative", "-3", {}, {}, "-3"},
                           {"stored 49152 less Quad Drop", "49152", {32767, 16384}, {16384}, "32768"},
                           {"stored 65537 less Fixed FOV", "65537", {32767, 1}, {32767}, "32769"},
                           {"Fixed FOV on and off", "0", {}, {32767, 32767}, "0"},
                           {"1+2+4-2", "0", {}, {1, 2, 4, 2}, "5"}});
    }
    void flagsFromStoreAndClicks() {
        QFETCH(FlagsRow, row);
        auto loaded = LoadMain({{"DMflags", row.stored.toStdString()}});
        Main& main = *loaded.main;
        QVERIFY(!loaded.error);
        for (QCheckBox* box : main.q2option) {
            const int index = box->objectName().mid(9).chopped(1).toInt();
            QVERIFY2(box->isChecked() == row.ticked.contains(index), qPrintable(box->objectName()));
        }
        QCOMPARE(main.dmflagsTotal(), row.stored.toInt());
        ShowTab(main, 1);
        QSignalSpy changed(&main, &Main::optionsChanged);
        for (const int index : row.clicks)
            ClickBox(Control<QCheckBox>(&main, QStringLiteral("q2option(%1)").arg(index)));
        QCOMPARE(main.dmflagval->text(), row.shown);
        QCOMPARE(main.currentOptions().DMflags, row.shown.toInt());
        QCOMPARE(changed.count(), row.clicks.size());
    }

    void typedFlagsValueChangesNothingElse() {
        auto loaded = LoadMain({{"DMflags", "5"}});
        Main& main = *loaded.main;
        ShowTab(main, 1);
        main.dmflagval->selectAll(); // Ctrl+A belongs to the menu
        QTest::keyClicks(main.dmflagval, "12");
        QCOMPARE(main.dmflagText(), std::string("12"));
        QCOMPARE(main.currentOptions().DMflags, 5);
        QVERIFY(main.q2option[0]->isChecked() && !main.q2option[1]->isChecked() && main.q2option[2]->isChecked());
    }

    void gameTypeRules_data() {
        // Monster Respawn is ticked by hand before each choice (when the stored type leaves it enabled).
        // name, stored type, stored gem goal, chosen: server tabs, gem goal enabled, ticked, respawn enabled, ticked
        AddRows<GameTypeRow>({{"single player", "-1", "0", 0, false, true, false, false, false},
                              {"with monsters keeps respawn", "-1", "0", 1, true, false, false, true, true},
                              {"w/o monsters clears respawn", "-1", "0", 2, true, false, false, false, false},
                              {"deathmatch after single player", "0", "1", 3, true, false, false, false, false},
                              {"with monsters after w/o", "2", "0", 1, true, false, false, true, false}});
    }
    void gameTypeRules() {
        QFETCH(GameTypeRow, row);
        auto loaded =
            LoadMain({{"Gametype", row.storedType.toStdString()}, {"Boolgemgoal", row.storedGemGoal.toStdString()}});
        Main& main = *loaded.main;
        if (main.mrespawn->isEnabled() && main.maintab->isTabEnabled(1)) {
            ShowTab(main, 1);
            ClickBox(main.mrespawn);
            QVERIFY(main.mrespawn->isChecked());
        }
        ShowTab(main, 0);
        QSignalSpy changed(&main, &Main::optionsChanged);
        ChooseFromList(main.gametype, row.chosen);
        QCOMPARE(main.gametype->currentIndex(), row.chosen);
        QVERIFY(!changed.isEmpty());
        QCOMPARE(main.maintab->isTabEnabled(1), row.serverTabs);
        QCOMPARE(main.maintab->isTabEnabled(2), row.serverTabs);
        QCOMPARE(main.boolgemgoal->isEnabled(), row.gemGoalEnabled);
        QCOMPARE(main.valgemgoal->isEnabled(), row.gemGoalEnabled);
        QCOMPARE(main.editmapcycle->isEnabled(), row.gemGoalEnabled);
        QCOMPARE(main.boolgemgoal->isChecked(), row.gemGoalTicked);
        QCOMPARE(main.mrespawn->isEnabled(), row.respawnEnabled);
        QCOMPARE(main.mrespawn->isChecked(), row.respawnTicked);
        ShowTab(main, 2);
        QCOMPARE(main.maintab->currentIndex(), row.serverTabs ? 2 : 0);
    }

    void storedGameTypeHasTheLastWord_data() {
        QTest::addColumn<QString>("gametype");
        QTest::addColumn<bool>("gemGoal");
        QTest::addColumn<bool>("respawn");
        QTest::newRow("deathmatch") << "3" << false << false;
        QTest::newRow("single player") << "0" << true << false;
        QTest::newRow("with monsters") << "1" << false << true;
        QTest::newRow("none chosen") << "-1" << true << true;
    }
    void storedGameTypeHasTheLastWord() {
        QFETCH(QString, gametype);
        QFETCH(bool, gemGoal);
        QFETCH(bool, respawn);
        auto loaded = LoadMain({{"Gametype", gametype.toStdString()}, {"Boolgemgoal", "1"}, {"MonsterRespawn", "1"}});
        QCOMPARE(loaded.main->boolgemgoal->isChecked(), gemGoal);
        QCOMPARE(loaded.main->valgemgoal->isEnabled(), gemGoal);
        QCOMPARE(loaded.main->mrespawn->isChecked(), respawn);
    }

    void valueFieldTakesDigitsAndFollowsItsBox_data() {
        // The typed values are not in the list, so that Enter would show if it added an entry.
        AddRows<ValueFieldRow>(
            {{"gem goal, letters dropped", "boolgemgoal", "valgemgoal", 0, false, "1a23", "123"},
             {"max clients, minus dropped", "boolmaxclients", "valmaxclients", 1, false, "-500", "500"},
             {"time limit, blank, point", "booltimelimit", "valtimelimit", 1, false, " 3.55", "355"},
             {"max gems, typed at the box", "boolmaxgems", "valmaxgems", 1, true, "4x21", "421"}});
    }
    void valueFieldTakesDigitsAndFollowsItsBox() {
        QFETCH(ValueFieldRow, row);
        // Single player enables the gem goal; the others are on a server tab, so use a multiplayer type.
        auto loaded = LoadMain({{"Gametype", row.tab == 0 ? "0" : "3"}});
        ShowTab(*loaded.main, row.tab);
        auto* check = Control<QCheckBox>(loaded.main.get(), row.box);
        auto* value = Control<QComboBox>(loaded.main.get(), row.field);
        QVERIFY(value->isEnabled()); // unticked, yet usable until the box is clicked
        value->lineEdit()->selectAll();
        QTest::keyClicks(row.typeIntoList ? static_cast<QWidget*>(value) : value->lineEdit(), row.typed);
        QCOMPARE(value->currentText(), row.shown);
        // Keys without a character pass, and so does pasted text.
        QTest::keyClick(value->lineEdit(), Qt::Key_Return);
        QTest::keyClick(value->lineEdit(), Qt::Key_Backspace);
        QGuiApplication::clipboard()->setText(QStringLiteral("-x"));
        QTest::keyClick(value->lineEdit(), Qt::Key_Home);
        QTest::keyClick(value->lineEdit(), Qt::Key_V, Qt::ControlModifier);
        const QString shown = "-x" + row.shown.chopped(1);
        QCOMPARE(value->currentText(), shown);
        QCOMPARE(value->count(), 120);
        ClickBox(check);
        QVERIFY(check->isChecked() && value->isEnabled());
        ClickBox(check);
        QVERIFY(!check->isChecked() && !value->isEnabled());
        QCOMPARE(value->currentText(), shown);
    }

    void gametypeByKeysAndByTheProgram() {
        auto loaded = LoadMain();
        Main& main = *loaded.main;
        QSignalSpy changed(&main, &Main::optionsChanged);
        QTest::keyClicks(main.gametype, "Single");
        QTest::keyClick(main.gametype, Qt::Key_Return);
        QTest::keyClick(main.gametype, Qt::Key_Backspace);
        QCOMPARE(main.gametype->currentIndex(), -1);
        QCOMPARE(changed.count(), 0);
        QTest::keyClick(main.gametype, Qt::Key_Down); // an arrow chooses, as in any drop-down list
        QCOMPARE(main.gametypeText(), QStringLiteral("Single Player"));
        // Set by the program (as the quick-start wizard sets it), single player brings General forward.
        main.gametype->setCurrentIndex(3);
        ShowTab(main, 1);
        QCOMPARE(main.maintab->currentIndex(), 1);
        main.gametype->setCurrentIndex(0);
        QCOMPARE(main.maintab->currentIndex(), 0);
        QVERIFY(!main.maintab->isTabEnabled(1));
    }

    void optionsChangedOnlyOnChange_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("same");
        QTest::addColumn<QVariant>("other");
        QTest::newRow("check box") << "dedserver" << QByteArray("checked") << QVariant(false) << QVariant(true);
        QTest::newRow("value field") << "valgemgoal" << QByteArray("currentText") << QVariant("10") << QVariant("15");
        QTest::newRow("line") << "addparam" << QByteArray("text") << QVariant("") << QVariant("+set cheats 1");
        QTest::newRow("game type") << "gametype" << QByteArray("currentIndex") << QVariant(-1) << QVariant(3);
        QTest::newRow("map") << "maps" << QByteArray("currentRow") << QVariant(-1) << QVariant(2);
    }
    void optionsChangedOnlyOnChange() {
        QFETCH(QString, name);
        QFETCH(QByteArray, property);
        QFETCH(QVariant, same);
        QFETCH(QVariant, other);
        auto loaded = LoadMain();
        QObject* control = Control<QObject>(loaded.main.get(), name);
        QSignalSpy changed(loaded.main.get(), &Main::optionsChanged);
        QVERIFY(control->setProperty(property.constData(), same));
        QCOMPARE(changed.count(), 0);
        control->setProperty(property.constData(), other);
        control->setProperty(property.constData(), other);
        QCOMPARE(changed.count(), 1);
    }

    void loadStopsAtTheFailingKey_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("shown"); // the lists are filled and the window shown before the flags
        // clang-format off
        QTest::newRow("game type out of range") << "Gametype" << "7" << trel::kErrorOutOfRange << true;
        QTest::newRow("flags no number") << "DMflags" << "abc" << trel::kErrorNotANumber << false;
        // clang-format on
    }
    void loadStopsAtTheFailingKey() {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(int, error);
        QFETCH(bool, shown);
        auto loaded = LoadMain(
            {{"Dedicated", "1"}, {"Map", "2"}, {"serverini", "late.ini"}, {key.toStdString(), value.toStdString()}});
        QVERIFY(loaded.error);
        QCOMPARE(loaded.error->number, error);
        QCOMPARE(loaded.main->isVisible(), shown);
        QCOMPARE(loaded.main->valtimelimit->count(), shown ? 120 : 0);
        QCOMPARE(loaded.main->dedserver->isChecked(), shown); // Dedicated comes after DMflags, before Gametype
        QCOMPARE(loaded.main->currentOptions().Map, -1);
        QCOMPARE(loaded.main->serverini->text(), QString());
    }

    void closeBoxAsksTheApplication() {
        auto loaded = LoadMain();
        Main& main = *loaded.main;
        QSignalSpy exit(&main, &Main::exitRequested);
        QVERIFY(!main.close());
        QCOMPARE(exit.count(), 1);
        QVERIFY(main.isVisible());
        main.setCloseHandled(true);
        QVERIFY(main.close());
        QVERIFY(!main.isVisible());
        QCOMPARE(exit.count(), 1);
    }

    void menuShortcutsAsk_data() {
        const QVariant none;
        AddRows<AskRow>({{"Ctrl+E map list", QKeySequence("Ctrl+E"), "mapEditorRequested(bool)", true},
                         {"Ctrl+D directory", QKeySequence("Ctrl+D"), "locatorRequested()", none},
                         {"Ctrl+X exit", QKeySequence("Ctrl+X"), "exitRequested()", none},
                         {"Ctrl+A address book", QKeySequence("Ctrl+A"), "addressBookRequested()", none},
                         {"Ctrl+M manual", QKeySequence("Ctrl+M"), "manualRequested()", none}});
    }
    void menuShortcutsAsk() {
        QFETCH(AskRow, row);
        auto loaded = LoadMain();
        Main& main = *loaded.main;
        QVERIFY(QTest::qWaitForWindowActive(&main));
        QSignalSpy asked(&main, main.metaObject()->method(main.metaObject()->indexOfSignal(row.signal.constData())));
        QVERIFY(asked.isValid());
        // The menu wins also over a text field that would cut or select with the same keys.
        main.addparam->setFocus();
        QTRY_VERIFY(main.addparam->hasFocus());
        QTest::keySequence(main.addparam, row.shortcut);
        QCOMPARE(asked.count(), 1);
        if (row.argument.isValid())
            QCOMPARE(asked.at(0).at(0), row.argument);
    }

    void missingWindowsSwitchTheirControlsOff_data() {
        QTest::addColumn<int>("feature");
        QTest::addColumn<QStringList>("controls");
        QTest::newRow("map editor") << int(Main::Feature::MapEditor) << QStringList{"Command3", "mnumaplist"};
        QTest::newRow("map cycle") << int(Main::Feature::MapCycle) << QStringList{"editmapcycle"};
        QTest::newRow("todo") << int(Main::Feature::Todo) << QStringList{"mnutodo"};
    }
    void missingWindowsSwitchTheirControlsOff() {
        QFETCH(int, feature);
        QFETCH(QStringList, controls);
        // The map cycle is usable in single player only, the server controls in any other game type.
        auto loaded = LoadMain({{"Gametype", feature == int(Main::Feature::MapCycle) ? "0" : "-1"}});
        Main& main = *loaded.main;
        const auto enabled = [&main, &controls] {
            qsizetype count = 0;
            for (const QString& name : controls)
                count += Control<QObject>(&main, name)->property("enabled").toBool();
            return count;
        };
        QCOMPARE(enabled(), controls.size());
        main.setFeatureAvailable(static_cast<Main::Feature>(feature), false);
        QCOMPARE(enabled(), 0);
        main.setFeatureAvailable(static_cast<Main::Feature>(feature), true);
        QCOMPARE(enabled(), controls.size());
        // Back in deathmatch, the map cycle stays off although its window is there again.
        if (feature == int(Main::Feature::MapCycle)) {
            ChooseFromList(main.gametype, 3);
            main.setFeatureAvailable(Main::Feature::MapCycle, true);
            QCOMPARE(enabled(), 0);
        }
    }
};

QTEST_MAIN(TestMain)
#include "test_main.moc"
