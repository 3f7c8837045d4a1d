#pragma once

#include <QString>

namespace db {

// The connection string for a database file, in the form stored settings have always held:
// "Provider=...;Data Source=<path>".
QString ConnectStringFor(const QString &path);
// The data-source path of such a connection string: everything after "Data Source=".
QString DataSourceOf(const QString &connectString);

} // namespace db
