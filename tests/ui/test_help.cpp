// The help line under the main window, the document opener and the about box:
// the pointer moved over a control shows the control's help text, over the bare window or the tab
// control the version, and over any other control leaves the line as it was.

#include "auxiliary/Aboutform.h"
#include "main/Main.h"
#include "mdlmaincode.h"
#include "seams/DocumentOpener.h"
#include "seams/MessageBoxes.h"
#include "ui_test_support.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
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
const QString kNotFound = QStringLiteral("The file %1 was not found.");
const QString kNoProgram = QStringLiteral("No program could be started to open %1.");

// A main window with its lists filled, shown, on Deathmatch so that every tab can be brought forward.
std::unique_ptr<Main> ShownMain(int gametype = 3) {
    auto main = std::make_unique<Main>();
    SettingsLoad load;
    load.Quake2Path = "C:\\Quake2\\quake2.exe";
    load.DMflags = 0;
    main->LoadSettings(load);
    main->gametype->setCurrentIndex(gametype);
    return main;
}

void ShowTab(const Main& main, int tab) {
    QTabBar* bar = main.maintab->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
}

// Moves the pointer onto control (or onto the point of it given), bringing its tab forward first.
void PointAt(const Main& main, QWidget* control, QPoint at = {-1, -1}) {
    for (int tab = 0; tab < main.maintab->count(); ++tab) {
        if (main.maintab->widget(tab)->isAncestorOf(control) && main.maintab->currentIndex() != tab)
            ShowTab(main, tab);
    }
    QTest::mouseMove(control, at.x() < 0 ? control->rect().center() : at);
}

// "manual" stands for an existing manual.html in dir, "missing" for one that is not there; others as given.
QString Target(const QTemporaryDir& dir, const QString& kind) {
    const QString manual = dir.filePath(QStringLiteral("manual.html"));
    if (kind == QLatin1String("manual") && test::WriteAll(manual, "<html></html>\r\n"))
        return manual;
    return kind == QLatin1String("missing") ? manual : kind;
}

// The text a warning names a file or web address by.
QString Named(const QString& target) {
    return QFileInfo(target).isAbsolute() ? QDir::toNativeSeparators(target) : target;
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

    void pointerSetsTheHelpLine_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("tab"); // brought forward first; -1: the control's own
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QString>("help"); // null: the line stays as it was
        const QPoint centre(-1, -1);
        QTest::newRow("About...") << "about" << -1 << centre << "Information about Trel";
        QTest::newRow("Quake 2 path") << "quake2dir" << -1 << centre
                                      << "Location of your Quake2 executable, MUST BE SET";
        QTest::newRow("map list, over an entry") << "maps" << -1 << centre << "Vorn maps"; // its inner view
        QTest::newRow("gem goal tick") << "boolgemgoal" << -1 << centre
                                       << "Sets the gem goal you need to reach in Single Player games";
        QTest::newRow("max clients, at its edge")
            << "boolmaxclients" << -1 << QPoint(1, 2) << "Sets maximum clients allowed to connect to server";
        QTest::newRow("a flag of the array") << "q2option(512)" << -1 << centre << "Deathmatch flag options";
        QTest::newRow("flags total") << "dmflagval" << -1 << centre << "Value of DMflags added together";
        QTest::newRow("window between the buttons") << "client" << -1 << QPoint(436, 160) << kVersionText;
        QTest::newRow("etched line") << "mainline" << -1 << QPoint(30, 1) << kVersionText;
        QTest::newRow("tab row beside the tabs") << "maintab" << 0 << QPoint(375, 6) << kVersionText;
        QTest::newRow("Server Options page under the frames") << "maintab" << 1 << QPoint(190, 228) << kVersionText;
        QTest::newRow("game type list") << "gametype" << -1 << centre << QString();
        QTest::newRow("Quake 2 frame's bare part") << "Frame4" << -1 << QPoint(180, 100) << QString();
        QTest::newRow("Edit MOTD") << "Command5" << -1 << centre << QString();
        QTest::newRow("status bar") << "statusbar" << -1 << centre << QString();
    }
    void pointerSetsTheHelpLine() {
        QFETCH(QString, name);
        QFETCH(int, tab);
        QFETCH(QPoint, at);
        QFETCH(QString, help);
        auto main = ShownMain();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        QCOMPARE(main->helpText(), QString()); // empty until the pointer first moves over something
        if (tab >= 0)
            ShowTab(*main, tab);
        PointAt(*main, main->Command2);
        QTRY_COMPARE_WITH_TIMEOUT(main->helpText(), kRunHelp, kTimeoutMs);
        QWidget* control = Control<QWidget>(main.get(), name);
        PointAt(*main, control, at);
        if (!help.isNull()) {
            QTRY_COMPARE_WITH_TIMEOUT(main->helpText(), help, kTimeoutMs);
            QCOMPARE(Control<QLabel>(main->statusbar, QStringLiteral("helpline"))->text(), help);
            return;
        }
        // The point is really over the control (or an inner part of it), not over a neighbour.
        const QWidget* under =
            main->childAt(main->mapFromGlobal(control->mapToGlobal(at.x() < 0 ? control->rect().center() : at)));
        QVERIFY(under == control || control->isAncestorOf(under));
        QCOMPARE(main->helpText(), kRunHelp);
        PointAt(*main, main->Command1); // the line still follows the pointer
        QTRY_COMPARE_WITH_TIMEOUT(main->helpText(), QStringLiteral("Exit Program"), kTimeoutMs);
    }

    void tabsShowTheVersionEvenSwitchedOff() {
        auto main = ShownMain(0); // Single Player switches the server tabs off
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        QTabBar* bar = main->maintab->tabBar();
        for (int tab = 0; tab < bar->count(); ++tab) {
            PointAt(*main, main->Command2);
            QTRY_COMPARE_WITH_TIMEOUT(main->helpText(), kRunHelp, kTimeoutMs);
            QTest::mouseMove(bar, bar->tabRect(tab).center());
            QTRY_COMPARE_WITH_TIMEOUT(main->helpText(), kVersionText, kTimeoutMs);
        }
    }

    // The line follows the pointer with a button held, and a second window keeps its own line.
    void helpFollowsThePointerWithAButtonHeld() {
        auto main = ShownMain();
        auto second = ShownMain();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()) && QTest::qWaitForWindowExposed(second.get()));
        QSignalSpy about(main.get(), &Main::aboutRequested);
        QSignalSpy exit(main.get(), &Main::exitRequested);
        QTest::mouseMove(main->about);
        QTRY_COMPARE_WITH_TIMEOUT(main->helpText(), QStringLiteral("Information about Trel"), kTimeoutMs);
        QTest::mousePress(main->about, Qt::LeftButton);
        QTest::mouseMove(main->Command1);
        QTRY_COMPARE_WITH_TIMEOUT(main->helpText(), QStringLiteral("Exit Program"), kTimeoutMs);
        QTest::mouseRelease(main->Command1, Qt::LeftButton);
        QCOMPARE(about.count() + exit.count(), 0); // released away from "About...": no click at all
        QCOMPARE(second->helpText(), QString());
    }

    void openDocument_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<bool>("tried");
        QTest::addColumn<QString>("warning");
        QTest::newRow("existing manual") << "manual" << true << true << QString();
        QTest::newRow("missing file") << "missing" << true << false << kNotFound;
        QTest::newRow("no program for it") << "manual" << false << true << kNoProgram;
        QTest::newRow("web address, never looked for") << "https://example.org/trel/" << true << true << QString();
    }
    void openDocument() {
        QFETCH(QString, file);
        QFETCH(bool, opens);
        QFETCH(bool, tried);
        QFETCH(QString, warning);
        QTemporaryDir dir;
        const QString target = Target(dir, file);
        RecordedDocumentOpener documents;
        documents.succeed = opens;
        RecordedMessageBoxes boxes;
        QCOMPARE(OpenDocument(documents, boxes, nullptr, target), warning.isEmpty());
        QCOMPARE(documents.opened, tried ? QStringList{target} : QStringList{});
        QCOMPARE(boxes.texts(), warning.isEmpty() ? QStringList{} : QStringList{warning.arg(Named(target))});
        QVERIFY(boxes.shown.isEmpty() || boxes.shown.front().title == QStringLiteral("Warning!"));
    }

    void aboutBox_data() {
        QTest::addColumn<QString>("link");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("invitation");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<bool>("byOk"); // how the box is closed at the end
        QTest::newRow("installed manual") << "manual" << true << "Read the manual" << QString() << true;
        QTest::newRow("web site") << "https://example.org/trel/" << true << "Visit the web site" << QString() << false;
        QTest::newRow("manual missing") << "missing" << true << "Read the manual" << kNotFound << true;
        QTest::newRow("no program") << "manual" << false << "Read the manual" << kNoProgram << false;
    }
    void aboutBox() {
        QFETCH(QString, link);
        QFETCH(bool, opens);
        QFETCH(QString, invitation);
        QFETCH(QString, warning);
        QFETCH(bool, byOk);
        QTemporaryDir dir;
        link = Target(dir, link);
        RecordedDocumentOpener documents;
        documents.succeed = opens;
        RecordedMessageBoxes boxes;
        QPointer<Aboutform> box = new Aboutform(documents, boxes, link);
        QSignalSpy closed(box.data(), &Aboutform::closed);
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box));
        QCOMPARE(Control<QLabel>(box, QStringLiteral("version"))->text(), QStringLiteral("Version 0.48"));
        auto* label = Control<QLabel>(box, QStringLiteral("Label14"));
        QCOMPARE(label->text(), QFileInfo(link).isAbsolute() ? QStringLiteral("manual.html") : link);
        QVERIFY(Control<QLabel>(box, QStringLiteral("Label13"))->text().startsWith(invitation));
        // Two clicks try twice, and each failure is told; the box stays open.
        QTest::mouseClick(label, Qt::LeftButton);
        QTest::mouseClick(label, Qt::LeftButton);
        const bool tried = warning != kNotFound;
        QCOMPARE(documents.opened, tried ? (QStringList{link, link}) : QStringList());
        const QStringList told = warning.isEmpty() ? QStringList() : QStringList(warning.arg(Named(link)));
        QCOMPARE(boxes.texts(), told + told);
        QVERIFY(!box.isNull() && box->isVisible());
        if (byOk)
            QTest::mouseClick(Control<QPushButton>(box, QStringLiteral("Command1")), Qt::LeftButton);
        else
            QVERIFY(box->close());
        QCOMPARE(closed.count(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(box.isNull(), kTimeoutMs); // unloaded: the next opening builds it afresh
    }

private:
    QWidget parking_; // a window away from the others, where each test's pointer starts
};

QTEST_MAIN(TestHelp)
#include "test_help.moc"
