#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariantList>

#include <functional>

struct sqlite3;

namespace db {

// The engine's own connection under a database of the layer, for what only the engine's
// interface offers. Throws DbError when there is none.
sqlite3 *EngineHandle(const QSqlDatabase &database);

// The engine's own words for a failure, as the error traps show them.
QString Describe(const QSqlError &error);

// The one place where a statement reaches the engine: prepared, its values bound by position,
// executed. Throws DbError with the engine's description.
QSqlQuery RunStatement(const QSqlDatabase &database, const QString &sql, const QVariantList &values,
                       bool forwardOnly = true);

// Hears of every statement the engine refuses, before the failure is raised: the error traps
// show a failure, but some steps pass one over on purpose, and a log or a test may still want to
// know of it. One listener at a time; an empty one stops listening.
using FailureListener = std::function<void(const QString &sql, const QString &description)>;
void SetFailureListener(FailureListener listener);
// Tells the listener of the failed statement and throws DbError with the engine's description.
[[noreturn]] void StatementFailed(const QString &sql, const QSqlError &error);
[[noreturn]] void StatementFailed(const QString &sql, const QString &description);

// The two halves of RunStatement, for a statement prepared once and executed many times.
QSqlQuery PrepareStatement(const QSqlDatabase &database, const QString &sql,
                           bool forwardOnly = true);
// Binds exactly these values, replacing those of an earlier execution, and executes.
void ExecuteStatement(QSqlQuery &query, const QVariantList &values);

} // namespace db
