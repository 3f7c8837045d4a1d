#include "platform/db/GridQuery.h"

#include "platform/db/Dialect.h"
#include "platform/db/Statement.h"

#include <QSqlQuery>

namespace db {

namespace {

// A term as it stands in a comparison: a compound expression in parentheses, so that an
// operator inside it cannot bind to the comparison.
QString operand(const QString &expression, const QString &rowKey)
{
    return expression == rowKey ? expression : QLatin1Char('(') + expression + QLatin1Char(')');
}

} // namespace

GridQuery::GridQuery(const QSqlDatabase &database, const Select &select)
    : sql_(select.Text())
    , count_(select.CountText())
    , values_(select.values)
{
    const TableFacts facts = FactsOf(database, select.tableName);
    // A table without a column that numbers its rows is read through the wrapping subquery.
    if (facts.rowKey.isEmpty())
        return;
    select_ = select;
    rowKey_ = facts.rowKey;
    const QStringList &textColumns = facts.textColumns;
    for (const OrderTerm &term : select_->order) {
        const bool text =
                !term.column.isEmpty() && textColumns.contains(term.column, Qt::CaseInsensitive);
        order_.push_back(
                {text ? term.expression + QStringLiteral(" COLLATE NOCASE") : term.expression,
                 term.descending});
    }
    order_.push_back({rowKey_, false});
}

GridQuery::GridQuery(const QString &sql, const QVariantList &values)
    : sql_(WithoutStatementEnd(sql))
    , count_(CountStatement(sql_))
    , values_(values)
{ }

QString GridQuery::orderClause(bool backward) const
{
    QStringList terms;
    for (const Term &term : order_)
        terms << (term.descending != backward ? term.expression + QStringLiteral(" DESC")
                                              : term.expression);
    return terms.join(QStringLiteral(", "));
}

QString GridQuery::hiddenList() const
{
    QStringList expressions;
    for (const Term &term : order_)
        expressions << term.expression;
    return expressions.join(QStringLiteral(", "));
}

QString GridQuery::where(const QStringList &conditions) const
{
    QStringList all;
    if (!select_->conditions.isEmpty())
        all << QLatin1Char('(') + select_->Condition() + QLatin1Char(')');
    all << conditions;
    return all.isEmpty() ? QString()
                         : QStringLiteral(" WHERE ") + all.join(QStringLiteral(" AND "));
}

// "The row comes after the one with these keys" in the order read (reversed when backward),
// built from the last term to the first. An ascending term with a value v reads
// "t >= v AND (t > v OR <rest>)", so that the engine can start its index range at v; NULL sorts
// before every value, so a NULL key needs IS [NOT] NULL instead. The rowid, last, is never NULL.
QString GridQuery::afterCondition(const QVariantList &keys, bool backward,
                                  QVariantList &values) const
{
    QString condition;
    QVariantList bound;
    for (qsizetype i = static_cast<qsizetype>(order_.size()) - 1; i >= 0; --i) {
        const QString t = operand(order_[static_cast<size_t>(i)].expression, rowKey_);
        const bool descending = order_[static_cast<size_t>(i)].descending != backward;
        const QVariant &key = keys.value(i);
        if (condition.isEmpty()) {
            condition = t + (descending ? QStringLiteral(" < ?") : QStringLiteral(" > ?"));
            bound = {key};
        } else if (!descending && key.isNull()) {
            condition = QStringLiteral("(%1 IS NOT NULL OR %2)").arg(t, condition);
        } else if (!descending) {
            condition = QStringLiteral("(%1 >= ? AND (%1 > ? OR %2))").arg(t, condition);
            bound = QVariantList{key, key} + bound;
        } else if (key.isNull()) {
            condition = QStringLiteral("(%1 IS NULL AND %2)").arg(t, condition);
        } else {
            condition =
                    QStringLiteral("(%1 < ? OR %1 IS NULL OR (%1 = ? AND %2))").arg(t, condition);
            bound = QVariantList{key, key} + bound;
        }
    }
    values << bound;
    return condition;
}

BoundStatement GridQuery::count() const
{
    return {count_, values_};
}

BoundStatement GridQuery::rows(qint64 skip, qint64 limit, bool backward,
                               const QVariantList &after) const
{
    if (!keyed())
        return {QStringLiteral("SELECT * FROM %1 LIMIT ? OFFSET ?").arg(Subquery(sql_)),
                values_ + QVariantList{limit, skip}};
    QVariantList values = values_;
    QStringList conditions;
    if (!after.isEmpty())
        conditions << afterCondition(after, backward, values);
    values << limit << skip;
    const QString order = orderClause(backward);
    const QString columns = select_->ColumnList() + QStringLiteral(", ") + hiddenList();
    if (skip <= kShortSkip)
        return {QStringLiteral("SELECT %1 FROM %2%3 ORDER BY %4 LIMIT ? OFFSET ?")
                        .arg(columns, select_->table, where(conditions), order),
                values};
    return {QStringLiteral("SELECT %1 FROM %2 WHERE %5 IN (SELECT %5 FROM %2%3 ORDER BY %4 "
                           "LIMIT ? OFFSET ?) ORDER BY %4")
                    .arg(columns, select_->table, where(conditions), order, rowKey_),
            values};
}

BoundStatement GridQuery::keysOf(const QVariant &rowid) const
{
    return {QStringLiteral("SELECT %1 FROM %2%3")
                    .arg(hiddenList(), select_->table, where({rowKey_ + QStringLiteral(" = ?")})),
            values_ + QVariantList{rowid}};
}

BoundStatement GridQuery::countBefore(const QVariantList &keys) const
{
    QVariantList values = values_;
    const QString before = afterCondition(keys, true, values);
    return {QStringLiteral("SELECT count(*) FROM %1%2").arg(select_->table, where({before})),
            values};
}

} // namespace db
