#include "DocumentOpener.h"

#include "MessageBoxes.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace trel {

bool DesktopDocumentOpener::open(const QString& fileOrAddress) {
    const QUrl url =
        QFileInfo(fileOrAddress).isAbsolute() ? QUrl::fromLocalFile(fileOrAddress) : QUrl::fromUserInput(fileOrAddress);
    return QDesktopServices::openUrl(url);
}

bool OpenDocument(DocumentOpener& documents, MessageBoxes& boxes, QWidget* owner, const QString& file) {
    const QString shown = QFileInfo(file).isAbsolute() ? QDir::toNativeSeparators(file) : file;
    // The desktop may accept a missing file and fail later where nobody sees it; Trel says so itself.
    if (QFileInfo(file).isAbsolute() && !QFileInfo::exists(file)) {
        boxes.warning(owner, QStringLiteral("The file %1 was not found.").arg(shown));
        return false;
    }
    if (!documents.open(file)) {
        boxes.warning(owner, QStringLiteral("No program could be started to open %1.").arg(shown));
        return false;
    }
    return true;
}

} // namespace trel
