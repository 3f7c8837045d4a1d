#include "platform/fs/Listed.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#ifndef Q_OS_WIN
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs {

namespace {

#ifdef Q_OS_WIN

// No folder handles to act through here: the path is checked just before the act.
QString pathOf(const ListedFile &file)
{
    return QDir(file.directory).filePath(file.name);
}

} // namespace

ListedFile Locate(const QString &root, const QString &directory, const QString &name)
{
    ListedFile file{root, directory, name, {}, {}};
    const QFileInfo info(pathOf(file));
    if (info.exists() && !QFileInfo(directory).isSymLink())
        file.directoryId = file.fileId = FileId{1, 1};
    return file;
}

ActResult RemoveListed(const ListedFile &file)
{
    QFile target(pathOf(file));
    if (!target.exists())
        return {Outcome::Gone, {}};
    if (target.remove())
        return {Outcome::Done, {}};
    return {Outcome::Failed, target.errorString()};
}

ActResult RenameListed(const ListedFile &file, const QString &newName)
{
    QFile target(pathOf(file));
    if (!target.exists())
        return {Outcome::Gone, {}};
    if (target.rename(QDir(file.directory).filePath(newName)))
        return {Outcome::Done, {}};
    return {Outcome::Failed, target.errorString()};
}

#else

QString described(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

FileId idOf(const struct stat &status)
{
    return {static_cast<quint64>(status.st_dev), static_cast<quint64>(status.st_ino)};
}

// An open folder, closed when it goes.
class Folder
{
public:
    Folder() = default;
    Folder(const Folder &) = delete;
    Folder &operator=(const Folder &) = delete;
    ~Folder()
    {
        if (handle_ >= 0)
            ::close(handle_);
    }
    void take(int handle)
    {
        if (handle_ >= 0)
            ::close(handle_);
        handle_ = handle;
    }
    int handle() const { return handle_; }

private:
    int handle_ = -1;
};

// The components of directory below root; false when directory is not at or below it.
bool componentsBelow(const QString &root, const QString &directory, QStringList &components)
{
    const QString top = QDir::cleanPath(QDir::fromNativeSeparators(root));
    const QString path = QDir::cleanPath(QDir::fromNativeSeparators(directory));
    components.clear();
    if (path == top)
        return true;
    const QString prefix = top.endsWith(u'/') ? top : top + u'/';
    if (!path.startsWith(prefix))
        return false;
    components = path.mid(prefix.size()).split(u'/');
    return true;
}

// Opens the file's folder: root as the walk opened it, then each folder below it without
// following a link. Sets errno and returns false when that cannot be done.
bool openFolder(const ListedFile &file, Folder &folder)
{
    QStringList components;
    if (!componentsBelow(file.root, file.directory, components)) {
        errno = EINVAL;
        return false;
    }
    folder.take(::open(QFile::encodeName(QDir::cleanPath(file.root)).constData(),
                       O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.handle() < 0)
        return false;
    for (const QString &component : std::as_const(components)) {
        const int below = ::openat(folder.handle(), QFile::encodeName(component).constData(),
                                   O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (below < 0)
            return false;
        folder.take(below);
    }
    return true;
}

bool replacedOnTheWay(int error)
{
    // A link where a folder was (refused by O_NOFOLLOW), or no folder at all any more.
    return error == ELOOP || error == ENOTDIR || error == EINVAL;
}

// Opens the folder and checks that it and the file are the ones listed. On success the
// folder is open and the result's outcome is Done.
ActResult verify(const ListedFile &file, Folder &folder)
{
    if (!file.located())
        return {Outcome::Replaced, {}};
    if (!openFolder(file, folder)) {
        const int error = errno;
        if (error == ENOENT)
            return {Outcome::Gone, {}};
        return {replacedOnTheWay(error) ? Outcome::Replaced : Outcome::Failed, described(error)};
    }
    struct stat status;
    if (::fstat(folder.handle(), &status) != 0)
        return {Outcome::Failed, described(errno)};
    if (idOf(status) != file.directoryId)
        return {Outcome::Replaced, {}};
    if (::fstatat(folder.handle(), QFile::encodeName(file.name).constData(), &status,
                  AT_SYMLINK_NOFOLLOW)
        != 0) {
        const int error = errno;
        return {error == ENOENT ? Outcome::Gone : Outcome::Failed, described(error)};
    }
    if (idOf(status) != file.fileId)
        return {Outcome::Replaced, {}};
    return {Outcome::Done, {}};
}

// The id of name in the open folder; unknown when nothing has that name.
FileId idIn(int folder, const QByteArray &name)
{
    struct stat status;
    return ::fstatat(folder, name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0 ? idOf(status)
                                                                                  : FileId{};
}

} // namespace

ListedFile Locate(const QString &root, const QString &directory, const QString &name)
{
    ListedFile file{root, directory, name, {}, {}};
    Folder folder;
    if (!openFolder(file, folder))
        return file;
    struct stat status;
    if (::fstat(folder.handle(), &status) != 0)
        return file;
    const FileId directoryId = idOf(status);
    const FileId fileId = idIn(folder.handle(), QFile::encodeName(name));
    if (fileId.known()) {
        file.directoryId = directoryId;
        file.fileId = fileId;
    }
    return file;
}

ActResult RemoveListed(const ListedFile &file)
{
    Folder folder;
    const ActResult checked = verify(file, folder);
    if (checked.outcome != Outcome::Done)
        return checked;
    if (::unlinkat(folder.handle(), QFile::encodeName(file.name).constData(), 0) != 0) {
        const int error = errno;
        return {error == ENOENT ? Outcome::Gone : Outcome::Failed, described(error)};
    }
    return {Outcome::Done, {}};
}

ActResult RenameListed(const ListedFile &file, const QString &newName)
{
    Folder folder;
    const ActResult checked = verify(file, folder);
    if (checked.outcome != Outcome::Done)
        return checked;
    const QByteArray from = QFile::encodeName(file.name);
    const QByteArray to = QFile::encodeName(newName);
    if (from == to)
        return {Outcome::Taken, {}};
#ifdef RENAME_NOREPLACE
    if (::renameat2(folder.handle(), from.constData(), folder.handle(), to.constData(),
                    RENAME_NOREPLACE)
        == 0)
        return {Outcome::Done, {}};
    // Where the file system cannot refuse on its own, check first, as elsewhere.
    if (errno != EINVAL && errno != ENOSYS && errno != EEXIST) {
        const int error = errno;
        return {error == ENOENT ? Outcome::Gone : Outcome::Failed, described(error)};
    }
#endif
    // The new name may already be this very file where the disk ignores letter case.
    const FileId there = idIn(folder.handle(), to);
    if (there.known() && there != file.fileId)
        return {Outcome::Taken, {}};
    if (::renameat(folder.handle(), from.constData(), folder.handle(), to.constData()) != 0) {
        const int error = errno;
        return {error == ENOENT ? Outcome::Gone : Outcome::Failed, described(error)};
    }
    return {Outcome::Done, {}};
}

#endif

} // namespace fs
