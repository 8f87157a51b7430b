#pragma once
// Asks the address book's servers for their status: one UDP socket for every row, name look-ups that never
// wait, a retry after a second and "no answer" after two and a half. Nothing here waits in a loop; every
// datagram is checked against the address and port that was asked before its bytes are read.

#include "mdlServercode.h"
#include "Network.h"
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

class UdpStatusQueries : public QObject, public StatusQueries {
    Q_OBJECT
public:
    explicit UdpStatusQueries(Replies replies, QObject* parent = nullptr);
    ~UdpStatusQueries() override;

    void query(std::size_t row, const std::string& address) override;
    void forget(std::size_t row) override;
    int requestsSent(std::size_t row) const override { return rows_.at(row).sent; }

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

    Replies replies_;
    QUdpSocket* socket_ = nullptr;
    std::array<Row, kAddressBookRows> rows_;
};

} // namespace trel
