#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

namespace trel {

SingleInstance::SingleInstance(const std::filesystem::path& settingsFile, QObject* parent) : QObject(parent) {
    const QFileInfo file(QString::fromStdString(std::filesystem::absolute(settingsFile).lexically_normal().string()));
    QString folder = file.absoluteDir().canonicalPath();
    if (folder.isEmpty())
        folder = file.absolutePath();
    const QString key = QDir(folder).filePath(file.fileName());
    name_ = QStringLiteral("trel-") +
            QString::fromLatin1(QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex().left(32));
    lock_ = std::make_unique<QLockFile>(QDir(QDir::tempPath()).filePath(name_ + QStringLiteral(".lock")));
    // Only a lock whose process is gone counts as stale, never one that is merely old.
    lock_->setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::claim() {
    if (lock_->tryLock(0)) {
        // A socket left behind by a killed Trel would refuse the name.
        QLocalServer::removeServer(name_);
        server_ = new QLocalServer(this);
        server_->setSocketOptions(QLocalServer::UserAccessOption);
        connect(server_, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* peer = server_->nextPendingConnection()) {
                connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
                peer->disconnectFromServer();
                emit raiseRequested();
            }
        });
        server_->listen(name_);
        return true;
    }
    // The running Trel may still be starting: a few short tries, then this start ends all the same.
    for (int attempt = 0; attempt < 5; ++attempt) {
        QLocalSocket socket;
        socket.connectToServer(name_);
        if (socket.waitForConnected(200)) {
            // The connection itself is the request; nothing needs to be said.
            socket.disconnectFromServer();
            return false;
        }
        if (lock_->tryLock(200))
            return lock_->unlock(), claim(); // its holder ended meanwhile
    }
    return false;
}

} // namespace trel
