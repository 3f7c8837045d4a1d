#pragma once

#include "catalogue/FilePanel.h"
#include "platform/ui/Form.h"

class DirListBox;
class DriveListBox;
class FileListBox;
class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;

// The file picker: walks drives and folders, narrows the files by a pattern, and writes the
// chosen file's name, drive, path and directory into the window that opened it (the import
// window or the catalogue browser, as PickerCaller says). It never changes a row itself.
class frmGet : public FormDialog
{
    Q_OBJECT
    // The drives, folders and files panel whose controls are Drive1 ... Text2; made first, so
    // that they come first in the tab order.
    FilePanel filePanel_;

public:
    explicit frmGet(QWidget *parent = nullptr);

    DriveListBox *Drive1;
    DirListBox *Dir1;
    FileListBox *File1;
    QComboBox *Combo1;
    QLineEdit *Text1;
    QLineEdit *Text2;
    QLabel *lblOldPath;
    QLineEdit *txtOldPath;
    QPushButton *cmdOK;
    QPushButton *cmdCancel;

    QMenuBar *menuBar;
    QMenu *mnuFile;
    QAction *mnuClose;
    QMenu *mnuView;
    QAction *mnuViewAll;
    QAction *mnuViewZip;
    QAction *mnuViewGraphics;
    QAction *mnuViewDocs;
    QAction *mnuViewProgs;
    QAction *mnuViewRefresh;

    // Kept while the window is open: the file and folder last transferred.
    QString sFileName;
    QString sDirectory;

    void Form_Load() override;
    void LoadPatterns();
    void cmdOK_Click();
    void cmdCancel_Click();
    void UpdateFrmAdd();
    void UpdateFrmShow();

    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();
    void File1_DblClick();
    void Combo1_Click();
    void Combo1_Change();
    void mnuClose_Click();
    void mnuViewAll_Click();
    void mnuViewZip_Click();
    void mnuViewGraphics_Click();
    void mnuViewDocs_Click();
    void mnuViewProgs_Click();
    void mnuViewRefresh_Click();

private:
    void buildMenus();
    void layOut();
    void connectHandlers();
    // Writes the choice into the boxes of the opening window of that name.
    void updateOpener(const QString &windowName);
    // A narrowing view item was clicked (and has toggled its mark): its pattern, or all files
    // when the click took the mark away; the listed items lose theirs.
    void narrowView(QAction *item, const QString &pattern, const QList<QAction *> &others);
};
