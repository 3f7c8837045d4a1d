#include "Fixture.h"
#include "TestRegistry.h"
#include "app/CreateDatabase.h"
#include "app/modGlobals.h"
#include "platform/db/ConnectString.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/db/Prepared.h"
#include "platform/db/Recordset.h"
#include "platform/db/Transaction.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

template<typename F> QString failureOf(F &&f)
{
    try {
        f();
    } catch (const db::DbError &error) {
        return error.description();
    }
    return {};
}

// A failure that is not the database's.
struct Elsewhere
{
};

const QString kInsertUser =
        QStringLiteral("INSERT INTO tblusers (userid, username, userpwd) VALUES (?, ?, ?)");

} // namespace

class TestTransactions : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void transaction_ends_data();
    void transaction_ends();
    void transaction_misuse_data();
    void transaction_misuse();

    void lockWait_boundedAndTold_data();
    void lockWait_boundedAndTold();

    void largeWrite_givesTheCacheBack();
    void prepared_reusedForManyRows();
    void prepared_failedExecutionLeavesItReusable_data();
    void prepared_failedExecutionLeavesItReusable();
    void prepared_outlivesItsConnection();

private:
    QStringList users() { return FirstColumn(db_, "SELECT userid FROM tblusers ORDER BY userid"); }
    // What another connection sees: only what has been committed.
    QStringList committedUsers();

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<ScratchDatabase> database_;
    QString path_;
    db::Connection db_;
};

void TestTransactions::init()
{
    QTest::failOnWarning(QRegularExpression("still in use"));
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    database_ = std::make_unique<ScratchDatabase>(dir_->path(), QStringLiteral("catalog.mdb"));
    path_ = database_->address;
    CreateDatabase(path_);
    db_.Open(db::ConnectStringFor(path_));
    db_.Execute("DELETE FROM tblusers");
}

void TestTransactions::cleanup()
{
    db_.Close();
    database_.reset();
    dir_.reset();
}

QStringList TestTransactions::committedUsers()
{
    db::Connection other;
    other.Open(db::ConnectStringFor(path_));
    return FirstColumn(other, "SELECT userid FROM tblusers ORDER BY userid");
}

void TestTransactions::transaction_ends_data()
{
    QTest::addColumn<QString>("ending");
    QTest::addColumn<bool>("kept");
    QTest::newRow("CommitTrans") << "commit" << true;
    QTest::newRow("guard committed") << "guard commit" << true;
    QTest::newRow("RollbackTrans") << "rollback" << false;
    QTest::newRow("guard left without Commit") << "guard" << false;
    QTest::newRow("guard left by a failure half-way") << "guard failure" << false;
    QTest::newRow("guard left by another exception") << "guard exception" << false;
    QTest::newRow("commit refused by the engine") << "commit refused" << false;
    QTest::newRow("connection closed") << "close" << false;
}

void TestTransactions::transaction_ends()
{
    QFETCH(QString, ending);
    QFETCH(bool, kept);
    // A deferred check that fails only at commit, to make the engine refuse one.
    db_.Execute("CREATE TABLE parent (id INTEGER PRIMARY KEY)");
    db_.Execute("CREATE TABLE child (pid INTEGER REFERENCES parent (id) DEFERRABLE INITIALLY "
                "DEFERRED)");
    if (TestServer().isEmpty())
        db_.Execute("PRAGMA foreign_keys = ON"); // a server always checks them
    const QStringList written = {"ann", "bob", "cy"};
    const auto write = [&](int rows) {
        db::Prepared insert(db_, kInsertUser);
        for (int i = 0; i < rows; ++i)
            insert.Execute({written.value(i, "ann"), QVariant(), QVariant()});
    };

    QString error;
    if (ending.startsWith("guard")) {
        error = failureOf([&] {
            try {
                db::Transaction transaction(db_);
                // The fourth row repeats the first one's key.
                write(ending == "guard failure" ? 4 : 3);
                QVERIFY(db_.InTransaction());
                QCOMPARE(committedUsers(), QStringList());
                if (ending == "guard exception")
                    throw Elsewhere();
                if (ending == "guard commit")
                    transaction.Commit();
            } catch (const Elsewhere &) { }
        });
    } else {
        db_.BeginTrans();
        write(3);
        QVERIFY(db_.InTransaction());
        if (ending == "commit") {
            db_.CommitTrans();
        } else if (ending == "rollback") {
            db_.RollbackTrans();
        } else if (ending == "commit refused") {
            db_.Execute("INSERT INTO child (pid) VALUES (99)");
            error = failureOf([&] { db_.CommitTrans(); });
        } else if (ending == "close") {
            db_.Close();
            db_.Open(db::ConnectStringFor(path_));
        }
    }
    QCOMPARE(error.isEmpty(), ending != "guard failure" && ending != "commit refused");
    QVERIFY2(!db_.InTransaction(), "left open");
    QCOMPARE(committedUsers(), kept ? written : QStringList());
    QCOMPARE(FirstColumn(db_, "SELECT count(*) FROM child"), QStringList{"0"});
    // The connection takes the next piece of work as usual.
    db::Transaction next(db_);
    QCOMPARE(db_.Execute(kInsertUser, {"dee", "", ""}), 1);
    next.Commit();
    QVERIFY(committedUsers().contains("dee"));
}

void TestTransactions::transaction_misuse_data()
{
    QTest::addColumn<QString>("misuse");
    QTest::addColumn<QString>("error");
    QTest::newRow("BeginTrans twice") << "begin" << db::kTransactionOpen;
    QTest::newRow("guard inside BeginTrans") << "guard" << db::kTransactionOpen;
    QTest::newRow("begun through a statement") << "statement" << db::kTransactionOpen;
    QTest::newRow("CommitTrans without BeginTrans") << "commit" << db::kNoTransaction;
    QTest::newRow("RollbackTrans without BeginTrans is harmless") << "rollback" << QString();
}

void TestTransactions::transaction_misuse()
{
    QFETCH(QString, misuse);
    QFETCH(QString, error);
    const bool begun = misuse == "begin" || misuse == "guard" || misuse == "statement";
    if (misuse == "statement")
        db_.Execute("BEGIN");
    else if (begun)
        db_.BeginTrans();
    db_.Execute(kInsertUser, {"ann", "", ""});
    QCOMPARE(failureOf([&] {
                 if (misuse == "begin" || misuse == "statement")
                     db_.BeginTrans();
                 else if (misuse == "guard")
                     db::Transaction inner(db_);
                 else if (misuse == "commit")
                     db_.CommitTrans();
                 else if (misuse == "rollback")
                     db_.RollbackTrans();
             }),
             error);
    // A refused begin leaves the open transaction as it was, its rows still to be committed.
    QCOMPARE(db_.InTransaction(), begun);
    QCOMPARE(committedUsers(), begun ? QStringList() : QStringList{"ann"});
    if (begun)
        db_.CommitTrans();
    QCOMPARE(committedUsers(), QStringList{"ann"});
}

void TestTransactions::lockWait_boundedAndTold_data()
{
    QTest::addColumn<bool>("inTransaction");
    QTest::newRow("a statement") << false;
    QTest::newRow("a transaction") << true;
}

// A write that finds another desk holding the lock waits its time, then fails in words a user
// understands, the engine's own words kept; once the lock is gone the same write succeeds.
void TestTransactions::lockWait_boundedAndTold()
{
    QFETCH(bool, inTransaction);
    const int saved = db::LockWait();
    db::SetLockWait(300);
    const auto restore = qScopeGuard([saved] { db::SetLockWait(saved); });
    db_.Execute(kInsertUser, {"held", "Held", "x"});
    const QString update = "UPDATE tblusers SET username = ? WHERE userid = 'held'";
    db::Connection holder;
    holder.Open(db::ConnectStringFor(path_));
    db::Connection waiter;
    waiter.Open(db::ConnectStringFor(path_));
    holder.BeginTrans();
    holder.Execute(update, {"Holder"});

    const auto write = [&] {
        if (!inTransaction) {
            waiter.Execute(update, {"Waiter"});
            return;
        }
        db::Transaction transaction(waiter);
        waiter.Execute(update, {"Waiter"});
        transaction.Commit();
    };
    QElapsedTimer timer;
    timer.start();
    const QString error = failureOf(write);
    const qint64 waited = timer.elapsed();
    const QString engine = TestServer().isEmpty() ? "(database is locked)"
                                                  : "(canceling statement due to lock timeout)";
    QCOMPARE(error, db::kBusyElsewhere + " " + engine);
    QVERIFY2(waited >= 250 && waited < 3000, qPrintable(QString::number(waited)));
    QVERIFY(!waiter.InTransaction());

    holder.CommitTrans();
    QCOMPARE(failureOf(write), QString());
    QCOMPARE(FirstColumn(db_, "SELECT username FROM tblusers WHERE userid = 'held'"),
             QStringList{"Waiter"});
}

// A large write enlarges a file's cache for its work only.
void TestTransactions::largeWrite_givesTheCacheBack()
{
    SKIP_ON_SERVER();
    const QStringList usual = FirstColumn(db_, "PRAGMA cache_size");
    {
        const db::LargeWrite large(db_);
        QVERIFY(FirstColumn(db_, "PRAGMA cache_size") != usual);
    }
    QCOMPARE(FirstColumn(db_, "PRAGMA cache_size"), usual);
}

void TestTransactions::prepared_reusedForManyRows()
{
    const QVariantList names = {"O'Brien's",
                                "100% done_",
                                "say \"hi\"",
                                QString(""),
                                QVariant(),
                                "a;b--",
                                QString::fromUtf8("Grüße 🙂")};
    db::Transaction transaction(db_);
    db::Prepared insert(db_, kInsertUser);
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(insert.Execute({QString("u%1").arg(i), names[i], i}), 1);
    for (int i = names.size(); i < 1000; ++i)
        insert.Execute({QString("u%1").arg(i), "bulk", i});
    db::Prepared rename(db_, "UPDATE tblusers SET username = ? WHERE username = ?");
    QCOMPARE(rename.Execute({"many", "bulk"}), 1000 - names.size());
    QCOMPARE(rename.Execute({"none", "bulk"}), 0);
    transaction.Commit();

    db::Recordset back;
    back.Open("SELECT username FROM tblusers ORDER BY CAST(userpwd AS INTEGER)", db_);
    for (const QVariant &name : names) {
        QCOMPARE(back.Fields(0).isNull(), name.isNull());
        QCOMPARE(back.Fields(0).toString(), name.toString());
        back.MoveNext();
    }
    QCOMPARE(FirstColumn(db_, "SELECT count(*) FROM tblusers WHERE username = 'many'"),
             QStringList{"993"});
}

void TestTransactions::prepared_failedExecutionLeavesItReusable_data()
{
    QTest::addColumn<QVariantList>("bad");
    QTest::addColumn<QString>("error");
    // The engine's own words, in either engine's phrasing.
    const QString count = "parameter count|number of parameters";
    QTest::newRow("key already taken") << QVariantList{"ann", "x", "x"} << "unique";
    QTest::newRow("required value missing") << QVariantList{QVariant(), "x", "x"} << "not.null";
    QTest::newRow("too few values") << QVariantList{"eve"} << count;
    QTest::newRow("too many values") << QVariantList{"eve", "x", "x", "x"} << count;
}

void TestTransactions::prepared_failedExecutionLeavesItReusable()
{
    QFETCH(QVariantList, bad);
    QFETCH(QString, error);
    db::Prepared insert(db_, kInsertUser);
    QCOMPARE(insert.Execute({"ann", "Ann", "secret"}), 1);
    const QString failure = failureOf([&] { insert.Execute(bad); });
    QVERIFY2(failure.contains(QRegularExpression(error, QRegularExpression::CaseInsensitiveOption)),
             qPrintable(failure));
    QCOMPARE(insert.Execute({"bob", "Bob", QVariant()}), 1);
    QCOMPARE(users(), (QStringList{"ann", "bob"}));
    // Nothing of the failed values, nor of the earlier ones, stayed bound.
    QCOMPARE(FirstColumn(db_, "SELECT count(*) FROM tblusers WHERE userpwd IS NULL"),
             QStringList{"1"});
}

void TestTransactions::prepared_outlivesItsConnection()
{
    QVERIFY(failureOf([&] {
                db::Prepared bad(db_, "INSERT INTO nosuch VALUES (?)");
            }).contains("nosuch"));
    auto connection = std::make_unique<db::Connection>();
    QCOMPARE(failureOf([&] { db::Prepared early(*connection, kInsertUser); }), db::kObjectClosed);
    connection->Open(db::ConnectStringFor(path_));
    db::Prepared insert(*connection, kInsertUser);
    insert.Execute({"ann", "", ""});
    // Closing lets the statement go (no warning that the connection is in use), even reopened.
    connection->Close();
    QCOMPARE(failureOf([&] { insert.Execute({"bob", "", ""}); }), db::kObjectClosed);
    connection->Open(db::ConnectStringFor(path_));
    QCOMPARE(failureOf([&] { insert.Execute({"bob", "", ""}); }), db::kObjectClosed);
    connection.reset();
    QCOMPARE(failureOf([&] { insert.Execute({"bob", "", ""}); }), db::kObjectClosed);
    QCOMPARE(users(), QStringList{"ann"});
}

REGISTER_TEST(TestTransactions)
#include "tst_transactions.moc"
