#pragma once

#include "platform/db/Dialect.h"

#include <QByteArrayView>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <span>

class QSqlDriver;

namespace db {

class Connection;
struct TableScripts;

// What differs between the two engines the layer reaches, the database file's and a database
// server's. A Connection holds one, chosen from its data source when it opens; the rest of the
// layer asks it instead of asking which engine it runs on.
class Engine
{
public:
    enum class Kind { File, Server };

    virtual ~Engine() = default;
    virtual Kind kind() const = 0;

    // Makes the engine connection of that name to source, ready for the program's statements,
    // or leaves none behind and throws DbError.
    virtual void open(const QString &name, const QString &source, bool readOnly) = 0;
    // Just before a statement runs: the engine may take up a link that broke meanwhile.
    virtual void beforeStatement(const QSqlDatabase &) { }

    // The program's statement as this engine runs it; throws DbError for one it cannot run.
    virtual QString statementText(const QString &sql) const = 0;
    // Whether a statement without values is sent as it is instead of prepared.
    virtual bool sendsUnprepared() const { return false; }
    // Throws DbError for a value the engine would not store as given.
    virtual void checkValue(const QString &, const QVariant &) const { }
    // A result column's name as the program spells it.
    virtual QString fieldName(const QString &, const QString &name) const { return name; }

    // Begins a transaction that takes the write lock at once.
    virtual void begin(const QSqlDatabase &database) = 0;
    // The transaction has ended, committed or rolled back.
    virtual void ended() { }
    virtual bool inTransaction(const QSqlDatabase &database) const = 0;
    virtual bool writable(const QSqlDatabase &database) const = 0;
    virtual bool fileMoved(const QSqlDatabase &) const { return false; }

    // The version of the tables, their columns and what the grid needs to know of them.
    virtual int storedSchemaVersion(Connection &connection) const = 0;
    virtual void storeSchemaVersion(Connection &connection, int version) const = 0;
    virtual QStringList columnsOf(Connection &connection, const QString &table) const = 0;
    // The table script written for this engine, and a statement of it, run untranslated.
    virtual const QString &ownScript(const TableScripts &scripts) const = 0;
    virtual void executeAsWritten(Connection &connection, const QString &sql) const = 0;
    virtual QStringList lackingColumns(Connection &connection, const QString &schemaSql,
                                       const QStringList &added) const = 0;
    virtual TableFacts factsOf(const QSqlDatabase &database, const QString &table) const = 0;

    // See ForEachTextRow.
    virtual qint64
    forEachTextRow(Connection &connection, const QString &sql, const QVariantList &values,
                   const std::function<void(std::span<const QByteArrayView>)> &visit) const = 0;

    // A condition true where expression matches the bound LIKE pattern that follows ("?"),
    // ignoring the case of ASCII letters as the file's engine does, with "\" escaping "%", "_"
    // and itself (see LikeEscape).
    virtual QString caselessMatch(const QString &expression) const = 0;
    // text as a LIKE pattern that matches just text.
    static QString LikeEscape(const QString &text);
    // An insert that hands back the new row's key as its one row of one column; the engine
    // that names the key without being asked leaves it as it is (see InsertedKey).
    virtual QString withReturnedKey(const QString &insert, const QString &key) const = 0;

    // Writing many rows: the engine's cache for it (its usual size, null when unchanged), the
    // indexes better built again than kept up to date when column changes in the rows equal to
    // value (their names and definitions, by pairs), one writer at a time for a name, moving
    // rows from one table to another.
    virtual QVariant enlargeCache(Connection &connection) const = 0;
    // Gives the cache back its usual size, as enlargeCache returned it.
    virtual void restoreCache(Connection &connection, const QVariant &usual) const = 0;
    virtual QStringList indexesToSetAside(Connection &connection, const QString &table,
                                          const QString &column, const QVariant &value) const = 0;
    virtual void serialise(Connection &connection, const QString &name) const = 0;
    virtual qint64 moveRows(Connection &connection, const QString &from, const QString &to,
                            const QStringList &columns, const QString &orderBy) const = 0;
    // Long work in steps: what the steps logged written back into the file (see WriteBackLog);
    // a flag for the rest of the transaction that the server's triggers may read (see
    // MarkTransaction); the statement that drops a trigger of table if it is there.
    virtual void writeBackLog(Connection &connection) const = 0;
    virtual void markTransaction(Connection &connection, const QString &flag) const = 0;
    virtual QString dropTrigger(const QString &trigger, const QString &table) const = 0;

protected:
    // Makes this the engine the layer finds for database (see EngineOf).
    void adopt(const QSqlDatabase &database);
    // Opens the engine connection, or lets it go and throws DbError with the engine's words.
    static void OpenEngine(QSqlDatabase &database, const QString &name);
    // Closes and lets go of the engine connection, after a failure in opening.
    static void ForgetEngine(QSqlDatabase &database, const QString &name);
};

// The engine of a database the layer opened. Throws DbError for any other.
Engine &EngineOf(const QSqlDatabase &database);
Engine &EngineOf(const QSqlDriver *driver);

} // namespace db
