#include "platform/db/Tokens.h"

#include "platform/db/DbError.h"

#include <QRegularExpression>

namespace db::tokens {

namespace {

bool isWordStart(QChar c)
{
    return c.isLetter() || c == u'_' || c.unicode() > 0x7f;
}

bool isWordPart(QChar c)
{
    return isWordStart(c) || c.isDigit() || c == u'$';
}

// The end of a quoted part that starts at `at` and closes with `close` (doubled to stand for
// itself), or -1 when it never closes.
qsizetype quotedEnd(const QString &sql, qsizetype at, QChar close)
{
    for (qsizetype i = at + 1; i < sql.size(); ++i) {
        if (sql[i] != close)
            continue;
        if (close != u']' && i + 1 < sql.size() && sql[i + 1] == close) {
            ++i;
            continue;
        }
        return i + 1;
    }
    return -1;
}

qsizetype numberEnd(const QString &sql, qsizetype start)
{
    const bool hex = sql.mid(start, 2).compare(QLatin1String("0x"), Qt::CaseInsensitive) == 0;
    qsizetype i = start;
    while (i < sql.size()) {
        const QChar c = sql[i];
        const bool exponentSign = !hex && (c == u'+' || c == u'-') && i > start
                && (sql[i - 1] == u'e' || sql[i - 1] == u'E');
        if (!(c.isLetterOrNumber() || c == u'.' || c == u'_' || exponentSign))
            break;
        ++i;
    }
    return i;
}

} // namespace

std::optional<QList<Token>> tokenize(const QString &sql)
{
    QList<Token> tokens;
    int depth = 0;
    qsizetype i = 0;
    while (i < sql.size()) {
        const QChar c = sql[i];
        const QChar next = i + 1 < sql.size() ? sql[i + 1] : QChar();
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if ((c == u'-' && next == u'-') || (c == u'/' && next == u'*'))
            return std::nullopt;
        Token token{Kind::Symbol, i, i + 1, depth, {}};
        if (c == u'\'' || c == u'"' || c == u'`' || c == u'[') {
            token.kind = c == u'\'' ? Kind::Literal : Kind::Name;
            token.end = quotedEnd(sql, i, c == u'[' ? QChar(u']') : c);
            if (token.end < 0)
                return std::nullopt;
        } else if (c == u'?') {
            if (next.isDigit())
                return std::nullopt;
            token.kind = Kind::Mark;
        } else if (c == u':' || c == u'@' || c == u'$') {
            return std::nullopt;
        } else if (isWordStart(c)) {
            token.kind = Kind::Word;
            while (token.end < sql.size() && isWordPart(sql[token.end]))
                ++token.end;
            token.word = sql.mid(i, token.end - i).toUpper();
        } else if (c.isDigit() || (c == u'.' && next.isDigit())) {
            token.kind = Kind::Number;
            token.end = numberEnd(sql, i);
        } else if (c == u'(') {
            ++depth;
        } else if (c == u')') {
            if (--depth < 0)
                return std::nullopt;
            token.depth = depth;
        }
        tokens << token;
        i = token.end;
    }
    if (depth != 0)
        return std::nullopt;
    return tokens;
}

bool isWord(const Token &token, const char *word)
{
    return token.kind == Kind::Word && token.word == QLatin1String(word);
}

bool isSymbol(const QString &sql, const Token &token, char symbol)
{
    return token.kind == Kind::Symbol && sql[token.start] == QLatin1Char(symbol);
}

QString textOf(const QString &sql, const QList<Token> &tokens, qsizetype first, qsizetype last)
{
    return sql.mid(tokens[first].start, tokens[last - 1].end - tokens[first].start);
}

} // namespace db::tokens

namespace db {

namespace {

// Whether the statement so far makes a trigger, whose body holds statements ended by ";".
bool makesTrigger(const QString &statement)
{
    const QStringList words = statement.simplified().toUpper().split(QLatin1Char(' '));
    const qsizetype at = words.size() > 2 && words[1].startsWith(QLatin1String("TEMP")) ? 2 : 1;
    return words.size() > at && words[0] == QLatin1String("CREATE")
            && words[at] == QLatin1String("TRIGGER");
}

// A trigger of the file's engine runs a body of statements between BEGIN and END; a server's
// names a function instead.
bool hasBody(const QString &statement)
{
    static const QRegularExpression begin(QStringLiteral("\\bBEGIN\\b"),
                                          QRegularExpression::CaseInsensitiveOption);
    return begin.match(statement).hasMatch();
}

bool endsWithWordEnd(const QString &statement)
{
    const QString text = statement.trimmed();
    return text.endsWith(QLatin1String("END"), Qt::CaseInsensitive)
            && (text.size() == 3
                || !(text[text.size() - 4].isLetterOrNumber() || text[text.size() - 4] == u'_'));
}

} // namespace

QStringList SplitScript(const QString &script)
{
    QStringList statements;
    QString current;
    const auto finish = [&] {
        if (!current.trimmed().isEmpty())
            statements << current.trimmed();
        current.clear();
    };
    qsizetype i = 0;
    while (i < script.size()) {
        const QChar c = script[i];
        const QChar next = i + 1 < script.size() ? script[i + 1] : QChar();
        if (c == u'-' && next == u'-') {
            const qsizetype end = script.indexOf(QLatin1Char('\n'), i);
            current += QLatin1Char('\n');
            i = end < 0 ? script.size() : end + 1;
        } else if (c == u'/' && next == u'*') {
            const qsizetype end = script.indexOf(QLatin1String("*/"), i + 2);
            if (end < 0)
                throw DbError(QStringLiteral("The table definitions end inside a comment."));
            current += QLatin1Char(' ');
            i = end + 2;
        } else if (c == u'\'' || c == u'"' || c == u'`' || c == u'[') {
            const QChar close = c == u'[' ? QChar(u']') : c;
            qsizetype end = i + 1;
            for (;; ++end) {
                if (end >= script.size())
                    throw DbError(QStringLiteral("The table definitions end inside a quote."));
                if (script[end] != close)
                    continue;
                // A doubled quote stands for itself.
                if (close != u']' && end + 1 < script.size() && script[end + 1] == close) {
                    ++end;
                    continue;
                }
                break;
            }
            current += script.mid(i, end + 1 - i);
            i = end + 1;
        } else if (c == u';') {
            // A trigger's body ends its statements with ";" too: only its END ends it.
            if (makesTrigger(current) && hasBody(current) && !endsWithWordEnd(current)) {
                current += c;
            } else {
                finish();
            }
            ++i;
        } else {
            current += c;
            ++i;
        }
    }
    finish();
    return statements;
}

} // namespace db
