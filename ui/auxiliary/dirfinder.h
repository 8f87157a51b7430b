#pragma once
// The Quake 2 locator: a drive list, a folder tree and a list of the programs in the chosen folder.

#include <QList>
#include <QModelIndex>
#include <QWidget>

class QComboBox;
class QFileSystemModel;
class QFrame;
class QLabel;
class QListView;
class QPushButton;
class QTreeView;

namespace trel {

class MessageBoxes;
class ProgramFileFilter;

class dirfinder : public QWidget {
    Q_OBJECT
public:
    explicit dirfinder(MessageBoxes& boxes, QWidget* parent = nullptr);
    ~dirfinder() override;

    /// The folder the tree shows as current (the Quake 2 folder when confirmed), in native form.
    QString currentDirectory() const;
    /// The file chosen in the file list, or "" when none.
    QString chosenFileName() const;

    /// Moves the tree (and with it the label and the file list) to folder.
    void setDirectory(const QString& folder);
    /// Chooses the file in the file list.
    void chooseFile(const QString& fileName);

    /// One entry of the drive list.
    struct Drive {
        QString rootPath; // where the drive's folder tree starts
        QString entry;    // the text the list shows
    };
    /// The drives of this computer: Windows drive letters, elsewhere the mounted volumes.
    static QList<Drive> systemDrives();
    /// Replaces the drives offered (the window starts with systemDrives()). The tree stays where it is
    /// when its folder lies on one of them, otherwise it moves to the first drive's root.
    void setDrives(const QList<Drive>& drives);

    /// A Quake 2 folder found on this computer and its executable.
    struct Found {
        QString folder;
        QString executable; // the file name in folder
    };
    /// Offers the installations found, best first, in the "Found:" list (the window grows to hold it) and
    /// moves to the first with its executable chosen. With none the window stays as it is.
    void setFound(const QList<Found>& found);

signals:
    void confirmed();  // "Ok" or a double-click in the file list
    void cancelled();  // "Cancel" or the title-bar close box

protected:
    void closeEvent(QCloseEvent* event) override;

public:
    QFrame* Frame1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lbldrive = nullptr;
    QTreeView* directory = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* drive = nullptr;
    QLabel* filename = nullptr;
    QListView* filelist = nullptr;
    QPushButton* butfounddirok = nullptr;
    QPushButton* butcancel = nullptr;
    QFrame* Frame2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Picture1 = nullptr;
    QLabel* lblfound = nullptr;
    QComboBox* cmbfound = nullptr;

private:
    MessageBoxes& boxes_;
    QFileSystemModel* dirModel_ = nullptr;
    QFileSystemModel* fileModel_ = nullptr;
    ProgramFileFilter* fileFilter_ = nullptr;
    bool closingByCode_ = false;
    QList<Drive> drives_;
    int currentDrive_ = -1;  // the drive list's entry the tree shows; kept when a drive is not ready
    QString treeRoot_;       // the root folder of the drive the tree shows
    QString currentDir_;     // the tree's current folder, with "/" separators
    bool followCurrent_ = false; // keep the current folder in view while the tree loads, until the user scrolls
    QList<Found> found_;
    QString pendingFile_;        // the file to choose once the file list has read its folder

    void showFound(int index);
    void choosePendingFile();

    void onDriveChosen(int index);
    void onTreeCurrentChanged(const QModelIndex& current);
    void showDrive(const QString& rootPath);
    void hideOtherVolumes(int first, int last);
    void moveTree(const QString& folder);
    void keepCurrentInView();
    void showFolder(const QString& folder);
    void showFiles(const QString& folder);
    int driveIndexFor(const QString& folder) const;
    static bool driveReady(const QString& rootPath);

public:
    /// Closes the window without it counting as a cancel (after an accepted executable).
    void closeAccepted();
};

} // namespace trel
