#include "DocumentOpener.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace trel {

bool DesktopDocumentOpener::open(const QString& fileOrAddress) {
    const QUrl url = QFileInfo(fileOrAddress).isAbsolute() ? QUrl::fromLocalFile(fileOrAddress)
                                                           : QUrl::fromUserInput(fileOrAddress);
    return QDesktopServices::openUrl(url);
}

} // namespace trel
