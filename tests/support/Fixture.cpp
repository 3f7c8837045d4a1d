#include "Fixture.h"
#include "DeskConnection.h"

#include "LinkedWindows.h"

#include "app/CreateDatabase.h"
#include "app/frmMenu.h"
#include "app/modGlobals.h"
#include "app/session.h"
#include "platform/Clock.h"
#include "platform/Settings.h"
#include "platform/db/ConnectString.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/db/Recordset.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTest>
#include <QWidget>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

const QDateTime Fixture::kNow(QDate(2026, 12, 7), QTime(13, 45, 12));

QString TestServer()
{
    return qEnvironmentVariable("CORVINA_TEST_SERVER");
}

QString MissingTable(const QString &table)
{
    return TestServer().isEmpty() ? QStringLiteral("no such table: %1").arg(table)
                                  : QStringLiteral("relation \"%1\" does not exist").arg(table);
}

namespace {

// Runs statements on the test server's database itself, outside any test's schema.
void onTestServer(const QStringList &statements)
{
    DeskConnection connection(TestServer());
    for (const QString &statement : statements)
        connection.Execute(statement);
}

} // namespace

// A schema of its own for each test, named for the process and a count, and an address that
// makes it the one the test's connections use.
ScratchDatabase::ScratchDatabase(const QString &folder, const QString &file)
    : address(QDir(folder).filePath(file))
{
    if (TestServer().isEmpty())
        return;
    static int count = 0;
    schema_ = QStringLiteral("test_%1_%2").arg(QCoreApplication::applicationPid()).arg(++count);
    onTestServer({QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(schema_),
                  QStringLiteral("CREATE SCHEMA %1").arg(schema_)});
    const QString server = TestServer();
    address = server + (server.contains(QLatin1Char('?')) ? QLatin1Char('&') : QLatin1Char('?'))
            + QStringLiteral("options=-csearch_path%3D") + schema_ + QStringLiteral("%2Cpublic")
            + QStringLiteral("&application_name=") + schema_;
}

ScratchDatabase::~ScratchDatabase()
{
    if (!onServer())
        return;
    try {
        onTestServer({QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(schema_)});
    } catch (const db::DbError &) {
        // Left for the next run of this process number to drop.
    }
}

Fixture::Fixture()
    : database_(dir_.path())
{
    // A program over the fixture sees the windows of what it links, as the program's start-up
    // registers them; registering again changes nothing.
    RegisterLinkedWindows();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.filePath("settings"));
    settings::RemoveAll();
    ResetGlobals();
    ResetProgramEnded();
    SetNow(kNow);
    SetUiDriver(&ui);
    dbPath = database_.address;
    logPath = dir_.filePath(QStringLiteral("tarnu.log"));
    CreateDatabase(dbPath);
    ConnectString = db::ConnectStringFor(dbPath);
}

Fixture::~Fixture()
{
    // Every test, not just those that ask: a box or window nobody scripted is a fault.
    if (QTest::currentTestFunction() && !QTest::currentTestFailed() && !clean())
        QTest::qFail(qPrintable(QStringLiteral("unexpected: ") + ui.unexpected.join(" | ")),
                     __FILE__, __LINE__);
    CloseSession();
    if (frmMenu *menu = MainMenu())
        delete menu;
    // Windows that closed themselves are deleted later; let that happen inside this test.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    SetUiDriver(nullptr);
    SetNow(std::nullopt);
    ResetGlobals();
    ResetProgramEnded();
}

void Fixture::setUp(const QString &login)
{
    setting(QStringLiteral("TARNU"), dbPath);
    setting(QStringLiteral("LOGFILE"), logPath);
    setting(QStringLiteral("COMPLETE"), QStringLiteral("1"));
    setting(QStringLiteral("LOGIN"), login);
}

void Fixture::setting(const QString &key, const QString &value)
{
    settings::Set(key, value);
}

QString Fixture::setting(const QString &key) const
{
    return settings::Get(key, QString());
}

bool Fixture::hasSetting(const QString &key) const
{
    const QString missing = QStringLiteral("\x01missing");
    return settings::Get(key, missing) != missing;
}

void Fixture::exec(const QString &sql, const QVariantList &values)
{
    DeskConnection connection(dbPath);
    connection.Execute(sql, values);
}

void Fixture::exec(const QStringList &statements)
{
    for (const QString &statement : statements)
        exec(statement);
}

QStringList Fixture::column(const QString &sql, const QVariantList &values)
{
    DeskConnection connection(dbPath);
    return FirstColumn(connection, sql, values);
}

QStringList Fixture::filesOutOfStepWithTheirGroups()
{
    return column("select count(*) from fileprofile as p where p.GroupKey is not (select "
                  "g.GroupKey from filegroups as g where g.FileGroup = p.FileGroup)");
}

QString Fixture::logText() const
{
    return QString::fromUtf8(ReadFile(logPath));
}

QStringList RefusingTrigger(const QString &event, const QString &table, const QString &message,
                            const QString &when)
{
    const QString name = QStringLiteral("refuse_") + table;
    if (TestServer().isEmpty()) {
        const QString trigger =
                QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 %4 BEGIN SELECT "
                               "RAISE(ABORT, '%5'); END")
                        .arg(name, event, table,
                             when.isEmpty() ? QString() : QStringLiteral("WHEN ") + when, message);
        // Opening a file refuses triggers that the program did not make, unless told of them.
        db::TrustSchemaObject(name, trigger);
        return {trigger};
    }
    const QString row = event.startsWith(QLatin1String("delete"), Qt::CaseInsensitive)
            ? QStringLiteral("old")
            : QStringLiteral("new");
    QString body = QStringLiteral("BEGIN IF %1 THEN RAISE EXCEPTION '%2'; END IF; RETURN %3; END")
                           .arg(when.isEmpty() ? QStringLiteral("true") : when, message, row);
    body.replace(QLatin1Char('\''), QStringLiteral("''"));
    return {QStringLiteral("CREATE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS '%2'")
                    .arg(name, body),
            QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 FOR EACH ROW EXECUTE FUNCTION %1()")
                    .arg(name, event, table)};
}

QStringList FirstColumn(db::Connection &connection, const QString &sql, const QVariantList &values)
{
    db::Recordset rows;
    rows.Open(sql, connection, values);
    QStringList result;
    for (; !rows.AtEnd(); rows.MoveNext())
        result << rows.Fields(0).toString();
    return result;
}

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            && file.write(bytes) == bytes.size();
}

bool MakeByBytes(const QByteArray &path, bool folder, const QByteArray &contents)
{
#ifdef Q_OS_UNIX
    if (folder)
        return ::mkdir(path.constData(), 0700) == 0;
    const int handle = ::open(path.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    if (handle < 0)
        return false;
    const bool written = ::write(handle, contents.constData(), contents.size()) == contents.size();
    return ::close(handle) == 0 && written;
#else
    Q_UNUSED(path);
    Q_UNUSED(folder);
    Q_UNUSED(contents);
    return false;
#endif
}
