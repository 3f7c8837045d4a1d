#pragma once

#include "platform/report/Report.h"

#include <QBuffer>
#include <QList>
#include <QPdfWriter>
#include <QStringList>

#include <vector>

// A page to lay a report out on, as its PDF file would have it, without writing anything.
struct ReportSheet
{
    explicit ReportSheet(const report::Definition &definition);
    QBuffer buffer;
    QPdfWriter writer{&buffer};
};

// The detail lines of the pages, in order: each row is the texts that share one line's top.
QList<QStringList> DetailRows(const std::vector<report::Page> &pages);
