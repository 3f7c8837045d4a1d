#include "platform/db/ServerEngine.h"

#include "platform/db/ConnectString.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/db/Statement.h"
#include "platform/db/TextRows.h"
#include "platform/db/Tokens.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlQuery>

#include <libpq-fe.h>

namespace db {

namespace {

// The server connection under a database of the layer.
PGconn *serverHandle(const QSqlDatabase &database)
{
    const QVariant handle = database.driver()->handle();
    return handle.isValid() ? *static_cast<PGconn *const *>(handle.data()) : nullptr;
}

QString conninfoValue(QString text)
{
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
            .replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

// The server's address as the client library's own keywords, read by that library, so that
// every form and parameter it knows is accepted. A password comes from the library's own
// sources (password file, service file, environment) unless the address holds one. The
// connection speaks UTF-8 and gives up on an unreachable server after ten seconds.
QString serverOptions(const QString &address)
{
    QStringList parts;
    bool timeout = false;
    for (const auto &[keyword, value] : ServerParameters(address)) {
        if (keyword == QLatin1String("client_encoding"))
            continue;
        timeout = timeout || keyword == QLatin1String("connect_timeout");
        parts << keyword + QLatin1Char('=') + conninfoValue(value);
    }
    parts << QStringLiteral("client_encoding='UTF8'");
    if (!timeout)
        parts << QStringLiteral("connect_timeout='10'");
    return parts.join(QLatin1Char(' '));
}

// A statement already in the server's words, run as it is written.
QSqlQuery native(const QSqlDatabase &database, const QString &sql, const QVariantList &values)
{
    EngineOf(database).beforeStatement(database);
    QSqlQuery query(database);
    if (!query.prepare(sql))
        StatementFailed(sql, query.lastError());
    ExecuteStatement(query, values);
    return query;
}

} // namespace

void ServerEngine::open(const QString &name, const QString &address, bool readOnly)
{
    // Read before the engine connection is made, so that a wrong address leaves nothing behind.
    const QString options = serverOptions(address);
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    if (!database.isValid()) {
        ForgetEngine(database, name);
        throw DbError(QStringLiteral("This program was installed without its database "
                                     "server driver."));
    }
    database.setConnectOptions(options);
    OpenEngine(database, name);
    try {
        adopt(database);
        // The server's notes on what it did (a table dropped with its indexes) are no news.
        RunStatement(database, QStringLiteral("SET client_min_messages = warning"), {});
        // The windows' statements are short and run at each keystroke: starting helper
        // processes for them costs more than it saves, and takes the processors of a server
        // that every desk shares. An address may still ask for them in its options.
        const QLatin1String workers("max_parallel_workers_per_gather");
        if (!options.contains(workers) && !qEnvironmentVariable("PGOPTIONS").contains(workers))
            RunStatement(database, QStringLiteral("SET max_parallel_workers_per_gather = 0"), {});
        // A write waits for another desk's lock as long as on a file, then says so.
        const QLatin1String lockTimeout("lock_timeout");
        if (!options.contains(lockTimeout)
            && !qEnvironmentVariable("PGOPTIONS").contains(lockTimeout))
            RunStatement(database, QStringLiteral("SET lock_timeout = %1").arg(qMax(1, LockWait())),
                         {});
        if (readOnly)
            RunStatement(database, QStringLiteral("SET default_transaction_read_only = on"), {});
    } catch (...) {
        ForgetEngine(database, name);
        throw;
    }
}

void ServerEngine::beforeStatement(const QSqlDatabase &database)
{
    // A server that went away (restarted, or the network broke) is asked again at the next
    // statement, so the program goes on once it is back. Only the work under way is lost: a
    // transaction open at the time was rolled back by the server.
    if (PGconn *server = serverHandle(database); server && PQstatus(server) == CONNECTION_BAD) {
        transaction_ = false;
        PQreset(server);
    }
}

QString ServerEngine::statementText(const QString &sql) const
{
    return ServerStatement(sql);
}

void ServerEngine::checkValue(const QString &sql, const QVariant &value) const
{
    // A server's text cannot hold a NUL character: its client library would cut the text there
    // and store the rest of it unseen.
    if (value.typeId() == QMetaType::QString && value.toString().contains(QChar(u'\0')))
        StatementFailed(sql,
                        QStringLiteral("Text holding a NUL character cannot be stored on the "
                                       "database server."));
}

QString ServerEngine::fieldName(const QString &sql, const QString &name) const
{
    return ServerFieldName(sql, name);
}

void ServerEngine::begin(const QSqlDatabase &database)
{
    // A server locks rows, not the file, so its writers never wait at the start.
    RunStatement(database, QStringLiteral("BEGIN"), {});
    transaction_ = true;
}

bool ServerEngine::inTransaction(const QSqlDatabase &database) const
{
    // The toolkit's driver may leave a statement's end unread (the connection then reports
    // itself busy, not in a transaction), so the engine keeps count itself; a server that
    // dropped the connection took the transaction with it.
    PGconn *server = serverHandle(database);
    if (!server)
        return false;
    const PGTransactionStatusType status = PQtransactionStatus(server);
    return PQstatus(server) == CONNECTION_OK
            && (transaction_ || status == PQTRANS_INTRANS || status == PQTRANS_INERROR);
}

bool ServerEngine::writable(const QSqlDatabase &database) const
{
    QSqlQuery query = RunStatement(database, QStringLiteral("SHOW transaction_read_only"), {});
    return query.next() && query.value(0).toString() == QLatin1String("off");
}

int ServerEngine::storedSchemaVersion(Connection &connection) const
{
    if (columnsOf(connection, QLatin1String(kVersionTable)).isEmpty())
        return 0;
    QSqlQuery query = native(
            connection.database(),
            QStringLiteral("SELECT max(version) FROM %1").arg(QLatin1String(kVersionTable)), {});
    return query.next() ? query.value(0).toInt() : 0;
}

const QString &ServerEngine::ownScript(const TableScripts &scripts) const
{
    return scripts.server;
}

// Run unprepared: the server prepares no statement that makes or drops a table or an index.
void ServerEngine::executeAsWritten(Connection &connection, const QString &sql) const
{
    const QSqlDatabase database = connection.database();
    EngineOf(database).beforeStatement(database);
    QSqlQuery query(database);
    if (!query.exec(sql))
        StatementFailed(sql, query.lastError());
}

void ServerEngine::storeSchemaVersion(Connection &connection, int version) const
{
    const QSqlDatabase database = connection.database();
    const QString table = QLatin1String(kVersionTable);
    if (columnsOf(connection, table).isEmpty())
        native(database, QStringLiteral("CREATE TABLE %1 (version BIGINT NOT NULL)").arg(table),
               {});
    native(database, QStringLiteral("DELETE FROM %1").arg(table), {});
    native(database, QStringLiteral("INSERT INTO %1 (version) VALUES (?)").arg(table), {version});
}

QStringList ServerEngine::columnsOf(Connection &connection, const QString &table) const
{
    QSqlQuery query = native(connection.database(),
                             QStringLiteral("SELECT attname FROM pg_attribute WHERE attrelid = "
                                            "to_regclass(lower(?)) AND attnum > 0 AND NOT "
                                            "attisdropped ORDER BY attnum"),
                             {table});
    QStringList columns;
    while (query.next())
        columns << query.value(0).toString();
    return columns;
}

TableFacts ServerEngine::factsOf(const QSqlDatabase &database, const QString &table) const
{
    TableFacts facts;
    QSqlQuery query = native(
            database,
            QStringLiteral("SELECT a.attname, a.atttypid IN ('text'::regtype, 'varchar'::regtype, "
                           "'bpchar'::regtype), EXISTS (SELECT 1 FROM pg_index i WHERE "
                           "i.indrelid = a.attrelid AND i.indisprimary AND i.indnatts = 1 AND "
                           "i.indkey[0] = a.attnum AND a.atttypid IN ('int8'::regtype, "
                           "'int4'::regtype)) FROM pg_attribute a WHERE a.attrelid = "
                           "to_regclass(lower(?)) AND a.attnum > 0 AND NOT a.attisdropped "
                           "ORDER BY a.attnum"),
            {table});
    while (query.next()) {
        if (query.value(1).toBool())
            facts.textColumns << query.value(0).toString();
        if (query.value(2).toBool())
            facts.rowKey = query.value(0).toString();
    }
    return facts;
}

qint64 ServerEngine::forEachTextRow(
        Connection &connection, const QString &sql, const QVariantList &values,
        const std::function<void(std::span<const QByteArrayView>)> &visit) const
{
    return ServerTextRows(connection, sql, values, visit);
}

QString ServerEngine::caselessMatch(const QString &expression) const
{
    // lower() folds the ASCII letters of the text columns' collation, as the file's engine
    // does; the value is taken in that collation too, and the indexes on lower(column)
    // answer the match.
    return QStringLiteral("lower(%1) LIKE lower(?::text COLLATE \"C\") ESCAPE '\\'")
            .arg(expression);
}

QString ServerEngine::withReturnedKey(const QString &insert, const QString &key) const
{
    return key.isEmpty() ? insert : insert + QStringLiteral(" RETURNING ") + key;
}

void ServerEngine::serialise(Connection &connection, const QString &name) const
{
    // A lock held to the transaction's end, keyed by the name's hash; it locks no row or table.
    connection.Execute(QStringLiteral("SELECT pg_advisory_xact_lock(hashtext(?))"),
                       {QStringLiteral("corvina:") + name});
}

void ServerEngine::markTransaction(Connection &connection, const QString &flag) const
{
    // A setting of the program's own prefix, gone when the transaction ends.
    connection.Execute(QStringLiteral("SELECT set_config(?, 'on', true)"),
                       {QStringLiteral("corvina.") + flag});
}

qint64 ServerEngine::moveRows(Connection &connection, const QString &from, const QString &to,
                              const QStringList &columns, const QString &orderBy) const
{
    // At the server's usual isolation each statement sees the rows committed when it starts, so
    // a copy and a delete in two statements would see different rows: the rows committed
    // between them would be removed uncopied. One statement takes one view; a row another move
    // removed meanwhile is skipped once that move commits.
    return connection.Execute(QStringLiteral("WITH moved AS (DELETE FROM %3 RETURNING *) "
                                             "INSERT INTO %1 (%2) SELECT %2 FROM moved ORDER BY %4")
                                      .arg(to, columns.join(QStringLiteral(", ")), from, orderBy));
}

namespace {

QStringList tablesOf(const QString &schemaSql)
{
    static const QRegularExpression table(QStringLiteral("CREATE\\s+TABLE\\s+(\\w+)"),
                                          QRegularExpression::CaseInsensitiveOption);
    QStringList names;
    for (const QString &statement : SplitScript(schemaSql)) {
        if (const auto match = table.match(statement);
            match.hasMatch() && match.capturedStart() == 0)
            names << match.captured(1);
    }
    return names;
}

} // namespace

void CreateServerDatabase(const QString &address, const QString &schemaSql,
                          const std::function<void(Connection &)> &fill)
{
    Connection connection;
    connection.Open(ConnectStringFor(address));
    for (const QString &table : tablesOf(schemaSql)) {
        if (!ColumnsOf(connection, table).isEmpty())
            throw DbError(QStringLiteral("The database already holds the table '%1': the tables "
                                         "are made only in an empty database.")
                                  .arg(table));
    }
    connection.BeginTrans();
    try {
        // Written for the server: run as they are.
        for (const QString &statement : SplitScript(schemaSql)) {
            QSqlQuery query(connection.database());
            if (!query.exec(statement))
                StatementFailed(statement, query.lastError());
        }
        if (fill)
            fill(connection);
        connection.CommitTrans();
    } catch (...) {
        connection.RollbackTrans();
        throw;
    }
}

} // namespace db
