#include "platform/db/Transaction.h"

#include "platform/db/Dialect.h"
#include "platform/db/Recordset.h"

#include <QSqlDatabase>

namespace db {

Transaction::Transaction(Connection &connection)
    : connection_(connection)
{
    connection_.BeginTrans();
}

Transaction::~Transaction()
{
    if (done_)
        return;
    try {
        connection_.RollbackTrans();
    } catch (const DbError &) {
        // Nothing more can be done here; closing the connection ends the transaction too.
    }
}

void Transaction::Commit()
{
    done_ = true;
    connection_.CommitTrans();
}

LargeWrite::LargeWrite(Connection &connection)
    : connection_(connection)
{
    if (OnServer(connection_.database()))
        return;
    Recordset cache;
    cache.Open(QStringLiteral("PRAGMA cache_size"), connection_);
    usual_ = cache.Fields(0);
    cache.Close();
    connection_.Execute(QStringLiteral("PRAGMA cache_size = -262144"));
}

LargeWrite::~LargeWrite()
{
    if (usual_.isNull() || connection_.State() != 1)
        return;
    try {
        connection_.Execute(QStringLiteral("PRAGMA cache_size = %1").arg(usual_.toLongLong()));
    } catch (const DbError &) {
        // The cache is the connection's own: it goes with it at the latest.
    }
}

namespace {

void requireTransaction(const Connection &connection)
{
    if (!connection.InTransaction())
        throw DbError(kNoTransaction);
}

} // namespace

namespace {

// Below this share of a table's rows, moving their index entries costs less than building the
// indexes again.
constexpr qint64 kRebuildShare = 5; // one row in five

// The definitions of a file's indexes on table that take column, as the file keeps them.
QStringList indexesTaking(Connection &connection, const QString &table, const QString &column)
{
    Recordset indexes;
    indexes.Open(QStringLiteral("SELECT name, sql FROM sqlite_schema WHERE type = 'index' AND "
                                "tbl_name = ? AND sql IS NOT NULL"),
                 connection, {table});
    QStringList taking;
    for (; !indexes.AtEnd(); indexes.MoveNext()) {
        Recordset columns;
        columns.Open(QStringLiteral("SELECT 1 FROM pragma_index_info(?) WHERE name = ? "
                                    "COLLATE NOCASE"),
                     connection, {indexes.Fields(0), column});
        if (!columns.AtEnd())
            taking << indexes.Fields(0).toString() << indexes.Fields(1).toString();
    }
    return taking;
}

qint64 countOf(Connection &connection, const QString &sql, const QVariantList &values)
{
    Recordset count;
    count.Open(sql, connection, values);
    return count.Fields(0).toLongLong();
}

} // namespace

qint64 RewriteColumn(Connection &connection, const QString &table, const QString &column,
                     const QString &sql, const QVariant &to, const QVariant &value)
{
    requireTransaction(connection);
    QStringList aside;
    if (!OnServer(connection.database())) {
        const qint64 rows = countOf(
                connection,
                QStringLiteral("SELECT count(*) FROM %1 WHERE %2 = ?").arg(table, column), {value});
        const qint64 all =
                countOf(connection, QStringLiteral("SELECT count(*) FROM %1").arg(table), {});
        if (rows > 0 && rows * kRebuildShare >= all)
            aside = indexesTaking(connection, table, column);
    }
    for (qsizetype i = 0; i < aside.size(); i += 2)
        connection.Execute(QStringLiteral("DROP INDEX \"%1\"").arg(aside[i]));
    const qint64 changed = connection.Execute(sql, {to, value});
    for (qsizetype i = 1; i < aside.size(); i += 2)
        connection.Execute(aside[i]);
    return changed;
}

void Serialise(Connection &connection, const QString &name)
{
    requireTransaction(connection);
    if (!OnServer(connection.database()))
        return;
    // A lock held to the transaction's end, keyed by the name's hash; it locks no row or table.
    connection.Execute(QStringLiteral("SELECT pg_advisory_xact_lock(hashtext(?))"),
                       {QStringLiteral("corvina:") + name});
}

qint64 MoveRows(Connection &connection, const QString &from, const QString &to,
                const QStringList &columns, const QString &orderBy)
{
    requireTransaction(connection);
    const QString list = columns.join(QStringLiteral(", "));
    if (!OnServer(connection.database())) {
        const qint64 moved = connection.Execute(QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM "
                                                               "%3 ORDER BY %4")
                                                        .arg(to, list, from, orderBy));
        connection.Execute(QStringLiteral("DELETE FROM %1").arg(from));
        return moved;
    }
    // At the server's usual isolation each statement sees the rows committed when it starts, so
    // a copy and a delete in two statements would see different rows: the rows committed
    // between them would be removed uncopied. One statement takes one view; a row another move
    // removed meanwhile is skipped once that move commits.
    return connection.Execute(QStringLiteral("WITH moved AS (DELETE FROM %3 RETURNING *) "
                                             "INSERT INTO %1 (%2) SELECT %2 FROM moved ORDER BY %4")
                                      .arg(to, list, from, orderBy));
}

} // namespace db
