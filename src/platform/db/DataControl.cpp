#include "platform/db/DataControl.h"

#include "platform/db/Statement.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace db {

namespace {

// A read left part-way keeps this connection on the snapshot it began with: a fresh read would
// miss what other connections wrote since, and a write would fail as busy. Let it go first.
void releaseSnapshot(QSqlQueryModel &model)
{
    model.query().finish();
}

// Runs one change to the grid's table. Its rows were let go for the change, so a failed change
// shows them again before it reports.
void change(DataControl &control, QSqlQueryModel &model, const QSqlDatabase &database,
            const QString &sql, const QVariantList &values)
{
    releaseSnapshot(model);
    try {
        RunStatement(database, sql, values);
    } catch (...) {
        control.Refresh();
        throw;
    }
}

} // namespace

DataControl::DataControl(QObject *parent)
    : QObject(parent)
    , model_(std::make_unique<QSqlQueryModel>())
{ }

DataControl::~DataControl()
{
    Close();
}

void DataControl::setRecordSource(const QString &sql, const QVariantList &values)
{
    sql_ = sql;
    values_ = values;
}

void DataControl::ensureOpen()
{
    if (connection_.State() != 1)
        connection_.Open(ConnectionString);
}

void DataControl::Refresh()
{
    ensureOpen();
    const qint64 keep = current_;
    releaseSnapshot(*model_);
    // Counted by the engine so that the grid can say "N of M" without reading every row.
    QSqlQuery counter = RunStatement(
            connection_.database(), QStringLiteral("SELECT COUNT(*) FROM (%1)").arg(sql_), values_);
    count_ = counter.next() ? counter.value(0).toLongLong() : 0;
    counter.finish();

    QSqlQuery rows = RunStatement(connection_.database(), sql_, values_, false);
    model_->setQuery(std::move(rows));
    if (model_->lastError().isValid())
        throw DbError(model_->lastError().text());
    current_ = count_ == 0 ? -1 : std::clamp<qint64>(keep < 0 ? 0 : keep, 0, count_ - 1);
    fetchUpTo(current_);
    emit refreshed();
    emit currentRowChanged(current_);
}

void DataControl::Close()
{
    model_->clear();
    connection_.Close();
    count_ = 0;
    current_ = -1;
}

int DataControl::FieldIndex(const QString &name) const
{
    return model_->record().indexOf(name);
}

void DataControl::setColumnCaption(const QString &field, const QString &caption)
{
    const int column = model_->record().indexOf(field);
    if (column >= 0)
        model_->setHeaderData(column, Qt::Horizontal, caption);
}

void DataControl::fetchUpTo(qint64 row)
{
    while (row >= model_->rowCount() && model_->canFetchMore())
        model_->fetchMore();
}

void DataControl::setCurrentRow(qint64 row)
{
    if (row < 0 || row >= count_ || row == current_)
        return;
    current_ = row;
    fetchUpTo(row);
    emit currentRowChanged(current_);
}

QVariant DataControl::Fields(const QString &name) const
{
    if (current_ < 0)
        throw DbError(kNoCurrentRecord);
    const QSqlRecord record = model_->record(static_cast<int>(current_));
    const int column = record.indexOf(name);
    if (column < 0)
        throw DbError(kNoSuchField);
    return record.value(column);
}

QString DataControl::Caption() const
{
    return QStringLiteral("%1 of %2").arg(current_ + 1).arg(count_);
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

void DataControl::AddNew(const QVariantMap &values)
{
    requireTarget();
    ensureOpen();
    QStringList columns;
    QStringList marks;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        columns << it.key();
        marks << QStringLiteral("?");
    }
    change(*this, *model_, connection_.database(),
           QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                   .arg(table_, columns.join(QStringLiteral(", ")),
                        marks.join(QStringLiteral(", "))),
           values.values());
    current_ = count_; // the new row, where the statement's order puts it last
    Refresh();
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
    change(*this, *model_, connection_.database(),
           QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                   .arg(table_, sets.join(QStringLiteral(", ")), key_),
           bound);
    Refresh();
}

void DataControl::DeleteCurrent()
{
    requireTarget();
    const QVariant key = Fields(key_);
    change(*this, *model_, connection_.database(),
           QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(table_, key_), {key});
    Refresh();
}

} // namespace db
