#include "platform/db/Connection.h"
#include "platform/db/Database.h"

#include "platform/db/ConnectString.h"
#include "platform/db/Dialect.h"
#include "platform/db/Engine.h"
#include "platform/db/Prepared.h"
#include "platform/db/Recordset.h"
#include "platform/db/ServerEngine.h"
#include "platform/db/SqliteEngine.h"
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

std::atomic<int> lockWait{5000};

// Where the driver of a database the layer opened keeps its engine.
const char *const kEngineProperty = "corvina.engine";

// A lock waited for in vain, in the engine's codes: the file's SQLITE_BUSY (with its extended
// codes) or the server's lock_not_available.
bool waitedInVain(const QSqlError &error)
{
    const QString code = error.nativeErrorCode();
    bool number = false;
    const int value = code.toInt(&number);
    return number ? (value & 0xff) == SQLITE_BUSY : code == QLatin1String("55P03");
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
    Engine &engine = EngineOf(database);
    engine.beforeStatement(database);
    if (!query.prepare(engine.statementText(sql)))
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
    const Engine &engine = EngineOf(query.driver());
    for (qsizetype i = 0; i < values.size(); ++i) {
        engine.checkValue(query.lastQuery(), values[i]);
        query.bindValue(static_cast<int>(i), values[i]);
    }
    if (!query.exec())
        StatementFailed(query.lastQuery(), query.lastError());
}

QSqlQuery RunStatement(const QSqlDatabase &database, const QString &sql, const QVariantList &values,
                       bool forwardOnly)
{
    // An engine may prepare only statements that read or change rows; the others (tables,
    // indexes, transactions, settings) and every statement without values then go to it as they
    // are, which also spares the two extra round trips of preparing and letting go.
    Engine &engine = EngineOf(database);
    if (values.isEmpty() && engine.sendsUnprepared()) {
        engine.beforeStatement(database);
        QSqlQuery query(database);
        query.setForwardOnly(forwardOnly);
        if (!query.exec(engine.statementText(sql)))
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

Engine &Connection::engine() const
{
    if (!open_)
        throw DbError(kObjectClosed);
    return *engine_;
}

void Connection::Open(const QString &connectString)
{
    if (open_)
        throw DbError(kObjectOpen);
    const QString source = DataSourceOf(connectString.isEmpty() ? ConnectionString : connectString);
    if (source.isEmpty())
        throw DbError(QStringLiteral("The connection string names no database file."));
    std::unique_ptr<Engine> engine = IsServerAddress(source)
            ? std::unique_ptr<Engine>(std::make_unique<ServerEngine>())
            : std::unique_ptr<Engine>(std::make_unique<SqliteEngine>());
    engine->open(name_, source, ReadOnly);
    engine_ = std::move(engine);
    open_ = true;
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
    engine_.reset();
}

bool Connection::Writable() const
{
    return engine().writable(database());
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
        names << engine().fieldName(sql, record.fieldName(i));
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
    engine().begin(database());
}

void Connection::CommitTrans()
{
    if (!InTransaction())
        throw DbError(kNoTransaction);
    try {
        RunStatement(database(), QStringLiteral("COMMIT"), {});
        engine().ended();
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
    engine().ended();
    RunStatement(database(), QStringLiteral("ROLLBACK"), {});
}

bool Connection::InTransaction() const
{
    return open_ && engine().inTransaction(database());
}

bool Connection::FileMoved() const
{
    return open_ && engine().fileMoved(database());
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
    return connection.engine().storedSchemaVersion(connection);
}

void StoreSchemaVersion(Connection &connection, int version)
{
    connection.engine().storeSchemaVersion(connection, version);
}

const QString &ScriptFor(Connection &connection, const TableScripts &scripts)
{
    return connection.engine().ownScript(scripts);
}

void ExecuteAsWritten(Connection &connection, const QString &sql)
{
    connection.engine().executeAsWritten(connection, sql);
}

QString DropTriggerStatement(Connection &connection, const QString &trigger, const QString &table)
{
    return connection.engine().dropTrigger(trigger, table);
}

QStringList ColumnsOf(Connection &connection, const QString &table)
{
    return connection.engine().columnsOf(connection, table);
}

QStringList LackingColumns(Connection &connection, const QString &schemaSql,
                           const QStringList &added)
{
    return connection.engine().lackingColumns(connection, schemaSql, added);
}

void Engine::adopt(const QSqlDatabase &database)
{
    database.driver()->setProperty(kEngineProperty, QVariant::fromValue(static_cast<void *>(this)));
}

void Engine::OpenEngine(QSqlDatabase &database, const QString &name)
{
    if (database.open())
        return;
    const QString why = Describe(database.lastError());
    database = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
    throw DbError(why);
}

void Engine::ForgetEngine(QSqlDatabase &database, const QString &name)
{
    database.close();
    database = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
}

Engine &EngineOf(const QSqlDriver *driver)
{
    void *engine = driver ? driver->property(kEngineProperty).value<void *>() : nullptr;
    if (!engine)
        throw DbError(QStringLiteral("The database was not opened through the program's "
                                     "connection."));
    return *static_cast<Engine *>(engine);
}

Engine &EngineOf(const QSqlDatabase &database)
{
    return EngineOf(database.driver());
}

QString Engine::LikeEscape(const QString &text)
{
    QString escaped;
    for (const QChar c : text) {
        if (c == u'\\' || c == u'%' || c == u'_')
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return escaped;
}

} // namespace db
