#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <optional>

namespace db {

// One term of an ORDER BY clause.
struct OrderTerm
{
    QString expression; // without ASC / DESC
    bool descending = false;
    QString column; // the column's bare name when the term is nothing but a column, else empty
};

// A statement that reads one table's rows, kept as its parts: the columns shown, the condition
// with its bound values and the order, with no join, grouping, DISTINCT, compound or LIMIT. The
// windows build their grids' statements so, and the grid counts and pages them with statements
// of its own made from the parts: it never takes apart a text it was handed.
struct Select
{
    QString table; // as the statement writes it
    QString tableName; // without quotes or brackets
    QStringList columns{QStringLiteral("*")};
    QStringList conditions; // all must hold; "?" marks the values, in the conditions' order
    QVariantList values;
    QList<OrderTerm> order;

    // Every row of a table, by a bare name.
    static Select From(const QString &table, const QStringList &columns = {QStringLiteral("*")});
    // Narrows the rows by one more condition (ANDed with those before) and its values.
    Select &Where(const QString &condition, const QVariantList &values = {});
    // Orders by one more term: a column or an expression.
    Select &OrderBy(const QString &expression, bool descending = false);

    // The statement as text, to run or to show.
    QString Text() const;
    // The statement that counts the rows, with the same values.
    QString CountText() const;
    QString ColumnList() const { return columns.join(QStringLiteral(", ")); }
    // The conditions as one, each in parentheses when there are several; empty for none.
    QString Condition() const;
};

// The statement without the blanks and semicolons that may end it.
QString WithoutStatementEnd(const QString &sql);

// The statement in parentheses, to be read as a table.
QString Subquery(const QString &sql);

// A statement given as text (a record source the program takes as written) taken apart, once,
// when it has the form of a Select and uses no parameters but plain "?" marks, all of them in
// the condition; nullopt when it cannot be taken apart safely.
std::optional<Select> ParseSimpleSelect(const QString &sql, const QVariantList &values = {});

// The statement that counts the rows of a record source given as text, with the same bound
// values: the Select's own count when it has that form (no ordering to redo),
// "SELECT count(*) FROM (<sql>)" for anything else.
QString CountStatement(const QString &sql);

} // namespace db
