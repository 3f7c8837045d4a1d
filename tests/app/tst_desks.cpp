#include "DeskConnection.h"
#include "Fixture.h"
#include "TestRegistry.h"
#include "app/CUtils.h"
#include "app/modGlobals.h"
#include "catalogue/frmGroups.h"
#include "catalogue/frmPatterns.h"
#include "catalogue/frmShow.h"
#include "platform/db/DataControl.h"
#include "platform/db/Database.h"
#include "platform/db/RowAsRead.h"
#include "platform/ui/ToolBar.h"
#include "security/frmShowUsers.h"
#include "security/frmUser.h"
#include "snippets/TextBox.h"
#include "snippets/frmSnippet.h"
#include "websites/frmWebInfo.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTreeWidget>

#include <functional>
#include <memory>

// Two desks on one database: a row shown at this desk is changed, removed or locked at another
// before this desk saves it, in every window that saves a row it shows.

namespace {

const QString kTyped = QStringLiteral("Typed at desk A");
const QString kOther = QStringLiteral("Written at desk B");

// One window that saves a shown row, and how the other desk reaches that row.
struct Desk
{
    QStringList seed;
    // Makes the window and shows the row.
    std::function<std::unique_ptr<QWidget>(Fixture &)> open;
    // Shows the row again, as the user does to see what the other desk left.
    std::function<void(Fixture &, QWidget *)> reshow;
    // The field this desk types into.
    std::function<QWidget *(QWidget *)> field;
    // Answers the save's questions, with OK to a failure when it is expected, and saves.
    std::function<void(Fixture &, QWidget *, bool failing)> save;
    // The same for deleting the row shown.
    std::function<void(Fixture &, QWidget *, bool failing)> erase;
    // The other desk's statements: a change to a column this desk does not type into (the
    // same column where the row has only one), a removal, and a write that holds the row.
    QString change;
    QString remove;
    QString hold;
    // What the row holds, as text.
    QString look;
};

// A step that answers a confirmation (when asked) and OK to a failure (when expected), then
// clicks.
std::function<void(Fixture &, QWidget *, bool)> answered(bool confirmed,
                                                         std::function<void(QWidget *)> click)
{
    return [confirmed, click](Fixture &f, QWidget *window, bool failing) {
        if (confirmed)
            f.ui.answer(vbYes);
        if (failing)
            f.ui.answer(vbOK);
        click(window);
    };
}

QString textOf(QWidget *field)
{
    if (auto *box = qobject_cast<QLineEdit *>(field))
        return box->text();
    if (auto *list = qobject_cast<QComboBox *>(field))
        return list->currentText();
    return static_cast<TextBox *>(field)->text();
}

void type(QWidget *field, const QString &text)
{
    if (auto *box = qobject_cast<QLineEdit *>(field))
        box->setText(text);
    else
        static_cast<TextBox *>(field)->setText(text);
}

// Picks the grid row whose column holds name, as a double-click on it would.
void pick(ListWindow *window, const QString &column, const QString &name)
{
    window->Adodc1->Refresh();
    for (qint64 row = 0; row < window->Adodc1->RecordCount(); ++row) {
        window->Adodc1->setCurrentRow(row);
        if (TextOf(window->Adodc1->Fields(column)) == name) {
            window->DataGrid1_DblClick();
            return;
        }
    }
    QFAIL(qPrintable("no row " + name));
}

void showFile(QWidget *window)
{
    auto *browser = static_cast<frmShow *>(window);
    browser->AdoFile->setCurrentRow(0);
    browser->DataGrid1_DblClick();
    browser->cmdUnLock->click();
}

void pickAccount(Fixture &f, QWidget *window)
{
    f.ui.onModal("frmShowUsers", [](QWidget *opened) {
        auto *picker = static_cast<frmShowUsers *>(opened);
        picker->show();
        picker->lstParms->setCurrentItem(
                picker->lstParms->findItems(QStringLiteral("pat"), Qt::MatchExactly).value(0));
        picker->tbrMain2->click("kFinish2");
        return picker->result();
    });
    static_cast<frmUser *>(window)->cmdShowUsers->click();
}

Desk deskFor(const QString &name)
{
    if (name == "frmShow") {
        return {{"insert into fileprofile (FileName, FileDesc, FileGroup, FilePath, Directory, "
                 "Author) values ('main.c', 'First', 'C', '/src/main.c', '/src/', 'Ann')"},
                [](Fixture &) {
                    auto window = std::make_unique<frmShow>();
                    window->Form_Load();
                    showFile(window.get());
                    return window;
                },
                [](Fixture &, QWidget *window) { showFile(window); },
                [](QWidget *window) { return static_cast<frmShow *>(window)->txtAuthor; },
                answered(true,
                         [](QWidget *window) {
                             static_cast<frmShow *>(window)->cmdUpdate->click();
                         }),
                answered(true,
                         [](QWidget *window) { static_cast<frmShow *>(window)->cmdDel->click(); }),
                "update fileprofile set FileDesc = '" + kOther + "'",
                "delete from fileprofile",
                "update fileprofile set FileDesc = FileDesc",
                "select coalesce(Author, '') || '|' || FileDesc from fileprofile"};
    }
    if (name == "frmGroups") {
        const auto open = [](Fixture &) {
            auto window = std::make_unique<frmGroups>();
            window->Form_Load();
            pick(window.get(), "CodeType", "Pascal");
            return window;
        };
        // A file without a group, which no rename of a group may touch.
        return {{"insert into CodeTypes (CodeType) values ('Pascal')",
                 "insert into fileprofile (FileName, FileGroup) values ('unit.pas', 'Pascal')",
                 "insert into fileprofile (FileName, FileGroup) values ('loose.txt', '')"},
                open,
                [](Fixture &, QWidget *window) {
                    pick(static_cast<frmGroups *>(window), "CodeType", "Object Pascal");
                },
                [](QWidget *window) { return static_cast<frmGroups *>(window)->PName; },
                answered(true,
                         [](QWidget *window) {
                             static_cast<frmGroups *>(window)->Toolbar1->click("kUpdate");
                         }),
                answered(true,
                         [](QWidget *window) {
                             static_cast<frmGroups *>(window)->Toolbar1->click("kDelete");
                         }),
                "update CodeTypes set CodeType = 'Object Pascal' where CodeType = 'Pascal'",
                "delete from CodeTypes where CodeType = 'Pascal'",
                "update CodeTypes set CodeType = CodeType where CodeType = 'Pascal'",
                "select CodeType from CodeTypes where CodeType like '%Pascal' or CodeType = '"
                        + kTyped + "' union all select 'file ' || FileGroup from fileprofile"};
    }
    if (name == "frmPatterns") {
        return {{"insert into patterns (patterns) values ('*.pas')"},
                [](Fixture &) {
                    auto window = std::make_unique<frmPatterns>();
                    window->Form_Load();
                    pick(window.get(), "patterns", "*.pas");
                    return window;
                },
                [](Fixture &, QWidget *window) {
                    pick(static_cast<frmPatterns *>(window), "patterns", "*.pp");
                },
                [](QWidget *window) { return static_cast<frmPatterns *>(window)->PName; },
                answered(true,
                         [](QWidget *window) {
                             static_cast<frmPatterns *>(window)->Toolbar1->click("kUpdate");
                         }),
                answered(true,
                         [](QWidget *window) {
                             static_cast<frmPatterns *>(window)->Toolbar1->click("kDelete");
                         }),
                "update patterns set patterns = '*.pp' where patterns = '*.pas'",
                "delete from patterns where patterns = '*.pas'",
                "update patterns set patterns = patterns where patterns = '*.pas'",
                "select patterns from patterns where patterns in ('*.pas', '*.pp', '*.dpr')"};
    }
    if (name == "frmSnippet") {
        return {{"insert into source ([datetime], title, codetype, code, notes) values "
                 "('2026-01-02 03:04:05', 'kept', 'C', 'old code', 'First')"},
                [](Fixture &) {
                    auto window = std::make_unique<frmSnippet>();
                    window->Form_Load();
                    return window;
                },
                [](Fixture &, QWidget *window) {
                    static_cast<frmSnippet *>(window)->mnuRefresh_Click();
                },
                [](QWidget *window) { return static_cast<frmSnippet *>(window)->txtTitle; },
                answered(false,
                         [](QWidget *window) {
                             static_cast<frmSnippet *>(window)->toolBar->click("kSave");
                         }),
                answered(true,
                         [](QWidget *window) {
                             static_cast<frmSnippet *>(window)->toolBar->click("kDelete");
                         }),
                "update source set notes = '" + kOther + "'",
                "delete from source",
                "update source set notes = notes",
                "select title || '|' || notes from source"};
    }
    if (name == "frmWebInfo") {
        const auto show = [](Fixture &f, QWidget *window) {
            SelectedWebId = f.column("select webid from webname").value(0).toLongLong();
            static_cast<frmWebInfo *>(window)->SelectFromWebName();
        };
        return {{"insert into webname (webname, webaddress, companyname, notes) values "
                 "('Alpha', 'https://alpha.example', 'Alpha Ltd', 'First')"},
                [show](Fixture &f) {
                    auto window = std::make_unique<frmWebInfo>();
                    window->Form_Load();
                    show(f, window.get());
                    return window;
                },
                show,
                [](QWidget *window) { return static_cast<frmWebInfo *>(window)->txtCompany; },
                answered(false,
                         [](QWidget *window) {
                             static_cast<frmWebInfo *>(window)->Toolbar1->click("kUpdate");
                         }),
                answered(false,
                         [](QWidget *window) {
                             static_cast<frmWebInfo *>(window)->Toolbar1->click("kDelete");
                         }),
                "update webname set notes = '" + kOther + "'",
                "delete from webname",
                "update webname set notes = notes",
                "select companyname || '|' || notes from webname"};
    }
    // frmUser
    return {{"insert into tblusers values ('pat', '', 'User', 'Pat Lee', '01/02/2025', "
             "'02/01/2025')"},
            [](Fixture &f) {
                CurrentUserID = QStringLiteral("admin");
                auto window = std::make_unique<frmUser>();
                window->show();
                pickAccount(f, window.get());
                return window;
            },
            pickAccount,
            [](QWidget *window) { return static_cast<frmUser *>(window)->txtUserName; },
            answered(false,
                     [](QWidget *window) {
                         static_cast<frmUser *>(window)->tbrMain->click("kFinish");
                     }),
            answered(false,
                     [](QWidget *window) {
                         static_cast<frmUser *>(window)->tbrMain->click("kDelete");
                     }),
            "update tblusers set usergroup = '" + kOther + "' where userid = 'pat'",
            "delete from tblusers where userid = 'pat'",
            "update tblusers set usergroup = usergroup where userid = 'pat'",
            "select username || '|' || usergroup from tblusers where userid = 'pat'"};
}

// What the rows hold, in a fixed order.
QStringList rows(Fixture &f, const Desk &desk)
{
    QStringList held = f.column(desk.look);
    held.sort();
    return held;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

// The last message shown; empty when there was none.
QString lastMessage(const Fixture &f)
{
    const QStringList texts = f.ui.texts();
    return texts.isEmpty() ? QString() : texts.last();
}

const char *const kWindows[] = {"frmShow",    "frmGroups",  "frmPatterns",
                                "frmSnippet", "frmWebInfo", "frmUser"};

} // namespace

class TestDesks : public QObject
{
    Q_OBJECT
private slots:
    void saveFindsTheRowChanged_data();
    void saveFindsTheRowChanged();
    void saveMeetsALock_data();
    void saveMeetsALock();
    void deleteKeepsTheRowChanged_data();
    void deleteKeepsTheRowChanged();
};

void TestDesks::saveFindsTheRowChanged_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("removed");
    // The row after the refused save, and after it was shown again and saved (when it is
    // still there).
    QTest::addColumn<QStringList>("refused");
    QTest::addColumn<QStringList>("saved");
    const QString other = kOther;
    const struct
    {
        const char *window;
        QStringList changed, saved;
    } rows[] = {
            {"frmShow", {"Ann|" + other}, {kTyped + "|" + other}},
            {"frmGroups",
             {"Object Pascal", "file Pascal", "file "},
             {kTyped, "file Pascal", "file "}},
            {"frmPatterns", {"*.pp"}, {"*.dpr"}},
            {"frmSnippet", {"kept|" + other}, {kTyped + "|" + other}},
            {"frmWebInfo", {"Alpha Ltd|" + other}, {kTyped + "|" + other}},
            {"frmUser", {"Pat Lee|" + other}, {kTyped + "|" + other}},
    };
    for (const auto &row : rows) {
        QTest::addRow("%s, changed", row.window) << row.window << false << row.changed << row.saved;
        // A group's files keep their group when the group's row went.
        QTest::addRow("%s, removed", row.window)
                << row.window << true
                << (QString(row.window) == "frmGroups" ? QStringList{"file Pascal", "file "}
                                                       : QStringList{})
                << QStringList{};
    }
}

// A save finds its row changed or removed at another desk since it was shown: it is refused
// with a message that says which, the other desk's change stands, and the typed text stays in
// the field; once the row is shown again, the same text saves over the other desk's values.
void TestDesks::saveFindsTheRowChanged()
{
    QFETCH(QString, window);
    QFETCH(bool, removed);
    QFETCH(QStringList, refused);
    QFETCH(QStringList, saved);
    Fixture f;
    f.setUp();
    const Desk desk = deskFor(window);
    f.exec(desk.seed);
    const std::unique_ptr<QWidget> shown = desk.open(f);
    f.exec(removed ? desk.remove : desk.change);
    // Patterns must look like one.
    const QString typed = window == "frmPatterns" ? QStringLiteral("*.dpr") : kTyped;
    type(desk.field(shown.get()), typed);
    desk.save(f, shown.get(), true);
    QCOMPARE(lastMessage(f),
             "Error: " + (removed ? db::kRemovedAtAnotherDesk : db::kChangedAtAnotherDesk));
    QCOMPARE(rows(f, desk), sorted(refused));
    QCOMPARE(textOf(desk.field(shown.get())), typed);
    if (!removed) {
        desk.reshow(f, shown.get());
        QVERIFY(textOf(desk.field(shown.get())) != typed);
        type(desk.field(shown.get()), typed);
        desk.save(f, shown.get(), false);
        QCOMPARE(rows(f, desk), sorted(saved));
    }
    VERIFY_CLEAN(f);
}

void TestDesks::saveMeetsALock_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("message");
    // The rows once the same save went through after the lock.
    QTest::addColumn<QStringList>("saved");
    const QStringList saved[] = {{kTyped + "|First"}, {kTyped, "file " + kTyped, "file "},
                                 {"*.dpr"},           {kTyped + "|First"},
                                 {kTyped + "|First"}, {kTyped + "|User"}};
    int at = 0;
    for (const char *window : kWindows) {
        QTest::addRow("%s", window)
                << window
                << (QString(window) == "frmShow" ? "Error - Cannot Update Master Database!"
                                                 : "Error: ")
                << saved[at++];
    }
}

// Another desk holds the row in a write of its own while this desk saves: the save fails with
// a message, the typed text stays, and the same save goes through once the other desk is done.
void TestDesks::saveMeetsALock()
{
    QFETCH(QString, window);
    QFETCH(QString, message);
    QFETCH(QStringList, saved);
    // The wait for another desk's lock is shortened, so that the test need not wait it out.
    const int wait = db::LockWait();
    db::SetLockWait(300);
    const auto restore = qScopeGuard([wait] { db::SetLockWait(wait); });
    Fixture f;
    f.setUp();
    const Desk desk = deskFor(window);
    f.exec(desk.seed);
    const QStringList before = rows(f, desk);
    const std::unique_ptr<QWidget> shown = desk.open(f);
    const QString typed = window == "frmPatterns" ? QStringLiteral("*.dpr") : kTyped;
    type(desk.field(shown.get()), typed);
    {
        DeskConnection other(f.dbPath);
        other.BeginTrans();
        other.Execute(desk.hold);
        desk.save(f, shown.get(), true);
        other.RollbackTrans();
    }
    QVERIFY2(lastMessage(f).startsWith(message), qPrintable(lastMessage(f)));
    QCOMPARE(rows(f, desk), before);
    QCOMPARE(textOf(desk.field(shown.get())), typed);
    desk.save(f, shown.get(), false);
    QCOMPARE(rows(f, desk), sorted(saved));
    VERIFY_CLEAN(f);
}

void TestDesks::deleteKeepsTheRowChanged_data()
{
    QTest::addColumn<QString>("window");
    // What is left once the row, shown again, was deleted.
    QTest::addColumn<QStringList>("left");
    for (const char *window : kWindows) {
        // A group's files keep their group when the group's row went.
        QTest::addRow("%s", window)
                << window
                << (QString(window) == "frmGroups" ? QStringList{"file Pascal", "file "}
                                                   : QStringList{});
    }
}

// A delete finds its row changed at another desk since it was shown: the row is kept with the
// other desk's change and a message says why; shown again, it is deleted.
void TestDesks::deleteKeepsTheRowChanged()
{
    QFETCH(QString, window);
    QFETCH(QStringList, left);
    Fixture f;
    f.setUp();
    const Desk desk = deskFor(window);
    f.exec(desk.seed);
    const std::unique_ptr<QWidget> shown = desk.open(f);
    f.exec(desk.change);
    const QStringList changed = rows(f, desk);
    desk.erase(f, shown.get(), true);
    QCOMPARE(lastMessage(f), "Error: " + db::kChangedBeforeDelete);
    QCOMPARE(rows(f, desk), changed);
    desk.reshow(f, shown.get());
    desk.erase(f, shown.get(), false);
    QCOMPARE(rows(f, desk), sorted(left));
    VERIFY_CLEAN(f);
}

REGISTER_TEST(TestDesks)
#include "tst_desks.moc"
