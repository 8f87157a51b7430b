#pragma once
// The one way Trel asks the desktop to open a document or web address with the program associated with it.

#include <QString>
#include <QStringList>

class QWidget;

namespace trel {

class MessageBoxes;

class DocumentOpener {
public:
    virtual ~DocumentOpener() = default;
    /// Opens a local file or a web address; false when the desktop could not open it.
    virtual bool open(const QString& fileOrAddress) = 0;
};

class DesktopDocumentOpener final : public DocumentOpener {
public:
    bool open(const QString& fileOrAddress) override;
};

/// For tests: records the request instead of starting a browser or editor.
class RecordedDocumentOpener final : public DocumentOpener {
public:
    bool open(const QString& fileOrAddress) override {
        opened << fileOrAddress;
        return succeed;
    }
    QStringList opened;
    bool succeed = true;
};

/// Hands file (a local file or a web address) to the desktop, which opens it with the program that
/// belongs to it. A local file that does not exist, or a file the desktop cannot open, gives a "Warning!"
/// naming it, owned by owner. True when the desktop took the file.
bool OpenDocument(DocumentOpener& documents, MessageBoxes& boxes, QWidget* owner, const QString& file);

} // namespace trel
