#include "Fixture.h"
#include "TestRegistry.h"
#include "app/frmMenu.h"
#include "app/modGlobals.h"
#include "platform/ui/ToolBar.h"
#include "reports/frmReports.h"

#include <QAction>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace {

// Picks the row whose first column reads text and presses Finish; an empty text cancels.
int pickRow(QWidget *window, const QString &text)
{
    auto *picker = static_cast<PickerWindow *>(window);
    picker->ensureLoaded();
    if (text.isEmpty()) {
        picker->tbrMain2->click("kCancel2");
        return picker->result();
    }
    const QList<QTreeWidgetItem *> found = picker->lstParms->findItems(text, Qt::MatchExactly);
    if (found.isEmpty())
        return -1;
    picker->lstParms->setCurrentItem(found.first());
    picker->tbrMain2->click("kFinish2");
    return picker->result();
}

QStringList pickerRows(QWidget *window, int column = 0)
{
    auto *picker = static_cast<PickerWindow *>(window);
    QStringList rows;
    for (int i = 0; i < picker->lstParms->topLevelItemCount(); ++i)
        rows << picker->lstParms->topLevelItem(i)->text(column);
    return rows;
}

void fillCatalogue(Fixture &f)
{
    const char *const files[][4] = {{"b.c", "C", "Beta", "a tool"},
                                    {"a.py", "Python", "Alpha", "a script"},
                                    {"c.c", " C ", "Alpha", "with, comma"},
                                    {"o'neil.c", "O'Neil", "Gamma", "quoted"}};
    for (const auto &file : files)
        f.exec("insert into fileprofile (FileName, FileGroup, WebSiteName, FileDesc) "
               "values (?, ?, ?, ?)",
               {file[0], file[1], file[2], file[3]});
    f.exec("insert into source (title, codetype, websitename) values ('loop', 'C', 'Beta')");
    f.exec("insert into source (title, codetype, websitename) values ('map', 'Python', 'Alpha')");
    f.exec("insert into webname (webname, webaddress) values ('Beta', 'https://beta.example')");
    f.exec("insert into webname (webname, webaddress) values ('Alpha', 'https://alpha.example')");
}

} // namespace

class TestButtons : public QObject
{
    Q_OBJECT
private slots:
    void eachReportFromItsButton_data();
    void eachReportFromItsButton();
    void pickerListsItsGroup();
};

void TestButtons::eachReportFromItsButton_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QStringList>("rows"); // the CSV lines after the captions
    QTest::newRow("1 files by entry")
            << "cmdFileReports"
            << "Files by Entry"
            << ""
            << "rptFileList"
            << QStringList{"b.c,C,a tool", "a.py,Python,a script", "c.c, C ,\"with, comma\"",
                           "o'neil.c,O'Neil,quoted"};
    QTest::newRow("2 files by site")
            << "cmdFileReports"
            << "Files by Web Site"
            << ""
            << "rptFileList"
            << QStringList{"a.py,Python,a script", "c.c, C ,\"with, comma\"", "b.c,C,a tool",
                           "o'neil.c,O'Neil,quoted"};
    QTest::newRow("13 one group, blanks trimmed")
            << "cmdFileReports"
            << "Files of One Group"
            << "C"
            << "rptFileList" << QStringList{"c.c, C ,\"with, comma\"", "b.c,C,a tool"};
    QTest::newRow("13 a group with a quote")
            << "cmdFileReports"
            << "Files of One Group"
            << "O'Neil"
            << "rptFileList" << QStringList{"o'neil.c,O'Neil,quoted"};
    QTest::newRow("14 one site") << "cmdFileReports"
                                 << "Files of One Web Site"
                                 << "Alpha"
                                 << "rptFileList"
                                 << QStringList{"a.py,Python,a script", "c.c, C ,\"with, comma\""};
    QTest::newRow("13 option cancelled") << "cmdFileReports"
                                         << "Files of One Group"
                                         << "-"
                                         << "" << QStringList{};
    QTest::newRow("picker cancelled") << "cmdFileReports"
                                      << ""
                                      << ""
                                      << "" << QStringList{};
    QTest::newRow("7 snippets by group") << "cmdDocReports"
                                         << "Snippets by Group"
                                         << ""
                                         << "rptSnippetList" << QStringList{"loop,C", "map,Python"};
    QTest::newRow("16 snippets of one site") << "cmdDocReports"
                                             << "Snippets of One Web Site"
                                             << "Alpha"
                                             << "rptSnippetList" << QStringList{"map,Python"};
    QTest::newRow("8 web sites") << "cmdCReports"
                                 << "Web Sites"
                                 << ""
                                 << "rptWebSiteList" << QStringList{"Beta", "Alpha"};
    QTest::newRow("10 groups without the pseudo-group")
            << "cmdCReports"
            << "File Groups"
            << ""
            << "rptFileTypes" << QStringList{"C",     "C++",       "Java",   "Python",  "SQL",
                                             "Shell", "Documents", "Images", "Archives"};
    QTest::newRow("11 users") << "cmdSysReports"
                              << "Users"
                              << ""
                              << "rptUserList" << QStringList{"admin,Administrator"};
}

// Each report button runs its picker, the option picker where needed, and shows the report's
// rows in the statement's order under the report's title.
void TestButtons::eachReportFromItsButton()
{
    QFETCH(QString, button);
    QFETCH(QString, title);
    QFETCH(QString, option);
    QFETCH(QString, layout);
    QFETCH(QStringList, rows);
    Fixture f;
    f.setUp();
    fillCatalogue(f);
    CurrentGroup = "Administrator";
    frmMenu menu;
    menu.Form_Load();

    f.ui.onModal("frmReports", [&](QWidget *window) { return pickRow(window, title); });
    f.ui.onModal("frmGetRpt", [&](QWidget *window) {
        return pickRow(window, option == "-" ? QString() : option);
    });
    QString caption;
    const QString csv = f.dir() + "/report.csv";
    f.ui.onModal(layout, [&](QWidget *window) {
        caption = window->windowTitle();
        window->findChild<QAction *>("kExportCsv")->trigger();
        return 0;
    });
    if (!layout.isEmpty())
        f.ui.saveAs(csv);
    menu.findChild<QPushButton *>(button)->click();

    QStringList expectedWindows{"frmReports"};
    if (!option.isEmpty())
        expectedWindows << "frmGetRpt";
    if (!layout.isEmpty())
        expectedWindows << layout;
    QCOMPARE(f.ui.modals, expectedWindows);
    QVERIFY(f.ui.owners.join("").isEmpty());
    if (layout.isEmpty()) {
        QVERIFY(f.ui.messages.isEmpty());
        return;
    }
    QCOMPARE(caption, title);
    QStringList lines = QString::fromUtf8(ReadFile(csv)).split("\r\n", Qt::SkipEmptyParts);
    QVERIFY(!lines.isEmpty());
    lines.removeFirst();
    // Compare the leading fields the rows above name.
    for (int i = 0; i < lines.size() && i < rows.size(); ++i)
        lines[i] = lines[i].left(rows[i].size());
    QCOMPARE(lines, rows);
}

void TestButtons::pickerListsItsGroup()
{
    Fixture f;
    f.setUp();
    f.exec("update tblreports set Rgroup = ' 1 ' where id = 2");
    f.exec("update tblreports set Rgroup = '1' where id = 8");
    f.exec("update tblreports set Rgroup = '4' where id = 9");
    QStringList titles;
    QStringList codes;
    f.ui.onModal("frmReports", [&](QWidget *window) {
        titles = pickerRows(window);
        codes = pickerRows(window, 2);
        return pickRow(window, "Web Sites");
    });
    f.ui.answer(vbOK);
    RunReportGroup("1");
    // Sorted by title, blanks around the group code ignored.
    QCOMPARE(titles,
             QStringList({"Files by Entry", "Files by Group", "Files by Web Site",
                          "Files of One Group", "Files of One Web Site", "Web Sites"}));
    QCOMPARE(codes.last(), QStringLiteral("8"));
    // A code another button owns is no report of this one.
    QCOMPARE(f.ui.texts(), QStringList{"No Report Selected!"});
    QCOMPARE(f.ui.messages[0].title, QStringLiteral("Error!"));
    QCOMPARE(f.ui.messages[0].style, int(vbCritical));

    // The database reports say nothing about such a code.
    f.ui.onModal("frmReports", [&](QWidget *window) { return pickRow(window, "File Patterns"); });
    RunReportGroup("4");
    QCOMPARE(f.ui.messages.size(), 1);

    // Help, and Finish with nothing selected.
    f.ui.onModal("frmReports", [&](QWidget *window) {
        auto *picker = static_cast<frmReports *>(window);
        picker->ensureLoaded();
        picker->tbrMain2->click("kHelp2");
        picker->lstParms->clearSelection();
        picker->tbrMain2->click("kFinish2");
        return picker->result();
    });
    f.ui.answer(vbOK);
    RunReportGroup("1");
    QCOMPARE(f.ui.texts().last(), QStringLiteral("Select the report you want to print."));
    QVERIFY(!ReportChosen);
    QVERIFY(ReportTitle.isEmpty());
}

REGISTER_TEST(TestButtons)
#include "tst_buttons.moc"
