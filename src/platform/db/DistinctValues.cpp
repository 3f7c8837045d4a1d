#include "platform/db/DistinctValues.h"

#include "platform/db/Connection.h"
#include "platform/db/Statement.h"

#include <QSqlQuery>

namespace db {

QVariantList DistinctValues(Connection &connection, const QString &table, const QString &column)
{
    QVariantList values;
    QSqlQuery hasNull = RunStatement(
            connection.database(),
            QStringLiteral("SELECT 1 FROM %1 WHERE %2 IS NULL LIMIT 1").arg(table, column), {});
    if (hasNull.next())
        values << QVariant();
    hasNull.finish();
    // Each step asks the index for the least value above the one before: one seek per value.
    QSqlQuery walk = RunStatement(
            connection.database(),
            QStringLiteral("WITH RECURSIVE walk(value) AS (SELECT min(%2) FROM %1 UNION ALL "
                           "SELECT (SELECT min(%2) FROM %1 WHERE %2 > walk.value) FROM walk "
                           "WHERE walk.value IS NOT NULL) "
                           "SELECT value FROM walk WHERE value IS NOT NULL")
                    .arg(table, column),
            {});
    while (walk.next())
        values << walk.value(0);
    walk.finish();
    return values;
}

} // namespace db
