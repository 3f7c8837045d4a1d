// Renaming a group that 500,000 of a catalogue's 600,000 files and 5,000 snippets belong to,
// through the groups window, while a second desk saves every 50 ms (BenchDesk.h): the rename's
// time, and how long the second desk waits meanwhile; then the same for moving those files into
// a group that has files of its own.
#include "BenchDesk.h"
#include "Fixture.h"
#include "app/session.h"
#include "catalogue/FileGroups.h"
#include "catalogue/frmGroups.h"
#include "platform/db/ConnectString.h"
#include "platform/db/Connection.h"
#include "platform/db/DataControl.h"
#include "platform/db/Database.h"
#include "platform/db/Transaction.h"

#include <QApplication>
#include <QLineEdit>

#include <cstdio>

namespace {

constexpr int kFiles = 600'000;
constexpr int kInGroup = 500'000;

void fill(db::Connection &connection)
{
    db::Transaction transaction(connection);
    db::LargeWrite large(connection);
    // Each row names its group's number, as the program's own writes do; the numbers follow
    // one another. (A statement that read them from filegroups while writing fileprofile would be
    // run by the engine into a temporary table first, as the triggers write filegroups.)
    for (int group = 0; group < 40; ++group)
        catalogue::NumberGroup(connection, QStringLiteral("Group %1").arg(group));
    catalogue::NumberGroup(connection, QStringLiteral("Python"));
    const auto numberOf = [&](const char *group) {
        db::Recordset key;
        key.Open(QStringLiteral("SELECT GroupKey FROM filegroups WHERE FileGroup = ?"), connection,
                 {QString::fromLatin1(group)});
        return key.Fields(0).toLongLong();
    };
    const qint64 python = numberOf("Python");
    const qint64 firstGroup = numberOf("Group 0");
    // Names, descriptions and sites spread as a real catalogue's: the group's index entries for
    // them lie all over their indexes.
    connection.Execute(
            QStringLiteral(
                    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                    "WHERE i < ?) INSERT INTO fileprofile (FileName, FileDesc, FilePath, "
                    "FileGroup, FileDate, FileIndex, WebSiteName, Drive, Directory, FSize, "
                    "GroupKey) "
                    "SELECT 'doc' || (((i % 100003) * 7919) % 1000003) || '.pdf', 'about ' || "
                    "(((i % 10007) * 104729) % 999983), '/archive/' || (i / 50) || '/doc' || i || "
                    "'.pdf', g, '01/01/2020', 2, 'Site ' || ((i * 31) % 2000), '/', "
                    "'/archive/' || (i / 50) || '/', i, CASE WHEN g = 'Python' THEN ? ELSE "
                    "? + (i % 40) END FROM (SELECT i, CASE WHEN i <= ? THEN 'Python' ELSE "
                    "'Group ' || (i % 40) END AS g FROM n) AS numbered"),
            {kFiles, python, firstGroup, kInGroup});
    connection.Execute(
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                           "WHERE i < 5000) INSERT INTO source (title, codetype) "
                           "SELECT 'snippet ' || i, 'Python' FROM n"));
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
    const Time made = timed([&] { fill(connection); });
    // The making's log is written back into the file before the rename, as a catalogue in use
    // has had it written long before: the rename's first commit does not pay for it.
    // On a server, the table is vacuumed and analyzed as its own upkeep soon leaves it.
    db::ExecuteAsWritten(connection,
                         fixture.onServer() ? QStringLiteral("VACUUM ANALYZE fileprofile")
                                            : QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    std::printf("engine: %s; catalogue of %d files made in %.1f s\n",
                fixture.onServer() ? "server" : "database file", kFiles, made.wall / 1e3);

    // A rename to a name no file has, then a move of the same files into a group that has
    // files (which changes each file's group number).
    const struct
    {
        const char *from;
        const char *to;
        const char *what;
    } moves[] = {{"Python", "Python 3", "rename of a group of 500,000 files"},
                 {"Python 3", "Group 1", "move of its 500,000 files into another group"}};
    bool allMoved = true;
    for (const auto &move : moves) {
        frmGroups window;
        window.Form_Load();
        for (qint64 row = 0; row < window.Adodc1->RecordCount(); ++row) {
            window.Adodc1->setCurrentRow(row);
            if (window.Adodc1->Fields(QStringLiteral("CodeType")).toString()
                == QLatin1String(move.from))
                break;
        }
        window.DataGrid1_DblClick();
        window.PName->setText(QString::fromLatin1(move.to));
        fixture.ui.answer(vbYes);
        std::atomic_bool stop{false};
        DeskRun desk;
        std::thread other(secondDesk, fixture.dbPath, kFiles, std::cref(stop), std::ref(desk));
        std::this_thread::sleep_for(std::chrono::milliseconds(200)); // the desk is at work
        const Time rename = timed([&] { window.ConfirmUpdate(); });
        stop = true;
        other.join();
        CloseSession();

        db::Recordset rows;
        rows.Open(QStringLiteral("SELECT count(*) FROM fileprofile WHERE FileGroup = ?"),
                  connection, {QString::fromLatin1(move.to)});
        const qint64 moved = rows.Fields(0).toLongLong();
        report(move.what, rename, "< 5 s", rename.wall < 5000);
        reportDesk(desk);
        std::printf("files in %s: %lld\n", move.to, moved);
        allMoved = allMoved && moved >= kInGroup;
    }
    std::printf("messages: %s\n", qPrintable(fixture.ui.texts().join(QStringLiteral(" | "))));
    return allMoved ? 0 : 1;
}
