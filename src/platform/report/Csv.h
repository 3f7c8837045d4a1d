#pragma once

#include <QByteArray>
#include <QStringList>

namespace report {

// Appends one CSV line to buffer: the fields in UTF-8, separated by commas, ended by CRLF. A
// field holding a comma, a quote or a line break is quoted with its quotes doubled; a line of a
// single empty field is written as "" so that readers do not take it for a blank line and drop
// the row.
void AppendCsvLine(QByteArray &buffer, const QStringList &fields);

} // namespace report
