#include "reports/ShowReport.h"

#include "app/modGlobals.h"
#include "platform/db/Connection.h"
#include "platform/report/Preview.h"
#include "reports/Layouts.h"

void ShowReport(const QString &layout, const QString &sql, const QVariantList &values,
                const QString &caption, QWidget *owner)
{
    const report::Definition *definition = ReportLayout(layout);
    if (!definition)
        throw db::DbError(QStringLiteral("There is no report named %1.").arg(layout));
    // Each report reads through a connection of its own, kept while its preview is open.
    db::Connection reportConnection;
    reportConnection.Open(ConnectString);
    report::ShowPreview(*definition, reportConnection, sql, values, caption, owner);
}
