// The quick-start wizard driven as a user drives it: each page shows the main window's values when it
// opens, every change lands in the main window at once (whose own reactions run), Back and Next rebuild
// the pages, Cancel and the close box keep the changes, Finish ends the wizard, and the summary page
// leaves every file alone.

#include "Wizard.h"
#include "WizardPage.h"
#include "frmwizard1.h"
#include "frmwizard2.h"
#include "frmwizard3.h"
#include "frmwizard4.h"
#include "main/Main.h"
#include "mdlmaincode.h"
#include "ui_test_support.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace trel;
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

int MainMap(const Main& main) {
    const QList<QListWidgetItem*> selected = main.maps->selectedItems();
    return selected.isEmpty() ? -1 : main.maps->row(selected.front());
}

int PageMap(const QListWidget& list) {
    const QList<QListWidgetItem*> selected = list.selectedItems();
    return selected.isEmpty() ? -1 : list.row(selected.front());
}

void Click(QPushButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
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

// Replaces the text of an editable box as a user does: select everything, then type.
void TypeInto(QComboBox* combo, const QString& text) {
    QLineEdit* edit = combo->lineEdit();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Delete);
    else
        QTest::keyClicks(edit, text);
}

void ClickMap(QListWidget* list, int row) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
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
    int pages = 0;
    for (QWidget* window : QApplication::topLevelWidgets())
        pages += qobject_cast<WizardPage*>(window) != nullptr ? 1 : 0;
    return pages;
}

// Every file below folder with its bytes.
QMap<QString, QByteArray> Snapshot(const QString& folder) {
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            files.insert(path, file.readAll());
    }
    return files;
}

} // namespace

class TestWizard : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { trel::test::PrepareUiTest(); }

    void pagesShowTheirCaptions_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("enabled");
        const struct {
            int page;
            const char* name;
            const char* caption;
            bool bold;
            bool enabled;
        } rows[] = {
            {1, "Label2", "Welcome!", true, true},
            {1, "Label1",
             "Welcome to the Trel Setup Wizard, simply fill in all the settings you wish when prompted and it will "
             "automatically setup the server for you.",
             false, true},
            {1, "Label3", "Please select which gametype you wish to run :", false, true},
            {1, "butback", "<- &Back", false, false},
            {1, "butnext", "&Next ->", false, true},
            {1, "butcancel", "&Cancel", false, true},
            {2, "Label1", "Start Map:", true, true},
            {2, "Label2", "Please select which map you wish to begin with.", false, true},
            {2, "Command1", "Edit Maplist", false, true},
            {2, "butback", "<- &Back", false, true},
            {3, "Label1", "Vorn options", true, true},
            {3, "Label2", "Please select which options you wish to run with this game of Vorn", false, true},
            {3, "mrespawn", "Monster Respawn", false, true},
            {3, "boolgemgoal", "Gem Goal:", false, true},
            {3, "booltimelimit", "Timelimit:", false, true},
            {3, "boolmaxgems", "Max Gems", false, true},
            {4, "Label1", "You have chosen the following options, trel is now capable of running a Trel Server", false,
             true},
            {4, "butback", "<- &Back", false, true},
            {4, "butnext", "&Finish", false, true},
            {4, "butcancel", "&Cancel", false, true},
        };
        for (const auto& row : rows)
            QTest::addRow("page %d %s", row.page, row.name)
                << row.page << row.name << row.caption << row.bold << row.enabled;
    }
    void pagesShowTheirCaptions() {
        QFETCH(int, page);
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(bool, bold);
        QFETCH(bool, enabled);
        auto main = LoadedMain(3, 0);
        Wizard wizard(*main);
        wizard.open();
        QVERIFY(NextTo(wizard, page));
        QWidget* control = Control<QWidget>(wizard.page(), name);
        QString shown;
        if (auto* button = qobject_cast<QAbstractButton*>(control))
            shown = button->text();
        else if (auto* label = qobject_cast<QLabel*>(control))
            shown = label->text();
        QCOMPARE(shown, caption);
        QCOMPARE(control->font().bold(), bold);
        QCOMPARE(control->isEnabled(), enabled);
        QVERIFY(control->isVisible());
    }

    void pagesShareTitleSizeAndFrame() {
        auto main = LoadedMain(3, 0);
        Wizard wizard(*main);
        wizard.open();
        QSize first;
        for (int page = 1; page <= 4; ++page) {
            QVERIFY(NextTo(wizard, page));
            WizardPage* shown = wizard.page();
            QCOMPARE(shown->objectName(), QStringLiteral("frmwizard%1").arg(page));
            QCOMPARE(shown->windowTitle(), QStringLiteral("Trel Setup Wizard..."));
            QVERIFY(QTest::qWaitForWindowExposed(shown));
            if (page == 1)
                first = shown->size();
            QCOMPARE(shown->size(), first);
            QCOMPARE(shown->minimumSize(), shown->maximumSize());
            // The logo shows upper left; the buttons stand along the bottom right, below the separator.
            const auto* logo = Control<QLabel>(shown, QStringLiteral("Picture1"));
            QVERIFY(!logo->pixmap().isNull());
            QVERIFY(logo->x() < shown->width() / 4 && logo->y() < shown->height() / 4);
            const auto* line = Control<QWidget>(shown, QStringLiteral("Line2"));
            for (const char* name : {"butback", "butnext", "butcancel"}) {
                const auto* button = Control<QPushButton>(shown, QLatin1String(name));
                QVERIFY(button->y() > line->y());
                QVERIFY(button->geometry().right() < shown->width() && button->geometry().bottom() < shown->height());
                QVERIFY(button->x() > shown->width() / 2);
            }
            QCOMPARE(shown->findChild<QWidget*>(QStringLiteral("Line11")) != nullptr, page == 1 || page == 3);
        }
    }

    void captionsFitTheirControls() {
        auto main = LoadedMain(3, 0);
        Wizard wizard(*main);
        wizard.open();
        for (int page = 1; page <= 4; ++page) {
            QVERIFY(NextTo(wizard, page));
            for (const QWidget* w : wizard.page()->findChildren<QWidget*>()) {
                int needed = 0;
                int room = w->width();
                if (const auto* box = qobject_cast<const QCheckBox*>(w)) {
                    needed = box->sizeHint().width();
                } else if (const auto* button = qobject_cast<const QPushButton*>(w)) {
                    needed = button->fontMetrics().horizontalAdvance(QString(button->text()).remove('&')) + 8;
                } else if (const auto* label = qobject_cast<const QLabel*>(w); label && !label->text().isEmpty()) {
                    if (label->wordWrap()) {
                        needed = label->heightForWidth(label->width());
                        room = label->height();
                    } else {
                        needed = label->fontMetrics().horizontalAdvance(label->text());
                    }
                }
                QVERIFY2(needed <= room, qPrintable(QStringLiteral("page %1: %2 needs %3, has %4")
                                                        .arg(page)
                                                        .arg(w->objectName())
                                                        .arg(needed)
                                                        .arg(room)));
            }
        }
    }

    void page1ShowsTheMainGameType_data() {
        QTest::addColumn<int>("gametype");
        QTest::addColumn<QString>("shown");
        QTest::newRow("none chosen") << -1 << "Deathmatch";
        QTest::newRow("Single Player") << 0 << "Single Player";
        QTest::newRow("Teamplay with monsters") << 1 << "Teamplay with monsters";
        QTest::newRow("Teamplay w/o monsters") << 2 << "Teamplay w/o monsters";
        QTest::newRow("Deathmatch") << 3 << "Deathmatch";
    }
    void page1ShowsTheMainGameType() {
        QFETCH(int, gametype);
        QFETCH(QString, shown);
        auto main = LoadedMain(gametype);
        QSignalSpy changed(main.get(), &Main::optionsChanged);
        Wizard wizard(*main);
        wizard.open();
        auto* combo = Control<QComboBox>(wizard.page(), QStringLiteral("gametype"));
        QCOMPARE(combo->currentIndex(), gametype);
        QCOMPARE(combo->count(), 4);
        QCOMPARE(combo->itemText(2), QStringLiteral("Teamplay w/o monsters"));
        const QString visible =
            combo->currentText().isEmpty() ? combo->lineEdit()->placeholderText() : combo->currentText();
        QCOMPARE(visible, shown);
        // Showing the value copies the same value back, which changes nothing in the main window.
        QCOMPARE(main->gametype->currentIndex(), gametype);
        QCOMPARE(changed.count(), 0);
    }

    void choosingOnPage1AppliesTheMainRules_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<bool>("serverTabs");
        QTest::addColumn<bool>("gemGoal");
        QTest::addColumn<bool>("respawn");
        QTest::newRow("Teamplay with monsters") << 3 << 1 << true << false << true;
        QTest::newRow("Single Player") << 3 << 0 << false << true << false;
        QTest::newRow("Deathmatch after Single Player") << 0 << 3 << true << false << false;
        QTest::newRow("Teamplay w/o monsters from none") << -1 << 2 << true << false << false;
    }
    void choosingOnPage1AppliesTheMainRules() {
        QFETCH(int, from);
        QFETCH(int, chosen);
        QFETCH(bool, serverTabs);
        QFETCH(bool, gemGoal);
        QFETCH(bool, respawn);
        auto main = LoadedMain(from);
        main->boolgemgoal->setChecked(from == 0);
        Wizard wizard(*main);
        wizard.open();
        QVERIFY(QTest::qWaitForWindowExposed(wizard.page()));
        ChooseFromList(Control<QComboBox>(wizard.page(), QStringLiteral("gametype")), chosen);
        // The main window follows at once, with the wizard still open.
        QCOMPARE(main->gametype->currentIndex(), chosen);
        QCOMPARE(main->maintab->isTabEnabled(1), serverTabs);
        QCOMPARE(main->maintab->isTabEnabled(2), serverTabs);
        QCOMPARE(main->boolgemgoal->isEnabled(), gemGoal);
        QCOMPARE(main->valgemgoal->isEnabled(), gemGoal);
        QCOMPARE(main->mrespawn->isEnabled(), respawn);
        if (!gemGoal)
            QVERIFY(!main->boolgemgoal->isChecked());
        QCOMPARE(wizard.pageNumber(), 1);
    }

    void typingOnPage1SetsTheNamedEntry_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("expected");
        QTest::newRow("an entry's text") << "Single Player" << 0;
        QTest::newRow("another entry") << "Teamplay w/o monsters" << 2;
        QTest::newRow("no entry") << "Capture the flag" << -1;
        QTest::newRow("other letter case") << "deathmatch" << -1;
        QTest::newRow("part of an entry") << "Teamplay" << -1;
        QTest::newRow("emptied") << "" << -1;
    }
    void typingOnPage1SetsTheNamedEntry() {
        QFETCH(QString, typed);
        QFETCH(int, expected);
        auto main = LoadedMain(3);
        Wizard wizard(*main);
        wizard.open();
        auto* combo = Control<QComboBox>(wizard.page(), QStringLiteral("gametype"));
        TypeInto(combo, typed);
        QCOMPARE(combo->currentText(), typed); // typed text stays as typed
        QCOMPARE(main->gametype->currentIndex(), expected);
        QCOMPARE(main->gametypeText(), expected < 0 ? QStringLiteral("Deathmatch") : typed);
    }

    void page2ShowsTheMainMap_data() {
        QTest::addColumn<int>("map");
        QTest::addColumn<int>("shown");
        QTest::newRow("none") << -1 << -1;
        QTest::newRow("vorn01") << 0 << 0;
        QTest::newRow("vorn03") << 2 << 2;
        QTest::newRow("vorn04") << 3 << 3;
        QTest::newRow("vorn_sp01, which the page lacks") << 4 << -1;
    }
    void page2ShowsTheMainMap() {
        QFETCH(int, map);
        QFETCH(int, shown);
        auto main = LoadedMain(3, map);
        Wizard wizard(*main);
        wizard.open();
        QVERIFY(NextTo(wizard, 2));
        auto* list = Control<QListWidget>(wizard.page(), QStringLiteral("maps"));
        QCOMPARE(list->count(), 4);
        for (int row = 0; row < 4; ++row)
            QCOMPARE(list->item(row)->text(), QStringLiteral("vorn0%1").arg(row + 1));
        QCOMPARE(PageMap(*list), shown);
        QCOMPARE(MainMap(*main), map); // the main window keeps its choice, the fifth map too
        // Moving into the list with the keyboard chooses nothing.
        list->setFocus();
        QCOMPARE(MainMap(*main), map);
    }

    void choosingOnPage2SelectsInTheMainWindow() {
        auto main = LoadedMain(3, 4);
        Wizard wizard(*main);
        wizard.open();
        QVERIFY(NextTo(wizard, 2));
        QVERIFY(QTest::qWaitForWindowExposed(wizard.page()));
        QSignalSpy changed(main.get(), &Main::optionsChanged);
        auto* list = Control<QListWidget>(wizard.page(), QStringLiteral("maps"));
        ClickMap(list, 1);
        QCOMPARE(MainMap(*main), 1);
        QVERIFY(changed.count() >= 1); // the main window's reaction: the preview
        // The main window changes meanwhile; choosing the same entry again on the page still counts.
        main->maps->setCurrentRow(3);
        ClickMap(list, 1);
        QCOMPARE(MainMap(*main), 1);
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(MainMap(*main), 2);
    }

    void editMaplistAsksForTheEditorAndStays() {
        auto main = LoadedMain(3, 0);
        Wizard wizard(*main);
        QSignalSpy asked(&wizard, &Wizard::editMaplistRequested);
        wizard.open();
        QVERIFY(NextTo(wizard, 2));
        WizardPage* page = wizard.page();
        Click(Control<QPushButton>(page, QStringLiteral("Command1")));
        QCOMPARE(asked.count(), 1);
        QCOMPARE(wizard.page(), page);
        QVERIFY(page->isVisible());
    }

    void page3ShowsTheMainValues() {
        auto main = LoadedMain(1);
        main->mrespawn->setCheckState(Qt::Checked);
        main->boolgemgoal->setCheckState(Qt::PartiallyChecked);
        main->valgemgoal->setEditText(QStringLiteral("33"));
        main->booltimelimit->setCheckState(Qt::Checked);
        main->valtimelimit->setEditText(QStringLiteral("45"));
        main->boolmaxgems->setCheckState(Qt::Unchecked);
        main->valmaxgems->setEditText(QStringLiteral("7"));
        Wizard wizard(*main);
        wizard.open();
        QVERIFY(NextTo(wizard, 3));
        QWidget* page = wizard.page();
        QCOMPARE(Control<QCheckBox>(page, QStringLiteral("mrespawn"))->checkState(), Qt::Checked);
        QCOMPARE(Control<QCheckBox>(page, QStringLiteral("boolgemgoal"))->checkState(), Qt::PartiallyChecked);
        QCOMPARE(Control<QCheckBox>(page, QStringLiteral("booltimelimit"))->checkState(), Qt::Checked);
        QCOMPARE(Control<QCheckBox>(page, QStringLiteral("boolmaxgems"))->checkState(), Qt::Unchecked);
        QCOMPARE(Control<QComboBox>(page, QStringLiteral("valgemgoal"))->currentText(), QStringLiteral("33"));
        QCOMPARE(Control<QComboBox>(page, QStringLiteral("valtimelimit"))->currentText(), QStringLiteral("45"));
        QCOMPARE(Control<QComboBox>(page, QStringLiteral("valmaxgems"))->currentText(), QStringLiteral("7"));
        QCOMPARE(Control<QComboBox>(page, QStringLiteral("valmaxgems"))->count(), 0);
        // Copying back changed nothing.
        QCOMPARE(main->boolgemgoal->checkState(), Qt::PartiallyChecked);
        QCOMPARE(main->valtimelimit->currentText(), QStringLiteral("45"));
    }

    void page3TicksReachTheMainWindow_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("field");
        QTest::newRow("Gem Goal:") << "boolgemgoal"
                                   << "valgemgoal";
        QTest::newRow("Timelimit:") << "booltimelimit"
                                    << "valtimelimit";
        QTest::newRow("Max Gems") << "boolmaxgems"
                                  << "valmaxgems";
        QTest::newRow("Monster Respawn") << "mrespawn"
                                         << "";
    }
    void page3TicksReachTheMainWindow() {
        QFETCH(QString, box);
        QFETCH(QString, field);
        // Deathmatch: the main window's gem goal and monster respawn are switched off, the page's are not.
        auto main = LoadedMain(3);
        Wizard wizard(*main);
        wizard.open();
        QVERIFY(NextTo(wizard, 3));
        QVERIFY(QTest::qWaitForWindowExposed(wizard.page()));
        auto* pageBox = Control<QCheckBox>(wizard.page(), box);
        auto* mainBox = Control<QCheckBox>(main.get(), box);
        QVERIFY(pageBox->isEnabled());
        ClickBox(pageBox);
        QVERIFY(pageBox->isChecked());
        QVERIFY(mainBox->isChecked()); // shown even where the main window's box is switched off
        if (!field.isEmpty())
            QVERIFY(Control<QComboBox>(main.get(), field)->isEnabled()); // the value-field rule ran
        ClickBox(pageBox);
        QVERIFY(!mainBox->isChecked());
        if (!field.isEmpty())
            QVERIFY(!Control<QComboBox>(main.get(), field)->isEnabled());
    }

    void greyTickLeavesGreyOnClick() {
        auto main = LoadedMain(1);
        main->mrespawn->setCheckState(Qt::PartiallyChecked);
        Wizard wizard(*main);
        wizard.open();
        QVERIFY(NextTo(wizard, 3));
        QVERIFY(QTest::qWaitForWindowExposed(wizard.page()));
        auto* box = Control<QCheckBox>(wizard.page(), QStringLiteral("mrespawn"));
        ClickBox(box);
        QCOMPARE(main->mrespawn->checkState(), Qt::Checked);
        ClickBox(box);
        QCOMPARE(main->mrespawn->checkState(), Qt::Unchecked);
        ClickBox(box);
        QCOMPARE(box->checkState(), Qt::Checked); // ticks and unticks only, once out of grey
        QCOMPARE(main->mrespawn->checkState(), Qt::Checked);
    }

    void page3TextsReachTheMainWindowUnfiltered_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::newRow("gem goal 25") << "valgemgoal"
                                     << "25";
        QTest::newRow("time limit letters") << "valtimelimit"
                                            << "1a2";
        QTest::newRow("max gems minus") << "valmaxgems"
                                        << "-5";
        QTest::newRow("blank and dot") << "valtimelimit"
                                       << "2 .5";
        QTest::newRow("emptied") << "valgemgoal"
                                 << "";
    }
    void page3TextsReachTheMainWindowUnfiltered() {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        auto main = LoadedMain(3);
        QSignalSpy changed(main.get(), &Main::optionsChanged);
        Wizard wizard(*main);
        wizard.open();
        QVERIFY(NextTo(wizard, 3));
        TypeInto(Control<QComboBox>(wizard.page(), field), typed);
        QCOMPARE(Control<QComboBox>(main.get(), field)->currentText(), typed);
        QVERIFY(changed.count() >= 1);
    }

    void cancelKeepsTheChanges() {
        auto main = LoadedMain(0);
        Wizard wizard(*main);
        wizard.open();
        QVERIFY(NextTo(wizard, 3));
        TypeInto(Control<QComboBox>(wizard.page(), QStringLiteral("valgemgoal")), QStringLiteral("25"));
        Click(wizard.page()->butcancel);
        QTRY_COMPARE_WITH_TIMEOUT(wizard.pageNumber(), 0, kTimeoutMs);
        QCOMPARE(WizardPagesAlive(), 0);
        QCOMPARE(main->valgemgoal->currentText(), QStringLiteral("25"));
        QVERIFY(main->isVisible() && main->isEnabled());
    }

    void everyPageCancels_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("closeBox");
        for (int page = 1; page <= 4; ++page) {
            QTest::addRow("page %d Cancel", page) << page << false;
            QTest::addRow("page %d close box", page) << page << true;
        }
    }
    void everyPageCancels() {
        QFETCH(int, page);
        QFETCH(bool, closeBox);
        auto main = LoadedMain(3, 1);
        Wizard wizard(*main);
        QSignalSpy finished(&wizard, &Wizard::finished);
        wizard.open();
        ChooseFromList(Control<QComboBox>(wizard.page(), QStringLiteral("gametype")), 2);
        QVERIFY(NextTo(wizard, page));
        if (closeBox)
            QVERIFY(wizard.page()->close());
        else
            Click(wizard.page()->butcancel);
        QTRY_COMPARE_WITH_TIMEOUT(wizard.pageNumber(), 0, kTimeoutMs);
        QCOMPARE(WizardPagesAlive(), 0);
        QCOMPARE(finished.count(), 0);
        QCOMPARE(main->gametype->currentIndex(), 2);
        // The wizard opens again at page 1.
        wizard.open();
        QCOMPARE(wizard.pageNumber(), 1);
    }

    void backAndNextRebuildFromTheMainWindow() {
        auto main = LoadedMain(3);
        Wizard wizard(*main);
        wizard.open();
        QVERIFY(NextTo(wizard, 2));
        ClickMap(Control<QListWidget>(wizard.page(), QStringLiteral("maps")), 2);
        Click(wizard.page()->butback);
        QTRY_COMPARE_WITH_TIMEOUT(wizard.pageNumber(), 1, kTimeoutMs);
        QCOMPARE(WizardPagesAlive(), 1);
        QVERIFY(NextTo(wizard, 2));
        QCOMPARE(PageMap(*Control<QListWidget>(wizard.page(), QStringLiteral("maps"))), 2);

        // What the user changes in the main window meanwhile shows when a page is built again.
        main->maps->setCurrentRow(0);
        main->valtimelimit->setEditText(QStringLiteral("17"));
        QVERIFY(NextTo(wizard, 3));
        QCOMPARE(Control<QComboBox>(wizard.page(), QStringLiteral("valtimelimit"))->currentText(),
                 QStringLiteral("17"));
        Click(wizard.page()->butback);
        QTRY_COMPARE_WITH_TIMEOUT(wizard.pageNumber(), 2, kTimeoutMs);
        QCOMPARE(PageMap(*Control<QListWidget>(wizard.page(), QStringLiteral("maps"))), 0);
        QCOMPARE(WizardPagesAlive(), 1);
    }

    void pagesKeepTheirPlace() {
        auto main = LoadedMain(3);
        Wizard wizard(*main);
        wizard.open();
        QVERIFY(QTest::qWaitForWindowExposed(wizard.page()));
        wizard.page()->move(40, 50);
        const QPoint where = wizard.page()->pos();
        QVERIFY(NextTo(wizard, 2));
        QCOMPARE(wizard.page()->pos(), where);
    }

    void openingAgainBringsTheOpenPageForward() {
        auto main = LoadedMain(3);
        Wizard wizard(*main);
        wizard.open();
        QVERIFY(NextTo(wizard, 3));
        WizardPage* page = wizard.page();
        page->hide();
        wizard.open();
        QCOMPARE(wizard.page(), page);
        QCOMPARE(wizard.pageNumber(), 3);
        QVERIFY(page->isVisible());
        QCOMPARE(WizardPagesAlive(), 1);
    }

    void summaryShowsTheTenLines() {
        auto main = LoadedMain(3, 1);
        main->valtimelimit->setEditText(QStringLiteral("20"));
        main->valmaxgems->setEditText(QStringLiteral("0"));
        main->valgemgoal->setEditText(QStringLiteral("10"));
        Wizard wizard(*main);
        wizard.open();
        QVERIFY(NextTo(wizard, 4));
        const auto* summary = Control<QPlainTextEdit>(wizard.page(), QStringLiteral("wizoptions"));
        QCOMPARE(summary->toPlainText(), QStringLiteral("The map you have chosen is\nvorn02\n\n"
                                                        "You have chosen gametype :Deathmatch\n\n"
                                                        "Timelimit : 20\n\nMaximum gems : 0\n\nGem goal : 10\n"));
        QCOMPARE(summary->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    }

    void summaryWithoutAChosenMapNamesTheFirst_data() {
        QTest::addColumn<int>("map");
        QTest::addColumn<QString>("gametype");
        QTest::addColumn<QString>("secondLine");
        QTest::addColumn<QString>("fourthLine");
        QTest::newRow("none, none") << -1 << ""
                                    << "vorn01"
                                    << "You have chosen gametype :Deathmatch";
        QTest::newRow("fifth map") << 4 << "Single Player"
                                   << "vorn_sp01"
                                   << "You have chosen gametype :Single Player";
        QTest::newRow("typed game type") << 3 << "Capture"
                                         << "vorn04"
                                         << "You have chosen gametype :Deathmatch";
    }
    void summaryWithoutAChosenMapNamesTheFirst() {
        QFETCH(int, map);
        QFETCH(QString, gametype);
        QFETCH(QString, secondLine);
        QFETCH(QString, fourthLine);
        auto main = LoadedMain(-1, map);
        Wizard wizard(*main);
        wizard.open();
        if (!gametype.isEmpty())
            TypeInto(Control<QComboBox>(wizard.page(), QStringLiteral("gametype")), gametype);
        QVERIFY(NextTo(wizard, 4));
        const QStringList lines =
            Control<QPlainTextEdit>(wizard.page(), QStringLiteral("wizoptions"))->toPlainText().split('\n');
        QCOMPARE(lines.size(), 11); // ten lines and the final line end
        QCOMPARE(lines.at(1), secondLine);
        QCOMPARE(lines.at(3), fourthLine);
    }

    void summaryLeavesEveryFileAlone_data() {
        QTest::addColumn<bool>("userFile");
        QTest::newRow("a temp.ini of the user's") << true;
        QTest::newRow("no temp.ini") << false;
    }
    void summaryLeavesEveryFileAlone() {
        QFETCH(bool, userFile);
        QTemporaryDir start;
        QVERIFY(QDir(start.path()).mkpath(QStringLiteral("Quake 2/vorn")));
        const QString vorn = start.filePath(QStringLiteral("Quake 2/vorn"));
        if (userFile) {
            QFile mine(vorn + QStringLiteral("/temp.ini"));
            QVERIFY(mine.open(QIODevice::WriteOnly));
            mine.write("[Mine]\r\nkeep=this\r\n");
        }
        QFile config(vorn + QStringLiteral("/vorn.ini"));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write("; map details\r\n");
        config.close();
        const QMap<QString, QByteArray> before = Snapshot(start.path());

        const QString previous = QDir::currentPath();
        // Relative paths would land in the start folder or in the Quake 2 folder: both are watched.
        QVERIFY(QDir::setCurrent(start.path()));
        auto main = LoadedMain(3, 1);
        main->setQuake2Path((start.filePath(QStringLiteral("Quake 2/quake2"))).toStdString());
        Wizard wizard(*main);
        wizard.open();
        QVERIFY(NextTo(wizard, 4));
        QVERIFY(!Control<QPlainTextEdit>(wizard.page(), QStringLiteral("wizoptions"))->toPlainText().isEmpty());
        const QMap<QString, QByteArray> after = Snapshot(start.path());
        QVERIFY(QDir::setCurrent(previous));
        QCOMPARE(after, before);
        QCOMPARE(QFile::exists(vorn + QStringLiteral("/temp.ini")), userFile);
    }

    void finishClosesAndAsksForThePreview() {
        auto main = LoadedMain(3, 0);
        Wizard wizard(*main);
        QSignalSpy finished(&wizard, &Wizard::finished);
        wizard.open();
        QVERIFY(NextTo(wizard, 4));
        Click(wizard.page()->butnext);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, kTimeoutMs);
        QCOMPARE(wizard.pageNumber(), 0);
        QCOMPARE(WizardPagesAlive(), 0);
        QVERIFY(main->isVisible());
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

    void pagesEndWithTheMainWindow_data() {
        QTest::addColumn<bool>("childOfMain");
        QTest::newRow("wizard owned by the main window") << true;
        QTest::newRow("wizard held elsewhere") << false;
    }
    void pagesEndWithTheMainWindow() {
        QFETCH(bool, childOfMain);
        auto main = LoadedMain(3);
        std::unique_ptr<Wizard> elsewhere;
        Wizard* wizard = nullptr;
        if (childOfMain) {
            wizard = new Wizard(*main, main.get());
        } else {
            elsewhere = std::make_unique<Wizard>(*main);
            wizard = elsewhere.get();
        }
        wizard->open();
        QVERIFY(NextTo(*wizard, 3));
        QPointer<WizardPage> page = wizard->page();
        main.reset();
        QVERIFY(page.isNull());
        QCOMPARE(WizardPagesAlive(), 0);
        if (elsewhere)
            QCOMPARE(elsewhere->pageNumber(), 0);
    }
};

QTEST_MAIN(TestWizard)
#include "test_wizard.moc"
