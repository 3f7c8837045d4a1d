#pragma once

#include "platform/PasswordHash.h"

#include <QString>

// The key text of the old, reversible password form.
inline const QString kPasswordKey = QStringLiteral("31857");

// The old password form: each character exclusive-or'ed with the key's character at its
// position. One transformation serves both ways; the text is changed in place and returned.
QString EncodePassword(QString &text, const QString &key);
QString DecodePassword(QString &text, const QString &key);

// True when the stored value holds a password in the old form (it needs rewriting).
bool IsOldPasswordForm(const QString &stored);
// Whether typed is the password held by stored, in either form. An empty stored value holds
// no password and matches nothing.
bool VerifyPassword(const QString &stored, const QString &typed);

// Stores a new password for the account whose user ID is exactly storedUserId (as it stands in
// its row, blanks included), in the hashed form. Throws db::DbError.
void StorePassword(const QString &storedUserId, const QString &plain);
