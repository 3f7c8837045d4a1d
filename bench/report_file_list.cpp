// The file list report over a catalogue of 100,000 files: time and peak memory of saving it as
// PDF, exporting it as CSV, and opening its preview. Each output runs in a child process of its
// own, so that each peak is that output's alone.
//
//   bench_report_file_list                      makes the catalogue and runs the three children
//   bench_report_file_list pdf|csv|preview DB   one output over an existing catalogue

#include "ScriptedUi.h"
#include "app/CreateDatabase.h"
#include "app/modGlobals.h"
#include "platform/db/ConnectString.h"
#include "platform/db/Connection.h"
#include "platform/db/Reader.h"
#include "platform/report/Preview.h"
#include "platform/report/Report.h"
#include "reports/Layouts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>

namespace {

constexpr int kRows = 100000;
const QString kStatement =
        QStringLiteral("SELECT filename,filedesc,filegroup, directory, websitename, author, email "
                       "FROM fileprofile ORDER BY inum");

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

// Processor time of this process so far, in seconds: steadier than wall time on a shared machine.
double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) {
        return t.tv_sec + t.tv_usec / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The peak resident memory of this process so far, in MiB.
double peakMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QString text = QString::fromLatin1(status.readAll());
    const auto match = QRegularExpression(QStringLiteral("VmHWM:\\s*(\\d+) kB")).match(text);
    return match.hasMatch() ? match.captured(1).toDouble() / 1024.0 : -1;
}

QString pick(QRandomGenerator &random, const QStringList &from)
{
    return from[static_cast<int>(random.bounded(static_cast<quint32>(from.size())))];
}

// A catalogue as users build it: a few groups and sites, descriptions from a word to a
// paragraph (a tenth of them wrap over several lines), folders a few levels deep.
void fillCatalogue(const QString &path)
{
    const QStringList groups = {"C", "C++", "Java", "Python", "SQL", "Shell", "Documents"};
    const QStringList sites = {"Code Corner", "The Script Shelf", "Open Archive",
                               "Dev Notes Weekly", ""};
    const QStringList authors = {"Ana Ruiz", "Tomasz Nowak", "Mei Lin", "Oskar Berg", ""};
    const QStringList words = {"parser",  "utility", "for",    "reading", "large", "files",
                               "quickly", "with",    "sample", "input",   "and",   "tests"};
    QRandomGenerator random(42);
    db::Connection connection;
    connection.Open(db::ConnectStringFor(path));
    connection.Execute(QStringLiteral("BEGIN"));
    for (int i = 1; i <= kRows; ++i) {
        QStringList description;
        const int length = random.bounded(10) == 0 ? 40 : 1 + random.bounded(8);
        for (int w = 0; w < length; ++w)
            description << pick(random, words);
        const QString author = pick(random, authors);
        const QString email = author.isEmpty()
                ? QString()
                : author.section(' ', 0, 0).toLower() + QStringLiteral("@example.org");
        connection.Execute(
                QStringLiteral("INSERT INTO fileprofile (FileName, FileDesc, FileGroup, Directory, "
                               "WebSiteName, Author, Email) VALUES (?, ?, ?, ?, ?, ?, ?)"),
                {QStringLiteral("file_%1.%2").arg(i, 6, 10, QLatin1Char('0')).arg("txt"),
                 description.join(' '), pick(random, groups),
                 QStringLiteral("/home/ana/projects/p%1/src/module%2")
                         .arg(random.bounded(50))
                         .arg(random.bounded(20)),
                 pick(random, sites), author, email});
    }
    connection.Execute(QStringLiteral("COMMIT"));
}

// Opens the preview as a person would, lays out every page once, and closes it again.
int openPreview(db::Connection &connection, const report::Definition &layout)
{
    ScriptedUi ui;
    int pages = 0;
    ui.onModal(layout.name, [&](QWidget *window) {
        if (auto *preview = window->findChild<QPrintPreviewWidget *>()) {
            preview->updatePreview();
            pages = preview->pageCount();
        }
        return 0;
    });
    SetUiDriver(&ui);
    report::ShowPreview(layout, connection, kStatement, {}, QStringLiteral("File List"));
    SetUiDriver(nullptr);
    return pages;
}

int runOutput(const QString &output, const QString &database)
{
    const report::Definition *layout = ReportLayout(QStringLiteral("rptFileList"));
    db::Connection connection;
    connection.Open(db::ConnectStringFor(database));
    const double before = peakMiB();
    const double cpuBefore = cpuSeconds();
    QElapsedTimer timer;
    timer.start();
    QStringList detail;
    if (output == QLatin1String("preview")) {
        detail << QStringLiteral("%1 pages").arg(openPreview(connection, *layout));
    } else {
        const QString file = database + QLatin1Char('.') + output;
        db::Reader rows;
        rows.Open(kStatement, connection);
        if (output == QLatin1String("pdf"))
            detail << QStringLiteral("%1 pages").arg(report::SavePdf(*layout, rows, file));
        else
            report::ExportCsv(*layout, rows, file);
        detail << QStringLiteral("%1 MiB file").arg(QFileInfo(file).size() / 1048576.0, 0, 'f', 1);
    }
    const double seconds = timer.elapsed() / 1000.0;
    const double cpu = cpuSeconds() - cpuBefore;
    const double peak = peakMiB();
    out() << QStringLiteral("%1: %2 s (%3 s of processor), peak %4 MiB (%5 MiB over the %6 MiB at "
                            "start), %7\n")
                     .arg(output.toUpper(), -7)
                     .arg(seconds, 0, 'f', 2)
                     .arg(cpu, 0, 'f', 2)
                     .arg(peak, 0, 'f', 0)
                     .arg(peak - before, 0, 'f', 0)
                     .arg(before, 0, 'f', 0)
                     .arg(detail.join(QStringLiteral(", ")));
    return 0;
}

int runAll(const QString &program)
{
    QTemporaryDir dir;
    const QString database = dir.filePath(QStringLiteral("catalogue.mdb"));
    CreateDatabase(database);
    QElapsedTimer timer;
    timer.start();
    fillCatalogue(database);
    out() << QStringLiteral("catalogue: %1 rows inserted in %2 s\n")
                     .arg(kRows)
                     .arg(timer.elapsed() / 1000.0, 0, 'f', 2);
    out().flush();
    int failures = 0;
    for (const QString &output :
         {QStringLiteral("pdf"), QStringLiteral("csv"), QStringLiteral("preview")}) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(program, {output, database});
        if (!child.waitForFinished(-1) || child.exitCode() != 0)
            ++failures;
    }
    return failures;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    try {
        const QStringList args = app.arguments();
        if (args.size() == 3)
            return runOutput(args[1], args[2]);
        return runAll(app.applicationFilePath());
    } catch (const db::DbError &error) {
        QTextStream(stderr) << "Error: " << error.description() << '\n';
        return 1;
    }
}
