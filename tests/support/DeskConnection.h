#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

#include <memory>

class QSqlDatabase;

namespace db {
class Connection;
}

// Another desk on a test's database: a connection of its own beside the program's shared one,
// open from construction to destruction. Tests that only need a second desk use it, so that they
// do not depend on the layer's connection class.
class DeskConnection
{
public:
    // Opens the desk on a database file's path or a server's address; throws DbError.
    explicit DeskConnection(const QString &dataSource);
    ~DeskConnection();
    DeskConnection(const DeskConnection &) = delete;
    DeskConnection &operator=(const DeskConnection &) = delete;

    qint64 Execute(const QString &sql, const QVariantList &values = {});
    // The first column of every row of a select, as text.
    QStringList Column(const QString &sql, const QVariantList &values = {});
    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();

    // For the functions of the program that work on a connection.
    db::Connection &connection() { return *connection_; }
    operator db::Connection &() { return *connection_; }
    QSqlDatabase database() const;

private:
    std::unique_ptr<db::Connection> connection_;
};

// The program's own desk, as the tests set and watch it: told to read only (as for a file nobody
// may write), and whether it is open with a transaction under way.
void SetSharedReadOnly(bool readOnly);
bool SharedDeskWriting();
