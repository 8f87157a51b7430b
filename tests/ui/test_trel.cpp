// The program as a user meets it: first run, start-up, the game start, the preview, the single instance and
// leaving the main window. Every test runs in its own start folder and Quake 2 folder.

#include "LinkedNetwork.h"
#include "SingleInstance.h"
#include "Trel.h"
#include "addressbook.h"
#include "auxiliary/Resources.h"
#include "auxiliary/dirfinder.h"
#include "auxiliary/frmCommand.h"
#include "main/Main.h"
#include "mdlmaincode.h"
#include "platform.h"
#include "seams/DocumentOpener.h"
#include "seams/GameStarter.h"
#include "seams/MessageBoxes.h"
#include "ui_test_support.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QLocalSocket>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace trel;
using test::ReadAll;
using test::WriteAll;

namespace {

const QByteArray kSettings = "[Settings]\r\nDMflags=5\r\nDedicated=0\r\nBoolmaxclients=1\r\nValmaxclients=12\r\n"
                             "Booltimelimit=0\r\nValtimelimit=20\r\nBoolgemgoal=0\r\nValgemgoal=10\r\n"
                             "MonsterRespawn=0\r\nForcejoin=1\r\nGametype=1\r\nCommandline=0\r\nMap=2\r\n"
                             "Boolmaxgems=0\r\nValmaxgems=0\r\nserverini=\r\n";
const QString kGame = QString::fromLatin1(kGameExecutableName.data());
// Trel stores and shows paths with the system's separators, as the locator and the start folder give them.
QString native(const QString& path) { return QDir::toNativeSeparators(path); }
QByteArray local(const QString& path) { return QFile::encodeName(native(path)); }

// A Quake 2 installation with the stand-in game (and the modification's folder when mod).
void install(const QString& folder, bool mod) {
    const QString game = folder + QLatin1Char('/') + kGame;
    QVERIFY(QDir().mkpath(mod ? folder + QStringLiteral("/vorn") : folder));
    QVERIFY(QFile::copy(QStringLiteral(TREL_STANDIN_GAME), game));
    QVERIFY(QFile::setPermissions(game, QFile::permissions(game) | QFile::ExeOwner));
}

} // namespace

class TestTrel : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> root;
    QString startDir, quakeDir, iniFile, recordFile, homeDir, previousDir;
#ifdef Q_OS_WIN
    // On Windows the first run looks in the program folders these name (and in the stores' registry keys).
    const QList<const char*> saved{"HOME", "ProgramFiles", "ProgramFiles(x86)"};
#else
    const QList<const char*> saved{"HOME"};
#endif
    QList<QByteArray> savedValues;
    RecordedMessageBoxes boxes;
    ProcessGameStarter starter;
    RecordedDocumentOpener documents;
    LinkedNetworkSource network;
    std::unique_ptr<Trel> app;

    QString gamePath() const { return native(quakeDir + QLatin1Char('/') + kGame); }
    QString launchScript() const { return quakeDir + QStringLiteral("/vorn/trel_launcher.cfg"); }
    QByteArray usedSection() const {
        return "[Quake2exe]\r\nUsed=1\r\nPath=" + local(gamePath()) + "\r\nDir=" + local(quakeDir) + "\r\n";
    }
    // Writes trel.ini (the Quake 2 section and the settings with one replacement) and starts Trel on it.
    Trel& start(const QByteArray& section, const QByteArray& from = {}, const QByteArray& to = {}) {
        if (!WriteAll(iniFile, section + QByteArray(kSettings).replace(from, to)))
            qFatal("trel.ini not written");
        app = std::make_unique<Trel>(local(startDir).toStdString(), Seams{boxes, starter, documents, network});
        app->StartUp();
        return *app;
    }
    Main& mainWindow() { return *app->mainWindow(); }
    // Another Trel runs in the start folder on the test's own platform, named to it: under Wine the test may
    // have been given its platform as an argument, and its environment names none.
    void prepareOtherTrel(QProcess& process) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QGuiApplication::platformName());
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(startDir);
    }
    // The game's file stored in another letter case: not the game's executable.
    QByteArray gameInOtherCase() {
        const QString other = native(quakeDir + QLatin1Char('/') + kGame.toUpper());
        if (!QFile::rename(gamePath(), other))
            qFatal("game not renamed");
        return usedSection().replace(local(gamePath()), local(other));
    }

private slots:
    void initTestCase() {
        test::PrepareUiTest();
        InitResources();
        previousDir = QDir::currentPath();
        for (const char* variable : saved)
            savedValues << qgetenv(variable);
    }
    void cleanupTestCase() {
        for (qsizetype i = 0; i < saved.size(); ++i)
            qputenv(saved[i], savedValues[i]);
    }
    void init() {
        root = std::make_unique<QTemporaryDir>();
        startDir = root->filePath(QStringLiteral("start here"));
        quakeDir = root->filePath(QStringLiteral("Quake 2"));
        iniFile = startDir + QStringLiteral("/trel.ini");
        recordFile = quakeDir + QStringLiteral("/vorn/standin_record.txt");
        homeDir = root->filePath(QStringLiteral("home"));
        QVERIFY(QDir().mkpath(startDir) && QDir().mkpath(homeDir));
        install(quakeDir, true);
        boxes.shown.clear();
        boxes.answer = false;
        // The first run looks for Quake 2 below the home folder (and the program folders): empty ones.
        for (const char* variable : saved)
            qputenv(variable, local(root->filePath(QString::fromLatin1(variable) == "HOME" ? "home" : variable)));
    }
    void cleanup() {
        app.reset();
        QDir::setCurrent(previousDir); // the game start makes the Quake 2 folder current
        root.reset();
    }

    // The first run offers the installations found, best first, refuses a wrong file and stores the game chosen.
    void firstRunOffersTheFoundGamesAndStoresTheChosenOne() {
#ifdef Q_OS_WIN
        // Two program folders: the later one's installation has the modification's folder and comes first.
        const QString found = root->filePath(QStringLiteral("ProgramFiles(x86)/Quake2"));
        const QString other = root->filePath(QStringLiteral("ProgramFiles/Quake2"));
#else
        // A store library listed in the home folder's library file, and an installation without the
        // modification's folder: the library's comes first.
        const QString library = root->filePath(QStringLiteral("Games 'Library'"));
        const QString found = library + QStringLiteral("/steamapps/common/Quake 2");
        const QString other = homeDir + QStringLiteral("/.quake2");
        QVERIFY(QDir().mkpath(homeDir + QStringLiteral("/.steam/steam/steamapps")));
        QVERIFY(WriteAll(homeDir + QStringLiteral("/.steam/steam/steamapps/libraryfolders.vdf"),
                         "\"libraryfolders\"\n{\n\t\"1\"\t\"" + QFile::encodeName(library) + "\"\n}\n"));
#endif
        install(found, true);
        install(other, false);
        const QByteArray unused = "[Quake2exe]\r\nUsed=0\r\n" + kSettings;
        Trel& trel = start("[Quake2exe]\r\nUsed=0\r\n");
        QVERIFY(!trel.mainWindow() && !trel.splash());
        dirfinder& locator = *trel.locator();
        QTRY_COMPARE(locator.cmbfound->count(), 2);
        QVERIFY(locator.cmbfound->isVisible());
        QCOMPARE(locator.butfounddirok->pos(), QPoint(32, 224));
        QCOMPARE(locator.currentDirectory(), native(found));
        emit locator.cmbfound->activated(1);
        QCOMPARE(locator.currentDirectory(), native(other));
        QTRY_COMPARE(locator.chosenFileName(), kGame);
        // A file stored in another letter case is refused; nothing is written.
        QVERIFY(QFile::copy(gamePath(), quakeDir + QStringLiteral("/Quake2")));
        locator.setDirectory(quakeDir);
        locator.chooseFile(QStringLiteral("Quake2"));
        QTest::mouseClick(locator.butfounddirok, Qt::LeftButton);
        QCOMPARE(boxes.texts(), QStringList{"You have selected the wrong executable, please try again."});
        QCOMPARE(boxes.shown.first().title, QStringLiteral("Warning!"));
        QVERIFY(locator.isVisible() && !mainWindow().isVisible());
        QCOMPARE(ReadAll(iniFile), unused);
        locator.chooseFile(kGame);
        QTest::mouseClick(locator.butfounddirok, Qt::LeftButton);
        QTRY_VERIFY(!trel.locator());
        QVERIFY(mainWindow().isVisible());
        QCOMPARE(mainWindow().windowTitle(), QStringLiteral("Trel - v0.48b"));
        QCOMPARE(mainWindow().quake2dir->text(), gamePath());
        QCOMPARE(mainWindow().maps->currentRow(), 2);
        QCOMPARE(ReadAll(iniFile), "[Quake2exe]\r\nUsed=1\r\nPath=" + local(gamePath()) + "\r\ndir=" +
                                       local(quakeDir) + "\r\n" + kSettings);
        QCOMPARE(boxes.shown.size(), 1);
    }

    // One load error end to end (the errors themselves are the core suite's): told, ended, nothing written.
    void loadErrorEndsTheProgramWritingNothing() {
        QVERIFY(WriteAll(iniFile, usedSection() + QByteArray(kSettings).replace("Gametype=1", "Gametype=7")));
        app = std::make_unique<Trel>(local(startDir).toStdString(), Seams{boxes, starter, documents, network});
        QSignalSpy quit(app.get(), &Trel::quitRequested);
        app->StartUp();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.first().title, QStringLiteral("Application Load Error"));
        QVERIFY2(boxes.shown.first().text.endsWith(QStringLiteral(" -  380")), qPrintable(boxes.texts().join("")));
        QCOMPARE(quit.count(), 1);
        QTRY_VERIFY(!app->mainWindow() && !app->splash() && !app->locator());
        QCOMPARE(ReadAll(iniFile), usedSection() + QByteArray(kSettings).replace("Gametype=1", "Gametype=7"));
    }

    // Run starts the game with the window's options, after asking about a stale script in the engine's home
    // folder; the exported script, run by the shell, starts it exactly alike, whatever the folder's name.
    void runAndTheExportedScriptStartTheGame_data() {
        QTest::addColumn<QString>("folder");
        QTest::newRow("blank") << QStringLiteral("Quake 2");
        QTest::newRow("letter beyond ASCII") << QStringLiteral("Quäke 2");
#ifndef Q_OS_WIN
        QTest::newRow("quotes and shell characters") << QStringLiteral("it's \"q2\" $HOME `id` %P% !a! & ^");
#endif
    }
    void runAndTheExportedScriptStartTheGame() {
        QFETCH(QString, folder);
        quakeDir = root->filePath(folder);
        recordFile = quakeDir + QStringLiteral("/vorn/standin_record.txt");
        if (!QFile::exists(gamePath()))
            install(quakeDir, true);
        start(usedSection());
        QCOMPARE(mainWindow().quake2dir->text(), gamePath()); // a file-system path, shown as the folder shows it
        // Typed text reaches the script in the system's code page (Windows-1252 here, which holds "€");
        // a character the code page cannot hold is refused by name, never written as "?".
        test::TypeText(mainWindow().addparam, QStringLiteral("say \"50% & € 'more'\""));
        test::TypeText(mainWindow().serverini, QStringLiteral("\u03A9"));
        QTRY_COMPARE(boxes.shown.size(), 1);
        QVERIFY2(boxes.shown.first().text.contains(QStringLiteral("\"\u03A9\"")), qPrintable(boxes.texts().join("")));
        QCOMPARE(mainWindow().serverini->text(), QString());
#ifndef _WIN32
        const QString stale = homeDir + QStringLiteral("/.yq2/vorn/trel_launcher.cfg"); // the engine would read it
        QVERIFY(QDir().mkpath(QFileInfo(stale).path()) && WriteAll(stale, "map vorn01\r\n"));
        QTest::mouseClick(mainWindow().Command2, Qt::LeftButton); // answered No: nothing starts
        QVERIFY2(boxes.shown.size() == 2 && boxes.shown.last().text.contains(QStringLiteral("/home/.yq2/vorn/")),
                 qPrintable(boxes.texts().join("")));
        QVERIFY(QFile::remove(stale) && !QFile::exists(launchScript()) && !QFile::exists(recordFile));
#endif
        boxes.shown.clear();
        QTest::mouseClick(mainWindow().Command2, Qt::LeftButton);
        QTRY_COMPARE(test::ReadStandInRecords(recordFile).size(), 1);
        const test::StandInRecord record = test::ReadStandInRecords(recordFile).first();
        QCOMPARE(record.args, (QStringList{"+set", "game", "vorn", "+exec", "trel_launcher.cfg"}));
        QCOMPARE(QDir(QFile::decodeName(record.cwd.toLatin1())).canonicalPath(), QDir(quakeDir).canonicalPath());
        QCOMPARE(record.lines, (QStringList{"set gametype 1", "set forcejoin 1", "set dmflags 5", "set maxclients 12",
                                            QString::fromLatin1("say \"50% & \x80 'more'\""),
                                            "set server_ini vorn.ini", "map vorn03"}));
        QVERIFY(boxes.shown.isEmpty() && mainWindow().isVisible());
        const QByteArray byRun = ReadAll(recordFile), scriptByRun = ReadAll(launchScript());
        QVERIFY(QFile::remove(recordFile) && QFile::remove(launchScript()));
#ifdef Q_OS_WIN
        const QString name = QStringLiteral("vorn-launch.bat"), shellName = QStringLiteral("cmd.exe");
        const QStringList shellArguments{QStringLiteral("/c")};
#else
        const QString name = QStringLiteral("vorn-launch.sh"), shellName = QStringLiteral("sh");
        const QStringList shellArguments;
#endif
        const QString script = root->filePath(QStringLiteral("out 'dir'/") + name);
        QVERIFY(QDir().mkpath(QFileInfo(script).path()));
        QString title, suggested;
        app->setExportFileChooser([&](QWidget*, const QString& t, const QString& s) {
            title = t;
            suggested = s;
            return script;
        });
        mainWindow().mnuexport->trigger();
        QCOMPARE(title + ' ' + QFileInfo(suggested).fileName(), "Export Launch Script " + name);
        QVERIFY(boxes.shown.isEmpty() && !QFile::exists(recordFile)); // the export starts nothing
        QVERIFY(QFileInfo(script).isExecutable());
        QProcess shell;
        shell.setWorkingDirectory(startDir);
        shell.start(shellName, shellArguments + QStringList{native(script)});
        QVERIFY(shell.waitForFinished(10000));
        QCOMPARE(shell.exitCode(), 0);
        QCOMPARE(ReadAll(recordFile), byRun);
        QCOMPARE(ReadAll(launchScript()), scriptByRun);
    }

    // Whichever asks for the game, a wrong executable hides the main window for the locator and writes
    // nothing; Export refuses before it asks for a file, and joining a server leaves the viewer as it was.
    void wrongExecutableLeadsToTheLocator() {
        Trel& trel = start(gameInOtherCase(), "Commandline=0", "Commandline=1");
        int asked = 0;
        trel.setExportFileChooser([&](QWidget*, const QString&, const QString&) { return ++asked, QString(); });
        for (QObject* control : {static_cast<QObject*>(mainWindow().Command2), static_cast<QObject*>(
                                     mainWindow().mnuexport), static_cast<QObject*>(mainWindow().Command3)}) {
            boxes.shown.clear();
            if (auto* button = qobject_cast<QPushButton*>(control))
                QTest::mouseClick(button, Qt::LeftButton);
            else
                static_cast<QAction*>(control)->trigger();
            QCOMPARE(boxes.texts(), QStringList{"You have selected the wrong directory"});
            QVERIFY(trel.locator()->isVisible() && !mainWindow().isVisible() && !trel.viewer()->isVisible());
            QTest::mouseClick(trel.locator()->butcancel, Qt::LeftButton);
            QTRY_VERIFY(!trel.locator() && mainWindow().isVisible() && trel.viewer()->isVisible());
        }
        QCOMPARE(asked, 0);
        QVERIFY(!trel.mapEditor() && !QFile::exists(quakeDir + QStringLiteral("/vorn/vorn.ini")));
        QTest::mouseClick(mainWindow().Command4, Qt::LeftButton);
        addressbook& book = *trel.addressBook();
        QCOMPARE(book.AddServer(QStringLiteral("Home"), QStringLiteral("127.0.0.5"), QStringLiteral("27910")).outcome,
                 AddOutcome::Added);
        QTest::mouseClick(book.findChild<QWidget*>(QStringLiteral("serverselect(1)")), Qt::LeftButton);
        QTest::mouseClick(book.findChild<QWidget*>(QStringLiteral("Command1")), Qt::LeftButton);
        QCOMPARE(boxes.shown.size(), 2);
        QVERIFY(!mainWindow().isVisible() && trel.locator()->isVisible() && trel.viewer()->isVisible());
        QVERIFY(!QFile::exists(recordFile) && !QFile::exists(launchScript()));
    }

    // One Trel per settings file: a second start raises the first and ends without touching trel.ini.
    void secondStartInTheSameFolderRaisesTheFirstAndEnds() {
        start(usedSection());
        SingleInstance first(QFile::encodeName(iniFile).toStdString(), network);
        QVERIFY(first.claim());
        first.listen();
        connect(&first, &SingleInstance::raiseRequested, app.get(), &Trel::bringToFront);
        mainWindow().showMinimized();
        const QByteArray before = ReadAll(iniFile);
        QProcess second;
        prepareOtherTrel(second);
        QElapsedTimer clock;
        clock.start();
        second.start(QStringLiteral(TREL_PROGRAM), QStringList());
        QVERIFY(second.waitForFinished(2000) && clock.elapsed() < 2000);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QTRY_VERIFY(!mainWindow().isMinimized() && mainWindow().isVisible());
        QCOMPARE(ReadAll(iniFile), before);
        // Another folder's settings file is another Trel's.
        QVERIFY(SingleInstance(local(quakeDir + QStringLiteral("/trel.ini")).toStdString(), network).claim());
    }

    // A Trel killed outright leaves its lock and socket behind: they do not keep the next one from starting.
    void killedTrelDoesNotBlockTheNextStart() {
        QVERIFY(WriteAll(iniFile, usedSection() + kSettings));
        SingleInstance next(local(iniFile).toStdString(), network);
        QProcess killed;
        prepareOtherTrel(killed);
        killed.start(QStringLiteral(TREL_PROGRAM), QStringList());
        QTRY_VERIFY_WITH_TIMEOUT(([&] {
                                     QLocalSocket probe;
                                     probe.connectToServer(next.name());
                                     return probe.waitForConnected(100);
                                 }()), 10000);
        killed.kill();
        QVERIFY(killed.waitForFinished(5000));
        QVERIFY(next.claim());
    }

    // Leaving by the close box, Exit or the menu saves the same bytes; other sections stay as they were. A save
    // that fails is reported, and the program ends all the same.
    void leavingSavesTheSameWhicheverWay_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("close box") << "close";
        QTest::newRow("exit button") << "button";
        QTest::newRow("exit menu") << "menu";
        QTest::newRow("save fails") << "fails";
    }
    void leavingSavesTheSameWhicheverWay() {
        QFETCH(QString, how);
        const QByteArray before = "; kept\r\n[Other]\r\nx = 1\r\n\r\n" + usedSection();
        // A value left alone goes back byte for byte, also bytes the code page does not define (0x81).
        Trel& trel = start(before, "serverini=", "serverini=\x80s\x81.ini");
        QVERIFY(boxes.shown.isEmpty() && !trel.splash() && !trel.locator());
        QSignalSpy quit(&trel, &Trel::quitRequested);
        Main& window = mainWindow();
        QVERIFY(window.isVisible() && window.forcejoin->isChecked());
        QCOMPARE(window.gametype->currentIndex(), 1);
        QCOMPARE(trel.shared().Quake2Folder, local(quakeDir).toStdString());
        window.gametype->setCurrentIndex(3);
        window.valtimelimit->setEditText(QStringLiteral("45"));
        window.dmflagval->setText(QStringLiteral("12")); // typed text is what is stored
        window.maps->setCurrentRow(-1);
        window.maps->clearSelection();
#ifdef Q_OS_WIN
        QCOMPARE(window.serverini->text(), QStringLiteral("€s\u0081.ini")); // Windows's table for code page 1252
#else
        QCOMPARE(window.serverini->text(), QStringLiteral("€s\uFFFD.ini"));
#endif
        if (how == QLatin1String("fails")) // a folder where the settings file was: it cannot be replaced
            QVERIFY(QFile::remove(iniFile) && QDir().mkpath(iniFile));
        if (how == QLatin1String("close"))
            window.close();
        else if (how == QLatin1String("menu"))
            window.mnuexit->trigger();
        else
            QTest::mouseClick(window.Command1, Qt::LeftButton);
        QCOMPARE(quit.count(), 1);
        QTRY_VERIFY(!trel.mainWindow());
        if (how == QLatin1String("fails")) {
            QVERIFY2(boxes.shown.size() == 1 && boxes.shown.first().title == QStringLiteral("Warning!") &&
                         boxes.shown.first().text.contains(QStringLiteral("trel.ini")),
                     qPrintable(boxes.texts().join("")));
            return;
        }
        QByteArray expected = QByteArray(kSettings).replace("serverini=", "serverini=\x80s\x81.ini");
        expected.replace("DMflags=5", "DMflags=12").replace("Valtimelimit=20", "Valtimelimit=45");
        expected.replace("Gametype=1", "Gametype=3").replace("Map=2", "Map=-1");
        const QByteArray written = ReadAll(iniFile);
        if (test::UnderWine()) {
            // Wine's WritePrivateProfileString rewrites the whole file, dropping the blanks of the other section.
            QCOMPARE(written.mid(written.indexOf("[Quake2exe]")), usedSection() + expected);
            QSKIP("Wine's profile-string functions do not keep the lines of sections they do not write");
        }
        QCOMPARE(written, before + expected);
    }

    // The command-line viewer follows the options while View Commandline is ticked, and hides with the main window.
    void previewFollowsTheOptions() {
        Trel& trel = start(usedSection(), "Commandline=0", "Commandline=1");
        const auto expected = [&] {
            return QFile::decodeName(QByteArray::fromStdString(
                BuildCommandLineText(trel.shared().Quake2Path, mainWindow().currentOptions())));
        };
        QVERIFY(trel.viewer() && trel.viewer()->isVisible());
        QVERIFY(trel.viewer()->commandText().contains(QStringLiteral("+map vorn03 ")));
        QTest::mouseClick(mainWindow().dedserver, Qt::LeftButton);
        QVERIFY(trel.viewer()->commandText().contains(QStringLiteral(" +set game vorn +set dedicated 1 ")));
        mainWindow().addparam->setText(QStringLiteral("set deathmatch 1"));
        QCOMPARE(trel.viewer()->commandText(), expected());
        QVERIFY(trel.viewer()->pos().y() > mainWindow().frameGeometry().bottom());
        // The locator hides both windows; its close box acts as Cancel and brings them back.
        QTest::mouseClick(mainWindow().findquake2dir, Qt::LeftButton);
        QVERIFY(trel.locator()->isVisible() && !mainWindow().isVisible() && !trel.viewer()->isVisible());
        trel.locator()->close();
        QTRY_VERIFY(!trel.locator());
        QVERIFY(mainWindow().isVisible() && trel.viewer()->isVisible());
        mainWindow().ShowCommandLine->setChecked(false);
        QTRY_VERIFY(!trel.viewer());
        // The grey state a stored 2 gives is not a tick: no viewer, no preview.
        mainWindow().ShowCommandLine->setCheckState(Qt::PartiallyChecked);
        QTest::mouseClick(mainWindow().dedserver, Qt::LeftButton);
        QVERIFY(!trel.viewer());
    }

};

QTEST_MAIN(TestTrel)
#include "test_trel.moc"
