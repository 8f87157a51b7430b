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
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <memory>

using trel::test::Control;

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
QString LongLabel(const trel::dirfinder::Drive& drive) {
#ifdef Q_OS_WIN
    return drive.entry.left(2) + QStringLiteral("\\..");
#else
    return Native(drive.rootPath) + QStringLiteral("/..");
#endif
}

// How the not-ready warning names a drive: its letter and colon, or its root folder.
QString DriveName(const trel::dirfinder::Drive& drive) {
#ifdef Q_OS_WIN
    return drive.entry.left(2);
#else
    return Native(drive.rootPath);
#endif
}

void MakeFile(const QString& path, bool program) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write("#!/bin/sh\n");
    file.close();
    QFileDevice::Permissions permissions =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    if (program)
        permissions |= QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
    QVERIFY(QFile::setPermissions(path, permissions));
}

// What the file list shows, in the order shown.
QStringList ListedNames(const QListView* list) {
    QStringList names;
    const QAbstractItemModel* model = list->model();
    const QModelIndex root = list->rootIndex();
    for (int row = 0; row < model->rowCount(root); ++row)
        names << model->index(row, 0, root).data().toString();
    return names;
}

QModelIndex ListedItem(const QListView* list, const QString& name) {
    const QAbstractItemModel* model = list->model();
    const QModelIndex root = list->rootIndex();
    for (int row = 0; row < model->rowCount(root); ++row) {
        const QModelIndex item = model->index(row, 0, root);
        if (item.data().toString() == name)
            return item;
    }
    return {};
}

// The process's current folder for the lifetime of one test.
class CurrentFolder {
public:
    explicit CurrentFolder(const QString& folder) : previous_(QDir::currentPath()) { QDir::setCurrent(folder); }
    ~CurrentFolder() { QDir::setCurrent(previous_); }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    QString previous_;
};

} // namespace

class TestAuxiliary : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> base_;
    trel::dirfinder::Drive driveA_;
    trel::dirfinder::Drive driveB_;
    trel::dirfinder::Drive noDisc_;
    QString quake2Folder_; // on drive a, with the game, a second program and a data file
    QString longFolder_;   // on drive a, with one other program
    QString toolsFolder_;  // on drive b

    QString path(const QString& relative) const { return base_->filePath(relative); }

    // A shown locator on the test's drives, at folder.
    std::unique_ptr<trel::dirfinder> openLocator(trel::MessageBoxes& boxes, const QList<trel::dirfinder::Drive>& drives,
                                                 const QString& folder) {
        auto window = std::make_unique<trel::dirfinder>(boxes);
        window->setDrives(drives);
        window->setDirectory(folder);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            return nullptr;
        return window;
    }

private slots:
    void initTestCase() {
        trel::test::PrepareUiTest();
        trel::InitResources();
        base_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/trel locator XXXXXX"));
        QVERIFY(base_->isValid());
        QDir root(base_->path());
        QVERIFY(root.mkpath(QStringLiteral("drive a/quake 2/baseq2")));
        QVERIFY(root.mkpath(QStringLiteral("drive a/long folder name")));
        QVERIFY(root.mkpath(QStringLiteral("drive b/map tools")));
        quake2Folder_ = path(QStringLiteral("drive a/quake 2"));
        longFolder_ = path(QStringLiteral("drive a/long folder name"));
        toolsFolder_ = path(QStringLiteral("drive b/map tools"));
        MakeFile(quake2Folder_ + QStringLiteral("/quake2") + kProgramSuffix, true);
        MakeFile(quake2Folder_ + QStringLiteral("/run server") + kProgramSuffix, true);
        MakeFile(quake2Folder_ + QStringLiteral("/read me.txt"), false);
        MakeFile(quake2Folder_ + QStringLiteral("/config"), false);
        MakeFile(longFolder_ + QStringLiteral("/other game") + kProgramSuffix, true);
        MakeFile(path(QStringLiteral("drive b/setup")) + kProgramSuffix, true);
        MakeFile(toolsFolder_ + QStringLiteral("/mapper") + kProgramSuffix, true);
        driveA_ = {path(QStringLiteral("drive a")), path(QStringLiteral("drive a")) + QStringLiteral(" [games]")};
        driveB_ = {path(QStringLiteral("drive b")), path(QStringLiteral("drive b"))};
        noDisc_ = {path(QStringLiteral("no disc")), path(QStringLiteral("no disc")) + QStringLiteral(" [cd]")};
    }

    void locatorLooksAsLaidOut() {
        trel::RecordedMessageBoxes boxes;
        trel::dirfinder window(boxes);
        QCOMPARE(window.objectName(), QStringLiteral("dirfinder"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Select your Quake2 Executable"));
        QVERIFY(window.windowFlags().testFlag(Qt::Tool));
        QCOMPARE(window.size(), QSize(305, 354));
        QCOMPARE(window.minimumSize(), window.maximumSize());

        auto* label3 = Control<QLabel>(&window, QStringLiteral("Label3"));
        QCOMPARE(label3->text(), QStringLiteral("This is probably the first time you have run Trel, just select your "
                                                "Quake2.exe and providing you have a vorn\\ directory below quake2 "
                                                "you should be fine."));
        QVERIFY(label3->wordWrap());
        QVERIFY2(label3->heightForWidth(label3->width()) <= label3->height(), "the note is cut off");

        auto* picture = Control<QLabel>(&window, QStringLiteral("Picture1"));
        QCOMPARE(picture->size(), QSize(36, 36));
        QVERIFY(!picture->pixmap().isNull());
        QCOMPARE(picture->pixmap().size(), QSize(32, 32));

        // Every caption fits its control.
        const struct {
            const char* name;
            const char* text;
        } captions[] = {{"Label1", "Directory:"},
                        {"Label2", "Drive:"},
                        {"filename", "Filename:"},
                        {"butfounddirok", "Ok"},
                        {"butcancel", "Cancel"}};
        for (const auto& caption : captions) {
            auto* control = Control<QWidget>(&window, QString::fromLatin1(caption.name));
            const QString shown = control->property("text").toString();
            QCOMPARE(shown, QString::fromLatin1(caption.text));
            QVERIFY2(QFontMetrics(control->font()).horizontalAdvance(shown) <= control->width(), caption.name);
        }
    }

    void locatorStartsInTheCurrentFolderWithAnEmptyLabel() {
        const CurrentFolder current(quake2Folder_);
        trel::RecordedMessageBoxes boxes;
        trel::dirfinder window(boxes);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.currentDirectory(), Native(QDir::currentPath()));
        QCOMPARE(Control<QLabel>(&window, QStringLiteral("lbldrive"))->text(), QString());
        auto* list = Control<QListView>(&window, QStringLiteral("filelist"));
        QTRY_COMPARE_WITH_TIMEOUT(
            ListedNames(list),
            QStringList({QStringLiteral("quake2") + kProgramSuffix, QStringLiteral("run server") + kProgramSuffix}),
            kTimeoutMs);
        auto* tree = Control<QTreeView>(&window, QStringLiteral("directory"));
        QCOMPARE(tree->currentIndex().data().toString(), QStringLiteral("quake 2"));
        QVERIFY(Control<QComboBox>(&window, QStringLiteral("drive"))->count() > 0);
    }

    void directoryLabelShortensLongPaths_data() {
        QTest::addColumn<QString>("rootPath");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("shownWhole");
        QTest::newRow("drive root, shorter than 12 characters") << QDir::rootPath() << QDir::rootPath() << true;
        QTest::newRow("long folder") << path(QStringLiteral("drive a")) << path(QStringLiteral("drive a/quake 2"))
                                     << false;
        QTest::newRow("long drive root") << path(QStringLiteral("drive b")) << path(QStringLiteral("drive b")) << false;
    }

    void directoryLabelShortensLongPaths() {
        QFETCH(QString, rootPath);
        QFETCH(QString, folder);
        QFETCH(bool, shownWhole);
        const trel::dirfinder::Drive onlyDrive{rootPath, rootPath};
        trel::RecordedMessageBoxes boxes;
        const auto window = openLocator(boxes, {onlyDrive}, folder);
        QVERIFY(window);
        auto* tree = Control<QTreeView>(window.get(), QStringLiteral("directory"));
        const auto* model = qobject_cast<const QFileSystemModel*>(tree->model());
        QVERIFY(model);
        QCOMPARE(QDir::cleanPath(model->filePath(tree->currentIndex())), QDir::cleanPath(folder));
        QCOMPARE(window->currentDirectory(), Native(folder));
        QCOMPARE(Control<QLabel>(window.get(), QStringLiteral("lbldrive"))->text(),
                 shownWhole ? Native(folder) : LongLabel(onlyDrive));
    }

    void fileListShowsOnlyProgramsAndFollowsTheFolder() {
        trel::RecordedMessageBoxes boxes;
        const auto window = openLocator(boxes, {driveA_, driveB_}, quake2Folder_);
        QVERIFY(window);
        auto* list = Control<QListView>(window.get(), QStringLiteral("filelist"));
        QTRY_COMPARE_WITH_TIMEOUT(
            ListedNames(list),
            QStringList({QStringLiteral("quake2") + kProgramSuffix, QStringLiteral("run server") + kProgramSuffix}),
            kTimeoutMs);

        window->setDirectory(longFolder_);
        QTRY_COMPARE_WITH_TIMEOUT(ListedNames(list), QStringList({QStringLiteral("other game") + kProgramSuffix}),
                                  kTimeoutMs);
        window->setDirectory(path(QStringLiteral("drive a/quake 2/baseq2")));
        QTRY_COMPARE_WITH_TIMEOUT(ListedNames(list), QStringList(), kTimeoutMs);
    }

    void clickingAFolderInTheTreeShowsItsPrograms() {
        trel::RecordedMessageBoxes boxes;
        const auto window = openLocator(boxes, {driveA_}, quake2Folder_);
        QVERIFY(window);
        auto* tree = Control<QTreeView>(window.get(), QStringLiteral("directory"));
        const auto* model = qobject_cast<const QFileSystemModel*>(tree->model());
        QVERIFY(model);
        const QModelIndex sibling = model->index(longFolder_);
        QVERIFY(sibling.isValid());
        QTRY_VERIFY_WITH_TIMEOUT(!tree->visualRect(sibling).isEmpty(), kTimeoutMs);

        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(sibling).center());

        QCOMPARE(tree->currentIndex().data().toString(), QStringLiteral("long folder name"));
        QCOMPARE(window->currentDirectory(), Native(longFolder_));
        QCOMPARE(Control<QLabel>(window.get(), QStringLiteral("lbldrive"))->text(), LongLabel(driveA_));
        QTRY_COMPARE_WITH_TIMEOUT(ListedNames(Control<QListView>(window.get(), QStringLiteral("filelist"))),
                                  QStringList({QStringLiteral("other game") + kProgramSuffix}), kTimeoutMs);
    }

    void okConfirmsTheChosenFolderAndFile() {
        trel::RecordedMessageBoxes boxes;
        const auto window = openLocator(boxes, {driveA_}, quake2Folder_);
        QVERIFY(window);
        auto* list = Control<QListView>(window.get(), QStringLiteral("filelist"));
        QTRY_VERIFY_WITH_TIMEOUT(ListedItem(list, QStringLiteral("quake2") + kProgramSuffix).isValid(), kTimeoutMs);
        QSignalSpy confirmed(window.get(), &trel::dirfinder::confirmed);
        QSignalSpy cancelled(window.get(), &trel::dirfinder::cancelled);

        window->chooseFile(QStringLiteral("read me.txt"));
        QCOMPARE(window->chosenFileName(), QString()); // not listed, so it cannot be chosen
        window->chooseFile(QStringLiteral("quake2") + kProgramSuffix);
        QCOMPARE(list->currentIndex().data().toString(), QStringLiteral("quake2") + kProgramSuffix);
        QTest::mouseClick(Control<QPushButton>(window.get(), QStringLiteral("butfounddirok")), Qt::LeftButton);

        QCOMPARE(confirmed.count(), 1);
        QCOMPARE(cancelled.count(), 0);
        QCOMPARE(window->currentDirectory(), Native(quake2Folder_));
        QCOMPARE(window->chosenFileName(), QStringLiteral("quake2") + kProgramSuffix);
        QVERIFY2(window->isVisible(), "the locator stays open until the choice is accepted");
    }

    void doubleClickOnAFileConfirms() {
        trel::RecordedMessageBoxes boxes;
        const auto window = openLocator(boxes, {driveA_}, quake2Folder_);
        QVERIFY(window);
        auto* list = Control<QListView>(window.get(), QStringLiteral("filelist"));
        const QString name = QStringLiteral("run server") + kProgramSuffix;
        QTRY_VERIFY_WITH_TIMEOUT(
            ListedItem(list, name).isValid() && !list->visualRect(ListedItem(list, name)).isEmpty(), kTimeoutMs);
        QSignalSpy confirmed(window.get(), &trel::dirfinder::confirmed);

        // Through the window system, as a real double-click arrives: press, release, press, double-click, release.
        const QPoint onItem = list->viewport()->mapTo(window.get(), list->visualRect(ListedItem(list, name)).center());
        QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {}, onItem);

        QCOMPARE(confirmed.count(), 1);
        QCOMPARE(window->chosenFileName(), name);
        QCOMPARE(window->currentDirectory(), Native(quake2Folder_));
    }

    void leavingTheLocator_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("cancels");
        QTest::newRow("Cancel button") << QStringLiteral("button") << 1;
        QTest::newRow("title-bar close box") << QStringLiteral("close box") << 1;
        QTest::newRow("closed after an accepted choice") << QStringLiteral("accepted") << 0;
    }

    void leavingTheLocator() {
        QFETCH(QString, how);
        QFETCH(int, cancels);
        trel::RecordedMessageBoxes boxes;
        const auto window = openLocator(boxes, {driveA_}, quake2Folder_);
        QVERIFY(window);
        QSignalSpy confirmed(window.get(), &trel::dirfinder::confirmed);
        QSignalSpy cancelled(window.get(), &trel::dirfinder::cancelled);

        if (how == QStringLiteral("button"))
            QTest::mouseClick(Control<QPushButton>(window.get(), QStringLiteral("butcancel")), Qt::LeftButton);
        else if (how == QStringLiteral("close box"))
            QVERIFY(window->close());
        else
            window->closeAccepted();

        QCOMPARE(cancelled.count(), cancels);
        QCOMPARE(confirmed.count(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!window->isVisible(), kTimeoutMs);
        QVERIFY(boxes.shown.isEmpty());
    }

    void choosingADriveMovesTheTreeToItsRoot() {
        trel::RecordedMessageBoxes boxes;
        const auto window = openLocator(boxes, {driveA_, driveB_}, quake2Folder_);
        QVERIFY(window);
        auto* drives = Control<QComboBox>(window.get(), QStringLiteral("drive"));
        QCOMPARE(drives->currentText(), driveA_.entry);

        drives->setFocus();
        QTest::keyClick(drives, Qt::Key_Down);

        QCOMPARE(drives->currentText(), driveB_.entry);
        QCOMPARE(window->currentDirectory(), Native(driveB_.rootPath));
        QCOMPARE(Control<QLabel>(window.get(), QStringLiteral("lbldrive"))->text(), LongLabel(driveB_));
        auto* tree = Control<QTreeView>(window.get(), QStringLiteral("directory"));
        QCOMPARE(tree->currentIndex().data().toString(), QStringLiteral("drive b"));
        QTRY_COMPARE_WITH_TIMEOUT(ListedNames(Control<QListView>(window.get(), QStringLiteral("filelist"))),
                                  QStringList({QStringLiteral("setup") + kProgramSuffix}), kTimeoutMs);
        QVERIFY(boxes.shown.isEmpty());

        // Moving the tree to a folder of the other drive brings the drive list along.
        window->setDirectory(quake2Folder_);
        QCOMPARE(drives->currentText(), driveA_.entry);
    }

    void driveThatIsNotReadyKeepsThePreviousDrive() {
        trel::RecordedMessageBoxes boxes;
        const auto window = openLocator(boxes, {driveA_, noDisc_}, quake2Folder_);
        QVERIFY(window);
        auto* drives = Control<QComboBox>(window.get(), QStringLiteral("drive"));
        auto* label = Control<QLabel>(window.get(), QStringLiteral("lbldrive"));
        const QString labelBefore = label->text();

        drives->setFocus();
        QTest::keyClick(drives, Qt::Key_Down);

        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.front().title, QStringLiteral("Warning!"));
        QCOMPARE(boxes.shown.front().text, QStringLiteral("Drive %1 is not ready.").arg(DriveName(noDisc_)));
        QCOMPARE(drives->currentText(), driveA_.entry);
        QCOMPARE(window->currentDirectory(), Native(quake2Folder_));
        QCOMPARE(label->text(), labelBefore);
    }

    void viewerShowsTheCommandTextInYellowOnBlack() {
        trel::frmCommand viewer;
        QCOMPARE(viewer.objectName(), QStringLiteral("frmCommand"));
        QCOMPARE(viewer.windowTitle(), QStringLiteral("Command Line"));
        QVERIFY(viewer.windowFlags().testFlag(Qt::Tool));
        QCOMPARE(viewer.size(), QSize(476, 73));
        QVERIFY(viewer.minimumSize() != viewer.maximumSize());
        auto* text = Control<QPlainTextEdit>(&viewer, QStringLiteral("commandline"));
        QCOMPARE(text->toPlainText(), QStringLiteral("No parameters set\n"));
        QCOMPARE(viewer.commandText(), QStringLiteral("No parameters set\n"));
        QVERIFY(text->isReadOnly());
        QCOMPARE(text->geometry(), viewer.rect());
        QCOMPARE(text->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(text->frameShape(), QFrame::NoFrame);
        QCOMPARE(text->palette().color(QPalette::Base), QColor(Qt::black));
        QCOMPARE(text->palette().color(QPalette::Text), QColor(Qt::yellow));
        QVERIFY(text->font().bold());
        QCOMPARE(text->font().family(), trel::ProgramFont().family());

        viewer.setCommandText(QStringLiteral("quake2 +set game vorn\r\n+set dmflags 5\r\n"));
        QCOMPARE(text->toPlainText(), QStringLiteral("quake2 +set game vorn\n+set dmflags 5\n"));
    }

    void viewerTextAreaFollowsTheWindowSize_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("wider and taller") << QSize(640, 160);
        QTest::newRow("narrower and lower") << QSize(200, 40);
        QTest::newRow("back to the start") << QSize(476, 73);
    }

    void viewerTextAreaFollowsTheWindowSize() {
        QFETCH(QSize, size);
        trel::frmCommand viewer;
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        viewer.resize(size);
        QTRY_COMPARE_WITH_TIMEOUT(viewer.size(), size, kTimeoutMs);
        QCOMPARE(Control<QPlainTextEdit>(&viewer, QStringLiteral("commandline"))->geometry(), QRect(QPoint(), size));
    }

    void viewerSitsJustBelowTheMainWindow() {
        QWidget mainWindow;
        mainWindow.setGeometry(120, 80, 420, 300);
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
        trel::frmCommand viewer;
        viewer.placeBelow(mainWindow);
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        const QRect main = mainWindow.frameGeometry();
        QTRY_COMPARE_WITH_TIMEOUT(viewer.frameGeometry().topLeft(), QPoint(main.left(), main.bottom() + 1 + 3),
                                  kTimeoutMs);
    }

    void viewerCloseBoxTellsTheApplication() {
        trel::frmCommand viewer;
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        QSignalSpy closed(&viewer, &trel::frmCommand::closedByUser);
        QVERIFY(viewer.close());
        QCOMPARE(closed.count(), 1);
        QVERIFY(!viewer.isVisible());
    }

    void splashShowsTheLogo() {
        trel::splashscreen splash;
        QCOMPARE(splash.objectName(), QStringLiteral("splashscreen"));
        QCOMPARE(splash.windowTitle(), QStringLiteral("Welcome..."));
        QVERIFY(splash.windowFlags().testFlag(Qt::Tool));
        QCOMPARE(splash.size(), QSize(254, 154));
        QCOMPARE(splash.minimumSize(), splash.maximumSize());
        auto* picture = Control<QLabel>(&splash, QStringLiteral("Picture1"));
        QCOMPARE(picture->geometry(), splash.rect());
        QVERIFY(!picture->pixmap().isNull());
        QCOMPARE(picture->pixmap().size(), QSize(254, 154));
    }

    void splashTopmostKeepsItShown_data() {
        QTest::addColumn<bool>("on");
        QTest::newRow("above all others") << true;
        QTest::newRow("back to the normal order") << false;
    }

    void splashTopmostKeepsItShown() {
        QFETCH(bool, on);
        trel::splashscreen splash;
        splash.setTopmost(!on);
        splash.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        splash.setTopmost(on);
        QCOMPARE(splash.windowFlags().testFlag(Qt::WindowStaysOnTopHint), on);
        QVERIFY(splash.isVisible());
        QCOMPARE(splash.size(), QSize(254, 154));
    }
};

QTEST_MAIN(TestAuxiliary)
#include "test_auxiliary.moc"
