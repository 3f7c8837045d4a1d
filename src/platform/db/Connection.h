#pragma once

#include "platform/db/DbError.h"

#include <QString>
#include <QVariant>

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

} // namespace db
