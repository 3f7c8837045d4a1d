#pragma once

#include <QString>
#include <QVariantList>

namespace db {

class Connection;

// The distinct values of an indexed column, as "select distinct <column> from <table> order by
// <column>" gives them (a NULL first when there is one), found by stepping through the column's
// index from one value to the next instead of reading every row: a filter list over a catalogue
// of a million files fills in milliseconds. table and column are the program's own names, never
// text from a user. Throws DbError.
QVariantList DistinctValues(Connection &connection, const QString &table, const QString &column);

} // namespace db
