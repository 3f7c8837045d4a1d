#pragma once

#include <QString>

// Salted, slow one-way hashes of passwords (Argon2id strings), for every password the program
// stores. The accounts' older reversible form is read by the security folder alone.
QString HashPassword(const QString &plain);
// True when stored is a hash made by HashPassword.
bool IsPasswordHash(const QString &stored);
// Whether typed is the password that the hash stored was made from.
bool VerifyPasswordHash(const QString &stored, const QString &typed);
