#pragma once

#include <QString>

#include <stdexcept>

namespace db {

// Every failure of the database layer arrives as this one exception; its text is the engine's
// own description, which the error traps show after "Error: ".
// The layer's own descriptions of a misuse, the same wherever it is caught.
inline const QString kObjectOpen =
        QStringLiteral("Operation is not allowed when the object is open.");
inline const QString kObjectClosed =
        QStringLiteral("Operation is not allowed when the object is closed.");
inline const QString kNoCurrentRecord =
        QStringLiteral("Either BOF or EOF is True, or the current record has been deleted. "
                       "Requested operation requires a current record.");
inline const QString kNoSuchField = QStringLiteral(
        "Item cannot be found in the collection corresponding to the requested name or ordinal.");
inline const QString kTransactionOpen =
        QStringLiteral("A transaction is already open on this connection; commit or roll it back "
                       "before beginning another.");
inline const QString kNoTransaction = QStringLiteral("No transaction is open on this connection.");
// Put before the engine's own words ("database is locked", "canceling statement due to lock
// timeout") when a write waited its time for another connection's lock in vain.
inline const QString kBusyElsewhere =
        QStringLiteral("The database is busy at another desk; try again in a moment.");

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

} // namespace db
