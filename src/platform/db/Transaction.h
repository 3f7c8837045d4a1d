#pragma once

#include "platform/db/Connection.h"

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

} // namespace db
