#pragma once

#include "platform/db/DbError.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

namespace db {

class Connection;

// A client-side record set: opening runs the statement and keeps a snapshot of its rows, so
// walking it never holds the database. Statements without rows leave it closed.
class Recordset
{
public:
    Recordset() = default;

    // 1 when open, 0 when closed.
    int State() const { return open_ ? 1 : 0; }
    // Runs sql with the bound values over an open connection. Throws DbError.
    void Open(const QString &sql, Connection &connection, const QVariantList &values = {});
    void Close();

    // True when there is no current row (no rows at all, or walked past the last one).
    bool AtEnd() const;
    void MoveFirst();
    void MoveNext();

    int FieldCount() const { return static_cast<int>(names_.size()); }
    QString FieldName(int index) const { return names_.value(index); }
    // Value of a column of the current row, by position or by name (case ignored); may be
    // null. Throws DbError for an unknown column or when there is no current row.
    QVariant Fields(int index) const;
    QVariant Fields(const QString &name) const;

    // Runs the same statement again and goes to the first row.
    void Requery();
    qint64 RecordCount() const { return static_cast<qint64>(rows_.size()); }

private:
    friend class Connection;
    void assign(QStringList names, std::vector<std::vector<QVariant>> rows);
    const std::vector<QVariant> &currentRow() const;

    bool open_ = false;
    QStringList names_;
    std::vector<std::vector<QVariant>> rows_;
    qint64 position_ = 0;
    QString sql_;
    QVariantList values_;
    Connection *connection_ = nullptr;
};

} // namespace db
