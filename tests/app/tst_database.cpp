#include "Fixture.h"
#include "TestRegistry.h"
#include "app/CLog.h"
#include "app/CreateDatabase.h"
#include "app/modGlobals.h"
#include "app/session.h"
#include "catalogue/CatalogueSearch.h"
#include "catalogue/FileGroups.h"
#include "catalogue/ScanCommand.h"
#include "platform/db/ConnectString.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/db/Tokens.h"
#include "platform/ui/Progress.h"
#include "security/Password.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>
#include <QTextStream>

#include <sqlite3.h>
#include <unistd.h>

class TestDatabase : public QObject
{
    Q_OBJECT
private slots:
    void newDatabaseHoldsTheStartingRows();
    void existingFileIsNeverTouched();
    void failedCreationLeavesNothing_data();
    void failedCreationLeavesNothing();
    void filesForTheOwnerOnly();
    void sessionReopensAndReusesRecordsets();
    void olderFileGainsTheNewColumns_data();
    void olderFileGainsTheNewColumns();
    void olderReadOnlyFileOpensAsItIs();
    void olderFileScannedFromATerminal();
    void manyFilesIndexedOnOpening_data();
    void manyFilesIndexedOnOpening();
    void earlierVersionRemakesItsIndexes();
    void olderFileNumbersItsGroups();
    void tableScriptsAgree();
    void fileFromSomeoneElseIsRefused_data();
    void fileFromSomeoneElseIsRefused();
};

namespace {

// The catalogue and staging tables as files made before checksums were kept hold them.
const QString kOldCatalogue = R"(
CREATE TABLE fileprofile (Inum INTEGER PRIMARY KEY AUTOINCREMENT, FileName TEXT, FileDesc TEXT,
    FilePath TEXT, FileGroup TEXT, FileDate TEXT, FileIndex INTEGER, WebAddress TEXT,
    WebSiteName TEXT, Author TEXT, Email TEXT, Drive TEXT, Directory TEXT, Label TEXT, FSize TEXT);
CREATE INDEX fileprofile_path ON fileprofile (FilePath);
INSERT INTO fileprofile (FileName, FilePath, FileGroup, FSize) VALUES
    ('a.txt', '/data/a.txt', 'C', '3'), ('b''s.md', '/data/b''s.md', NULL, NULL);
DELETE FROM fileprofile WHERE FileName = 'a.txt';
INSERT INTO fileprofile (FileName, FilePath, FileDesc) VALUES ('c.py', '/data/c.py', 'kept');
)";
const QString kOldStaging = R"(
CREATE TABLE tempfile (Inum INTEGER PRIMARY KEY AUTOINCREMENT, FileName TEXT, FileDesc TEXT,
    FilePath TEXT, FileGroup TEXT, FileDate TEXT, FileIndex INTEGER, WebAddress TEXT,
    WebSiteName TEXT, Author TEXT, Email TEXT, Drive TEXT, Directory TEXT, Label TEXT, FSize TEXT);
INSERT INTO tempfile (FileName, FilePath, FileIndex) VALUES ('d.c', '/data/d.c', 2);
)";

// Every row of a table, every column in the order the table holds them.
QStringList rowsOf(db::Connection &connection, const QString &table)
{
    const QStringList columns =
            FirstColumn(connection, "select name from pragma_table_info(?) order by cid", {table});
    if (columns.isEmpty())
        return {};
    QStringList cells;
    for (const QString &column : columns)
        cells << "quote(" + column + ")";
    return FirstColumn(connection,
                       "select " + cells.join(" || '|' || ") + " from " + table + " order by Inum");
}

} // namespace

void TestDatabase::newDatabaseHoldsTheStartingRows()
{
    Fixture f;
    QCOMPARE(f.column("select CodeType from CodeTypes order by inum").value(0),
             QStringLiteral("[All Groups]"));
    QCOMPARE(f.column("select usergroup from tblusers where userid = 'admin'"),
             QStringList{"Administrator"});
    QVERIFY(VerifyPassword(f.column("select userpwd from tblusers where userid = 'admin'").value(0),
                           "rowan"));
    QMap<QString, QStringList> reports;
    for (const QString &row : f.column("select Rgroup || ':' || id from tblreports order by id"))
        reports[row.section(':', 0, 0)] << row.section(':', 1);
    QCOMPARE(reports.value("1"), QStringList({"1", "2", "3", "13", "14"}));
    QCOMPARE(reports.value("2"), QStringList({"5", "6", "7", "15", "16"}));
    QCOMPARE(reports.value("3"), QStringList({"8", "9", "10"}));
    QCOMPARE(reports.value("4"), QStringList({"11"}));
    db::Connection connection;
    connection.Open(db::ConnectStringFor(f.dbPath));
    QCOMPARE(SchemaVersion(connection), kSchemaVersion);
    QVERIFY(!f.column("select patterns from patterns").isEmpty());
    QVERIFY(f.column("select count(*) from fileprofile") == QStringList{"0"});
}

void TestDatabase::existingFileIsNeverTouched()
{
    Fixture f;
    const QString path = f.dir() + "/keep.mdb";
    QVERIFY(WriteFile(path, "precious"));
    QVERIFY_THROWS_EXCEPTION(db::DbError, CreateDatabase(path));
    QCOMPARE(ReadFile(path), QByteArray("precious"));
    QVERIFY_THROWS_EXCEPTION(db::DbError, CreateDatabase(f.dbPath));
}

void TestDatabase::failedCreationLeavesNothing_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("reason");
    QTest::newRow("a starting row fails") << "seed"
                                          << "no such table";
    QTest::newRow("the disk fills") << "full"
                                    << "database or disk is full";
    QTest::newRow("the folder cannot be written") << "folder"
                                                  << "";
}

// The new file appears complete or not at all, and a second try after the fault succeeds.
void TestDatabase::failedCreationLeavesNothing()
{
    SKIP_ON_SERVER();
    QFETCH(QString, failure);
    QFETCH(QString, reason);
    if (failure == "folder" && geteuid() == 0)
        QSKIP("Permissions do not stop the superuser from writing.");
    Fixture f;
    const QString folder = f.dir() + "/new";
    QVERIFY(QDir().mkdir(folder));
    const QString path = folder + "/made.mdb";
    const auto seed = [&](db::Connection &connection) {
        connection.Execute("INSERT INTO CodeTypes (CodeType) VALUES ('C')");
        if (failure == "seed")
            connection.Execute("INSERT INTO nowhere VALUES (1)");
        if (failure == "full") {
            connection.Execute("PRAGMA max_page_count = 1"); // no page beyond those there are
            connection.Execute("INSERT INTO source (code) VALUES (?)",
                               {QString(20000, QLatin1Char('x'))});
        }
    };
    if (failure == "folder")
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    try {
        CreateDatabase(path, seed);
        QFAIL("made a database");
    } catch (const db::DbError &error) {
        QVERIFY2(error.description().contains(reason), qPrintable(error.description()));
    }
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());

    CreateDatabase(path);
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"made.mdb"});
    db::Connection made;
    made.Open(db::ConnectStringFor(path));
    QCOMPARE(FirstColumn(made, "select userid from tblusers"), QStringList{"admin"});
}

// The database and the log hold the accounts and what they did: only their owner reads them.
void TestDatabase::filesForTheOwnerOnly()
{
    SKIP_ON_SERVER();
    Fixture f;
    const auto owner = QFile::ReadOwner | QFile::WriteOwner;
    const auto folderOwner = owner | QFile::ExeOwner;
    const auto kept = [](const QString &path) {
        return QFile::permissions(path)
                & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser); // the owner's, again
    };
    const QString database = f.dir() + "/data/deeper/tarnu.mdb";
    CreateDatabase(database);
    QCOMPARE(kept(database), owner);
    QCOMPARE(kept(f.dir() + "/data/deeper"), folderOwner);
    QCOMPARE(kept(f.dir() + "/data"), folderOwner);

    f.setting("LOGFILE", f.dir() + "/logs/tarnu.log");
    QVERIFY(Log().addEntry(LogInfo, "first"));
    QCOMPARE(kept(f.dir() + "/logs/tarnu.log"), owner);
    QCOMPARE(kept(f.dir() + "/logs"), folderOwner);
    Log().clearContents();
    QCOMPARE(kept(f.dir() + "/logs/tarnu.log"), owner);

    // A file or folder that was there keeps what its owner chose.
    QVERIFY(WriteFile(f.logPath, ""));
    QVERIFY(QFile::setPermissions(f.logPath, owner | QFile::ReadGroup | QFile::ReadOther));
    f.setting("LOGFILE", f.logPath);
    QVERIFY(Log().addEntry(LogInfo, "second"));
    QCOMPARE(kept(f.logPath), owner | QFile::ReadGroup | QFile::ReadOther);
}

void TestDatabase::sessionReopensAndReusesRecordsets()
{
    Fixture f;
    ReopenConnection();
    RunOn(SharedRecordset(), "select userid from tblusers where userid = ?", {"o'neil"});
    QVERIFY(SharedRecordset().AtEnd());
    QCOMPARE(SqlText, QStringLiteral("select userid from tblusers where userid = ?"));
    // A second statement on the same record set closes what the first left open.
    RunOn(SharedRecordset(), "select userid from tblusers");
    QCOMPARE(SharedRecordset().Fields("USERID").toString(), QStringLiteral("admin"));
    ReopenConnection();
    QCOMPARE(SharedConnection().State(), 1);
    // Statements without rows leave the record set closed.
    RunOn(SharedRecordset3(), "update tblusers set username = ? where userid = ?",
          {"O'Neil, Pat", "admin"});
    QCOMPARE(SharedRecordset3().State(), 0);
    QCOMPARE(f.column("select username from tblusers"), QStringList{"O'Neil, Pat"});

    ConnectString = db::ConnectStringFor(f.dir() + "/absent.mdb");
    QVERIFY_THROWS_EXCEPTION(db::DbError, ReopenConnection());
    QVERIFY(!QFile::exists(f.dir() + "/absent.mdb"));
}

void TestDatabase::olderFileGainsTheNewColumns_data()
{
    QTest::addColumn<QString>("schema");
    QTest::addColumn<QStringList>("catalogueColumns");
    QTest::addColumn<QStringList>("stagingColumns");
    const QStringList added{"Checksum", "VolumeId", "Modified", "GroupKey"};
    QTest::newRow("catalogue and staging") << kOldCatalogue + kOldStaging << added << added;
    // A table the file does not hold is no business of the upgrade.
    QTest::newRow("catalogue alone") << kOldCatalogue << added << QStringList();
    QTest::newRow("up to date") << "" << added << added;
}

void TestDatabase::olderFileGainsTheNewColumns()
{
    SKIP_ON_SERVER();
    QFETCH(QString, schema);
    QFETCH(QStringList, catalogueColumns);
    QFETCH(QStringList, stagingColumns);
    Fixture f;
    if (!schema.isEmpty()) {
        const QString path = f.dir() + "/old.mdb";
        db::CreateDatabaseFile(path, schema);
        ConnectString = db::ConnectStringFor(path);
    }
    db::Connection look;
    look.Open(ConnectString);
    const QStringList catalogue = rowsOf(look, "fileprofile");
    const QStringList staging = rowsOf(look, "tempfile");
    const auto lastColumns = [&](const QString &table) {
        return FirstColumn(look,
                           "select name from pragma_table_info(?) where cid >= "
                           "(select count(*) - 4 from pragma_table_info(?)) order by cid",
                           {table, table});
    };

    for (int opening = 0; opening < 2; ++opening) {
        ReopenConnection();
        QCOMPARE(lastColumns("fileprofile"), catalogueColumns);
        QCOMPARE(lastColumns("tempfile"), stagingColumns);
        QCOMPARE(SchemaVersion(look), kSchemaVersion);
        // Every row kept as it was, with a null checksum, volume, time and (as the rows have
        // no group) group number after it.
        QStringList withSum;
        for (const QString &row : catalogue)
            withSum << row + "|NULL|NULL|NULL|NULL";
        QCOMPARE(rowsOf(look, "fileprofile"), withSum);
        withSum.clear();
        for (const QString &row : staging)
            withSum << row + "|NULL|NULL|NULL|NULL";
        QCOMPARE(rowsOf(look, "tempfile"), withSum);
        // The volumes' tables, empty, with their indexes, as a new file has them.
        QCOMPARE(FirstColumn(look,
                             "select name from sqlite_master where name like 'volume%' "
                             "order by name"),
                 QStringList({"volumefolders", "volumefolders_volume", "volumes", "volumes_uuid"}));
        QCOMPARE(FirstColumn(look, "select count(*) from volumes"), QStringList{"0"});
        QCOMPARE(FirstColumn(look, "select sql from sqlite_master where name = ?",
                             {"fileprofile_copies"})
                         .value(0)
                         .contains("(FSize, Checksum) WHERE Checksum IS NOT NULL"),
                 true);
    }
    // The next row numbers follow the old ones, as the engine kept its counter.
    RunCommand("insert into fileprofile (FileName) values ('new')");
    QCOMPARE(FirstColumn(look, "select Inum from fileprofile where FileName = 'new'"),
             QStringList{schema.isEmpty() ? "1" : "4"});
}

// A database of version 3 gains the index of a volume's rows, and --find's index the volume's
// column, on either engine, each as that engine's own table script defines it.
void TestDatabase::earlierVersionRemakesItsIndexes()
{
    Fixture f;
    f.setUp();
    db::Connection look;
    look.Open(ConnectString);
    // On a server, each test's tables are in a schema of its own.
    const QString definition = f.onServer()
            ? "select indexdef from pg_indexes where indexname = ? and schemaname = "
              "current_schema()"
            : "select sql from sqlite_master where name = ?";
    const QString made = f.column(definition, {"fileprofile_name_paths"}).value(0);
    QVERIFY2(made.contains("VolumeId", Qt::CaseInsensitive), qPrintable(made));
    db::ExecuteAsWritten(look, "DROP INDEX fileprofile_volume");
    db::ExecuteAsWritten(look, "DROP INDEX fileprofile_name_paths");
    db::ExecuteAsWritten(look, "CREATE INDEX fileprofile_name_paths ON fileprofile (FilePath)");
    db::StoreSchemaVersion(look, 3);
    for (int opening = 0; opening < 2; ++opening) {
        ReopenConnection();
        QCOMPARE(SchemaVersion(look), kSchemaVersion);
        QCOMPARE(f.column(definition, {"fileprofile_name_paths"}).value(0), made);
        QCOMPARE(f.column(definition, {"fileprofile_volume"}).size(), 1);
    }
}

// A database of version 4 kept the group's name in the group filter's indexes: opened, its
// files get their groups' numbers, the indexes take the numbers as a new file's do, and later
// writes keep the numbers in step.
void TestDatabase::olderFileNumbersItsGroups()
{
    Fixture f;
    f.setUp();
    for (const QVariant &group : {QVariant("C"), QVariant("Docs"), QVariant("C"), QVariant()})
        f.exec("insert into fileprofile (FileName, FileGroup) values ('a', ?)", {group});
    const QString definition = f.onServer()
            ? "select indexdef from pg_indexes where indexname = ? and schemaname = "
              "current_schema()"
            : "select sql from sqlite_master where name = ?";
    const QStringList indexes{"fileprofile_group", "fileprofile_group_name",
                              "fileprofile_group_desc", "fileprofile_group_sitetext",
                              "fileprofile_unnumbered"};
    QStringList made;
    for (const QString &index : indexes)
        made << f.column(definition, {index}).value(0);
    db::Connection look;
    look.Open(ConnectString);
    const QStringList downgrade = f.onServer()
            ? QStringList{"DROP TRIGGER fileprofile_groupkey ON fileprofile",
                          "DROP FUNCTION fileprofile_groupkey()",
                          "ALTER TABLE fileprofile DROP COLUMN GroupKey", "DROP TABLE filegroups"}
            : QStringList{"DROP TRIGGER fileprofile_groupkey_update"};
    for (const QString &statement : downgrade)
        db::ExecuteAsWritten(look, statement);
    for (const QString &index : indexes)
        db::ExecuteAsWritten(look, "DROP INDEX IF EXISTS " + index);
    if (!f.onServer())
        for (const QString &statement :
             {"ALTER TABLE fileprofile DROP COLUMN GroupKey", "DROP TABLE filegroups"})
            db::ExecuteAsWritten(look, statement);
    db::ExecuteAsWritten(look, "CREATE INDEX fileprofile_group ON fileprofile (FileGroup)");
    db::StoreSchemaVersion(look, 4);
    for (int opening = 0; opening < 2; ++opening) {
        ReopenConnection();
        QCOMPARE(SchemaVersion(look), kSchemaVersion);
        QStringList now;
        for (const QString &index : indexes)
            now << f.column(definition, {index}).value(0);
        QCOMPARE(now, made);
        QCOMPARE(catalogue::GroupsInUse(SharedConnection()), QStringList({"C", "Docs"}));
    }
    // A row another program adds is numbered when the catalogue is next opened; a row changed
    // at once.
    f.exec("insert into fileprofile (FileName, FileGroup) values ('b', 'Images')");
    f.exec("update fileprofile set FileGroup = 'Docs' where FileGroup = 'C'");
    ReopenConnection();
    QCOMPARE(f.filesOutOfStepWithTheirGroups(), QStringList{"0"});
    QCOMPARE(catalogue::GroupsInUse(SharedConnection()), QStringList({"Docs", "Images"}));
}

namespace {

// What a table script makes: each table's columns in order, and each index with its table.
struct ScriptObjects
{
    QMap<QString, QStringList> columns;
    QMap<QString, QString> indexes;
};

ScriptObjects objectsOf(const QString &resource)
{
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QRegularExpression table(R"(^CREATE\s+TABLE\s+(\w+)\s*\((.*)\)$)",
                                   QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpression index(R"(^CREATE\s+(?:UNIQUE\s+)?INDEX\s+(\w+)\s+ON\s+(\w+))");
    ScriptObjects objects;
    for (const QString &statement : db::SplitScript(QString::fromUtf8(file.readAll()))) {
        if (const auto made = table.match(statement); made.hasMatch()) {
            QStringList columns;
            int depth = 0;
            QString part;
            for (const QChar c : made.captured(2) + ',') {
                depth += c == '(' ? 1 : c == ')' ? -1 : 0;
                if (c != ',' || depth > 0) {
                    part += c;
                    continue;
                }
                const QString name = part.trimmed().section(QRegularExpression("\\s+"), 0, 0);
                columns << name.toLower().remove('[').remove(']').remove('"');
                part.clear();
            }
            objects.columns.insert(made.captured(1).toLower(), columns);
        } else if (const auto made = index.match(statement); made.hasMatch()) {
            objects.indexes.insert(made.captured(1).toLower(), made.captured(2).toLower());
        }
    }
    return objects;
}

} // namespace

// The server's table script is written apart from the file's: both make the same tables with
// the same columns in the same order, and the same indexes under the same names. The server
// adds only its version table and an index of each table's key.
void TestDatabase::tableScriptsAgree()
{
    ScriptObjects file = objectsOf(":/schema.sql");
    ScriptObjects server = objectsOf(":/schema-server.sql");
    QVERIFY(file.columns.contains("fileprofile") && file.indexes.contains("fileprofile_volume"));
    QCOMPARE(server.columns.take("schema_version"), QStringList{"version"});
    // A file's text index keeps the mark of the rows it holds and the rows changed since; a
    // server's trigram indexes hold every row as it is.
    QCOMPARE(file.columns.take("textmark"), QStringList({"id", "upto"}));
    QCOMPARE(file.columns.take("textchanged"),
             QStringList({"inum", "filename", "filepath", "filedesc"}));
    for (const char *trigram :
         {"fileprofile_name_trgm", "fileprofile_path_trgm", "fileprofile_desc_trgm"})
        QCOMPARE(server.indexes.take(trigram), "fileprofile");
    QCOMPARE(server.columns, file.columns);
    for (auto key = server.indexes.begin(); key != server.indexes.end();) {
        if (key.key() == key.value() + "_rows")
            key = server.indexes.erase(key);
        else
            ++key;
    }
    // A server's trigger numbers the group of every row written: no row waits to be numbered.
    QCOMPARE(file.indexes.take("fileprofile_unnumbered"), "fileprofile");
    QCOMPARE(server.indexes, file.indexes);
}

// `corvina --scan` brings an older file up to date before it catalogues into it, its text index
// included.
void TestDatabase::olderFileScannedFromATerminal()
{
    SKIP_ON_SERVER();
    Fixture f;
    const QString path = f.dir() + "/old.mdb";
    db::CreateDatabaseFile(path, kOldCatalogue + kOldStaging);
    QVERIFY(QDir().mkpath(f.dir() + "/tree"));
    QVERIFY(WriteFile(f.dir() + "/tree/x.txt", "x"));
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QString errors;
    QTextStream err(&errors);
    QCOMPARE(catalogue::RunScan({"corvina", "--scan", f.dir() + "/tree", "--database", path}, out,
                                err),
             0);
    QVERIFY2(errors.isEmpty(), qPrintable(errors));
    db::Connection look;
    look.Open(db::ConnectStringFor(path));
    QCOMPARE(SchemaVersion(look), kSchemaVersion);
    QCOMPARE(FirstColumn(look,
                         "select FileName || ':' || (VolumeId = (select VolumeId from "
                         "volumes)) from fileprofile where Modified is not null"),
             QStringList{"x.txt:1"});
    // Its text index was made and holds the older rows as well as the new one.
    QCOMPARE(FilesToIndex(look), 0);
    QCOMPARE(FirstColumn(look,
                         "select count(*) from filetext_path where filetext_path match "
                         "'\"c.p\"'"),
             QStringList{"1"});
}

void TestDatabase::manyFilesIndexedOnOpening_data()
{
    QTest::addColumn<bool>("cancelled");
    QTest::newRow("to the end") << false;
    QTest::newRow("cancelled") << true;
}

// Files that another program added without the text index (all of them, for a file made before
// it) are added to it when the catalogue opens; many show their count, and Cancel leaves the
// rest for the next opening, found by a search meanwhile all the same.
void TestDatabase::manyFilesIndexedOnOpening()
{
    SKIP_ON_SERVER();
    QFETCH(bool, cancelled);
    Fixture f;
    f.setUp();
    f.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 120000) "
           "INSERT INTO fileprofile (FileName, FilePath) SELECT 'f' || i || '.txt', '/d/f' || i "
           "|| '.txt' FROM n");
    QStringList shown;
    f.ui.onProgress([&](ProgressBox &box) {
        shown << box.Title() + ": " + QString::number(box.Count());
        if (cancelled)
            box.Cancel();
    });
    ReopenConnection();
    if (cancelled) {
        QCOMPARE(shown, QStringList{"File Index: 50000"});
        QCOMPARE(FilesToIndex(SharedConnection()), 70000);
    } else {
        QCOMPARE(shown,
                 QStringList({"File Index: 50000", "File Index: 100000", "File Index: 120000"}));
        QCOMPARE(FilesToIndex(SharedConnection()), 0);
    }
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QString errors;
    QTextStream err(&errors);
    QCOMPARE(catalogue::RunFind(
                     {"corvina", "--find", "119999", "--contains", "--database", f.dbPath}, out,
                     err),
             0);
    QCOMPARE(QString::fromUtf8(out.data()), "/d/f119999.txt\t\t\t\n");
    VERIFY_CLEAN(f);
}

// A file that cannot be written still opens for reading, without the new columns.
void TestDatabase::olderReadOnlyFileOpensAsItIs()
{
    SKIP_ON_SERVER();
    Fixture f;
    const QString path = f.dir() + "/old.mdb";
    db::CreateDatabaseFile(path, kOldCatalogue);
    ConnectString = db::ConnectStringFor(path);
    const QByteArray before = ReadFile(path);
    SharedConnection().ReadOnly = true;
    const auto writable = qScopeGuard([] { SharedConnection().ReadOnly = false; });
    ReopenConnection();
    QVERIFY(!SharedConnection().Writable());
    QCOMPARE(SchemaVersion(SharedConnection()), 0);
    QCOMPARE(rowsOf(SharedConnection(), "fileprofile").size(), 2);
    QVERIFY(!FirstColumn(SharedConnection(), "select name from pragma_table_info('fileprofile')")
                     .contains("Checksum"));
    SharedConnection().Close();
    // Searched from a terminal, its rows name no volume.
    QByteArray found;
    QBuffer out(&found);
    out.open(QIODevice::WriteOnly);
    QString err;
    QTextStream errStream(&err);
    QCOMPARE(catalogue::RunFind({"corvina", "--find", "c", "--database", path}, out, errStream), 0);
    QCOMPARE(err, QString());
    QCOMPARE(found, "/data/c.py\tkept\t\t\n");
    QCOMPARE(ReadFile(path), before);
}

void TestDatabase::fileFromSomeoneElseIsRefused_data()
{
    QTest::addColumn<QStringList>("planted");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<bool>("searchRefused");
    QTest::newRow("catalogue as a recursive view")
            << QStringList{"DROP TABLE fileprofile",
                           "CREATE VIEW fileprofile AS WITH RECURSIVE r(n) AS (SELECT 1 UNION "
                           "SELECT n + 1 FROM r) SELECT n AS Inum, 'a' || hex(randomblob(800)) "
                           "AS FileName, '' AS FilePath, '' AS FileDesc, '' AS FileGroup, "
                           "'' AS WebSiteName FROM r"}
            << "holds a view that this program did not make: fileprofile" << true;
    QTest::newRow("trigger on the user's saves")
            << QStringList{"CREATE TRIGGER planted AFTER INSERT ON CodeTypes BEGIN DELETE FROM "
                           "fileprofile; END"}
            << "holds a trigger that this program did not make: planted" << true;
    // The search reads no staging table; the session does.
    QTest::newRow("staging table of other columns")
            << QStringList{"DROP TABLE tempfile",
                           "CREATE TABLE tempfile (Inum INTEGER PRIMARY KEY, FileName TEXT)"}
            << "lacks the column tempfile.Author that this program uses" << false;
}

// A database file made by someone else, searched from the command line or opened by the login,
// is refused at once with what it holds; nothing in it runs.
void TestDatabase::fileFromSomeoneElseIsRefused()
{
    SKIP_ON_SERVER();
    QFETCH(QStringList, planted);
    QFETCH(QString, refusal);
    QFETCH(bool, searchRefused);
    Fixture f;
    const QString path = f.dir() + "/someone-else.mdb";
    CreateDatabase(path);
    sqlite3 *raw = nullptr;
    QCOMPARE(sqlite3_open(path.toUtf8().constData(), &raw), SQLITE_OK);
    for (const QString &statement : planted)
        QCOMPARE(sqlite3_exec(raw, statement.toUtf8().constData(), nullptr, nullptr, nullptr),
                 SQLITE_OK);
    sqlite3_close(raw);
    const QString message = "The database " + refusal + ". It is not opened.";

    QElapsedTimer timer;
    timer.start();
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QString err;
    QTextStream errStream(&err);
    const int status =
            catalogue::RunFind({"corvina", "--find", "a", "--database", path}, out, errStream);
    QCOMPARE(status, searchRefused ? 2 : 1);
    QCOMPARE(out.data(), QByteArray());
    QCOMPARE(err, searchRefused ? "corvina: " + message + "\n" : QString());

    ConnectString = db::ConnectStringFor(path);
    QString opened;
    try {
        ReopenConnection();
    } catch (const db::DbError &error) {
        opened = error.description();
    }
    QCOMPARE(opened, message);
    QCOMPARE(SharedConnection().State(), 0);
    QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));

    VERIFY_CLEAN(f);
}

REGISTER_TEST(TestDatabase)
#include "tst_database.moc"
