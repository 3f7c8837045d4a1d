#include "DeskConnection.h"
#include "Fixture.h"
#include "TestRegistry.h"
#include "app/SettingKeys.h"
#include "catalogue/FilePanel.h"
#include "catalogue/frmAdd.h"
#include "platform/db/DataControl.h"
#include "platform/fs/Checksum.h"
#include "platform/ui/FileLists.h"
#include "platform/ui/Progress.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <memory>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
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
    void checksumsOfTheFiles_data();
    void checksumsOfTheFiles();
    void cancelStopsReading_data();
    void cancelStopsReading();
    void checksumChoiceRemembered();
    void interruptedImportKeepsWholeFolders_data();
    void interruptedImportKeepsWholeFolders();
    void anotherDeskSavesDuringImport_data();
    void anotherDeskSavesDuringImport();

private:
    QString at(const QString &below) const { return native(dir_->filePath("root/" + below)); }
    void file(const QString &below, const QByteArray &bytes, const QDate &changed);
    // A loaded import window at the tree's top, with a group, site and author to give the files.
    std::unique_ptr<frmAdd> open(const QString &pattern, bool subfolders);
    // What the staged rows hold, one line each, paths below the tree's top.
    QStringList stagedRows(Fixture &f) const;
    // Name, size and checksum of each row of table by path; each distinct checksum shown as a
    // letter in the order met, a missing one as "-".
    QStringList sums(Fixture &f, const QString &table) const;

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

QStringList TestAddFolder::sums(Fixture &f, const QString &table) const
{
    QStringList rows;
    QStringList seen;
    for (const QString &row : f.column("select FileName || '|' || FSize || '|' || "
                                       "coalesce(Checksum, '-') from "
                                       + table + " order by FilePath")) {
        QStringList cells = row.split('|');
        if (cells[2] != "-") {
            if (!QRegularExpression("^[0-9a-f]{64}$").match(cells[2]).hasMatch())
                return {"not a digest: " + row};
            if (!seen.contains(cells[2]))
                seen << cells[2];
            cells[2] = QChar(char16_t(u'A' + seen.indexOf(cells[2])));
        }
        rows << cells.join('|');
    }
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
                                       << kAdded.arg(3) + "\nFolders Not Read: 1 (~/locked)";
    // A name that is not valid text reads like the one with a replacement character, which is
    // staged; the other is left out and told by its escaped name, the folder's too.
    const QString lookAlike = QStringLiteral("~/bad\uFFFD.txt|bad\uFFFD.txt|~/|30/11/2023|10");
    QTest::newRow("names not valid text")
            << "*.txt" << true << "undecodable" << QStringList{a, lookAlike, subA, d}
            << kAdded.arg(4) + "\nNames Not Valid Text, Left Out: 2 (~/bad\\xFF.txt, ~/sub\\xFE)";
    QTest::newRow("names not valid text, the pattern left aside")
            << "*.md" << false << "undecodable" << QStringList{b} << kAdded.arg(1);
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
    } else if (special == "undecodable") {
        file(QStringLiteral("bad\uFFFD.txt"), "look-alike", QDate(2023, 11, 30));
        const QByteArray top = QFile::encodeName(dir_->filePath("root"));
        const int handle = ::open((top + "/bad\xff.txt").constData(), O_CREAT | O_WRONLY, 0600);
        if (handle < 0)
            QSKIP("this file system takes only names that are valid text");
        ::close(handle);
        QCOMPARE(::mkdir((top + "/sub\xfe").constData(), 0700), 0);
        QVERIFY(::close(::open((top + "/sub\xfe/e.txt").constData(), O_CREAT | O_WRONLY, 0600))
                == 0);
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
    QCOMPARE(f.ui.texts(), QStringList{QString(message).replace("~/", at(""))});
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
    QTest::addColumn<QStringList>("failure");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("progress");
    QTest::newRow("no group") << "" << QStringList() << "Please Select a Group Name!" << 0;
    // The folders of this small tree are written together: a failure in the last takes back
    // all of them.
    const QStringList failure =
            RefusingTrigger("insert", "tempfile", "disk full", "new.FileName = 'd.txt'");
    QTest::newRow("staging fails part-way") << "Python" << failure << "Error: disk full" << 1;
}

void TestAddFolder::nothingStaged()
{
    QFETCH(QString, group);
    QFETCH(QStringList, failure);
    QFETCH(QString, message);
    QFETCH(int, progress);
    Fixture f;
    f.setUp();
    f.exec(failure);
    auto window = open("*.txt", true);
    window->cboGrpName->setEditText(group);
    f.ui.answer(vbOK);
    window->cmdAddFolder_Click();
    QCOMPARE(f.ui.texts(), QStringList{message});
    QCOMPARE(f.column("select count(*) from tempfile"), QStringList{"0"});
    QCOMPARE(int(f.ui.progressWindows.size()), progress);
}

// Rows carry their size into the catalogue, a folder's and one staged on its own alike.
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
    QCOMPARE(f.column("select FileName || ':' || coalesce(FSize, '-') || ':' || FileDate from "
                      "fileprofile order by Inum"),
             QStringList({"c.bin:0:07/12/2026", "b.md:5:30/11/2023"}));
    QCOMPARE(f.column("select count(*) from tempfile"), QStringList{"0"});
    // The folder's volume and each file's time of change go with the rows; a file taken on its
    // own has neither.
    const QString changed =
            QString::number(QDateTime(QDate(2023, 11, 30), QTime(10, 30)).toSecsSinceEpoch());
    QCOMPARE(f.column("select FileName || ':' || coalesce(CStr(VolumeId), '-') || ':' || "
                      "coalesce(CStr(Modified), '-') from fileprofile order by Inum"),
             QStringList({"c.bin:-:-", "b.md:1:" + changed}));
    QCOMPARE(f.column("select FolderPath || ':' || Pattern || ':' || Subfolders || ':' || Files "
                      "from volumefolders where VolumeId = 1"),
             QStringList{at("").chopped(1) + ":*.md:0:1"});
}

void TestAddFolder::checksumsOfTheFiles_data()
{
    QTest::addColumn<QString>("special");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("notRead");
    // b.md and sub/same.md hold the same bytes; c.bin none at all.
    QTest::newRow("every file read")
            << "" << QStringList{"b.md|5|A", "c.bin|0|B", "same.md|5|A"} << "";
    QTest::newRow("removed between listing and reading")
            << "removed" << QStringList{"b.md|5|A", "c.bin|0|B", "same.md|5|-"} << "1";
#ifdef Q_OS_UNIX
    QTest::newRow("no read permission")
            << "locked" << QStringList{"b.md|5|-", "c.bin|0|A", "same.md|5|B"} << "1";
#endif
}

// With "Record checksums", every staged file carries the checksum of its bytes into the
// catalogue; a file that cannot be read is staged without one, and the rest go on.
void TestAddFolder::checksumsOfTheFiles()
{
    QFETCH(QString, special);
    QFETCH(QStringList, rows);
    QFETCH(QString, notRead);
    file("sub/same.md", "12345", QDate(2023, 11, 30));
#ifdef Q_OS_UNIX
    if (special == "locked") {
        if (::geteuid() == 0)
            QSKIP("root reads every file");
        QVERIFY(QFile::setPermissions(at("b.md"), QFile::WriteOwner));
    }
#endif
    Fixture f;
    f.setUp();
    auto window = open("*.md;*.bin", true);
    window->chkChecksums->setChecked(true);
    if (special == "removed") {
        f.ui.onProgress([&](ProgressBox &box) {
            if (box.Text().endsWith("Reading: same.md"))
                QFile::remove(at("sub/same.md"));
        });
    }
    f.ui.answer(vbOK);
    window->cmdAddFolder_Click();
    QString message = kAdded.arg(3);
    if (!notRead.isEmpty())
        message += "\nFiles Not Read, Added Without Checksum: " + notRead;
    QCOMPARE(f.ui.texts(), QStringList{message});
    QCOMPARE(sums(f, "tempfile"), rows);
    // The progress window names each file as it is read.
    QCOMPARE(f.ui.progressTexts.filter("Reading: ").size(), 3);

    f.ui.answer(vbYes);
    window->UpdateMasterTable();
    QCOMPARE(sums(f, "fileprofile"), rows);
    QCOMPARE(f.column("select count(*) from tempfile"), QStringList{"0"});
    VERIFY_CLEAN(f);
}

void TestAddFolder::cancelStopsReading_data()
{
    QTest::addColumn<QString>("cancelAt");
    QTest::addColumn<int>("update");
    QTest::addColumn<QStringList>("staged");
    QTest::newRow("before the first file") << "a.txt" << 1 << QStringList();
    // A folder is staged whole or not at all: the files read before Cancel are left out too.
    QTest::newRow("before the second file") << "b.md" << 1 << QStringList();
    // The large file is read a chunk at a time, and Cancel is served between the chunks: nothing
    // after it is read.
    QTest::newRow("inside a large file") << "big.bin" << 2 << QStringList();
}

void TestAddFolder::cancelStopsReading()
{
    QFETCH(QString, cancelAt);
    QFETCH(int, update);
    QFETCH(QStringList, staged);
    QVERIFY(WriteFile(at("big.bin"), QByteArray(3 * fs::kSumChunk, 'q')));
    Fixture f;
    f.setUp();
    auto window = open("*.*", false);
    window->chkChecksums->setChecked(true);
    int seen = 0;
    QStringList readAfter;
    f.ui.onProgress([&](ProgressBox &box) {
        if (box.Cancelled())
            readAfter << box.Text();
        else if (box.Text().endsWith("Reading: " + cancelAt) && ++seen == update)
            box.Cancel();
    });
    f.ui.answer(vbOK);
    window->cmdAddFolder_Click();
    QCOMPARE(f.ui.texts(),
             QStringList{kAdded.arg(staged.size())
                         + "\nCancelled; the files added so far are kept."});
    QCOMPARE(sums(f, "tempfile"), staged);
    QCOMPARE(readAfter, QStringList());
}

// The choice is the user's: it stays as it was left, from one opening of the window to the next.
void TestAddFolder::checksumChoiceRemembered()
{
    Fixture f;
    f.setUp();
    QStringList states;
    for (int opening = 0; opening < 3; ++opening) {
        frmAdd window;
        window.Form_Load();
        states << (window.chkChecksums->isChecked() ? "on" : "off");
        window.chkChecksums->click();
        states << f.setting(SettingKey::FolderChecksums);
    }
    QCOMPARE(states, QStringList({"off", "1", "on", "0", "off", "1"}));
}

void TestAddFolder::interruptedImportKeepsWholeFolders_data()
{
    QTest::addColumn<QStringList>("failure");
    QTest::addColumn<QString>("cancelAt");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("kept"); // besides the 2,000 files of "bulk"
    // "bulk" is written once read, being large; the folders after it fail with "sub/deep".
    QTest::newRow("writing fails")
            << RefusingTrigger("insert", "tempfile", "disk full", "new.FileName = 'd.txt'") << ""
            << "Error: disk full" << QStringList{"a.txt", "b.md", "c.bin"};
    // Cancelled while reading "sub": its first file, read already, is left out with the rest.
    QTest::newRow("cancelled in a folder")
            << QStringList() << "e.txt"
            << kAdded.arg(2003) + "\nCancelled; the files added so far are kept."
            << QStringList{"a.txt", "b.md", "c.bin"};
}

// An import that stops part-way keeps the folders it wrote whole, and never part of one.
void TestAddFolder::interruptedImportKeepsWholeFolders()
{
    QFETCH(QStringList, failure);
    QFETCH(QString, cancelAt);
    QFETCH(QString, message);
    QFETCH(QStringList, kept);
    QVERIFY(QDir().mkpath(dir_->filePath("root/bulk")));
    for (int i = 0; i < 2000; ++i)
        QVERIFY(WriteFile(dir_->filePath(QString("root/bulk/f%1.txt").arg(i, 4, 10, QChar('0'))),
                          "f"));
    QVERIFY(WriteFile(at("sub/e.txt"), "e"));
    Fixture f;
    f.setUp();
    f.exec(failure);
    auto window = open("*.*", true);
    window->chkChecksums->setChecked(true);
    f.ui.onProgress([&](ProgressBox &box) {
        if (!cancelAt.isEmpty() && box.Text().endsWith("Reading: " + cancelAt))
            box.Cancel();
    });
    f.ui.answer(vbOK);
    window->cmdAddFolder_Click();
    QCOMPARE(f.ui.texts(), QStringList{message});
    QCOMPARE(f.column("select count(*) from tempfile where Directory = ?",
                      {DirectoryText(at("bulk"))}),
             QStringList{"2000"});
    QCOMPARE(f.column("select FileName from tempfile where Directory <> ? order by FilePath",
                      {DirectoryText(at("bulk"))}),
             kept);
    QCOMPARE(window->AdoFile->RecordCount(), qint64(2000 + kept.size()));
}

void TestAddFolder::anotherDeskSavesDuringImport_data()
{
    QTest::addColumn<bool>("checksums");
    QTest::newRow("names and sizes") << false;
    QTest::newRow("with checksums") << true;
}

// While a folder is imported, another desk saves a catalogue row and stages a row at every
// step the progress window shows, waiting at most a moment for a lock: each save goes through.
void TestAddFolder::anotherDeskSavesDuringImport()
{
    QFETCH(bool, checksums);
    Fixture f;
    f.setUp();
    f.exec("insert into fileprofile (FileName, FilePath) values ('kept.c', '/kept.c')");
    DeskConnection desk(f.dbPath);
    desk.Execute(f.onServer() ? "SET lock_timeout = '100ms'" : "PRAGMA busy_timeout = 100");
    QStringList failures;
    int saves = 0;
    f.ui.onProgress([&](ProgressBox &) {
        try {
            ++saves;
            desk.Execute("update fileprofile set Author = ? where FileName = 'kept.c'",
                         {QString("desk B %1").arg(saves)});
            desk.Execute("insert into tempfile (FileName, FilePath, FileGroup) values (?, ?, 'C')",
                         {QString("b%1.c").arg(saves), QString("/b/%1.c").arg(saves)});
        } catch (const std::exception &error) {
            failures << QString::fromUtf8(error.what());
        }
    });
    auto window = open("*.*", true);
    window->chkChecksums->setChecked(checksums);
    f.ui.answer(vbOK);
    window->cmdAddFolder_Click();
    QCOMPARE(failures, QStringList());
    QVERIFY(saves >= 3);
    QCOMPARE(f.ui.texts(), QStringList{kAdded.arg(5)});
    QCOMPARE(f.column("select count(*) from tempfile where FileGroup = 'C'"),
             QStringList{QString::number(saves)});
}

REGISTER_TEST(TestAddFolder)
#include "tst_folder.moc"
