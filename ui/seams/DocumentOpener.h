#pragma once
// The one way Trel asks the desktop to open a document or web address with the program associated with it.

#include <QString>
#include <QStringList>

namespace trel {

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

} // namespace trel
