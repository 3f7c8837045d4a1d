#pragma once

#include "platform/db/Connection.h"

#include <QStringList>

namespace db {

// A transaction for one block of work: begun on construction, rolled back when the block is
// left without Commit, whether by an exception or an early return. Throws DbError from the
// constructor as BeginTrans does.
class Transaction
{
public:
    explicit Transaction(Connection &connection);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    // Throws DbError; the transaction is over (rolled back) when the commit fails.
    void Commit();

private:
    Connection &connection_;
    bool done_ = false;
};

// Within the open transaction: waits until no other connection's transaction holds the work
// named name, and holds it until this transaction ends, so that two desks' runs of that work
// follow one another instead of interleaving. A file's transaction holds the file's one write
// lock from its start, which does this already. A server locks rows, not tables: there the
// name is a lock of its own that only this work takes, so that the desks writing rows into the
// same tables meanwhile never wait for it.
void Serialise(Connection &connection, const QString &name);

// Within the open transaction: moves every row of from into to, the columns given copied in
// the order of orderBy, and returns the number of rows moved. The rows copied and the rows
// removed are the same rows, whatever other connections add to from meanwhile: a file's
// transaction lets no other writer in; on a server one statement removes the rows and copies
// what it removed. A row that another connection's move took first is left to that one.
// Throws DbError; the transaction then is to be rolled back.
qint64 MoveRows(Connection &connection, const QString &from, const QString &to,
                const QStringList &columns, const QString &orderBy);

} // namespace db
