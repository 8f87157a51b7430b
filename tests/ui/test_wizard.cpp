// The quick-start wizard driven as a user drives it: each page shows the main window's values when it
// opens, every change lands in the main window at once (whose own reactions run), Back and Next rebuild
// the pages, Cancel and the close box keep the changes, Finish ends the wizard, and the summary page
// leaves every file alone. Captions and layout are left to the caption and screenshot tests.

#include "Wizard.h"
#include "WizardPage.h"
#include "main/Main.h"
#include "mdlmaincode.h"
#include "ui_test_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace trel;
using trel::test::ChooseFromList;
using trel::test::ClickBox;
using trel::test::Control;

namespace {

constexpr int kTimeoutMs = 5000;

// The main window as start-up leaves it: lists filled, shown, then the game type and map chosen.
std::unique_ptr<Main> LoadedMain(int gametype = -1, int map = -1) {
    auto main = std::make_unique<Main>();
    SettingsLoad load;
    load.Quake2Path = "C:\\Quake2\\quake2.exe";
    load.DMflags = 0;
    main->LoadSettings(load);
    main->gametype->setCurrentIndex(gametype);
    if (map >= 0)
        main->maps->setCurrentRow(map);
    return main;
}

int SelectedRow(const QListWidget& list) {
    const QList<QListWidgetItem*> selected = list.selectedItems();
    return selected.isEmpty() ? -1 : list.row(selected.front());
}

template <typename T> T* On(const Wizard& wizard, const char* name) {
    return Control<T>(wizard.page(), QLatin1String(name));
}

void Click(QPushButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

void ClickMap(QListWidget* list, int row) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

// Replaces the text of an editable box as a user does: select everything, then type.
void TypeInto(QComboBox* combo, const QString& text) {
    QTest::keyClick(combo->lineEdit(), Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(combo->lineEdit(), Qt::Key_Delete);
    else
        trel::test::TypeText(combo->lineEdit(), text);
}

// Goes from the page shown to page number with "&Next ->".
bool NextTo(Wizard& wizard, int number) {
    while (wizard.pageNumber() > 0 && wizard.pageNumber() < number) {
        const int from = wizard.pageNumber();
        Click(wizard.page()->butnext);
        if (!QTest::qWaitFor([&] { return wizard.pageNumber() == from + 1; }, kTimeoutMs))
            return false;
    }
    return wizard.pageNumber() == number;
}

int WizardPagesAlive() {
    const QWidgetList windows = QApplication::topLevelWidgets();
    return int(std::count_if(windows.begin(), windows.end(), [](QWidget* w) { return qobject_cast<WizardPage*>(w); }));
}

// Every file below folder with its bytes.
QMap<QString, QByteArray> Snapshot(const QString& folder) {
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path, test::ReadAll(path));
    }
    return files;
}

} // namespace

class TestWizard : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { trel::test::PrepareUiTest(); }

    void pagesShowTheMainValues_data() {
        QTest::addColumn<int>("gametype");
        QTest::addColumn<int>("map");
        QTest::addColumn<QString>("shownType");
        QTest::addColumn<int>("shownMap");
        QTest::newRow("nothing chosen") << -1 << -1 << "Deathmatch" << -1;
        QTest::newRow("Single Player, vorn03") << 0 << 2 << "Single Player" << 2;
        QTest::newRow("vorn_sp01, which page 2 lacks") << 3 << 4 << "Deathmatch" << -1;
    }
    void pagesShowTheMainValues() {
        QFETCH(int, gametype);
        QFETCH(int, map);
        QFETCH(QString, shownType);
        QFETCH(int, shownMap);
        auto main = LoadedMain(gametype, map);
        main->boolgemgoal->setCheckState(Qt::PartiallyChecked);
        main->boolmaxgems->setCheckState(Qt::Checked);
        main->valtimelimit->setEditText(QStringLiteral("45"));
        QSignalSpy changed(main.get(), &Main::optionsChanged);
        Wizard wizard(*main);
        wizard.open();
        auto* combo = On<QComboBox>(wizard, "gametype");
        QCOMPARE(combo->currentIndex(), gametype);
        QCOMPARE(combo->currentText().isEmpty() ? combo->lineEdit()->placeholderText() : combo->currentText(),
                 shownType);
        // Showing a value copies the same value back, which changes nothing in the main window.
        QCOMPARE(changed.count(), 0);
        QVERIFY(NextTo(wizard, 2));
        auto* list = On<QListWidget>(wizard, "maps");
        QCOMPARE(list->count(), 4);
        QCOMPARE(SelectedRow(*list), shownMap);
        list->setFocus(); // moving into the list with the keyboard chooses nothing
        QCOMPARE(SelectedRow(*main->maps), map);
        QCOMPARE(main->gametype->currentIndex(), gametype);
        QVERIFY(NextTo(wizard, 3));
        QCOMPARE(On<QCheckBox>(wizard, "boolgemgoal")->checkState(), Qt::PartiallyChecked);
        QCOMPARE(On<QCheckBox>(wizard, "boolmaxgems")->checkState(), Qt::Checked);
        QCOMPARE(On<QComboBox>(wizard, "valtimelimit")->currentText(), QStringLiteral("45"));
        QCOMPARE(main->boolgemgoal->checkState(), Qt::PartiallyChecked);
    }

    void page1AppliesTheMainRules_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("typed"); // empty: the entry is chosen from the list
        QTest::addColumn<int>("chosen");
        QTest::addColumn<bool>("serverTabs");
        QTest::addColumn<bool>("gemGoal");
        QTest::addColumn<bool>("respawn");
        QTest::newRow("Teamplay with monsters chosen") << 3 << QString() << 1 << true << false << true;
        QTest::newRow("Single Player chosen") << 3 << QString() << 0 << false << true << false;
        QTest::newRow("Deathmatch chosen after Single Player") << 0 << QString() << 3 << true << false << false;
        QTest::newRow("an entry typed") << 0 << QStringLiteral("Teamplay w/o monsters") << 2 << true << false << false;
        // A text naming no entry chooses none, a change like any other: the rules for every other entry run.
        QTest::newRow("other letter case typed") << 0 << QStringLiteral("deathmatch") << -1 << true << false << false;
        QTest::newRow("part of an entry typed") << 3 << QStringLiteral("Teamplay") << -1 << true << false << false;
    }
    void page1AppliesTheMainRules() {
        QFETCH(int, from);
        QFETCH(QString, typed);
        QFETCH(int, chosen);
        QFETCH(bool, serverTabs);
        QFETCH(bool, gemGoal);
        QFETCH(bool, respawn);
        auto main = LoadedMain(from);
        main->boolgemgoal->setChecked(from == 0);
        Wizard wizard(*main);
        wizard.open();
        QVERIFY(QTest::qWaitForWindowExposed(wizard.page()));
        auto* combo = On<QComboBox>(wizard, "gametype");
        if (typed.isEmpty()) {
            ChooseFromList(combo, chosen);
        } else {
            TypeInto(combo, typed);
            QCOMPARE(combo->currentText(), typed); // typed text stays as typed
            QCOMPARE(main->gametypeText(), chosen < 0 ? QString() : typed); // what the summary shows
        }
        // The main window follows at once, with the wizard still open.
        QCOMPARE(wizard.pageNumber(), 1);
        QCOMPARE(main->gametype->currentIndex(), chosen);
        QCOMPARE(main->maintab->isTabEnabled(1), serverTabs);
        QCOMPARE(main->maintab->isTabEnabled(2), serverTabs);
        QCOMPARE(main->valgemgoal->isEnabled(), gemGoal);
        QCOMPARE(main->mrespawn->isEnabled(), respawn);
        if (!gemGoal)
            QVERIFY(!main->boolgemgoal->isChecked());
    }

    void choosingOnPage2SelectsInTheMainWindow() {
        auto main = LoadedMain(3, 4);
        Wizard wizard(*main);
        QSignalSpy asked(&wizard, &Wizard::editMaplistRequested);
        wizard.open();
        QVERIFY(NextTo(wizard, 2));
        QVERIFY(QTest::qWaitForWindowExposed(wizard.page()));
        QSignalSpy changed(main.get(), &Main::optionsChanged);
        auto* list = On<QListWidget>(wizard, "maps");
        ClickMap(list, 1);
        QCOMPARE(SelectedRow(*main->maps), 1);
        QVERIFY(changed.count() >= 1); // the main window's reaction: the preview
        // The main window changes meanwhile; choosing the same entry again on the page still counts.
        main->maps->setCurrentRow(3);
        ClickMap(list, 1);
        QCOMPARE(SelectedRow(*main->maps), 1);
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(SelectedRow(*main->maps), 2);
        // "Edit Maplist" asks for the editor and the page stays.
        WizardPage* page = wizard.page();
        Click(On<QPushButton>(wizard, "Command1"));
        QCOMPARE(asked.count(), 1);
        QCOMPARE(wizard.page(), page);
        QVERIFY(page->isVisible());
    }

    void page3ReachesTheMainWindow_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("grey");
        QTest::addColumn<QString>("typed"); // reaches the main window unfiltered
        QTest::addColumn<QString>("arrives"); // but never a character the code page cannot hold
        QTest::newRow("Gem Goal:, letters") << "boolgemgoal" << "valgemgoal" << false << "1a2" << "1a2";
        QTest::newRow("Gem Goal:, outside the code page")
            << "boolgemgoal" << "valgemgoal" << false << QStringLiteral("1\u03A92") << "12";
        QTest::newRow("Max Gems, grey, minus") << "boolmaxgems" << "valmaxgems" << true << "-5" << "-5";
        QTest::newRow("Timelimit:, emptied") << "booltimelimit" << "valtimelimit" << false << "" << "";
        QTest::newRow("Monster Respawn") << "mrespawn" << "" << false << "" << "";
    }
    void page3ReachesTheMainWindow() {
        QFETCH(QString, box);
        QFETCH(QString, field);
        QFETCH(bool, grey);
        QFETCH(QString, typed);
        QFETCH(QString, arrives);
        // Deathmatch: the main window's gem goal and monster respawn are switched off, the page's are not.
        auto main = LoadedMain(3);
        auto* mainBox = Control<QCheckBox>(main.get(), box);
        if (grey)
            mainBox->setCheckState(Qt::PartiallyChecked);
        auto* mainField = field.isEmpty() ? nullptr : Control<QComboBox>(main.get(), field);
        if (mainField)
            mainField->setEditText(QStringLiteral("9"));
        Wizard wizard(*main);
        wizard.open();
        QVERIFY(NextTo(wizard, 3));
        QVERIFY(QTest::qWaitForWindowExposed(wizard.page()));
        // A click ticks or unticks, even where the main window's box is switched off; grey never comes back.
        for (const bool ticked : {true, false, true}) {
            ClickBox(Control<QCheckBox>(wizard.page(), box));
            QCOMPARE(mainBox->checkState(), ticked ? Qt::Checked : Qt::Unchecked);
            if (mainField)
                QCOMPARE(mainField->isEnabled(), ticked); // the value-field rule ran
        }
        if (mainField) {
            QSignalSpy refused(main.get(), &trel::Main::textRefused);
            TypeInto(Control<QComboBox>(wizard.page(), field), typed);
            QCOMPARE(mainField->currentText(), arrives);
            QTRY_COMPARE(refused.count(), arrives == typed ? 0 : 1);
            if (arrives != typed)
                QVERIFY(refused.first().first().toString().contains(QStringLiteral("\"\u03A9\"")));
        }
    }

    void cancelKeepsTheChanges_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("page 1 Cancel") << 1 << false;
        QTest::newRow("page 3 close box") << 3 << true;
        QTest::newRow("page 4 Cancel") << 4 << false;
    }
    void cancelKeepsTheChanges() {
        QFETCH(int, page);
        QFETCH(bool, closeBox);
        auto main = LoadedMain(3, 1);
        Wizard wizard(*main);
        QSignalSpy finished(&wizard, &Wizard::finished);
        wizard.open();
        ChooseFromList(On<QComboBox>(wizard, "gametype"), 2);
        QVERIFY(NextTo(wizard, page));
        if (closeBox)
            QVERIFY(wizard.page()->close());
        else
            Click(wizard.page()->butcancel);
        QTRY_COMPARE_WITH_TIMEOUT(wizard.pageNumber(), 0, kTimeoutMs);
        QCOMPARE(WizardPagesAlive(), 0);
        QCOMPARE(finished.count(), 0);
        QCOMPARE(main->gametype->currentIndex(), 2);
        QVERIFY(main->isVisible() && main->isEnabled());
        wizard.open(); // it opens again at page 1
        QCOMPARE(wizard.pageNumber(), 1);
    }

    void backAndNextRebuildFromTheMainWindow() {
        auto main = LoadedMain(3);
        Wizard wizard(*main);
        wizard.open();
        QVERIFY(QTest::qWaitForWindowExposed(wizard.page()));
        wizard.page()->move(40, 50);
        const QPoint where = wizard.page()->pos();
        QVERIFY(NextTo(wizard, 2));
        QCOMPARE(wizard.page()->pos(), where); // the next page takes the same place
        ClickMap(On<QListWidget>(wizard, "maps"), 2);
        Click(wizard.page()->butback);
        QTRY_COMPARE_WITH_TIMEOUT(wizard.pageNumber(), 1, kTimeoutMs);
        QCOMPARE(WizardPagesAlive(), 1);
        QVERIFY(NextTo(wizard, 2));
        QCOMPARE(SelectedRow(*On<QListWidget>(wizard, "maps")), 2);

        // What the user changes in the main window meanwhile shows when a page is built again.
        main->maps->setCurrentRow(0);
        main->valtimelimit->setEditText(QStringLiteral("17"));
        QVERIFY(NextTo(wizard, 3));
        QCOMPARE(On<QComboBox>(wizard, "valtimelimit")->currentText(), QStringLiteral("17"));
        Click(wizard.page()->butback);
        QTRY_COMPARE_WITH_TIMEOUT(wizard.pageNumber(), 2, kTimeoutMs);
        QCOMPARE(SelectedRow(*On<QListWidget>(wizard, "maps")), 0);

        // Opening again brings the open page forward instead of starting over.
        WizardPage* page = wizard.page();
        page->hide();
        wizard.open();
        QCOMPARE(wizard.page(), page);
        QVERIFY(page->isVisible());
        QCOMPARE(WizardPagesAlive(), 1);
    }

    void aSecondQuickClickIsDropped() {
        auto main = LoadedMain(3, 0);
        Wizard wizard(*main);
        wizard.open();
        QPushButton* next = wizard.page()->butnext;
        // Both clicks land on page 1 before it is replaced: the wizard moves on by one page only.
        emit next->clicked();
        emit next->clicked();
        QTRY_COMPARE_WITH_TIMEOUT(wizard.pageNumber(), 2, kTimeoutMs);
        QCoreApplication::processEvents();
        QCOMPARE(wizard.pageNumber(), 2);
        QCOMPARE(WizardPagesAlive(), 1);
    }

    void summaryLeavesEveryFileAloneAndFinishEnds_data() {
        QTest::addColumn<bool>("userFile");
        QTest::addColumn<int>("gametype");
        QTest::newRow("a temp.ini of the user's") << true << 3;
        QTest::newRow("no temp.ini, a line too long for the box") << false << 1;
    }
    void summaryLeavesEveryFileAloneAndFinishEnds() {
        QFETCH(bool, userFile);
        QFETCH(int, gametype);
        QTemporaryDir start;
        const QString vorn = start.filePath(QStringLiteral("Quake 2/vorn"));
        QVERIFY(QDir().mkpath(vorn));
        QVERIFY(!userFile || test::WriteAll(vorn + QStringLiteral("/temp.ini"), "[Mine]\r\nkeep=this\r\n"));
        QVERIFY(test::WriteAll(vorn + QStringLiteral("/vorn.ini"), "; map details\r\n"));
        const QMap<QString, QByteArray> before = Snapshot(start.path());

        const QString previous = QDir::currentPath();
        // Relative paths would land in the start folder or in the Quake 2 folder: both are watched.
        QVERIFY(QDir::setCurrent(start.path()));
        auto main = LoadedMain(gametype, 1);
        main->setQuake2Path(start.filePath(QStringLiteral("Quake 2/quake2")).toStdString());
        main->valtimelimit->setEditText(QStringLiteral("20"));
        main->valmaxgems->setEditText(QStringLiteral("0"));
        main->valgemgoal->setEditText(QStringLiteral("10"));
        Wizard wizard(*main);
        QSignalSpy finished(&wizard, &Wizard::finished);
        wizard.open();
        QVERIFY(NextTo(wizard, 4));
        const QMap<QString, QByteArray> after = Snapshot(start.path());
        QVERIFY(QDir::setCurrent(previous));
        auto* summary = On<QPlainTextEdit>(wizard, "wizoptions");
        QCOMPARE(summary->toPlainText(), QStringLiteral("The map you have chosen is\nvorn02\n\nYou have chosen gametype :") +
                                             main->gametype->itemText(gametype) +
                                             QStringLiteral("\n\nTimelimit : 20\n\nMaximum gems : 0\n\nGem goal : 10\n"));
        // A line wider than the box wraps instead of running off its right edge.
        if (gametype == 1)
            QTRY_VERIFY_WITH_TIMEOUT(summary->document()->findBlockByNumber(3).layout()->lineCount() > 1, kTimeoutMs);
        QCOMPARE(after, before);
        QCOMPARE(QFile::exists(vorn + QStringLiteral("/temp.ini")), userFile);

        Click(wizard.page()->butnext); // "&Finish"
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, kTimeoutMs);
        QCOMPARE(wizard.pageNumber(), 0);
        QCOMPARE(WizardPagesAlive(), 0);
        QVERIFY(main->isVisible());
    }

    void pagesEndWithTheMainWindow_data() {
        QTest::addColumn<bool>("childOfMain");
        QTest::newRow("wizard owned by the main window") << true;
        QTest::newRow("wizard held elsewhere") << false;
    }
    void pagesEndWithTheMainWindow() {
        QFETCH(bool, childOfMain);
        auto main = LoadedMain(3);
        std::unique_ptr<Wizard> elsewhere;
        Wizard* wizard =
            childOfMain ? new Wizard(*main, main.get()) : (elsewhere = std::make_unique<Wizard>(*main)).get();
        wizard->open();
        QVERIFY(NextTo(*wizard, 3));
        QPointer<WizardPage> page = wizard->page();
        main.reset();
        QVERIFY(page.isNull());
        QCOMPARE(WizardPagesAlive(), 0);
        QVERIFY(!elsewhere || elsewhere->pageNumber() == 0);
    }
};

QTEST_MAIN(TestWizard)
#include "test_wizard.moc"
