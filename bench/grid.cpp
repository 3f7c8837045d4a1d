// The catalogue browser's grid over a catalogue of a million files, through a QTableView over
// the data control: opening it, jumps, paging, filter changes and search keystrokes, with the
// peak memory of the whole run.
//
//   build/bench_grid [rows [catalogue]]
//
// rows defaults to 1000000. A catalogue file that exists is reused as it is (it must have been
// made by this program); one that does not is built there and kept, so that a rerun skips the
// minutes of building. Without it, the catalogue goes to a temporary folder.

#include "app/CreateDatabase.h"
#include "app/modGlobals.h"
#include "platform/db/Connection.h"
#include "platform/db/DataControl.h"
#include "platform/db/Recordset.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

const QStringList kWords = {"report", "invoice", "photo",   "holiday", "setup",   "readme",
                            "notes",  "budget",  "draft",   "letter",  "scan",    "backup",
                            "music",  "track",   "video",   "clip",    "project", "design",
                            "logo",   "manual",  "guide",   "paper",   "thesis",  "data",
                            "export", "import",  "summary", "agenda",  "minutes", "plan"};
const QStringList kExtensions = {"txt", "pdf", "jpg", "png", "doc",
                                 "xls", "zip", "mp3", "cpp", "h"};
constexpr int kGroups = 200;
constexpr int kSites = 2000;
constexpr int kKeystrokes = 50;

QRandomGenerator random(20261208);

const QString &pick(const QStringList &list)
{
    return list[random.bounded(static_cast<int>(list.size()))];
}

QString capitalised(const QString &word)
{
    return word.left(1).toUpper() + word.mid(1);
}

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QChar(u'0'));
}

struct Names
{
    QStringList groups;
    QStringList sites;
};

// Drawn first from a fixed seed, so that a reused catalogue gets the same names.
Names drawNames()
{
    Names names;
    for (int i = 0; i < kGroups; ++i)
        names.groups << QStringLiteral("%1 %2").arg(capitalised(pick(kWords))).arg(i);
    for (int i = 0; i < kSites; ++i)
        names.sites << QStringLiteral("%1%2.example.org").arg(pick(kWords)).arg(i);
    return names;
}

QVariantList fileRow(const Names &names, int i)
{
    const QString word = pick(kWords);
    const QString name =
            QStringLiteral("%1_%2_%3.%4")
                    .arg(random.bounded(10) < 3 ? capitalised(word) : word, pick(kWords))
                    .arg(random.bounded(1, 100000))
                    .arg(pick(kExtensions));
    const QString directory = QStringLiteral("/home/user/") + word;
    const QString site = pick(names.sites);
    return {name,
            QStringLiteral("%1 %2 %3").arg(capitalised(pick(kWords)), pick(kWords), pick(kWords)),
            directory + QLatin1Char('/') + name,
            pick(names.groups),
            QStringLiteral("2026-%1-%2").arg(twoDigits(1 + i % 12), twoDigits(1 + i % 28)),
            i,
            QStringLiteral("https://") + site,
            site,
            QStringLiteral("Author %1").arg(i % 500),
            QStringLiteral("author%1@example.org").arg(i % 500),
            QStringLiteral("/"),
            directory,
            QStringLiteral("DATA"),
            QString::number(random.bounded(1, 10000000))};
}

// One row to a statement inside one transaction: Qt binds a statement's values in time that
// grows faster than their number, so several rows to a statement are slower.
void fill(db::Connection &connection, const Names &names, int rows)
{
    const QString insert = QStringLiteral(
            "INSERT INTO fileprofile (FileName, FileDesc, FilePath, FileGroup, FileDate, "
            "FileIndex, WebAddress, WebSiteName, Author, Email, Drive, Directory, Label, FSize) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    connection.Execute(QStringLiteral("BEGIN"));
    for (int i = 0; i < rows; ++i)
        connection.Execute(insert, fileRow(names, i));
    connection.Execute(QStringLiteral("COMMIT"));
}

// Wall time is what a user waits; the thread's processor time leaves out the waits for a
// processor that other programs on a busy machine cause.
struct Time
{
    double wall;
    double cpu;
};

double cpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

Time timed(const std::function<void()> &step)
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

Spread spreadOf(const std::vector<Time> &times)
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

const char *verdict(bool met)
{
    return met ? "ok" : "MISSED";
}

void report(const char *what, const Time &time, const char *target = "", bool met = true)
{
    std::printf("%-44s %8.1f ms  (cpu %6.1f)  %s %s\n", what, time.wall, time.cpu, target,
                *target ? verdict(met) : "");
}

void report(const QString &what, const Spread &spread, const char *target = "", bool met = true)
{
    std::printf("%-44s median %6.1f ms (cpu %5.1f)  p95 %6.1f ms (cpu %5.1f)  %s %s\n",
                qPrintable(what), spread.median.wall, spread.median.cpu, spread.p95.wall,
                spread.p95.cpu, target, *target ? verdict(met) : "");
}

long peakMemoryKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Lets the view lay itself out and paints it, which reads the rows on screen.
void paint(QTableView &view)
{
    QCoreApplication::processEvents();
    view.viewport()->repaint();
}

// What a user types: the first characters of values in the catalogue, a key at a time.
QStringList keystrokes(db::Connection &connection, const QString &column)
{
    QStringList typed;
    while (typed.size() < kKeystrokes) {
        db::Recordset rs;
        rs.Open(QStringLiteral("SELECT %1 FROM fileprofile WHERE Inum = ?").arg(column), connection,
                {random.bounded(1, 1000)});
        const QString value = rs.AtEnd() ? QString() : rs.Fields(0).toString();
        for (int length = 1; length <= std::min<int>(static_cast<int>(value.size()), 10)
             && typed.size() < kKeystrokes;
             ++length)
            typed << value.left(length);
    }
    return typed;
}

struct Statement
{
    const char *label;
    QString sql;
    QVariantList values;
};

class Bench
{
public:
    Bench(const QString &path, const Names &names)
        : names_(names)
    {
        grid_.ConnectionString = ConnectStringFor(path);
        view_.setModel(grid_.model());
        view_.resize(1000, 700);
        view_.show();
    }

    // A new record source as the browser sets one: refreshed, shown from its first row. The
    // refresh alone (count and first page) is the data control's share; the rest is painting.
    Time show(const QString &sql, const QVariantList &values = {}, Time *refresh = nullptr)
    {
        return timed([&] {
            const Time counted = timed([&] {
                grid_.setRecordSource(sql, values);
                grid_.Refresh();
            });
            if (refresh)
                *refresh = counted;
            view_.scrollToTop();
            paint(view_);
        });
    }

    void browse();
    void filter();
    void search(db::Connection &connection);
    qint64 heldRows() const { return grid_.model()->heldRows(); }

private:
    Time scroll(const std::function<void()> &move)
    {
        return timed([&] {
            move();
            paint(view_);
        });
    }

    const Names &names_;
    db::DataControl grid_;
    QTableView view_;
};

void Bench::browse()
{
    const Time open = show(QStringLiteral("SELECT * FROM FileProfile order by filename"));
    report("open (count, first page, paint)", open, "target < 1000 ms", open.wall < 1000);
    std::vector<Time> repaints;
    for (int i = 0; i < 20; ++i)
        repaints.push_back(timed([&] { view_.viewport()->repaint(); }));
    report(QStringLiteral("repaint, nothing changed (Qt alone)"), spreadOf(repaints));
    report("jump to the last row", scroll([&] { view_.scrollToBottom(); }));
    QScrollBar *bar = view_.verticalScrollBar();
    report("jump to the middle", scroll([&] { bar->setValue(bar->maximum() / 2); }));
    std::vector<Time> pages;
    for (int i = 0; i < 50; ++i)
        pages.push_back(scroll([&] { bar->triggerAction(QAbstractSlider::SliderPageStepAdd); }));
    report(QStringLiteral("page down in the middle (50 times)"), spreadOf(pages));
    report("jump back to the first row", scroll([&] { view_.scrollToTop(); }));
}

void Bench::filter()
{
    const QString group = names_.groups[17];
    const QString site = names_.sites[1230];
    const std::vector<Statement> filters = {
            {"filter change: group",
             QStringLiteral("Select * from fileprofile where FileGroup=?"),
             {group}},
            {"filter change: web site",
             QStringLiteral("Select * from fileprofile where Websitename =?"),
             {site}},
            {"filter change: web site and group",
             QStringLiteral("Select * from fileprofile where Websitename =? and FileGroup=?"),
             {site, group}},
            {"filter change: all rows", QStringLiteral("Select * from fileprofile"), {}}};
    for (const Statement &statement : filters)
        report(statement.label, show(statement.sql, statement.values));
}

void Bench::search(db::Connection &connection)
{
    const QString group = names_.groups[17];
    struct Mode
    {
        const char *label;
        QString column;
        QString order;
    };
    const std::vector<Mode> modes = {
            {"file name", QStringLiteral("FileName"), QStringLiteral("ORDER BY FileName;")},
            {"description", QStringLiteral("FileDesc"), QStringLiteral("ORDER BY FileDesc;")},
            {"web site name", QStringLiteral("Websitename"), QStringLiteral("ORDER BY filename;")}};
    for (const Mode &mode : modes) {
        const QStringList typed = keystrokes(connection, mode.column);
        for (const bool inGroup : {false, true}) {
            std::vector<Time> times;
            std::vector<Time> refreshes;
            for (const QString &text : typed) {
                QString sql = QStringLiteral("SELECT * FROM FileProfile WHERE %1 Like ? ")
                                      .arg(mode.column);
                QVariantList values = {text + QLatin1Char('%')};
                if (inGroup) {
                    sql += QStringLiteral("and FileGroup=?");
                    values << group;
                }
                Time refresh{};
                times.push_back(show(sql + mode.order, values, &refresh));
                refreshes.push_back(refresh);
            }
            const Spread spread = spreadOf(times);
            const QString label = QStringLiteral("keystroke: %1%2")
                                          .arg(mode.label, inGroup ? ", in a group" : "");
            report(label, spread, "target < 16 / < 50 ms",
                   spread.median.wall < 16 && spread.p95.wall < 50);
            report(QStringLiteral("  of which count and first page"), spreadOf(refreshes));
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    const int rows = argc > 1 ? QByteArray(argv[1]).toInt() : 1000000;
    QTemporaryDir dir;
    const QString path = argc > 2 ? QString::fromLocal8Bit(argv[2])
                                  : dir.filePath(QStringLiteral("catalogue.mdb"));
    const bool reuse = QFile::exists(path);
    if (!reuse)
        CreateDatabase(path);
    const Names names = drawNames();
    db::Connection connection;
    connection.Open(ConnectStringFor(path));
    if (reuse) {
        std::printf("reusing the catalogue in %s\n", qPrintable(path));
    } else {
        std::printf("building a catalogue of %d files ...\n", rows);
        std::fflush(stdout);
        const Time build = timed([&] { fill(connection, names, rows); });
        std::printf("built in %.0f s\n", build.wall / 1000);
    }

    Bench bench(path, names);
    bench.browse();
    bench.filter();
    bench.search(connection);
    const long peak = peakMemoryKb();
    std::printf("%-44s %8.1f MB  target < 300 MB %s\n", "peak memory (VmHWM)", peak / 1024.0,
                verdict(peak >= 0 && peak < 300 * 1024));
    std::printf("%-44s %8lld\n", "rows the grid holds at the end",
                static_cast<long long>(bench.heldRows()));
    return 0;
}
