// Renaming a group that 500,000 of a catalogue's 600,000 files and 5,000 snippets belong to,
// through the groups window, while a second desk saves every 50 ms (BenchDesk.h): the rename's
// time, and how long the second desk waits meanwhile.
#include "BenchDesk.h"
#include "Fixture.h"
#include "app/session.h"
#include "catalogue/frmGroups.h"
#include "platform/db/ConnectString.h"
#include "platform/db/Connection.h"
#include "platform/db/DataControl.h"
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
    // Names, descriptions and sites spread as a real catalogue's: the group's index entries for
    // them lie all over their indexes.
    connection.Execute(
            QStringLiteral(
                    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                    "WHERE i < ?) INSERT INTO fileprofile (FileName, FileDesc, FilePath, "
                    "FileGroup, FileDate, FileIndex, WebSiteName, Drive, Directory, FSize) "
                    "SELECT 'doc' || (((i % 100003) * 7919) % 1000003) || '.pdf', 'about ' || "
                    "(((i % 10007) * 104729) % 999983), '/archive/' || (i / 50) || '/doc' || i || "
                    "'.pdf', CASE WHEN i <= ? THEN 'Python' ELSE 'Group ' || (i % 40) END, "
                    "'01/01/2020', 2, 'Site ' || ((i * 31) % 2000), '/', '/archive/' || "
                    "(i / 50) || '/', i FROM n"),
            {kFiles, kInGroup});
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
    std::printf("engine: %s; catalogue of %d files made in %.1f s\n",
                fixture.onServer() ? "server" : "database file", kFiles, made.wall / 1e3);

    frmGroups window;
    window.Form_Load();
    for (qint64 row = 0; row < window.Adodc1->RecordCount(); ++row) {
        window.Adodc1->setCurrentRow(row);
        if (window.Adodc1->Fields(QStringLiteral("CodeType")).toString() == QLatin1String("Python"))
            break;
    }
    window.DataGrid1_DblClick();
    window.PName->setText(QStringLiteral("Python 3"));
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
    rows.Open(QStringLiteral("SELECT count(*) FROM fileprofile WHERE FileGroup = 'Python 3'"),
              connection);
    const qint64 renamed = rows.Fields(0).toLongLong();
    report("rename of a group of 500,000 files", rename, "< 5 s", rename.wall < 5000);
    reportDesk(desk);
    std::printf("files renamed: %lld; messages: %s\n", renamed,
                qPrintable(fixture.ui.texts().join(QStringLiteral(" | "))));
    return renamed == kInGroup ? 0 : 1;
}
