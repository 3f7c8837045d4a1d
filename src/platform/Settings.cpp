#include "platform/Settings.h"

#include <QSettings>

namespace settings {

namespace {

const QString kSection = QStringLiteral("Setup");

QSettings store()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("TARNU"),
                     QStringLiteral("TARNU"));
}

// Only a failed write counts. A file with lines the store cannot read reports a format error, yet
// the write goes through (those lines are dropped): it is done, not failed.
bool flush(QSettings &settings)
{
    settings.sync();
    return settings.status() != QSettings::AccessError;
}

} // namespace

QString Get(const QString &key, const QString &defaultValue)
{
    QSettings settings = store();
    return settings.value(kSection + QLatin1Char('/') + key, defaultValue).toString();
}

bool Set(const QString &key, const QString &value)
{
    QSettings settings = store();
    settings.setValue(kSection + QLatin1Char('/') + key, value);
    return flush(settings);
}

bool Remove(const QString &key)
{
    QSettings settings = store();
    settings.remove(kSection + QLatin1Char('/') + key);
    return flush(settings);
}

bool RemoveAll()
{
    QSettings settings = store();
    settings.remove(kSection);
    return flush(settings);
}

QString FileName()
{
    return store().fileName();
}

} // namespace settings
