#pragma once

#include "platform/db/Recordset.h"
#include "platform/db/RowAsRead.h"

#include <QVariantList>

// Only named here: a file that works the shared connection itself includes its header, so that
// a change to the connection rebuilds those files and not every window.
namespace db {
class Connection;
} // namespace db

// The database session shared by the windows: one connection and three record sets.
db::Connection &SharedConnection();
// The record sets by number: 0 the first, 1 the pickers' second, 2 the third for updates.
db::Recordset &SessionRecordset(int which);
inline db::Recordset &SharedRecordset()
{
    return SessionRecordset(0);
}
inline db::Recordset &SharedRecordset2()
{
    return SessionRecordset(1);
}
inline db::Recordset &SharedRecordset3()
{
    return SessionRecordset(2);
}

// Closes the shared connection when it is open and opens it again with ConnectString; a file
// made by an earlier version gains the columns this one uses (UpgradeDatabase).
void ReopenConnection();
// ReopenConnection, unless the shared connection is open already.
void OpenConnectionIfClosed();
// Puts sql into SqlText, closes the record set when open, lets pending repaints run, and opens
// the record set on the statement with its bound values. Throws db::DbError.
void RunOn(db::Recordset &recordset, const QString &sql, const QVariantList &values = {});
// Puts sql into SqlText and runs it on the shared connection, for statements without rows;
// returns the number of rows changed. Throws db::DbError.
qint64 RunCommand(const QString &sql, const QVariantList &values = {});
// RunCommand for an update of a row a window showed: it writes only while the row is as it was
// read, and otherwise throws db::RowChangedError, which says whether another desk changed or
// removed it. sql ends in the WHERE condition that finds the row (see db::RowAsRead).
qint64 RunUpdateAsRead(const db::RowAsRead &row, const QString &sql,
                       const QVariantList &values = {});
// The same for a delete of a row a window showed: a row changed at another desk since is kept
// (db::RowChangedError), one removed there already is gone as asked (0 rows).
qint64 RunDeleteAsRead(const db::RowAsRead &row, const QString &sql,
                       const QVariantList &values = {});
// Closes every shared object, as when the program ends.
void CloseSession();
