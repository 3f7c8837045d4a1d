// `corvina --find` over a catalogue of a million files, beside grep -F over a text file of the
// same paths: the time of a search for each of some twenty name prefixes, the whole command
// from opening the database to the last line written.
//
//   build/bench_find [rows [catalogue]]
//
// rows defaults to 1000000. A catalogue file that exists is reused as it is (bench_grid and
// bench_browser make the same catalogue); one that does not is built there and kept.

#include "BenchCatalogue.h"
#include "app/CreateDatabase.h"
#include "catalogue/CatalogueSearch.h"
#include "platform/db/ConnectString.h"
#include "platform/db/Reader.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

// The paths a line each, as grep reads them.
void writePaths(db::Connection &connection, const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(fileName));
    QTextStream out(&file);
    db::Reader rows;
    rows.Open(QStringLiteral("SELECT FilePath FROM fileprofile"), connection);
    for (; !rows.AtEnd(); rows.MoveNext())
        out << rows.Fields(0).toString() << '\n';
}

// Some twenty prefixes of one to four letters that file names begin with.
QStringList prefixes()
{
    QStringList typed;
    for (int i = 0; i < 20; ++i)
        typed << kWords[(i * 7) % kWords.size()].left(1 + i % 4);
    return typed;
}

struct Outcome
{
    Time time;
    int status;
};

Outcome find(const QString &catalogue, const QString &prefix)
{
    QFile sink(QProcess::nullDevice());
    if (!sink.open(QIODevice::WriteOnly))
        qFatal("cannot write to the null device");
    QString messages;
    QTextStream err(&messages);
    int status = 0;
    const Time time = timed([&] {
        status = catalogue::RunFind({QStringLiteral("corvina"), QStringLiteral("--find"), prefix,
                                     QStringLiteral("--database"), catalogue},
                                    sink, err);
    });
    if (status == 2)
        qFatal("search failed: %s", qPrintable(messages));
    return {time, status};
}

// grep's time is the whole process, as a user running it waits for it; its processor time is
// its own, not this program's.
Time grep(const QString &paths, const QString &prefix)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(QStringLiteral("grep"),
                  {QStringLiteral("-F"), QStringLiteral("-i"), QStringLiteral("--"),
                   QLatin1Char('/') + prefix, paths});
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit)
        qFatal("grep did not run");
    const double wall = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    return {wall, wall};
}

} // namespace

int main(int argc, char **argv)
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? QByteArray(argv[1]).toInt() : 1000000;
    QTemporaryDir dir;
    const QString path = argc > 2 ? QString::fromLocal8Bit(argv[2])
                                  : dir.filePath(QStringLiteral("catalogue.mdb"));
    const bool reuse = QFile::exists(path);
    if (!reuse)
        CreateDatabase(path);
    const QString paths = dir.filePath(QStringLiteral("paths.txt"));
    {
        db::Connection connection;
        connection.Open(db::ConnectStringFor(path));
        if (!reuse) {
            std::printf("building a catalogue of %d files ...\n", rows);
            std::fflush(stdout);
            const Names names = drawNames();
            const Time build = timed([&] { fill(connection, names, rows); });
            std::printf("built in %.0f s\n", build.wall / 1000);
        }
        report("write the paths for grep", timed([&] { writePaths(connection, paths); }));
        connection.Close();
    }

    const QStringList typed = prefixes();
    // One round first, so both read from a warm cache.
    for (const QString &prefix : typed) {
        find(path, prefix);
        grep(paths, prefix);
    }
    std::vector<Time> finds;
    std::vector<Time> greps;
    int matched = 0;
    for (const QString &prefix : typed) {
        const Outcome outcome = find(path, prefix);
        finds.push_back(outcome.time);
        matched += outcome.status == 0 ? 1 : 0;
        greps.push_back(grep(paths, prefix));
        std::printf("  %-6s --find %7.1f ms   grep %6.1f ms\n", qPrintable(prefix),
                    outcome.time.wall, greps.back().wall);
    }
    const Spread searched = spreadOf(finds);
    const Spread byGrep = spreadOf(greps);
    std::printf("%d prefixes, %d with matches\n", static_cast<int>(typed.size()), matched);
    report(QStringLiteral("corvina --find"), searched, "target < 100 ms", searched.p95.wall < 100);
    report(QStringLiteral("grep -F -i (whole process)"), byGrep);
    const double ratio = searched.median.wall / byGrep.median.wall;
    std::printf("%-44s %8.2f x  target <= 2 x %s\n", "--find / grep, median", ratio,
                verdict(ratio <= 2));
    // The matches are written as they are read, never gathered.
    std::printf("%-44s %8.1f MB\n", "peak memory (VmHWM)", peakMemoryKb() / 1024.0);
    return 0;
}
