// The report engine's CSV lines, read back by a strict reader of the common CSV form: every row
// written must come back field for field (a field a spreadsheet would run as a formula with one
// single quote before it), and the writing must stay in proportion to the text.

#include "Check.h"
#include "platform/report/Csv.h"

#include <optional>

namespace {

// Reads records of comma-separated fields ended by CRLF. A field is either quoted (a quote
// inside doubled; commas and line breaks allowed) or free of commas, quotes, CR and LF.
// Anything else is malformed.
class CsvReader
{
public:
    explicit CsvReader(const QString &text)
        : text_(text)
    { }

    std::optional<QList<QStringList>> records()
    {
        QList<QStringList> rows;
        while (pos_ < text_.size()) {
            QStringList row;
            if (!record(row))
                return std::nullopt;
            rows << row;
        }
        return rows;
    }

private:
    bool record(QStringList &row)
    {
        for (;;) {
            QString field;
            if (!(peek() == u'"' ? quoted(field) : plain(field)))
                return false;
            row << field;
            if (peek() == u',') {
                ++pos_;
                continue;
            }
            if (peek() == u'\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == u'\n') {
                pos_ += 2;
                return true;
            }
            return false;
        }
    }

    bool quoted(QString &field)
    {
        ++pos_;
        while (pos_ < text_.size()) {
            const QChar c = text_[pos_++];
            if (c == u'"') {
                if (peek() != u'"')
                    return true;
                ++pos_;
            }
            field += c;
        }
        return false;
    }

    bool plain(QString &field)
    {
        while (pos_ < text_.size() && peek() != u',' && peek() != u'\r') {
            if (peek() == u'"' || peek() == u'\n')
                return false;
            field += text_[pos_++];
        }
        return true;
    }

    QChar peek() const { return pos_ < text_.size() ? text_[pos_] : QChar(); }

    const QString &text_;
    qsizetype pos_ = 0;
};

QString joined(const QList<QStringList> &rows)
{
    QString text;
    for (const QStringList &row : rows)
        text += Shown(row.join(QStringLiteral("|"))) + QLatin1Char('\n');
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const int columns = input.ConsumeIntegralInRange(1, 6);
    QList<QStringList> rows;
    qsizetype textBytes = 0;
    int fieldCount = 0;
    while (input.remaining_bytes() > 0 && rows.size() < 64) {
        QStringList row;
        for (int i = 0; i < columns; ++i) {
            row << TakeText(input, 64);
            textBytes += row.last().toUtf8().size();
            ++fieldCount;
        }
        rows << row;
    }

    QByteArray buffer;
    for (const QStringList &row : rows)
        report::AppendCsvLine(buffer, row);

    // Quotes at most double a field's text and add two more bytes, plus the separators.
    FUZZ_CHECK(buffer.size() <= 2 * textBytes + 3 * fieldCount + 2 * rows.size(),
               QString::number(buffer.size()));
    const QString text = QString::fromUtf8(buffer);
    FUZZ_CHECK(text.toUtf8() == buffer, QStringLiteral("not UTF-8"));
    const std::optional<QList<QStringList>> read = CsvReader(text).records();
    FUZZ_CHECK(read.has_value(), Shown(text));
    QList<QStringList> shown = rows;
    for (QStringList &row : shown) {
        for (QString &field : row) {
            if (report::RunsAsFormula(field))
                field.prepend(QLatin1Char('\''));
        }
    }
    FUZZ_CHECK(*read == shown, joined(shown) + QStringLiteral("read as\n") + joined(*read));
    return 0;
}
