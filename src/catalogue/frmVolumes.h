#pragma once

#include "catalogue/VolumeList.h"
#include "platform/ui/Form.h"

#include <functional>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The volumes the catalogue's folders were read from: each with its label, type, sizes, files
// catalogued, when it was last read and whether it is mounted now, and the folders of its files
// as a tree that can be browsed while the disk is offline. From a folder the catalogue browser
// shows its files; a volume can be given a name of its own, or removed with its rows.
class frmVolumes : public FormDialog
{
    Q_OBJECT
public:
    explicit frmVolumes(QWidget *parent = nullptr);

    QTreeWidget *lstVolumes;
    QTreeWidget *tvwFolders;
    QLabel *lblStatus;
    QPushButton *cmdShowFiles;
    QPushButton *cmdRescan;
    QPushButton *cmdRename;
    QPushButton *cmdRemove;
    QPushButton *cmdClose;

    // Where "Show These Files" goes: the browser that opened this window sets it; without it
    // the window opens a browser of its own.
    std::function<void(qint64 volumeId, const QString &directory, const QString &caption)>
            ShowFiles;

    void Form_Load() override;
    void LoadVolumes();
    void lstVolumes_Click();
    void cmdShowFiles_Click();
    // Compares the chosen catalogued folder with the disk (frmRescan); the volume is online.
    void cmdRescan_Click();
    void cmdRename_Click();
    void cmdRemove_Click();
    void cmdClose_Click();

    // The volume of the chosen line; nullptr when none is chosen.
    const catalogue::VolumeSummary *CurrentVolume() const;
    // The catalogued folder of the chosen line of the tree; nullptr for a folder below one.
    const catalogue::VolumeFolder *CurrentFolder() const;

private:
    void buildVolumeList();
    void buildFolderTree();
    void layOut();
    void connectHandlers();
    void showFolders(const catalogue::VolumeSummary &volume);
    void enableButtons();

    QList<catalogue::VolumeSummary> volumes_;
};
