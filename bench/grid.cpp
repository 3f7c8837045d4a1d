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
#include "platform/db/ConnectString.h"
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

#include "BenchCatalogue.h"

namespace {

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
        grid_.ConnectionString = db::ConnectStringFor(path);
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
    // A catalogue kept from an earlier run holds the program's own text index.
    KnowOwnTables();
    const int rows = argc > 1 ? QByteArray(argv[1]).toInt() : 1000000;
    QTemporaryDir dir;
    const QString path = argc > 2 ? QString::fromLocal8Bit(argv[2])
                                  : dir.filePath(QStringLiteral("catalogue.mdb"));
    const bool reuse = QFile::exists(path);
    if (!reuse)
        CreateDatabase(path);
    const Names names = drawNames();
    db::Connection connection;
    connection.Open(db::ConnectStringFor(path));
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
