#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace db {

// The statements of the program are written for the database file's engine. A database on a
// server is reached through the same statements: this layer, and only this layer, turns them into
// the server's dialect on their way to it, so that windows never know which engine they use.

// True when a data source is a server's address (postgresql://... or postgres://...) rather than
// a file's path.
bool IsServerAddress(const QString &dataSource);

// A statement in the server's dialect, meaning on the server what it means in a file:
// - [name] and other quoted names become the server's quoted names, in lower case as the server
//   keeps names written bare;
// - CStr(x) becomes CAST(x AS TEXT);
// - "x LIKE y" ignores the case of ASCII letters as the file's engine does, through
//   lower(x) LIKE lower(y), which the server's expression indexes answer;
// - "x COLLATE NOCASE" becomes lower(x), which orders text the same way;
// - every ORDER BY term sorts NULL first when ascending and last when descending.
// - "x COLLATE NOCASE" compared with "=", "<>", "<", ">", "<=" or ">=" lowers the other side
//   too, so that the comparison ignores case on both sides;
// - LIKE and the comparisons take the whole of an operand built with "||" and the arithmetic
//   operators, which bind more tightly.
// Text columns on the server compare byte by byte (collation "C"), so "=" stays case-sensitive
// and text sorts in the same order on both engines. A statement the layer cannot read safely
// (comments, numbered or named parameters, a quote left open) or translate (a caseless IN,
// BETWEEN or IS) is refused with DbError, never passed on as it stands.
QString ServerStatement(const QString &sql);

// A server keeps the names written bare in lower case and hands them back so. The layer gives
// a field the case in which the statement names it, or else the case in which a table script it
// learnt declares it, as the file's engine does.
void LearnNames(const QString &script);
QString FieldName(const QSqlDatabase &database, const QString &sql, const QString &name);
// The same for a server's field.
QString ServerFieldName(const QString &sql, const QString &name);

// What the grid needs to know of a table: its text columns, and the column that numbers its
// rows in the order they were added (rowid in a file; on the server the table's integer
// primary key, empty when it has none).
struct TableFacts
{
    QStringList textColumns;
    QString rowKey;
};
TableFacts FactsOf(const QSqlDatabase &database, const QString &table);

// The server's table that holds the version of the tables.
inline constexpr const char *kVersionTable = "schema_version";

} // namespace db
