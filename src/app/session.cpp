#include "app/session.h"

#include "app/modGlobals.h"

#include <QCoreApplication>

db::Connection &SharedConnection()
{
    static db::Connection connection;
    return connection;
}

db::Recordset &SharedRecordset()
{
    static db::Recordset recordset;
    return recordset;
}

db::Recordset &SharedRecordset2()
{
    static db::Recordset recordset;
    return recordset;
}

db::Recordset &SharedRecordset3()
{
    static db::Recordset recordset;
    return recordset;
}

void ReopenConnection()
{
    if (SharedConnection().State() == 1)
        SharedConnection().Close();
    SharedConnection().Open(ConnectString);
}

void RunOn(db::Recordset &recordset, const QString &sql, const QVariantList &values)
{
    SqlText = sql;
    if (recordset.State() == 1)
        recordset.Close();
    // Only repaints run here, so no click can start a second operation on this record set.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    recordset.Open(SqlText, SharedConnection(), values);
}

void CloseSession()
{
    SharedRecordset().Close();
    SharedRecordset2().Close();
    SharedRecordset3().Close();
    SharedConnection().Close();
}
