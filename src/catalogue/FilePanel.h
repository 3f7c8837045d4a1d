#pragma once

#include "platform/ui/FileLists.h"

#include <QComboBox>
#include <QString>
#include <QStringList>

class QLineEdit;
class QWidget;

// What the file picker and the import window share about their file panels and the paths a
// file taken from them is stored with.

// The drive stored with a file: on Windows the drive letter upper-cased, elsewhere the mount
// point as the drive list shows it.
QString DriveText(const QString &drive);
// A file's full path: the folder, one separator and the name, also when the folder is a volume
// root that already ends in a separator.
QString FullPathOf(const QString &folder, const QString &name);
// The directory stored with a file: the folder with a separator appended, always (a volume root
// thus ends in two).
QString DirectoryText(const QString &folder);
// True when name fits one of the pattern's masks, separated by ";" as in "*.doc;*.txt". "*.*",
// "*" and an empty pattern fit every name; case is ignored, as in the file list.
bool MatchesPattern(const QString &name, const QString &pattern);
// A box's text as a staging row stores it: an empty box gives an empty text, never a null.
QString Stored(const QString &text);
// The stored file patterns in alphabetical order, read through the shared session. Throws
// db::DbError.
QStringList ReadPatterns();

// The pattern that lists every file.
inline const QString kAllFiles = QStringLiteral("*.*");

// The drives, folders and files panel of the windows that pick a file from the disk, and the
// handlers they share: the folder list follows the drive, the file list and the folder box
// follow the folder, the file box takes the file clicked, the file list shows the pattern typed
// or chosen. The windows keep the controls as their own members (Drive1, Dir1, File1, Combo1,
// Text1, Text2) and call these from their handlers of those names.
struct FilePanel
{
    DriveListBox *drives = nullptr;
    DirListBox *folders = nullptr;
    FileListBox *files = nullptr;
    QComboBox *pattern = nullptr;
    QLineEdit *file = nullptr;
    QLineEdit *folder = nullptr;

    // Makes the six controls in parent, named as above, the pattern at "*.*" and the folder box
    // read-only.
    static FilePanel make(QWidget *parent);

    // The folder list moves to the drive's root, unless the folder is already on that drive. A
    // drive that is not ready leaves both lists as they were.
    void followDrive() const;
    // The folder box and the file list show the folder, and the drive list names its drive (as
    // the file's drive is read from there). clearFile empties the file box too.
    void followFolder(bool clearFile) const;
    void takeFile() const;
    void applyPattern() const;

    // Connects the panel's signals to the window's handlers of the controls' names.
    template<class Window> void connectTo(Window *window) const;
};

template<class Window> void FilePanel::connectTo(Window *window) const
{
    QObject::connect(drives, &DriveListBox::driveChanged, window, &Window::Drive1_Change);
    QObject::connect(folders, &DirListBox::pathChanged, window, &Window::Dir1_Change);
    QObject::connect(files, &FileListBox::selectionChangedTo, window,
                     [window](const QString &name) {
                         // A list read again loses its selection; that is no click, and a typed
                         // name stays.
                         if (!name.isEmpty())
                             window->File1_Click();
                     });
    QObject::connect(files, &FileListBox::fileChosen, window, &Window::File1_DblClick);
    QObject::connect(pattern, &QComboBox::currentIndexChanged, window, &Window::Combo1_Click);
    QObject::connect(pattern, &QComboBox::editTextChanged, window, &Window::Combo1_Change);
}
