#pragma once

#include "catalogue/CatalogueSearch.h"
#include "catalogue/VolumeList.h"
#include "platform/db/RowAsRead.h"
#include "platform/ui/Form.h"

#include <QHash>

#include <optional>

class DataControlBar;
class QCheckBox;
class KeyedToolBar;
class QComboBox;
class QFrame;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;

namespace db {
class DataControl;
}

// The catalogue browser: the catalogue in a grid, narrowed by group and web site and searched as
// the user types; one row in the detail panel, where it is edited, deleted, printed, given a new
// path or handed to the file manager.
class frmShow : public FormDialog
{
    Q_OBJECT
public:
    explicit frmShow(QWidget *parent = nullptr);

    // The searched column: file name, description or web site name.
    using SearchMode = catalogue::SearchMode;
    using enum catalogue::SearchMode;

    KeyedToolBar *Toolbar1;
    db::DataControl *AdoFile;
    db::DataControl *Adodc1;
    QTableView *DataGrid1;
    DataControlBar *barAdoFile;
    QComboBox *cboGrpList;
    QComboBox *cboSiteList;
    QComboBox *cboVolList;
    QLineEdit *txtSearch;
    QRadioButton *Option1;
    QRadioButton *Option2;
    QRadioButton *Option3;
    // Matches the text anywhere in the field, or as a pattern when it holds "*" or "?".
    QCheckBox *chkAnywhere;
    QPushButton *cmdClear;
    QLabel *Label14;
    QLabel *Label16;

    QLineEdit *txtFileName;
    QLabel *Label5;
    QLineEdit *txtFilePath;
    QLineEdit *txtDir;
    QLineEdit *txtFileDesc;
    QLineEdit *txtIndex;
    QComboBox *cboWebName;
    QComboBox *cboWebAddr;
    QComboBox *cboGrpName;
    QLineEdit *txtAuthor;
    QLineEdit *txtEmail;
    QLineEdit *txtDrive;
    QLineEdit *txtLabel;
    QLineEdit *txtFSize;

    QPushButton *cmdUnLock;
    QPushButton *cmdLock;
    QPushButton *cmdClear2;
    QPushButton *cmdUpdate;
    QPushButton *cmdDel;
    QPushButton *cmdEditPath;
    QPushButton *cmdFileM;
    QPushButton *cmdPrintRecord;
    // Opens the list of files catalogued more than once with the same contents.
    QPushButton *cmdDupes;
    // Opens the list of catalogued volumes and their folders.
    QPushButton *cmdVolumes;

    QFrame *fraInfo1;
    QFrame *fraInfo2;

    // Rows counted by the last count of the catalogue or of the print table.
    qint64 RecordCount = 0;
    bool GridNormal = true;

    void Form_Load() override;
    // Reloads the whole catalogue when the file manager changed it.
    void Form_Activate();
    void Form_DblClick();

    void LoadGrpList();
    void LoadWebSite();
    void LoadGroupName();
    void LoadWebName();
    void LoadWebAddress();
    void cboGrpList_Click();
    void cboSiteList_Click();
    // The volumes of the volume filter, and the names the grid shows beside each row, from the
    // catalogue's volumes and the mount table as they are now.
    void LoadVolList();
    void cboVolList_Click();
    void txtSearch_Change();
    void cmdClear_Click();
    void TotalFiles();
    void CountFileProfile();
    void DataGrid1_DblClick();
    void Toolbar1_ButtonClick(const QString &key);
    void HandleExitClick();
    void ToggleGridSize();
    void ShowHelp();

    void LockMyControls();
    void UnlockMyControls();
    void cmdUnLock_Click();
    void cmdLock_Click();
    void cmdClear2_Click();
    void cmdUpdate_Click();
    void cmdDel_Click();
    void cmdEditPath_Click();
    void cmdFileM_Click();
    void cmdPrintRecord_Click();
    void ClearTempPrint();
    void CountTempPrint();
    void AddPrintRecord();
    void PrintCurrentRecord();
    void HandleRefreshClick();
    void cmdDupes_Click();
    // Selects the catalogue row with this number in the grid and shows it in the detail panel;
    // when the filters or the search hide it, the whole catalogue is shown first.
    void GoToRow(qint64 row);
    void cmdVolumes_Click();
    // Shows the catalogue rows of a volume's folder and the folders below it (see
    // catalogue::FolderStatement); caption says which, beside the count. The search or a
    // filter shows the catalogue again.
    void ShowFolder(qint64 volumeId, const QString &directory, const QString &caption);
    // The same, as the window loads: for a window that opens the browser on a folder.
    void ShowFolderOnLoad(qint64 volumeId, const QString &directory, const QString &caption);

    SearchMode searchMode() const;

    // The grid's statement for the filters alone, and for a search within them, as
    // catalogue::FilterStatement and catalogue::SearchStatement build them.
    static BrowserStatement FilterStatement(const catalogue::Filters &filters)
    {
        return catalogue::FilterStatement(filters);
    }
    static BrowserStatement SearchStatement(SearchMode mode, const QString &text,
                                            const catalogue::Filters &filters)
    {
        return catalogue::SearchStatement(mode, text, filters);
    }

protected:
    void changeEvent(QEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    // The constructor's parts, in the order they are made.
    void buildSearchControls();
    void buildDetailFields();
    void buildDetailButtons();
    void setUpControls();
    QLayout *filterRow();
    QLayout *detailPanel();
    QLayout *infoRow();
    void layOut();
    void connectHandlers();
    QList<QWidget *> detailControls() const;
    void showStatement(const BrowserStatement &statement);
    // The count under the grid and the position caption, from the rows as last read.
    void showCount();
    // The catalogue row number the detail panel shows. Throws db::DbError when there is none.
    qint64 shownRow() const;
    // The catalogue row as the detail panel read it, when it shows that row.
    db::RowAsRead shownAsRead(qint64 row) const;
    // Says that another desk changed or removed the shown row, and shows the grid as it left it.
    void showRefusal(const db::RowChangedError &refused);
    void applyFilters();
    void reloadFilterLists();
    void enableRowButtons(bool on);
    // An empty entry, then the values; nothing at all when there are none.
    void fillList(QComboBox *list, const QVariantList &values);
    catalogue::Filters currentFilters() const;
    // Empties the search box without searching.
    void emptySearchBox();
    // Every filter back at its first entry, which filters nothing.
    void clearFilters();
    // The grid's text for a row's volume.
    QString volumeText(const QVariant &volumeId) const;

    int gridHeight_ = 0;
    bool loadingLists_ = false;
    // The catalogue row the detail panel shows, as it was read: an update writes it only while
    // it is still so.
    db::RowAsRead shown_;
    struct PendingFolder
    {
        qint64 volumeId;
        QString directory;
        QString caption;
    };
    std::optional<PendingFolder> pendingFolder_;
    QHash<qint64, catalogue::VolumeMark> volumeMarks_;
};
