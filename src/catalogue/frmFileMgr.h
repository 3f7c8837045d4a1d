#pragma once

#include "platform/fs/Listed.h"
#include "platform/ui/Form.h"

#include <QList>
#include <QStringList>

#include <atomic>
#include <functional>

class DirListBox;
class DriveListBox;
class FileListBox;
class KeyedToolBar;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// Finds a catalogued file under its directory and the directories below it, and renames or
// erases it on disk, carrying the change into its catalogue row so the catalogue stays in step.
// Opened by the catalogue browser with SelectedFileName and SelectedDirectory; sets
// CatalogueChanged when it changed a row.
class frmFileMgr : public FormDialog
{
    Q_OBJECT
public:
    explicit frmFileMgr(QWidget *parent = nullptr);

    KeyedToolBar *tbrMain2;
    QLineEdit *Text1;
    DriveListBox *Drive1;
    DirListBox *Dir1;
    FileListBox *File1;
    QListWidget *List1;
    QLabel *Label4;
    QLineEdit *txtpath;
    QLineEdit *txtFileName;
    QPushButton *cmdRename;
    QPushButton *cmdErase;
    QPushButton *cmdClose;

    // How long the walk may run without serving the window's events (see DiskWalkOptions).
    int yieldEveryMs = 15;

    void Form_Load() override;
    // Takes the name to look for from SelectedFileName and looks for it.
    void Form_Activate();
    void Drive1_Change();
    void FindFile();
    void cmdRename_Click();
    void cmdErase_Click();
    void cmdClose_Click();
    void tbrMain2_ButtonClick(const QString &key);
    // Makes a found file the one that Rename and Delete act on.
    void List1_Click();

    bool searching() const { return searching_; }
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void layOut();
    void connectHandlers();

    // A catalogue row of the file acted on, by the values it holds.
    struct CatalogueRow
    {
        QString fileName;
        QString directory;
    };

    // The rows of the catalogue for a file name in a directory. Throws on a database error.
    QList<CatalogueRow> FindInCatalogue(const QString &name, const QString &directory);
    void UpdateDbFile(const QList<CatalogueRow> &rows, const QString &newName,
                      const QString &newPath);
    void DeleteDBFile(const QList<CatalogueRow> &rows);
    enum class Catalogued { Changed, NotFound, Failed };
    // Looks the file up in the catalogue and runs change on its rows. A database error is shown
    // as "Error: Find " or "Error: " with what, and the description.
    Catalogued changeCatalogue(const QString &name, const QString &directory, const QString &what,
                               const std::function<void(const QList<CatalogueRow> &)> &change);
    void setSearching(bool on);
    // Makes the found file at row the one Rename and Delete act on.
    void showFile(qsizetype row);
    void refuse(const QString &newName);
    // Tells the user that what was found is no longer there as found.
    void replaced(const QString &path, const QString &what);

    bool activated_ = false;
    bool searching_ = false;
    bool closeWhenDone_ = false;
    std::atomic_bool cancel_ = false;
    QList<fs::ListedFile> pending_; // found since the list was last brought up to date
    QList<fs::ListedFile> found_; // one for each row of List1
    qsizetype shown_ = -1; // the row of found_ under File Path
};
