#include "Fixture.h"
#include "TestRegistry.h"
#include "app/CUtils.h"
#include "app/modGlobals.h"
#include "app/session.h"
#include "catalogue/frmGroups.h"
#include "catalogue/frmPatterns.h"
#include "catalogue/frmShow.h"
#include "platform/db/DataControl.h"
#include "platform/ui/DataGrid.h"
#include "platform/ui/ToolBar.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <QToolButton>
#include <algorithm>
#include <memory>

namespace {

constexpr int kQuestion = vbYesNo + vbCritical;

// Picks the grid row holding name, as a double-click on it would.
void pick(ListWindow &window, const QString &field, const QString &name)
{
    for (qint64 row = 0; row < window.Adodc1->RecordCount(); ++row) {
        window.Adodc1->setCurrentRow(row);
        if (TextOf(window.Adodc1->Fields(field)) == name) {
            window.DataGrid1_DblClick();
            return;
        }
    }
    QFAIL(qPrintable("no row " + name));
}

void pick(frmGroups &window, const QString &name)
{
    pick(window, "CodeType", name);
}

void pick(frmPatterns &window, const QString &name)
{
    pick(window, "patterns", name);
}

QStringList groups(Fixture &f)
{
    return f.column("select CodeType from CodeTypes where CodeType <> '[All Groups]' "
                    "order by CodeType");
}

bool newSwitchedOn(ListWindow &window)
{
    return window.Toolbar1->button("kNew")->isEnabled();
}

} // namespace

class TestLists : public QObject
{
    Q_OBJECT
private slots:
    void groupAdd_data();
    void groupAdd();
    void groupRenameCarriesIntoFilesAndSnippets();
    void groupDeleteLeavesBlank();
    void groupRenameMovesItsFiles_data();
    void groupRenameMovesItsFiles();
    void longGroupRenameCanBeLeftForLater();
    void groupCascadeIsAllOrNothing_data();
    void groupCascadeIsAllOrNothing();
    void enterAddsOrChanges_data();
    void enterAddsOrChanges();
    void groupNeedsAPickedRow_data();
    void groupNeedsAPickedRow();
    void positionCaption();
    void patternAdd_data();
    void patternAdd();
    void patternUpdateAndDelete();
    void printedInTheOrderAdded_data();
    void printedInTheOrderAdded();
};

void TestLists::groupAdd_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("count"); // of groups afterwards, besides "[All Groups]"
    const QString refused = "Please Enter Group to Add!";
    QTest::newRow("new") << "Rust" << int(vbYes) << "Add New Group: Rust" << 10;
    QTest::newRow("trimmed") << "  Go  " << int(vbYes) << "Add New Group: Go" << 10;
    QTest::newRow("quote") << "O'Caml" << int(vbYes) << "Add New Group: O'Caml" << 10;
    QTest::newRow("existing adds again") << "C" << int(vbYes) << "Add New Group: C" << 10;
    QTest::newRow("answered No") << "Rust" << int(vbNo) << "Add New Group: Rust" << 9;
    QTest::newRow("empty") << "" << int(vbOK) << refused << 9;
    QTest::newRow("blanks") << "   " << int(vbOK) << refused << 9;
    QTest::newRow("pseudo-group") << "[All Groups]" << int(vbOK) << refused << 9;
    QTest::newRow("pseudo-group, other case") << " [ALL groups] " << int(vbOK) << refused << 9;
}

void TestLists::groupAdd()
{
    QFETCH(QString, typed);
    QFETCH(int, answer);
    QFETCH(QString, shown);
    QFETCH(int, count);
    Fixture f;
    f.setUp();
    frmGroups window;
    window.Form_Load();
    window.PName->setText(typed);
    f.ui.answer(answer);
    window.Toolbar1->click("kNew");
    QCOMPARE(f.ui.texts(), QStringList{shown});
    const bool question = shown.startsWith("Add New");
    QCOMPARE(f.ui.messages[0].title, question ? QStringLiteral("Add Confirmation") : "Error!");
    QCOMPARE(f.ui.messages[0].style, question ? kQuestion : int(vbCritical));
    QCOMPARE(groups(f).size(), count);
    if (answer == vbYes)
        QVERIFY(groups(f).contains(Trim(typed)));
    QCOMPARE(window.Adodc1->RecordCount(), count);
    QCOMPARE(window.barAdodc1->caption(), QStringLiteral("1 of %1").arg(count));
    QCOMPARE(window.PName->text().isEmpty(), answer == vbYes || typed.isEmpty());
}

// A file's indexes as it defines them. A cascade over most of the rows builds the group's
// indexes again; they must come back as they were, also when it fails.
static QStringList fileIndexes(Fixture &f)
{
    return f.onServer() ? QStringList()
                        : f.column("select name || ': ' || sql from sqlite_schema "
                                   "where type = 'index' and sql is not null order by name");
}

void TestLists::groupRenameCarriesIntoFilesAndSnippets()
{
    Fixture f;
    f.setUp();
    for (const char *group : {"C", "C", "C++"})
        f.exec("insert into fileprofile (FileName, FileGroup) values ('a.c', ?)", {group});
    f.exec("insert into source (Title, CodeType) values ('hello', 'C')");
    const QStringList indexes = fileIndexes(f);
    frmGroups window;
    window.Form_Load();
    pick(window, "C");
    QCOMPARE(window.sOldGroup, QStringLiteral("C"));
    QVERIFY(!newSwitchedOn(window));
    window.PName->setText("C11  ");
    f.ui.answer(vbYes);
    window.ConfirmUpdate();
    QCOMPARE(f.ui.texts(),
             QStringList{"This will change all Filenames and Snippets that have the code type C "
                         "to the new code type C11. Do You Want To Continue?"});
    QCOMPARE(f.ui.messages[0].title, QStringLiteral("Update Confirmation"));
    // Everything gets the name as the group's own row keeps it: trimmed.
    QVERIFY(groups(f).contains("C11"));
    QVERIFY(!groups(f).contains("C"));
    QCOMPARE(f.column("select FileGroup from fileprofile order by Inum"),
             QStringList({"C11", "C11", "C++"}));
    QCOMPARE(f.column("select CodeType from source"), QStringList{"C11"});
    QCOMPARE(fileIndexes(f), indexes);
    QVERIFY(window.sOldGroup.isEmpty());
    QVERIFY(newSwitchedOn(window));
    QVERIFY(window.PName->text().isEmpty());
}

void TestLists::groupDeleteLeavesBlank()
{
    Fixture f;
    f.setUp();
    f.exec("insert into fileprofile (FileName, FileGroup) values ('a.py', 'Python')");
    f.exec("insert into source (Title, CodeType) values ('hello', 'Python')");
    frmGroups window;
    window.Form_Load();
    pick(window, "Python");
    f.ui.answer(vbYes);
    window.Toolbar1->click("kDelete");
    QCOMPARE(f.ui.texts(),
             QStringList{"This will change all Filenames and Snippets that have the code type "
                         "Python to a <blank> code type. Do You Want To Continue?"});
    QCOMPARE(f.ui.messages[0].title, QStringLiteral("Delete Confirmation"));
    QVERIFY(!groups(f).contains("Python"));
    QVERIFY(!groups(f).contains("<blank>"));
    QCOMPARE(f.column("select FileGroup from fileprofile"), QStringList{"<blank>"});
    QCOMPARE(f.column("select CodeType from source"), QStringList{"<blank>"});
    QCOMPARE(window.barAdodc1->caption(), QStringLiteral("1 of 8"));
}

void TestLists::groupRenameMovesItsFiles_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<bool>("carryFails");
    QTest::addColumn<QStringList>("files"); // their groups afterwards
    QTest::newRow("to a new name") << "C"
                                   << "C11" << false << QStringList{"C11", "C11", "C++"};
    QTest::newRow("into a smaller group") << "C"
                                          << "C++" << false << QStringList{"C++", "C++", "C++"};
    QTest::newRow("into a larger group") << "C++"
                                         << "C" << false << QStringList{"C", "C", "C"};
    QTest::newRow("the files' names left for later")
            << "C"
            << "C11" << true << QStringList{"C11", "C11", "C++"};
}

// The files of a renamed group are found under the new name as soon as the rename is saved;
// their own copies of the name follow, and one that could not is finished when the catalogue
// is next opened. Rows written with a group's name always carry that group's number.
void TestLists::groupRenameMovesItsFiles()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(bool, carryFails);
    QFETCH(QStringList, files);
    Fixture f;
    f.setUp();
    for (const char *group : {"C", "C", "C++"})
        f.exec("insert into fileprofile (FileName, FileGroup) values ('a.c', ?)", {group});
    if (carryFails)
        f.exec(RefusingTrigger("update", "fileprofile", "the disk is full",
                               "new.FileGroup = 'C11'"));
    frmGroups window;
    window.Form_Load();
    pick(window, from);
    window.PName->setText(to);
    f.ui.answer(vbYes);
    if (carryFails)
        f.ui.answer(vbOK);
    window.ConfirmUpdate();
    QCOMPARE(f.ui.texts().mid(1),
             carryFails ? QStringList{"Error: the disk is full"} : QStringList());
    QVERIFY(groups(f).contains(to) && !groups(f).contains(from));
    if (carryFails) {
        QCOMPARE(f.column("select FileGroup from fileprofile order by Inum"),
                 QStringList({"C", "C", "C++"}));
        f.exec(f.onServer() ? "drop trigger refuse_fileprofile on fileprofile"
                            : "drop trigger refuse_fileprofile");
    }
    frmShow browser;
    browser.Form_Load();
    QCOMPARE(f.column("select FileGroup from fileprofile order by Inum"), files);
    QStringList listed;
    for (int i = 0; i < browser.cboGrpList->count(); ++i)
        listed << browser.cboGrpList->itemText(i);
    QStringList inUse = files;
    inUse.removeDuplicates();
    std::sort(inUse.begin(), inUse.end());
    QCOMPARE(listed, QStringList{"[All Groups]"} + inUse);
    browser.cboGrpList->setCurrentIndex(browser.cboGrpList->findText(to));
    browser.cboGrpList_Click();
    QCOMPARE(browser.Label14->text(),
             QStringLiteral("Total of %1 file (s) found.").arg(files.count(to)));
    // Later writes with either name take that name's number (a row added by another program,
    // when the catalogue is next opened).
    f.exec("insert into fileprofile (FileName, FileGroup) values ('b.c', 'C')");
    f.exec("update fileprofile set FileGroup = ? where Inum = (select min(Inum) from "
           "fileprofile)",
           {"C++"});
    ReopenConnection();
    QCOMPARE(f.filesOutOfStepWithTheirGroups(), QStringList{"0"});
    QCOMPARE(f.column("select count(*) from filegroups where Carrying is not null"),
             QStringList{"0"});
}

// A group of many files gets its new name in steps, shown with a count; Cancel leaves the rest
// of the files' names to the next opening of the catalogue, the files found under the new name
// meanwhile.
void TestLists::longGroupRenameCanBeLeftForLater()
{
    Fixture f;
    f.setUp();
    f.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 12000) "
           "INSERT INTO fileprofile (FileName, FileGroup) SELECT 'f' || i, 'Images' FROM n");
    frmGroups window;
    window.Form_Load();
    pick(window, "Images");
    window.PName->setText("Pictures");
    f.ui.answer(vbYes);
    f.ui.cancelProgressAt(1);
    window.ConfirmUpdate();
    QCOMPARE(f.ui.progressWindows, QStringList{"File Groups"});
    const auto named = [&](const char *group) {
        return f.column("select count(*) from fileprofile where FileGroup = ?", {group})
                .value(0)
                .toInt();
    };
    QVERIFY(named("Pictures") > 0 && named("Images") > 0);
    QCOMPARE(named("Pictures") + named("Images"), 12000);
    f.ui.cancelProgressAt(-1);
    frmShow browser;
    browser.Form_Load();
    QCOMPARE(named("Pictures"), 12000);
    browser.cboGrpList->setCurrentIndex(browser.cboGrpList->findText("Pictures"));
    browser.cboGrpList_Click();
    QCOMPARE(browser.Label14->text(), QStringLiteral("Total of 12000 file (s) found."));
}

void TestLists::groupCascadeIsAllOrNothing_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<QStringList>("failures");
    const QString boom = "the catalogue is read-only";
    QTest::newRow("rename") << "kUpdate" << QList<int>{vbYes, vbOK}
                            << QStringList{"Error: " + boom};
    QTest::newRow("delete, not retried")
            << "kDelete" << QList<int>{vbYes, vbCancel} << QStringList{boom};
    // A retry that fails again is reported once and not offered again.
    QTest::newRow("delete, retried")
            << "kDelete" << QList<int>{vbYes, vbOK, vbOK} << QStringList{boom, boom};
}

// A failure in the files' or snippets' part leaves all three tables as they were.
void TestLists::groupCascadeIsAllOrNothing()
{
    QFETCH(QString, key);
    QFETCH(QList<int>, answers);
    QFETCH(QStringList, failures);
    Fixture f;
    f.setUp();
    f.exec("insert into fileprofile (FileName, FileGroup) values ('a.sql', 'SQL')");
    f.exec("insert into source (Title, CodeType) values ('q', 'SQL')");
    f.exec(RefusingTrigger("update", "filegroups", "the catalogue is read-only"));
    const QStringList indexes = fileIndexes(f);
    frmGroups window;
    window.Form_Load();
    pick(window, "SQL");
    window.PName->setText("Queries");
    for (int answer : answers)
        f.ui.answer(answer);
    window.Toolbar1->click(key);
    QCOMPARE(f.ui.texts().mid(1), failures);
    QVERIFY(f.ui.scriptDone());
    QVERIFY(groups(f).contains("SQL"));
    QCOMPARE(groups(f).size(), 9);
    QCOMPARE(f.column("select FileGroup from fileprofile"), QStringList{"SQL"});
    QCOMPARE(f.column("select CodeType from source"), QStringList{"SQL"});
    QCOMPARE(fileIndexes(f), indexes);
}

void TestLists::enterAddsOrChanges_data()
{
    QTest::addColumn<bool>("picked");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("stored");
    QTest::newRow("nothing picked: a new group") << false << "Add New Group: Go"
                                                 << "Go,Python";
    QTest::newRow("a group picked: its new name")
            << true
            << "This will change all Filenames and Snippets that have the code type Python to the "
               "new code type Go. Do You Want To Continue?"
            << "Go";
}

// Enter in the name does what the tool bar's button for it does: Update for a picked group, New
// otherwise, with the same question.
void TestLists::enterAddsOrChanges()
{
    QFETCH(bool, picked);
    QFETCH(QString, question);
    QFETCH(QString, stored);
    Fixture f;
    f.setUp();
    frmGroups window;
    window.Form_Load();
    if (picked)
        pick(window, "CodeType", "Python");
    window.PName->setText("Go");
    f.ui.answer(vbYes);
    QTest::keyClick(window.PName, Qt::Key_Return);
    QCOMPARE(f.ui.texts().value(0), question);
    QCOMPARE(f.column("select CodeType from CodeTypes where CodeType in ('Go', 'Python') order by "
                      "CodeType")
                     .join(','),
             stored);
    VERIFY_CLEAN(f);
}

void TestLists::groupNeedsAPickedRow_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("message");
    QTest::newRow("update") << "kUpdate"
                            << "Please Select Group to Update!";
    QTest::newRow("delete") << "kDelete"
                            << "Please select record to delete!";
}

// A typed name alone names no row: nothing is renamed or moved to "<blank>".
void TestLists::groupNeedsAPickedRow()
{
    QFETCH(QString, key);
    QFETCH(QString, message);
    Fixture f;
    f.setUp();
    f.exec("insert into fileprofile (FileName, FileGroup) values ('x', '')");
    frmGroups window;
    window.Form_Load();
    window.PName->setText("Java");
    f.ui.answer(vbOK);
    window.Toolbar1->click(key);
    QCOMPARE(f.ui.texts(), QStringList{message});
    QCOMPARE(f.ui.messages[0].title, QStringLiteral("Error!"));
    QCOMPARE(groups(f).size(), 9);
    QCOMPARE(f.column("select FileGroup from fileprofile"), QStringList{""});
}

void TestLists::positionCaption()
{
    Fixture f;
    f.setUp();
    f.exec("delete from CodeTypes where CodeType not in ('[All Groups]', 'C', 'C++', 'Java', "
           "'SQL', 'Shell')");
    frmGroups window;
    window.Form_Load();
    QCOMPARE(window.barAdodc1->caption(), QStringLiteral("1 of 5"));
    window.barAdodc1->cmdLast->click();
    QCOMPARE(window.barAdodc1->caption(), QStringLiteral("5 of 5"));
    // Refresh puts everything back as on opening.
    pick(window, "Java");
    window.Toolbar1->click("kRefresh");
    QCOMPARE(window.barAdodc1->caption(), QStringLiteral("1 of 5"));
    QVERIFY(newSwitchedOn(window));
    QVERIFY(window.txtIndex->text().isEmpty());

    f.exec("delete from CodeTypes where CodeType <> '[All Groups]'");
    window.ShowRecordPosition();
    QCOMPARE(window.barAdodc1->caption(), QString());
    QCOMPARE(window.Adodc1->RecordCount(), 0);
}

void TestLists::patternAdd_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("stored");
    const QString invalid = "Invalid Pattern!";
    QTest::newRow("*.zip") << "*.zip"
                           << "Are You Sure to Add Pattern: *.zip"
                           << "*.zip";
    QTest::newRow("*.doc") << "*.doc"
                           << "Are You Sure to Add Pattern: *.doc"
                           << "*.doc";
    QTest::newRow("star dot") << "*."
                              << "Are You Sure to Add Pattern: *."
                              << "*.";
    QTest::newRow("star dot star") << "*.*"
                                   << "Are You Sure to Add Pattern: *.*"
                                   << "*.*";
    QTest::newRow("trailing blanks") << "*.md   "
                                     << "Are You Sure to Add Pattern: *.md"
                                     << "*.md";
    QTest::newRow("no star") << "zip" << invalid << "";
    QTest::newRow("dot first") << ".zip" << invalid << "";
    QTest::newRow("blank before star") << " *.zip" << invalid << "";
    QTest::newRow("empty") << ""
                           << "Please Enter Pattern to Add!"
                           << "";
}

void TestLists::patternAdd()
{
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(QString, stored);
    Fixture f;
    f.setUp();
    const int before = f.column("select patterns from patterns").size();
    frmPatterns window;
    window.Form_Load();
    window.PName->setText(typed);
    f.ui.answer(stored.isEmpty() ? vbOK : vbYes);
    window.Toolbar1->click("kNew");
    QCOMPARE(f.ui.texts(), QStringList{message});
    const QStringList all = f.column("select patterns from patterns order by inum");
    QCOMPARE(all.size(), before + (stored.isEmpty() ? 0 : 1));
    if (!stored.isEmpty())
        QCOMPARE(all.last(), stored);
}

void TestLists::patternUpdateAndDelete()
{
    Fixture f;
    f.setUp();
    frmPatterns window;
    window.Form_Load();
    // The grid lists patterns alphabetically.
    QCOMPARE(window.Adodc1->Fields("patterns").toString(), QStringLiteral("*.*"));

    f.ui.answer(vbOK);
    window.Toolbar1->click("kUpdate");
    QCOMPARE(f.ui.texts().last(), QStringLiteral("Please Select Pattern to Update!"));

    pick(window, "*.txt");
    QVERIFY(!newSwitchedOn(window));
    window.PName->setText("txt");
    f.ui.answer(vbOK);
    window.Toolbar1->click("kUpdate");
    QCOMPARE(f.ui.texts().last(), QStringLiteral("Invalid Pattern!"));
    QVERIFY(newSwitchedOn(window));

    pick(window, "*.txt");
    window.PName->setText("*.text ");
    f.ui.answer(vbYes);
    window.Toolbar1->click("kUpdate");
    QCOMPARE(f.ui.texts().last(), QStringLiteral("Are You Sure to Update Pattern: *.text"));
    QCOMPARE(f.ui.messages.last().title, QStringLiteral("Update Confirmation"));
    QVERIFY(f.column("select patterns from patterns").contains("*.text"));
    QVERIFY(!f.column("select patterns from patterns").contains("*.txt"));

    pick(window, "*.zip");
    f.ui.answer(vbYes);
    window.Toolbar1->click("kDelete");
    QCOMPARE(f.ui.texts().last(), QStringLiteral("Are You Sure to Delete Pattern: *.zip"));
    QVERIFY(!f.column("select patterns from patterns").contains("*.zip"));
    QVERIFY(newSwitchedOn(window));
    QVERIFY(window.PName->text().isEmpty());
}

void TestLists::printedInTheOrderAdded_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("printed");
    QTest::newRow("groups") << "frmGroups"
                            << "Print File Groups?"
                            << "rptFileTypes"
                            << "Types\r\nC\r\nC++\r\nJava\r\n";
    QTest::newRow("patterns") << "frmPatterns"
                              << "Print File Patterns?"
                              << "rptFilePatterns"
                              << "Patterns\r\n*.*\r\n*.txt\r\n*.c\r\n";
}

// The grid lists names alphabetically; the printed list keeps the order they were added in.
void TestLists::printedInTheOrderAdded()
{
    QFETCH(QString, window);
    QFETCH(QString, question);
    QFETCH(QString, layout);
    QFETCH(QString, printed);
    Fixture f;
    f.setUp();
    std::unique_ptr<ListWindow> list;
    if (window == "frmGroups")
        list = std::make_unique<frmGroups>();
    else
        list = std::make_unique<frmPatterns>();
    list->Form_Load();
    const QString csv = f.dir() + "/list.csv";
    f.ui.answer(vbNo);
    list->Toolbar1->click("kPrint");
    QCOMPARE(f.ui.texts(), QStringList{question});
    QCOMPARE(f.ui.messages[0].title, QStringLiteral("Print Confirmation"));
    QVERIFY(f.ui.modals.isEmpty());

    f.ui.answer(vbYes);
    f.ui.saveAs(csv);
    f.ui.onModal(layout, [](QWidget *preview) {
        preview->findChild<QAction *>("kExportCsv")->trigger();
        return 0;
    });
    list->Toolbar1->click("kPrint");
    QCOMPARE(f.ui.modals, QStringList{layout});
    QVERIFY(QString::fromUtf8(ReadFile(csv)).startsWith(printed));
}

REGISTER_TEST(TestLists)
#include "tst_lists.moc"
