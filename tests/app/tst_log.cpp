#include "Fixture.h"
#include "TestRegistry.h"
#include "app/CLog.h"
#include "app/CreateDatabase.h"
#include "app/Paths.h"
#include "app/frmLog.h"
#include "app/frmMenu.h"
#include "app/modGlobals.h"
#include "catalogue/frmAdd.h"
#include "catalogue/frmGroups.h"
#include "catalogue/frmShow.h"
#include "platform/Clock.h"
#include "platform/db/DataControl.h"
#include "platform/ui/FileLists.h"
#include "platform/ui/ToolBar.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QStringList messagesOf(const QList<CLogEntry> &entries)
{
    QStringList result;
    for (const CLogEntry &entry : entries)
        result << entry.sMsg;
    return result;
}

int rowsOf(const frmLog &viewer)
{
    return viewer.lstLog->model()->rowCount();
}

QString cell(const frmLog &viewer, int row, int column)
{
    const QAbstractItemModel *model = viewer.lstLog->model();
    return model->data(model->index(row, column)).toString();
}

} // namespace

class TestLog : public QObject
{
    Q_OBJECT
private slots:
    void eventsAreLogged_data();
    void eventsAreLogged();
    void lineFormatAndFlags();
    void unsetPathTakesTheDefault();
    void messagesComeBackUnchanged_data();
    void messagesComeBackUnchanged();
    void entriesFromAStartTime();
    void clearContents();
    void failuresAreReportedNotRaised();
    void badLinesAreNamedAndSkipped();
    void manyBadLinesAreNamedBriefly();
    void logsThatAreNotReadAreRefused_data();
    void logsThatAreNotReadAreRefused();
    void onlyALogIsWrittenOrCleared_data();
    void onlyALogIsWrittenOrCleared();
    void viewerListsEntries();
    void viewerShowsReadFailure();
    void viewerSortsByTimeOnHeaderClick();
    void errorReportShowsTheViewer();
};

void TestLog::eventsAreLogged_data()
{
    QTest::addColumn<QString>("event");
    QTest::addColumn<QString>("logged"); // the last line's message; FOLDER for the folder read
    QTest::newRow("a folder staged") << "stage"
                                     << "Folder FOLDER staged: 2 file(s) added, 0 known already";
    QTest::newRow("the master table updated") << "save"
                                              << "Master table updated: 2 file(s) saved";
    QTest::newRow("a catalogue row deleted") << "delete"
                                             << "Deleted from the catalogue: /data/main.c";
    QTest::newRow("a group renamed") << "rename"
                                     << "Group Python renamed to Snakes";
    QTest::newRow("a group deleted") << "remove"
                                     << "Group Python deleted";
}

// What a user changes in the catalogue is told in the event log, a line each.
void TestLog::eventsAreLogged()
{
    QFETCH(QString, event);
    QFETCH(QString, logged);
    Fixture f;
    f.setUp();
    QTemporaryDir folder;
    if (event == "stage" || event == "save") {
        for (const char *name : {"a.txt", "b.txt"})
            QVERIFY(WriteFile(folder.filePath(name), "x"));
        frmAdd window;
        window.Form_Load();
        window.Dir1->setPath(folder.path());
        window.Combo1->setEditText("*.*");
        window.cboGrpName->setCurrentText("Python");
        f.ui.answer(vbOK);
        window.cmdAddFolder_Click();
        if (event == "save") {
            f.ui.answer(vbYes);
            window.UpdateMasterTable();
        }
    } else if (event == "delete") {
        f.exec("insert into fileprofile (FileName, FilePath, Directory) values ('main.c', "
               "'/data/main.c', '/data/')");
        frmShow window;
        window.Form_Load();
        window.AdoFile->setCurrentRow(0);
        window.DataGrid1_DblClick();
        f.ui.answer(vbYes);
        window.cmdDel->click();
    } else {
        frmGroups window;
        window.Form_Load();
        for (qint64 row = 0; row < window.Adodc1->RecordCount(); ++row) {
            window.Adodc1->setCurrentRow(row);
            if (window.Adodc1->Fields("CodeType").toString() == "Python")
                break;
        }
        window.DataGrid1_DblClick();
        window.PName->setText("Snakes");
        f.ui.answer(vbYes);
        window.Toolbar1->click(event == "rename" ? "kUpdate" : "kDelete");
    }
    logged.replace("FOLDER", QDir::toNativeSeparators(folder.path()));
    QVERIFY2(f.logText().endsWith(",0,\"" + logged + "\"\r\n"), qPrintable(f.logText()));
    VERIFY_CLEAN(f);
}

void TestLog::lineFormatAndFlags()
{
    Fixture f;
    f.setUp();
    CLog &log = Log();
    log.addEntry(LogError, QStringLiteral("Table is Empty"));
    QCOMPARE(f.logText(), QStringLiteral("\"20261207\",\"134512\",2,\"Table is Empty\"\r\n"));
    QVERIFY(log.anyError());
    QVERIFY(!log.anyInfo() && !log.anyWarning());
    log.addEntry(7, QStringLiteral("odd"));
    QVERIFY(f.logText().endsWith(QStringLiteral("\"20261207\",\"134512\",7,\"odd\"\r\n")));
    log.addEntry(LogInfo, QStringLiteral("saved"));
    log.addEntry(LogWarning, QStringLiteral("careful"));
    QVERIFY(log.anyInfo() && log.anyWarning());
    log.resetStat();
    QVERIFY(!log.anyInfo() && !log.anyWarning() && !log.anyError());
    const QList<CLogEntry> entries = log.getEntries();
    QCOMPARE(entries.size(), 4);
    QCOMPARE(entries[1].iType, qint16(7));
    QCOMPARE(CLog::levelText(entries[1].iType), QStringLiteral("Unknown"));
    QCOMPARE(entries[0].dtDate, Fixture::kNow);
}

void TestLog::unsetPathTakesTheDefault()
{
    Fixture f;
    QString error;
    // Reading with no path set is no failure and stores nothing.
    QVERIFY(Log().getEntries().isEmpty());
    QVERIFY(!Log().isError(error));
    QVERIFY(!f.hasSetting("LOGFILE"));
    const QString before = DefaultLogPath();
    Log().addEntry(LogInfo, QStringLiteral("first"));
    QCOMPARE(f.setting("LOGFILE"), before);
    QVERIFY(!Log().isError(error));
    QCOMPARE(messagesOf(Log().getEntries()), QStringList{"first"});
    QFile::remove(before);
}

void TestLog::messagesComeBackUnchanged_data()
{
    QTest::addColumn<QString>("message");
    QTest::newRow("comma") << "one, two";
    QTest::newRow("double quote") << "say \"hi\"";
    QTest::newRow("line breaks") << "first\r\nsecond\nthird";
    QTest::newRow("a hundred line breaks") << QString(100, '\n');
    QTest::newRow("single quote") << "o'neil";
    QTest::newRow("only quotes") << "\"\"";
    QTest::newRow("empty") << "";
    QTest::newRow("non-ASCII") << QStringLiteral("Gr\u00fc\u00dfe \u2013 \u65e5\u672c");
}

void TestLog::messagesComeBackUnchanged()
{
    QFETCH(QString, message);
    Fixture f;
    f.setUp();
    Log().addEntry(LogInfo, QStringLiteral("before"));
    Log().addEntry(LogInfo, message);
    Log().addEntry(LogInfo, QStringLiteral("after"));
    QString error;
    QCOMPARE(messagesOf(Log().getEntries()), QStringList({"before", message, "after"}));
    QVERIFY2(!Log().isError(error), qPrintable(error));
}

void TestLog::entriesFromAStartTime()
{
    Fixture f;
    f.setUp();
    const QDateTime start = Fixture::kNow;
    SetNow(start.addSecs(-1));
    Log().addEntry(LogInfo, QStringLiteral("a second early"));
    SetNow(start);
    Log().addEntry(LogInfo, QStringLiteral("same second"));
    SetNow(start.addDays(1));
    Log().addEntry(LogInfo, QStringLiteral("next day"));
    QCOMPARE(messagesOf(Log().getEntries(start)), QStringList({"same second", "next day"}));
    QCOMPARE(Log().getEntries().size(), 3);
}

void TestLog::clearContents()
{
    Fixture f;
    f.setUp();
    Log().addEntry(LogInfo, QStringLiteral("x"));
    Log().clearContents();
    QVERIFY(QFile::exists(f.logPath));
    QCOMPARE(QFile(f.logPath).size(), 0);
    QString error;
    QVERIFY(Log().getEntries().isEmpty());
    QVERIFY(!Log().isError(error));
}

void TestLog::failuresAreReportedNotRaised()
{
    Fixture f;
    f.setUp();
    f.setting("LOGFILE", f.dir() + "/missing.log");
    QString error;
    QVERIFY(Log().getEntries().isEmpty());
    QVERIFY(Log().isError(error));
    QVERIFY(error.contains("missing.log"));

    // A log that cannot be written sets no flag and leaves the caller undisturbed.
    f.setting("LOGFILE", f.dir());
    Log().addEntry(LogError, QStringLiteral("lost"));
    QVERIFY(!Log().anyError());
    QVERIFY(Log().isError(error));
    QVERIFY(!error.isEmpty());
    Log().resetStat();
    QVERIFY(Log().isError(error));
    f.setting("LOGFILE", f.logPath);
    Log().clearContents();
    QVERIFY(!Log().isError(error));
}

void TestLog::badLinesAreNamedAndSkipped()
{
    Fixture f;
    f.setUp();
    QVERIFY(WriteFile(f.logPath,
                      "\"20261207\",\"134512\",0,\"good one\"\r\n"
                      "garbage without fields\r\n"
                      "\"2026120\",\"134512\",0,\"short date\"\r\n"
                      "\"20261207\",\"134512\",0,\"unterminated\r\n"
                      "\"20261207\",\"134513\",2,\"good two\"\r\n"));
    const QList<CLogEntry> entries = Log().getEntries();
    QCOMPARE(messagesOf(entries), QStringList({"good one", "good two"}));
    QString error;
    QVERIFY(Log().isError(error));
    QVERIFY2(error.contains("line 2, 3, 4"), qPrintable(error));
}

void TestLog::manyBadLinesAreNamedBriefly()
{
    Fixture f;
    f.setUp();
    QByteArray text;
    for (int line = 1; line <= 30; ++line)
        text += line == 25 ? "\"20261207\",\"134512\",0,\"good\"\r\n" : "broken\r\n";
    QVERIFY(WriteFile(f.logPath, text));
    QCOMPARE(messagesOf(Log().getEntries()), QStringList{"good"});
    QString error;
    QVERIFY(Log().isError(error));
    QStringList first;
    for (int line = 1; line <= 21; ++line) {
        if (line != 25)
            first << QString::number(line);
    }
    QVERIFY2(error.endsWith("line " + first.mid(0, kBadLinesNamed).join(", ") + " and 9 more."),
             qPrintable(error));
}

void TestLog::logsThatAreNotReadAreRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("endless device") << "device"
                                    << "not a plain file";
    QTest::newRow("pipe nobody writes to") << "pipe"
                                           << "not a plain file";
    QTest::newRow("folder") << "folder"
                            << "not a plain file";
    QTest::newRow("over the limit") << "large"
                                    << "larger than 64 MB";
}

// Reading stops before it starts, at once: nothing endless, blocking or huge is read.
void TestLog::logsThatAreNotReadAreRefused()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    Fixture f;
    f.setUp();
    QString path = f.dir() + "/odd.log";
    if (kind == "device")
        path = "/dev/zero";
    if (kind == "pipe")
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    if (kind == "folder")
        QVERIFY(QDir().mkdir(path));
    if (kind == "large") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(kLogReadLimit + 1)); // sparse: no disk space used
    }
    if (!QFileInfo::exists(path))
        QSKIP("This system has no such file.");
    f.setting("LOGFILE", path);
    QVERIFY(Log().getEntries().isEmpty());
    QString error;
    QVERIFY(Log().isError(error));
    QVERIFY2(error.contains(reason) && error.contains(QDir::toNativeSeparators(path)),
             qPrintable(error));

    f.ui.answer(vbOK);
    frmLog viewer;
    viewer.oLog = &Log();
    viewer.Form_Load();
    QCOMPARE(rowsOf(viewer), 0);
    QCOMPARE(f.ui.texts(), QStringList{error});
    VERIFY_CLEAN(f);
}

void TestLog::onlyALogIsWrittenOrCleared_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason"); // why the log is refused; empty: it is a log
    QTest::addColumn<bool>("appends");
    const QString notALine = "does not read as this program's log (line 1 is not a log line)";
    QTest::newRow("a log") << "log"
                           << "" << true;
    QTest::newRow("an empty file") << "empty"
                                   << "" << true;
    QTest::newRow("a log with a long first entry") << "long log"
                                                   << "" << true;
    QTest::newRow("the database file") << "database"
                                       << "is the database file" << false;
    QTest::newRow("a hard link to the database file") << "hard link"
                                                      << "is the database file" << false;
    QTest::newRow("another database file") << "other database" << notALine << false;
    QTest::newRow("a link to a log") << "link to log"
                                     << "is a link to another file" << false;
    QTest::newRow("a link to a text file") << "link"
                                           << "is a link to another file" << false;
    QTest::newRow("a link to nothing") << "dangling"
                                       << "is a link to another file" << false;
    QTest::newRow("a text file") << "text" << notALine << false;
    QTest::newRow("a pipe") << "pipe"
                            << "is not a plain file" << false;
    // A log with a line spoiled is still added to, but emptied only by hand.
    QTest::newRow("a log, then other lines")
            << "log then text"
            << "does not read as this program's log (line 2 is not a log line)" << true;
}

// The log path comes from the settings: whatever it names that is not this program's log keeps
// its bytes when a line is logged or the log is cleared, and the user is told why.
void TestLog::onlyALogIsWrittenOrCleared()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QFETCH(bool, appends);
    Fixture f;
    f.setUp();
    const QString path = f.dir() + "/odd.log";
    QString target = path; // the file whose bytes must not change
    const QByteArray logLine = "\"20261207\",\"134512\",0,\"old\"\r\n";
    if (kind == "log" || kind == "link to log")
        QVERIFY(WriteFile(target, logLine));
    if (kind == "empty")
        QVERIFY(WriteFile(target, ""));
    if (kind == "long log")
        QVERIFY(WriteFile(target, CLog::formatLine(Fixture::kNow, LogInfo, QString(70000, 'x'))));
    if (kind == "log then text")
        QVERIFY(WriteFile(target, logLine + "not a log line\r\n"));
    if (kind == "text" || kind == "link" || kind == "dangling")
        QVERIFY(WriteFile(target, "notes\r\n"));
    if (kind == "database" || kind == "other database")
        CreateDatabase(path);
    if (kind == "database")
        f.setting("TARNU", path);
    if (kind == "hard link") {
        target = f.dir() + "/data.mdb";
        CreateDatabase(target);
        f.setting("TARNU", target);
        QCOMPARE(::link(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()),
                 0);
    }
    if (kind.startsWith("link") || kind == "dangling") {
        target = f.dir() + "/target.txt";
        QVERIFY(QFile::rename(path, target));
        QVERIFY(QFile::link(target, path));
        if (kind == "dangling")
            QVERIFY(QFile::remove(target));
    }
    int reader = -1;
    if (kind == "pipe") {
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        // Whatever reached the pipe would wait here to be read.
        reader = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
        QVERIFY(reader >= 0);
    }
    const auto bytes = [&]() -> QByteArray {
        if (reader >= 0) {
            char buffer[256];
            const ssize_t got = ::read(reader, buffer, sizeof buffer);
            return got > 0 ? QByteArray(buffer, got) : QByteArray();
        }
        return QFileInfo::exists(target) ? ReadFile(target) : QByteArray("(none)");
    };
    const QByteArray before = bytes();
    f.setting("LOGFILE", path);
    QString error;

    // A line logged, quietly and through the error report.
    QCOMPARE(Log().addEntry(LogError, QStringLiteral("new")), appends);
    if (!appends) {
        QVERIFY(Log().isError(error));
        QCOMPARE(error,
                 QDir::toNativeSeparators(path) + " " + reason + ", so nothing is written to it.");
        f.ui.answer(vbOK);
    }
    ReportError(LogError, QStringLiteral("reported"));
    if (appends) {
        QVERIFY(bytes().startsWith(before));
        QVERIFY(bytes().endsWith("\"reported\"\r\n"));
        QVERIFY(f.ui.messages.isEmpty());
    } else {
        QCOMPARE(bytes(), before);
        QCOMPARE(f.ui.texts(), QStringList{"Error: " + error});
    }

    // Clear Log, open to every user.
    const QByteArray beforeClear = bytes();
    const bool clears = reason.isEmpty();
    frmMenu menu;
    f.ui.answer(vbOK);
    menu.mnuClearLog_Click();
    if (clears) {
        QCOMPARE(f.ui.texts().last(), QStringLiteral("Log File has been cleared."));
        QCOMPARE(bytes(), QByteArray());
    } else {
        QCOMPARE(f.ui.texts().last(),
                 "Error: " + QDir::toNativeSeparators(path) + " " + reason
                         + ", so it is not cleared.");
        QCOMPARE(bytes(), beforeClear);
    }
    if (reader >= 0) {
        ::close(reader);
        QVERIFY(!QFileInfo(path).isFile());
    }
    if (kind == "dangling")
        QVERIFY(!QFileInfo::exists(target));
    VERIFY_CLEAN(f);
}

void TestLog::viewerListsEntries()
{
    Fixture f;
    f.setUp();
    Log().addEntry(LogWarning, QStringLiteral("careful, now"));
    Log().addEntry(LogError, QStringLiteral("Table is Empty"));
    frmLog viewer;
    viewer.oLog = &Log();
    viewer.Form_Load();
    QCOMPARE(viewer.windowTitle(), QStringLiteral("View Log File"));
    QCOMPARE(rowsOf(viewer), 2);
    QCOMPARE(cell(viewer, 0, 0), QStringLiteral("12/07/2026 13:45:12"));
    QCOMPARE(cell(viewer, 0, 1), QStringLiteral("Warning"));
    QCOMPARE(cell(viewer, 0, 2), QStringLiteral("careful, now"));
    QCOMPARE(cell(viewer, 1, 1), QStringLiteral("Error"));
    QVERIFY(viewer.tbrMain->button("kCancel"));
    QCOMPARE(viewer.tbrMain->button("kCancel")->toolTip(), QStringLiteral("Close"));
    viewer.show();
    viewer.tbrMain->click("kCancel");
    QVERIFY(!viewer.isVisible());
    VERIFY_CLEAN(f);
}

void TestLog::viewerShowsReadFailure()
{
    Fixture f;
    f.setUp();
    f.setting("LOGFILE", f.dir() + "/none.log");
    f.ui.answer(vbOK);
    frmLog viewer;
    viewer.oLog = &Log();
    viewer.Form_Load();
    QCOMPARE(f.ui.messages.size(), 1);
    QCOMPARE(f.ui.messages[0].title, QStringLiteral("APP Error"));
    QCOMPARE(f.ui.messages[0].style, int(vbOKOnly));
    QVERIFY(f.ui.messages[0].text.contains("none.log"));
    QCOMPARE(rowsOf(viewer), 0);

    // Good lines still show beside the message naming the bad one.
    QVERIFY(WriteFile(f.dir() + "/none.log", "\"20261207\",\"134512\",0,\"fine\"\r\nbroken\r\n"));
    f.ui.answer(vbOK);
    frmLog again;
    again.oLog = &Log();
    again.Form_Load();
    QCOMPARE(rowsOf(again), 1);
    QVERIFY(f.ui.messages.last().text.contains("line 2"));
    VERIFY_CLEAN(f);
}

void TestLog::viewerSortsByTimeOnHeaderClick()
{
    Fixture f;
    f.setUp();
    QVERIFY(WriteFile(f.logPath,
                      "\"20270105\",\"080000\",0,\"new year\"\r\n"
                      "\"20261207\",\"134512\",2,\"december\"\r\n"));
    frmLog viewer;
    viewer.oLog = &Log();
    viewer.show();
    // File order first; a click on "Time" puts them in time order, not in text order.
    QCOMPARE(cell(viewer, 0, 2), QStringLiteral("new year"));
    QHeaderView *header = viewer.lstLog->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(0) + 5, header->height() / 2));
    QCOMPARE(cell(viewer, 0, 2), QStringLiteral("december"));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(0) + 5, header->height() / 2));
    QCOMPARE(cell(viewer, 0, 2), QStringLiteral("new year"));
    VERIFY_CLEAN(f);
}

void TestLog::errorReportShowsTheViewer()
{
    Fixture f;
    f.setUp();
    InteractiveMode = 1;
    int listed = -1;
    f.ui.onModal("frmLog", [&](QWidget *window) {
        listed = rowsOf(*static_cast<frmLog *>(window));
        return 0;
    });
    ReportError(LogError, QStringLiteral("Error1"));
    QCOMPARE(f.ui.modals, QStringList{"frmLog"});
    QCOMPARE(listed, 1);
    QVERIFY(!Log().anyError());
    QVERIFY(f.logText().contains("\"Error1\""));

    InteractiveMode = 0;
    ReportError(LogError, QStringLiteral("quiet"));
    QCOMPARE(f.ui.modals.size(), 1);
    VERIFY_CLEAN(f);
}

REGISTER_TEST(TestLog)
#include "tst_log.moc"
