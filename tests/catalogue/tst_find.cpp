#include "DeskConnection.h"
#include "Fixture.h"
#include "Plans.h"
#include "TestRegistry.h"
#include "app/CreateDatabase.h"
#include "catalogue/CatalogueSearch.h"
#include "platform/db/Statement.h"

#include <QBuffer>
#include <QTest>
#include <QTextStream>

namespace {

// FileName, FileGroup, WebSiteName, FileDesc; each file's path is "/data/" and its name.
const char *const kFiles[][4] = {
        {"readme.txt", "Docs", "Alpha", "Read me first"},
        {"Report.doc", "Docs", "Beta", "Quarterly report"},
        {"main.c", "C", "Alpha", "Entry point"},
        {"o'neil.c", "C", "Gamma", "A name with a quote"},
        {"100%_done.txt", "Docs", "Beta", nullptr},
        {"1000.txt", "Docs", "Beta", "Thousand"},
        {"back\\slash.txt", "C", "Gamma", "Escape"},
        {"rest.py", "Python", "", "Server"},
};

void addFile(Fixture &f, const char *const file[4])
{
    f.exec("insert into fileprofile (FileName, FileGroup, WebSiteName, FileDesc, FilePath, "
           "Directory, FileDate) values (?, ?, ?, ?, ?, '/data/', '07/12/2026')",
           {file[0], file[1], file[2], file[3] ? QVariant(file[3]) : QVariant(),
            QString("/data/") + file[0]});
}

struct Run
{
    int status;
    QString out;
    QString err;
    QByteArray bytes; // out as written
};

Run find(const QStringList &arguments)
{
    Run run{};
    QBuffer out(&run.bytes);
    out.open(QIODevice::WriteOnly);
    QTextStream err(&run.err);
    run.status = catalogue::RunFind(QStringList{"corvina"} + arguments, out, err);
    run.out = QString::fromUtf8(run.bytes);
    return run;
}

// A new database holding the files above.
void catalogueFiles(Fixture &f)
{
    f.setUp();
    for (const auto &file : kFiles)
        addFile(f, file);
}

// The output line of a catalogued file, of no known volume.
QString line(const QString &name, const QString &description)
{
    return "/data/" + name + "\t" + description + "\t\t\n";
}

} // namespace

class TestFind : public QObject
{
    Q_OBJECT
private slots:
    void matches_data();
    void matches();
    void errors_data();
    void errors();
    void controlCharactersEscapedOrRaw_data();
    void controlCharactersEscapedOrRaw();
    void namedDatabase();
    void nameSearchReadsOneIndex();
    void containsFollowsEveryWrite_data();
    void containsFollowsEveryWrite();
};

void TestFind::matches_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("output");
    const QString readme = line("readme.txt", "Read me first");
    const QString report = line("Report.doc", "Quarterly report");
    const QString rest = line("rest.py", "Server");
    QTest::newRow("name prefix, any case, by name")
            << QStringList{"--find", "re"} << readme + report + rest;
    QTest::newRow("outer spaces ignored as in the browser")
            << QStringList{"--find", "  RE "} << readme + report + rest;
    QTest::newRow("name field given") << QStringList{"--find=Rep", "--field", "name"} << report;
    QTest::newRow("not at the start") << QStringList{"--find", "me"} << QString();
    QTest::newRow("nothing") << QStringList{"--find", "zz"} << QString();
    QTest::newRow("quote") << QStringList{"--find", "o'n"}
                           << line("o'neil.c", "A name with a quote");
    QTest::newRow("percent and underscore as given, no description")
            << QStringList{"--find", "100%_"} << line("100%_done.txt", "");
    QTest::newRow("percent alone") << QStringList{"--find", "%"} << QString();
    QTest::newRow("underscore in place of a character")
            << QStringList{"--find", "100_"} << QString();
    QTest::newRow("backslash") << QStringList{"--find", "back\\s"}
                               << line("back\\\\slash.txt", "Escape");
    QTest::newRow("backslash not an escape")
            << QStringList{"--find", "back\\"} << line("back\\\\slash.txt", "Escape");
    QTest::newRow("description") << QStringList{"--find", "quarterly", "--field", "description"}
                                 << report;
    QTest::newRow("site, ordered by name") << QStringList{"--find", "al", "--field", "site"}
                                           << line("main.c", "Entry point") + readme;
    QTest::newRow("group") << QStringList{"--find", "re", "--group", "Docs"} << readme + report;
    QTest::newRow("group and site, everything")
            << QStringList{"--find", "", "--group", "Docs", "--site", "Beta"}
            << line("100%_done.txt", "") + line("1000.txt", "Thousand") + report;
    QTest::newRow("unknown group") << QStringList{"--find", "re", "--group", "None"} << QString();
    QTest::newRow("site filter with description")
            << QStringList{"--find", "a", "--field", "description", "--site", "Gamma"}
            << line("o'neil.c", "A name with a quote");
    // Anywhere in the field, and as a shell pattern over the whole of it.
    QTest::newRow("anywhere: the middle of a name, any case")
            << QStringList{"--find", "EAD", "--contains"} << readme;
    QTest::newRow("anywhere: the end of a name")
            << QStringList{"--find", ".py", "--contains"} << rest;
    QTest::newRow("anywhere: percent and underscore as given")
            << QStringList{"--find", "%_d", "--contains"} << line("100%_done.txt", "");
    QTest::newRow("anywhere: a quote")
            << QStringList{"--find", "'n", "--contains"} << line("o'neil.c", "A name with a quote");
    QTest::newRow("anywhere: a backslash")
            << QStringList{"--find", "k\\s", "--contains"} << line("back\\\\slash.txt", "Escape");
    QTest::newRow("anywhere: a description, with a filter")
            << QStringList{"--find",      "REPORT",  "--contains", "--field",
                           "description", "--group", "Docs"}
            << report;
    QTest::newRow("anywhere: the path")
            << QStringList{"--find", "data/rest", "--contains", "--field", "path"} << rest;
    QTest::newRow("pattern: a suffix")
            << QStringList{"--glob", "*.C"}
            << line("main.c", "Entry point") + line("o'neil.c", "A name with a quote");
    QTest::newRow("pattern: one character each")
            << QStringList{"--glob", "100?.txt"} << line("1000.txt", "Thousand");
    QTest::newRow("pattern: the whole name, not a part")
            << QStringList{"--glob", "read"} << QString();
    QTest::newRow("pattern: percent and underscore as themselves")
            << QStringList{"--glob", "100%_*"} << line("100%_done.txt", "");
    QTest::newRow("pattern: a class of characters, any case")
            << QStringList{"--glob", "[MR]*.c"} << line("main.c", "Entry point");
    QTest::newRow("pattern: a range and its negation")
            << QStringList{"--glob", "*[!a-z].txt"} << line("1000.txt", "Thousand");
    QTest::newRow("pattern: a class of a character LIKE would take")
            << QStringList{"--glob", "100[%]_*"} << line("100%_done.txt", "");
    QTest::newRow("pattern: \"]\" first in a class, a quote in another")
            << QStringList{"--glob", "o[]']neil.c"} << line("o'neil.c", "A name with a quote");
    QTest::newRow("pattern: a \"[\" left open is itself")
            << QStringList{"--glob", "*[ab"} << QString();
    QTest::newRow("pattern: with a group")
            << QStringList{"--glob", "*a*", "--group", "C"}
            << line("back\\\\slash.txt", "Escape") + line("main.c", "Entry point");
}

// Matches are printed a line each, with status 0; no match prints nothing, with status 1. The
// same, whether the rows were added after the text index's last rows or are in it.
void TestFind::matches()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, output);
    Fixture f;
    catalogueFiles(f);
    for (const bool indexed : {false, true}) {
        if (indexed) {
            DeskConnection desk(f.dbPath);
            QVERIFY(IndexAddedFiles(desk));
            QCOMPARE(FilesToIndex(desk), 0);
        }
        const Run run = find(arguments);
        QCOMPARE(run.out, output);
        QCOMPARE(run.err, QString());
        QCOMPARE(run.status, output.isEmpty() ? 1 : 0);
    }
}

void TestFind::containsFollowsEveryWrite_data()
{
    QTest::addColumn<QStringList>("writes");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("output");
    const QString renamed = "update fileprofile set FileName = 'invoice.txt', FilePath = "
                            "'/data/invoice.txt' where FileName = '1000.txt'";
    QTest::newRow("a name changed: the new one found")
            << QStringList{renamed} << QStringList{"--find", "VOIC", "--contains"}
            << line("invoice.txt", "Thousand");
    QTest::newRow("a name changed: the old one no longer")
            << QStringList{renamed} << QStringList{"--find", "1000", "--contains"} << QString();
    QTest::newRow("a path changed")
            << QStringList{"update fileprofile set FilePath = '/archive/rest.py' where FileName = "
                           "'rest.py'"}
            << QStringList{"--find", "archive", "--contains", "--field", "path"}
            << "/archive/rest.py\tServer\t\t\n";
    QTest::newRow("a description changed")
            << QStringList{"update fileprofile set FileDesc = 'Annual summary' where FileName = "
                           "'Report.doc'"}
            << QStringList{"--find", "summ", "--contains", "--field", "description"}
            << line("Report.doc", "Annual summary");
    QTest::newRow("a file removed") << QStringList{"delete from fileprofile where FileName = "
                                                   "'readme.txt'"}
                                    << QStringList{"--find", "eadm", "--contains"} << QString();
    QTest::newRow("a file added, by a pattern")
            << QStringList{"insert into fileprofile (FileName, FilePath, FileGroup) values "
                           "('report_07.txt', '/data/report_07.txt', 'Docs')"}
            << QStringList{"--glob", "report_??.txt"} << "/data/report_07.txt\t\t\t\n";
    QTest::newRow("a group renamed")
            << QStringList{"update fileprofile set FileGroup = 'Scripts' where FileGroup = "
                           "'Python'"}
            << QStringList{"--find", "est.", "--contains", "--group", "Scripts"}
            << line("rest.py", "Server");
}

// Each write to the catalogue is seen by the next search at once, and again once the text index
// has taken it in, which then holds exactly what the rows hold.
void TestFind::containsFollowsEveryWrite()
{
    QFETCH(QStringList, writes);
    QFETCH(QStringList, arguments);
    QFETCH(QString, output);
    Fixture f;
    catalogueFiles(f);
    DeskConnection desk(f.dbPath);
    QVERIFY(IndexAddedFiles(desk));
    f.exec(writes);
    for (int pass = 0; pass < 2; ++pass) {
        const Run run = find(arguments);
        QCOMPARE(run.out, output);
        QCOMPARE(run.err, QString());
        QVERIFY(IndexAddedFiles(desk));
    }
    if (!f.onServer())
        for (const char *index : {"filetext_name", "filetext_path", "filetext_desc"})
            desk.Execute(
                    QString("insert into %1 (%1, rank) values ('integrity-check', 1)").arg(index));
}

void TestFind::errors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("setUp");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown field") << QStringList{"--find", "re", "--field", "size"} << true
                                   << "unknown field 'size'; use name, description, site or path";
    QTest::newRow("both a text and a pattern")
            << QStringList{"--find", "re", "--glob", "*.c"} << true
            << "name a text with --find or a pattern with --glob";
    QTest::newRow("anywhere without a text")
            << QStringList{"--glob", "*.c", "--contains"} << true << "--contains goes with --find";
    QTest::newRow("missing database file")
            << QStringList{"--find", "re", "--database", "/nonexistent/x.mdb"} << true
            << "no database file at /nonexistent/x.mdb";
    QTest::newRow("not set up") << QStringList{"--find", "re"} << false
                                << "no database is set up; name one with --database PATH";
    QTest::newRow("no text") << QStringList{"--group", "Docs", "--find"} << true
                             << "Missing value after '--find'.";
    QTest::newRow("neither") << QStringList{"--group", "Docs"} << true
                             << "name a text with --find or a pattern with --glob";
    QTest::newRow("unknown option")
            << QStringList{"--find", "re", "--size", "3"} << true << "Unknown option 'size'.";
    QTest::newRow("stray argument")
            << QStringList{"--find", "re", "Docs"} << true << "unexpected argument 'Docs'";
}

// A search that cannot run says why on the error stream, prints nothing else, with status 2.
void TestFind::errors()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, setUp);
    QFETCH(QString, message);
    Fixture f;
    if (setUp)
        f.setUp();
    for (const auto &file : kFiles)
        addFile(f, file);
    const Run run = find(arguments);
    QCOMPARE(run.err, "corvina: " + message + "\n");
    QCOMPARE(run.out, QString());
    QCOMPARE(run.status, 2);
}

void TestFind::controlCharactersEscapedOrRaw_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("description");
    QTest::addColumn<QByteArray>("escaped"); // name and description as the line shows them
    QTest::newRow("forged line") << QByteArray("x.txt") << QByteArray("ok\n/etc/passwd\tforged\r\n")
                                 << QByteArray("x.txt\tok\\n/etc/passwd\\tforged\\r\\n");
    QTest::newRow("terminal escape") << QByteArray("x\x1b[2J.txt") << QByteArray("\x1b]0;t\x07\x7f")
                                     << QByteArray("x\\x1b[2J.txt\t\\x1b]0;t\\x07\\x7f");
    QTest::newRow("C1 and separators") << QByteArray("x.txt")
                                       << QByteArray("a\xc2\x9b"
                                                     "1m\xe2\x80\xa8"
                                                     "b\xe2\x80\xa9")
                                       << QByteArray("x.txt\ta\\u009b1m\\u2028b\\u2029");
    QTest::newRow("backslash that looks like an escape")
            << QByteArray("x.txt") << QByteArray("C:\\new\\x41")
            << QByteArray("x.txt\tC:\\\\new\\\\x41");
    QTest::newRow("not UTF-8") << QByteArray("x.txt") << QByteArray("\x9b\xff\xe2\x80")
                               << QByteArray("x.txt\t\\x9b\\xff\\xe2\\x80");
    QTest::newRow("printable kept")
            << QByteArray("x.txt") << QByteArray("caf\xc3\xa9 \xe6\x97\xa5 \xf0\x9f\x98\x80 ~")
            << QByteArray("x.txt\tcaf\xc3\xa9 \xe6\x97\xa5 \xf0\x9f\x98\x80 ~");
}

// The line form escapes whatever could end a line, move the cursor or drive a terminal, so a
// description cannot forge a result; -0 and --null give the fields as stored, each NUL-ended.
void TestFind::controlCharactersEscapedOrRaw()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, description);
    QFETCH(QByteArray, escaped);
    Fixture f;
    f.setUp();
    const QString text = QString::fromUtf8(description);
    if (text.toUtf8() == description) {
        f.exec("insert into fileprofile (FileName, FileDesc, FilePath) values (?, ?, ?)",
               {QString::fromUtf8(name), text, QString::fromUtf8("/d/" + name)});
    } else {
        // Only a file can hold text that is not UTF-8, stored there by some other program.
        if (f.onServer())
            QSKIP("A server keeps UTF-8 text only.");
        f.exec("insert into fileprofile (FileName, FileDesc, FilePath) "
               "values (?, CAST(? AS TEXT), ?)",
               {QString::fromUtf8(name), description, QString::fromUtf8("/d/" + name)});
    }
    f.exec("insert into fileprofile (FileName, FileDesc, FilePath) values ('y.txt', 'y', '/d/y')");
    Run run = find({"--find", ""});
    QCOMPARE(run.bytes, "/d/" + escaped + "\t\t\n/d/y\ty\t\t\n");
    QCOMPARE(run.status, 0);
    for (const char *option : {"-0", "--null"}) {
        run = find({"--find", "", option});
        QCOMPARE(run.bytes, "/d/" + name + '\0' + description + '\0' + QByteArray("/d/y\0y\0", 7));
        QCOMPARE(run.err, QString());
        QCOMPARE(run.status, 0);
    }
}

// --database searches the file it names instead of the one the program is set up with.
void TestFind::namedDatabase()
{
    Fixture f;
    f.setUp();
    addFile(f, kFiles[0]);
    const QString other = f.dir() + "/other.mdb";
    CreateDatabase(other);
    QCOMPARE(find({"--find", "re"}).out, line("readme.txt", "Read me first"));
    const Run run = find({"--find", "re", "--database", other});
    QCOMPARE(run.out, QString());
    QCOMPARE(run.status, 1);
}

// A name's matches come from one index holding name, path and description, listed by name and,
// for one name in several folders, by path; the table itself is never read.
void TestFind::nameSearchReadsOneIndex()
{
    Fixture f;
    f.setUp();
    for (const char *folder : {"/z/", "/a/", "/m/"})
        f.exec("insert into fileprofile (FileName, FilePath, FileDesc) values ('same.txt', ?, ?)",
               {QString(folder) + "same.txt", folder});
    QCOMPARE(find({"--find", "SAME", "--database", f.dbPath}).out,
             "/a/same.txt\t/a/\t\t\n/m/same.txt\t/m/\t\t\n/z/same.txt\t/z/\t\t\n");
    const BrowserStatement statement = catalogue::FindStatement(catalogue::ByFileName, "sa", {});
    DeskConnection connection(f.dbPath);
    const Plan plan = PlanOf(connection, statement.Text(), statement.values);
    if (plan.server) {
        QVERIFY2(plan.uses("fileprofile_name_paths") && !plan.scans("fileprofile"),
                 qPrintable(plan.shown(statement.Text())));
        return;
    }
    QCOMPARE(plan.lines,
             QStringList{"SEARCH FileProfile USING COVERING INDEX fileprofile_name_paths "
                         "(FileName>? AND FileName<?)"});
}

REGISTER_TEST(TestFind)
#include "tst_find.moc"
