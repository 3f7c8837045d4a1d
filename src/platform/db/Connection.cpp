#include "platform/db/Connection.h"

#include "platform/db/ConnectString.h"
#include "platform/db/Prepared.h"
#include "platform/db/Recordset.h"
#include "platform/db/Statement.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryFile>
#include <QUrl>

#include <sqlite3.h>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

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

// Whether this user may change the file: the engine writes beside it too (the write-ahead
// journal and its index), so the folder counts as well.
bool writable(const QFileInfo &file)
{
    return file.isWritable() && QFileInfo(file.absolutePath()).isWritable();
}

// A reader of a file in write-ahead mode needs the journal's two side files, which one that may
// not write the file cannot make; a writer may have left them.
bool hasSideFiles(const QFileInfo &file)
{
    const QString path = file.absoluteFilePath();
    return QFileInfo::exists(path + QStringLiteral("-wal"))
            && QFileInfo::exists(path + QStringLiteral("-shm"));
}

// Tells the engine that nobody changes the file while it is open, so it reads the file as it
// stands, without locks or side files.
QString immutableUri(const QFileInfo &file)
{
    QUrl uri = QUrl::fromLocalFile(file.absoluteFilePath());
    uri.setQuery(QStringLiteral("immutable=1"));
    return uri.toString(QUrl::FullyEncoded);
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
    const QFileInfo file(path);
    // A missing file is never created, and an empty one is no database either: the engine
    // would quietly make it one.
    if (!file.isFile() || file.size() == 0)
        throw DbError(QStringLiteral("Could not find file '%1'.").arg(path));

    const bool readOnly = ReadOnly || !writable(file);
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
    database.setDatabaseName(path);
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000");
    if (readOnly) {
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
        if (!hasSideFiles(file)) {
            options += QStringLiteral(";QSQLITE_OPEN_URI");
            database.setDatabaseName(immutableUri(file));
        }
    }
    database.setConnectOptions(options);
    if (!database.open()) {
        const QString text = Describe(database.lastError());
        database = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
        throw DbError(text);
    }
    open_ = true;
    try {
        registerFunctions(database);
        // A file that is not a database fails here, on its first read, and is left as it is.
        RunStatement(database,
                     readOnly ? QStringLiteral("PRAGMA schema_version")
                              : QStringLiteral("PRAGMA journal_mode=WAL"),
                     {});
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

bool Connection::Writable() const
{
    return sqlite3_db_readonly(EngineHandle(database()), "main") == 0;
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

namespace {

// Runs the schema script on a new (empty) file, in WAL mode and one transaction.
void writeSchema(const QString &path, const QString &schemaSql)
{
    sqlite3 *raw = nullptr;
    const QByteArray file = path.toUtf8();
    int rc = sqlite3_open_v2(file.constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
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
    if (!error.isEmpty())
        throw DbError(error);
}

void fillRows(const QString &path, const std::function<void(Connection &)> &fill)
{
    Connection connection;
    connection.Open(ConnectStringFor(path));
    connection.BeginTrans();
    fill(connection);
    connection.CommitTrans();
    // The last connection to close writes the journal back into the file and removes it.
    connection.Close();
}

void removeWithSideFiles(const QString &path)
{
    for (const char *suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
}

// A renamed file's new name lasts through a power cut only once its folder is written out.
void syncFolder(const QString &folder)
{
#ifdef Q_OS_UNIX
    const int handle = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (handle >= 0) {
        ::fsync(handle);
        ::close(handle);
    }
#else
    Q_UNUSED(folder);
#endif
}

} // namespace

bool Connection::FileMoved() const
{
    if (!open_)
        return false;
    int moved = 0;
    return sqlite3_file_control(EngineHandle(database()), "main", SQLITE_FCNTL_HAS_MOVED, &moved)
            == SQLITE_OK
            && moved != 0;
}

void CreateDatabaseFile(const QString &path, const QString &schemaSql,
                        const std::function<void(Connection &)> &fill)
{
    const QFileInfo target(path);
    if (target.exists() || target.isSymLink())
        throw DbError(QStringLiteral("The file '%1' already exists.").arg(path));
    // Made by its owner for its owner only: the file holds the accounts' password hashes.
    QTemporaryFile building(target.absolutePath() + QStringLiteral("/.") + target.fileName()
                            + QStringLiteral(".XXXXXX"));
    building.setAutoRemove(false);
    if (!building.open())
        throw DbError(QStringLiteral("%1: %2").arg(
                building.errorString(), QDir::toNativeSeparators(target.absolutePath())));
    const QString temporary = building.fileName();
    building.close();
    try {
        writeSchema(temporary, schemaSql);
        if (fill)
            fillRows(temporary, fill);
        if (QFileInfo::exists(temporary + QStringLiteral("-wal")))
            throw DbError(QStringLiteral("The new database's journal could not be written back "
                                         "into it."));
        // The rename refuses a file that appeared at path in the meantime.
        QFile file(temporary);
        if (!file.rename(path))
            throw DbError(QStringLiteral("%1: %2").arg(file.errorString(), path));
    } catch (...) {
        removeWithSideFiles(temporary);
        throw;
    }
    syncFolder(target.absolutePath());
}

} // namespace db
