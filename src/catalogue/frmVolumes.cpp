#include "catalogue/frmVolumes.h"

#include "app/session.h"
#include "catalogue/Duplicates.h"
#include "catalogue/frmRescan.h"
#include "catalogue/frmShow.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Fields.h"
#include "platform/ui/WindowCatalogue.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kDirectoryRole = Qt::UserRole;
// The place of a catalogued folder among its volume's folders; none below them.
constexpr int kFolderRole = Qt::UserRole + 1;

QString sizeOrBlank(qint64 bytes)
{
    return bytes < 0 ? QString() : catalogue::SizeText(bytes);
}

// "2026-12-11T09:30:00" as the window shows it.
QString whenText(const QString &stored)
{
    QString shown = stored;
    return shown.replace(QLatin1Char('T'), QLatin1Char(' '));
}

QString statusOf(const catalogue::VolumeSummary &volume)
{
    return volume.online() ? QStringLiteral("Online at %1").arg(volume.mountedAt)
                           : QStringLiteral("Offline");
}

QString withSeparator(const QString &folder)
{
    const QString separator = QDir::separator();
    return folder.endsWith(separator) ? folder : folder + separator;
}

QTreeWidgetItem *folderItem(QTreeWidgetItem *parent, const QString &name, const QString &directory)
{
    auto *item = new QTreeWidgetItem(parent, {name});
    item->setData(0, kDirectoryRole, directory);
    item->setToolTip(0, directory);
    return item;
}

// The catalogued folder that holds directory: the one with the longest path above it.
QTreeWidgetItem *rootOf(const QString &directory, const QHash<QString, QTreeWidgetItem *> &roots)
{
    QTreeWidgetItem *found = nullptr;
    qsizetype longest = -1;
    for (auto root = roots.cbegin(); root != roots.cend(); ++root) {
        if (directory.startsWith(root.key()) && root.key().size() > longest) {
            found = root.value();
            longest = root.key().size();
        }
    }
    return found;
}

// Puts directory into the tree below its catalogued folder, making the folders on the way.
void addDirectory(const QString &directory, const QHash<QString, QTreeWidgetItem *> &roots,
                  QHash<QString, QTreeWidgetItem *> &made, QTreeWidget *tree)
{
    QTreeWidgetItem *parent = rootOf(directory, roots);
    QString path;
    if (parent) {
        path = parent->data(0, kDirectoryRole).toString();
    } else {
        // A row outside every catalogued folder (taken on its own) stands at the top.
        QString shown = directory;
        if (shown.size() > 1 && shown.endsWith(QDir::separator()))
            shown.chop(1);
        parent = folderItem(nullptr, shown, directory);
        tree->addTopLevelItem(parent);
        made.insert(directory, parent);
        return;
    }
    const QStringList names =
            directory.mid(path.size()).split(QDir::separator(), Qt::SkipEmptyParts);
    for (const QString &name : names) {
        path = withSeparator(path + name);
        QTreeWidgetItem *&item = made[path];
        if (!item)
            item = folderItem(parent, name, path);
        parent = item;
    }
}

} // namespace

frmVolumes::frmVolumes(QWidget *parent)
    : FormDialog(parent)
    , lstVolumes(Named(new QTreeWidget(this), QStringLiteral("lstVolumes")))
    , tvwFolders(Named(new QTreeWidget(this), QStringLiteral("tvwFolders")))
    , lblStatus(NamedLabel(QStringLiteral("lblStatus"), {}, this))
    , cmdShowFiles(NamedButton(QStringLiteral("cmdShowFiles"), QStringLiteral("&Show These Files"),
                               this,
                               QStringLiteral("List the catalogued files of this folder and "
                                              "the folders below it in the catalogue.")))
    , cmdRescan(NamedButton(QStringLiteral("cmdRescan"), QStringLiteral("Res&can..."), this,
                            QStringLiteral("Read this catalogued folder again and bring the "
                                           "catalogue in step with the disk.")))
    , cmdRename(NamedButton(QStringLiteral("cmdRename"), QStringLiteral("&Rename..."), this,
                            QStringLiteral("Give this volume a name of its own in the "
                                           "catalogue; the disk's label stays as it is.")))
    , cmdRemove(NamedButton(QStringLiteral("cmdRemove"), QStringLiteral("Re&move..."), this,
                            QStringLiteral("Remove this volume and its files from the "
                                           "catalogue; the disk is not touched.")))
    , cmdClose(NamedButton(QStringLiteral("cmdClose"), QStringLiteral("&Close"), this))
{
    setObjectName(QStringLiteral("frmVolumes"));
    setWindowTitle(QStringLiteral("Catalogued Volumes"));
    buildVolumeList();
    buildFolderTree();
    layOut();
    connectHandlers();
}

void frmVolumes::buildVolumeList()
{
    lstVolumes->setRootIsDecorated(false);
    lstVolumes->setUniformRowHeights(true);
    lstVolumes->setAlternatingRowColors(true);
    lstVolumes->setHeaderLabels({QStringLiteral("Volume"), QStringLiteral("Type"),
                                 QStringLiteral("Size"), QStringLiteral("Free"),
                                 QStringLiteral("Files"), QStringLiteral("Bytes Read"),
                                 QStringLiteral("Last Read"), QStringLiteral("Status")});
    lstVolumes->header()->setStretchLastSection(true);
    const int widths[] = {170, 60, 80, 80, 70, 80, 130};
    for (int column = 0; column < int(std::size(widths)); ++column)
        lstVolumes->setColumnWidth(column, widths[column]);
    lstVolumes->setAccessibleName(QStringLiteral("Volumes"));
}

void frmVolumes::buildFolderTree()
{
    tvwFolders->setHeaderLabels(
            {QStringLiteral("Folder"), QStringLiteral("Files"), QStringLiteral("Last Read")});
    tvwFolders->setUniformRowHeights(true);
    tvwFolders->setColumnWidth(0, 380);
    tvwFolders->setColumnWidth(1, 70);
    tvwFolders->setAccessibleName(QStringLiteral("Catalogued folders"));
    tvwFolders->setToolTip(QStringLiteral("Double click on a folder, or press Enter, to list its "
                                          "files."));
}

void frmVolumes::layOut()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(FieldLabel(QStringLiteral("&Volumes:"), lstVolumes, this));
    layout->addWidget(lstVolumes, 2);
    layout->addWidget(FieldLabel(QStringLiteral("Catalogued &folders:"), tvwFolders, this));
    layout->addWidget(tvwFolders, 3);
    layout->addWidget(lblStatus);
    layout->addLayout(ButtonRow({cmdShowFiles, cmdRescan, cmdRename, cmdRemove, cmdClose}));
    resize(820, 560);
}

void frmVolumes::connectHandlers()
{
    connect(lstVolumes, &QTreeWidget::currentItemChanged, this, [this] { lstVolumes_Click(); });
    connect(tvwFolders, &QTreeWidget::currentItemChanged, this, [this] { enableButtons(); });
    connect(tvwFolders, &QTreeWidget::itemDoubleClicked, this, [this] { cmdShowFiles_Click(); });
    OnEnter(tvwFolders, [this] { cmdShowFiles_Click(); });
    connect(cmdShowFiles, &QPushButton::clicked, this, &frmVolumes::cmdShowFiles_Click);
    connect(cmdRescan, &QPushButton::clicked, this, &frmVolumes::cmdRescan_Click);
    connect(cmdRename, &QPushButton::clicked, this, &frmVolumes::cmdRename_Click);
    connect(cmdRemove, &QPushButton::clicked, this, &frmVolumes::cmdRemove_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmVolumes::cmdClose_Click);
}

void frmVolumes::Form_Load()
{
    CentreWindow(this);
    LoadVolumes();
}

void frmVolumes::LoadVolumes()
{
    const qint64 chosen = CurrentVolume() ? CurrentVolume()->volume.id : -1;
    lstVolumes->clear();
    tvwFolders->clear();
    volumes_.clear();
    ErrorTrap([&] {
        ReopenConnection();
        volumes_ = catalogue::SummariseVolumes(SharedConnection());
    });
    QTreeWidgetItem *current = nullptr;
    for (const catalogue::VolumeSummary &volume : volumes_) {
        auto *item = new QTreeWidgetItem(lstVolumes,
                                         {volume.volume.shownName(), volume.volume.type,
                                          sizeOrBlank(volume.volume.totalBytes),
                                          sizeOrBlank(volume.volume.freeBytes),
                                          QString::number(volume.files), sizeOrBlank(volume.bytes),
                                          whenText(volume.volume.lastRead), statusOf(volume)});
        item->setToolTip(0,
                         QStringLiteral("Label: %1\nUUID: %2\nDevice: %3\nLast mounted at %4")
                                 .arg(volume.volume.label, volume.volume.uuid, volume.volume.device,
                                      volume.volume.mountPoint));
        if (!current || volume.volume.id == chosen)
            current = item;
    }
    lblStatus->setText(volumes_.isEmpty()
                               ? QStringLiteral("No volume is catalogued yet. \"Add Folder...\" "
                                                "in Add Files To Database records the volume "
                                                "of each folder it reads.")
                               : QStringLiteral("%1 volume(s).").arg(volumes_.size()));
    if (current)
        lstVolumes->setCurrentItem(current);
    enableButtons();
}

const catalogue::VolumeSummary *frmVolumes::CurrentVolume() const
{
    const int at = lstVolumes->indexOfTopLevelItem(lstVolumes->currentItem());
    return at >= 0 && at < volumes_.size() ? &volumes_[at] : nullptr;
}

void frmVolumes::lstVolumes_Click()
{
    tvwFolders->clear();
    if (const catalogue::VolumeSummary *volume = CurrentVolume())
        showFolders(*volume);
    enableButtons();
}

void frmVolumes::showFolders(const catalogue::VolumeSummary &volume)
{
    QHash<QString, QTreeWidgetItem *> roots;
    for (qsizetype at = 0; at < volume.folders.size(); ++at) {
        const catalogue::VolumeFolder &folder = volume.folders[at];
        const QString path = withSeparator(folder.folderPath);
        if (roots.contains(path))
            continue;
        QTreeWidgetItem *root = folderItem(nullptr, folder.folderPath, path);
        root->setData(0, kFolderRole, at);
        root->setText(1, QString::number(folder.files));
        root->setText(2, whenText(folder.lastRead));
        tvwFolders->addTopLevelItem(root);
        roots.insert(path, root);
    }
    ErrorTrap([&] {
        QHash<QString, QTreeWidgetItem *> made;
        for (const QString &directory :
             catalogue::DirectoriesOf(SharedConnection(), volume.volume.id))
            addDirectory(directory, roots, made, tvwFolders);
    });
    // By name at every level, as a file manager lists folders.
    tvwFolders->sortItems(0, Qt::AscendingOrder);
    for (QTreeWidgetItem *root : std::as_const(roots))
        root->setExpanded(true);
    if (tvwFolders->topLevelItemCount() > 0)
        tvwFolders->setCurrentItem(tvwFolders->topLevelItem(0));
}

void frmVolumes::enableButtons()
{
    const bool volume = CurrentVolume() != nullptr;
    cmdShowFiles->setEnabled(volume && tvwFolders->currentItem());
    cmdRescan->setEnabled(CurrentFolder() && CurrentVolume()->online());
    cmdRename->setEnabled(volume);
    cmdRemove->setEnabled(volume);
}

void frmVolumes::cmdShowFiles_Click()
{
    const catalogue::VolumeSummary *volume = CurrentVolume();
    QTreeWidgetItem *folder = tvwFolders->currentItem();
    if (!volume || !folder)
        return;
    const qint64 id = volume->volume.id;
    const QString directory = folder->data(0, kDirectoryRole).toString();
    const QString caption = QStringLiteral("%1: %2").arg(volume->volume.shownName(), directory);
    if (ShowFiles) {
        ShowFiles(id, directory, caption);
        accept();
        return;
    }
    OpenWindow(QStringLiteral("frmShow"), this, [&](QWidget *window) {
        static_cast<frmShow *>(window)->ShowFolderOnLoad(id, directory, caption);
    });
}

const catalogue::VolumeFolder *frmVolumes::CurrentFolder() const
{
    const catalogue::VolumeSummary *volume = CurrentVolume();
    const QTreeWidgetItem *item = tvwFolders->currentItem();
    if (!volume || !item || !item->data(0, kFolderRole).isValid())
        return nullptr;
    const qsizetype at = item->data(0, kFolderRole).toLongLong();
    return at >= 0 && at < volume->folders.size() ? &volume->folders[at] : nullptr;
}

void frmVolumes::cmdRescan_Click()
{
    const catalogue::VolumeFolder *folder = CurrentFolder();
    if (!folder)
        return;
    const catalogue::Volume volume = CurrentVolume()->volume;
    const catalogue::VolumeFolder chosen = *folder;
    OpenWindow(QStringLiteral("frmRescan"), this, [&](QWidget *window) {
        auto *rescan = static_cast<frmRescan *>(window);
        rescan->Volume = volume;
        rescan->Folder = chosen;
    });
    LoadVolumes();
}

void frmVolumes::cmdRename_Click()
{
    const catalogue::VolumeSummary *volume = CurrentVolume();
    if (!volume)
        return;
    const QString name = InputBox(QStringLiteral("The volume's name in the catalogue (its label "
                                                 "on the disk stays as it is):"),
                                  QStringLiteral("Rename Volume"), volume->volume.shownName());
    if (name.trimmed().isEmpty() || name.trimmed() == volume->volume.shownName())
        return;
    const qint64 id = volume->volume.id;
    if (ErrorTrap([&] { catalogue::RenameVolume(SharedConnection(), id, name); }))
        LoadVolumes();
}

void frmVolumes::cmdRemove_Click()
{
    const catalogue::VolumeSummary *volume = CurrentVolume();
    if (!volume)
        return;
    const QString question =
            QStringLiteral("Remove the volume \"%1\" and its %2 file(s) from the catalogue? "
                           "Their descriptions are lost; the disk itself is not touched.")
                    .arg(volume->volume.shownName())
                    .arg(volume->files);
    if (MsgBox(question, vbYesNo + vbExclamation + vbDefaultButton2,
               QStringLiteral("Remove Volume"))
        != vbYes)
        return;
    const qint64 id = volume->volume.id;
    if (ErrorTrap([&] { catalogue::RemoveVolume(SharedConnection(), id); }))
        LoadVolumes();
}

void frmVolumes::cmdClose_Click()
{
    reject();
}
