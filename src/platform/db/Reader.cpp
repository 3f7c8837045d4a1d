#include "platform/db/Reader.h"

#include "platform/db/Connection.h"
#include "platform/db/Dialect.h"
#include "platform/db/Statement.h"

#include <QSqlError>
#include <QSqlRecord>

namespace db {

namespace { } // namespace

Reader::~Reader()
{
    Close();
}

void Reader::Open(const QString &sql, Connection &connection, const QVariantList &values)
{
    if (query_)
        throw DbError(kObjectOpen);
    QSqlQuery query = RunStatement(connection.database(), sql, values, true);
    if (!query.isSelect())
        return;
    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i)
        names_ << db::FieldName(connection.database(), sql, record.fieldName(i));
    query_ = std::move(query);
    readRow();
}

void Reader::Close()
{
    query_.reset();
    names_.clear();
    current_ = false;
}

void Reader::MoveNext()
{
    if (!current_)
        throw DbError(kNoCurrentRecord);
    readRow();
}

void Reader::readRow()
{
    current_ = query_->next();
    if (current_)
        return;
    if (query_->lastError().isValid())
        StatementFailed(query_->lastQuery(), query_->lastError());
    // Past the last row: let the engine end its read at once rather than when the reader goes.
    query_->finish();
}

int Reader::FieldIndex(const QString &name) const
{
    for (int i = 0; i < names_.size(); ++i) {
        if (names_[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QVariant Reader::Fields(int index) const
{
    if (!current_)
        throw DbError(kNoCurrentRecord);
    if (index < 0 || index >= names_.size())
        throw DbError(kNoSuchField);
    return query_->value(index);
}

QVariant Reader::Fields(const QString &name) const
{
    const int index = FieldIndex(name);
    if (index < 0)
        throw DbError(kNoSuchField);
    return Fields(index);
}

} // namespace db
