#include "Fixture.h"
#include "TestRegistry.h"
#include "platform/fs/Walker.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// One line per directory visited: its path below the root ("." for the root) and its files.
using Visits = QStringList;

QString visitLine(const QString &root, const QString &directory, const QStringList &files)
{
    const QString below = QDir(root).relativeFilePath(QDir::fromNativeSeparators(directory));
    return below + ": " + files.join(", ");
}

} // namespace

class TestWalker : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void walk_visits_data();
    void walk_visits();
    void orderedWalk_inPathOrder_data();
    void orderedWalk_inPathOrder();
    void walk_findsEveryCopyOfAName_data();
    void walk_findsEveryCopyOfAName();
    void walk_skipsUnreadable_data();
    void walk_skipsUnreadable();
    void walk_stops_data();
    void walk_stops();

    void walk_leavesOutNamesNotText();
    void escapedName_data();
    void escapedName();

    void matchesWildcard_data();
    void matchesWildcard();
    void stampOf();

private:
    QString at(const QString &below) const { return dir_->filePath(below); }
    void makeFiles(const QStringList &paths);
    Visits walk(const QString &root, const fs::WalkOptions &options, fs::WalkResult *result);

    std::unique_ptr<QTemporaryDir> dir_;
};

void TestWalker::makeFiles(const QStringList &paths)
{
    for (const QString &path : paths) {
        if (path.endsWith('/'))
            QVERIFY(QDir().mkpath(at(path)));
        else
            QVERIFY(QDir().mkpath(QFileInfo(at(path)).path()) && WriteFile(at(path), "x"));
    }
}

void TestWalker::initTestCase()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    makeFiles({"tree/b.txt",
               "tree/A.TXT",
               "tree/c.doc",
               "tree/zeta/readme.txt",
               "tree/zeta/Notes.md",
               "tree/Alpha/readme.txt",
               "tree/Alpha/sub/readme.txt",
               "tree/Alpha/deep/",
               "tree/beta/",
               "locked/open/a.txt",
               "locked/shut/b.txt",
               "locked/z/c.txt",
               "links/file.txt",
               "links/inner/",
               "order/a/x",
               "order/a b",
               "order/a-",
               "order/a.b",
               "order/ab",
               "order/z",
               "order/\u00e9"});
#ifdef Q_OS_UNIX
    // A loop back to the top, one from deeper down, a way out of the tree, a link to a file,
    // a link to nothing, and a pipe that would hang whoever opened it.
    QVERIFY(QFile::link("../links", at("links/loop")));
    QVERIFY(QFile::link("..", at("links/inner/up")));
    QVERIFY(QFile::link(at("tree"), at("links/outside")));
    QVERIFY(QFile::link("file.txt", at("links/shortcut.txt")));
    QVERIFY(QFile::link("missing", at("links/dangling")));
    QCOMPARE(::mkfifo(QFile::encodeName(at("links/pipe")).constData(), 0600), 0);
#endif
}

void TestWalker::cleanupTestCase()
{
    QFile::setPermissions(at("locked/shut"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    dir_.reset();
}

Visits TestWalker::walk(const QString &root, const fs::WalkOptions &options, fs::WalkResult *result)
{
    Visits visits;
    const QString clean = QDir::cleanPath(root);
    *result = fs::Walk(
            root,
            [&](const QString &directory, const QStringList &files) {
                visits << visitLine(clean, directory, files);
                return true;
            },
            options);
    return visits;
}

const Visits kWholeTree = {".: A.TXT, b.txt, c.doc",
                           "Alpha: readme.txt",
                           "Alpha/deep: ",
                           "Alpha/sub: readme.txt",
                           "beta: ",
                           "zeta: Notes.md, readme.txt"};

// A name whose bytes are not valid text would read like its look-alike with a replacement
// character; such entries are left out, files and folders alike, and told by escaped name.
void TestWalker::walk_leavesOutNamesNotText()
{
#ifndef Q_OS_UNIX
    QSKIP("names here are always valid text");
#else
    const QByteArray top = QFile::encodeName(at("odd"));
    QVERIFY(QDir().mkpath(at("odd")));
    const auto made = [&](const QByteArray &below, bool folder) {
        const QByteArray path = top + '/' + below;
        return MakeByBytes(path, folder);
    };
    if (!made("bad\xff.txt", false))
        QSKIP("this file system takes only names that are valid text");
    QVERIFY(made("bad\xEF\xBF\xBD.txt", false));
    QVERIFY(made("d\xfe", true) && made("d\xfe/hidden.txt", false));
    QVERIFY(made("d\xEF\xBF\xBD", true) && made("d\xEF\xBF\xBD/y.txt", false));
    fs::WalkResult result;
    const QString lookAlike = QStringLiteral("bad\uFFFD.txt");
    QCOMPARE(walk(at("odd"), {}, &result),
             Visits({".: " + lookAlike, QStringLiteral("d\uFFFD: y.txt")}));
    QStringList leftOut;
    for (const fs::LeftOut &entry : result.leftOut)
        leftOut << QDir(at("odd")).relativeFilePath(entry.path) + (entry.directory ? "/" : "")
                        + " reads " + entry.shownAs;
    QCOMPARE(leftOut,
             QStringList(
                     {"bad\\xFF.txt reads " + lookAlike, QStringLiteral("d\\xFE/ reads d\uFFFD")}));
    QVERIFY(result.unreadable.isEmpty());
#endif
}

void TestWalker::escapedName_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("escaped");
    QTest::newRow("a byte that starts nothing") << QByteArray("bad\xff.txt") << "bad\\xFF.txt";
    QTest::newRow("valid letters kept")
            << QByteArray("caf\xC3\xA9\x80") << QStringLiteral("caf\u00E9\\x80");
    QTest::newRow("cut short") << QByteArray("a\xE2\x82") << "a\\xE2\\x82";
    QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << "\\xC0\\xAF";
    QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << "\\xED\\xA0\\x80";
    QTest::newRow("control character") << QByteArray("tab\there") << "tab\\x09here";
    QTest::newRow("four bytes") << QByteArray("\xF0\x9F\x98\x80") << QStringLiteral("\U0001F600");
}

void TestWalker::escapedName()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, escaped);
    QCOMPARE(fs::EscapedName(bytes), escaped);
}

void TestWalker::walk_visits_data()
{
    QTest::addColumn<QString>("root");
    QTest::addColumn<bool>("recursive");
    QTest::addColumn<Visits>("expected");
    QTest::newRow("nested folders, depth first in name order") << "tree" << true << kWholeTree;
    QTest::newRow("root with a trailing separator") << "tree/" << true << kWholeTree;
    QTest::newRow("top folder only") << "tree" << false << Visits{".: A.TXT, b.txt, c.doc"};
#ifdef Q_OS_UNIX
    QTest::newRow("links to folders never followed, links to files listed")
            << "links" << true << Visits{".: file.txt, shortcut.txt", "inner: "};
    QTest::newRow("a root that is a link is entered") << "links/outside" << true << kWholeTree;
#endif
}

void TestWalker::walk_visits()
{
    QFETCH(QString, root);
    QFETCH(bool, recursive);
    QFETCH(Visits, expected);
    fs::WalkResult result;
    QCOMPARE(walk(at(root), {recursive, nullptr}, &result), expected);
    QVERIFY(!result.stopped);
    QCOMPARE(result.unreadable, QStringList());
}

void TestWalker::orderedWalk_inPathOrder_data()
{
    QTest::addColumn<QString>("root");
    QTest::addColumn<bool>("recursive");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("nested folders")
            << "tree" << true
            << QStringList{"A.TXT", "Alpha/readme.txt", "Alpha/sub/readme.txt", "b.txt",
                           "c.doc", "zeta/Notes.md",    "zeta/readme.txt"};
    QTest::newRow("top folder only") << "tree" << false << QStringList{"A.TXT", "b.txt", "c.doc"};
    // A folder's files come where its name and a separator sort among the other names, bytes
    // of UTF-8 after every ASCII one.
    QTest::newRow("a folder among names it begins")
            << "order" << true << QStringList{"a b", "a-", "a.b", "a/x", "ab", "z", "\u00e9"};
#ifdef Q_OS_UNIX
    QTest::newRow("links to folders never followed")
            << "links" << true << QStringList{"file.txt", "shortcut.txt"};
#endif
}

// The ordered walk gives every file once, in the byte order of its path, as a database orders
// the paths' text, with its size read.
void TestWalker::orderedWalk_inPathOrder()
{
    QFETCH(QString, root);
    QFETCH(bool, recursive);
    QFETCH(QStringList, expected);
    fs::OrderedWalk walk(at(root), recursive);
    QStringList met;
    fs::OrderedFile file;
    while (walk.next(file)) {
        met << QString::fromUtf8(file.relative);
        QCOMPARE(file.stamp.size, 1);
        QCOMPARE(fs::PathOf(file.directory, file.name),
                 QDir::toNativeSeparators(at(root) + '/' + met.last()));
    }
    QCOMPARE(met, expected);
    QVERIFY(!walk.result().stopped);
}

void TestWalker::walk_findsEveryCopyOfAName_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<bool>("ignoreCase");
    QTest::addColumn<QStringList>("expected");
    const QStringList readmes = {"tree/Alpha/readme.txt", "tree/Alpha/sub/readme.txt",
                                 "tree/zeta/readme.txt"};
    QTest::newRow("one name in several folders") << "readme.txt" << false << readmes;
    QTest::newRow("name in other case, case ignored") << "README.TXT" << true << readmes;
    QTest::newRow("extension, case ignored")
            << "*.TXT" << true << QStringList{"tree/A.TXT", "tree/b.txt"} + readmes;
}

void TestWalker::walk_findsEveryCopyOfAName()
{
    QFETCH(QString, mask);
    QFETCH(bool, ignoreCase);
    QFETCH(QStringList, expected);
    const Qt::CaseSensitivity cs = ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
    QStringList found;
    fs::Walk(at("tree"), [&](const QString &directory, const QStringList &files) {
        for (const QString &name : files) {
            if (fs::MatchesWildcard(name, mask, cs))
                found << fs::PathOf(directory, name);
        }
        return true;
    });
    for (QString &path : expected)
        path = QDir::toNativeSeparators(at(path));
    QCOMPARE(found, expected);
}

void TestWalker::walk_skipsUnreadable_data()
{
    QTest::addColumn<QString>("root");
    QTest::addColumn<QString>("locked"); // made unreadable for the walk, unless empty
    QTest::addColumn<Visits>("expected");
    QTest::addColumn<QStringList>("unreadable");
    QTest::newRow("folder without permission")
            << "locked"
            << "locked/shut" << Visits{".: ", "open: a.txt", "z: c.txt"}
            << QStringList{"locked/shut"};
    QTest::newRow("missing root") << "nothing"
                                  << "" << Visits() << QStringList{"nothing"};
    QTest::newRow("file as root") << "tree/b.txt"
                                  << "" << Visits() << QStringList{"tree/b.txt"};
}

void TestWalker::walk_skipsUnreadable()
{
    QFETCH(QString, root);
    QFETCH(QString, locked);
    QFETCH(Visits, expected);
    QFETCH(QStringList, unreadable);
    const QFile::Permissions open = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    if (!locked.isEmpty()) {
        QVERIFY(QFile::setPermissions(at(locked), {}));
        // Permissions do not hold back a superuser; there is nothing to test then.
        if (QDir(at(locked)).entryList(QDir::Files).size() > 0) {
            QFile::setPermissions(at(locked), open);
            QSKIP("this user reads folders without permission");
        }
    }
    fs::WalkResult result;
    const Visits visits = walk(at(root), {}, &result);
    if (!locked.isEmpty())
        QVERIFY(QFile::setPermissions(at(locked), open));
    QCOMPARE(visits, expected);
    for (QString &path : unreadable)
        path = QDir::toNativeSeparators(at(path));
    QCOMPARE(result.unreadable, unreadable);
    QVERIFY(!result.stopped);
}

void TestWalker::walk_stops_data()
{
    QTest::addColumn<int>("cancelAt"); // the visit that presses Cancel; 0 before the walk
    QTest::addColumn<int>("stopAt"); // the visit that asks to stop
    QTest::addColumn<int>("seen");
    QTest::newRow("Cancel during the third folder") << 3 << -1 << 3;
    QTest::newRow("Cancel during the last folder") << 6 << -1 << 6;
    QTest::newRow("Cancel before the walk") << 0 << -1 << 0;
    QTest::newRow("visitor stops at the second folder") << -1 << 2 << 2;
}

void TestWalker::walk_stops()
{
    QFETCH(int, cancelAt);
    QFETCH(int, stopAt);
    QFETCH(int, seen);
    std::atomic_bool cancel = cancelAt == 0;
    const QString root = at("tree");
    Visits visits;
    const fs::WalkResult result = fs::Walk(root,
                                           [&](const QString &directory, const QStringList &files) {
                                               visits << visitLine(root, directory, files);
                                               if (visits.size() == cancelAt)
                                                   cancel = true;
                                               return visits.size() != stopAt;
                                           },
                                           {true, &cancel});
    QCOMPARE(visits, kWholeTree.mid(0, seen));
    // Cancel pressed while the last folder was read comes too late to stop anything.
    QCOMPARE(result.stopped, seen < kWholeTree.size() || stopAt == seen);
}

void TestWalker::matchesWildcard_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<bool>("ignoreCase");
    QTest::addColumn<bool>("matches");
    QTest::newRow("exact name") << "readme.txt"
                                << "readme.txt" << false << true;
    QTest::newRow("extension") << "notes.txt"
                               << "*.txt" << false << true;
    QTest::newRow("extension must end the name") << "notes.txt.bak"
                                                 << "*.txt" << false << false;
    QTest::newRow("star takes the longer run") << "abcbcd"
                                               << "a*bcd" << false << true;
    QTest::newRow("star matches nothing") << "ab"
                                          << "a*b" << false << true;
    QTest::newRow("all files includes names without a dot") << "Makefile"
                                                            << "*.*" << false << true;
    QTest::newRow("empty mask lists all") << "x"
                                          << "" << false << true;
    QTest::newRow("question mark is one character") << "a1.txt"
                                                    << "a?.txt" << false << true;
    QTest::newRow("question mark not two") << "a12.txt"
                                           << "a?.txt" << false << false;
    QTest::newRow("question mark, character outside the BMP")
            << QString::fromUtf8("🙂.txt") << "?.txt" << false << true;
    QTest::newRow("literal after star missing") << "abc"
                                                << "ab*d" << false << false;
    QTest::newRow("case kept") << "README.TXT"
                               << "*.txt" << false << false;
    QTest::newRow("case ignored") << "README.TXT"
                                  << "*.txt" << true << true;
    QTest::newRow("accented case ignored")
            << QString::fromUtf8("ÉTÉ.TXT") << QString::fromUtf8("été.*") << true << true;
    QTest::newRow("many stars that cannot match") << QString(40, 'a') + "b"
                                                  << "*a*a*a*a*a*a*a*a*c" << false << false;
}

void TestWalker::matchesWildcard()
{
    QFETCH(QString, name);
    QFETCH(QString, mask);
    QFETCH(bool, ignoreCase);
    QFETCH(bool, matches);
    QCOMPARE(fs::MatchesWildcard(name, mask, ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive),
             matches);
}

void TestWalker::stampOf()
{
    const QDateTime when(QDate(2021, 3, 4), QTime(5, 6, 7));
    QVERIFY(WriteFile(at("stamped.bin"), QByteArray(1234, 'x')));
    QFile file(at("stamped.bin"));
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(when, QFileDevice::FileModificationTime));
    file.close();
    const fs::FileStamp stamp = fs::StampOf(QDir::toNativeSeparators(dir_->path()), "stamped.bin");
    QVERIFY(stamp.exists());
    QCOMPARE(stamp.size, 1234);
    QCOMPARE(stamp.modified, when);
    const fs::FileStamp missing = fs::StampOf(dir_->path(), "absent.bin");
    QVERIFY(!missing.exists());
    QVERIFY(!missing.modified.isValid());
}

REGISTER_TEST(TestWalker)
#include "tst_walker.moc"
