#pragma once

#include <QString>

// Named parameters of the program, kept in the per-user settings store under "TARNU"/"Setup".
class CParm
{
public:
    QString getRParm(const QString &psKey, const QString &psDefault) const;
    void setRParm(const QString &psKey, const QString &psVal);
    void removeRParm(const QString &psKey);
    void removeRAllParm();
    // A failed write of the store is remembered here, so callers that check can tell.
    bool isError() const { return failed_; }
    QString getError() const { return error_; }

private:
    void record(bool ok);

    bool failed_ = false;
    QString error_;
};
