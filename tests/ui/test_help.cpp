// The help line under the main window and the about box. The pointer over a control shows its help text, over
// the bare window or the tab control the version, and over any other control leaves the line as it was.

#include "auxiliary/Aboutform.h"
#include "main/Main.h"
#include "mdlmaincode.h"
#include "seams/DocumentOpener.h"
#include "seams/MessageBoxes.h"
#include "ui_test_support.h"

#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>

#include <memory>

using namespace trel;
using trel::test::Control;

namespace {

constexpr int kTimeoutMs = 5000;
const QString kVersion = QStringLiteral("Trel v0.48"), kRun = QStringLiteral("Run Vorn with selected options");

std::unique_ptr<Main> ShownMain(int gametype) {
    auto main = std::make_unique<Main>();
    SettingsLoad load;
    load.Quake2Path = "C:\\Quake2\\quake2.exe";
    load.DMflags = 0;
    main->LoadSettings(load);
    main->gametype->setCurrentIndex(gametype);
    return QTest::qWaitForWindowExposed(main.get()) ? std::move(main) : nullptr;
}
void ShowTab(const Main& main, int tab) {
    QTest::mouseClick(main.maintab->tabBar(), Qt::LeftButton, {}, main.maintab->tabBar()->tabRect(tab).center());
}
// Moves the pointer onto control (at the point given, or its centre), bringing its tab forward first.
void PointAt(const Main& main, QWidget* control, QPoint at = {-1, -1}) {
    for (int tab = 0; tab < main.maintab->count(); ++tab)
        if (main.maintab->widget(tab)->isAncestorOf(control) && main.maintab->currentIndex() != tab)
            ShowTab(main, tab);
    QTest::mouseMove(control, at.x() < 0 ? control->rect().center() : at);
}

} // namespace

class TestHelp : public QObject {
    Q_OBJECT
    QWidget parking_; // away from the others: the toolkit drops a pointer move to where the pointer already is
private slots:
    void initTestCase() {
        trel::test::PrepareUiTest();
        parking_.setGeometry(0, 0, 20, 20);
        parking_.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parking_));
    }
    void init() { QTest::mouseMove(&parking_, QPoint(10, 10)); }

    // (control, tab brought forward, point, help line shown; null: the line stays as it was)
    void pointerSetsTheHelpLine() {
        const QPoint c(-1, -1);
        const struct { const char* name; int tab; QPoint at; QString help; } rows[] = {
            {"about", -1, c, "Information about Trel"},
            {"quake2dir", -1, c, "Location of your Quake2 executable, MUST BE SET"},
            {"maps", -1, c, "Vorn maps"}, // over an entry: the list's inner view
            {"boolgemgoal", -1, c, "Sets the gem goal you need to reach in Single Player games"},
            {"boolmaxclients", -1, QPoint(1, 2), "Sets maximum clients allowed to connect to server"},
            {"q2option(512)", -1, c, "Deathmatch flag options"}, {"dmflagval", -1, c, "Value of DMflags added together"},
            {"client", -1, QPoint(436, 160), kVersion}, {"mainline", -1, QPoint(30, 1), kVersion},
            {"maintab", 0, QPoint(375, 6), kVersion}, {"maintab", 1, QPoint(190, 228), kVersion},
            {"gametype", -1, c, {}}, {"Frame4", -1, QPoint(180, 100), {}}, {"Command5", -1, c, {}},
            {"statusbar", -1, c, {}}};
        for (const auto& row : rows) {
            init();
            auto main = ShownMain(3);
            QVERIFY(main);
            QCOMPARE(main->helpText(), QString()); // empty until the pointer first moves over something
            if (row.tab >= 0)
                ShowTab(*main, row.tab);
            PointAt(*main, main->Command2);
            QTRY_COMPARE_WITH_TIMEOUT(main->helpText(), kRun, kTimeoutMs);
            QWidget* control = Control<QWidget>(main.get(), row.name);
            PointAt(*main, control, row.at);
            if (!row.help.isNull()) {
                QTRY_COMPARE_WITH_TIMEOUT(main->helpText(), row.help, kTimeoutMs);
                QCOMPARE(Control<QLabel>(main->statusbar, QStringLiteral("helpline"))->text(), row.help);
                continue;
            }
            const QPoint at = row.at.x() < 0 ? control->rect().center() : row.at; // really over the control
            const QWidget* under = main->childAt(main->mapFromGlobal(control->mapToGlobal(at)));
            QVERIFY(under == control || control->isAncestorOf(under));
            QCOMPARE(main->helpText(), kRun);
        }
    }

    // Tabs switched off show the version too; the line follows the pointer with a button held (released away
    // from "About...": no click), and a second window keeps its own line.
    void tabsOffAndAButtonHeld() {
        auto main = ShownMain(0), second = ShownMain(3); // Single Player switches the server tabs off
        QVERIFY(main && second);
        QTabBar* bar = main->maintab->tabBar();
        for (int tab = 0; tab < bar->count(); ++tab) {
            PointAt(*main, main->Command2);
            QTRY_COMPARE_WITH_TIMEOUT(main->helpText(), kRun, kTimeoutMs);
            QTest::mouseMove(bar, bar->tabRect(tab).center());
            QTRY_COMPARE_WITH_TIMEOUT(main->helpText(), kVersion, kTimeoutMs);
        }
        QSignalSpy about(main.get(), &Main::aboutRequested), exit(main.get(), &Main::exitRequested);
        QTest::mouseMove(main->about);
        QTRY_COMPARE_WITH_TIMEOUT(main->helpText(), QStringLiteral("Information about Trel"), kTimeoutMs);
        QTest::mousePress(main->about, Qt::LeftButton);
        QTest::mouseMove(main->Command1);
        QTRY_COMPARE_WITH_TIMEOUT(main->helpText(), QStringLiteral("Exit Program"), kTimeoutMs);
        QTest::mouseRelease(main->Command1, Qt::LeftButton);
        QCOMPARE(about.count() + exit.count(), 0);
        QCOMPARE(second->helpText(), QString());
    }

    // The about box's link opens the manual or the web site; a missing manual or no program to open it is
    // told by name on each click, and the box stays until Ok or its close box unloads it.
    void aboutBox() {
        const QString notFound = QStringLiteral("The file %1 was not found.");
        const QString noProgram = QStringLiteral("No program could be started to open %1.");
        const struct { const char* link; bool opens; const char* invitation; QString warning; bool byOk; } rows[] = {
            {"manual", true, "Read the manual", {}, true}, {"https://example.org/trel/", true, "Visit the web site", {}, false},
            {"missing", true, "Read the manual", notFound, true}, {"manual", false, "Read the manual", noProgram, false}};
        for (const auto& row : rows) {
            QTemporaryDir dir;
            QString link = QLatin1String(row.link);
            if (link == "manual" || link == "missing")
                link = dir.filePath(QStringLiteral("manual.html"));
            QVERIFY(QLatin1String(row.link) != "manual" || trel::test::WriteAll(link, "<html></html>\r\n"));
            RecordedDocumentOpener documents;
            documents.succeed = row.opens;
            RecordedMessageBoxes boxes;
            QPointer<Aboutform> box = new Aboutform(documents, boxes, link);
            QSignalSpy closed(box.data(), &Aboutform::closed);
            box->show();
            QVERIFY(QTest::qWaitForWindowExposed(box));
            QCOMPARE(Control<QLabel>(box, QStringLiteral("version"))->text(), QStringLiteral("Version 0.48"));
            auto* label = Control<QLabel>(box, QStringLiteral("Label14"));
            const bool file = QFileInfo(link).isAbsolute();
            QCOMPARE(label->text(), file ? QStringLiteral("manual.html") : link);
            QVERIFY(Control<QLabel>(box, QStringLiteral("Label13"))->text().startsWith(row.invitation));
            QTest::mouseClick(label, Qt::LeftButton);
            QTest::mouseClick(label, Qt::LeftButton);
            QCOMPARE(documents.opened, row.warning != notFound ? (QStringList{link, link}) : QStringList());
            const QStringList told(row.warning.isEmpty() ? QStringList() : QStringList(row.warning.arg(file ? QDir::toNativeSeparators(link) : link)));
            QCOMPARE(boxes.texts(), told + told);
            QVERIFY(boxes.shown.isEmpty() || boxes.shown.front().title == QStringLiteral("Warning!"));
            QVERIFY(!box.isNull() && box->isVisible());
            if (row.byOk)
                QTest::mouseClick(Control<QPushButton>(box, QStringLiteral("Command1")), Qt::LeftButton);
            else
                QVERIFY(box->close());
            QCOMPARE(closed.count(), 1);
            QTRY_VERIFY_WITH_TIMEOUT(box.isNull(), kTimeoutMs); // unloaded: the next opening builds it afresh
        }
    }
};

QTEST_MAIN(TestHelp)
#include "test_help.moc"
