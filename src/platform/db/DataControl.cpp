#include "platform/db/DataControl.h"

#include "platform/db/Statement.h"

#include "platform/db/Connection.h"
#include "platform/db/Dialect.h"
#include "platform/db/Engine.h"

#include <QSqlQuery>

namespace db {

DataControl::DataControl(QObject *parent)
    : QObject(parent)
    , connection_(std::make_unique<Connection>())
    , model_(std::make_unique<GridModel>())
{ }

DataControl::~DataControl()
{
    Close();
}

void DataControl::setRecordSource(const Select &select)
{
    select_ = select;
    sql_.clear();
    values_.clear();
}

void DataControl::setRecordSource(const QString &sql, const QVariantList &values)
{
    select_.reset();
    sql_ = sql;
    values_ = values;
}

void DataControl::ensureOpen()
{
    // A grid kept open over a file that was deleted or put back would go on showing the old one.
    if (connection_->FileMoved()) {
        model_->clear();
        connection_->Close();
    }
    if (connection_->State() != 1)
        connection_->Open(ConnectionString);
}

void DataControl::Refresh()
{
    ensureOpen();
    // The model finishes every read it makes, so nothing holds this connection on an old
    // snapshot: the count and the rows see what other connections wrote up to now.
    if (select_)
        model_->load(*connection_, *select_, current_);
    else
        model_->load(*connection_, sql_, values_, current_);
    const qint64 count = model_->count();
    current_ = count == 0 ? -1 : std::clamp<qint64>(current_ < 0 ? 0 : current_, 0, count - 1);
    emit refreshed();
    emit currentRowChanged(current_);
}

void DataControl::Close()
{
    model_->clear();
    connection_->Close();
    current_ = -1;
}

void DataControl::setColumnCaption(const QString &field, const QString &caption)
{
    model_->setCaption(field, caption);
}

void DataControl::setCurrentRow(qint64 row)
{
    if (row < 0 || row >= model_->count() || row == current_)
        return;
    current_ = row;
    emit currentRowChanged(current_);
}

QVariant DataControl::Fields(const QString &name) const
{
    if (current_ < 0)
        throw DbError(kNoCurrentRecord);
    const int column = model_->fieldIndex(name);
    if (column < 0)
        throw DbError(kNoSuchField);
    return model_->value(current_, column);
}

QString DataControl::Caption() const
{
    return QStringLiteral("%1 of %2").arg(current_ + 1).arg(model_->count());
}

void DataControl::setUpdateTarget(const QString &table, const QString &keyColumn)
{
    table_ = table;
    key_ = keyColumn;
}

void DataControl::requireTarget() const
{
    if (table_.isEmpty() || key_.isEmpty())
        throw DbError(QStringLiteral("The grid's rows cannot be changed."));
}

// Runs one change to the grid's table and hands back the rowid of a row it added. A failed
// change shows the rows again, as they now are, before it reports.
QVariant DataControl::change(const QString &sql, const QVariantList &values)
{
    ensureOpen();
    try {
        QSqlQuery query = RunStatement(connection_->database(), sql, values);
        // A server names the new row's key only when asked for it (RETURNING).
        if (query.isSelect())
            return query.next() ? query.value(0) : QVariant();
        return query.lastInsertId();
    } catch (...) {
        Refresh();
        throw;
    }
}

void DataControl::AddNew(const QVariantMap &values)
{
    requireTarget();
    QStringList columns;
    QStringList marks;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        columns << it.key();
        marks << QStringLiteral("?");
    }
    QString insert = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                             .arg(table_, columns.join(QStringLiteral(", ")),
                                  marks.join(QStringLiteral(", ")));
    const QString rowKey = model_->rowKey();
    insert = connection_->engine().withReturnedKey(insert, rowKey);
    const QVariant rowid = change(insert, values.values());
    Refresh();
    // Counted by the engine: the rows before the new one in the grid's order. A source the grid
    // cannot count that way shows new rows last, as a statement ordered by the key does.
    const qint64 row = model_->rowOf(rowid);
    setCurrentRow(row >= 0 ? row : model_->count() - 1);
}

void DataControl::UpdateCurrent(const QVariantMap &values)
{
    requireTarget();
    const QVariant key = Fields(key_);
    QStringList sets;
    QVariantList bound;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        sets << it.key() + QStringLiteral(" = ?");
        bound << it.value();
    }
    bound << key;
    change(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                   .arg(table_, sets.join(QStringLiteral(", ")), key_),
           bound);
    Refresh();
}

void DataControl::DeleteCurrent()
{
    requireTarget();
    const QVariant key = Fields(key_);
    change(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(table_, key_), {key});
    Refresh();
}

} // namespace db
