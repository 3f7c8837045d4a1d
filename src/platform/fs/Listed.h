#pragma once

#include <QString>
#include <QtGlobal>

// Acting on a file that a walk listed, and on no other. Between the listing and the act, a
// folder on the way may have been swapped for a link, or the name may have been given to
// another file; a path alone would then lead elsewhere. So each act opens the folders below
// the walk's root one by one without following links, and goes on only while the folder and
// the file are still the ones listed.
namespace fs {

// Where an entry lies on its device; two entries with the same id are one.
struct FileId
{
    quint64 device = 0;
    quint64 inode = 0;
    bool known() const { return device != 0 || inode != 0; }
    friend bool operator==(const FileId &, const FileId &) = default;
};

struct ListedFile
{
    QString root; // the walk's root; links on the way to it are followed, as the walk did
    QString directory; // the file's folder, at or below root, as the walk gave it
    QString name; // exactly as the folder holds it
    FileId directoryId;
    FileId fileId;
    bool located() const { return directoryId.known() && fileId.known(); }
};

// The file as it is now; both ids stay unknown when the folder cannot be reached without a
// link below root, or the file is not there.
ListedFile Locate(const QString &root, const QString &directory, const QString &name);

enum class Outcome {
    Done,
    Gone, // nothing by that name is there any more
    Replaced, // the folder or the file is no longer the one listed; nothing was touched
    Taken, // the new name belongs to another file
    Failed, // the system refused; error says why
};

struct ActResult
{
    Outcome outcome = Outcome::Failed;
    QString error;
};

// Deletes the listed file (a link itself, never what it leads to).
ActResult RemoveListed(const ListedFile &file);
// Gives the listed file a new name in its own folder, never over another file's.
ActResult RenameListed(const ListedFile &file, const QString &newName);

} // namespace fs
