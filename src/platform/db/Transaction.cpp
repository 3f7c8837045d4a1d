#include "platform/db/Transaction.h"

#include "platform/db/Connection.h"
#include "platform/db/Engine.h"
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
    usual_ = connection_.engine().enlargeCache(connection_);
}

LargeWrite::~LargeWrite()
{
    if (usual_.isNull() || connection_.State() != 1)
        return;
    try {
        connection_.engine().restoreCache(connection_, usual_);
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

qint64 RewriteColumn(Connection &connection, const QString &table, const QString &column,
                     const QVariant &value, const QString &sql, const QVariantList &values)
{
    requireTransaction(connection);
    const QStringList aside =
            connection.engine().indexesToSetAside(connection, table, column, value);
    for (qsizetype i = 0; i < aside.size(); i += 2)
        connection.Execute(QStringLiteral("DROP INDEX \"%1\"").arg(aside[i]));
    const qint64 changed = connection.Execute(sql, values);
    for (qsizetype i = 1; i < aside.size(); i += 2)
        connection.Execute(aside[i]);
    return changed;
}

qint64 InTransaction(Connection &connection, const std::function<qint64()> &work)
{
    if (connection.InTransaction())
        return work();
    Transaction transaction(connection);
    const qint64 result = work();
    transaction.Commit();
    return result;
}

void WriteBackLog(Connection &connection)
{
    connection.engine().writeBackLog(connection);
}

void MarkTransaction(Connection &connection, const QString &flag)
{
    requireTransaction(connection);
    connection.engine().markTransaction(connection, flag);
}

void Serialise(Connection &connection, const QString &name)
{
    requireTransaction(connection);
    connection.engine().serialise(connection, name);
}

qint64 MoveRows(Connection &connection, const QString &from, const QString &to,
                const QStringList &columns, const QString &orderBy)
{
    requireTransaction(connection);
    return connection.engine().moveRows(connection, from, to, columns, orderBy);
}

} // namespace db
