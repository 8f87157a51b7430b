// The address book's server status on loopback: ten servers that answer after 0 to 50 ms, and one that
// answers at once. For each press of "&Refresh": the time until the last row is filled, less the slowest
// server's delay (what Trel itself adds), and the longest gap between two turns of the event loop meanwhile.
// Prints the medians over the runs and the worst gap.
// Run: QT_QPA_PLATFORM=offscreen build/bench/status_bench

#include "LinkedNetwork.h"
#include "addressbook.h"
#include "seams/GameStarter.h"
#include "seams/MessageBoxes.h"
#include "serverstatus.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHostAddress>
#include <QLineEdit>
#include <QNetworkDatagram>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QUdpSocket>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kRuns = 21;
constexpr int kRunLimitMs = 5000; // a run that takes longer has failed

/// A loopback server that answers every status request after its delay.
class DelayedServer : public QObject {
public:
    explicit DelayedServer(int delayMs) : delayMs_(delayMs) {
        socket_.bind(QHostAddress::LocalHost, 0);
        connect(&socket_, &QUdpSocket::readyRead, this, [this] {
            while (socket_.hasPendingDatagrams()) {
                const QNetworkDatagram request = socket_.receiveDatagram();
                QTimer::singleShot(delayMs_, Qt::PreciseTimer, this, [this, request] {
                    socket_.writeDatagram(kReply, request.senderAddress(), request.senderPort());
                });
            }
        });
    }
    quint16 port() const { return socket_.localPort(); }

private:
    static inline const QByteArray kReply = QByteArray::fromStdString(std::string(trel::kStatusReplyPrefix)) +
                                            "\\mapname\\vorn01\\maxclients\\8\\hostname\\bench\n12 35 \"Gorm\"\n";
    QUdpSocket socket_;
    int delayMs_;
};

class NoStarts final : public trel::GameStarter {
public:
    bool start(const trel::LaunchRequest&, QString&) override { return false; }
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Figures {
    double medianMs = 0;  // Refresh to the last row filled, less the slowest delay
    double medianGap = 0; // the longest event-loop gap of a run, median over the runs
    double worstGap = 0;  // the longest event-loop gap of any run
    int failed = 0;       // runs that did not fill every row in time
};

Figures Measure(const std::vector<int>& delays) {
    std::vector<std::unique_ptr<DelayedServer>> servers;
    QByteArray ini = "[AddressBook]\r\n";
    for (std::size_t i = 0; i < delays.size(); ++i) {
        servers.push_back(std::make_unique<DelayedServer>(delays[i]));
        const QByteArray n = QByteArray::number(static_cast<int>(i) + 1);
        ini += "ServerName " + n + "=Server " + n + "\r\nServerIp " + n +
               "=127.0.0.1:" + QByteArray::number(servers.back()->port()) + "\r\n";
    }
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("trel.ini")));
    if (!file.open(QIODevice::WriteOnly) || file.write(ini) != ini.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
    file.close();

    trel::SharedValues shared;
    trel::RecordedMessageBoxes boxes;
    NoStarts starter;
    trel::LinkedNetworkSource network;
    trel::addressbook book(shared, QFile::encodeName(file.fileName()).toStdString(), boxes, starter, network);
    book.show();

    const auto filled = [&] {
        for (std::size_t i = 0; i < delays.size(); ++i) {
            if (!book.serverping[i]->text().endsWith(QLatin1String(" ms")))
                return false;
        }
        return true;
    };
    const auto waitFilled = [&] {
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (filled())
                loop.quit();
        });
        check.start(0);
        QTimer::singleShot(kRunLimitMs, &loop, &QEventLoop::quit);
        loop.exec();
    };
    waitFilled(); // the queries of the window's opening

    const int slowest = *std::max_element(delays.begin(), delays.end());
    std::vector<double> times;
    std::vector<double> gaps;
    Figures figures;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer clock;
        QElapsedTimer sinceTick;
        double longestGap = 0;
        bool done = false;
        QEventLoop loop;
        QTimer tick; // runs on every turn of the event loop
        QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
            longestGap = std::max(longestGap, static_cast<double>(sinceTick.nsecsElapsed()) / 1e6);
            sinceTick.start();
            if (!done && filled()) {
                done = true;
                times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6 - slowest);
                loop.quit();
            }
        });
        QTimer::singleShot(kRunLimitMs, &loop, &QEventLoop::quit);
        clock.start();
        book.butrefresh->click();
        sinceTick.start();
        tick.start(0);
        loop.exec();
        if (!done)
            ++figures.failed;
        gaps.push_back(longestGap);
        figures.worstGap = std::max(figures.worstGap, longestGap);
    }
    figures.medianMs = times.empty() ? -1 : Median(times);
    figures.medianGap = Median(gaps);
    return figures;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const std::vector<int> ten = {0, 5, 11, 16, 22, 27, 33, 38, 44, 50};
    const Figures many = Measure(ten);
    const Figures one = Measure({0});
    std::printf("server status on loopback, %d presses of Refresh each (medians)\n", kRuns);
    std::printf("%-44s %8.2f ms\n", "ten servers: last row filled - slowest delay", many.medianMs);
    std::printf("%-44s %8.2f ms (worst %.2f ms)\n", "ten servers: longest event-loop gap", many.medianGap,
                many.worstGap);
    std::printf("%-44s %8.2f ms\n", "one server: row filled", one.medianMs);
    std::printf("%-44s %8.2f ms (worst %.2f ms)\n", "one server: longest event-loop gap", one.medianGap, one.worstGap);
    if (many.failed + one.failed > 0)
        std::printf("%d runs did not fill every row within %d ms\n", many.failed + one.failed, kRunLimitMs);
    return many.failed + one.failed > 0 ? 1 : 0;
}
