// Sample content of the windows of users and security, for their pictures.

#include "Samples.h"

#include "app/modGlobals.h"
#include "security/frmChangePass.h"
#include "security/frmLogin.h"
#include "security/frmShowUsers.h"
#include "security/frmUser.h"
#include "security/frmVerify.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTreeWidget>

namespace {

void typedUserId(QWidget *window)
{
    static_cast<frmLogin *>(window)->txtUID->setText(QStringLiteral("admin"));
}

void typedAtLogin(QWidget *)
{
    CurrentPassword = QStringLiteral("secret");
}

void newPasswordTyped(QWidget *window)
{
    CurrentUserID = QStringLiteral("admin");
    CurrentPassword = QStringLiteral("rowan");
    auto *change = static_cast<frmChangePass *>(window);
    change->ensureLoaded();
    change->txtNewPwd->setText(QStringLiteral("Heron2027"));
    change->txtNewPwd2->setText(QStringLiteral("Heron2027"));
}

void passwordChanged(QWidget *window)
{
    auto *change = static_cast<frmChangePass *>(window);
    change->txtActivationDate->setText(QStringLiteral("12/07/2026"));
    change->txtExpirationDate->setText(QStringLiteral("01/06/2027"));
}

void accountTyped(QWidget *window)
{
    auto *user = static_cast<frmUser *>(window);
    user->ensureLoaded();
    user->txtUserID->setText(QStringLiteral("mgarner"));
    user->txtUserName->setText(QStringLiteral("Mara Garner"));
    user->cboUserGroup->setEditText(QStringLiteral("Billing"));
}

void passwordReset(QWidget *window)
{
    auto *user = static_cast<frmUser *>(window);
    user->ClearAllFields();
    user->txtPassword->setText(QStringLiteral("quintave"));
}

void someAccounts(QWidget *window)
{
    auto *picker = static_cast<frmShowUsers *>(window);
    picker->ensureLoaded();
    const QStringList accounts[] = {
            {QStringLiteral("bquill"), QStringLiteral("Bram Quill"), QStringLiteral("Payroll")},
            {QStringLiteral("jsorrel"), QStringLiteral("Juno Sorrel"), QStringLiteral("User")},
            {QStringLiteral("mgarner"), QStringLiteral("Mara Garner"), QStringLiteral("Billing")},
            {QStringLiteral("tvance"), QStringLiteral("Tamsin Vance"),
             QStringLiteral("Accountant")},
    };
    for (const QStringList &account : accounts)
        new QTreeWidgetItem(picker->lstParms, account);
}

} // namespace

WindowSamples SecuritySamples()
{
    return {
            {QStringLiteral("frmLogin"), {typedUserId, {}}},
            {QStringLiteral("frmVerify"), {typedAtLogin, {}}},
            {QStringLiteral("frmChangePass"),
             {newPasswordTyped, {{QStringLiteral("changed"), passwordChanged}}}},
            {QStringLiteral("frmUser"), {accountTyped, {{QStringLiteral("reset"), passwordReset}}}},
            {QStringLiteral("frmShowUsers"), {someAccounts, {}}},
    };
}
