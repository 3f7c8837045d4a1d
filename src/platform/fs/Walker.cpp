#include "platform/fs/Walker.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <vector>

#ifdef Q_OS_WIN
#include <filesystem>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs {

namespace {

struct Listing
{
    QStringList files;
    QStringList directories;
};

bool sameChar(QChar a, QChar b, Qt::CaseSensitivity cs)
{
    return a == b || (cs == Qt::CaseInsensitive && a.toCaseFolded() == b.toCaseFolded());
}

// How many code units of name starting at at make up one character.
qsizetype characterLength(QStringView name, qsizetype at)
{
    return name[at].isHighSurrogate() && at + 1 < name.size() && name[at + 1].isLowSurrogate() ? 2
                                                                                               : 1;
}

// Name order: letters first without regard to case, so "b" sorts between "A" and "C";
// names that differ only in case keep a fixed order between them.
bool nameLess(const QString &a, const QString &b)
{
    const int order = a.compare(b, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a < b;
}

void sortByName(QStringList &names)
{
    std::sort(names.begin(), names.end(), nameLess);
}

#ifdef Q_OS_WIN

bool readDirectory(const QString &path, bool /*isRoot*/, Listing &out)
{
    namespace sfs = std::filesystem;
    std::error_code error;
    sfs::directory_iterator it(path.toStdWString(), error);
    if (error)
        return false;
    for (const sfs::directory_iterator end; it != end; it.increment(error)) {
        // The entry's own type, cached from the directory read; junctions and links are not
        // directories here, so they are never entered.
        const sfs::file_type own = it->symlink_status(error).type();
        const QString name = QString::fromStdWString(it->path().filename().wstring());
        if (own == sfs::file_type::directory)
            out.directories << name;
        else if (own == sfs::file_type::regular
                 || (own == sfs::file_type::symlink && it->is_regular_file(error)))
            out.files << name;
    }
    return true;
}

#else

enum class Kind { File, Directory, Other };

bool isDotOrDotDot(const char *name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// A link counts as a file when it leads to one; a link to a directory is left alone.
Kind kindOfLinkTarget(int directory, const char *name)
{
    struct stat target;
    return ::fstatat(directory, name, &target, 0) == 0 && S_ISREG(target.st_mode) ? Kind::File
                                                                                  : Kind::Other;
}

Kind kindOf(int directory, const dirent &entry)
{
    switch (entry.d_type) {
    case DT_REG:
        return Kind::File;
    case DT_DIR:
        return Kind::Directory;
    case DT_LNK:
        return kindOfLinkTarget(directory, entry.d_name);
    case DT_UNKNOWN:
        break; // some file systems do not say; ask them for this entry alone
    default:
        return Kind::Other;
    }
    struct stat own;
    if (::fstatat(directory, entry.d_name, &own, AT_SYMLINK_NOFOLLOW) != 0)
        return Kind::Other;
    if (S_ISLNK(own.st_mode))
        return kindOfLinkTarget(directory, entry.d_name);
    return S_ISDIR(own.st_mode) ? Kind::Directory : S_ISREG(own.st_mode) ? Kind::File : Kind::Other;
}

// Reads one directory's entries. Below the root, a directory that became a link since its
// parent was read is refused rather than followed.
bool readDirectory(const QString &path, bool isRoot, Listing &out)
{
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (isRoot ? 0 : O_NOFOLLOW);
    const int handle = ::open(QFile::encodeName(path).constData(), flags);
    if (handle < 0)
        return false;
    DIR *directory = ::fdopendir(handle);
    if (!directory) {
        ::close(handle);
        return false;
    }
    while (const dirent *entry = ::readdir(directory)) {
        if (isDotOrDotDot(entry->d_name))
            continue;
        switch (kindOf(handle, *entry)) {
        case Kind::File:
            out.files << QFile::decodeName(entry->d_name);
            break;
        case Kind::Directory:
            out.directories << QFile::decodeName(entry->d_name);
            break;
        case Kind::Other:
            break;
        }
    }
    ::closedir(directory);
    return true;
}

#endif

bool cancelled(const WalkOptions &options)
{
    return options.cancel && options.cancel->load(std::memory_order_relaxed);
}

// The root as given, cleaned, in the platform's form; a volume root keeps its separator.
QString rootPath(const QString &root)
{
    return QDir::toNativeSeparators(QDir::cleanPath(root));
}

} // namespace

bool MatchesWildcard(QStringView name, QStringView mask, Qt::CaseSensitivity cs)
{
    if (mask.isEmpty() || mask == u"*.*")
        return true;
    qsizetype n = 0;
    qsizetype m = 0;
    qsizetype star = -1; // the last '*' seen, and where in name it began to match
    qsizetype starFrom = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == u'*') {
            star = m++;
            starFrom = n;
        } else if (m < mask.size() && mask[m] == u'?') {
            ++m;
            n += characterLength(name, n);
        } else if (m < mask.size() && sameChar(mask[m], name[n], cs)) {
            ++m;
            ++n;
        } else if (star >= 0) {
            // Let the last '*' take one character more and try the rest again.
            m = star + 1;
            starFrom += characterLength(name, starFrom);
            n = starFrom;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == u'*')
        ++m;
    return m == mask.size();
}

QString PathOf(const QString &directory, const QString &name)
{
    const QString separator = QDir::separator();
    return directory.endsWith(separator) ? directory + name : directory + separator + name;
}

FileStamp StampOf(const QString &directory, const QString &name)
{
    const QFileInfo info(PathOf(directory, name));
    if (!info.exists())
        return {};
    return {info.size(), info.lastModified()};
}

WalkResult Walk(const QString &root, const VisitDirectory &visit, const WalkOptions &options)
{
    WalkResult result;
    // Directories still to read, the next one last: depth first, in name order.
    std::vector<QString> pending{rootPath(root)};
    bool atRoot = true;
    while (!pending.empty()) {
        if (cancelled(options)) {
            result.stopped = true;
            break;
        }
        const QString directory = std::move(pending.back());
        pending.pop_back();
        Listing listing;
        const bool readable = readDirectory(directory, atRoot, listing);
        atRoot = false;
        if (!readable) {
            result.unreadable << directory;
            continue;
        }
        sortByName(listing.files);
        if (!visit(directory, listing.files)) {
            result.stopped = true;
            break;
        }
        if (!options.recursive)
            break;
        sortByName(listing.directories);
        for (auto it = listing.directories.crbegin(); it != listing.directories.crend(); ++it)
            pending.push_back(PathOf(directory, *it));
    }
    return result;
}

} // namespace fs
