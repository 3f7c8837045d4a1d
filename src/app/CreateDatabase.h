#pragma once

#include <QString>

namespace db {
class Connection;
}

// Makes a new database file at path with every table and the starting rows: the "[All Groups]"
// pseudo-group, the account admin in group "Administrator", everyday groups and patterns, and
// the report catalogue. Makes its folder when missing; refuses an existing file. Throws
// db::DbError.
void CreateDatabase(const QString &path);

// Brings a database file made by an earlier version up to the tables this version uses: each
// column it lacks is added, null in every row, with the indexes over it, in one transaction.
// Rows are never changed, and a file that is up to date is only looked at. Throws db::DbError.
void UpgradeDatabase(db::Connection &connection);
