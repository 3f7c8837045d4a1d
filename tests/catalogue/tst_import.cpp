#include "DeskConnection.h"
#include "Fixture.h"
#include "TestRegistry.h"
#include "app/SettingKeys.h"
#include "app/modGlobals.h"
#include "app/session.h"
#include "catalogue/FilePanel.h"
#include "catalogue/frmAdd.h"
#include "catalogue/frmGet.h"
#include "platform/db/DataControl.h"
#include "platform/db/Transaction.h"
#include "platform/ui/DataGrid.h"
#include "platform/ui/FileLists.h"
#include "platform/ui/ToolBar.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

constexpr int kQuestion = vbYesNo + vbCritical;
const QString kNoRecords = "ERROR - No Records Found!";

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QStringList items(const QComboBox *combo)
{
    QStringList result;
    for (int i = 0; i < combo->count(); ++i)
        result << combo->itemText(i);
    return result;
}

// The file names the grid shows, top to bottom.
QStringList gridNames(const frmAdd &window)
{
    const QAbstractItemModel *model = window.AdoFile->model();
    const int column = window.AdoFile->FieldIndex("FileName");
    QStringList names;
    for (int row = 0; row < model->rowCount(); ++row)
        names << model->index(row, column).data().toString();
    return names;
}

QString caption(const frmAdd &window)
{
    return window.barAdoFile->caption();
}

void stage(Fixture &f, const QString &name, const QString &group, const QString &site = {},
           const QString &label = {})
{
    f.exec("insert into tempfile (FileName, FileDesc, FilePath, FileGroup, FileDate, FileIndex, "
           "WebSiteName, Directory, Label) values (?, 'about ' || ?, '/data/' || ?, ?, "
           "'01/02/2026', 2, ?, '/data/', ?)",
           {name, name, name, group, site, label});
}

void catalogue(Fixture &f, int rows)
{
    for (int i = 0; i < rows; ++i)
        f.exec("insert into fileprofile (FileName, FilePath) values (?, ?)",
               {QString("old%1").arg(i), QString("/old/%1").arg(i)});
}

int count(Fixture &f, const QString &table)
{
    return f.column("select count(*) from " + table).value(0).toInt();
}

// Picks the grid's row as a double-click on it would.
void doubleClick(frmAdd &window, int row)
{
    window.DataGrid1->selectRow(row);
    QCOMPARE(window.AdoFile->CurrentRow(), qint64(row));
    emit window.DataGrid1->doubleClicked(window.DataGrid1->model()->index(row, 1));
}

// Another desk's connection, which waits only a moment for a lock that this desk holds.
void makeImpatient(DeskConnection &desk, const Fixture &f)
{
    desk.Execute(f.onServer() ? "SET lock_timeout = '100ms'" : "PRAGMA busy_timeout = 100");
}

// Runs whenever the window lets pending events run while its save's transaction is open: the
// yields before its counts, one before the copy and one after it.
struct DuringSave
{
    explicit DuringSave(std::function<void(int)> step)
    {
        timer.setInterval(0);
        QObject::connect(&timer, &QTimer::timeout, [this, step] {
            if (SharedDeskWriting())
                step(++yields);
        });
        timer.start();
    }
    QTimer timer;
    int yields = 0;
};

} // namespace

class TestImport : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void takingAFile_data();
    void takingAFile();
    void addRefused_data();
    void addRefused();
    void holdBoxes_data();
    void holdBoxes();
    void editTheDoubleClickedRow_data();
    void editTheDoubleClickedRow();
    void deleteRow_data();
    void deleteRow();
    void filters_data();
    void filters();
    void clearOperations_data();
    void clearOperations();
    void pinnedDirectory_data();
    void pinnedDirectory();
    void masterUpdate_data();
    void masterUpdate();
    void saveWhileAnotherDeskStages();
    void twoDesksSaveAtOnce();
    void printImportTable_data();
    void printImportTable();
    void editPathThroughPicker();
    void siteMailAndHelp();
    void activationRefreshesQuietly();

private:
    QString folder(const QString &below = {}) const
    {
        return native(below.isEmpty() ? dir_->path() : dir_->filePath(below));
    }
    // A loaded import window whose file panel shows the test folder.
    std::unique_ptr<frmAdd> open();
    void take(frmAdd &window, const QString &name);

    std::unique_ptr<QTemporaryDir> dir_;
};

void TestImport::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    for (const char *name : {"a.txt", "b.txt", "c.py"})
        QVERIFY(WriteFile(dir_->filePath(name), "x"));
}

std::unique_ptr<frmAdd> TestImport::open()
{
    auto window = std::make_unique<frmAdd>();
    window->Form_Load();
    window->Dir1->setPath(folder());
    return window;
}

void TestImport::take(frmAdd &window, const QString &name)
{
    window.File1->setFileName(name);
    window.File1_Click();
    window.cmdOK_Click();
}

void TestImport::takingAFile_data()
{
    QTest::addColumn<bool>("root");
    QTest::addColumn<QString>("name");
    QTest::newRow("folder") << false << "a.txt";
    // The directory keeps the separator it is given one more, the full path has one.
    QTest::newRow("volume root") << true << "a.txt";
    // The blanks are part of the file's name: trimmed, the row would name the other file.
    QTest::newRow("blanks around the name") << false << " b.txt ";
}

void TestImport::takingAFile()
{
    QFETCH(bool, root);
    QFETCH(QString, name);
    Fixture f;
    f.setUp();
    QVERIFY(root || WriteFile(dir_->filePath(name), "x"));
    auto window = open();
    QCOMPARE(window->lblStatus->text(),
             QStringLiteral("Double on record in data grid to Edit or Delete file."));
    QCOMPARE(window->lblDate->text(), QStringLiteral("07/12/2026"));
    if (root) {
        window->Dir1->setPath(QDir::rootPath());
        window->Text1->setText(name);
        window->cmdOK_Click();
    } else {
        take(*window, name);
    }
    const QString sep = QDir::separator();
    const QString where = root ? native(QDir::rootPath()) : folder();
    const QString path = root ? where + name : where + sep + name;
    QCOMPARE(window->txtFileName->text(), name);
    QCOMPARE(window->txtFilePath->text(), path);
    QCOMPARE(window->txtDir->text(), where + sep);
    QCOMPARE(window->txtDrive->text(), DriveText(DriveListBox::volumeOf(where)));
    // The size of a file that is there, in bytes; none of one that is not.
    const QString size = QFileInfo(path).isFile() ? QStringLiteral("1") : QString();
    QCOMPARE(window->txtFSize->text(), size);
    QVERIFY(!window->txtFileName->isEnabled() && window->txtFileName->isReadOnly());

    window->txtFileDesc->setText("  first file  ");
    window->cboGrpName->setCurrentText("Python");
    window->txtLabel->setText("disk 1");
    window->txtAuthor->setText(" Ada ");
    const QString drive = window->txtDrive->text();
    window->cmdAdd->click();
    QVERIFY(f.ui.messages.isEmpty());
    QCOMPARE(f.column("select FileName || '|' || FileDesc || '|' || FileGroup || '|' || FileDate "
                      "|| '|' || FileIndex || '|' || Author || '|' || Label || '|' || FilePath || "
                      "'|' || Directory || '|' || Drive || '|' || coalesce(FSize, 'none') "
                      "from tempfile"),
             QStringList{name + "|first file|Python|07/12/2026|2|Ada|disk 1|" + path + "|" + where
                         + sep + "|" + drive + "|" + (size.isEmpty() ? "none" : size)});
    QCOMPARE(gridNames(*window), QStringList{name});
    QCOMPARE(caption(*window), QStringLiteral("1 of 1"));
    // The folder stands beside the name, so that files of one name are told apart.
    const int folderAt = window->AdoFile->FieldIndex("Directory");
    QVERIFY(!window->DataGrid1->isColumnHidden(folderAt));
    QCOMPARE(window->DataGrid1->horizontalHeader()->visualIndex(folderAt), 1);
    QCOMPARE(window->AdoFile->model()->headerData(folderAt, Qt::Horizontal).toString(), "Folder");
    QCOMPARE(window->AdoFile->model()->index(0, folderAt).data().toString(), where + sep);
    QCOMPARE(items(window->cboGrpList), QStringList({"[All Groups]", "Python"}));
    QVERIFY(window->txtFileName->text().isEmpty());

    // A second file is taken only once the panel's file name is cleared.
    f.ui.answer(vbOK);
    window->Text1->setText("b.txt");
    window->txtFileName->setText("a.txt");
    window->cmdOK_Click();
    QCOMPARE(f.ui.texts(), QStringList{"Please Clear File Name!"});
}

void TestImport::addRefused_data()
{
    QTest::addColumn<bool>("file");
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("style");
    QTest::newRow("no file") << false << "C"
                             << "Please Select File to Add!"
                             << "Error!" << int(vbCritical);
    QTest::newRow("no group") << true << ""
                              << "Please Select a Group Name!" << AppTitle() << int(vbInformation);
    QTest::newRow("blank group") << true << "   "
                                 << "Please Select a Group Name!" << AppTitle()
                                 << int(vbInformation);
}

void TestImport::addRefused()
{
    QFETCH(bool, file);
    QFETCH(QString, group);
    QFETCH(QString, message);
    QFETCH(QString, title);
    QFETCH(int, style);
    Fixture f;
    f.setUp();
    auto window = open();
    if (file)
        take(*window, "a.txt");
    window->cboGrpName->setEditText(group);
    window->txtFileDesc->setText("kept");
    f.ui.answer(vbOK);
    window->cmdAdd_Click();
    QCOMPARE(f.ui.texts(), QStringList{message});
    QCOMPARE(f.ui.messages[0].title, title);
    QCOMPARE(f.ui.messages[0].style, style);
    QCOMPARE(count(f, "tempfile"), 0);
    QCOMPARE(window->txtFileDesc->text(), QStringLiteral("kept"));
}

void TestImport::holdBoxes_data()
{
    QTest::addColumn<QStringList>("held");
    QTest::newRow("none") << QStringList();
    QTest::newRow("site name and author") << QStringList{"chkWebName", "chkAuthor"};
    QTest::newRow("all five") << QStringList{"chkGrpName", "chkWebName", "chkWebAddr", "chkAuthor",
                                             "chkEmail"};
}

// Held fields survive an add and the next file taken; everything else about the file goes.
void TestImport::holdBoxes()
{
    QFETCH(QStringList, held);
    Fixture f;
    f.setUp();
    f.exec("insert into webname (webname, webaddress) values ('Code Harbour', "
           "'https://ch.example')");
    auto window = open();
    for (const QString &box : held)
        window->findChild<QCheckBox *>(box)->setChecked(true);
    take(*window, "a.txt");
    window->cboGrpName->setCurrentText("Python");
    window->cboWebName->setCurrentText("Code Harbour");
    window->cboWebName_Click();
    QCOMPARE(window->cboWebAddr->currentText(), QStringLiteral("https://ch.example"));
    window->txtAuthor->setText("Ada");
    window->txtEmail->setText("ada@example.org");
    window->txtFileDesc->setText("first");
    window->txtLabel->setText("disk 1");
    const QString directory = window->txtDir->text();
    const auto check = [&] {
        QCOMPARE(window->cboGrpName->currentText(),
                 held.contains("chkGrpName") ? "Python" : QString());
        QCOMPARE(window->cboWebName->currentText(),
                 held.contains("chkWebName") ? "Code Harbour" : QString());
        QCOMPARE(window->cboWebAddr->currentText(),
                 held.contains("chkWebAddr") ? "https://ch.example" : QString());
        QCOMPARE(window->txtAuthor->text(), held.contains("chkAuthor") ? "Ada" : QString());
        QCOMPARE(window->txtEmail->text(),
                 held.contains("chkEmail") ? "ada@example.org" : QString());
        for (QLineEdit *gone : {window->txtFileDesc, window->txtLabel, window->TxtIndex})
            QVERIFY2(gone->text().isEmpty(), qPrintable(gone->objectName()));
    };
    window->cmdAdd_Click();
    QCOMPARE(count(f, "tempfile"), 1);
    QVERIFY(window->txtFileName->text().isEmpty());
    QVERIFY(window->txtFilePath->text().isEmpty());
    QVERIFY(window->txtDrive->text().isEmpty());
    QCOMPARE(window->txtDir->text(), directory);
    check();
    window->txtFileDesc->setText("typed before the next file");
    take(*window, "b.txt");
    QCOMPARE(window->txtFileName->text(), QStringLiteral("b.txt"));
    check();
}

void TestImport::editTheDoubleClickedRow_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("Yes") << int(vbYes);
    QTest::newRow("No") << int(vbNo);
}

void TestImport::editTheDoubleClickedRow()
{
    QFETCH(int, answer);
    Fixture f;
    f.setUp();
    stage(f, "one.c", "C", "Site A", "L1");
    // The blank ends the file's name on disk: it stays through the edit.
    stage(f, "two.c ", "C", "Site B", "L2");
    stage(f, "three.c", "C");
    auto window = open();
    QVERIFY(!window->cmdUpdate->isEnabled() && window->cmdAdd->isEnabled());
    doubleClick(*window, 1);
    QCOMPARE(window->txtFileName->text(), QStringLiteral("two.c "));
    QCOMPARE(window->Label5->text(), QStringLiteral("01/02/2026"));
    QCOMPARE(window->txtFileDesc->text(), QStringLiteral("about two.c"));
    QCOMPARE(window->cboWebName->currentText(), QStringLiteral("Site B"));
    QCOMPARE(window->txtLabel->text(), QStringLiteral("L2"));
    const QString inum = f.column("select Inum from tempfile where FileName = 'two.c '").value(0);
    QCOMPARE(window->TxtIndex->text(), inum);
    QVERIFY(window->cmdUpdate->isEnabled() && window->cmdDel->isEnabled());
    QVERIFY(!window->cmdAdd->isEnabled());

    // Another row is clicked, not double-clicked: the panel still edits the second.
    window->DataGrid1->selectRow(0);
    window->txtFileDesc->setText(" changed ");
    window->cboGrpName->setCurrentText("C++");
    f.ui.answer(answer);
    window->cmdUpdate->click();
    QCOMPARE(f.ui.texts(), QStringList{"Are You Sure to Update File Name : two.c"});
    QCOMPARE(f.ui.messages[0].title, QStringLiteral("Update Confirmation"));
    QCOMPARE(f.ui.messages[0].style, kQuestion);
    const QStringList rows =
            f.column("select FileName || '|' || FileDesc || '|' || FileGroup || "
                     "'|' || FileIndex || '|' || FileDate from tempfile order by Inum");
    if (answer == vbYes) {
        QCOMPARE(rows,
                 QStringList({"one.c|about one.c|C|2|01/02/2026", "two.c |changed|C++|2|01/02/2026",
                              "three.c|about three.c|C|2|01/02/2026"}));
        QVERIFY(window->txtFileName->text().isEmpty());
        QVERIFY(!window->cmdUpdate->isEnabled() && window->cmdAdd->isEnabled());
        QCOMPARE(items(window->cboGrpList), QStringList({"[All Groups]", "C", "C++"}));
    } else {
        QCOMPARE(rows.value(1), QStringLiteral("two.c |about two.c |C|2|01/02/2026"));
        QCOMPARE(window->txtFileDesc->text(), QStringLiteral(" changed "));
    }
}

void TestImport::deleteRow_data()
{
    QTest::addColumn<int>("staged");
    QTest::addColumn<bool>("picked");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<QString>("position");
    const QStringList all{"one.c", "two.c", "three.c"};
    QTest::newRow("nothing staged") << 0 << false << int(vbOK) << kNoRecords << QStringList() << "";
    QTest::newRow("no row picked")
            << 3 << false << int(vbOK) << "Please select record to delete!" << all << "1 of 3";
    QTest::newRow("answered No") << 3 << true << int(vbNo)
                                 << "Are You Sure to Delete File Name : two.c" << all << "2 of 3";
    QTest::newRow("answered Yes") << 3 << true << int(vbYes)
                                  << "Are You Sure to Delete File Name : two.c"
                                  << QStringList{"one.c", "three.c"} << "1 of 2";
}

void TestImport::deleteRow()
{
    QFETCH(int, staged);
    QFETCH(bool, picked);
    QFETCH(int, answer);
    QFETCH(QString, message);
    QFETCH(QStringList, left);
    QFETCH(QString, position);
    Fixture f;
    f.setUp();
    for (const char *name : {"one.c", "two.c", "three.c"}) {
        if (staged-- > 0)
            stage(f, name, "C");
    }
    auto window = open();
    if (picked)
        doubleClick(*window, 1);
    f.ui.answer(answer);
    window->cmdDel_Click();
    QCOMPARE(f.ui.texts(), QStringList{message});
    QCOMPARE(f.column("select FileName from tempfile order by Inum"), left);
    QCOMPARE(gridNames(*window), left);
    QCOMPARE(caption(*window), position);
    if (answer == vbYes)
        QVERIFY(window->txtFileName->text().isEmpty() && window->cmdAdd->isEnabled());
}

void TestImport::filters_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("site");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("all") << "[All Groups]"
                         << "[All Sites]" << QStringList{"a.c", "b.c", "c.py", "d.py", "e's.sql"};
    QTest::newRow("group") << "C"
                           << "[All Sites]" << QStringList{"a.c", "b.c"};
    QTest::newRow("site") << "[All Groups]"
                          << "Site B" << QStringList{"b.c", "d.py"};
    QTest::newRow("both") << "Python"
                          << "Site B" << QStringList{"d.py"};
    QTest::newRow("quote in the value") << "O'SQL"
                                        << "[All Sites]" << QStringList{"e's.sql"};
    QTest::newRow("nothing fits") << "C"
                                  << "Site C" << QStringList();
}

void TestImport::filters()
{
    QFETCH(QString, group);
    QFETCH(QString, site);
    QFETCH(QStringList, shown);
    Fixture f;
    f.setUp();
    // The group list never offers the pseudo-group, whatever its case.
    f.exec("insert into CodeTypes (CodeType) values ('[all GROUPS]')");
    stage(f, "a.c", "C", "Site A");
    stage(f, "b.c", "C", "Site B");
    stage(f, "c.py", "Python", "");
    stage(f, "d.py", "Python", "Site B");
    stage(f, "e's.sql", "O'SQL", "Site C");
    auto window = open();
    QVERIFY(!items(window->cboGrpName).contains("[All Groups]", Qt::CaseInsensitive));
    QCOMPARE(items(window->cboGrpName).value(0), QString());
    QCOMPARE(items(window->cboGrpList), QStringList({"[All Groups]", "C", "O'SQL", "Python"}));
    QCOMPARE(items(window->cboSiteList),
             QStringList({"[All Sites]", "Site A", "Site B", "Site C"}));
    QCOMPARE(caption(*window), QStringLiteral("1 of 5"));
    window->cboGrpList->setCurrentText(group);
    window->cboGrpList_Click();
    window->cboSiteList->setCurrentText(site);
    window->cboSiteList_Click();
    QCOMPARE(gridNames(*window), shown);
    QCOMPARE(caption(*window), shown.isEmpty() ? QString() : QString("1 of %1").arg(shown.size()));
    // Refreshing keeps the filter.
    window->cmdRefreshGrid->click();
    QCOMPARE(gridNames(*window), shown);

    f.exec("delete from tempfile");
    window->SelectFromTempFile();
    QCOMPARE(window->cboGrpList->count(), 0);
    QCOMPARE(window->cboSiteList->count(), 0);
    QCOMPARE(caption(*window), QString());
    window->DataGrid1_DblClick();
    QVERIFY(window->txtFileName->text().isEmpty());
    VERIFY_CLEAN(f);
}

void TestImport::clearOperations_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("emptied");
    QTest::addColumn<int>("staged");
    const QStringList three{"txtFileName", "txtFilePath", "txtDrive"};
    const QStringList all{"txtFileName", "txtFilePath", "txtDrive", "txtFileDesc",
                          "txtAuthor",   "txtEmail",    "txtLabel", "TxtIndex"};
    QTest::newRow("name, drive and path")
            << "cmdClear" << int(vbYes) << "Clear Filename, Drive, and Path?"
            << "Clear Confirmation" << three << 2;
    QTest::newRow("name, drive and path, No")
            << "cmdClear" << int(vbNo) << "Clear Filename, Drive, and Path?"
            << "Clear Confirmation" << QStringList() << 2;
    QTest::newRow("all boxes and checks") << "kClear" << int(vbYes) << "Clear All Settings!"
                                          << "Clear All Settings Confirmation" << all << 2;
    QTest::newRow("all boxes and checks, No")
            << "kClear" << int(vbNo) << "Clear All Settings!"
            << "Clear All Settings Confirmation" << QStringList() << 2;
    QTest::newRow("temp table") << "kDelete" << int(vbYes)
                                << "Continue to Delete All Records from the Temp Table?"
                                << "Delete Confirmation" << QStringList() << 0;
    QTest::newRow("temp table, No")
            << "kDelete" << int(vbNo) << "Continue to Delete All Records from the Temp Table?"
            << "Delete Confirmation" << QStringList() << 2;
}

void TestImport::clearOperations()
{
    QFETCH(QString, operation);
    QFETCH(int, answer);
    QFETCH(QString, question);
    QFETCH(QString, title);
    QFETCH(QStringList, emptied);
    QFETCH(int, staged);
    Fixture f;
    f.setUp();
    stage(f, "one.c", "C", "Site A", "label");
    stage(f, "two.c", "C");
    f.exec("update tempfile set Author = 'Ada', Email = 'ada@example.org', Drive = 'D'");
    auto window = open();
    doubleClick(*window, 0);
    window->chkAuthor->setChecked(true);
    f.ui.answer(answer);
    if (operation == "cmdClear")
        window->cmdClear->click();
    else
        window->Toolbar1->click(operation);
    QCOMPARE(f.ui.texts(), QStringList{question});
    QCOMPARE(f.ui.messages[0].title, title);
    QCOMPARE(f.ui.messages[0].style, kQuestion);
    for (QLineEdit *box : window->findChildren<QLineEdit *>()) {
        if (box->objectName().startsWith("txt") || box->objectName() == "TxtIndex")
            QCOMPARE(box->text().isEmpty(),
                     emptied.contains(box->objectName()) || box->objectName() == "txtFSize");
    }
    const bool all = operation == "kClear" && answer == vbYes;
    QCOMPARE(window->cboGrpName->currentText(), all ? QString() : QStringLiteral("C"));
    QCOMPARE(window->chkAuthor->isChecked(), !all);
    QCOMPARE(window->cmdAdd->isEnabled(), all);
    QCOMPARE(count(f, "tempfile"), staged);
    QCOMPARE(int(gridNames(*window).size()), staged);
    if (staged == 0) {
        QCOMPARE(window->cboGrpList->count(), 0);
        f.ui.answer(vbOK);
        window->Toolbar1->click("kDelete");
        QCOMPARE(f.ui.texts().last(), kNoRecords);
    }
}

void TestImport::pinnedDirectory_data()
{
    QTest::addColumn<QString>("pinned"); // below the test folder; "-" for nothing pinned
    QTest::addColumn<bool>("opensThere");
    QTest::newRow("pinned folder") << "sub" << true;
    QTest::newRow("pinned folder gone") << "gone" << false;
    QTest::newRow("nothing pinned") << "-" << false;
}

void TestImport::pinnedDirectory()
{
    QFETCH(QString, pinned);
    QFETCH(bool, opensThere);
    Fixture f;
    f.setUp();
    QVERIFY(QDir().mkpath(dir_->filePath("sub")));
    QVERIFY(WriteFile(dir_->filePath("sub/in sub.txt"), "x"));
    if (pinned != "-") {
        auto pinning = open();
        QAction *pin = pinning->Toolbar1->button("kSetDir");
        QCOMPARE(pinning->Toolbar1->buttonAt(10), pin);
        QVERIFY(!pin->isChecked());
        QVERIFY(pinning->Dir1->setPath(folder("sub")));
        pinning->Toolbar1->click("kSetDir");
        QVERIFY(pin->isChecked());
        QCOMPARE(f.setting(SettingKey::DirPinned), QStringLiteral("1"));
        QCOMPARE(f.setting(SettingKey::DirText), folder("sub"));
        QVERIFY(DefaultDirPinned);
        if (pinned == "gone")
            QVERIFY(QDir(dir_->filePath("sub")).removeRecursively());
    }
    frmAdd window;
    window.Form_Load();
    const QString where =
            opensThere ? folder("sub") : native(QCoreApplication::applicationDirPath());
    QCOMPARE(window.Dir1->Path(), where);
    QCOMPARE(window.Text2->text(), where);
    QCOMPARE(window.File1->Path(), where);
    QCOMPARE(window.Toolbar1->button("kSetDir")->isChecked(), pinned != "-");
    QVERIFY(f.ui.messages.isEmpty());
    if (pinned == "-")
        return;
    window.Toolbar1->click("kSetDir");
    QCOMPARE(f.setting(SettingKey::DirPinned), QStringLiteral("0"));
    QCOMPARE(f.setting(SettingKey::DirText), QString());
    QVERIFY(f.hasSetting(SettingKey::DirText));
    QVERIFY(!DefaultDirPinned);
}

void TestImport::masterUpdate_data()
{
    QTest::addColumn<int>("staged");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("failure"); // a trigger that makes one step fail
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("master");
    QTest::addColumn<int>("left");
    const QString question = "Continue to Update Master Table?";
    const QString failed = "ERROR - Master Table Update UnSuccessfull!";
    QTest::newRow("three into ten")
            << 3 << int(vbYes) << QStringList() << QStringList{question} << 13 << 0;
    QTest::newRow("answered No") << 3 << int(vbNo) << QStringList() << QStringList{question} << 10
                                 << 3;
    QTest::newRow("nothing staged")
            << 0 << int(vbOK) << QStringList() << QStringList{kNoRecords} << 10 << 0;
    QTest::newRow("copy fails half-way")
            << 3 << int(vbYes)
            << RefusingTrigger("insert", "fileprofile", "disk full", "new.FileName = 'two.c'")
            << QStringList{question, "Error: disk full", failed} << 10 << 3;
    // The copy is taken back with the emptying that failed: nothing is copied twice later.
    QTest::newRow("emptying fails")
            << 3 << int(vbYes) << RefusingTrigger("delete", "tempfile", "staging locked")
            << QStringList{question, "Error: staging locked", failed} << 10 << 3;
}

void TestImport::masterUpdate()
{
    QFETCH(int, staged);
    QFETCH(int, answer);
    QFETCH(QStringList, failure);
    QFETCH(QStringList, messages);
    QFETCH(int, master);
    QFETCH(int, left);
    Fixture f;
    f.setUp();
    catalogue(f, 10);
    for (const char *name : {"one.c", "two.c", "three.c"}) {
        if (staged-- > 0)
            stage(f, name, "C", "Site A", "label");
    }
    f.exec("update tempfile set FSize = '120' where FileName = 'one.c'");
    f.exec(failure);
    auto window = open();
    for (int i = 0; i < messages.size(); ++i)
        f.ui.answer(i == 0 ? answer : vbOK);
    window->Toolbar1->click("kSave");
    QCOMPARE(f.ui.texts(), messages);
    QCOMPARE(f.ui.messages[0].style, int(messages[0] == kNoRecords ? vbInformation : kQuestion));
    QCOMPARE(count(f, "fileprofile"), master);
    QCOMPARE(count(f, "tempfile"), left);
    QCOMPARE(int(gridNames(*window).size()), left);
    if (master == 13) {
        QCOMPARE(window->MasterCount, qint64(10));
        QCOMPARE(window->MasterCountAfter, qint64(13));
        QCOMPARE(
                f.column(
                        "select FileName || '|' || FileDate || '|' || FileIndex || '|' || "
                        "WebSiteName || '|' || coalesce(Label, '-') || '|' || coalesce(FSize, '-') "
                        "from fileprofile where Inum > 10 order by Inum"),
                QStringList({"one.c|01/02/2026|2|Site A|label|120",
                             "two.c|01/02/2026|2|Site A|label|-",
                             "three.c|01/02/2026|2|Site A|label|-"}));
        QCOMPARE(window->cboGrpList->count(), 0);
        QCOMPARE(window->cboSiteList->count(), 0);
        QCOMPARE(caption(*window), QString());
    }
}

// Another desk stages a row at each yield of this desk's save, and before and after it: every
// row ends up once, copied or still staged; none is lost in between, none is copied twice.
void TestImport::saveWhileAnotherDeskStages()
{
    Fixture f;
    f.setUp();
    catalogue(f, 10);
    for (const char *name : {"one.c", "two.c", "three.c"})
        stage(f, name, "C");
    DeskConnection desk(f.dbPath);
    makeImpatient(desk, f);
    QStringList stagedThere;
    int attempts = 0;
    QTimer timer;
    timer.setInterval(0);
    connect(&timer, &QTimer::timeout, [&] {
        const QString name = QString("b%1.c").arg(++attempts);
        try {
            desk.Execute("insert into tempfile (FileName, FilePath, FileGroup, FileIndex) "
                         "values (?, ?, 'C', 2)",
                         {name, "/b/" + name});
            stagedThere << name;
        } catch (const std::exception &) {
            // A file has one writer at a time: the desk stages once this one has saved.
        }
    });
    DuringSave during([](int) {});
    auto window = open();
    f.ui.answer(vbYes);
    timer.start();
    window->Toolbar1->click("kSave");
    timer.stop();
    QCOMPARE(f.ui.texts(), QStringList{"Continue to Update Master Table?"});
    QCOMPARE(during.yields, 2);
    QStringList expected = stagedThere;
    expected << "one.c"
             << "two.c"
             << "three.c";
    expected.sort();
    QStringList found = f.column("select FileName from fileprofile where Inum > 10 union all "
                                 "select FileName from tempfile");
    found.sort();
    QCOMPARE(found, expected);
    QCOMPARE(f.column("select count(*) from tempfile where FileName not like 'b%'"),
             QStringList{"0"});
    // On a server nothing waits: rows were staged while the save ran, before its copy and after.
    if (f.onServer())
        QVERIFY(stagedThere.size() >= 3);
}

// What another desk's save does, on a connection of its own: the moved rows, or -1 on failure.
static qint64 saveAtAnotherDesk(const QString &address)
{
    try {
        DeskConnection desk(address);
        db::Transaction transaction(desk);
        db::Serialise(desk, "tempfile");
        const qint64 moved = db::MoveRows(desk, "tempfile", "fileprofile",
                                          {"FileName", "FilePath", "FileGroup"}, "inum");
        transaction.Commit();
        return moved;
    } catch (const std::exception &) {
        return -1;
    }
}

// Another desk saves while this desk's save has copied and not yet committed: the other waits
// for it and then finds nothing to copy. Every staged row is copied once.
void TestImport::twoDesksSaveAtOnce()
{
    Fixture f;
    f.setUp();
    catalogue(f, 10);
    for (const char *name : {"one.c", "two.c", "three.c"})
        stage(f, name, "C");
    std::atomic<qint64> movedThere{-2};
    std::thread other;
    DuringSave during([&](int yield) {
        if (yield != 2)
            return;
        other = std::thread([&, address = f.dbPath] { movedThere = saveAtAnotherDesk(address); });
        // Time for the other desk to finish, were it let through.
        for (int i = 0; i < 60 && movedThere == -2; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    });
    auto window = open();
    f.ui.answer(vbYes);
    window->Toolbar1->click("kSave");
    during.timer.stop();
    QVERIFY(other.joinable());
    other.join();
    QCOMPARE(f.ui.texts(), QStringList{"Continue to Update Master Table?"});
    QCOMPARE(qint64(movedThere), qint64(0));
    QCOMPARE(count(f, "fileprofile"), 13);
    QCOMPARE(count(f, "tempfile"), 0);
    QCOMPARE(f.column("select count(distinct FileName) from fileprofile where Inum > 10"),
             QStringList{"3"});
}

void TestImport::printImportTable_data()
{
    QTest::addColumn<int>("staged");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("modals");
    QTest::newRow("nothing staged") << 0 << int(vbOK) << QStringList();
    QTest::newRow("Cancel") << 2 << int(vbCancel) << QStringList();
    QTest::newRow("OK") << 2 << int(vbOK) << QStringList{"rptFileList"};
}

void TestImport::printImportTable()
{
    QFETCH(int, staged);
    QFETCH(int, answer);
    QFETCH(QStringList, modals);
    Fixture f;
    f.setUp();
    if (staged > 0) {
        stage(f, "zeta.c", "C", "Site A");
        stage(f, "alpha.c", "C++", "Site B");
    }
    auto window = open();
    const QString csv = f.dir() + "/imported.csv";
    QString title;
    f.ui.answer(answer);
    f.ui.saveAs(csv);
    f.ui.onModal("rptFileList", [&title](QWidget *preview) {
        title = preview->windowTitle();
        preview->findChild<QAction *>("kExportCsv")->trigger();
        return 0;
    });
    window->Toolbar1->click("kPrint");
    QCOMPARE(f.ui.texts(), QStringList{staged ? "Print Import Table?" : kNoRecords});
    if (staged) {
        QCOMPARE(f.ui.messages[0].title, QStringLiteral("Setup"));
        QCOMPARE(f.ui.messages[0].style, vbOKCancel + vbCritical + vbDefaultButton2);
    }
    QCOMPARE(f.ui.modals, modals);
    if (modals.isEmpty())
        return;
    QCOMPARE(f.ui.owners, QStringList{"frmAdd"});
    QCOMPARE(title, QStringLiteral("Imported FileNames"));
    const QStringList lines = QString::fromUtf8(ReadFile(csv)).split("\r\n", Qt::SkipEmptyParts);
    QCOMPARE(int(lines.size()), 3);
    QVERIFY(lines[1].startsWith("zeta.c,"));
    QVERIFY(lines[2].startsWith("alpha.c,"));
}

// The picker writes the new file into the panel; Update saves it into the row.
void TestImport::editPathThroughPicker()
{
    Fixture f;
    f.setUp();
    auto window = open();
    take(*window, "a.txt");
    window->cboGrpName->setCurrentText("C");
    window->cmdAdd_Click();
    doubleClick(*window, 0);
    f.ui.onModal("frmGet", [](QWidget *picker) {
        auto *get = static_cast<frmGet *>(picker);
        get->File1->setFileName("c.py");
        get->File1_DblClick();
        return get->result();
    });
    window->cmdBrow->click();
    QCOMPARE(f.ui.modals, QStringList{"frmGet"});
    QCOMPARE(f.ui.owners, QStringList{"frmAdd"});
    QCOMPARE(PickerCaller, 2);
    QCOMPARE(SelectedFileName, QStringLiteral("a.txt"));
    QCOMPARE(window->txtFileName->text(), QStringLiteral("c.py"));
    QCOMPARE(window->txtFilePath->text(), folder("c.py"));
    f.ui.answer(vbYes);
    window->cmdUpdate_Click();
    QCOMPARE(f.column("select FilePath from tempfile"), QStringList{folder("c.py")});
}

void TestImport::siteMailAndHelp()
{
    Fixture f;
    f.setUp();
    f.exec("insert into webname (webname, webaddress) values ('Tern Tools', "
           "'https://tern.example')");
    auto window = open();
    window->cmdGoToWeb->click();
    window->cmdSendEmail->click();
    QVERIFY(f.ui.launched.isEmpty());
    QCOMPARE(items(window->cboWebName), QStringList({"", "Tern Tools"}));
    window->cboWebName->setCurrentIndex(1);
    window->cboWebName_Click();
    window->txtEmail->setText(" ada@example.org ");
    window->cmdGoToWeb->click();
    window->cmdSendEmail->click();
    QCOMPARE(f.ui.launched, QStringList({"https://tern.example", "mailto:ada@example.org"}));
    // A site not in the directory leaves the address empty.
    window->cboWebName->setEditText("Elsewhere");
    window->cboWebName_Click();
    QCOMPARE(window->cboWebAddr->currentText(), QString());

    f.ui.onModal("frmHelpAdd");
    window->Toolbar1->click("kHelp");
    QCOMPARE(f.ui.modals, QStringList{"frmHelpAdd"});
    QCOMPARE(f.ui.owners, QStringList{"frmAdd"});
    window->show();
    window->Toolbar1->click("kExit");
    QVERIFY(!window->isVisible());
}

// Coming back to the window re-reads the grid; a failure there is reported only by the button,
// since a box would bring the window back and the failure round again.
void TestImport::activationRefreshesQuietly()
{
    Fixture f;
    f.setUp();
    auto window = open();
    stage(f, "late.c", "C");
    window->Form_Activate();
    QCOMPARE(gridNames(*window), QStringList{"late.c"});
    QCOMPARE(caption(*window), QStringLiteral("1 of 1"));
    f.exec("drop table tempfile");
    window->Form_Activate();
    QVERIFY(f.ui.messages.isEmpty());
    f.ui.answer(vbOK);
    window->cmdRefreshGrid->click();
    QCOMPARE(f.ui.texts(), QStringList{"Error: " + MissingTable("tempfile")});
}

REGISTER_TEST(TestImport)
#include "tst_import.moc"
