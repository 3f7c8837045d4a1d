#include "Fixture.h"

#include "app/CreateDatabase.h"
#include "app/frmMenu.h"
#include "app/modGlobals.h"
#include "app/session.h"
#include "platform/Clock.h"
#include "platform/Settings.h"
#include "platform/db/ConnectString.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"

#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QTest>
#include <QWidget>

const QDateTime Fixture::kNow(QDate(2026, 12, 7), QTime(13, 45, 12));

Fixture::Fixture()
{
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.filePath("settings"));
    settings::RemoveAll();
    ResetGlobals();
    ResetProgramEnded();
    SetNow(kNow);
    SetUiDriver(&ui);
    dbPath = dir_.filePath(QStringLiteral("tarnu.mdb"));
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
    db::Connection connection;
    connection.Open(db::ConnectStringFor(dbPath));
    connection.Execute(sql, values);
}

QStringList Fixture::column(const QString &sql, const QVariantList &values)
{
    db::Connection connection;
    connection.Open(db::ConnectStringFor(dbPath));
    return FirstColumn(connection, sql, values);
}

QString Fixture::logText() const
{
    return QString::fromUtf8(ReadFile(logPath));
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
