#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>

class QFile;

// Severity codes of log entries.
enum LogType : qint16 { LogInfo = 0, LogWarning = 1, LogError = 2 };

// The largest log file that is read back; a larger one is refused rather than read into memory.
inline constexpr qint64 kLogReadLimit = 64 * 1024 * 1024;
// How many unreadable lines a read failure names before "and N more".
inline constexpr int kBadLinesNamed = 20;

class CLogEntry
{
public:
    void Initialize(const QDateTime &pdtDate, qint16 piType, const QString &psMsg);

    QDateTime dtDate;
    qint16 iType = 0;
    QString sMsg;
};
// Entries move in memory as plain bytes, so a growing list of a large log is never copied
// entry by entry.
Q_DECLARE_TYPEINFO(CLogEntry, Q_RELOCATABLE_TYPE);

// The event log: one line per entry in the file named by the setting LOGFILE, read afresh on
// every call. Nothing here raises or shows a message; failures are told through isError.
class CLog
{
public:
    CLog();

    bool isError(QString &psError) const;
    void resetStat();
    bool anyInfo() const { return bInfoSeen; }
    bool anyWarning() const { return bWarningSeen; }
    bool anyError() const { return bErrorSeen; }
    // False when the line could not be written (the reason then comes from isError). A file that
    // is not a plain one (a link, a device, a pipe), the database file, or one that does not
    // begin with a log entry is never written to.
    bool addEntry(qint16 piType, const QString &psMsg);
    // The entries stamped at or after pvStart (a date-time; null for all), in file order. Lines
    // that cannot be read are skipped and named through isError. A device, a pipe or a file over
    // kLogReadLimit is not read at all.
    QList<CLogEntry> getEntries(const QVariant &pvStart = QVariant());
    // Empties the log, refusing as addEntry does; besides, every line up to kLogReadLimit must
    // read as an entry, or the file is left as it is.
    void clearContents();

    // Back to the state of a new object (flags and the last failure).
    void resetAll();

    // The text a severity code is shown with.
    static QString levelText(int type);
    // One line of the file, with its line break.
    static QByteArray formatLine(const QDateTime &when, qint16 type, const QString &message);

private:
    enum class LogUse { Append, Clear };

    void fail(const QString &description);
    void failOn(const QFile &file);
    bool openToRead(QFile &file);
    // Opens the log at path to add a line or to empty it, making it when it is missing. Only a
    // plain file that reads as a log is opened: never a link (it is not followed), a device, a
    // pipe, a folder or the database file; the reason of a refusal goes to isError.
    bool openLog(const QString &path, QFile &file, LogUse use);

    bool bInfoSeen = false;
    bool bWarningSeen = false;
    bool bErrorSeen = false;
    QString sLastError;
    bool bFailed = false;
};

// The entries of a log file's text stamped at or after start ("yyyyMMddHHmmss"; empty for all),
// in file order. The numbers of the lines that do not read are added to badLines.
QList<CLogEntry> ReadLogEntries(const QString &text, const QString &start, QStringList &badLines);

// The program's error report: log the entry, show the viewer when the program is interactive
// (with the main menu's pointer back to normal), then reset the log's flags. A caller may show
// its own message between the entry and the viewer.
void ReportError(qint16 type, const QString &text, const QString &message = {}, int style = 0);
