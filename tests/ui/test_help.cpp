// The help line under the main window, the document opener, the wizard's menu item and the about box:
// the pointer moved over a control shows the control's help text, over the bare window or the tab
// control the version, and over any other control leaves the line as it was.

#include "auxiliary/Aboutform.h"
#include "main/Main.h"
#include "mdlmaincode.h"
#include "seams/DocumentOpener.h"
#include "seams/MessageBoxes.h"
#include "ui_test_support.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace trel;
using trel::test::Control;

namespace {

constexpr int kTimeoutMs = 5000;
const QString kVersionText = QStringLiteral("Trel v0.48");
const QString kRunHelp = QStringLiteral("Run Vorn with selected options");

std::unique_ptr<Main> ShownMain() {
    auto main = std::make_unique<Main>();
    SettingsLoad load;
    load.Quake2Path = "C:\\Quake2\\quake2.exe";
    load.DMflags = 0;
    main->LoadSettings(load); // fills the lists and shows the window
    return main;
}

void ShowTab(const Main& main, int tab) {
    QTabBar* bar = main.maintab->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
}

// The tab a control stands on, or -1 outside the tab control.
int TabOf(const Main& main, const QWidget* control) {
    for (int tab = 0; tab < main.maintab->count(); ++tab) {
        if (main.maintab->widget(tab)->isAncestorOf(control))
            return tab;
    }
    return -1;
}

// Moves the pointer onto control (or onto the point of it given), bringing its tab forward first.
void PointAt(const Main& main, QWidget* control, QPoint at = {-1, -1}) {
    if (const int tab = TabOf(main, control); tab >= 0 && main.maintab->currentIndex() != tab)
        ShowTab(main, tab);
    QTest::mouseMove(control, at.x() < 0 ? control->rect().center() : at);
}

QString MakeFile(const QTemporaryDir& dir, const QString& name) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write("<html></html>\r\n");
    return path;
}

} // namespace

class TestHelp : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        trel::test::PrepareUiTest();
        parking_.setGeometry(0, 0, 20, 20);
        parking_.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parking_));
    }

    // The toolkit drops a pointer move to where the pointer already is; each test starts from elsewhere.
    void init() { QTest::mouseMove(&parking_, QPoint(10, 10)); }

    void controlsExplainThemselves_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("help");
        const struct {
            const char* name;
            const char* help;
        } rows[] = {
            {"about", "Information about Trel"},
            {"Command1", "Exit Program"},
            {"Command2", "Run Vorn with selected options"},
            {"Command3", "Edit the games maplist, used to set the cycle of maps"},
            {"findquake2dir", "Change Quake2 executables path"},
            {"quake2dir", "Location of your Quake2 executable, MUST BE SET"},
            {"maps", "Vorn maps"},
            {"boolgemgoal", "Sets the gem goal you need to reach in Single Player games"},
            {"boolmaxclients", "Sets maximum clients allowed to connect to server"},
            {"boolmaxgems", "Set Maximum gems produced for the start level"},
            {"booltimelimit", "Sets timelimit for game, upon reaching it the game ends."},
            {"dedserver", "Forces server into dedicated mode, useful if you are running a permanent server"},
            {"forcejoin", "Forces people to join team with lowest players upon connect."},
            {"mrespawn", "Sets wether monsters respawn or not upon death"},
            {"q2option(1)", "Deathmatch flag options"},
            {"q2option(512)", "Deathmatch flag options"},
            {"q2option(32767)", "Deathmatch flag options"},
            {"dmflagval", "Value of DMflags added together"},
        };
        for (const auto& row : rows)
            QTest::newRow(row.name) << row.name << row.help;
    }
    void controlsExplainThemselves() {
        QFETCH(QString, name);
        QFETCH(QString, help);
        auto main = ShownMain();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        QCOMPARE(main->helpText(), QString()); // empty until the pointer first moves over something
        QWidget* control = Control<QWidget>(main.get(), name);
        PointAt(*main, control);
        QTRY_COMPARE_WITH_TIMEOUT(main->helpText(), help, kTimeoutMs);
        QCOMPARE(Control<QLabel>(main->statusbar, QStringLiteral("helpline"))->text(), help);
        // Any point of the control counts, its edge too.
        main->setHelpText(QString());
        PointAt(*main, control, QPoint(1, control->height() - 2));
        QTRY_COMPARE_WITH_TIMEOUT(main->helpText(), help, kTimeoutMs);
    }

    void innerPartsCountAsTheirControl() {
        auto main = ShownMain();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        // The pointer over a list entry is over the list's inner view.
        QListWidget* list = main->maps;
        PointAt(*main, list->viewport(), list->visualItemRect(list->item(2)).center());
        QTRY_COMPARE_WITH_TIMEOUT(main->helpText(), QStringLiteral("Vorn maps"), kTimeoutMs);
    }

    void bareWindowAndTabControlShowTheVersion_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("tab");
        QTest::addColumn<QPoint>("at");
        QTest::newRow("window between the buttons") << "client" << -1 << QPoint(436, 160);
        QTest::newRow("window left of the tabs") << "client" << -1 << QPoint(3, 100);
        QTest::newRow("etched line") << "mainline" << -1 << QPoint(30, 1);
        QTest::newRow("tab row beside the tabs") << "maintab" << 0 << QPoint(375, 6);
        QTest::newRow("General page between frames") << "maintab" << 0 << QPoint(228, 140);
        QTest::newRow("General page under the list") << "maintab" << 0 << QPoint(300, 108);
        QTest::newRow("Server Options page under the frames") << "maintab" << 1 << QPoint(190, 228);
        QTest::newRow("Server Admin page under the frame") << "maintab" << 2 << QPoint(190, 190);
    }
    void bareWindowAndTabControlShowTheVersion() {
        QFETCH(QString, name);
        QFETCH(int, tab);
        QFETCH(QPoint, at);
        auto main = ShownMain();
        main->gametype->setCurrentIndex(3); // every tab can be brought forward
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        if (tab >= 0)
            ShowTab(*main, tab);
        PointAt(*main, main->Command2);
        QTRY_COMPARE_WITH_TIMEOUT(main->helpText(), kRunHelp, kTimeoutMs);
        QTest::mouseMove(Control<QWidget>(main.get(), name), at);
        QTRY_COMPARE_WITH_TIMEOUT(main->helpText(), kVersionText, kTimeoutMs);
    }

    void tabsThemselvesShowTheVersion_data() {
        QTest::addColumn<int>("tab");
        QTest::newRow("General") << 0;
        QTest::newRow("Server Options") << 1;
        QTest::newRow("Server Admin, switched off") << 2;
    }
    void tabsThemselvesShowTheVersion() {
        QFETCH(int, tab);
        auto main = ShownMain();
        main->gametype->setCurrentIndex(0); // Single Player switches the server tabs off
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        PointAt(*main, main->Command2);
        QTRY_COMPARE_WITH_TIMEOUT(main->helpText(), kRunHelp, kTimeoutMs);
        QTabBar* bar = main->maintab->tabBar();
        QTest::mouseMove(bar, bar->tabRect(tab).center());
        QTRY_COMPARE_WITH_TIMEOUT(main->helpText(), kVersionText, kTimeoutMs);
    }

    void otherControlsLeaveTheLine_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QPoint>("at");
        const QPoint centre(-1, -1);
        QTest::newRow("Gametype: label") << "Label9" << centre;
        QTest::newRow("gametype") << "gametype" << centre;
        QTest::newRow("View Commandline") << "ShowCommandLine" << centre;
        QTest::newRow("Start Map: label") << "Label1" << centre;
        QTest::newRow("addparam") << "addparam" << centre;
        QTest::newRow("Quake 2 frame's bare part") << "Frame4" << QPoint(180, 100);
        QTest::newRow("gem goal frame's bare part") << "Frame1" << QPoint(110, 6);
        QTest::newRow("gem goal value") << "valgemgoal" << centre;
        QTest::newRow("Edit Map Cycle") << "editmapcycle" << centre;
        QTest::newRow("Connect to...") << "Command4" << centre;
        QTest::newRow("flags frame's bare part") << "framedm" << QPoint(330, 7);
        QTest::newRow("flags value label") << "lbldmflag" << centre;
        QTest::newRow("max clients value") << "valmaxclients" << centre;
        QTest::newRow("time limit value") << "valtimelimit" << QPoint(8, 10);
        QTest::newRow("server options frame's bare part") << "Frame2" << QPoint(300, 60);
        QTest::newRow("Edit MOTD") << "Command5" << centre;
        QTest::newRow("editor description") << "Label6" << centre;
        QTest::newRow("serverini") << "serverini" << centre;
        QTest::newRow("status bar") << "statusbar" << centre;
    }
    void otherControlsLeaveTheLine() {
        QFETCH(QString, name);
        QFETCH(QPoint, at);
        auto main = ShownMain();
        main->gametype->setCurrentIndex(3);
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        PointAt(*main, main->Command2);
        QTRY_COMPARE_WITH_TIMEOUT(main->helpText(), kRunHelp, kTimeoutMs);
        QWidget* control = Control<QWidget>(main.get(), name);
        PointAt(*main, control, at);
        // The point is really over the control (or an inner part of it), not over a neighbour.
        const QWidget* under =
            main->childAt(main->mapFromGlobal(control->mapToGlobal(at.x() < 0 ? control->rect().center() : at)));
        QVERIFY(under == control || control->isAncestorOf(under));
        QCOMPARE(main->helpText(), kRunHelp);
        PointAt(*main, main->Command1);
        QTRY_COMPARE_WITH_TIMEOUT(main->helpText(), QStringLiteral("Exit Program"), kTimeoutMs);
    }

    void helpFollowsThePointerWithAButtonHeld() {
        auto main = ShownMain();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        QSignalSpy about(main.get(), &Main::aboutRequested);
        QSignalSpy exit(main.get(), &Main::exitRequested);
        QTest::mouseMove(main->about);
        QTRY_COMPARE_WITH_TIMEOUT(main->helpText(), QStringLiteral("Information about Trel"), kTimeoutMs);
        QTest::mousePress(main->about, Qt::LeftButton);
        QTest::mouseMove(main->Command1);
        QTRY_COMPARE_WITH_TIMEOUT(main->helpText(), QStringLiteral("Exit Program"), kTimeoutMs);
        QTest::mouseMove(main->centralWidget(), QPoint(436, 160));
        QTRY_COMPARE_WITH_TIMEOUT(main->helpText(), kVersionText, kTimeoutMs);
        QTest::mouseRelease(main->centralWidget(), Qt::LeftButton, {}, QPoint(436, 160));
        QCOMPARE(about.count(), 0); // released away from "About...": no click
        QCOMPARE(exit.count(), 0);
    }

    void twoWindowsKeepTheirOwnLines() {
        auto first = ShownMain();
        auto second = ShownMain();
        QVERIFY(QTest::qWaitForWindowExposed(first.get()));
        QVERIFY(QTest::qWaitForWindowExposed(second.get()));
        PointAt(*first, first->Command2);
        QTRY_COMPARE_WITH_TIMEOUT(first->helpText(), kRunHelp, kTimeoutMs);
        QCOMPARE(second->helpText(), QString());
    }

    void wizardMenuItem() {
        auto main = ShownMain();
        auto* file = Control<QMenu>(main.get(), QStringLiteral("mnufile"));
        auto* item = Control<QAction>(main.get(), QStringLiteral("mnuwizard"));
        QCOMPARE(item->text(), QStringLiteral("Quick Start &Wizard..."));
        QCOMPARE(item->shortcut(), QKeySequence(QStringLiteral("Ctrl+W")));
        // Right above "Maplist Editor".
        const QList<QAction*> items = file->actions();
        QCOMPARE(items.indexOf(item) + 1, items.indexOf(main->mnumaplist));
        QSignalSpy asked(main.get(), &Main::wizardRequested);
        item->trigger();
        QCOMPARE(asked.count(), 1);
        main->setFeatureAvailable(Main::Feature::Wizard, false);
        QVERIFY(!item->isEnabled());
        QVERIFY(main->mnumaplist->isEnabled());
        main->setFeatureAvailable(Main::Feature::Wizard, true);
        QVERIFY(item->isEnabled());
    }

    void openDocument_data() {
        QTest::addColumn<QString>("file"); // "manual" stands for an existing file, "missing" for none
        QTest::addColumn<bool>("opens");
        QTest::addColumn<bool>("result");
        QTest::addColumn<bool>("tried");
        QTest::addColumn<QString>("warning");
        QTest::newRow("existing manual") << "manual" << true << true << true << "";
        QTest::newRow("missing manual") << "missing" << true << false << false << "The file %1 was not found.";
        QTest::newRow("no program for it")
            << "manual" << false << false << true << "No program could be started to open %1.";
        QTest::newRow("web address") << "https://example.org/trel/" << true << true << true << "";
        QTest::newRow("web address, no browser")
            << "https://example.org/trel/" << false << false << true << "No program could be started to open %1.";
    }
    void openDocument() {
        QFETCH(QString, file);
        QFETCH(bool, opens);
        QFETCH(bool, result);
        QFETCH(bool, tried);
        QFETCH(QString, warning);
        QTemporaryDir dir;
        QString target = file;
        if (file == QLatin1String("manual"))
            target = MakeFile(dir, QStringLiteral("manual.html"));
        else if (file == QLatin1String("missing"))
            target = dir.filePath(QStringLiteral("todolist.txt"));
        RecordedDocumentOpener documents;
        documents.succeed = opens;
        RecordedMessageBoxes boxes;
        QCOMPARE(OpenDocument(documents, boxes, nullptr, target), result);
        QCOMPARE(documents.opened, tried ? QStringList{target} : QStringList{});
        if (warning.isEmpty()) {
            QVERIFY(boxes.shown.isEmpty());
        } else {
            QCOMPARE(boxes.shown.size(), 1);
            QCOMPARE(boxes.shown.front().title, QStringLiteral("Warning!"));
            const QString shown = QFileInfo(target).isAbsolute() ? QDir::toNativeSeparators(target) : target;
            QCOMPARE(boxes.shown.front().text, warning.arg(shown));
        }
    }

    void aboutBoxShowsVersionAndCredits() {
        RecordedDocumentOpener documents;
        RecordedMessageBoxes boxes;
        QPointer<Aboutform> box = new Aboutform(documents, boxes, QStringLiteral("/opt/trel/manual.html"));
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box));
        QCOMPARE(box->windowTitle(), QStringLiteral("About.."));
        QVERIFY(box->windowFlags().testFlag(Qt::Tool));
        QCOMPARE(box->size(), QSize(271, 476));
        QCOMPARE(box->minimumSize(), box->maximumSize());
        const auto* version = Control<QLabel>(box, QStringLiteral("version"));
        QCOMPARE(version->text(), QStringLiteral("Version 0.48"));
        QVERIFY(version->font().bold());
        QCOMPARE(version->font().pointSize(), 12);
        QCOMPARE(Control<QPushButton>(box, QStringLiteral("Command1"))->text(), QStringLiteral("Ok"));
        QVERIFY(!Control<QLabel>(box, QStringLiteral("Picture1"))->pixmap().isNull());
        const struct {
            const char* name;
            const char* text;
        } headings[] = {{"Label1", "Author:"}, {"Label3", "Special Thanks:"}, {"Label6", "Thanks:"}};
        for (const auto& heading : headings) {
            const auto* label = Control<QLabel>(box, QLatin1String(heading.name));
            QCOMPARE(label->text(), QLatin1String(heading.text));
            QVERIFY(label->font().bold());
        }
        // One label per credit: one author, two special thanks, six thanks; each whole inside the box.
        for (const char* name : {"Label2", "Label4", "Label5", "Label7", "Label8", "Label9", "Label10", "Label12",
                                 "Label15", "Label16", "Label11"}) {
            const auto* label = Control<QLabel>(box, QLatin1String(name));
            QVERIFY2(!label->text().isEmpty(), name);
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(), name);
            QVERIFY2(box->rect().contains(label->geometry()), name);
        }
        Control<QPushButton>(box, QStringLiteral("Command1"))->click();
        QTRY_VERIFY_WITH_TIMEOUT(box.isNull(), kTimeoutMs);
    }

    void aboutLink_data() {
        QTest::addColumn<QString>("link"); // "manual" stands for the installed manual
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("invitation");
        QTest::newRow("installed manual") << "manual"
                                          << "manual.html"
                                          << "Read the manual for more details on Vorn and Trel:";
        QTest::newRow("web site") << "https://example.org/trel/"
                                  << "https://example.org/trel/"
                                  << "Visit the web site for more details on Vorn and Trel:";
    }
    void aboutLink() {
        QFETCH(QString, link);
        QFETCH(QString, shown);
        QFETCH(QString, invitation);
        QTemporaryDir dir;
        if (link == QLatin1String("manual"))
            link = MakeFile(dir, QStringLiteral("manual.html"));
        RecordedDocumentOpener documents;
        RecordedMessageBoxes boxes;
        QPointer<Aboutform> box = new Aboutform(documents, boxes, link);
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box));
        auto* label = Control<QLabel>(box, QStringLiteral("Label14"));
        QCOMPARE(label->text(), shown);
        QCOMPARE(Control<QLabel>(box, QStringLiteral("Label13"))->text(), invitation);
        QVERIFY(label->font().bold() && label->font().underline());
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0, 0, 128));
        QCOMPARE(label->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->width());
        // Two clicks open it twice; the box stays open.
        QTest::mouseClick(label, Qt::LeftButton);
        QTest::mouseClick(label, Qt::LeftButton);
        QCOMPARE(documents.opened, (QStringList{link, link}));
        QVERIFY(boxes.shown.isEmpty());
        QVERIFY(!box.isNull() && box->isVisible());
        // A press that is released away from the link is no click.
        QTest::mousePress(label, Qt::LeftButton);
        QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(-20, -20));
        QTest::mouseClick(label, Qt::RightButton);
        QCOMPARE(documents.opened.size(), 2);
        delete box;
    }

    void aboutLinkFailuresAreReported_data() {
        QTest::addColumn<bool>("manualExists");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("warning");
        QTest::newRow("manual missing") << false << true << "The file %1 was not found.";
        QTest::newRow("no program") << true << false << "No program could be started to open %1.";
    }
    void aboutLinkFailuresAreReported() {
        QFETCH(bool, manualExists);
        QFETCH(bool, opens);
        QFETCH(QString, warning);
        QTemporaryDir dir;
        const QString manual =
            manualExists ? MakeFile(dir, QStringLiteral("manual.html")) : dir.filePath(QStringLiteral("manual.html"));
        RecordedDocumentOpener documents;
        documents.succeed = opens;
        RecordedMessageBoxes boxes;
        QPointer<Aboutform> box = new Aboutform(documents, boxes, manual);
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box));
        QTest::mouseClick(Control<QLabel>(box, QStringLiteral("Label14")), Qt::LeftButton);
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.front().title, QStringLiteral("Warning!"));
        QCOMPARE(boxes.shown.front().text, warning.arg(QDir::toNativeSeparators(manual)));
        QVERIFY(box->isVisible());
        delete box;
    }

    void aboutBoxTellsWhenClosed_data() {
        QTest::addColumn<bool>("byOk");
        QTest::newRow("Ok") << true;
        QTest::newRow("close box") << false;
    }
    void aboutBoxTellsWhenClosed() {
        QFETCH(bool, byOk);
        RecordedDocumentOpener documents;
        RecordedMessageBoxes boxes;
        QPointer<Aboutform> box = new Aboutform(documents, boxes, QStringLiteral("https://example.org/"));
        QSignalSpy closed(box.data(), &Aboutform::closed);
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box));
        if (byOk)
            QTest::mouseClick(Control<QPushButton>(box, QStringLiteral("Command1")), Qt::LeftButton);
        else
            QVERIFY(box->close());
        QCOMPARE(closed.count(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(box.isNull(), kTimeoutMs); // unloaded: the next opening builds it afresh
        QVERIFY(documents.opened.isEmpty());
    }

    void aboutLinkFollowsTheBuildSetting() {
        const QString manual = QStringLiteral("/opt/trel/manual.html");
        const QString link = Aboutform::WebSiteOr(manual);
        // Either no site was set when Trel was built and the manual stands in, or the site is a web address.
        QVERIFY(link == manual || (!link.isEmpty() && !QFileInfo(link).isAbsolute()));
    }

private:
    QWidget parking_; // a window away from the others, where each test's pointer starts
};

QTEST_MAIN(TestHelp)
#include "test_help.moc"
