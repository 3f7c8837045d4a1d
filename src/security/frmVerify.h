#pragma once

#include "security/PasswordWindow.h"

class QLineEdit;

// The first password of an account that has none yet.
class frmVerify : public PasswordWindow
{
    Q_OBJECT
public:
    explicit frmVerify(QWidget *parent = nullptr);

    QLineEdit *txtPWD;
    QLineEdit *txtPWD2;

    void Form_Load() override;
    void cmdOK_Click() override;
    void cmdCancel_Click() override;
    void reject() override;

    // Sets flag when every character is a digit or a letter A to Z, a to z (empty passes).
    static void ValidatePassword(const QString &Userpwd, bool &flag);

private:
    bool storeNewPassword(const QString &password);
};
