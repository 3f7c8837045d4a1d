#pragma once

#include "platform/db/Select.h"

#include <QSqlDatabase>
#include <QVariantList>

#include <optional>
#include <vector>

namespace db {

struct BoundStatement
{
    QString sql;
    QVariantList values;
};

// The statements through which a grid counts a record source and reads a run of its rows by
// position, each a short read of its own, so no read is ever left open between two of them.
//
// A record source built as a Select (see Select.h) is read "keyed": its order gets the row's rowid
// as the final term, which makes it total, and every row read carries its order values and rowid in
// hidden columns after the source's own. A run of rows is then found from the nearest row already
// known: "after these keys" (or "before", reading in reverse order) narrows the index range to
// start right there, and only the rows between are skipped with OFFSET. Measured on a catalogue of
// 1,000,000 rows: 256 rows next to a known row read in about 0.5 ms at any depth, whereas
// a plain OFFSET costs about 40 ms at depth 500,000 (190 ms with a cold cache). A skip longer
// than a few pages (a jump of the scroll bar to the middle) selects only rowids in the inner
// query, which walks the index alone, and reads the full rows of just the one page: about
// twice as fast warm and five times cold. Reading backwards from the end makes the last page
// as cheap as the first.
//
// A record source given as text (joins, DISTINCT, GROUP BY, compounds, LIMIT), or a Select of a
// table with no column that numbers its rows, is read through
// "SELECT * FROM (<source>) LIMIT ? OFFSET ?", from the start only.
//
// Text columns named bare in the ORDER BY sort without regard to case (COLLATE NOCASE), the way
// LIKE matches them: users look for "Readme" among "readme" and "README", and the NOCASE
// indexes that answer the prefix searches then deliver the rows in order without a sort.
class GridQuery
{
public:
    // Reads the text columns of the select's table and its row key from database.
    GridQuery(const QSqlDatabase &database, const Select &select);
    // A record source read as written, through the wrapping subquery.
    GridQuery(const QString &sql, const QVariantList &values);

    bool keyed() const { return select_.has_value(); }
    // The record source as a statement, and its values.
    const QString &statement() const { return sql_; }
    const QVariantList &values() const { return values_; }
    // The column whose values the keyed statements take as a row's number.
    const QString &rowKey() const { return rowKey_; }
    // Columns that read statements put after the source's own: the order values and the rowid.
    int hiddenColumns() const { return keyed() ? static_cast<int>(order_.size()) : 0; }

    BoundStatement count() const;
    // Up to `limit` rows, skipping `skip` rows first. Forward rows come in the grid's order,
    // starting after the row whose hidden values are `after` (from the first row when empty).
    // Backward rows come in reverse order, starting before the row with those values (from the
    // last row when empty). Only keyed queries read backward or after a row.
    BoundStatement rows(qint64 skip, qint64 limit, bool backward = false,
                        const QVariantList &after = {}) const;
    // The hidden values of the row with this rowid, no row when the source does not show it.
    BoundStatement keysOf(const QVariant &rowid) const;
    // Counts the rows the grid shows before the row with these hidden values.
    BoundStatement countBefore(const QVariantList &keys) const;

    // A skip beyond this many rows reads rowids first.
    static constexpr qint64 kShortSkip = 2048;

private:
    struct Term
    {
        QString expression;
        bool descending;
    };
    QString orderClause(bool backward) const;
    QString hiddenList() const;
    QString where(const QStringList &conditions) const;
    QString afterCondition(const QVariantList &keys, bool backward, QVariantList &values) const;

    QString sql_;
    QString count_;
    QVariantList values_;
    std::optional<Select> select_; // when keyed
    std::vector<Term> order_; // the source's order, then the rowid
    QString rowKey_; // the column that numbers the table's rows: rowid, or the key on a server
};

} // namespace db
