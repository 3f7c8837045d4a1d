#pragma once

#include <QString>

#include <functional>

namespace db {
class Connection;
}

// Makes a new database file at path with every table and the starting rows: the "[All Groups]"
// pseudo-group, the account admin in group "Administrator", everyday groups and patterns, and
// the report catalogue. Refuses an existing file; a failure half-way leaves no file behind.
// Missing folders are made for their owner only. Throws db::DbError.
void CreateDatabase(const QString &path);
// The same with other starting rows, written by seed.
void CreateDatabase(const QString &path, const std::function<void(db::Connection &)> &seed);
