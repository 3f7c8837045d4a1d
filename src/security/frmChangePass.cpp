#include "security/frmChangePass.h"

#include "app/CLog.h"
#include "app/CUtils.h"
#include "app/modGlobals.h"
#include "app/session.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Fields.h"
#include "platform/ui/ToolBar.h"
#include "security/Accounts.h"
#include "security/Password.h"

#include <QFocusEvent>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>

#include <optional>

namespace {

constexpr int kNewPasswordLength = 20;
constexpr int kShortestPassword = 5;

// A rule of the password policy that the new password breaks, and how it is told.
struct PolicyFault
{
    QString message;
    QString title;
    int style;
    // Whether the new password is emptied (all but the first rule).
    bool clears;
};

// The password policy, rule by rule in this order; the first rule broken is the one told. The
// new password is compared as typed with the old one as typed, never with its stored form.
std::optional<PolicyFault> policyFault(const QString &newPwd, const QString &oldPwd,
                                       const QString &userId)
{
    const QString plainTitle = QStringLiteral("New Password");
    const QString title = QStringLiteral("New Password.");
    if (newPwd == oldPwd)
        return PolicyFault{QStringLiteral("Your password can be the same as the old."), plainTitle,
                           vbOKOnly, false};
    // An empty field passes the rest; Finish asks for a password then.
    if (newPwd.isEmpty())
        return std::nullopt;
    if (newPwd.size() < kShortestPassword)
        return PolicyFault{QStringLiteral("Your password must be at least 5 characters."),
                           plainTitle, vbOKOnly, true};
    if (newPwd == kDefaultPassword)
        return PolicyFault{QStringLiteral("The default 'quintave' can not be used."), title,
                           vbCritical, true};
    if (newPwd.contains(kDefaultPassword, Qt::CaseInsensitive))
        return PolicyFault{QStringLiteral("The default 'quintave' can not be in the password."),
                           title, vbCritical, true};
    if (newPwd == userId)
        return PolicyFault{QStringLiteral("The 'password' can not be the UserID."), title,
                           vbCritical, true};
    // The middle of the old password: up to four characters from its third. An old password
    // too short to have one leaves nothing that a new password could be told apart by.
    const QString piece = oldPwd.mid(2, 4);
    if (piece.isEmpty() || newPwd.contains(piece, Qt::CaseInsensitive))
        return PolicyFault{
                QStringLiteral("The password can not contain similiar words from old password."),
                title, vbCritical, true};
    return std::nullopt;
}

} // namespace

frmChangePass::frmChangePass(QWidget *parent)
    : FormDialog(parent)
    , tbrMain(NamedToolBar(
              QStringLiteral("tbrMain"), this,
              {
                      {"kSep1"},
                      {"kCancel", "Cancel", "dialog-cancel", QStyle::SP_DialogCancelButton},
                      {"kSep2"},
                      {"kFinish", "Finish", "dialog-ok", QStyle::SP_DialogOkButton},
              }))
    , txtUserID(ShownOnly(NamedTextBox(QStringLiteral("txtUserID"), this)))
    , txtPassword(ShownOnly(NamedPasswordBox(QStringLiteral("txtPassword"), this)))
    , txtOldPwd(NamedPasswordBox(QStringLiteral("txtOldPwd"), this))
    , txtNewPwd(NamedPasswordBox(QStringLiteral("txtNewPwd"), this))
    , txtNewPwd2(NamedPasswordBox(QStringLiteral("txtNewPwd2"), this))
    , txtActivationDate(ShownOnly(NamedTextBox(QStringLiteral("txtActivationDate"), this)))
    , txtExpirationDate(ShownOnly(NamedTextBox(QStringLiteral("txtExpirationDate"), this)))
{
    setObjectName(QStringLiteral("frmChangePass"));
    setWindowTitle(QStringLiteral("Change Password"));
    txtNewPwd->setMaxLength(kNewPasswordLength);
    txtNewPwd2->setMaxLength(kNewPasswordLength);
    txtNewPwd->installEventFilter(this);
    txtNewPwd2->installEventFilter(this);
    // Enter goes on to the next password, and in the last one finishes, as Finish does.
    OnEnter(txtOldPwd, [this] { txtNewPwd->setFocus(); });
    OnEnter(txtNewPwd, [this] { txtNewPwd2->setFocus(); });
    OnEnter(txtNewPwd2, [this] { tbrMain_ButtonClick(QStringLiteral("kFinish")); });
    layOut();
    connect(tbrMain, &KeyedToolBar::ButtonClick, this, &frmChangePass::tbrMain_ButtonClick);
}

// The fields under their labels, under the tool bar.
void frmChangePass::layOut()
{
    auto *fields = new QFormLayout;
    fields->setContentsMargins(14, 12, 14, 14);
    fields->setHorizontalSpacing(12);
    fields->setVerticalSpacing(8);
    const std::pair<const char *, QLineEdit *> rows[] = {
            {"&UserID:", txtUserID},
            {"&Password:", txtPassword},
            {"&Old Password:", txtOldPwd},
            {"&New password:", txtNewPwd},
            {"New Password &Verify:", txtNewPwd2},
            {"&ActivationDate:", txtActivationDate},
            {"&ExpirationDate:", txtExpirationDate},
    };
    for (const auto &[label, box] : rows)
        fields->addRow(FieldLabel(QString::fromLatin1(label), box, this), box);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tbrMain);
    layout->addLayout(fields);
    layout->addStretch();
    resize(380, sizeHint().height());
}

void frmChangePass::Form_Load()
{
    CentreWindow(this);
    txtUserID->setText(CurrentUserID);
    txtPassword->setText(CurrentPassword);
    txtOldPwd->setText(CurrentPassword);
    txtNewPwd->setFocus();
}

bool frmChangePass::eventFilter(QObject *watched, QEvent *event)
{
    // The checks run when the user moves on to another field of this window, not when another
    // window (a message box among them) takes the focus.
    if (event->type() == QEvent::FocusOut && !checking_) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (watched == txtNewPwd)
                QTimer::singleShot(0, this, &frmChangePass::leftNewPassword);
            else if (watched == txtNewPwd2)
                QTimer::singleShot(0, this, &frmChangePass::leftVerifyPassword);
        }
    }
    return FormDialog::eventFilter(watched, event);
}

void frmChangePass::leftNewPassword()
{
    if (!isVisible())
        return;
    bool cancel = false;
    txtNewPwd_Validate(cancel);
}

void frmChangePass::leftVerifyPassword()
{
    if (isVisible())
        txtNewPwd2_Validate();
}

void frmChangePass::backToNewPassword()
{
    checking_ = true;
    txtNewPwd->setFocus();
    checking_ = false;
}

void frmChangePass::txtNewPwd_Validate(bool &Cancel)
{
    const std::optional<PolicyFault> fault =
            policyFault(txtNewPwd->text(), txtOldPwd->text(), CurrentUserID);
    if (!fault)
        return;
    MsgBox(fault->message, fault->style, fault->title);
    if (fault->clears)
        txtNewPwd->clear();
    Cancel = true;
    backToNewPassword();
}

void frmChangePass::txtNewPwd2_Validate()
{
    verifyMatches();
}

bool frmChangePass::verifyMatches()
{
    if (txtNewPwd->text() == txtNewPwd2->text() || txtNewPwd2->text().isEmpty())
        return true;
    MsgBox(QStringLiteral("Your password and verify password do not match."), vbOKOnly,
           QStringLiteral("Password"));
    txtNewPwd->clear();
    txtNewPwd2->clear();
    backToNewPassword();
    return false;
}

void frmChangePass::tbrMain_ButtonClick(const QString &key)
{
    if (key == QLatin1String("kFinish"))
        FinishChange();
    else if (key == QLatin1String("kCancel"))
        CancelChange();
}

void frmChangePass::FinishChange()
{
    bChanged = false;
    // Blanks alone are no password: they are trimmed away before it is stored.
    if (!Trim(txtNewPwd->text()).isEmpty() && !Trim(txtNewPwd2->text()).isEmpty()) {
        // Finish is pressed without leaving the field last typed in, so the policy and the
        // verification run again here: neither a password that breaks a rule nor one that was
        // not typed the same twice is stored.
        bool cancel = false;
        txtNewPwd_Validate(cancel);
        if (cancel || !verifyMatches()) {
            LoginFailed = true;
            return;
        }
        Change_Pass(bChanged);
        if (bChanged)
            accept();
        return;
    }
    MsgBox(QStringLiteral("Please Enter Password."), vbCritical, QStringLiteral("Error!"));
    LoginFailed = true;
    backToNewPassword();
}

void frmChangePass::CancelChange()
{
    close();
}

void frmChangePass::Change_Pass(bool &mflag)
{
    try {
        ReopenConnection();
        db::Recordset &rs = SharedRecordset();
        RunOn(rs, QStringLiteral("select distinct userid, userpwd from tblusers"));
        if (rs.AtEnd()) {
            ReportError(LogError, QStringLiteral("Table is Empty"));
            return;
        }
        LoginFailed = true;
        const QString oldPwd = Trim(txtOldPwd->text());
        const QString newPwd = Trim(txtNewPwd->text());
        for (rs.MoveFirst(); !rs.AtEnd(); rs.MoveNext()) {
            if (Trim(TextOf(rs.Fields(0))) != CurrentUserID
                || !VerifyPassword(Trim(TextOf(rs.Fields(1))), oldPwd))
                continue;
            // Nothing counts as changed until the row is written: a failing write leaves the
            // session's password and the window as they were.
            const QString activation = ActivationDateText();
            const QString expiration = ExpirationDateText();
            RunOn(SharedRecordset2(),
                  QStringLiteral("update tblusers set userpwd = ?,activationdate = ?,"
                                 "expirationdate = ? where userid = ? "),
                  {HashPassword(newPwd), activation, expiration, TextOf(rs.Fields(0))});
            mflag = true;
            LoginFailed = false;
            CurrentPassword = newPwd;
            txtActivationDate->setText(activation);
            txtExpirationDate->setText(expiration);
            break;
        }
        rs.Requery();
        rs.Close();
        if (!mflag) {
            MsgBox(QStringLiteral("Password not changed!"), vbCritical, QStringLiteral("Error!"));
            LoginFailed = true;
            backToNewPassword();
        }
    } catch (const std::exception &error) {
        // The failure is logged and told, so that the log viewer has something to show.
        const QString description = QString::fromUtf8(error.what());
        ReportError(LogError, QStringLiteral("Password not changed: ") + description,
                    QStringLiteral("Error: ") + description);
    }
}
