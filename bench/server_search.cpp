// The catalogue search as the user types it, on a database file and on a database server in the
// same run: each keystroke in the browser until its grid and count are updated, in each search
// mode, over the whole catalogue and within a group.
//
// Each engine is searched twice. The first pass, right after opening, reads from disk whatever
// is not in memory yet: on a server just started, the pages of the indexes each keystroke
// walks. Before the second pass, with other keystrokes, the server loads the whole catalogue
// into its memory (pg_prewarm), as a server in use holds it; that pass is the one held to the
// targets. The server needs the memory for it: its shared_buffers and the catalogue's size are
// printed first.
//
//   build/bench_server_search [SERVER-URL [rows [catalogue-file]]]
//
// Without SERVER-URL, the address in CORVINA_BENCH_SERVER is used; with neither, nothing runs.
// SERVER-URL names an empty database on the server, which is filled with the same catalogue as
// the file (rows defaults to 1000000); one filled by an earlier run is reused as it is, and so
// is an existing catalogue file.

#include "BrowserSearch.h"
#include "app/CreateDatabase.h"
#include "app/modGlobals.h"
#include "catalogue/frmShow.h"
#include "platform/db/ConnectString.h"
#include "platform/db/DataControl.h"
#include "platform/db/Dialect.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

// Makes the catalogue at address unless it is there already.
void prepare(const QString &address, const Names &names, int rows)
{
    try {
        CreateDatabase(address);
    } catch (const db::DbError &error) {
        std::printf("reusing %s (%s)\n", qPrintable(address), qPrintable(error.description()));
        return;
    }
    db::Connection connection;
    connection.Open(db::ConnectStringFor(address));
    std::printf("building a catalogue of %d files at %s ...\n", rows, qPrintable(address));
    std::fflush(stdout);
    const Time build = timed([&] { fill(connection, names, rows); });
    std::printf("built in %.0f s\n", build.wall / 1000);
}

// Leaves the server's catalogue as its own upkeep does some time after a bulk load: statistics
// taken and pages marked visible to all, which lets counts be read from the indexes alone.
void upkeep(const QString &address)
{
    db::Connection connection;
    connection.Open(db::ConnectStringFor(address));
    connection.Execute(QStringLiteral("VACUUM ANALYZE fileprofile"));
    db::Recordset pages;
    pages.Open(QStringLiteral("SELECT relallvisible, relpages FROM pg_class WHERE relname = "
                              "'fileprofile'"),
               connection);
    std::printf("after upkeep: %lld of %lld pages visible to all\n", pages.Fields(0).toLongLong(),
                pages.Fields(1).toLongLong());
    db::Recordset memory;
    memory.Open(QStringLiteral("SELECT current_setting('shared_buffers'), "
                               "pg_size_pretty(pg_total_relation_size('fileprofile'))"),
                connection);
    std::printf("server memory (shared_buffers): %s; catalogue with its indexes: %s\n",
                qPrintable(memory.Fields(0).toString()), qPrintable(memory.Fields(1).toString()));
}

// Loads the catalogue's table and indexes into the server's memory, where the server allows it.
void prewarm(db::Connection &connection)
{
    try {
        connection.Execute(QStringLiteral("CREATE EXTENSION IF NOT EXISTS pg_prewarm"));
        db::Recordset pages;
        pages.Open(QStringLiteral("SELECT sum(pg_prewarm(indexrelid)) + pg_prewarm('fileprofile') "
                                  "FROM pg_index WHERE indrelid = 'fileprofile'::regclass"),
                   connection);
        std::printf("%lld pages loaded into the server's memory\n", pages.Fields(0).toLongLong());
    } catch (const db::DbError &error) {
        std::printf("the catalogue could not be loaded into memory: %s\n",
                    qPrintable(error.description()));
    }
}

void searchOn(const QString &engine, const QString &address, const Names &names)
{
    ConnectString = db::ConnectStringFor(address);
    db::Connection connection;
    connection.Open(ConnectString);
    frmShow window;
    window.resize(1000, 760);
    window.show();
    paint(*window.DataGrid1);
    searchEveryMode(window, connection, names, engine + QStringLiteral(" first"), false);
    if (db::IsServerAddress(address))
        prewarm(connection);
    searchEveryMode(window, connection, names, engine);
}

} // namespace

int main(int argc, char **argv)
{
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    const QString server = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                    : qEnvironmentVariable("CORVINA_BENCH_SERVER");
    if (server.isEmpty()) {
        std::printf("no server named (argument or CORVINA_BENCH_SERVER): skipped\n");
        return 0;
    }
    const int rows = argc > 2 ? QByteArray(argv[2]).toInt() : 1000000;
    QTemporaryDir dir;
    const QString file = argc > 3 ? QString::fromLocal8Bit(argv[3])
                                  : dir.filePath(QStringLiteral("catalogue.mdb"));
    const Names names = drawNames();
    // Both catalogues are drawn from the same names, one after the other.
    for (const QString &address : {file, server})
        prepare(address, names, rows);
    upkeep(server);
    searchOn(QStringLiteral("file"), file, names);
    searchOn(QStringLiteral("server"), server, names);
    return 0;
}
