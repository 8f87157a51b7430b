#include "LinkedNetwork.h"

#include "statusqueries.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <utility>

namespace trel {
namespace {

class LocalListener : public InstanceListener {
public:
    LocalListener(const QString& name, std::function<void()> knock) : knock_(std::move(knock)) {
        // A socket left behind by a killed listener would refuse the name.
        QLocalServer::removeServer(name);
        server_.setSocketOptions(QLocalServer::UserAccessOption);
        QObject::connect(&server_, &QLocalServer::newConnection, &server_, [this] {
            while (QLocalSocket* peer = server_.nextPendingConnection()) {
                QObject::connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
                peer->disconnectFromServer();
                knock_();
            }
        });
        server_.listen(name);
    }

private:
    std::function<void()> knock_;
    QLocalServer server_;
};

class QtNetwork : public Network {
public:
    std::unique_ptr<StatusQueries> statusQueries(StatusQueries::Replies replies) override {
        return std::make_unique<UdpStatusQueries>(std::move(replies));
    }
    std::unique_ptr<InstanceListener> listen(const QString& name, std::function<void()> knock) override {
        return std::make_unique<LocalListener>(name, std::move(knock));
    }
    bool knock(const QString& name, int waitMs) override {
        QLocalSocket socket;
        socket.connectToServer(name);
        if (!socket.waitForConnected(waitMs))
            return false;
        // The connection itself is the request; nothing needs to be said.
        socket.disconnectFromServer();
        return true;
    }
};

} // namespace

Network& LinkedNetwork() {
    static QtNetwork network;
    return network;
}

Network* LinkedNetworkSource::network() {
    return &LinkedNetwork();
}

} // namespace trel
