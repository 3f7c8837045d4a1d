#pragma once

#include <QByteArray>
#include <QStringList>

namespace report {

// Appends one CSV line to buffer: the fields in UTF-8, separated by commas, ended by CRLF. A
// field holding a comma, a quote or a line break is quoted with its quotes doubled; a line of a
// single empty field is written as "" so that readers do not take it for a blank line and drop
// the row. A field that a spreadsheet would run as a formula (RunsAsFormula) is quoted with a
// single quote put before it, so that it shows as the text it is; a reader that wants the value
// itself takes that one quote off again.
void AppendCsvLine(QByteArray &buffer, const QStringList &fields);

// Whether a spreadsheet opening the field would take it for a formula: it begins with "=", "+",
// "-", "@", a tab or a carriage return.
bool RunsAsFormula(const QString &value);

} // namespace report
