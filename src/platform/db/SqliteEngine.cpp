#include "platform/db/SqliteEngine.h"

#include "platform/db/ConnectString.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/db/Recordset.h"
#include "platform/db/ShellPattern.h"
#include "platform/db/Statement.h"
#include "platform/db/TemporarySpace.h"
#include "platform/db/TextRows.h"
#include "platform/db/Tokens.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QStorageInfo>
#include <QTemporaryFile>
#include <QUrl>

#include <sqlite3.h>

#include <chrono>
#include <cstdint>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace db {

namespace {

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

QString textOf(sqlite3_value *value)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(value)),
                             sqlite3_value_bytes(value));
}

// shell_match(pattern, value): whether the shell pattern matches the whole value (see
// MatchesShellPattern); null when either is null. The pattern is read once per statement.
void sqlShellMatch(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    using Parts = QList<PatternPart>;
    auto *parts = static_cast<Parts *>(sqlite3_get_auxdata(context, 0));
    if (!parts) {
        parts = new Parts(ParseShellPattern(textOf(argv[0])));
        sqlite3_set_auxdata(context, 0, parts,
                            [](void *kept) { delete static_cast<Parts *>(kept); });
        // The engine may have let the parts go at once; they are read again then.
        parts = static_cast<Parts *>(sqlite3_get_auxdata(context, 0));
    }
    const bool matched = parts
            ? MatchesShellPattern(textOf(argv[1]), *parts)
            : MatchesShellPattern(textOf(argv[1]), ParseShellPattern(textOf(argv[0])));
    sqlite3_result_int(context, matched ? 1 : 0);
}

void registerFunctions(QSqlDatabase &database)
{
    sqlite3 *raw = EngineHandle(database);
    if (sqlite3_create_function_v2(raw, "CStr", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                   sqlCStr, nullptr, nullptr, nullptr)
                != SQLITE_OK
        || sqlite3_create_function_v2(raw, "shell_match", 2,
                                      SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_DIRECTONLY,
                                      nullptr, sqlShellMatch, nullptr, nullptr, nullptr)
                != SQLITE_OK)
        throw DbError(QString::fromUtf8(sqlite3_errmsg(raw)));
}

// Whether this user may change the file: the engine writes beside it too (the write-ahead
// journal and its index), so the folder counts as well.
bool fileWritable(const QFileInfo &file)
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

QMutex trustedMutex;
QHash<QString, QString> &trustedObjects()
{
    static QHash<QString, QString> statements;
    return statements;
}

bool trusted(const QString &name, const QString &statement)
{
    const QMutexLocker lock(&trustedMutex);
    const auto known = trustedObjects().constFind(name.toLower());
    return known != trustedObjects().constEnd() && *known == statement;
}

// A write that finds another connection's lock looks again every 2 ms until the wait is over.
// The engine's own wait sleeps ever longer, up to 100 ms at a time, and so misses the short
// gaps that long work leaves between its steps: a desk could wait for many steps in a row.
constexpr int kLockPoll = 2; // ms

int waitForLock(void *wait, int tries)
{
    // A connection waits in the thread that runs its statement, one wait at a time.
    thread_local std::chrono::steady_clock::time_point since;
    const auto now = std::chrono::steady_clock::now();
    if (tries == 0)
        since = now;
    if (now - since >= std::chrono::milliseconds(reinterpret_cast<std::intptr_t>(wait)))
        return 0;
    sqlite3_sleep(kLockPoll);
    return 1;
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
// run an expression on every read. The program makes none of them but its own triggers and
// virtual tables, which it knows by their exact definitions. The first read of the file: one
// that is not a database fails here.
void refuseForeignObjects(const QSqlDatabase &database)
{
    QSqlQuery query = RunStatement(
            database,
            QStringLiteral(
                    "SELECT type, name, sql FROM sqlite_schema WHERE type IN ('view', 'trigger') "
                    "OR (type = 'table' AND rootpage = 0) "
                    "UNION ALL SELECT 'column', m.name || '.' || c.name, "
                    "NULL FROM sqlite_schema AS m JOIN pragma_table_xinfo(m.name) AS c WHERE "
                    "m.type = 'table' AND "
                    "m.rootpage <> 0 AND c.hidden IN (2, 3)"),
            {});
    while (query.next()) {
        const QString type = query.value(0).toString();
        const QString name = query.value(1).toString();
        if ((type == QLatin1String("trigger") || type == QLatin1String("table"))
            && trusted(name, query.value(2).toString()))
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

} // namespace

void TrustSchemaObject(const QString &name, const QString &statement)
{
    const QMutexLocker lock(&trustedMutex);
    trustedObjects().insert(name.toLower(), statement);
}

void SqliteEngine::open(const QString &name, const QString &path, bool readOnlyAsked)
{
    const QFileInfo file(path);
    // A missing file is never created, and an empty one is no database either: the engine
    // would quietly make it one.
    if (!file.isFile() || file.size() == 0)
        throw DbError(QStringLiteral("Could not find file '%1'.").arg(path));

    BoundTemporarySpace();
    const bool readOnly = readOnlyAsked || !fileWritable(file);
    const bool immutable = readOnly && cannotChange(file);
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    database.setDatabaseName(path);
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(LockWait());
    if (readOnly)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    if (immutable) {
        options += QStringLiteral(";QSQLITE_OPEN_URI");
        database.setDatabaseName(immutableUri(file));
    }
    database.setConnectOptions(options);
    OpenEngine(database, name);
    try {
        adopt(database);
        distrust(EngineHandle(database));
        sqlite3_busy_handler(EngineHandle(database), waitForLock,
                             reinterpret_cast<void *>(static_cast<std::intptr_t>(LockWait())));
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
        ForgetEngine(database, name);
        throw;
    }
}

void SqliteEngine::begin(const QSqlDatabase &database)
{
    // IMMEDIATE: a deferred transaction that reads first could not become a writer once another
    // connection has written, and would fail half-way instead of waiting at the start.
    RunStatement(database, QStringLiteral("BEGIN IMMEDIATE"), {});
}

bool SqliteEngine::inTransaction(const QSqlDatabase &database) const
{
    return sqlite3_get_autocommit(EngineHandle(database)) == 0;
}

bool SqliteEngine::writable(const QSqlDatabase &database) const
{
    return sqlite3_db_readonly(EngineHandle(database), "main") == 0;
}

bool SqliteEngine::fileMoved(const QSqlDatabase &database) const
{
    int moved = 0;
    return sqlite3_file_control(EngineHandle(database), "main", SQLITE_FCNTL_HAS_MOVED, &moved)
            == SQLITE_OK
            && moved != 0;
}

int SqliteEngine::storedSchemaVersion(Connection &connection) const
{
    QSqlQuery query =
            RunStatement(connection.database(), QStringLiteral("PRAGMA user_version"), {});
    return query.next() ? query.value(0).toInt() : 0;
}

const QString &SqliteEngine::ownScript(const TableScripts &scripts) const
{
    return scripts.file;
}

void SqliteEngine::executeAsWritten(Connection &connection, const QString &sql) const
{
    RunStatement(connection.database(), sql, {});
}

void SqliteEngine::storeSchemaVersion(Connection &connection, int version) const
{
    // The engine takes no bound value here; version is a number.
    RunStatement(connection.database(), QStringLiteral("PRAGMA user_version = %1").arg(version),
                 {});
}

QStringList SqliteEngine::columnsOf(Connection &connection, const QString &table) const
{
    QSqlQuery query = RunStatement(
            connection.database(),
            QStringLiteral("SELECT name FROM pragma_table_info(?) ORDER BY cid"), {table});
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

QStringList SqliteEngine::lackingColumns(Connection &connection, const QString &schemaSql,
                                         const QStringList &added) const
{
    const QSqlDatabase database = connection.database();
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

TableFacts SqliteEngine::factsOf(const QSqlDatabase &database, const QString &table) const
{
    TableFacts facts;
    // Columns whose declared type gives them text affinity, the rule the engine applies.
    QSqlQuery query = RunStatement(
            database, QStringLiteral("SELECT name, upper(type) FROM pragma_table_info(?)"),
            {table});
    while (query.next()) {
        const QString type = query.value(1).toString();
        if (!type.contains(QLatin1String("INT"))
            && (type.contains(QLatin1String("CHAR")) || type.contains(QLatin1String("CLOB"))
                || type.contains(QLatin1String("TEXT"))))
            facts.textColumns << query.value(0).toString();
    }
    facts.rowKey = QStringLiteral("rowid");
    return facts;
}

qint64 SqliteEngine::forEachTextRow(
        Connection &connection, const QString &sql, const QVariantList &values,
        const std::function<void(std::span<const QByteArrayView>)> &visit) const
{
    return FileTextRows(EngineHandle(connection.database()), sql, values, visit);
}

QString SqliteEngine::caselessMatch(const QString &expression) const
{
    // The engine's LIKE ignores the case of ASCII letters already, and a NOCASE index answers
    // a prefix.
    return expression + QStringLiteral(" LIKE ? ESCAPE '\\'");
}

void SqliteEngine::restoreCache(Connection &connection, const QVariant &usual) const
{
    // The engine takes no bound value here; usual is a number.
    RunStatement(connection.database(),
                 QStringLiteral("PRAGMA cache_size = %1").arg(usual.toLongLong()), {});
}

QVariant SqliteEngine::enlargeCache(Connection &connection) const
{
    Recordset cache;
    cache.Open(QStringLiteral("PRAGMA cache_size"), connection);
    const QVariant usual = cache.Fields(0);
    cache.Close();
    connection.Execute(QStringLiteral("PRAGMA cache_size = -262144"));
    return usual;
}

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

QStringList SqliteEngine::indexesToSetAside(Connection &connection, const QString &table,
                                            const QString &column, const QVariant &value) const
{
    const qint64 rows = countOf(
            connection, QStringLiteral("SELECT count(*) FROM %1 WHERE %2 = ?").arg(table, column),
            {value});
    const qint64 all =
            countOf(connection, QStringLiteral("SELECT count(*) FROM %1").arg(table), {});
    if (rows > 0 && rows * kRebuildShare >= all)
        return indexesTaking(connection, table, column);
    return {};
}

void SqliteEngine::writeBackLog(Connection &connection) const
{
    // PASSIVE: what no reader still needs, without waiting for anyone.
    RunStatement(connection.database(), QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"), {});
}

qint64 SqliteEngine::moveRows(Connection &connection, const QString &from, const QString &to,
                              const QStringList &columns, const QString &orderBy) const
{
    const QString list = columns.join(QStringLiteral(", "));
    const qint64 moved =
            connection.Execute(QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM %3 ORDER BY %4")
                                       .arg(to, list, from, orderBy));
    connection.Execute(QStringLiteral("DELETE FROM %1").arg(from));
    return moved;
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
        // Split as the server's script is, so that both read a script alike.
        QStringList statements = SplitScript(schemaSql);
        statements.prepend(QStringLiteral("BEGIN"));
        statements.prepend(QStringLiteral("PRAGMA journal_mode=WAL"));
        statements.append(QStringLiteral("COMMIT"));
        for (const QString &statement : std::as_const(statements)) {
            char *message = nullptr;
            rc = sqlite3_exec(raw, statement.toUtf8().constData(), nullptr, nullptr, &message);
            if (rc != SQLITE_OK) {
                error = QString::fromUtf8(message ? message : sqlite3_errmsg(raw));
                sqlite3_free(message);
                break;
            }
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
