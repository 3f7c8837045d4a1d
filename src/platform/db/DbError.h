#pragma once

#include <QString>

#include <stdexcept>

namespace db {

// Every failure of the database layer arrives as this one exception; its text is the engine's
// own description, which the error traps show after "Error: ".
class DbError : public std::runtime_error
{
public:
    explicit DbError(const QString &description)
        : std::runtime_error(description.toStdString())
        , description_(description)
    { }
    QString description() const { return description_; }

private:
    QString description_;
};

// Extracts the data-source path from a connection string of the form
// "Provider=...;Data Source=<path>"; everything after "Data Source=" is the path.
QString DataSourceOf(const QString &connectString);

} // namespace db
