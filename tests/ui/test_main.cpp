// The main window driven as a user drives it: the deathmatch flags, the game type's rules, the value fields' key
// filters and the menu's keys (loading and saving are the core and program suites').

#include "main/Main.h"
#include "mdlmaincode.h"
#include "ui_test_support.h"

#include <functional>
#include <map>

using namespace trel;
using namespace trel::test;
using Stored = std::map<std::string, std::string>;

namespace {

/// Loads into main a fresh installation's settings changed by changes, read from a trel.ini as the start does.
std::optional<LoadError> Load(Main& main, Stored changes) {
    for (const auto& [key, value] : Stored{{"Valgemgoal", "10"}, {"Gametype", "-1"}, {"Map", "-1"}, {"serverini", ""}})
        changes.try_emplace(key, value);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("trel.ini"));
    QByteArray ini = "[Settings]\r\n";
    for (const std::string_view key : kSettingsKeys) {
        const std::string& value = changes.try_emplace(std::string(key), "0").first->second;
        ini += QByteArray::fromStdString(std::string(key) + "=" + value + "\r\n");
    }
    if (!WriteAll(file, ini))
        qFatal("trel.ini not written");
    return main.LoadSettings(ReadSettingsForLoad(file.toStdString()));
}

void ShowTab(const Main& main, int tab) {
    QTest::mouseClick(main.maintab->tabBar(), Qt::LeftButton, {}, main.maintab->tabBar()->tabRect(tab).center());
}
void Flag(Main& main, int index) { ClickBox(Control<QCheckBox>(&main, QStringLiteral("q2option(%1)").arg(index))); }
QString Box(const QCheckBox* box) { return QString(box->isEnabled() ? "e" : "-") + (box->isChecked() ? "t" : "-"); }

/// What the user sees of the game type and the flags: the type, the server tabs, the tab in front, the gem goal
/// (box enabled, ticked, value field enabled), Monster Respawn (enabled, ticked), the flags value shown and
/// stored, the ticked flag boxes, the start map.
QString State(const Main& m) {
    QStringList ticked;
    for (const QCheckBox* box : m.q2option)
        if (box->isChecked())
            ticked << box->objectName().mid(9).chopped(1);
    return QStringLiteral("type %1 tabs %2 tab %3 gem %4%5 respawn %6 flags %7/%8 [%9] map %10")
        .arg(m.gametype->currentIndex()).arg(m.maintab->isTabEnabled(1) ? "on" : "off").arg(m.maintab->currentIndex())
        .arg(Box(m.boolgemgoal), m.valgemgoal->isEnabled() ? "e" : "-", Box(m.mrespawn), m.dmflagval->text())
        .arg(m.currentOptions().DMflags).arg(ticked.join(' ')).arg(m.currentOptions().Map);
}

} // namespace

class TestMain : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { PrepareUiTest(); }

    // The flags, the game type's rules and the stored type's last word, walked step by step in one window:
    // each step's action, the state it leaves, and how often it announced a change (-1: not counted).
    void actionsLeaveTheWindowInItsState() {
        struct Step { const char* name; std::function<void(Main&)> act; QString state; int changes; };
        const auto load = [](Stored stored) { return [stored](Main& m) { QVERIFY(!Load(m, stored)); }; };
        const auto choose = [](int type) { return [type](Main& m) { ChooseFromList(m.gametype, type); }; };
        const Step steps[] = {
            {"none chosen", load({{"DMflags", "49152"}, {"Boolgemgoal", "1"}, {"MonsterRespawn", "1"}}),
             "type -1 tabs on tab 0 gem -te respawn et flags 49152/49152 [16384 32767] map -1", -1},
            {"untick Quad Drop", [](Main& m) { ShowTab(m, 1), Flag(m, 16384); },
             "type -1 tabs on tab 1 gem -te respawn et flags 32768/32768 [32767] map -1", 1},
            {"Fixed FOV off, 1+2+4-2", [](Main& m) { Flag(m, 32767), Flag(m, 1), Flag(m, 2), Flag(m, 4), Flag(m, 2); },
             "type -1 tabs on tab 1 gem -te respawn et flags 5/5 [1 4] map -1", 5},
            {"typed flags value", [](Main& m) { m.dmflagval->selectAll(), QTest::keyClicks(m.dmflagval, "12"); },
             "type -1 tabs on tab 1 gem -te respawn et flags 12/5 [1 4] map -1", 0},
            {"with monsters keeps respawn", choose(1),
             "type 1 tabs on tab 1 gem --- respawn et flags 12/5 [1 4] map -1", 2},
            {"w/o monsters clears it", choose(2), "type 2 tabs on tab 1 gem --- respawn -- flags 12/5 [1 4] map -1", 2},
            {"single player", choose(0), "type 0 tabs off tab 0 gem e-e respawn -- flags 12/5 [1 4] map -1", 1},
            {"with monsters after", choose(1), "type 1 tabs on tab 0 gem --- respawn e- flags 12/5 [1 4] map -1", 1},
            {"letters, Enter, Backspace", [](Main& m) { QTest::keyClicks(m.gametype, "Single\r\b"); },
             "type 1 tabs on tab 0 gem --- respawn e- flags 12/5 [1 4] map -1", 0},
            {"an arrow chooses", [](Main& m) { QTest::keyClick(m.gametype, Qt::Key_Down); },
             "type 2 tabs on tab 0 gem --- respawn -- flags 12/5 [1 4] map -1", 1},
            {"map and the same values again", [](Main& m) {
                 m.maps->setCurrentRow(2), m.maps->setCurrentRow(2), m.dedserver->setChecked(false);
                 m.addparam->setText(QString()), m.gametype->setCurrentIndex(2), m.valgemgoal->setEditText("10"); },
             "type 2 tabs on tab 0 gem --- respawn -- flags 12/5 [1 4] map 2", 1},
            {"program's deathmatch, then single player", [](Main& m) {
                 m.gametype->setCurrentIndex(3), ShowTab(m, 2), m.gametype->setCurrentIndex(0); },
             "type 0 tabs off tab 0 gem e-e respawn -- flags 12/5 [1 4] map 2", -1},
            // Typed at the line or at the box a value field takes digits only (Enter adds no entry, Backspace
            // passes), a paste as it is; unticked it stays usable until its box is clicked.
            {"value fields", [](Main& m) {
                 QVERIFY(!Load(m, {{"Gametype", "3"}}));
                 ShowTab(m, 1);
                 QWidget *const line = m.valmaxclients->lineEdit(), *const box = m.valmaxgems;
                 for (auto [check, value, at, typed] : {std::tuple{m.boolmaxclients, m.valmaxclients, line, "-5.00"},
                                                        std::tuple{m.boolmaxgems, m.valmaxgems, box, "4x21"}}) {
                     QVERIFY(value->isEnabled());
                     value->lineEdit()->selectAll();
                     QTest::keyClicks(at, typed);
                     QTest::keyClicks(value->lineEdit(), "\r\b");
                     QGuiApplication::clipboard()->setText(QStringLiteral("-x"));
                     QTest::keySequence(value->lineEdit(), QKeySequence(QStringLiteral("Home, Ctrl+V")));
                     ClickBox(check);
                     QVERIFY(check->isChecked() && value->isEnabled() && value->count() == 120);
                     ClickBox(check);
                     QVERIFY(!value->isEnabled());
                 }
                 QCOMPARE(m.valmaxclients->currentText() + ' ' + m.valmaxgems->currentText(), "-x50 -x42");
             }, "type 3 tabs on tab 1 gem --- respawn -- flags 0/0 [] map -1", -1},
            {"stored with monsters", load({{"Gametype", "1"}, {"Boolgemgoal", "1"}, {"MonsterRespawn", "1"}}),
             "type 1 tabs on tab 1 gem --- respawn et flags 0/0 [] map -1", -1},
            {"stored negative, single player", load({{"DMflags", "-3"}, {"Gametype", "0"}, {"Boolgemgoal", "1"},
                                                    {"MonsterRespawn", "1"}}),
             "type 0 tabs off tab 0 gem ete respawn -- flags -3/-3 [] map -1", -1},
        };
        Main main;
        for (const Step& step : steps) {
            QSignalSpy changed(&main, &Main::optionsChanged);
            step.act(main);
            QCOMPARE(State(main) + " | " + step.name, step.state + " | " + step.name);
            QVERIFY2(step.changes < 0 || changed.count() == step.changes,
                     qPrintable(step.name + QStringLiteral(": %1 changes").arg(changed.count())));
        }
        QVERIFY(main.maps->count() == 5 && main.valmaxgems->count() == 120); // a second load fills no list twice
    }

    // The menu's keys act wherever the focus is, also in a text field that would cut or select with them (the
    // close box and Exit are the program suite's).
    void menuKeysActWhereverTheFocusIs() {
        Main main;
        QVERIFY(!Load(main, {}) && QTest::qWaitForWindowActive(&main));
        QSignalSpy editor(&main, &Main::mapEditorRequested), exit(&main, &Main::exitRequested),
            book(&main, &Main::addressBookRequested);
        main.addparam->setFocus();
        QTRY_VERIFY(main.addparam->hasFocus());
        for (const char* keys : {"Ctrl+E", "Ctrl+X", "Ctrl+A"})
            QTest::keySequence(main.addparam, QKeySequence(QString::fromLatin1(keys)));
        QVERIFY(editor.count() == 1 && editor.at(0).at(0).toBool() && exit.count() == 1 && book.count() == 1);
    }
};

QTEST_MAIN(TestMain)
#include "test_main.moc"
