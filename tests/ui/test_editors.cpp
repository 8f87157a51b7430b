// The map-details, map cycle and message-of-the-day editors driven as a user drives them; the file rules are the
// core tests', but every file written here is checked byte for byte.

#include "MOTD.h"
#include "mapcycle.h"
#include "mapedit.h"
#include "mdlmapeditcode.h"
#include "seams/MessageBoxes.h"
#include "ui_test_support.h"

#include <memory>
#include <numeric>

using namespace trel::test;

namespace {

constexpr int kTimeoutMs = 20000;
const QStringList kStandardMaps = {"vorn01", "vorn02", "vorn03", "vorn04", "vorn_sp01"};
const QString kPreview = QStringLiteral("[ vorn01 ]\ngametype 3\ngem_goal 0\nvorn_timelimit 20\nmax_gems 0\n");
/// An opening refused (refused: the file made a folder, or "outside.ini", a server ini beside vorn), or one saved:
/// the file's content (null: none), what is typed at its end, the bytes saved.
struct SaveCase { bool motd; QString refused; QByteArray content; QString typed; QByteArray saved; };

QByteArray EveryByteButLineBreaks() {
    QByteArray bytes(256, 0);
    std::iota(bytes.begin(), bytes.end(), char(0));
    return bytes.removeIf([](char c) { return c == '\r' || c == '\n'; });
}
QString Shown(const QPlainTextEdit* b) { return b->document()->toRawText().replace(QChar::ParagraphSeparator, u'\n'); }
// Each character's colour: 'h' head, 'c' comment, 'k' another colour set, '.' the box's own; '|' a line break.
QString ColourPattern(const QPlainTextEdit* box) {
    QString pattern;
    for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next(), pattern += '|')
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            const QColor c = f.foreground().color();
            const char letter = !f.hasProperty(QTextFormat::ForegroundBrush) ? '.'
                                : c == QColor(0, 0, 160) ? 'h' : c == QColor(0, 100, 0) ? 'c' : 'k';
            pattern += QString(it.fragment().length(), QLatin1Char(letter));
        }
    return pattern.chopped(1);
}
void Click(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }
void ClickItem(QListWidget* list, const QString& text) {
    const QListWidgetItem* item = list->findItems(text, Qt::MatchExactly).value(0);
    QVERIFY2(item, qPrintable(text));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}
QStringList Entries(const QListWidget* list) {
    QStringList entries;
    std::ranges::for_each(list->findItems("*", Qt::MatchWildcard), [&](auto* item) { entries << item->text(); });
    return entries;
}
void ClickTab(QTabWidget* tabs, int index) {
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, Qt::NoModifier, tabs->tabBar()->tabRect(index).center());
}
void CaretTo(QPlainTextEdit* box, int position) { // by the keys, from the start of the text
    box->setFocus(), QTest::keyClick(box, Qt::Key_Home, Qt::ControlModifier);
    for (int n = 0; n < position; ++n)
        QTest::keyClick(box, Qt::Key_Right);
}
void TypeAtEnd(QPlainTextEdit* box, const QString& text) { // "\r" as the Return key
    QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier), QTest::keyClicks(box, text);
}

} // namespace

class TestEditors : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    trel::SharedValues shared_;
    trel::RecordedMessageBoxes boxes_;
    std::string serverini_; // what the main window's server-ini box holds
    std::unique_ptr<trel::mapedit> mapedit_;
    std::unique_ptr<trel::mapcycle> mapcycle_;
    std::unique_ptr<trel::MOTD> motd_;

    QString vorn(const QString& name = {}) const { return QDir::cleanPath(dir_->filePath("quake 2/vorn/" + name)); }
    QStringList entries() const { // what the temporary folder and vorn hold
        return QDir(dir_->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot) +
               QDir(vorn()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    QString named(const QString& file) const { return QDir::toNativeSeparators(vorn(file)) + ": "; } // and why
    void verifyWarning(const QString& says) const { // one warning
        const QString text = boxes_.shown.value(0).text;
        QVERIFY2(boxes_.shown.size() == 1 && boxes_.shown[0].title == "Warning!" && text.contains(says),
                 qPrintable(text));
    }
    bool open(bool motd) {
        motd ? void(motd_ = std::make_unique<trel::MOTD>(shared_, boxes_))
             : void(mapedit_ = std::make_unique<trel::mapedit>(shared_, [this] { return serverini_; }, boxes_));
        return (motd ? motd_->open() : mapedit_->open()) && QTest::qWaitForWindowExposed(window(motd));
    }
    QWidget* window(bool motd) const { return motd ? static_cast<QWidget*>(motd_.get()) : mapedit_.get(); }
    QPlainTextEdit* edit(int index) const { return mapedit_->EditWindow[static_cast<std::size_t>(index)]; }
    QPlainTextEdit* box(bool motd) const { return motd ? motd_->EditWindow : edit(0); }
    QString preview() const { return Shown(mapedit_->sample); }
    QString heading(const QString& file) const { return "Editing - " + QDir::toNativeSeparators(vorn(file)); }

private slots:
    void initTestCase() { trel::test::PrepareUiTest(); }
    void init() {
        dir_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/trel editors XXXXXX"));
        QVERIFY(dir_->isValid() && QDir().mkpath(vorn()));
        shared_ = {}, boxes_.shown.clear(), serverini_.clear();
        shared_.Quake2Folder = QFile::encodeName(dir_->filePath(QStringLiteral("quake 2"))).toStdString();
    }
    void cleanup() { mapedit_.reset(), mapcycle_.reset(), motd_.reset(), dir_.reset(); }

    // Opening loads the file the server ini names and the single-player one; the tabs, the typed values that wait for
    // the next pick, the block inserted at the caret, a second request bringing the window forward.
    void mapDetailsWalk() {
        serverini_ = "custom.ini";
        QVERIFY(WriteAll(vorn("custom.ini"), "[ab]\r\n# c\r\n") && WriteAll(vorn("vorn_sp.ini"), "# one\r\n[ a ]"));
        QVERIFY(open(false) && boxes_.shown.isEmpty());
        trel::mapedit& w = *mapedit_;
        QVERIFY(QTest::qWaitForWindowActive(&w) && !edit(0)->document()->isUndoAvailable());
        QVERIFY(Shown(edit(0)) == "[ab]\n# c\n" && Shown(edit(1)) == "# one\n[ a ]" && preview() == kPreview);
        QVERIFY(w.mapedithelp->text() == heading("custom.ini") && Entries(w.maps) == kStandardMaps);
        // A comment no more keeps its colour through the passes of a tab switch.
        CaretTo(edit(0), 5), QTest::keyClick(edit(0), Qt::Key_Delete); // the "#"
        ClickTab(w.SSTab1, 1), ClickTab(w.SSTab2, 1);
        QVERIFY(ColourPattern(edit(0)) == "hhhh|cc|" && w.mapedithelp->text() == heading("vorn_sp.ini"));
        QVERIFY(!w.varmapgametype->isVisible() && !w.valgemgoal->isVisible() && w.Label7->isVisible());
        QCOMPARE(preview(), kPreview); // kept until the next pick drops the gem goal
        // A typed value takes digits only; Tab and Shift+Tab leave the box and come back, typing nothing.
        QTest::mouseClick(w.valmaptimelimit->lineEdit(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(w.valmaptimelimit->hasFocus(), kTimeoutMs);
        QTest::keySequence(w.valmaptimelimit, QKeySequence(Qt::Key_End, Qt::Key_Backspace, Qt::Key_Backspace));
        QTest::keyClicks(w.valmaptimelimit, QStringLiteral("2x5 -")); // "25", and through Tab and back
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTRY_VERIFY_WITH_TIMEOUT(!w.valmaptimelimit->hasFocus(), kTimeoutMs);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QTRY_VERIFY_WITH_TIMEOUT(w.valmaptimelimit->hasFocus() && w.valmaptimelimit->currentText() == "25", kTimeoutMs);
        QTest::keySequence(w.valmaxgems, QKeySequence(Qt::Key_End, Qt::Key_Backspace));
        QTest::mouseClick(edit(1)->viewport(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(edit(1)->hasFocus(), kTimeoutMs);
        QCOMPARE(preview(), kPreview); // not on leaving the box
        ClickTab(w.SSTab1, 0), ClickItem(w.maps, QStringLiteral("vorn_sp01"));
        QCOMPARE(preview(), QStringLiteral("[ vorn_sp01 ]\ngametype 3\nvorn_timelimit 25\nmax_gems \n"));
        // Back on the multiplayer tab the heading names the main window's box as it is now; the file stays.
        serverini_ = "changed.ini", ClickTab(w.SSTab2, 0);
        QVERIFY(w.mapedithelp->text() == heading("changed.ini") && w.varmapgametype->isVisible());
        ClickItem(w.maps, QStringLiteral("vorn02"));
        QCOMPARE(preview(), QStringLiteral("[ vorn02 ]\ngametype 3\ngem_goal 0\nvorn_timelimit 25\nmax_gems \n"));
        QCOMPARE(w.files()[0].filename(), std::filesystem::path("custom.ini"));
        CaretTo(edit(0), 4), Click(w.insertmap); // in at the caret, its head coloured, the other tab's box untouched
        QCOMPARE(ColourPattern(edit(0)), "hhhhhhhhhhhhhh|..........|..........|.................|.........||cc|");
        QCOMPARE(Shown(edit(0)), "[ab][ vorn02 ]\ngametype 3\ngem_goal 0\nvorn_timelimit 25\nmax_gems \n\n c\n");
        QCOMPARE(Shown(edit(1)), "# one\n[ a ]");
        // A second request brings the minimized window forward as it was.
        w.SSTab2->setCurrentIndex(1), w.showMinimized(), w.bringForward();
        QTRY_VERIFY_WITH_TIMEOUT(!w.isMinimized() && w.SSTab2->currentIndex() == 1, kTimeoutMs);
    }

    // A server ini outside vorn or a file that cannot be read is reported, the window stays shut and all is left as
    // it was. Save writes both map-details files or the message with CR LF line breaks, every other byte as loaded,
    // and keeps the window; closing drops what was typed since; a failed save keeps the window and the text.
    void saving_data() {
        QTest::addColumn<SaveCase>("test");
        const QByteArray bytes = EveryByteButLineBreaks(), every = bytes + "\r\n[ vorn01 ]\r\n", none;
        QByteArray big; // four mebibytes of typical blocks and comments, ending in an empty line
        for (int n = 0; big.size() < (4 << 20); ++n)
            big += "# server " + QByteArray::number(n) + " ===============\r\n[ vorn0" + QByteArray::number(n % 4 + 1) +
                   " ]\r\ngametype 2\r\ngem_goal 10\r\nvorn_timelimit 20\r\nmax_gems 5 # five\r\n\r\n";
        QTest::newRow("server ini outside vorn") << SaveCase{false, "outside.ini", {}, {}, {}};
        QTest::newRow("single-player file a folder") << SaveCase{false, "vorn_sp.ini", {}, {}, {}};
        QTest::newRow("message file a folder") << SaveCase{true, "motd.txt", {}, {}, {}};
        QTest::newRow("map details, every byte") << SaveCase{false, "", every, "a\rb", every + "a\r\nb\r\n"};
        QTest::newRow("map details, four mebibytes") << SaveCase{false, "", big, "[ end ]", big + "[ end ]\r\n"};
        QTest::newRow("message, missing file") << SaveCase{true, "", none, "", "\r\n"};
        const QByteArray message = bytes + "\r\nsecond\rthird"; // a lone CR kept
        QTest::newRow("message, every byte") << SaveCase{true, "", message, "!", message + "!\r\n"};
    }
    void saving() {
        QFETCH(const SaveCase, test);
        const auto& [motd, refused, content, typed, saved] = test;
        const bool outside = refused == "outside.ini";
        serverini_ = outside ? QFile::encodeName(dir_->filePath(refused)).toStdString() : "";
        const QString file = vorn(motd ? "motd.txt" : "vorn.ini");
        const QByteArray single = "# only\r\nmax_gems 3";
        if (!refused.isEmpty()) { // all left as it was
            const QStringList before = entries();
            QVERIFY((outside || QDir().mkpath(vorn(refused))) && !open(motd) && !window(motd)->isVisible());
            QVERIFY(outside ? entries() == before : QFileInfo(vorn(refused)).isDir());
            return verifyWarning(outside ? "vorn folder" : named(refused));
        }
        QVERIFY(content.isNull() || (WriteAll(file, content) && WriteAll(vorn("vorn_sp.ini"), single)));
        QVERIFY(open(motd) && QFileInfo::exists(file) == !content.isNull()); // the message's opening creates nothing
        QCOMPARE(Shown(box(motd)), QString::fromLatin1(content).replace("\r\n", "\n").replace('\r', '\n'));
        TypeAtEnd(box(motd), typed);
        QVERIFY(motd || QTest::qWaitForWindowActive(mapedit_.get())); // the access key presses Save a moment later
        motd ? Click(motd_->Command2) : QTest::keyClick(mapedit_.get(), Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE_WITH_TIMEOUT(ReadAll(file), saved, kTimeoutMs);
        QVERIFY(window(motd)->isVisible() && boxes_.shown.isEmpty() &&
                (motd || ReadAll(vorn("vorn_sp.ini")) == single + "\r\n"));
        QVERIFY(motd || ColourPattern(edit(0)).endsWith(content.size() > 1000000 ? "...........cccccc||hhhhhhh"
                                                                                  : "c|hhhhhhhhhh|k|k"));
        QSignalSpy closed(window(motd), SIGNAL(closed()));
        TypeAtEnd(box(motd), QStringLiteral("unsaved")), Click(motd ? motd_->Command1 : mapedit_->butexit);
        QVERIFY(closed.count() == 1 && !window(motd)->isVisible() && ReadAll(file) == saved);
        // The map-details file becomes a folder (the other file is written all the same), the message's folder a file.
        QVERIFY(open(motd));
        const QString typedText = (TypeAtEnd(box(motd), QStringLiteral("typed")), Shown(box(motd)));
        QVERIFY(motd ? QDir(vorn()).removeRecursively() && WriteAll(vorn(), "file")
                     : QFile::remove(file) && QDir().mkpath(file) && QFile::remove(vorn("vorn_sp.ini")));
        Click(motd ? motd_->Command2 : mapedit_->butsave);
        verifyWarning(named(motd ? "motd.txt" : "vorn.ini"));
        QVERIFY(window(motd)->isVisible() && Shown(box(motd)) == typedText);
        QVERIFY(motd || ReadAll(vorn("vorn_sp.ini")) == single + "\r\n\r\n");
    }

    // Map cycle: ">" adds the picked map at the end, "<" removes the picked one, nothing picked does nothing; Ok writes
    // the cycle into vorn.ini and the old file into vorn.bak, a failed write keeps the window; Cancel writes nothing.
    void mapCycle() {
        const QByteArray old = "[ vorn01 ]\r\ngametype 2\r\n" + EveryByteButLineBreaks();
        QVERIFY(WriteAll(vorn("vorn.ini"), old) && QDir().mkpath(vorn("vorn.bak")));
        for (const bool ok : {true, false}) {
            (mapcycle_ = std::make_unique<trel::mapcycle>(shared_, boxes_))->open();
            trel::mapcycle& w = *mapcycle_;
            QVERIFY(QTest::qWaitForWindowExposed(&w) && Entries(w.maps) == kStandardMaps);
            QSignalSpy closed(&w, &trel::mapcycle::closed);
            for (const QString& step : ok ? QStringList{"-vorn02", "+vorn02", "+", "-"} : QStringList{"+vorn04"}) {
                QListWidget* list = step.startsWith(QLatin1Char('+')) ? w.maps : w.newmaps;
                step.size() == 1 ? list->clearSelection() : ClickItem(list, step.mid(1));
                Click(list == w.maps ? w.butaddmap : w.butremmap);
            }
            if (ok) { // first with a folder in vorn.bak's place
                QCOMPARE(Entries(w.newmaps), (QStringList{"vorn01", "vorn03", "vorn04", "vorn_sp01", "vorn02"}));
                Click(w.butok), verifyWarning(named("vorn.bak"));
                QVERIFY(closed.count() == 0 && w.isVisible() && ReadAll(vorn("vorn.ini")) == old);
                QVERIFY(QDir(vorn("vorn.bak")).removeRecursively());
            }
            QVERIFY((Click(ok ? w.butok : w.Command1), closed.count() == 1 && !w.isVisible()));
            const std::string written = trel::MapCycleText({"vorn01", "vorn03", "vorn04", "vorn_sp01", "vorn02"});
            QCOMPARE(ReadAll(vorn("vorn.ini")), QByteArray::fromStdString(written));
            QVERIFY(ReadAll(vorn("vorn.bak")) == old && entries() == (QStringList{"quake 2", "vorn.bak", "vorn.ini"}));
        }
    }
};

QTEST_MAIN(TestEditors)
#include "test_editors.moc"
