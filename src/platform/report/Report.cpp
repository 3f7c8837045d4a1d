#include "platform/report/Report.h"

#include "platform/db/Reader.h"
#include "platform/report/Csv.h"
#include "platform/ui/Dialogs.h"

#include <QLocale>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace report {

namespace {

constexpr qreal kMarginMillimetres = 12.7;
constexpr qsizetype kCsvChunk = 64 * 1024;

QPageSize localPaper()
{
    return QPageSize(QLocale().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                                : QPageSize::A4);
}

db::DbError cannotWrite(const QString &path, const QString &reason)
{
    return db::DbError(QStringLiteral("Could not write the file '%1': %2").arg(path, reason));
}

// Paints the pages handed to it, one after the other, onto a device.
class PagePainter
{
public:
    explicit PagePainter(QPagedPaintDevice &device)
        : device_(device)
        , faces_(device)
    {
        if (!painter_.begin(&device))
            throw db::DbError(QStringLiteral("The report could not be drawn on its device."));
    }

    void paint(const Page &page)
    {
        if (page.number > 1)
            device_.newPage();
        for (const Rule &rule : page.rules) {
            painter_.setPen(QPen(Qt::black, rule.width, Qt::SolidLine, Qt::FlatCap));
            painter_.drawLine(rule.line);
        }
        painter_.setPen(Qt::black);
        for (const Text &text : page.texts)
            paint(text);
    }

private:
    void paint(const Text &text)
    {
        painter_.setFont(faces_.font(text.style));
        const QFontMetricsF &metrics = faces_.metrics(text.style);
        qreal baseline = text.rect.top() + metrics.ascent();
        for (const QString &line : text.lines) {
            painter_.drawText(QPointF(text.rect.left(), baseline), line);
            baseline += metrics.lineSpacing();
        }
    }

    QPagedPaintDevice &device_;
    const Typefaces faces_;
    QPainter painter_;
};

void flush(QSaveFile &file, QByteArray &buffer)
{
    if (file.write(buffer) != buffer.size())
        throw cannotWrite(file.fileName(), file.errorString());
    buffer.clear();
}

void commit(QSaveFile &file)
{
    if (!file.commit())
        throw cannotWrite(file.fileName(), file.errorString());
}

void openForWriting(QSaveFile &file)
{
    if (!file.open(QIODevice::WriteOnly))
        throw cannotWrite(file.fileName(), file.errorString());
}

} // namespace

void SetUpPage(const Definition &definition, QPagedPaintDevice &device)
{
    const auto orientation = definition.orientation == Orientation::Landscape
            ? QPageLayout::Landscape
            : QPageLayout::Portrait;
    const qreal m = kMarginMillimetres;
    device.setPageLayout(
            QPageLayout(localPaper(), orientation, QMarginsF(m, m, m, m), QPageLayout::Millimeter));
}

int Render(const Definition &definition, db::Reader &rows, QPagedPaintDevice &device)
{
    PagePainter painter(device);
    return LayOut(definition, rows, device, [&](const Page &page) { painter.paint(page); });
}

std::vector<Page> Record(const Definition &definition, db::Reader &rows, const QPaintDevice &device)
{
    std::vector<Page> pages;
    LayOut(definition, rows, device, [&](const Page &page) { pages.push_back(page); });
    return pages;
}

int SavePdf(const Definition &definition, db::Reader &rows, const QString &path,
            const QString &caption)
{
    // Checked before the file is begun, so that a report that cannot run leaves nothing behind.
    const BoundColumns check(definition, rows);
    QSaveFile file(path);
    openForWriting(file);
    int pages = 0;
    {
        QPdfWriter writer(&file);
        writer.setTitle(caption.isEmpty() ? definition.title : caption);
        writer.setCreator(AppTitle());
        SetUpPage(definition, writer);
        pages = Render(definition, rows, writer);
    }
    commit(file);
    return pages;
}

void ExportCsv(const Definition &definition, db::Reader &rows, const QString &path)
{
    const BoundColumns columns(definition, rows);
    QSaveFile file(path);
    openForWriting(file);
    QByteArray buffer;
    QStringList fields;
    for (const Column &column : definition.columns)
        fields << column.caption;
    AppendCsvLine(buffer, fields);
    for (; !rows.AtEnd(); rows.MoveNext()) {
        fields.clear();
        for (int i = 0; i < columns.size(); ++i)
            fields << columns.text(rows, i);
        AppendCsvLine(buffer, fields);
        if (buffer.size() >= kCsvChunk)
            flush(file, buffer);
    }
    flush(file, buffer);
    commit(file);
}

} // namespace report
