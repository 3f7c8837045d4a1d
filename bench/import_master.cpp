// Stages 100,000 files in tempfile and copies them, through the import window's master update,
// into a catalogue that already holds 1,000,000 rows with its indexes.
#include "Fixture.h"
#include "app/session.h"
#include "catalogue/FileGroups.h"
#include "catalogue/frmAdd.h"
#include "platform/db/ConnectString.h"
#include "platform/db/Connection.h"
#include "platform/db/Prepared.h"
#include "platform/db/Recordset.h"
#include "platform/db/Transaction.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>

namespace {

constexpr int kCatalogue = 1'000'000;
constexpr int kStaged = 100'000;

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

void fillCatalogue(db::Connection &connection)
{
    db::Transaction transaction(connection);
    db::LargeWrite large(connection);
    // Each row names its group's number, as the program's own writes do; the numbers follow
    // one another. (A statement that read them from filegroups while writing fileprofile would be
    // run by the engine into a temporary table first, as the triggers write filegroups.)
    for (int group = 0; group < 40; ++group)
        catalogue::NumberGroup(connection, QStringLiteral("Group %1").arg(group));
    db::Recordset first;
    first.Open(QStringLiteral("SELECT GroupKey FROM filegroups WHERE FileGroup = 'Group 0'"),
               connection);
    const qint64 firstGroup = first.Fields(0).toLongLong();
    first.Close();
    connection.Execute(
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                           "WHERE i < ?) INSERT INTO fileprofile (FileName, FileDesc, FilePath, "
                           "FileGroup, FileDate, FileIndex, WebSiteName, Drive, Directory, FSize, "
                           "GroupKey) SELECT 'doc' || i || '.pdf', 'catalogued ' || i, "
                           "'/archive/' || (i / 50) || '/doc' || i || '.pdf', 'Group ' || "
                           "(i % 40), '01/01/2020', 2, 'Site ' || (i % 30), '/', '/archive/' || "
                           "(i / 50) || '/', i, ? + (i % 40) FROM n"),
            {kCatalogue, firstGroup});
    transaction.Commit();
}

// As the import window stages them: one transaction, one prepared statement.
void stage(db::Connection &connection)
{
    db::Transaction transaction(connection);
    db::Prepared insert(connection,
                        QStringLiteral("INSERT INTO tempfile (FileDate, FileName, FileDesc, "
                                       "FileGroup, WebSiteName, WebAddress, Author, Email, Drive, "
                                       "Label, FilePath, Directory, FileIndex, FSize) VALUES (?, "
                                       "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (int i = 0; i < kStaged; ++i) {
        const QString directory = QStringLiteral("/data/import/folder%1/").arg(i / 10);
        const QString name = QStringLiteral("file%1.txt").arg(i);
        insert.Execute(
                {QStringLiteral("07/12/2026"), name,
                 QStringLiteral("it's file %1, 100% staged").arg(i),
                 QStringLiteral("Group %1").arg(i % 25), QStringLiteral("Site %1").arg(i % 7),
                 QStringLiteral("https://example.org/%1").arg(i % 7), QStringLiteral("Ada Byron"),
                 QStringLiteral("ada@example.org"), QStringLiteral("/"), QString(),
                 directory + name, directory, 2, QString::number(1000 + i)});
    }
    transaction.Commit();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Fixture fixture;
    fixture.setUp();
    db::Connection connection;
    connection.Open(db::ConnectStringFor(fixture.dbPath));

    QElapsedTimer timer;
    timer.start();
    fillCatalogue(connection);
    std::printf("catalogue of %lld rows made in %.1f s\n", countOf(connection, "fileprofile"),
                secondsOf(timer));

    timer.restart();
    stage(connection);
    const double staging = secondsOf(timer);

    frmAdd window;
    window.Form_Load();
    fixture.ui.answer(vbYes);
    timer.restart();
    window.UpdateMasterTable();
    const double copy = secondsOf(timer);
    CloseSession();

    const qint64 master = countOf(connection, "fileprofile");
    const qint64 left = countOf(connection, "tempfile");
    std::printf("staged %d rows, one transaction   %8.2f s  (%.1f us a row)\n", kStaged, staging,
                staging / kStaged * 1e6);
    std::printf("master update (count, copy, count, empty) %8.2f s  %s\n", copy,
                copy < 5.0 ? "(under 5 s)" : "(OVER 5 s)");
    std::printf("catalogue now %lld rows, staging table %lld rows, messages: %s\n", master, left,
                qPrintable(fixture.ui.texts().join(QStringLiteral(" | "))));
    const bool right = master == kCatalogue + kStaged && left == 0;
    if (!right)
        std::fprintf(stderr, "the update did not move every staged row\n");
    return right ? 0 : 1;
}
