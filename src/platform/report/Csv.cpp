#include "platform/report/Csv.h"

#include <algorithm>

namespace report {

namespace {

bool needsQuotes(const QString &value)
{
    static const QString kSpecial = QStringLiteral(",\"\r\n");
    return std::any_of(value.begin(), value.end(), [](QChar c) { return kSpecial.contains(c); });
}

void appendQuoted(QByteArray &line, const QString &value)
{
    QString doubled = value;
    doubled.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    line += '"' + doubled.toUtf8() + '"';
}

} // namespace

bool RunsAsFormula(const QString &value)
{
    static const QString kFormulaStart = QStringLiteral("=+-@\t\r");
    return !value.isEmpty() && kFormulaStart.contains(value.front());
}

void AppendCsvLine(QByteArray &buffer, const QStringList &fields)
{
    if (fields.size() == 1 && fields[0].isEmpty()) {
        buffer += "\"\"\r\n";
        return;
    }
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            buffer += ',';
        if (RunsAsFormula(fields[i]))
            appendQuoted(buffer, QLatin1Char('\'') + fields[i]);
        else if (needsQuotes(fields[i]))
            appendQuoted(buffer, fields[i]);
        else
            buffer += fields[i].toUtf8();
    }
    buffer += "\r\n";
}

} // namespace report
