#include "ReportPages.h"

ReportSheet::ReportSheet(const report::Definition &definition)
{
    buffer.open(QIODevice::WriteOnly);
    report::SetUpPage(definition, writer);
}

QList<QStringList> DetailRows(const std::vector<report::Page> &pages)
{
    QList<QStringList> rows;
    for (const report::Page &page : pages) {
        qreal top = -1;
        for (const report::Text &text : page.texts) {
            if (text.style != report::Style::Detail)
                continue;
            if (rows.isEmpty() || text.rect.top() != top)
                rows.append(QStringList());
            top = text.rect.top();
            rows.last() << text.text();
        }
    }
    return rows;
}
