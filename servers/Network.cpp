#include "Network.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QStringList>
#include <QtGlobal>

namespace trel {

Network* NetworkModule::network() {
    if (tried_)
        return network_;
    tried_ = true;
    const QDir program(QCoreApplication::applicationDirPath());
    QStringList folders{program.path()};
#ifdef TREL_NETWORK_MODULE_FROM_PROGRAM
    folders.append(QDir::cleanPath(program.filePath(QStringLiteral(TREL_NETWORK_MODULE_FROM_PROGRAM))));
#endif
    QStringList reasons;
    for (const QString& folder : folders) {
        // The module stays loaded when its QLibrary goes: its parts live until the program ends.
        QLibrary module(QDir(folder).filePath(QStringLiteral("trelnet")));
        using Entry = Network* (*)();
        if (const auto entry = reinterpret_cast<Entry>(module.resolve("trel_network")))
            return network_ = entry();
        reasons.append(module.errorString());
    }
    qWarning("Trel works without its network parts: %s", qPrintable(reasons.join(QStringLiteral("; "))));
    return nullptr;
}

} // namespace trel
