#include "security/frmLogin.h"

#include "app/AppIcon.h"
#include "app/CLog.h"
#include "app/CUtils.h"
#include "app/frmMenu.h"
#include "app/modGlobals.h"
#include "app/session.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Fields.h"
#include "security/Password.h"
#include "security/frmVerify.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace {

// A password still kept in the old reversible form is stored anew as a hash once it has been
// typed correctly. A failure here does not stop the login; it is noted in the log.
void renewPasswordForm(const QString &storedUserId, const QString &pwd)
{
    try {
        StorePassword(storedUserId, pwd);
    } catch (const std::exception &error) {
        Log().addEntry(LogWarning,
                       QStringLiteral("Password of %1 kept in its old form: %2")
                               .arg(storedUserId, QString::fromUtf8(error.what())));
    }
}

} // namespace

frmLogin::frmLogin(QWidget *parent)
    : PasswordWindow(QStringLiteral("frmLogin"), QStringLiteral("Enter User ID and Password"),
                     QStringLiteral("If this is your first login, use 'admin' for your User ID "
                                    "and 'rowan' for your Password."),
                     parent)
    , picIcon(NamedLabel(QStringLiteral("picIcon"), QString(), this))
    , txtUID(textBox(QStringLiteral("txtUID"), false))
    , txtPWD(textBox(QStringLiteral("txtPWD"), true))
{
    setWindowIcon(AppIcon());
    picIcon->setPixmap(AppPixmap(48));
    picIcon->setAlignment(Qt::AlignTop);
    OnEnter(txtUID, [this] { txtPWD->setFocus(); });
    OnEnter(txtPWD, [this] { cmdOK_Click(); });
    // Installed last, so it sees every key in the user ID box before the Enter handling does.
    txtUID->installEventFilter(this);

    auto *top = new QHBoxLayout;
    top->addWidget(picIcon);
    top->addLayout(fieldRows({{QStringLiteral("&User ID:"), txtUID},
                              {QStringLiteral("&Password:"), txtPWD}}),
                   1);
    arrange(top, false, 400);
}

void frmLogin::Form_Load()
{
    CentreWindow(this);
    counter_ = 0;
}

bool frmLogin::eventFilter(QObject *watched, QEvent *event)
{
    // After the third failed try the next key in the user ID box ends the program.
    if (watched == txtUID && event->type() == QEvent::KeyPress && counter_ == 3) {
        eEndprocess();
        return true;
    }
    return PasswordWindow::eventFilter(watched, event);
}

void frmLogin::pCounter()
{
    ++counter_;
}

void frmLogin::eEndprocess()
{
    EndProgram();
}

void frmLogin::cmdOK_Click()
{
    try {
        ReopenConnection();
        db::Recordset &rs = SharedRecordset();
        RunOn(rs,
              QStringLiteral("select distinct userid, userpwd, usergroup, activationdate, "
                             "expirationdate from tblusers order by userid"));
        if (rs.AtEnd()) {
            ReportError(LogError, QStringLiteral("Table is Empty"));
            return;
        }
        rs.MoveFirst();
        LoginFailed = true;
        QString uid = Trim(txtUID->text());
        QString pwd = Trim(txtPWD->text());
        pCounter();
        if (counter_ > 3) {
            MsgBox(QStringLiteral("Please Contact Administrator!"), vbCritical,
                   QStringLiteral("Login Error"));
            LoginFailed = true;
            eEndprocess();
            return;
        }

        bool found = false;
        for (; !rs.AtEnd(); rs.MoveNext()) {
            if (Trim(TextOf(rs.Fields(0))) != uid)
                continue;
            found = true;
            const QString group = Trim(TextOf(rs.Fields(2)));
            const QString stored = Trim(TextOf(rs.Fields(1)));
            if (stored.isEmpty()) {
                if (!firstPassword(TextOf(rs.Fields(0)), uid, pwd)) {
                    LoginFailed = true;
                    txtUID->setFocus();
                    return;
                }
                succeed(uid, pwd, group);
                return;
            }
            if (VerifyPassword(stored, pwd)) {
                if (IsOldPasswordForm(stored))
                    renewPasswordForm(TextOf(rs.Fields(0)), pwd);
                succeed(uid, pwd, group);
                return;
            }
        }
        // Who tried, and why it failed; never what was typed as the password.
        Log().addEntry(LogWarning,
                       QStringLiteral("Login failed for %1: %2")
                               .arg(uid,
                                    found ? QStringLiteral("wrong password")
                                          : QStringLiteral("unknown user ID")));
        MsgBox(found ? QStringLiteral("Invalid Password, please re-enter the Password.")
                     : QStringLiteral("Invalid User ID, please re-enter the User ID."),
               vbCritical, QStringLiteral("Login Error"));
        LoginFailed = true;
        txtUID->setFocus();
    } catch (const db::DbError &error) {
        // The message stays as users know it; the log tells a locked or missing file from a
        // missing table.
        Log().addEntry(LogError, QStringLiteral("Login failed: ") + error.description());
        MsgBox(QStringLiteral("Table Not Found!"), vbCritical, QStringLiteral("Login Error"));
        LoginFailed = true;
    }
}

bool frmLogin::firstPassword(const QString &storedUserId, QString &uid, QString &pwd)
{
    CurrentUserKey = storedUserId;
    CurrentUserID = uid;
    CurrentPassword = pwd;
    PasswordSet = false;
    frmVerify verify(this);
    ShowModal(&verify, this);
    if (!PasswordSet)
        return false;
    uid = CurrentUserID;
    pwd = CurrentPassword;
    return true;
}

void frmLogin::succeed(const QString &uid, const QString &pwd, const QString &group)
{
    LoginFailed = false;
    CurrentUserID = uid;
    CurrentPassword = pwd;
    CurrentGroup = group;
    Log().addEntry(LogInfo, QStringLiteral("%1 logged in (%2)").arg(uid, group));
    accept();
    if (Relogin) {
        Relogin = false;
        ShowNewMainMenu(true);
    }
}

void frmLogin::cmdCancel_Click()
{
    LoginFailed = true;
    EndProgram();
}

void frmLogin::reject()
{
    if (!ProgramEnded())
        cmdCancel_Click();
    PasswordWindow::reject();
}
