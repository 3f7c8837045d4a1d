#pragma once

#include <QByteArrayView>
#include <QString>
#include <QVariantList>

#include <functional>
#include <span>

struct sqlite3;

namespace db {

class Connection;

// Walks the rows of a select as the engine's own UTF-8 text, handing each row's columns to visit
// without making values of them (a null column is an empty view). For rows that leave the
// program as bytes, a terminal's lines or a file's, where a million rows must flow as fast as
// the engine reads them; windows read through Reader and Recordset. Values are bound by
// position as RunStatement binds them. Returns the number of rows; throws DbError with the
// engine's description.
qint64 ForEachTextRow(Connection &connection, const QString &sql, const QVariantList &values,
                      const std::function<void(std::span<const QByteArrayView>)> &visit);

// The two engines' ways of it: the file's through the engine's own interface, the server's
// through the toolkit's driver.
qint64 FileTextRows(sqlite3 *engine, const QString &sql, const QVariantList &values,
                    const std::function<void(std::span<const QByteArrayView>)> &visit);
qint64 ServerTextRows(Connection &connection, const QString &sql, const QVariantList &values,
                      const std::function<void(std::span<const QByteArrayView>)> &visit);

} // namespace db
