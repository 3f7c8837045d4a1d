#pragma once

#include <QString>

// Makes a new database file at path with every table and the starting rows: the "[All Groups]"
// pseudo-group, the account admin in group "Administrator", everyday groups and patterns, and
// the report catalogue. Makes its folder when missing; refuses an existing file. Throws
// db::DbError.
void CreateDatabase(const QString &path);
