#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace db {

// One term of an ORDER BY clause, as written.
struct OrderTerm
{
    QString expression; // without ASC / DESC
    bool descending = false;
    QString column; // the column's bare name when the term is nothing but a column, else empty
};

// A record source of the form "select <columns> from <table> [where <condition>]
// [order by <terms>]": one table, no join, grouping, DISTINCT, compound or LIMIT. Only such a
// statement can be counted and paged by the grid with statements of its own; anything else is
// read through a wrapping subquery.
struct SimpleSelect
{
    QString columns;
    QString table; // as written
    QString tableName; // without quotes or brackets
    QString condition; // empty when there is no WHERE clause
    QList<OrderTerm> order;
};

// The statement without the blanks and semicolons that may end it.
QString WithoutStatementEnd(const QString &sql);

// The statement in parentheses, to be read as a table.
QString Subquery(const QString &sql);

// Takes sql apart when it has the simple form and uses no parameters but plain "?" marks, all
// of them in the condition; nullopt when it cannot be taken apart safely.
std::optional<SimpleSelect> ParseSimpleSelect(const QString &sql);

// The statement that counts the rows of a record source, with the same bound values:
// "SELECT count(*) FROM <table> [WHERE <condition>]" for the simple form (no ordering to
// redo), "SELECT count(*) FROM (<sql>)" for anything else.
QString CountStatement(const QString &sql);

} // namespace db
