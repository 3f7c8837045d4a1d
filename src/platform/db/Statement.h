#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariantList>

namespace db {

// The one place where a statement reaches the engine: prepared, its values bound by position,
// executed. Throws DbError with the engine's description.
QSqlQuery RunStatement(const QSqlDatabase &database, const QString &sql, const QVariantList &values,
                       bool forwardOnly = true);

} // namespace db
