#include "platform/db/Transaction.h"

namespace db {

Transaction::Transaction(Connection &connection)
    : connection_(connection)
{
    connection_.BeginTrans();
}

Transaction::~Transaction()
{
    if (done_)
        return;
    try {
        connection_.RollbackTrans();
    } catch (const DbError &) {
        // Nothing more can be done here; closing the connection ends the transaction too.
    }
}

void Transaction::Commit()
{
    done_ = true;
    connection_.CommitTrans();
}

} // namespace db
