// The log viewer over a 50 MB log: the time from opening the window until its first screen is
// painted, and the peak memory of the run; then the same size of log in which no line reads.
//
//   build/bench_log_viewer [megabytes]
//
// megabytes defaults to 50. The logs are written in a temporary folder, with settings of their
// own there, so the user's settings and log are never touched.

#include "BenchTiming.h"
#include "ScriptedUi.h"
#include "app/CLog.h"
#include "app/SettingKeys.h"
#include "app/frmLog.h"
#include "app/modGlobals.h"
#include "platform/Settings.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QTreeView>

#include <cstdio>

namespace {

QRandomGenerator random(20261208);

const QStringList kMessages = {"Table is Empty",
                               "Error1",
                               "Login failed: database is locked",
                               "Saved the web site",
                               "Password not changed: database or disk is full",
                               "Imported 120 files, 3 already in the catalogue"};

// Writes a log of about megabytes, line by line, entries a few seconds apart; when broken, no
// line has the form of an entry.
qint64 writeLog(const QString &path, int megabytes, bool broken)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    QDateTime when(QDate(2025, 1, 1), QTime(8, 0));
    qint64 lines = 0;
    while (file.size() < qint64(megabytes) * 1024 * 1024) {
        QByteArray line;
        if (broken) {
            line = "broken entry " + QByteArray::number(lines) + " without its fields\r\n";
        } else {
            QString message = kMessages[random.bounded(int(kMessages.size()))];
            if (random.bounded(5) == 0)
                message += QStringLiteral(" (row %1)").arg(random.bounded(1000000));
            line = CLog::formatLine(when, qint16(random.bounded(3)), message);
        }
        file.write(line);
        when = when.addSecs(random.bounded(1, 30));
        ++lines;
    }
    return lines;
}

void openViewer(ScriptedUi &ui, const char *what, qint64 lines)
{
    ui.answer(vbOK); // a read failure is told once
    const long before = peakMemoryKb();
    frmLog viewer;
    viewer.resize(900, 600);
    viewer.oLog = &Log();
    QElapsedTimer timer;
    timer.start();
    viewer.Form_Load();
    viewer.show();
    QCoreApplication::processEvents();
    viewer.lstLog->viewport()->repaint();
    const double seconds = timer.nsecsElapsed() / 1e9;
    const long listed = peakMemoryKb();
    std::printf("%-44s %lld lines, %lld listed\n", what, static_cast<long long>(lines),
                static_cast<long long>(viewer.lstLog->model()->rowCount()));
    std::printf("%-44s %8.2f s  target a few s %s\n", "  open and paint the first screen", seconds,
                seconds < 5 ? "ok" : "MISSED");
    if (!ui.messages.isEmpty())
        std::printf("%-44s %8lld characters\n", "  message shown",
                    static_cast<long long>(ui.messages.last().text.size()));
    std::printf("%-44s %8.1f MB (before %.1f MB)\n", "  peak memory (VmHWM)", listed / 1024.0,
                before / 1024.0);
    ui.messages.clear();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int megabytes = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 50;
    QTemporaryDir dir;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.filePath("settings"));
    ScriptedUi ui;
    SetUiDriver(&ui);
    const QString path = dir.filePath(QStringLiteral("tarnu.log"));
    settings::Set(SettingKey::LogFile, path);

    qint64 lines = writeLog(path, megabytes, false);
    openViewer(ui, qPrintable(QStringLiteral("log of %1 MB").arg(megabytes)), lines);
    lines = writeLog(path, megabytes, true);
    openViewer(ui, qPrintable(QStringLiteral("log of %1 MB, no line readable").arg(megabytes)),
               lines);
    SetUiDriver(nullptr);
    return 0;
}
