#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace db {
class Connection;
}

// The groups of the catalogue's files. Each group name a file has carried has a number, which
// the files hold beside the name and which the group filter's indexes carry: renaming a group
// renumbers nothing and changes one row at once, and the files' names follow in short steps.
namespace catalogue {

// The names of the groups that at least one catalogued file belongs to, in the order of the
// names' characters. Throws db::DbError.
QStringList GroupsInUse(db::Connection &connection);

// Gives the group name a number, unless it has one. Rows written afterwards with the name can
// carry the number at once, where a row written without it is written a second time to get it.
// Throws db::DbError.
void NumberGroup(db::Connection &connection, const QString &name);

// Within the caller's transaction: gives every staged row the number of its group, numbering
// the names not seen before, so that the rows are copied to the catalogue with it.
// Throws db::DbError.
void NumberStagedGroups(db::Connection &connection);

// Within the caller's transaction: the files of group from now belong to group to. When no file
// has been in group to, the number of from takes the name to and the files' own names are left
// to CarryGroupNames. Otherwise the files of the smaller group take the other's number here;
// when those are the files of from, names and all. Throws db::DbError.
void MoveFileGroup(db::Connection &connection, const QString &from, const QString &to);

// Gives the files of each renamed group the group's new name, a step of rows at a time, each
// step a transaction of its own, so that other desks write between them. A step that fails, or
// the program ending, leaves the rest to the next call. Nothing on a connection that may only
// read. Throws db::DbError.
// After each step that leaves more to do, stepped (when given) learns how many files have the
// new name so far, and stops the carrying by answering false.
void CarryGroupNames(db::Connection &connection, const std::function<bool(qint64)> &stepped = {});
// The same, with a progress window (shown once a first step leaves more to do) whose Cancel
// leaves the rest for the next call.
void CarryGroupNamesShown(db::Connection &connection, QWidget *owner);

} // namespace catalogue
