#include "security/frmUser.h"

#include "app/CLog.h"
#include "app/CUtils.h"
#include "app/modGlobals.h"
#include "app/session.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Fields.h"
#include "platform/ui/ToolBar.h"
#include "security/Accounts.h"
#include "security/frmShowUsers.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <optional>

namespace {

const char *const kGroups[] = {"Administrator", "Billing", "Payroll", "Accountant", "User", ""};

void refuse(const QString &message)
{
    MsgBox(message, vbCritical, QStringLiteral("Error!"));
}

// Reads the accounts afresh over the shared session. An empty table is reported with message
// and gives false.
bool readAccounts(const QString &sql, const QString &message)
{
    ReopenConnection();
    RunOn(SharedRecordset(), sql);
    if (!SharedRecordset().AtEnd())
        return true;
    ReportError(LogError, QStringLiteral("Error1"), message, vbOKOnly);
    return false;
}

// Walks the accounts read for the row whose user ID, blanks trimmed, is exactly id; gives that
// row's user ID as it is stored, or nothing.
std::optional<QString> findAccount(const QString &id)
{
    db::Recordset &rs = SharedRecordset();
    for (rs.MoveFirst(); !rs.AtEnd(); rs.MoveNext()) {
        const QString stored = TextOf(rs.Fields(0));
        if (Trim(stored) == id)
            return stored;
    }
    return std::nullopt;
}

KeyedToolBar *userToolBar(QWidget *parent)
{
    return NamedToolBar(QStringLiteral("tbrMain"), parent,
                        {
                                {"kSep0"},
                                {"kClose", "Close", "window-close", QStyle::SP_DialogCloseButton},
                                {"kSep1"},
                                {"kFinish", "Finish", "dialog-ok", QStyle::SP_DialogOkButton},
                                {"kSave", "Save", "document-save", QStyle::SP_DialogSaveButton},
                                {"kSep2"},
                                {"kCancel", "Cancel", "edit-clear", QStyle::SP_DialogResetButton},
                                {"kDelete", "Delete", "edit-delete", QStyle::SP_TrashIcon},
                                {"kSep3"},
                                {"kHelp", "Help", "help-contents", QStyle::SP_MessageBoxQuestion},
                        });
}

} // namespace

frmUser::frmUser(QWidget *parent)
    : FormDialog(parent)
    , tbrMain(userToolBar(this))
    , txtUserID(NamedTextBox(QStringLiteral("txtUserID"), this))
    , txtUserName(NamedTextBox(QStringLiteral("txtUserName"), this))
    , cboUserGroup(NamedCombo(QStringLiteral("cboUserGroup"), this))
    , txtPassword(NamedPasswordBox(QStringLiteral("txtPassword"), this))
    , txtActivationDate(NamedTextBox(QStringLiteral("txtActivationDate"), this))
    , txtExpirationDate(NamedTextBox(QStringLiteral("txtExpirationDate"), this))
    , cmdShowUsers(NamedButton(QStringLiteral("cmdShowUsers"), QStringLiteral("Show Users"), this))
    , cmdPwdReset(
              NamedButton(QStringLiteral("cmdPwdReset"), QStringLiteral("&Reset Password "), this))
{
    setObjectName(QStringLiteral("frmUser"));
    setWindowTitle(QStringLiteral("User Information Screen"));
    txtUserName->setToolTip(QStringLiteral("User's First Name"));
    // A group is kept as typed: no completion into a listed group, no typed group added to the
    // list. Its typing box is made here, after the other fields, where the window has always
    // made it: the box stands last in the focus chain, which Shift+Tab follows.
    cboUserGroup->setEditable(true);
    cboUserGroup->setCompleter(nullptr);
    cboUserGroup->setInsertPolicy(QComboBox::NoInsert);
    SelectAllOnFocus(cboUserGroup->lineEdit());
    // The password is shown only after a reset, and only as the one the account is told to use.
    ShownOnly(txtPassword);
    // New accounts are always dated from today; the dates are shown, not typed.
    ShownOnly(txtActivationDate);
    ShownOnly(txtExpirationDate);
    layOut();

    connect(tbrMain, &KeyedToolBar::ButtonClick, this, &frmUser::tbrMain_ButtonClick);
    connect(cmdPwdReset, &QPushButton::clicked, this, &frmUser::cmdPwdReset_Click);
    connect(cmdShowUsers, &QPushButton::clicked, this, &frmUser::cmdShowUsers_Click);
}

// The fields under their labels, a button beside the user ID and one beside the password.
void frmUser::layOut()
{
    auto *fields = new QGridLayout;
    fields->setContentsMargins(14, 12, 14, 14);
    fields->setHorizontalSpacing(10);
    fields->setVerticalSpacing(8);
    const std::pair<const char *, QWidget *> rows[] = {
            {"&User ID:", txtUserID},
            {"User &Name", txtUserName},
            {"&Security Group:", cboUserGroup},
            {"&Password:", txtPassword},
            {"&Activation Date:", txtActivationDate},
            {"&Expiration Date:", txtExpirationDate},
    };
    int row = 0;
    for (const auto &[label, field] : rows) {
        fields->addWidget(FieldLabel(QString::fromLatin1(label), field, this), row, 0);
        fields->addWidget(field, row, 1);
        ++row;
    }
    fields->addWidget(cmdShowUsers, 0, 2);
    fields->addWidget(cmdPwdReset, 3, 2);
    fields->setColumnStretch(1, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tbrMain);
    layout->addLayout(fields);
    layout->addStretch();
    resize(460, sizeHint().height());
}

void frmUser::Form_Load()
{
    CentreWindow(this);
    cboUserGroup->clear();
    for (const char *group : kGroups)
        cboUserGroup->addItem(QString::fromLatin1(group));
    txtActivationDate->setText(ActivationDateText());
    txtExpirationDate->setText(ExpirationDateText());
    txtPassword->clear();
    cboUserGroup->setCurrentIndex(-1);
    cboUserGroup->setEditText(QString());
}

void frmUser::tbrMain_ButtonClick(const QString &key)
{
    if (key == QLatin1String("kFinish")) {
        // A save that did not go through keeps what was typed.
        if (AddEditUser())
            ClearAllFields();
    } else if (key == QLatin1String("kSave")) {
        AddEditUser();
    } else if (key == QLatin1String("kCancel")) {
        ClearAllFields();
    } else if (key == QLatin1String("kDelete")) {
        DeleteUser();
        if (bUserFound)
            ClearAllFields();
    } else if (key == QLatin1String("kClose")) {
        close();
    } else if (key == QLatin1String("kHelp")) {
        MsgBox(QStringLiteral("Add/Edit User Information or Reset User Password."), vbInformation);
    }
}

void frmUser::cmdPwdReset_Click()
{
    RestUserPassword();
    if (!bUserFound)
        return;
    ClearAllFields();
    txtPassword->setText(kDefaultPassword);
}

void frmUser::cmdShowUsers_Click()
{
    UserPicked = false;
    db::RowAsRead picked;
    {
        frmShowUsers picker(this);
        ShowModal(&picker, this);
        picked = picker.PickedAccount;
    }
    if (UserPicked) {
        shown_ = picked;
        txtUserID->setText(PickedUserID);
        txtUserName->setText(PickedUserName);
        cboUserGroup->setEditText(PickedUserGroup);
        update();
    }
    txtUserID->setFocus();
}

void frmUser::ClearAllFields()
{
    txtUserID->clear();
    txtUserName->clear();
    cboUserGroup->setCurrentIndex(-1);
    cboUserGroup->setEditText(QString());
    txtActivationDate->setText(ActivationDateText());
    txtExpirationDate->setText(ExpirationDateText());
    txtPassword->clear();
    shown_.clear();
}

bool frmUser::AddEditUser()
{
    bool done = false;
    ErrorTrap([&] {
        bUserFound = false;
        ReopenConnection();
        RunOn(SharedRecordset(), QStringLiteral("select distinct userid, userpwd from tblusers"));
        // No account yet is no reason to refuse: the first account is added here.
        const QString id = Trim(txtUserID->text());
        const QString name = Trim(txtUserName->text());
        const QString group = cboUserGroup->currentText();
        if (id.isEmpty() || name.isEmpty() || group.isEmpty()) {
            refuse(QStringLiteral("Please enter all information!"));
            return;
        }
        // The account shown is saved only while it is as it was read; one changed or removed
        // at another desk since is refused, never saved over nor added again. An account whose
        // ID was typed, not shown, is looked up.
        const bool shown = !shown_.isEmpty() && Trim(TextOf(shown_.key())) == id;
        const std::optional<QString> stored =
                shown ? std::optional<QString>(TextOf(shown_.key())) : findAccount(id);
        bUserFound = stored.has_value();
        if (bUserFound) {
            // Name and group only: the password and the dates stay as they are.
            const QString update = QStringLiteral("update tblusers set usergroup = ?,username = ? "
                                                  "where userid = ? ");
            if (shown)
                RunUpdateAsRead(shown_, update, {group, name, *stored});
            else
                RunCommand(update, {group, name, *stored});
            Log().addEntry(LogInfo, QStringLiteral("User Updated in Database!"));
        } else {
            // No password yet: the account picks one at its first login.
            RunCommand(QStringLiteral("insert into tblusers (userid, userpwd, usergroup, "
                                      "username, activationdate, expirationdate)values(?, '', ?, "
                                      "?, ?, ?)"),
                       {id, group, name, ActivationDateText(), ExpirationDateText()});
            Log().addEntry(LogInfo, QStringLiteral("User Added to Database!"));
        }
        Log().resetStat();
        // What this desk saved is what it last knew of the account, for a save after it.
        shown_ = db::RowAsRead(QStringLiteral("tblusers"), QStringLiteral("userid"),
                               stored.value_or(id));
        shown_.read(QStringLiteral("username"), name);
        shown_.read(QStringLiteral("usergroup"), group);
        done = true;
    });
    return done;
}

void frmUser::writeAccount(const QString &sql, const QString &stored, bool removes)
{
    if (shown_.isEmpty() || TextOf(shown_.key()) != stored)
        RunCommand(sql, {stored});
    else if (removes)
        RunDeleteAsRead(shown_, sql, {stored});
    else
        RunUpdateAsRead(shown_, sql, {stored});
}

void frmUser::DeleteUser()
{
    ErrorTrap([&] {
        bUserFound = false;
        if (!readAccounts(QStringLiteral("select distinct userid from tblusers"),
                          QStringLiteral("error_run2")))
            return;
        const QString id = Trim(txtUserID->text());
        const QString name = Trim(txtUserName->text());
        if (id == QLatin1String("admin")) {
            refuse(QStringLiteral("Cannot Delete Administrator - Admin!"));
            return;
        }
        if (id.isEmpty() || name.isEmpty()) {
            refuse(QStringLiteral("Please enter information!"));
            return;
        }
        const std::optional<QString> stored = findAccount(id);
        if (!stored) {
            refuse(QStringLiteral("User not found!"));
            return;
        }
        bUserFound = true;
        if (id == CurrentUserID) {
            refuse(QStringLiteral("Cannot Delete Current User!"));
            bUserFound = false;
            return;
        }
        // The row found, as it is stored, so that an ID kept with blanks around it goes too; the
        // account shown goes only as it was shown, not after another desk changed it.
        writeAccount(QStringLiteral("delete from tblusers where userid=?"), *stored, true);
    });
}

void frmUser::RestUserPassword()
{
    ErrorTrap([&] {
        bUserFound = false;
        if (!readAccounts(QStringLiteral("select distinct userid, userpwd from tblusers"),
                          QStringLiteral("error_run1")))
            return;
        const QString id = Trim(txtUserID->text());
        if (id.isEmpty()) {
            refuse(QStringLiteral("Please enter information!"));
            return;
        }
        if (id == CurrentUserID
            && MsgBox(QStringLiteral("When changing your password you will be required to log "
                                     "out before running any new tasks!"),
                      vbYesNo + vbCritical + vbDefaultButton2, QStringLiteral("VOS"))
                    != vbYes)
            return;
        const std::optional<QString> stored = findAccount(id);
        if (!stored) {
            refuse(QStringLiteral("User Not Found!"));
            return;
        }
        bUserFound = true;
        // No password at all: the account chooses a new one at its next login.
        writeAccount(QStringLiteral("update tblusers set userpwd = '' where userid = ? "), *stored,
                     false);
        Log().addEntry(LogInfo, QStringLiteral("User Updated in Database!"));
        Log().resetStat();
    });
}
