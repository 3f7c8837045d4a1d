#pragma once

#include "platform/db/RowAsRead.h"
#include "platform/ui/Form.h"

class KeyedToolBar;
class QAction;
class QComboBox;
class QLabel;
class QLayout;
class QLineEdit;
class QMenuBar;
class QMimeData;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class TextBox;

// The snippet notebook: titled pieces of source code with notes, each filed under a group and
// the web site it came from. The titles are listed, filtered by group and by web site; a click
// on one shows it in the fields below, where it is edited and saved, or a new one is written.
class frmSnippet : public FormDialog
{
    Q_OBJECT
public:
    explicit frmSnippet(QWidget *parent = nullptr);

    QMenuBar *menuBar;
    QAction *mnuExit;
    QAction *mnuNew, *mnuCopy, *mnuPaste, *mnuSave, *mnuDelete, *mnuPrint, *mnuFind;
    QAction *mnuAdd;
    QAction *mnuHelp;
    KeyedToolBar *toolBar;
    QComboBox *cmbFilter;
    QComboBox *cboSiteList;
    QTreeWidget *lstTitles;
    QLineEdit *txtTitle;
    QComboBox *cmbType;
    QComboBox *cboWebName;
    QComboBox *cboWebAddr;
    QLineEdit *txtAuthor;
    QLineEdit *txtEmail;
    QLabel *Label5;
    QTabWidget *tabSnippet;
    TextBox *rtbCodeWindow;
    TextBox *rtbNotes;
    QPushButton *cmdRest;

    // True while the fields hold a snippet that is not stored yet: saving then adds a snippet,
    // otherwise it changes the one shown.
    bool NewSnippet = true;

    void Form_Load() override;
    void LoadGroupLists();
    void LoadSiteList();
    void LoadWebName();
    void LoadWebAddress();
    void LoadTitles();

    void toolBar_ButtonClick(const QString &key);
    void cmbFilter_Click();
    void cboSiteList_Click();
    void cboWebName_Click();
    // Shows the snippet of the selected title.
    void lstTitles_Click();
    // Sorts by the column at that position, counted from 0: ascending, or the other way round
    // when the list is already sorted by it.
    void lstTitles_ColumnClick(int column);
    void cmdRest_Click();

    void mnuNew_Click();
    void mnuSave_Click();
    void mnuDelete_Click();
    void mnuFind_Click();
    void FindTitle(const QString &text);
    void mnuPrint_Click();
    void mnuCopy_Click();
    void mnuPaste_Click();
    void CopyNotes();
    void PasteNotes();
    void mnuRefresh_Click();
    void mnuAdd_Click();
    void mnuHelp_Click();
    void mnuExit_Click();
    // Text or a file dropped onto the code or the notes replaces what they hold.
    void rtbCodeWindow_DragDrop(const QMimeData *data);
    void rtbNotes_DragDrop(const QMimeData *data);

    // The id of the selected title, or -1 when none is selected.
    qint64 selectedId() const;

private:
    // The constructor's parts, in the order they are made.
    void buildMenus();
    void buildTitleList();
    void buildFields();
    QLayout *filterRow();
    QLayout *fieldGrid();
    void layOut();
    void connectHandlers();
    bool ValidateSnippet();
    void insertSnippet();
    void updateSnippet(qint64 id);
    void afterChange();
    void showSnippet(qint64 id);
    // Selects the top-most listed title of these snippets; false when none is listed.
    bool selectFirstOf(const QList<qint64> &ids);
    void dropOnto(TextBox *box, const QMimeData *data);
    // Loads the site filter again, keeping the site chosen while it is still offered.
    void reloadSiteList();
    void fillWebList(QComboBox *box, const QString &sql);
    // The stored snippet id as the fields read it, when they show it.
    db::RowAsRead shownAsRead(qint64 id) const;

    // The stored snippet the fields show, which saving changes; -1 while they hold a new one.
    qint64 shownId_ = -1;
    // That snippet as it was read: saving changes it only while it is still so.
    db::RowAsRead shown_;
    int sortColumn_ = 0;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    bool sorted_ = false;
};
