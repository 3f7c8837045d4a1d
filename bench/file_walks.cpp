// Times the disk file search and the file manager walking a tree of 100,000 files in 10,000
// folders through their real windows (offscreen), each beside find(1) on the same tree in the
// same run, the list of results included on both sides.
#include "BenchTree.h"
#include "Fixture.h"
#include "app/modGlobals.h"
#include "catalogue/frmFileMgr.h"
#include "catalogue/frmSearch.h"
#include "platform/fs/Walker.h"
#include "platform/ui/FileLists.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <cstdio>
#include <limits>
#include <utility>

namespace {

constexpr int kRuns = 5;

struct Timing
{
    double ms = std::numeric_limits<double>::max();
    qint64 count = 0;
};

// The best of a few runs of each, taken in turns so that both see the same load and caches.
template<typename Mine, typename Theirs>
std::pair<Timing, Timing> bestOf(Mine &&mine, Theirs &&theirs)
{
    Timing first;
    Timing second;
    const auto timed = [](Timing &timing, auto &run) {
        QElapsedTimer timer;
        timer.start();
        timing.count = run();
        timing.ms = std::min(timing.ms, timer.nsecsElapsed() / 1e6);
    };
    for (int i = 0; i < kRuns; ++i) {
        timed(first, mine);
        timed(second, theirs);
    }
    return {first, second};
}

// find's own list of paths, read to the end, one line per file found.
qint64 find(const QString &root, const QString &pattern)
{
    QProcess process;
    process.start(QStringLiteral("find"), {root, QStringLiteral("-name"), pattern});
    process.waitForFinished(-1);
    return process.readAllStandardOutput().count('\n');
}

qint64 search(frmSearch &window, const QString &root, const QString &pattern)
{
    window.Text1->setText(pattern);
    window.Dir1->setPath(root);
    window.cmdFind->click(); // returns when the search is done
    return window.Label4->text().toLongLong();
}

qint64 manage(frmFileMgr &window, const QString &name)
{
    window.Text1->setText(name);
    window.FindFile();
    return window.Label4->text().toLongLong();
}

// The walker alone, with no window: what the windows add on top of it.
qint64 walkAlone(const QString &root, const QString &mask)
{
    qint64 found = 0;
    fs::Walk(root, [&](const QString &, const QStringList &files) {
        for (const QString &name : files)
            found += fs::MatchesWildcard(name, mask) ? 1 : 0;
        return true;
    });
    return found;
}

void print(const char *what, const Timing &timing, const Timing &against)
{
    std::printf("%-34s %8.1f ms  %7lld found   find %8.1f ms  %7lld found   %.2f x %s\n", what,
                timing.ms, timing.count, against.ms, against.count, timing.ms / against.ms,
                timing.ms <= against.ms ? "(no slower than find)" : "(SLOWER THAN FIND)");
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Fixture fixture; // scripted boxes: nothing here may wait for a person
    fixture.setUp();
    // A folder named on the command line keeps the tree between runs (made there when missing).
    const QString root = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                  : QDir(fixture.dir()).filePath(QStringLiteral("tree"));
    QElapsedTimer made;
    made.start();
    const bool reused = QFileInfo::exists(root);
    if (!reused && !makeTree(root)) {
        std::fprintf(stderr, "could not make the tree under %s\n", qPrintable(root));
        return 1;
    }
    std::printf("tree of %d files in %d folders %s in %.0f ms; best of %d runs each\n",
                kTop * (kLeaves + 1) * kFilesPerLeaf, kTop * (kLeaves + 1),
                reused ? "found" : "made", made.nsecsElapsed() / 1e6, kRuns);

    for (const char *pattern : {"*.txt", "nothing.here"}) {
        const QString mask = QString::fromLatin1(pattern);
        const auto [alone, reference] =
                bestOf([&] { return walkAlone(root, mask); }, [&] { return find(root, mask); });
        const QByteArray what = "walker alone '" + QByteArray(pattern) + "'";
        print(what.constData(), alone, reference);
    }

    frmSearch searchWindow;
    searchWindow.show();
    if (!QTest::qWaitForWindowExposed(&searchWindow))
        std::fprintf(stderr, "the search window was not shown\n");
    for (const char *pattern : {"*.txt", "file007.dat", "nothing.here"}) {
        const QString mask = QString::fromLatin1(pattern);
        const auto [window, reference] = bestOf([&] { return search(searchWindow, root, mask); },
                                                [&] { return find(root, mask); });
        const QByteArray what = "disk search '" + QByteArray(pattern) + "'";
        print(what.constData(), window, reference);
    }
    searchWindow.hide();

    SelectedFileName = QStringLiteral("file007.dat");
    SelectedDirectory = root;
    frmFileMgr managerWindow;
    managerWindow.ensureLoaded();
    managerWindow.Form_Activate();
    managerWindow.show();
    if (!QTest::qWaitForWindowExposed(&managerWindow))
        std::fprintf(stderr, "the file manager was not shown\n");
    for (const char *name : {"file007.dat", "nothing.here"}) {
        const QString text = QString::fromLatin1(name);
        const auto [window, reference] = bestOf([&] { return manage(managerWindow, text); },
                                                [&] { return find(root, text); });
        const QByteArray what = "file manager '" + QByteArray(name) + "'";
        print(what.constData(), window, reference);
    }
    if (!fixture.ui.unexpected.isEmpty())
        std::fprintf(stderr, "unexpected: %s\n",
                     qPrintable(fixture.ui.unexpected.join(QStringLiteral(" | "))));
    return 0;
}
