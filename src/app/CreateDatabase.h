#pragma once

#include <QString>

#include <functional>

namespace db {
class Connection;
}

// Learns the program's own tables before any database is opened: the case of their names, and
// the triggers that opening a file accepts.
void KnowOwnTables();

// Makes a new database file at path with every table and the starting rows: the "[All Groups]"
// pseudo-group, the account admin in group "Administrator", everyday groups and patterns, and
// the report catalogue. Refuses an existing file; a failure half-way leaves no file behind.
// Missing folders are made for their owner only. Throws db::DbError.
void CreateDatabase(const QString &path);
// The same with other starting rows, written by seed.
void CreateDatabase(const QString &path, const std::function<void(db::Connection &)> &seed);

// Brings a database file made by an earlier version up to the tables this version uses: each
// column it lacks is added, null in every row, with the indexes over it, and each table it lacks
// (the volumes and their folders) is made, all in one transaction.
// Rows are never changed, except that the files of a database made before groups were numbered
// get their group's number; a file that is up to date, or open for reading only, is only looked
// at. Throws db::DbError.
void UpgradeDatabase(db::Connection &connection);

// Within the caller's transaction: gives each catalogued file that has a group but not its
// number the number of its group, numbering the names not seen before. The program writes the
// number with every file it adds; rows added otherwise get it here. Throws db::DbError.
void NumberFileGroups(db::Connection &connection);
// The same for the rows of table (the catalogue's or the staging table) that the condition rows
// picks, and the subquery that gives a row of table its group's number.
void NumberGroupsOf(db::Connection &connection, const QString &table, const QString &rows);
QString GroupNumberOf(const QString &table);

// The version of the tables this release makes, kept in the file; SchemaVersion reads it from
// an open database (0 for a file made before versions were kept). Throws db::DbError.
inline constexpr int kSchemaVersion = 5;
int SchemaVersion(db::Connection &connection);
