// The program as a user meets it: first run, normal start, load errors, the game start, the preview and
// leaving the main window. Every test runs in its own start folder and Quake 2 folder.

#include "LinkedNetwork.h"
#include "SingleInstance.h"
#include "Trel.h"
#include "auxiliary/Resources.h"
#include "auxiliary/dirfinder.h"
#include "auxiliary/frmCommand.h"
#include "MOTD.h"
#include "Wizard.h"
#include "auxiliary/Aboutform.h"
#include "addressbook.h"
#include "main/Main.h"
#include "mapcycle.h"
#include "mapedit.h"
#include "mdlmaincode.h"
#include "platform.h"
#include "seams/DocumentOpener.h"
#include "seams/GameStarter.h"
#include "seams/MessageBoxes.h"
#include "ui_test_support.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace trel;
using test::ReadAll;
using test::WriteAll;

namespace {

const QByteArray kSettings = "[Settings]\r\nDMflags=5\r\nDedicated=0\r\nBoolmaxclients=1\r\nValmaxclients=12\r\n"
                             "Booltimelimit=0\r\nValtimelimit=20\r\nBoolgemgoal=0\r\nValgemgoal=10\r\n"
                             "MonsterRespawn=0\r\nForcejoin=1\r\nGametype=1\r\nCommandline=0\r\nMap=2\r\n"
                             "Boolmaxgems=0\r\nValmaxgems=0\r\nserverini=\r\n";

} // namespace

class TestTrel : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> root;
    QString startDir, quakeDir, iniFile, recordFile, homeDir;
    QByteArray previousHome;
#ifdef Q_OS_WIN
    // On Windows the first run looks in the program folders these name (and in the stores' registry keys).
    const QList<const char*> programFolders{"ProgramFiles", "ProgramFiles(x86)"};
    QList<QByteArray> previousProgramFolders;
#endif
    RecordedMessageBoxes boxes;
    ProcessGameStarter starter;
    RecordedDocumentOpener documents;
    LinkedNetworkSource network;
    std::unique_ptr<Trel> app;
    QString previousDir;

    // Trel stores and shows paths with the system's separators, as the locator and the start folder give them.
    static QString native(const QString& path) {
        return QDir::toNativeSeparators(path);
    }
    QString gamePath() const {
        return native(quakeDir + QLatin1Char('/') + QString::fromLatin1(kGameExecutableName.data()));
    }

    void writeIni(const QByteArray& quakeSection, const QByteArray& settings = kSettings) {
        QVERIFY(WriteAll(iniFile, quakeSection + settings));
    }
    QByteArray usedSection() const {
        return "[Quake2exe]\r\nUsed=1\r\nPath=" + QFile::encodeName(gamePath()) +
               "\r\nDir=" + QFile::encodeName(native(quakeDir)) + "\r\n";
    }
    // The game's file stored in another letter case and the settings naming it: not the game's executable.
    void storeGameInOtherCase(QByteArray& ini) const {
        const QString other = native(quakeDir + QLatin1Char('/') + QString::fromLatin1(kGameExecutableName.data()).toUpper());
        QVERIFY(QFile::remove(gamePath()));
        QVERIFY(QFile::copy(QStringLiteral(TREL_STANDIN_GAME), other));
        ini.replace("Path=" + QFile::encodeName(gamePath()), "Path=" + QFile::encodeName(other));
    }
    // Another Trel started by the test runs on the test's own platform, named to it: the test may have
    // been given its platform as an argument (a Windows program under Wine sees no QT_* variable of the
    // Unix environment), and then its own environment names none.
    void startOnThisPlatform(QProcess& process) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QGuiApplication::platformName());
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(startDir);
    }
    Trel& start() {
        // The start folder as the program has it: the current directory, in the system's form.
        app =
            std::make_unique<Trel>(QFile::encodeName(native(startDir)).toStdString(), Seams{boxes, starter, documents, network});
        app->StartUp();
        return *app;
    }
    Main& mainWindow() {
        Main* w = app->mainWindow();
        if (!w)
            qFatal("no main window");
        return *w;
    }

private slots:
    void initTestCase() {
        test::PrepareUiTest();
        InitResources();
        previousDir = QDir::currentPath();
        previousHome = qgetenv("HOME");
#ifdef Q_OS_WIN
        for (const char* variable : programFolders)
            previousProgramFolders << qgetenv(variable);
#endif
    }

    void cleanupTestCase() {
        qputenv("HOME", previousHome);
#ifdef Q_OS_WIN
        for (qsizetype i = 0; i < programFolders.size(); ++i)
            qputenv(programFolders[i], previousProgramFolders[i]);
#endif
    }

    void init() {
        root = std::make_unique<QTemporaryDir>();
        QVERIFY(root->isValid());
        startDir = root->filePath(QStringLiteral("start here"));
        quakeDir = root->filePath(QStringLiteral("Quake 2"));
        QVERIFY(QDir().mkpath(startDir));
        QVERIFY(QDir().mkpath(quakeDir + QStringLiteral("/vorn")));
        QVERIFY(QFile::copy(QStringLiteral(TREL_STANDIN_GAME), gamePath()));
        QVERIFY(QFile::setPermissions(gamePath(), QFile::permissions(gamePath()) | QFile::ExeOwner));
        iniFile = startDir + QStringLiteral("/trel.ini");
        recordFile = quakeDir + QStringLiteral("/vorn/standin_record.txt");
        boxes.shown.clear();
        boxes.answer = false;
        // The first run looks for Quake 2 below the home folder: an empty one unless a test lays one out.
        homeDir = root->filePath(QStringLiteral("home"));
        QVERIFY(QDir().mkpath(homeDir));
        qputenv("HOME", QFile::encodeName(homeDir));
#ifdef Q_OS_WIN
        for (const char* variable : programFolders)
            qputenv(variable, QFile::encodeName(native(root->filePath(QString::fromLatin1(variable)))));
#endif
    }

    // A Quake 2 installation with the stand-in game (and the modification's folder when mod).
    void install(const QString& folder, bool mod) {
        QVERIFY(QDir().mkpath(mod ? folder + QStringLiteral("/vorn") : folder));
        const QString game = folder + QLatin1Char('/') + QString::fromLatin1(kGameExecutableName.data());
        QVERIFY(QFile::copy(QStringLiteral(TREL_STANDIN_GAME), game));
        QVERIFY(QFile::setPermissions(game, QFile::permissions(game) | QFile::ExeOwner));
    }

    void cleanup() {
        app.reset();
        QDir::setCurrent(previousDir); // the game start makes the Quake 2 folder current
        root.reset();
    }

    void firstRunFindsTheGame() {
        writeIni("[Quake2exe]\r\nUsed=0\r\n");
        Trel& trel = start();
        QVERIFY(!trel.mainWindow());
        QVERIFY(trel.locator() && trel.locator()->isVisible());
        QVERIFY(!trel.splash());
        QCOMPARE(trel.locator()->size(), QSize(305, 354)); // nothing found: no "Found:" list
        QVERIFY(!trel.locator()->cmbfound->isVisible());

        // A file stored in another letter case is refused; nothing is written.
        const QString wrong = quakeDir + QStringLiteral("/Quake2");
        QVERIFY(QFile::copy(gamePath(), wrong));
        trel.locator()->setDirectory(quakeDir);
        trel.locator()->chooseFile(QStringLiteral("Quake2"));
        QTest::mouseClick(trel.locator()->butfounddirok, Qt::LeftButton);
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("You have selected the wrong executable, please try again.")});
        QCOMPARE(boxes.shown.first().title, QStringLiteral("Warning!"));
        QVERIFY(trel.locator()->isVisible());
        QVERIFY(trel.mainWindow() && !trel.mainWindow()->isVisible());
        QCOMPARE(ReadAll(iniFile), QByteArray("[Quake2exe]\r\nUsed=0\r\n") + kSettings);

        trel.locator()->chooseFile(QString::fromLatin1(kGameExecutableName.data()));
        QTest::mouseClick(trel.locator()->butfounddirok, Qt::LeftButton);
        QTRY_VERIFY(!trel.locator());
        QVERIFY(mainWindow().isVisible());
        QCOMPARE(mainWindow().windowTitle(), QStringLiteral("Trel - v0.48b"));
        QCOMPARE(mainWindow().quake2dir->text(), gamePath());
        QCOMPARE(mainWindow().maps->currentRow(), 2);
        QCOMPARE(ReadAll(iniFile), "[Quake2exe]\r\nUsed=1\r\nPath=" + QFile::encodeName(gamePath()) +
                                       "\r\ndir=" + QFile::encodeName(native(quakeDir)) + "\r\n" + kSettings);
        QCOMPARE(boxes.shown.size(), 1);
    }

    void firstRunOpensOnTheFoundGame() {
#ifdef Q_OS_WIN
        // Two program folders: the later one's installation has the modification's folder and comes first.
        const QString found = root->filePath(QStringLiteral("ProgramFiles(x86)/Quake2"));
        const QString other = root->filePath(QStringLiteral("ProgramFiles/Quake2"));
        install(found, true);
        install(other, false);
#else
        // A store library listed in the home folder's library file, and a second installation without the
        // modification's folder: the library's comes first.
        const QString library = root->filePath(QStringLiteral("Games 'Library'"));
        const QString found = library + QStringLiteral("/steamapps/common/Quake 2");
        const QString other = homeDir + QStringLiteral("/.quake2");
        install(found, true);
        install(other, false);
        QVERIFY(QDir().mkpath(homeDir + QStringLiteral("/.steam/steam/steamapps")));
        QVERIFY(WriteAll(homeDir + QStringLiteral("/.steam/steam/steamapps/libraryfolders.vdf"),
                         "\"libraryfolders\"\n{\n\t\"1\"\t\"" + QFile::encodeName(library) + "\"\n}\n"));
#endif
        writeIni("[Quake2exe]\r\nUsed=0\r\n");
        Trel& trel = start();
        dirfinder& locator = *trel.locator();
        QTRY_COMPARE(locator.cmbfound->count(), 2);
        QVERIFY(locator.cmbfound->isVisible());
        QCOMPARE(locator.butfounddirok->text(), QStringLiteral("Ok"));
        QCOMPARE(locator.butfounddirok->pos(), QPoint(32, 224));
        QCOMPARE(locator.currentDirectory(), QDir::toNativeSeparators(found));
        QTRY_COMPARE(locator.chosenFileName(), QString::fromLatin1(kGameExecutableName.data()));
        emit locator.cmbfound->activated(1);
        QCOMPARE(locator.currentDirectory(), native(other));
        QTRY_COMPARE(locator.chosenFileName(), QString::fromLatin1(kGameExecutableName.data()));
        emit locator.cmbfound->activated(0);
        QTRY_COMPARE(locator.chosenFileName(), QString::fromLatin1(kGameExecutableName.data()));
        QCOMPARE(ReadAll(iniFile), QByteArray("[Quake2exe]\r\nUsed=0\r\n") + kSettings); // nothing before Ok
        QTest::mouseClick(locator.butfounddirok, Qt::LeftButton);
        QTRY_VERIFY(!trel.locator());
        QCOMPARE(mainWindow().quake2dir->text(),
                 native(found + QLatin1Char('/') + QString::fromLatin1(kGameExecutableName.data())));
        QVERIFY(boxes.shown.isEmpty());
    }

    void firstRunCancelShowsTheUnloadedWindow() {
        writeIni("[Quake2exe]\r\nUsed=2\r\n");
        Trel& trel = start();
        QVERIFY(trel.locator());
        QTest::mouseClick(trel.locator()->butcancel, Qt::LeftButton);
        QTRY_VERIFY(!trel.locator());
        QVERIFY(mainWindow().isVisible());
        QCOMPARE(mainWindow().windowTitle(), QStringLiteral("Trel Frontend"));
        QCOMPARE(mainWindow().maps->count(), 0);
    }

    void normalStartLoadsTheSettings() {
        writeIni(usedSection());
        Trel& trel = start();
        QVERIFY(boxes.shown.isEmpty());
        QVERIFY(!trel.splash());
        QVERIFY(!trel.locator());
        QVERIFY(mainWindow().isVisible());
        QCOMPARE(mainWindow().gametype->currentIndex(), 1);
        QCOMPARE(mainWindow().dmflagval->text(), QStringLiteral("5"));
        QCOMPARE(mainWindow().valmaxclients->currentText(), QStringLiteral("12"));
        QVERIFY(mainWindow().forcejoin->isChecked());
        QCOMPARE(trel.shared().Quake2Folder, QFile::encodeName(native(quakeDir)).toStdString());
    }

    void loadErrorsEndTheProgram_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("mentions");
        QTest::addColumn<QString>("ending");
        const QByteArray used = "[Quake2exe]\r\nUsed=1\r\n";
        QTest::newRow("no file") << QByteArray() << QStringLiteral("Used") << QStringLiteral(" -  13");
        QTest::newRow("used is a word") << QByteArray("[Quake2exe]\r\nUsed=yes\r\n") << QStringLiteral("\"yes\"")
                                        << QStringLiteral(" -  13");
        QTest::newRow("flags not a number") << used + QByteArray(kSettings).replace("DMflags=5", "DMflags=abc")
                                            << QStringLiteral("\"abc\"") << QStringLiteral(" -  13");
        QTest::newRow("game type 7") << used + QByteArray(kSettings).replace("Gametype=1", "Gametype=7")
                                     << QStringLiteral("Gametype") << QStringLiteral(" -  380");
        QTest::newRow("map -2") << used + QByteArray(kSettings).replace("Map=2", "Map=-2") << QStringLiteral("\"-2\"")
                                << QStringLiteral(" -  380");
        QTest::newRow("check state 3") << used + QByteArray(kSettings).replace("Forcejoin=1", "Forcejoin=3")
                                       << QStringLiteral("Forcejoin") << QStringLiteral(" -  380");
        QTest::newRow("no settings section") << used << QStringLiteral("DMflags") << QStringLiteral(" -  13");
    }

    void loadErrorsEndTheProgram() {
        QFETCH(QByteArray, ini);
        QFETCH(QString, mentions);
        QFETCH(QString, ending);
        if (!ini.isEmpty())
            QVERIFY(WriteAll(iniFile, ini));
        app =
            std::make_unique<Trel>(QFile::encodeName(native(startDir)).toStdString(), Seams{boxes, starter, documents, network});
        QSignalSpy quit(app.get(), &Trel::quitRequested);
        app->StartUp();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.first().title, QStringLiteral("Application Load Error"));
        QVERIFY2(boxes.shown.first().text.contains(mentions), qPrintable(boxes.shown.first().text));
        QVERIFY2(boxes.shown.first().text.endsWith(ending), qPrintable(boxes.shown.first().text));
        QCOMPARE(quit.count(), 1);
        QTRY_VERIFY(!app->mainWindow() && !app->splash() && !app->locator());
        QCOMPARE(ReadAll(iniFile), ini); // nothing written
    }

    void runStartsTheGame() {
        writeIni(usedSection());
        start();
        mainWindow().dedserver->setChecked(true);
        // Typed text reaches the script in the system's code page (Windows-1252 here, which holds "€");
        // a character the code page cannot hold is refused by name, never written as "?".
        test::TypeText(mainWindow().addparam, QStringLiteral("say € uno"));
        test::TypeText(mainWindow().serverini, QStringLiteral("\u03A9"));
        QTRY_COMPARE(boxes.shown.size(), 1);
        QVERIFY2(boxes.shown.first().text.contains(QStringLiteral("\"\u03A9\"")), qPrintable(boxes.shown.first().text));
        QCOMPARE(mainWindow().serverini->text(), QString());
        boxes.shown.clear();
        QTest::mouseClick(mainWindow().Command2, Qt::LeftButton);
        QTRY_COMPARE(test::ReadStandInRecords(recordFile).size(), 1);
        const test::StandInRecord record = test::ReadStandInRecords(recordFile).first();
        QCOMPARE(record.args, (QStringList{"+set", "game", "vorn", "+set", "dedicated", "1", "+exec",
                                           "trel_launcher.cfg"}));
        QCOMPARE(QDir(record.cwd).canonicalPath(), QDir(quakeDir).canonicalPath());
        QCOMPARE(record.lines, (QStringList{"set gametype 1", "set forcejoin 1", "set dmflags 5", "set maxclients 12",
                                            QString::fromLatin1("say \x80 uno"), "set server_ini vorn.ini",
                                            "map vorn03"}));
        QVERIFY(boxes.shown.isEmpty());
        QVERIFY(mainWindow().isVisible());
    }

    void runRefusals_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("locatorShown");
        QTest::newRow("wrong executable") << "wrong exe" << "You have selected the wrong directory" << true;
        QTest::newRow("no map") << "no map" << "You have not selected a map" << false;
        QTest::newRow("no vorn folder") << "no vorn" << "trel_launcher.cfg" << false;
        QTest::newRow("ticked limit without a value") << "empty limit" << "The Maxclients box is ticked" << false;
        QTest::newRow("quotation mark in the ini") << "quote in ini" << "quotation mark" << false;
#ifndef _WIN32
        QTest::newRow("stale script, answered No") << "stale" << "/home/.yq2/vorn/trel_launcher.cfg" << false;
#endif
    }

    void runRefusals() {
        QFETCH(QString, setup);
        QFETCH(QString, message);
        QFETCH(bool, locatorShown);
        QByteArray ini = usedSection();
        if (setup == QLatin1String("wrong exe"))
            storeGameInOtherCase(ini);
        QByteArray settings = kSettings;
        if (setup == QLatin1String("no map"))
            settings.replace("Map=2", "Map=-1");
        if (setup == QLatin1String("empty limit"))
            settings.replace("Valmaxclients=12", "Valmaxclients=");
        if (setup == QLatin1String("quote in ini"))
            settings.replace("serverini=", "serverini=a\"b.ini");
        writeIni(ini, settings);
        if (setup == QLatin1String("no vorn"))
            QVERIFY(QDir(quakeDir + QStringLiteral("/vorn")).removeRecursively());
        const QString stale = root->filePath(QStringLiteral("home/.yq2/vorn/trel_launcher.cfg"));
        if (setup == QLatin1String("stale")) {
            QVERIFY(QDir().mkpath(QFileInfo(stale).path()));
            QVERIFY(WriteAll(stale, "map vorn01\r\n"));
        }
        Trel& trel = start();
        QTest::mouseClick(mainWindow().Command2, Qt::LeftButton);
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.first().title, QStringLiteral("Warning!"));
        QVERIFY2(boxes.shown.first().text.contains(message), qPrintable(boxes.shown.first().text));
        QCOMPARE(trel.locator() != nullptr, locatorShown);
        QCOMPARE(mainWindow().isVisible(), !locatorShown);
        QVERIFY(!QFile::exists(recordFile));
        if (setup != QLatin1String("no vorn")) // whatever stops the start, no script is written
            QVERIFY(!QFile::exists(quakeDir + QStringLiteral("/vorn/trel_launcher.cfg")));
        QCOMPARE(QFile::exists(stale), setup == QLatin1String("stale"));

        // The export makes the same checks with the same answers, before it asks for a file; a missing
        // modification folder only matters when the script runs.
        boxes.shown.clear();
        int asked = 0;
        trel.setExportFileChooser([&](QWidget*, const QString&, const QString&) {
            ++asked;
            return root->filePath(QStringLiteral("launch.sh"));
        });
        mainWindow().mnuexport->trigger();
        // The stale script matters only when Trel starts the game itself.
        const bool checked = setup != QLatin1String("no vorn") && setup != QLatin1String("stale");
        QCOMPARE(asked, checked ? 0 : 1);
        QCOMPARE(boxes.shown.size(), checked ? 1 : 0);
        if (checked)
            QVERIFY(boxes.shown.first().text.contains(message));
        QCOMPARE(QFile::exists(root->filePath(QStringLiteral("launch.sh"))), !checked);
        QVERIFY(!QFile::exists(recordFile));
    }

    void exportedScriptDoesWhatRunDoes_data() {
        QTest::addColumn<QString>("folder");
        QTest::newRow("blank") << QStringLiteral("Quake 2");
        QTest::newRow("letter beyond ASCII") << QStringLiteral("Quäke 2");
#ifndef Q_OS_WIN
        QTest::newRow("quotes and shell characters") << QStringLiteral("it's \"q2\" $HOME `id` %P% !a! & ^");
#endif
    }

    void exportedScriptDoesWhatRunDoes() {
        QFETCH(QString, folder);
        quakeDir = root->filePath(folder);
        recordFile = quakeDir + QStringLiteral("/vorn/standin_record.txt");
        if (!QFile::exists(gamePath()))
            install(quakeDir, true);
        writeIni(usedSection());
        start();
        QCOMPARE(mainWindow().quake2dir->text(), gamePath()); // a file-system path, shown as the folder shows it
        // Not dedicated: a dedicated stand-in keeps serving its port, and the second start would find it taken.
        mainWindow().forcejoin->setChecked(true);
        mainWindow().addparam->setText(QStringLiteral("say \"50% & 'more'\""));
        QTest::mouseClick(mainWindow().Command2, Qt::LeftButton);
        QTRY_COMPARE(test::ReadStandInRecords(recordFile).size(), 1);
        const QByteArray byRun = ReadAll(recordFile);
        const QByteArray scriptByRun = ReadAll(quakeDir + QStringLiteral("/vorn/trel_launcher.cfg"));
        QVERIFY(QFile::remove(recordFile));
        QVERIFY(QFile::remove(quakeDir + QStringLiteral("/vorn/trel_launcher.cfg")));

#ifdef Q_OS_WIN
        const QString scriptName = QStringLiteral("vorn-launch.bat");
#else
        const QString scriptName = QStringLiteral("vorn-launch.sh");
#endif
        const QString script = root->filePath(QStringLiteral("out 'dir'/") + scriptName);
        QVERIFY(QDir().mkpath(QFileInfo(script).path()));
        QString title, suggested;
        app->setExportFileChooser([&](QWidget*, const QString& t, const QString& s) {
            title = t;
            suggested = s;
            return script;
        });
        mainWindow().mnuexport->trigger();
        QCOMPARE(title, QStringLiteral("Export Launch Script"));
        QCOMPARE(QFileInfo(suggested).fileName(), scriptName);
        QVERIFY(boxes.shown.isEmpty());
        QVERIFY(!QFile::exists(recordFile)); // the export starts nothing
        QVERIFY(QFileInfo(script).isExecutable());

        QProcess shell;
        shell.setWorkingDirectory(startDir);
#ifdef Q_OS_WIN
        shell.start(QStringLiteral("cmd.exe"), {QStringLiteral("/c"), QDir::toNativeSeparators(script)});
#else
        shell.start(QStringLiteral("sh"), {script});
#endif
        QVERIFY(shell.waitForFinished(10000));
        QCOMPARE(shell.exitCode(), 0);
        QCOMPARE(ReadAll(recordFile), byRun);
        QCOMPARE(ReadAll(quakeDir + QStringLiteral("/vorn/trel_launcher.cfg")), scriptByRun);
    }

    void secondStartInTheSameFolderRaisesTheFirstAndEnds() {
        writeIni(usedSection());
        start();
        SingleInstance first(QFile::encodeName(iniFile).toStdString(), network);
        QVERIFY(first.claim());
        first.listen();
        connect(&first, &SingleInstance::raiseRequested, app.get(), &Trel::bringToFront);
        mainWindow().showMinimized();
        QVERIFY(mainWindow().isMinimized());
        const QByteArray before = ReadAll(iniFile);

        QProcess second;
        startOnThisPlatform(second);
        QElapsedTimer clock;
        clock.start();
        second.start(QStringLiteral(TREL_PROGRAM), QStringList());
        QVERIFY(second.waitForFinished(2000));
        QVERIFY(clock.elapsed() < 2000);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QTRY_VERIFY(!mainWindow().isMinimized());
        QVERIFY(mainWindow().isVisible());
        QCOMPARE(ReadAll(iniFile), before);

        // Another folder's settings file is another Trel's.
        SingleInstance elsewhere(QFile::encodeName(quakeDir + QStringLiteral("/trel.ini")).toStdString(), network);
        QVERIFY(elsewhere.claim());
    }

    void killedTrelDoesNotBlockTheNextStart() {
        writeIni(usedSection());
        SingleInstance next(QFile::encodeName(iniFile).toStdString(), network);
        QProcess killed;
        startOnThisPlatform(killed);
        killed.start(QStringLiteral(TREL_PROGRAM), QStringList());
        QVERIFY(killed.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(([&] {
                                     QLocalSocket probe;
                                     probe.connectToServer(next.name());
                                     return probe.waitForConnected(100);
                                 }()),
                                 10000);
        killed.kill(); // SIGKILL: the lock and the socket stay behind
        QVERIFY(killed.waitForFinished(5000));
        QVERIFY(next.claim());
    }

    void leavingSavesTheSameWhicheverWay_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("close box") << "close";
        QTest::newRow("exit button") << "button";
        QTest::newRow("exit menu") << "menu";
    }

    void leavingSavesTheSameWhicheverWay() {
        QFETCH(QString, how);
        const QByteArray before = "; kept\r\n[Other]\r\nx = 1\r\n\r\n" + usedSection();
        // A value left alone goes back byte for byte, also bytes the code page does not define (0x81).
        QByteArray settings = kSettings;
        settings.replace("serverini=", "serverini=\x80s\x81.ini");
        writeIni(before, settings);
        Trel& trel = start();
        QSignalSpy quit(&trel, &Trel::quitRequested);
        Main& window = mainWindow();
        window.gametype->setCurrentIndex(3);
        window.valtimelimit->setEditText(QStringLiteral("45"));
        window.dmflagval->setText(QStringLiteral("12")); // typed text is what is stored
        window.maps->setCurrentRow(-1);
        window.maps->clearSelection();
#ifdef Q_OS_WIN
        // Windows's own table for code page 1252 gives 0x81 the control character U+0081.
        QCOMPARE(window.serverini->text(), QStringLiteral("€s\u0081.ini"));
#else
        QCOMPARE(window.serverini->text(), QStringLiteral("€s\uFFFD.ini"));
#endif
        if (how == QLatin1String("close"))
            window.close();
        else if (how == QLatin1String("button"))
            QTest::mouseClick(window.Command1, Qt::LeftButton);
        else
            window.mnuexit->trigger();
        QCOMPARE(quit.count(), 1);
        QTRY_VERIFY(!trel.mainWindow());
        QByteArray expected = settings;
        expected.replace("DMflags=5", "DMflags=12")
            .replace("Valtimelimit=20", "Valtimelimit=45")
            .replace("Gametype=1", "Gametype=3")
            .replace("Map=2", "Map=-1");
        const QByteArray saved = ReadAll(iniFile);
        if (test::UnderWine()) {
            // Wine's WritePrivateProfileString rewrites the whole file: it drops the blank line and the blanks
            // around "=" of the section Trel never writes, where Windows leaves those lines alone.
            QCOMPARE(saved.mid(saved.indexOf("[Quake2exe]")), usedSection() + expected);
            QSKIP("Wine's profile-string functions do not keep the lines of sections they do not write");
        }
        QCOMPARE(saved, before + expected);
    }

    void failedSaveIsReported() {
        writeIni(usedSection());
        Trel& trel = start();
        // A folder where the settings file was: the file cannot be replaced.
        QVERIFY(QFile::remove(iniFile));
        QVERIFY(QDir().mkpath(iniFile));
        QSignalSpy quit(&trel, &Trel::quitRequested);
        QTest::mouseClick(mainWindow().Command1, Qt::LeftButton);
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.first().title, QStringLiteral("Warning!"));
        QVERIFY2(boxes.shown.first().text.contains(QStringLiteral("trel.ini")), qPrintable(boxes.shown.first().text));
        QCOMPARE(quit.count(), 1);
    }

    void previewFollowsTheOptions() {
        QByteArray settings = kSettings;
        writeIni(usedSection(), settings.replace("Commandline=0", "Commandline=1"));
        Trel& trel = start();
        QVERIFY(trel.viewer() && trel.viewer()->isVisible());
        const auto expected = [&] {
            return QFile::decodeName(QByteArray::fromStdString(
                BuildCommandLineText(trel.shared().Quake2Path, mainWindow().currentOptions())));
        };
        QCOMPARE(trel.viewer()->commandText(), expected());
        QVERIFY(trel.viewer()->commandText().contains(QStringLiteral("+map vorn03 ")));
        QTest::mouseClick(mainWindow().dedserver, Qt::LeftButton);
        QVERIFY(trel.viewer()->commandText().contains(QStringLiteral(" +set game vorn +set dedicated 1 ")));
        mainWindow().addparam->setText(QStringLiteral("set deathmatch 1"));
        QCOMPARE(trel.viewer()->commandText(), expected());
        QVERIFY(trel.viewer()->pos().y() > mainWindow().frameGeometry().bottom());
        // The locator hides both windows; its close box acts as Cancel and brings them back.
        QTest::mouseClick(mainWindow().findquake2dir, Qt::LeftButton);
        QVERIFY(trel.locator() && trel.locator()->isVisible());
        QVERIFY(!mainWindow().isVisible());
        QVERIFY(trel.viewer() && !trel.viewer()->isVisible());
        trel.locator()->close();
        QTRY_VERIFY(!trel.locator());
        QVERIFY(mainWindow().isVisible());
        QVERIFY(trel.viewer() && trel.viewer()->isVisible());

        mainWindow().ShowCommandLine->setChecked(false);
        QTRY_VERIFY(!trel.viewer());
        mainWindow().Command2->setFocus();
        QTest::mouseClick(mainWindow().dedserver, Qt::LeftButton);
        QVERIFY(!trel.viewer());
        // The grey state a stored 2 gives is not a tick: no viewer, no preview.
        mainWindow().ShowCommandLine->setCheckState(Qt::PartiallyChecked);
        QTest::mouseClick(mainWindow().dedserver, Qt::LeftButton);
        QVERIFY(!trel.viewer());
    }

    void serverFileEditorsOpenOnceInTheMainWindowsPlace() {
        writeIni(usedSection());
        Trel& trel = start();
        QVERIFY(mainWindow().mnumaplist->isEnabled());
        mainWindow().mnumaplist->trigger();
        QVERIFY(trel.mapEditor() && trel.mapEditor()->isVisible());
        QVERIFY(!mainWindow().isVisible());
        QVERIFY(QFile::exists(quakeDir + QStringLiteral("/vorn/vorn.ini")));
        QVERIFY(QFile::exists(quakeDir + QStringLiteral("/vorn/vorn_sp.ini")));
        // A second request brings the same editor forward.
        mapedit* first = trel.mapEditor();
        QTest::mouseClick(mainWindow().Command3, Qt::LeftButton);
        QCOMPARE(trel.mapEditor(), first);
        trel.mapEditor()->close();
        QTRY_VERIFY(!trel.mapEditor());
        QVERIFY(mainWindow().isVisible());
        QVERIFY(boxes.shown.isEmpty());

        // The map cycle (single player) and the message of the day open once and bring the main window back.
        mainWindow().gametype->setCurrentIndex(0);
        QVERIFY(mainWindow().editmapcycle->isEnabled());
        QTest::mouseClick(mainWindow().editmapcycle, Qt::LeftButton);
        QVERIFY(trel.mapCycle() && trel.mapCycle()->isVisible());
        mapcycle* cycle = trel.mapCycle();
        QTest::mouseClick(mainWindow().editmapcycle, Qt::LeftButton);
        QCOMPARE(trel.mapCycle(), cycle);
        trel.mapCycle()->close();
        QTRY_VERIFY(!trel.mapCycle());

        mainWindow().gametype->setCurrentIndex(3); // "Edit MOTD" lives on a server tab
        mainWindow().maintab->setCurrentIndex(2);
        QTest::mouseClick(mainWindow().Command5, Qt::LeftButton);
        QVERIFY(trel.motdEditor() && trel.motdEditor()->isVisible());
        trel.motdEditor()->close();
        QTRY_VERIFY(!trel.motdEditor());
        QVERIFY(mainWindow().isVisible());
    }


    void mapEditorOnAWrongPathLeadsToTheLocator() {
        QByteArray ini = usedSection();
        storeGameInOtherCase(ini);
        writeIni(ini);
        Trel& trel = start();
        QTest::mouseClick(mainWindow().Command3, Qt::LeftButton);
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("You have selected the wrong directory")});
        QVERIFY(!trel.mapEditor());
        QVERIFY(trel.locator() && trel.locator()->isVisible());
        QVERIFY(!mainWindow().isVisible());
        QVERIFY(!QFile::exists(quakeDir + QStringLiteral("/vorn/vorn.ini")));
    }

    void addressBookJoinsAndIsThereAfterARestart() {
        QByteArray settings = kSettings;
        writeIni(usedSection(), settings.replace("Commandline=0", "Commandline=1"));
        Trel& trel = start();
        QTest::mouseClick(mainWindow().Command4, Qt::LeftButton);
        addressbook* book = trel.addressBook();
        QVERIFY(book && book->isVisible());
        mainWindow().mnuaddress->trigger(); // a second request brings the same window forward
        QCOMPARE(trel.addressBook(), book);
        QCOMPARE(book->AddServer(QStringLiteral("Home"), QStringLiteral("127.0.0.5"), QStringLiteral("27910")).outcome,
                 AddOutcome::Added);
        QTest::mouseClick(book->findChild<QWidget*>(QStringLiteral("serverselect(1)")), Qt::LeftButton);
        QCOMPARE(book->selectedRow(), std::optional<std::size_t>(0));
        QTest::mouseClick(book->findChild<QWidget*>(QStringLiteral("Command1")), Qt::LeftButton);
        QTRY_COMPARE(test::ReadStandInRecords(recordFile).size(), 1);
        QCOMPARE(test::ReadStandInRecords(recordFile).first().lines,
                 QStringList{QStringLiteral("connect 127.0.0.5:27910")});
        QVERIFY(boxes.shown.isEmpty());

        // Leaving Trel and starting it again finds the server where it was.
        QTest::mouseClick(mainWindow().Command1, Qt::LeftButton);
        QTRY_VERIFY(!trel.addressBook());
        start();
        QTest::mouseClick(mainWindow().Command4, Qt::LeftButton);
        QCOMPARE(app->addressBook()->rows()[0].name, std::string("Home"));

        // Joining with a wrong executable hides the main window for the locator; the viewer stays as it was.
        QVERIFY(app->viewer() && app->viewer()->isVisible());
        QVERIFY(QFile::remove(gamePath()));
        book = app->addressBook();
        QTest::mouseClick(book->findChild<QWidget*>(QStringLiteral("serverselect(1)")), Qt::LeftButton);
        QTest::mouseClick(book->findChild<QWidget*>(QStringLiteral("Command1")), Qt::LeftButton);
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("You have selected the wrong directory")});
        QVERIFY(!mainWindow().isVisible());
        QVERIFY(app->locator() && app->locator()->isVisible());
        QVERIFY(app->viewer() && app->viewer()->isVisible());
    }

    void helpMenuDocumentsAboutAndWizard() {
        writeIni(usedSection());
        start();
        QVERIFY(WriteAll(startDir + QStringLiteral("/manual.html"), "<html></html>"));
        mainWindow().mnumanual->trigger();
        QCOMPARE(documents.opened, QStringList{native(startDir + QStringLiteral("/manual.html"))});
        // No to-do list in the start folder: the user is told which file is missing.
        mainWindow().mnutodo->trigger();
        QCOMPARE(documents.opened.size(), 1);
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY2(boxes.shown.first().text.contains(QStringLiteral("todolist.txt")), qPrintable(boxes.shown.first().text));

        // The about box and the wizard open once.
        Trel& trel = *app;
        QTest::mouseClick(mainWindow().about, Qt::LeftButton);
        Aboutform* box = trel.aboutBox();
        QVERIFY(box && box->isVisible());
        mainWindow().mnuabout->trigger();
        QCOMPARE(trel.aboutBox(), box);

        QVERIFY(trel.wizard());
        mainWindow().findChild<QAction*>(QStringLiteral("mnuwizard"))->trigger();
        QCOMPARE(trel.wizard()->pageNumber(), 1);
    }
};

QTEST_MAIN(TestTrel)
#include "test_trel.moc"
