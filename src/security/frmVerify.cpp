#include "security/frmVerify.h"

#include "app/CLog.h"
#include "app/CUtils.h"
#include "app/modGlobals.h"
#include "app/session.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Fields.h"
#include "security/Password.h"

#include <QLineEdit>

frmVerify::frmVerify(QWidget *parent)
    : PasswordWindow(QStringLiteral("frmVerify"), QStringLiteral("Password Required"),
                     QStringLiteral("The current system options require passwords for all "
                                    "users before they will be allowed access.  The new "
                                    "password supplied must now be used everytime the user "
                                    "logs in."),
                     parent)
    , txtPWD(textBox(QStringLiteral("txtPWD"), true))
    , txtPWD2(textBox(QStringLiteral("txtPWD2"), true))
{
    OnEnter(txtPWD, [this] { cmdOK_Click(); });
    arrange(fieldRows({{QStringLiteral("&New Password:"), txtPWD},
                       {QStringLiteral("&Confirm New Password:"), txtPWD2}}),
            true, 420);
}

void frmVerify::Form_Load()
{
    CentreWindow(this);
    txtPWD->setText(CurrentPassword);
}

void frmVerify::ValidatePassword(const QString &Userpwd, bool &flag)
{
    for (const QChar c : Userpwd) {
        const ushort code = c.unicode();
        const bool allowed = (code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z')
                || (code >= 'a' && code <= 'z');
        if (!allowed)
            return;
    }
    flag = true;
}

void frmVerify::cmdOK_Click()
{
    ErrorTrap([&] {
        PasswordSet = false;
        const QString newPassword = Trim(txtPWD->text());
        const QString again = Trim(txtPWD2->text());
        if (newPassword.isEmpty() || again != newPassword) {
            MsgBox(again != newPassword ? QStringLiteral("Passwords do not match!")
                                        : QStringLiteral("Invalid character in password!"),
                   vbCritical, QStringLiteral("Error!"));
            txtPWD->setFocus();
            return;
        }
        bool valid = false;
        ValidatePassword(newPassword, valid);
        if (!valid) {
            MsgBox(QStringLiteral("Invalid character in password!"), vbCritical,
                   QStringLiteral("Error!"));
            return;
        }
        if (storeNewPassword(newPassword))
            accept();
    });
}

bool frmVerify::storeNewPassword(const QString &password)
{
    // The connection is the one the login has just opened.
    OpenConnectionIfClosed();
    db::Recordset &rs = SharedRecordset2();
    RunOn(rs, QStringLiteral("select distinct userid, userpwd from tblusers"));
    if (rs.AtEnd()) {
        Log().addEntry(LogError, QStringLiteral("Error1"));
        MsgBox(QStringLiteral("error_run1"));
        return false;
    }
    rs.MoveFirst();
    LoginFailed = true;
    // Only the row the login matched: a near-duplicate such as "admin " beside "admin" must not
    // take over (or hand over) the other account's password.
    const QString key = CurrentUserKey.isEmpty() ? CurrentUserID : CurrentUserKey;
    for (; !rs.AtEnd(); rs.MoveNext()) {
        if (TextOf(rs.Fields(0)) != key)
            continue;
        CurrentPassword = password;
        StorePassword(key, password);
        PasswordSet = true;
        break;
    }
    rs.Requery();
    rs.Close();
    return PasswordSet;
}

void frmVerify::cmdCancel_Click()
{
    LoginFailed = true;
    PasswordWindow::reject();
}

void frmVerify::reject()
{
    cmdCancel_Click();
}
