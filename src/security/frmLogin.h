#pragma once

#include "security/PasswordWindow.h"

class QLabel;
class QLineEdit;

// Asks for a user ID and password and checks them against the user table; three tries.
class frmLogin : public PasswordWindow
{
    Q_OBJECT
public:
    explicit frmLogin(QWidget *parent = nullptr);

    QLabel *picIcon;
    QLineEdit *txtUID;
    QLineEdit *txtPWD;

    void Form_Load() override;
    void cmdOK_Click() override;
    void cmdCancel_Click() override;
    void pCounter();
    void eEndprocess();
    int attempts() const { return counter_; }

    // Closing the window is the same as Cancel.
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // storedUserId is the matched row's user ID as stored; only that row gets the new password.
    bool firstPassword(const QString &storedUserId, QString &uid, QString &pwd);
    void succeed(const QString &uid, const QString &pwd, const QString &group);

    int counter_ = 0;
};
