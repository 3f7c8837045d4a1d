#pragma once

#include "platform/ui/Form.h"

class KeyedToolBar;
class QLineEdit;

// The logged-in user replaces their own password under the password policy. The policy runs as
// the new password is left; Finish checks the old password against the stored one, stores the
// new one and restarts the account's validity period.
class frmChangePass : public FormDialog
{
    Q_OBJECT
public:
    explicit frmChangePass(QWidget *parent = nullptr);

    KeyedToolBar *tbrMain;
    QLineEdit *txtUserID;
    QLineEdit *txtPassword;
    QLineEdit *txtOldPwd;
    QLineEdit *txtNewPwd;
    QLineEdit *txtNewPwd2;
    QLineEdit *txtActivationDate;
    QLineEdit *txtExpirationDate;

    // Set by Change_Pass when the password was changed.
    bool bChanged = false;

    void Form_Load() override;
    // The password policy on the new password; a rule that fails sets Cancel (the focus stays).
    void txtNewPwd_Validate(bool &Cancel);
    // The new password typed again must match it.
    void txtNewPwd2_Validate();
    void tbrMain_ButtonClick(const QString &key);
    void FinishChange();
    void CancelChange();
    // Checks the old password against the stored one and stores the new one; sets mflag when
    // the password was changed.
    void Change_Pass(bool &mflag);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void layOut();
    // The checks run when the focus has left a field, once the focus change has settled.
    void leftNewPassword();
    void leftVerifyPassword();
    // Puts the focus back in the new password without checking the field it leaves.
    void backToNewPassword();
    bool verifyMatches();

    bool checking_ = false;
};
