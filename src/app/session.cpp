#include "app/session.h"

#include "app/CreateDatabase.h"
#include "app/modGlobals.h"
#include "platform/db/Connection.h"

#include <QCoreApplication>

#include <array>

db::Connection &SharedConnection()
{
    static db::Connection connection;
    return connection;
}

db::Recordset &SessionRecordset(int which)
{
    static std::array<db::Recordset, 3> recordsets;
    return recordsets.at(static_cast<size_t>(which));
}

void ReopenConnection()
{
    if (SharedConnection().State() == 1)
        SharedConnection().Close();
    SharedConnection().Open(ConnectString);
    try {
        UpgradeDatabase(SharedConnection());
    } catch (...) {
        // A file refused here is not left open for the next statement.
        SharedConnection().Close();
        throw;
    }
}

void OpenConnectionIfClosed()
{
    if (SharedConnection().State() != 1)
        ReopenConnection();
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

qint64 RunCommand(const QString &sql, const QVariantList &values)
{
    SqlText = sql;
    return SharedConnection().Execute(SqlText, values);
}

qint64 RunUpdateAsRead(const db::RowAsRead &row, const QString &sql, const QVariantList &values)
{
    SqlText = row.guarded(sql);
    return row.Update(SharedConnection(), sql, values);
}

qint64 RunDeleteAsRead(const db::RowAsRead &row, const QString &sql, const QVariantList &values)
{
    SqlText = row.guarded(sql);
    return row.Delete(SharedConnection(), sql, values);
}

void CloseSession()
{
    for (int which = 0; which < 3; ++which)
        SessionRecordset(which).Close();
    SharedConnection().Close();
}
