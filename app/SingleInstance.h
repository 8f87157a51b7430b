#pragma once
// One Trel per settings file: two windows on one trel.ini would store their options over each other.
// The first start in a folder holds a lock named after its trel.ini and listens; a later start in the
// same folder asks it to come to the front and ends.

#include <QLockFile>
#include <QObject>
#include <QString>

#include <filesystem>
#include <memory>

class QLocalServer;

namespace trel {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const std::filesystem::path& settingsFile, QObject* parent = nullptr);
    ~SingleInstance() override;

    /// Takes the settings file for this process. False when another running Trel holds it; that one has
    /// then been asked to come to the front. A lock left by a killed Trel is taken over.
    bool claim();

    /// The name the lock and the listening socket are known by, the same for every spelling of the folder.
    QString name() const { return name_; }

signals:
    /// A later start in the same folder wants this Trel in front.
    void raiseRequested();

private:
    QString name_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};

} // namespace trel
