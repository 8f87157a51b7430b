#pragma once
// One Trel per settings file: two windows on one trel.ini would store their options over each other.
// The first start in a folder holds a lock named after its trel.ini and, once its window is up, listens;
// a later start in the same folder knocks to bring it to the front and ends.

#include <QLockFile>
#include <QObject>
#include <QString>

#include <filesystem>
#include <memory>

namespace trel {

class InstanceListener;
class NetworkSource;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    SingleInstance(const std::filesystem::path& settingsFile, NetworkSource& network, QObject* parent = nullptr);
    ~SingleInstance() override;

    /// Takes the settings file for this process. False when another running Trel holds it; that one has
    /// then been asked to come to the front. A lock left by a killed Trel is taken over.
    bool claim();
    /// After a successful claim: from now on a later start on the same settings file is heard.
    void listen();

    /// The name the lock and the listening channel are known by, the same for every spelling of the folder.
    QString name() const { return name_; }

signals:
    /// A later start in the same folder wants this Trel in front.
    void raiseRequested();

private:
    QString name_;
    NetworkSource& network_;
    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<InstanceListener> listener_;
};

} // namespace trel
