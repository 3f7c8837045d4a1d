#pragma once

#include "ScriptedUi.h"

#include <QDateTime>
#include <QString>
#include <QTemporaryDir>

// The database of one test: a file in folder, or, when the environment names a server
// (CORVINA_TEST_SERVER), a schema of its own on that server, addressed by URL and dropped when
// the test ends. Nothing is made in it: CreateDatabase(address) does that.
class ScratchDatabase
{
public:
    explicit ScratchDatabase(const QString &folder,
                             const QString &file = QStringLiteral("tarnu.mdb"));
    ~ScratchDatabase();
    ScratchDatabase(const ScratchDatabase &) = delete;
    ScratchDatabase &operator=(const ScratchDatabase &) = delete;

    QString address;
    bool onServer() const { return !schema_.isEmpty(); }

private:
    QString schema_;
};

// A fresh world for one test: its own settings store, a database made as --create-database
// makes one, a log file path, scripted boxes and windows, and a fixed clock. When it goes, it
// fails the running test on any message box, input box or window that the script did not expect.
class Fixture
{
public:
    Fixture();
    ~Fixture();
    Fixture(const Fixture &) = delete;
    Fixture &operator=(const Fixture &) = delete;

    QString dir() const { return dir_.path(); }
    // The test database's address (see ScratchDatabase).
    QString dbPath;
    bool onServer() const { return database_.onServer(); }
    QString logPath;
    ScriptedUi ui;
    static const QDateTime kNow;

    // Stores the settings of a finished setup: database, log file, and the login switch.
    void setUp(const QString &login = QStringLiteral("0"));
    void setting(const QString &key, const QString &value);
    QString setting(const QString &key) const;
    bool hasSetting(const QString &key) const;
    // Runs a statement on the test database directly (no window involved).
    void exec(const QString &sql, const QVariantList &values = {});
    void exec(const QStringList &statements);
    // The first column of every row of a select.
    QStringList column(const QString &sql, const QVariantList &values = {});
    // How many catalogued files hold another number than their group name's, as text ("0" when
    // every file is in step).
    QStringList filesOutOfStepWithTheirGroups();
    QString logText() const;
    // True when nothing appeared that the script did not expect.
    bool clean() const { return ui.unexpected.isEmpty(); }

private:
    QTemporaryDir dir_;
    ScratchDatabase database_;
};

// The server the tests run on, from CORVINA_TEST_SERVER; empty when they run on files.
QString TestServer();
// The engine's words for a missing table.
QString MissingTable(const QString &table);

namespace db {
class Connection;
}

// The first column of every row of a select, as text.
QStringList FirstColumn(db::Connection &connection, const QString &sql,
                        const QVariantList &values = {});
// The statements that make every event ("insert", "update of notes", ...) on table fail with
// message, in the engine's own trigger language; when, if given, limits it to rows where that
// condition over the row (named "new", or "old" for a delete) holds.
QStringList RefusingTrigger(const QString &event, const QString &table, const QString &message,
                            const QString &when = {});
// A whole file's bytes (empty when it cannot be read), and a file written with exactly bytes.
QByteArray ReadFile(const QString &path);
bool WriteFile(const QString &path, const QByteArray &bytes);
// A file holding contents, or a folder, at a path given as bytes, which need not be valid text
// (where the system's names are bytes).
bool MakeByBytes(const QByteArray &path, bool folder, const QByteArray &contents = {});

// For tests of what only a database file can do (be deleted, locked, made read-only).
#define SKIP_ON_SERVER() \
    do { \
        if (!TestServer().isEmpty()) \
            QSKIP("a test of database files"); \
    } while (false)

// Fails the test when the fixture saw an unscripted message box.
#define VERIFY_CLEAN(f) QVERIFY2((f).clean(), qPrintable((f).ui.unexpected.join(" | ")))
