// The second desk of the benchmarks of two desks at once: on a connection of its own, in a
// thread of its own, it saves every 50 ms (it updates a catalogue row, then stages a row), and
// how long each write waits is what a user at that desk feels.
#pragma once

#include "BenchTiming.h"
#include "platform/db/ConnectString.h"
#include "platform/db/Connection.h"

#include <QElapsedTimer>
#include <QString>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

struct DeskRun
{
    std::vector<Time> waits; // one per write
    int failed = 0;
    QString firstFailure;
};

// A write every 50 ms until told to stop, each timed from its start to its end; the rows it
// updates are among the first rows of the catalogue.
void secondDesk(const QString &address, int rows, const std::atomic_bool &stop, DeskRun &run)
{
    db::Connection desk;
    desk.Open(db::ConnectStringFor(address));
    const auto write = [&](const QString &sql, const QVariantList &values) {
        QElapsedTimer timer;
        timer.start();
        try {
            desk.Execute(sql, values);
        } catch (const std::exception &error) {
            if (run.failed++ == 0)
                run.firstFailure = QString::fromUtf8(error.what());
        }
        const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        run.waits.push_back({ms, ms});
    };
    for (int i = 0; !stop; ++i) {
        write(QStringLiteral("UPDATE fileprofile SET Author = ? WHERE Inum = ?"),
              {QStringLiteral("desk B %1").arg(i), 1 + (i * 7919) % rows});
        write(QStringLiteral("INSERT INTO tempfile (FileName, FilePath, FileGroup, FileIndex) "
                             "VALUES (?, ?, 'Desk B', 2)"),
              {QStringLiteral("b%1.txt").arg(i), QStringLiteral("/desk-b/b%1.txt").arg(i)});
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    desk.Close();
}

void reportDesk(const DeskRun &desk)
{
    double longest = 0;
    for (const Time &wait : desk.waits)
        longest = std::max(longest, wait.wall);
    const Spread spread = spreadOf(desk.waits);
    std::printf("second desk: %zu writes, %d failed%s%s\n", desk.waits.size(), desk.failed,
                desk.failed ? ", first: " : "", qPrintable(desk.firstFailure));
    std::printf("second desk's wait: longest %.1f ms, median %.1f ms, p95 %.1f ms  %s\n", longest,
                spread.median.wall, spread.p95.wall, longest < 1000 ? "(under 1 s)" : "(OVER 1 s)");
}

} // namespace
