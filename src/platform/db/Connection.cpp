#include "platform/db/Connection.h"

#include "platform/db/ConnectString.h"
#include "platform/db/Dialect.h"
#include "platform/db/Prepared.h"
#include "platform/db/Recordset.h"
#include "platform/db/Statement.h"
#include "platform/db/TemporarySpace.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStorageInfo>
#include <QTemporaryFile>
#include <QUrl>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <atomic>

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
// stands, without locks or side files. Only true of a file that nobody may write: told so of a
// file that another desk writes, the engine reads pages of two versions and calls the file
// malformed.
QString immutableUri(const QFileInfo &file)
{
    QUrl uri = QUrl::fromLocalFile(file.absoluteFilePath());
    uri.setQuery(QStringLiteral("immutable=1"));
    return uri.toString(QUrl::FullyEncoded);
}

bool cannotChange(const QFileInfo &file)
{
    const QFile::Permissions writers = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return (file.permissions() & writers) == 0 || QStorageInfo(file.absolutePath()).isReadOnly();
}

// The file's header says it keeps a write-ahead journal, which a reader follows through the
// side files.
bool keepsJournal(const QFileInfo &file)
{
    QFile bytes(file.absoluteFilePath());
    if (!bytes.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = bytes.read(20);
    return header.size() == 20 && header.startsWith(QByteArrayLiteral("SQLite format 3\0"))
            && header[18] == 2;
}

const QString kCannotFollow = QStringLiteral(
        "The database cannot be read from this desk just now: it may not write in the "
        "database's folder, where a reader keeps track of what other desks write. It can read "
        "the database while another desk has it open, or once the file is made read-only for "
        "everyone.");

std::atomic<int> lockWait{5000};

QMutex trustedMutex;
QSet<QString> &trustedObjects()
{
    static QSet<QString> names;
    return names;
}

bool trusted(const QString &name)
{
    const QMutexLocker lock(&trustedMutex);
    return trustedObjects().contains(name.toLower());
}

// Before anything is read from the file: no statement may write the engine's own tables
// (defensive mode), the file's definitions may call only the engine's harmless functions, never
// those the program registers, and views, which the program never makes, do not run.
void distrust(sqlite3 *raw)
{
    sqlite3_db_config(raw, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(raw, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(raw, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    sqlite3_db_config(raw, SQLITE_DBCONFIG_ENABLE_FTS3_TOKENIZER, 0, nullptr);
    sqlite3_db_config(raw, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
}

// Refuses a file that holds what would run when its tables are read or written: views and
// triggers run statements of their own (a recursive view fills the disk, a trigger changes
// rows on the user's saves), virtual tables run code of the engine's modules, computed columns
// run an expression on every read. The program makes none of them. The first read of the
// file: one that is not a database fails here.
void refuseForeignObjects(const QSqlDatabase &database)
{
    QSqlQuery query = RunStatement(
            database,
            QStringLiteral(
                    "SELECT type, name FROM sqlite_schema WHERE type IN ('view', 'trigger') "
                    "OR (type = 'table' AND rootpage = 0) "
                    "UNION ALL SELECT 'column', m.name || '.' || c.name FROM sqlite_schema AS m "
                    "JOIN pragma_table_xinfo(m.name) AS c WHERE m.type = 'table' AND "
                    "m.rootpage <> 0 AND c.hidden IN (2, 3)"),
            {});
    while (query.next()) {
        const QString type = query.value(0).toString();
        const QString name = query.value(1).toString();
        if (type == QLatin1String("trigger") && trusted(name))
            continue;
        const QString kind = type == QLatin1String("table") ? QStringLiteral("virtual table")
                : type == QLatin1String("column")           ? QStringLiteral("computed column")
                                                            : type;
        throw DbError(QStringLiteral("The database holds a %1 that this program did not make: "
                                     "%2. It is not opened.")
                              .arg(kind, name));
    }
}

// A lock waited for in vain, in the engine's codes: the file's SQLITE_BUSY (with its extended
// codes) or the server's lock_not_available.
bool waitedInVain(const QSqlError &error)
{
    const QString code = error.nativeErrorCode();
    bool number = false;
    const int value = code.toInt(&number);
    return number ? (value & 0xff) == SQLITE_BUSY : code == QLatin1String("55P03");
}

// The server connection under a database of the layer, null for a file's.
PGconn *serverHandle(const QSqlDatabase &database)
{
    if (!OnServer(database))
        return nullptr;
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

} // namespace

void SetLockWait(int milliseconds)
{
    lockWait = milliseconds;
}

int LockWait()
{
    return lockWait;
}

void TrustSchemaObject(const QString &name)
{
    const QMutexLocker lock(&trustedMutex);
    trustedObjects().insert(name.toLower());
}

QList<std::pair<QString, QString>> ServerParameters(const QString &address)
{
    char *error = nullptr;
    PQconninfoOption *options = PQconninfoParse(address.trimmed().toUtf8().constData(), &error);
    if (!options) {
        const QString text = error ? QString::fromUtf8(error).trimmed()
                                   : QStringLiteral("The server address cannot be read.");
        PQfreemem(error);
        throw DbError(text);
    }
    QList<std::pair<QString, QString>> parameters;
    for (const PQconninfoOption *option = options; option->keyword; ++option) {
        if (option->val && *option->val)
            parameters.append(
                    {QString::fromLatin1(option->keyword), QString::fromUtf8(option->val)});
    }
    PQconninfoFree(options);
    return parameters;
}

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
    // A server's message: its first line, without the severity before it ("ERROR:  ") and the
    // lines that point into the statement after it.
    static const QRegularExpression severity(QStringLiteral("^(ERROR|FATAL|PANIC):\\s+"));
    if (text.contains(severity))
        text = text.remove(severity).section(QLatin1Char('\n'), 0, 0).trimmed();
    // The engine's words stay, for a message that names them.
    if (waitedInVain(error))
        text = kBusyElsewhere + QStringLiteral(" (") + text + QLatin1Char(')');
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

void StatementFailed(const QString &sql, const QString &engineDescription)
{
    QString description = engineDescription;
    if (TemporarySpaceRanOut())
        description = QStringLiteral("The statement was stopped: it needed more temporary space "
                                     "than a database of this size can call for (%1).")
                              .arg(engineDescription);
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
    if (!query.prepare(OnServer(database) ? ServerStatement(sql) : sql))
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
    const bool server = OnServer(query.driver());
    for (qsizetype i = 0; i < values.size(); ++i) {
        // A server's text cannot hold a NUL character: its client library would cut the text
        // there and store the rest of it unseen.
        if (server && values[i].typeId() == QMetaType::QString
            && values[i].toString().contains(QChar(u'\0')))
            StatementFailed(query.lastQuery(),
                            QStringLiteral("Text holding a NUL character cannot be stored on the "
                                           "database server."));
        query.bindValue(static_cast<int>(i), values[i]);
    }
    if (!query.exec())
        StatementFailed(query.lastQuery(), query.lastError());
}

QSqlQuery RunStatement(const QSqlDatabase &database, const QString &sql, const QVariantList &values,
                       bool forwardOnly)
{
    // A server prepares only statements that read or change rows; the others (tables, indexes,
    // transactions, settings) and every statement without values go to it as they are, which
    // also spares the two extra round trips of preparing and letting go.
    if (values.isEmpty() && OnServer(database)) {
        QSqlQuery query(database);
        query.setForwardOnly(forwardOnly);
        if (!query.exec(ServerStatement(sql)))
            StatementFailed(sql, query.lastError());
        return query;
    }
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
    if (IsServerAddress(path)) {
        openServer(path);
        return;
    }
    const QFileInfo file(path);
    // A missing file is never created, and an empty one is no database either: the engine
    // would quietly make it one.
    if (!file.isFile() || file.size() == 0)
        throw DbError(QStringLiteral("Could not find file '%1'.").arg(path));

    BoundTemporarySpace();
    const bool readOnly = ReadOnly || !writable(file);
    const bool immutable = readOnly && cannotChange(file);
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
    database.setDatabaseName(path);
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(LockWait());
    if (readOnly)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    if (immutable) {
        options += QStringLiteral(";QSQLITE_OPEN_URI");
        database.setDatabaseName(immutableUri(file));
    }
    database.setConnectOptions(options);
    openEngine(database);
    try {
        distrust(EngineHandle(database));
        registerFunctions(database);
        try {
            // A file that is not a database, or holds what the program does not make, fails
            // here and is left as it is.
            refuseForeignObjects(database);
        } catch (const DbError &) {
            // A reader that may not make the journal's side files cannot follow the writers.
            if (readOnly && !immutable && !hasSideFiles(file)
                && !QFileInfo(file.absolutePath()).isWritable() && keepsJournal(file))
                throw DbError(kCannotFollow);
            throw;
        }
        if (!readOnly)
            RunStatement(database, QStringLiteral("PRAGMA journal_mode=WAL"), {});
    } catch (...) {
        database = QSqlDatabase(); // Close removes the connection, which must be unused by then
        Close();
        throw;
    }
}

void Connection::forgetEngine(QSqlDatabase &database, const QString &why)
{
    database = QSqlDatabase();
    QSqlDatabase::removeDatabase(name_);
    throw DbError(why);
}

void Connection::openEngine(QSqlDatabase &database)
{
    if (!database.open())
        forgetEngine(database, Describe(database.lastError()));
    open_ = true;
}

void Connection::openServer(const QString &address)
{
    // Read before the engine connection is made, so that a wrong address leaves nothing behind.
    const QString options = serverOptions(address);
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name_);
    if (!database.isValid())
        forgetEngine(database,
                     QStringLiteral("This program was installed without its database "
                                    "server driver."));
    database.setConnectOptions(options);
    openEngine(database);
    try {
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
        if (ReadOnly)
            RunStatement(database, QStringLiteral("SET default_transaction_read_only = on"), {});
    } catch (...) {
        database = QSqlDatabase();
        Close();
        throw;
    }
}

void Connection::Close()
{
    serverTransaction_ = false;
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
    if (OnServer(database())) {
        QSqlQuery query =
                RunStatement(database(), QStringLiteral("SHOW transaction_read_only"), {});
        return query.next() && query.value(0).toString() == QLatin1String("off");
    }
    return sqlite3_db_readonly(EngineHandle(database()), "main") == 0;
}

QSqlDatabase Connection::database() const
{
    if (!open_)
        throw DbError(kObjectClosed);
    QSqlDatabase database = QSqlDatabase::database(name_, false);
    // A server that went away (restarted, or the network broke) is asked again at the next
    // statement, so the program goes on once it is back. Only the work under way is lost: a
    // transaction open at the time was rolled back by the server.
    if (PGconn *server = serverHandle(database); server && PQstatus(server) == CONNECTION_BAD) {
        serverTransaction_ = false;
        PQreset(server);
    }
    return database;
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
        names << FieldName(database(), sql, record.fieldName(i));
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
    // connection has written, and would fail half-way instead of waiting at the start. A server
    // locks rows, not the file, so its writers never wait at the start.
    const QSqlDatabase engine = database();
    if (!OnServer(engine)) {
        RunStatement(engine, QStringLiteral("BEGIN IMMEDIATE"), {});
        return;
    }
    RunStatement(engine, QStringLiteral("BEGIN"), {});
    serverTransaction_ = true;
}

void Connection::CommitTrans()
{
    if (!InTransaction())
        throw DbError(kNoTransaction);
    try {
        RunStatement(database(), QStringLiteral("COMMIT"), {});
        serverTransaction_ = false;
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
    if (!InTransaction())
        return;
    serverTransaction_ = false;
    RunStatement(database(), QStringLiteral("ROLLBACK"), {});
}

bool Connection::InTransaction() const
{
    if (!open_)
        return false;
    const QSqlDatabase engine = database();
    // The toolkit's driver may leave a statement's end unread (the connection then reports
    // itself busy, not in a transaction), so the connection keeps count itself; a server that
    // dropped the connection took the transaction with it.
    if (PGconn *server = serverHandle(engine)) {
        const PGTransactionStatusType status = PQtransactionStatus(server);
        return PQstatus(server) == CONNECTION_OK
                && (serverTransaction_ || status == PQTRANS_INTRANS || status == PQTRANS_INERROR);
    }
    return sqlite3_get_autocommit(EngineHandle(engine)) == 0;
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
    if (!open_ || OnServer(database()))
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

namespace {

QStringList tablesOf(const QString &schemaSql)
{
    static const QRegularExpression table(QStringLiteral("CREATE\\s+TABLE\\s+(\\w+)"),
                                          QRegularExpression::CaseInsensitiveOption);
    QStringList names;
    for (auto match = table.globalMatch(schemaSql); match.hasNext();)
        names << match.next().captured(1);
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
        // Already in the server's words: run as they are.
        for (const QString &statement : ServerSchema(schemaSql).split(QLatin1Char(';'))) {
            QSqlQuery query(connection.database());
            if (!statement.trimmed().isEmpty() && !query.exec(statement))
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

bool HoldsPassword(const QString &address)
{
    try {
        for (const auto &parameter : ServerParameters(address))
            if (parameter.first == QLatin1String("password"))
                return true;
    } catch (const DbError &) {
        // An address that cannot be read holds no password; opening it says what is wrong.
    }
    return false;
}

int StoredSchemaVersion(Connection &connection)
{
    const QSqlDatabase database = connection.database();
    if (!OnServer(database)) {
        QSqlQuery query = RunStatement(database, QStringLiteral("PRAGMA user_version"), {});
        return query.next() ? query.value(0).toInt() : 0;
    }
    if (ColumnsOf(connection, QLatin1String(kVersionTable)).isEmpty())
        return 0;
    QSqlQuery query = RunStatement(
            database,
            QStringLiteral("SELECT max(version) FROM %1").arg(QLatin1String(kVersionTable)), {});
    return query.next() ? query.value(0).toInt() : 0;
}

void StoreSchemaVersion(Connection &connection, int version)
{
    const QSqlDatabase database = connection.database();
    if (!OnServer(database)) {
        // The engine takes no bound value here; version is a number.
        RunStatement(database, QStringLiteral("PRAGMA user_version = %1").arg(version), {});
        return;
    }
    const QString table = QLatin1String(kVersionTable);
    if (ColumnsOf(connection, table).isEmpty())
        RunStatement(database,
                     QStringLiteral("CREATE TABLE %1 (version BIGINT NOT NULL)").arg(table), {});
    RunStatement(database, QStringLiteral("DELETE FROM %1").arg(table), {});
    RunStatement(database, QStringLiteral("INSERT INTO %1 (version) VALUES (?)").arg(table),
                 {version});
}

QStringList ColumnsOf(Connection &connection, const QString &table)
{
    const QSqlDatabase database = connection.database();
    QSqlQuery query = RunStatement(
            database,
            OnServer(database)
                    ? QStringLiteral("SELECT attname FROM pg_attribute WHERE attrelid = "
                                     "to_regclass(lower(?)) AND attnum > 0 AND NOT attisdropped "
                                     "ORDER BY attnum")
                    : QStringLiteral("SELECT name FROM pragma_table_info(?) ORDER BY cid"),
            {table});
    QStringList columns;
    while (query.next())
        columns << query.value(0).toString();
    return columns;
}

namespace {

// The tables and columns that a table script makes, as the engine reads it ("table.column",
// in lower case, to the names as the script spells them).
QHash<QString, QString> columnsMadeBy(const QString &schemaSql)
{
    QHash<QString, QString> columns;
    sqlite3 *raw = nullptr;
    if (sqlite3_open_v2(":memory:", &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_MEMORY, nullptr)
                == SQLITE_OK
        && sqlite3_exec(raw, schemaSql.toUtf8().constData(), nullptr, nullptr, nullptr)
                == SQLITE_OK) {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(raw,
                               "SELECT m.name || '.' || c.name FROM sqlite_schema AS m JOIN "
                               "pragma_table_info(m.name) AS c WHERE m.type = 'table'",
                               -1, &statement, nullptr)
            == SQLITE_OK) {
            while (sqlite3_step(statement) == SQLITE_ROW) {
                const QString name = QString::fromUtf8(
                        reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
                columns.insert(name.toLower(), name);
            }
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(raw);
    if (columns.isEmpty())
        throw DbError(QStringLiteral("The table definitions cannot be read."));
    return columns;
}

} // namespace

QStringList LackingColumns(Connection &connection, const QString &schemaSql,
                           const QStringList &added)
{
    const QSqlDatabase database = connection.database();
    if (OnServer(database))
        return {};
    static QMutex madeMutex;
    static QHash<QString, QHash<QString, QString>> made;
    QHash<QString, QString> expected;
    {
        const QMutexLocker lock(&madeMutex);
        auto known = made.find(schemaSql);
        if (known == made.end())
            known = made.insert(schemaSql, columnsMadeBy(schemaSql));
        expected = *known;
    }
    QSet<QString> held;
    QSet<QString> tables;
    QSqlQuery query = RunStatement(
            database,
            QStringLiteral("SELECT lower(m.name), lower(c.name) FROM sqlite_schema AS m JOIN "
                           "pragma_table_info(m.name) AS c WHERE m.type = 'table'"),
            {});
    while (query.next()) {
        tables.insert(query.value(0).toString());
        held.insert(query.value(0).toString() + QLatin1Char('.') + query.value(1).toString());
    }
    QSet<QString> later;
    for (const QString &column : added)
        later.insert(column.toLower());
    QStringList lacking;
    for (auto column = expected.cbegin(); column != expected.cend(); ++column) {
        if (tables.contains(column.key().section(QLatin1Char('.'), 0, 0))
            && !held.contains(column.key()) && !later.contains(column.key()))
            lacking << column.value();
    }
    lacking.sort();
    return lacking;
}

} // namespace db
