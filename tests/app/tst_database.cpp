#include "Fixture.h"
#include "TestRegistry.h"
#include "app/CreateDatabase.h"
#include "app/modGlobals.h"
#include "app/session.h"
#include "platform/db/ConnectString.h"
#include "platform/db/DbError.h"
#include "security/Password.h"

#include <QFile>
#include <QTest>

class TestDatabase : public QObject
{
    Q_OBJECT
private slots:
    void newDatabaseHoldsTheStartingRows();
    void existingFileIsNeverTouched();
    void sessionReopensAndReusesRecordsets();
};

void TestDatabase::newDatabaseHoldsTheStartingRows()
{
    Fixture f;
    QCOMPARE(f.column("select CodeType from CodeTypes order by inum").value(0),
             QStringLiteral("[All Groups]"));
    QCOMPARE(f.column("select usergroup from tblusers where userid = 'admin'"),
             QStringList{"Administrator"});
    QVERIFY(VerifyPassword(f.column("select userpwd from tblusers where userid = 'admin'").value(0),
                           "rowan"));
    const QStringList reports =
            f.column("select Rgroup || ':' || group_concat(id, ',') from "
                     "(select Rgroup, id from tblreports order by Rgroup, id) group by Rgroup");
    QCOMPARE(reports, QStringList({"1:1,2,3,13,14", "2:5,6,7,15,16", "3:8,9,10", "4:11"}));
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

REGISTER_TEST(TestDatabase)
#include "tst_database.moc"
