#include "dirfinder.h"

#include "Resources.h"
#include "mdlsplash.h"
#include "seams/MessageBoxes.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QListView>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSortFilterProxyModel>
#include <QStorageInfo>
#include <QTreeView>

#include <algorithm>

namespace trel {

// The file list shows programs only. The file-system model's own permission filter cannot say
// "executable files" (it hides readable ones instead), so the rows of the listed folder are sifted here;
// the folders above it must stay so that the list's root can be reached.
class ProgramFileFilter : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void setFolder(const QModelIndex& sourceFolder) {
        folder_ = sourceFolder;
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override {
        if (sourceParent != folder_)
            return true;
        const auto* model = static_cast<const QFileSystemModel*>(sourceModel());
        const QFileInfo info = model->fileInfo(model->index(sourceRow, 0, sourceParent));
#ifdef Q_OS_WIN
        // The model's name filter has already kept only "*.exe".
        return info.isFile();
#else
        return info.isFile() && info.isExecutable();
#endif
    }

private:
    QPersistentModelIndex folder_;
};

namespace {

#ifdef Q_OS_WIN
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseSensitive;
#endif

QString CleanFolder(const QString& folder) {
    return QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
}

bool IsInside(const QString& folder, const QString& root) {
    if (folder.compare(root, kPathCase) == 0)
        return true;
    const QString prefix = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
    return folder.startsWith(prefix, kPathCase);
}

// What the directory label and the not-ready warning name a drive by: its letter and colon on
// Windows, its root folder elsewhere.
QString DriveEntryForLabel(const dirfinder::Drive& drive) {
#ifdef Q_OS_WIN
    return drive.entry;
#else
    return QDir::toNativeSeparators(drive.rootPath);
#endif
}

QString DriveName(const dirfinder::Drive& drive) {
#ifdef Q_OS_WIN
    return drive.entry.left(2);
#else
    return QDir::toNativeSeparators(drive.rootPath);
#endif
}

void CentreOnScreen(QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect area(QPoint(), window.size());
    area.moveCenter(screen->availableGeometry().center());
    window.move(area.topLeft());
}

QFrame* MakeFrame(QWidget* parent, const char* name, const QRect& geometry) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(QString::fromLatin1(name));
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setGeometry(geometry);
    return frame;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QPoint at) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(at);
    label->adjustSize();
    return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QRect& geometry) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    return button;
}

} // namespace

dirfinder::dirfinder(MessageBoxes& boxes, QWidget* parent) : QWidget(parent, Qt::Tool), boxes_(boxes) {
    InitResources();
    setObjectName(QStringLiteral("dirfinder"));
    setWindowTitle(QStringLiteral("Select your Quake2 Executable"));
    setFixedSize(305, 354);

    Frame1 = MakeFrame(this, "Frame1", QRect(8, 8, 289, 265));
    Label1 = MakeLabel(Frame1, "Label1", QStringLiteral("Directory:"), QPoint(8, 16));
    lbldrive = new QLabel(Frame1);
    lbldrive->setObjectName(QStringLiteral("lbldrive"));
    lbldrive->setGeometry(56, 16, 81, 17);
    lbldrive->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    dirModel_ = new QFileSystemModel(this);
    dirModel_->setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Drives);
    directory = new QTreeView(Frame1);
    directory->setObjectName(QStringLiteral("directory"));
    directory->setGeometry(8, 32, 129, 141);
    directory->setModel(dirModel_);
    for (int column = 1; column < dirModel_->columnCount(); ++column)
        directory->hideColumn(column);
    directory->setHeaderHidden(true);
    directory->setIndentation(10);
    directory->setAnimated(false);
    directory->setUniformRowHeights(true);
    directory->setEditTriggers(QAbstractItemView::NoEditTriggers);

    Label2 = MakeLabel(Frame1, "Label2", QStringLiteral("Drive:"), QPoint(8, 176));
    drive = new QComboBox(Frame1);
    drive->setObjectName(QStringLiteral("drive"));
    drive->setGeometry(8, 192, 129, 21);

    filename = MakeLabel(Frame1, "filename", QStringLiteral("Filename:"), QPoint(152, 16));
    fileModel_ = new QFileSystemModel(this);
    fileModel_->setFilter(QDir::Files | QDir::NoDotAndDotDot);
#ifdef Q_OS_WIN
    fileModel_->setNameFilters({QStringLiteral("*.exe")});
    fileModel_->setNameFilterDisables(false);
#endif
    fileFilter_ = new ProgramFileFilter(this);
    fileFilter_->setSourceModel(fileModel_);
    filelist = new QListView(Frame1);
    filelist->setObjectName(QStringLiteral("filelist"));
    filelist->setGeometry(152, 32, 129, 175);
    filelist->setModel(fileFilter_);
    filelist->setEditTriggers(QAbstractItemView::NoEditTriggers);
    filelist->setSelectionMode(QAbstractItemView::SingleSelection);

    butfounddirok = MakeButton(Frame1, "butfounddirok", QStringLiteral("Ok"), QRect(32, 224, 89, 25));
    butcancel = MakeButton(Frame1, "butcancel", QStringLiteral("Cancel"), QRect(168, 224, 89, 25));

    Frame2 = MakeFrame(this, "Frame2", QRect(8, 272, 289, 73));
    Label3 = new QLabel(QStringLiteral("This is probably the first time you have run Trel, just select your Quake2.exe "
                                       "and providing you have a vorn\\ directory below quake2 you should be fine."),
                        Frame2);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setWordWrap(true);
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label3->setGeometry(8, 16, 224, 53);
    Picture1 = new QLabel(Frame2);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(240, 24, 36, 36);
    Picture1->setAlignment(Qt::AlignCenter);
    Picture1->setPixmap(
        ResourcePixmap(Picture::Icon).scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation));

    // The installations found on this computer: shown only when there are any, below the fixed parts.
    lblfound = MakeLabel(this, "lblfound", QStringLiteral("Found:"), QPoint(8, 358));
    cmbfound = new QComboBox(this);
    cmbfound->setObjectName(QStringLiteral("cmbfound"));
    cmbfound->setGeometry(56, 354, 241, 21);
    lblfound->hide();
    cmbfound->hide();
    connect(cmbfound, &QComboBox::activated, this, &dirfinder::showFound);
    connect(fileModel_, &QFileSystemModel::directoryLoaded, this, &dirfinder::choosePendingFile);
    connect(fileFilter_, &QAbstractItemModel::rowsInserted, this, &dirfinder::choosePendingFile);

    // Only the drive that the tree shows stays visible at the top of the tree.
    connect(dirModel_, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex& parentIndex, int first, int last) {
                if (parentIndex == directory->rootIndex())
                    hideOtherVolumes(first, last);
            });

    // The tree fills in and sorts its folders in the background, which pushes the current folder out of
    // view; it is brought back each time until the user takes over the tree.
    connect(dirModel_, &QFileSystemModel::directoryLoaded, this, &dirfinder::keepCurrentInView);
    connect(dirModel_, &QAbstractItemModel::layoutChanged, this, &dirfinder::keepCurrentInView);
    connect(directory, &QAbstractItemView::pressed, this, [this] { followCurrent_ = false; });
    connect(directory->verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this] { followCurrent_ = false; });

    // Until the first change of folder the label stays empty: the tree and the file list start at the
    // process's current folder before the reaction to changes is connected.
    drives_ = systemDrives();
    for (const Drive& each : drives_)
        drive->addItem(each.entry, each.rootPath);
    const QString start = CleanFolder(QDir::currentPath());
    currentDrive_ = driveIndexFor(start);
    drive->setCurrentIndex(currentDrive_);
    showDrive(currentDrive_ >= 0 ? drives_[currentDrive_].rootPath : QStorageInfo(start).rootPath());
    moveTree(start);
    showFiles(start);

    connect(directory->selectionModel(), &QItemSelectionModel::currentChanged, this, &dirfinder::onTreeCurrentChanged);
    connect(drive, &QComboBox::activated, this, &dirfinder::onDriveChosen);
    connect(butfounddirok, &QPushButton::clicked, this, &dirfinder::confirmed);
    connect(filelist, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            emit confirmed();
    });
    connect(butcancel, &QPushButton::clicked, this, [this] {
        closingByCode_ = true;
        close();
        closingByCode_ = false;
        emit cancelled();
    });

    CentreOnScreen(*this);
}

dirfinder::~dirfinder() = default;

QList<dirfinder::Drive> dirfinder::systemDrives() {
    QList<Drive> drives;
#ifdef Q_OS_WIN
    for (const QFileInfo& root : QDir::drives()) {
        const QString rootPath = root.absoluteFilePath();
        QString entry = rootPath.left(2).toLower();
        const QString label = QStorageInfo(rootPath).name();
        if (!label.isEmpty())
            entry += QStringLiteral(" [%1]").arg(label);
        drives.append({rootPath, entry});
    }
#else
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString rootPath = volume.rootPath();
        // Single files mounted into the tree (as containers do) are no place to look for a program.
        if (!volume.isValid() || rootPath.isEmpty() || !QFileInfo(rootPath).isDir())
            continue;
        if (std::any_of(drives.cbegin(), drives.cend(), [&](const Drive& d) { return d.rootPath == rootPath; }))
            continue;
        QString entry = rootPath;
        if (!volume.name().isEmpty())
            entry += QStringLiteral(" [%1]").arg(volume.name());
        drives.append({rootPath, entry});
    }
    std::sort(drives.begin(), drives.end(), [](const Drive& a, const Drive& b) { return a.rootPath < b.rootPath; });
#endif
    return drives;
}

void dirfinder::setDrives(const QList<Drive>& drives) {
    drives_ = drives;
    {
        const QSignalBlocker quiet(drive);
        drive->clear();
        for (const Drive& each : drives_)
            drive->addItem(each.entry, each.rootPath);
    }
    currentDrive_ = -1;
    const int holding = driveIndexFor(currentDir_);
    if (holding >= 0) {
        const QSignalBlocker quiet(drive);
        drive->setCurrentIndex(holding);
        currentDrive_ = holding;
        showDrive(drives_[holding].rootPath);
        moveTree(currentDir_);
    } else if (!drives_.isEmpty()) {
        setDirectory(drives_.front().rootPath);
    }
}

QString dirfinder::currentDirectory() const {
    return QDir::toNativeSeparators(currentDir_);
}

QString dirfinder::chosenFileName() const {
    const QModelIndex chosen = filelist->currentIndex();
    return chosen.isValid() ? chosen.data(QFileSystemModel::FileNameRole).toString() : QString();
}

void dirfinder::setDirectory(const QString& folder) {
    const QString path = CleanFolder(folder);
    const int index = driveIndexFor(path);
    if (index >= 0 && index != currentDrive_) {
        const QSignalBlocker quiet(drive);
        drive->setCurrentIndex(index);
        currentDrive_ = index;
    }
    const QString root = index >= 0 ? drives_[index].rootPath : QStorageInfo(path).rootPath();
    if (QDir::cleanPath(root).compare(treeRoot_, kPathCase) != 0)
        showDrive(root);
    const QModelIndex target = dirModel_->index(path);
    if (target == directory->currentIndex() || !target.isValid())
        showFolder(path); // no change of the tree's current item follows to do it
    moveTree(path);
}

void dirfinder::chooseFile(const QString& fileName) {
    const QModelIndex source = fileModel_->index(QDir(currentDir_).filePath(fileName));
    filelist->setCurrentIndex(fileFilter_->mapFromSource(source));
}

void dirfinder::setFound(const QList<Found>& found) {
    found_ = found;
    {
        const QSignalBlocker quiet(cmbfound);
        cmbfound->clear();
        for (const Found& each : found_)
            cmbfound->addItem(QDir::toNativeSeparators(QDir(each.folder).filePath(each.executable)));
    }
    const bool any = !found_.isEmpty();
    lblfound->setVisible(any);
    cmbfound->setVisible(any);
    setFixedSize(305, any ? 383 : 354);
    if (any) {
        cmbfound->setCurrentIndex(0);
        showFound(0);
    }
}

void dirfinder::showFound(int index) {
    if (index < 0 || index >= found_.size())
        return;
    // The list is narrow; the whole path is a hover away.
    cmbfound->setToolTip(cmbfound->itemText(index));
    setDirectory(found_[index].folder);
    pendingFile_ = found_[index].executable;
    choosePendingFile();
}

void dirfinder::choosePendingFile() {
    if (pendingFile_.isEmpty())
        return;
    const QModelIndex source = fileModel_->index(QDir(currentDir_).filePath(pendingFile_));
    const QModelIndex shown = fileFilter_->mapFromSource(source);
    if (!shown.isValid())
        return; // not listed yet: the file list is still reading the folder
    filelist->setCurrentIndex(shown);
    filelist->scrollTo(shown);
    pendingFile_.clear();
}

void dirfinder::closeAccepted() {
    closingByCode_ = true;
    close();
    closingByCode_ = false;
}

void dirfinder::closeEvent(QCloseEvent* event) {
    event->accept();
    // Closing by the title bar would otherwise leave the program without a window while the main window
    // is hidden: it counts as a cancel.
    if (!closingByCode_)
        emit cancelled();
}

void dirfinder::onDriveChosen(int index) {
    if (index < 0 || index >= drives_.size() || index == currentDrive_)
        return;
    const Drive& chosen = drives_[index];
    if (!driveReady(chosen.rootPath)) {
        {
            const QSignalBlocker quiet(drive);
            drive->setCurrentIndex(currentDrive_);
        }
        boxes_.warning(this, QStringLiteral("Drive %1 is not ready.").arg(DriveName(chosen)));
        return;
    }
    // The tree cannot know the chosen drive's own current folder; it starts at the drive's root.
    setDirectory(chosen.rootPath);
}

void dirfinder::onTreeCurrentChanged(const QModelIndex& current) {
    if (current.isValid())
        showFolder(dirModel_->filePath(current));
}

void dirfinder::showDrive(const QString& rootPath) {
    treeRoot_ = QDir::cleanPath(rootPath);
    dirModel_->setRootPath(treeRoot_);
    const QModelIndex rootItem = dirModel_->index(treeRoot_);
    // The tree's top shows the drive itself, so its root folder can be chosen like any other.
    directory->setRootIndex(rootItem.parent());
    hideOtherVolumes(0, dirModel_->rowCount(rootItem.parent()) - 1);
    directory->expand(rootItem);
}

void dirfinder::hideOtherVolumes(int first, int last) {
    const QModelIndex top = directory->rootIndex();
    const QModelIndex rootItem = dirModel_->index(treeRoot_);
    for (int row = first; row <= last; ++row)
        directory->setRowHidden(row, top, dirModel_->index(row, 0, top) != rootItem);
}

void dirfinder::moveTree(const QString& folder) {
    const QModelIndex target = dirModel_->index(folder);
    if (!target.isValid())
        return;
    directory->setCurrentIndex(target);
    directory->expand(target);
    directory->scrollTo(target, QAbstractItemView::PositionAtCenter);
    followCurrent_ = true;
}

void dirfinder::keepCurrentInView() {
    if (followCurrent_ && directory->currentIndex().isValid())
        directory->scrollTo(directory->currentIndex(), QAbstractItemView::PositionAtCenter);
}

void dirfinder::showFolder(const QString& folder) {
    currentDir_ = QDir::cleanPath(folder);
    const QString entry = currentDrive_ >= 0 ? DriveEntryForLabel(drives_[currentDrive_])
                                             : QDir::toNativeSeparators(QStorageInfo(currentDir_).rootPath());
    // The label is short by design; the whole folder is a hover away.
    lbldrive->setToolTip(QDir::toNativeSeparators(currentDir_));
    lbldrive->setText(QString::fromStdString(
        ShortDirectoryLabel(QDir::toNativeSeparators(currentDir_).toStdString(), entry.toStdString())));
    showFiles(currentDir_);
}

void dirfinder::showFiles(const QString& folder) {
    if (QDir::cleanPath(folder) != currentDir_)
        pendingFile_.clear();
    currentDir_ = QDir::cleanPath(folder);
    fileModel_->setRootPath(currentDir_);
    const QModelIndex source = fileModel_->index(currentDir_);
    fileFilter_->setFolder(source);
    filelist->setRootIndex(fileFilter_->mapFromSource(source));
    filelist->setCurrentIndex(QModelIndex());
    filelist->clearSelection();
}

int dirfinder::driveIndexFor(const QString& folder) const {
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < drives_.size(); ++i) {
        const QString root = QDir::cleanPath(drives_[i].rootPath);
        if (IsInside(folder, root) && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    return best;
}

bool dirfinder::driveReady(const QString& rootPath) {
    const QStorageInfo volume(rootPath);
    const QFileInfo root(rootPath);
    return volume.isValid() && volume.isReady() && root.isDir() && root.isReadable();
}

} // namespace trel
