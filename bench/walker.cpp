// Walks a tree of 100,000 files in 10,000 folders and times it beside find(1) on the same tree.
#include "platform/fs/Walker.h"
#include "BenchTree.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <limits>

namespace {

struct Timing
{
    double ms = std::numeric_limits<double>::max();
    qint64 count = 0;
};

// The best of a few runs, so that the first run's cold caches do not decide.
template<typename F> Timing best(F &&run)
{
    Timing timing;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer timer;
        timer.start();
        timing.count = run();
        timing.ms = std::min(timing.ms, timer.nsecsElapsed() / 1e6);
    }
    return timing;
}

qint64 walkMatching(const QString &root, const QString &mask)
{
    qint64 found = 0;
    fs::Walk(root, [&](const QString &, const QStringList &files) {
        for (const QString &name : files)
            found += fs::MatchesWildcard(name, mask) ? 1 : 0;
        return true;
    });
    return found;
}

qint64 findCount(const QString &root)
{
    QProcess shell;
    shell.start(QStringLiteral("sh"),
                {QStringLiteral("-c"), QStringLiteral("find \"$1\" -name '*' | wc -l"),
                 QStringLiteral("sh"), root});
    shell.waitForFinished(-1);
    return shell.readAllStandardOutput().trimmed().toLongLong();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString root = dir.filePath(QStringLiteral("tree"));
    QElapsedTimer made;
    made.start();
    if (!dir.isValid() || !makeTree(root)) {
        std::fprintf(stderr, "could not make the tree under %s\n", qPrintable(dir.path()));
        return 1;
    }
    std::printf("tree of %d files in %d folders made in %.0f ms\n",
                kTop * (kLeaves + 1) * kFilesPerLeaf, kTop * (kLeaves + 1),
                made.nsecsElapsed() / 1e6);

    const Timing all = best([&] { return walkMatching(root, QStringLiteral("*")); });
    const Timing txt = best([&] { return walkMatching(root, QStringLiteral("*.txt")); });
    const Timing find = best([&] { return findCount(root); });
    std::printf("walk '*'            %8.1f ms  %lld files\n", all.ms, all.count);
    std::printf("walk '*.txt'        %8.1f ms  %lld files\n", txt.ms, txt.count);
    std::printf("find -name '*'|wc   %8.1f ms  %lld entries (files and folders, root included)\n",
                find.ms, find.count);
    std::printf("walk '*' / find     %8.2f  %s\n", all.ms / find.ms,
                all.ms <= find.ms ? "(no slower than find)" : "(SLOWER THAN FIND)");
    return 0;
}
