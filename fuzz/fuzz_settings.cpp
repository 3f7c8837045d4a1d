// The settings store. Any file in its place reads without a crash; a value written through the
// program's parameters reads back exactly, from the store and from a fresh copy of its file;
// writing or removing one key leaves every other key as it was.

#include "Check.h"
#include "app/CParm.h"
#include "app/SettingKeys.h"
#include "platform/Settings.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSettings>
#include <QTemporaryDir>

namespace {

const QString kMissing = QStringLiteral("(missing)");

// In memory where the system offers it: the store makes every write reach the disk.
QTemporaryDir *folder()
{
    static QTemporaryDir dir(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                     ? QStringLiteral("/dev/shm/fuzz_settings-XXXXXX")
                                     : QDir::tempPath() + QStringLiteral("/fuzz_settings-XXXXXX"));
    return &dir;
}

const QStringList &keys()
{
    static const QStringList all{SettingKey::Database, SettingKey::Complete, SettingKey::Login,
                                 SettingKey::LogFile,  SettingKey::Dsn,      SettingKey::Server,
                                 SettingKey::UserId,   SettingKey::Password, SettingKey::DirPinned,
                                 SettingKey::DirText};
    return all;
}

QString storePath()
{
    return settings::FileName();
}

QMap<QString, QString> everyValue()
{
    QMap<QString, QString> values;
    for (const QString &key : keys())
        values[key] = settings::Get(key, kMissing);
    return values;
}

// The store keeps a file it has read and reads it again only when its time or size changed, to
// the millisecond: each file written here gets a time of its own, so that it is read afresh.
void write(const QString &path, const QByteArray &content)
{
    static qint64 stamp = QDateTime(QDate(2000, 1, 1), QTime()).toSecsSinceEpoch();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()
        || !file.setFileTime(QDateTime::fromSecsSinceEpoch(++stamp),
                             QFileDevice::FileModificationTime))
        Broken("scratch file", file.errorString());
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        Broken("settings file", file.errorString());
    return file.readAll();
}

QString shownValues(const QMap<QString, QString> &values)
{
    QString text;
    for (auto it = values.begin(); it != values.end(); ++it)
        text += it.key() + QLatin1Char('=') + Shown(it.value()) + QLatin1Char(' ');
    return text;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication application(*argc, *argv);
    FUZZ_CHECK(folder()->isValid(), folder()->errorString());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder()->path());
    FUZZ_CHECK(QDir().mkpath(QFileInfo(storePath()).absolutePath()), storePath());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const QString key = keys()[input.ConsumeIntegralInRange<int>(0, keys().size() - 1)];
    const QString value = TakeText(input, 256);
    const QByteArray content = QByteArray::fromStdString(input.ConsumeRemainingBytesAsString());
    const QString path = storePath();
    write(path, content);

    const QMap<QString, QString> before = everyValue();
    CParm parm;
    parm.setRParm(key, value);
    if (parm.isError()) {
        // A file the store cannot read is refused, never overwritten with what little it read.
        FUZZ_CHECK(contentOf(path) == content,
                   parm.getError() + QStringLiteral("\nwas ") + Shown(QString::fromUtf8(content))
                           + QStringLiteral("\nnow ") + Shown(QString::fromUtf8(contentOf(path))));
        return 0;
    }
    QMap<QString, QString> expected = before;
    expected[key] = value;
    const QMap<QString, QString> after = everyValue();
    FUZZ_CHECK(after == expected,
               QStringLiteral("wrote ") + key + QLatin1Char('=') + Shown(value)
                       + QStringLiteral("\nexpected ") + shownValues(expected)
                       + QStringLiteral("\nread ") + shownValues(after));

    // What reached the disk reads the same once the store reads it afresh.
    const QByteArray written = contentOf(path);
    write(path, written);
    FUZZ_CHECK(everyValue() == expected, QStringLiteral("copy of ") + QString::fromUtf8(written));

    parm.removeRParm(key);
    FUZZ_CHECK(!parm.isError(), parm.getError());
    expected[key] = kMissing;
    FUZZ_CHECK(everyValue() == expected,
               key + QStringLiteral(" removed from ") + QString::fromUtf8(content));
    return 0;
}
