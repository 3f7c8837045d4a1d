#include "snippets/LineEnds.h"

#include <QHash>
#include <QList>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// A text cut at its line ends: ends[i] follows lines[i]; the last line has none.
struct Lines
{
    QList<QStringView> lines;
    QList<QStringView> ends;
};

// Every character a text box starts a new line at: line feed, carriage return (alone or before
// a line feed), the line and paragraph separators, and the two frame marks of a text document.
int lineEndAt(QStringView text, qsizetype at)
{
    switch (text[at].unicode()) {
    case u'\r':
        return at + 1 < text.size() && text[at + 1] == u'\n' ? 2 : 1;
    case u'\n':
    case 0x2028:
    case 0x2029:
    case 0xfdd0:
    case 0xfdd1:
        return 1;
    default:
        return 0;
    }
}

Lines split(QStringView text)
{
    Lines result;
    qsizetype start = 0;
    for (qsizetype at = 0; at < text.size();) {
        const int length = lineEndAt(text, at);
        if (length == 0) {
            ++at;
            continue;
        }
        result.lines << text.mid(start, at - start);
        result.ends << text.mid(at, length);
        at += length;
        start = at;
    }
    result.lines << text.mid(start);
    return result;
}

QString dominant(const Lines &text)
{
    QHash<QStringView, int> counts;
    QStringView best;
    int most = 0;
    for (const QStringView end : text.ends) {
        const int count = ++counts[end];
        // The first end to reach a count wins a tie.
        if (count > most) {
            most = count;
            best = end;
        }
    }
    return most == 0 ? QStringLiteral("\n") : best.toString();
}

// Above this many cells the middle of two texts is paired line by line, without the table of
// the longest common subsequence.
constexpr size_t kMostCells = size_t(2) << 20;

// Pairs the lines of a[aFrom, aTo) with those of b[bFrom, bTo) as they stand: the first with the
// first, and so on; lines of b beyond a's have no source.
void pairInOrder(qsizetype aFrom, qsizetype aTo, qsizetype bFrom, qsizetype bTo,
                 std::vector<qsizetype> &source)
{
    for (qsizetype j = bFrom; j < bTo; ++j) {
        const qsizetype i = aFrom + (j - bFrom);
        source[j] = i < aTo ? i : -1;
    }
}

// The lines a and b share in their middles a[aFrom, aTo) and b[bFrom, bTo), as the longest common
// subsequence of lines, with the changed lines between them paired in order.
void matchMiddle(const QList<QStringView> &a, qsizetype aFrom, qsizetype aTo,
                 const QList<QStringView> &b, qsizetype bFrom, qsizetype bTo,
                 std::vector<qsizetype> &source)
{
    const size_t rows = size_t(aTo - aFrom) + 1;
    const size_t columns = size_t(bTo - bFrom) + 1;
    if (rows == 1 || columns == 1 || rows * columns > kMostCells) {
        pairInOrder(aFrom, aTo, bFrom, bTo, source);
        return;
    }
    // common[i][j]: the length of the longest common subsequence of a[aFrom + i, aTo) and b[bFrom +
    // j, bTo).
    using Count = std::uint32_t;
    std::vector<Count> common(rows * columns, 0);
    const auto at = [&](size_t i, size_t j) -> Count & {
        return common[i * columns + j];
    };
    for (size_t i = rows - 1; i-- > 0;) {
        for (size_t j = columns - 1; j-- > 0;) {
            at(i, j) = a[aFrom + qsizetype(i)] == b[bFrom + qsizetype(j)]
                    ? at(i + 1, j + 1) + 1
                    : std::max(at(i + 1, j), at(i, j + 1));
        }
    }
    qsizetype i = aFrom;
    qsizetype j = bFrom;
    qsizetype gapA = i;
    qsizetype gapB = j;
    while (i < aTo && j < bTo) {
        const size_t ci = size_t(i - aFrom);
        const size_t cj = size_t(j - bFrom);
        if (a[i] == b[j] && at(ci, cj) == at(ci + 1, cj + 1) + 1) {
            pairInOrder(gapA, i, gapB, j, source);
            source[j] = i;
            gapA = ++i;
            gapB = ++j;
        } else if (at(ci + 1, cj) >= at(ci, cj + 1)) {
            ++i;
        } else {
            ++j;
        }
    }
    pairInOrder(gapA, aTo, gapB, bTo, source);
}

} // namespace

QString KeepLineEnds(const QString &original, const QString &edited)
{
    const Lines a = split(original);
    const Lines b = split(edited);
    const qsizetype na = a.lines.size();
    const qsizetype nb = b.lines.size();
    // Most edits touch one place: the lines before and after it are the same in both.
    qsizetype head = 0;
    while (head < na && head < nb && a.lines[head] == b.lines[head])
        ++head;
    qsizetype tail = 0;
    while (tail < na - head && tail < nb - head && a.lines[na - 1 - tail] == b.lines[nb - 1 - tail])
        ++tail;
    std::vector<qsizetype> source(size_t(nb), -1);
    for (qsizetype j = 0; j < head; ++j)
        source[j] = j;
    for (qsizetype t = 1; t <= tail; ++t)
        source[nb - t] = na - t;
    matchMiddle(a.lines, head, na - tail, b.lines, head, nb - tail, source);

    const QString added = dominant(a);
    QString text;
    text.reserve(edited.size() + nb);
    for (qsizetype j = 0; j < nb; ++j) {
        text += b.lines[j];
        if (j + 1 == nb)
            break;
        const qsizetype from = source[j];
        // The last line of the original had no end to keep.
        if (from >= 0 && from + 1 < na)
            text += a.ends[from];
        else
            text += added;
    }
    return text;
}
