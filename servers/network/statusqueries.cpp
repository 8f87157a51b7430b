#include "statusqueries.h"

#include <QHostInfo>
#include <QList>
#include <QNetworkDatagram>
#include <QUdpSocket>

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>

namespace trel {
namespace {

/// Datagrams read in one go; more wait for the next turn of the event loop, so a flood cannot hold it.
constexpr int kDatagramsPerTurn = 64;

} // namespace

UdpStatusQueries::UdpStatusQueries(Replies replies, QObject* parent)
    : QObject(parent), replies_(std::move(replies)), socket_(new QUdpSocket(this)) {
    // One socket for every row, both address families; the system picks the port.
    socket_->bind(QHostAddress::Any, 0);
    connect(socket_, &QUdpSocket::readyRead, this, &UdpStatusQueries::readDatagrams);
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        rows_[i].timer.setSingleShot(true);
        rows_[i].timer.setTimerType(Qt::PreciseTimer);
        connect(&rows_[i].timer, &QTimer::timeout, this, [this, i] { timeout(i); });
    }
}

UdpStatusQueries::~UdpStatusQueries() {
    for (std::size_t i = 0; i < rows_.size(); ++i)
        finish(i);
}

void UdpStatusQueries::query(std::size_t row, const std::string& address) {
    finish(row);
    Row& r = rows_.at(row);
    r.sent = 0;
    const std::optional<ServerEndpoint> endpoint = ParseServerAddress(address);
    if (!endpoint) {
        replies_.unanswered(row, QStringLiteral("bad address"));
        return;
    }
    r.port = endpoint->port;
    const QString host = QString::fromLatin1(endpoint->host.data(), static_cast<qsizetype>(endpoint->host.size()));
    if (endpoint->kind != HostKind::Name) {
        if (!r.host.setAddress(host)) {
            replies_.unanswered(row, QStringLiteral("bad address"));
            return;
        }
        r.state = State::Waiting;
        send(row);
        return;
    }
    r.state = State::LookingUp;
    const unsigned generation = r.generation;
    r.lookup = QHostInfo::lookupHost(
        host, this, [this, row, generation](const QHostInfo& info) { resolved(row, generation, info); });
}

void UdpStatusQueries::forget(std::size_t row) {
    finish(row);
}

void UdpStatusQueries::resolved(std::size_t row, unsigned generation, const QHostInfo& info) {
    Row& r = rows_.at(row);
    if (r.state != State::LookingUp || r.generation != generation)
        return;
    r.lookup = -1;
    // Most servers of the game speak IPv4 only: an IPv4 address first, when the name has one.
    const QList<QHostAddress> found = info.error() == QHostInfo::NoError ? info.addresses() : QList<QHostAddress>();
    const auto v4 = std::find_if(found.begin(), found.end(),
                                 [](const QHostAddress& a) { return a.protocol() == QAbstractSocket::IPv4Protocol; });
    if (found.isEmpty()) {
        finish(row);
        replies_.unanswered(row, QStringLiteral("unknown host"));
        return;
    }
    r.host = v4 != found.end() ? *v4 : found.front();
    r.state = State::Waiting;
    send(row);
}

void UdpStatusQueries::send(std::size_t row) {
    Row& r = rows_.at(row);
    static const QByteArray request = QByteArray::fromStdString(StatusRequest());
    socket_->writeDatagram(request, r.host, r.port);
    ++r.sent;
    r.sinceLast.start();
    if (r.sent == 1) {
        r.sinceFirst.start();
        r.timer.start(kRetryMs);
    } else {
        r.timer.start(static_cast<int>(std::max<qint64>(0, kGiveUpMs - r.sinceFirst.elapsed())));
    }
}

void UdpStatusQueries::timeout(std::size_t row) {
    Row& r = rows_.at(row);
    if (r.state != State::Waiting)
        return;
    if (r.sent < 2) {
        send(row);
        return;
    }
    finish(row);
    replies_.unanswered(row, QStringLiteral("no answer"));
}

void UdpStatusQueries::readDatagrams() {
    for (int n = 0; n < kDatagramsPerTurn && socket_->hasPendingDatagrams(); ++n) {
        // One byte more than a reply may have tells a longer datagram from one of the largest size.
        const QNetworkDatagram datagram = socket_->receiveDatagram(static_cast<qint64>(kLargestStatusReply) + 1);
        const QByteArray bytes = datagram.data();
        if (bytes.size() > static_cast<qsizetype>(kLargestStatusReply))
            continue;
        // Only the address and port that was asked: a stray or spoofed packet never fills a row.
        std::array<bool, kAddressBookRows> asked{};
        bool any = false;
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            const Row& r = rows_[i];
            asked[i] = r.state == State::Waiting && datagram.senderPort() == r.port &&
                       datagram.senderAddress().isEqual(r.host, QHostAddress::TolerantConversion);
            any = any || asked[i];
        }
        if (!any)
            continue;
        const std::optional<ServerStatus> status =
            ParseStatusReply(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        if (!status)
            continue;
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            if (!asked[i] || rows_[i].state != State::Waiting)
                continue;
            const qint64 milliseconds = rows_[i].sinceLast.elapsed();
            finish(i);
            replies_.answered(i, *status, milliseconds);
        }
    }
    if (socket_->hasPendingDatagrams())
        QTimer::singleShot(0, this, &UdpStatusQueries::readDatagrams);
}

void UdpStatusQueries::finish(std::size_t row) {
    Row& r = rows_.at(row);
    if (r.lookup >= 0)
        QHostInfo::abortHostLookup(r.lookup);
    r.lookup = -1;
    r.timer.stop();
    r.state = State::Idle;
    ++r.generation;
}

} // namespace trel
