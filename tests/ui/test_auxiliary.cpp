// The smaller windows as the user meets them: the help line, the about box, the Quake 2 locator in a folder with
// blanks in its name, the command-line viewer and the splash screen.

#include "auxiliary/Aboutform.h"
#include "auxiliary/Resources.h"
#include "auxiliary/dirfinder.h"
#include "auxiliary/frmCommand.h"
#include "auxiliary/splashscreen.h"
#include "seams/DocumentOpener.h"
#include "seams/MessageBoxes.h"
#include "ui_test_support.h"

using namespace trel;
using namespace trel::test;
using Drive = dirfinder::Drive;

namespace {

constexpr int kTimeoutMs = 20000;
const QString kVersion = QStringLiteral("Trel v0.48"), kRun = QStringLiteral("Run Vorn with selected options");
const bool kWindows = QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows;
const QString kExe = kWindows ? QStringLiteral(".exe") : QString();

// Moves the pointer onto control (at the point given, or its centre), bringing its tab forward first.
void PointAt(const Main& main, QWidget* control, QPoint at = {-1, -1}) {
    QTabBar* bar = main.maintab->tabBar();
    for (int tab = 0; tab < bar->count(); ++tab)
        if (main.maintab->widget(tab)->isAncestorOf(control) && bar->currentIndex() != tab)
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
    QTest::mouseMove(control, at.x() < 0 ? control->rect().center() : at);
}
QString Native(const QString& path) { return QDir::toNativeSeparators(QDir::cleanPath(path)); }
// What the label and the not-ready warning name a drive by: its letter on Windows, its root folder elsewhere.
QString DriveName(const Drive& drive) { return kWindows ? drive.entry.left(2) : Native(drive.rootPath); }
QStringList Listed(const QListView* list) {
    QStringList names;
    for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row)
        names << list->model()->index(row, 0, list->rootIndex()).data().toString();
    return names;
}

} // namespace

class TestAuxiliary : public QObject {
    Q_OBJECT
    QWidget parking_; // away from the others: the toolkit drops a pointer move to where the pointer already is
    QTemporaryDir base_{QDir::tempPath() + QStringLiteral("/trel locator XXXXXX")};
    QString at(const char* relative) const { return base_.filePath(QLatin1String(relative)); }
    const Drive a_{at("drive a"), at("drive a") + " [games]"}, noDisc_{at("no disc"), at("no disc") + " [cd]"};

private slots:
    void initTestCase() {
        PrepareUiTest();
        InitResources();
        parking_.setGeometry(0, 0, 20, 20);
        parking_.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parking_));
        QVERIFY(QDir().mkpath(at("drive a/quake 2")));
        for (const auto& [name, program] : {std::pair{"quake2", true}, {"run server", true}, {"read me.txt", false},
                                            {"config", false}}) {
            const QString file = at("drive a/quake 2/") + name + (program ? kExe : QString());
            QVERIFY(WriteAll(file, "#!/bin/sh\n") &&
                    (!program || QFile::setPermissions(file, QFile::permissions(file) | QFileDevice::ExeOwner)));
        }
    }
    void init() { QTest::mouseMove(&parking_, QPoint(10, 10)); }

    // The locator opens at the Quake 2 folder listing its programs only; a drive that is not ready is told by
    // name and the drive, folder and label stay; a file not listed cannot be chosen, a double-click confirms one.
    void usingTheLocator() {
        RecordedMessageBoxes boxes;
        dirfinder window(boxes);
        window.setDrives({noDisc_, a_});
        window.setDirectory(at("drive a/quake 2"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QListView* list = window.filelist;
        QTRY_COMPARE_WITH_TIMEOUT(Listed(list), (QStringList{"quake2" + kExe, "run server" + kExe}), kTimeoutMs);
        window.drive->setFocus();
        QTest::keyClick(window.drive, Qt::Key_Up);
        QCOMPARE(boxes.texts(), QStringList{"Drive " + DriveName(noDisc_) + " is not ready."});
        QCOMPARE(boxes.shown.front().title, QStringLiteral("Warning!"));
        QCOMPARE((QStringList{window.currentDirectory(), window.directory->currentIndex().data().toString(),
                              window.lbldrive->text(), window.drive->currentText()}),
                 (QStringList{Native(at("drive a/quake 2")), "quake 2", DriveName(a_) + QDir::separator() + "..",
                              a_.entry}));
        QSignalSpy confirmed(&window, &dirfinder::confirmed);
        window.chooseFile(QStringLiteral("read me.txt"));
        QCOMPARE(window.chosenFileName(), QString());
        const QModelIndex item = list->model()->index(1, 0, list->rootIndex()); // "run server"
        QTRY_VERIFY_WITH_TIMEOUT(!list->visualRect(item).isEmpty(), kTimeoutMs);
        const QPoint point = list->viewport()->mapTo(&window, list->visualRect(item).center());
        QTest::mouseDClick(window.windowHandle(), Qt::LeftButton, {}, point); // as a real double-click arrives
        QVERIFY(confirmed.count() == 1 && window.chosenFileName() == "run server" + kExe && window.isVisible());
    }

    // The viewer sits 3 px below the main window and its text fills it at any size; the splash stays shown raised.
    void commandViewerAndSplash() {
        QWidget mainWindow;
        mainWindow.setGeometry(120, 80, 420, 300);
        mainWindow.show();
        frmCommand viewer;
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
        viewer.placeBelow(mainWindow);
        viewer.show();
        const QRect main = mainWindow.frameGeometry();
        QTRY_COMPARE_WITH_TIMEOUT(viewer.frameGeometry().topLeft(), QPoint(main.left(), main.bottom() + 4), kTimeoutMs);
        viewer.resize(200, 40);
        QTRY_COMPARE_WITH_TIMEOUT(viewer.commandline->geometry(), QRect(0, 0, 200, 40), kTimeoutMs);
        splashscreen splash;
        splash.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        splash.setTopmost(true);
        QVERIFY(splash.windowFlags().testFlag(Qt::WindowStaysOnTopHint) && splash.isVisible());
    }

    // (control, point, help line) after the pointer was over Run: a control's help text, the version over the
    // blank tab row; a null help: the line stays as it was (the pointer really over the control).
    void pointerSetsTheHelpLine() {
        auto main = LoadedMain(3);
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        const QPoint c(-1, -1);
        const struct { const char* name; QPoint at; QString help; } rows[] = {
            {"maps", c, "Vorn maps"}, // over an entry: the list's inner view
            {"boolmaxclients", QPoint(1, 2), "Sets maximum clients allowed to connect to server"},
            {"maintab", QPoint(375, 6), kVersion}, {"gametype", c, {}}, {"Frame4", QPoint(180, 100), {}}};
        for (const auto& row : rows) {
            PointAt(*main, main->Command2);
            QTRY_COMPARE_WITH_TIMEOUT(main->helpText(), kRun, kTimeoutMs);
            QWidget* control = Control<QWidget>(main.get(), row.name);
            PointAt(*main, control, row.at);
            const QPoint at = row.at.x() < 0 ? control->rect().center() : row.at;
            const QWidget* under = main->childAt(main->mapFromGlobal(control->mapToGlobal(at)));
            QVERIFY(!row.help.isNull() || under == control || control->isAncestorOf(under));
            QTRY_COMPARE_WITH_TIMEOUT(main->helpText(), row.help.isNull() ? kRun : row.help, kTimeoutMs);
            QCOMPARE(Control<QLabel>(main->statusbar, QStringLiteral("helpline"))->text(), main->helpText());
        }
    }

    // The about box's link opens the manual; a missing manual is told by name on each click; the box stays until
    // Ok or its close box unloads it.
    void aboutBox() {
        for (const bool present : {true, false}) {
            QTemporaryDir dir;
            const QString link = dir.filePath(QStringLiteral("manual.html"));
            QVERIFY(!present || WriteAll(link, "<html></html>\r\n"));
            RecordedDocumentOpener documents;
            RecordedMessageBoxes boxes;
            QPointer<Aboutform> box = new Aboutform(documents, boxes, link);
            QSignalSpy closed(box.data(), &Aboutform::closed);
            box->show();
            QVERIFY(QTest::qWaitForWindowExposed(box));
            for (int click = 0; click < 2; ++click)
                QTest::mouseClick(Control<QLabel>(box, QStringLiteral("Label14")), Qt::LeftButton);
            QCOMPARE(documents.opened, present ? (QStringList{link, link}) : QStringList());
            const QString told = "The file " + QDir::toNativeSeparators(link) + " was not found.";
            QCOMPARE(boxes.texts(), present ? QStringList() : (QStringList{told, told}));
            QVERIFY((present || boxes.shown.front().title == QStringLiteral("Warning!")) && box->isVisible());
            present ? QTest::mouseClick(Control<QPushButton>(box, QStringLiteral("Command1")), Qt::LeftButton)
                    : void(box->close());
            QCOMPARE(closed.count(), 1);
            QTRY_VERIFY_WITH_TIMEOUT(box.isNull(), kTimeoutMs); // unloaded: the next opening builds it afresh
        }
    }
};

QTEST_MAIN(TestAuxiliary)
#include "test_auxiliary.moc"
