#include "Fixture.h"
#include "TestRegistry.h"
#include "app/modGlobals.h"
#include "platform/ui/ToolBar.h"
#include "security/Password.h"
#include "security/frmChangePass.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

namespace {

// The policy's rules by number: message, title, icon; every rule but the first empties the field.
struct Rule
{
    const char *message;
    const char *title;
    int style;
};
const Rule kRules[] = {
        {},
        {"Your password can be the same as the old.", "New Password", vbOKOnly},
        {"Your password must be at least 5 characters.", "New Password", vbOKOnly},
        {"The default 'quintave' can not be used.", "New Password.", vbCritical},
        {"The default 'quintave' can not be in the password.", "New Password.", vbCritical},
        {"The 'password' can not be the UserID.", "New Password.", vbCritical},
        {"The password can not contain similiar words from old password.", "New Password.",
         vbCritical},
};
const QString kMismatch = QStringLiteral("Your password and verify password do not match.");

// The user is logged in with password typed; the row holds stored and dates of long ago.
void loggedIn(Fixture &f, const QString &uid, const QString &typed, const QVariant &stored)
{
    f.setUp("1");
    f.exec("insert into tblusers values (?, ?, 'User', ?, '01/02/2025', '02/01/2025')",
           {uid, stored, uid});
    CurrentUserID = uid;
    CurrentPassword = typed;
}

QString row(Fixture &f, const QString &uid)
{
    return f.column("select coalesce(userpwd, '') || ' ' || activationdate || ' ' || "
                    "expirationdate "
                    "from tblusers where userid = ?",
                    {uid})
            .value(0);
}

} // namespace

class TestChangePass : public QObject
{
    Q_OBJECT
private slots:
    void policy_data();
    void policy();
    void checksRunOnLeavingAField();
    void finish_data();
    void finish();
    void failures_data();
    void failures();
};

void TestChangePass::policy_data()
{
    QTest::addColumn<QString>("oldPwd");
    QTest::addColumn<QString>("userId");
    QTest::addColumn<QString>("newPwd");
    QTest::addColumn<int>("rule");
    const auto row = [](const char *name, const char *oldPwd, const char *newPwd, int rule) {
        QTest::newRow(name) << oldPwd << "walrus7" << newPwd << rule;
    };
    row("same as the old", "Apple123", "Apple123", 1);
    // Only the case differs: a new password, but one sharing the old one's middle.
    row("old in other case", "Apple123", "APPLE123", 6);
    row("four characters", "Apple123", "Zq9x", 2);
    row("five characters", "Apple123", "Zq9xw", 0);
    row("empty", "Apple123", "", 0);
    row("the default", "Apple123", "quintave", 3);
    row("the default in capitals", "Apple123", "QUINTAVE", 4);
    row("the default inside", "Apple123", "myQuinTave9", 4);
    row("the user ID", "Apple123", "walrus7", 5);
    row("the user ID in other case", "Apple123", "Walrus7", 0);
    row("middle of eight, mixed case", "abcdefgh", "xxCdEfyy", 6);
    row("first four of eight", "abcdefgh", "abcdxyz1", 0);
    row("middle of five", "abcde", "zzcdezz", 6);
    row("old of two, any new", "ab", "Zebra991", 6);
    row("old of two, empty new", "ab", "", 0);
}

void TestChangePass::policy()
{
    QFETCH(QString, oldPwd);
    QFETCH(QString, userId);
    QFETCH(QString, newPwd);
    QFETCH(int, rule);
    Fixture f;
    loggedIn(f, userId, oldPwd, HashPassword(oldPwd));
    frmChangePass window;
    window.Form_Load();
    window.txtNewPwd->setText(newPwd);
    if (rule != 0)
        f.ui.answer(vbOK);
    bool cancel = false;
    window.txtNewPwd_Validate(cancel);
    QCOMPARE(cancel, rule != 0);
    if (rule != 0) {
        QCOMPARE(f.ui.texts(), QStringList{kRules[rule].message});
        QCOMPARE(f.ui.messages[0].title, QString(kRules[rule].title));
        QCOMPARE(f.ui.messages[0].style, kRules[rule].style);
    }
    QCOMPARE(window.txtNewPwd->text(), rule > 1 ? QString() : newPwd);
    VERIFY_CLEAN(f);
}

// The checks run as the user moves from field to field. A broken rule sends the focus back to
// the new password without the verification complaining about the field it leaves.
void TestChangePass::checksRunOnLeavingAField()
{
    Fixture f;
    loggedIn(f, "pat", "Apple123", HashPassword("Apple123"));
    frmChangePass window;
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(QApplication::focusWidget(), window.txtNewPwd);

    window.txtNewPwd2->setText("Heron2027");
    QTest::keyClicks(window.txtNewPwd, "abc");
    f.ui.answer(vbOK);
    QTest::keyClick(window.txtNewPwd, Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), window.txtNewPwd);
    QTest::qWait(20);
    QCOMPARE(f.ui.texts(), QStringList{kRules[2].message});
    QCOMPARE(window.txtNewPwd2->text(), QStringLiteral("Heron2027"));

    QTest::keyClicks(window.txtNewPwd, "Heron2028");
    QTest::keyClick(window.txtNewPwd, Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), window.txtNewPwd2);
    f.ui.answer(vbOK);
    QTest::keyClick(window.txtNewPwd2, Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), window.txtNewPwd);
    QTest::qWait(20);
    QCOMPARE(f.ui.texts(), QStringList({kRules[2].message, kMismatch}));
    QCOMPARE(window.txtNewPwd->text() + window.txtNewPwd2->text(), QString());
    QCOMPARE(f.ui.messages[1].title, QStringLiteral("Password"));

    // An empty verification is no mismatch.
    window.txtNewPwd->setText("Heron2027");
    window.txtNewPwd2_Validate();
    QCOMPARE(f.ui.messages.size(), 2);
    VERIFY_CLEAN(f);
}

void TestChangePass::finish_data()
{
    QTest::addColumn<QString>("uid");
    // The stored form of the password Apple123: "hash", "old" (the reversible form) or none.
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("typedOld");
    QTest::addColumn<QString>("newPwd");
    QTest::addColumn<QString>("again");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("byEnter"); // Enter in the last field instead of Finish
    const auto row = [](const char *name, const char *uid, const char *form, const char *typedOld,
                        const char *newPwd, const char *again, const QString &message,
                        bool byEnter = false) {
        QTest::newRow(name) << uid << form << typedOld << newPwd << again << message << byEnter;
    };
    const QString notChanged = "Password not changed!";
    const QString enter = "Please Enter Password.";
    row("changed", "pat", "hash", "Apple123", "Heron2027", "Heron2027", "");
    row("changed by Enter", "pat", "hash", "Apple123", "Heron2027", "Heron2027", "", true);
    row("blanks around the new one", "pat", "hash", "Apple123", " Heron2027 ", " Heron2027 ", "");
    row("old form stored", "pat", "old", "Apple123", "Heron2027", "Heron2027", "");
    row("quote in the user ID", "o'neil", "hash", "Apple123", "Heron2027", "Heron2027", "");
    row("wrong old password", "pat", "hash", "Apple124", "Heron2027", "Heron2027", notChanged);
    row("no password stored", "pat", "", "Apple123", "Heron2027", "Heron2027", notChanged);
    row("new empty", "pat", "hash", "Apple123", "", "Heron2027", enter);
    row("blanks only", "pat", "hash", "Apple123", "      ", "      ", enter);
    // Finish is pressed straight from a field: the checks run again before anything is stored.
    row("verify differs", "pat", "hash", "Apple123", "Heron2027", "Heron2072", kMismatch);
    row("policy broken", "pat", "hash", "Apple123", "quintave", "quintave", kRules[3].message);
}

void TestChangePass::finish()
{
    QFETCH(QString, uid);
    QFETCH(QString, form);
    QFETCH(QString, typedOld);
    QFETCH(QString, newPwd);
    QFETCH(QString, again);
    QFETCH(QString, message);
    QFETCH(bool, byEnter);
    Fixture f;
    QString plain = "Apple123";
    loggedIn(f, uid, plain,
             form == "hash"          ? QVariant(HashPassword(plain))
                     : form == "old" ? QVariant(EncodePassword(plain, kPasswordKey))
                                     : QVariant());
    const QString before = row(f, uid);
    frmChangePass window;
    window.show();
    window.txtOldPwd->setText(typedOld);
    window.txtNewPwd->setText(newPwd);
    window.txtNewPwd2->setText(again);
    if (!message.isEmpty())
        f.ui.answer(vbOK);
    if (byEnter)
        QTest::keyClick(window.txtNewPwd2, Qt::Key_Return);
    else
        window.tbrMain->click("kFinish");

    const bool changed = message.isEmpty();
    QCOMPARE(f.ui.texts(), changed ? QStringList() : QStringList{message});
    QCOMPARE(window.isVisible(), !changed);
    QCOMPARE(LoginFailed, !changed);
    QCOMPARE(CurrentPassword, changed ? newPwd.trimmed() : plain);
    if (changed) {
        const QString stored = row(f, uid).section(' ', 0, 0);
        QVERIFY(stored.startsWith("$argon2id$"));
        QVERIFY(VerifyPassword(stored, newPwd.trimmed()));
        QCOMPARE(row(f, uid).section(' ', 1), QStringLiteral("12/07/2026 01/06/2027"));
        QCOMPARE(window.txtExpirationDate->text(), QStringLiteral("01/06/2027"));
    } else {
        QCOMPARE(row(f, uid), before);
    }
    VERIFY_CLEAN(f);
}

void TestChangePass::failures_data()
{
    QTest::addColumn<bool>("tableMissing");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("logged");
    QTest::newRow("no accounts") << false << QStringList() << ",2,\"Table is Empty\"";
    QTest::newRow("no table") << true << QStringList{"Error: " + MissingTable("tblusers")}
                              << MissingTable("tblusers").replace("\"", "\"\"");
}

// Neither failure closes the window or changes the session's password; both are logged and
// shown in the log viewer.
void TestChangePass::failures()
{
    QFETCH(bool, tableMissing);
    QFETCH(QStringList, messages);
    QFETCH(QString, logged);
    Fixture f;
    loggedIn(f, "pat", "Apple123", HashPassword("Apple123"));
    f.exec(tableMissing ? "drop table tblusers" : "delete from tblusers");
    InteractiveMode = 1;
    frmChangePass window;
    window.show();
    window.txtNewPwd->setText("Heron2027");
    window.txtNewPwd2->setText("Heron2027");
    for (int i = 0; i < messages.size(); ++i)
        f.ui.answer(vbOK);
    f.ui.onModal("frmLog");
    window.tbrMain->click("kFinish");
    QCOMPARE(f.ui.texts(), messages);
    QCOMPARE(f.ui.modals, QStringList{"frmLog"});
    QVERIFY2(f.logText().contains(logged), qPrintable(f.logText()));
    QVERIFY(window.isVisible());
    QCOMPARE(CurrentPassword, QStringLiteral("Apple123"));
    VERIFY_CLEAN(f);
}

REGISTER_TEST(TestChangePass)
#include "tst_changepass.moc"
