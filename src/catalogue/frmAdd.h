#pragma once

#include "catalogue/FilePanel.h"
#include "platform/ui/Form.h"

#include <QVariantList>

#include <functional>

class DataControlBar;
class DirListBox;
class DriveListBox;
class FileListBox;
class KeyedToolBar;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QTableView;
class QTimer;

namespace db {
class DataControl;
}

// The import window: files are taken one at a time from the file panel (or a whole folder at
// once), described in the entry panel and staged in tempfile, shown in the grid; the tool bar
// copies the staged rows into the catalogue, empties the staging table or prints it.
class frmAdd : public FormDialog
{
    Q_OBJECT
public:
    explicit frmAdd(QWidget *parent = nullptr);

    KeyedToolBar *Toolbar1;

    // Entry panel.
    QGroupBox *Frame1;
    QLineEdit *txtFileName;
    QLineEdit *txtFilePath;
    QLineEdit *txtDir;
    QLineEdit *txtDrive;
    QLineEdit *txtLabel;
    QLineEdit *txtFSize;
    QLabel *Label5;
    QLineEdit *txtFileDesc;
    QComboBox *cboGrpName;
    QComboBox *cboWebName;
    QComboBox *cboWebAddr;
    QLineEdit *txtAuthor;
    QLineEdit *txtEmail;
    QLineEdit *TxtIndex;
    QCheckBox *chkGrpName;
    QCheckBox *chkWebName;
    QCheckBox *chkWebAddr;
    QCheckBox *chkAuthor;
    QCheckBox *chkEmail;
    QPushButton *cmdAdd;
    QPushButton *cmdUpdate;
    QPushButton *cmdDel;
    QPushButton *cmdClear;
    QPushButton *cmdBrow;
    QPushButton *cmdGoToWeb;
    QPushButton *cmdSendEmail;

    // File panel.
    QGroupBox *Frame3;
    DriveListBox *Drive1;
    DirListBox *Dir1;
    FileListBox *File1;
    QComboBox *Combo1;
    QLineEdit *Text1;
    QLineEdit *Text2;
    QPushButton *cmdOK;
    QPushButton *cmdRefreshFiles;
    QCheckBox *chkSubDirs;
    // Add Folder also records a checksum of each file; kept in the settings.
    QCheckBox *chkChecksums;
    QPushButton *cmdAddFolder;

    // Grid region.
    db::DataControl *AdoFile;
    QTableView *DataGrid1;
    DataControlBar *barAdoFile;
    QComboBox *cboGrpList;
    QComboBox *cboSiteList;
    QPushButton *cmdRefreshGrid;

    QStatusBar *sbStatusBar;
    QLabel *lblStatus;
    QLabel *lblDate;
    QLabel *lblTime;

    qint64 TempCount = 0;
    qint64 MasterCount = 0;
    qint64 MasterCountAfter = 0;

    void Form_Load() override;
    void Form_Activate();

    // List loaders.
    void LoadGroupName();
    void LoadWebName();
    void LoadWebAddress();
    void LoadGroupFilter();
    void LoadWebSiteFilter();
    void LoadPatterns();

    void cboGrpList_Click();
    void cboSiteList_Click();
    void cboWebName_Click();

    // Row operations.
    void cmdAdd_Click();
    void cmdUpdate_Click();
    void cmdDel_Click();
    void DataGrid1_DblClick();

    // Grid.
    void SelectFromTempFile();
    void TotalFiles();
    void cmdRefreshGrid_Click();
    void CountTempFile();
    void DeleteFromTempFile();

    // Entry panel.
    void ClearFileInformation();
    void ClearChecks();
    void ClearAllEntries();
    void EnableControlsForAdd();
    void EnableControlsForEdit();
    void LockMyControls();
    void cmdClear_Click();
    void cmdBrow_Click();
    void cmdGoToWeb_Click();
    void cmdSendEmail_Click();

    // File panel.
    void cmdOK_Click();
    void cmdRefreshFiles_Click();
    void cmdAddFolder_Click();
    void chkChecksums_Click();
    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();
    void File1_DblClick();
    void Combo1_Click();
    void Combo1_Change();

    // Tool bar.
    void Toolbar1_ButtonClick(const QString &key);
    void HandleExitClick();
    void UpdateMasterTable();
    void ClearTempTable();
    void SetDefaultDirectory();
    void PrintImportTable();
    void ShowHelp();

    // The master update's steps: the counts before and after, and the copy itself. They run on
    // the shared connection as it stands, inside the update's transaction.
    void CountFileProfile();
    void CountFileProfile2();
    void HandleSaveClick();

protected:
    void changeEvent(QEvent *event) override;

private:
    QVariant stagedSize() const;
    // The drives, folders and files panel whose controls are Drive1 ... Text2.
    FilePanel filePanel_;
    // The constructor's parts, in the order the controls are made (which is their tab order).
    void buildEntryPanel();
    void buildEntryFields();
    void buildEntryButtons();
    void layOutEntryPanel();
    QLayout *sizeRow();
    QLayout *dateRow();
    void buildFilePanel();
    void layOutFilePanel();
    void buildGrid();
    void buildStatusBar();
    void layOut();
    // Runs the record source again and shows the grid's columns under their captions.
    void refreshGrid();
    // Sets the grid's statement from the two filters.
    void applyFilters(const QString &groupFilter, const QString &siteFilter);
    // Fills a combo box from a statement's first column; see the loaders.
    void fillCombo(QComboBox *combo, const QString &sql, const QString &first,
                   const std::function<bool(const QString &)> &offered);
    void updateClock();
};
