#include "Fixture.h"
#include "TestRegistry.h"
#include "catalogue/FilePanel.h"
#include "catalogue/frmAdd.h"
#include "platform/db/DataControl.h"
#include "platform/ui/FileLists.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

const QString kAdded = "Files Added to Temp Table: %1";
const QString kKnown = "Already Staged or in Database: %1";

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

// "Add Folder...": every file of the file panel's folder that fits the pattern, staged at once.
class TestAddFolder : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void walksTheTree_data();
    void walksTheTree();
    void cancelKeepsWhatIsStaged();
    void knownPathsLeftOut_data();
    void knownPathsLeftOut();
    void nothingStaged_data();
    void nothingStaged();
    void sizesReachTheCatalogue();

private:
    QString at(const QString &below) const { return native(dir_->filePath("root/" + below)); }
    void file(const QString &below, const QByteArray &bytes, const QDate &changed);
    // A loaded import window at the tree's top, with a group, site and author to give the files.
    std::unique_ptr<frmAdd> open(const QString &pattern, bool subfolders);
    // What the staged rows hold, one line each, paths below the tree's top.
    QStringList stagedRows(Fixture &f) const;

    std::unique_ptr<QTemporaryDir> dir_;
};

void TestAddFolder::file(const QString &below, const QByteArray &bytes, const QDate &changed)
{
    const QString path = dir_->filePath("root/" + below);
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    out.flush();
    QVERIFY(out.setFileTime(QDateTime(changed, QTime(10, 30)), QFileDevice::FileModificationTime));
}

void TestAddFolder::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    file("a.txt", "abc", QDate(2024, 3, 5));
    file("b.md", "12345", QDate(2023, 11, 30));
    file("c.bin", "", QDate(2023, 11, 30));
    file("sub/a.txt", "1234567", QDate(2022, 1, 15)); // the same name in another folder
    file("sub/deep/d.txt", "d", QDate(2023, 11, 30));
}

void TestAddFolder::cleanup()
{
    QFile::setPermissions(dir_->filePath("root/locked"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

std::unique_ptr<frmAdd> TestAddFolder::open(const QString &pattern, bool subfolders)
{
    auto window = std::make_unique<frmAdd>();
    window->Form_Load();
    window->Dir1->setPath(dir_->filePath("root"));
    window->Combo1->setEditText(pattern);
    window->chkSubDirs->setChecked(subfolders);
    window->cboGrpName->setCurrentText("Python");
    window->cboWebName->setEditText("Code Harbour");
    window->cboWebAddr->setEditText("https://ch.example");
    window->txtAuthor->setText("Ada");
    window->txtEmail->setText("ada@example.org");
    for (QCheckBox *hold : {window->chkGrpName, window->chkWebName, window->chkWebAddr,
                            window->chkAuthor, window->chkEmail})
        hold->setChecked(true);
    return window;
}

QStringList TestAddFolder::stagedRows(Fixture &f) const
{
    const QString top = at("");
    QStringList rows;
    for (QString row :
         f.column("select FilePath || '|' || FileName || '|' || Directory || '|' || FileDate || "
                  "'|' || FSize || '|' || FileIndex || '|' || FileGroup || '|' || WebSiteName || "
                  "'|' || WebAddress || '|' || Author || '|' || Email || '|' || FileDesc || '|' "
                  "|| Label || '|' || Drive from tempfile order by FilePath"))
        rows << row.replace(top, "~/");
    return rows;
}

void TestAddFolder::walksTheTree_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("subfolders");
    QTest::addColumn<QString>("special");
    QTest::addColumn<QStringList>("staged");
    QTest::addColumn<QString>("message");
    const QString sep = QDir::separator();
    const QString a = "~/a.txt|a.txt|~/|05/03/2024|3";
    const QString b = "~/b.md|b.md|~/|30/11/2023|5";
    const QString c = "~/c.bin|c.bin|~/|30/11/2023|0";
    const QString subA = "~/sub" + sep + "a.txt|a.txt|~/sub" + sep + "|15/01/2022|7";
    const QString d = "~/sub" + sep + "deep" + sep + "d.txt|d.txt|~/sub" + sep + "deep" + sep
            + "|30/11/2023|1";
    QTest::newRow("this folder only") << "*.txt" << false << "" << QStringList{a} << kAdded.arg(1);
    QTest::newRow("nested folders, a name twice")
            << "*.txt" << true << "" << QStringList{a, subA, d} << kAdded.arg(3);
    QTest::newRow("two masks, case ignored")
            << "*.txt;*.MD" << true << "" << QStringList{a, b, subA, d} << kAdded.arg(4);
    QTest::newRow("every file") << "*.*" << true << "" << QStringList{a, b, c, subA, d}
                                << kAdded.arg(5);
#ifdef Q_OS_UNIX
    QTest::newRow("unreadable folder") << "*.txt" << true << "locked" << QStringList{a, subA, d}
                                       << kAdded.arg(3) + "\nFolders Not Read: 1";
    QTest::newRow("link cycle") << "*.txt" << true << "loop" << QStringList{a, subA, d}
                                << kAdded.arg(3);
#endif
}

void TestAddFolder::walksTheTree()
{
    QFETCH(QString, pattern);
    QFETCH(bool, subfolders);
    QFETCH(QString, special);
    QFETCH(QStringList, staged);
    QFETCH(QString, message);
#ifdef Q_OS_UNIX
    if (special == "locked") {
        if (::geteuid() == 0)
            QSKIP("every folder is readable to root");
        file("locked/e.txt", "e", QDate(2023, 11, 30));
        QVERIFY(QFile::setPermissions(dir_->filePath("root/locked"), QFile::WriteOwner));
    } else if (special == "loop") {
        QVERIFY(QFile::link("..", dir_->filePath("root/sub/deep/up")));
        QVERIFY(QFile::link(dir_->filePath("root"), dir_->filePath("root/sub/again")));
    }
#endif
    Fixture f;
    f.setUp();
    auto window = open(pattern, subfolders);
    f.ui.answer(vbOK);
    window->cmdAddFolder->click();
    QCOMPARE(f.ui.texts(), QStringList{message});
    QCOMPARE(f.ui.messages[0].title, QStringLiteral("Add Folder"));
    const QString drive = DriveText(DriveListBox::volumeOf(at("")));
    QStringList expected;
    for (const QString &row : staged)
        expected << row + "|2|Python|Code Harbour|https://ch.example|Ada|ada@example.org|||"
                        + drive;
    QCOMPARE(stagedRows(f), expected);
    QCOMPARE(f.ui.progressWindows, QStringList{"Add Folder"});
    QCOMPARE(f.ui.progressCounts.last(), qint64(staged.size()));
    QVERIFY(std::is_sorted(f.ui.progressCounts.begin(), f.ui.progressCounts.end()));
    // The grid and its filters show the new rows at once.
    QCOMPARE(window->AdoFile->RecordCount(), qint64(staged.size()));
    QCOMPARE(window->cboGrpList->itemText(1), QStringLiteral("Python"));
}

void TestAddFolder::cancelKeepsWhatIsStaged()
{
    Fixture f;
    f.setUp();
    auto window = open("*.txt", true);
    // Cancel as soon as the first folder has given a file: the top folder's file stays.
    f.ui.cancelProgressAt(1);
    f.ui.answer(vbOK);
    window->cmdAddFolder_Click();
    QCOMPARE(f.ui.texts().last(), kAdded.arg(1) + "\nCancelled; the files added so far are kept.");
    QCOMPARE(f.column("select FilePath from tempfile"), QStringList{at("a.txt")});

    f.ui.cancelProgressAt(-1);
    f.ui.answer(vbOK);
    window->cmdAddFolder_Click();
    QCOMPARE(f.ui.texts().last(), kAdded.arg(2) + "\n" + kKnown.arg(1));
    f.ui.answer(vbOK);
    window->cmdAddFolder_Click();
    QCOMPARE(f.ui.texts().last(), kAdded.arg(0) + "\n" + kKnown.arg(3));
    QCOMPARE(f.column("select count(*) from tempfile"), QStringList{"3"});
    QCOMPARE(f.ui.progressWindows.size(), 3);
}

void TestAddFolder::knownPathsLeftOut_data()
{
    QTest::addColumn<QString>("known");
    QTest::newRow("staged by hand") << "hand";
    QTest::newRow("in the catalogue") << "catalogue";
}

void TestAddFolder::knownPathsLeftOut()
{
    QFETCH(QString, known);
    Fixture f;
    f.setUp();
    auto window = open("*.txt", true);
    if (known == "hand") {
        window->File1->setFileName("a.txt");
        window->File1_Click();
        window->cmdOK_Click();
        window->cmdAdd_Click();
    } else {
        f.exec("insert into fileprofile (FileName, FilePath) values ('a.txt', ?)", {at("a.txt")});
    }
    f.ui.answer(vbOK);
    window->cmdAddFolder_Click();
    QCOMPARE(f.ui.texts(), QStringList{kAdded.arg(2) + "\n" + kKnown.arg(1)});
    QCOMPARE(f.column("select FilePath from tempfile where FileName = 'a.txt' order by FilePath"),
             known == "hand" ? QStringList({at("a.txt"), at("sub/a.txt")})
                             : QStringList{at("sub/a.txt")});
}

void TestAddFolder::nothingStaged_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("progress");
    QTest::newRow("no group") << ""
                              << ""
                              << "Please Select a Group Name!" << 0;
    // One transaction: a failure deep in the tree takes back what was staged before it.
    QTest::newRow("staging fails part-way")
            << "Python"
            << "create trigger refuse before insert on tempfile when new.FileName = 'd.txt' "
               "begin select raise(abort, 'disk full'); end"
            << "Error: disk full" << 1;
}

void TestAddFolder::nothingStaged()
{
    QFETCH(QString, group);
    QFETCH(QString, failure);
    QFETCH(QString, message);
    QFETCH(int, progress);
    Fixture f;
    f.setUp();
    if (!failure.isEmpty())
        f.exec(failure);
    auto window = open("*.txt", true);
    window->cboGrpName->setEditText(group);
    f.ui.answer(vbOK);
    window->cmdAddFolder_Click();
    QCOMPARE(f.ui.texts(), QStringList{message});
    QCOMPARE(f.column("select count(*) from tempfile"), QStringList{"0"});
    QCOMPARE(int(f.ui.progressWindows.size()), progress);
}

// Folder rows carry their size into the catalogue; a row staged by hand has none.
void TestAddFolder::sizesReachTheCatalogue()
{
    Fixture f;
    f.setUp();
    auto window = open("*.md", false);
    window->Text1->setText("c.bin");
    window->cmdOK_Click();
    window->cmdAdd_Click();
    f.ui.answer(vbOK);
    window->cmdAddFolder_Click();
    f.ui.answer(vbYes);
    window->UpdateMasterTable();
    QCOMPARE(f.column("select FileName || ':' || ifnull(FSize, '-') || ':' || FileDate from "
                      "fileprofile order by Inum"),
             QStringList({"c.bin:-:07/12/2026", "b.md:5:30/11/2023"}));
    QCOMPARE(f.column("select count(*) from tempfile"), QStringList{"0"});
}

REGISTER_TEST(TestAddFolder)
#include "tst_folder.moc"
