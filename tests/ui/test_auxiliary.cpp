// The smaller windows as the user meets them: the help line under the main window (the pointer over a control
// shows its help text, over the bare window or the tab control the version, over any other control leaves the
// line as it was), the about box, the Quake 2 locator browsing a folder tree with blanks in its names, the
// command-line viewer under the main window, and the splash screen with the logo.

#include "auxiliary/Aboutform.h"
#include "auxiliary/Resources.h"
#include "auxiliary/dirfinder.h"
#include "auxiliary/frmCommand.h"
#include "auxiliary/splashscreen.h"
#include "main/Main.h"
#include "seams/DocumentOpener.h"
#include "seams/MessageBoxes.h"
#include "ui_test_support.h"

#include <QtTest>
#include <QtWidgets>

using namespace trel;
using trel::test::Control;
using Drive = dirfinder::Drive;

namespace {

constexpr int kTimeoutMs = 20000;
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
// Moves the pointer onto control (at the point given, or its centre), bringing its tab forward first.
void PointAt(const Main& main, QWidget* control, QPoint at = {-1, -1}) {
    QTabBar* bar = main.maintab->tabBar();
    for (int tab = 0; tab < bar->count(); ++tab)
        if (main.maintab->widget(tab)->isAncestorOf(control) && bar->currentIndex() != tab)
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
    QTest::mouseMove(control, at.x() < 0 ? control->rect().center() : at);
}

#ifdef Q_OS_WIN
const QString kExe = QStringLiteral(".exe");
#else
const QString kExe;
#endif

QString Native(const QString& path) { return QDir::toNativeSeparators(QDir::cleanPath(path)); }
// What the label and the not-ready warning name a drive by: its letter on Windows, its root folder elsewhere.
QString DriveName(const Drive& drive) {
#ifdef Q_OS_WIN
    return drive.entry.left(2);
#else
    return Native(drive.rootPath);
#endif
}
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
    Drive a_, b_, noDisc_;

private slots:
    void initTestCase() {
        test::PrepareUiTest();
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
            QVERIFY(test::WriteAll(file, "#!/bin/sh\n"));
            QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                    (program ? QFileDevice::ExeOwner : QFileDevice::Permissions())));
        }
        a_ = {at("drive a"), at("drive a") + " [games]"};
        b_ = {at("drive b"), at("drive b")};
        noDisc_ = {at("no disc"), at("no disc") + " [cd]"};
    }

    // Wherever the tree moves (set, clicked, a drive chosen), the label, the drive list and the file list follow;
    // a drive that is not ready is told by name, and the previous drive, folder and label stay. A
    // double-click confirms the listed file (the locator stays open until the choice is accepted), Cancel
    // cancels; a file not listed cannot be chosen.
    void usingTheLocator() {
        const QStringList quake2{"quake2" + kExe, "run server" + kExe};
        const struct { const char* how; QString folder; bool onB; QStringList programs; QString file; } rows[] = {
            {"set", at("drive a/quake 2/baseq2"), false, {}, {}},
            {"click", at("drive a/long folder name"), false, {"other game" + kExe}, {}},
            {"drive", at("drive b"), true, {"setup" + kExe}, {}}, {"no disc", at("drive a/quake 2"), false, quake2, {}},
            {"double-click", at("drive a/quake 2"), false, quake2, "run server" + kExe},
            {"Cancel", at("drive a/quake 2"), false, quake2, {}}};
        for (const auto& row : rows) {
            RecordedMessageBoxes boxes; // the locator at the Quake 2 folder, its programs (and only those) listed
            const auto window = std::make_unique<dirfinder>(boxes);
            window->setDrives({noDisc_, a_, b_});
            window->setDirectory(at("drive a/quake 2"));
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window.get()));
            QTRY_COMPARE_WITH_TIMEOUT(Listed(window->filelist), quake2, kTimeoutMs); // not "read me.txt", "config"
            QSignalSpy confirmed(window.get(), &dirfinder::confirmed), cancelled(window.get(), &dirfinder::cancelled);
            window->chooseFile(QStringLiteral("read me.txt"));
            QCOMPARE(window->chosenFileName(), QString());
            QTreeView* tree = window->directory;
            QListView* list = window->filelist;
            const QString how = QLatin1String(row.how);
            if (how == "set") {
                window->setDirectory(row.folder);
            } else if (how == "click") {
                const QModelIndex item = qobject_cast<const QFileSystemModel*>(tree->model())->index(row.folder);
                QTRY_VERIFY_WITH_TIMEOUT(!tree->visualRect(item).isEmpty(), kTimeoutMs);
                QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(item).center());
            } else if (how == "drive" || how == "no disc") {
                window->drive->setFocus();
                QTest::keyClick(window->drive, how == "no disc" ? Qt::Key_Up : Qt::Key_Down);
            } else if (how == "double-click") { // through the window system, as a real double-click arrives
                const QModelIndex item = list->model()->index(Listed(list).indexOf(row.file), 0, list->rootIndex());
                QTRY_VERIFY_WITH_TIMEOUT(!list->visualRect(item).isEmpty(), kTimeoutMs);
                const QPoint point = list->viewport()->mapTo(window.get(), list->visualRect(item).center());
                QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {}, point);
            } else {
                QTest::mouseClick(window->butcancel, Qt::LeftButton);
            }
            const Drive& drive = row.onB ? b_ : a_;
            QCOMPARE(window->currentDirectory(), Native(row.folder));
            QCOMPARE(tree->currentIndex().data().toString(), QFileInfo(row.folder).fileName());
            QCOMPARE(window->lbldrive->text(), DriveName(drive) + QDir::separator() + "..");
            QCOMPARE(window->drive->currentText(), drive.entry);
            QTRY_COMPARE_WITH_TIMEOUT(Listed(list), row.programs, kTimeoutMs);
            QCOMPARE(boxes.texts(), how == "no disc" ? QStringList{"Drive " + DriveName(noDisc_) + " is not ready."}
                                                     : QStringList());
            QVERIFY(boxes.shown.isEmpty() || boxes.shown.front().title == QStringLiteral("Warning!"));
            QCOMPARE(window->chosenFileName(), row.file);
            QCOMPARE(confirmed.count(), row.file.isEmpty() ? 0 : 1);
            QCOMPARE(cancelled.count(), how == "Cancel" ? 1 : 0);
            QTRY_COMPARE_WITH_TIMEOUT(window->isVisible(), how != "Cancel", kTimeoutMs);
            window->setDirectory(at("drive a/quake 2")); // back on drive a brings the drive list along
            QCOMPARE(window->drive->currentText(), a_.entry);
        }
    }

    // The viewer shows the command read-only, sits 3 px below the main window, fills itself with the text at
    // any size and tells when the user closes it; the splash shows the stored logo and stays shown when raised.
    void commandViewerAndSplash() {
        QWidget mainWindow;
        mainWindow.setGeometry(120, 80, 420, 300);
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
        frmCommand viewer;
        QCOMPARE(viewer.commandText(), QStringLiteral("No parameters set\n"));
        viewer.setCommandText(QStringLiteral("quake2 +set game vorn\r\n+set dmflags 5\r\n"));
        QCOMPARE(viewer.commandline->toPlainText(), QStringLiteral("quake2 +set game vorn\n+set dmflags 5\n"));
        QVERIFY(viewer.commandline->isReadOnly());
        viewer.placeBelow(mainWindow);
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        const QRect main = mainWindow.frameGeometry();
        QTRY_COMPARE_WITH_TIMEOUT(viewer.frameGeometry().topLeft(), QPoint(main.left(), main.bottom() + 4), kTimeoutMs);
        viewer.resize(200, 40);
        QTRY_COMPARE_WITH_TIMEOUT(viewer.size(), QSize(200, 40), kTimeoutMs);
        QCOMPARE(viewer.commandline->geometry(), viewer.rect());
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

    void init() { QTest::mouseMove(&parking_, QPoint(10, 10)); }

    // (control, point, help line shown; null: the line stays as it was) after the pointer was over Run. The line
    // starts empty, shows the version over a tab switched off, follows the pointer with a button held (released
    // away from "About...": no click), and each window keeps its own line.
    void pointerSetsTheHelpLine() {
        auto tabsOff = ShownMain(0), main = ShownMain(3); // Single Player switches the server tabs off
        QVERIFY(main && tabsOff);
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
        QCOMPARE(about.count() + exit.count(), 0);
        QCOMPARE(main->helpText(), QString());
        tabsOff.reset();
        const QPoint c(-1, -1);
        const struct { const char* name; QPoint at; QString help; } rows[] = {
            {"about", c, "Information about Trel"}, {"maps", c, "Vorn maps"}, // over an entry: the list's inner view
            {"boolmaxclients", QPoint(1, 2), "Sets maximum clients allowed to connect to server"},
            {"client", QPoint(436, 160), kVersion}, {"maintab", QPoint(375, 6), kVersion},
            {"gametype", c, {}}, {"Frame4", QPoint(180, 100), {}}};
        for (const auto& row : rows) {
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

    // The about box's link opens the manual or the web site; a missing manual or no program to open it is
    // told by name on each click, and the box stays until Ok or its close box unloads it.
    void aboutBox() {
        const QString notFound = QStringLiteral("The file %1 was not found.");
        const QString noProgram = QStringLiteral("No program could be started to open %1.");
        const struct { const char* link; bool opens; const char* invitation; QString warning; bool byOk; } rows[] = {
            {"manual", true, "Read the manual", {}, true}, {"missing", true, "Read the manual", notFound, true},
            {"https://example.org/trel/", false, "Visit the web site", noProgram, false}};
        for (const auto& row : rows) {
            QTemporaryDir dir;
            const bool file = !QByteArray(row.link).startsWith("https:");
            const QString link = file ? dir.filePath(QStringLiteral("manual.html")) : QLatin1String(row.link);
            QVERIFY(QLatin1String(row.link) != "manual" || trel::test::WriteAll(link, "<html></html>\r\n"));
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
