#include "app/CUtils.h"

#include "app/CParm.h"
#include "app/SettingKeys.h"
#include "app/modGlobals.h"
#include "platform/Clock.h"

#include <QCoreApplication>

bool CUtils::isSetUp() const
{
    try {
        return !Parm().getRParm(SettingKey::Complete, QString()).isEmpty();
    } catch (...) {
        return false;
    }
}

namespace {

// The digits of sDate at a 1-based position, or the clock's value when the token is absent.
int part(const QString &sDate, qsizetype position, int length, int fallback)
{
    if (position < 1)
        return fallback;
    // Plain digits only: a sign, a blank or a line break where a digit belongs is no date.
    const QString digits = sDate.mid(position - 1, length);
    if (digits.size() != length)
        throw ConversionError("Type mismatch");
    int value = 0;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            throw ConversionError("Type mismatch");
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

} // namespace

QDateTime CUtils::toDate(const QString &sDate, QString &sFormat) const
{
    const QDateTime now = Now();
    sFormat = sFormat.toLower();
    const auto at = [&](const char *token) {
        return sFormat.indexOf(QLatin1String(token)) + 1;
    };
    const int year = part(sDate, at("yyyy"), 4, now.date().year());
    const int month = part(sDate, at("mm"), 2, now.date().month());
    const int day = part(sDate, at("dd"), 2, now.date().day());
    const int hour = part(sDate, at("hh"), 2, now.time().hour());
    const int minute = part(sDate, at("nn"), 2, now.time().minute());
    const int second = part(sDate, at("ss"), 2, now.time().second());
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid())
        throw ConversionError("Type mismatch");
    return QDateTime(date, time);
}

QVariant CUtils::getNonNull(const QVariant &pvVar, const QVariant &pvDefault) const
{
    return pvVar.isNull() ? pvDefault : pvVar;
}

QString CUtils::getExePath() const
{
    return QCoreApplication::applicationDirPath();
}

QString CUtils::quote2MSSQL(const QString &psArg) const
{
    if (!psArg.contains(QLatin1Char('\'')))
        return QStringLiteral(" '") + psArg + QStringLiteral("' ");
    QString result = QStringLiteral(" ");
    bool outside = true;
    bool first = true;
    for (const QChar c : psArg) {
        if (c == QLatin1Char('\'')) {
            if (!outside)
                result += QLatin1Char('\'');
            if (!first)
                result += QStringLiteral(" + ");
            result += QStringLiteral(" CHAR(39) ");
            outside = true;
        } else {
            if (outside) {
                if (!first)
                    result += QStringLiteral(" + ");
                result += QLatin1Char('\'');
            }
            result += c;
            outside = false;
        }
        first = false;
    }
    if (!outside)
        result += QStringLiteral("' ");
    return result;
}

QString Trim(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == QLatin1Char(' '))
        ++begin;
    while (end > begin && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

QString TextOf(const QVariant &value)
{
    return value.isNull() ? QString() : value.toString();
}
