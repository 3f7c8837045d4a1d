#include "Fixture.h"
#include "TestRegistry.h"
#include "app/CLog.h"
#include "app/modGlobals.h"
#include "platform/ui/ToolBar.h"
#include "security/Password.h"
#include "security/frmChangePass.h"
#include "security/frmLogin.h"
#include "security/frmShowUsers.h"
#include "security/frmUser.h"
#include "security/frmVerify.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace {

const QString kNewDates = QStringLiteral("12/07/2026|01/06/2027");
const QString kOldDates = QStringLiteral("01/02/2025|02/01/2025");

// An administrator in the user window, with two accounts besides admin.
struct Administering
{
    Fixture f;
    frmUser window;

    Administering()
    {
        f.setUp("1");
        CurrentUserID = "admin";
        f.exec("insert into tblusers values (?, ?, 'User', 'Pat Lee', ?, ?), "
               "(?, ?, 'Pay''roll', 'Ann O''Neil', ?, ?)",
               {"pat", HashPassword("Apple123"), kOldDates.section('|', 0, 0),
                kOldDates.section('|', 1), "o'neil", "", kOldDates.section('|', 0, 0),
                kOldDates.section('|', 1)});
        window.show();
    }

    void type(const QString &uid, const QString &name, const QString &group)
    {
        window.txtUserID->setText(uid);
        window.txtUserName->setText(name);
        window.cboUserGroup->setEditText(group);
    }

    // The account's "group|name|activation|expiration", its password kept apart.
    QString row(const QString &uid, QString *password = nullptr)
    {
        if (password)
            *password = f.column("select userpwd from tblusers where userid = ?", {uid}).value(0);
        return f.column("select usergroup || '|' || username || '|' || activationdate || '|' "
                        "|| expirationdate from tblusers where userid = ?",
                        {uid})
                .value(0);
    }

    QStringList ids() { return f.column("select userid from tblusers order by userid"); }
    bool cleared() const
    {
        return (window.txtUserID->text() + window.txtUserName->text()).isEmpty();
    }
};

// A login as start-up shows it; an account without a password chooses firstPassword.
bool logIn(Fixture &f, const QString &uid, const QString &pwd, const QString &firstPassword = {})
{
    f.ui.onModal("frmVerify", [firstPassword](QWidget *window) {
        auto *verify = static_cast<frmVerify *>(window);
        verify->show();
        verify->txtPWD->setText(firstPassword);
        verify->txtPWD2->setText(firstPassword);
        verify->cmdOK->click();
        return verify->result();
    });
    frmLogin login;
    login.show();
    login.txtUID->setText(uid);
    login.txtPWD->setText(pwd);
    login.cmdOK_Click();
    return !LoginFailed;
}

QStringList columnTexts(QTreeWidget *list, int column)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(column);
    return texts;
}

} // namespace

class TestUsers : public QObject
{
    Q_OBJECT
private slots:
    void save_data();
    void save();
    void firstAccountOfAnEmptyTable();
    void deleteAccount_data();
    void deleteAccount();
    void resetPassword_data();
    void resetPassword();
    void showUsers_data();
    void showUsers();
    void pickerSorts_data();
    void pickerSorts();
    void newAccountLogsInAndChangesItsPassword();
};

void TestUsers::save_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QString>("stored");
    // The row expected under the trimmed user ID, and the log line or message.
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("said");
    const auto row = [](const char *name, const char *key, const QStringList &typed,
                        const QString &expected, const char *said) {
        QTest::newRow(name) << key << typed << typed[0].trimmed() << expected << said;
    };
    const char *added = "User Added to Database!";
    const char *updated = "User Updated in Database!";
    row("new", "kSave", {"jo", "Jo March", "Billing"}, "Billing|Jo March|" + kNewDates, added);
    row("new, finished", "kFinish", {" jo ", " Jo March ", "Night Shift"},
        "Night Shift|Jo March|" + kNewDates, added);
    row("quotes", "kSave", {"d'arcy", "Fitz D'Arcy", "Bill'ing"},
        "Bill'ing|Fitz D'Arcy|" + kNewDates, added);
    row("other case is a new account", "kSave", {"PAT", "Pat Upper", "User"},
        "User|Pat Upper|" + kNewDates, added);
    row("update", "kSave", {"pat", "Patricia Lee", "Payroll"}, "Payroll|Patricia Lee|" + kOldDates,
        updated);
    row("update with quotes", "kFinish", {" o'neil", "Ann O'Neil-Ray", "Pay'roll"},
        "Pay'roll|Ann O'Neil-Ray|" + kOldDates, updated);
    row("no user ID", "kSave", {"  ", "Jo March", "User"}, "", "Please enter all information!");
    row("no name", "kSave", {"pat", "", "User"}, "User|Pat Lee|" + kOldDates,
        "Please enter all information!");
    row("no group", "kSave", {"pat", "Pat Lee", ""}, "User|Pat Lee|" + kOldDates,
        "Please enter all information!");
}

void TestUsers::save()
{
    QFETCH(QString, key);
    QFETCH(QStringList, typed);
    QFETCH(QString, stored);
    QFETCH(QString, expected);
    QFETCH(QString, said);
    Administering a;
    QString before, after;
    a.row(stored, &before);
    const bool refused = said.startsWith("Please");
    if (refused)
        a.f.ui.answer(vbOK);
    a.type(typed[0], typed[1], typed[2]);
    a.window.tbrMain->click(key);
    QCOMPARE(a.row(stored, &after), expected);
    // A new account has no password yet; an update leaves the password as it was.
    QCOMPARE(after, before);
    QCOMPARE(a.f.ui.texts(), refused ? QStringList{said} : QStringList());
    QCOMPARE(a.f.logText().contains(",0,\"" + said + "\""), !refused);
    QCOMPARE(a.cleared(), key == "kFinish");
    VERIFY_CLEAN(a.f);
}

// With no account at all nobody could ever log in again: the first one is added, not refused.
void TestUsers::firstAccountOfAnEmptyTable()
{
    Administering a;
    a.f.exec("delete from tblusers");
    a.type("admin", "Administrator", "Administrator");
    a.window.tbrMain->click("kSave");
    QCOMPARE(a.row("admin"), "Administrator|Administrator|" + kNewDates);
    VERIFY_CLEAN(a.f);
}

void TestUsers::deleteAccount_data()
{
    QTest::addColumn<QString>("uid");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    const auto row = [](const char *n, const char *uid, const char *name, const char *message) {
        QTest::newRow(n) << uid << name << message;
    };
    row("deleted", " o'neil ", "any name", "");
    row("admin, even without a name", "admin", "", "Cannot Delete Administrator - Admin!");
    row("no name", "o'neil", "", "Please enter information!");
    row("no user ID", "", "Ann", "Please enter information!");
    row("unknown", "nobody", "x", "User not found!");
    row("other case", "O'NEIL", "x", "User not found!");
    row("the current user", "pat", "Pat Lee", "Cannot Delete Current User!");
}

void TestUsers::deleteAccount()
{
    QFETCH(QString, uid);
    QFETCH(QString, name);
    QFETCH(QString, message);
    Administering a;
    CurrentUserID = "pat";
    a.type(uid, name, "User");
    if (!message.isEmpty())
        a.f.ui.answer(vbOK);
    a.window.tbrMain->click("kDelete");
    QCOMPARE(a.f.ui.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(a.ids(),
             message.isEmpty() ? QStringList({"admin", "pat"})
                               : QStringList({"admin", "o'neil", "pat"}));
    QCOMPARE(a.cleared(), message.isEmpty());
    VERIFY_CLEAN(a.f);
}

void TestUsers::resetPassword_data()
{
    QTest::addColumn<QString>("uid");
    QTest::addColumn<QString>("currentUser");
    // The answer to the question before one's own password is reset (0: not asked).
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("message");
    QTest::newRow("another account") << " pat "
                                     << "admin" << 0 << "";
    QTest::newRow("own, Yes") << "pat"
                              << "pat" << int(vbYes) << "";
    QTest::newRow("own, No") << "pat"
                             << "pat" << int(vbNo) << "";
    QTest::newRow("no user ID") << ""
                                << "admin" << 0 << "Please enter information!";
    QTest::newRow("other case") << "PAT"
                                << "admin" << 0 << "User Not Found!";
}

void TestUsers::resetPassword()
{
    QFETCH(QString, uid);
    QFETCH(QString, currentUser);
    QFETCH(int, answer);
    QFETCH(QString, message);
    Administering a;
    CurrentUserID = currentUser;
    QString password;
    a.type(uid, "Pat Lee", "User");
    if (answer != 0)
        a.f.ui.answer(answer);
    if (!message.isEmpty())
        a.f.ui.answer(vbOK);
    a.window.cmdPwdReset->click();
    const bool reset = message.isEmpty() && answer != vbNo;
    if (answer != 0) {
        QCOMPARE(a.f.ui.messages[0].title, QStringLiteral("VOS"));
        QCOMPARE(a.f.ui.messages[0].style, int(vbYesNo + vbCritical + vbDefaultButton2));
    }
    QCOMPARE(a.f.ui.messages.size(), int(answer != 0) + int(!message.isEmpty()));
    QCOMPARE(a.row("pat", &password), "User|Pat Lee|" + kOldDates);
    QCOMPARE(password.isEmpty(), reset);
    QCOMPARE(a.window.txtPassword->text(), reset ? QStringLiteral("quintave") : QString());
    QCOMPARE(a.cleared(), reset);
    VERIFY_CLEAN(a.f);
}

void TestUsers::showUsers_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("picked");
    QTest::newRow("Finish") << "kFinish2" << true;
    QTest::newRow("double-click") << "double-click" << true;
    QTest::newRow("Cancel") << "kCancel2" << false;
}

void TestUsers::showUsers()
{
    QFETCH(QString, how);
    QFETCH(bool, picked);
    Administering a;
    a.type("typed", "Typed Name", "Billing");
    QStringList listed;
    a.f.ui.onModal("frmShowUsers", [&](QWidget *window) {
        auto *picker = static_cast<frmShowUsers *>(window);
        picker->show();
        listed = columnTexts(picker->lstParms, 0);
        picker->lstParms->setCurrentItem(picker->lstParms->topLevelItem(1));
        if (how == "double-click")
            picker->lstParms_DblClick();
        else
            picker->tbrMain2->click(how);
        return picker->result();
    });
    a.window.cmdShowUsers->click();
    QCOMPARE(listed, QStringList({"admin", "o'neil", "pat"}));
    QCOMPARE(a.f.ui.owners, QStringList{"frmUser"});
    QCOMPARE(UserPicked, picked);
    QCOMPARE(QStringList({a.window.txtUserID->text(), a.window.txtUserName->text(),
                          a.window.cboUserGroup->currentText()}),
             picked ? QStringList({"o'neil", "Ann O'Neil", "Pay'roll"})
                    : QStringList({"typed", "Typed Name", "Billing"}));
    VERIFY_CLEAN(a.f);
}

void TestUsers::pickerSorts_data()
{
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<int>("column");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("as read: by user ID")
            << QList<int>{} << 0 << QStringList({"admin", "bo", "cy", "dee"});
    QTest::newRow("by name") << QList<int>{1} << 1
                             << QStringList({"Abe Wu", "Administrator", "Yan Li", "Zed Ray"});
    QTest::newRow("by group") << QList<int>{2} << 2
                              << QStringList({"Administrator", "Billing", "Payroll", "User"});
    QTest::newRow("by name, then user ID")
            << QList<int>{1, 0} << 0 << QStringList({"admin", "bo", "cy", "dee"});
}

void TestUsers::pickerSorts()
{
    QFETCH(QList<int>, clicks);
    QFETCH(int, column);
    QFETCH(QStringList, order);
    Fixture f;
    f.setUp("1");
    f.exec("insert into tblusers (userid, username, usergroup) values "
           "('dee', 'Zed Ray', 'User'), ('bo', 'Yan Li', 'Billing'), ('cy', 'Abe Wu', 'Payroll')");
    frmShowUsers picker;
    picker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picker));
    QHeaderView *header = picker.lstParms->header();
    for (int section : clicks)
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          {header->sectionViewportPosition(section) + 10, header->height() / 2});
    QCOMPARE(columnTexts(picker.lstParms, column), order);
    VERIFY_CLEAN(f);
}

// An administrator adds an account; its user chooses a first password at login, changes it and
// logs in with the new one only. A reset sends the account back to choosing a first password.
void TestUsers::newAccountLogsInAndChangesItsPassword()
{
    Fixture f;
    f.setUp("1");
    QVERIFY(logIn(f, "admin", "rowan"));
    {
        frmUser window;
        window.show();
        window.txtUserID->setText("jo");
        window.txtUserName->setText("Jo March");
        window.cboUserGroup->setEditText("User");
        window.tbrMain->click("kFinish");
    }
    QVERIFY(logIn(f, "jo", "anything", "First2026"));
    QCOMPARE(CurrentGroup, QStringLiteral("User"));
    {
        frmChangePass window;
        window.show();
        QCOMPARE(window.txtOldPwd->text(), QStringLiteral("First2026"));
        for (QLineEdit *box : window.findChildren<QLineEdit *>())
            QCOMPARE(box->echoMode() == QLineEdit::Password,
                     box->objectName().contains("Pass") || box->objectName().contains("Pwd"));
        window.txtNewPwd->setText("Heron2027");
        window.txtNewPwd2->setText("Heron2027");
        window.tbrMain->click("kFinish");
        QVERIFY(!window.isVisible());
    }
    f.ui.answer(vbOK);
    QVERIFY(!logIn(f, "jo", "First2026"));
    QVERIFY(logIn(f, "jo", "Heron2027"));

    QVERIFY(logIn(f, "admin", "rowan"));
    {
        frmUser window;
        window.show();
        window.txtUserID->setText("jo");
        window.cmdPwdReset->click();
    }
    QVERIFY(logIn(f, "jo", "whatever", "Third2028"));
    QCOMPARE(f.ui.modals, QStringList({"frmVerify", "frmVerify"}));
    QCOMPARE(f.ui.texts(), QStringList{"Invalid Password, please re-enter the Password."});
    VERIFY_CLEAN(f);
}

REGISTER_TEST(TestUsers)
#include "tst_users.moc"
