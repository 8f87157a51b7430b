// Starting the game end to end: PrepareLaunch writes the launch script, ProcessGameStarter starts the
// stand-in game detached from a Quake 2 folder with a blank in its path, and the stand-in's record shows
// exactly what the game was given. The stand-in itself is also run by hand, and as a dedicated server that
// qstat and Trel's own reading of its status reply must read alike.

#include "mdlmaincode.h"
#include "mdlvariables.h"
#include "platform.h"
#include "seams/GameStarter.h"
#include "serverstatus.h"
#include "ui_test_support.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QMap>
#include <QNetworkDatagram>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>
#include <QXmlStreamReader>

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#ifndef TREL_STANDIN_GAME
#error "TREL_STANDIN_GAME must name the built stand-in game"
#endif

using trel::test::ReadAll;
using trel::test::ReadStandInRecords;
using trel::test::StandInRecord;
using trel::test::WriteAll;

namespace {

constexpr int kTimeoutMs = 30000;

/// A path as the launch code stores it: native separators, local 8-bit bytes.
std::string Local(const QString& path) {
    return QFile::encodeName(QDir::toNativeSeparators(path)).toStdString();
}

QString GameName() {
    return QString::fromUtf8(trel::kGameExecutableName.data(),
                             static_cast<qsizetype>(trel::kGameExecutableName.size()));
}

QString Canonical(const QString& path) {
    return QFileInfo(path).canonicalFilePath();
}

/// Byte strings as the record reader gives them back (one character per byte).
QStringList Texts(const std::vector<std::string>& items) {
    QStringList texts;
    for (const std::string& item : items)
        texts << QString::fromLatin1(QByteArray::fromStdString(item));
    return texts;
}

#ifndef _WIN32
/// What qstat's XML says of one server: the texts of each element by its path below <server> ("map",
/// "players/player/name"), in order, and the server's status attribute as "status".
QMap<QString, QStringList> ReadQstatXml(const QByteArray& xml) {
    QMap<QString, QStringList> read;
    QXmlStreamReader reader(xml);
    QStringList path;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            path << reader.name().toString();
            if (path.size() == 2)
                read[QStringLiteral("status")] << reader.attributes().value(QLatin1String("status")).toString();
        } else if (reader.isEndElement()) {
            path.removeLast();
        } else if (reader.isCharacters() && !reader.isWhitespace() && path.size() > 2) {
            read[path.mid(2).join(QLatin1Char('/'))] << reader.text().toString();
        }
    }
    return read;
}

QString Shown(const std::string& serverText) {
    return QString::fromLatin1(QByteArray::fromStdString(trel::CleanServerText(serverText)));
}
#endif

trel::LaunchOptions Options(int dedicated, int gametype, int map, const QByteArray& addparam) {
    return {.DMflags = 16 + 512, .Dedicated = dedicated, .Boolmaxclients = 1, .Valmaxclients = "8",
            .Booltimelimit = 1, .Valtimelimit = "20", .Gametype = gametype, .Map = map, .serverini = {},
            .addparam = addparam.toStdString()};
}

} // namespace

class TestGameStart : public QObject {
    Q_OBJECT

    QString originalDir_;
    std::unique_ptr<QTemporaryDir> root_;
    QString folder_; // the Quake 2 folder, with a blank in its path
    QString game_;   // the stand-in under the game's executable name

    QString modFile(const QString& name) const { return QDir(folder_).filePath(QStringLiteral("vorn/") + name); }
    QString recordFile() const { return modFile(QStringLiteral("standin_record.txt")); }
    QList<StandInRecord> records() const { return ReadStandInRecords(recordFile()); }

    /// Runs the stand-in in the Quake 2 folder and waits; its exit code, or -1 when it did not end normally.
    int runByHand(const QStringList& arguments) const {
        QProcess process;
        process.setWorkingDirectory(folder_);
        process.start(game_, arguments);
        if (!process.waitForFinished(kTimeoutMs) || process.exitStatus() != QProcess::NormalExit)
            return -1;
        return process.exitCode();
    }

private slots:
    void initTestCase() {
        originalDir_ = QDir::currentPath();
        QVERIFY2(QFileInfo(QStringLiteral(TREL_STANDIN_GAME)).isFile(), TREL_STANDIN_GAME);
    }

    void init() {
        root_ = std::make_unique<QTemporaryDir>();
        QVERIFY(root_->isValid());
        folder_ = root_->filePath(QStringLiteral("Quake 2 folder"));
        game_ = QDir(folder_).filePath(GameName());
        QVERIFY(QDir().mkpath(QDir(folder_).filePath(QStringLiteral("vorn"))));
        QVERIFY(QFile::copy(QStringLiteral(TREL_STANDIN_GAME), game_));
        QVERIFY(QFile::setPermissions(game_, QFile::permissions(game_) | QFileDevice::ExeOwner |
                                                 QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    }

    void cleanup() {
        // A start makes the Quake 2 folder current; every test begins where the first one did.
        QDir::setCurrent(originalDir_);
        root_.reset();
    }

    void startsPreparedLaunch_data() {
        QTest::addColumn<int>("dedicated");
        QTest::addColumn<int>("gametype");
        QTest::addColumn<int>("map");
        QTest::addColumn<QByteArray>("addparam");
        QTest::addColumn<QStringList>("arguments");

        const QStringList player = {"+set", "game", "vorn", "+exec", "trel_launcher.cfg"};
        const QStringList server = {"+set", "game", "vorn", "+set", "dedicated", "1", "+exec", "trel_launcher.cfg"};
        QTest::newRow("player, deathmatch") << 0 << trel::kGameTypeDeathmatch << 0 << QByteArray() << player;
        QTest::newRow("dedicated server, team play") << 1 << 1 << 2 << QByteArray() << server;
        QTest::newRow("single player, extra line with odd bytes")
            << 0 << trel::kGameTypeSinglePlayer << 4 << QByteArray("set hostname \"caf\xe9 \xff\t#1\"") << player;
    }

    void startsPreparedLaunch() {
        QFETCH(int, dedicated);
        QFETCH(int, gametype);
        QFETCH(int, map);
        QFETCH(QByteArray, addparam);
        QFETCH(QStringList, arguments);

        const trel::LaunchOptions options = Options(dedicated, gametype, map, addparam);
        const trel::SharedValues shared{.StartDir =
                                            std::filesystem::path(QFile::encodeName(root_->path()).toStdString()),
                                        .Quake2Path = Local(game_),
                                        .Quake2Folder = Local(folder_),
                                        .UsedFlag = 1};
        const trel::LaunchPreparation preparation = trel::PrepareLaunch(shared, options);
        QVERIFY2(preparation.outcome == trel::LaunchOutcome::Ready, preparation.why.c_str());

        trel::ProcessGameStarter starter;
        QString why;
        QVERIFY2(starter.start(preparation.request, why), qPrintable(why));
        QCOMPARE(Canonical(QDir::currentPath()), Canonical(folder_));

        QTRY_COMPARE_WITH_TIMEOUT(records().size(), qsizetype(1), kTimeoutMs);
        const StandInRecord record = records().front();
        QCOMPARE(record.args, arguments);
        QCOMPARE(Canonical(record.cwd), Canonical(folder_));
        QCOMPARE(record.execs, QStringList{QStringLiteral("trel_launcher.cfg")});
        QCOMPARE(record.lines, Texts(trel::LaunchScriptLines(options)));
    }

    void passesEachArgumentWhole() {
        const std::vector<std::string> arguments = {
            "+set", "game",  "vorn", "+set",  "hostname",     "my \"quoted\" $HOME; server",
            "+set", "empty", "",     "+exec", "my server.cfg"};
        QVERIFY(WriteAll(modFile(QStringLiteral("my server.cfg")), "map vorn02\r\n"));

        trel::ProcessGameStarter starter;
        QString why;
        QVERIFY2(starter.start({Local(game_), arguments, Local(folder_)}, why), qPrintable(why));
        QTRY_COMPARE_WITH_TIMEOUT(records().size(), qsizetype(1), kTimeoutMs);
        QCOMPARE(records().front().args, Texts(arguments));
        QCOMPARE(records().front().lines, QStringList{QStringLiteral("map vorn02")});
    }

    void refusesStart_data() {
        QTest::addColumn<QString>("program"); // in the Quake 2 folder
        QTest::addColumn<QString>("folder");  // in the temporary root
        QTest::addColumn<bool>("namesFolder");

        QTest::newRow("missing program") << QStringLiteral("no such game") << QStringLiteral("Quake 2 folder") << false;
        QTest::newRow("folder as program") << QStringLiteral("vorn") << QStringLiteral("Quake 2 folder") << false;
        QTest::newRow("missing working folder") << GameName() << QStringLiteral("gone away") << true;
        QTest::newRow("text file without execute permission")
            << QStringLiteral("not a game.exe") << QStringLiteral("Quake 2 folder") << false;
    }

    void refusesStart() {
        QFETCH(QString, program);
        QFETCH(QString, folder);
        QFETCH(bool, namesFolder);

        const QString text = QDir(folder_).filePath(QStringLiteral("not a game.exe"));
        QVERIFY(WriteAll(text, "this is text, not a program\n"));
        QVERIFY(QFile::setPermissions(text, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        program = QDir(folder_).filePath(program);
        folder = root_->filePath(folder);

        trel::ProcessGameStarter starter;
        QString why;
        QVERIFY(!starter.start({Local(program), {"+set", "game", "vorn"}, Local(folder)}, why));
        const QString prefix = QDir::toNativeSeparators(namesFolder ? folder : program) + QStringLiteral(": ");
        QVERIFY2(why.startsWith(prefix) && why.size() > prefix.size(), qPrintable(why));
        QCOMPARE(QDir::currentPath(), originalDir_);
        QVERIFY(!QFileInfo::exists(recordFile()));
    }

    void standinRecordsScriptByHand() {
        // Every kind of line end, an empty line, a NUL and high bytes, and a last line without a line end.
        const std::vector<std::string> lines = {
            "set gametype 3", "set dmflags 528", "", std::string("bytes \0\x01\x7f\x80\xfe\xff", 12),
            "map vorn01",     "say last line"};
        const char* const ends[] = {"\r\n", "\n", "\r", "\r\n", "\r", ""};
        QByteArray script;
        for (std::size_t i = 0; i < lines.size(); ++i)
            script += QByteArray::fromStdString(lines[i]) + ends[i];
        QVERIFY(WriteAll(modFile(QStringLiteral("by hand.cfg")), script));
        const QStringList arguments = {"+set", "game", "vorn", "+exec", "by hand.cfg"};
        const QStringList missingArguments = {"+set", "game", "vorn", "+exec", "missing.cfg"};
        QCOMPARE(runByHand(arguments), 0);
        QCOMPARE(runByHand(arguments), 0);
        // A script that is not there: exit code 2, recorded with no lines, and the error names its path.
        QCOMPARE(runByHand(missingArguments), 2);
        const QList<StandInRecord> all = records();
        QCOMPARE(all.size(), qsizetype(3));
        for (const StandInRecord& record : all) {
            const bool missing = &record == &all.back();
            QCOMPARE(record.args, missing ? missingArguments : arguments);
            QCOMPARE(Canonical(record.cwd), Canonical(folder_));
            QCOMPARE(record.execs, QStringList{missing ? QStringLiteral("missing.cfg") : QStringLiteral("by hand.cfg")});
            QCOMPARE(record.lines, missing ? QStringList() : Texts(lines));
        }
        const QString missing = QDir::toNativeSeparators(Canonical(folder_) + QStringLiteral("/vorn/missing.cfg"));
        const QByteArray error = "\nerror script " + QFile::encodeName(missing) + " not found\n";
        QVERIFY2(ReadAll(recordFile()).contains(error), ReadAll(recordFile()).constData());
    }

    void standinServerReadsAsQstatReadsIt() {
#ifdef _WIN32
        QSKIP("the stand-in game's dedicated server is built on POSIX sockets only: "
              "on Windows it answers no status query");
#else
        const QString quakestat = QStringLiteral(TREL_QUAKESTAT);
        QVERIFY2(QFileInfo(quakestat).isExecutable(), "quakestat not found: install the Debian package qstat");
        QVERIFY(WriteAll(modFile(QStringLiteral("server.cfg")),
                         "set maxclients 12\r\nset vorn_timelimit 20\r\nset dmflags 528\r\nmap vorn03\r\n"));
        // A coloured name (bytes with the high bit set), markup, and a line the stand-in leaves out.
        QVERIFY(WriteAll(modFile(QStringLiteral("standin_players.txt")),
                         "12 35 Gorm\r\n-3 999 \xd5\xec\xe6 the Red\r\n0 50 <b>big</b>\r\nnot a player\r\n"));

        // A free port: the system picks one, the stand-in takes it over. Another program may take it in
        // between, so a few ports are tried.
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
                                         server.state() == QProcess::NotRunning,
                                     kTimeoutMs);
            if (said.contains("dedicated server on"))
                port = candidate;
            else
                QVERIFY(server.waitForFinished(kTimeoutMs));
        }
        QVERIFY(port != 0);

        // Trel's reading of the same server.
        QUdpSocket socket;
        QVERIFY(socket.bind(QHostAddress::LocalHost, 0));
        const std::string request = trel::StatusRequest();
        socket.writeDatagram(request.data(), static_cast<qint64>(request.size()), QHostAddress::LocalHost, port);
        QTRY_VERIFY_WITH_TIMEOUT(socket.hasPendingDatagrams(), kTimeoutMs);
        const QByteArray datagram = socket.receiveDatagram().data();
        const std::optional<trel::ServerStatus> status = trel::ParseStatusReply(datagram.toStdString());
        QVERIFY(status.has_value());

        QProcess qstat;
        qstat.start(quakestat, {"-q2s", QStringLiteral("127.0.0.1:%1").arg(port), "-R", "-P", "-xml"});
        QTRY_COMPARE_WITH_TIMEOUT(qstat.state(), QProcess::NotRunning, kTimeoutMs);
        const QMap<QString, QStringList> read = ReadQstatXml(qstat.readAllStandardOutput());
        const auto one = [&read](const char* path) { return read.value(QLatin1String(path)).join(QLatin1Char('|')); };
        QCOMPARE(one("status"), QStringLiteral("UP"));

        QStringList names;
        for (const trel::StatusPlayer& player : status->players)
            names << Shown(player.name);
        QCOMPARE(one("map"), Shown(trel::InfoValue(*status, "mapname")));
        QCOMPARE(one("numplayers"), QString::number(status->players.size()));
        QCOMPARE(one("maxplayers"), Shown(trel::InfoValue(*status, "maxclients")));
        QCOMPARE(read.value(QStringLiteral("players/player/name")), names);
        QCOMPARE(one("name"), Shown(trel::InfoValue(*status, "hostname")));
        // And both read what the launch script and the player list say.
        QCOMPARE(one("map"), QStringLiteral("vorn03"));
        QCOMPARE(one("maxplayers"), QStringLiteral("12"));
        QCOMPARE(names, (QStringList{"Gorm", "Ulf the Red", "<b>big</b>"}));
        QCOMPARE(one("name"), QStringLiteral("Trel stand-in server"));
        QCOMPARE(trel::InfoValue(*status, "timelimit"), std::string("20"));

        // The server ends by itself once its game folder is gone, as when a test's folder is removed.
        QVERIFY(QDir(QDir(folder_).filePath(QStringLiteral("vorn"))).removeRecursively());
        QTRY_COMPARE_WITH_TIMEOUT(server.state(), QProcess::NotRunning, kTimeoutMs);
        QCOMPARE(server.exitCode(), 0);
#endif
    }
};

QTEST_GUILESS_MAIN(TestGameStart)
#include "test_game_start.moc"
