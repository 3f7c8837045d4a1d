#include "platform/db/Recordset.h"

#include "platform/db/Connection.h"

namespace db {

void Recordset::Open(const QString &sql, Connection &connection, const QVariantList &values)
{
    if (open_)
        throw DbError(kObjectOpen);
    sql_ = sql;
    values_ = values;
    connection_ = &connection;
    connection.Execute(sql, values, *this);
}

void Recordset::assign(QStringList names, std::vector<std::vector<QVariant>> rows)
{
    names_ = std::move(names);
    rows_ = std::move(rows);
    position_ = 0;
    open_ = true;
}

void Recordset::Close()
{
    open_ = false;
    names_.clear();
    rows_.clear();
    position_ = 0;
}

bool Recordset::AtEnd() const
{
    return !open_ || position_ >= static_cast<qint64>(rows_.size());
}

void Recordset::MoveFirst()
{
    if (!open_)
        throw DbError(kObjectClosed);
    position_ = 0;
}

void Recordset::MoveNext()
{
    if (AtEnd())
        throw DbError(kNoCurrentRecord);
    ++position_;
}

const std::vector<QVariant> &Recordset::currentRow() const
{
    if (AtEnd())
        throw DbError(kNoCurrentRecord);
    return rows_[static_cast<size_t>(position_)];
}

QVariant Recordset::Fields(int index) const
{
    const auto &row = currentRow();
    if (index < 0 || index >= static_cast<int>(row.size()))
        throw DbError(kNoSuchField);
    return row[static_cast<size_t>(index)];
}

QVariant Recordset::Fields(const QString &name) const
{
    for (int i = 0; i < names_.size(); ++i) {
        if (names_[i].compare(name, Qt::CaseInsensitive) == 0)
            return Fields(i);
    }
    throw DbError(kNoSuchField);
}

void Recordset::Requery()
{
    if (!open_ || !connection_)
        throw DbError(kObjectClosed);
    Close();
    connection_->Execute(sql_, values_, *this);
}

} // namespace db
