#include "Network.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QStringList>

namespace trel {

NetworkModule::NetworkModule() = default;
// The module stays loaded: parts of it may outlive this object until the program ends.
NetworkModule::~NetworkModule() = default;

Network* NetworkModule::network(QString* why) {
    if (!tried_) {
        tried_ = true;
        const QDir program(QCoreApplication::applicationDirPath());
        QStringList folders{program.path()};
#ifdef TREL_NETWORK_MODULE_FROM_PROGRAM
        folders.append(QDir::cleanPath(program.filePath(QStringLiteral(TREL_NETWORK_MODULE_FROM_PROGRAM))));
#endif
        QStringList reasons;
        for (const QString& folder : folders) {
            QLibrary module(QDir(folder).filePath(QStringLiteral("trelnet")));
            using Entry = Network* (*)();
            if (const auto entry = reinterpret_cast<Entry>(module.resolve("trel_network"))) {
                network_ = entry();
                break;
            }
            reasons.append(module.errorString());
        }
        if (!network_)
            why_ = reasons.join(QStringLiteral("; "));
    }
    if (why)
        *why = why_;
    return network_;
}

} // namespace trel
