#pragma once

#include <QString>

// The key text of the old, reversible password form.
inline const QString kPasswordKey = QStringLiteral("31857");

// The old password form: each character exclusive-or'ed with the key's character at its
// position. One transformation serves both ways; the text is changed in place and returned.
QString EncodePassword(QString &text, const QString &key);
QString DecodePassword(QString &text, const QString &key);

// The form every new or changed password is stored in: a salted Argon2id string.
QString HashPassword(const QString &plain);
// True when the stored value holds a password in the old form (it needs rewriting).
bool IsOldPasswordForm(const QString &stored);
// Whether typed is the password held by stored, in either form. An empty stored value holds
// no password and matches nothing.
bool VerifyPassword(const QString &stored, const QString &typed);
