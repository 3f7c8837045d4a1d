#pragma once

#include "platform/report/Definition.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLineF>
#include <QRectF>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class QPaintDevice;

namespace db {
class Reader;
}

namespace report {

// The kinds of text on a report page, each with its own typeface.
enum class Style { Title, Label, Caption, Detail };

// One text placed on a page, already broken into the lines that fit its width. Positions are in
// the device's units, from the top left of the printable area.
struct Text
{
    Style style = Style::Detail;
    QRectF rect;
    QStringList lines;
    // The lines run together: the value shown, less its line breaks.
    QString text() const { return lines.join(QString()); }
};

struct Rule
{
    QLineF line;
    qreal width = 0;
};

// Everything drawn on one page, in the order it is drawn.
struct Page
{
    int number = 0;
    QRectF area;
    std::vector<Text> texts;
    std::vector<Rule> rules;
    // The texts of the page in order, all of them or those of one kind.
    QStringList textList(std::optional<Style> only = {}) const;
};

// The typeface of each kind of text, measured for one device, so that laying out and painting
// agree on every width and height.
class Typefaces
{
public:
    explicit Typefaces(const QPaintDevice &device);
    const QFont &font(Style style) const { return fonts_[index(style)]; }
    const QFontMetricsF &metrics(Style style) const { return metrics_[index(style)]; }

private:
    static size_t index(Style style) { return static_cast<size_t>(style); }
    std::vector<QFont> fonts_;
    std::vector<QFontMetricsF> metrics_;
};

// The columns of a report bound to the fields of a reader's rows by name, without regard to
// case. Throws DbError naming the first field the rows do not have.
class BoundColumns
{
public:
    BoundColumns(const Definition &definition, const db::Reader &rows);
    int size() const { return static_cast<int>(fields_.size()); }
    // The text a column shows for the reader's current row; empty for a null.
    QString text(const db::Reader &rows, int column) const;

private:
    std::vector<int> fields_;
};

using PageSink = std::function<void(const Page &)>;

// Lays the report out on pages of device's printable area, reading the rows from the reader's
// current one to its end. Each page goes to sink as soon as it is full and is not kept, so the
// rows of a report need never be in memory together. Returns the number of pages.
int LayOut(const Definition &definition, db::Reader &rows, const QPaintDevice &device,
           const PageSink &sink);

} // namespace report
