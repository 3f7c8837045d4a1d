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
