// `corvina --rescan` of a tree of 100,000 files in 10,000 folders, catalogued among 1,000,000
// rows, beside `find DIR -printf '%p %s %T@\n'` over the same tree in the same run: first with
// the tree as it was catalogued, then with 1% of its files added, changed, moved and removed.
// Each run is a whole process, from its start to its exit, with the processor time it used;
// the two alternate, so that both see the same machine. Then, with "million", the peak memory
// of a rescan of a tree of 1,000,000 files.
//
//   build-bench/bench_rescan [rows [million]]
//
// rows (the catalogue's size, the tree's rows among them) defaults to 1000000.

#include "BenchCatalogue.h"
#include "BenchTree.h"
#include "app/CreateDatabase.h"
#include "catalogue/ScanCommand.h"
#include "platform/db/ConnectString.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>

namespace {

constexpr int kRuns = 9;

// The processor time of the children waited for so far.
double childrenCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto ms = [](const timeval &time) {
        return static_cast<double>(time.tv_sec) * 1e3 + static_cast<double>(time.tv_usec) / 1e3;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

struct Outcome
{
    Time time;
    int status = 0;
    qint64 lines = 0;
    long peakKb = 0; // the child's own, as it reported it
};

// Runs a program to its end, its output counted a line at a time.
Outcome run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    Outcome outcome;
    QElapsedTimer timer;
    const double cpu = childrenCpuMs();
    timer.start();
    process.start();
    if (!process.waitForStarted(-1))
        qFatal("cannot start %s", qPrintable(program));
    while (process.state() != QProcess::NotRunning) {
        process.waitForReadyRead(-1);
        outcome.lines += process.readAllStandardOutput().count('\n');
    }
    outcome.lines += process.readAllStandardOutput().count('\n');
    outcome.time = {static_cast<double>(timer.nsecsElapsed()) / 1e6, childrenCpuMs() - cpu};
    if (process.exitStatus() != QProcess::NormalExit)
        qFatal("%s ended abnormally", qPrintable(program));
    outcome.status = process.exitCode();
    const QByteArray err = process.readAllStandardError();
    const qsizetype peak = err.lastIndexOf("peak-kb ");
    if (peak >= 0)
        outcome.peakKb = err.mid(peak + 8).trimmed().toLong();
    else if (!err.isEmpty())
        std::fprintf(stderr, "%s", err.constData());
    return outcome;
}

Outcome find(const QString &tree)
{
    return run(QStringLiteral("find"),
               {tree, QStringLiteral("-printf"), QStringLiteral("%p %s %T@\\n")});
}

Outcome rescan(const QString &tree, const QString &catalogue)
{
    return run(QCoreApplication::applicationFilePath(),
               {QStringLiteral("--child-rescan"), tree, catalogue});
}

// The rescan command as the program runs it, in a process of its own, its peak memory written
// last on the error stream.
int childRescan(const QString &tree, const QString &catalogue)
{
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly))
        qFatal("cannot write the differences");
    QString messages;
    QTextStream err(&messages);
    const int status = catalogue::RunRescan({QStringLiteral("corvina"), QStringLiteral("--rescan"),
                                             tree, QStringLiteral("--database"), catalogue},
                                            out, err);
    out.close();
    std::fprintf(stderr, "%speak-kb %ld\n", qPrintable(messages), peakMemoryKb());
    return status;
}

void scan(const QString &tree, const QString &catalogue)
{
    QFile out(QProcess::nullDevice());
    out.open(QIODevice::WriteOnly);
    QString messages;
    QTextStream err(&messages);
    const Time time = timed([&] {
        if (catalogue::RunScan({QStringLiteral("corvina"), QStringLiteral("--scan"), tree,
                                QStringLiteral("--database"), catalogue},
                               out, err)
            != 0)
            qFatal("the scan failed: %s", qPrintable(messages));
    });
    report("catalogue the tree (--scan, in process)", time);
}

// Alternates the two commands, kRuns of each after one of each that warms the caches.
void compare(const char *what, const QString &tree, const QString &catalogue, int expectedStatus,
             double target)
{
    find(tree);
    rescan(tree, catalogue);
    std::vector<Time> finds;
    std::vector<Time> rescans;
    Outcome last;
    qint64 found = 0;
    for (int i = 0; i < kRuns; ++i) {
        const Outcome walked = find(tree);
        finds.push_back(walked.time);
        found = walked.lines;
        last = rescan(tree, catalogue);
        if (last.status != expectedStatus)
            qFatal("--rescan ended with %d, not %d", last.status, expectedStatus);
        rescans.push_back(last.time);
    }
    const Spread byFind = spreadOf(finds);
    const Spread byRescan = spreadOf(rescans);
    std::printf("%s: find lists %lld entries, --rescan %lld differences (status %d)\n", what,
                static_cast<long long>(found), static_cast<long long>(last.lines), last.status);
    report(QStringLiteral("  find -printf"), byFind);
    report(QStringLiteral("  corvina --rescan"), byRescan);
    const double ratio = byRescan.median.wall / byFind.median.wall;
    const double cpuRatio = byRescan.median.cpu / byFind.median.cpu;
    std::printf("  %-42s %6.2f x (cpu %5.2f x)  target <= %.1f x %s\n", "--rescan / find, median",
                ratio, cpuRatio, target, verdict(ratio <= target));
    std::printf("  %-42s %8.1f MB\n", "peak memory of a --rescan", last.peakKb / 1024.0);
}

QString leafFolder(const QString &tree, int top, int leaf)
{
    return tree
            + QStringLiteral("/dir%1/sub%2")
                      .arg(top, 3, 10, QLatin1Char('0'))
                      .arg(leaf, 3, 10, QLatin1Char('0'));
}

// 1% of the tree's files: a quarter each added, changed (grown by a few bytes), moved to
// another folder and removed, spread over the whole tree.
void changeOnePercent(const QString &tree)
{
    const int each = kTop * (kLeaves + 1) * kFilesPerLeaf / 100 / 4;
    for (int i = 0; i < each; ++i) {
        const int top = (i * 37) % kTop;
        const int leaf = (i * 11) % kLeaves;
        const QString folder = leafFolder(tree, top, leaf);
        QFile added(folder + QStringLiteral("/added%1.txt").arg(i));
        QFile changed(folder + QStringLiteral("/file000.txt"));
        if (!added.open(QIODevice::WriteOnly) || !changed.open(QIODevice::Append)
            || changed.write("changed") != 7)
            qFatal("cannot change the tree in %s", qPrintable(folder));
        // Moved under its own name into a new folder of another part of the tree.
        const QString other =
                leafFolder(tree, (top + 1) % kTop, leaf) + QStringLiteral("/moved%1").arg(i);
        if (!QDir().mkpath(other)
            || !QFile::rename(folder + QStringLiteral("/file001.dat"),
                              other + QStringLiteral("/file001.dat"))
            || !QFile::remove(folder + QStringLiteral("/file002.txt")))
            qFatal("cannot move or remove in %s", qPrintable(folder));
    }
}

void peakOfAMillion(const QString &root)
{
    const QString tree = root + QStringLiteral("/million");
    const QString catalogue = root + QStringLiteral("/million.mdb");
    std::printf("making a tree of 1,000,000 files ...\n");
    std::fflush(stdout);
    const Time made = timed([&] {
        if (!makeTree(tree, 10 * kTop))
            qFatal("cannot make the tree in %s", qPrintable(tree));
    });
    report("made the tree of 1,000,000 files", made);
    CreateDatabase(catalogue);
    scan(tree, catalogue);
    const Outcome walked = find(tree);
    const Outcome rescanned = rescan(tree, catalogue);
    report("find -printf, 1,000,000 files", walked.time);
    report("corvina --rescan, 1,000,000 files", rescanned.time);
    std::printf("%-44s %8.1f MB  target < 200 MB %s\n", "peak memory of that --rescan",
                rescanned.peakKb / 1024.0, verdict(rescanned.peakKb < 200 * 1024));
}

} // namespace

int main(int argc, char **argv)
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.value(1) == QLatin1String("--child-rescan"))
        return childRescan(arguments.value(2), arguments.value(3));
    const int rows = arguments.size() > 1 ? arguments[1].toInt() : 1000000;
    QTemporaryDir dir;
    const QString tree = dir.filePath(QStringLiteral("tree"));
    const QString catalogue = dir.filePath(QStringLiteral("catalogue.mdb"));
    report("make the tree of 100,000 files", timed([&] {
               if (!makeTree(tree))
                   qFatal("cannot make the tree in %s", qPrintable(tree));
           }));
    CreateDatabase(catalogue);
    scan(tree, catalogue);
    const int others = rows - kTop * (kLeaves + 1) * kFilesPerLeaf;
    if (others > 0) {
        std::printf("adding %d other files to the catalogue ...\n", others);
        std::fflush(stdout);
        db::Connection connection;
        connection.Open(db::ConnectStringFor(catalogue));
        const Names names = drawNames();
        report("added them", timed([&] { fill(connection, names, others); }));
        connection.Close();
    }
    compare("unchanged tree", tree, catalogue, 0, 1.5);
    changeOnePercent(tree);
    compare("1% added, changed, moved and removed", tree, catalogue, 1, 2.0);
    if (arguments.contains(QLatin1String("million")))
        peakOfAMillion(dir.path());
    return 0;
}
