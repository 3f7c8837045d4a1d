#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>

class ProgressBox;

namespace db {
class Connection;
}

// What the files of one folder are catalogued with, all alike.
struct FileDescription
{
    QString drive;
    QString group;
    QString site;
    QString address;
    QString author;
    QString email;
};

// A whole folder staged at once: every file that fits the pattern, optionally in the folders
// below it too, each described with the same group, site, author and e-mail.
struct FolderImport : FileDescription
{
    QString root;
    QString pattern;
    bool subfolders = false;
    // Reads every file to record a checksum of its contents, by which copies are found.
    bool checksums = false;
};

// One file as read from the disk, for its catalogue row.
struct FileOnDisk
{
    QString directory; // as the walk gave it
    QString name;
    qint64 size = 0;
    QDateTime modified;
    QVariant checksum; // null when not read
};

// The insert of a file read from the disk into table (tempfile or fileprofile), left undone
// when fileprofile holds its path already (it then changes no row); FileRowValues are its
// values. A row so made has an empty description and label, FileIndex 2, the file's date
// "dd/MM/yyyy" and its time of change, size, checksum and volume (null when not known).
QString FileInsertStatement(const QString &table);
QVariantList FileRowValues(const FileDescription &description, const FileOnDisk &file,
                           const QVariant &volumeId);
// The date a file's row shows for its time of change.
QString FileDateText(const QDateTime &modified);

struct FolderImportResult
{
    qint64 added = 0;
    // Files whose path was staged or catalogued already, and so not staged again.
    qint64 known = 0;
    QStringList unreadable;
    // Files that fit the pattern, and folders, left out for names that are not valid text; by
    // their escaped paths.
    QStringList leftOut;
    // Files staged without a checksum because their contents could not be read.
    QStringList unsummed;
    bool cancelled = false;
};

// The SET terms of a row's update that keep what was read from its file (checksum, volume and
// time of change) only while its path stays the same; SamePathValues gives their bound values
// from the new path. What was read of one file says nothing about another.
inline const QString kFileFactsOfSamePath =
        QStringLiteral("Checksum = CASE WHEN FilePath IS ? THEN Checksum END, "
                       "VolumeId = CASE WHEN FilePath IS ? THEN VolumeId END, "
                       "Modified = CASE WHEN FilePath IS ? THEN Modified END");
inline QVariantList SamePathValues(const QString &path)
{
    return {path, path, path};
}

// Walks the folder and stages its files in tempfile, each with its own date, size, time of
// change and volume, through one prepared statement. The folder's volume is recorded first, and
// the folder among the volume's catalogued folders once walked (see Volumes.h). A path that
// tempfile or fileprofile holds already is left out. Each folder's files (and their checksums) are
// read first, outside any transaction; then the rows of whole folders are written in a short
// transaction, so that another desk never waits long to write, and an import that is cancelled,
// fails or is killed part-way keeps the folders written by then whole, never part of one. Only a
// folder of more than 20,000 files is written in slices of that many. The progress window shows the
// count after each folder; Cancel keeps the folders read whole by then. With checksums, the
// progress window also names each file as it is read, and Cancel stops in the middle of a large
// one; its folder is not staged. Throws db::DbError.
FolderImportResult StageFolder(db::Connection &connection, const FolderImport &import,
                               ProgressBox &progress);
