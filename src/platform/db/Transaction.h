#pragma once

#include <QStringList>
#include <QVariant>

#include <functional>

namespace db {

class Connection;

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

// Runs work in the caller's open transaction, or else in a short one of its own, committed when
// work returns; returns what work returns. Throws what work throws, after a rollback of its own.
qint64 InTransaction(Connection &connection, const std::function<qint64()> &work);

// For work that rewrites a large share of a table's rows, and so of its indexes' entries, in one
// transaction: on a file, the engine keeps up to 256 MB of pages in memory while it lives (it
// takes only what the work touches), so that each index page is read and changed once rather
// than pushed out and read again for row after row, and dirty pages are not spilled into the
// log half-way. Its usual cache returns when it goes. A server keeps its own cache.
class LargeWrite
{
public:
    explicit LargeWrite(Connection &connection);
    ~LargeWrite();
    LargeWrite(const LargeWrite &) = delete;
    LargeWrite &operator=(const LargeWrite &) = delete;

private:
    Connection &connection_;
    QVariant usual_;
};

// Within the open transaction: runs a statement (sql, binding values) that sets column to
// another value in the rows of table that hold value, and returns the rows changed.
// When those rows are a large share of a file's table, the indexes that take the column are
// set aside for the statement and made again after it: building an index sorts its entries
// once, where the statement would move each row's entry to a place of its own in each of them.
// The transaction holds both, so a failure leaves the indexes as they were. A server keeps its
// indexes. Throws DbError.
qint64 RewriteColumn(Connection &connection, const QString &table, const QString &column,
                     const QVariant &value, const QString &sql, const QVariantList &values);

// After a step of long work, outside any transaction: a file's engine writes what the steps put
// in its log back into the file now, in this connection, where otherwise the commit of some
// other desk's next small write would do it and wait for all of it. A server does its own.
void WriteBackLog(Connection &connection);

// Within the open transaction: sets flag (a word) for the rest of it, for the server's triggers
// to read as current_setting('corvina.' || flag). A file's triggers read no flags.
void MarkTransaction(Connection &connection, const QString &flag);

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
