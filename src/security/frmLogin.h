#pragma once

#include "platform/ui/Form.h"

class QLabel;
class QLineEdit;
class QPushButton;

// Asks for a user ID and password and checks them against the user table; three tries.
class frmLogin : public FormDialog
{
    Q_OBJECT
public:
    explicit frmLogin(QWidget *parent = nullptr);

    QLabel *picIcon;
    QLineEdit *txtUID;
    QLineEdit *txtPWD;
    QPushButton *cmdOK;
    QPushButton *cmdCancel;
    QLabel *Label3;

    void Form_Load() override;
    void cmdOK_Click();
    void cmdCancel_Click();
    void pCounter();
    void eEndprocess();
    int attempts() const { return counter_; }

    // Closing the window is the same as Cancel.
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool firstPassword(QString &uid, QString &pwd);
    void succeed(const QString &uid, const QString &pwd, const QString &group);
    void renewPasswordForm(const QString &storedUserId, const QString &pwd);

    int counter_ = 0;
};
