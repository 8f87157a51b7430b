// Starting the game end to end: ProcessGameStarter starts the stand-in game detached from a Quake 2 folder
// with a blank in its path, and the stand-in's record shows exactly what the game was given. The stand-in
// also runs as a dedicated server that qstat and Trel's own reading of its status reply must read alike.

#include "platform.h"
#include "seams/GameStarter.h"
#include "serverstatus.h"
#include "ui_test_support.h"

#include <QDir>
#include <QFileInfo>
#include <QNetworkDatagram>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>
#include <QXmlStreamReader>

#include <memory>

using trel::test::ReadStandInRecords;

namespace {

/// A path as the launch code stores it: native separators, local 8-bit bytes.
std::string Local(const QString& path) { return QFile::encodeName(QDir::toNativeSeparators(path)).toStdString(); }
QString Canonical(const QString& path) { return QFileInfo(path).canonicalFilePath(); }
QString Latin1(const std::string& bytes) { return QString::fromLatin1(QByteArray::fromStdString(bytes)); }

/// The texts of qstat's XML by element name ("map", "name", ...), in document order.
QMap<QString, QStringList> ReadQstatXml(const QByteArray& xml) {
    QMap<QString, QStringList> read;
    QXmlStreamReader reader(xml);
    QString element;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement())
            element = reader.name().toString();
        else if (reader.isCharacters() && !reader.isWhitespace())
            read[element] << reader.text().toString();
    }
    return read;
}

} // namespace

class TestGameStart : public QObject {
    Q_OBJECT

    QString originalDir_ = QDir::currentPath();
    std::unique_ptr<QTemporaryDir> root_;
    QString folder_, game_; // the Quake 2 folder (a blank in its path) and the stand-in under the game's name

    QString recordFile() const { return folder_ + QStringLiteral("/vorn/standin_record.txt"); }

private slots:
    void init() {
        root_ = std::make_unique<QTemporaryDir>();
        folder_ = root_->filePath(QStringLiteral("Quake 2 folder"));
        game_ = folder_ + QLatin1Char('/') + QString::fromLatin1(trel::kGameExecutableName.data());
        QVERIFY(QDir().mkpath(folder_ + QStringLiteral("/vorn")));
        QVERIFY(QFile::copy(QStringLiteral(TREL_STANDIN_GAME), game_));
        QVERIFY(QFile::setPermissions(game_, QFile::permissions(game_) | QFileDevice::ExeOwner));
        // A text file that may not be run: the process library itself refuses it.
        QVERIFY(trel::test::WriteAll(folder_ + QStringLiteral("/not a game.exe"), "this is text, not a program\n"));
    }
    void cleanup() {
        QDir::setCurrent(originalDir_); // a start makes the Quake 2 folder current
        root_.reset();
    }

    // A start runs the program in its folder with every argument whole; a refused one names the missing
    // file or folder and leaves the current folder alone.
    void startsOrRefuses_data() {
        QTest::addColumn<QString>("program"); // in the Quake 2 folder
        QTest::addColumn<QString>("folder");  // in the temporary root
        QTest::addColumn<QString>("refusalNames"); // "program", "folder", or empty when the game starts
        const QString game = QString::fromLatin1(trel::kGameExecutableName.data());
        QTest::newRow("started") << game << "Quake 2 folder" << "";
        QTest::newRow("missing program") << "no such game" << "Quake 2 folder" << "program";
        QTest::newRow("folder as program") << "vorn" << "Quake 2 folder" << "program";
        QTest::newRow("missing working folder") << game << "gone away" << "folder";
        QTest::newRow("text file without execute permission") << "not a game.exe" << "Quake 2 folder" << "program";
    }
    void startsOrRefuses() {
        QFETCH(QString, program);
        QFETCH(QString, folder);
        QFETCH(QString, refusalNames);
        program = QDir(folder_).filePath(program);
        folder = root_->filePath(folder);
        const std::vector<std::string> arguments = {"+set", "game", "vorn", "+set", "hostname",
                                                    "my \"quoted\" $HOME; server", "+set", "empty", "", "+exec",
                                                    "my server.cfg"};
        QVERIFY(trel::test::WriteAll(folder_ + QStringLiteral("/vorn/my server.cfg"), "map vorn02\r\n"));
        trel::ProcessGameStarter starter;
        QString why;
        QCOMPARE(starter.start({Local(program), arguments, Local(folder)}, why), refusalNames.isEmpty());
        if (!refusalNames.isEmpty()) {
            const QString prefix = QDir::toNativeSeparators(refusalNames == "folder" ? folder : program) + ": ";
            QVERIFY2(why.startsWith(prefix) && why.size() > prefix.size(), qPrintable(why));
            QCOMPARE(QDir::currentPath(), originalDir_);
            QVERIFY(!QFileInfo::exists(recordFile()));
            return;
        }
        QCOMPARE(Canonical(QDir::currentPath()), Canonical(folder_));
        QTRY_COMPARE_WITH_TIMEOUT(ReadStandInRecords(recordFile()).size(), qsizetype(1), 30000);
        const trel::test::StandInRecord record = ReadStandInRecords(recordFile()).front();
        QStringList texts;
        for (const std::string& argument : arguments)
            texts << Latin1(argument);
        QCOMPARE(record.args, texts);
        QCOMPARE(Canonical(record.cwd), Canonical(folder_));
        QCOMPARE(record.lines, QStringList{QStringLiteral("map vorn02")});
    }

    // The stand-in's dedicated server as qstat reads it and as Trel reads it: the same map, players, limit
    // and name, and those the launch script and the player list gave it.
    void standinServerReadsAsQstatReadsIt() {
#ifdef _WIN32
        QSKIP("the stand-in's dedicated server is built on POSIX sockets only");
#else
        QVERIFY2(QFileInfo(QStringLiteral(TREL_QUAKESTAT)).isExecutable(), "quakestat missing: install qstat");
        QVERIFY(trel::test::WriteAll(folder_ + QStringLiteral("/vorn/server.cfg"),
                                     "set maxclients 12\r\nset vorn_timelimit 20\r\nmap vorn03\r\n"));
        // A coloured name (bytes with the high bit set), markup, and a line the stand-in leaves out.
        QVERIFY(trel::test::WriteAll(folder_ + QStringLiteral("/vorn/standin_players.txt"),
                                     "12 35 Gorm\r\n-3 999 \xd5\xec\xe6 the Red\r\n0 50 <b>big</b>\r\nnot a player\r\n"));
        // The system picks a free port and the stand-in takes it over; another program may take it in
        // between, so a few are tried.
        QProcess server;
        server.setWorkingDirectory(folder_);
        quint16 port = 0;
        for (int attempt = 0; attempt < 3 && port == 0; ++attempt) {
            QUdpSocket probe;
            QVERIFY(probe.bind(QHostAddress::LocalHost, 0));
            const quint16 candidate = probe.localPort();
            probe.close();
            server.start(game_, {"+set", "game", "vorn", "+set", "dedicated", "1", "+set", "port",
                                 QString::number(candidate), "+exec", "server.cfg"});
            QByteArray said;
            QTRY_VERIFY_WITH_TIMEOUT((said += server.readAllStandardOutput()).contains("dedicated server on") ||
                                         server.state() == QProcess::NotRunning, 30000);
            if (said.contains("dedicated server on"))
                port = candidate;
            else
                QVERIFY(server.waitForFinished(30000));
        }
        QVERIFY(port != 0);

        QUdpSocket socket;
        QVERIFY(socket.bind(QHostAddress::LocalHost, 0));
        const std::string request = trel::StatusRequest();
        socket.writeDatagram(request.data(), static_cast<qint64>(request.size()), QHostAddress::LocalHost, port);
        QTRY_VERIFY_WITH_TIMEOUT(socket.hasPendingDatagrams(), 30000);
        const auto status = trel::ParseStatusReply(socket.receiveDatagram().data().toStdString());
        QVERIFY(status.has_value());
        QStringList names;
        for (const trel::StatusPlayer& player : status->players)
            names << Latin1(trel::CleanServerText(player.name));
        const QStringList byTrel = {Latin1(trel::InfoValue(*status, "mapname")), QString::number(names.size()),
                                  Latin1(trel::InfoValue(*status, "maxclients")),
                                  Latin1(trel::InfoValue(*status, "hostname"))};

        QProcess qstat;
        qstat.start(QStringLiteral(TREL_QUAKESTAT),
                    {"-q2s", QStringLiteral("127.0.0.1:%1").arg(port), "-R", "-P", "-xml"});
        QTRY_COMPARE_WITH_TIMEOUT(qstat.state(), QProcess::NotRunning, 30000);
        const QMap<QString, QStringList> read = ReadQstatXml(qstat.readAllStandardOutput());
        const QStringList expected = {"vorn03", "3", "12", "Trel stand-in server"};
        QCOMPARE(byTrel, expected);
        QCOMPARE((QStringList{read.value("map").value(0), read.value("numplayers").value(0),
                              read.value("maxplayers").value(0), read.value("name").value(0)}), expected);
        QCOMPARE(names, (QStringList{"Gorm", "Ulf the Red", "<b>big</b>"}));
        QCOMPARE(read.value("name").mid(1), names); // the players' names follow the server's
        QCOMPARE(trel::InfoValue(*status, "timelimit"), std::string("20"));

        // The server ends by itself once its game folder is gone, as when a test's folder is removed.
        QVERIFY(QDir(folder_ + QStringLiteral("/vorn")).removeRecursively());
        QTRY_COMPARE_WITH_TIMEOUT(server.state(), QProcess::NotRunning, 30000);
        QCOMPARE(server.exitCode(), 0);
#endif
    }
};

QTEST_GUILESS_MAIN(TestGameStart)
#include "test_game_start.moc"
