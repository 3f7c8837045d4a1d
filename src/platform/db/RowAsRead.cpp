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

void RowAsRead::refuse(Connection &connection) const
{
    // Told apart by the row's key alone: a row still there was changed, one not there removed.
    Recordset again;
    again.Open(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = ?").arg(table_, keyColumn_),
               connection, {key_});
    const bool removed = again.AtEnd() || again.Fields(0).toLongLong() == 0;
    throw RowChangedError(removed);
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
