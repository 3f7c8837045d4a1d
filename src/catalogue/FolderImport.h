#pragma once

#include <QString>
#include <QStringList>

class ProgressBox;

namespace db {
class Connection;
}

// A whole folder staged at once: every file that fits the pattern, optionally in the folders
// below it too, each described with the same group, site, author and e-mail.
struct FolderImport
{
    QString root;
    QString pattern;
    bool subfolders = false;
    QString drive;
    QString group;
    QString site;
    QString address;
    QString author;
    QString email;
};

struct FolderImportResult
{
    qint64 added = 0;
    // Files whose path was staged or catalogued already, and so not staged again.
    qint64 known = 0;
    QStringList unreadable;
    bool cancelled = false;
};

// Walks the folder and stages its files in tempfile, each with its own date and size, in one
// transaction with one prepared statement. A path that tempfile or fileprofile holds already is
// left out. The progress window shows the count after each folder; Cancel keeps what is staged
// by then. A failure stages nothing. Throws db::DbError.
FolderImportResult StageFolder(db::Connection &connection, const FolderImport &import,
                               ProgressBox &progress);
