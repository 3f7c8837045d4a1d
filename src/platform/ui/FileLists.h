#pragma once

#include <QComboBox>
#include <QListWidget>
#include <QStringList>

class QAction;

// The three list boxes that file pickers, the import window and the file manager are built
// from. Each reports changes through signals; none of them ever asks the user anything.

// The mounted volumes. On Windows an entry reads "C:"; elsewhere it is the mount point.
class DriveListBox : public QComboBox
{
    Q_OBJECT
public:
    explicit DriveListBox(QWidget *parent = nullptr);

    // The selected entry's text, as listed.
    QString Drive() const;
    // Selects the volume holding a path (or an entry's text); a path on no listed volume is
    // ignored.
    void setDrive(const QString &path);
    // The selected volume's root directory, e.g. "/home" or "C:/".
    QString rootPath() const;
    // Reads the volumes again, keeping the selection when its volume is still mounted.
    void Refresh();

    // The entry text of the volume holding a path; empty when none does.
    static QString volumeOf(const QString &path);
    // Of the given roots, the one that is the longest leading run of whole components of the
    // path (after making it absolute and clean); empty when none is.
    static QString rootContaining(const QStringList &roots, const QString &path);

signals:
    void driveChanged(const QString &drive);

private:
    void fill();
    QStringList roots() const;

    QString lastDrive_;
};

// The chain of folders from the root down to the current one, then its subfolders.
class DirListBox : public QListWidget
{
    Q_OBJECT
public:
    // Every entry holds its folder's absolute path ('/' separators) and its indent level.
    enum Role { PathRole = Qt::UserRole, LevelRole };

    explicit DirListBox(QWidget *parent = nullptr);

    // The current folder, absolute, with native separators.
    QString Path() const;
    // Makes a folder current; false, and nothing changes, when it is not an existing folder.
    bool setPath(const QString &path);
    // Reads the folder again; if it has gone, its nearest existing ancestor becomes current.
    void Refresh();
    // The subfolders not listed because their names are not valid text, escaped ("bad\xFF").
    QStringList LeftOut() const { return leftOut_; }
    // Hidden subfolders are listed only on request: the list's menu item "Show Hidden Folders",
    // or Ctrl+H, as in the desktop's own file dialogs.
    void setShowHidden(bool show);
    bool ShowsHidden() const;

signals:
    void pathChanged(const QString &path);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void fill();
    void open(const QModelIndex &index);

    QString path_; // absolute and clean, '/' separators
    QStringList leftOut_;
    // Checked while hidden folders are listed.
    QAction *showHiddenAction_ = nullptr;
};

// The files of a folder that match a pattern, by name.
class FileListBox : public QListWidget
{
    Q_OBJECT
public:
    explicit FileListBox(QWidget *parent = nullptr);

    // The folder listed, absolute, with native separators.
    QString Path() const;
    void setPath(const QString &path);
    // Masks joined by ";" such as "*.txt;*.cpp"; empty or "*.*" lists every file.
    QString Pattern() const;
    void setPattern(const QString &pattern);
    // The selected file's name; empty when none is selected.
    QString FileName() const;
    // Selects the named file if it is listed, otherwise clears the selection.
    void setFileName(const QString &name);
    int ListCount() const;
    // The name at a row; empty outside the list.
    QString List(int index) const;
    // Reads the folder again, keeping the selected file selected if it is still listed.
    void Refresh();
    // The files that fit the pattern but are not listed because their names are not valid
    // text, escaped ("bad\xFF.txt"). No name in the list could reach them.
    QStringList LeftOut() const { return leftOut_; }

signals:
    void fileChosen(const QString &name);
    void selectionChangedTo(const QString &name);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void fill(const QString &keep);
    void reportSelection();

    QString path_; // absolute and clean, '/' separators
    QString pattern_ = QStringLiteral("*.*");
    QString lastSelected_;
    QStringList leftOut_;
};
