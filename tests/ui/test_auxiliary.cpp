// The smaller windows as the user meets them: the help line under the main window, the about box, the Quake 2
// locator browsing a folder tree with blanks in its names, the command-line viewer and the splash screen.

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
    const Drive a_{at("drive a"), at("drive a") + " [games]"}, b_{at("drive b"), at("drive b")},
        noDisc_{at("no disc"), at("no disc") + " [cd]"};

private slots:
    void initTestCase() {
        PrepareUiTest();
        InitResources();
        parking_.setGeometry(0, 0, 20, 20);
        parking_.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parking_));
        for (const char* folder : {"drive a/quake 2/baseq2", "drive a/long folder name", "drive b"})
            QVERIFY(QDir().mkpath(at(folder)));
        const std::pair<const char*, bool> files[] = {
            {"drive a/quake 2/quake2", true}, {"drive a/quake 2/run server", true},
            {"drive a/quake 2/read me.txt", false}, {"drive a/quake 2/config", false},
            {"drive a/long folder name/other game", true}, {"drive b/setup", true}};
        for (const auto& [name, program] : files) {
            const QString file = at(name) + (program ? kExe : QString());
            QVERIFY(WriteAll(file, "#!/bin/sh\n") &&
                    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                    (program ? QFileDevice::ExeOwner : QFileDevice::Permissions())));
        }
    }
    void init() { QTest::mouseMove(&parking_, QPoint(10, 10)); }

    // Starting at the Quake 2 folder (its programs, and only those, listed), wherever the tree moves the label,
    // the drive list and the file list follow; a drive that is not ready is told by name and the previous drive,
    // folder and label stay; a double-click confirms the listed file and the locator stays open until the choice
    // is accepted; Cancel cancels; a file not listed cannot be chosen.
    void usingTheLocator() {
        const QStringList quake2{"quake2" + kExe, "run server" + kExe};
        const struct { const char* how; QString folder; bool onB; QStringList programs; QString file; } rows[] = {
            {"set", at("drive a/quake 2/baseq2"), false, {}, {}},
            {"click", at("drive a/long folder name"), false, {"other game" + kExe}, {}},
            {"drive", at("drive b"), true, {"setup" + kExe}, {}}, {"no disc", at("drive a/quake 2"), false, quake2, {}},
            {"double-click", at("drive a/quake 2"), false, quake2, "run server" + kExe},
            {"Cancel", at("drive a/quake 2"), false, quake2, {}}};
        for (const auto& row : rows) {
            RecordedMessageBoxes boxes;
            dirfinder window(boxes);
            window.setDrives({noDisc_, a_, b_});
            window.setDirectory(at("drive a/quake 2"));
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QTreeView* tree = window.directory;
            QListView* list = window.filelist;
            QTRY_COMPARE_WITH_TIMEOUT(Listed(list), quake2, kTimeoutMs); // not "read me.txt", "config"
            QSignalSpy confirmed(&window, &dirfinder::confirmed), cancelled(&window, &dirfinder::cancelled);
            window.chooseFile(QStringLiteral("read me.txt"));
            QCOMPARE(window.chosenFileName(), QString());
            const QString how = QLatin1String(row.how);
            if (how == "set") {
                window.setDirectory(row.folder);
            } else if (how == "click") {
                const QModelIndex item = qobject_cast<const QFileSystemModel*>(tree->model())->index(row.folder);
                QTRY_VERIFY_WITH_TIMEOUT(!tree->visualRect(item).isEmpty(), kTimeoutMs);
                QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(item).center());
            } else if (how == "drive" || how == "no disc") {
                window.drive->setFocus();
                QTest::keyClick(window.drive, how == "no disc" ? Qt::Key_Up : Qt::Key_Down);
            } else if (how == "double-click") { // through the window system, as a real double-click arrives
                const QModelIndex item = list->model()->index(Listed(list).indexOf(row.file), 0, list->rootIndex());
                QTRY_VERIFY_WITH_TIMEOUT(!list->visualRect(item).isEmpty(), kTimeoutMs);
                const QPoint point = list->viewport()->mapTo(&window, list->visualRect(item).center());
                QTest::mouseDClick(window.windowHandle(), Qt::LeftButton, {}, point);
            } else {
                QTest::mouseClick(window.butcancel, Qt::LeftButton);
            }
            const Drive& drive = row.onB ? b_ : a_;
            QCOMPARE((QStringList{window.currentDirectory(), tree->currentIndex().data().toString(),
                                  window.lbldrive->text(), window.drive->currentText(), window.chosenFileName()}),
                     (QStringList{Native(row.folder), QFileInfo(row.folder).fileName(),
                                  DriveName(drive) + QDir::separator() + "..", drive.entry, row.file}));
            QTRY_COMPARE_WITH_TIMEOUT(Listed(list), row.programs, kTimeoutMs);
            QCOMPARE(boxes.texts(), how == "no disc" ? QStringList{"Drive " + DriveName(noDisc_) + " is not ready."}
                                                     : QStringList());
            QVERIFY(boxes.shown.isEmpty() || boxes.shown.front().title == QStringLiteral("Warning!"));
            QCOMPARE((QList<qsizetype>{confirmed.count(), cancelled.count()}),
                     (QList<qsizetype>{!row.file.isEmpty(), how == "Cancel"}));
            QTRY_COMPARE_WITH_TIMEOUT(window.isVisible(), how != "Cancel", kTimeoutMs);
            window.setDirectory(at("drive a/quake 2")); // back on drive a brings the drive list along
            QCOMPARE(window.drive->currentText(), a_.entry);
        }
    }

    // The viewer shows the command read-only, sits 3 px below the main window, fills itself with the text at
    // any size and tells when the user closes it; the splash shows the stored logo and stays shown when raised.
    void commandViewerAndSplash() {
        QWidget mainWindow;
        mainWindow.setGeometry(120, 80, 420, 300);
        mainWindow.show();
        frmCommand viewer;
        viewer.setCommandText(QStringLiteral("quake2 +set game vorn\r\n+set dmflags 5\r\n"));
        QCOMPARE(viewer.commandline->toPlainText(), QStringLiteral("quake2 +set game vorn\n+set dmflags 5\n"));
        QVERIFY(viewer.commandline->isReadOnly() && QTest::qWaitForWindowExposed(&mainWindow));
        viewer.placeBelow(mainWindow);
        viewer.show();
        const QRect main = mainWindow.frameGeometry();
        QTRY_COMPARE_WITH_TIMEOUT(viewer.frameGeometry().topLeft(), QPoint(main.left(), main.bottom() + 4), kTimeoutMs);
        viewer.resize(200, 40);
        QTRY_COMPARE_WITH_TIMEOUT(viewer.commandline->geometry(), QRect(0, 0, 200, 40), kTimeoutMs);
        QSignalSpy closed(&viewer, &frmCommand::closedByUser);
        QVERIFY(viewer.close() && closed.count() == 1 && !viewer.isVisible());
        splashscreen splash;
        QCOMPARE(splash.Picture1->geometry(), splash.rect());
        QImageReader reader(QStringLiteral(":/trel/logo.bmp")); // shown from the bitmap's own rows, as decoded
        QCOMPARE(splash.Picture1->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
                 reader.read().convertToFormat(QImage::Format_RGB32));
        splash.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        splash.setTopmost(true);
        QVERIFY(splash.windowFlags().testFlag(Qt::WindowStaysOnTopHint) && splash.isVisible());
    }

    // The help line starts empty, shows the version over a tab switched off, follows the pointer with a button
    // held (released away from "About...": no click), and each window keeps its own line.
    void pointerSetsTheHelpLine() {
        auto tabsOff = LoadedMain(0), main = LoadedMain(3); // Single Player switches the server tabs off
        QVERIFY(QTest::qWaitForWindowExposed(tabsOff.get()) && QTest::qWaitForWindowExposed(main.get()));
        QCOMPARE(tabsOff->helpText(), QString()); // empty until the pointer first moves over something
        PointAt(*tabsOff, tabsOff->Command2);
        QTRY_COMPARE_WITH_TIMEOUT(tabsOff->helpText(), kRun, kTimeoutMs);
        QTest::mouseMove(tabsOff->maintab->tabBar(), tabsOff->maintab->tabBar()->tabRect(1).center());
        QTRY_COMPARE_WITH_TIMEOUT(tabsOff->helpText(), kVersion, kTimeoutMs);
        QSignalSpy about(tabsOff.get(), &Main::aboutRequested), exit(tabsOff.get(), &Main::exitRequested);
        QTest::mouseMove(tabsOff->about);
        QTRY_COMPARE_WITH_TIMEOUT(tabsOff->helpText(), QStringLiteral("Information about Trel"), kTimeoutMs);
        QTest::mousePress(tabsOff->about, Qt::LeftButton);
        QTest::mouseMove(tabsOff->Command1);
        QTRY_COMPARE_WITH_TIMEOUT(tabsOff->helpText(), QStringLiteral("Exit Program"), kTimeoutMs);
        QTest::mouseRelease(tabsOff->Command1, Qt::LeftButton);
        QVERIFY(about.count() + exit.count() == 0 && main->helpText().isEmpty());
        tabsOff.reset();
        // (control, point, help line) after the pointer was over Run: a control's help text, the version over
        // the bare window or the tab control; a null help: the line stays as it was (really over the control).
        const QPoint c(-1, -1);
        const struct { const char* name; QPoint at; QString help; } rows[] = {
            {"maps", c, "Vorn maps"}, // over an entry: the list's inner view
            {"boolmaxclients", QPoint(1, 2), "Sets maximum clients allowed to connect to server"},
            {"client", QPoint(436, 160), kVersion}, {"maintab", QPoint(375, 6), kVersion},
            {"gametype", c, {}}, {"Frame4", QPoint(180, 100), {}}};
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

    // The about box's link opens the manual or the web site; a missing manual or no program to open it is
    // told by name on each click, and the box stays until Ok or its close box unloads it.
    void aboutBox() {
        const QString notFound = "The file %1 was not found.", noProgram = "No program could be started to open %1.";
        const struct { const char* link; bool opens; const char* invitation; QString warning; bool byOk; } rows[] = {
            {"manual", true, "Read the manual", {}, true}, {"missing", true, "Read the manual", notFound, true},
            {"https://example.org/trel/", false, "Visit the web site", noProgram, false}};
        for (const auto& row : rows) {
            QTemporaryDir dir;
            const bool file = !QByteArray(row.link).startsWith("https:");
            const QString link = file ? dir.filePath(QStringLiteral("manual.html")) : QLatin1String(row.link);
            QVERIFY(QLatin1String(row.link) != "manual" || WriteAll(link, "<html></html>\r\n"));
            RecordedDocumentOpener documents;
            documents.succeed = row.opens;
            RecordedMessageBoxes boxes;
            QPointer<Aboutform> box = new Aboutform(documents, boxes, link);
            QSignalSpy closed(box.data(), &Aboutform::closed);
            box->show();
            QVERIFY(QTest::qWaitForWindowExposed(box));
            auto* label = Control<QLabel>(box, QStringLiteral("Label14"));
            QCOMPARE(label->text(), file ? QStringLiteral("manual.html") : link);
            QVERIFY(Control<QLabel>(box, QStringLiteral("Label13"))->text().startsWith(row.invitation));
            QTest::mouseClick(label, Qt::LeftButton);
            QTest::mouseClick(label, Qt::LeftButton);
            QCOMPARE(documents.opened, row.warning != notFound ? (QStringList{link, link}) : QStringList());
            const QString named = file ? QDir::toNativeSeparators(link) : link;
            const QStringList told = row.warning.isEmpty() ? QStringList() : QStringList(row.warning.arg(named));
            QCOMPARE(boxes.texts(), told + told);
            QVERIFY(boxes.shown.isEmpty() || boxes.shown.front().title == QStringLiteral("Warning!"));
            QVERIFY(!box.isNull() && box->isVisible());
            row.byOk ? QTest::mouseClick(Control<QPushButton>(box, QStringLiteral("Command1")), Qt::LeftButton)
                     : void(box->close());
            QCOMPARE(closed.count(), 1);
            QTRY_VERIFY_WITH_TIMEOUT(box.isNull(), kTimeoutMs); // unloaded: the next opening builds it afresh
        }
    }
};

QTEST_MAIN(TestAuxiliary)
#include "test_auxiliary.moc"
