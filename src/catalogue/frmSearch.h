#pragma once

#include "platform/ui/Form.h"

#include <QStringList>

#include <atomic>

class DirListBox;
class DriveListBox;
class KeyedToolBar;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// Looks for files whose names fit a pattern in a start directory and every directory below it,
// and lists each directory holding some with the names under it. Reads and changes nothing in
// the database.
class frmSearch : public FormDialog
{
    Q_OBJECT
public:
    explicit frmSearch(QWidget *parent = nullptr);

    KeyedToolBar *tbrMain2;
    QLineEdit *Text1;
    DriveListBox *Drive1;
    DirListBox *Dir1;
    QListWidget *List1;
    QLabel *Label4;
    QLabel *lblSearching;
    QPushButton *cmdFind;
    QPushButton *cmdCancel;
    QPushButton *cmdClose;

    // Set by Cancel, cleared when a search starts; the walk looks at it before each directory.
    std::atomic_bool CancelSearch = false;
    // Heading lines ("=> " and a directory) in List1 from the current search.
    qint64 DirectoryLines = 0;
    // How long a walk may run without serving the window's events (see DiskWalkOptions).
    int yieldEveryMs = 15;

    void Form_Load() override;
    void Drive1_Change();
    void cmdFind_Click();
    void cmdCancel_Click();
    void cmdClose_Click();
    void tbrMain2_ButtonClick(const QString &key);

    bool searching() const { return searching_; }
    // The number of files found by the last search.
    qint64 filesFound() const;

    void reject() override;

private:
    void layOut();
    void connectHandlers();
    void setSearching(bool on);
    void runSearch();

    bool searching_ = false;
    bool closeWhenDone_ = false;
    QStringList pending_; // lines found since the list was last brought up to date
};
