#pragma once

#include "platform/db/DbError.h"

#include <QString>
#include <QVariantList>

#include <memory>

class QSqlQuery;

namespace db {

class Connection;

// A statement that returns no rows, prepared once and executed many times with new values, so
// that writing many rows does not parse the same text again for each. Closing the connection
// lets the statement go; executing it after that fails.
class Prepared
{
public:
    // Throws DbError when the connection is closed or the engine rejects the statement.
    Prepared(Connection &connection, const QString &sql);
    ~Prepared();
    Prepared(const Prepared &) = delete;
    Prepared &operator=(const Prepared &) = delete;

    // Executes with exactly these bound values; returns the number of rows changed. A failed
    // execution leaves the statement ready for the next values. Throws DbError.
    qint64 Execute(const QVariantList &values = {});
    QString Sql() const { return sql_; }

private:
    friend class Connection;
    void release();

    Connection *connection_;
    QString sql_;
    std::unique_ptr<QSqlQuery> query_;
};

} // namespace db
