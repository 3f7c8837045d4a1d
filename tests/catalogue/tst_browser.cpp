#include "DeskConnection.h"
#include "Fixture.h"
#include "Plans.h"
#include "TestRegistry.h"
#include "app/CUtils.h"
#include "app/CreateDatabase.h"
#include "app/modGlobals.h"
#include "app/session.h"
#include "catalogue/frmShow.h"
#include "platform/db/ConnectString.h"
#include "platform/db/DataControl.h"
#include "platform/db/GridQuery.h"
#include "platform/db/Statement.h"
#include "platform/ui/DataGrid.h"
#include "platform/ui/ToolBar.h"
#include "platform/ui/WindowCatalogue.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTest>
#include <QUrl>
#include <QUrlQuery>

#include <functional>

namespace {

// FileName, FileGroup, WebSiteName, FileDesc, Author; a row number follows the order given.
const char *const kFiles[][5] = {
        {"readme.txt", "Docs", "Alpha", "Read me first", "Ann"},
        {"Report.doc", "Docs", "Beta", "Quarterly report", ""},
        {"main.c", "C", "Alpha", "Entry point", "Bob"},
        {"o'neil.c", "C", "Gamma", "A name with a quote", "Cy"},
        {"100%_done.txt", "Docs", "Beta", nullptr, "Di"},
        {"rest.py", "Python", "", "Server", "Eve"},
};

void fillCatalogue(Fixture &f)
{
    for (const auto &file : kFiles)
        f.exec("insert into fileprofile (FileName, FileGroup, WebSiteName, FileDesc, Author, "
               "FilePath, Directory, FileDate) values (?, ?, ?, ?, ?, ?, '/data/', '07/12/2026')",
               {file[0], file[1], file[2], file[3] ? QVariant(file[3]) : QVariant(), file[4],
                QString("/data/") + file[0]});
}

QStringList listed(frmShow &window, const char *field = "FileName")
{
    QStringList names;
    for (qint64 row = 0; row < window.AdoFile->RecordCount(); ++row) {
        window.AdoFile->setCurrentRow(row);
        names << TextOf(window.AdoFile->Fields(field));
    }
    return names;
}

void choose(QComboBox *list, const QString &text)
{
    list->setCurrentIndex(list->findText(text));
}

// Shows the row of the named file in the detail panel, as a double-click on it does.
// Picks the searched field by its mode's number, as a click on its option would.
void chooseMode(frmShow &window, int mode)
{
    const QList<QRadioButton *> options{window.Option1, window.Option2, window.Option3};
    options[mode - 1]->setChecked(true);
}

void showRow(frmShow &window, const QString &name)
{
    const QStringList names = listed(window);
    window.AdoFile->setCurrentRow(names.indexOf(name));
    window.DataGrid1_DblClick();
}

} // namespace

class TestBrowser : public QObject
{
    Q_OBJECT
private slots:
    void emptyCatalogue();
    void filters_data();
    void filters();
    void search_data();
    void search();
    void searchAnywhere_data();
    void searchAnywhere();
    void gridLetsTabGoAndShowsLongTexts();
    void statementsUseIndexes_data();
    void statementsUseIndexes();
    void detailPanel();
    void updateChangesThePickedRow_data();
    void updateChangesThePickedRow();
    void deleteAsksAndResetsFilters();
    void printTwicePrintsTheSecondRow();
    void changedCatalogueReloadsOnReturn();
    void twoDesksShareOneCatalogue();
};

void TestBrowser::emptyCatalogue()
{
    Fixture f;
    f.setUp();
    frmShow window;
    window.Form_Load();
    QCOMPARE(window.cboGrpList->count(), 0);
    QCOMPARE(window.cboSiteList->count(), 0);
    QCOMPARE(window.Label14->text(), QStringLiteral("0 file(s)"));
    QCOMPARE(window.barAdoFile->caption(), QString());
    window.DataGrid1_DblClick();
    QVERIFY(window.txtFileName->text().isEmpty());
    QVERIFY(!window.cmdPrintRecord->isEnabled());
}

void TestBrowser::filters_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("site");
    QTest::addColumn<QStringList>("files");
    QTest::newRow("none") << "[All Groups]"
                          << "[All Sites]" << QStringList{"readme.txt", "Report.doc",    "main.c",
                                                          "o'neil.c",   "100%_done.txt", "rest.py"};
    QTest::newRow("group") << "Docs"
                           << "[All Sites]"
                           << QStringList{"readme.txt", "Report.doc", "100%_done.txt"};
    QTest::newRow("site") << "[All Groups]"
                          << "Alpha" << QStringList{"readme.txt", "main.c"};
    QTest::newRow("both") << "Docs"
                          << "Beta" << QStringList{"Report.doc", "100%_done.txt"};
    QTest::newRow("empty site") << "[All Groups]"
                                << "" << QStringList{"rest.py"};
}

void TestBrowser::filters()
{
    QFETCH(QString, group);
    QFETCH(QString, site);
    QFETCH(QStringList, files);
    Fixture f;
    f.setUp();
    fillCatalogue(f);
    frmShow window;
    window.Form_Load();
    QCOMPARE(window.cboGrpList->itemText(0), QStringLiteral("[All Groups]"));
    QCOMPARE(window.cboSiteList->itemText(0), QStringLiteral("[All Sites]"));
    // The load lists the whole catalogue by file name.
    QCOMPARE(listed(window).first(), QStringLiteral("100%_done.txt"));
    choose(window.cboGrpList, group);
    window.cboGrpList_Click();
    choose(window.cboSiteList, site);
    window.cboSiteList_Click();
    QCOMPARE(window.Label14->text(),
             QStringLiteral("Total of %1 file (s) found.").arg(files.size()));
    QCOMPARE(window.barAdoFile->caption(), QStringLiteral("1 of %1").arg(files.size()));
    QCOMPARE(listed(window), files);
}

void TestBrowser::search_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("group");
    QTest::addColumn<QStringList>("files");
    const int name = frmShow::ByFileName;
    QTest::newRow("name, any case")
            << name << "re"
            << "[All Groups]" << QStringList{"readme.txt", "Report.doc", "rest.py"};
    QTest::newRow("name in group") << name << "re"
                                   << "Docs" << QStringList{"readme.txt", "Report.doc"};
    QTest::newRow("quote as typed") << name << "o'n"
                                    << "[All Groups]" << QStringList{"o'neil.c"};
    QTest::newRow("percent and underscore as typed")
            << name << "100%_"
            << "[All Groups]" << QStringList{"100%_done.txt"};
    QTest::newRow("a percent sign alone matches only itself") << name << "%"
                                                              << "[All Groups]" << QStringList{};
    QTest::newRow("description, by description")
            << int(frmShow::ByDescription) << ""
            << "Docs" << QStringList{"Report.doc", "readme.txt"};
    // Ordered by file name, not by site.
    QTest::newRow("site name, by file name")
            << int(frmShow::BySiteName) << ""
            << "[All Groups]" << QStringList{"100%_done.txt", "main.c",     "o'neil.c",
                                             "readme.txt",    "Report.doc", "rest.py"};
    QTest::newRow("site name prefix") << int(frmShow::BySiteName) << "al"
                                      << "[All Groups]" << QStringList{"main.c", "readme.txt"};
}

void TestBrowser::search()
{
    QFETCH(int, mode);
    QFETCH(QString, text);
    QFETCH(QString, group);
    QFETCH(QStringList, files);
    Fixture f;
    f.setUp();
    fillCatalogue(f);
    frmShow window;
    window.Form_Load();
    choose(window.cboGrpList, group);
    window.cboGrpList_Click();
    chooseMode(window, mode);
    window.txtSearch->setText("x");
    window.txtSearch->setText(text);
    QCOMPARE(listed(window), files);
    QCOMPARE(window.Label14->text(),
             files.isEmpty() ? QStringLiteral("0 file(s)")
                             : QStringLiteral("Total of %1 file (s) found.").arg(files.size()));
}

void TestBrowser::searchAnywhere_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<bool>("indexed");
    const int name = frmShow::ByFileName;
    const struct
    {
        const char *what;
        int mode;
        const char *text;
        QStringList files;
    } searches[] = {
            {"the middle of a name, any case", name, "EAD", {"readme.txt"}},
            {"percent and underscore as typed", name, "%_", {"100%_done.txt"}},
            {"a pattern", name, "*.C", {"main.c", "o'neil.c"}},
            {"a pattern of single characters", name, "rea?me.*", {"readme.txt"}},
            {"a description, by description",
             frmShow::ByDescription,
             "ER",
             {"Report.doc", "rest.py"}},
            {"a site name", frmShow::BySiteName, "mm", {"o'neil.c"}},
            {"a name, not its folder", name, "data", {}},
            {"a piece of three, at the end", name, ".py", {"rest.py"}},
    };
    for (const bool indexed : {false, true})
        for (const auto &search : searches)
            QTest::newRow(qPrintable(QString(search.what) + (indexed ? ", indexed" : "")))
                    << search.mode << search.text << search.files << indexed;
}

// "Find Anywhere" finds the text in the middle and at the end of the field, or takes it as a
// pattern of the whole field; the filters still apply, and unchecked the search is the prefix
// search again. The same whether the text index holds the rows or not; when it does, the few
// matches are looked up by their numbers, not found by reading the catalogue.
void TestBrowser::searchAnywhere()
{
    QFETCH(int, mode);
    QFETCH(QString, text);
    QFETCH(QStringList, files);
    QFETCH(bool, indexed);
    Fixture f;
    f.setUp();
    fillCatalogue(f);
    if (indexed) {
        DeskConnection desk(f.dbPath);
        QVERIFY(IndexAddedFiles(desk));
        const catalogue::Match match = catalogue::AnywhereMatch(text);
        BrowserStatement statement = catalogue::SearchStatement(catalogue::SearchMode(mode), text,
                                                                {}, {QStringLiteral("*")}, match);
        catalogue::NarrowByTextIndex(desk, catalogue::SearchMode(mode), text, match, statement,
                                     catalogue::kFewToSortShown);
        const db::GridQuery query(desk.database(), statement);
        for (const db::BoundStatement &read : {query.count(), query.rows(0, 64)}) {
            const Plan plan = PlanOf(desk, read.sql, read.values);
            const bool looksUp = text.size() >= 3 && mode != frmShow::BySiteName && !plan.server;
            QVERIFY2(!looksUp || !plan.scans("fileprofile"), qPrintable(plan.shown(read.sql)));
        }
    }
    frmShow window;
    window.Form_Load();
    chooseMode(window, mode);
    window.txtSearch->setText(text);
    window.chkAnywhere->setChecked(true);
    QCOMPARE(listed(window), files);
    choose(window.cboGrpList, "Python");
    window.cboGrpList_Click();
    window.txtSearch->setText(text + " ");
    QCOMPARE(listed(window), files.contains("rest.py") ? QStringList{"rest.py"} : QStringList{});
    window.chkAnywhere->setChecked(false);
    window.Option1->setChecked(true);
    window.txtSearch->setText("RE");
    QCOMPARE(listed(window), QStringList{"rest.py"});
}

void TestBrowser::statementsUseIndexes_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("site");
    QTest::addColumn<bool>("volume");
    QTest::addColumn<bool>("sorts");
    QTest::addColumn<bool>("scans");
    for (int mode : {0, 1, 2, 3}) {
        // A volume's rows come from its index, sorted when the search lists them by name.
        QTest::addRow("mode %d, one volume", mode) << mode << "[All Groups]"
                                                   << "[All Sites]" << true << true << false;
        for (const char *group : {"[All Groups]", "Docs"}) {
            for (const char *site : {"[All Sites]", "Beta"}) {
                const bool allSites = QString(site) == "[All Sites]";
                const bool allGroups = QString(group) == "[All Groups]";
                // Matches by site name are listed by file name: sorted, unless one site's.
                const bool sorts = mode == frmShow::BySiteName && (allSites || !allGroups);
                // The whole catalogue is read in the order it was added, page by page.
                const bool scans = mode == 0 && allSites && allGroups;
                QTest::addRow("mode %d, %s, %s", mode, group, site)
                        << mode << group << site << false << sorts << scans;
            }
        }
    }
}

// Every statement of the grid, as the grid reads it, is answered from an index.
void TestBrowser::statementsUseIndexes()
{
    QFETCH(int, mode);
    QFETCH(QString, group);
    QFETCH(QString, site);
    QFETCH(bool, volume);
    QFETCH(bool, sorts);
    QFETCH(bool, scans);
    Fixture f;
    f.setUp();
    const catalogue::Filters filters{group, site, volume ? QList<qint64>{7} : QList<qint64>{}};
    const BrowserStatement statement = mode == 0
            ? frmShow::FilterStatement(filters)
            : frmShow::SearchStatement(frmShow::SearchMode(mode), "re", filters);
    DeskConnection connection(f.dbPath);
    const db::GridQuery query(connection.database(), statement);
    QVERIFY(query.keyed());
    for (const db::BoundStatement &read : {query.count(), query.rows(0, 64)}) {
        const Plan plan = PlanOf(connection, read.sql, read.values);
        QVERIFY2(scans || !plan.scans("fileprofile"), qPrintable(plan.shown(read.sql)));
        QVERIFY2(sorts || !plan.sorts(), qPrintable(plan.shown(read.sql)));
    }
    // A search of the whole catalogue is counted in an index, without reading each match's row.
    const db::BoundStatement count = query.count();
    const Plan counted = PlanOf(connection, count.sql, count.values);
    const bool whole = group == "[All Groups]" && site == "[All Sites]" && !volume;
    QVERIFY2(mode == 0 || !whole || counted.indexOnly(), qPrintable(counted.shown(count.sql)));
}

// Tab goes from the grid to the next control and back, where it used to walk the grid's cells;
// a long text is cut in its middle and shown whole in its tool tip.
void TestBrowser::gridLetsTabGoAndShowsLongTexts()
{
    Fixture f;
    f.setUp();
    fillCatalogue(f);
    frmShow window;
    window.show();
    QApplication::setActiveWindow(&window);
    window.DataGrid1->setFocus();
    QTest::keyClick(window.DataGrid1, Qt::Key_Tab);
    QVERIFY(QApplication::focusWidget() != window.DataGrid1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(window.DataGrid1));
    // A long folder is cut in its middle, and its tool tip is the whole of it.
    QCOMPARE(window.DataGrid1->textElideMode(), Qt::ElideMiddle);
    const int directory = window.AdoFile->FieldIndex("Directory");
    const QModelIndex cell = window.AdoFile->model()->index(0, directory);
    QCOMPARE(cell.data(Qt::ToolTipRole).toString(), cell.data().toString());
    QVERIFY(!cell.data().toString().isEmpty());
}

void TestBrowser::detailPanel()
{
    Fixture f;
    f.setUp();
    fillCatalogue(f);
    frmShow window;
    window.Form_Load();
    QVERIFY(!window.txtFileName->isEnabled());
    QVERIFY(window.txtFileDesc->isEnabled() && window.txtFileDesc->isReadOnly());
    showRow(window, "main.c");
    QCOMPARE(window.txtFileName->text(), QStringLiteral("main.c"));
    QCOMPARE(window.Label5->text(), QStringLiteral("07/12/2026"));
    QCOMPARE(window.cboGrpName->currentText(), QStringLiteral("C"));
    QCOMPARE(window.txtAuthor->text(), QStringLiteral("Bob"));
    QVERIFY(window.cmdEditPath->isEnabled() && window.cmdFileM->isEnabled());
    // An empty column leaves its control as it was.
    showRow(window, "Report.doc");
    QCOMPARE(window.txtAuthor->text(), QStringLiteral("Bob"));
    QCOMPARE(window.txtFileName->text(), QStringLiteral("Report.doc"));

    window.cmdUnLock->click();
    QVERIFY(window.txtFileName->isEnabled() && !window.txtFileName->isReadOnly());
    window.cmdClear2->click();
    QVERIFY(window.txtFileName->text().isEmpty());
    QVERIFY(!window.cmdPrintRecord->isEnabled());
    window.cmdLock->click();
    QVERIFY(!window.txtFileName->isEnabled());
}

void TestBrowser::updateChangesThePickedRow_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("stored");
    QTest::newRow("saved") << "Python"
                           << "Are You Sure to Update File Name : main.c"
                           << "Python";
    QTest::newRow("no group") << ""
                              << "Error - Cannot Update, Missing Data!"
                              << "C";
}

// The row whose number the panel shows is changed, wherever the grid's cursor went since.
void TestBrowser::updateChangesThePickedRow()
{
    QFETCH(QString, group);
    QFETCH(QString, message);
    QFETCH(QString, stored);
    Fixture f;
    f.setUp();
    fillCatalogue(f);
    frmShow window;
    window.Form_Load();
    choose(window.cboGrpList, "C");
    window.cboGrpList_Click();
    showRow(window, "main.c");
    window.AdoFile->setCurrentRow(1);
    window.cmdUnLock->click();
    window.cboGrpName->setEditText(group);
    window.txtAuthor->setText("Bo O'Hara ");
    f.ui.answer(stored == group ? vbYes : vbOK);
    window.cmdUpdate->click();
    QCOMPARE(f.ui.texts(), QStringList{message});
    QCOMPARE(f.column("select FileGroup from fileprofile where FileName = 'main.c'"),
             QStringList{stored});
    QCOMPARE(f.column("select FileGroup from fileprofile where FileName = 'o''neil.c'"),
             QStringList{"C"});
    if (stored != group)
        return;
    QCOMPARE(f.column("select Author from fileprofile where FileName = 'main.c'"),
             QStringList{"Bo O'Hara"});
    // After a change the whole catalogue is listed again, filters back at their first entry,
    // and the changed row is still the current one.
    QCOMPARE(window.cboGrpList->currentText(), QStringLiteral("[All Groups]"));
    QCOMPARE(window.AdoFile->RecordCount(), 6);
    QCOMPARE(TextOf(window.AdoFile->Fields("FileName")), QStringLiteral("main.c"));
    QCOMPARE(window.barAdoFile->caption(),
             QStringLiteral("%1 of 6").arg(window.AdoFile->CurrentRow() + 1));
    QVERIFY(!window.txtFileName->isEnabled());
    QVERIFY(window.txtFileName->text().isEmpty());
}

void TestBrowser::deleteAsksAndResetsFilters()
{
    Fixture f;
    f.setUp();
    fillCatalogue(f);
    frmShow window;
    window.Form_Load();
    choose(window.cboSiteList, "Gamma");
    window.cboSiteList_Click();
    window.txtSearch->setText("o'");
    showRow(window, "o'neil.c");
    f.ui.answer(vbNo);
    window.cmdDel->click();
    QCOMPARE(f.column("select count(*) from fileprofile"), QStringList{"6"});
    f.ui.answer(vbYes);
    window.cmdDel->click();
    QCOMPARE(f.ui.texts(), QStringList(2, "Delete File Name : o'neil.c"));
    QCOMPARE(f.ui.messages[0].title, QStringLiteral("Delete Confirmation"));
    QCOMPARE(f.column("select count(*) from fileprofile"), QStringList{"5"});
    // The site the row took with it is gone from the filter.
    QCOMPARE(window.cboSiteList->findText("Gamma"), -1);
    QCOMPARE(window.cboSiteList->currentText(), QStringLiteral("[All Sites]"));
    QCOMPARE(window.Label14->text(), QStringLiteral("Total of 5 file (s) found."));
    // The box shows no text that the grid's every row would not answer.
    QCOMPARE(window.txtSearch->text(), QString());
}

void TestBrowser::printTwicePrintsTheSecondRow()
{
    Fixture f;
    f.setUp();
    fillCatalogue(f);
    frmShow window;
    window.Form_Load();
    QString caption;
    f.ui.onModal("rptFileList", [&](QWidget *preview) {
        caption = preview->windowTitle();
        return 0;
    });
    showRow(window, "main.c");
    f.ui.answer(vbCancel);
    window.cmdPrintRecord->click();
    QCOMPARE(f.ui.messages[0].title, QStringLiteral("Current Record"));
    QCOMPARE(f.ui.messages[0].style, int(vbOKCancel + vbCritical + vbDefaultButton2));
    QVERIFY(f.column("select filename from tempprint").isEmpty());

    for (const char *name : {"main.c", "rest.py"}) {
        showRow(window, name);
        f.ui.answer(vbOK);
        window.cmdPrintRecord->click();
        QCOMPARE(f.column("select filename from tempprint"), QStringList{name});
    }
    QCOMPARE(f.ui.modals, QStringList(2, "rptFileList"));
    QCOMPARE(caption, QStringLiteral("Cuurent Record"));
}

void TestBrowser::changedCatalogueReloadsOnReturn()
{
    Fixture f;
    f.setUp();
    fillCatalogue(f);
    // The file manager starts in the row's folder, which must be there.
    const QString folder = f.dir() + "/";
    f.exec("update fileprofile set Directory = ? where FileName = 'rest.py'", {folder});
    frmShow window;
    window.Form_Load();
    choose(window.cboGrpList, "Python");
    window.cboGrpList_Click();
    showRow(window, "rest.py");
    f.ui.onModal("frmFileMgr", [&](QWidget *) {
        f.exec("update fileprofile set FileName = 'served.py' where FileName = 'rest.py'");
        CatalogueChanged = true;
        return 0;
    });
    window.cmdFileM->click();
    QCOMPARE(SelectedFileName, QStringLiteral("rest.py"));
    QCOMPARE(SelectedDirectory, folder);
    QCOMPARE(f.ui.owners, QStringList{"frmShow"});
    // The whole catalogue again, by file name, with the panel cleared.
    QCOMPARE(listed(window).size(), 6);
    QVERIFY(listed(window).contains("served.py"));
    QVERIFY(window.txtFileName->text().isEmpty());
}

// Two desks on one catalogue: each sees what the other saved at its next refresh; a save of a row
// the other removed meanwhile is refused and brings nothing back. On a server, a save the
// server's permissions refuse loses nothing, and after the server dropped the connections the
// next refresh and save work.
void TestBrowser::twoDesksShareOneCatalogue()
{
    Fixture f;
    f.setUp();
    fillCatalogue(f);
    DeskConnection other(f.dbPath);
    frmShow window;
    window.Form_Load();
    const qint64 before = window.AdoFile->RecordCount();
    other.Execute("insert into fileprofile (FileName, FileGroup, FilePath, Directory) "
                  "values ('other.c', 'C', '/data/other.c', '/data/')");
    QCOMPARE(window.AdoFile->RecordCount(), before);
    f.ui.answer(vbYes);
    window.HandleRefreshClick();
    QCOMPARE(window.AdoFile->RecordCount(), before + 1);
    QVERIFY(listed(window).contains("other.c"));
    // Saves main.c's author at a desk; meanwhile, if given, happens once the row is shown. A
    // refused save shows the message refusal and keeps the typed author.
    const QString failed = QStringLiteral("Error - Cannot Update Master Database!");
    const auto saveAt = [&](frmShow &desk, const QString &author, const QString &refusal,
                            const std::function<void()> &meanwhile = {}) {
        showRow(desk, "main.c");
        if (meanwhile)
            meanwhile();
        desk.cmdUnLock->click();
        desk.txtAuthor->setText(author);
        f.ui.answer(vbYes);
        if (!refusal.isEmpty())
            f.ui.answer(vbOK);
        desk.cmdUpdate->click();
        if (!refusal.isEmpty()) {
            QCOMPARE(f.ui.texts().last(), refusal);
            QCOMPARE(desk.txtAuthor->text(), author);
        }
    };
    const auto save = [&](const QString &author) {
        saveAt(window, author, {});
    };
    const QString authorSql = "select Author from fileprofile where FileName = 'main.c'";
    save("Desk B");
    QCOMPARE(FirstColumn(other, authorSql), QStringList{"Desk B"});
    VERIFY_CLEAN(f);

    // A row removed at the other desk since it was shown: the save says so and brings nothing
    // back; the rest of the catalogue is as it was.
    const QStringList everyAuthor =
            FirstColumn(other,
                        "select FileName || '=' || coalesce(Author, '') from fileprofile "
                        "where FileName <> 'main.c' order by Inum");
    saveAt(window, "Too late", "Error: " + db::kRemovedAtAnotherDesk,
           [&] { other.Execute("delete from fileprofile where FileName = 'main.c'"); });
    QCOMPARE(FirstColumn(other, authorSql), QStringList());
    QCOMPARE(FirstColumn(other,
                         "select FileName || '=' || coalesce(Author, '') from fileprofile "
                         "order by Inum"),
             everyAuthor);
    other.Execute("insert into fileprofile (FileName, FileGroup, FilePath, Directory, Author) "
                  "values ('main.c', 'C', '/src/main.c', '/src/', 'Desk B')");
    f.ui.answer(vbYes);
    window.HandleRefreshClick();
    if (!f.onServer())
        return;

    // A desk whose account may only read: its save is refused by the server, shown, and loses
    // nothing; once it may write, the same save goes through.
    const QString desk = QUrlQuery(QUrl(f.dbPath)).queryItemValue("application_name") + "_desk";
    const auto dropDesk = qScopeGuard([&] {
        other.Execute(QString("DROP OWNED BY %1").arg(desk));
        other.Execute(QString("DROP ROLE %1").arg(desk));
    });
    const QString schema = desk.chopped(5);
    for (const QString &sql :
         {"CREATE ROLE " + desk + " LOGIN", "GRANT USAGE ON SCHEMA " + schema + " TO " + desk,
          "GRANT SELECT ON ALL TABLES IN SCHEMA " + schema + " TO " + desk})
        other.Execute(sql);
    const QString ownConnection = ConnectString;
    const auto restore = qScopeGuard([&] { ConnectString = ownConnection; });
    ConnectString = db::ConnectStringFor(f.dbPath + "&user=" + desk);
    {
        frmShow reader;
        reader.Form_Load();
        QCOMPARE(reader.AdoFile->RecordCount(), before + 1);
        saveAt(reader, "Reader", failed);
        QCOMPARE(FirstColumn(other, authorSql), QStringList{"Desk B"});
        other.Execute(QString("GRANT UPDATE ON fileprofile TO %1").arg(desk));
        saveAt(reader, "Reader", {});
        QCOMPARE(FirstColumn(other, authorSql), QStringList{"Reader"});
    }
    ConnectString = ownConnection;
    ReopenConnection();

    // The server drops the desk's connections, as when it restarts: the desk goes on.
    QVERIFY(!FirstColumn(other,
                         "select pg_terminate_backend(pid) from pg_stat_activity where "
                         "application_name = current_setting('application_name') and "
                         "pid <> pg_backend_pid()")
                     .isEmpty());
    f.ui.answer(vbYes);
    window.HandleRefreshClick();
    QCOMPARE(window.AdoFile->RecordCount(), before + 1);
    save("After");
    QCOMPARE(FirstColumn(other, authorSql), QStringList{"After"});
    VERIFY_CLEAN(f);
}

REGISTER_TEST(TestBrowser)
#include "tst_browser.moc"
