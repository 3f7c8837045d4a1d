#pragma once

#include "platform/db/DbError.h"

#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

namespace db {

class Connection;

// A forward-only walk over the rows of a select: each row is read from the engine when the walk
// reaches it and let go when it moves on, so a walk over a whole table holds one row at a time
// (a Recordset holds them all). It walks like a Recordset, without going back. Close it before
// its connection.
class Reader
{
public:
    Reader() = default;
    ~Reader();
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;

    // 1 when open, 0 when closed.
    int State() const { return query_ ? 1 : 0; }
    // Runs sql with the bound values over an open connection and reads the first row.
    // Statements without rows leave it closed. Throws DbError.
    void Open(const QString &sql, Connection &connection, const QVariantList &values = {});
    void Close();

    // True when there is no current row (no rows at all, or walked past the last one).
    bool AtEnd() const { return !current_; }
    // Reads the next row. Throws DbError when the engine fails or there is no current row.
    void MoveNext();

    int FieldCount() const { return static_cast<int>(names_.size()); }
    QString FieldName(int index) const { return names_.value(index); }
    // The position of a column, found by name without regard to case; -1 when there is none.
    int FieldIndex(const QString &name) const;
    // Value of a column of the current row, by position or by name (case ignored); may be
    // null. Throws DbError for an unknown column or when there is no current row.
    QVariant Fields(int index) const;
    QVariant Fields(const QString &name) const;

private:
    void readRow();

    std::optional<QSqlQuery> query_;
    QStringList names_;
    bool current_ = false;
};

} // namespace db
