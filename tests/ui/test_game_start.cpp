// Starting the game end to end: ProcessGameStarter starts the stand-in game detached from a Quake 2 folder
// with a blank in its path, and the stand-in's record shows exactly what the game was given.

#include "platform.h"
#include "seams/GameStarter.h"
#include "ui_test_support.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using trel::test::ReadStandInRecords;

namespace {

/// A path as the launch code stores it: native separators, local 8-bit bytes.
std::string Local(const QString& path) { return QFile::encodeName(QDir::toNativeSeparators(path)).toStdString(); }
QString Canonical(const QString& path) { return QFileInfo(path).canonicalFilePath(); }

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
            texts << QString::fromLatin1(QByteArray::fromStdString(argument));
        QCOMPARE(record.args, texts);
        QCOMPARE(Canonical(record.cwd), Canonical(folder_));
        QCOMPARE(record.lines, QStringList{QStringLiteral("map vorn02")});
    }
};

QTEST_GUILESS_MAIN(TestGameStart)
#include "test_game_start.moc"
