#pragma once

#include "platform/db/DbError.h"

#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QSqlDatabase;

namespace db {

class Engine;
class Prepared;
class Recordset;

// A connection to the database file named by a connection string, or to a database server when
// its data source is a server's address (see Dialect.h); what differs between the two is in
// its Engine. Opening never creates a
// missing file nor changes one that is not a database; it runs the file in WAL mode and
// registers the functions the statements use. A file that this user cannot write, or whose
// folder he cannot write, opens for reading only: the first write fails with the engine's
// "attempt to write a readonly database". Such a reader still follows what other desks write:
// only a file that nobody may write (no write permission for anyone, or on a read-only volume)
// is read as it stands, without the journal's side files.
// A database file may come from someone else, so the engine trusts nothing in it: the file
// cannot change the engine's own tables nor call the program's functions from its definitions,
// and a file that holds a view, a trigger, a virtual table or a computed column (the program
// makes none) is refused on opening, before anything in it runs. A write waits LockWait() for
// another connection's lock, then fails with kBusyElsewhere before the engine's words.
class Connection
{
public:
    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    QString ConnectionString;
    // Opens the file for reading only, as one that cannot be written is opened.
    bool ReadOnly = false;

    // 1 when open, 0 when closed.
    int State() const;
    // Opens with connectString, or with ConnectionString when it is empty. Throws DbError.
    void Open(const QString &connectString = {});
    void Close();
    // Runs a statement and hands back its rows (empty and closed for statements without rows).
    void Execute(const QString &sql, const QVariantList &values, Recordset &into);
    // Runs a statement that returns no rows; returns the number of rows it changed.
    qint64 Execute(const QString &sql, const QVariantList &values = {});

    // Work that writes many rows runs in one transaction: one commit and one sync to disk
    // instead of one per row. BeginTrans takes the write lock at once (waiting for another
    // writer as any write does) and refuses to nest; CommitTrans rolls back when the commit
    // fails, so a failure never leaves the transaction open. Rolling back when none is open
    // does nothing: the engine itself may have ended it after a failed statement.
    // db::Transaction does the same with a roll back on every way out but Commit.
    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    // Asks the engine, so it stays true to what a failed statement did to the transaction.
    bool InTransaction() const;
    // True when the open file has been deleted or renamed since it was opened (a file put back
    // under the same name is another file): only opening again reaches what the path names now.
    bool FileMoved() const;
    // False when the file is open for reading only.
    bool Writable() const;

    // For the layer's own use: the engine connection behind this object (no statement runs
    // to get it), and what differs on its engine. Both throw DbError when closed.
    QSqlDatabase database() const;
    Engine &engine() const;
    QString connectionName() const { return name_; }

private:
    friend class Prepared;

    QString name_;
    bool open_ = false;
    std::unique_ptr<Engine> engine_;
    // Statements prepared on this connection; they are let go when it closes.
    std::vector<Prepared *> prepared_;
};

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

// The tests plant triggers that make a write fail, to see the program report the failure; they
// name them here so that opening a file does not refuse it for them. The program names none.
void TrustSchemaObject(const QString &name);

// A server's address read into the client library's keywords and values (those it gives).
// Throws DbError when the address cannot be read.
QList<std::pair<QString, QString>> ServerParameters(const QString &address);
// True when a server's address holds a password (which settings never keep).
bool HoldsPassword(const QString &address);

// The version of the tables a database holds, as its maker stored it (0 when none was stored).
int StoredSchemaVersion(Connection &connection);
void StoreSchemaVersion(Connection &connection, int version);
// The names of a table's columns, in their order; none when the database has no such table.
QStringList ColumnsOf(Connection &connection, const QString &table);
// The columns of schemaSql's tables that a database file holds those tables without, as
// "table.column" spelt as schemaSql spells them; those named in added (which an upgrade adds)
// and the tables the file lacks altogether are left aside. None on a server, whose tables the
// program made itself.
QStringList LackingColumns(Connection &connection, const QString &schemaSql,
                           const QStringList &added);

} // namespace db
