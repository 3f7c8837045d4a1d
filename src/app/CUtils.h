#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>

#include <stdexcept>

// Raised when a text does not convert into a date and time.
class ConversionError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class CUtils
{
public:
    // True once the setup window has completed; a failing store counts as not set up.
    bool isSetUp() const;
    // Reads sDate laid out as sFormat ("yyyy", "mm", "dd", "hh", "nn", "ss"); missing parts come
    // from the clock. Lower-cases sFormat in place. Throws ConversionError.
    QDateTime toDate(const QString &sDate, QString &sFormat) const;
    QVariant getNonNull(const QVariant &pvVar, const QVariant &pvDefault) const;
    QString getExePath() const;
    // A SQL Server style expression that yields psArg, single quotes spelled as CHAR(39).
    QString quote2MSSQL(const QString &psArg) const;
};

// Blanks (spaces only) removed at both ends, as values from rows and boxes are compared.
QString Trim(const QString &text);
// The text of a value that may be null: null gives an empty text.
QString TextOf(const QVariant &value);
