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

// The text index of a database file (see filetext in the table script): whether the database
// keeps one, and how many catalogued files were added after the rows it holds. A server's
// indexes keep every row, so it has none of its own. Throws db::DbError.
bool HasTextIndex(db::Connection &connection);
qint64 FilesToIndex(db::Connection &connection);
// The table of the text index that holds a column of the catalogue; empty for a column it does
// not keep.
QString TextIndexOf(const QString &column);
// Adds the files added since to the text index, in steps of at most step rows, each in its own
// transaction unless the caller's is open; progress, when given, hears the rows done after each
// step and may stop the work by returning false (the rest is added another time). Returns
// whether all were added. Throws db::DbError.
bool IndexAddedFiles(db::Connection &connection,
                     const std::function<bool(qint64 done)> &progress = {}, qint64 step = 50000);

// The version of the tables this release makes, kept in the file; SchemaVersion reads it from
// an open database (0 for a file made before versions were kept). Throws db::DbError.
inline constexpr int kSchemaVersion = 6;
int SchemaVersion(db::Connection &connection);
