#include "app/CParm.h"

#include "platform/Settings.h"

QString CParm::getRParm(const QString &psKey, const QString &psDefault) const
{
    return settings::Get(psKey, psDefault);
}

void CParm::setRParm(const QString &psKey, const QString &psVal)
{
    record(settings::Set(psKey, psVal));
}

void CParm::removeRParm(const QString &psKey)
{
    record(settings::Remove(psKey));
}

void CParm::removeRAllParm()
{
    record(settings::RemoveAll());
}

void CParm::record(bool ok)
{
    failed_ = !ok;
    error_ = ok
            ? QString()
            : QStringLiteral("The settings could not be written to %1.").arg(settings::FileName());
}
