#pragma once

#include "platform/report/Definition.h"

#include <QString>
#include <QVariantList>

class QWidget;

namespace db {
class Connection;
}

namespace report {

// Shows a report modally in a print preview over the rows of sql with its bound values. The
// preview prints, and through its "Save as PDF..." (kSavePdf) and "Export CSV..." (kExportCsv)
// actions writes the report to a file the user names. The window's objectName is the report's
// name; caption is its title (the report's title when empty). The statement runs once before
// anything is shown, so a failing statement or a field the rows lack throws db::DbError to the
// caller. The connection must stay open until the preview closes.
void ShowPreview(const Definition &definition, db::Connection &connection, const QString &sql,
                 const QVariantList &values = {}, const QString &caption = {},
                 QWidget *owner = nullptr);

} // namespace report
