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

#include <QDir>
#include <QFile>
#include <QFileInfo>

void CLogEntry::Initialize(const QDateTime &pdtDate, qint16 piType, const QString &psMsg)
{
    dtDate = pdtDate;
    iType = piType;
    sMsg = psMsg;
}

namespace {

QString quoted(const QString &text)
{
    QString doubled = text;
    doubled.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

// Reads the log file's records: four comma-separated fields, the first two and the last in
// double quotes (a quote inside doubled), ended by a line break outside the quotes. A record
// that does not read is reported by its line number and reading goes on at the next line.
class LogReader
{
public:
    explicit LogReader(const QString &text)
        : text_(text)
    { }

    bool atEnd() const { return pos_ >= text_.size(); }
    int line() const { return line_; }
    // Empty lines carry no entry and are passed over.
    void skipEmptyLines()
    {
        while (atLineBreak())
            skipLineBreak();
    }

    // Reads the next record into fields; false when it is malformed (then skips its line).
    bool next(QStringList &fields)
    {
        fields.clear();
        const qsizetype start = pos_;
        const int startLine = line_;
        if (readRecord(fields))
            return true;
        pos_ = start;
        line_ = startLine;
        skipLine();
        return false;
    }

private:
    bool readRecord(QStringList &fields)
    {
        for (;;) {
            QString field;
            if (peek() == QLatin1Char('"')) {
                if (!readQuoted(field))
                    return false;
            } else {
                while (!atEnd() && peek() != QLatin1Char(',') && !atLineBreak())
                    field += text_[pos_++];
            }
            fields << field;
            if (atEnd() || atLineBreak()) {
                skipLineBreak();
                return fields.size() == 4;
            }
            if (peek() != QLatin1Char(','))
                return false;
            ++pos_;
        }
    }

    bool readQuoted(QString &field)
    {
        ++pos_;
        while (!atEnd()) {
            const QChar c = text_[pos_++];
            if (c == QLatin1Char('"')) {
                if (peek() != QLatin1Char('"'))
                    return true;
                ++pos_;
            } else if (c == QLatin1Char('\n')) {
                ++line_;
            }
            field += c;
        }
        return false;
    }

    QChar peek() const { return atEnd() ? QChar() : text_[pos_]; }
    bool atLineBreak() const
    {
        return peek() == QLatin1Char('\n')
                || (peek() == QLatin1Char('\r') && pos_ + 1 < text_.size()
                    && text_[pos_ + 1] == QLatin1Char('\n'));
    }
    void skipLineBreak()
    {
        if (peek() == QLatin1Char('\r'))
            ++pos_;
        if (peek() == QLatin1Char('\n')) {
            ++pos_;
            ++line_;
        }
    }
    void skipLine()
    {
        while (!atEnd() && text_[pos_] != QLatin1Char('\n'))
            ++pos_;
        if (!atEnd()) {
            ++pos_;
            ++line_;
        }
    }

    const QString &text_;
    qsizetype pos_ = 0;
    int line_ = 1;
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

// Turns the four fields of a record into an entry; false when they do not read.
bool toEntry(const QStringList &fields, CLogEntry &entry)
{
    bool ok = false;
    const int type = fields[2].trimmed().toInt(&ok);
    if (!ok || type < -32768 || type > 32767 || !isDigits(fields[0], 8) || !isDigits(fields[1], 6))
        return false;
    QString format = QStringLiteral("yyyymmddhhnnss");
    try {
        entry.Initialize(Utils().toDate(fields[0] + fields[1], format), static_cast<qint16>(type),
                         fields[3]);
    } catch (const ConversionError &) {
        return false;
    }
    return true;
}

} // namespace

QList<CLogEntry> ReadLogEntries(const QString &text, const QString &start, QStringList &badLines)
{
    QList<CLogEntry> entries;
    LogReader reader(text);
    QStringList fields;
    for (reader.skipEmptyLines(); !reader.atEnd(); reader.skipEmptyLines()) {
        const int line = reader.line();
        CLogEntry entry;
        if (!reader.next(fields) || !toEntry(fields, entry)) {
            badLines << QString::number(line);
            continue;
        }
        if (start.isEmpty() || fields[0] + fields[1] >= start)
            entries << entry;
    }
    return entries;
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

void CLog::addEntry(qint16 piType, const QString &psMsg)
{
    if (Parm().getRParm(SettingKey::LogFile, QString()).isEmpty()) {
        Parm().setRParm(SettingKey::LogFile, DefaultLogPath());
        if (Parm().isError())
            return;
    }
    const QString path = Parm().getRParm(SettingKey::LogFile, QString());
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        failOn(file);
        return;
    }
    const QByteArray line = formatLine(Now(), piType, psMsg);
    if (file.write(line) != line.size() || !file.flush()) {
        failOn(file);
        return;
    }
    file.close();
    bInfoSeen = bInfoSeen || piType == LogInfo;
    bWarningSeen = bWarningSeen || piType == LogWarning;
    bErrorSeen = bErrorSeen || piType == LogError;
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
    if (!file.exists()) {
        fail(QStringLiteral("File not found: %1").arg(path));
        return {};
    }
    if (!file.open(QIODevice::ReadOnly)) {
        failOn(file);
        return {};
    }
    const QString text = QString::fromUtf8(file.readAll());
    file.close();

    QStringList badLines;
    const QList<CLogEntry> entries = ReadLogEntries(text, start, badLines);
    if (!badLines.isEmpty()) {
        fail(QStringLiteral("%1 cannot be read at line %2.")
                     .arg(QDir::toNativeSeparators(path), badLines.join(QStringLiteral(", "))));
    }
    return entries;
}

void CLog::clearContents()
{
    bFailed = false;
    const QString path = Parm().getRParm(SettingKey::LogFile, QString());
    if (path.isEmpty()) {
        fail(QStringLiteral("No log file is set up."));
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        failOn(file);
        return;
    }
    file.close();
}

void ReportError(qint16 type, const QString &text, const QString &message, int style)
{
    Log().addEntry(type, text);
    if (!message.isEmpty())
        MsgBox(message, style);
    if (InteractiveMode != 0) {
        if (frmMenu *menu = MainMenu())
            menu->unsetCursor();
        ShowLogViewer(MainMenu());
    }
    Log().resetStat();
}
