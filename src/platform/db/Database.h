#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>

namespace db {

class Connection;

// What the layer does with a database as a whole, beside the connection's statements: making
// one, the lock wait its connections keep, the version and columns of its tables. Kept apart
// from Connection.h so that the files using only these do not depend on the connection class.

// Makes a new database file from a schema script and fill, which writes its starting rows in
// one transaction. The file is built under a temporary name beside path and takes path's name
// only once complete, so a failure (a full disk among them) leaves nothing behind. Refuses an
// existing path. The file is readable and writable by its owner only. Throws DbError.
void CreateDatabaseFile(const QString &path, const QString &schemaSql,
                        const std::function<void(Connection &)> &fill = {});

// Makes the tables of schemaSql (the server's own table script) and their starting rows in
// the empty database of a server, in one transaction: a failure leaves the database as it was.
// Refuses a database that already holds any of the tables. Throws DbError.
void CreateServerDatabase(const QString &address, const QString &schemaSql,
                          const std::function<void(Connection &)> &fill = {});

// How long a write waits for another desk's lock, in milliseconds: 5000 unless set (tests set a
// short wait). On a server the wait is its lock_timeout, unless the address or PGOPTIONS sets
// one. Connections opened afterwards wait so long.
void SetLockWait(int milliseconds);
int LockWait();

// Triggers that opening a file accepts: each by its name and its statement exactly as the file
// stores it. The program names its own from its table script; the tests plant triggers that
// make a write fail, to see the program report the failure. A trigger of the same name with
// another body is refused.
void TrustSchemaObject(const QString &name, const QString &statement);

// A server's address read into the client library's keywords and values (those it gives).
// Throws DbError when the address cannot be read.
QList<std::pair<QString, QString>> ServerParameters(const QString &address);
// True when a server's address holds a password (which settings never keep).
bool HoldsPassword(const QString &address);

// The version of the tables a database holds, as its maker stored it (0 when none was stored).
int StoredSchemaVersion(Connection &connection);
void StoreSchemaVersion(Connection &connection, int version);
// Each engine has a table script written for it: the one of the connection's engine.
struct TableScripts
{
    QString file;
    QString server;
};
const QString &ScriptFor(Connection &connection, const TableScripts &scripts);
// Runs a statement of the engine's own table script as it is written, without the layer's
// translation of the program's statements. Throws DbError.
void ExecuteAsWritten(Connection &connection, const QString &sql);
// The statement that drops the trigger of table, if it is there, in the engine's words.
QString DropTriggerStatement(Connection &connection, const QString &trigger, const QString &table);
// The names of a table's columns, in their order; none when the database has no such table.
QStringList ColumnsOf(Connection &connection, const QString &table);
// The columns of schemaSql's tables that a database file holds those tables without, as
// "table.column" spelt as schemaSql spells them; those named in added (which an upgrade adds)
// and the tables the file lacks altogether are left aside. None on a server, whose tables the
// program made itself.
QStringList LackingColumns(Connection &connection, const QString &schemaSql,
                           const QStringList &added);

} // namespace db
