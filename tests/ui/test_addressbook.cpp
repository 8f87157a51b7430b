// The server address book window and its add-server dialog as a user meets them: rows loaded from
// trel.ini, selection colours, adding, removing, Cancel and the close box, and joining a server through the
// stand-in game in a Quake 2 folder with a blank in its path.

#include "addressbook.h"
#include "auxiliary/Resources.h"
#include "platform.h"
#include "seams/GameStarter.h"
#include "seams/MessageBoxes.h"
#include "server.h"
#include "ui_test_support.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace trel;
using test::ReadAll;
using test::WriteAll;

namespace {

constexpr int kTimeoutMs = 30000;

/// The production starter, counted: a refused join must not even try to start the game.
class CountingStarter final : public GameStarter {
public:
    bool start(const LaunchRequest& request, QString& why) override {
        ++starts;
        return real.start(request, why);
    }
    int starts = 0;
    ProcessGameStarter real;
};

/// A hand-written book: "n=name|address" items.
QByteArray Book(const QList<QByteArray>& rows) {
    QByteArray text = "[AddressBook]\r\n";
    for (const QByteArray& row : rows) {
        const QByteArray n = row.left(row.indexOf('='));
        const QList<QByteArray> parts = row.mid(n.size() + 1).split('|');
        text += "ServerName " + n + "=" + parts.value(0) + "\r\nServerIp " + n + "=" + parts.value(1) + "\r\n";
    }
    return text;
}

/// "ServerName n=" and "ServerIp n=" with empty values for rows first to last, as a save writes them.
QByteArray EmptyKeys(int first, int last) {
    QByteArray text;
    for (int n = first; n <= last; ++n)
        text += "ServerName " + QByteArray::number(n) + "=\r\nServerIp " + QByteArray::number(n) + "=\r\n";
    return text;
}

const QByteArray kOtherSections = "[Quake2exe]\r\nUsed=1\r\n\r\n[Settings]\r\nDMflags=5\r\nMap=2\r\n";
const QStringList kNoNames(10);

} // namespace

class TestAddressBook : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> root;
    QString startDir, quakeDir, iniFile, recordFile, scriptFile, previousDir;
    SharedValues shared;
    RecordedMessageBoxes boxes;
    CountingStarter starter;
    std::unique_ptr<addressbook> book;

    QString gamePath() const { return quakeDir + QLatin1Char('/') + QString::fromLatin1(kGameExecutableName.data()); }

    addressbook& open(const QByteArray& ini = {}) {
        if (!ini.isEmpty() && !WriteAll(iniFile, ini))
            qFatal("cannot write trel.ini");
        book = std::make_unique<addressbook>(shared, QFile::encodeName(iniFile).toStdString(), boxes, starter);
        book->show();
        book->activateWindow();
        if (!QTest::qWaitForWindowActive(book.get()))
            qWarning("the address book did not become active");
        return *book;
    }

    server* dialog() const { return book->findChild<server*>(QStringLiteral("server")); }
    QRadioButton* selector(int n) const {
        return test::Control<QRadioButton>(book.get(), QStringLiteral("serverselect(%1)").arg(n));
    }
    QLineEdit* nameBox(int n) const {
        return test::Control<QLineEdit>(book.get(), QStringLiteral("servername(%1)").arg(n));
    }
    QLineEdit* addressBox(int n) const {
        return test::Control<QLineEdit>(book.get(), QStringLiteral("serverIP(%1)").arg(n));
    }
    QPushButton* button(const char* name) const { return test::Control<QPushButton>(book.get(), QLatin1String(name)); }

    QStringList names() const {
        QStringList list;
        for (int n = 1; n <= 10; ++n)
            list << nameBox(n)->text();
        return list;
    }
    QList<bool> enabledSelectors() const {
        QList<bool> list;
        for (int n = 1; n <= 10; ++n)
            list << selector(n)->isEnabled();
        return list;
    }
    int checkedRow() const {
        int found = 0;
        for (int n = 1; n <= 10; ++n) {
            if (selector(n)->isChecked())
                found = found ? -1 : n; // -1: two at once
        }
        return found;
    }

    /// Row selected shows white on black, every other row black on white, as set and as painted.
    void checkHighlight(int selected) const {
        for (int n = 1; n <= 10; ++n) {
            const QColor text = n == selected ? Qt::white : Qt::black;
            const QColor background = n == selected ? Qt::black : Qt::white;
            for (QLineEdit* box : {nameBox(n), addressBox(n)}) {
                QCOMPARE(box->palette().color(QPalette::Text), text);
                QCOMPARE(box->palette().color(QPalette::Base), background);
                const QImage shot = box->grab().toImage();
                QCOMPARE(shot.pixelColor(shot.width() - 6, 3), background); // inside the frame, above the text
            }
        }
    }

    void clickBox(QLineEdit* box) const { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2)); }

    /// Opens the dialog with "<-- &Add" and fills it the way a user does: typing, with Tab between boxes.
    server* fillDialog(const QString& name, const QString& ip, const QString& port = QStringLiteral("27910")) {
        QTest::mouseClick(button("addserver"), Qt::LeftButton);
        server* d = dialog();
        if (!d || !QTest::qWaitForWindowExposed(d))
            return nullptr;
        d->activateWindow();
        if (!QTest::qWaitFor([d] { return d->isActiveWindow(); }, kTimeoutMs))
            return nullptr;
        d->servername->setFocus();
        QTest::keyClicks(d->servername, name);
        QTest::keyClick(d->servername, Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), ip);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        d->serverport->selectAll();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
        QTest::keyClicks(QApplication::focusWidget(), port);
        return d;
    }

    void addServer(const QString& name, const QString& ip, const QString& port = QStringLiteral("27910")) {
        server* d = fillDialog(name, ip, port);
        QVERIFY(d);
        QTest::mouseClick(d->butaddserver, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog(), kTimeoutMs);
    }

private slots:
    void initTestCase() {
        test::PrepareUiTest();
        InitResources();
        previousDir = QDir::currentPath();
        QVERIFY2(QFile::exists(QStringLiteral(TREL_STANDIN_GAME)), TREL_STANDIN_GAME);
    }

    void init() {
        root = std::make_unique<QTemporaryDir>();
        QVERIFY(root->isValid());
        startDir = root->filePath(QStringLiteral("start here"));
        quakeDir = root->filePath(QStringLiteral("Quake 2 folder"));
        QVERIFY(QDir().mkpath(startDir) && QDir().mkpath(quakeDir + QStringLiteral("/vorn")));
        QVERIFY(QFile::copy(QStringLiteral(TREL_STANDIN_GAME), gamePath()));
        QVERIFY(QFile::setPermissions(gamePath(), QFile::permissions(gamePath()) | QFile::ExeOwner));
        iniFile = startDir + QStringLiteral("/trel.ini");
        recordFile = quakeDir + QStringLiteral("/vorn/standin_record.txt");
        scriptFile = quakeDir + QStringLiteral("/vorn/trel_connect.cfg");
        shared = {};
        shared.Quake2Path = QFile::encodeName(gamePath()).toStdString();
        shared.Quake2Folder = QFile::encodeName(quakeDir).toStdString();
        boxes.shown.clear();
        starter.starts = 0;
    }

    void cleanup() {
        book.reset();
        QDir::setCurrent(previousDir); // a game start makes the Quake 2 folder current
        root.reset();
    }

    void opensWithItsCaptionsAndTenEmptyRows() {
        addressbook& w = open();
        QCOMPARE(w.windowTitle(), QStringLiteral("Vorn Server address book"));
        const QList<QPair<const char*, QString>> captions = {{"Command4", "Server Name :"}, {"Command5", "IP Address"},
                                                             {"Command1", "C&onnect..."},   {"addserver", "<-- &Add"},
                                                             {"Command3", "&Remove -->"},   {"Command2", "&Cancel"}};
        for (const auto& [name, caption] : captions)
            QCOMPARE(button(name)->text(), caption);
        QVERIFY(test::Control<QLabel>(&w, QStringLiteral("Label1"))
                    ->text()
                    .startsWith(QStringLiteral("The Address book is useful for storing all your favourite Trel")));
        QCOMPARE(names(), kNoNames);
        QCOMPARE(enabledSelectors(), QList<bool>(10, false));
        QCOMPARE(checkedRow(), 0);
        QVERIFY(nameBox(1)->isReadOnly() && nameBox(1)->font().bold() && addressBox(10)->isReadOnly());
        checkHighlight(0);
        QVERIFY(!QFile::exists(iniFile)); // opening writes nothing
    }

    void selectingRows() {
        const QByteArray ini = Book({"1=One|1.1.1.1:27910", "3=Three|3.3.3.3:27910", "5=|5.5.5.5:27910",
                                     "10=" + QByteArray(300, 'x') + "|10.0.0.10"});
        open(ini);
        QCOMPARE(enabledSelectors(), (QList<bool>{true, false, true, false, false, false, false, false, false, true}));
        QCOMPARE(nameBox(10)->text(), QString(254, QLatin1Char('x')));
        QCOMPARE(addressBox(5)->text(), QStringLiteral("5.5.5.5:27910"));

        QTest::mouseClick(selector(3), Qt::LeftButton);
        QCOMPARE(checkedRow(), 3);
        checkHighlight(3);
        // A filled row's box selects its row and hands the focus to the selector.
        clickBox(addressBox(1));
        QCOMPARE(checkedRow(), 1);
        checkHighlight(1);
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), selector(1), kTimeoutMs);
        // An empty row (also one with only an address) and its disabled selector do nothing.
        for (QWidget* w : std::initializer_list<QWidget*>{nameBox(2), addressBox(5), selector(5)}) {
            QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(5, w->height() / 2));
            QCOMPARE(checkedRow(), 1);
        }
        checkHighlight(1);
        // Focus arriving at a filled row's box moves on to the selector and selects the row.
        nameBox(3)->setFocus(Qt::OtherFocusReason);
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), selector(3), kTimeoutMs);
        QCOMPARE(checkedRow(), 3);
        checkHighlight(3);
        QCOMPARE(ReadAll(iniFile), ini);
    }

    void addingThroughTheDialog() {
        open(kOtherSections + Book({"1=One|1.1.1.1:27910", "2=|left over"}));
        const QByteArray before = ReadAll(iniFile);
        QTest::mouseClick(button("addserver"), Qt::LeftButton);
        server* d = dialog();
        QVERIFY(d && QTest::qWaitForWindowExposed(d));
        QCOMPARE(d->windowTitle(), QStringLiteral("Add Server to List"));
        QCOMPARE(d->Label5->text(), QStringLiteral("Server Name :"));
        QCOMPARE(d->Label2->text(), QStringLiteral("Internet Address :"));
        QCOMPARE(d->Label3->text(), QStringLiteral("Port :"));
        QCOMPARE(d->butaddserver->text(), QStringLiteral("&Add"));
        QCOMPARE(d->butcancel->text(), QStringLiteral("&Cancel"));
        QCOMPARE(d->serverport->text(), QStringLiteral("27910"));

        // Tab order: name, address, port, Add, Cancel, and round again.
        d->activateWindow();
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), d->servername, kTimeoutMs);
        QTest::keyClicks(d->servername, QStringLiteral("abcdefghijklmn"));
        const QList<QWidget*> order = {d->serverIP, d->serverport, d->butaddserver, d->butcancel, d->servername};
        for (QWidget* next : order) {
            if (QApplication::focusWidget() == d->serverIP)
                QTest::keyClicks(d->serverIP, QStringLiteral("192.168.0.10"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        QTest::mouseClick(d->butaddserver, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog(), kTimeoutMs);
        QVERIFY(boxes.shown.isEmpty());
        // The row with only an address counted as empty; the new server is filled in, not selected.
        QCOMPARE(names(), (QStringList{"One", "abcdefghij..", "", "", "", "", "", "", "", ""}));
        QCOMPARE(addressBox(2)->text(), QStringLiteral("192.168.0.10:27910"));
        QCOMPARE(enabledSelectors(), (QList<bool>{true, true, false, false, false, false, false, false, false, false}));
        QCOMPARE(checkedRow(), 0);
        QCOMPARE(ReadAll(iniFile), before); // the file waits for Connect or Cancel

        addServer(QStringLiteral("abcdefghijklm"), QStringLiteral("10.0.0.5"), QString());
        QCOMPARE(nameBox(3)->text(), QStringLiteral("abcdefghijklm"));
        QCOMPARE(addressBox(3)->text(), QStringLiteral("10.0.0.5:"));
    }

    void dialogRefusals_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("message");
        const QString needed = QStringLiteral("You must enter a Name and IP address for your server");
        const QString unsafe = QStringLiteral("The server address may not contain ");
        QTest::newRow("no name") << ""
                                 << "10.0.0.5"
                                 << "27910" << needed;
        QTest::newRow("no address") << "LAN"
                                    << ""
                                    << "27910" << needed;
        QTest::newRow("semicolon") << "LAN"
                                   << "10.0.0.5;quit"
                                   << "27910" << unsafe + "the semicolon (;)";
        QTest::newRow("quotation mark") << "LAN"
                                        << "10.0.0.5\""
                                        << "27910" << unsafe + "the quotation mark (\")";
        QTest::newRow("semicolon in the port") << "LAN"
                                               << "10.0.0.5"
                                               << "1;rcon x" << unsafe + "the semicolon (;)";
    }

    void dialogRefusals() {
        QFETCH(QString, name);
        QFETCH(QString, ip);
        QFETCH(QString, port);
        QFETCH(QString, message);
        open(Book({"1=One|1.1.1.1:27910"}));
        const QByteArray before = ReadAll(iniFile);
        server* d = fillDialog(name, ip, port);
        QVERIFY(d);
        QTest::mouseClick(d->butaddserver, Qt::LeftButton);
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.first().title, QStringLiteral("Warning!"));
        QVERIFY2(boxes.shown.first().text.startsWith(message), qPrintable(boxes.shown.first().text));
        // The dialog stays open with its texts; nothing reaches the rows or the file.
        QVERIFY(dialog() == d && d->isVisible());
        QCOMPARE((QStringList{d->servername->text(), d->serverIP->text(), d->serverport->text()}),
                 (QStringList{name, ip, port}));
        QCOMPARE(names(), (QStringList{"One", "", "", "", "", "", "", "", "", ""}));
        QCOMPARE(enabledSelectors(),
                 (QList<bool>{true, false, false, false, false, false, false, false, false, false}));
        QCOMPARE(ReadAll(iniFile), before);
    }

    void tenFullRowsAddNothing() {
        QList<QByteArray> rows;
        for (int n = 1; n <= 10; ++n)
            rows << QByteArray::number(n) + "=S" + QByteArray::number(n) + "|10.0.0." + QByteArray::number(n);
        open(Book(rows));
        const QStringList before = names();
        addServer(QStringLiteral("Eleventh"), QStringLiteral("10.0.0.11"));
        QVERIFY(boxes.shown.isEmpty());
        QCOMPARE(names(), before);
    }

    void secondAddBringsTheDialogForwardUnchanged() {
        open();
        QPointer<server> first = fillDialog(QStringLiteral("Half typed"), QStringLiteral("10.0."), QStringLiteral("1"));
        QVERIFY(first);
        QTest::mouseClick(button("addserver"), Qt::LeftButton);
        QCOMPARE(book->findChildren<server*>().size(), 1);
        QVERIFY(dialog() == first && first->isVisible());
        QCOMPARE((QStringList{first->servername->text(), first->serverIP->text(), first->serverport->text()}),
                 (QStringList{"Half typed", "10.0.", "1"}));
        // Its Cancel adds nothing; opened again it starts afresh.
        QTest::mouseClick(first->butcancel, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!first, kTimeoutMs);
        QCOMPARE(names(), kNoNames);
        QTest::mouseClick(button("addserver"), Qt::LeftButton);
        QVERIFY(dialog() && dialog()->servername->text().isEmpty());
        QCOMPARE(dialog()->serverport->text(), QStringLiteral("27910"));
    }

    void removeEmptiesTheSelectedRow() {
        open(Book({"1=One|1.1.1.1:27910", "2=Two|2.2.2.2:27910", "3=Three|3.3.3.3:27910"}));
        QTest::mouseClick(button("Command3"), Qt::LeftButton); // nothing selected: nothing happens
        QCOMPARE(names(), (QStringList{"One", "Two", "Three", "", "", "", "", "", "", ""}));
        QTest::mouseClick(selector(2), Qt::LeftButton);
        QTest::mouseClick(button("Command3"), Qt::LeftButton);
        QCOMPARE(names(), (QStringList{"One", "", "Three", "", "", "", "", "", "", ""}));
        QCOMPARE(addressBox(2)->text(), QString());
        QCOMPARE(checkedRow(), 0);
        QCOMPARE(enabledSelectors(), (QList<bool>{true, false, true, false, false, false, false, false, false, false}));
        checkHighlight(0);
        addServer(QStringLiteral("Four"), QStringLiteral("10.0.0.4"));
        QCOMPARE(names(), (QStringList{"One", "Four", "Three", "", "", "", "", "", "", ""}));
        QTest::mouseClick(selector(3), Qt::LeftButton);
        QCOMPARE(checkedRow(), 3);
    }

    void cancelSavesAndCloses() {
        open(kOtherSections + Book({"1=One|1.1.1.1:27910", "3=Three|3.3.3.3:27910"}));
        QSignalSpy cancelled(book.get(), &addressbook::cancelled);
        QSignalSpy closed(book.get(), &addressbook::closed);
        QTest::mouseClick(selector(1), Qt::LeftButton);
        QTest::mouseClick(button("Command3"), Qt::LeftButton);
        addServer(QStringLiteral("New"), QStringLiteral("10.0.0.7"));
        QTest::mouseClick(button("Command2"), Qt::LeftButton);
        QVERIFY(boxes.shown.isEmpty());
        QCOMPARE(cancelled.count(), 1);
        QCOMPARE(closed.count(), 1);
        QVERIFY(!book->isVisible());
        QCOMPARE(ReadAll(iniFile), kOtherSections +
                                       "[AddressBook]\r\nServerName 1=New\r\nServerIp 1=10.0.0.7:27910\r\n"
                                       "ServerName 3=Three\r\nServerIp 3=3.3.3.3:27910\r\n" +
                                       EmptyKeys(2, 2) + EmptyKeys(4, 10));
        open(); // a new window finds the rows again
        QCOMPARE(names(), (QStringList{"New", "", "Three", "", "", "", "", "", "", ""}));
    }

    void closeBoxSavesNothingAndClosesTheDialog() {
        open(kOtherSections + Book({"2=Two|2.2.2.2:27910"}));
        const QByteArray before = ReadAll(iniFile);
        QSignalSpy cancelled(book.get(), &addressbook::cancelled);
        QSignalSpy closed(book.get(), &addressbook::closed);
        addServer(QStringLiteral("Lost"), QStringLiteral("10.0.0.8"));
        QCOMPARE(nameBox(1)->text(), QStringLiteral("Lost"));
        QPointer<server> d = fillDialog(QStringLiteral("Open"), QStringLiteral("10.0.0.9"));
        QVERIFY(d);

        QVERIFY(book->close());
        QTRY_VERIFY_WITH_TIMEOUT(!d, kTimeoutMs);
        QCOMPARE(closed.count(), 1);
        QCOMPARE(cancelled.count(), 0);
        QCOMPARE(ReadAll(iniFile), before);
        open();
        QCOMPARE(names(), (QStringList{"", "Two", "", "", "", "", "", "", "", ""}));
    }

    void bringForwardKeepsTheRows() {
        open(Book({"1=One|1.1.1.1:27910"}));
        QTest::mouseClick(selector(1), Qt::LeftButton);
        QTest::mouseClick(button("Command3"), Qt::LeftButton);
        QVERIFY(WriteAll(iniFile, Book({"1=Changed|9.9.9.9:27910"})));
        book->showMinimized();
        book->bringForward();
        QTRY_VERIFY_WITH_TIMEOUT(book->isVisible() && !book->isMinimized(), kTimeoutMs);
        QCOMPARE(names(), kNoNames);
        QCOMPARE(enabledSelectors(), QList<bool>(10, false));
    }

    void connectJoinsTheSelectedServer() {
        open(kOtherSections + Book({"1=One|1.1.1.1:27910", "3=Three|10.0.0.5:27910"}));
        QSignalSpy closed(book.get(), &addressbook::closed);
        clickBox(nameBox(3));
        QTest::mouseClick(button("Command1"), Qt::LeftButton);
        QCOMPARE(starter.starts, 1);
        // The game runs on its own; its record is awaited first so that no failed check leaves it behind.
        QTRY_COMPARE_WITH_TIMEOUT(test::ReadStandInRecords(recordFile).size(), 1, kTimeoutMs);
        const test::StandInRecord record = test::ReadStandInRecords(recordFile).first();
        QCOMPARE(record.args, (QStringList{"+set", "game", "vorn", "+exec", "trel_connect.cfg"}));
        QCOMPARE(QDir(record.cwd).canonicalPath(), QDir(quakeDir).canonicalPath());
        QCOMPARE(record.execs, QStringList{QStringLiteral("trel_connect.cfg")});
        QCOMPARE(record.lines, QStringList{QStringLiteral("connect 10.0.0.5:27910")});
        QVERIFY2(boxes.shown.isEmpty(), qPrintable(boxes.texts().join(QLatin1Char('\n'))));
        QCOMPARE(ReadAll(scriptFile), QByteArray("connect 10.0.0.5:27910\r\n"));
        // Connect saved the book first, and the window stays open with its selection.
        QCOMPARE(ReadAll(iniFile), kOtherSections + Book({"1=One|1.1.1.1:27910", "3=Three|10.0.0.5:27910"}) +
                                       EmptyKeys(2, 2) + EmptyKeys(4, 10));
        QVERIFY(book->isVisible());
        QCOMPARE(closed.count(), 0);
        QCOMPARE(checkedRow(), 3);
    }

    void connectRefusals_data() {
        QTest::addColumn<int>("select");
        QTest::addColumn<QString>("storedAs");
        QTest::addColumn<QString>("message");
        const QString unsafe = QStringLiteral("The server address may not contain ");
        const QString wrong = QStringLiteral("You have selected the wrong directory");
        QTest::newRow("semicolon") << 1 << QString() << unsafe + "the semicolon (;)";
        QTest::newRow("quotation mark") << 2 << QString() << unsafe + "the quotation mark (\")";
        QTest::newRow("nothing selected") << 0 << QString() << QString();
        QTest::newRow("selected row without an address") << 3 << QString() << QString();
        QTest::newRow("executable stored in capitals") << 1 << "QUAKE2" << wrong;
        QTest::newRow("executable missing, nothing selected") << 0 << "Gone" << wrong;
    }

    void connectRefusals() {
        QFETCH(int, select);
        QFETCH(QString, storedAs);
        QFETCH(QString, message);
        if (!storedAs.isEmpty()) {
            QVERIFY(QFile::rename(gamePath(), quakeDir + QLatin1Char('/') + storedAs));
            shared.Quake2Path = QFile::encodeName(quakeDir + QLatin1Char('/') + storedAs.toLower()).toStdString();
        }
        open(Book({"1=Bad|10.0.0.5:27910;quit", "2=Quote|10.0.0.5\"x", "3=Empty|"}));
        QSignalSpy wrongExecutable(book.get(), &addressbook::wrongExecutable);
        qsizetype boxesAtSignal = -1;
        connect(book.get(), &addressbook::wrongExecutable, this, [&] { boxesAtSignal = boxes.shown.size(); });
        if (select)
            QTest::mouseClick(selector(select), Qt::LeftButton);
        QTest::mouseClick(button("Command1"), Qt::LeftButton);

        QCOMPARE(boxes.shown.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QCOMPARE(boxes.shown.first().title, QStringLiteral("Warning!"));
            QVERIFY2(boxes.shown.first().text.startsWith(message), qPrintable(boxes.shown.first().text));
        }
        // The locator is due only after the warning has been shown.
        QCOMPARE(wrongExecutable.count(), storedAs.isEmpty() ? 0 : 1);
        QCOMPARE(boxesAtSignal, storedAs.isEmpty() ? -1 : 1);
        QCOMPARE(starter.starts, 0);
        QVERIFY(!QFile::exists(scriptFile) && !QFile::exists(recordFile));
        QVERIFY(book->isVisible());
        QVERIFY(ReadAll(iniFile).endsWith("ServerName 10=\r\nServerIp 10=\r\n")); // saved all the same
    }

    void connectFailuresAreReported_data() {
        QTest::addColumn<QString>("broken");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("starts");
        QTest::newRow("a file where the vorn folder should be")
            << "vorn"
            << "The connect script could not be written, so Quake 2 was not started." << 0;
        QTest::newRow("a game that is no program") << "game"
                                                   << "Quake 2 could not be started." << 1;
    }

    void connectFailuresAreReported() {
        QFETCH(QString, broken);
        QFETCH(QString, message);
        QFETCH(int, starts);
        QString named = scriptFile;
        if (broken == QLatin1String("vorn")) {
            QVERIFY(QDir(quakeDir + QStringLiteral("/vorn")).removeRecursively());
            QVERIFY(WriteAll(quakeDir + QStringLiteral("/vorn"), "not a folder"));
        } else {
            QVERIFY(QFile::remove(gamePath()) && WriteAll(gamePath(), "not a program\n"));
            QVERIFY(QFile::setPermissions(gamePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
            named = gamePath();
        }
        open(Book({"1=One|1.1.1.1:27910"}));
        QTest::mouseClick(selector(1), Qt::LeftButton);
        QTest::mouseClick(button("Command1"), Qt::LeftButton);
        QCOMPARE(starter.starts, starts);
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.first().title, QStringLiteral("Warning!"));
        const QString text = boxes.shown.first().text;
        QVERIFY2(text.startsWith(message) && text.contains(QDir::toNativeSeparators(named)), qPrintable(text));
        QVERIFY(book->isVisible());
    }

    void failedSaveIsReportedOnceAndKeepsTheRows_data() {
        QTest::addColumn<bool>("folderInPlace");
        QTest::addColumn<QByteArray>("pressed");
        QTest::newRow("parent is a file, Cancel") << false << QByteArray("Command2");
        QTest::newRow("a folder in the file's place, Cancel") << true << QByteArray("Command2");
        QTest::newRow("parent is a file, Connect") << false << QByteArray("Command1");
    }

    void failedSaveIsReportedOnceAndKeepsTheRows() {
        QFETCH(bool, folderInPlace);
        QFETCH(QByteArray, pressed);
        if (folderInPlace) {
            QVERIFY(QDir().mkpath(iniFile + QStringLiteral("/inside")));
        } else {
            QVERIFY(WriteAll(startDir + QStringLiteral("/not a folder"), "x"));
            iniFile = startDir + QStringLiteral("/not a folder/trel.ini");
        }
        open();
        QSignalSpy closed(book.get(), &addressbook::closed);
        addServer(QStringLiteral("Kept"), QStringLiteral("10.0.0.5"));
        QTest::mouseClick(selector(1), Qt::LeftButton);
        QTest::mouseClick(button(pressed.constData()), Qt::LeftButton);
        // Connect still joins the server it was asked for; Cancel starts nothing.
        const bool connecting = pressed == "Command1";
        QCOMPARE(starter.starts, connecting ? 1 : 0);
        if (connecting)
            QTRY_COMPARE_WITH_TIMEOUT(test::ReadStandInRecords(recordFile).size(), 1, kTimeoutMs);
        QCOMPARE(boxes.shown.size(), 1);
        const QString text = boxes.shown.first().text;
        QVERIFY2(text.startsWith(QStringLiteral("The address book could not be saved.")), qPrintable(text));
        QVERIFY2(text.contains(QDir::toNativeSeparators(iniFile)), qPrintable(text));
        QVERIFY(book->isVisible());
        QCOMPARE(closed.count(), 0);
        QCOMPARE(nameBox(1)->text(), QStringLiteral("Kept"));
        QCOMPARE(addressBox(1)->text(), QStringLiteral("10.0.0.5:27910"));
        QVERIFY(!folderInPlace || QFileInfo(iniFile + QStringLiteral("/inside")).isDir());
    }
};

QTEST_MAIN(TestAddressBook)
#include "test_addressbook.moc"
