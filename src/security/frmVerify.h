#pragma once

#include "platform/ui/Form.h"

class QLabel;
class QLineEdit;
class QPushButton;

// The first password of an account that has none yet.
class frmVerify : public FormDialog
{
    Q_OBJECT
public:
    explicit frmVerify(QWidget *parent = nullptr);

    QLineEdit *txtPWD;
    QLineEdit *txtPWD2;
    QPushButton *cmdOK;
    QPushButton *cmdCancel;
    QLabel *Label3;

    void Form_Load() override;
    void cmdOK_Click();
    void cmdCancel_Click();
    void reject() override;

    // Sets flag when every character is a digit or a letter A to Z, a to z (empty passes).
    static void ValidatePassword(const QString &Userpwd, bool &flag);

private:
    bool storeNewPassword(const QString &password);
};
