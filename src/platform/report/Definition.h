#pragma once

#include <QList>
#include <QString>

namespace report {

enum class Orientation { Portrait, Landscape };

// One column of the detail band: its caption in the page header, the field of the rows it
// shows (found by name without regard to case), and its share of the page width.
struct Column
{
    QString caption;
    QString field;
    double width = 1.0;
};

// What a report shows, as data: every report has the same bands (a report header with the
// title, the date and the page number; a page header with the captions; one detail line per
// row; a page footer; a report footer), so a report is its title and its columns.
struct Definition
{
    QString name;
    QString title;
    QList<Column> columns;
    Orientation orientation = Orientation::Portrait;
};

} // namespace report
