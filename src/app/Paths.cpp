#include "app/Paths.h"

#include <QDir>
#include <QStandardPaths>

namespace {

QString dataFile(const QString &name)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (folder.isEmpty())
        folder = QDir::homePath();
    return QDir::toNativeSeparators(QDir(folder).filePath(name));
}

} // namespace

QString DefaultDatabasePath()
{
#ifdef Q_OS_WIN
    return QStringLiteral("c:\\program files\\tarnu\\tarnu.mdb");
#else
    return dataFile(QStringLiteral("tarnu.mdb"));
#endif
}

QString DefaultLogPath()
{
#ifdef Q_OS_WIN
    return QStringLiteral("c:\\mysql.log");
#else
    return dataFile(QStringLiteral("tarnu.log"));
#endif
}
