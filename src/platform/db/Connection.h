#pragma once

#include "platform/db/DbError.h"

#include <QString>
#include <QVariant>

class QSqlDatabase;

namespace db {

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

    // For the layer's own use: the engine connection behind this object.
    QSqlDatabase database() const;
    QString connectionName() const { return name_; }

private:
    QString name_;
    bool open_ = false;
};

// Makes an empty database file from a schema script; refuses to touch an existing file.
void CreateDatabaseFile(const QString &path, const QString &schemaSql);

} // namespace db
