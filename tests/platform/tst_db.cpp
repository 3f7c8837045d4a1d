#include "Fixture.h"
#include "TestRegistry.h"
#include "app/CreateDatabase.h"
#include "app/modGlobals.h"
#include "platform/db/ConnectString.h"
#include "platform/db/Connection.h"
#include "platform/db/DataControl.h"
#include "platform/db/Database.h"
#include "platform/db/Dialect.h"
#include "platform/db/Engine.h"
#include "platform/db/Reader.h"
#include "platform/db/Recordset.h"
#include "platform/db/Statement.h"
#include "platform/db/TemporarySpace.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <memory>
#include <type_traits>
#include <unistd.h>

namespace {

// The description of the DbError that f throws, or an empty string when it throws none.
template<typename F> QString failureOf(F &&f)
{
    try {
        f();
    } catch (const db::DbError &error) {
        return error.description().isEmpty() ? QStringLiteral("(no description)")
                                             : error.description();
    }
    return {};
}

const QString kNotFound = QStringLiteral("Item cannot be found");

} // namespace

class TestDb : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void open_fails_data();
    void open_fails();
    void open_readOnly_data();
    void open_readOnly();
    void open_readerFollowsWriters_data();
    void open_readerFollowsWriters();
    void open_refusesWhatItDidNotMake_data();
    void open_refusesWhatItDidNotMake();
    void temporarySpace_isBounded_data();
    void temporarySpace_isBounded();
    void open_runsInWal_data();
    void open_runsInWal();
    void open_stateCloseReopen();

    void boundValues_roundTrip_data();
    void boundValues_roundTrip();
    void dialect_data();
    void dialect();
    void serverStatement_data();
    void serverStatement();
    void untranslatable_isRefused_data();
    void untranslatable_isRefused();
    void tableScript_keepsLiterals_data();
    void tableScript_keepsLiterals();
    void serverSession_data();
    void serverSession();
    void insert_givesFreshRowNumber();
    void failedStatements_areTold_data();
    void failedStatements_areTold();

    void recordset_walksRowsAndFields();
    void recordset_emptyAndRowlessStatements();
    void recordset_requerySeesNewRows();
    void recordset_snapshotHoldsNoLock();

    void dataControl_fetchesLazily();
    void dataControl_otherConnectionWritesWhileRowsUnfetched();
    void dataControl_editsTargetTable();
    void dataControl_noRowsAndNoTarget();

    void createDatabaseFile();

private:
    QString cs() const { return db::ConnectStringFor(path_); }
    void fillTempfile(int rows);

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<ScratchDatabase> database_;
    QString path_;
    db::Connection db_;
};

void TestDb::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    // A space and non-ASCII letters in the path, as users' folders have.
    QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("My Données")));
    database_ = std::make_unique<ScratchDatabase>(dir_->filePath(QStringLiteral("My Données")),
                                                  QStringLiteral("catalog.mdb"));
    path_ = database_->address;
    CreateDatabase(path_);
    db_.Open(cs());
    const QStringList files = {"readme.TXT", "main.cpp",        "notes.txt",
                               "build.sh",   "report 100%.pdf", "logo.png"};
    const QVariantList groups = {"Docs", "C++", "docs", "Shell", "Docs", QVariant()};
    for (int i = 0; i < files.size(); ++i)
        db_.Execute("INSERT INTO fileprofile (FileName, FileGroup) VALUES (?, ?)",
                    {files[i], groups[i]});
    db_.Execute("INSERT INTO webname (webname) VALUES ('Alpha'), ('Beta')");
    db_.Execute("INSERT INTO tblusers (userid, username) VALUES ('smith', '  John Smith  '), "
                "('eric', 'Éric Durand')");
    db_.Execute("INSERT INTO source ([datetime], title) VALUES (?, 'Second'), (?, 'First')",
                {"2024-01-02 10:00", "2024-01-01 09:00"});
}

void TestDb::cleanup()
{
    db_.Close();
    database_.reset();
    dir_.reset();
}

void TestDb::fillTempfile(int rows)
{
    db_.Execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
                "INSERT INTO tempfile (FileName) SELECT 'file' || i FROM n",
                {rows});
}

void TestDb::open_fails_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("missing file") << "absent.mdb" << false << QByteArray() << "Could not find file";
    // An empty file would become an empty database; it counts as missing.
    QTest::newRow("empty file") << "empty.mdb" << true << QByteArray() << "Could not find file";
    QTest::newRow("text file") << "notes.mdb" << true
                               << QByteArray("Not a database.\n").repeated(80) << "";
    QTest::newRow("a few bytes") << "short.mdb" << true << QByteArray("SQLite") << "";
    QByteArray noise(8192, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + 13) % 251);
    QTest::newRow("random bytes") << "noise.mdb" << true << noise << "";
    QTest::newRow("folder") << "." << true << QByteArray() << "";
}

void TestDb::open_fails()
{
    QFETCH(QString, file);
    QFETCH(bool, exists);
    QFETCH(QByteArray, contents);
    QFETCH(QString, mentions);
    const QString path = dir_->filePath(file);
    if (exists && file != ".")
        QVERIFY(WriteFile(path, contents));
    db::Connection connection;
    const QString error = failureOf([&] { connection.Open(db::ConnectStringFor(path)); });
    QVERIFY2(!error.isEmpty(), "opened");
    QVERIFY2(error.contains(mentions), qPrintable(error));
    if (!mentions.isEmpty())
        QVERIFY2(error.contains(file), qPrintable(error));
    QCOMPARE(connection.State(), 0);
    // Nothing is made or changed on the way.
    QCOMPARE(QFileInfo::exists(path), exists);
    QCOMPARE(ReadFile(path), contents);
    QVERIFY(!QFileInfo::exists(path + "-wal"));
    QVERIFY(!QFileInfo::exists(path + "-shm"));
    // A failed open leaves the object ready for a good one.
    connection.Open(cs());
    QCOMPARE(connection.State(), 1);
}

void TestDb::open_readOnly_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("asked for") << "asked";
    QTest::newRow("file not writable") << "file";
    QTest::newRow("folder not writable") << "folder";
}

// A file that cannot be written still opens for reading, changes in nothing, and its first
// write says why it fails.
void TestDb::open_readOnly()
{
    SKIP_ON_SERVER();
    QFETCH(QString, how);
    if (how != "asked" && geteuid() == 0)
        QSKIP("Permissions do not stop the superuser from writing.");
    db_.Close(); // the journal goes back into the file, and its side files go
    const QString folder = QFileInfo(path_).absolutePath();
    const QByteArray before = ReadFile(path_);
    db::Connection connection;
    connection.ReadOnly = how == "asked";
    if (how == "file")
        QVERIFY(QFile::setPermissions(path_, QFile::ReadOwner));
    if (how == "folder")
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    connection.Open(cs());
    QCOMPARE(FirstColumn(connection, "SELECT count(*) FROM fileprofile"), QStringList{"6"});
    const QString error = failureOf(
            [&] { connection.Execute("INSERT INTO fileprofile (FileName) VALUES ('new.txt')"); });
    QVERIFY2(error.contains("readonly database"), qPrintable(error));
    QCOMPARE(FirstColumn(connection, "SELECT count(*) FROM fileprofile"), QStringList{"6"});
    connection.Close();
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner);
    QCOMPARE(ReadFile(path_), before);

    // Once it may be written again, it is.
    connection.ReadOnly = false;
    connection.Open(cs());
    connection.Execute("INSERT INTO fileprofile (FileName) VALUES ('new.txt')");
    QCOMPARE(FirstColumn(connection, "SELECT count(*) FROM fileprofile"), QStringList{"7"});
}

void TestDb::open_readerFollowsWriters_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("writerFirst");
    QTest::newRow("asked to read, nobody else has it open") << "asked" << false;
    QTest::newRow("asked to read, a writer has it open") << "asked" << true;
    QTest::newRow("file only others may write") << "file" << true;
}

// A desk that may only read sees what the others write, at its next statement, for as long as
// it stays open: the engine is not told that nobody changes the file.
void TestDb::open_readerFollowsWriters()
{
    SKIP_ON_SERVER();
    QFETCH(QString, how);
    QFETCH(bool, writerFirst);
    if (how == "file" && geteuid() == 0)
        QSKIP("Permissions do not stop the superuser from writing.");
    if (!writerFirst)
        db_.Close(); // the side files go with the last connection
    const auto restore = qScopeGuard(
            [&] { QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner); });
    // The writer keeps the handle it opened with; the group may write, this user not.
    if (how == "file")
        QVERIFY(QFile::setPermissions(path_,
                                      QFile::ReadOwner | QFile::ReadGroup | QFile::WriteGroup));
    db::Connection reader;
    reader.ReadOnly = how == "asked";
    reader.Open(cs());
    QVERIFY(!reader.Writable());
    QCOMPARE(FirstColumn(reader, "SELECT count(*) FROM fileprofile"), QStringList{"6"});
    if (!writerFirst)
        db_.Open(cs());
    for (int i = 1; i <= 3; ++i) {
        db_.Execute("INSERT INTO fileprofile (FileName) VALUES (?)", {QString("new%1").arg(i)});
        db_.Execute("UPDATE fileprofile SET FileDesc = ? WHERE FileName = 'main.cpp'",
                    {QString("change %1").arg(i)});
        QCOMPARE(FirstColumn(reader, "SELECT count(*) FROM fileprofile"),
                 QStringList{QString::number(6 + i)});
        QCOMPARE(FirstColumn(reader, "SELECT FileDesc FROM fileprofile WHERE FileName = ?",
                             {"main.cpp"}),
                 QStringList{QString("change %1").arg(i)});
    }
}

void TestDb::open_refusesWhatItDidNotMake_data()
{
    QTest::addColumn<QStringList>("planted");
    QTest::addColumn<QString>("refused");
    QTest::newRow("catalogue as a recursive view")
            << QStringList{"DROP TABLE fileprofile",
                           "CREATE VIEW fileprofile AS WITH RECURSIVE r(n) AS (SELECT 1 UNION "
                           "SELECT n + 1 FROM r) SELECT n AS Inum, hex(randomblob(500)) AS "
                           "FileName FROM r"}
            << "view that this program did not make: fileprofile.";
    QTest::newRow("trigger on the user's saves")
            << QStringList{"CREATE TRIGGER planted AFTER INSERT ON CodeTypes BEGIN DELETE FROM "
                           "fileprofile; END"}
            << "trigger that this program did not make: planted.";
    QTest::newRow("virtual table") << QStringList{"CREATE VIRTUAL TABLE notes USING fts5(body)"}
                                   << "virtual table that this program did not make: notes.";
    QTest::newRow("computed column")
            << QStringList{"CREATE TABLE extra (a INTEGER, b TEXT GENERATED ALWAYS AS "
                           "(printf('%.*c', 100000000, 'x')) VIRTUAL)"}
            << "computed column that this program did not make: extra.b.";
    const QString trusted = "CREATE TRIGGER trusted_by_the_test BEFORE DELETE ON tblusers BEGIN "
                            "SELECT RAISE(ABORT, 'kept'); END";
    db::TrustSchemaObject("trusted_by_the_test", trusted);
    QTest::newRow("trigger a test planted") << QStringList{trusted} << "";
    QTest::newRow("a trusted name with another body")
            << QStringList{"CREATE TRIGGER trusted_by_the_test AFTER INSERT ON CodeTypes BEGIN "
                           "DELETE FROM fileprofile; END"}
            << "trigger that this program did not make: trusted_by_the_test.";
}

// A database file from someone else opens only when it holds nothing that runs of itself, and
// is refused at once, before anything is read from its tables or written to the file.
void TestDb::open_refusesWhatItDidNotMake()
{
    SKIP_ON_SERVER();
    QFETCH(QStringList, planted);
    QFETCH(QString, refused);
    db_.Close();
    sqlite3 *raw = nullptr;
    QCOMPARE(sqlite3_open(path_.toUtf8().constData(), &raw), SQLITE_OK);
    for (const QString &statement : planted)
        QVERIFY2(sqlite3_exec(raw, statement.toUtf8().constData(), nullptr, nullptr, nullptr)
                         == SQLITE_OK,
                 sqlite3_errmsg(raw));
    sqlite3_close(raw);
    const QByteArray before = ReadFile(path_);

    db::Connection connection;
    QElapsedTimer timer;
    timer.start();
    const QString error = failureOf([&] { connection.Open(cs()); });
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
    if (refused.isEmpty()) {
        QCOMPARE(error, QString());
        QVERIFY(!failureOf([&] { connection.Execute("DELETE FROM tblusers"); }).isEmpty());
        // Even then, the file's definitions are not trusted, nor its engine tables writable.
        QCOMPARE(FirstColumn(connection, "PRAGMA trusted_schema"), QStringList{"0"});
        connection.Execute("PRAGMA writable_schema = ON");
        const QString rewrite = failureOf([&] {
            connection.Execute("UPDATE sqlite_schema SET sql = 'x' WHERE type = 'trigger'");
        });
        QVERIFY2(rewrite.contains("may not be modified"), qPrintable(rewrite));
        return;
    }
    QCOMPARE(error, "The database holds a " + refused + " It is not opened.");
    QCOMPARE(connection.State(), 0);
    QCOMPARE(ReadFile(path_), before);
}

void TestDb::temporarySpace_isBounded_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<bool>("oneTransaction");
    const QString sorted = "SELECT count(*) FROM (SELECT FileName FROM tempfile ORDER BY random())";
    QTest::newRow("rows made from nothing")
            << "WITH RECURSIVE r(n) AS (SELECT 1 UNION SELECT n + 1 FROM r) "
               "SELECT count(*) FROM r"
            << false << false;
    QTest::newRow("every row of the database sorted") << sorted << true << false;
    // Rows written and not yet committed are in the journal only, not in the database file.
    QTest::newRow("rows sorted in the transaction that wrote them") << sorted << true << true;
}

// The temporary files of a statement may outgrow the database only so far: a statement that
// makes rows without end stops instead of filling the disk, and one that sorts the database's
// own rows is never stopped.
void TestDb::temporarySpace_isBounded()
{
    SKIP_ON_SERVER();
    QFETCH(QString, sql);
    QFETCH(bool, fits);
    QFETCH(bool, oneTransaction);
    if (oneTransaction)
        db_.BeginTrans();
    const auto rollBack = qScopeGuard([&] {
        if (oneTransaction)
            db_.RollbackTrans();
    });
    db_.Execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
                "INSERT INTO tempfile (FileName) SELECT printf('%0400d', i) FROM n");
    const qint64 floor = db::TemporarySpaceFloor();
    db::SetTemporarySpaceFloor(qint64(1) << 20);
    const auto restore = qScopeGuard([floor] { db::SetTemporarySpaceFloor(floor); });
    QElapsedTimer timer;
    timer.start();
    const QString error = failureOf([&] { FirstColumn(db_, sql); });
    QVERIFY2(timer.elapsed() < 20000, qPrintable(QString::number(timer.elapsed())));
    if (fits) {
        QCOMPARE(error, QString());
    } else {
        QVERIFY2(error.startsWith("The statement was stopped: it needed more temporary space")
                         && error.contains("database or disk is full"),
                 qPrintable(error));
    }
    QCOMPARE(FirstColumn(db_, "SELECT count(*) FROM fileprofile"), QStringList{"6"});
}

void TestDb::open_runsInWal_data()
{
    QTest::addColumn<bool>("madeElsewhere");
    QTest::newRow("made by the program") << false;
    QTest::newRow("made in rollback mode by another tool") << true;
}

void TestDb::open_runsInWal()
{
    SKIP_ON_SERVER();
    QFETCH(bool, madeElsewhere);
    QString path = path_;
    if (madeElsewhere) {
        path = dir_->filePath("old.mdb");
        sqlite3 *raw = nullptr;
        QCOMPARE(sqlite3_open(path.toUtf8().constData(), &raw), SQLITE_OK);
        QCOMPARE(sqlite3_exec(raw, "PRAGMA journal_mode=DELETE; CREATE TABLE t (x);", nullptr,
                              nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close(raw);
    }
    db::Connection connection;
    connection.Open(db::ConnectStringFor(path));
    QCOMPARE(FirstColumn(connection, "PRAGMA journal_mode"), QStringList{"wal"});
}

void TestDb::open_stateCloseReopen()
{
    db::Connection connection;
    QCOMPARE(connection.State(), 0);
    QVERIFY(!failureOf([&] { connection.Execute("SELECT 1"); }).isEmpty());
    connection.ConnectionString = cs();
    connection.Open(); // the stored connection string
    QCOMPARE(connection.State(), 1);
    QVERIFY(!failureOf([&] { connection.Open(cs()); }).isEmpty());
    QCOMPARE(connection.State(), 1);
    connection.Close();
    QCOMPARE(connection.State(), 0);
    connection.Close(); // harmless twice
    connection.Open(cs());
    QCOMPARE(FirstColumn(connection, "SELECT webname FROM webname WHERE webid = 2"),
             QStringList{"Beta"});
    connection.Close();
    QVERIFY(failureOf([&] { connection.Open("Provider=x;"); }).contains("no database file"));
}

void TestDb::boundValues_roundTrip_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::newRow("single quote") << QVariant("O'Brien's");
    QTest::newRow("percent") << QVariant("100% done_");
    QTest::newRow("double quote") << QVariant("say \"hi\"");
    QTest::newRow("embedded NUL") << QVariant(QString("ab") + QChar(0) + "c\x7f" + QChar(0));
    QTest::newRow("non-ASCII") << QVariant(QString::fromUtf8("Grüße, 日本 🙂"));
    QTest::newRow("empty text stays text") << QVariant(QString(""));
    QTest::newRow("null stays null") << QVariant();
}

void TestDb::boundValues_roundTrip()
{
    QFETCH(QVariant, value);
    const QString insert = "INSERT INTO tblusers (userid, userpwd) VALUES ('u1', ?)";
    // A server's text cannot hold a NUL: refused whole rather than cut short.
    if (db_.engine().kind() == db::Engine::Kind::Server && value.toString().contains(QChar(0))) {
        QVERIFY(failureOf([&] { db_.Execute(insert, {value}); }).contains("NUL character"));
        QCOMPARE(FirstColumn(db_, "SELECT count(*) FROM tblusers WHERE userid = 'u1'"),
                 QStringList{"0"});
        return;
    }
    QCOMPARE(db_.Execute(insert, {value}), 1);
    db::Recordset rs;
    rs.Open("SELECT userpwd FROM tblusers WHERE userid = 'u1'", db_);
    QVERIFY(!rs.AtEnd());
    const QVariant back = rs.Fields("userpwd");
    QCOMPARE(back.isNull(), value.isNull());
    QCOMPARE(back.toString(), value.toString());
    QCOMPARE(back.toString().size(), value.toString().size());
    // The stored value is found again by the same bound value, and only by it.
    if (!value.isNull()) {
        const QString found = "SELECT userid FROM tblusers WHERE userpwd = ?";
        QCOMPARE(FirstColumn(db_, found, {value}), QStringList{"u1"});
        QCOMPARE(FirstColumn(db_, found, {value.toString() + "x"}), QStringList{});
    }
}

void TestDb::dialect_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("Trim in WHERE") << "select userid from tblusers where Trim(username)=?"
                                   << QVariantList{"John Smith"} << QStringList{"smith"};
    QTest::newRow("CStr of row number") << "select * from webname where trim(CStr(webid))=?"
                                        << QVariantList{"1"} << QStringList{"1"};
    QTest::newRow("CStr of null is null")
            << "select count(*) from fileprofile where CStr(FileGroup) is null" << QVariantList{}
            << QStringList{"1"};
    QTest::newRow("LIKE ignores ASCII case")
            << "select FileName from fileprofile where FileName like '%.txt' order by Inum"
            << QVariantList{} << QStringList{"readme.TXT", "notes.txt"};
    QTest::newRow("LIKE bound") << "select FileName from fileprofile where FileGroup like ? "
                                   "order by Inum"
                                << QVariantList{"DOC%"}
                                << QStringList{"readme.TXT", "notes.txt", "report 100%.pdf"};
    QTest::newRow("bracketed column")
            << "select title from source where [datetime] like ? order by [datetime]"
            << QVariantList{"2024-01-%"} << QStringList{"First", "Second"};
    QTest::newRow("DISTINCT, ORDER BY")
            << "select distinct FileGroup from fileprofile where "
               "FileGroup is not null order by FileGroup"
            << QVariantList{} << QStringList{"C++", "Docs", "Shell", "docs"};
    QTest::newRow("<> is exact")
            << "select FileName from fileprofile where FileGroup <> 'Docs' order by Inum"
            << QVariantList{} << QStringList{"main.cpp", "notes.txt", "build.sh"};
    QTest::newRow("row number as quoted text") << "Select FileName from fileprofile where Inum='5'"
                                               << QVariantList{} << QStringList{"report 100%.pdf"};
    QTest::newRow("row number bound as text")
            << "Select FileName from fileprofile where Inum=?" << QVariantList{"5"}
            << QStringList{"report 100%.pdf"};
    QTest::newRow("= on text is exact") << "select userid from tblusers where userid=?"
                                        << QVariantList{"Smith"} << QStringList{};
    QTest::newRow("NOT LIKE") << "select FileName from fileprofile where FileName not like "
                                 "'%.TXT' order by Inum"
                              << QVariantList{}
                              << QStringList{"main.cpp", "build.sh", "report 100%.pdf", "logo.png"};
    QTest::newRow("LIKE with escape, qualified")
            << "select f.FileName from fileprofile f where f.FileName like ? escape '\\'"
            << QVariantList{"%\\%%"} << QStringList{"report 100%.pdf"};
    // Case is ignored for ASCII letters alone, whatever collation the server was made with.
    QTest::newRow("LIKE keeps other letters' case, column")
            << "select userid from tblusers where username like ? order by userid"
            << QVariantList{"ÉRIC%"} << QStringList{"eric"};
    QTest::newRow("LIKE keeps other letters' case, value")
            << "select userid from tblusers where username like ?" << QVariantList{"éric%"}
            << QStringList{};
    QTest::newRow("LIKE keeps other letters' case, literal")
            << "select userid from tblusers where 'ÉCLAIR' like ?" << QVariantList{"écl%"}
            << QStringList{};
    QTest::newRow("NULL first ascending")
            << "select coalesce(FileGroup, '-') from fileprofile order by FileGroup, Inum"
            << QVariantList{} << QStringList{"-", "C++", "Docs", "Docs", "Shell", "docs"};
    QTest::newRow("NULL last descending")
            << "select coalesce(FileGroup, '-') from fileprofile order by FileGroup desc, Inum"
            << QVariantList{} << QStringList{"docs", "Shell", "Docs", "Docs", "C++", "-"};
    // "||" binds more tightly than LIKE: the whole concatenation is matched without case.
    QTest::newRow("LIKE on a concatenation")
            << "select FileName from fileprofile where FileGroup || FileName like ? order by Inum"
            << QVariantList{"DOCSREADME%"} << QStringList{"readme.TXT"};
    QTest::newRow("LIKE on a concatenated pattern")
            << "select FileName from fileprofile where FileName like ? || '%' order by Inum"
            << QVariantList{"READ"} << QStringList{"readme.TXT"};
    // A caseless comparison ignores the case of both sides.
    QTest::newRow("COLLATE NOCASE =")
            << "select FileName from fileprofile where FileName collate nocase = ?"
            << QVariantList{"README.txt"} << QStringList{"readme.TXT"};
    QTest::newRow("COLLATE NOCASE <>")
            << "select FileName from fileprofile where FileGroup collate nocase <> ? order by Inum"
            << QVariantList{"DOCS"} << QStringList{"main.cpp", "build.sh"};
    QTest::newRow("value = COLLATE NOCASE column")
            << "select FileName from fileprofile where ? = FileName collate nocase"
            << QVariantList{"NOTES.TXT"} << QStringList{"notes.txt"};
    QTest::newRow("COLLATE NOCASE = concatenation")
            << "select FileName from fileprofile where FileName collate nocase = ? || '.txt' "
               "order by Inum"
            << QVariantList{"README"} << QStringList{"readme.TXT"};
    QTest::newRow("COLLATE NOCASE order")
            << "select FileName from fileprofile order by FileName collate nocase, Inum"
            << QVariantList{} << QStringList{"build.sh",  "logo.png",   "main.cpp",
                                             "notes.txt", "readme.TXT", "report 100%.pdf"};
}

void TestDb::dialect()
{
    QFETCH(QString, sql);
    QFETCH(QVariantList, values);
    QFETCH(QStringList, expected);
    QCOMPARE(FirstColumn(db_, sql, values), expected);
}

void TestDb::serverStatement_data()
{
    // expected: the statement in the server's words, blanks aside; empty when it is refused.
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("expected");
    QTest::newRow("LIKE takes the whole concatenation")
            << "select 1 from t where a || b LIKE ?"
            << "select1fromtwherelower(a||b)LIKElower(?::textCOLLATE\"C\")";
    QTest::newRow("LIKE takes the whole pattern")
            << "select 1 from t where a LIKE ? || '%' escape '\\'"
            << "select1fromtwherelower(a)LIKElower(?||'%'COLLATE\"C\")escape'\\'";
    QTest::newRow("COLLATE NOCASE = lowers the value")
            << "select 1 from t where a COLLATE NOCASE = ?"
            << "select1fromtwherelower(a)=lower(?::textCOLLATE\"C\")";
    QTest::newRow("COLLATE NOCASE >= lowers the value")
            << "select 1 from t where a COLLATE NOCASE >= ? and b = ?"
            << "select1fromtwherelower(a)>=lower(?::textCOLLATE\"C\")andb=?";
    QTest::newRow("value = COLLATE NOCASE")
            << "select 1 from t where ? = a COLLATE NOCASE"
            << "select1fromtwherelower(?::textCOLLATE\"C\")=lower(a)";
    QTest::newRow("COLLATE NOCASE in order") << "select a from t order by a COLLATE NOCASE"
                                             << "selectafromtorderbylower(a)NULLSFIRST";
    QTest::newRow("comment") << "select 1 from t -- all"
                             << "";
    QTest::newRow("block comment") << "select /* one */ 1 from t"
                                   << "";
    QTest::newRow("numbered value") << "select 1 from t where a = ?1"
                                    << "";
    QTest::newRow("named value") << "select 1 from t where a = :a"
                                 << "";
    QTest::newRow("quote left open") << "select 1 from t where a = 'x"
                                     << "";
    QTest::newRow("caseless IN") << "select 1 from t where a COLLATE NOCASE IN (?, ?)"
                                 << "";
    QTest::newRow("caseless BETWEEN") << "select 1 from t where a COLLATE NOCASE BETWEEN ? AND ?"
                                      << "";
}

void TestDb::serverStatement()
{
    QFETCH(QString, sql);
    QFETCH(QString, expected);
    QString translated;
    const QString failure = failureOf([&] { translated = db::ServerStatement(sql); });
    if (expected.isEmpty()) {
        QVERIFY2(failure.startsWith("The statement cannot be put into the database server's "
                                    "words"),
                 qPrintable(failure + translated));
        return;
    }
    QCOMPARE(failure, QString());
    QCOMPARE(translated.remove(QRegularExpression("\\s")), expected);
}

void TestDb::untranslatable_isRefused_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariantList>("values");
    QTest::newRow("comment") << "select userid from tblusers where userid = ? -- one user"
                             << QVariantList{"smith"};
    QTest::newRow("numbered value")
            << "select userid from tblusers where userid = ?1" << QVariantList{"smith"};
    QTest::newRow("caseless IN") << "select userid from tblusers where userid collate nocase in (?)"
                                 << QVariantList{"SMITH"};
}

void TestDb::untranslatable_isRefused()
{
    QFETCH(QString, sql);
    QFETCH(QVariantList, values);
    QString failure;
    QStringList rows;
    failure = failureOf([&] { rows = FirstColumn(db_, sql, values); });
    if (db_.engine().kind() == db::Engine::Kind::File) {
        // The file's engine reads the statement as written.
        QCOMPARE(failure, QString());
        QCOMPARE(rows.size(), 1);
        return;
    }
    // Never sent on as it stands, where it would mean something else or fail in other words.
    QVERIFY2(failure.startsWith("The statement cannot be put into the database server's words"),
             qPrintable(failure));
    QCOMPARE(rows, QStringList{});
}

void TestDb::tableScript_keepsLiterals_data()
{
    // literal: a value as the script writes it; stored: what a row holds afterwards.
    QTest::addColumn<QString>("literal");
    QTest::addColumn<QString>("stored");
    QTest::newRow("semicolon") << "'x;y'"
                               << "x;y";
    QTest::newRow("line comment") << "'--z; -- not a comment'"
                                  << "--z; -- not a comment";
    QTest::newRow("block comment") << "'/* kept; */'"
                                   << "/* kept; */";
    QTest::newRow("doubled quote") << "'it''s; -- kept'"
                                   << "it's; -- kept";
    QTest::newRow("line break") << "'one;\n-- two'"
                                << "one;\n-- two";
}

void TestDb::tableScript_keepsLiterals()
{
    QFETCH(QString, literal);
    QFETCH(QString, stored);
    const QString script =
            QStringLiteral("-- Notes; a comment with 'a quote\n"
                           "CREATE TABLE notes (id INTEGER PRIMARY KEY, body TEXT DEFAULT %1);\n"
                           "/* one; more -- comment */\n"
                           "INSERT INTO notes (id, body) VALUES (1, %1); -- done; 'really\n"
                           "INSERT INTO notes (id) VALUES (2);\n")
                    .arg(literal);
    db::Connection made;
    if (db_.engine().kind() == db::Engine::Kind::Server) {
        db::CreateServerDatabase(database_->address, script);
        made.Open(cs());
    } else {
        const QString path = dir_->filePath("notes.db");
        db::CreateDatabaseFile(path, script);
        made.Open(db::ConnectStringFor(path));
    }
    QCOMPARE(FirstColumn(made, "SELECT body FROM notes ORDER BY id"),
             (QStringList{stored, stored}));
}

void TestDb::serverSession_data()
{
    // options: what the address asks of the session, besides the test's schema.
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("workers");
    QTest::newRow("no helper processes for a keystroke") << ""
                                                         << "0";
    QTest::newRow("unless the address asks for them") << "-cmax_parallel_workers_per_gather%3D3%20"
                                                      << "3";
}

void TestDb::serverSession()
{
    QFETCH(QString, options);
    QFETCH(QString, workers);
    if (TestServer().isEmpty())
        QSKIP("a test of a server's session");
    QString address = database_->address;
    address.replace("options=", "options=" + options);
    db::Connection session;
    session.Open(db::ConnectStringFor(address));
    QCOMPARE(FirstColumn(session, "SHOW max_parallel_workers_per_gather"), QStringList{workers});
    QCOMPARE(FirstColumn(session, "SELECT count(*) FROM tblusers").size(), 1);
}

void TestDb::insert_givesFreshRowNumber()
{
    db_.Execute("INSERT INTO fileprofile (FileName) VALUES ('a')");
    const QStringList first = FirstColumn(db_, "SELECT max(Inum) FROM fileprofile");
    QCOMPARE(first, QStringList{"7"});
    // A deleted row's number is not handed out again: old references must not find a new row.
    db_.Execute("DELETE FROM fileprofile WHERE Inum = 7");
    db_.Execute("INSERT INTO fileprofile (FileName) VALUES ('b')");
    QCOMPARE(FirstColumn(db_, "SELECT Inum FROM fileprofile WHERE FileName = 'b'"),
             QStringList{"8"});
}

void TestDb::recordset_walksRowsAndFields()
{
    db::Recordset rs;
    rs.Open("SELECT Inum, FileName, FileGroup FROM fileprofile WHERE Inum >= ? ORDER BY Inum", db_,
            {5});
    QCOMPARE(rs.State(), 1);
    QCOMPARE(rs.RecordCount(), 2);
    QCOMPARE(rs.FieldCount(), 3);
    QCOMPARE(rs.FieldName(1), "FileName");
    QCOMPARE(rs.Fields(0).toInt(), 5);
    QCOMPARE(rs.Fields("FILENAME").toString(), "report 100%.pdf");
    QCOMPARE(rs.Fields("filegroup").toString(), "Docs");
    QVERIFY(failureOf([&] { rs.Fields("FileDesc"); }).contains(kNotFound));
    QVERIFY(failureOf([&] { rs.Fields(3); }).contains(kNotFound));
    rs.MoveNext();
    QVERIFY(!rs.AtEnd());
    QCOMPARE(rs.Fields("FileName").toString(), "logo.png");
    QVERIFY(rs.Fields("FileGroup").isNull());
    rs.MoveNext();
    QVERIFY(rs.AtEnd());
    QVERIFY(!failureOf([&] { rs.Fields(0); }).isEmpty());
    QVERIFY(!failureOf([&] { rs.MoveNext(); }).isEmpty());
    rs.MoveFirst();
    QCOMPARE(rs.Fields(0).toInt(), 5);
    QVERIFY(failureOf([&] { rs.Open("SELECT 1", db_); }).contains("open"));
    rs.Close();
    QCOMPARE(rs.State(), 0);
    QVERIFY(rs.AtEnd());
}

void TestDb::recordset_emptyAndRowlessStatements()
{
    db::Recordset rs;
    rs.Open("SELECT * FROM fileprofile WHERE FileName = ?", db_, {"none"});
    QCOMPARE(rs.State(), 1);
    QVERIFY(rs.AtEnd());
    QCOMPARE(rs.RecordCount(), 0);
    rs.Close();
    const QStringList rowless = {"INSERT INTO CodeTypes (CodeType) VALUES ('x')",
                                 "UPDATE CodeTypes SET CodeType = 'y' WHERE CodeType = 'x'",
                                 "DELETE FROM CodeTypes WHERE CodeType = 'y'"};
    for (const QString &sql : rowless) {
        rs.Open(sql, db_);
        QCOMPARE(rs.State(), 0);
        QVERIFY(rs.AtEnd());
    }
    QCOMPARE(FirstColumn(db_, "SELECT count(*) FROM CodeTypes WHERE CodeType IN ('x', 'y')"),
             QStringList{"0"});
    // The engine's own words reach the caller.
    QVERIFY(failureOf([&] { rs.Open("SELECT * FROM nosuch", db_); }).contains("nosuch"));
    QCOMPARE(rs.State(), 0);
}

void TestDb::recordset_requerySeesNewRows()
{
    static_assert(std::is_same_v<decltype(db::Recordset().RecordCount()), qint64>);
    db::Recordset rs;
    rs.Open("SELECT webname FROM webname WHERE webname LIKE ? ORDER BY webid", db_, {"%a"});
    QCOMPARE(rs.RecordCount(), 2);
    rs.MoveNext();
    db::Connection other;
    other.Open(cs());
    other.Execute("INSERT INTO webname (webname) VALUES ('Gamma')");
    QCOMPARE(rs.RecordCount(), 2); // a snapshot until asked again
    rs.Requery();
    QCOMPARE(rs.RecordCount(), 3);
    QCOMPARE(rs.Fields(0).toString(), "Alpha"); // back at the first row
    rs.Close();
    QVERIFY(!failureOf([&] { rs.Requery(); }).isEmpty());
}

void TestDb::recordset_snapshotHoldsNoLock()
{
    fillTempfile(2000);
    db::Recordset rs;
    rs.Open("SELECT Inum, FileName FROM tempfile ORDER BY Inum", db_);
    db::Connection other;
    other.Open(cs());
    QCOMPARE(other.Execute("DELETE FROM tempfile"), 2000);
    QCOMPARE(rs.RecordCount(), 2000);
    rs.MoveNext();
    QCOMPARE(rs.Fields("FileName").toString(), "file2");
}

void TestDb::dataControl_fetchesLazily()
{
    static_assert(std::is_same_v<decltype(db::DataControl().RecordCount()), qint64>);
    fillTempfile(2000);
    db::DataControl grid;
    grid.ConnectionString = cs();
    grid.setRecordSource("SELECT Inum, FileName FROM tempfile WHERE Inum > ? ORDER BY Inum", {10});
    grid.Refresh();
    QCOMPARE(grid.RecordCount(), 1990);
    QCOMPARE(grid.model()->rowCount(), 1990); // the scroll bar spans every row at once
    QVERIFY2(grid.model()->heldRows() < 1990, "every row was read at once");
    QCOMPARE(grid.CurrentRow(), 0);
    QCOMPARE(grid.Caption(), "1 of 1990");
    QCOMPARE(grid.Fields("filename").toString(), "file11");
    grid.setCurrentRow(1500);
    QCOMPARE(grid.Fields("FileName").toString(), "file1511");
    QCOMPARE(grid.Caption(), "1501 of 1990");
    grid.setCurrentRow(1990); // past the end: ignored
    grid.setCurrentRow(-1);
    QCOMPARE(grid.CurrentRow(), 1500);
    QVERIFY(failureOf([&] { grid.Fields("Author2"); }).contains(kNotFound));
    grid.Refresh(); // keeps the current row
    QCOMPARE(grid.Caption(), "1501 of 1990");
}

void TestDb::dataControl_otherConnectionWritesWhileRowsUnfetched()
{
    fillTempfile(2000);
    db::DataControl grid;
    grid.ConnectionString = cs();
    grid.setRecordSource("SELECT Inum, FileName FROM tempfile ORDER BY Inum");
    grid.setUpdateTarget("tempfile", "Inum");
    grid.Refresh();
    QVERIFY(grid.model()->heldRows() < grid.RecordCount());
    db::Connection other;
    other.Open(cs());
    // The grid's open read must not hold off another connection's write.
    qint64 changed = 0;
    QCOMPARE(failureOf([&] {
                 changed =
                         other.Execute("UPDATE tempfile SET FileName = 'theirs' WHERE Inum = 1500");
             }),
             QString());
    QCOMPARE(changed, 1);
    QCOMPARE(other.Execute("DELETE FROM tempfile WHERE Inum = 2000"), 1);
    // The grid's next look at the table sees what the other connection wrote.
    grid.Refresh();
    QCOMPARE(grid.RecordCount(), 1999);
    grid.setCurrentRow(1499);
    QCOMPARE(grid.Fields("FileName").toString(), "theirs");
    // And its own edit after another outside change, with rows still unfetched, goes through.
    grid.setCurrentRow(3);
    QCOMPARE(other.Execute("UPDATE tempfile SET FileName = 'again' WHERE Inum = 1"), 1);
    QVERIFY(grid.model()->heldRows() < grid.RecordCount());
    QCOMPARE(failureOf([&] { grid.UpdateCurrent({{"FileName", "mine"}}); }), QString());
    QCOMPARE(FirstColumn(other, "SELECT FileName FROM tempfile WHERE Inum IN (1, 4) ORDER BY Inum"),
             (QStringList{"again", "mine"}));
}

void TestDb::dataControl_editsTargetTable()
{
    db::DataControl grid;
    grid.ConnectionString = cs();
    grid.setRecordSource("SELECT * FROM fileprofile ORDER BY Inum");
    grid.setUpdateTarget("fileprofile", "Inum");
    grid.Refresh();
    QCOMPARE(grid.Caption(), "1 of 6");

    grid.AddNew({{"FileName", "new.txt"}, {"FileDesc", "it's 100% \"new\""}});
    QCOMPARE(grid.Caption(), "7 of 7");
    QCOMPARE(grid.Fields("FileName").toString(), "new.txt");
    QCOMPARE(FirstColumn(db_, "SELECT FileDesc FROM fileprofile WHERE FileName = 'new.txt'"),
             QStringList{"it's 100% \"new\""});

    // A change the engine refuses is reported, and the grid still shows its rows.
    QVERIFY(failureOf([&] { grid.AddNew({{"Inum", 3}}); }).contains("UNIQUE", Qt::CaseInsensitive));
    QCOMPARE(grid.Caption(), "7 of 7");
    QCOMPARE(grid.Fields("FileName").toString(), "new.txt");

    grid.setCurrentRow(1);
    grid.UpdateCurrent({{"FileGroup", "C"}, {"Author", QVariant()}});
    QCOMPARE(grid.Caption(), "2 of 7");
    QCOMPARE(grid.Fields("FileGroup").toString(), "C");
    QCOMPARE(FirstColumn(db_, "SELECT FileName FROM fileprofile WHERE FileGroup = 'C'"),
             QStringList{"main.cpp"}); // only the current row changed

    grid.DeleteCurrent();
    QCOMPARE(grid.Caption(), "2 of 6");
    QCOMPARE(grid.Fields("FileName").toString(), "notes.txt");
    QCOMPARE(FirstColumn(db_, "SELECT count(*) FROM fileprofile WHERE Inum = 2"), QStringList{"0"});
    grid.setCurrentRow(5);
    grid.DeleteCurrent(); // the last row: the one before it becomes current
    QCOMPARE(grid.Caption(), "5 of 5");
    QCOMPARE(grid.Fields("FileName").toString(), "logo.png");
}

void TestDb::dataControl_noRowsAndNoTarget()
{
    db::DataControl grid;
    grid.ConnectionString = cs();
    grid.setRecordSource("SELECT * FROM fileprofile WHERE FileGroup = ?", {"Images"});
    grid.Refresh();
    QCOMPARE(grid.RecordCount(), 0);
    QCOMPARE(grid.CurrentRow(), -1);
    QCOMPARE(grid.Caption(), "0 of 0");
    QVERIFY(!failureOf([&] { grid.Fields("FileName"); }).isEmpty());

    grid.setRecordSource("SELECT * FROM fileprofile");
    grid.Refresh();
    QCOMPARE(grid.RecordCount(), 6);
    QVERIFY(!failureOf([&] { grid.DeleteCurrent(); }).isEmpty()); // no table to change
    QVERIFY(!failureOf([&] { grid.AddNew({{"FileName", "x"}}); }).isEmpty());
    QCOMPARE(FirstColumn(db_, "SELECT count(*) FROM fileprofile"), QStringList{"6"});
}

void TestDb::failedStatements_areTold_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("fails");
    QTest::newRow("misspelt") << "SELEC 1" << QVariantList() << "execute" << true;
    QTest::newRow("no such table")
            << "SELECT * FROM nowhere" << QVariantList() << "records" << true;
    QTest::newRow("taken row number")
            << "INSERT INTO fileprofile (Inum) VALUES (?)" << QVariantList{1} << "execute" << true;
    QTest::newRow("bad read") << "SELECT json(FileName) FROM fileprofile" << QVariantList()
                              << "reader" << true;
    QTest::newRow("sound") << "SELECT FileName FROM fileprofile WHERE FileName = ?"
                           << QVariantList{"x'); DROP TABLE fileprofile; --"} << "reader" << false;
}

// However the caller handles a failure, the listener hears of it first, with the statement and
// the engine's words.
void TestDb::failedStatements_areTold()
{
    QFETCH(QString, sql);
    QFETCH(QVariantList, values);
    QFETCH(QString, how);
    QFETCH(bool, fails);
    QStringList told;
    db::SetFailureListener([&](const QString &statement, const QString &description) {
        told << statement << description;
    });
    const QString failure = failureOf([&] {
        if (how == "execute") {
            db_.Execute(sql, values);
        } else if (how == "records") {
            db::Recordset rows;
            rows.Open(sql, db_, values);
        } else {
            db::Reader rows;
            rows.Open(sql, db_, values);
            for (; !rows.AtEnd(); rows.MoveNext()) { }
        }
    });
    db::SetFailureListener({});
    QCOMPARE(!failure.isEmpty(), fails);
    QCOMPARE(told, fails ? QStringList({sql, failure}) : QStringList());
}

void TestDb::createDatabaseFile()
{
    SKIP_ON_SERVER();
    const QString schema = "CREATE TABLE a (id INTEGER PRIMARY KEY, t TEXT);\n"
                           "CREATE TABLE b (x TEXT);";
    const QString existing = dir_->filePath("existing.mdb");
    QVERIFY(WriteFile(existing, "keep me"));
    QVERIFY(!failureOf([&] { db::CreateDatabaseFile(existing, schema); }).isEmpty());
    QCOMPARE(ReadFile(existing), QByteArray("keep me"));
    QVERIFY(!failureOf([&] { db::CreateDatabaseFile(path_, schema); }).isEmpty());
    QCOMPARE(FirstColumn(db_, "SELECT count(*) FROM fileprofile"), QStringList{"6"});

    // A schema the engine rejects leaves no half-made file behind.
    const QString broken = dir_->filePath("broken.mdb");
    QVERIFY(!failureOf([&] {
                 db::CreateDatabaseFile(broken, schema + "\nCREATE nonsense;");
             }).isEmpty());
    QVERIFY(!QFileInfo::exists(broken));

    db::CreateDatabaseFile(broken, schema);
    db::Connection connection;
    connection.Open(db::ConnectStringFor(broken));
    QCOMPARE(FirstColumn(connection,
                         "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY 1"),
             (QStringList{"a", "b"}));
    QCOMPARE(FirstColumn(connection, "PRAGMA journal_mode"), QStringList{"wal"});
}

REGISTER_TEST(TestDb)
#include "tst_db.moc"
