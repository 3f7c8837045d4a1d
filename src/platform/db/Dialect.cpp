#include "platform/db/Dialect.h"

#include "platform/db/DbError.h"
#include "platform/db/Engine.h"
#include "platform/db/Statement.h"
#include "platform/db/Tokens.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDriver>
#include <QSqlQuery>

#include <functional>
#include <vector>

namespace db {

using namespace tokens;

namespace {

// Text put before, after or in place of each token of a statement.
class Rewrite
{
public:
    Rewrite(const QString &sql, const QList<Token> &tokens)
        : sql_(sql)
        , tokens_(tokens)
        , before_(static_cast<size_t>(tokens.size()))
        , after_(static_cast<size_t>(tokens.size()))
        , replace_(static_cast<size_t>(tokens.size()))
    { }

    void before(qsizetype i, const QString &text) { before_[index(i)] += text; }
    void after(qsizetype i, const QString &text) { after_[index(i)] = text + after_[index(i)]; }
    void replace(qsizetype i, const QString &text) { replace_[index(i)] = text; }

    QString text() const
    {
        QString out;
        qsizetype copied = 0;
        for (qsizetype i = 0; i < tokens_.size(); ++i) {
            const Token &token = tokens_[i];
            out += sql_.mid(copied, token.start - copied);
            out += before_[index(i)];
            out += replace_[index(i)] ? *replace_[index(i)]
                                      : sql_.mid(token.start, token.end - token.start);
            out += after_[index(i)];
            copied = token.end;
        }
        return out + sql_.mid(copied);
    }

private:
    static size_t index(qsizetype i) { return static_cast<size_t>(i); }

    const QString &sql_;
    const QList<Token> &tokens_;
    std::vector<QString> before_;
    std::vector<QString> after_;
    std::vector<std::optional<QString>> replace_;
};

bool isOpen(const QString &sql, const Token &token)
{
    return isSymbol(sql, token, '(');
}

bool isClose(const QString &sql, const Token &token)
{
    return isSymbol(sql, token, ')');
}

bool isNameLike(const Token &token)
{
    return token.kind == Kind::Word || token.kind == Kind::Name;
}

// Words before a parenthesis that do not call a function.
bool isKeyword(const Token &token)
{
    static const QSet<QString> words = {"AND",    "OR",   "NOT",    "WHERE", "ON",     "WHEN",
                                        "THEN",   "ELSE", "SELECT", "BY",    "HAVING", "IN",
                                        "EXISTS", "LIKE", "AS",     "FROM",  "VALUES", "CASE"};
    return token.kind == Kind::Word && words.contains(token.word);
}

qsizetype matchingClose(const QString &sql, const QList<Token> &tokens, qsizetype open)
{
    for (qsizetype i = open + 1; i < tokens.size(); ++i)
        if (tokens[i].depth == tokens[open].depth && isClose(sql, tokens[i]))
            return i;
    return tokens.size() - 1;
}

qsizetype matchingOpen(const QString &sql, const QList<Token> &tokens, qsizetype close)
{
    for (qsizetype i = close - 1; i >= 0; --i)
        if (tokens[i].depth == tokens[close].depth && isOpen(sql, tokens[i]))
            return i;
    return 0;
}

// The first token of the operand that ends at token last: a (qualified) name, a literal, a
// mark, a parenthesised expression or a function's call.
qsizetype operandStart(const QString &sql, const QList<Token> &tokens, qsizetype last)
{
    qsizetype first = last;
    if (isClose(sql, tokens[last])) {
        first = matchingOpen(sql, tokens, last);
        if (first > 0 && tokens[first - 1].kind == Kind::Word && !isKeyword(tokens[first - 1]))
            --first;
        return first;
    }
    while (first >= 2 && isSymbol(sql, tokens[first - 1], '.') && isNameLike(tokens[first - 2]))
        first -= 2;
    return first;
}

// The last token of the operand that starts at token first.
qsizetype operandEnd(const QString &sql, const QList<Token> &tokens, qsizetype first)
{
    if (isOpen(sql, tokens[first]))
        return matchingClose(sql, tokens, first);
    if (tokens[first].kind == Kind::Word && first + 1 < tokens.size()
        && isOpen(sql, tokens[first + 1]))
        return matchingClose(sql, tokens, first + 1);
    qsizetype last = first;
    while (last + 2 < tokens.size() && isSymbol(sql, tokens[last + 1], '.')
           && isNameLike(tokens[last + 2]))
        last += 2;
    return last;
}

// Operators that bind more tightly than a comparison or LIKE: "a || b LIKE ?" compares the
// whole of "a || b". Each of their characters is a token of its own.
bool isTightOperator(const QString &sql, const Token &token)
{
    if (token.kind != Kind::Symbol)
        return false;
    const QChar c = sql[token.start];
    return c == u'|' || c == u'*' || c == u'/' || c == u'%' || c == u'+' || c == u'-' || c == u'&';
}

// Whether a token can end an operand, so that an operator after it is binary.
bool endsOperand(const QString &sql, const Token &token)
{
    return token.kind == Kind::Name || token.kind == Kind::Literal || token.kind == Kind::Number
            || token.kind == Kind::Mark || isClose(sql, token)
            || (token.kind == Kind::Word && !isKeyword(token));
}

// The first token of the expression that ends at token last, across the operators that bind
// more tightly than a comparison.
qsizetype expressionStart(const QString &sql, const QList<Token> &tokens, qsizetype last)
{
    qsizetype first = operandStart(sql, tokens, last);
    while (first > 0 && isTightOperator(sql, tokens[first - 1])) {
        qsizetype op = first - 1;
        while (op > 0 && isTightOperator(sql, tokens[op - 1])
               && tokens[op - 1].end == tokens[op].start)
            --op;
        if (op == 0 || !endsOperand(sql, tokens[op - 1]))
            return op; // a sign before the operand
        first = operandStart(sql, tokens, op - 1);
    }
    return first;
}

// The last token of the expression that starts at token first, across the same operators.
qsizetype expressionEnd(const QString &sql, const QList<Token> &tokens, qsizetype first)
{
    while (first + 1 < tokens.size() && isTightOperator(sql, tokens[first]))
        ++first; // a sign
    qsizetype last = operandEnd(sql, tokens, first);
    while (last + 2 < tokens.size() && isTightOperator(sql, tokens[last + 1])) {
        qsizetype next = last + 1;
        while (next < tokens.size() && isTightOperator(sql, tokens[next]))
            ++next;
        if (next == tokens.size())
            break;
        last = operandEnd(sql, tokens, next);
    }
    return last;
}

// The comparisons whose two sides a caseless collation applies to.
qsizetype comparisonLength(const QString &sql, const QList<Token> &tokens, qsizetype at)
{
    if (at < 0 || at >= tokens.size() || tokens[at].kind != Kind::Symbol)
        return 0;
    const QChar c = sql[tokens[at].start];
    if (c != u'=' && c != u'<' && c != u'>' && c != u'!')
        return 0;
    qsizetype length = 1;
    while (at + length < tokens.size() && tokens[at + length].kind == Kind::Symbol
           && tokens[at + length].start == tokens[at + length - 1].end
           && QStringLiteral("=<>").contains(sql[tokens[at + length].start]))
        ++length;
    return length;
}

// The first token of the comparison operator that ends at token last, or -1.
qsizetype comparisonBefore(const QString &sql, const QList<Token> &tokens, qsizetype last)
{
    qsizetype first = last;
    while (first > 0 && tokens[first - 1].kind == Kind::Symbol
           && tokens[first - 1].end == tokens[first].start
           && QStringLiteral("=<>!").contains(sql[tokens[first - 1].start]))
        --first;
    return comparisonLength(sql, tokens, first) == last - first + 1 ? first : -1;
}

[[noreturn]] void untranslatable(const QString &sql, const QString &why)
{
    throw DbError(QStringLiteral("The statement cannot be put into the database server's words "
                                 "(%1): %2")
                          .arg(why, sql.simplified()));
}

// A quoted name as the server writes it: in double quotes, in the lower case in which it keeps
// the names written bare.
QString serverName(const QString &quoted)
{
    QString name = quoted.mid(1, quoted.size() - 2);
    if (quoted.front() != u'[')
        name.replace(QString(2, quoted.front()), QString(quoted.front()));
    return QLatin1Char('"') + name.toLower().replace(u'"', QStringLiteral("\"\""))
            + QLatin1Char('"');
}

// Words that end an ORDER BY clause at its own depth.
bool endsOrder(const Token &token)
{
    static const QSet<QString> words = {"LIMIT",     "OFFSET", "UNION", "EXCEPT",
                                        "INTERSECT", "FETCH",  "FOR"};
    return token.kind == Kind::Word && words.contains(token.word);
}

// Gives each term of the ORDER BY that starts at token `at` the place of NULL the file's engine
// gives it: first when ascending, last when descending.
void placeNulls(const QString &sql, const QList<Token> &tokens, qsizetype at, Rewrite &rewrite)
{
    const int depth = tokens[at].depth;
    qsizetype termStart = at + 2;
    bool named = false;
    for (qsizetype i = termStart; i <= tokens.size(); ++i) {
        const bool ends = i == tokens.size() || tokens[i].depth < depth
                || (tokens[i].depth == depth
                    && (endsOrder(tokens[i]) || isSymbol(sql, tokens[i], ';')
                        || isSymbol(sql, tokens[i], ',')));
        if (!ends) {
            named = named || (tokens[i].depth == depth && isWord(tokens[i], "NULLS"));
            continue;
        }
        if (i > termStart && !named)
            rewrite.after(i - 1,
                          isWord(tokens[i - 1], "DESC") ? QStringLiteral(" NULLS LAST")
                                                        : QStringLiteral(" NULLS FIRST"));
        if (i == tokens.size() || !isSymbol(sql, tokens[i], ','))
            return;
        termStart = i + 1;
        named = false;
    }
}

// An operand of LIKE without its case. The server's lower() folds the letters of the text's
// collation: the tables' columns fold ASCII letters alone, as the file's engine does, and any
// other operand (a value, a literal, a function's result) is taken in the same collation, so
// that "É" still finds "Éclair" on a server whose own collation would fold it to "é".
void lowerOperand(const QList<Token> &tokens, qsizetype first, qsizetype last, Rewrite &rewrite)
{
    // An operand ending in a name is a (qualified) column.
    const bool column = isNameLike(tokens[last]);
    const bool mark = first == last && tokens[first].kind == Kind::Mark;
    rewrite.before(first, QStringLiteral("lower("));
    rewrite.after(last,
                  column ? QStringLiteral(")")
                         : (mark ? QStringLiteral("::text") : QString())
                                  + QStringLiteral(" COLLATE \"C\")"));
}

} // namespace

bool IsServerAddress(const QString &dataSource)
{
    const QString text = dataSource.trimmed();
    return text.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
            || text.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

namespace {

// A statement with the edits made to its tokens; one the tokenizer does not read stays as it is.
QString rewritten(const QString &sql,
                  const std::function<void(const QList<Token> &, Rewrite &)> &edit)
{
    const auto parsed = tokenize(sql);
    // Passed on as it stands, such a statement would mean something else on the server, or
    // fail there with words that point nowhere.
    if (!parsed)
        untranslatable(sql,
                       QStringLiteral("it holds a comment, a numbered or named value, or a quote "
                                      "or parenthesis left open"));
    Rewrite rewrite(sql, *parsed);
    edit(*parsed, rewrite);
    return rewrite.text();
}

// The statement in the server's words: names, functions, comparisons and order.
QString translate(const QString &sql)
{
    return rewritten(sql, [&sql](const QList<Token> &tokens, Rewrite &rewrite) {
        for (qsizetype i = 0; i < tokens.size(); ++i) {
            const Token &token = tokens[i];
            const bool next = i + 1 < tokens.size();
            if (token.kind == Kind::Name && !(i > 0 && isWord(tokens[i - 1], "COLLATE"))) {
                rewrite.replace(i, serverName(sql.mid(token.start, token.end - token.start)));
            } else if (isWord(token, "CSTR") && next && isOpen(sql, tokens[i + 1])) {
                rewrite.replace(i, QStringLiteral("CAST"));
                rewrite.before(matchingClose(sql, tokens, i + 1), QStringLiteral(" AS TEXT"));
            } else if (isWord(token, "COLLATE") && next && isWord(tokens[i + 1], "NOCASE")
                       && i > 0) {
                // Both sides of a comparison lose their case, or the value keeps its own.
                const qsizetype first = operandStart(sql, tokens, i - 1);
                rewrite.before(first, QStringLiteral("lower("));
                rewrite.replace(i, QStringLiteral(")"));
                rewrite.replace(i + 1, QString());
                const qsizetype after = i + 2;
                if (const qsizetype length = comparisonLength(sql, tokens, after);
                    length > 0 && after + length < tokens.size()) {
                    const qsizetype right = after + length;
                    lowerOperand(tokens, right, expressionEnd(sql, tokens, right), rewrite);
                } else if (after < tokens.size()
                           && (isWord(tokens[after], "IN") || isWord(tokens[after], "BETWEEN")
                               || isWord(tokens[after], "IS") || isWord(tokens[after], "NOT")
                               || isWord(tokens[after], "GLOB"))) {
                    untranslatable(sql,
                                   QStringLiteral("a caseless comparison other than =, <>, "
                                                  "<, >, <= or >="));
                }
                if (const qsizetype op = first > 0 ? comparisonBefore(sql, tokens, first - 1) : -1;
                    op > 0)
                    lowerOperand(tokens, expressionStart(sql, tokens, op - 1), op - 1, rewrite);
            } else if (isWord(token, "LIKE") && next && i > 0) {
                const qsizetype left = isWord(tokens[i - 1], "NOT") ? i - 2 : i - 1;
                if (left < 0)
                    continue;
                lowerOperand(tokens, expressionStart(sql, tokens, left), left, rewrite);
                lowerOperand(tokens, i + 1, expressionEnd(sql, tokens, i + 1), rewrite);
            } else if (isWord(token, "IS") && next) {
                // "x IS y" with a value: equal, or both NULL.
                const bool negated = isWord(tokens[i + 1], "NOT");
                const qsizetype value = negated ? i + 2 : i + 1;
                if (value < tokens.size() && !isWord(tokens[value], "NULL")
                    && !isWord(tokens[value], "TRUE") && !isWord(tokens[value], "FALSE")
                    && !isWord(tokens[value], "DISTINCT")) {
                    rewrite.replace(i,
                                    negated ? QStringLiteral("IS DISTINCT FROM")
                                            : QStringLiteral("IS NOT DISTINCT FROM"));
                    if (negated)
                        rewrite.replace(i + 1, QString());
                }
            } else if (isWord(token, "ORDER") && next && isWord(tokens[i + 1], "BY")) {
                placeNulls(sql, tokens, i, rewrite);
            }
        }
    });
}

// A table's definition on the server. Its integer key numbers the rows, which the grid reads
// in order of that key with NULL first (as it does any column): the key gets an index in that
// order too, as the primary key's own index cannot be made in it.
QStringList serverTable(QString statement)
{
    static const QRegularExpression keyColumn(
            QStringLiteral(
                    "CREATE\\s+TABLE\\s+(\\w+)\\s*\\(\\s*(\\w+)\\s+INTEGER\\s+PRIMARY\\s+KEY"),
            QRegularExpression::CaseInsensitiveOption);
    QStringList statements;
    const auto named = keyColumn.match(statement);
    static const QRegularExpression key(
            QStringLiteral("\\bINTEGER\\s+PRIMARY\\s+KEY(\\s+AUTOINCREMENT)?\\b"),
            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression text(QStringLiteral("\\bTEXT\\b"),
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression integer(QStringLiteral("\\bINTEGER\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
    statement.replace(key, QStringLiteral("BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY"));
    statement.replace(text, QStringLiteral("TEXT COLLATE \"C\""));
    statement.replace(integer, QStringLiteral("BIGINT"));
    statements << translate(statement);
    if (named.hasMatch())
        statements << QStringLiteral("CREATE UNIQUE INDEX %1_rows ON %1 (%2 NULLS FIRST)")
                              .arg(named.captured(1), named.captured(2));
    return statements;
}

// An index's columns keep NULL first, as the statements' ORDER BY terms ask. An index whose
// terms take a column without case also carries the first such column itself: the server then
// counts the matches of a search on it in the index alone, without reading each matching row.
// (A later caseless term only orders the rows, which are read anyway.)
QString serverIndex(const QString &statement)
{
    return translate(
            rewritten(statement, [&statement](const QList<Token> &tokens, Rewrite &rewrite) {
                qsizetype open = 0;
                while (open < tokens.size() && !isOpen(statement, tokens[open]))
                    ++open;
                if (open == tokens.size())
                    return;
                const qsizetype close = matchingClose(statement, tokens, open);
                QString caseless;
                qsizetype term = open + 1;
                for (qsizetype i = open + 1; i <= close; ++i) {
                    if (isWord(tokens[i], "NOCASE") && tokens[term].kind == Kind::Word
                        && caseless.isEmpty())
                        caseless = statement.mid(tokens[term].start,
                                                 tokens[term].end - tokens[term].start);
                    if (i == close
                        || (tokens[i].depth == tokens[open].depth + 1
                            && isSymbol(statement, tokens[i], ','))) {
                        rewrite.before(i, QStringLiteral(" NULLS FIRST"));
                        term = i + 1;
                    }
                }
                if (!caseless.isEmpty())
                    rewrite.after(close, QStringLiteral(" INCLUDE (%1)").arg(caseless));
            }));
}

// A statement that makes a table or an index, as the table script has them.
enum class Definition { None, Table, Index };

Definition definitionOf(const QString &statement)
{
    const QString start = statement.trimmed().section(QLatin1Char(' '), 0, 1).toUpper();
    if (start == QLatin1String("CREATE TABLE"))
        return Definition::Table;
    if (start == QLatin1String("CREATE INDEX") || start == QLatin1String("CREATE UNIQUE"))
        return Definition::Index;
    return Definition::None;
}

// One statement in the server's words; a table's definition may take two.
QStringList serverStatements(const QString &statement)
{
    switch (definitionOf(statement)) {
    case Definition::Table:
        return serverTable(statement);
    case Definition::Index:
        return {serverIndex(statement)};
    case Definition::None:
        break;
    }
    return {translate(statement)};
}

} // namespace

namespace {

// The statements translated so far, by their text: the program runs the same few hundred
// statements again and again, and each is read once. Learning names forgets them all.
QHash<QString, QString> &translated()
{
    static QHash<QString, QString> statements;
    return statements;
}

} // namespace

QString ServerStatement(const QString &sql)
{
    if (const auto known = translated().constFind(sql); known != translated().cend())
        return *known;
    // A table or an index made by a statement of its own is made as the table script makes it.
    QString statement = serverStatements(sql).join(QStringLiteral(";\n"));
    // Statements that carry their values in their text would fill it without end.
    constexpr qsizetype kKept = 4096;
    if (translated().size() >= kKept)
        translated().clear();
    translated().insert(sql, statement);
    return statement;
}

namespace {

QHash<QString, QString> &declaredNames()
{
    static QHash<QString, QString> names;
    return names;
}

} // namespace

void LearnNames(const QString &script)
{
    static const QRegularExpression table(
            QStringLiteral("CREATE\\s+TABLE\\s+(\\w+)\\s*\\(([^;]*)\\)"),
            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression column(QStringLiteral("(?:^|,)\\s*\\[?(\\w+)\\]?\\s"));
    translated().clear();
    const QString text = SplitScript(script).join(QStringLiteral(";\n"));
    for (auto tables = table.globalMatch(text); tables.hasNext();) {
        const auto match = tables.next();
        declaredNames().insert(match.captured(1).toLower(), match.captured(1));
        for (auto columns = column.globalMatch(match.captured(2)); columns.hasNext();) {
            const QString name = columns.next().captured(1);
            declaredNames().insert(name.toLower(), name);
        }
    }
}

QString FieldName(const QSqlDatabase &database, const QString &sql, const QString &name)
{
    return EngineOf(database).fieldName(sql, name);
}

QString ServerFieldName(const QString &sql, const QString &name)
{
    const qsizetype at = sql.indexOf(name, 0, Qt::CaseInsensitive);
    const auto isPart = [&](qsizetype i) {
        return i >= 0 && i < sql.size() && (sql[i].isLetterOrNumber() || sql[i] == u'_');
    };
    for (qsizetype i = at; i >= 0; i = sql.indexOf(name, i + 1, Qt::CaseInsensitive)) {
        if (!isPart(i - 1) && !isPart(i + name.size()))
            return sql.mid(i, name.size());
    }
    return declaredNames().value(name, name);
}

TableFacts FactsOf(const QSqlDatabase &database, const QString &table)
{
    return EngineOf(database).factsOf(database, table);
}

} // namespace db
