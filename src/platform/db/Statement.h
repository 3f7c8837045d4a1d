#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariantList>

namespace db {

// The one place where a statement reaches the engine: prepared, its values bound by position,
// executed. Throws DbError with the engine's description.
QSqlQuery RunStatement(const QSqlDatabase &database, const QString &sql, const QVariantList &values,
                       bool forwardOnly = true);

// The two halves of RunStatement, for a statement prepared once and executed many times.
QSqlQuery PrepareStatement(const QSqlDatabase &database, const QString &sql,
                           bool forwardOnly = true);
// Binds exactly these values, replacing those of an earlier execution, and executes.
void ExecuteStatement(QSqlQuery &query, const QVariantList &values);

} // namespace db
