// What every benchmark shares: the timing of a step in wall and processor time, the spread of
// many, the printed figures, and the peak memory of the run.
#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

// Wall time is what a user waits; the thread's processor time leaves out the waits for a
// processor that other programs on a busy machine cause.
struct Time
{
    double wall;
    double cpu;
};

inline double cpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

inline Time timed(const std::function<void()> &step)
{
    QElapsedTimer timer;
    const double cpu = cpuMs();
    timer.start();
    step();
    return {static_cast<double>(timer.nsecsElapsed()) / 1e6, cpuMs() - cpu};
}

struct Spread
{
    Time median;
    Time p95;
};

inline Spread spreadOf(const std::vector<Time> &times)
{
    std::vector<double> wall;
    std::vector<double> cpu;
    for (const Time &time : times) {
        wall.push_back(time.wall);
        cpu.push_back(time.cpu);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    const auto at = [](const std::vector<double> &sorted, double share) {
        return sorted[std::min(sorted.size() - 1, static_cast<size_t>(share * sorted.size()))];
    };
    return {{at(wall, 0.5), at(cpu, 0.5)}, {at(wall, 0.95), at(cpu, 0.95)}};
}

inline const char *verdict(bool met)
{
    return met ? "ok" : "MISSED";
}

inline void report(const char *what, const Time &time, const char *target = "", bool met = true)
{
    std::printf("%-44s %8.1f ms  (cpu %6.1f)  %s %s\n", what, time.wall, time.cpu, target,
                *target ? verdict(met) : "");
}

inline void report(const QString &what, const Spread &spread, const char *target = "",
                   bool met = true)
{
    std::printf("%-44s median %6.1f ms (cpu %5.1f)  p95 %6.1f ms (cpu %5.1f)  %s %s\n",
                qPrintable(what), spread.median.wall, spread.median.cpu, spread.p95.wall,
                spread.p95.cpu, target, *target ? verdict(met) : "");
}

inline long peakMemoryKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}
