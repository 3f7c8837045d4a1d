#include "Fixture.h"
#include "TestRegistry.h"
#include "platform/ui/FileLists.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

void touch(const QString &path)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
}

QStringList texts(const QListWidget &list, int from = 0)
{
    QStringList result;
    for (int i = from; i < list.count(); ++i)
        result.append(list.item(i)->text());
    return result;
}

// The number of chain entries a folder gets: the root plus one per component below it.
int chainLength(const QString &path)
{
    int length = 1;
    for (QDir dir(path); !dir.isRoot() && dir.cdUp();)
        ++length;
    return length;
}

void activate(QAbstractItemView &view, int row, bool doubleClick)
{
    // A real double click arrives as a click, then the double-click event.
    const QPoint centre = view.visualRect(view.model()->index(row, 0)).center();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, centre);
    if (doubleClick)
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, centre);
}

} // namespace

class TestFileLists : public QObject
{
    Q_OBJECT
private slots:
    void driveList_listsTheMachinesVolumes();
    void driveList_setDriveFollowsPath();
    void rootContaining_data();
    void rootContaining();

    void dirList_chainThenSortedSubfolders();
    void dirList_setPath_data();
    void dirList_setPath();
    void dirList_rejectsWhatIsNoFolder_data();
    void dirList_rejectsWhatIsNoFolder();
    void dirList_doubleClickOrEnterOpens();
    void dirList_unreadableFolderShowsChainOnly();
    void dirList_refreshFallsBackWhenFolderGone();

    void fileList_pattern_data();
    void fileList_pattern();
    void fileList_selection();
    void fileList_choosing();
    void fileList_missingFolderIsEmpty();
    void fileList_largeFolder();
    void lists_leaveOutNamesNotText_data();
    void lists_leaveOutNamesNotText();
};

// ---- drives ----

void TestFileLists::driveList_listsTheMachinesVolumes()
{
    DriveListBox drives;
    QVERIFY(drives.count() > 0);
    QStringList entries;
    for (int i = 0; i < drives.count(); ++i)
        entries.append(drives.itemText(i));
    QCOMPARE(QSet<QString>(entries.begin(), entries.end()).size(), entries.size());
    QVERIFY(entries.contains(DriveListBox::volumeOf(QDir::tempPath())));
    // A new box starts on the volume of the current folder.
    QCOMPARE(drives.Drive(), DriveListBox::volumeOf(QDir::currentPath()));
}

void TestFileLists::driveList_setDriveFollowsPath()
{
    DriveListBox drives;
    const QString temp = DriveListBox::volumeOf(QDir::tempPath());
    QSignalSpy spy(&drives, &DriveListBox::driveChanged);

    drives.setDrive(QDir::tempPath());
    QCOMPARE(drives.Drive(), temp);
    QVERIFY(!drives.rootPath().isEmpty());
    QCOMPARE(DriveListBox::rootContaining({drives.rootPath()}, QDir::tempPath()),
             drives.rootPath());

    // Choosing another entry, then going back, reports each change once; re-choosing does not.
    const int other = drives.currentIndex() == 0 ? 1 : 0;
    if (other < drives.count()) {
        spy.clear();
        drives.setCurrentIndex(other);
        drives.setDrive(QDir::tempPath());
        drives.setDrive(QDir::tempPath());
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(1).at(0).toString(), temp);
    }

    // Refreshing keeps the selection and says nothing.
    spy.clear();
    drives.Refresh();
    QCOMPARE(drives.Drive(), temp);
    QCOMPARE(spy.count(), 0);
}

void TestFileLists::rootContaining_data()
{
    QTest::addColumn<QStringList>("roots");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");

    const QStringList posix{"/", "/home", "/home/ann/media", "/mnt/data"};
    QTest::newRow("deepest mount wins") << posix << "/home/ann/media/x.mp3"
                                        << "/home/ann/media";
    QTest::newRow("mount point itself") << posix << "/home"
                                        << "/home";
    QTest::newRow("trailing separator") << posix << "/home/"
                                        << "/home";
    QTest::newRow("prefix is not a component") << posix << "/homework/a"
                                               << "/";
    QTest::newRow("sibling with longer name") << posix << "/mnt/data2/x"
                                              << "/";
    QTest::newRow("dot-dot cleaned first") << posix << "/home/ann/x/../media"
                                           << "/home/ann/media";
    QTest::newRow("dot-dot leaves the mount") << posix << "/mnt/data/../other"
                                              << "/";
    QTest::newRow("no root holds it") << QStringList{"/home", "/mnt"} << "/opt/x"
                                      << "";
    QTest::newRow("empty path") << posix << ""
                                << "";
#ifdef Q_OS_WIN
    const QStringList windows{"C:/", "D:/", "D:/Mounted"};
    QTest::newRow("drive letter alone") << windows << "d:"
                                        << "D:/";
    QTest::newRow("native separators") << windows << "c:\\Users\\Ann"
                                       << "C:/";
    QTest::newRow("folder mount") << windows << "D:\\mounted\\x"
                                  << "D:/Mounted";
#else
    QTest::newRow("case matters") << posix << "/Home/ann"
                                  << "/";
#endif
}

void TestFileLists::rootContaining()
{
    QFETCH(QStringList, roots);
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(DriveListBox::rootContaining(roots, path), expected);
}

// ---- folders ----

void TestFileLists::dirList_chainThenSortedSubfolders()
{
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    QDir root(temp.path());
    for (const char *name : {"beta", "Alpha", ".hidden", "gamma"})
        QVERIFY(root.mkdir(name));
    touch(root.filePath("file.txt"));
#ifdef Q_OS_UNIX
    QVERIFY(QFile::link(root.filePath("beta"), root.filePath("linked")));
    QVERIFY(QFile::link(root.filePath("nowhere"), root.filePath("broken")));
#endif

    DirListBox dirs;
    QVERIFY(dirs.setPath(temp.path()));
    const int depth = chainLength(temp.path());
    QCOMPARE(dirs.count(), depth + (root.exists("linked") ? 4 : 3));

    // The chain: the root first, each ancestor one level deeper, ending at the folder.
    QCOMPARE(dirs.item(0)->text(), QDir::toNativeSeparators(QDir::rootPath()));
    for (int i = 0; i < depth; ++i)
        QCOMPARE(dirs.item(i)->data(DirListBox::LevelRole).toInt(), i);
    QCOMPARE(dirs.item(depth - 1)->text(), QFileInfo(temp.path()).fileName());
    QCOMPARE(dirs.item(depth - 1)->data(DirListBox::PathRole).toString(),
             QDir::cleanPath(QFileInfo(temp.path()).absoluteFilePath()));
    QCOMPARE(dirs.currentRow(), depth - 1);

    // Then the subfolders, linked ones included, case-insensitively sorted; hidden ones only
    // once Ctrl+H asks for them, and no more after a second Ctrl+H.
    QStringList expected{"Alpha", "beta", "gamma"};
    if (root.exists("linked"))
        expected.append("linked");
    QCOMPARE(texts(dirs, depth), expected);
    for (int i = depth; i < dirs.count(); ++i)
        QCOMPARE(dirs.item(i)->data(DirListBox::LevelRole).toInt(), depth);
    dirs.show();
    dirs.setFocus();
    QVERIFY(QTest::qWaitForWindowActive(&dirs));
    QTest::keyClick(&dirs, Qt::Key_H, Qt::ControlModifier);
    QCOMPARE(texts(dirs, depth), QStringList{".hidden"} + expected);
    QVERIFY(dirs.ShowsHidden());
    QTest::keyClick(&dirs, Qt::Key_H, Qt::ControlModifier);
    QCOMPARE(texts(dirs, depth), expected);
}

void TestFileLists::dirList_setPath_data()
{
    QTest::addColumn<QString>("relative"); // how the folder "a/b" is named, from the temp root

    QTest::newRow("plain") << "a/b";
    QTest::newRow("trailing separator") << "a/b/";
    QTest::newRow("dot-dot") << "a/c/../b";
    QTest::newRow("doubled separators") << "a//b";
    QTest::newRow("native separators") << QDir::toNativeSeparators("a/b");
}

void TestFileLists::dirList_setPath()
{
    QFETCH(QString, relative);
    QTemporaryDir temp;
    QVERIFY(QDir(temp.path()).mkpath("a/b") && QDir(temp.path()).mkpath("a/c"));
    const QString expected = QDir::toNativeSeparators(
            QDir::cleanPath(QFileInfo(temp.path()).absoluteFilePath() + "/a/b"));

    DirListBox dirs;
    QSignalSpy spy(&dirs, &DirListBox::pathChanged);
    QVERIFY(dirs.setPath(temp.path() + u'/' + relative));
    QCOMPARE(dirs.Path(), expected);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), expected);

    // The same folder again reads it again but reports no change.
    QVERIFY(dirs.setPath(expected));
    QCOMPARE(spy.count(), 1);
}

void TestFileLists::dirList_rejectsWhatIsNoFolder_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing") << "missing";
    QTest::newRow("a file") << "file.txt";
    QTest::newRow("below a file") << "file.txt/sub";
    QTest::newRow("empty") << "";
#ifdef Q_OS_UNIX
    QTest::newRow("broken link") << "broken";
#endif
}

void TestFileLists::dirList_rejectsWhatIsNoFolder()
{
    QFETCH(QString, name);
    QTemporaryDir temp;
    touch(temp.filePath("file.txt"));
#ifdef Q_OS_UNIX
    QVERIFY(QFile::link(temp.filePath("missing"), temp.filePath("broken")));
#endif

    DirListBox dirs;
    QVERIFY(dirs.setPath(temp.path()));
    const QString before = dirs.Path();
    const int rows = dirs.count();
    QSignalSpy spy(&dirs, &DirListBox::pathChanged);
    QVERIFY(!dirs.setPath(name.isEmpty() ? QString() : temp.filePath(name)));
    QCOMPARE(dirs.Path(), before);
    QCOMPARE(dirs.count(), rows);
    QCOMPARE(spy.count(), 0);
}

void TestFileLists::dirList_doubleClickOrEnterOpens()
{
    QTemporaryDir temp;
    QVERIFY(QDir(temp.path()).mkpath("one/two"));
    DirListBox dirs;
    dirs.resize(300, 400);
    QVERIFY(dirs.setPath(temp.filePath("one")));
    dirs.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dirs));
    const int depth = chainLength(temp.filePath("one"));
    const QString one = dirs.Path();
    QSignalSpy spy(&dirs, &DirListBox::pathChanged);

    // A single click only selects.
    activate(dirs, depth, false);
    QCOMPARE(dirs.currentRow(), depth);
    QTest::qWait(20);
    QCOMPARE(dirs.Path(), one);

    activate(dirs, depth, true);
    QTRY_COMPARE(dirs.Path(), QDir::toNativeSeparators(QDir::cleanPath(one + "/two")));

    // Enter on an ancestor in the chain goes back up to it.
    dirs.setCurrentRow(depth - 1);
    QTest::keyClick(&dirs, Qt::Key_Return);
    QTRY_COMPARE(dirs.Path(), one);
    QCOMPARE(spy.count(), 2);
}

void TestFileLists::dirList_unreadableFolderShowsChainOnly()
{
#ifndef Q_OS_UNIX
    QSKIP("Permissions are set differently here");
#else
    QTemporaryDir temp;
    const QString locked = temp.filePath("locked");
    QVERIFY(QDir(locked).mkpath("inside"));
    QVERIFY(QFile::setPermissions(locked, QFile::ExeOwner));
    const auto restore = qScopeGuard([&] {
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    if (!QDir(locked).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty())
        QSKIP("This user can read any folder");

    DirListBox dirs;
    QVERIFY(dirs.setPath(locked));
    QCOMPARE(dirs.count(), chainLength(locked));
    QCOMPARE(dirs.item(dirs.count() - 1)->text(), "locked");
#endif
}

void TestFileLists::dirList_refreshFallsBackWhenFolderGone()
{
    QTemporaryDir temp;
    QVERIFY(QDir(temp.path()).mkpath("a/b"));
    DirListBox dirs;
    QVERIFY(dirs.setPath(temp.filePath("a")));
    const int depth = chainLength(temp.filePath("a"));
    QCOMPARE(texts(dirs, depth), QStringList{"b"});

    QVERIFY(QDir(temp.path()).mkdir("a/New"));
    dirs.Refresh();
    QCOMPARE(texts(dirs, depth), (QStringList{"b", "New"}));

    QVERIFY(dirs.setPath(temp.filePath("a/b")));
    QSignalSpy spy(&dirs, &DirListBox::pathChanged);
    QVERIFY(QDir(temp.filePath("a")).removeRecursively());
    dirs.Refresh();
    QCOMPARE(dirs.Path(), QDir::toNativeSeparators(QDir::cleanPath(temp.path())));
    QCOMPARE(spy.count(), 1);
}

// ---- files ----

void TestFileLists::fileList_pattern_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("expected");

    const QStringList all{".hidden.txt", "a.txt", "B.TXT", "c.cpp", "d.txt.bak", "README"};
    QTest::newRow("empty is everything") << "" << all;
    QTest::newRow("star-dot-star includes dotless") << "*.*" << all;
    QTest::newRow("star") << "*" << all;
    QTest::newRow("any mask asking for all") << "*.cpp;*.*" << all;
    QTest::newRow("case-insensitive") << "*.txt" << QStringList{".hidden.txt", "a.txt", "B.TXT"};
    QTest::newRow("several masks, spaced")
            << " *.CPP ; *.txt ;" << QStringList{".hidden.txt", "a.txt", "B.TXT", "c.cpp"};
    QTest::newRow("no dot in the name") << "READ*" << QStringList{"README"};
    QTest::newRow("question mark") << "?.txt" << QStringList{"a.txt", "B.TXT"};
    QTest::newRow("nothing matches") << "*.none" << QStringList{};
}

void TestFileLists::fileList_pattern()
{
    QFETCH(QString, pattern);
    QFETCH(QStringList, expected);
    QTemporaryDir temp;
    for (const char *name : {"a.txt", "B.TXT", "c.cpp", "README", "d.txt.bak", ".hidden.txt"})
        touch(temp.filePath(name));
    QVERIFY(QDir(temp.path()).mkdir("folder.txt"));

    FileListBox files;
    files.setPattern(pattern);
    files.setPath(temp.path());
    QCOMPARE(files.Pattern(), pattern);
    QCOMPARE(files.ListCount(), expected.size());
    QCOMPARE(texts(files), expected);
}

void TestFileLists::fileList_selection()
{
    QTemporaryDir temp;
    for (const char *name : {"a.txt", "b.txt", "c.log"})
        touch(temp.filePath(name));
    FileListBox files;
    files.setPath(temp.path());
    QCOMPARE(files.FileName(), QString());
    QCOMPARE(files.List(-1), QString());
    QCOMPARE(files.List(files.ListCount()), QString());
    QSignalSpy spy(&files, &FileListBox::selectionChangedTo);

    files.setFileName("b.txt");
    QCOMPARE(files.FileName(), "b.txt");
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), "b.txt");

    // Reading again, or a pattern that still lists it, keeps the file selected quietly.
    touch(temp.filePath("aa.txt"));
    files.Refresh();
    files.setPattern("*.txt");
    QCOMPARE(files.ListCount(), 3);
    QCOMPARE(files.FileName(), "b.txt");
    QCOMPARE(spy.count(), 1);

    // A pattern that drops it, or a name that is not listed, leaves nothing selected.
    files.setPattern("*.log");
    QCOMPARE(files.FileName(), QString());
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(1).at(0).toString(), QString());
    files.setFileName("c.log");
    files.setFileName("b.txt");
    QCOMPARE(files.FileName(), QString());
    QCOMPARE(spy.count(), 4);
}

void TestFileLists::fileList_choosing()
{
    QTemporaryDir temp;
    for (const char *name : {"a.txt", "b.txt"})
        touch(temp.filePath(name));
    FileListBox files;
    files.resize(300, 300);
    files.setPath(temp.path());
    files.show();
    QVERIFY(QTest::qWaitForWindowExposed(&files));
    QSignalSpy chosen(&files, &FileListBox::fileChosen);

    activate(files, 1, false);
    QCOMPARE(files.FileName(), "b.txt");
    QCOMPARE(chosen.count(), 0);

    activate(files, 0, true);
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.at(0).at(0).toString(), "a.txt");

    files.setFileName("b.txt");
    QTest::keyClick(&files, Qt::Key_Enter);
    QCOMPARE(chosen.count(), 2);
    QCOMPARE(chosen.at(1).at(0).toString(), "b.txt");

    // Enter with nothing selected chooses nothing.
    files.setFileName({});
    QTest::keyClick(&files, Qt::Key_Return);
    QCOMPARE(chosen.count(), 2);
}

void TestFileLists::fileList_missingFolderIsEmpty()
{
    QTemporaryDir temp;
    touch(temp.filePath("a.txt"));
    FileListBox files;
    files.setPath(temp.path());
    QCOMPARE(files.ListCount(), 1);
    files.setPath(temp.filePath("missing"));
    QCOMPARE(files.ListCount(), 0);
    QCOMPARE(files.Path(), QDir::toNativeSeparators(temp.filePath("missing")));
    files.setPath(temp.filePath("a.txt"));
    QCOMPARE(files.ListCount(), 0);
}

void TestFileLists::fileList_largeFolder()
{
    constexpr int kFiles = 5000;
    QTemporaryDir temp;
    for (int i = 0; i < kFiles; ++i) {
        QFile file(temp.filePath(QStringLiteral("f%1.dat").arg(i, 6, 10, QLatin1Char('0'))));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    touch(temp.filePath("other.txt"));

    FileListBox files;
    files.resize(300, 300);
    files.show();
    files.setPath(temp.path());
    files.setPattern("*.dat");
    files.setFileName("f004999.dat");
    QCoreApplication::processEvents();
    QCOMPARE(files.ListCount(), kFiles);
    QCOMPARE(files.List(0), "f000000.dat");
    QCOMPARE(files.FileName(), "f004999.dat");
}

// A name whose bytes are not valid text reads like its look-alike with a replacement character,
// and choosing either would reach the look-alike: such names are not listed but told, escaped.
void TestFileLists::lists_leaveOutNamesNotText_data()
{
    QTest::addColumn<QString>("pattern"); // empty for the folder list
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QStringList>("leftOut");
    const QString lookAlike = QStringLiteral("bad\uFFFD.txt");
    QTest::newRow("every file") << "*.*" << QStringList{lookAlike, "other.txt"}
                                << QStringList{"bad\\xFF.txt", "solo\\xFF.md"};
    QTest::newRow("a pattern both fit")
            << "*.txt" << QStringList{lookAlike, "other.txt"} << QStringList{"bad\\xFF.txt"};
    QTest::newRow("no look-alike") << "*.md" << QStringList{} << QStringList{"solo\\xFF.md"};
    QTest::newRow("folders") << "" << QStringList{QStringLiteral("d\uFFFD")}
                             << QStringList{"d\\xFE"};
}

void TestFileLists::lists_leaveOutNamesNotText()
{
    QFETCH(QString, pattern);
    QFETCH(QStringList, listed);
    QFETCH(QStringList, leftOut);
#ifndef Q_OS_UNIX
    QSKIP("names here are always valid text");
#else
    QTemporaryDir temp;
    const QByteArray top = QFile::encodeName(temp.path());
    const auto made = [&](const char *name, bool folder) {
        const QByteArray path = top + '/' + name;
        return MakeByBytes(path, folder);
    };
    if (!made("bad\xff.txt", false))
        QSKIP("this file system takes only names that are valid text");
    for (const char *name : {"bad\xEF\xBF\xBD.txt", "other.txt", "solo\xff.md"})
        QVERIFY(made(name, false));
    for (const char *name : {"d\xfe", "d\xEF\xBF\xBD"})
        QVERIFY(made(name, true));
    QWidget *list = nullptr;
    std::unique_ptr<QWidget> owner;
    if (pattern.isEmpty()) {
        auto *dirs = new DirListBox;
        owner.reset(dirs);
        QVERIFY(dirs->setPath(temp.path()));
        QCOMPARE(texts(*dirs, chainLength(temp.path())), listed);
        QCOMPARE(dirs->LeftOut(), leftOut);
        list = dirs;
    } else {
        auto *files = new FileListBox;
        owner.reset(files);
        files->setPattern(pattern);
        files->setPath(temp.path());
        QCOMPARE(texts(*files), listed);
        QCOMPARE(files->LeftOut(), leftOut);
        list = files;
    }
    for (const QString &name : leftOut)
        QVERIFY(list->toolTip().contains(name));
#endif
}

REGISTER_TEST(TestFileLists)
#include "tst_filelists.moc"
