#include "security/frmVerify.h"

#include "app/CLog.h"
#include "app/CUtils.h"
#include "app/modGlobals.h"
#include "app/session.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Fields.h"
#include "security/Password.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmVerify::frmVerify(QWidget *parent)
    : FormDialog(parent)
    , txtPWD(new QLineEdit(this))
    , txtPWD2(new QLineEdit(this))
    , cmdOK(new QPushButton(QStringLiteral("OK"), this))
    , cmdCancel(new QPushButton(QStringLiteral("Cancel"), this))
    , Label3(new QLabel(QStringLiteral("The current system options require passwords for all "
                                       "users before they will be allowed access.  The new "
                                       "password supplied must now be used everytime the user "
                                       "logs in."),
                        this))
{
    setObjectName(QStringLiteral("frmVerify"));
    setWindowTitle(QStringLiteral("Password Required"));
    txtPWD->setObjectName(QStringLiteral("txtPWD"));
    txtPWD2->setObjectName(QStringLiteral("txtPWD2"));
    txtPWD->setEchoMode(QLineEdit::Password);
    txtPWD2->setEchoMode(QLineEdit::Password);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdOK->setAutoDefault(false);
    cmdCancel->setAutoDefault(false);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setWordWrap(true);
    SelectAllOnFocus(txtPWD);
    SelectAllOnFocus(txtPWD2);
    OnEnter(txtPWD, [this] { cmdOK_Click(); });

    auto *form = new QFormLayout;
    form->addRow(FieldLabel(QStringLiteral("&New Password:"), txtPWD, this), txtPWD);
    form->addRow(FieldLabel(QStringLiteral("&Confirm New Password:"), txtPWD2, this), txtPWD2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label3);
    layout->addLayout(form);
    layout->addLayout(ButtonRow({cmdOK, cmdCancel}));
    resize(420, sizeHint().height());

    connect(cmdOK, &QPushButton::clicked, this, &frmVerify::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmVerify::cmdCancel_Click);
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
    try {
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
    } catch (const std::exception &error) {
        ErrorBox(QString::fromUtf8(error.what()));
    }
}

bool frmVerify::storeNewPassword(const QString &password)
{
    // The connection is the one the login has just opened.
    if (SharedConnection().State() != 1)
        ReopenConnection();
    db::Recordset &rs = SharedRecordset2();
    RunOn(rs, QStringLiteral("select distinct userid, userpwd from tblusers"));
    if (rs.AtEnd()) {
        Log().addEntry(LogError, QStringLiteral("Error1"));
        MsgBox(QStringLiteral("error_run1"));
        return false;
    }
    rs.MoveFirst();
    LoginFailed = true;
    for (; !rs.AtEnd(); rs.MoveNext()) {
        if (Trim(TextOf(rs.Fields(0))) != CurrentUserID)
            continue;
        CurrentPassword = password;
        RunOn(SharedRecordset3(),
              QStringLiteral("update tblusers set userpwd = ? where userid = ? "),
              {HashPassword(password), TextOf(rs.Fields(0))});
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
    FormDialog::reject();
}

void frmVerify::reject()
{
    cmdCancel_Click();
}
