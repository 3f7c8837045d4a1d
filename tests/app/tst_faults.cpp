#include "DeskConnection.h"
#include "Fixture.h"
#include "TestRegistry.h"
#include "app/CLog.h"
#include "app/modGlobals.h"
#include "app/session.h"
#include "catalogue/frmGroups.h"
#include "platform/db/DataControl.h"
#include "platform/db/Database.h"
#include "platform/ui/ToolBar.h"

#include <QFile>
#include <QLineEdit>
#include <QTest>

#include <sqlite3.h>

#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>

// Faults that strike the database file or the log while the program runs: each is told with the
// system's "Error: ..." message, loses nothing saved before, and leaves the program working once
// the fault is gone.

namespace {

enum class Fault { Deleted, Locked, ReadOnly, Corrupted, DiskFull };

// Every connection opened while a disk is "full" may not grow its file by a single page.
int noRoomToGrow(sqlite3 *db, char **, const sqlite3_api_routines *)
{
    sqlite3_exec(db, "PRAGMA max_page_count = 1", nullptr, nullptr, nullptr);
    return SQLITE_OK;
}

using Extension = void (*)();

bool runsAsRoot()
{
    return geteuid() == 0;
}

// Puts a fault on the fixture's database and takes it away again.
class FaultOnDatabase
{
public:
    FaultOnDatabase(Fixture &f, Fault fault)
        : f_(f)
        , fault_(fault)
        , saved_(ReadFile(f.dbPath))
    { }
    ~FaultOnDatabase() { end(); }

    void start()
    {
        switch (fault_) {
        case Fault::Deleted:
            for (const char *suffix : {"", "-wal", "-shm"})
                QFile::remove(f_.dbPath + QLatin1String(suffix));
            break;
        case Fault::Locked:
            // The save waits a short while for the lock, not the five seconds a desk waits.
            savedWait_ = db::LockWait();
            db::SetLockWait(200);
            holder_ = std::make_unique<DeskConnection>(f_.dbPath);
            holder_->Execute("BEGIN EXCLUSIVE");
            break;
        case Fault::ReadOnly:
            // Permissions do not stop the superuser; the layer is then told to read only, as
            // it is for a file nobody may write.
            if (runsAsRoot()) {
                SetSharedReadOnly(true);
            } else {
                QFile::setPermissions(f_.dbPath, QFile::ReadOwner);
                QFile::setPermissions(f_.dir(), QFile::ReadOwner | QFile::ExeOwner);
            }
            break;
        case Fault::Corrupted:
            overwriteHeader("not a database!!");
            break;
        case Fault::DiskFull:
            sqlite3_auto_extension(reinterpret_cast<Extension>(noRoomToGrow));
            break;
        }
        started_ = true;
    }

    void end()
    {
        if (!started_)
            return;
        started_ = false;
        switch (fault_) {
        case Fault::Deleted:
            QVERIFY(WriteFile(f_.dbPath, saved_));
            break;
        case Fault::Locked:
            holder_.reset();
            db::SetLockWait(savedWait_);
            break;
        case Fault::ReadOnly:
            SetSharedReadOnly(false);
            QFile::setPermissions(f_.dir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QFile::setPermissions(f_.dbPath, QFile::ReadOwner | QFile::WriteOwner);
            break;
        case Fault::Corrupted:
            overwriteHeader(saved_.left(16));
            break;
        case Fault::DiskFull:
            sqlite3_cancel_auto_extension(reinterpret_cast<Extension>(noRoomToGrow));
            break;
        }
    }

private:
    void overwriteHeader(const QByteArray &header)
    {
        QFile file(f_.dbPath);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.write(header) == header.size());
    }

    Fixture &f_;
    Fault fault_;
    QByteArray saved_;
    std::unique_ptr<DeskConnection> holder_;
    int savedWait_ = 0;
    bool started_ = false;
};

QStringList groups(Fixture &f)
{
    return f.column("select CodeType from CodeTypes order by inum");
}

// Adds a group through the window, answering Yes to its question (and OK to a failure when one
// is expected); the messages shown after the question.
QStringList addGroup(Fixture &f, frmGroups &window, const QString &name, bool failing)
{
    const qsizetype before = f.ui.messages.size();
    window.PName->setText(name);
    f.ui.answer(vbYes);
    if (failing)
        f.ui.answer(vbOK);
    window.Toolbar1->click("kNew");
    QStringList shown = f.ui.texts().mid(before);
    if (!shown.isEmpty() && shown.first().startsWith("Add New Group"))
        shown.removeFirst();
    return shown;
}

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT
private slots:
    void databaseFaultWhileSaving_data();
    void databaseFaultWhileSaving();
    void logOnAFullDisk();
    void logLineNeverHalfWritten();
};

void TestFaults::databaseFaultWhileSaving_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("reason");
    QTest::newRow("deleted") << Fault::Deleted << "Could not find file";
    QTest::newRow("locked by another program")
            << Fault::Locked << db::kBusyElsewhere + " (database is locked)";
    QTest::newRow("made read-only") << Fault::ReadOnly << "readonly database";
    QTest::newRow("corrupted") << Fault::Corrupted << "not a database";
    QTest::newRow("disk full") << Fault::DiskFull << "database or disk is full";
}

void TestFaults::databaseFaultWhileSaving()
{
    SKIP_ON_SERVER();
    QFETCH(Fault, fault);
    QFETCH(QString, reason);
    Fixture f;
    f.setUp();
    // Long enough to need new pages of the file, as a full disk refuses them.
    const QString longName = QStringLiteral("Rust ") + QString(6000, QLatin1Char('x'));
    FaultOnDatabase trouble(f, fault);
    frmGroups window;
    window.Form_Load();
    const QStringList saved = groups(f);
    const qint64 listed = window.Adodc1->RecordCount();

    trouble.start();
    const QStringList shown = addGroup(f, window, longName, true);
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown[0].startsWith("Error: ") && shown[0].contains(reason), qPrintable(shown[0]));
    QVERIFY(f.ui.messages.last().title.isEmpty() || f.ui.messages.last().title == AppTitle());
    trouble.end();

    QCOMPARE(groups(f), saved);
    QCOMPARE(addGroup(f, window, longName, false), QStringList());
    QCOMPARE(groups(f), saved + QStringList{longName});
    // The grid shows the file as it is now, even one that was put back.
    QCOMPARE(window.Adodc1->RecordCount(), listed + 1);
    VERIFY_CLEAN(f);
}

void TestFaults::logOnAFullDisk()
{
    if (!QFile::exists("/dev/full"))
        QSKIP("This system has no /dev/full.");
    Fixture f;
    f.setUp();
    InteractiveMode = 1;
    Log().addEntry(LogInfo, QStringLiteral("kept"));
    f.setting("LOGFILE", "/dev/full");
    f.ui.answer(vbOK);
    f.ui.answer(vbOK);
    f.ui.onModal("frmLog");
    ReportError(LogError, QStringLiteral("Table is Empty"));
    QCOMPARE(f.ui.messages.size(), 2);
    QVERIFY2(f.ui.messages[0].text.startsWith("Error: ")
                     && f.ui.messages[0].text.contains("/dev/full"),
             qPrintable(f.ui.messages[0].text));
    // The viewer does not read a device as a log.
    QCOMPARE(f.ui.messages[1].title, QStringLiteral("APP Error"));
    QVERIFY(!Log().anyError());

    f.setting("LOGFILE", f.logPath);
    ReportError(LogError, QStringLiteral("written again"));
    QCOMPARE(f.ui.messages.size(), 2);
    QVERIFY(f.logText().contains("\"kept\"\r\n"));
    QVERIFY(f.logText().endsWith("\"written again\"\r\n"));
    VERIFY_CLEAN(f);
}

// A disk that fills in the middle of a line: the half line is taken back, so the next entry
// starts on a line of its own.
void TestFaults::logLineNeverHalfWritten()
{
    Fixture f;
    f.setUp();
    Log().addEntry(LogInfo, QStringLiteral("first"));
    const QByteArray before = ReadFile(f.logPath);

    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = saved;
    tight.rlim_cur = rlim_t(before.size() + 10);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &tight), 0);
    const bool written = Log().addEntry(LogError, QStringLiteral("cut short by a full disk"));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!written);
    QString error;
    QVERIFY(Log().isError(error));
    QCOMPARE(ReadFile(f.logPath), before);
    QVERIFY(Log().addEntry(LogInfo, QStringLiteral("second")));
    QCOMPARE(Log().getEntries().size(), 2);
    QVERIFY(!Log().isError(error));
}

REGISTER_TEST(TestFaults)
#include "tst_faults.moc"
