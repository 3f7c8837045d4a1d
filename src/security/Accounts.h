#pragma once

#include <QString>

class QLineEdit;

// The password an account is told to use after an administrator has reset it; the password
// policy keeps it out of every password chosen afterwards.
inline const QString kDefaultPassword = QStringLiteral("quintave");

// An account is valid for thirty days from the day its password or record was last set. The
// dates are kept as text in the form the accounts table has always held ("MM/dd/yyyy").
inline constexpr int kAccountValidDays = 30;

// Today, and today plus the validity period, in that text form.
QString ActivationDateText();
QString ExpirationDateText();

// A field the window fills and the user only reads: read-only, and shaded so that it does not
// look like a field waiting for input. Returns the box.
QLineEdit *ShownOnly(QLineEdit *box);
