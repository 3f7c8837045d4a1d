#include "app/session.h"

#include "app/CreateDatabase.h"
#include "app/modGlobals.h"
#include "platform/db/Connection.h"
#include "platform/db/DbError.h"
#include "platform/ui/Progress.h"

#include <QCoreApplication>

#include <array>
#include <optional>

namespace {

// Fewer files than this are added to the text index without a window.
constexpr qint64 kIndexShownFrom = 20000;

// Files added to the catalogue since its text index last took rows in (by another desk or an
// older program, or all of them after the upgrade that made the index) are added now. Many show
// their count, and Cancel leaves the rest for the next opening; until then a search reads those
// rows themselves, so nothing is missed meanwhile, and a failure here leaves them so too.
void indexAddedFiles(db::Connection &connection)
{
    try {
        if (!connection.Writable())
            return;
        const qint64 total = FilesToIndex(connection);
        if (total == 0)
            return;
        std::optional<ProgressBox> box;
        if (total >= kIndexShownFrom)
            box.emplace(QStringLiteral("File Index"), QString());
        IndexAddedFiles(connection, [&](qint64 done) {
            if (!box)
                return true;
            box->Update(done,
                        QStringLiteral("Indexing the catalogued files for searches: %L1 of %L2 "
                                       "done.\nCancel leaves the rest for the next opening of "
                                       "the catalogue.")
                                .arg(done)
                                .arg(total));
            return !box->Cancelled();
        });
    } catch (const db::DbError &) {
        // Another desk holds the file: the rows wait for the next opening.
    }
}

} // namespace

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
    indexAddedFiles(SharedConnection());
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
