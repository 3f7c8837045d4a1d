#include "Plans.h"

#include "platform/db/Connection.h"
#include "platform/db/Dialect.h"
#include "platform/db/Engine.h"
#include "platform/db/Statement.h"

#include <QSqlQuery>

namespace {

QString literal(const QVariant &value)
{
    if (value.isNull())
        return QStringLiteral("NULL");
    if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong
        || value.typeId() == QMetaType::Double)
        return value.toString();
    return QLatin1Char('\'') + value.toString().replace("'", "''") + QLatin1Char('\'');
}

// The statement with its values written in: a server explains no prepared statement.
QString withValues(const QString &sql, const QVariantList &values)
{
    QString out;
    qsizetype next = 0;
    bool quoted = false;
    for (const QChar c : sql) {
        if (c == u'\'')
            quoted = !quoted;
        if (c == u'?' && !quoted)
            out += literal(values.value(next++));
        else
            out += c;
    }
    return out;
}

QStringList lines(QSqlQuery &query, int column)
{
    QStringList all;
    while (query.next())
        all << query.value(column).toString();
    query.finish();
    return all;
}

} // namespace

bool Plan::scans(const QString &table) const
{
    for (const QString &line : lines) {
        if (server ? line.contains("Seq Scan on " + table, Qt::CaseInsensitive)
                   : line.compare("SCAN " + table, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool Plan::sorts() const
{
    for (const QString &line : lines) {
        if (server ? line.trimmed().remove(QLatin1String("->")).trimmed() == QLatin1String("Sort")
                   : line.contains("TEMP B-TREE"))
            return true;
    }
    return false;
}

bool Plan::indexOnly() const
{
    const QString plan = lines.join('\n');
    return server ? plan.contains("Index Only Scan") && !plan.contains("Heap Scan")
                  : plan.contains("COVERING INDEX");
}

bool Plan::uses(const QString &index) const
{
    return lines.join('\n').contains(index, Qt::CaseInsensitive);
}

Plan PlanOf(db::Connection &connection, const QString &sql, const QVariantList &values)
{
    Plan plan;
    const QSqlDatabase database = connection.database();
    plan.server = connection.engine().kind() == db::Engine::Kind::Server;
    if (!plan.server) {
        QSqlQuery query = db::RunStatement(database, "EXPLAIN QUERY PLAN " + sql, values);
        plan.lines = lines(query, 3);
        return plan;
    }
    db::RunStatement(database, "SET enable_seqscan = off", {});
    db::RunStatement(database, "SET enable_sort = off", {});
    QSqlQuery query =
            db::RunStatement(database, "EXPLAIN (COSTS OFF) " + withValues(sql, values), {});
    plan.lines = lines(query, 0);
    db::RunStatement(database, "RESET enable_seqscan", {});
    db::RunStatement(database, "RESET enable_sort", {});
    return plan;
}
