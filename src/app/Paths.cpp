#include "app/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

QString ProgramStartFolder(const QString &programFolder)
{
    const QString folder = QDir::cleanPath(
            programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder);
    for (const char *system : {"/usr", "/opt", "/snap"}) {
        const QString top = QString::fromLatin1(system);
        if (folder == top || folder.startsWith(top + QLatin1Char('/')))
            return QDir::homePath();
    }
    return folder;
}

bool MakePrivateFolder(const QString &folder)
{
    const QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    if (QFileInfo(path).isDir())
        return true;
    const QString parent = QFileInfo(path).absolutePath();
    if (parent != path && !MakePrivateFolder(parent))
        return false;
    return QDir().mkdir(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)
            || QFileInfo(path).isDir();
}
