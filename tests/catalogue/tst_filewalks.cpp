#include "Fixture.h"
#include "TestRegistry.h"
#include "app/CUtils.h"
#include "app/modGlobals.h"
#include "catalogue/DiskWalk.h"
#include "catalogue/frmFileMgr.h"
#include "catalogue/frmSearch.h"
#include "platform/ui/FileLists.h"
#include "platform/ui/ToolBar.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <memory>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// Makes each file (holding its own name) or folder (ending in '/') below root.
void make(const QString &root, const QStringList &paths)
{
    for (const QString &path : paths) {
        const QString full = QDir(root).filePath(path);
        if (path.endsWith('/')) {
            QVERIFY(QDir().mkpath(full));
        } else {
            QVERIFY(QDir().mkpath(QFileInfo(full).path()));
            QVERIFY(WriteFile(full, path.toUtf8()));
        }
    }
}

// A text with the tree's root written as "~", so that expectations read the same everywhere.
QString shorter(QString text, const QString &root)
{
    return text.replace(QDir::toNativeSeparators(root), QStringLiteral("~"));
}

QStringList lines(const QListWidget *list, const QString &root)
{
    QStringList result;
    for (int row = 0; row < list->count(); ++row)
        result << shorter(list->item(row)->text(), root);
    return result;
}

// Every message box shown, as "title: text", with the tree's root written as "~".
QStringList shown(const Fixture &f, const QString &root)
{
    QStringList result;
    for (const ScriptedUi::Shown &message : f.ui.messages)
        result << message.title + ": " + shorter(message.text, root);
    return result;
}

// The file manager as the catalogue browser opens it for a row.
std::unique_ptr<frmFileMgr> openManager(const QString &name, const QString &directory)
{
    SelectedFileName = name;
    SelectedDirectory = directory;
    auto window = std::make_unique<frmFileMgr>();
    window->Form_Load();
    window->Form_Activate();
    return window;
}

void catalogue(Fixture &f, const QString &directory, const QString &name)
{
    f.exec("insert into fileprofile (FileName, Directory, FilePath) values (?, ?, ?)",
           {name, FolderText(directory), fs::PathOf(directory, name)});
}

// The catalogue as "directory|name|path" rows, the tree's root written as "~".
QStringList catalogueRows(Fixture &f, const QString &root)
{
    QStringList rows;
    for (const QString &row : f.column("select Directory || '|' || FileName || '|' || FilePath "
                                       "from fileprofile order by Directory, FileName"))
        rows << shorter(row, root);
    return rows;
}

#ifdef Q_OS_UNIX
// Makes a file whose name is given as bytes, which need not be valid text.
bool makeRaw(const QString &folder, const QByteArray &name, const QByteArray &contents)
{
    return MakeByBytes(QFile::encodeName(folder) + '/' + name, false, contents);
}

// What a file named by bytes holds; "-" when there is none.
QByteArray readRaw(const QString &folder, const QByteArray &name)
{
    const QByteArray path = QFile::encodeName(folder) + '/' + name;
    const int handle = ::open(path.constData(), O_RDONLY);
    if (handle < 0)
        return "-";
    char buffer[100];
    const ssize_t read = ::read(handle, buffer, sizeof buffer);
    ::close(handle);
    return QByteArray(buffer, read > 0 ? read : 0);
}
#endif

// The files of a folder as "name|contents", in byte order of their names.
QStringList filesIn(const QString &folder)
{
    QStringList files;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::System))
        files << name + "|" + QString::fromUtf8(ReadFile(QDir(folder).filePath(name)));
    std::sort(files.begin(), files.end());
    return files;
}

const QString kRenameQuestion =
        "Rename Confirmation: Renaming this file will update the master database. Continue?";
const QString kRenamed = "Corvina: Rename Completed Successfully!";
const QString kNotCatalogued = "Error!: File Not Found in Database!";
const QString kDeleted = "Corvina: Delete Completed Successfully!";

} // namespace

class TestFileWalks : public QObject
{
    Q_OBJECT
private slots:
    void searchLists_data();
    void searchLists();
    void searchCancelKeepsWhatWasFound_data();
    void searchCancelKeepsWhatWasFound();
    void walksEndOnLinkCycles_data();
    void walksEndOnLinkCycles();
    void managerFinds_data();
    void managerFinds();
    void managerStartDirectory_data();
    void managerStartDirectory();
    void rename_data();
    void rename();
    void erase_data();
    void erase();
    void exactNames_data();
    void exactNames();
    void undecodableNames_data();
    void undecodableNames();
    void swappedSinceTheSearch_data();
    void swappedSinceTheSearch();
    void catalogueDirectories_data();
    void catalogueDirectories();
    void helpAndClose_data();
    void helpAndClose();
};

// ---- disk file search ----

void TestFileWalks::searchLists_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("pattern, directories in name order") << ""
                                                        << "*.txt" << QStringList{"=> ~",
                                                                                  "     b.txt",
                                                                                  "     readme.txt",
                                                                                  "=> ~/Alpha",
                                                                                  "     readme.txt",
                                                                                  "=> ~/Alpha/sub",
                                                                                  "     readme.txt",
                                                                                  "=> ~/only/dirs",
                                                                                  "     a.txt",
                                                                                  "=> ~/zeta",
                                                                                  "     it's.txt"};
    QTest::newRow("one name in several directories, once per directory")
            << ""
            << "readme.txt"
            << QStringList{"=> ~",           "     readme.txt", "=> ~/Alpha", "     readme.txt",
                           "=> ~/Alpha/sub", "     readme.txt"};
    QTest::newRow("a directory with only directories has no heading")
            << "only"
            << "*.*" << QStringList{"=> ~/only/dirs", "     a.txt"};
    QTest::newRow("one character") << ""
                                   << "?.c" << QStringList{"=> ~/Alpha/sub", "     x.c"};
    QTest::newRow("quote in the name") << ""
                                       << "it's.txt" << QStringList{"=> ~/zeta", "     it's.txt"};
    QTest::newRow("blanks around the pattern")
            << "zeta"
            << "  *.md " << QStringList{"=> ~/zeta", "     Notes.md"};
    QTest::newRow("nothing matches") << ""
                                     << "nothing.here" << QStringList{};
    QTest::newRow("empty directory") << "beta"
                                     << "*.*" << QStringList{};
}

void TestFileWalks::searchLists()
{
    QFETCH(QString, start);
    QFETCH(QString, pattern);
    QFETCH(QStringList, expected);
    Fixture f;
    f.setUp();
    const QString root = f.dir() + "/tree";
    make(root,
         {"readme.txt", "b.txt", "c.doc", "Alpha/readme.txt", "Alpha/sub/readme.txt",
          "Alpha/sub/x.c", "beta/", "only/dirs/a.txt", "zeta/Notes.md", "zeta/it's.txt"});
    frmSearch window;
    window.Form_Load();
    QVERIFY(window.lblSearching->isHidden());
    QCOMPARE(window.Text1->text(), QStringLiteral("*.*"));
    window.Text1->setText(pattern);
    QVERIFY(window.Dir1->setPath(QDir(root).filePath(start)));
    window.cmdFind->click();
    QCOMPARE(lines(window.List1, root), expected);
    const qint64 files = expected.filter(QRegularExpression("^     ")).size();
    QCOMPARE(window.Label4->text(), QString::number(files));
    QCOMPARE(window.DirectoryLines, qint64(expected.size()) - files);
    QVERIFY(window.cmdFind->isEnabled() && window.cmdClose->isEnabled());
    QVERIFY(!window.cmdCancel->isEnabled());
    QVERIFY(window.lblSearching->isHidden());
    VERIFY_CLEAN(f);
}

void TestFileWalks::searchCancelKeepsWhatWasFound_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("closes");
    QTest::newRow("Cancel button") << "cmdCancel" << false;
    QTest::newRow("tool bar Cancel") << "kCancel2" << true;
    QTest::newRow("Escape") << "Escape" << true;
}

// The walk lets clicks through while it runs; a Cancel then stops it before the next directory,
// and whatever was listed stays listed and counted.
void TestFileWalks::searchCancelKeepsWhatWasFound()
{
    QFETCH(QString, how);
    QFETCH(bool, closes);
    Fixture f;
    f.setUp();
    const QString root = f.dir() + "/tree";
    make(root, {"a.txt", "b.txt", "one/c.txt", "one/deep/d.txt", "two/e.txt"});
    frmSearch window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.Text1->setText("*.txt");
    QVERIFY(window.Dir1->setPath(root));
    int finished = 0;
    connect(&window, &QDialog::finished, this, [&] { ++finished; });
    QStringList busy;
    QTimer::singleShot(0, &window, [&] {
        for (QWidget *control :
             std::initializer_list<QWidget *>{window.cmdFind, window.cmdClose, window.Dir1,
                                              window.Drive1, window.cmdCancel, window.lblSearching})
            busy << control->objectName() + (control->isEnabled() ? "+" : "-")
                            + (control->isHidden() ? "h" : "");
        if (how == "cmdCancel")
            window.cmdCancel->click();
        else if (how == "kCancel2")
            window.tbrMain2->click("kCancel2");
        else
            QTest::keyClick(&window, Qt::Key_Escape);
    });
    window.cmdFind->click();
    QCOMPARE(busy,
             QStringList(
                     {"cmdFind-", "cmdClose-", "Dir1-", "Drive1-", "cmdCancel+", "lblSearching+"}));
    QCOMPARE(lines(window.List1, root), QStringList({"=> ~", "     a.txt", "     b.txt"}));
    QCOMPARE(window.Label4->text(), QStringLiteral("2"));
    QVERIFY(!window.searching());
    QVERIFY(window.cmdFind->isEnabled() && !window.cmdCancel->isEnabled());
    QVERIFY(window.lblSearching->isHidden());
    QCOMPARE(finished, closes ? 1 : 0);
    QCOMPARE(window.isVisible(), !closes);
    if (!closes) {
        // The next search starts afresh and walks the whole tree.
        window.cmdFind->click();
        QCOMPARE(window.Label4->text(), QStringLiteral("5"));
        QCOMPARE(window.List1->count(), 5 + 4);
    }
    VERIFY_CLEAN(f);
}

void TestFileWalks::walksEndOnLinkCycles_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("disk file search")
            << "frmSearch" << QStringList{"=> ~", "     a.txt", "=> ~/in", "     a.txt"};
    QTest::newRow("file manager") << "frmFileMgr" << QStringList{"~/a.txt", "~/in/a.txt"};
}

void TestFileWalks::walksEndOnLinkCycles()
{
    QFETCH(QString, window);
    QFETCH(QStringList, expected);
#ifndef Q_OS_UNIX
    QSKIP("symbolic links to directories need a Unix file system here");
#endif
    Fixture f;
    f.setUp();
    const QString root = f.dir() + "/cycle";
    make(root, {"a.txt", "in/a.txt"});
    make(f.dir(), {"elsewhere/a.txt"});
    // Links back up, to itself, round in a ring, and out of the tree.
    QVERIFY(QFile::link("..", root + "/in/up"));
    QVERIFY(QFile::link(".", root + "/in/self"));
    QVERIFY(QFile::link(root + "/in", root + "/in/ring"));
    QVERIFY(QFile::link(f.dir() + "/elsewhere", root + "/in/out"));
    if (window == "frmSearch") {
        frmSearch search;
        search.Form_Load();
        search.yieldEveryMs = 0;
        search.Text1->setText("a.txt");
        QVERIFY(search.Dir1->setPath(root));
        search.cmdFind_Click();
        QCOMPARE(lines(search.List1, root), expected);
        QCOMPARE(search.Label4->text(), QStringLiteral("2"));
    } else {
        auto manager = openManager("a.txt", root);
        QCOMPARE(lines(manager->List1, root), expected);
        QCOMPARE(manager->Label4->text(), QStringLiteral("2"));
    }
    VERIFY_CLEAN(f);
}

// ---- file manager ----

void TestFileWalks::managerFinds_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("expected");
    const QStringList readme{"~/readme.txt", "~/Alpha/README.TXT", "~/Alpha/sub/readme.txt"};
    QTest::newRow("in several directories, the start directory first") << "readme.txt" << readme;
    // A blank is part of a name: only a file whose name holds it is found.
    QTest::newRow("blanks around the name") << "  readme.txt " << QStringList{};
    QTest::newRow("a blank at the end") << "readme.txt " << QStringList{"~/beta/readme.txt "};
    QTest::newRow("letter case aside") << "ReadMe.Txt" << readme;
    QTest::newRow("one place") << "notes.txt" << QStringList{"~/beta/notes.txt"};
    QTest::newRow("quote") << "it's.txt" << QStringList{"~/beta/it's.txt"};
    QTest::newRow("a wild card is a character") << "*.txt" << QStringList{};
    QTest::newRow("not there") << "missing.txt" << QStringList{};
    QTest::newRow("no name") << "" << QStringList{};
}

void TestFileWalks::managerFinds()
{
    QFETCH(QString, name);
    QFETCH(QStringList, expected);
    Fixture f;
    f.setUp();
    const QString root = f.dir() + "/files";
    make(root,
         {"readme.txt", "readme.txt.bak", "Alpha/README.TXT", "Alpha/sub/readme.txt",
          "beta/notes.txt", "beta/it's.txt", "beta/readme.txt ", "gamma/"});
    auto window = openManager(name, root);
    QCOMPARE(window->Text1->text(), name);
    QCOMPARE(lines(window->List1, root), expected);
    QCOMPARE(window->Label4->text(), QString::number(expected.size()));
    // The last one found is the one Rename and Delete act on.
    const QString last = expected.isEmpty() ? QString() : expected.last();
    QCOMPARE(shorter(window->txtpath->text(), root), last);
    QCOMPARE(window->txtFileName->text(), QFileInfo(last).fileName());
    QVERIFY(window->cmdClose->isEnabled() && window->cmdRename->isEnabled());
    if (expected.size() > 1) {
        // Picking another found file makes it the one acted on.
        window->List1->setCurrentRow(0);
        QCOMPARE(shorter(window->txtpath->text(), root), expected.first());
    }
    VERIFY_CLEAN(f);
}

void TestFileWalks::managerStartDirectory_data()
{
    QTest::addColumn<QString>("directory"); // "<dir>" stands for the test's folder
    QTest::addColumn<bool>("found");
    QTest::newRow("as the catalogue keeps it") << "<dir>/files/" << true;
    QTest::newRow("blanks around") << "  <dir>/files/  " << true;
    QTest::newRow("gone") << "<dir>/gone/" << false;
    QTest::newRow("none") << "" << false;
}

void TestFileWalks::managerStartDirectory()
{
    QFETCH(QString, directory);
    QFETCH(bool, found);
    Fixture f;
    f.setUp();
    const QString root = f.dir() + "/files";
    make(root, {"a.txt", "b.txt", "sub/c.txt"});
    if (!found)
        f.ui.answer(vbOK);
    auto window = openManager("a.txt", QString(directory).replace("<dir>", f.dir()));
    if (found) {
        QVERIFY(f.ui.messages.isEmpty());
        QCOMPARE(window->Dir1->Path(), QDir::toNativeSeparators(root));
        QCOMPARE(window->File1->ListCount(), 2);
        QCOMPARE(window->File1->Path(), window->Dir1->Path());
        QCOMPARE(lines(window->List1, root), QStringList{"~/a.txt"});
    } else {
        QCOMPARE(shown(f, root), QStringList{"Directory Error: Directory Not Found?"});
        QCOMPARE(f.ui.messages[0].style, int(vbCritical));
        QCOMPARE(window->Dir1->Path(), QDir::toNativeSeparators(Utils().getExePath()));
        QCOMPARE(window->File1->Path(), window->Dir1->Path());
    }
    VERIFY_CLEAN(f);
}

void TestFileWalks::rename_data()
{
    QTest::addColumn<QString>("name"); // looked for
    QTest::addColumn<bool>("catalogued"); // the file has a catalogue row
    QTest::addColumn<bool>("vanishes"); // the file goes after the search
    QTest::addColumn<QList<int>>("answers"); // message boxes, in order
    QTest::addColumn<QString>("typed"); // into the input box; "-" when none is asked
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("renamed"); // the file's name afterwards, empty when unchanged

    const QList<int> yes{vbYes, vbOK};
    const QList<int> refusal{vbYes, vbOK};
    const auto refused = [](const QString &typed) {
        return QStringList{kRenameQuestion, "Error!: Please check file name: " + typed};
    };
    QTest::newRow("accepted") << "readme.txt" << true << false << yes << "notes.txt"
                              << QStringList{kRenameQuestion, kRenamed} << "notes.txt";
    QTest::newRow("quote and blanks") << "readme.txt" << true << false << yes << "  it's.txt "
                                      << QStringList{kRenameQuestion, kRenamed} << "it's.txt";
    QTest::newRow("letter case of the search")
            << "README.TXT" << true << false << yes << "notes.txt"
            << QStringList{kRenameQuestion, kRenamed} << "notes.txt";
    QTest::newRow("not in the catalogue")
            << "readme.txt" << false << false << QList<int>{vbYes, vbOK, vbOK} << "notes.txt"
            << QStringList{kRenameQuestion, kNotCatalogued, kRenamed} << "notes.txt";
    QTest::newRow("no dot") << "readme.txt" << true << false << refusal << "readme"
                            << refused("readme") << "";
    QTest::newRow("dot too far back")
            << "readme.txt" << true << false << refusal << "notes.md" << refused("notes.md") << "";
    QTest::newRow("into a folder") << "readme.txt" << true << false << refusal << "sub/notes.txt"
                                   << refused("sub/notes.txt") << "";
    QTest::newRow("backslash") << "readme.txt" << true << false << refusal << "sub\\notes.txt"
                               << refused("sub\\notes.txt") << "";
    QTest::newRow("up a folder") << "readme.txt" << true << false << refusal << "../notes.txt"
                                 << refused("../notes.txt") << "";
    QTest::newRow("two dots") << "readme.txt" << true << false << refusal << "..txt"
                              << refused("..txt") << "";
    QTest::newRow("another file's name") << "readme.txt" << true << false << refusal << "other.txt"
                                         << refused("other.txt") << "";
    QTest::newRow("its own name") << "readme.txt" << true << false << refusal << "readme.txt"
                                  << refused("readme.txt") << "";
    QTest::newRow("answered No") << "readme.txt" << true << false << QList<int>{vbNo} << "-"
                                 << QStringList{kRenameQuestion} << "";
    QTest::newRow("input cancelled") << "readme.txt" << true << false << QList<int>{vbYes} << ""
                                     << QStringList{kRenameQuestion} << "";
    QTest::newRow("nothing found") << "missing.txt" << true << false << QList<int>{vbOK} << "-"
                                   << QStringList{"Not Found.: File Not Found!"} << "";
    QTest::newRow("gone since the search")
            << "readme.txt" << true << true << QList<int>{vbYes, vbOK} << "notes.txt"
            << QStringList{kRenameQuestion, "ZEP: Rename Unsuccessful!"} << "";
}

void TestFileWalks::rename()
{
    QFETCH(QString, name);
    QFETCH(bool, catalogued);
    QFETCH(bool, vanishes);
    QFETCH(QList<int>, answers);
    QFETCH(QString, typed);
    QFETCH(QStringList, messages);
    QFETCH(QString, renamed);
    Fixture f;
    f.setUp();
    // A quote in the folder's name too: every value reaches the catalogue bound.
    const QString root = f.dir() + "/Bob's files";
    make(root, {"readme.txt", "other.txt", "sub/"});
    if (catalogued)
        catalogue(f, root, "readme.txt");
    // The same name elsewhere is another file, and its row stays as it is.
    catalogue(f, f.dir() + "/elsewhere", "readme.txt");
    const QStringList before = catalogueRows(f, root);
    auto window = openManager(name, root);
    if (vanishes)
        QVERIFY(QFile::remove(root + "/readme.txt"));
    for (int answer : answers)
        f.ui.answer(answer);
    if (typed != "-")
        f.ui.input(typed);
    window->cmdRename->click();
    QCOMPARE(shown(f, root), messages);
    QCOMPARE(f.ui.prompts, typed == "-" ? QStringList{} : QStringList{"Enter a new file name:"});
    QCOMPARE(f.ui.messages[0].style,
             name == "missing.txt" ? int(vbCritical) : int(vbYesNo + vbCritical));
    if (renamed.isEmpty()) {
        QCOMPARE(QFile::exists(root + "/readme.txt"), !vanishes);
        QCOMPARE(ReadFile(root + "/other.txt"), QByteArray("other.txt"));
        QVERIFY(!QFile::exists(root + "/sub/notes.txt"));
        QVERIFY(!QFile::exists(f.dir() + "/notes.txt"));
        QCOMPARE(catalogueRows(f, root), before);
        QVERIFY(!CatalogueChanged);
        QCOMPARE(window->result(), int(QDialog::Rejected));
        return;
    }
    QVERIFY(!QFile::exists(root + "/readme.txt"));
    QCOMPARE(ReadFile(root + "/" + renamed), QByteArray("readme.txt"));
    QCOMPARE(f.ui.messages.last().style, int(vbInformation));
    QStringList after{f.dir() + "/elsewhere/|readme.txt|" + f.dir() + "/elsewhere/readme.txt"};
    if (catalogued)
        after.prepend("~/|" + renamed + "|~/" + renamed);
    QCOMPARE(catalogueRows(f, root), after);
    QCOMPARE(CatalogueChanged, catalogued);
    QCOMPARE(window->result(), int(QDialog::Accepted));
    VERIFY_CLEAN(f);
}

void TestFileWalks::erase_data()
{
    QTest::addColumn<int>("pick"); // row of the list picked, -1 for the last found
    QTest::addColumn<bool>("catalogued"); // the files have catalogue rows
    QTest::addColumn<bool>("vanishes"); // the file goes after the search
    QTest::addColumn<QList<int>>("answers"); // message boxes, in order
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("left"); // files on disk afterwards
    QTest::addColumn<QStringList>("rows"); // catalogue rows afterwards, by directory
    QTest::addColumn<bool>("closed");

    const QString ask = "Delete Confirmation: Delete ~/sub/readme.txt? Continue?";
    const QString askRow =
            "Are you sure?: Continue to delete ~/sub/readme.txt from Master Database?";
    const QStringList both{"~/", "~/sub/"};
    QTest::newRow("last found, with its row")
            << -1 << true << false << QList<int>{vbYes, vbYes, vbOK}
            << QStringList{ask, askRow, kDeleted} << QStringList{"readme.txt"} << QStringList{"~/"}
            << true;
    QTest::newRow("picked in the list, with its row")
            << 0 << true << false << QList<int>{vbYes, vbYes, vbOK}
            << QStringList{"Delete Confirmation: Delete ~/readme.txt? Continue?",
                           "Are you sure?: Continue to delete ~/readme.txt from Master Database?",
                           kDeleted}
            << QStringList{"sub/readme.txt"} << QStringList{"~/sub/"} << true;
    QTest::newRow("row kept") << -1 << true << false << QList<int>{vbYes, vbNo, vbOK}
                              << QStringList{ask, askRow, kDeleted} << QStringList{"readme.txt"}
                              << both << true;
    QTest::newRow("answered No") << -1 << true << false << QList<int>{vbNo} << QStringList{ask}
                                 << QStringList{"readme.txt", "sub/readme.txt"} << both << false;
    QTest::newRow("not in the catalogue")
            << -1 << false << false << QList<int>{vbYes, vbYes, vbOK, vbOK}
            << QStringList{ask, askRow, kNotCatalogued, kDeleted} << QStringList{"readme.txt"}
            << QStringList{} << true;
    // A file already gone is not reported as deleted, and its row can still go.
    QTest::newRow("gone since the search")
            << -1 << true << true << QList<int>{vbYes, vbOK, vbYes, vbOK}
            << QStringList{ask, "File Error: File Not Found?", askRow,
                           "File Error: File Not Deleted: ~/sub/readme.txt"}
            << QStringList{"readme.txt"} << QStringList{"~/"} << false;
    QTest::newRow("gone, row kept") << -1 << true << true << QList<int>{vbYes, vbOK, vbNo, vbOK}
                                    << QStringList{ask, "File Error: File Not Found?", askRow,
                                                   "File Error: File Not Deleted: ~/sub/readme.txt"}
                                    << QStringList{"readme.txt"} << both << false;
}

void TestFileWalks::erase()
{
    QFETCH(int, pick);
    QFETCH(bool, catalogued);
    QFETCH(bool, vanishes);
    QFETCH(QList<int>, answers);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, left);
    QFETCH(QStringList, rows);
    QFETCH(bool, closed);
    Fixture f;
    f.setUp();
    const QString root = f.dir() + "/Bob's files";
    make(root, {"readme.txt", "sub/readme.txt"});
    if (catalogued) {
        catalogue(f, root, "readme.txt");
        catalogue(f, root + "/sub", "readme.txt");
    }
    auto window = openManager("readme.txt", root);
    QCOMPARE(window->List1->count(), 2);
    if (pick >= 0)
        window->List1->setCurrentRow(pick);
    if (vanishes)
        QVERIFY(QFile::remove(window->txtpath->text()));
    for (int answer : answers)
        f.ui.answer(answer);
    const QString path = window->txtpath->text();
    const bool there = QFile::exists(path);
    window->cmdErase->click();
    QCOMPARE(shown(f, root), messages);
    // An erase that took place is told in the log.
    QCOMPARE(f.logText().contains("\"File " + path + " erased\""), there && !QFile::exists(path));
    QCOMPARE(f.ui.messages[0].style, int(vbYesNo + vbCritical));
    if (messages.size() > 1)
        QCOMPARE(f.ui.messages[messages.indexOf(QRegularExpression("^Are you sure.*"))].style,
                 int(vbYesNo + vbExclamation));
    QStringList files;
    for (const char *file : {"readme.txt", "sub/readme.txt"})
        if (QFile::exists(root + "/" + file))
            files << file;
    QCOMPARE(files, left);
    QStringList directories;
    for (const QString &row : catalogueRows(f, root))
        directories << row.section('|', 0, 0);
    QCOMPARE(directories, rows);
    QCOMPARE(CatalogueChanged, catalogued && rows.size() < 2);
    QCOMPARE(window->result(), closed ? int(QDialog::Accepted) : int(QDialog::Rejected));
    VERIFY_CLEAN(f);
}

// Names that differ only in letter case or in a blank at their end are other files, each with
// rows of its own: Rename and Delete change the one file and the one row.
void TestFileWalks::exactNames_data()
{
    QTest::addColumn<QStringList>("files"); // in one folder, each catalogued
    QTest::addColumn<QString>("name"); // of the row the file manager is opened for
    QTest::addColumn<QString>("action"); // "rename" (to new.txt) or "erase"
    QTest::addColumn<QStringList>("left"); // files afterwards, "name|contents"
    QTest::addColumn<QStringList>("rows"); // catalogued names afterwards
    const QStringList cases{"a.txt", "A.txt"};
    const QStringList blanks{"b.txt", "b.txt "};
    QTest::newRow("letter case, rename") << cases << "a.txt"
                                         << "rename" << QStringList{"A.txt|A.txt", "new.txt|a.txt"}
                                         << QStringList{"A.txt", "new.txt"};
    QTest::newRow("letter case, erase")
            << cases << "a.txt"
            << "erase" << QStringList{"A.txt|A.txt"} << QStringList{"A.txt"};
    QTest::newRow("other letter case, erase")
            << cases << "A.txt"
            << "erase" << QStringList{"a.txt|a.txt"} << QStringList{"a.txt"};
    QTest::newRow("blank at the end, rename")
            << blanks << "b.txt "
            << "rename" << QStringList{"b.txt|b.txt", "new.txt|b.txt "}
            << QStringList{"b.txt", "new.txt"};
    QTest::newRow("blank at the end, erase")
            << blanks << "b.txt "
            << "erase" << QStringList{"b.txt|b.txt"} << QStringList{"b.txt"};
    QTest::newRow("without the blank, erase")
            << blanks << "b.txt"
            << "erase" << QStringList{"b.txt |b.txt "} << QStringList{"b.txt "};
}

void TestFileWalks::exactNames()
{
    QFETCH(QStringList, files);
    QFETCH(QString, name);
    QFETCH(QString, action);
    QFETCH(QStringList, left);
    QFETCH(QStringList, rows);
    Fixture f;
    f.setUp();
    const QString root = f.dir() + "/names";
    make(root, files);
    for (const QString &file : files)
        catalogue(f, root, file);
    auto window = openManager(name, root);
    // The search ignores letter case; the file acted on is the one of exactly this name.
    const int row = lines(window->List1, root).indexOf("~/" + name);
    QVERIFY(row >= 0);
    window->List1->setCurrentRow(row);
    QCOMPARE(window->txtFileName->text(), name);
    f.ui.answer(vbYes);
    if (action == "rename") {
        f.ui.input("new.txt");
        f.ui.answer(vbOK);
        window->cmdRename->click();
        QCOMPARE(shown(f, root).last(), kRenamed);
    } else {
        f.ui.answer(vbYes);
        f.ui.answer(vbOK);
        window->cmdErase->click();
        QCOMPARE(shown(f, root).last(), kDeleted);
    }
    QCOMPARE(filesIn(root), left);
    QStringList expected;
    for (const QString &kept : rows)
        expected << "~/|" + kept + "|~/" + kept;
    QStringList catalogued = catalogueRows(f, root);
    std::sort(catalogued.begin(), catalogued.end());
    QCOMPARE(catalogued, expected);
    VERIFY_CLEAN(f);
}

// A name whose bytes are not valid text reads like the name whose replacement character
// stands in their place; it is left out and told, and the look-alike alone is acted on.
void TestFileWalks::undecodableNames_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("disk file search") << "search";
    QTest::newRow("file manager, erase") << "erase";
    QTest::newRow("file manager, rename") << "rename";
}

void TestFileWalks::undecodableNames()
{
    QFETCH(QString, action);
#ifndef Q_OS_UNIX
    QSKIP("names here are always valid text");
#else
    Fixture f;
    f.setUp();
    const QString root = f.dir() + "/odd";
    QVERIFY(QDir().mkpath(root));
    const QByteArray bad("bad\xff.txt");
    const QByteArray lookAlike("bad\xEF\xBF\xBD.txt");
    if (!makeRaw(root, bad, "bad"))
        QSKIP("this file system takes only names that are valid text");
    QVERIFY(makeRaw(root, lookAlike, "look-alike"));
    const QString shownName = QString::fromUtf8(lookAlike);
    const QString told = "Corvina: Error: Left out a name that is not valid text: ~/bad\\xFF.txt";
    f.ui.answer(vbOK);
    if (action == "search") {
        frmSearch window;
        window.Form_Load();
        window.Text1->setText("*.txt");
        QVERIFY(window.Dir1->setPath(root));
        window.cmdFind_Click();
        QCOMPARE(lines(window.List1, root), QStringList({"=> ~", "     " + shownName}));
        QCOMPARE(window.Label4->text(), QStringLiteral("1"));
        QCOMPARE(shown(f, root), QStringList{told});
        VERIFY_CLEAN(f);
        return;
    }
    catalogue(f, root, shownName);
    auto window = openManager(shownName, root);
    QCOMPARE(lines(window->List1, root), QStringList{"~/" + shownName});
    QCOMPARE(shown(f, root), QStringList{told});
    f.ui.answer(vbYes);
    if (action == "erase") {
        f.ui.answer(vbYes);
        f.ui.answer(vbOK);
        window->cmdErase->click();
        QCOMPARE(shown(f, root).last(), kDeleted);
        QCOMPARE(readRaw(root, lookAlike), QByteArray("-"));
        QCOMPARE(catalogueRows(f, root), QStringList{});
    } else {
        f.ui.input("good.txt");
        f.ui.answer(vbOK);
        window->cmdRename->click();
        QCOMPARE(shown(f, root).last(), kRenamed);
        QCOMPARE(readRaw(root, "good.txt"), QByteArray("look-alike"));
        QCOMPARE(catalogueRows(f, root), QStringList{"~/|good.txt|~/good.txt"});
    }
    QCOMPARE(readRaw(root, bad), QByteArray("bad"));
    VERIFY_CLEAN(f);
#endif
}

// Between the search and the act, the file's folder, the start folder or the file itself is
// replaced: nothing is touched, neither there nor where a link now leads, and the user is told.
void TestFileWalks::swappedSinceTheSearch_data()
{
    QTest::addColumn<QString>("action"); // "erase", or "rename" to notes.txt
    QTest::addColumn<QString>("swap"); // what is replaced
    QTest::newRow("folder a link, erase") << "erase"
                                          << "folder";
    QTest::newRow("folder a link, rename") << "rename"
                                           << "folder";
    QTest::newRow("start folder a link, erase") << "erase"
                                                << "start";
    QTest::newRow("start folder a link, rename") << "rename"
                                                 << "start";
    QTest::newRow("another file of its name, erase") << "erase"
                                                     << "file";
    QTest::newRow("a link of its name, rename") << "rename"
                                                << "link";
}

void TestFileWalks::swappedSinceTheSearch()
{
    QFETCH(QString, action);
    QFETCH(QString, swap);
#ifndef Q_OS_UNIX
    QSKIP("symbolic links to directories need a Unix file system here");
#endif
    Fixture f;
    f.setUp();
    const QString root = f.dir() + "/files";
    const QString other = f.dir() + "/other";
    make(root, {"sub/readme.txt"});
    make(other, {"readme.txt", "sub/readme.txt"});
    catalogue(f, root + "/sub", "readme.txt");
    const QStringList before = catalogueRows(f, root);
    auto window = openManager("readme.txt", root);
    QCOMPARE(lines(window->List1, root), QStringList{"~/sub/readme.txt"});
    if (swap == "folder") {
        QVERIFY(QDir().rename(root + "/sub", root + "/sub.old"));
        QVERIFY(QFile::link(other, root + "/sub"));
    } else if (swap == "start") {
        QVERIFY(QDir().rename(root, root + ".old"));
        QVERIFY(QFile::link(other, root));
    } else {
        // As an editor saves: a new file, or a link, put in the old one's place.
        const QString next = root + "/sub/readme.next";
        QVERIFY(swap == "file" ? WriteFile(next, "new") : QFile::link(other + "/readme.txt", next));
        QVERIFY(::rename(QFile::encodeName(next), QFile::encodeName(root + "/sub/readme.txt"))
                == 0);
    }
    f.ui.answer(vbYes);
    if (action == "rename")
        f.ui.input("notes.txt");
    f.ui.answer(vbOK);
    if (action == "rename")
        window->cmdRename->click();
    else
        window->cmdErase->click();
    const QString nothing = action == "rename" ? "renamed" : "deleted";
    QCOMPARE(shown(f, root).last(),
             "Corvina: Error: ~/sub/readme.txt is not the file that was found: the file or a "
             "folder on its way was replaced since the search. Nothing was "
                     + nothing + "; please search again.");
    QCOMPARE(f.ui.messages.size(), 2);
    QCOMPARE(filesIn(other), QStringList{"readme.txt|readme.txt"});
    QCOMPARE(filesIn(other + "/sub"), QStringList{"readme.txt|sub/readme.txt"});
    if (swap == "folder")
        QCOMPARE(filesIn(root + "/sub.old"), QStringList{"readme.txt|sub/readme.txt"});
    else if (swap == "start")
        QCOMPARE(filesIn(root + ".old/sub"), QStringList{"readme.txt|sub/readme.txt"});
    else
        QCOMPARE(filesIn(root + "/sub"),
                 QStringList{swap == "file" ? "readme.txt|new" : "readme.txt|readme.txt"});
    QCOMPARE(catalogueRows(f, root), before);
    QVERIFY(!CatalogueChanged);
    QVERIFY(window->result() != QDialog::Accepted);
    VERIFY_CLEAN(f);
}

// The catalogue keeps a file's directory with a separator at its end; the root of a volume is
// that separator alone, and a row kept with it doubled is still the same directory.
void TestFileWalks::catalogueDirectories_data()
{
    QTest::addColumn<QString>("kept");
    QTest::addColumn<QString>("found");
    QTest::addColumn<bool>("same");
    QTest::newRow("root") << "/" << FolderText("/") << true;
    QTest::newRow("root, doubled") << "//" << FolderText("/") << true;
    QTest::newRow("folder") << "/home/ann/" << FolderText("/home/ann") << true;
    QTest::newRow("blanks are part of a name")
            << "  /home/ann/ " << FolderText("/home/ann") << false;
    QTest::newRow("doubled separator") << "/home/ann//" << FolderText("/home/ann") << true;
    QTest::newRow("longer name") << "/home/anna/" << FolderText("/home/ann") << false;
    QTest::newRow("below") << "/home/ann/sub/" << FolderText("/home/ann") << false;
    QTest::newRow("above") << "/home/" << FolderText("/home/ann") << false;
    QTest::newRow("letter case") << "/home/ANN/" << FolderText("/home/ann")
                                 << (fs::kNameCase == Qt::CaseInsensitive);
}

void TestFileWalks::catalogueDirectories()
{
    QFETCH(QString, kept);
    QFETCH(QString, found);
    QFETCH(bool, same);
    QCOMPARE(SameDirectory(kept, found), same);
    QCOMPARE(SameDirectory(found, kept), same);
    QVERIFY(FolderText(found).endsWith(QDir::separator()));
    QVERIFY(!FolderText(found).endsWith(QString(QDir::separator()) + QDir::separator()));
}

void TestFileWalks::helpAndClose_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("help");
    QTest::newRow("frmSearch") << "frmSearch"
                               << "Search for a file on system. Click Cancel to Stop the Search.";
    QTest::newRow("frmFileMgr") << "frmFileMgr"
                                << "Renaming or Deleteing a file will update the Master Database.";
}

void TestFileWalks::helpAndClose()
{
    QFETCH(QString, window);
    QFETCH(QString, help);
    Fixture f;
    f.setUp();
    for (const QString key : {"kCancel2", "cmdClose"}) {
        std::unique_ptr<QDialog> dialog;
        KeyedToolBar *bar = nullptr;
        QPushButton *close = nullptr;
        if (window == "frmSearch") {
            auto *search = new frmSearch;
            dialog.reset(search);
            bar = search->tbrMain2;
            close = search->cmdClose;
        } else {
            auto *manager = new frmFileMgr;
            dialog.reset(manager);
            bar = manager->tbrMain2;
            close = manager->cmdClose;
        }
        f.ui.answer(vbOK);
        bar->click("kHelp2");
        QCOMPARE(f.ui.messages.last().text, help);
        QCOMPARE(f.ui.messages.last().style, int(vbInformation));
        int finished = 0;
        connect(dialog.get(), &QDialog::finished, this, [&] { ++finished; });
        if (key == QLatin1String("kCancel2"))
            bar->click(key);
        else
            close->click();
        QCOMPARE(finished, 1);
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
    }
    VERIFY_CLEAN(f);
}

REGISTER_TEST(TestFileWalks)
#include "tst_filewalks.moc"
