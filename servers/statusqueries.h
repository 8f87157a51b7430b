#pragma once
// Asks the address book's servers for their status: one UDP socket for every row, name look-ups that never
// wait, a retry after a second and "no answer" after two and a half. Nothing here waits in a loop; every
// datagram is checked against the address and port that was asked before its bytes are read.

#include "mdlServercode.h"
#include "serverstatus.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class QUdpSocket;
class QHostInfo;

namespace trel {

class StatusQueries : public QObject {
    Q_OBJECT
public:
    /// With no reply this long after a request, it is sent once more.
    static constexpr int kRetryMs = 1000;
    /// With no reply this long after the first request, the row has no answer.
    static constexpr int kGiveUpMs = 2500;

    explicit StatusQueries(QObject* parent = nullptr);
    ~StatusQueries() override;

    /// Asks the server at address for row (0 to 9); an earlier query of the row is forgotten. A bad address
    /// is reported at once, a name is looked up first.
    void query(std::size_t row, const std::string& address);
    /// Forgets the row's query: a late reply or look-up for it is ignored.
    void forget(std::size_t row);
    /// How many requests have been sent for the row's current query.
    int requestsSent(std::size_t row) const { return rows_.at(row).sent; }

signals:
    /// The row's server answered: its status and the round trip in whole milliseconds.
    void answered(std::size_t row, const trel::ServerStatus& status, qint64 milliseconds);
    /// The row's query ended without an answer: "bad address", "unknown host" or "no answer".
    void unanswered(std::size_t row, const QString& why);

private:
    enum class State { Idle, LookingUp, Waiting };
    struct Row {
        State state = State::Idle;
        unsigned generation = 0; // changes with every query, so a late look-up knows it is stale
        int lookup = -1;
        QHostAddress host;
        std::uint16_t port = 0;
        int sent = 0;
        QElapsedTimer sinceFirst; // for giving up
        QElapsedTimer sinceLast;  // for the round trip
        QTimer timer;
    };

    void resolved(std::size_t row, unsigned generation, const QHostInfo& info);
    void send(std::size_t row);
    void timeout(std::size_t row);
    void readDatagrams();
    void finish(std::size_t row);

    QUdpSocket* socket_ = nullptr;
    std::array<Row, kAddressBookRows> rows_;
};

} // namespace trel
