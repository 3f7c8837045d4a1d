// Writes 100,000 rows through the database layer in one transaction with one prepared
// statement, then copies them with one insert-select into a catalogue of 1,000,000 rows.
#include "app/CreateDatabase.h"
#include "app/modGlobals.h"
#include "platform/db/ConnectString.h"
#include "platform/db/Connection.h"
#include "platform/db/Prepared.h"
#include "platform/db/Recordset.h"
#include "platform/db/Transaction.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int kCatalogue = 1'000'000;
constexpr int kStaged = 100'000;
constexpr int kAlone = 200; // single inserts, each its own transaction, for comparison

const QString kColumns = QStringLiteral(
        "FileName, FileDesc, FilePath, FileGroup, FileDate, Drive, Directory, FSize");

QVariantList stagedRow(int i)
{
    const QString directory = QStringLiteral("/data/import/folder%1").arg(i / 10);
    const QString name = QStringLiteral("file%1.txt").arg(i);
    return {name,
            QStringLiteral("it's file %1, 100% imported").arg(i),
            directory + QLatin1Char('/') + name,
            QStringLiteral("Group %1").arg(i % 25),
            QStringLiteral("2024-05-%1 12:00:00").arg(1 + i % 28, 2, 10, QLatin1Char('0')),
            QStringLiteral("/"),
            directory,
            QString::number(1000 + i)};
}

QString insertInto(const QString &table)
{
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (?, ?, ?, ?, ?, ?, ?, ?)")
            .arg(table, kColumns);
}

qint64 countOf(db::Connection &connection, const QString &table)
{
    db::Recordset rows;
    rows.Open(QStringLiteral("SELECT count(*) FROM ") + table, connection);
    return rows.Fields(0).toLongLong();
}

double secondsOf(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e9;
}

// The catalogue a long-used database holds, written by the engine in one statement.
void fillCatalogue(db::Connection &connection)
{
    db::Transaction transaction(connection);
    connection.Execute(
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                           "WHERE i < ?) INSERT INTO fileprofile (%1) SELECT 'doc' || i || '.pdf', "
                           "'catalogued ' || i, '/archive/' || (i / 50) || '/doc' || i || '.pdf', "
                           "'Group ' || (i % 40), '2020-01-01', '/', '/archive/' || (i / 50), i "
                           "FROM n")
                    .arg(kColumns),
            {kCatalogue});
    transaction.Commit();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.mdb"));
    CreateDatabase(path);
    db::Connection connection;
    connection.Open(db::ConnectStringFor(path));

    QElapsedTimer timer;
    timer.start();
    fillCatalogue(connection);
    std::printf("catalogue of %lld rows made in %.1f s\n", countOf(connection, "fileprofile"),
                secondsOf(timer));

    timer.restart();
    for (int i = 0; i < kAlone; ++i)
        connection.Execute(insertInto(QStringLiteral("tempfile")), stagedRow(i));
    const double alone = secondsOf(timer) / kAlone;
    connection.Execute(QStringLiteral("DELETE FROM tempfile"));

    timer.restart();
    {
        db::Transaction transaction(connection);
        db::Prepared insert(connection, insertInto(QStringLiteral("tempfile")));
        for (int i = 0; i < kStaged; ++i)
            insert.Execute(stagedRow(i));
        transaction.Commit();
    }
    const double staged = secondsOf(timer);

    timer.restart();
    qint64 copied = 0;
    {
        db::Transaction transaction(connection);
        copied = connection.Execute(QStringLiteral("INSERT INTO fileprofile (%1) SELECT %1 FROM "
                                                   "tempfile ORDER BY Inum")
                                            .arg(kColumns));
        transaction.Commit();
    }
    const double copy = secondsOf(timer);

    std::printf("one insert on its own          %8.3f ms\n", alone * 1e3);
    std::printf("%d inserts, one transaction %8.2f s  (%.1f us a row, %lld rows)\n", kStaged,
                staged, staged / kStaged * 1e6, countOf(connection, "tempfile"));
    std::printf(
            "insert-select into catalogue   %8.2f s  (%lld rows copied, %lld in catalogue) %s\n",
            copy, copied, countOf(connection, "fileprofile"),
            copy < 5.0 ? "(under 5 s)" : "(OVER 5 s)");
    return 0;
}
