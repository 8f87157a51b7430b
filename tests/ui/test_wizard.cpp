// The quick-start wizard driven as a user drives it, each page reading and writing the main window at once.

#include "Wizard.h"
#include "WizardPage.h"
#include "ui_test_support.h"

using namespace trel;
using namespace trel::test;

namespace {

constexpr int kTimeoutMs = 20000; // a bound, not a wait: under Wine on a busy machine a page takes seconds

int Row(const QListWidget& list) { return list.selectedItems().isEmpty() ? -1 : list.row(list.selectedItems()[0]); }
template <typename T> T* On(const Wizard& wizard, const char* name) { return Control<T>(wizard.page(), name); }
// As a user does: select everything, then type.
void TypeInto(QComboBox* box, const QString& text) { box->lineEdit()->selectAll(); TypeText(box->lineEdit(), text); }
bool OpenAt(Wizard& wizard, int number) {
    wizard.open();
    for (int from = wizard.pageNumber(); from > 0 && from < number; from = wizard.pageNumber()) {
        QTest::mouseClick(wizard.page()->butnext, Qt::LeftButton);
        if (!QTest::qWaitFor([&] { return wizard.pageNumber() == from + 1; }, kTimeoutMs))
            return false;
    }
    return wizard.pageNumber() == number && QTest::qWaitForWindowExposed(wizard.page());
}
int PagesAlive() {
    const QWidgetList all = QApplication::topLevelWidgets();
    return int(std::count_if(all.begin(), all.end(), [](QWidget* w) { return qobject_cast<WizardPage*>(w); }));
}
QString Shown(const Wizard& wizard) { // what the page shown shows of the main window: game type, map, time limit
    const int page = wizard.pageNumber();
    return page == 1   ? On<QComboBox>(wizard, "gametype")->currentText()
           : page == 2 ? On<QListWidget>(wizard, "maps")->currentItem()->text()
           : page == 3 ? On<QComboBox>(wizard, "valtimelimit")->currentText()
                       : QString(); // the summary is checked whole
}

} // namespace

class TestWizard : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { PrepareUiTest(); }

    // Pages 1 to 3 show the main window's values and change nothing (page 2 lacks vorn_sp01; the keyboard in its
    // list chooses nothing); page 3's ticks (grey shows grey, never comes back) and values, then page 1's game type
    // (a text naming no entry chooses none), reach the main window, whose rules run.
    void pagesShowThenChangeTheMainWindow() {
        const Qt::CheckState grey = Qt::PartiallyChecked, tick = Qt::Checked;
        const struct { int gametype, map; Qt::CheckState gem; int shownMap; const char *box, *field;
            QString typed, arrives, typedType; int chosen; bool serverTabs, gemGoal; } rows[] = {
            {0, 2, grey, 2, "boolgemgoal", "valgemgoal", "1\u03A92", "12", "Teamplay w/o monsters", 2, true, false},
            {-1, -1, tick, -1, "boolmaxgems", "valmaxgems", "-5", "-5", {}, 0, false, true},
            {3, 4, grey, -1, "mrespawn", nullptr, {}, {}, "deathmatch", -1, true, false}};
        for (const auto& row : rows) {
            auto main = LoadedMain(row.gametype, row.map);
            main->boolgemgoal->setCheckState(row.gem);
            auto* mainBox = Control<QCheckBox>(main.get(), row.box);
            mainBox->setCheckState(Qt::PartiallyChecked);
            auto* mainField = row.field ? Control<QComboBox>(main.get(), row.field) : nullptr;
            if (mainField)
                mainField->setEditText(QStringLiteral("9"));
            QSignalSpy changed(main.get(), &Main::optionsChanged);
            Wizard wizard(*main);
            QVERIFY(OpenAt(wizard, 1));
            auto* combo = On<QComboBox>(wizard, "gametype");
            QCOMPARE(combo->currentIndex(), row.gametype);
            QCOMPARE(combo->currentText().isEmpty() ? combo->lineEdit()->placeholderText() : combo->currentText(),
                     main->gametypeText()); // at none the main window's placeholder
            QVERIFY(OpenAt(wizard, 2));
            auto* list = On<QListWidget>(wizard, "maps");
            QVERIFY(list->count() == 4 && Row(*list) == row.shownMap);
            list->setFocus();
            QVERIFY(OpenAt(wizard, 3));
            QVERIFY(changed.isEmpty() && Row(*main->maps) == row.map && main->gametype->currentIndex() == row.gametype);
            QCOMPARE(main->boolgemgoal->checkState(), row.gem);
            QCOMPARE(On<QCheckBox>(wizard, row.box)->checkState(), Qt::PartiallyChecked);
            QVERIFY(!mainField || On<QComboBox>(wizard, row.field)->currentText() == "9");
            for (const bool ticked : {true, false, true}) {
                ClickBox(On<QCheckBox>(wizard, row.box));
                QCOMPARE(mainBox->checkState(), ticked ? Qt::Checked : Qt::Unchecked);
                QVERIFY(!mainField || mainField->isEnabled() == ticked);
            }
            if (mainField) {
                TypeInto(On<QComboBox>(wizard, row.field), row.typed);
                QCOMPARE(mainField->currentText(), row.arrives);
            }
            QTest::mouseClick(wizard.page()->butcancel, Qt::LeftButton);
            QTRY_COMPARE_WITH_TIMEOUT(wizard.pageNumber(), 0, kTimeoutMs);
            QVERIFY(OpenAt(wizard, 1));
            combo = On<QComboBox>(wizard, "gametype");
            row.typedType.isEmpty() ? ChooseFromList(combo, row.chosen) : TypeInto(combo, row.typedType);
            QCOMPARE(main->gametype->currentIndex(), row.chosen);
            QCOMPARE(main->gametypeText(), row.chosen < 0 ? QString() : main->gametype->itemText(row.chosen));
            QCOMPARE(main->maintab->isTabEnabled(1) && main->maintab->isTabEnabled(2), row.serverTabs);
            QVERIFY(main->valgemgoal->isEnabled() == row.gemGoal && (row.gemGoal || !main->boolgemgoal->isChecked()));
        }
    }

    // One walk: each step leaves the page shown (0: none) where the one before stood, rebuilt from the main window,
    // never two alive; the main window keeps every change; the summary writes no file and wraps; Finish ends.
    void walkThroughThePages() {
        QTemporaryDir start;
        const QString vorn = start.filePath(QStringLiteral("Quake 2/vorn"));
        QVERIFY(QDir().mkpath(vorn) && WriteAll(vorn + "/vorn.ini", "; map details\r\n") &&
                WriteAll(vorn + "/temp.ini", "[Mine]\r\nkeep=this\r\n"));
        const auto snapshot = [&] {
            QMap<QString, QByteArray> files;
            for (QDirIterator it(start.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
                files.insert(it.next(), {});
            for (auto [path, bytes] : files.asKeyValueRange())
                bytes = ReadAll(path);
            return files;
        };
        const QMap<QString, QByteArray> before = snapshot();
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(start.path())); // relative paths would land in a watched folder
        auto main = LoadedMain(3, 1);
        main->setQuake2Path(start.filePath(QStringLiteral("Quake 2/quake2")).toStdString());
        main->valmaxgems->setEditText(QStringLiteral("5"));
        main->valgemgoal->setEditText(QStringLiteral("10"));
        Wizard wizard(*main);
        QSignalSpy finished(&wizard, &Wizard::finished);
        const struct { const char* action; int page; QString shows; int mainMap; } steps[] = {
            {"open", 1, "Deathmatch", 1}, {"choose", 1, "Teamplay w/o monsters", 1}, {"next", 2, "vorn02", 1},
            {"pick", 2, "vorn03", 2}, {"main changes", 2, "vorn03", 0}, {"pick", 2, "vorn03", 2}, // the same again
            {"down", 2, "vorn04", 3}, {"main changes", 2, "vorn04", 0}, {"next", 3, "17", 0},
            {"back", 2, "vorn01", 0}, {"back", 1, "Teamplay w/o monsters", 0}, {"cancel", 0, "", 0},
            {"open", 1, "Teamplay w/o monsters", 0}, {"two quick clicks", 2, "vorn01", 0}, {"close box", 0, "", 0},
            {"open", 1, "Teamplay w/o monsters", 0}, {"next", 2, "vorn01", 0}, {"next", 3, "17", 0},
            {"next", 4, "", 0}, {"finish", 0, "", 0}};
        for (const auto& step : steps) {
            const QString action = QLatin1String(step.action);
            // Watched, not compared by address: the next page may be built where the last one stood in memory.
            const QPointer<WizardPage> page = wizard.page();
            if (page)
                page->move(40 + 10 * wizard.pageNumber(), 50);
            if (action == "open") {
                wizard.open();
            } else if (action == "choose") {
                ChooseFromList(On<QComboBox>(wizard, "gametype"), 2);
            } else if (action == "next" || action == "back") {
                QTest::mouseClick(action == "next" ? page->butnext : page->butback, Qt::LeftButton);
                QTRY_VERIFY_WITH_TIMEOUT(page.isNull() && wizard.page(), kTimeoutMs);
                QCOMPARE(wizard.page()->pos(), QPoint(40 + 10 * (step.page + (action == "next" ? -1 : 1)), 50));
            } else if (action == "pick") {
                auto* list = On<QListWidget>(wizard, "maps");
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
            } else if (action == "down") {
                QTest::keyClick(On<QListWidget>(wizard, "maps"), Qt::Key_Down);
            } else if (action == "main changes") {
                main->maps->setCurrentRow(0);
                main->valtimelimit->setEditText(QStringLiteral("17"));
            } else if (action == "cancel" || action == "close box") {
                action == "cancel" ? QTest::mouseClick(page->butcancel, Qt::LeftButton) : void(page->close());
            } else if (action == "finish") { // the whole summary; its long game-type line wraps inside the box
                const QTextDocument* summary = On<QPlainTextEdit>(wizard, "wizoptions")->document();
                QCOMPARE(summary->toPlainText(), "The map you have chosen is\nvorn01\n\nYou have chosen gametype :" +
                         main->gametype->itemText(2) + "\n\nTimelimit : 17\n\nMaximum gems : 5\n\nGem goal : 10\n");
                QTRY_VERIFY_WITH_TIMEOUT(summary->findBlockByNumber(3).layout()->lineCount() > 1, kTimeoutMs);
                QTest::mouseClick(page->butnext, Qt::LeftButton); // "&Finish"
            } else { // both clicks land on page 1 before it is replaced: the wizard moves on by one page only
                emit page->butnext->clicked();
                emit page->butnext->clicked();
            }
            QTRY_COMPARE_WITH_TIMEOUT(wizard.pageNumber(), step.page, kTimeoutMs);
            QCoreApplication::processEvents();
            QVERIFY(wizard.pageNumber() == step.page && PagesAlive() == (step.page ? 1 : 0));
            QVERIFY(Shown(wizard) == step.shows && Row(*main->maps) == step.mainMap);
            QVERIFY(finished.count() == (action == "finish" ? 1 : 0) && main->isVisible() && main->isEnabled());
        }
        QCOMPARE(snapshot(), before);
        QVERIFY(QDir::setCurrent(previous));
    }

    // A page writes into the main window's controls: it ends with the main window, wherever the wizard is held.
    void pagesEndWithTheMainWindow() {
        for (const bool childOfMain : {true, false}) {
            auto main = LoadedMain(3);
            std::unique_ptr<Wizard> held = childOfMain ? nullptr : std::make_unique<Wizard>(*main);
            Wizard* wizard = held ? held.get() : new Wizard(*main, main.get());
            QVERIFY(OpenAt(*wizard, 3));
            QPointer<WizardPage> page = wizard->page();
            main.reset();
            QVERIFY(page.isNull() && PagesAlive() == 0 && (!held || held->pageNumber() == 0));
        }
    }
};

QTEST_MAIN(TestWizard)
#include "test_wizard.moc"
