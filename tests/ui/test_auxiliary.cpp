// The auxiliary windows as the user meets them: the Quake 2 locator browsing a folder tree with blanks in
// its names, the command-line viewer under the main window, and the splash screen with the logo.

#include "auxiliary/Resources.h"
#include "auxiliary/dirfinder.h"
#include "auxiliary/frmCommand.h"
#include "auxiliary/splashscreen.h"
#include "seams/MessageBoxes.h"
#include "ui_test_support.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QImageReader>
#include <QTest>
#include <QTreeView>

#include <memory>

using Drive = trel::dirfinder::Drive;

namespace {

constexpr int kTimeoutMs = 20000;

#ifdef Q_OS_WIN
const QString kProgramSuffix = QStringLiteral(".exe");
#else
const QString kProgramSuffix;
#endif

QString Native(const QString& path) {
    return QDir::toNativeSeparators(QDir::cleanPath(path));
}

// The label a folder of 12 characters or more gets: the drive, then "\.." (or the volume root and "/..").
QString LongLabel(const Drive& drive) {
#ifdef Q_OS_WIN
    return drive.entry.left(2) + QStringLiteral("\\..");
#else
    return Native(drive.rootPath) + QStringLiteral("/..");
#endif
}

void MakeFile(const QString& path, bool program) {
    QVERIFY2(trel::test::WriteAll(path, "#!/bin/sh\n"), qPrintable(path));
    const QFileDevice::Permissions exec = QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                            QFileDevice::ReadOther | (program ? exec : QFileDevice::Permissions())));
}

// What the file list shows, in the order shown.
QStringList ListedNames(const QListView* list) {
    QStringList names;
    for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row)
        names << list->model()->index(row, 0, list->rootIndex()).data().toString();
    return names;
}

QStringList Programs(const QStringList& names) {
    QStringList programs;
    for (const QString& name : names)
        programs << name + kProgramSuffix;
    return programs;
}

} // namespace

class TestAuxiliary : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> base_;
    Drive driveA_, driveB_, noDisc_;
    QString quake2Folder_; // on drive a, with the game, a second program and two data files
    QString longFolder_;   // on drive a, with one other program

    QString path(const QString& relative) const { return base_->filePath(relative); }

    // A shown locator on the test's drives, at the Quake 2 folder, its programs listed.
    std::unique_ptr<trel::dirfinder> openLocator(trel::MessageBoxes& boxes, const QList<Drive>& drives) {
        auto window = std::make_unique<trel::dirfinder>(boxes);
        window->setDrives(drives);
        window->setDirectory(quake2Folder_);
        window->show();
        const QStringList programs = Programs({"quake2", "run server"}); // "read me.txt" and "config" are not
        const bool shown = QTest::qWaitForWindowExposed(window.get()) &&
                           QTest::qWaitFor([&] { return ListedNames(window->filelist) == programs; }, kTimeoutMs);
        return shown ? std::move(window) : nullptr;
    }

private slots:
    void initTestCase() {
        trel::test::PrepareUiTest();
        trel::InitResources();
        base_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/trel locator XXXXXX"));
        QVERIFY(base_->isValid());
        QVERIFY(QDir(base_->path()).mkpath(QStringLiteral("drive a/quake 2/baseq2")));
        QVERIFY(QDir(base_->path()).mkpath(QStringLiteral("drive a/long folder name")));
        QVERIFY(QDir(base_->path()).mkpath(QStringLiteral("drive b")));
        quake2Folder_ = path(QStringLiteral("drive a/quake 2"));
        longFolder_ = path(QStringLiteral("drive a/long folder name"));
        MakeFile(quake2Folder_ + QStringLiteral("/quake2") + kProgramSuffix, true);
        MakeFile(quake2Folder_ + QStringLiteral("/run server") + kProgramSuffix, true);
        MakeFile(quake2Folder_ + QStringLiteral("/read me.txt"), false);
        MakeFile(quake2Folder_ + QStringLiteral("/config"), false);
        MakeFile(longFolder_ + QStringLiteral("/other game") + kProgramSuffix, true);
        MakeFile(path(QStringLiteral("drive b/setup")) + kProgramSuffix, true);
        driveA_ = {path(QStringLiteral("drive a")), path(QStringLiteral("drive a")) + QStringLiteral(" [games]")};
        driveB_ = {path(QStringLiteral("drive b")), path(QStringLiteral("drive b"))};
        noDisc_ = {path(QStringLiteral("no disc")), path(QStringLiteral("no disc")) + QStringLiteral(" [cd]")};
    }

    // Wherever the tree moves, the label, the drive list and the file list (programs only) follow.
    void changingTheFolder_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("onDriveB");
        QTest::addColumn<QStringList>("programs");
        QTest::newRow("set to a folder without programs")
            << "set" << path(QStringLiteral("drive a/quake 2/baseq2")) << false << QStringList();
        QTest::newRow("a folder clicked in the tree") << "click" << longFolder_ << false << Programs({"other game"});
        QTest::newRow("a drive chosen") << "drive" << path(QStringLiteral("drive b")) << true << Programs({"setup"});
    }
    void changingTheFolder() {
        QFETCH(QString, how);
        QFETCH(QString, folder);
        QFETCH(bool, onDriveB);
        QFETCH(QStringList, programs);
        trel::RecordedMessageBoxes boxes;
        const auto window = openLocator(boxes, {driveA_, driveB_});
        QVERIFY(window);
        QTreeView* tree = window->directory;
        if (how == QLatin1String("set")) {
            window->setDirectory(folder);
        } else if (how == QLatin1String("click")) {
            const auto* model = qobject_cast<const QFileSystemModel*>(tree->model());
            QVERIFY(model);
            const QModelIndex item = model->index(folder);
            QTRY_VERIFY_WITH_TIMEOUT(!tree->visualRect(item).isEmpty(), kTimeoutMs);
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(item).center());
        } else {
            window->drive->setFocus();
            QTest::keyClick(window->drive, Qt::Key_Down);
        }
        const Drive& drive = onDriveB ? driveB_ : driveA_;
        QCOMPARE(window->currentDirectory(), Native(folder));
        QCOMPARE(tree->currentIndex().data().toString(), QFileInfo(folder).fileName());
        QCOMPARE(window->lbldrive->text(), LongLabel(drive));
        QCOMPARE(window->drive->currentText(), drive.entry);
        QTRY_COMPARE_WITH_TIMEOUT(ListedNames(window->filelist), programs, kTimeoutMs);
        QVERIFY(boxes.shown.isEmpty());
        // Moving the tree back to a folder of drive a brings the drive list along.
        window->setDirectory(quake2Folder_);
        QCOMPARE(window->drive->currentText(), driveA_.entry);
    }

    void leavingTheLocator_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("file"); // chosen, and then confirmed
        QTest::newRow("Ok") << "Ok" << QString(QStringLiteral("quake2") + kProgramSuffix);
        QTest::newRow("double-click") << "double-click" << QString(QStringLiteral("run server") + kProgramSuffix);
        QTest::newRow("Cancel button") << "Cancel" << QString();
        QTest::newRow("title-bar close box") << "close box" << QString();
        QTest::newRow("closed after an accepted choice") << "accepted" << QString();
    }
    void leavingTheLocator() {
        QFETCH(QString, how);
        QFETCH(QString, file);
        trel::RecordedMessageBoxes boxes;
        const auto window = openLocator(boxes, {driveA_});
        QVERIFY(window);
        QSignalSpy confirmed(window.get(), &trel::dirfinder::confirmed);
        QSignalSpy cancelled(window.get(), &trel::dirfinder::cancelled);
        window->chooseFile(QStringLiteral("read me.txt"));
        QCOMPARE(window->chosenFileName(), QString()); // not listed, so it cannot be chosen
        QListView* list = window->filelist;
        const QModelIndex item = list->model()->index(ListedNames(list).indexOf(file), 0, list->rootIndex());
        if (how == QLatin1String("Ok")) {
            window->chooseFile(file);
            QTest::mouseClick(window->butfounddirok, Qt::LeftButton);
        } else if (how == QLatin1String("double-click")) {
            QTRY_VERIFY_WITH_TIMEOUT(!list->visualRect(item).isEmpty(), kTimeoutMs);
            // Through the window system, as a real double-click arrives: press, release, press, double-click.
            const QPoint at = list->viewport()->mapTo(window.get(), list->visualRect(item).center());
            QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {}, at);
        } else if (how == QLatin1String("Cancel")) {
            QTest::mouseClick(window->butcancel, Qt::LeftButton);
        } else if (how == QLatin1String("close box")) {
            QVERIFY(window->close());
        } else {
            window->closeAccepted();
        }
        const bool confirming = !file.isEmpty();
        QCOMPARE(confirmed.count(), confirming ? 1 : 0);
        QCOMPARE(cancelled.count(), confirming || how == QLatin1String("accepted") ? 0 : 1);
        QCOMPARE(window->chosenFileName(), file);
        QCOMPARE(window->currentDirectory(), Native(quake2Folder_));
        // The locator stays open until the choice is accepted.
        QTRY_COMPARE_WITH_TIMEOUT(window->isVisible(), confirming, kTimeoutMs);
        QVERIFY(boxes.shown.isEmpty());
    }

    void driveThatIsNotReadyKeepsThePreviousDrive() {
        trel::RecordedMessageBoxes boxes;
        const auto window = openLocator(boxes, {driveA_, noDisc_});
        QVERIFY(window);
        const QString labelBefore = window->lbldrive->text();
        window->drive->setFocus();
        QTest::keyClick(window->drive, Qt::Key_Down);
#ifdef Q_OS_WIN
        const QString named = noDisc_.entry.left(2);
#else
        const QString named = Native(noDisc_.rootPath);
#endif
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("Drive %1 is not ready.").arg(named)});
        QCOMPARE(boxes.shown.front().title, QStringLiteral("Warning!"));
        QCOMPARE(window->drive->currentText(), driveA_.entry);
        QCOMPARE(window->currentDirectory(), Native(quake2Folder_));
        QCOMPARE(window->lbldrive->text(), labelBefore);
    }

    // The viewer shows the command text read-only, sits below the main window, follows resizes and tells
    // when the user closes it.
    void commandViewer() {
        QWidget mainWindow;
        mainWindow.setGeometry(120, 80, 420, 300);
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
        trel::frmCommand viewer;
        QCOMPARE(viewer.commandText(), QStringLiteral("No parameters set\n"));
        viewer.setCommandText(QStringLiteral("quake2 +set game vorn\r\n+set dmflags 5\r\n"));
        QCOMPARE(viewer.commandline->toPlainText(), QStringLiteral("quake2 +set game vorn\n+set dmflags 5\n"));
        QVERIFY(viewer.commandline->isReadOnly());
        viewer.placeBelow(mainWindow);
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        const QRect main = mainWindow.frameGeometry();
        QTRY_COMPARE_WITH_TIMEOUT(viewer.frameGeometry().topLeft(), QPoint(main.left(), main.bottom() + 1 + 3),
                                  kTimeoutMs);
        for (const QSize size : {QSize(640, 160), QSize(200, 40)}) {
            viewer.resize(size);
            QTRY_COMPARE_WITH_TIMEOUT(viewer.size(), size, kTimeoutMs);
            QCOMPARE(viewer.commandline->geometry(), QRect(QPoint(), size)); // the text area fills the window
        }
        QSignalSpy closed(&viewer, &trel::frmCommand::closedByUser);
        QVERIFY(viewer.close());
        QCOMPARE(closed.count(), 1);
        QVERIFY(!viewer.isVisible());
    }

    void splashShowsTheLogoAboveAllOthers() {
        trel::splashscreen splash;
        QCOMPARE(splash.Picture1->geometry(), splash.rect());
        // The logo is shown from the stored bitmap's own rows: the same picture the image reader decodes.
        QImageReader reader(QStringLiteral(":/trel/logo.bmp"));
        QCOMPARE(splash.Picture1->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
                 reader.read().convertToFormat(QImage::Format_RGB32));
        splash.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        for (const bool on : {true, false}) {
            splash.setTopmost(on);
            QCOMPARE(splash.windowFlags().testFlag(Qt::WindowStaysOnTopHint), on);
            QVERIFY(splash.isVisible()); // changing the flag hides a window; the splash shows itself again
        }
    }
};

QTEST_MAIN(TestAuxiliary)
#include "test_auxiliary.moc"
