#pragma once

#include <QList>
#include <QString>

namespace db {
class Connection;
}

// Files catalogued more than once: rows of equal size and equal checksum of their contents.
namespace catalogue {

struct CopyRow
{
    qint64 row = 0; // the catalogue row number
    QString path;
    QString group;
    QString site;
};

struct CopyGroup
{
    qint64 size = 0;
    QString checksum;
    qint64 copies = 0;
    // What removing every copy but one would give back: size × (copies − 1).
    qint64 waste() const { return size * (copies - 1); }
    QList<CopyRow> rows; // by path; fewer than copies when the listing was cut short
};

struct CopyListing
{
    QList<CopyGroup> groups; // the largest waste first
    qint64 allGroups = 0; // in the whole catalogue, listed or not
    qint64 allWaste = 0;
    qint64 rows = 0; // rows listed
    bool cut = false; // some groups or rows were left out
};

// Lists at most maxGroups groups and maxRows rows in one statement, grouped by the engine from
// the size-and-checksum index. Empty files are left out: their copies cost nothing.
// Throws db::DbError.
CopyListing FindCopies(db::Connection &connection, qint64 maxGroups, qint64 maxRows);

// "3 copies of 12.4 MB"
QString CopiesCaption(const CopyGroup &group);
// A size as people read it: "512 bytes", "12.4 MB".
QString SizeText(qint64 bytes);

} // namespace catalogue
