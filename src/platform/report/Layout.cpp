#include "platform/report/Layout.h"

#include "platform/Clock.h"
#include "platform/db/Reader.h"

#include <QLocale>
#include <QPaintDevice>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace report {

namespace {

// Sizes of the bands, in points (1/72 inch), whatever the device's resolution.
constexpr qreal kColumnGap = 6;
constexpr qreal kRowGap = 2;
constexpr qreal kThickRule = 1.5;
constexpr qreal kThinRule = 0.75;
constexpr qreal kPageFooter = 18;

struct Typeface
{
    qreal points;
    bool bold;
};

// In the order of Style: title, labels, captions, details. Eight points lets the seven columns
// of a portrait list show a file name, a group or an address on one line.
const Typeface kTypefaces[] = {{14, true}, {9, false}, {8, true}, {8, false}};

bool hasLineBreak(const QString &text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

// Breaks text into lines no wider than width: at word boundaries where it can, inside a word
// where the word alone is too wide, and at every line break of the text. Nothing is cut off.
QStringList wrap(const QString &text, const QFont &font, const QFontMetricsF &metrics,
                 const QPaintDevice &device, qreal width)
{
    if (!hasLineBreak(text) && metrics.horizontalAdvance(text) <= width)
        return {text};
    QString prepared = text;
    prepared.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    prepared.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    prepared.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(prepared, font, &device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        QString part = prepared.mid(line.textStart(), line.textLength());
        if (part.endsWith(QChar::LineSeparator))
            part.chop(1);
        lines << part;
    }
    layout.endLayout();
    return lines;
}

// Puts the rows of one report on pages: the headers at the top of each page, as many detail
// lines as fit, the report footer after the last row.
class Paginator
{
public:
    Paginator(const Definition &definition, const QPaintDevice &device, const PageSink &sink)
        : device_(device)
        , sink_(sink)
        , faces_(device)
        , area_(0, 0, device.width(), device.height())
        , title_(definition.title)
        , date_(QLocale().toString(Now().date(), QLocale::LongFormat))
    {
        placeColumns(definition);
        for (const Column &column : definition.columns)
            captions_ << column.caption;
    }

    void addRow(const QStringList &values);
    void finish();
    int pageCount() const { return page_.number; }

private:
    qreal points(qreal value) const { return value * device_.logicalDpiY() / 72.0; }
    qreal lineHeight(Style style) const { return faces_.metrics(style).lineSpacing(); }
    qreal detailBottom() const { return area_.bottom() - points(kPageFooter); }
    void placeColumns(const Definition &definition);
    std::vector<QStringList> wrapCells(const QStringList &values, Style style) const;
    void startPage();
    void endPage();
    void reportHeader();
    void pageHeader();
    void reportFooter();
    int linesThatFit() const;
    void placeLines(const std::vector<QStringList> &cells, int from, int count, Style style);
    void addText(Style style, const QRectF &rect, QStringList lines);
    void addRule(qreal width);

    const QPaintDevice &device_;
    const PageSink &sink_;
    const Typefaces faces_;
    const QRectF area_;
    const QString title_;
    const QString date_;
    QStringList captions_;
    std::vector<qreal> columnLeft_;
    std::vector<qreal> columnWidth_;
    Page page_;
    qreal y_ = 0;
    bool pageHasRows_ = false;
};

void Paginator::placeColumns(const Definition &definition)
{
    double total = 0;
    for (const Column &column : definition.columns)
        total += std::max(column.width, 0.0);
    if (total <= 0)
        total = 1;
    qreal left = area_.left();
    for (const Column &column : definition.columns) {
        const qreal share = area_.width() * std::max(column.width, 0.0) / total;
        columnLeft_.push_back(left);
        // However many columns share the page, each keeps a strip wide enough to show a letter.
        columnWidth_.push_back(std::max(share - points(kColumnGap), points(kColumnGap)));
        left += share;
    }
}

std::vector<QStringList> Paginator::wrapCells(const QStringList &values, Style style) const
{
    std::vector<QStringList> cells;
    cells.reserve(values.size());
    for (int i = 0; i < values.size(); ++i)
        cells.push_back(wrap(values[i], faces_.font(style), faces_.metrics(style), device_,
                             columnWidth_[static_cast<size_t>(i)]));
    return cells;
}

void Paginator::addText(Style style, const QRectF &rect, QStringList lines)
{
    page_.texts.push_back(Text{style, rect, std::move(lines)});
}

void Paginator::addRule(qreal width)
{
    const qreal thickness = points(width);
    page_.rules.push_back(Rule{QLineF(area_.left(), y_, area_.right(), y_), thickness});
    y_ += thickness;
}

void Paginator::startPage()
{
    const int number = page_.number + 1;
    page_ = Page{};
    page_.number = number;
    page_.area = area_;
    y_ = area_.top();
    pageHasRows_ = false;
    reportHeader();
    pageHeader();
}

void Paginator::endPage()
{
    // The page footer band stays empty; it keeps the last detail line off the bottom edge.
    sink_(page_);
}

// The title; a rule; the date on the left with "Page No:" and the number on the right; a rule.
void Paginator::reportHeader()
{
    const QStringList title = wrap(title_, faces_.font(Style::Title), faces_.metrics(Style::Title),
                                   device_, area_.width());
    const qreal titleHeight = lineHeight(Style::Title) * title.size();
    addText(Style::Title, QRectF(area_.left(), y_, area_.width(), titleHeight), title);
    y_ += titleHeight + points(2);
    addRule(kThickRule);
    y_ += points(3);

    const QFontMetricsF &label = faces_.metrics(Style::Label);
    const qreal height = lineHeight(Style::Label);
    const QString pageLabel = QStringLiteral("Page No:");
    const QString number = QString::number(page_.number);
    const qreal numberWidth = std::max(label.horizontalAdvance(QStringLiteral("00000")),
                                       label.horizontalAdvance(number));
    const qreal numberLeft = area_.right() - numberWidth;
    const qreal pageLabelWidth = label.horizontalAdvance(pageLabel);
    const qreal pageLabelLeft = numberLeft - points(4) - pageLabelWidth;
    addText(Style::Label, QRectF(area_.left(), y_, pageLabelLeft - area_.left(), height), {date_});
    addText(Style::Label, QRectF(pageLabelLeft, y_, pageLabelWidth, height), {pageLabel});
    addText(Style::Label, QRectF(numberLeft, y_, numberWidth, height), {number});
    y_ += height + points(2);
    addRule(kThinRule);
    y_ += points(6);
}

// The column captions, wrapped like the rows below them; a rule.
void Paginator::pageHeader()
{
    const std::vector<QStringList> cells = wrapCells(captions_, Style::Caption);
    placeLines(cells, 0, -1, Style::Caption);
    addRule(kThinRule);
    y_ += points(4);
}

void Paginator::reportFooter()
{
    if (y_ + points(kRowGap + kThinRule) > detailBottom()) {
        endPage();
        startPage();
    }
    y_ += points(kRowGap);
    addRule(kThinRule);
}

int Paginator::linesThatFit() const
{
    const qreal room = detailBottom() - y_ - points(kRowGap);
    return std::max(0, static_cast<int>(std::floor(room / lineHeight(Style::Detail))));
}

// Places up to count lines (-1: all) of each cell, from line from on, side by side, and moves
// below the tallest.
void Paginator::placeLines(const std::vector<QStringList> &cells, int from, int count, Style style)
{
    qsizetype tallest = 0;
    for (size_t i = 0; i < cells.size(); ++i) {
        const QStringList part = cells[i].mid(from, count);
        if (part.isEmpty() && from > 0)
            continue;
        const qreal height = lineHeight(style) * part.size();
        addText(style, QRectF(columnLeft_[i], y_, columnWidth_[i], height), part);
        tallest = std::max(tallest, part.size());
    }
    y_ += lineHeight(style) * tallest + points(kRowGap);
}

// A row goes whole onto the page when it fits there, else onto the next page; only a row taller
// than a whole page is split, line by line, over as many pages as it needs.
void Paginator::addRow(const QStringList &values)
{
    if (page_.number == 0)
        startPage();
    const std::vector<QStringList> cells = wrapCells(values, Style::Detail);
    int lines = 1;
    for (const QStringList &cell : cells)
        lines = std::max(lines, static_cast<int>(cell.size()));
    int done = 0;
    for (;;) {
        const int room = linesThatFit();
        const int left = lines - done;
        if (left <= room) {
            placeLines(cells, done, left, Style::Detail);
            pageHasRows_ = true;
            return;
        }
        if (!pageHasRows_) {
            // Even an empty page cannot take the whole row: fill it and go on overleaf.
            const int take = std::max(room, 1);
            placeLines(cells, done, take, Style::Detail);
            done += take;
            pageHasRows_ = done == lines;
            if (pageHasRows_)
                return;
        }
        endPage();
        startPage();
    }
}

void Paginator::finish()
{
    if (page_.number == 0)
        startPage();
    reportFooter();
    endPage();
}

} // namespace

QStringList Page::textList(std::optional<Style> only) const
{
    QStringList result;
    for (const Text &text : texts) {
        if (!only || text.style == *only)
            result << text.text();
    }
    return result;
}

Typefaces::Typefaces(const QPaintDevice &device)
{
    for (const Typeface &face : kTypefaces) {
        // Arial where it is installed; elsewhere the font database's stand-in for it.
        QFont font(QStringLiteral("Arial"));
        font.setStyleHint(QFont::SansSerif);
        font.setPointSizeF(face.points);
        font.setBold(face.bold);
        fonts_.push_back(font);
        metrics_.emplace_back(font, &device);
    }
}

BoundColumns::BoundColumns(const Definition &definition, const db::Reader &rows)
{
    for (const Column &column : definition.columns) {
        const int field = rows.FieldIndex(column.field);
        if (field < 0)
            throw db::DbError(QStringLiteral("The report %1 shows the field '%2', which is not "
                                             "among the selected columns.")
                                      .arg(definition.name, column.field));
        fields_.push_back(field);
    }
}

QString BoundColumns::text(const db::Reader &rows, int column) const
{
    const QVariant value = rows.Fields(fields_[static_cast<size_t>(column)]);
    return value.isNull() ? QString() : value.toString();
}

int LayOut(const Definition &definition, db::Reader &rows, const QPaintDevice &device,
           const PageSink &sink)
{
    const BoundColumns columns(definition, rows);
    Paginator paginator(definition, device, sink);
    QStringList values;
    for (; !rows.AtEnd(); rows.MoveNext()) {
        values.clear();
        for (int i = 0; i < columns.size(); ++i)
            values << columns.text(rows, i);
        paginator.addRow(values);
    }
    paginator.finish();
    return paginator.pageCount();
}

} // namespace report
