// The three server-file editors driven as a user drives them: the map-details editor with its tabs,
// generator, insert, typing colour and save; the map cycle editor's lists and its Ok and Cancel; the
// message-of-the-day editor's round trip. Files are checked byte for byte.

#include "MOTD.h"
#include "mapcycle.h"
#include "mapedit.h"
#include "mdlmapeditcode.h"
#include "seams/MessageBoxes.h"
#include "ui_test_support.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
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

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using trel::test::ReadAll;
using trel::test::WriteAll;

namespace {

constexpr int kTimeoutMs = 20000;

// Every byte but the line breaks, as a user's file may hold them.
QByteArray EveryByteButLineBreaks() {
    QByteArray bytes;
    for (int b = 0; b < 256; ++b)
        bytes += static_cast<char>(b);
    return bytes.removeIf([](char c) { return c == '\r' || c == '\n'; });
}

// The text a box shows, line breaks as "\n", every character as its byte.
QString Shown(const QPlainTextEdit* box) {
    return box->document()->toRawText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
}

// The colour of every character on screen: 'h' the head colour, 'c' the comment colour, 'k' another
// colour set on it, '.' the box's own text colour; '|' stands for a line break.
QString ColourPattern(const QPlainTextEdit* box) {
    QString pattern;
    for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next()) {
        if (block != box->document()->begin())
            pattern += QLatin1Char('|');
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            const QColor colour = format.foreground().color();
            const char letter = !format.hasProperty(QTextFormat::ForegroundBrush) ? '.'
                                : colour == QColor(0, 0, 160)                     ? 'h'
                                : colour == QColor(0, 100, 0)                     ? 'c'
                                                                                  : 'k';
            pattern += QString(it.fragment().length(), QLatin1Char(letter));
        }
    }
    return pattern;
}

void Click(QWidget* button) {
    QTest::mouseClick(button, Qt::LeftButton);
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
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, Qt::NoModifier, tabs->tabBar()->tabRect(index).center());
}

// Puts the caret of box at position by keyboard, as a user would: to the start, then right.
void CaretTo(QPlainTextEdit* box, int position) {
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Home, Qt::ControlModifier);
    for (int i = 0; i < position; ++i)
        QTest::keyClick(box, Qt::Key_Right);
}

const QStringList kStandardMaps = {"vorn01", "vorn02", "vorn03", "vorn04", "vorn_sp01"};

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
    // The box shows one warning naming file (as the user sees the path) and a reason.
    void verifyWarningNames(const QString& file) const {
        QCOMPARE(boxes_.shown.size(), 1);
        QCOMPARE(boxes_.shown.first().title, QStringLiteral("Warning!"));
        QVERIFY2(boxes_.shown.first().text.contains(QDir::toNativeSeparators(vorn(file)) + QStringLiteral(": ")),
                 qPrintable(boxes_.shown.first().text));
    }
    bool openMapEditor() {
        mapedit_ = std::make_unique<trel::mapedit>(
            shared_, [this] { return serverini_; }, boxes_);
        return mapedit_->open() && QTest::qWaitForWindowExposed(mapedit_.get());
    }
    bool openMotd() {
        motd_ = std::make_unique<trel::MOTD>(shared_, boxes_);
        return motd_->open() && QTest::qWaitForWindowExposed(motd_.get());
    }
    // The map-details editor's multiplayer box, or the message-of-the-day editor's box.
    QPlainTextEdit* box(bool motd) const { return motd ? motd_->EditWindow : mapedit_->EditWindow[0]; }
    QWidget* window(bool motd) const { return motd ? static_cast<QWidget*>(motd_.get()) : mapedit_.get(); }
    QString preview() const { return Shown(mapedit_->sample); }
    QPlainTextEdit* edit(int index) const { return mapedit_->EditWindow[static_cast<std::size_t>(index)]; }
    void openMapCycle() {
        mapcycle_ = std::make_unique<trel::mapcycle>(shared_, boxes_);
        mapcycle_->open();
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

    void opensWithOrWithoutFiles_data() {
        QTest::addColumn<QString>("serverini");
        QTest::addColumn<QString>("multiplayerName");
        QTest::addColumn<bool>("files"); // else both are created empty
        // clang-format off
        QTest::newRow("no files") << "" << "vorn.ini" << false;
        QTest::newRow("files, empty box edits vorn.ini") << "" << "vorn.ini" << true;
        QTest::newRow("files, custom file") << "custom.ini" << "custom.ini" << true;
        // clang-format on
    }
    void opensWithOrWithoutFiles() {
        QFETCH(QString, serverini);
        QFETCH(QString, multiplayerName);
        QFETCH(bool, files);
        serverini_ = serverini.toStdString();
        const QByteArray multi = files ? "[ vorn02 ]\r\ngametype 1\r\n" : "";
        const QByteArray single = files ? "# single\r\n[ vorn_sp01 ]\r\nmax_gems 4" : "";
        if (files)
            QVERIFY(WriteAll(vorn(multiplayerName), multi) && WriteAll(vorn("vorn_sp.ini"), single) &&
                    WriteAll(vorn("other.ini"), "not this one"));
        QVERIFY(openMapEditor());
        QCOMPARE(ReadAll(vorn(multiplayerName)), multi);
        QCOMPARE(QFileInfo(vorn("vorn_sp.ini")).size(), single.size());
        QCOMPARE(Shown(edit(0)), QString::fromLatin1(multi).replace("\r\n", "\n"));
        QCOMPARE(Shown(edit(1)), QString::fromLatin1(single).replace("\r\n", "\n"));
        QCOMPARE(mapedit_->mapedithelp->text(), "Editing - " + QDir::toNativeSeparators(vorn(multiplayerName)));
        QCOMPARE(preview(), QStringLiteral("[ vorn01 ]\ngametype 3\ngem_goal 0\nvorn_timelimit 20\nmax_gems 0\n"));
        QCOMPARE(Entries(mapedit_->maps), kStandardMaps);
        QVERIFY(boxes_.shown.isEmpty());
    }

    void unreadableFileIsReportedAndNotOpened_data() {
        QTest::addColumn<bool>("motd");
        QTest::addColumn<QString>("blocked"); // made a folder; the modification folder ("") made a file
        QTest::addColumn<QString>("reported");
        // clang-format off
        QTest::newRow("multiplayer file a folder") << false << "vorn.ini" << "vorn.ini";
        QTest::newRow("single-player file a folder") << false << "vorn_sp.ini" << "vorn_sp.ini";
        QTest::newRow("modification folder a file") << false << "" << "vorn.ini";
        QTest::newRow("message file a folder") << true << "motd.txt" << "motd.txt";
        // clang-format on
    }
    void unreadableFileIsReportedAndNotOpened() {
        QFETCH(bool, motd);
        QFETCH(QString, blocked);
        QFETCH(QString, reported);
        if (blocked.isEmpty())
            QVERIFY(QDir(vorn()).removeRecursively() && WriteAll(vorn(), "a file"));
        else
            QVERIFY(QDir().mkpath(vorn(blocked)));
        QVERIFY(motd ? !openMotd() : !openMapEditor());
        QVERIFY(!window(motd)->isVisible());
        verifyWarningNames(reported);
        QCOMPARE(QFileInfo(vorn(blocked)).isDir(), !blocked.isEmpty()); // left as it was
    }

    void serverIniStaysInVorn_data() {
        QTest::addColumn<QString>("serverini"); // "outside" stands for an absolute path beside the Quake 2 folder
        QTest::addColumn<bool>("opens");
        QTest::newRow("absolute") << "outside" << false;
        QTest::newRow("step up") << "..\\x.ini" << false;
        QTest::newRow("drive") << "C:x.ini" << false;
        QTest::newRow("subfolder") << "sub/x.ini" << false;
        QTest::newRow("plain name") << "server.ini" << true;
    }
    void serverIniStaysInVorn() {
        QFETCH(QString, serverini);
        QFETCH(bool, opens);
        const QString outside = dir_->filePath(QStringLiteral("outside.ini"));
        serverini_ = QFile::encodeName(serverini == QLatin1String("outside") ? outside : serverini).toStdString();
        QCOMPARE(openMapEditor(), opens);
        const QStringList made = QDir(dir_->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot) +
                                 QDir(vorn()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        if (opens) {
            QVERIFY(boxes_.shown.isEmpty());
            QCOMPARE(made, (QStringList{"quake 2", "server.ini", "vorn_sp.ini"}));
            return;
        }
        QCOMPARE(boxes_.texts().size(), 1);
        QVERIFY2(boxes_.texts().first().contains(QStringLiteral("vorn folder")), qPrintable(boxes_.texts().first()));
        QCOMPARE(made, QStringList{"quake 2"}); // nothing created, inside vorn or out
    }

    void tabSwitchingFollowsTheTab() {
        QVERIFY(openMapEditor());
        trel::mapedit& w = *mapedit_;
        ClickTab(w.SSTab1, 1);
        ClickTab(w.SSTab2, 1);
        QCOMPARE(w.mapedithelp->text(), "Editing - " + QDir::toNativeSeparators(vorn("vorn_sp.ini")));
        QVERIFY(!w.varmapgametype->isVisible() && !w.valgemgoal->isVisible() && w.Label7->isVisible());
        QVERIFY(preview().contains(QStringLiteral("gem_goal 0\n"))); // kept until the next pick drops it
        ClickTab(w.SSTab1, 0);
        ClickItem(w.maps, QStringLiteral("vorn_sp01"));
        QCOMPARE(preview(), QStringLiteral("[ vorn_sp01 ]\ngametype 3\nvorn_timelimit 20\nmax_gems 0\n"));
        // Back on the multiplayer tab the heading names what the main window's box names now; the file
        // edited is still the one opened.
        serverini_ = "changed.ini";
        ClickTab(w.SSTab2, 0);
        QCOMPARE(w.mapedithelp->text(), "Editing - " + QDir::toNativeSeparators(vorn("changed.ini")));
        QVERIFY(w.varmapgametype->isVisible());
        ClickItem(w.maps, QStringLiteral("vorn02"));
        QCOMPARE(preview(), QStringLiteral("[ vorn02 ]\ngametype 3\ngem_goal 0\nvorn_timelimit 20\nmax_gems 0\n"));
        QCOMPARE(w.files()[0].filename(), std::filesystem::path("vorn.ini"));
    }

    void valuesWaitForTheNextPick() {
        QVERIFY(openMapEditor());
        trel::mapedit& w = *mapedit_;
        QVERIFY(QTest::qWaitForWindowActive(&w));
        // A typed value takes digits only and shows with the next map picked, not on leaving the box.
        ClickTab(w.SSTab1, 1);
        QTest::mouseClick(w.valmaptimelimit->lineEdit(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(w.valmaptimelimit->lineEdit()->hasFocus(), kTimeoutMs);
        QTest::keyClick(w.valmaptimelimit, Qt::Key_End);
        QTest::keyClick(w.valmaptimelimit, Qt::Key_Backspace);
        QTest::keyClick(w.valmaptimelimit, Qt::Key_Backspace);
        QTest::keyClicks(w.valmaptimelimit, QStringLiteral("2x5 -"));
        QCOMPARE(w.valmaptimelimit->currentText(), QStringLiteral("25"));
        // Tab and Shift+Tab are no typing: they leave the box and come back to it.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTRY_VERIFY_WITH_TIMEOUT(!w.valmaptimelimit->lineEdit()->hasFocus(), kTimeoutMs);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QTRY_VERIFY_WITH_TIMEOUT(w.valmaptimelimit->lineEdit()->hasFocus(), kTimeoutMs);
        QCOMPARE(w.valmaptimelimit->currentText(), QStringLiteral("25"));
        QTest::keyClick(w.valmaxgems, Qt::Key_End);
        QTest::keyClick(w.valmaxgems, Qt::Key_Backspace);
        QTest::mouseClick(edit(0)->viewport(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(edit(0)->hasFocus(), kTimeoutMs);
        QCOMPARE(preview(), QStringLiteral("[ vorn01 ]\ngametype 3\ngem_goal 0\nvorn_timelimit 20\nmax_gems 0\n"));
        ClickTab(w.SSTab1, 0);
        ClickItem(w.maps, QStringLiteral("vorn03"));
        QCOMPARE(preview(), QStringLiteral("[ vorn03 ]\ngametype 3\ngem_goal 0\nvorn_timelimit 25\nmax_gems \n"));
        // No map picked: the prompt goes in.
        ClickItem(w.maps, QStringLiteral("vorn03"), Qt::ControlModifier);
        QCOMPARE(preview(), QStringLiteral("Please choose a map"));
        Click(w.insertmap);
        QCOMPARE(Shown(edit(0)), QStringLiteral("Please choose a map"));
    }

    void insertAtTheCaretOrOverTheSelection_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("tab");
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("colours");
        const QString mpBlock = QStringLiteral("[ vorn01 ]\ngametype 3\ngem_goal 0\nvorn_timelimit 20\nmax_gems 0\n");
        const QString mpColours = QStringLiteral("hhhhhhhhhh|..........|..........|.................|..........|");
        const QByteArray file = "line one\r\n# two";
        QTest::newRow("middle of a line splits it") << file << 0 << 4 << 0 << "line" + mpBlock + " one\n# two"
                                                    << "...." + mpColours + "....|.....";
        QTest::newRow("selection replaced") << file << 0 << 5 << 3 << "line " + mpBlock + "\n# two"
                                            << "....." + mpColours + "|.....";
        QTest::newRow("single-player tab, no gem goal")
            << file << 1 << 0 << 0 << "[ vorn01 ]\ngametype 3\nvorn_timelimit 20\nmax_gems 0\nline one\n# two"
            << QStringLiteral("hhhhhhhhhh|..........|.................|..........|........|.....");
    }
    void insertAtTheCaretOrOverTheSelection() {
        QFETCH(QByteArray, file);
        QFETCH(int, tab);
        QFETCH(int, caret);
        QFETCH(int, selected);
        QFETCH(QString, expected);
        QFETCH(QString, colours);
        QVERIFY(WriteAll(vorn("vorn.ini"), file) && WriteAll(vorn("vorn_sp.ini"), file));
        QVERIFY(openMapEditor());
        ClickTab(mapedit_->SSTab2, tab);
        ClickItem(mapedit_->maps, QStringLiteral("vorn01")); // the preview of the current tab comes with a pick
        CaretTo(edit(tab), caret);
        for (int i = 0; i < selected; ++i)
            QTest::keyClick(edit(tab), Qt::Key_Right, Qt::ShiftModifier);
        Click(mapedit_->insertmap);
        QCOMPARE(Shown(edit(tab)), expected);
        QCOMPARE(ColourPattern(edit(tab)), colours);
        QCOMPARE(Shown(edit(1 - tab)), QString::fromLatin1(file).replace("\r\n", "\n")); // the other tab untouched
        QVERIFY(!edit(tab)->textCursor().hasSelection());
    }

    void coloursOnOpeningAreSeenOnScreen() {
        QVERIFY(WriteAll(vorn("vorn.ini"), "[ vorn01 ]\r\nplain text line\r\n# comment line\r\n"));
        QVERIFY(WriteAll(vorn("vorn_sp.ini"), "[ a [ b ]\r\nmax_gems 5 # five\r\n[c]"));
        QVERIFY(openMapEditor());
        QCOMPARE(ColourPattern(edit(1)), QStringLiteral("hhhhhhhhh|...........cccccc|hhh"));
        QVERIFY(!edit(0)->document()->isUndoAvailable()); // opening leaves nothing to undo
        // Each line's rows across the whole box, found from where the caret stands on it.
        const QImage shot = edit(0)->viewport()->grab().toImage();
        const auto count = [&](int line, auto test) {
            const QRect caret = edit(0)->cursorRect(QTextCursor(edit(0)->document()->findBlockByNumber(line)));
            int found = 0;
            for (int y = std::max(caret.top(), 0); y <= std::min(caret.bottom(), shot.height() - 1); ++y) {
                for (int x = 0; x < shot.width(); ++x)
                    found += test(shot.pixelColor(x, y)) ? 1 : 0;
            }
            return found;
        };
        const auto blue = [](const QColor& c) { return c.blue() > 100 && c.red() < 80 && c.green() < 80; };
        const auto green = [](const QColor& c) { return c.green() > 60 && c.red() < 50 && c.blue() < 50; };
        QVERIFY(count(0, blue) > 0 && count(0, green) == 0);
        QVERIFY(count(1, blue) == 0 && count(1, green) == 0);
        QVERIFY(count(2, blue) == 0 && count(2, green) > 0);
    }

    void typingAndTabSwitchesColour() {
        QVERIFY(WriteAll(vorn("vorn.ini"), "[ab]\r\n# c\r\n"));
        QVERIFY(openMapEditor());
        QPlainTextEdit* box = edit(0);
        // Copying keeps the colours.
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(ColourPattern(box), QStringLiteral("hhhh|ccc|"));
        // A head typed is coloured from "[" to "]" at once, what follows it not.
        QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(box, QStringLiteral("[ x ]ok"));
        QCOMPARE(Shown(box), QStringLiteral("[ab]\n# c\n[ x ]ok"));
        QCOMPARE(ColourPattern(box), QStringLiteral("hhhh|ccc|hhhhhkk"));
        // A comment no more keeps its colour through the passes of a tab switch.
        CaretTo(box, 5);
        QTest::keyClick(box, Qt::Key_Delete); // the "#"
        ClickTab(mapedit_->SSTab2, 1);
        QCOMPARE(ColourPattern(box), QStringLiteral("hhhh|cc|hhhhhkk"));
    }

    void saveWritesBothFilesWithLineEnds() {
        const QByteArray multi = EveryByteButLineBreaks() + "\r\n[ vorn01 ]\r\n";
        QVERIFY(WriteAll(vorn("vorn.ini"), multi) && WriteAll(vorn("vorn_sp.ini"), "# only\r\nmax_gems 3"));
        QVERIFY(openMapEditor());
        Click(mapedit_->butsave);
        QCOMPARE(ReadAll(vorn("vorn.ini")), multi + "\r\n");
        QCOMPARE(ReadAll(vorn("vorn_sp.ini")), QByteArray("# only\r\nmax_gems 3\r\n"));
        QVERIFY(mapedit_->isVisible() && boxes_.shown.isEmpty());
        // Edits reach the file with CR LF line breaks; the access key presses the button a moment later.
        QTest::keyClick(edit(0), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(edit(0), QStringLiteral("a"));
        QTest::keyClick(edit(0), Qt::Key_Return);
        QTest::keyClicks(edit(0), QStringLiteral("b"));
        QVERIFY(QTest::qWaitForWindowActive(mapedit_.get()));
        QTest::keyClick(mapedit_.get(), Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE_WITH_TIMEOUT(ReadAll(vorn("vorn.ini")), multi + "a\r\nb\r\n", kTimeoutMs);
        // "Exit" discards what was typed since.
        QSignalSpy closed(mapedit_.get(), &trel::mapedit::closed);
        QTest::keyClicks(edit(0), QStringLiteral("unsaved"));
        Click(mapedit_->butexit);
        QCOMPARE(closed.count(), 1);
        QVERIFY(!mapedit_->isVisible());
        QCOMPARE(ReadAll(vorn("vorn.ini")), multi + "a\r\nb\r\n");
    }

    // ----------------------------------------------------------------------------------------------
    // Both text editors: map details and message of the day

    void failedSaveKeepsTheWindowAndText_data() {
        QTest::addColumn<bool>("motd");
        QTest::newRow("map details") << false;
        QTest::newRow("message of the day") << true;
    }
    void failedSaveKeepsTheWindowAndText() {
        QFETCH(bool, motd);
        QVERIFY(motd ? openMotd() : openMapEditor());
        QTest::keyClicks(box(motd), QStringLiteral("typed"));
        // The map-details file becomes a folder; for the message, the modification folder becomes a file.
        QVERIFY(motd ? QDir(vorn()).removeRecursively() && WriteAll(vorn(), "file")
                     : QFile::remove(vorn("vorn.ini")) && QDir().mkpath(vorn("vorn.ini")));
        Click(motd ? motd_->Command2 : mapedit_->butsave);
        verifyWarningNames(motd ? "motd.txt" : "vorn.ini");
        QVERIFY(window(motd)->isVisible());
        QCOMPARE(Shown(box(motd)), QStringLiteral("typed"));
        if (!motd) // the other file is written all the same
            QCOMPARE(ReadAll(vorn("vorn_sp.ini")), QByteArray("\r\n"));
    }

    void secondRequestBringsForwardWithoutReloading() {
        QVERIFY(WriteAll(vorn("vorn.ini"), "first\r\n"));
        QVERIFY(openMapEditor());
        QTest::keyClicks(edit(0), QStringLiteral("typed "));
        mapedit_->SSTab2->setCurrentIndex(1);
        QVERIFY(WriteAll(vorn("vorn.ini"), "changed on disk\r\n"));
        mapedit_->showMinimized();
        mapedit_->bringForward();
        QTRY_VERIFY_WITH_TIMEOUT(!mapedit_->isMinimized(), kTimeoutMs);
        QCOMPARE(Shown(edit(0)), QStringLiteral("typed first\n"));
        QCOMPARE(mapedit_->SSTab2->currentIndex(), 1);
        QCOMPARE(mapedit_->maps->count(), 5);
    }

    void fourMebibyteFileOpensEditsAndSaves() {
        // Typical blocks and comments, the file ending in an empty line.
        QByteArray text;
        for (int n = 0; text.size() < (4 << 20); ++n) {
            text += "# server " + QByteArray::number(n) + " ===============\r\n[ vorn0" +
                    QByteArray::number(n % 4 + 1) +
                    " ]\r\ngametype 2\r\ngem_goal 10\r\nvorn_timelimit 20\r\nmax_gems 5 # five\r\n\r\n";
        }
        QVERIFY(WriteAll(vorn("vorn.ini"), text));
        QVERIFY(openMapEditor());
        QPlainTextEdit* box = edit(0);
        QCOMPARE(Shown(box).size(), text.size() - text.count('\n')); // a line break is one character
        const QString lastBlock = QStringLiteral("c|hhhhhhhhhh|..........|...........|.................|"
                                                 "...........cccccc||");
        QVERIFY(ColourPattern(box).endsWith(lastBlock));
        QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(box, QStringLiteral("[ end ]"));
        QVERIFY(ColourPattern(box).endsWith(lastBlock + QStringLiteral("hhhhhhh")));
        Click(mapedit_->butsave);
        QVERIFY(boxes_.shown.isEmpty());
        QCOMPARE(ReadAll(vorn("vorn.ini")), text + "[ end ]\r\n");
    }

    // ----------------------------------------------------------------------------------------------
    // The map cycle editor

    void mapCycleListsAndClosing_data() {
        // "+name" picks name and presses ">", "-name" picks in the cycle and presses "<"; "+" and "-" press
        // with nothing picked. Only "Ok" writes.
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("closeBy");
        QTest::addColumn<QStringList>("cycle");
        QTest::newRow("Ok at once") << QStringList{} << "Ok" << kStandardMaps;
        QTest::newRow("remove and add again moves to the end")
            << QStringList{"-vorn02", "+vorn02"} << "Ok"
            << QStringList{"vorn01", "vorn03", "vorn04", "vorn_sp01", "vorn02"};
        QTest::newRow("nothing picked does nothing") << QStringList{"+", "-"} << "Ok" << kStandardMaps;
        QTest::newRow("all removed") << QStringList{"-vorn01", "-vorn02", "-vorn03", "-vorn04", "-vorn_sp01", "-"}
                                     << "Ok" << QStringList{};
        QTest::newRow("Cancel") << QStringList{"+vorn04"} << "Cancel" << QStringList{};
        QTest::newRow("close box") << QStringList{"+vorn04"} << "close box" << QStringList{};
    }
    void mapCycleListsAndClosing() {
        QFETCH(QStringList, steps);
        QFETCH(QString, closeBy);
        QFETCH(QStringList, cycle);
        const QByteArray old = "[ vorn01 ]\r\ngametype 2\r\n" + EveryByteButLineBreaks();
        QVERIFY(WriteAll(vorn("vorn.ini"), old) && WriteAll(vorn("vorn.bak"), "older"));
        openMapCycle();
        QVERIFY(QTest::qWaitForWindowExposed(mapcycle_.get()));
        QCOMPARE(Entries(mapcycle_->maps), kStandardMaps);
        QSignalSpy closed(mapcycle_.get(), &trel::mapcycle::closed);
        for (const QString& step : steps) {
            const bool add = step.startsWith(QLatin1Char('+'));
            QListWidget* list = add ? mapcycle_->maps : mapcycle_->newmaps;
            if (step.size() == 1)
                list->clearSelection();
            else
                ClickItem(list, step.mid(1));
            Click(add ? mapcycle_->butaddmap : mapcycle_->butremmap);
        }
        if (closeBy == "close box") {
            QVERIFY(mapcycle_->close());
        } else {
            if (closeBy == "Ok")
                QCOMPARE(Entries(mapcycle_->newmaps), cycle);
            Click(closeBy == "Ok" ? mapcycle_->butok : mapcycle_->Command1);
        }
        QCOMPARE(closed.count(), 1);
        QVERIFY(!mapcycle_->isVisible());
        std::vector<std::string> names;
        for (const QString& map : cycle)
            names.push_back(map.toStdString());
        const QByteArray written = QByteArray::fromStdString(trel::MapCycleText(names));
        QCOMPARE(ReadAll(vorn("vorn.ini")), closeBy == "Ok" ? written : old);
        QCOMPARE(ReadAll(vorn("vorn.bak")), closeBy == "Ok" ? old : QByteArray("older"));
        QCOMPARE(QDir(vorn()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList{"vorn.bak", "vorn.ini"}));
    }

    void mapCycleFailedWriteKeepsWindowAndOldFile() {
        QVERIFY(WriteAll(vorn("vorn.ini"), "[ precious ]\r\n"));
        QVERIFY(QDir().mkpath(vorn("vorn.bak")));
        openMapCycle();
        QSignalSpy closed(mapcycle_.get(), &trel::mapcycle::closed);
        Click(mapcycle_->butok);
        verifyWarningNames("vorn.bak");
        QCOMPARE(closed.count(), 0);
        QVERIFY(mapcycle_->isVisible());
        QCOMPARE(ReadAll(vorn("vorn.ini")), QByteArray("[ precious ]\r\n"));
        // Once the obstacle is gone, Ok goes through.
        QVERIFY(QDir(vorn("vorn.bak")).removeRecursively());
        Click(mapcycle_->butok);
        QCOMPARE(closed.count(), 1);
        QCOMPARE(ReadAll(vorn("vorn.bak")), QByteArray("[ precious ]\r\n"));
    }

    // ----------------------------------------------------------------------------------------------
    // The message-of-the-day editor

    void motdRoundTrip_data() {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("saved");
        QTest::newRow("missing file") << false << QByteArray() << QString() << QByteArray("\r\n");
        QTest::newRow("one line saved unchanged")
            << true << QByteArray("Welcome\r\n") << QString() << QByteArray("Welcome\r\n\r\n");
        QTest::newRow("every byte") << true << EveryByteButLineBreaks() + "\r\nsecond" << QString()
                                    << EveryByteButLineBreaks() + "\r\nsecond\r\n";
        QTest::newRow("typed") << false << QByteArray() << QStringLiteral("hello") << QByteArray("hello\r\n");
    }
    void motdRoundTrip() {
        QFETCH(bool, exists);
        QFETCH(QByteArray, content);
        QFETCH(QString, typed);
        QFETCH(QByteArray, saved);
        const QString file = vorn("motd.txt");
        if (exists)
            QVERIFY(WriteAll(file, content));
        QVERIFY(openMotd());
        QCOMPARE(QFileInfo::exists(file), exists); // opening creates nothing
        QCOMPARE(Shown(motd_->EditWindow), QString::fromLatin1(content).replace("\r\n", "\n"));
        QTest::keyClicks(motd_->EditWindow, typed);
        Click(motd_->Command2);
        QCOMPARE(ReadAll(file), saved);
        QVERIFY(motd_->isVisible() && boxes_.shown.isEmpty());
        // The close box discards what was typed since.
        QSignalSpy closed(motd_.get(), &trel::MOTD::closed);
        QTest::keyClicks(motd_->EditWindow, QStringLiteral("unsaved"));
        QVERIFY(motd_->close());
        QCOMPARE(closed.count(), 1);
        QCOMPARE(ReadAll(file), saved);
    }
};

QTEST_MAIN(TestEditors)
#include "test_editors.moc"
