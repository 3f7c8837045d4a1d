// What the benchmarks of the catalogue browser share: its steps, timed until the grid has
// painted, and the search as the user types it.
#pragma once

#include "BenchCatalogue.h"
#include "catalogue/frmShow.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

namespace {

// The window answers a step when its grid has painted the rows on screen.
Time step(frmShow &window, const std::function<void()> &action)
{
    return timed([&] {
        action();
        paint(*window.DataGrid1);
    });
}

void choose(QComboBox *list, const QString &text, const std::function<void()> &click)
{
    list->setCurrentIndex(std::max(0, list->findText(text)));
    click();
}

// Each search mode, over the whole catalogue and within a group: every keystroke until grid and
// count are updated. engine, when given, starts each line of the report; judged = false leaves
// out the targets (a pass that only shows what a cold start costs).
[[maybe_unused]] void searchEveryMode(frmShow &window, db::Connection &connection,
                                      const Names &names, const QString &engine = {},
                                      bool judged = true)
{
    const struct
    {
        const char *label;
        const char *column;
        QRadioButton *option;
    } modes[] = {{"file name", "FileName", window.Option1},
                 {"description", "FileDesc", window.Option2},
                 {"web site name", "Websitename", window.Option3}};
    for (const auto &mode : modes) {
        mode.option->setChecked(true);
        const QStringList typed = keystrokes(connection, QString::fromLatin1(mode.column));
        for (const bool inGroup : {false, true}) {
            choose(window.cboGrpList, inGroup ? names.groups[17] : QStringLiteral("[All Groups]"),
                   [&] { window.cboGrpList_Click(); });
            std::vector<Time> times;
            for (const QString &text : typed)
                times.push_back(step(window, [&] { window.txtSearch->setText(text); }));
            const Spread spread = spreadOf(times);
            report(QStringLiteral("%1keystroke: %2%3")
                           .arg(engine.isEmpty() ? QString() : engine + QLatin1Char(' '),
                                mode.label, inGroup ? ", in a group" : ""),
                   spread, judged ? "target < 16 / < 50 ms" : "",
                   spread.median.wall < 16 && spread.p95.wall < 50);
            window.txtSearch->clear();
        }
    }
}

} // namespace
