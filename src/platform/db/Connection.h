#pragma once

#include "platform/db/DbError.h"

#include <QString>
#include <QVariant>

#include <vector>

class QSqlDatabase;

namespace db {

class Prepared;
class Recordset;

// A connection to the database file named by a connection string. Opening never creates a
// missing file; it runs the file in WAL mode and registers the functions the statements use.
class Connection
{
public:
    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    QString ConnectionString;

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

    // For the layer's own use: the engine connection behind this object.
    QSqlDatabase database() const;
    QString connectionName() const { return name_; }

private:
    friend class Prepared;

    QString name_;
    bool open_ = false;
    // Statements prepared on this connection; they are let go when it closes.
    std::vector<Prepared *> prepared_;
};

// Makes an empty database file from a schema script; refuses to touch an existing file.
void CreateDatabaseFile(const QString &path, const QString &schemaSql);

} // namespace db
