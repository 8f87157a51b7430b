// The address book and its add-server dialog as a user meets them, joining through the stand-in game, and each row's
// status as loopback servers answer, answer from elsewhere or send hostile replies; the rules are the core tests'.

#include "addressbook.h"
#include "auxiliary/Resources.h"
#include "LinkedNetwork.h"
#include "platform.h"
#include "seams/GameStarter.h"
#include "seams/MessageBoxes.h"
#include "server.h"
#include "serverstatus.h"
#include "ui_test_support.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

#include <atomic>
#include <memory>

using namespace trel;
using namespace trel::test;

namespace {

constexpr int kTimeoutMs = 30000;
const QByteArray kOtherSections = "[Quake2exe]\r\nUsed=1\r\n\r\n[Settings]\r\nDMflags=5\r\nMap=2\r\n";

struct CountingStarter final : GameStarter { // the production starter, counted: a refused join must not even try
    bool start(const LaunchRequest& request, QString& why) override { return ++starts, real.start(request, why); }
    int starts = 0;
    ProcessGameStarter real;
};

/// A hand-written book: "name|address" rows from row 1 on.
QByteArray Book(const QList<QByteArray>& rows) {
    QByteArray text = "[AddressBook]\r\n";
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QByteArray n = QByteArray::number(i + 1), name = rows[i].left(rows[i].indexOf('|'));
        text += "ServerName " + n + "=" + name + "\r\nServerIp " + n + "=" + rows[i].mid(name.size() + 1) + "\r\n";
    }
    return text;
}
/// How the book is left: by Cancel, the close box or Connect; what is wrong in the Quake 2 folder or with trel.ini
/// (or "row 1": the row chosen); the start of the warning; the game starts tried.
struct Leaving { QString by, broken, message; int starts; };
QByteArray Reply(const QByteArray& text) { return QByteArray::fromStdString(std::string(kStatusReplyPrefix)) + text; }

/// A loopback server answering from a thread of its own, so that a busy window thread never holds up its answer;
/// it counts the status requests it gets and answers each (a stray first, which never fills a row), from the port
/// asked or its other one, keeping them while held.
class Responder : public QObject {
public:
    Responder(QByteArray reply, bool otherPort = false, const QHostAddress& host = QHostAddress::LocalHost)
        : reply_(std::move(reply)), from_(otherPort ? other_ : socket_) {
        thread_.start(), moveToThread(&thread_); // the sockets go with it
        inThread([this, host] { socket_->bind(host, 0), other_->bind(host, 0); });
        connect(socket_, &QUdpSocket::readyRead, this, [this] {
            for (int n = 0; n < 100 && socket_->hasPendingDatagrams(); ++n) {
                const QNetworkDatagram request = socket_->receiveDatagram();
                if (request.data().startsWith(QByteArray::fromStdString(StatusRequest())) && ++requests)
                    held ? void(waiting_.append(request)) : answer(request);
            }
        });
    }
    ~Responder() override { inThread([this] { qDeleteAll(children()); }), thread_.quit(), thread_.wait(); }
    QByteArray address(const char* host = "127.0.0.1") const { return host + (':' + QByteArray::number(port())); }
    void release() {
        held = false;
        inThread([this] { std::ranges::for_each(std::exchange(waiting_, {}), [this](auto& r) { answer(r); }); });
    }
    std::atomic<bool> held = false;
    std::atomic<int> requests = 0;

private:
    quint16 port() const { return socket_->localPort(); } // 0, a bad address, when it could not bind
    template <typename F> void inThread(F f) { QMetaObject::invokeMethod(this, f, Qt::BlockingQueuedConnection); }
    void answer(const QNetworkDatagram& request) {
        for (const QByteArray& bytes : {QByteArray("\xff\xff\xff\xffprint"), reply_})
            from_->writeDatagram(bytes, request.senderAddress(), request.senderPort());
    }
    QByteArray reply_;
    QThread thread_;
    QUdpSocket *socket_ = new QUdpSocket(this), *other_ = new QUdpSocket(this), *from_;
    QList<QNetworkDatagram> waiting_;
};

} // namespace

class TestAddressBook : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> root;
    QString quakeDir, iniFile, recordFile, scriptFile, previousDir;
    SharedValues shared;
    RecordedMessageBoxes boxes;
    CountingStarter starter;
    LinkedNetworkSource network;
    std::unique_ptr<addressbook> book;

    QString gamePath() const { return quakeDir + QLatin1Char('/') + QString::fromLatin1(kGameExecutableName.data()); }
    bool open() { // Trel's start folder is the current folder, which the system names with its own separators
        const std::string native = QFile::encodeName(QDir::toNativeSeparators(iniFile)).toStdString();
        (book = std::make_unique<addressbook>(shared, native, boxes, starter, network))->show();
        book->activateWindow();
        return QTest::qWaitForWindowActive(book.get());
    }
    server* dialog() const { return book->findChild<server*>(QStringLiteral("server")); }
    QRadioButton* selector(int n) const { return book->serverselect.at(n - 1); }
    QLineEdit* nameBox(int n) const { return book->servername.at(n - 1); }
    QLineEdit* addressBox(int n) const { return book->serverIP.at(n - 1); }
    QString row(int n) const { return book->servermap[n - 1]->text() + ' ' + book->serverplayers[n - 1]->text(); }
    void click(QWidget* w) const { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(5, w->height() / 2)); }
    QStringList names() const {
        QStringList list;
        std::ranges::for_each(book->servername, [&list](const QLineEdit* box) { list << box->text(); });
        return list;
    }
    QString enabledSelectors() const { // "x" where a row's selector can be used, "." where it cannot
        QString rows;
        std::ranges::for_each(book->serverselect, [&](auto* b) { rows += QLatin1Char(b->isEnabled() ? 'x' : '.'); });
        return rows;
    }
    int checkedRow() const { // 0 for none
        const auto at = std::ranges::find_if(book->serverselect, &QRadioButton::isChecked);
        return at == book->serverselect.end() ? 0 : int(at - book->serverselect.begin()) + 1;
    }
    void checkSelected(int selected) const { // that row chosen, white on black, every other black on white, as set
        QCOMPARE(checkedRow(), selected);      // and as painted
        for (int n = 1; n <= 10; ++n)
            for (QLineEdit* box : {nameBox(n), addressBox(n)}) {
                QCOMPARE(box->palette().color(QPalette::Text), n == selected ? Qt::white : Qt::black);
                const QImage shot = box->grab().toImage();
                QCOMPARE(shot.pixelColor(shot.width() - 6, 3), n == selected ? Qt::black : Qt::white);
            }
    }
    void checkWarning(const QString& start) const { // none when start is empty
        const QString text = boxes.texts().join(QLatin1Char('\n'));
        const bool one = boxes.shown.size() == 1 && boxes.shown[0].title == "Warning!";
        QVERIFY2(start.isEmpty() ? boxes.shown.isEmpty() : one && text.startsWith(start), qPrintable(text));
    }

private slots:
    void initTestCase() { PrepareUiTest(), InitResources(), previousDir = QDir::currentPath(); }
    void init() {
        root = std::make_unique<QTemporaryDir>();
        quakeDir = root->filePath("Quake 2 folder"), iniFile = root->filePath("start here/trel.ini");
        QVERIFY(QDir().mkpath(root->filePath("start here")) && QDir().mkpath(quakeDir + QStringLiteral("/vorn")));
        QVERIFY(QFile::copy(QStringLiteral(TREL_STANDIN_GAME), gamePath()) &&
                QFile::setPermissions(gamePath(), QFile::permissions(gamePath()) | QFile::ExeOwner));
        recordFile = quakeDir + "/vorn/standin_record.txt", scriptFile = quakeDir + "/vorn/trel_connect.cfg";
        shared = {}, boxes.shown.clear(), starter.starts = 0;
        shared.Quake2Path = QFile::encodeName(gamePath()).toStdString();
        shared.Quake2Folder = QFile::encodeName(quakeDir).toStdString();
    }
    void cleanup() { book.reset(), QDir::setCurrent(previousDir), root.reset(); } // a game start changes folder

    // One book walked to the end each way: Remove empties the selected row; a filled row's box or selector chooses
    // its row, an empty one (also with only an address) does nothing; the dialog fills the first empty row. Cancel
    // and Connect save first, the close box does not; Cancel and the close box close it and its dialog; Connect joins
    // through the connect script or says why not, the window kept; a failed save is told, Cancel stays, Connect joins.
    void walk_data() {
        QTest::addColumn<Leaving>("leaving");
        QTest::newRow("Cancel saves") << Leaving{"Cancel", "", "", 0};
        QTest::newRow("the close box saves nothing") << Leaving{"close", "", "", 0};
        QTest::newRow("Cancel, trel.ini a folder") << Leaving{"Cancel", "ini", "The address book could not be", 0};
        QTest::newRow("Connect joins") << Leaving{"Connect", "", "", 1};
        QTest::newRow("semicolon") << Leaving{"Connect", "row 1", "The server address may not contain", 0};
        QTest::newRow("vorn a file") << Leaving{"Connect", "vorn", "The connect script could not be written", 0};
        QTest::newRow("a game that is no program") << Leaving{"Connect", "game", "Quake 2 could not be started.", 1};
        QTest::newRow("Connect, trel.ini a folder") << Leaving{"Connect", "ini", "The address book could not be", 1};
    }
    void walk() {
        QFETCH(const Leaving, leaving);
        const auto& [by, broken, message, starts] = leaving;
        if (broken == "vorn")
            QVERIFY(QDir(quakeDir + "/vorn").removeRecursively() && WriteAll(quakeDir + "/vorn", "not a folder"));
        if (broken == "game") // readable, not runnable
            QVERIFY(QFile::remove(gamePath()) && WriteAll(gamePath(), "not a program\n") &&
                    QFile::setPermissions(gamePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        // Row 3's name goes back byte for byte, also a byte the code page does not define: Trel's own table shows
        // it as U+FFFD; Windows' table for code page 1252 makes 0x81 U+0081.
        QList<QByteArray> rows{"Bad|127.0.0.5:27910;quit", "Fine|127.0.0.6:27910", "Thr\x80\x81|127.3.3.3:27910"};
        const QByteArray ini = kOtherSections + Book(QList(rows) << "|left over" << "Gone|127.0.0.4:27910");
        QVERIFY(WriteAll(iniFile, ini) && open());
        QCOMPARE(enabledSelectors(), QStringLiteral("xxx.x....."));
        QVERIFY((QTest::mouseClick(selector(5), Qt::LeftButton), checkedRow() == 5));
        QVERIFY((click(book->Command3), nameBox(5)->text().isEmpty() && addressBox(5)->text().isEmpty()));
        checkSelected(0);
        QVERIFY((click(book->Command3), enabledSelectors() == "xxx.......")); // nothing selected: nothing removed
        click(addressBox(1)); // and the focus goes on to the selector
        QTRY_VERIFY_WITH_TIMEOUT(QApplication::focusWidget() == selector(1), kTimeoutMs);
        QCOMPARE(checkedRow(), 1);
        for (QWidget* w : std::initializer_list<QWidget*>{nameBox(4), addressBox(4), selector(4)})
            QVERIFY((click(w), checkedRow() == 1));
        // Focus arriving at a filled row's box moves on to the selector; the row chosen stays chosen.
        nameBox(3)->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY_WITH_TIMEOUT(QApplication::focusWidget() == selector(3), kTimeoutMs);
        QCOMPARE(checkedRow(), 1);
        checkSelected(1);
        QPointer<server> d = (click(book->addserver), dialog());
        QVERIFY(d && QTest::qWaitForWindowExposed(d) && d->serverport->text() == QStringLiteral("27910"));
        d->activateWindow();
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), d->servername, kTimeoutMs);
        // Without an address the dialog says so and stays open with what was typed.
        QTest::keyClicks(d->servername, QStringLiteral("LAN party")), click(d->butaddserver);
        checkWarning(QStringLiteral("You must enter a Name and IP address for your server"));
        QVERIFY(dialog() == d && d->isVisible() && d->servername->text() == "LAN party");
        QTest::keyClicks(d->serverIP, QStringLiteral("127.168.0.10")), click(d->butaddserver);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog(), kTimeoutMs);
        // The new server fills the first empty row, not selected; the file waits for Connect or Cancel.
        QCOMPARE(nameBox(4)->text() + " " + addressBox(4)->text(), QStringLiteral("LAN party 127.168.0.10:27910"));
        QVERIFY(enabledSelectors() == "xxxx......" && checkedRow() == 1 && ReadAll(iniFile) == ini);
        const QStringList shown = names();
        const QChar undefined(QSysInfo::productType() == "windows" ? 0x81 : 0xFFFD);
        QCOMPARE(shown.join('|'), QStringLiteral("Bad|Fine|Thr€") + undefined + "|LAN party||||||");
        boxes.shown.clear();
        if (broken == "ini")
            QVERIFY(QFile::remove(iniFile) && QDir().mkpath(iniFile + QStringLiteral("/inside")));
        const int select = broken == "row 1" ? 1 : 2; // row 1's address holds a semicolon
        QSignalSpy cancelled(book.get(), &addressbook::cancelled), closed(book.get(), &addressbook::closed);
        QTest::mouseClick(selector(select), Qt::LeftButton);
        if (by != "Connect") // the dialog is left open
            QVERIFY((QTest::mouseClick(book->addserver, Qt::LeftButton), d = dialog()));
        by == "close" ? void(book->close()) : click(by == "Cancel" ? book->Command2 : book->Command1);
        QCOMPARE(starter.starts, starts);
        if (starts && broken != "game") { // the game's record is awaited first so that no failed check leaves it
            QTRY_COMPARE_WITH_TIMEOUT(ReadStandInRecords(recordFile).size(), 1, kTimeoutMs);
            const StandInRecord record = ReadStandInRecords(recordFile).first();
            QCOMPARE(record.args + record.lines << QDir(record.cwd).canonicalPath() << ReadAll(scriptFile),
                     (QStringList{"+set", "game", "vorn", "+exec", "trel_connect.cfg", "connect 127.0.0.6:27910",
                                  QDir(quakeDir).canonicalPath(), "connect 127.0.0.6:27910\r\n"}));
        } else if (!starts)
            QVERIFY(!QFile::exists(scriptFile) && !QFile::exists(recordFile));
        checkWarning(message);
        const QHash<QString, QString> named{{"vorn", scriptFile}, {"game", gamePath()}, {"ini", iniFile}};
        QVERIFY(boxes.texts().join(QString()).contains(QDir::toNativeSeparators(named.value(broken))));
        // Saved first, whatever follows. Wine's profile functions drop the blank line after [Quake2exe].
        rows << "LAN party|127.168.0.10:27910" << QList<QByteArray>(6, "|");
        const QByteArray saved = broken == "ini" ? QByteArray() : by == "close" ? ini : kOtherSections + Book(rows);
        if (saved == ini || saved.isEmpty() || !UnderWine())
            QCOMPARE(ReadAll(iniFile), saved);
        if (by == "Connect" || broken == "ini")
            QVERIFY(names() == shown && book->isVisible() && closed.count() == 0 && checkedRow() == select);
        else
            QTRY_VERIFY_WITH_TIMEOUT(!d && !book->isVisible() && closed.count() == 1 &&
                                         cancelled.count() == (by == "Cancel" ? 1 : 0), kTimeoutMs);
    }

    // Each filled row's server is asked at once, once more after a second and given up two and a half seconds
    // after the first request; only the address and port asked fill a row; Refresh asks again.
    void serverStatus() {
        const QByteArray good = Reply("\\mapname\\vorn02\\maxclients\\8\\hostname\\Friday\n12 35 \"A\"\n-3 99 \"B\"\n");
        Responder up(good), late(good), other(good, true), v6(good, false, QHostAddress::LocalHostIPv6);
        Responder hostile(Reply("\\hostname\\<b>big</b>\x01\\mapname\\vorn01\\maxclients\\<i>9</i>\n"
                                "99999999999 -5 \"\xc7\xef\xf2\xed<u>0</u>\"\n"));
        QUdpSocket closed; // a port with nobody behind it once closed; 0, a bad address, when it could not bind
        const int closedPort = closed.bind(QHostAddress::LocalHost, 0) ? closed.localPort() : 0;
        closed.close();
        const QList<QByteArray> rows{"Up|" + up.address(), "|" + up.address(), "Other|" + other.address(),
                                     "Hostile|" + hostile.address(), "Typo|127.0.0:2",
                                     "Named|" + up.address("localhost"), "Six|" + v6.address("[::1]"),
                                     "Late|" + late.address(), "Closed|127.0.0.1:" + QByteArray::number(closedPort)};
        QVERIFY(WriteAll(iniFile, Book(rows)) && open());
        const auto ping = [this](int n) { return book->serverping.at(n - 1)->text(); };
        const auto sent = [this](int n) { return book->statusQueries()->requestsSent(n - 1); };
        QVERIFY(ping(3) == "..." && ping(5) == "bad address" && ping(2).isEmpty()); // a row without a name is not asked
        for (const int n : {1, 4, 6, 7, 8})
            QTRY_VERIFY2_WITH_TIMEOUT(ping(n).endsWith(QLatin1String(" ms")), qPrintable(ping(n)), kTimeoutMs);
        for (const int n : {1, 6, 7, 8})
            QCOMPARE(row(n), QStringLiteral("vorn02 2/8"));
        // Rows 1 and 6, not the row without a name; one answer may fill both rows before the second request is read.
        QTRY_COMPARE_WITH_TIMEOUT(up.requests.load(), sent(1) + sent(6), kTimeoutMs);
        // What a server sends is shown as text, cleaned and capped as the core tests check.
        QVERIFY((click(book->serverping.at(3)), checkedRow() == 4 && row(4) == "vorn01 1/<i>9</i>"));
        QVERIFY(book->lblhostname->textFormat() == Qt::PlainText && book->lblhostname->text() == "<b>big</b>");
        const QTreeWidgetItem* first = book->playerlist->topLevelItem(0);
        QVERIFY(book->playerlist->topLevelItemCount() == 1 && first->text(0) + first->text(2) == "Gorm<u>0</u>-5");
        click(nameBox(3)); // a row whose server has not answered shows nobody
        QVERIFY(book->playerlist->topLevelItemCount() == 0 && book->lblhostname->text().isEmpty());
        for (const int n : {3, 9})
            QTRY_COMPARE_WITH_TIMEOUT(ping(n), QStringLiteral("no answer"), kTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(other.requests == 2 && sent(9) == 2 && row(3) == " ", kTimeoutMs);

        // Refresh asks again; a row removed meanwhile is cleared and its answer, held till then, ignored.
        const int asked = up.requests, lateAsked = late.requests;
        late.held = true;
        QVERIFY((click(book->butrefresh), ping(1) == "..."));
        QVERIFY((click(nameBox(8)), click(book->Command3), ping(8).isEmpty()));
        QTRY_VERIFY_WITH_TIMEOUT(late.requests > lateAsked, kTimeoutMs);
        late.release(); // answered before it returns
        for (const int n : {1, 6})
            QTRY_VERIFY_WITH_TIMEOUT(ping(n).endsWith(QLatin1String(" ms")), kTimeoutMs);
        const int refreshed = sent(1) + sent(6);
        // An answer to a request sent after the held answer left is read after it.
        book->serverping[0]->clear(); // the row's earlier answer must not count
        book->statusQueries()->query(0, up.address().toStdString());
        QTRY_VERIFY_WITH_TIMEOUT(ping(1).endsWith(QLatin1String(" ms")), kTimeoutMs);
        QVERIFY(row(8) == " " && ping(8).isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(up.requests.load(), asked + refreshed + sent(1), kTimeoutMs);
        QVERIFY(boxes.shown.isEmpty());
    }
};

QTEST_MAIN(TestAddressBook)
#include "test_addressbook.moc"
