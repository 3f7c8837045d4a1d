#include "platform/db/RowAsRead.h"

#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"

namespace db {

RowAsRead::RowAsRead(const QString &table, const QString &keyColumn, const QVariant &key)
    : table_(table)
    , keyColumn_(keyColumn)
    , key_(key)
{ }

void RowAsRead::clear()
{
    *this = RowAsRead();
}

void RowAsRead::read(const QString &column, const QVariant &value)
{
    for (auto &[name, held] : columns_) {
        if (name.compare(column, Qt::CaseInsensitive) == 0) {
            held = value;
            return;
        }
    }
    columns_.append({column, value});
}

QString RowAsRead::guarded(const QString &update) const
{
    QString sql = update.trimmed();
    for (const auto &column : columns_)
        sql += QStringLiteral(" AND %1 IS ?").arg(column.first);
    return sql;
}

QVariantList RowAsRead::guardedValues(const QVariantList &values) const
{
    QVariantList all = values;
    for (const auto &column : columns_)
        all << column.second;
    return all;
}

// Told apart by the row's key alone: a row still there was changed, one not there removed.
bool RowAsRead::stillThere(Connection &connection) const
{
    Recordset again;
    again.Open(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = ?").arg(table_, keyColumn_),
               connection, {key_});
    return !again.AtEnd() && again.Fields(0).toLongLong() > 0;
}

void RowAsRead::refuse(Connection &connection) const
{
    throw RowChangedError(!stillThere(connection));
}

qint64 RowAsRead::Delete(Connection &connection, const QString &del,
                         const QVariantList &values) const
{
    const qint64 removed = connection.Execute(guarded(del), guardedValues(values));
    if (removed == 0 && stillThere(connection))
        throw RowChangedError(kChangedBeforeDelete, false);
    return removed;
}

qint64 RowAsRead::Update(Connection &connection, const QString &update,
                         const QVariantList &values) const
{
    const qint64 changed = connection.Execute(guarded(update), guardedValues(values));
    if (changed == 0)
        refuse(connection);
    return changed;
}

} // namespace db
