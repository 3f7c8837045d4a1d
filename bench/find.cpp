// `corvina --find` over a catalogue of a million files, beside grep -F over a text file of the
// same paths: the time of a search for each of some twenty name prefixes, the whole command
// from opening the database to the last line written; then `--find --contains` for twenty
// pieces of names (ten pieces of words, which many names hold, and ten numbers, which few do),
// beside grep -F -i and, where it is installed, plocate over the same paths. The text index's
// size and the time to build it are printed first.
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

#include <QDir>
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

// Where each search writes its matches, the program and its references alike. Not the null
// device: grep stops at its first match when it sees its output go nowhere.
QString outputFile()
{
    return QDir::temp().filePath(QStringLiteral("corvina-bench-out.txt"));
}

struct Outcome
{
    Time time;
    int status;
};

Outcome find(const QString &catalogue, const QString &prefix, bool contains = false)
{
    QFile sink(outputFile());
    if (!sink.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(outputFile()));
    QString messages;
    QTextStream err(&messages);
    int status = 0;
    const Time time = timed([&] {
        QStringList arguments{QStringLiteral("corvina"), QStringLiteral("--find"), prefix,
                              QStringLiteral("--database"), catalogue};
        if (contains)
            arguments << QStringLiteral("--contains");
        status = catalogue::RunFind(arguments, sink, err);
    });
    if (status == 2)
        qFatal("search failed: %s", qPrintable(messages));
    return {time, status};
}

// grep's time is the whole process, as a user running it waits for it; its processor time is
// its own, not this program's.
Time run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setStandardOutputFile(outputFile());
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit)
        qFatal("%s did not run", qPrintable(program));
    const double wall = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    return {wall, wall};
}

Time grep(const QString &paths, const QString &text)
{
    return run(QStringLiteral("grep"),
               {QStringLiteral("-F"), QStringLiteral("-i"), QStringLiteral("--"), text, paths});
}

// Pieces of names to be found anywhere: ten pieces of words, ten numbers.
QStringList pieces()
{
    QStringList typed;
    for (int i = 0; i < 10; ++i)
        typed << kWords[(i * 7) % kWords.size()].mid(1, 3 + i % 3);
    for (int i = 0; i < 10; ++i)
        typed << QString::number(1000 + i * 913);
    return typed;
}

qint64 textIndexBytes(db::Connection &connection)
{
    db::Recordset size;
    size.Open(QStringLiteral("SELECT sum(pgsize) FROM dbstat WHERE name LIKE 'filetext%'"),
              connection);
    return size.Fields(0).toLongLong();
}

// plocate's database over the same paths, made by its own tool from the text file; empty when
// plocate is not installed.
QString plocateDatabase(const QString &paths, const QString &folder)
{
    const QString build = QStandardPaths::findExecutable(QStringLiteral("plocate-build"),
                                                         {QStringLiteral("/usr/sbin")});
    if (build.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("plocate")).isEmpty())
        return {};
    const QString database = folder + QStringLiteral("/plocate.db");
    // The paths are not this machine's own, so plocate is told not to look them up.
    const Time made = run(
            build,
            {QStringLiteral("-p"), QStringLiteral("-l"), QStringLiteral("no"), paths, database});
    report("plocate-build over the same paths", made);
    return database;
}

// The contains searches, beside grep and plocate.
void containsSearches(const QString &catalogue, const QString &paths, const QString &plocate)
{
    const QStringList typed = pieces();
    const auto byPlocate = [&](const QString &text) {
        return run(
                QStringLiteral("plocate"),
                {QStringLiteral("-i"), QStringLiteral("-d"), plocate, QStringLiteral("--"), text});
    };
    for (const QString &text : typed) {
        find(catalogue, text, true);
        grep(paths, text);
        if (!plocate.isEmpty())
            byPlocate(text);
    }
    std::vector<Time> finds;
    std::vector<Time> greps;
    std::vector<Time> locates;
    for (const QString &text : typed) {
        finds.push_back(find(catalogue, text, true).time);
        greps.push_back(grep(paths, text));
        if (!plocate.isEmpty())
            locates.push_back(byPlocate(text));
        std::printf("  %-6s --contains %7.1f ms   grep %6.1f ms   plocate %6.1f ms\n",
                    qPrintable(text), finds.back().wall, greps.back().wall,
                    locates.empty() ? 0.0 : locates.back().wall);
    }
    const Spread searched = spreadOf(finds);
    const Spread byGrep = spreadOf(greps);
    report(QStringLiteral("corvina --find --contains"), searched);
    report(QStringLiteral("grep -F -i (whole process)"), byGrep);
    std::printf("%-44s %8.2f x  target well under 1 x %s\n", "--contains / grep, median",
                searched.median.wall / byGrep.median.wall,
                verdict(searched.median.wall < byGrep.median.wall / 2));
    if (locates.empty()) {
        std::printf("plocate is not installed: no comparison with it\n");
        return;
    }
    const Spread located = spreadOf(locates);
    report(QStringLiteral("plocate -i (whole process)"), located);
    const double ratio = searched.median.wall / located.median.wall;
    std::printf("%-44s %8.2f x  target <= 2 x %s\n", "--contains / plocate, median", ratio,
                verdict(ratio <= 2));
}

} // namespace

int main(int argc, char **argv)
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    // A catalogue kept from an earlier run holds the program's own text index.
    KnowOwnTables();
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
            const Time build = timed([&] { fill(connection, names, rows, rows > 1000000); });
            std::printf("built in %.0f s\n", build.wall / 1000);
        }
        const qint64 unindexed = FilesToIndex(connection);
        if (unindexed > 0) {
            const Time indexed = timed([&] { IndexAddedFiles(connection); });
            std::printf("text index of %lld files built in %.1f s\n",
                        static_cast<long long>(unindexed), indexed.wall / 1000);
        }
        const qint64 bytes = textIndexBytes(connection);
        std::printf("%-44s %8.1f MB, %.0f bytes a file  target < 200 %s\n", "text index size",
                    static_cast<double>(bytes) / 1e6, static_cast<double>(bytes) / rows,
                    verdict(static_cast<double>(bytes) / rows < 200));
        report("write the paths for grep", timed([&] { writePaths(connection, paths); }));
        connection.Close();
    }

    const QStringList typed = prefixes();
    // One round first, so both read from a warm cache.
    for (const QString &prefix : typed) {
        find(path, prefix);
        grep(paths, QLatin1Char('/') + prefix);
    }
    std::vector<Time> finds;
    std::vector<Time> greps;
    int matched = 0;
    for (const QString &prefix : typed) {
        const Outcome outcome = find(path, prefix);
        finds.push_back(outcome.time);
        matched += outcome.status == 0 ? 1 : 0;
        greps.push_back(grep(paths, QLatin1Char('/') + prefix));
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
    containsSearches(path, paths, plocateDatabase(paths, dir.path()));
    return 0;
}
