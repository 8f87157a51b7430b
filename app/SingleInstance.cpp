#include "SingleInstance.h"

#include "Network.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

namespace trel {

SingleInstance::SingleInstance(const std::filesystem::path& settingsFile, NetworkSource& network, QObject* parent)
    : QObject(parent), network_(network) {
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
    if (lock_->tryLock(0))
        return true;
    // The running Trel may still be starting: a few short tries, then this start ends all the same.
    Network* network = network_.network();
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (network && network->knock(name_, 200))
            return false;
        if (lock_->tryLock(200))
            return true; // its holder ended meanwhile
    }
    return false;
}

void SingleInstance::listen() {
    if (listener_ || !lock_->isLocked())
        return;
    if (Network* network = network_.network())
        listener_ = network->listen(name_, [this] { emit raiseRequested(); });
}

} // namespace trel
