#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <atomic>
#include <functional>
#include <vector>

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
// A file met by an ordered walk.
struct OrderedFile
{
    QByteArray relative; // below the root, "/" between names, in UTF-8
    QString directory; // as Walk gives it
    QString name;
    // Read in the open directory, the time in UTC; one that does not exist for a file gone
    // since its directory was read.
    FileStamp stamp;
};

// The files below a root one at a time, in the byte order of their paths below it, which is
// the order a database gives the UTF-8 text of those paths: a listing of files can thus be met
// with the catalogue's rows in one pass, holding only the folders on the way down. Each file's
// size and time are read in its open directory, one look-up a file. Entries are taken as Walk
// takes them; unreadable folders and names left out are in result().
class OrderedWalk
{
public:
    // enteringDirectory, when given, is asked before each directory is read; false stops the
    // walk there.
    OrderedWalk(const QString &root, bool recursive, std::function<bool()> enteringDirectory = {});
    ~OrderedWalk();
    OrderedWalk(const OrderedWalk &) = delete;
    OrderedWalk &operator=(const OrderedWalk &) = delete;

    // The next file; false at the end of the walk or once it was stopped.
    bool next(OrderedFile &file);
    const WalkResult &result() const { return result_; }

private:
    struct Level;
    void enter(const QString &directory, const QByteArray &relative, bool atRoot);

    bool recursive_;
    std::function<bool()> enteringDirectory_;
    std::vector<Level> levels_;
    WalkResult result_;
};

} // namespace fs
