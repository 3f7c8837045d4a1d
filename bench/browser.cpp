// The catalogue browser window itself over a catalogue of a million files: opening it, a search
// keystroke in each mode with and without a filter until grid and count are updated, filter
// changes, and going to the last row, with the peak memory of the whole run.
//
//   build/bench_browser [rows [catalogue]]
//
// rows defaults to 1000000. A catalogue file that exists is reused as it is (bench_grid makes
// the same catalogue); one that does not is built there and kept.

#include "BrowserSearch.h"
#include "app/CreateDatabase.h"
#include "app/modGlobals.h"
#include "catalogue/frmShow.h"
#include "platform/db/ConnectString.h"
#include "platform/db/DataControl.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

// "Find Anywhere": names typed from their third character on, a key at a time, over the whole
// catalogue, until grid and count are updated.
void searchAnywhere(frmShow &window, db::Connection &connection)
{
    IndexAddedFiles(connection);
    window.Option1->setChecked(true);
    window.chkAnywhere->setChecked(true);
    const QStringList typed = keystrokes(connection, QStringLiteral("substr(FileName, 3)"));
    std::vector<Time> times;
    std::vector<Time> few;
    for (const QString &text : typed) {
        times.push_back(step(window, [&] { window.txtSearch->setText(text); }));
        if (text.size() >= 6)
            few.push_back(times.back());
    }
    report(QStringLiteral("keystroke: anywhere in a file name"), spreadOf(times),
           "target < 16 / < 50 ms",
           spreadOf(times).median.wall < 16 && spreadOf(times).p95.wall < 50);
    report(QStringLiteral("  of those, six characters or more"), spreadOf(few));
    window.txtSearch->clear();
    window.chkAnywhere->setChecked(false);
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
    if (!reuse) {
        std::printf("building a catalogue of %d files ...\n", rows);
        std::fflush(stdout);
        const Time build = timed([&] { fill(connection, names, rows, rows > 1000000); });
        std::printf("built in %.0f s\n", build.wall / 1000);
    }
    ConnectString = db::ConnectStringFor(path);

    frmShow window;
    window.resize(1000, 760);
    const Time open = step(window, [&] { window.show(); });
    report("open the window (lists, count, first page)", open, "target < 1000 ms",
           open.wall < 1000);
    report("go to the last row", step(window, [&] { window.DataGrid1->scrollToBottom(); }));
    report("filter change: group", step(window, [&] {
               choose(window.cboGrpList, names.groups[17], [&] { window.cboGrpList_Click(); });
           }));
    report("filter change: web site", step(window, [&] {
               choose(window.cboSiteList, names.sites[1230], [&] { window.cboSiteList_Click(); });
           }));
    report("filter change: back to all", step(window, [&] {
               choose(window.cboSiteList, QStringLiteral("[All Sites]"),
                      [&] { window.cboSiteList_Click(); });
               choose(window.cboGrpList, QStringLiteral("[All Groups]"),
                      [&] { window.cboGrpList_Click(); });
           }));
    searchEveryMode(window, connection, names);
    searchAnywhere(window, connection);
    std::printf("%-44s %s\n", "count shown", qPrintable(window.Label14->text()));
    const long peak = peakMemoryKb();
    std::printf("%-44s %8.1f MB  target < 300 MB %s\n", "peak memory (VmHWM)", peak / 1024.0,
                verdict(peak >= 0 && peak < 300 * 1024));
    return 0;
}
