#pragma once

#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"

#include <QVariantList>

// The database session shared by the windows: one connection and three record sets.
db::Connection &SharedConnection();
db::Recordset &SharedRecordset();
db::Recordset &SharedRecordset2();
db::Recordset &SharedRecordset3();

// Closes the shared connection when it is open and opens it again with ConnectString.
void ReopenConnection();
// Puts sql into SqlText, closes the record set when open, lets pending repaints run, and opens
// the record set on the statement with its bound values. Throws db::DbError.
void RunOn(db::Recordset &recordset, const QString &sql, const QVariantList &values = {});
// Closes every shared object, as when the program ends.
void CloseSession();
