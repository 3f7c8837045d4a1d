#include "catalogue/Duplicates.h"

#include "app/CUtils.h"
#include "platform/db/Recordset.h"

#include <QLocale>

namespace catalogue {

namespace {

// The groups, largest waste first, are counted and cut to the first ones before their rows are
// joined; the window functions count every group and its waste before the cut. Ties in waste
// go by checksum, so the listing is the same every time.
const QString kCopies = QStringLiteral(
        "WITH copies AS ("
        " SELECT FSize, Checksum, COUNT(*) AS copies,"
        " CAST(FSize AS INTEGER) * (COUNT(*) - 1) AS waste,"
        " COUNT(*) OVER () AS allGroups,"
        " SUM(CAST(FSize AS INTEGER) * (COUNT(*) - 1)) OVER () AS allWaste"
        " FROM fileprofile WHERE Checksum IS NOT NULL"
        " GROUP BY FSize, Checksum"
        " HAVING COUNT(*) > 1 AND CAST(FSize AS INTEGER) > 0"
        " ORDER BY waste DESC, Checksum, FSize LIMIT ?)"
        " SELECT c.allGroups, c.allWaste, CAST(c.FSize AS INTEGER), c.Checksum, c.copies,"
        " f.Inum, f.FilePath, f.FileGroup, f.WebSiteName"
        " FROM copies c JOIN fileprofile f ON f.FSize = c.FSize AND f.Checksum = c.Checksum"
        " ORDER BY c.waste DESC, c.Checksum, c.FSize, f.FilePath, f.Inum LIMIT ?");

} // namespace

CopyListing FindCopies(db::Connection &connection, qint64 maxGroups, qint64 maxRows)
{
    db::Recordset rows;
    rows.Open(kCopies, connection, {maxGroups, maxRows});
    CopyListing listing;
    for (; !rows.AtEnd(); rows.MoveNext()) {
        const QString checksum = TextOf(rows.Fields(3));
        if (listing.groups.isEmpty() || listing.groups.last().checksum != checksum
            || listing.groups.last().size != rows.Fields(2).toLongLong()) {
            listing.allGroups = rows.Fields(0).toLongLong();
            listing.allWaste = rows.Fields(1).toLongLong();
            listing.groups.append(
                    {rows.Fields(2).toLongLong(), checksum, rows.Fields(4).toLongLong(), {}});
        }
        listing.groups.last().rows.append({rows.Fields(5).toLongLong(), TextOf(rows.Fields(6)),
                                           TextOf(rows.Fields(7)), TextOf(rows.Fields(8))});
        ++listing.rows;
    }
    listing.cut = listing.groups.size() < listing.allGroups
            || (!listing.groups.isEmpty()
                && listing.groups.last().rows.size() < listing.groups.last().copies);
    return listing;
}

QString CopiesCaption(const CopyGroup &group)
{
    return QStringLiteral("%1 copies of %2").arg(group.copies).arg(SizeText(group.size));
}

QString SizeText(qint64 bytes)
{
    return QLocale::c().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

} // namespace catalogue
