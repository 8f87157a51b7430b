// The program as a user meets it: first run, start-up, the game start, the preview, the single instance, leaving
// the main window, and the stand-in game's dedicated server read alike by qstat and by Trel. Every test runs in
// its own start folder and Quake 2 folder.

#include "LinkedNetwork.h"
#include "SingleInstance.h"
#include "Trel.h"
#include "addressbook.h"
#include "auxiliary/Resources.h"
#include "auxiliary/dirfinder.h"
#include "auxiliary/frmCommand.h"
#include "platform.h"
#include "seams/DocumentOpener.h"
#include "seams/GameStarter.h"
#include "seams/MessageBoxes.h"
#include "serverstatus.h"
#include "ui_test_support.h"

#include <QtNetwork>

using namespace trel;
using namespace trel::test;

namespace {

const bool kWindows = QSysInfo::kernelType() == QLatin1String("winnt");
const QByteArray kSettings = "[Settings]\r\nDMflags=5\r\nDedicated=0\r\nBoolmaxclients=1\r\nValmaxclients=12\r\n"
                             "Booltimelimit=0\r\nValtimelimit=20\r\nBoolgemgoal=0\r\nValgemgoal=10\r\n"
                             "MonsterRespawn=0\r\nForcejoin=1\r\nGametype=1\r\nCommandline=0\r\nMap=2\r\n"
                             "Boolmaxgems=0\r\nValmaxgems=0\r\nserverini=\r\n";
const QString kGame = QString::fromLatin1(kGameExecutableName.data());
// Trel stores and shows paths with the system's separators, as the locator and the start folder give them.
QString native(const QString& path) { return QDir::toNativeSeparators(path); }
QByteArray local(const QString& path) { return QFile::encodeName(native(path)); }
QByteArray settings(const QByteArray& from, const QByteArray& to) { return QByteArray(kSettings).replace(from, to); }

// A Quake 2 installation with the stand-in game (and the modification's folder when mod).
void install(const QString& folder, bool mod) {
    const QString game = folder + QLatin1Char('/') + kGame;
    QVERIFY(QDir().mkpath(mod ? folder + QStringLiteral("/vorn") : folder));
    QVERIFY(QFile::copy(QStringLiteral(TREL_STANDIN_GAME), game));
    QVERIFY(QFile::setPermissions(game, QFile::permissions(game) | QFile::ExeOwner));
}

// The texts of qstat's XML by element name ("map", "name", ...), in document order.
QMap<QString, QStringList> ReadQstatXml(const QByteArray& xml) {
    QMap<QString, QStringList> read;
    QXmlStreamReader reader(xml);
    for (QString element; !reader.atEnd();)
        if (reader.readNext(); reader.isStartElement())
            element = reader.name().toString();
        else if (reader.isCharacters() && !reader.isWhitespace())
            read[element] << reader.text().toString();
    return read;
}

} // namespace

class TestTrel : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> root;
    QString startDir, quakeDir, iniFile;
    const QString previousDir = QDir::currentPath();
    RecordedMessageBoxes boxes;
    ProcessGameStarter starter;
    RecordedDocumentOpener documents;
    LinkedNetworkSource network;
    std::unique_ptr<Trel> app;
    int quits = 0; // how often the program asked to end

    QString gamePath() const { return native(quakeDir + QLatin1Char('/') + kGame); }
    QString launchScript() const { return quakeDir + QStringLiteral("/vorn/trel_launcher.cfg"); }
    QString recordFile() const { return quakeDir + QStringLiteral("/vorn/standin_record.txt"); }
    QByteArray usedSection() const {
        return "[Quake2exe]\r\nUsed=1\r\nPath=" + local(gamePath()) + "\r\nDir=" + local(quakeDir) + "\r\n";
    }
    // Writes trel.ini (the Quake 2 section and the settings with one replacement) and starts Trel on it.
    Trel& start(const QByteArray& section, const QByteArray& from = {}, const QByteArray& to = {}) {
        if (!WriteAll(iniFile, section + settings(from, to)))
            qFatal("trel.ini not written");
        app = std::make_unique<Trel>(local(startDir).toStdString(), Seams{boxes, starter, documents, network});
        connect(app.get(), &Trel::quitRequested, this, [this] { ++quits; });
        app->StartUp();
        return *app;
    }
    Main& mainWindow() { return *app->mainWindow(); }

private slots:
    void initTestCase() {
        PrepareUiTest();
        InitResources();
    }
    void init() {
        root = std::make_unique<QTemporaryDir>();
        startDir = root->filePath(QStringLiteral("start here"));
        quakeDir = root->filePath(QStringLiteral("Quake 2"));
        iniFile = startDir + QStringLiteral("/trel.ini");
        QVERIFY(QDir().mkpath(startDir) && QDir().mkpath(root->filePath(QStringLiteral("home"))));
        install(quakeDir, true);
        boxes.shown.clear(); // no test answers a question
        quits = 0;
        // The first run looks for Quake 2 below the home folder and, on Windows, the program folders (and in the
        // stores' registry keys): empty ones.
        for (const char* variable : {"HOME", "ProgramFiles", "ProgramFiles(x86)"})
            qputenv(variable, local(root->filePath(QString::fromLatin1(variable) == "HOME" ? "home" : variable)));
    }
    void cleanup() {
        app.reset();
        QDir::setCurrent(previousDir); // the game start makes the Quake 2 folder current
        root.reset();
    }

    // The first run offers the installation found (the search's order is the core suite's), refuses a file in
    // another letter case writing nothing, and stores the game chosen.
    void firstRunOffersTheFoundGameAndStoresTheChosenOne() {
        const QString found = root->filePath(kWindows ? QStringLiteral("ProgramFiles/Quake2") : "home/.quake2");
        install(found, false);
        Trel& trel = start("[Quake2exe]\r\nUsed=0\r\n");
        QVERIFY(!trel.mainWindow() && !trel.splash());
        dirfinder& locator = *trel.locator();
        QTRY_COMPARE(locator.cmbfound->count(), 1);
        QVERIFY(locator.cmbfound->isVisible() && locator.currentDirectory() == native(found));
        QVERIFY(QFile::copy(gamePath(), quakeDir + QStringLiteral("/Quake2")));
        locator.setDirectory(quakeDir);
        locator.chooseFile(QStringLiteral("Quake2"));
        QTest::mouseClick(locator.butfounddirok, Qt::LeftButton);
        QCOMPARE(boxes.texts(), QStringList{"You have selected the wrong executable, please try again."});
        QVERIFY(locator.isVisible() && !mainWindow().isVisible());
        QCOMPARE(ReadAll(iniFile), "[Quake2exe]\r\nUsed=0\r\n" + kSettings);
        locator.chooseFile(kGame);
        QTest::mouseClick(locator.butfounddirok, Qt::LeftButton);
        QTRY_VERIFY(!trel.locator());
        QVERIFY(mainWindow().isVisible() && mainWindow().quake2dir->text() == gamePath() && boxes.shown.size() == 1);
        QCOMPARE(ReadAll(iniFile), usedSection().replace("\r\nDir=", "\r\ndir=") + kSettings);
    }

    // One load error end to end (the errors themselves are the core suite's): told, ended, nothing written.
    void loadErrorEndsTheProgramWritingNothing() {
        start(usedSection(), "Gametype=1", "Gametype=7");
        QVERIFY2(quits == 1 && boxes.shown.size() == 1 && boxes.shown.first().title == "Application Load Error" &&
                     boxes.shown.first().text.endsWith(QStringLiteral(" -  380")), qPrintable(boxes.texts().join("")));
        QTRY_VERIFY(!app->mainWindow() && !app->splash() && !app->locator());
        QCOMPARE(ReadAll(iniFile), usedSection() + settings("Gametype=1", "Gametype=7"));
    }

    // Run starts the game with the window's options; the exported script, run by the shell, starts it exactly
    // alike, whatever the folder's name.
    void runAndTheExportedScriptStartTheGame_data() {
        QTest::addColumn<QString>("folder");
        QTest::newRow("blank") << QStringLiteral("Quake 2");
        QTest::newRow("letter beyond ASCII") << QStringLiteral("Quäke 2");
        if (!kWindows)
            QTest::newRow("quotes and shell characters") << QStringLiteral("it's \"q2\" $HOME `id` %P% !a! & ^");
    }
    void runAndTheExportedScriptStartTheGame() {
        QFETCH(QString, folder);
        quakeDir = root->filePath(folder);
        if (!QFile::exists(gamePath()))
            install(quakeDir, true);
        start(usedSection());
        // Typed text reaches the script in the system's code page (Windows-1252 here, which holds "€").
        TypeText(mainWindow().addparam, QStringLiteral("say \"50% & € 'more'\""));
        QTest::mouseClick(mainWindow().Command2, Qt::LeftButton);
        QTRY_COMPARE(ReadStandInRecords(recordFile()).size(), 1);
        const StandInRecord record = ReadStandInRecords(recordFile()).first();
        QCOMPARE(record.args.join(' '), QStringLiteral("+set game vorn +exec trel_launcher.cfg"));
        QCOMPARE(QDir(QFile::decodeName(record.cwd.toLatin1())).canonicalPath(), QDir(quakeDir).canonicalPath());
        QCOMPARE(record.lines, (QStringList{"set gametype 1", "set forcejoin 1", "set dmflags 5", "set maxclients 12",
                                            QString::fromLatin1("say \"50% & \x80 'more'\""),
                                            "set server_ini vorn.ini", "map vorn03"}));
        const QByteArrayList byRun{ReadAll(recordFile()), ReadAll(launchScript())};
        QVERIFY(QFile::remove(recordFile()) && QFile::remove(launchScript()));
        const QString script = root->filePath(QStringLiteral("out 'dir'/vorn-launch.") + (kWindows ? "bat" : "sh"));
        QVERIFY(QDir().mkpath(QFileInfo(script).path()));
        QString suggested;
        app->setExportFileChooser([&](QWidget*, const QString&, const QString& s) { return suggested = s, script; });
        mainWindow().mnuexport->trigger();
        QCOMPARE(QFileInfo(suggested).fileName(), QFileInfo(script).fileName());
        QVERIFY(boxes.shown.isEmpty() && !QFile::exists(recordFile()) && QFileInfo(script).isExecutable());
        QProcess shell;
        shell.setWorkingDirectory(startDir);
        shell.start(kWindows ? "cmd.exe" : "sh", (kWindows ? QStringList{"/c"} : QStringList()) << native(script));
        QVERIFY(shell.waitForFinished(10000) && shell.exitCode() == 0);
        QCOMPARE((QByteArrayList{ReadAll(recordFile()), ReadAll(launchScript())}), byRun);
    }

    // The command-line viewer follows the options while View Commandline is ticked (a grey tick is none) and
    // hides with the main window. Whichever asks for the game, a wrong executable hides both for the locator and
    // writes nothing; Export refuses before it asks for a file; joining a server leaves the viewer as it was.
    void viewerFollowsAndWrongExecutableLeadsToTheLocator() {
        // The game's file stored in another letter case: not the game's executable.
        const QString other = native(quakeDir + QLatin1Char('/') + kGame.toUpper());
        // Made anew rather than renamed: a rename that changes only the letter case may keep the old name.
        QVERIFY(QFile::remove(gamePath()) && QFile::copy(QStringLiteral(TREL_STANDIN_GAME), other));
        Trel& trel = start(usedSection().replace(local(gamePath()), local(other)), "Commandline=0", "Commandline=1");
        Main& m = mainWindow();
        QVERIFY(trel.viewer()->isVisible() && trel.viewer()->pos().y() > m.frameGeometry().bottom());
        QTest::mouseClick(m.dedserver, Qt::LeftButton); // the text's fragments are the core suite's
        QVERIFY(trel.viewer()->commandText().contains(QStringLiteral(" +set game vorn +set dedicated 1 ")));
        QTest::mouseClick(m.findquake2dir, Qt::LeftButton); // the locator's close box acts as Cancel
        QVERIFY(trel.locator()->isVisible() && !m.isVisible() && !trel.viewer()->isVisible());
        trel.locator()->close();
        QTRY_VERIFY(!trel.locator() && m.isVisible() && trel.viewer()->isVisible());
        int asked = 0;
        trel.setExportFileChooser([&](QWidget*, const QString&, const QString&) { return ++asked, QString(); });
        for (QObject* control : std::initializer_list<QObject*>{m.Command2, m.mnuexport, m.Command3}) {
            boxes.shown.clear();
            QMetaObject::invokeMethod(control, control->inherits("QAction") ? "trigger" : "click");
            QCOMPARE(boxes.texts(), QStringList{"You have selected the wrong directory"});
            QVERIFY(trel.locator()->isVisible() && !m.isVisible() && !trel.viewer()->isVisible());
            QTest::mouseClick(trel.locator()->butcancel, Qt::LeftButton);
            QTRY_VERIFY(!trel.locator() && m.isVisible() && trel.viewer()->isVisible());
        }
        QVERIFY(asked == 0 && !trel.mapEditor() && !QFile::exists(quakeDir + QStringLiteral("/vorn/vorn.ini")));
        QTest::mouseClick(m.Command4, Qt::LeftButton);
        addressbook& book = *trel.addressBook();
        QVERIFY(book.AddServer("Home", "127.0.0.5", "27910").outcome == AddOutcome::Added);
        QTest::mouseClick(book.findChild<QWidget*>(QStringLiteral("serverselect(1)")), Qt::LeftButton);
        QTest::mouseClick(book.findChild<QWidget*>(QStringLiteral("Command1")), Qt::LeftButton);
        QVERIFY(boxes.shown.size() == 2 && !m.isVisible() && trel.locator()->isVisible() && trel.viewer()->isVisible());
        QVERIFY(!QFile::exists(recordFile()) && !QFile::exists(launchScript()));
        QTest::mouseClick(trel.locator()->butcancel, Qt::LeftButton);
        QTRY_VERIFY(!trel.locator());
        m.ShowCommandLine->setChecked(false);
        QTRY_VERIFY(!trel.viewer());
        m.ShowCommandLine->setCheckState(Qt::PartiallyChecked); // what a stored 2 gives
        QTest::mouseClick(m.dedserver, Qt::LeftButton);
        QVERIFY(!trel.viewer());
    }

    // One Trel per settings file: a Trel killed outright leaves its lock and socket behind, which do not keep the
    // next one from starting; a second start raises the first and ends without touching trel.ini.
    void secondStartRaisesTheFirstAndAKilledOneBlocksNothing() {
        QVERIFY(WriteAll(iniFile, usedSection() + kSettings));
        SingleInstance first(local(iniFile).toStdString(), network);
        // Another Trel in the start folder on the test's platform, named to it: under Wine the test may have been
        // given its platform as an argument, and its environment names none.
        qputenv("QT_QPA_PLATFORM", QGuiApplication::platformName().toLatin1());
        QProcess other;
        other.setWorkingDirectory(startDir);
        other.start(QStringLiteral(TREL_PROGRAM), QStringList());
        const auto listening = [&](QLocalSocket&& probe) {
            return probe.connectToServer(first.name()), probe.waitForConnected(100);
        };
        QTRY_VERIFY_WITH_TIMEOUT(listening(QLocalSocket()), 10000);
        other.kill();
        QVERIFY(other.waitForFinished(5000) && first.claim());
        first.listen();
        start(usedSection());
        connect(&first, &SingleInstance::raiseRequested, app.get(), &Trel::bringToFront);
        mainWindow().showMinimized();
        other.start(QStringLiteral(TREL_PROGRAM), QStringList());
        QVERIFY(other.waitForFinished(2000) && other.exitStatus() == QProcess::NormalExit && !other.exitCode());
        QTRY_VERIFY(!mainWindow().isMinimized() && mainWindow().isVisible());
        QCOMPARE(ReadAll(iniFile), usedSection() + kSettings);
        // Another folder's settings file is another Trel's.
        QVERIFY(SingleInstance(local(quakeDir + QStringLiteral("/trel.ini")).toStdString(), network).claim());
    }

    // Leaving by the close box or Exit (its menu entry is the main window suite's) saves the same bytes; other
    // sections stay as they were. A save that fails is reported, and the program ends all the same.
    void leavingSavesTheSameWhicheverWay_data() {
        QTest::addColumn<QString>("how");
        for (const char* how : {"close", "button", "fails"})
            QTest::newRow(how) << QString::fromLatin1(how);
    }
    void leavingSavesTheSameWhicheverWay() {
        QFETCH(QString, how);
        const QByteArray before = "; kept\r\n[Other]\r\nx = 1\r\n\r\n" + usedSection();
        // A value left alone goes back byte for byte, also bytes the code page does not define (0x81).
        Trel& trel = start(before, "serverini=", "serverini=\x80s\x81.ini");
        Main& window = mainWindow();
        window.gametype->setCurrentIndex(3);
        window.valtimelimit->setEditText(QStringLiteral("45"));
        window.dmflagval->setText(QStringLiteral("12")); // typed text is what is stored
        window.maps->setCurrentRow(-1);
        // Windows's table for code page 1252 has U+0081 for 0x81.
        QCOMPARE(window.serverini->text(), QStringLiteral("€s%1.ini").arg(QChar(kWindows ? 0x81 : 0xFFFD)));
        if (how == QLatin1String("fails")) // a folder where the settings file was: it cannot be replaced
            QVERIFY(QFile::remove(iniFile) && QDir().mkpath(iniFile));
        how == QLatin1String("close") ? void(window.close()) : QTest::mouseClick(window.Command1, Qt::LeftButton);
        QCOMPARE(quits, 1);
        QTRY_VERIFY(!trel.mainWindow());
        if (how == QLatin1String("fails")) {
            QVERIFY2(boxes.shown.size() == 1 && boxes.shown.first().title == QStringLiteral("Warning!") &&
                         boxes.shown.first().text.contains(QStringLiteral("trel.ini")),
                     qPrintable(boxes.texts().value(0)));
            return;
        }
        QByteArray expected = settings("serverini=", "serverini=\x80s\x81.ini").replace("Map=2", "Map=-1");
        expected.replace("DMflags=5", "DMflags=12").replace("Valtimelimit=20", "Valtimelimit=45");
        expected.replace("Gametype=1", "Gametype=3");
        const QByteArray written = ReadAll(iniFile);
        if (UnderWine()) {
            // Wine's WritePrivateProfileString rewrites the whole file, dropping the blanks of the other section.
            QCOMPARE(written.mid(written.indexOf("[Quake2exe]")), usedSection() + expected);
            QSKIP("Wine's profile-string functions do not keep the lines of sections they do not write");
        }
        QCOMPARE(written, before + expected);
    }

    // The game starter runs the program in its folder with every argument whole (an empty one too); a refused
    // start names the missing file or folder and leaves the current folder alone.
    void starterStartsOrRefuses_data() {
        QTest::addColumn<QString>("program"); // in the Quake 2 folder
        QTest::addColumn<QString>("folder");  // in the temporary root
        QTest::addColumn<QString>("named");   // what a refusal names: "program", "folder"; empty when started
        QTest::newRow("started") << kGame << "Quake 2" << "";
        QTest::newRow("missing program") << "no such game" << "Quake 2" << "program";
        QTest::newRow("missing working folder") << kGame << "gone away" << "folder";
        QTest::newRow("text without execute permission") << "not a game.exe" << "Quake 2" << "program";
    }
    void starterStartsOrRefuses() {
        QFETCH(QString, program);
        QFETCH(QString, folder);
        QFETCH(QString, named);
        program = native(quakeDir + QLatin1Char('/') + program);
        folder = native(root->filePath(folder));
        QVERIFY(WriteAll(quakeDir + QStringLiteral("/vorn/my server.cfg"), "map vorn02\r\n") &&
                WriteAll(quakeDir + QStringLiteral("/not a game.exe"), "this is text, not a program\n"));
        const std::vector<std::string> arguments = {"+set", "game", "vorn", "+set", "hostname",
                                                    "my \"quoted\" $HOME; server", "+set", "empty", "", "+exec",
                                                    "my server.cfg"};
        QString why;
        QCOMPARE(starter.start({local(program).toStdString(), arguments, local(folder).toStdString()}, why),
                 named.isEmpty());
        if (!named.isEmpty()) {
            const QString prefix = (named == QLatin1String("folder") ? folder : program) + QStringLiteral(": ");
            QVERIFY2(why.startsWith(prefix) && why.size() > prefix.size(), qPrintable(why));
            QVERIFY(QDir::currentPath() == previousDir && !QFile::exists(recordFile()));
            return;
        }
        QCOMPARE(QDir(QDir::currentPath()).canonicalPath(), QDir(quakeDir).canonicalPath());
        QTRY_COMPARE_WITH_TIMEOUT(ReadStandInRecords(recordFile()).size(), 1, 30000);
        const StandInRecord record = ReadStandInRecords(recordFile()).first();
        QCOMPARE(record.args.join('|'), QStringLiteral("+set|game|vorn|+set|hostname|my \"quoted\" $HOME; server|"
                                                       "+set|empty||+exec|my server.cfg"));
        QCOMPARE(record.lines, QStringList{QStringLiteral("map vorn02")});
    }

    // The stand-in's dedicated server as qstat reads it and as Trel reads it: the same map, players, limit
    // and name, and those the launch script and the player list gave it.
    void standinServerReadsAsQstatReadsIt() {
        if (kWindows)
            QSKIP("the stand-in's dedicated server is built on POSIX sockets only");
        QVERIFY2(QFileInfo(QStringLiteral(TREL_QUAKESTAT)).isExecutable(), "quakestat missing: install qstat");
        QVERIFY(WriteAll(quakeDir + QStringLiteral("/vorn/server.cfg"),
                         "set maxclients 12\r\nset vorn_timelimit 20\r\nmap vorn03\r\n"));
        // A coloured name (bytes with the high bit set), markup, and a line the stand-in leaves out.
        QVERIFY(WriteAll(quakeDir + QStringLiteral("/vorn/standin_players.txt"),
                         "12 35 Gorm\r\n-3 999 \xd5\xec\xe6 the Red\r\n0 50 <b>big</b>\r\nnot a player\r\n"));
        // The system picks a free port and the stand-in takes it over; another program may take it in between.
        QProcess server;
        server.setWorkingDirectory(quakeDir);
        quint16 port = 0;
        for (int attempt = 0; attempt < 3 && !port; ++attempt) {
            const quint16 candidate = [] { QUdpSocket p; return p.bind(QHostAddress::LocalHost), p.localPort(); }();
            QVERIFY(candidate != 0);
            server.start(gamePath(), {"+set", "game", "vorn", "+set", "dedicated", "1", "+set", "port",
                                      QString::number(candidate), "+exec", "server.cfg"});
            QByteArray said;
            QTRY_VERIFY_WITH_TIMEOUT((said += server.readAllStandardOutput()).contains("dedicated server on") ||
                                         server.state() == QProcess::NotRunning, 30000);
            port = said.contains("dedicated server on") ? candidate : 0;
        }
        QVERIFY(port != 0);
        QUdpSocket socket;
        socket.writeDatagram(QByteArray::fromStdString(StatusRequest()), QHostAddress::LocalHost, port);
        QTRY_VERIFY_WITH_TIMEOUT(socket.hasPendingDatagrams(), 30000);
        const auto status = ParseStatusReply(socket.receiveDatagram().data().toStdString());
        QVERIFY(status.has_value());
        const auto latin1 = [](const std::string& bytes) { return QString::fromLatin1(bytes.data(), bytes.size()); };
        QStringList names;
        for (const StatusPlayer& player : status->players)
            names << latin1(CleanServerText(player.name));
        QProcess qstat;
        qstat.start(QStringLiteral(TREL_QUAKESTAT), {"-q2s", QStringLiteral("127.0.0.1:%1").arg(port), "-R", "-P",
                                                     "-xml"});
        QTRY_COMPARE_WITH_TIMEOUT(qstat.state(), QProcess::NotRunning, 30000);
        const QMap<QString, QStringList> read = ReadQstatXml(qstat.readAllStandardOutput());
        const QStringList expected = {"vorn03", "3", "12", "Trel stand-in server"};
        QCOMPARE((QStringList{latin1(InfoValue(*status, "mapname")), QString::number(names.size()),
                              latin1(InfoValue(*status, "maxclients")), latin1(InfoValue(*status, "hostname"))}),
                 expected);
        QCOMPARE((QStringList{read.value("map").value(0), read.value("numplayers").value(0),
                              read.value("maxplayers").value(0), read.value("name").value(0)}), expected);
        QCOMPARE(names, (QStringList{"Gorm", "Ulf the Red", "<b>big</b>"}));
        QCOMPARE(read.value("name").mid(1), names); // the players' names follow the server's
        QCOMPARE(InfoValue(*status, "timelimit"), std::string("20"));
        // The server ends by itself once its game folder is gone, as when a test's folder is removed.
        QVERIFY(QDir(quakeDir + QStringLiteral("/vorn")).removeRecursively());
        QTRY_COMPARE_WITH_TIMEOUT(server.state(), QProcess::NotRunning, 30000);
        QCOMPARE(server.exitCode(), 0);
    }
};

QTEST_MAIN(TestTrel)
#include "test_trel.moc"
