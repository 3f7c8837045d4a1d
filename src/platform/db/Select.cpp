#include "platform/db/Select.h"

#include "platform/db/Tokens.h"

#include <QSet>

namespace db {

using namespace tokens;

namespace {

bool hasMark(const QList<Token> &tokens, qsizetype first, qsizetype last)
{
    for (qsizetype i = first; i < last; ++i)
        if (tokens[i].kind == Kind::Mark)
            return true;
    return false;
}

// Words that, outside parentheses, make a statement more than one table's filtered rows.
bool endsSimpleForm(const Token &token)
{
    static const QSet<QString> words = {"GROUP",  "HAVING", "UNION",  "INTERSECT",
                                        "EXCEPT", "LIMIT",  "OFFSET", "WINDOW",
                                        "JOIN",   "VALUES", "SELECT", "WHERE"};
    return token.kind == Kind::Word && token.depth == 0 && words.contains(token.word);
}

QString unquoted(const QString &name)
{
    if (name.size() < 2)
        return name;
    const QChar open = name.front();
    if (open == u'[')
        return name.mid(1, name.size() - 2);
    if (open == u'"' || open == u'`')
        return name.mid(1, name.size() - 2).replace(QString(2, open), QString(open));
    return name;
}

// The column a term names when it is nothing but a (possibly qualified) column name.
QString bareColumn(const QString &sql, const QList<Token> &tokens, qsizetype first, qsizetype last)
{
    for (qsizetype i = first; i < last; ++i) {
        const bool nameExpected = (i - first) % 2 == 0;
        const Kind kind = tokens[i].kind;
        if (nameExpected ? kind != Kind::Word && kind != Kind::Name
                         : !isSymbol(sql, tokens[i], '.'))
            return {};
    }
    if ((last - first) % 2 == 0)
        return {};
    const Token &name = tokens[last - 1];
    return unquoted(sql.mid(name.start, name.end - name.start));
}

std::optional<OrderTerm> parseOrderTerm(const QString &sql, const QList<Token> &tokens,
                                        qsizetype first, qsizetype last)
{
    OrderTerm term;
    if (last > first && (isWord(tokens[last - 1], "ASC") || isWord(tokens[last - 1], "DESC"))) {
        term.descending = isWord(tokens[last - 1], "DESC");
        --last;
    }
    if (last <= first || hasMark(tokens, first, last))
        return std::nullopt;
    // A number orders by a column's position, which a statement of the grid's own would shift.
    if (last - first == 1 && tokens[first].kind == Kind::Number)
        return std::nullopt;
    for (qsizetype i = first; i < last; ++i)
        if (isWord(tokens[i], "NULLS") && tokens[i].depth == 0)
            return std::nullopt;
    term.expression = textOf(sql, tokens, first, last);
    term.column = bareColumn(sql, tokens, first, last);
    return term;
}

std::optional<QList<OrderTerm>> parseOrder(const QString &sql, const QList<Token> &tokens,
                                           qsizetype first)
{
    QList<OrderTerm> terms;
    qsizetype termStart = first;
    for (qsizetype i = first; i <= tokens.size(); ++i) {
        const bool atEnd = i == tokens.size();
        if (!atEnd && endsSimpleForm(tokens[i]))
            return std::nullopt;
        if (!atEnd && !(tokens[i].depth == 0 && isSymbol(sql, tokens[i], ',')))
            continue;
        const auto term = parseOrderTerm(sql, tokens, termStart, i);
        if (!term)
            return std::nullopt;
        terms << *term;
        termStart = i + 1;
    }
    return terms;
}

// The select list, one entry per column or expression, each as written.
QStringList columnsOf(const QString &sql, const QList<Token> &tokens, qsizetype first,
                      qsizetype last)
{
    QStringList columns;
    qsizetype start = first;
    for (qsizetype i = first; i <= last; ++i) {
        if (i < last && !(tokens[i].depth == 0 && isSymbol(sql, tokens[i], ',')))
            continue;
        columns << textOf(sql, tokens, start, i);
        start = i + 1;
    }
    return columns;
}

qsizetype findTopLevelWord(const QList<Token> &tokens, qsizetype from, const char *word)
{
    for (qsizetype i = from; i < tokens.size(); ++i)
        if (tokens[i].depth == 0 && isWord(tokens[i], word))
            return i;
    return -1;
}

} // namespace

QString WithoutStatementEnd(const QString &sql)
{
    qsizetype end = sql.size();
    while (end > 0 && (sql[end - 1].isSpace() || sql[end - 1] == u';'))
        --end;
    return sql.left(end).trimmed();
}

QString Subquery(const QString &sql)
{
    // On a line of its own, the closing parenthesis stays outside a comment that ends the text.
    return QStringLiteral("(%1\n) AS grid_rows").arg(WithoutStatementEnd(sql));
}

std::optional<Select> ParseSimpleSelect(const QString &sql, const QVariantList &values)
{
    const QString text = WithoutStatementEnd(sql);
    const auto parsed = tokenize(text);
    if (!parsed)
        return std::nullopt;
    const QList<Token> &tokens = *parsed;
    if (tokens.isEmpty() || !isWord(tokens[0], "SELECT"))
        return std::nullopt;
    for (const Token &token : tokens)
        if (isSymbol(text, token, ';'))
            return std::nullopt;
    if (tokens.size() > 1 && (isWord(tokens[1], "DISTINCT") || isWord(tokens[1], "ALL")))
        return std::nullopt;

    const qsizetype from = findTopLevelWord(tokens, 1, "FROM");
    if (from < 2 || from + 1 >= tokens.size() || hasMark(tokens, 1, from))
        return std::nullopt;
    Select select;
    select.values = values;
    select.columns = columnsOf(text, tokens, 1, from);
    const Token &table = tokens[from + 1];
    if (table.kind != Kind::Name && (table.kind != Kind::Word || endsSimpleForm(table)))
        return std::nullopt;
    select.table = text.mid(table.start, table.end - table.start);
    select.tableName = unquoted(select.table);

    qsizetype at = from + 2;
    qsizetype orderAt = tokens.size();
    for (qsizetype i = at; i + 1 < tokens.size(); ++i) {
        if (tokens[i].depth == 0 && isWord(tokens[i], "ORDER") && isWord(tokens[i + 1], "BY")) {
            orderAt = i;
            break;
        }
    }
    if (at < tokens.size() && isWord(tokens[at], "WHERE")) {
        if (at + 1 >= orderAt)
            return std::nullopt;
        for (qsizetype i = at + 1; i < orderAt; ++i)
            if (endsSimpleForm(tokens[i]))
                return std::nullopt;
        select.conditions << textOf(text, tokens, at + 1, orderAt);
        at = orderAt;
    }
    if (at != orderAt)
        return std::nullopt; // an alias, a join, a list of tables, INDEXED BY ...
    if (orderAt < tokens.size()) {
        const auto order = parseOrder(text, tokens, orderAt + 2);
        if (!order)
            return std::nullopt;
        select.order = *order;
    }
    return select;
}

QString CountStatement(const QString &sql)
{
    const auto select = ParseSimpleSelect(sql);
    return select ? select->CountText()
                  : QStringLiteral("SELECT count(*) FROM %1").arg(Subquery(sql));
}

Select Select::From(const QString &table, const QStringList &columns)
{
    Select select;
    select.table = table;
    select.tableName = table;
    select.columns = columns;
    return select;
}

Select &Select::Where(const QString &condition, const QVariantList &moreValues)
{
    conditions << condition;
    values << moreValues;
    return *this;
}

QString Select::Condition() const
{
    if (conditions.size() < 2)
        return conditions.value(0);
    // Each keeps its own meaning whatever operators another holds.
    return QLatin1Char('(') + conditions.join(QStringLiteral(") AND (")) + QLatin1Char(')');
}

Select &Select::OrderBy(const QString &expression, bool descending)
{
    const auto tokens = tokenize(expression);
    const bool bare = tokens && tokens->size() == 1
            && (tokens->front().kind == Kind::Word || tokens->front().kind == Kind::Name);
    order << OrderTerm{expression, descending, bare ? unquoted(expression) : QString()};
    return *this;
}

QString Select::Text() const
{
    QString text = QStringLiteral("SELECT %1 FROM %2").arg(ColumnList(), table);
    if (!conditions.isEmpty())
        text += QStringLiteral(" WHERE ") + Condition();
    QStringList terms;
    for (const OrderTerm &term : order)
        terms << (term.descending ? term.expression + QStringLiteral(" DESC") : term.expression);
    if (!terms.isEmpty())
        text += QStringLiteral(" ORDER BY ") + terms.join(QStringLiteral(", "));
    return text;
}

QString Select::CountText() const
{
    QString count = QStringLiteral("SELECT count(*) FROM ") + table;
    if (!conditions.isEmpty())
        count += QStringLiteral(" WHERE ") + Condition();
    return count;
}

} // namespace db
