#include "DeskConnection.h"
#include "Fixture.h"
#include "ReportPages.h"
#include "TestRegistry.h"
#include "app/modGlobals.h"
#include "platform/db/Reader.h"
#include "reports/Layouts.h"

#include <QTest>

class TestLayouts : public QObject
{
    Q_OBJECT
private slots:
    void layoutShowsItsStatementsRows_data();
    void layoutShowsItsStatementsRows();
    void lookupByName_data();
    void lookupByName();
};

// Each layout over the statement its report runs: every bound field is found, in the order of
// the captions, and the page has the report's orientation.
void TestLayouts::layoutShowsItsStatementsRows_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QStringList>("firstRow");
    QTest::addColumn<bool>("landscape");
    QTest::newRow("files") << "rptFileList"
                           << "SELECT filename,filedesc,filegroup, directory, websitename, "
                              "author, email FROM fileprofile ORDER BY inum"
                           << "File List"
                           << QStringList{"Name",     "Group",  "Description", "Directory",
                                          "Web Site", "Author", "Email"}
                           << QStringList{"a.txt", "Docs", "A file",         "/data",
                                          "Site",  "Ann",  "ann@example.org"}
                           << false;
    QTest::newRow("snippets")
            << "rptSnippetList"
            << "SELECT title, notes, codetype, websitename, author, email FROM source ORDER BY id"
            << "Snippet List"
            << QStringList{"Title", "Group", "Notes", "Web Site", "Author", "Email"}
            << QStringList{"Sort", "C++", "Quick sort", "Site", "Ann", "ann@example.org"} << false;
    QTest::newRow("web sites")
            << "rptWebSiteList"
            << "SELECT webname, webaddress, notes, companyname, pointofcontact, email FROM "
               "webname ORDER BY webid"
            << "Web Site List"
            << QStringList{"Web Site Name", "Notes", "Web Address", "Company", "Contact", "Email"}
            << QStringList{"Site",     "Good", "https://site.example",
                           "Site Ltd", "Bob",  "bob@example.org"}
            << true;
    QTest::newRow("users") << "rptUserList"
                           << "SELECT userid,username,usergroup, expirationdate FROM tblusers "
                              "ORDER BY userid"
                           << "User List"
                           << QStringList{"User ID", "Group", "Name", "Expiration Date"}
                           << QStringList{"admin", "Administrator", "Administrator", "01/06/2027"}
                           << false;
    QTest::newRow("file types") << "rptFileTypes"
                                << "SELECT codetype FROM codetypes where codetype <> '[All "
                                   "Groups]' ORDER BY inum"
                                << "File Types" << QStringList{"Types"} << QStringList{"C"}
                                << false;
    QTest::newRow("file patterns")
            << "rptFilePatterns"
            << "SELECT patterns FROM patterns ORDER BY inum"
            << "File Patterns" << QStringList{"Patterns"} << QStringList{"*.*"} << false;
}

void TestLayouts::layoutShowsItsStatementsRows()
{
    QFETCH(QString, name);
    QFETCH(QString, sql);
    QFETCH(QString, title);
    QFETCH(QStringList, captions);
    QFETCH(QStringList, firstRow);
    QFETCH(bool, landscape);
    Fixture f;
    f.exec("INSERT INTO fileprofile (FileName, FileDesc, FileGroup, Directory, WebSiteName, "
           "Author, Email) VALUES ('a.txt', 'A file', 'Docs', '/data', 'Site', 'Ann', "
           "'ann@example.org')");
    f.exec("INSERT INTO source (title, notes, codetype, websitename, author, email) VALUES "
           "('Sort', 'Quick sort', 'C++', 'Site', 'Ann', 'ann@example.org')");
    f.exec("INSERT INTO webname (webname, webaddress, notes, companyname, pointofcontact, email) "
           "VALUES ('Site', 'https://site.example', 'Good', 'Site Ltd', 'Bob', "
           "'bob@example.org')");

    const report::Definition *layout = ReportLayout(name);
    QVERIFY(layout);
    DeskConnection connection(f.dbPath);
    db::Reader rows;
    rows.Open(sql, connection);
    ReportSheet sheet(*layout);
    const std::vector<report::Page> pages = report::Record(*layout, rows, sheet.writer);
    QCOMPARE(pages.size(), 1u);
    QCOMPARE(pages[0].textList(report::Style::Title), QStringList{title});
    QCOMPARE(pages[0].textList(report::Style::Caption), captions);
    QCOMPARE(DetailRows(pages).value(0), firstRow);
    QCOMPARE(pages[0].area.width() > pages[0].area.height(), landscape);
}

void TestLayouts::lookupByName_data()
{
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QString>("found");
    QTest::newRow("exact") << "rptUserList"
                           << "rptUserList";
    QTest::newRow("case and blanks, as catalogue rows may have them") << "  RPTfilelist "
                                                                      << "rptFileList";
    QTest::newRow("unknown") << "rptNothing"
                             << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestLayouts::lookupByName()
{
    QFETCH(QString, asked);
    QFETCH(QString, found);
    const report::Definition *layout = ReportLayout(asked);
    QCOMPARE(layout ? layout->name : QString(), found);
    QCOMPARE(ReportLayoutNames().size(), 6);
}

REGISTER_TEST(TestLayouts)
#include "tst_layouts.moc"
