#include "Fixture.h"
#include "TestRegistry.h"
#include "catalogue/frmDuplicates.h"
#include "catalogue/frmShow.h"
#include "platform/db/DataControl.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

namespace {

const QString kNone = "No copies found. Only files added with Add Folder while \"Record "
                      "checksums\" is ticked are compared.";

// Catalogue rows, each "path|size|checksum|group|site"; an empty checksum is none.
void catalogueRows(Fixture &f, const QStringList &rows)
{
    for (const QString &row : rows) {
        const QStringList cells = row.split('|');
        f.exec("insert into fileprofile (FileName, FilePath, FSize, Checksum, FileGroup, "
               "WebSiteName) values (?, ?, ?, ?, ?, ?)",
               {cells[0].section('/', -1), cells[0], cells[1],
                cells[2].isEmpty() ? QVariant() : QVariant(cells[2].repeated(64)), cells[3],
                cells[4]});
    }
}

// The list as it reads: each group's heading, then its files indented.
QStringList listed(const frmDuplicates &window)
{
    QStringList lines;
    for (int g = 0; g < window.lstCopies->topLevelItemCount(); ++g) {
        const QTreeWidgetItem *heading = window.lstCopies->topLevelItem(g);
        lines << heading->text(0);
        for (int r = 0; r < heading->childCount(); ++r) {
            const QTreeWidgetItem *file = heading->child(r);
            lines << "  " + file->text(0) + " | " + file->text(1) + " | " + file->text(2);
        }
    }
    return lines;
}

const QStringList kMixed{
        "/b/x.c|1000|a|C|Tern", "/a/x.c|1000|a|C|Tern",
        "/c/x.c|1000|a|C|Open", "/a/y.pdf|5000|b|Docs|Tern",
        "/z/y.pdf|5000|b||",    "/a/z.zip|99999|c|Archives|",
        "/a/w.txt|7|||",        "/b/w.txt|7|||",
};

} // namespace

// The Duplicates window: catalogued files of equal size and checksum, in groups, the most space
// wasted first; choosing one shows it in the catalogue browser.
class TestDuplicates : public QObject
{
    Q_OBJECT
private slots:
    void groupsLargestWasteFirst_data();
    void groupsLargestWasteFirst();
    void chosenFileSelectedInTheBrowser_data();
    void chosenFileSelectedInTheBrowser();
    void changedPathDropsTheChecksum_data();
    void changedPathDropsTheChecksum();
};

void TestDuplicates::groupsLargestWasteFirst_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("maxGroups");
    QTest::addColumn<int>("maxRows");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("summary");
    const QStringList y{"2 copies of 4.9 kB", "  /a/y.pdf | Docs | Tern", "  /z/y.pdf |  | "};
    const QStringList x{"3 copies of 1000 bytes", "  /a/x.c | C | Tern", "  /b/x.c | C | Tern",
                        "  /c/x.c | C | Open"};
    const QString both = "Groups of identical files: 2; removing the extra copies would free "
                         "6.8 kB.";
    QTest::newRow("empty catalogue") << QStringList() << 500 << 5000 << QStringList() << kNone;
    QTest::newRow("no checksums") << QStringList{"/a/w.txt|7|||", "/b/w.txt|7|||"} << 500 << 5000
                                  << QStringList() << kNone;
    // 5000 bytes twice waste more than 1000 bytes three times.
    QTest::newRow("largest waste first") << kMixed << 500 << 5000 << y + x << both;
    QTest::newRow("same checksum, other size")
            << QStringList{"/a/v|10|d|C|", "/b/v|11|d|C|", "/c/v|10|d|C|"} << 500 << 5000
            << QStringList{"2 copies of 10 bytes", "  /a/v | C | ", "  /c/v | C | "}
            << "Groups of identical files: 1; removing the extra copies would free 10 bytes.";
    QTest::newRow("empty files cost nothing")
            << QStringList{"/a/e|0|e||", "/b/e|0|e||"} << 500 << 5000 << QStringList() << kNone;
    QTest::newRow("fewer groups listed")
            << kMixed << 1 << 5000 << y
            << both + " Only the first 2 files are listed, from the groups that waste most.";
    QTest::newRow("fewer files listed")
            << kMixed << 500 << 3 << y + x.mid(0, 2)
            << both + " Only the first 3 files are listed, from the groups that waste most.";
}

void TestDuplicates::groupsLargestWasteFirst()
{
    QFETCH(QStringList, rows);
    QFETCH(int, maxGroups);
    QFETCH(int, maxRows);
    QFETCH(QStringList, lines);
    QFETCH(QString, summary);
    Fixture f;
    f.setUp();
    catalogueRows(f, rows);
    frmDuplicates window;
    window.MaxGroups = maxGroups;
    window.MaxRows = maxRows;
    window.Form_Load();
    QCOMPARE(listed(window), lines);
    QCOMPARE(window.lblSummary->text(), summary);
    // Ready for Enter on the first file of the first group.
    QCOMPARE(window.cmdGoTo->isEnabled(), !lines.isEmpty());
    VERIFY_CLEAN(f);
}

void TestDuplicates::chosenFileSelectedInTheBrowser_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("narrowed");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("double-click") << "double-click"
                                  << ""
                                  << "/z/y.pdf";
    QTest::newRow("Enter") << "enter"
                           << ""
                           << "/c/x.c";
    QTest::newRow("Go To button") << "button"
                                  << ""
                                  << "/a/x.c";
    // A file the browser's search or filter hides: the whole catalogue comes back to show it.
    QTest::newRow("hidden by the search") << "double-click"
                                          << "search"
                                          << "/b/x.c";
    QTest::newRow("hidden by the group filter") << "enter"
                                                << "group"
                                                << "/z/y.pdf";
    QTest::newRow("window closed") << "close"
                                   << ""
                                   << "";
}

void TestDuplicates::chosenFileSelectedInTheBrowser()
{
    QFETCH(QString, how);
    QFETCH(QString, narrowed);
    QFETCH(QString, chosen);
    Fixture f;
    f.setUp();
    catalogueRows(f, kMixed);
    frmShow browser;
    browser.Form_Load();
    if (narrowed == "search") {
        browser.txtSearch->setText("w.");
    } else if (narrowed == "group") {
        browser.cboGrpList->setCurrentText("C");
        browser.cboGrpList_Click();
    }
    const qint64 before = browser.AdoFile->RecordCount();
    f.ui.onModal("frmDuplicates", [&](QWidget *window) {
        auto *list = static_cast<frmDuplicates *>(window);
        list->ensureLoaded();
        const QList<QTreeWidgetItem *> found =
                list->lstCopies->findItems(chosen, Qt::MatchExactly | Qt::MatchRecursive);
        if (how == "close") {
            list->cmdClose->click();
            return list->result();
        }
        if (found.size() != 1)
            return -1;
        list->lstCopies->setCurrentItem(found[0]);
        if (how == "double-click")
            emit list->lstCopies->itemDoubleClicked(found[0], 0);
        else if (how == "enter")
            QTest::keyClick(list->lstCopies, Qt::Key_Return);
        else
            list->cmdGoTo->click();
        return list->result();
    });
    browser.cmdDupes->click();
    QCOMPARE(f.ui.modals, QStringList{"frmDuplicates"});
    if (chosen.isEmpty()) {
        QCOMPARE(browser.AdoFile->RecordCount(), before);
        QCOMPARE(browser.txtIndex->text(), QString());
        return;
    }
    const QString row = f.column("select Inum from fileprofile where FilePath = ?", {chosen})[0];
    QCOMPARE(browser.AdoFile->Fields("Inum").toString(), row);
    QCOMPARE(browser.DataGrid1->currentIndex().row(), int(browser.AdoFile->CurrentRow()));
    QCOMPARE(browser.txtIndex->text(), row);
    QCOMPARE(browser.txtFilePath->text(), chosen);
    QCOMPARE(browser.AdoFile->RecordCount(), narrowed.isEmpty() ? before : kMixed.size());
    VERIFY_CLEAN(f);
}

void TestDuplicates::changedPathDropsTheChecksum_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("checksum");
    QTest::newRow("same path") << "/a/x.c" << QString("a").repeated(64);
    // The row now names another file, whose contents nobody has read.
    QTest::newRow("other path") << "/d/x.c"
                                << "-";
}

void TestDuplicates::changedPathDropsTheChecksum()
{
    QFETCH(QString, path);
    QFETCH(QString, checksum);
    Fixture f;
    f.setUp();
    catalogueRows(f, {"/a/x.c|1000|a|C|Tern", "/b/x.c|1000|a|C|Tern"});
    // So do the volume and the time of change read with it.
    f.exec("update fileprofile set VolumeId = 7, Modified = 99 where Inum = 1");
    frmShow browser;
    browser.Form_Load();
    browser.GoToRow(1);
    browser.cmdUnLock_Click();
    browser.txtFilePath->setText(path);
    browser.txtDir->setText("/d/");
    f.ui.answer(vbYes);
    browser.cmdUpdate_Click();
    QCOMPARE(f.column("select FilePath || ' ' || coalesce(Checksum, '-') from fileprofile where "
                      "Inum = 1"),
             QStringList{path + " " + checksum});
    QCOMPARE(f.column("select coalesce(CStr(VolumeId), '-') || ' ' || coalesce(CStr(Modified), "
                      "'-') from fileprofile where Inum = 1"),
             QStringList{checksum == "-" ? "- -" : "7 99"});
    VERIFY_CLEAN(f);
}

REGISTER_TEST(TestDuplicates)
#include "tst_duplicates.moc"
