#include "security/Password.h"

#include "app/session.h"

namespace {

QString transform(QString &text, const QString &key)
{
    if (key.isEmpty())
        return text;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const uchar a = static_cast<uchar>(key[i % key.size()].toLatin1());
        const uchar b = static_cast<uchar>(text[i].toLatin1());
        text[i] = QChar::fromLatin1(static_cast<char>(a ^ b));
    }
    return text;
}

} // namespace

QString EncodePassword(QString &text, const QString &key)
{
    return transform(text, key);
}

QString DecodePassword(QString &text, const QString &key)
{
    return transform(text, key);
}

bool IsOldPasswordForm(const QString &stored)
{
    return !stored.isEmpty() && !IsPasswordHash(stored);
}

bool VerifyPassword(const QString &stored, const QString &typed)
{
    if (stored.isEmpty())
        return false;
    if (IsOldPasswordForm(stored)) {
        QString decoded = stored;
        return DecodePassword(decoded, kPasswordKey) == typed;
    }
    return VerifyPasswordHash(stored, typed);
}

void StorePassword(const QString &storedUserId, const QString &plain)
{
    RunOn(SharedRecordset3(), QStringLiteral("update tblusers set userpwd = ? where userid = ? "),
          {HashPassword(plain), storedUserId});
}
