// The auxiliary windows as the user meets them: the Quake 2 locator browsing a folder tree with blanks in its
// names, the command-line viewer under the main window, and the splash screen with the logo.

#include "auxiliary/Resources.h"
#include "auxiliary/dirfinder.h"
#include "auxiliary/frmCommand.h"
#include "auxiliary/splashscreen.h"
#include "seams/MessageBoxes.h"
#include "ui_test_support.h"

#include <QFileSystemModel>
#include <QImageReader>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeView>

#include <memory>

using namespace trel;
using Drive = dirfinder::Drive;

namespace {

constexpr int kTimeoutMs = 20000;
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
    QTemporaryDir base_{QDir::tempPath() + QStringLiteral("/trel locator XXXXXX")};
    QString at(const char* relative) const { return base_.filePath(QLatin1String(relative)); }
    Drive a_, b_, noDisc_;

    // A shown locator on the test's drives at the Quake 2 folder, its programs (and only those) listed.
    std::unique_ptr<dirfinder> openLocator(MessageBoxes& boxes, const QList<Drive>& drives) {
        auto window = std::make_unique<dirfinder>(boxes);
        window->setDrives(drives);
        window->setDirectory(at("drive a/quake 2"));
        window->show();
        const QStringList programs{"quake2" + kExe, "run server" + kExe}; // not "read me.txt" nor "config"
        const bool shown = QTest::qWaitForWindowExposed(window.get()) &&
                           QTest::qWaitFor([&] { return Listed(window->filelist) == programs; }, kTimeoutMs);
        return shown ? std::move(window) : nullptr;
    }

private slots:
    void initTestCase() {
        test::PrepareUiTest();
        InitResources();
        for (const char* folder : {"drive a/quake 2/baseq2", "drive a/long folder name", "drive b"})
            QVERIFY(QDir().mkpath(at(folder)));
        const std::pair<const char*, bool> files[] = {{"drive a/quake 2/quake2", true}, {"drive a/quake 2/run server", true},
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

    // Wherever the tree moves (set, clicked, a drive chosen), the label, the drive list and the file list follow.
    void changingTheFolder() {
        const struct { const char* how; QString folder; bool onB; QStringList programs; } rows[] = {
            {"set", at("drive a/quake 2/baseq2"), false, {}},
            {"click", at("drive a/long folder name"), false, {"other game" + kExe}},
            {"drive", at("drive b"), true, {"setup" + kExe}}};
        for (const auto& row : rows) {
            RecordedMessageBoxes boxes;
            const auto window = openLocator(boxes, {a_, b_});
            QVERIFY(window);
            QTreeView* tree = window->directory;
            if (row.how == QLatin1String("set")) {
                window->setDirectory(row.folder);
            } else if (row.how == QLatin1String("click")) {
                const QModelIndex item = qobject_cast<const QFileSystemModel*>(tree->model())->index(row.folder);
                QTRY_VERIFY_WITH_TIMEOUT(!tree->visualRect(item).isEmpty(), kTimeoutMs);
                QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(item).center());
            } else {
                window->drive->setFocus();
                QTest::keyClick(window->drive, Qt::Key_Down);
            }
            const Drive& drive = row.onB ? b_ : a_;
            QCOMPARE(window->currentDirectory(), Native(row.folder));
            QCOMPARE(tree->currentIndex().data().toString(), QFileInfo(row.folder).fileName());
            QCOMPARE(window->lbldrive->text(), DriveName(drive) + QDir::separator() + "..");
            QCOMPARE(window->drive->currentText(), drive.entry);
            QTRY_COMPARE_WITH_TIMEOUT(Listed(window->filelist), row.programs, kTimeoutMs);
            QVERIFY(boxes.shown.isEmpty());
            window->setDirectory(at("drive a/quake 2")); // back on drive a brings the drive list along
            QCOMPARE(window->drive->currentText(), a_.entry);
        }
    }

    // Ok and a double-click confirm the listed file chosen; Cancel and the close box cancel; the locator stays
    // open until the choice is accepted. A file not listed cannot be chosen.
    void leavingTheLocator() {
        const std::pair<const char*, QString> rows[] = {{"Ok", "quake2" + kExe}, {"double-click", "run server" + kExe},
            {"Cancel", {}}, {"close box", {}}, {"accepted", {}}};
        for (const auto& [how, file] : rows) {
            RecordedMessageBoxes boxes;
            const auto window = openLocator(boxes, {a_});
            QVERIFY(window);
            QSignalSpy confirmed(window.get(), &dirfinder::confirmed), cancelled(window.get(), &dirfinder::cancelled);
            window->chooseFile(QStringLiteral("read me.txt"));
            QCOMPARE(window->chosenFileName(), QString());
            QListView* list = window->filelist;
            const QModelIndex item = list->model()->index(Listed(list).indexOf(file), 0, list->rootIndex());
            const QString action = QLatin1String(how);
            if (action == "Ok") {
                window->chooseFile(file);
                QTest::mouseClick(window->butfounddirok, Qt::LeftButton);
            } else if (action == "double-click") { // through the window system, as a real double-click arrives
                QTRY_VERIFY_WITH_TIMEOUT(!list->visualRect(item).isEmpty(), kTimeoutMs);
                const QPoint point = list->viewport()->mapTo(window.get(), list->visualRect(item).center());
                QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {}, point);
            } else if (action == "Cancel") {
                QTest::mouseClick(window->butcancel, Qt::LeftButton);
            } else if (action == "close box") {
                QVERIFY(window->close());
            } else {
                window->closeAccepted();
            }
            QCOMPARE(confirmed.count(), file.isEmpty() ? 0 : 1);
            QCOMPARE(cancelled.count(), file.isEmpty() && action != "accepted" ? 1 : 0);
            QCOMPARE(window->chosenFileName(), file);
            QCOMPARE(window->currentDirectory(), Native(at("drive a/quake 2")));
            QTRY_COMPARE_WITH_TIMEOUT(window->isVisible(), !file.isEmpty(), kTimeoutMs);
            QVERIFY(boxes.shown.isEmpty());
        }
    }

    // A drive that is not ready is told by name, and the previous drive, folder and label stay.
    void driveThatIsNotReadyKeepsThePreviousDrive() {
        RecordedMessageBoxes boxes;
        const auto window = openLocator(boxes, {a_, noDisc_});
        QVERIFY(window);
        const QString label = window->lbldrive->text();
        window->drive->setFocus();
        QTest::keyClick(window->drive, Qt::Key_Down);
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("Drive %1 is not ready.").arg(DriveName(noDisc_))});
        QCOMPARE(boxes.shown.front().title, QStringLiteral("Warning!"));
        QCOMPARE(window->drive->currentText(), a_.entry);
        QCOMPARE(window->currentDirectory(), Native(at("drive a/quake 2")));
        QCOMPARE(window->lbldrive->text(), label);
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
        for (const QSize size : {QSize(640, 160), QSize(200, 40)}) {
            viewer.resize(size);
            QTRY_COMPARE_WITH_TIMEOUT(viewer.size(), size, kTimeoutMs);
            QCOMPARE(viewer.commandline->geometry(), QRect(QPoint(), size));
        }
        QSignalSpy closed(&viewer, &frmCommand::closedByUser);
        QVERIFY(viewer.close() && closed.count() == 1 && !viewer.isVisible());

        splashscreen splash;
        QCOMPARE(splash.Picture1->geometry(), splash.rect());
        QImageReader reader(QStringLiteral(":/trel/logo.bmp")); // shown from the bitmap's own rows, as decoded
        QCOMPARE(splash.Picture1->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
                 reader.read().convertToFormat(QImage::Format_RGB32));
        splash.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        for (const bool on : {true, false}) {
            splash.setTopmost(on);
            QVERIFY(splash.windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on && splash.isVisible());
        }
    }
};

QTEST_MAIN(TestAuxiliary)
#include "test_auxiliary.moc"
