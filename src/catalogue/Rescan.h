#pragma once

#include "catalogue/FolderImport.h"
#include "catalogue/Volumes.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

namespace db {
class Connection;
}

// Keeping a catalogued folder in step with its disk: the folder is walked again and compared
// with the catalogue's rows under it, and the differences found can then be applied, all or
// some. Nothing is written while the differences are looked for.
namespace catalogue {

// One way in which the disk differs from the catalogue.
struct Difference
{
    enum Kind {
        Added, // a file the catalogue has no row for
        Changed, // a row whose file has another size or time of change (or contents)
        Removed, // a row whose file is gone
        Moved, // a row whose file went to another path (folder or name) below the folder
    };
    Kind kind = Added;
    qint64 row = 0; // the catalogue row (Inum); 0 for an added file
    QString rowPath; // the row's FilePath as stored; empty for an added file
    // Where the file was and where it is now, as the volume is mounted now: the same path but
    // for a move; a removal has no file now.
    QString oldPath;
    QString path;
    FileOnDisk file; // as read now; not for a removal

    // The difference as a line of text: "+ path", "~ path", "- path" or "> old -> new".
    QString line() const;
};

struct Differences
{
    VolumeFolder folder; // as recorded before this rescan
    fs::VolumeFacts volume; // as read now
    QString walkedPath; // the folder's path as the volume is mounted now
    std::vector<Difference> items; // by path
    qint64 files = 0; // files of the folder found on the disk, and their bytes
    qint64 bytes = 0;
    // Folders that could not be read, whose rows are left alone, and names left out for not
    // being valid text, by their escaped paths.
    QStringList unreadable;
    QStringList leftOut;
    bool cancelled = false;
    bool inStep() const { return !cancelled && items.empty(); }
};

struct RescanOptions
{
    // Reads the contents of each added or changed file for its checksum, by which moves are
    // told and copies found. Without it, only the files a move may be told by are read.
    bool checksums = false;
    // Polled during the walk (and by ApplyDifferences before it writes); true stops, and then
    // nothing is found (or written).
    std::function<bool()> cancelled;
};

// The folder cannot be rescanned: its volume is not mounted, or the folder is not there.
struct RescanError : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

// Walks folder on volume as it is mounted now (volume as WhereMounted or fs::VolumeOf read it)
// and compares its files that fit the folder's pattern (in the folders below it too when it was
// so taken) with the catalogue rows under the folder's path, by path, size and time of change,
// and by checksum where both sides have one. A row of another volume is not compared; one of no
// volume (taken on its own) is. A removed row and an added file of the same size and checksum,
// or of the same name, size and time of change, are one move. The rows are read by one
// statement in path order, and only this folder's are held. Rows below a folder that could not
// be read are left alone. Throws RescanError and db::DbError.
Differences RescanFolder(db::Connection &connection, const VolumeFolder &folder,
                         const fs::VolumeFacts &volume, const RescanOptions &options = {});

struct ApplyResult
{
    qint64 added = 0;
    qint64 changed = 0;
    qint64 removed = 0;
    qint64 moved = 0;
    // Differences left undone because another desk changed or removed the row (or catalogued
    // the added file) since the rescan read it.
    qint64 skipped = 0;
    bool cancelled = false;
};

// Applies the differences chosen by selection (indexes into differences.items; all when not
// given) in one short transaction: a move sets the row's path, name and folder (its description,
// group, site, author and e-mail stay), a change its size, date, time of change and checksum,
// an add inserts a row described by forAdded as "Add Folder..." would (its drive, when empty,
// the mount point), a removal deletes the row. A row is written only while it holds the path
// the rescan read. When the volume is mounted elsewhere than the folder's rows say, every row
// of the folder takes the new path. The volume's facts and the folder's count and time of
// reading are recorded with them. A cancel before the transaction begins writes nothing.
// Throws db::DbError; nothing is written then.
ApplyResult ApplyDifferences(db::Connection &connection, const Differences &differences,
                             const FileDescription &forAdded,
                             const std::optional<QList<qsizetype>> &selection = std::nullopt,
                             const std::function<bool()> &cancelled = {});

} // namespace catalogue
