#include "app/CLog.h"

#include "app/CParm.h"
#include "app/CUtils.h"
#include "app/Paths.h"
#include "app/SettingKeys.h"
#include "app/frmLog.h"
#include "app/frmMenu.h"
#include "app/modGlobals.h"
#include "platform/Clock.h"
#include "platform/ui/Dialogs.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <deque>
#include <functional>
#include <limits>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

void CLogEntry::Initialize(const QDateTime &pdtDate, qint16 piType, const QString &psMsg)
{
    dtDate = pdtDate;
    iType = piType;
    sMsg = psMsg;
}

namespace {

#ifdef Q_OS_WIN
// The log tells who did what when: a new one is for its owner's eyes only.
const QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
#endif

QString quoted(const QString &text)
{
    QString doubled = text;
    doubled.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

// One record of the log file: four comma-separated fields, the first two and the last in double
// quotes (a quote inside doubled), ended by a line break outside the quotes. text holds whole
// lines; a quoted field may run over the line breaks inside it.
enum class Parse { Complete, Open, Bad };

Parse parseRecord(const QString &text, QStringList &fields)
{
    fields.clear();
    qsizetype end = text.size();
    if (end > 0 && text[end - 1] == QLatin1Char('\n'))
        --end;
    if (end > 0 && text[end - 1] == QLatin1Char('\r'))
        --end;
    qsizetype pos = 0;
    for (;;) {
        QString field;
        if (pos < end && text[pos] == QLatin1Char('"')) {
            // Runs up to each quote are taken whole; a doubled quote stands for one.
            for (++pos;;) {
                const qsizetype quote = text.indexOf(QLatin1Char('"'), pos);
                if (quote < 0 || quote >= end)
                    return Parse::Open;
                field += QStringView(text).mid(pos, quote - pos);
                pos = quote + 1;
                if (pos >= end || text[pos] != QLatin1Char('"'))
                    break;
                field += QLatin1Char('"');
                ++pos;
            }
        } else {
            const qsizetype comma = text.indexOf(QLatin1Char(','), pos);
            const qsizetype stop = comma < 0 || comma > end ? end : comma;
            field = text.mid(pos, stop - pos);
            pos = stop;
        }
        fields << field;
        if (pos == end)
            return fields.size() == 4 ? Parse::Complete : Parse::Bad;
        if (text[pos] != QLatin1Char(','))
            return Parse::Bad;
        ++pos;
    }
}

// Reads the records of a log file one at a time, never more than kLogReadLimit bytes in all. A
// record that does not read is reported by the number of its first line, and reading goes on at
// the line after it.
class LogReader
{
public:
    explicit LogReader(QIODevice &file)
        : file_(file)
    { }

    // The next record into fields and the number of its first line into line; false at the end.
    // ok tells whether the record read.
    bool next(QStringList &fields, qint64 &line, bool &ok)
    {
        skipEmptyLines();
        if (!fetch(1))
            return false;
        line = firstLine_;
        ok = readRecord(fields);
        return true;
    }

private:
    struct Line
    {
        QByteArray bytes;
        bool oddQuotes = false;
    };

    // A message may run over any number of lines, as any message is written; only the read limit
    // ends a quote left open. Looking ahead stops at the first later line with an odd number of
    // quotes, so every line is looked at a bounded number of times however the file is broken.
    static constexpr int kMaxRecordLines = std::numeric_limits<int>::max();

    bool readRecord(QStringList &fields)
    {
        Parse result = parseRecord(QString::fromUtf8(pending_.front().bytes), fields);
        if (result != Parse::Open) {
            drop(1);
            return result == Parse::Complete;
        }
        // The quote closes on the first later line with an odd number of quotes.
        for (int span = 2; span <= kMaxRecordLines && fetch(span); ++span) {
            if (!pending_[span - 1].oddQuotes)
                continue;
            QByteArray joined;
            for (int i = 0; i < span; ++i)
                joined += pending_[i].bytes;
            if (parseRecord(QString::fromUtf8(joined), fields) != Parse::Complete)
                break;
            drop(span);
            return true;
        }
        drop(1);
        return false;
    }

    // Makes sure count lines are waiting; false when the file ends first.
    bool fetch(int count)
    {
        while (pending_.size() < size_t(count)) {
            if (read_ >= kLogReadLimit || file_.atEnd())
                return false;
            Line line;
            line.bytes = readLine();
            if (line.bytes.isEmpty())
                return false;
            line.oddQuotes = line.bytes.count('"') % 2 != 0;
            pending_.push_back(std::move(line));
        }
        return true;
    }

    // One line with its line break, through a buffer of fixed size: however long the line, no
    // more than the limit is read.
    QByteArray readLine()
    {
        QByteArray bytes;
        while (read_ < kLogReadLimit && !bytes.endsWith('\n')) {
            const qint64 got = file_.readLine(
                    buffer_, std::min<qint64>(sizeof buffer_, kLogReadLimit - read_ + 1));
            if (got <= 0)
                break;
            read_ += got;
            bytes.append(buffer_, got);
        }
        return bytes;
    }

    void drop(int count)
    {
        for (int i = 0; i < count; ++i)
            pending_.pop_front();
        firstLine_ += count;
    }

    // Empty lines carry no entry and are passed over.
    void skipEmptyLines()
    {
        while (fetch(1)) {
            const QByteArray &bytes = pending_.front().bytes;
            if (bytes != "\n" && bytes != "\r\n")
                return;
            drop(1);
        }
    }

    QIODevice &file_;
    std::deque<Line> pending_;
    char buffer_[4096];
    qint64 firstLine_ = 1;
    qint64 read_ = 0;
};

// The lines that did not read, named up to kBadLinesNamed.
class BadLines
{
public:
    void add(qint64 line)
    {
        if (named_.size() < kBadLinesNamed)
            named_ << QString::number(line);
        ++count_;
    }
    bool any() const { return count_ > 0; }
    QString text() const
    {
        QString list = named_.join(QStringLiteral(", "));
        if (count_ > named_.size())
            list += QStringLiteral(" and %1 more").arg(count_ - named_.size());
        return list;
    }

private:
    QStringList named_;
    qint64 count_ = 0;
};

// The same message text again and again is kept once.
class MessageTexts
{
public:
    QString shared(const QString &text)
    {
        const auto found = texts_.constFind(text);
        if (found != texts_.constEnd())
            return *found;
        if (texts_.size() < kKept)
            texts_.insert(text, text);
        return text;
    }

private:
    static constexpr qsizetype kKept = 4096;
    QHash<QString, QString> texts_;
};

bool isDigits(const QString &text, int length)
{
    if (text.size() != length)
        return false;
    for (const QChar c : text) {
        if (!c.isDigit())
            return false;
    }
    return true;
}

// Turns the stamps of entries into date-times. Reading the time zone for every line would cost
// seconds for a large log, so the zone's offset from UTC is read once for each hour the log
// covers, and each entry is that hour plus its minutes and seconds.
class Stamps
{
public:
    // False when the date and time do not form a real moment.
    bool read(const QString &date, const QString &time, QDateTime &when)
    {
        const QString hour = date + time.left(2);
        if (hour != hour_) {
            QString format = QStringLiteral("yyyymmddhhnnss");
            try {
                const QDateTime start = Utils().toDate(hour + QStringLiteral("0000"), format);
                day_ = start.date();
                offset_ = start.offsetFromUtc();
            } catch (const ConversionError &) {
                return false;
            }
            hour_ = hour;
        }
        const QTime clock(time.left(2).toInt(), time.mid(2, 2).toInt(), time.mid(4, 2).toInt());
        if (!clock.isValid())
            return false;
        when = QDateTime(day_, clock, Qt::OffsetFromUTC, offset_);
        return true;
    }

private:
    QString hour_;
    QDate day_;
    int offset_ = 0;
};

// Turns the four fields of a record into an entry; false when they do not read.
bool toEntry(const QStringList &fields, Stamps &stamps, CLogEntry &entry)
{
    bool ok = false;
    const int type = fields[2].trimmed().toInt(&ok);
    if (!ok || type < -32768 || type > 32767 || !isDigits(fields[0], 8) || !isDigits(fields[1], 6))
        return false;
    QDateTime when;
    if (!stamps.read(fields[0], fields[1], when))
        return false;
    entry.Initialize(when, static_cast<qint16>(type), fields[3]);
    return true;
}

// The entries read from device in file order, those stamped before start ("yyyyMMddHHmmss")
// left out; badLine hears the number of each line that does not read.
QList<CLogEntry> readEntries(QIODevice &device, const QString &start,
                             const std::function<void(qint64)> &badLine)
{
    QList<CLogEntry> entries;
    MessageTexts messages;
    Stamps stamps;
    LogReader reader(device);
    QStringList fields;
    qint64 line = 0;
    bool ok = false;
    while (reader.next(fields, line, ok)) {
        CLogEntry entry;
        if (!ok || !toEntry(fields, stamps, entry)) {
            badLine(line);
            continue;
        }
        if (start.isEmpty() || fields[0] + fields[1] >= start) {
            entry.sMsg = messages.shared(entry.sMsg);
            entries << entry;
        }
    }
    return entries;
}

// How much of a log is read, before a line is added to it, to see that it is one.
constexpr qint64 kLogHeadBytes = 64 * 1024;

// Why the open file does not read as a log; empty when it does. An empty file is a log. Before
// the file is emptied, every line up to kLogReadLimit must read. Before a line is added, only the
// first entry is read, within the first kLogHeadBytes, so that each line still costs one short
// read; an entry longer than that counts when it begins as an entry does.
QString notALog(QFile &file, bool whole)
{
    if (file.size() == 0)
        return {};
    if (!file.seek(0))
        return file.errorString();
    if (whole) {
        qint64 firstBad = 0;
        readEntries(file, {}, [&firstBad](qint64 bad) {
            if (firstBad == 0)
                firstBad = bad;
        });
        if (file.error() != QFileDevice::NoError)
            return file.errorString();
        return firstBad > 0 ? QStringLiteral("line %1 is not a log line").arg(firstBad) : QString();
    }
    QByteArray head = file.read(kLogHeadBytes);
    if (file.error() != QFileDevice::NoError)
        return file.errorString();
    const bool cut = file.size() > head.size();
    QBuffer buffer(&head);
    buffer.open(QIODevice::ReadOnly);
    LogReader reader(buffer);
    QStringList fields;
    qint64 line = 0;
    bool ok = false;
    if (!reader.next(fields, line, ok))
        return cut ? QStringLiteral("it does not begin with a log line") : QString();
    Stamps stamps;
    CLogEntry entry;
    if (ok && toEntry(fields, stamps, entry))
        return {};
    static const QRegularExpression kEntryStart(QStringLiteral(R"(^"\d{8}","\d{6}",-?\d+,")"));
    if (cut && line == 1 && kEntryStart.match(QString::fromLatin1(head.left(32))).hasMatch())
        return {};
    return QStringLiteral("line %1 is not a log line").arg(line);
}

#ifndef Q_OS_WIN
bool sameFile(const struct stat &opened, const QString &path)
{
    struct stat other;
    return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &other) == 0
            && other.st_dev == opened.st_dev && other.st_ino == opened.st_ino;
}
#endif

} // namespace

QList<CLogEntry> ReadLogEntries(const QString &text, const QString &start, QStringList &badLines)
{
    QByteArray bytes = text.toUtf8();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return readEntries(buffer, start,
                       [&badLines](qint64 line) { badLines << QString::number(line); });
}

CLog::CLog()
{
    resetStat();
}

bool CLog::isError(QString &psError) const
{
    psError = sLastError;
    return bFailed;
}

void CLog::resetStat()
{
    bInfoSeen = false;
    bWarningSeen = false;
    bErrorSeen = false;
}

void CLog::resetAll()
{
    resetStat();
    sLastError.clear();
    bFailed = false;
}

void CLog::fail(const QString &description)
{
    sLastError = description;
    bFailed = true;
}

void CLog::failOn(const QFile &file)
{
    fail(file.errorString() + QStringLiteral(": ") + file.fileName());
}

QString CLog::levelText(int type)
{
    switch (type) {
    case LogInfo:
        return QStringLiteral("Info");
    case LogWarning:
        return QStringLiteral("Warning");
    case LogError:
        return QStringLiteral("Error");
    default:
        return QStringLiteral("Unknown");
    }
}

QByteArray CLog::formatLine(const QDateTime &when, qint16 type, const QString &message)
{
    const QString line = quoted(when.toString(QStringLiteral("yyyyMMdd"))) + QLatin1Char(',')
            + quoted(when.toString(QStringLiteral("HHmmss"))) + QLatin1Char(',')
            + QString::number(type) + QLatin1Char(',') + quoted(message) + QStringLiteral("\r\n");
    return line.toUtf8();
}

bool CLog::addEntry(qint16 piType, const QString &psMsg)
{
    if (Parm().getRParm(SettingKey::LogFile, QString()).isEmpty()) {
        Parm().setRParm(SettingKey::LogFile, DefaultLogPath());
        if (Parm().isError())
            return false;
    }
    const QString path = Parm().getRParm(SettingKey::LogFile, QString());
    MakePrivateFolder(QFileInfo(path).absolutePath());
    QFile file;
    if (!openLog(path, file, LogUse::Append))
        return false;
    const qint64 before = file.size();
    const QByteArray line = formatLine(Now(), piType, psMsg);
    if (file.write(line) != line.size() || !file.flush()) {
        failOn(file);
        // Half a line would spoil the next entry too; a full disk leaves the file as it was.
        if (!file.isSequential() && file.size() > before)
            file.resize(before);
        return false;
    }
    file.close();
    bInfoSeen = bInfoSeen || piType == LogInfo;
    bWarningSeen = bWarningSeen || piType == LogWarning;
    bErrorSeen = bErrorSeen || piType == LogError;
    return true;
}

QList<CLogEntry> CLog::getEntries(const QVariant &pvStart)
{
    bFailed = false;
    const QString start = pvStart.isNull()
            ? QString()
            : pvStart.toDateTime().toString(QStringLiteral("yyyyMMddHHmmss"));
    const QString path = Parm().getRParm(SettingKey::LogFile, QString());
    if (path.isEmpty())
        return {};
    QFile file(path);
    if (!openToRead(file))
        return {};
    BadLines badLines;
    const QList<CLogEntry> entries =
            readEntries(file, start, [&badLines](qint64 line) { badLines.add(line); });
    file.close();
    if (badLines.any()) {
        fail(QStringLiteral("%1 cannot be read at line %2.")
                     .arg(QDir::toNativeSeparators(path), badLines.text()));
    }
    return entries;
}

bool CLog::openToRead(QFile &file)
{
    const QFileInfo info(file.fileName());
    const QString shown = QDir::toNativeSeparators(file.fileName());
    if (!info.exists()) {
        fail(QStringLiteral("File not found: %1").arg(file.fileName()));
        return false;
    }
    // A device or a pipe could be endless, or never answer.
    if (!info.isFile()) {
        fail(QStringLiteral("%1 is not a plain file, so it is not read as a log.").arg(shown));
        return false;
    }
    if (info.size() > kLogReadLimit) {
        fail(QStringLiteral("%1 is larger than %2 MB, so it is not read; clear the log to start "
                            "it afresh.")
                     .arg(shown)
                     .arg(kLogReadLimit / (1024 * 1024)));
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        failOn(file);
        return false;
    }
    return true;
}

void CLog::clearContents()
{
    bFailed = false;
    const QString path = Parm().getRParm(SettingKey::LogFile, QString());
    if (path.isEmpty()) {
        fail(QStringLiteral("No log file is set up."));
        return;
    }
    QFile file;
    if (!openLog(path, file, LogUse::Clear))
        return;
    if (!file.resize(0))
        failOn(file);
    file.close();
}

bool CLog::openLog(const QString &path, QFile &file, LogUse use)
{
    const QString shown = QDir::toNativeSeparators(path);
    const QString refused = use == LogUse::Append ? QStringLiteral("nothing is written to it")
                                                  : QStringLiteral("it is not cleared");
    const auto refuse = [&](const QString &why) {
        fail(QStringLiteral("%1 %2, so %3.").arg(shown, why, refused));
        return false;
    };
    const QString database = Parm().getRParm(SettingKey::Database, QString());
#ifdef Q_OS_WIN
    const QFileInfo info(path);
    if (info.isSymLink() || info.isJunction())
        return refuse(QStringLiteral("is a link to another file"));
    if (info.exists() && !info.isFile())
        return refuse(QStringLiteral("is not a plain file"));
    if (!database.isEmpty() && info.exists() && QFileInfo(database).exists()
        && info.canonicalFilePath() == QFileInfo(database).canonicalFilePath())
        return refuse(QStringLiteral("is the database file"));
    file.setFileName(path);
    // Unbuffered: a line that failed to go out must not go out later, when the file closes.
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered, kOwnerOnly)) {
        failOn(file);
        return false;
    }
#else
    // The path comes from the settings, not from this program: a link at its end is never
    // followed, and a device or a pipe is never opened (opening some has effects of its own).
    const QByteArray name = QFile::encodeName(path);
    struct stat info;
    if (::lstat(name.constData(), &info) == 0) {
        if (S_ISLNK(info.st_mode))
            return refuse(QStringLiteral("is a link to another file"));
        if (!S_ISREG(info.st_mode))
            return refuse(QStringLiteral("is not a plain file"));
    }
    // What was looked at may have been swapped since: the file opened is checked again. A new
    // log tells who did what when, so it is for its owner's eyes only.
    const int fd =
            ::open(name.constData(),
                   O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC,
                   S_IRUSR | S_IWUSR);
    if (fd < 0) {
        const int error = errno;
        if (error == ELOOP)
            return refuse(QStringLiteral("is a link to another file"));
        fail(qt_error_string(error) + QStringLiteral(": ") + path);
        return false;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return refuse(QStringLiteral("is not a plain file"));
    }
    if (sameFile(info, database) || sameFile(info, DatabasePath)) {
        ::close(fd);
        return refuse(QStringLiteral("is the database file"));
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    file.setFileName(path);
    // Unbuffered: a line that failed to go out must not go out later, when the file closes.
    if (!file.open(fd, QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered,
                   QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        failOn(file);
        return false;
    }
#endif
    const QString why = notALog(file, use == LogUse::Clear);
    if (!why.isEmpty()) {
        file.close();
        return refuse(QStringLiteral("does not read as this program's log (%1)").arg(why));
    }
    return true;
}

void ReportError(qint16 type, const QString &text, const QString &message, int style)
{
    // The viewer is about to show the entry; when it could not be written (a full disk), say so
    // rather than let the failure go unseen.
    QString logFailure;
    if (!Log().addEntry(type, text) && Log().isError(logFailure))
        ErrorBox(logFailure);
    if (!message.isEmpty())
        MsgBox(message, style);
    if (InteractiveMode != 0) {
        if (frmMenu *menu = MainMenu())
            menu->unsetCursor();
        ShowLogViewer(MainMenu());
    }
    Log().resetStat();
}
