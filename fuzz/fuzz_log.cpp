// The event log's reader. Any text reads without a crash into entries and the numbers of the
// lines that did not read; what it reads, written again, reads the same; and an entry the log
// writes, whatever its message, reads back exactly.

#include "Check.h"
#include "app/CLog.h"
#include "platform/Clock.h"

#include <QTimeZone>

#include <ctime>

namespace {

const QString kStamp = QStringLiteral("yyyyMMddHHmmss");

QString described(const CLogEntry &entry)
{
    return entry.dtDate.toString(kStamp) + QLatin1Char(' ') + QString::number(entry.iType)
            + QLatin1Char(' ') + Shown(entry.sMsg);
}

bool same(const QList<CLogEntry> &a, const QList<CLogEntry> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (described(a[i]) != described(b[i]))
            return false;
    }
    return true;
}

QString written(const QList<CLogEntry> &entries)
{
    QByteArray text;
    for (const CLogEntry &entry : entries)
        text += CLog::formatLine(entry.dtDate, entry.iType, entry.sMsg);
    return QString::fromUtf8(text);
}

QList<CLogEntry> read(const QString &text, const QString &start = {})
{
    QStringList badLines;
    return ReadLogEntries(text, start, badLines);
}

void checkAnyText(const QString &text)
{
    QStringList badLines;
    const QList<CLogEntry> entries = ReadLogEntries(text, {}, badLines);
    const qsizetype lines = text.count(QLatin1Char('\n')) + 1;
    FUZZ_CHECK(entries.size() + badLines.size() <= lines, Shown(text));
    int previous = 0;
    for (const QString &number : badLines) {
        const int line = number.toInt();
        FUZZ_CHECK(line > previous && line <= lines, Shown(text) + QLatin1Char(' ') + number);
        previous = line;
    }
    for (const CLogEntry &entry : entries)
        FUZZ_CHECK(entry.dtDate.isValid(), Shown(text));

    // The reader's result, written by the log itself, reads as the same entries, all of them.
    const QString again = written(entries);
    badLines.clear();
    FUZZ_CHECK(same(ReadLogEntries(again, {}, badLines), entries) && badLines.isEmpty(),
               Shown(text) + QStringLiteral(" written again as ") + Shown(again));

    // A start stamp keeps exactly the entries at or after it.
    if (!entries.isEmpty()) {
        const QString start = entries[entries.size() / 2].dtDate.toString(kStamp);
        qsizetype kept = 0;
        for (const CLogEntry &entry : entries)
            kept += entry.dtDate.toString(kStamp) >= start ? 1 : 0;
        FUZZ_CHECK(read(text, start).size() == kept, Shown(text) + QLatin1Char(' ') + start);
    }
}

void checkWrittenEntry(FuzzedDataProvider &input)
{
    const QDate date(input.ConsumeIntegralInRange(1000, 9999), input.ConsumeIntegralInRange(1, 12),
                     input.ConsumeIntegralInRange(1, 28));
    const QTime time(input.ConsumeIntegralInRange(0, 23), input.ConsumeIntegralInRange(0, 59),
                     input.ConsumeIntegralInRange(0, 59));
    CLogEntry entry;
    entry.Initialize(QDateTime(date, time), input.ConsumeIntegral<qint16>(), RestAsText(input));
    const QString text = written({entry});
    QStringList badLines;
    const QList<CLogEntry> entries = ReadLogEntries(text, {}, badLines);
    FUZZ_CHECK(same(entries, {entry}) && badLines.isEmpty(),
               described(entry) + QStringLiteral(" written as ") + Shown(text));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Stamps are local times; without daylight saving every one of them exists.
    qputenv("TZ", "UTC");
    tzset();
    SetNow(QDateTime(QDate(2026, 12, 7), QTime(9, 30)));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    checkAnyText(QString::fromUtf8(bytes));
    FuzzedDataProvider input(data, size);
    checkWrittenEntry(input);
    return 0;
}
