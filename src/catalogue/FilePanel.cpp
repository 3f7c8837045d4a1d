#include "catalogue/FilePanel.h"

#include "app/CUtils.h"
#include "app/session.h"
#include "platform/fs/Walker.h"

#include <QDir>

QString DriveText(const QString &drive)
{
#ifdef Q_OS_WIN
    return drive.toUpper();
#else
    return drive;
#endif
}

QString FullPathOf(const QString &folder, const QString &name)
{
    return fs::PathOf(folder, name);
}

QString DirectoryText(const QString &folder)
{
    return folder + QDir::separator();
}

bool MatchesPattern(const QString &name, const QString &pattern)
{
    const QStringList masks = pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    bool anyMask = false;
    for (const QString &part : masks) {
        const QString mask = part.trimmed();
        if (mask.isEmpty())
            continue;
        anyMask = true;
        if (mask == QLatin1String("*") || fs::MatchesWildcard(name, mask, Qt::CaseInsensitive))
            return true;
    }
    return !anyMask;
}

QString Stored(const QString &text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

QStringList ReadPatterns()
{
    ReopenConnection();
    db::Recordset &rs = SharedRecordset();
    RunOn(rs, QStringLiteral("select patterns from patterns order by patterns"));
    QStringList patterns;
    for (; !rs.AtEnd(); rs.MoveNext())
        patterns << Trim(TextOf(rs.Fields(0)));
    rs.Close();
    return patterns;
}
