#pragma once

#include <QStringList>
#include <QVariantList>

namespace db {
class Connection;
}

// How the engine would run a statement, engine by engine in the same terms: whether it reads a
// whole table, whether it sorts rows itself rather than having an index deliver them in order.
// On a server the plan is asked for with table scans and sorts priced out, so that it shows
// what the indexes can do even on a test's small tables.
struct Plan
{
    QStringList lines;
    bool server = false;

    bool scans(const QString &table) const;
    bool sorts() const;
    bool uses(const QString &index) const;
    // Answered from an index alone, without reading the table's rows.
    bool indexOnly() const;
    QString shown(const QString &sql) const { return sql + "\n  " + lines.join("\n  "); }
};

Plan PlanOf(db::Connection &connection, const QString &sql, const QVariantList &values = {});
