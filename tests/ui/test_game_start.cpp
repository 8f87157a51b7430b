// Starting the game end to end: PrepareLaunch writes the launch script, ProcessGameStarter starts the
// stand-in game detached from a Quake 2 folder with a blank in its path, and the stand-in's record shows
// exactly what the game was given. The stand-in itself is also run by hand.

#include "mdlmaincode.h"
#include "mdlvariables.h"
#include "platform.h"
#include "seams/GameStarter.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <cstddef>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#ifndef TREL_STANDIN_GAME
#error "TREL_STANDIN_GAME must name the built stand-in game"
#endif

namespace {

constexpr int kTimeoutMs = 30000;
const QString kRecordName = QStringLiteral("standin_record.txt");

struct ScriptRecord {
    std::string file;
    std::vector<std::string> lines;
    std::vector<std::string> errors;
};

struct StartRecord {
    std::vector<std::string> arguments;
    std::vector<std::string> cwds;
    std::vector<ScriptRecord> scripts;
};

std::string ToStd(const QByteArray& bytes) {
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

/// Reads every record of the stand-in's record file. Nothing when the file holds anything but whole,
/// well-formed records (a half-written or interleaved record counts as malformed).
std::optional<std::vector<StartRecord>> ParseRecords(const QByteArray& bytes) {
    std::vector<StartRecord> records;
    if (bytes.isEmpty()) {
        return records;
    }
    if (!bytes.endsWith('\n')) {
        return std::nullopt;
    }
    QList<QByteArray> lines = bytes.split('\n');
    lines.removeLast(); // the empty piece after the final line end
    bool inRecord = false;
    for (const QByteArray& line : lines) {
        if (line == "start") {
            if (inRecord) {
                return std::nullopt;
            }
            inRecord = true;
            records.emplace_back();
            continue;
        }
        if (!inRecord) {
            return std::nullopt;
        }
        StartRecord& record = records.back();
        if (line == "end") {
            inRecord = false;
        } else if (line.startsWith("arg ")) {
            if (!record.cwds.empty()) {
                return std::nullopt;
            }
            record.arguments.push_back(ToStd(line.mid(4)));
        } else if (line.startsWith("cwd ")) {
            record.cwds.push_back(ToStd(line.mid(4)));
        } else if (line.startsWith("exec ")) {
            record.scripts.push_back({ToStd(line.mid(5)), {}, {}});
        } else if (line.startsWith("line ") && !record.scripts.empty()) {
            record.scripts.back().lines.push_back(ToStd(line.mid(5)));
        } else if (line.startsWith("error ") && !record.scripts.empty()) {
            record.scripts.back().errors.push_back(ToStd(line.mid(6)));
        } else {
            return std::nullopt;
        }
    }
    if (inRecord) {
        return std::nullopt;
    }
    return records;
}

QByteArray ReadAll(const QString& file) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        return {};
    }
    return in.readAll();
}

/// How many whole records the file holds; -1 while it is malformed.
qsizetype CompleteRecords(const QString& file) {
    const auto records = ParseRecords(ReadAll(file));
    return records ? static_cast<qsizetype>(records->size()) : -1;
}

bool WriteAll(const QString& file, const QByteArray& bytes) {
    QFile out(file);
    return out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(bytes) == bytes.size();
}

std::string Canonical(const QString& path) {
    return QFileInfo(path).canonicalFilePath().toStdString();
}

std::string CanonicalOfLocal(const std::string& localPath) {
    return Canonical(QFile::decodeName(QByteArray(localPath.data(), static_cast<qsizetype>(localPath.size()))));
}

std::string Local(const QString& path) {
    return ToStd(QFile::encodeName(QDir::toNativeSeparators(path)));
}

std::vector<std::string> Strings(std::initializer_list<const char*> items) {
    return {items.begin(), items.end()};
}

/// A Quake 2 folder with a blank in its path, holding the stand-in under the game's executable name and
/// the modification's folder.
class Quake2Folder {
public:
    Quake2Folder() {
        if (!root_.isValid()) {
            return;
        }
        folder_ = root_.filePath(QStringLiteral("Quake 2 folder"));
        const QString name = QString::fromUtf8(trel::kGameExecutableName.data(),
                                               static_cast<qsizetype>(trel::kGameExecutableName.size()));
        executable_ = QDir(folder_).filePath(name);
        const QString standin = QStringLiteral(TREL_STANDIN_GAME);
        ready_ = QDir().mkpath(folder_) && QDir(folder_).mkdir(QStringLiteral("vorn")) &&
                 QFile::copy(standin, executable_) &&
                 QFile::setPermissions(executable_, QFile::permissions(standin) | QFileDevice::ExeOwner |
                                                        QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    bool ready() const { return ready_; }
    QString root() const { return root_.path(); }
    QString folder() const { return folder_; }
    QString executable() const { return executable_; }
    QString modFile(const QString& name) const { return QDir(folder_).filePath(QStringLiteral("vorn/") + name); }
    QString record() const { return modFile(kRecordName); }

    trel::SharedValues shared() const {
        trel::SharedValues values;
        values.StartDir = std::filesystem::path(QFile::encodeName(root()).toStdString());
        values.Quake2Path = Local(executable_);
        values.Quake2Folder = Local(folder_);
        values.UsedFlag = 1;
        return values;
    }

private:
    QTemporaryDir root_;
    QString folder_;
    QString executable_;
    bool ready_ = false;
};

/// Puts the test process's current directory back, as a start makes the Quake 2 folder current.
class CurrentDirGuard {
public:
    CurrentDirGuard() : saved_(QDir::currentPath()) {}
    ~CurrentDirGuard() { QDir::setCurrent(saved_); }
    CurrentDirGuard(const CurrentDirGuard&) = delete;
    CurrentDirGuard& operator=(const CurrentDirGuard&) = delete;

private:
    QString saved_;
};

struct HandRun {
    int exitCode = -1;
    QProcess::ExitStatus exitStatus = QProcess::CrashExit;
    QByteArray out;
    QByteArray err;
};

/// Runs the stand-in in the Quake 2 folder and waits for it; false when it did not start or finish.
bool RunByHand(const Quake2Folder& quake2, const QStringList& arguments, HandRun& run) {
    QProcess process;
    process.setProgram(quake2.executable());
    process.setArguments(arguments);
    process.setWorkingDirectory(quake2.folder());
    process.start();
    if (!process.waitForStarted(kTimeoutMs) || !process.waitForFinished(kTimeoutMs)) {
        return false;
    }
    run.exitCode = process.exitCode();
    run.exitStatus = process.exitStatus();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return true;
}

} // namespace

class TestGameStart : public QObject {
    Q_OBJECT

private:
    QString originalDir_;

private slots:
    void initTestCase() {
        originalDir_ = QDir::currentPath();
        QVERIFY2(QFileInfo(QStringLiteral(TREL_STANDIN_GAME)).isFile(), TREL_STANDIN_GAME);
    }

    void cleanup() {
        // Keeps the tests independent even when one failed half-way through a start.
        QDir::setCurrent(originalDir_);
    }

    void startsPreparedLaunch_data() {
        QTest::addColumn<int>("dedicated");
        QTest::addColumn<int>("gametype");
        QTest::addColumn<int>("map");
        QTest::addColumn<QByteArray>("addparam");
        QTest::addColumn<QStringList>("expectedArguments");

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
        QFETCH(QStringList, expectedArguments);

        Quake2Folder quake2;
        QVERIFY(quake2.ready());
        QVERIFY(quake2.folder().contains(QLatin1Char(' ')));

        trel::LaunchOptions options;
        options.Dedicated = dedicated;
        options.Gametype = gametype;
        options.Map = map;
        options.DMflags = 16 + 512;
        options.Booltimelimit = 1;
        options.Valtimelimit = "20";
        options.Boolmaxclients = 1;
        options.Valmaxclients = "8";
        options.addparam = ToStd(addparam);

        const trel::LaunchPreparation preparation = trel::PrepareLaunch(quake2.shared(), options);
        QVERIFY2(preparation.outcome == trel::LaunchOutcome::Ready, preparation.why.c_str());
        QCOMPARE(ToStd(ReadAll(quake2.modFile(QStringLiteral("trel_launcher.cfg")))), trel::LaunchScriptText(options));

        trel::ProcessGameStarter starter;
        QString why;
        {
            CurrentDirGuard guard;
            QVERIFY2(starter.start(preparation.request, why), qPrintable(why));
            QVERIFY(why.isEmpty());
            // Starting makes the Quake 2 folder the launcher's current directory.
            QCOMPARE(Canonical(QDir::currentPath()), Canonical(quake2.folder()));
        }
        QCOMPARE(QDir::currentPath(), originalDir_);

        QTRY_VERIFY_WITH_TIMEOUT(CompleteRecords(quake2.record()) == 1, kTimeoutMs);
        const auto records = ParseRecords(ReadAll(quake2.record()));
        QVERIFY(records);
        const StartRecord& record = records->front();

        std::vector<std::string> expected;
        for (const QString& argument : expectedArguments) {
            expected.push_back(argument.toStdString());
        }
        QCOMPARE(record.arguments, expected);
        QCOMPARE(record.cwds.size(), std::size_t{1});
        QCOMPARE(CanonicalOfLocal(record.cwds.front()), Canonical(quake2.folder()));
        QCOMPARE(record.scripts.size(), std::size_t{1});
        QCOMPARE(record.scripts.front().file, std::string("trel_launcher.cfg"));
        QVERIFY(record.scripts.front().errors.empty());
        QCOMPARE(record.scripts.front().lines, trel::LaunchScriptLines(options));
    }

    void passesArgumentsAsSeparateItems() {
        Quake2Folder quake2;
        QVERIFY(quake2.ready());
        QVERIFY(WriteAll(quake2.modFile(QStringLiteral("my server.cfg")), "map vorn02\r\n"));
        // Blanks, quotes and shell characters reach the game untouched, one argument each.
        const std::vector<std::string> arguments = {
            "+set", "game",  "vorn", "+set",  "hostname",     "my \"quoted\" $HOME; server",
            "+set", "empty", "",     "+exec", "my server.cfg"};
        const trel::LaunchRequest request{Local(quake2.executable()), arguments, Local(quake2.folder())};

        trel::ProcessGameStarter starter;
        QString why;
        {
            CurrentDirGuard guard;
            QVERIFY2(starter.start(request, why), qPrintable(why));
        }
        QTRY_VERIFY_WITH_TIMEOUT(CompleteRecords(quake2.record()) == 1, kTimeoutMs);
        const auto records = ParseRecords(ReadAll(quake2.record()));
        QVERIFY(records);
        QCOMPARE(records->front().arguments, arguments);
        QCOMPARE(records->front().scripts.size(), std::size_t{1});
        QCOMPARE(records->front().scripts.front().lines, Strings({"map vorn02"}));
    }

    void refusesMissingProgram() {
        Quake2Folder quake2;
        QVERIFY(quake2.ready());
        const QString program = QDir(quake2.folder()).filePath(QStringLiteral("no such game"));
        const trel::LaunchRequest request{Local(program), Strings({"+set", "game", "vorn"}), Local(quake2.folder())};

        CurrentDirGuard guard;
        const QString before = QDir::currentPath();
        trel::ProcessGameStarter starter;
        QString why;
        QVERIFY(!starter.start(request, why));
        QVERIFY2(why.contains(QDir::toNativeSeparators(program)), qPrintable(why));
        QVERIFY2(why.contains(QStringLiteral("no such file")), qPrintable(why));
        // A refused start leaves the current directory alone.
        QCOMPARE(QDir::currentPath(), before);
    }

    void refusesFolderAsProgram() {
        Quake2Folder quake2;
        QVERIFY(quake2.ready());
        const QString program = QDir(quake2.folder()).filePath(QStringLiteral("vorn"));
        const trel::LaunchRequest request{Local(program), Strings({"+set", "game", "vorn"}), Local(quake2.folder())};

        CurrentDirGuard guard;
        trel::ProcessGameStarter starter;
        QString why;
        QVERIFY(!starter.start(request, why));
        QVERIFY2(why.contains(QDir::toNativeSeparators(program)), qPrintable(why));
        QVERIFY2(why.contains(QStringLiteral("no such file")), qPrintable(why));
    }

    void refusesMissingWorkingDirectory() {
        Quake2Folder quake2;
        QVERIFY(quake2.ready());
        const QString missing = QDir(quake2.root()).filePath(QStringLiteral("gone away"));
        const trel::LaunchRequest request{Local(quake2.executable()), Strings({"+set", "game", "vorn"}),
                                          Local(missing)};

        CurrentDirGuard guard;
        const QString before = QDir::currentPath();
        trel::ProcessGameStarter starter;
        QString why;
        QVERIFY(!starter.start(request, why));
        QVERIFY2(why.contains(QDir::toNativeSeparators(missing)), qPrintable(why));
        QVERIFY2(why.contains(QStringLiteral("no such folder")), qPrintable(why));
        QCOMPARE(QDir::currentPath(), before);
    }

    void reportsProgramThatCannotRun() {
        Quake2Folder quake2;
        QVERIFY(quake2.ready());
        // A file that is no program: no execute bits on Unix, no executable image on Windows.
        const QString program = QDir(quake2.folder()).filePath(QStringLiteral("not a game.exe"));
        QVERIFY(WriteAll(program, "this is text, not a program\n"));
        QVERIFY(QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        const trel::LaunchRequest request{Local(program), Strings({"+set", "game", "vorn"}), Local(quake2.folder())};

        CurrentDirGuard guard;
        trel::ProcessGameStarter starter;
        QString why;
        QVERIFY(!starter.start(request, why));
        const QString prefix = QDir::toNativeSeparators(program) + QStringLiteral(": ");
        QVERIFY2(why.startsWith(prefix), qPrintable(why));
        QVERIFY2(why.size() > prefix.size(), qPrintable(why)); // the process library's reason follows
    }

    void standinRecordsScriptByHand() {
        Quake2Folder quake2;
        QVERIFY(quake2.ready());
        // Every kind of line end, an empty line, arbitrary bytes and a last line without a line end.
        const std::vector<std::string> lines = {
            "set gametype 3", "set dmflags 528", "", std::string("bytes \0\x01\x7f\x80\xfe\xff", 12),
            "map vorn01",     "say last line"};
        const std::vector<std::string> ends = {"\r\n", "\n", "\r", "\r\n", "\r", ""};
        QByteArray script;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            script += QByteArray::fromStdString(lines[i] + ends[i]);
        }
        QVERIFY(WriteAll(quake2.modFile(QStringLiteral("by hand.cfg")), script));

        HandRun run;
        const QStringList arguments = {"+set", "game", "vorn", "+exec", "by hand.cfg"};
        QVERIFY(RunByHand(quake2, arguments, run));
        QCOMPARE(run.exitStatus, QProcess::NormalExit);
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QVERIFY2(run.out.contains("by hand.cfg (6 lines)"), run.out.constData());

        const auto records = ParseRecords(ReadAll(quake2.record()));
        QVERIFY(records);
        QCOMPARE(records->size(), std::size_t{1});
        const StartRecord& record = records->front();
        QCOMPARE(record.arguments, Strings({"+set", "game", "vorn", "+exec", "by hand.cfg"}));
        QCOMPARE(record.cwds.size(), std::size_t{1});
        QCOMPARE(CanonicalOfLocal(record.cwds.front()), Canonical(quake2.folder()));
        QCOMPARE(record.scripts.size(), std::size_t{1});
        QCOMPARE(record.scripts.front().file, std::string("by hand.cfg"));
        QCOMPARE(record.scripts.front().lines, lines);
        QVERIFY(record.scripts.front().errors.empty());

        // A second start appends a second record and keeps the first.
        QVERIFY(RunByHand(quake2, {"+set", "game", "vorn", "+set", "dedicated", "1", "+exec", "by hand.cfg"}, run));
        QCOMPARE(run.exitCode, 0);
        const auto both = ParseRecords(ReadAll(quake2.record()));
        QVERIFY(both);
        QCOMPARE(both->size(), std::size_t{2});
        QCOMPARE(both->front().arguments, record.arguments);
        QCOMPARE(both->back().arguments,
                 Strings({"+set", "game", "vorn", "+set", "dedicated", "1", "+exec", "by hand.cfg"}));
        QCOMPARE(both->back().scripts.front().lines, lines);
    }

    void standinReportsMissingScript() {
        Quake2Folder quake2;
        QVERIFY(quake2.ready());
        HandRun run;
        QVERIFY(RunByHand(quake2, {"+set", "game", "vorn", "+exec", "missing.cfg"}, run));
        QCOMPARE(run.exitStatus, QProcess::NormalExit);
        QCOMPARE(run.exitCode, 2);

        const auto records = ParseRecords(ReadAll(quake2.record()));
        QVERIFY(records);
        QCOMPARE(records->size(), std::size_t{1});
        const StartRecord& record = records->front();
        QCOMPARE(record.scripts.size(), std::size_t{1});
        QCOMPARE(record.scripts.front().file, std::string("missing.cfg"));
        QVERIFY(record.scripts.front().lines.empty());
        QCOMPARE(record.scripts.front().errors.size(), std::size_t{1});
        const std::string& error = record.scripts.front().errors.front();
        const std::string prefix = "script ";
        const std::string suffix = " not found";
        QVERIFY2(error.size() > prefix.size() + suffix.size() && error.starts_with(prefix) && error.ends_with(suffix),
                 error.c_str());
        const std::string path = error.substr(prefix.size(), error.size() - prefix.size() - suffix.size());
        QCOMPARE(QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).absoluteFilePath(),
                 QFileInfo(quake2.modFile(QStringLiteral("missing.cfg"))).absoluteFilePath());
    }

    void standinNeedsGameFolder() {
        Quake2Folder quake2;
        QVERIFY(quake2.ready());
        HandRun run;
        QVERIFY(RunByHand(quake2, {"+set", "game", "elsewhere", "+exec", "trel_launcher.cfg"}, run));
        QCOMPARE(run.exitStatus, QProcess::NormalExit);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("elsewhere"), run.err.constData());
        QVERIFY(!QDir(quake2.folder()).exists(QStringLiteral("elsewhere")));
        QVERIFY(!QFileInfo::exists(quake2.record()));
    }

    void standinPrintsHelp() {
        Quake2Folder quake2;
        QVERIFY(quake2.ready());
        HandRun run;
        QVERIFY(RunByHand(quake2, {"--help"}, run));
        QCOMPARE(run.exitStatus, QProcess::NormalExit);
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.contains("usage"), run.out.constData());
        QVERIFY(!QFileInfo::exists(quake2.record()));
    }

    void standinRecordsOfConcurrentStartsStayWhole() {
        Quake2Folder quake2;
        QVERIFY(quake2.ready());
        // Large scripts, so that records written piecemeal would visibly interleave.
        constexpr int kStarts = 12;
        constexpr int kLines = 8000;
        std::vector<std::vector<std::string>> scripts(kStarts);
        std::vector<std::unique_ptr<QProcess>> processes;
        for (int s = 0; s < kStarts; ++s) {
            QByteArray text;
            for (int l = 0; l < kLines; ++l) {
                scripts[static_cast<std::size_t>(s)].push_back("set start" + std::to_string(s) + "_line" +
                                                               std::to_string(l) + " " +
                                                               std::string(20, static_cast<char>('a' + s)));
                text += QByteArray::fromStdString(scripts[static_cast<std::size_t>(s)].back() + "\r\n");
            }
            const QString name = QStringLiteral("start %1.cfg").arg(s);
            QVERIFY(WriteAll(quake2.modFile(name), text));
            auto process = std::make_unique<QProcess>();
            process->setProgram(quake2.executable());
            process->setArguments({"+set", "game", "vorn", "+exec", name});
            process->setWorkingDirectory(quake2.folder());
            processes.push_back(std::move(process));
        }
        for (auto& process : processes) {
            process->start();
        }
        for (auto& process : processes) {
            QVERIFY(process->waitForFinished(kTimeoutMs));
            QCOMPARE(process->exitStatus(), QProcess::NormalExit);
            QCOMPARE(process->exitCode(), 0);
        }

        const auto records = ParseRecords(ReadAll(quake2.record()));
        QVERIFY2(records, "the record file holds a broken or interleaved record");
        QCOMPARE(records->size(), std::size_t{kStarts});
        std::vector<bool> seen(kStarts, false);
        for (const StartRecord& record : *records) {
            QCOMPARE(record.scripts.size(), std::size_t{1});
            const std::string& file = record.scripts.front().file;
            QVERIFY(file.starts_with("start "));
            const int s = std::stoi(file.substr(6));
            QVERIFY(s >= 0 && s < kStarts);
            QVERIFY(!seen[static_cast<std::size_t>(s)]);
            seen[static_cast<std::size_t>(s)] = true;
            QCOMPARE(record.scripts.front().lines, scripts[static_cast<std::size_t>(s)]);
        }
    }
};

QTEST_GUILESS_MAIN(TestGameStart)
#include "test_game_start.moc"
