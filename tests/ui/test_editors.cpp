// The three server-file editors driven as a user drives them: the map-details editor with its tabs,
// generator, insert, typing colour and save; the map cycle editor's lists and its Ok and Cancel; the
// message-of-the-day editor's round trip. Files are checked byte for byte.

#include "MOTD.h"
#include "mapcycle.h"
#include "mapedit.h"
#include "mdlmapeditcode.h"
#include "seams/MessageBoxes.h"
#include "ui_test_support.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <memory>
#include <string>

using trel::test::Control;

namespace {

constexpr int kTimeoutMs = 20000;

const QColor kHead(0, 0, 160);
const QColor kComment(0, 100, 0);

// A file's bytes, in a form the test log shows when a comparison fails.
QByteArray ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArrayLiteral("<unreadable>");
    return file.readAll();
}

void WriteAll(const QString& path, const std::string& bytes) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes.data(), static_cast<qint64>(bytes.size())), static_cast<qint64>(bytes.size()));
}

// Every byte but the line breaks, as a user's file may hold them.
std::string EveryByteButLineBreaks() {
    std::string bytes;
    for (int b = 0; b < 256; ++b) {
        if (b != '\r' && b != '\n')
            bytes += static_cast<char>(b);
    }
    return bytes;
}

// The text a box shows, line breaks as "\n", every character as its byte.
QString Shown(const QPlainTextEdit* box) {
    QString raw = box->document()->toRawText();
    raw.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return raw;
}

// The colour of every character on screen: 'h' the head colour, 'c' the comment colour, 'k' another
// colour set on it, '.' the box's own text colour; '|' stands for a line break.
QString ColourPattern(const QPlainTextEdit* box) {
    QString pattern;
    for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next()) {
        if (block != box->document()->begin())
            pattern += QLatin1Char('|');
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            QChar letter = QLatin1Char('.');
            if (format.hasProperty(QTextFormat::ForegroundBrush)) {
                const QColor colour = format.foreground().color();
                letter = colour == kHead ? QLatin1Char('h') : colour == kComment ? QLatin1Char('c') : QLatin1Char('k');
            }
            pattern += QString(fragment.length(), letter);
        }
    }
    return pattern;
}

void ClickItem(QListWidget* list, const QString& text, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(!found.isEmpty(), qPrintable(text));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, list->visualItemRect(found.first()).center());
}

QStringList Entries(const QListWidget* list) {
    QStringList entries;
    for (int i = 0; i < list->count(); ++i)
        entries << list->item(i)->text();
    return entries;
}

void ClickTab(QTabWidget* tabs, int index) {
    QTabBar* bar = tabs->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(index).center());
}

// Puts the caret of box at position by keyboard, as a user would: to the start, then right.
void CaretTo(QPlainTextEdit* box, int position) {
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Home, Qt::ControlModifier);
    for (int i = 0; i < position; ++i)
        QTest::keyClick(box, Qt::Key_Right);
}

const QString kStandardMaps[] = {QStringLiteral("vorn01"), QStringLiteral("vorn02"), QStringLiteral("vorn03"),
                                 QStringLiteral("vorn04"), QStringLiteral("vorn_sp01")};

const std::string kCycleHeader = "# begin vorn.ini ===============\r\n"
                                 "# Do not delete these comment lines\r\n"
                                 "# This vorn.ini was produced automatically by Trel, the original is now "
                                 "vorn.bak\r\n\r\n";
const std::string kCycleFooter = "\r\n# end vorn.ini ===============\r\n";

// A map-details file of typical blocks and comments, at least size bytes long.
std::string TypicalMapDetails(std::size_t size) {
    std::string text;
    for (int n = 0; text.size() < size; ++n) {
        text += "# server " + std::to_string(n) + " ===============\r\n";
        text += "[ vorn0" + std::to_string(n % 4 + 1) + " ]\r\ngametype 2\r\ngem_goal 10\r\nvorn_timelimit 20\r\n";
        text += "max_gems 5 # five\r\n\r\n";
    }
    return text;
}

} // namespace

class TestEditors : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    trel::SharedValues shared_;
    trel::RecordedMessageBoxes boxes_;
    std::string serverini_; // what the main window's server-ini box holds
    std::unique_ptr<trel::mapedit> mapedit_;
    std::unique_ptr<trel::mapcycle> mapcycle_;
    std::unique_ptr<trel::MOTD> motd_;

    QString vorn(const QString& name = QString()) const {
        return dir_->filePath(QStringLiteral("quake 2/vorn")) + (name.isEmpty() ? QString() : QLatin1Char('/') + name);
    }
    QString native(const QString& path) const { return QDir::toNativeSeparators(path); }

    trel::mapedit* openMapEditor() {
        mapedit_ = std::make_unique<trel::mapedit>(shared_, [this] { return serverini_; }, boxes_);
        if (!mapedit_->open())
            return nullptr;
        if (!QTest::qWaitForWindowExposed(mapedit_.get()))
            return nullptr;
        return mapedit_.get();
    }
    QString preview() const { return Shown(Control<QPlainTextEdit>(mapedit_.get(), QStringLiteral("sample"))); }
    QPlainTextEdit* edit(int index) const {
        return Control<QPlainTextEdit>(mapedit_.get(), QStringLiteral("EditWindow(%1)").arg(index));
    }

private slots:
    void initTestCase() { trel::test::PrepareUiTest(); }

    void init() {
        dir_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/trel editors XXXXXX"));
        QVERIFY(dir_->isValid());
        QVERIFY(QDir().mkpath(vorn()));
        shared_ = {};
        shared_.Quake2Folder = QFile::encodeName(dir_->filePath(QStringLiteral("quake 2"))).toStdString();
        boxes_.shown.clear();
        serverini_.clear();
    }

    void cleanup() {
        mapedit_.reset();
        mapcycle_.reset();
        motd_.reset();
        dir_.reset();
    }

    // ----------------------------------------------------------------------------------------------
    // The map-details editor

    void opensWithoutFilesAndCreatesThemEmpty() {
        trel::mapedit* window = openMapEditor();
        QVERIFY(window);
        QCOMPARE(QFileInfo(vorn(QStringLiteral("vorn.ini"))).size(), 0);
        QCOMPARE(QFileInfo(vorn(QStringLiteral("vorn_sp.ini"))).size(), 0);
        QVERIFY(QFileInfo(vorn(QStringLiteral("vorn.ini"))).isFile());
        QCOMPARE(Shown(edit(0)), QString());
        QCOMPARE(Shown(edit(1)), QString());
        QCOMPARE(window->windowTitle(), QStringLiteral("Trel maplist editor - v0.48"));
        QCOMPARE(Control<QLabel>(window, QStringLiteral("mapedithelp"))->text(),
                 QStringLiteral("Editing - ") + native(vorn(QStringLiteral("vorn.ini"))));
        QCOMPARE(Control<QTabWidget>(window, QStringLiteral("SSTab2"))->currentIndex(), 0);
        QCOMPARE(Control<QTabWidget>(window, QStringLiteral("SSTab2"))->tabText(0), QStringLiteral("Multiplayer Vorn"));
        QCOMPARE(Control<QTabWidget>(window, QStringLiteral("SSTab2"))->tabText(1),
                 QStringLiteral("Single Player Vorn"));
        QCOMPARE(Control<QTabWidget>(window, QStringLiteral("SSTab1"))->currentIndex(), 0);
        QCOMPARE(preview(), QStringLiteral("[ vorn01 ]\ngametype 3\ngem_goal 0\nvorn_timelimit 20\nmax_gems 0\n"));

        auto* gametype = Control<QComboBox>(window, QStringLiteral("varmapgametype"));
        QCOMPARE(gametype->currentIndex(), -1);
        QCOMPARE(gametype->placeholderText(), QStringLiteral("Deathmatch"));
        QCOMPARE(gametype->count(), 3);
        QCOMPARE(gametype->itemText(0), QStringLiteral("Teamplay with mnstrs"));
        QCOMPARE(gametype->itemText(1), QStringLiteral("Teamplay w/o mnstrs"));
        QCOMPARE(gametype->itemText(2), QStringLiteral("Deathmatch"));
        QVERIFY(gametype->isVisible());
        for (const char* name : {"valmaptimelimit", "valmaxgems", "valgemgoal"}) {
            auto* box = Control<QComboBox>(window, QString::fromLatin1(name));
            QCOMPARE(box->count(), 60);
            QCOMPARE(box->itemText(0), QStringLiteral("1"));
            QCOMPARE(box->itemText(59), QStringLiteral("60"));
        }
        QCOMPARE(Control<QComboBox>(window, QStringLiteral("valmaptimelimit"))->currentText(), QStringLiteral("20"));
        QCOMPARE(Control<QComboBox>(window, QStringLiteral("valmaxgems"))->currentText(), QStringLiteral("0"));
        QCOMPARE(Control<QComboBox>(window, QStringLiteral("valgemgoal"))->currentText(), QStringLiteral("0"));
        auto* maps = Control<QListWidget>(window, QStringLiteral("maps"));
        QCOMPARE(Entries(maps), QStringList(std::begin(kStandardMaps), std::end(kStandardMaps)));
        QCOMPARE(maps->selectedItems().size(), 1);
        QCOMPARE(maps->selectedItems().first()->text(), QStringLiteral("vorn01"));
        QCOMPARE(Control<QPushButton>(window, QStringLiteral("insertmap"))->text(),
                 QStringLiteral("<-- Insert Map Details"));
        QCOMPARE(Control<QPushButton>(window, QStringLiteral("butsave"))->text(), QStringLiteral("&Save"));
        QCOMPARE(Control<QPushButton>(window, QStringLiteral("butexit"))->text(), QStringLiteral("E&xit"));
        QVERIFY(boxes_.shown.isEmpty());
    }

    void opensWithFiles_data() {
        QTest::addColumn<QString>("serverini");
        QTest::addColumn<QString>("multiplayerName");
        QTest::newRow("empty box edits vorn.ini") << QString() << QStringLiteral("vorn.ini");
        QTest::newRow("custom file") << QStringLiteral("custom.ini") << QStringLiteral("custom.ini");
    }

    void opensWithFiles() {
        QFETCH(QString, serverini);
        QFETCH(QString, multiplayerName);
        serverini_ = serverini.toStdString();
        WriteAll(vorn(multiplayerName), "[ vorn02 ]\r\ngametype 1\r\n");
        WriteAll(vorn(QStringLiteral("vorn_sp.ini")), "# single\r\n[ vorn_sp01 ]\r\nmax_gems 4");
        WriteAll(vorn(QStringLiteral("other.ini")), "not this one");
        QVERIFY(openMapEditor());
        QCOMPARE(Shown(edit(0)), QStringLiteral("[ vorn02 ]\ngametype 1\n"));
        QCOMPARE(Shown(edit(1)), QStringLiteral("# single\n[ vorn_sp01 ]\nmax_gems 4"));
        QCOMPARE(Control<QLabel>(mapedit_.get(), QStringLiteral("mapedithelp"))->text(),
                 QStringLiteral("Editing - ") + native(vorn(multiplayerName)));
        QCOMPARE(mapedit_->files()[0], std::filesystem::path(QFile::encodeName(vorn(multiplayerName)).toStdString()));
    }

    void unreadableFileIsReportedAndNotOpened_data() {
        QTest::addColumn<QString>("folderInPlaceOf");
        QTest::newRow("multiplayer file is a folder") << QStringLiteral("vorn.ini");
        QTest::newRow("single-player file is a folder") << QStringLiteral("vorn_sp.ini");
    }

    void unreadableFileIsReportedAndNotOpened() {
        QFETCH(QString, folderInPlaceOf);
        QVERIFY(QDir().mkpath(vorn(folderInPlaceOf)));
        mapedit_ = std::make_unique<trel::mapedit>(shared_, [this] { return serverini_; }, boxes_);
        QVERIFY(!mapedit_->open());
        QVERIFY(!mapedit_->isVisible());
        QCOMPARE(boxes_.shown.size(), 1);
        QCOMPARE(boxes_.shown.first().title, QStringLiteral("Warning!"));
        QVERIFY2(boxes_.shown.first().text.contains(native(vorn(folderInPlaceOf)) + QStringLiteral(": ")),
                 qPrintable(boxes_.shown.first().text));
        QVERIFY(QFileInfo(vorn(folderInPlaceOf)).isDir());
    }

    void missingModificationFolderIsReported() {
        QVERIFY(QDir(vorn()).removeRecursively());
        WriteAll(vorn(), "a file where the folder should be");
        mapedit_ = std::make_unique<trel::mapedit>(shared_, [this] { return serverini_; }, boxes_);
        QVERIFY(!mapedit_->open());
        QCOMPARE(boxes_.shown.size(), 1);
        QVERIFY(boxes_.shown.first().text.contains(native(vorn(QStringLiteral("vorn.ini")))));
        QCOMPARE(ReadAll(vorn()), QByteArrayLiteral("a file where the folder should be"));
    }

    void tabSwitchingFollowsTheTab() {
        QVERIFY(openMapEditor());
        trel::mapedit* window = mapedit_.get();
        auto* tabs = Control<QTabWidget>(window, QStringLiteral("SSTab2"));
        auto* heading = Control<QLabel>(window, QStringLiteral("mapedithelp"));
        auto* gametype = Control<QComboBox>(window, QStringLiteral("varmapgametype"));
        auto* singleLabel = Control<QLabel>(window, QStringLiteral("Label7"));
        auto* gemLabel = Control<QLabel>(window, QStringLiteral("gemgoal"));
        auto* gemBox = Control<QComboBox>(window, QStringLiteral("valgemgoal"));
        ClickTab(Control<QTabWidget>(window, QStringLiteral("SSTab1")), 1);

        ClickTab(tabs, 1);
        QCOMPARE(tabs->currentIndex(), 1);
        QCOMPARE(heading->text(), QStringLiteral("Editing - ") + native(vorn(QStringLiteral("vorn_sp.ini"))));
        QVERIFY(!gametype->isVisible());
        QVERIFY(!gemLabel->isVisible());
        QVERIFY(!gemBox->isVisible());
        QVERIFY(singleLabel->isVisible());
        QCOMPARE(singleLabel->text(), QStringLiteral("Single Player Game"));
        QCOMPARE(singleLabel->geometry(), gametype->geometry());
        // The preview keeps its gem_goal line until the next pick drops it.
        QVERIFY(preview().contains(QStringLiteral("gem_goal 0\n")));
        ClickTab(Control<QTabWidget>(window, QStringLiteral("SSTab1")), 0);
        ClickItem(Control<QListWidget>(window, QStringLiteral("maps")), QStringLiteral("vorn_sp01"));
        QCOMPARE(preview(), QStringLiteral("[ vorn_sp01 ]\ngametype 3\nvorn_timelimit 20\nmax_gems 0\n"));

        // Back on the multiplayer tab the heading names what the main window's box names now.
        serverini_ = "changed.ini";
        ClickTab(tabs, 0);
        QCOMPARE(heading->text(), QStringLiteral("Editing - ") + native(vorn(QStringLiteral("changed.ini"))));
        QVERIFY(gametype->isVisible());
        QVERIFY(gemBox->isHidden() == false);
        ClickItem(Control<QListWidget>(window, QStringLiteral("maps")), QStringLiteral("vorn02"));
        QCOMPARE(preview(), QStringLiteral("[ vorn02 ]\ngametype 3\ngem_goal 0\nvorn_timelimit 20\nmax_gems 0\n"));
        // The file edited is still the one opened.
        QCOMPARE(window->files()[0].filename(), std::filesystem::path("vorn.ini"));
    }

    void gameTypeIsPickedNeverTyped() {
        QVERIFY(openMapEditor());
        auto* gametype = Control<QComboBox>(mapedit_.get(), QStringLiteral("varmapgametype"));
        gametype->setFocus();
        QTest::keyClicks(gametype, QStringLiteral("Teamplay"));
        QCOMPARE(gametype->currentIndex(), -1);
        QVERIFY(preview().contains(QStringLiteral("gametype 3\n")));
        QTest::keyClick(gametype, Qt::Key_Down);
        QTest::keyClick(gametype, Qt::Key_Down);
        QCOMPARE(gametype->currentText(), QStringLiteral("Teamplay w/o mnstrs"));
        QCOMPARE(preview(), QStringLiteral("[ vorn01 ]\ngametype 2\ngem_goal 0\nvorn_timelimit 20\nmax_gems 0\n"));
    }

    void typedValueWaitsForTheNextPick() {
        QVERIFY(openMapEditor());
        trel::mapedit* window = mapedit_.get();
        QVERIFY(QTest::qWaitForWindowActive(window));
        ClickTab(Control<QTabWidget>(window, QStringLiteral("SSTab1")), 1);
        auto* timelimit = Control<QComboBox>(window, QStringLiteral("valmaptimelimit"));
        const QString before = preview();
        QTest::mouseClick(timelimit->lineEdit(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(timelimit->hasFocus() || timelimit->lineEdit()->hasFocus(), kTimeoutMs);
        QTest::keyClick(timelimit, Qt::Key_End);
        QTest::keyClick(timelimit, Qt::Key_Backspace);
        QTest::keyClick(timelimit, Qt::Key_Backspace);
        QTest::keyClicks(timelimit, QStringLiteral("2x5 -"));
        QCOMPARE(timelimit->currentText(), QStringLiteral("25"));
        QCOMPARE(preview(), before);
        // Leaving the box is no pick either.
        QTest::mouseClick(edit(0)->viewport(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(edit(0)->hasFocus(), kTimeoutMs);
        QCOMPARE(preview(), before);
        QCOMPARE(timelimit->currentText(), QStringLiteral("25"));
        ClickTab(Control<QTabWidget>(window, QStringLiteral("SSTab1")), 0);
        ClickItem(Control<QListWidget>(window, QStringLiteral("maps")), QStringLiteral("vorn03"));
        QCOMPARE(preview(), QStringLiteral("[ vorn03 ]\ngametype 3\ngem_goal 0\nvorn_timelimit 25\nmax_gems 0\n"));
    }

    void emptiedValueBoxGivesKeyAndBlank() {
        QVERIFY(openMapEditor());
        ClickTab(Control<QTabWidget>(mapedit_.get(), QStringLiteral("SSTab1")), 1);
        auto* maxgems = Control<QComboBox>(mapedit_.get(), QStringLiteral("valmaxgems"));
        QTest::keyClick(maxgems, Qt::Key_End);
        QTest::keyClick(maxgems, Qt::Key_Backspace);
        QCOMPARE(maxgems->currentText(), QString());
        ClickTab(Control<QTabWidget>(mapedit_.get(), QStringLiteral("SSTab1")), 0);
        ClickItem(Control<QListWidget>(mapedit_.get(), QStringLiteral("maps")), QStringLiteral("vorn04"));
        QCOMPARE(preview(), QStringLiteral("[ vorn04 ]\ngametype 3\ngem_goal 0\nvorn_timelimit 20\nmax_gems \n"));
    }

    void noMapPickedInsertsThePrompt() {
        WriteAll(vorn(QStringLiteral("vorn.ini")), "ab");
        QVERIFY(openMapEditor());
        // A second click with Ctrl held takes the selection away.
        ClickItem(Control<QListWidget>(mapedit_.get(), QStringLiteral("maps")), QStringLiteral("vorn01"),
                  Qt::ControlModifier);
        QCOMPARE(preview(), QStringLiteral("Please choose a map"));
        CaretTo(edit(0), 1);
        QTest::mouseClick(Control<QPushButton>(mapedit_.get(), QStringLiteral("insertmap")), Qt::LeftButton);
        QCOMPARE(Shown(edit(0)), QStringLiteral("aPlease choose a mapb"));
    }

    void insertAtTheCaretOrOverTheSelection_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("tab");
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("colours");
        const QString mpBlock = QStringLiteral("[ vorn01 ]\ngametype 3\ngem_goal 0\nvorn_timelimit 20\nmax_gems 0\n");
        const QString spBlock = QStringLiteral("[ vorn01 ]\ngametype 3\nvorn_timelimit 20\nmax_gems 0\n");
        const QByteArray file = "line one\r\n# two";
        QTest::newRow("middle of a line splits it")
            << file << 0 << 4 << 0 << QStringLiteral("line") + mpBlock + QStringLiteral(" one\n# two")
            << QStringLiteral("....hhhhhhhhhh|..........|..........|.................|..........|....|.....");
        QTest::newRow("selection replaced")
            << file << 0 << 5 << 3 << QStringLiteral("line ") + mpBlock + QStringLiteral("\n# two")
            << QStringLiteral(".....hhhhhhhhhh|..........|..........|.................|..........||.....");
        QTest::newRow("single-player tab, no gem goal")
            << file << 1 << 0 << 0 << spBlock + QStringLiteral("line one\n# two")
            << QStringLiteral("hhhhhhhhhh|..........|.................|..........|........|.....");
        QTest::newRow("before coloured heads and comments")
            << QByteArray("[ab]\r\n# c\r\n[cd]") << 0 << 0 << 0 << mpBlock + QStringLiteral("[ab]\n# c\n[cd]")
            << QStringLiteral("hhhhhhhhhh|..........|..........|.................|..........|hhhh|ccc|hhhh");
        // The comment's "#" now starts the block's head line; the rest of the old comment keeps its colour.
        QTest::newRow("inside a comment")
            << QByteArray("# ab\r\nx") << 0 << 2 << 0 << QStringLiteral("# ") + mpBlock + QStringLiteral("ab\nx")
            << QStringLiteral("cccccccccccc|..........|..........|.................|..........|cc|.");
    }

    void insertAtTheCaretOrOverTheSelection() {
        QFETCH(QByteArray, file);
        QFETCH(int, tab);
        QFETCH(int, caret);
        QFETCH(int, selected);
        QFETCH(QString, expected);
        QFETCH(QString, colours);
        WriteAll(vorn(QStringLiteral("vorn.ini")), file.toStdString());
        WriteAll(vorn(QStringLiteral("vorn_sp.ini")), file.toStdString());
        QVERIFY(openMapEditor());
        const QString untouched = Shown(edit(1 - tab));
        ClickTab(Control<QTabWidget>(mapedit_.get(), QStringLiteral("SSTab2")), tab);
        // The preview of the current tab comes with the next pick.
        ClickItem(Control<QListWidget>(mapedit_.get(), QStringLiteral("maps")), QStringLiteral("vorn01"));
        CaretTo(edit(tab), caret);
        for (int i = 0; i < selected; ++i)
            QTest::keyClick(edit(tab), Qt::Key_Right, Qt::ShiftModifier);
        QTest::mouseClick(Control<QPushButton>(mapedit_.get(), QStringLiteral("insertmap")), Qt::LeftButton);
        QCOMPARE(Shown(edit(tab)), expected);
        QCOMPARE(ColourPattern(edit(tab)), colours);
        QCOMPARE(Shown(edit(1 - tab)), untouched);
        // The caret stays after the inserted block, with nothing selected.
        QVERIFY(!edit(tab)->textCursor().hasSelection());
    }

    void coloursOnOpening_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("colours");
        QTest::newRow("head at the first character") << QStringLiteral("[ vorn01 ]\r\nx") << QStringLiteral("hhhhhhhhhh|.");
        QTest::newRow("two heads") << QStringLiteral("[a][b]") << QStringLiteral("hhhhhh");
        QTest::newRow("nested open: outer span only") << QStringLiteral("[ a [ b ]") << QStringLiteral("hhhhhhhhh");
        QTest::newRow("heads after a nested open") << QStringLiteral("[ a [ b ]\r\n[c]")
                                                   << QStringLiteral("hhhhhhhhh|hhh");
        QTest::newRow("comment on the last line") << QStringLiteral("x\r\n# end") << QStringLiteral(".|.....");
        QTest::newRow("comment with its line break") << QStringLiteral("# end\r\nx") << QStringLiteral("ccccc|.");
        QTest::newRow("comment inside a head") << QStringLiteral("[ a # b ]\r\nx") << QStringLiteral("hhhhccccc|.");
        QTest::newRow("unclosed head") << QStringLiteral("key [ open\r\n") << QStringLiteral("..........|");
        QTest::newRow("key after comment") << QStringLiteral("max_gems 5 # five\r\n")
                                           << QStringLiteral("...........cccccc|");
    }

    void coloursOnOpening() {
        QFETCH(QString, text);
        QFETCH(QString, colours);
        WriteAll(vorn(QStringLiteral("vorn.ini")), text.toStdString());
        WriteAll(vorn(QStringLiteral("vorn_sp.ini")), text.toStdString());
        QVERIFY(openMapEditor());
        QCOMPARE(ColourPattern(edit(0)), colours);
        QCOMPARE(ColourPattern(edit(1)), colours);
        // Opening leaves nothing to undo.
        QVERIFY(!edit(0)->document()->isUndoAvailable());
    }

    void coloursAreSeenOnScreen() {
        WriteAll(vorn(QStringLiteral("vorn.ini")), "[ vorn01 ]\r\nplain text line\r\n# comment line\r\n");
        QVERIFY(openMapEditor());
        QPlainTextEdit* box = edit(0);
        const QImage shot = box->viewport()->grab().toImage();
        const auto count = [&shot](const QRectF& area, auto test) {
            int found = 0;
            const QRect rows = area.toAlignedRect().intersected(shot.rect());
            for (int y = rows.top(); y <= rows.bottom(); ++y) {
                for (int x = rows.left(); x <= rows.right(); ++x) {
                    if (test(shot.pixelColor(x, y)))
                        ++found;
                }
            }
            return found;
        };
        const auto blue = [](const QColor& c) { return c.blue() > 100 && c.red() < 80 && c.green() < 80; };
        const auto green = [](const QColor& c) { return c.green() > 60 && c.red() < 50 && c.blue() < 50; };
        // Each line's rows across the whole box, found from where the caret stands on it.
        QTextBlock block = box->document()->begin();
        QRectF lines[3];
        for (QRectF& line : lines) {
            const QRect caret = box->cursorRect(QTextCursor(block));
            line = QRectF(0, caret.top(), shot.width(), caret.height());
            block = block.next();
        }
        QVERIFY(count(lines[0], blue) > 0);
        QCOMPARE(count(lines[0], green), 0);
        QCOMPARE(count(lines[1], blue), 0);
        QCOMPARE(count(lines[1], green), 0);
        QVERIFY(count(lines[2], green) > 0);
        QCOMPARE(count(lines[2], blue), 0);
    }

    void coloursAreOnlyAdded() {
        WriteAll(vorn(QStringLiteral("vorn.ini")), "[ab]\r\n# c\r\n");
        QVERIFY(openMapEditor());
        auto* tabs = Control<QTabWidget>(mapedit_.get(), QStringLiteral("SSTab2"));
        QCOMPARE(ColourPattern(edit(0)), QStringLiteral("hhhh|ccc|"));
        // Text that no longer forms a head or a comment keeps its colour through the passes.
        CaretTo(edit(0), 3);
        QTest::keyClick(edit(0), Qt::Key_Delete); // the "]"
        CaretTo(edit(0), 4);
        QTest::keyClick(edit(0), Qt::Key_Delete); // the "#"
        QTest::keyClick(edit(0), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(edit(0), QStringLiteral("z"));
        QCOMPARE(Shown(edit(0)), QStringLiteral("[ab\n c\nz"));
        ClickTab(tabs, 1);
        QCOMPARE(ColourPattern(edit(0)), QStringLiteral("hhh|cc|k"));
        // A "]" at the end closes the first "[": the head runs over the lines and covers the old comment.
        ClickTab(tabs, 0);
        QTest::keyClick(edit(0), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(edit(0), QStringLiteral("]"));
        QCOMPARE(ColourPattern(edit(0)), QStringLiteral("hhh|cc|kk"));
        ClickTab(tabs, 1);
        QCOMPARE(ColourPattern(edit(0)), QStringLiteral("hhh|hh|hh"));
    }

    void typingColour() {
        WriteAll(vorn(QStringLiteral("vorn.ini")), "x\r\n");
        QVERIFY(openMapEditor());
        QPlainTextEdit* box = edit(0);
        QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(box, QStringLiteral("[ vorn05 ]"));
        QCOMPARE(Shown(box), QStringLiteral("x\n[ vorn05 ]"));
        // The whole head from "[" to "]" is dark blue, the "]" taking the colour before it.
        QCOMPARE(ColourPattern(box), QStringLiteral(".|hhhhhhhhhh"));
        QTest::keyClicks(box, QStringLiteral("ok"));
        QCOMPARE(ColourPattern(box), QStringLiteral(".|hhhhhhhhhhkk"));
        QCOMPARE(box->textCursor().position(), 14);

        // A "]" typed before the remembered "[" colours nothing.
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClicks(box, QStringLiteral("ab["));
        QTest::keyClick(box, Qt::Key_Home);
        QTest::keyClicks(box, QStringLiteral("]"));
        QCOMPARE(Shown(box), QStringLiteral("x\n[ vorn05 ]ok\n]ab["));
        QCOMPARE(ColourPattern(box), QStringLiteral(".|hhhhhhhhhhkk|kkkk"));
        // A "]" without an open "[" changes nothing either.
        QTest::keyClick(box, Qt::Key_End);
        QTest::keyClicks(box, QStringLiteral("]"));
        QCOMPARE(ColourPattern(box), QStringLiteral(".|hhhhhhhhhhkk|kkkkk"));

        // The "]" closing a head goes in at the caret: a selection is dropped, not replaced.
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClicks(box, QStringLiteral("[xy"));
        QTest::keyClick(box, Qt::Key_Left, Qt::ShiftModifier);
        QTest::keyClicks(box, QStringLiteral("]"));
        QCOMPARE(Shown(box), QStringLiteral("x\n[ vorn05 ]ok\n]ab[]\n[x]y"));
        QCOMPARE(ColourPattern(box), QStringLiteral(".|hhhhhhhhhhkk|kkkkk|hhhk"));
        QVERIFY(!box->textCursor().hasSelection());
    }

    void shortcutsKeepTheColours() {
        WriteAll(vorn(QStringLiteral("vorn.ini")), "[ab]\r\n# c\r\n");
        QVERIFY(openMapEditor());
        edit(0)->setFocus();
        QTest::keyClick(edit(0), Qt::Key_A, Qt::ControlModifier);
        QVERIFY(edit(0)->textCursor().hasSelection());
        QTest::keyClick(edit(0), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(ColourPattern(edit(0)), QStringLiteral("hhhh|ccc|"));
    }

    void headTypedOverTheOtherTabColoursNothing() {
        WriteAll(vorn(QStringLiteral("vorn_sp.ini")), "0123456789");
        QVERIFY(openMapEditor());
        ClickTab(Control<QTabWidget>(mapedit_.get(), QStringLiteral("SSTab2")), 1);
        CaretTo(edit(1), 8);
        QTest::keyClicks(edit(1), QStringLiteral("["));
        ClickTab(Control<QTabWidget>(mapedit_.get(), QStringLiteral("SSTab2")), 0);
        edit(0)->setFocus();
        QTest::keyClicks(edit(0), QStringLiteral("ab]"));
        QCOMPARE(Shown(edit(0)), QStringLiteral("ab]"));
        QVERIFY(!ColourPattern(edit(0)).contains(QLatin1Char('h')));
    }

    void saveWritesBothFilesWithLineEnds() {
        const std::string multi = EveryByteButLineBreaks() + "\r\n[ vorn01 ]\r\n";
        const std::string single = "# only\r\nmax_gems 3";
        WriteAll(vorn(QStringLiteral("vorn.ini")), multi);
        WriteAll(vorn(QStringLiteral("vorn_sp.ini")), single);
        QVERIFY(openMapEditor());
        QTest::mouseClick(Control<QPushButton>(mapedit_.get(), QStringLiteral("butsave")), Qt::LeftButton);
        QCOMPARE(ReadAll(vorn(QStringLiteral("vorn.ini"))), QByteArray::fromStdString(multi + "\r\n"));
        QCOMPARE(ReadAll(vorn(QStringLiteral("vorn_sp.ini"))), QByteArray::fromStdString(single + "\r\n"));
        QVERIFY(mapedit_->isVisible());
        QVERIFY(boxes_.shown.isEmpty());

        // Edits reach the file with CR LF line breaks; the access key saves too.
        QTest::keyClick(edit(0), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(edit(0), QStringLiteral("a"));
        QTest::keyClick(edit(0), Qt::Key_Return);
        QTest::keyClicks(edit(0), QStringLiteral("b"));
        QVERIFY(Shown(edit(0)).endsWith(QStringLiteral("[ vorn01 ]\na\nb")));
        QVERIFY(QTest::qWaitForWindowActive(mapedit_.get()));
        // The access key presses the button the way a click does, a moment later.
        QTest::keyClick(mapedit_.get(), Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE_WITH_TIMEOUT(ReadAll(vorn(QStringLiteral("vorn.ini"))),
                                  QByteArray::fromStdString(multi + "a\r\nb\r\n"), kTimeoutMs);
        QCOMPARE(ReadAll(vorn(QStringLiteral("vorn_sp.ini"))), QByteArray::fromStdString(single + "\r\n"));
    }

    void failedSaveKeepsTheWindowAndText() {
        WriteAll(vorn(QStringLiteral("vorn.ini")), "[ keep ]\r\n");
        QVERIFY(openMapEditor());
        QTest::keyClick(edit(0), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(edit(0), QStringLiteral("typed"));
        QVERIFY(QFile::remove(vorn(QStringLiteral("vorn.ini"))));
        QVERIFY(QDir().mkpath(vorn(QStringLiteral("vorn.ini"))));
        QTest::mouseClick(Control<QPushButton>(mapedit_.get(), QStringLiteral("butsave")), Qt::LeftButton);
        QCOMPARE(boxes_.shown.size(), 1);
        QCOMPARE(boxes_.shown.first().title, QStringLiteral("Warning!"));
        QVERIFY2(boxes_.shown.first().text.contains(native(vorn(QStringLiteral("vorn.ini"))) + QStringLiteral(": ")),
                 qPrintable(boxes_.shown.first().text));
        QVERIFY(mapedit_->isVisible());
        QCOMPARE(Shown(edit(0)), QStringLiteral("[ keep ]\ntyped"));
        QVERIFY(QFileInfo(vorn(QStringLiteral("vorn.ini"))).isDir());
        // The other file is written all the same.
        QCOMPARE(ReadAll(vorn(QStringLiteral("vorn_sp.ini"))), QByteArrayLiteral("\r\n"));
    }

    void exitAndCloseBoxDiscard_data() {
        QTest::addColumn<bool>("byButton");
        QTest::newRow("Exit") << true;
        QTest::newRow("close box") << false;
    }

    void exitAndCloseBoxDiscard() {
        QFETCH(bool, byButton);
        WriteAll(vorn(QStringLiteral("vorn.ini")), "[ old ]\r\n");
        QVERIFY(openMapEditor());
        QSignalSpy closed(mapedit_.get(), &trel::mapedit::closed);
        QTest::keyClicks(edit(0), QStringLiteral("unsaved"));
        if (byButton)
            QTest::mouseClick(Control<QPushButton>(mapedit_.get(), QStringLiteral("butexit")), Qt::LeftButton);
        else
            QVERIFY(mapedit_->close());
        QCOMPARE(closed.count(), 1);
        QVERIFY(!mapedit_->isVisible());
        QCOMPARE(ReadAll(vorn(QStringLiteral("vorn.ini"))), QByteArrayLiteral("[ old ]\r\n"));
        QVERIFY(boxes_.shown.isEmpty());
    }

    void secondRequestBringsForwardWithoutReloading() {
        WriteAll(vorn(QStringLiteral("vorn.ini")), "first\r\n");
        QVERIFY(openMapEditor());
        QTest::keyClicks(edit(0), QStringLiteral("typed "));
        Control<QTabWidget>(mapedit_.get(), QStringLiteral("SSTab2"))->setCurrentIndex(1);
        WriteAll(vorn(QStringLiteral("vorn.ini")), "changed on disk\r\n");
        mapedit_->showMinimized();
        mapedit_->bringForward();
        QTRY_VERIFY_WITH_TIMEOUT(!mapedit_->isMinimized(), kTimeoutMs);
        QVERIFY(mapedit_->isVisible());
        QCOMPARE(Shown(edit(0)), QStringLiteral("typed first\n"));
        QCOMPARE(Control<QTabWidget>(mapedit_.get(), QStringLiteral("SSTab2"))->currentIndex(), 1);
        QCOMPARE(Control<QListWidget>(mapedit_.get(), QStringLiteral("maps"))->count(), 5);
    }

    void fourMebibyteFileOpensEditsAndSaves() {
        const std::string text = TypicalMapDetails(4u << 20);
        WriteAll(vorn(QStringLiteral("vorn.ini")), text);
        QVERIFY(openMapEditor());
        QPlainTextEdit* box = edit(0);
        // Line breaks are one character on screen.
        const qsizetype lines = static_cast<qsizetype>(std::count(text.begin(), text.end(), '\n'));
        QCOMPARE(Shown(box).size(), static_cast<qsizetype>(text.size()) - lines);
        // The last block: its comment line, the head, three key lines, a key with a comment, an empty line.
        const QString lastBlock = QStringLiteral("c|hhhhhhhhhh|..........|...........|.................|"
                                                 "...........cccccc||");
        QVERIFY(ColourPattern(box).endsWith(lastBlock));
        QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(box, QStringLiteral("[ end ]"));
        QVERIFY(ColourPattern(box).endsWith(lastBlock + QStringLiteral("hhhhhhh")));
        QTest::mouseClick(Control<QPushButton>(mapedit_.get(), QStringLiteral("insertmap")), Qt::LeftButton);
        QVERIFY(ColourPattern(box).endsWith(lastBlock + QStringLiteral("hhhhhhhhhhhhhhhhh|..........|..........|"
                                                                       ".................|..........|")));
        QTest::mouseClick(Control<QPushButton>(mapedit_.get(), QStringLiteral("butsave")), Qt::LeftButton);
        QVERIFY(boxes_.shown.isEmpty());
        QCOMPARE(ReadAll(vorn(QStringLiteral("vorn.ini"))), QByteArray::fromStdString(text + "[ end ][ vorn01 ]\r\ngametype 3\r\ngem_goal 0\r\nvorn_timelimit 20\r\nmax_gems 0\r\n\r\n"));
    }

    // ----------------------------------------------------------------------------------------------
    // The map cycle editor

    void mapCycleStartsWithTheStandardMaps() {
        mapcycle_ = std::make_unique<trel::mapcycle>(shared_, boxes_);
        mapcycle_->open();
        QVERIFY(QTest::qWaitForWindowExposed(mapcycle_.get()));
        QCOMPARE(mapcycle_->windowTitle(), QStringLiteral("Edit Map Cycle.."));
        const QStringList standard(std::begin(kStandardMaps), std::end(kStandardMaps));
        QCOMPARE(Entries(Control<QListWidget>(mapcycle_.get(), QStringLiteral("maps"))), standard);
        QCOMPARE(Entries(Control<QListWidget>(mapcycle_.get(), QStringLiteral("newmaps"))), standard);
        QCOMPARE(Control<QLabel>(mapcycle_.get(), QStringLiteral("Label1"))->text(), QStringLiteral("Available Maps:"));
        QCOMPARE(Control<QLabel>(mapcycle_.get(), QStringLiteral("Label2"))->text(), QStringLiteral("MapCycle:"));
        QCOMPARE(Control<QPushButton>(mapcycle_.get(), QStringLiteral("butaddmap"))->text(), QStringLiteral(">"));
        QCOMPARE(Control<QPushButton>(mapcycle_.get(), QStringLiteral("butremmap"))->text(), QStringLiteral("<"));
        QCOMPARE(Control<QPushButton>(mapcycle_.get(), QStringLiteral("Command1"))->text(), QStringLiteral("Cancel"));
        QCOMPARE(Control<QPushButton>(mapcycle_.get(), QStringLiteral("butok"))->text(), QStringLiteral("Ok"));
    }

    void mapCycleListsAndOk_data() {
        QTest::addColumn<QStringList>("steps"); // "+name" picks name and presses ">", "-name" picks in the
                                                // cycle and presses "<", "+" and "-" press with no pick
        QTest::addColumn<QStringList>("cycle");
        QTest::newRow("Ok at once") << QStringList{}
                                    << QStringList{"vorn01", "vorn02", "vorn03", "vorn04", "vorn_sp01"};
        QTest::newRow("remove and add again moves to the end")
            << QStringList{"-vorn02", "+vorn02"} << QStringList{"vorn01", "vorn03", "vorn04", "vorn_sp01", "vorn02"};
        QTest::newRow("added twice") << QStringList{"+vorn03", "+vorn03"}
                                     << QStringList{"vorn01", "vorn02", "vorn03", "vorn04", "vorn_sp01", "vorn03",
                                                    "vorn03"};
        QTest::newRow("nothing picked does nothing") << QStringList{"+", "-"}
                                                     << QStringList{"vorn01", "vorn02", "vorn03", "vorn04",
                                                                    "vorn_sp01"};
        QTest::newRow("all removed")
            << QStringList{"-vorn01", "-vorn02", "-vorn03", "-vorn04", "-vorn_sp01", "-"} << QStringList{};
    }

    void mapCycleListsAndOk() {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, cycle);
        const std::string old = "[ vorn01 ]\r\ngametype 2\r\ngem_goal 4\r\n" + EveryByteButLineBreaks();
        WriteAll(vorn(QStringLiteral("vorn.ini")), old);
        mapcycle_ = std::make_unique<trel::mapcycle>(shared_, boxes_);
        mapcycle_->open();
        QVERIFY(QTest::qWaitForWindowExposed(mapcycle_.get()));
        QSignalSpy closed(mapcycle_.get(), &trel::mapcycle::closed);
        auto* maps = Control<QListWidget>(mapcycle_.get(), QStringLiteral("maps"));
        auto* newmaps = Control<QListWidget>(mapcycle_.get(), QStringLiteral("newmaps"));
        for (const QString& step : steps) {
            const QString name = step.mid(1);
            QListWidget* list = step.startsWith(QLatin1Char('+')) ? maps : newmaps;
            if (name.isEmpty())
                list->clearSelection();
            else
                ClickItem(list, name);
            QTest::mouseClick(Control<QPushButton>(mapcycle_.get(), step.startsWith(QLatin1Char('+'))
                                                                         ? QStringLiteral("butaddmap")
                                                                         : QStringLiteral("butremmap")),
                              Qt::LeftButton);
            if (list == newmaps) {
                QVERIFY(newmaps->selectedItems().isEmpty());
            }
        }
        QCOMPARE(Entries(newmaps), cycle);
        QTest::mouseClick(Control<QPushButton>(mapcycle_.get(), QStringLiteral("butok")), Qt::LeftButton);
        QCOMPARE(closed.count(), 1);
        QVERIFY(!mapcycle_->isVisible());
        std::string expected = kCycleHeader;
        for (const QString& map : cycle)
            expected += "[" + map.toStdString() + "]\r\n";
        expected += kCycleFooter;
        QCOMPARE(ReadAll(vorn(QStringLiteral("vorn.ini"))), QByteArray::fromStdString(expected));
        QCOMPARE(ReadAll(vorn(QStringLiteral("vorn.bak"))), QByteArray::fromStdString(old));
    }

    void mapCycleCancelAndCloseBoxWriteNothing_data() {
        QTest::addColumn<bool>("byButton");
        QTest::newRow("Cancel") << true;
        QTest::newRow("close box") << false;
    }

    void mapCycleCancelAndCloseBoxWriteNothing() {
        QFETCH(bool, byButton);
        WriteAll(vorn(QStringLiteral("vorn.ini")), "[ mine ]\r\n");
        WriteAll(vorn(QStringLiteral("vorn.bak")), "older");
        mapcycle_ = std::make_unique<trel::mapcycle>(shared_, boxes_);
        mapcycle_->open();
        QSignalSpy closed(mapcycle_.get(), &trel::mapcycle::closed);
        ClickItem(Control<QListWidget>(mapcycle_.get(), QStringLiteral("maps")), QStringLiteral("vorn04"));
        QTest::mouseClick(Control<QPushButton>(mapcycle_.get(), QStringLiteral("butaddmap")), Qt::LeftButton);
        if (byButton)
            QTest::mouseClick(Control<QPushButton>(mapcycle_.get(), QStringLiteral("Command1")), Qt::LeftButton);
        else
            QVERIFY(mapcycle_->close());
        QCOMPARE(closed.count(), 1);
        QCOMPARE(ReadAll(vorn(QStringLiteral("vorn.ini"))), QByteArrayLiteral("[ mine ]\r\n"));
        QCOMPARE(ReadAll(vorn(QStringLiteral("vorn.bak"))), QByteArrayLiteral("older"));
        QCOMPARE(QDir(vorn()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList{"vorn.bak", "vorn.ini"}));
    }

    void mapCycleFailedWriteKeepsWindowAndOldFile() {
        WriteAll(vorn(QStringLiteral("vorn.ini")), "[ precious ]\r\n");
        QVERIFY(QDir().mkpath(vorn(QStringLiteral("vorn.bak"))));
        mapcycle_ = std::make_unique<trel::mapcycle>(shared_, boxes_);
        mapcycle_->open();
        QSignalSpy closed(mapcycle_.get(), &trel::mapcycle::closed);
        QTest::mouseClick(Control<QPushButton>(mapcycle_.get(), QStringLiteral("butok")), Qt::LeftButton);
        QCOMPARE(boxes_.shown.size(), 1);
        QCOMPARE(boxes_.shown.first().title, QStringLiteral("Warning!"));
        QVERIFY2(boxes_.shown.first().text.contains(native(vorn(QStringLiteral("vorn.bak"))) + QStringLiteral(": ")),
                 qPrintable(boxes_.shown.first().text));
        QCOMPARE(closed.count(), 0);
        QVERIFY(mapcycle_->isVisible());
        QCOMPARE(ReadAll(vorn(QStringLiteral("vorn.ini"))), QByteArrayLiteral("[ precious ]\r\n"));
        QCOMPARE(Entries(Control<QListWidget>(mapcycle_.get(), QStringLiteral("newmaps"))).size(), 5);

        // Once the obstacle is gone, Ok goes through.
        QVERIFY(QDir(vorn(QStringLiteral("vorn.bak"))).removeRecursively());
        QTest::mouseClick(Control<QPushButton>(mapcycle_.get(), QStringLiteral("butok")), Qt::LeftButton);
        QCOMPARE(closed.count(), 1);
        QCOMPARE(ReadAll(vorn(QStringLiteral("vorn.bak"))), QByteArrayLiteral("[ precious ]\r\n"));
    }

    // ----------------------------------------------------------------------------------------------
    // The message-of-the-day editor

    void motdRoundTrip_data() {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("saved");
        const std::string all = EveryByteButLineBreaks();
        const QByteArray allBytes(all.data(), static_cast<qsizetype>(all.size()));
        QTest::newRow("missing file") << false << QByteArray() << QString() << QByteArray("\r\n");
        QTest::newRow("empty file") << true << QByteArray() << QString() << QByteArray("\r\n");
        QTest::newRow("one line saved unchanged") << true << QByteArray("Welcome\r\n") << QString()
                                                  << QByteArray("Welcome\r\n\r\n");
        QTest::newRow("every byte") << true << allBytes + "\r\nsecond" << QString() << allBytes + "\r\nsecond\r\n";
        QTest::newRow("typed without line break") << false << QByteArray() << QStringLiteral("hello")
                                                  << QByteArray("hello\r\n");
    }

    void motdRoundTrip() {
        QFETCH(bool, exists);
        QFETCH(QByteArray, content);
        QFETCH(QString, typed);
        QFETCH(QByteArray, saved);
        const QString file = vorn(QStringLiteral("motd.txt"));
        if (exists)
            WriteAll(file, content.toStdString());
        motd_ = std::make_unique<trel::MOTD>(shared_, boxes_);
        QVERIFY(motd_->open());
        QVERIFY(QTest::qWaitForWindowExposed(motd_.get()));
        QCOMPARE(motd_->windowTitle(), QStringLiteral("Message of the day"));
        auto* box = Control<QPlainTextEdit>(motd_.get(), QStringLiteral("EditWindow"));
        QCOMPARE(QFileInfo::exists(file), exists); // opening creates nothing
        QCOMPARE(Shown(box), QString::fromLatin1(content).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        QTest::keyClicks(box, typed);
        QTest::mouseClick(Control<QPushButton>(motd_.get(), QStringLiteral("Command2")), Qt::LeftButton);
        QCOMPARE(ReadAll(file), saved);
        QVERIFY(motd_->isVisible());
        QVERIFY(boxes_.shown.isEmpty());
    }

    void motdLooksLikeTheGame() {
        motd_ = std::make_unique<trel::MOTD>(shared_, boxes_);
        QVERIFY(motd_->open());
        auto* box = Control<QPlainTextEdit>(motd_.get(), QStringLiteral("EditWindow"));
        // Every character takes the same width.
        const QFontMetrics metrics(box->font());
        for (const QString& sample : {QStringLiteral("iiii"), QStringLiteral("...."), QStringLiteral("MMMM")})
            QCOMPARE(metrics.horizontalAdvance(sample), metrics.horizontalAdvance(QStringLiteral("WWWW")));
        QCOMPARE(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        auto* save = Control<QPushButton>(motd_.get(), QStringLiteral("Command2"));
        auto* exit = Control<QPushButton>(motd_.get(), QStringLiteral("Command1"));
        QCOMPARE(save->text(), QStringLiteral("Save"));
        QCOMPARE(exit->text(), QStringLiteral("Exit"));
        QVERIFY(save->x() < exit->x());
        QVERIFY(box->geometry().bottom() < save->y());
        QVERIFY(box->width() >= motd_->width() - 1);
    }

    void motdUnreadableIsNotOpened() {
        QVERIFY(QDir().mkpath(vorn(QStringLiteral("motd.txt"))));
        motd_ = std::make_unique<trel::MOTD>(shared_, boxes_);
        QVERIFY(!motd_->open());
        QVERIFY(!motd_->isVisible());
        QCOMPARE(boxes_.shown.size(), 1);
        QCOMPARE(boxes_.shown.first().title, QStringLiteral("Warning!"));
        QVERIFY(boxes_.shown.first().text.contains(native(vorn(QStringLiteral("motd.txt"))) + QStringLiteral(": ")));
        QVERIFY(QFileInfo(vorn(QStringLiteral("motd.txt"))).isDir());
    }

    void motdFailedSaveKeepsWindowAndText() {
        motd_ = std::make_unique<trel::MOTD>(shared_, boxes_);
        QVERIFY(motd_->open());
        auto* box = Control<QPlainTextEdit>(motd_.get(), QStringLiteral("EditWindow"));
        QTest::keyClicks(box, QStringLiteral("news"));
        // The modification folder is gone and a file stands in its place.
        QVERIFY(QDir(vorn()).removeRecursively());
        WriteAll(vorn(), "file");
        QTest::mouseClick(Control<QPushButton>(motd_.get(), QStringLiteral("Command2")), Qt::LeftButton);
        QCOMPARE(boxes_.shown.size(), 1);
        QVERIFY2(boxes_.shown.first().text.contains(native(vorn(QStringLiteral("motd.txt"))) + QStringLiteral(": ")),
                 qPrintable(boxes_.shown.first().text));
        QVERIFY(motd_->isVisible());
        QCOMPARE(Shown(box), QStringLiteral("news"));
        QCOMPARE(ReadAll(vorn()), QByteArrayLiteral("file"));
    }

    void motdExitAndCloseBoxDiscard_data() {
        QTest::addColumn<bool>("byButton");
        QTest::newRow("Exit") << true;
        QTest::newRow("close box") << false;
    }

    void motdExitAndCloseBoxDiscard() {
        QFETCH(bool, byButton);
        WriteAll(vorn(QStringLiteral("motd.txt")), "old\r\n");
        motd_ = std::make_unique<trel::MOTD>(shared_, boxes_);
        QVERIFY(motd_->open());
        QSignalSpy closed(motd_.get(), &trel::MOTD::closed);
        QTest::keyClicks(Control<QPlainTextEdit>(motd_.get(), QStringLiteral("EditWindow")), QStringLiteral("new"));
        if (byButton)
            QTest::mouseClick(Control<QPushButton>(motd_.get(), QStringLiteral("Command1")), Qt::LeftButton);
        else
            QVERIFY(motd_->close());
        QCOMPARE(closed.count(), 1);
        QVERIFY(!motd_->isVisible());
        QCOMPARE(ReadAll(vorn(QStringLiteral("motd.txt"))), QByteArrayLiteral("old\r\n"));
    }
};

QTEST_MAIN(TestEditors)
#include "test_editors.moc"
