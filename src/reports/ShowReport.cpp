#include "reports/ShowReport.h"

#include "platform/db/DbError.h"

void ShowReport(const QString &, const QString &, const QVariantList &, const QString &, QWidget *)
{
    throw db::DbError(QStringLiteral("not yet"));
}
