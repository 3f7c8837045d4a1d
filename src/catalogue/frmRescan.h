#pragma once

#include "catalogue/Rescan.h"
#include "platform/ui/Form.h"

#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;

// A catalogued folder of a mounted volume read again and compared with its catalogue rows: the
// files added, changed, removed and moved on the disk are listed, each with a check box, before
// anything changes; the checked ones are applied in one step. A move or a change keeps the
// row's description, group, site, author and e-mail; added files take the group and site
// chosen here.
class frmRescan : public FormDialog
{
    Q_OBJECT
public:
    explicit frmRescan(QWidget *parent = nullptr);

    // Set before the window is shown: the folder and its volume.
    catalogue::Volume Volume;
    catalogue::VolumeFolder Folder;

    QLabel *lblSummary;
    QTreeWidget *lstChanges;
    QComboBox *cboGroup;
    QComboBox *cboSite;
    QCheckBox *chkChecksums;
    QPushButton *cmdCompare;
    QPushButton *cmdCheckAll;
    QPushButton *cmdUncheckAll;
    QPushButton *cmdApply;
    QPushButton *cmdClose;

    void Form_Load() override;
    // Walks the folder again and lists what differs; nothing is written.
    void Compare();
    void cmdApply_Click();
    void CheckAll(bool checked);
    void cmdClose_Click();

    // The differences as last compared; nothing before the first comparison or after a failed
    // one.
    const std::optional<catalogue::Differences> &Found() const { return found_; }

private:
    void buildList();
    void layOut();
    void connectHandlers();
    void loadDescriptionLists();
    void showDifferences();
    QList<qsizetype> checkedItems() const;

    std::optional<catalogue::Differences> found_;
};
