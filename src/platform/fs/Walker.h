#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <atomic>
#include <functional>

// Walking directory trees for the disk file search, the file manager and folder imports.
namespace fs {

// How the platform's file system compares names.
constexpr Qt::CaseSensitivity kNameCase =
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
        Qt::CaseInsensitive;
#else
        Qt::CaseSensitive;
#endif

// True when name fits a mask where '*' stands for any run of characters and '?' for exactly
// one. An empty mask and "*.*" fit every name, dot or not, as people expect of "all files".
bool MatchesWildcard(QStringView name, QStringView mask, Qt::CaseSensitivity cs = kNameCase);

// A directory's path and an entry's name joined with the platform's separator.
QString PathOf(const QString &directory, const QString &name);

// Size and time of last change of one file, for the few callers that need them.
struct FileStamp
{
    qint64 size = -1; // -1 when the file cannot be found
    QDateTime modified;
    bool exists() const { return size >= 0; }
};
FileStamp StampOf(const QString &directory, const QString &name);

// Called once for every directory read: its path (platform separators) and the names of its
// files in name order. Returning false ends the walk.
using VisitDirectory = std::function<bool(const QString &directory, const QStringList &files)>;
// The same, with each file's stamp (stamps[i] is files[i]'s), read while the directory was
// open: the time in UTC. A file gone since the directory was read has a stamp that does not
// exist.
using VisitStampedDirectory = std::function<bool(const QString &directory, const QStringList &files,
                                                 const QList<FileStamp> &stamps)>;

struct WalkOptions
{
    bool recursive = true;
    // Checked before each directory is read; the caller's Cancel button sets it.
    const std::atomic_bool *cancel = nullptr;
};

// An entry whose name is not valid text in the file system's encoding. Decoding would turn its
// odd bytes into replacement characters, so its text could name another entry, or none: it is
// left out of listings and reported by its escaped name instead.
struct LeftOut
{
    QString path; // the directory, a separator and the escaped name, e.g. "/tmp/bad\xFF.txt"
    QString shownAs; // the name as decoding reads it, for matching a pattern
    bool directory = false;
};

// A name's bytes as text: valid UTF-8 as it reads, every other byte (and control characters)
// as \xHH, so a name that cannot be decoded can still be told to a person.
QString EscapedName(const QByteArray &name);

struct WalkResult
{
    bool stopped = false; // cancelled, or the visitor asked to stop
    QStringList unreadable; // directories that could not be read and were skipped
    QList<LeftOut> leftOut; // entries of the directories read whose names are not valid text
};

// One directory's entries, read as the walk reads them: files (regular files and links to
// them), directories (not links), and the entries left out for their names, in the order read.
// False when the directory cannot be read. A link given as the directory itself is followed.
struct Listing
{
    QStringList files;
    QList<FileStamp> stamps; // each file's, in a stamped walk; empty otherwise
    QStringList directories;
    QList<LeftOut> leftOut;
};
bool ReadListing(const QString &directory, Listing &listing);

// Walks the tree under root depth first, subdirectories in name order. Entry types come from
// the directory read itself; symbolic links to directories are never followed, so a walk
// always ends. "Files" are regular files and links to them; other special entries are left out.
WalkResult Walk(const QString &root, const VisitDirectory &visit, const WalkOptions &options = {});
// The same walk, each file's size and time read with its name: relative to the open directory,
// so a tree's files cost one look-up each instead of a path walk each.
WalkResult WalkStamped(const QString &root, const VisitStampedDirectory &visit,
                       const WalkOptions &options = {});

} // namespace fs
