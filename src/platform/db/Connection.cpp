#include "platform/db/Connection.h"

#include "platform/db/ConnectString.h"
#include "platform/db/Prepared.h"
#include "platform/db/Recordset.h"
#include "platform/db/Statement.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <sqlite3.h>

namespace db {

namespace {

QString nextConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("corvina-%1").arg(counter.fetchAndAddRelaxed(1));
}

// CStr(value): the value as text, as the statements compare row numbers with quoted text.
void sqlCStr(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const unsigned char *text = sqlite3_value_text(argv[0]);
    sqlite3_result_text(context, reinterpret_cast<const char *>(text), sqlite3_value_bytes(argv[0]),
                        SQLITE_TRANSIENT);
}

void registerFunctions(QSqlDatabase &database)
{
    sqlite3 *raw = EngineHandle(database);
    if (sqlite3_create_function_v2(raw, "CStr", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                   sqlCStr, nullptr, nullptr, nullptr)
        != SQLITE_OK)
        throw DbError(QString::fromUtf8(sqlite3_errmsg(raw)));
}

} // namespace

sqlite3 *EngineHandle(const QSqlDatabase &database)
{
    const QVariant handle = database.driver()->handle();
    sqlite3 *raw = handle.isValid() ? *static_cast<sqlite3 *const *>(handle.data()) : nullptr;
    if (!raw)
        throw DbError(QStringLiteral("The database engine gave no handle."));
    return raw;
}

QString Describe(const QSqlError &error)
{
    QString text = error.databaseText();
    if (text.isEmpty())
        text = error.driverText();
    if (text.isEmpty())
        text = error.text();
    return text;
}

namespace {
FailureListener &failureListener()
{
    static FailureListener listener;
    return listener;
}
} // namespace

void SetFailureListener(FailureListener listener)
{
    failureListener() = std::move(listener);
}

void StatementFailed(const QString &sql, const QString &description)
{
    if (failureListener())
        failureListener()(sql, description);
    throw DbError(description);
}

void StatementFailed(const QString &sql, const QSqlError &error)
{
    StatementFailed(sql, Describe(error));
}

QSqlQuery PrepareStatement(const QSqlDatabase &database, const QString &sql, bool forwardOnly)
{
    QSqlQuery query(database);
    query.setForwardOnly(forwardOnly);
    if (!query.prepare(sql))
        StatementFailed(sql, query.lastError());
    return query;
}

void ExecuteStatement(QSqlQuery &query, const QVariantList &values)
{
    // A statement executed before still holds its earlier values. Fewer values this time must
    // fail as they would on a fresh statement, not run with stale ones: prepared again, it
    // holds none.
    if (query.boundValues().size() > values.size() && !query.prepare(query.lastQuery()))
        StatementFailed(query.lastQuery(), query.lastError());
    for (qsizetype i = 0; i < values.size(); ++i)
        query.bindValue(static_cast<int>(i), values[i]);
    if (!query.exec())
        StatementFailed(query.lastQuery(), query.lastError());
}

QSqlQuery RunStatement(const QSqlDatabase &database, const QString &sql, const QVariantList &values,
                       bool forwardOnly)
{
    QSqlQuery query = PrepareStatement(database, sql, forwardOnly);
    ExecuteStatement(query, values);
    return query;
}

Connection::Connection()
    : name_(nextConnectionName())
{ }

Connection::~Connection()
{
    Close();
    for (Prepared *statement : prepared_)
        statement->connection_ = nullptr;
}

int Connection::State() const
{
    return open_ ? 1 : 0;
}

void Connection::Open(const QString &connectString)
{
    if (open_)
        throw DbError(kObjectOpen);
    const QString path = DataSourceOf(connectString.isEmpty() ? ConnectionString : connectString);
    if (path.isEmpty())
        throw DbError(QStringLiteral("The connection string names no database file."));
    if (!QFileInfo(path).isFile())
        throw DbError(QStringLiteral("Could not find file '%1'.").arg(path));

    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
    database.setDatabaseName(path);
    database.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!database.open()) {
        const QString text = Describe(database.lastError());
        database = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
        throw DbError(text);
    }
    open_ = true;
    try {
        registerFunctions(database);
        // A file that is not a database fails here, on its first read.
        RunStatement(database, QStringLiteral("PRAGMA journal_mode=WAL"), {});
    } catch (...) {
        database = QSqlDatabase(); // Close removes the connection, which must be unused by then
        Close();
        throw;
    }
}

void Connection::Close()
{
    if (!open_)
        return;
    // The engine connection can only go once no statement uses it. Closing it rolls back a
    // transaction still open.
    for (Prepared *statement : prepared_)
        statement->release();
    open_ = false;
    {
        QSqlDatabase database = QSqlDatabase::database(name_, false);
        database.close();
    }
    QSqlDatabase::removeDatabase(name_);
}

QSqlDatabase Connection::database() const
{
    if (!open_)
        throw DbError(kObjectClosed);
    return QSqlDatabase::database(name_, false);
}

void Connection::Execute(const QString &sql, const QVariantList &values, Recordset &into)
{
    into.Close();
    QSqlQuery query = RunStatement(database(), sql, values);
    if (!query.isSelect())
        return;
    QStringList names;
    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i)
        names << record.fieldName(i);
    std::vector<std::vector<QVariant>> rows;
    while (query.next()) {
        std::vector<QVariant> row;
        row.reserve(names.size());
        for (int i = 0; i < names.size(); ++i)
            row.push_back(query.value(i));
        rows.push_back(std::move(row));
    }
    if (query.lastError().isValid())
        StatementFailed(sql, query.lastError());
    into.assign(std::move(names), std::move(rows));
}

qint64 Connection::Execute(const QString &sql, const QVariantList &values)
{
    QSqlQuery query = RunStatement(database(), sql, values);
    return query.numRowsAffected();
}

void Connection::BeginTrans()
{
    if (InTransaction())
        throw DbError(kTransactionOpen);
    // IMMEDIATE: a deferred transaction that reads first could not become a writer once another
    // connection has written, and would fail half-way instead of waiting at the start.
    RunStatement(database(), QStringLiteral("BEGIN IMMEDIATE"), {});
}

void Connection::CommitTrans()
{
    if (!InTransaction())
        throw DbError(kNoTransaction);
    try {
        RunStatement(database(), QStringLiteral("COMMIT"), {});
    } catch (...) {
        try {
            RollbackTrans();
        } catch (const DbError &) {
            // The commit's own failure is the one to report.
        }
        throw;
    }
}

void Connection::RollbackTrans()
{
    if (InTransaction())
        RunStatement(database(), QStringLiteral("ROLLBACK"), {});
}

bool Connection::InTransaction() const
{
    return open_ && sqlite3_get_autocommit(EngineHandle(database())) == 0;
}

void CreateDatabaseFile(const QString &path, const QString &schemaSql)
{
    if (QFileInfo::exists(path))
        throw DbError(QStringLiteral("The file '%1' already exists.").arg(path));
    sqlite3 *raw = nullptr;
    const QByteArray file = path.toUtf8();
    int rc = sqlite3_open_v2(file.constData(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                             nullptr);
    QString error;
    if (rc == SQLITE_OK) {
        char *message = nullptr;
        const QByteArray script =
                "PRAGMA journal_mode=WAL;\nBEGIN;\n" + schemaSql.toUtf8() + "\nCOMMIT;";
        rc = sqlite3_exec(raw, script.constData(), nullptr, nullptr, &message);
        if (rc != SQLITE_OK) {
            error = QString::fromUtf8(message ? message : sqlite3_errmsg(raw));
            sqlite3_free(message);
        }
    } else {
        error = QString::fromUtf8(raw ? sqlite3_errmsg(raw) : "out of memory");
    }
    sqlite3_close(raw);
    if (!error.isEmpty()) {
        QFile::remove(path);
        QFile::remove(path + QStringLiteral("-wal"));
        QFile::remove(path + QStringLiteral("-shm"));
        throw DbError(error);
    }
}

} // namespace db
