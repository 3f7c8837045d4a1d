#include "platform/db/Prepared.h"

#include "platform/db/Connection.h"
#include "platform/db/Statement.h"

#include <QSqlQuery>

#include <algorithm>

namespace db {

Prepared::Prepared(Connection &connection, const QString &sql)
    : connection_(&connection)
    , sql_(sql)
    , query_(std::make_unique<QSqlQuery>(PrepareStatement(connection.database(), sql)))
{
    connection.prepared_.push_back(this);
}

Prepared::~Prepared()
{
    release();
    if (connection_)
        std::erase(connection_->prepared_, this);
}

void Prepared::release()
{
    query_.reset();
}

qint64 Prepared::Execute(const QVariantList &values)
{
    if (!query_)
        throw DbError(kObjectClosed);
    try {
        ExecuteStatement(*query_, values);
    } catch (...) {
        query_->finish();
        throw;
    }
    const qint64 changed = query_->numRowsAffected();
    // Done with this execution: nothing of it stays open on the connection.
    query_->finish();
    return changed;
}

} // namespace db
