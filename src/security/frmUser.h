#pragma once

#include "platform/db/RowAsRead.h"
#include "platform/ui/Form.h"

class KeyedToolBar;
class QComboBox;
class QLineEdit;
class QPushButton;

// An administrator's window over the accounts: adds an account, changes its name and group,
// deletes it, or resets its password so that it picks a new one at its next login.
class frmUser : public FormDialog
{
    Q_OBJECT
public:
    explicit frmUser(QWidget *parent = nullptr);

    KeyedToolBar *tbrMain;
    QLineEdit *txtUserID;
    QLineEdit *txtUserName;
    QComboBox *cboUserGroup;
    QLineEdit *txtPassword;
    QLineEdit *txtActivationDate;
    QLineEdit *txtExpirationDate;
    QPushButton *cmdShowUsers;
    QPushButton *cmdPwdReset;

    // Whether the last action found the account in txtUserID (and, for a delete or a reset,
    // carried the action out).
    bool bUserFound = false;

    void Form_Load() override;
    void tbrMain_ButtonClick(const QString &key);
    void cmdPwdReset_Click();
    void cmdShowUsers_Click();
    void ClearAllFields();
    // True when the account was saved.
    bool AddEditUser();
    void DeleteUser();
    void RestUserPassword();

private:
    void layOut();
    // Runs sql (its one value the stored ID) on an account: on the account shown only while it
    // is as it was read, as a delete (removes) or an update.
    void writeAccount(const QString &sql, const QString &stored, bool removes);

    // The account the fields show, as it was read or last saved here: a save changes its name
    // and group only while they are still so.
    db::RowAsRead shown_;
};
