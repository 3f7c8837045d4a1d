// The text and date helpers: toDate reads exactly the digits its layout names or refuses,
// FixQuotes and quote2MSSQL spell back to the text they were given, Trim only takes blanks off.

#include "Check.h"
#include "app/CUtils.h"
#include "app/modGlobals.h"
#include "platform/Clock.h"

#include <optional>

namespace {

const QDateTime kNow(QDate(2026, 12, 7), QTime(9, 30, 15));

struct Token
{
    const char *name;
    int length;
    int (*value)(const QDateTime &);
};

const Token kTokens[] = {
        {"yyyy", 4,
         [](const QDateTime &d) {
             return d.date().year();
         }},
        {"mm", 2,
         [](const QDateTime &d) {
             return d.date().month();
         }},
        {"dd", 2,
         [](const QDateTime &d) {
             return d.date().day();
         }},
        {"hh", 2,
         [](const QDateTime &d) {
             return d.time().hour();
         }},
        {"nn", 2,
         [](const QDateTime &d) {
             return d.time().minute();
         }},
        {"ss", 2,
         [](const QDateTime &d) {
             return d.time().second();
         }},
};

void checkToDate(const QString &text, const QString &layout)
{
    QString format = layout;
    QDateTime date;
    try {
        date = Utils().toDate(text, format);
    } catch (const ConversionError &) {
        return;
    }
    const QString shown = Shown(text) + QLatin1Char(' ') + Shown(layout);
    FUZZ_CHECK(format == layout.toLower(), shown);
    FUZZ_CHECK(date.isValid(), shown);
    // Each part the layout names is read from exactly its digits; the others are the clock's.
    for (const Token &token : kTokens) {
        const qsizetype at = format.indexOf(QLatin1String(token.name));
        const int value = token.value(date);
        if (at < 0) {
            FUZZ_CHECK(value == token.value(kNow), shown + QLatin1Char(' ') + token.name);
            continue;
        }
        const QString digits = QStringLiteral("%1").arg(value, token.length, 10, QLatin1Char('0'));
        FUZZ_CHECK(text.mid(at, token.length) == digits,
                   shown + QLatin1Char(' ') + token.name + QStringLiteral(" read as ") + digits);
    }
}

void checkFixQuotes(const QString &text)
{
    const QString fixed = FixQuotes(text);
    FUZZ_CHECK(fixed.size() == text.size() + text.count(QLatin1Char('\'')), Shown(text));
    FUZZ_CHECK(QString(fixed).replace(QStringLiteral("''"), QStringLiteral("'")) == text,
               Shown(text));
}

// The value of a SQL Server expression made only of string literals, CHAR(39) and "+".
std::optional<QString> evaluate(const QString &expression)
{
    QString value;
    qsizetype i = 0;
    bool expectTerm = true;
    const auto blanks = [&] {
        while (i < expression.size() && expression[i] == u' ')
            ++i;
    };
    for (blanks(); i < expression.size(); blanks()) {
        if (!expectTerm) {
            if (expression[i] != u'+')
                return std::nullopt;
            ++i;
            expectTerm = true;
            continue;
        }
        if (expression.mid(i, 8) == QLatin1String("CHAR(39)")) {
            value += u'\'';
            i += 8;
        } else if (expression[i] == u'\'') {
            for (++i;; ++i) {
                if (i >= expression.size())
                    return std::nullopt;
                if (expression[i] == u'\'') {
                    if (i + 1 < expression.size() && expression[i + 1] == u'\'') {
                        value += u'\'';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += expression[i];
            }
        } else {
            return std::nullopt;
        }
        expectTerm = false;
    }
    if (expectTerm)
        return std::nullopt;
    return value;
}

void checkQuote2MSSQL(const QString &text)
{
    const QString expression = Utils().quote2MSSQL(text);
    const std::optional<QString> value = evaluate(expression);
    FUZZ_CHECK(value.has_value() && *value == text, Shown(text) + QLatin1Char(' ') + expression);
}

void checkTrim(const QString &text)
{
    const QString trimmed = Trim(text);
    FUZZ_CHECK(!trimmed.startsWith(u' ') && !trimmed.endsWith(u' '), Shown(text));
    const qsizetype at = text.indexOf(trimmed);
    FUZZ_CHECK(at >= 0 && text.left(at).count(u' ') == at
                       && text.mid(at + trimmed.size()).count(u' ')
                               == text.size() - at - trimmed.size(),
               Shown(text));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    SetNow(kNow);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const QString layout = TakeText(input, 24);
    const QString text = RestAsText(input);
    checkToDate(text, layout);
    checkFixQuotes(text);
    checkQuote2MSSQL(text);
    checkTrim(text);
    return 0;
}
