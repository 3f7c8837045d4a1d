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

bool readDirectory(const QString &path, bool /*isRoot*/, bool stamped, Listing &out)
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
                 || (own == sfs::file_type::symlink && it->is_regular_file(error))) {
            out.files << name;
            if (stamped)
                out.stamps << StampOf(path, name);
        }
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
// A file's stamp, looked up in its open directory (a link followed to its file).
FileStamp stampIn(int directory, const char *name)
{
    struct stat file;
    if (::fstatat(directory, name, &file, 0) != 0)
        return {};
    const qint64 ms =
            static_cast<qint64>(file.st_mtim.tv_sec) * 1000 + file.st_mtim.tv_nsec / 1000000;
    return {static_cast<qint64>(file.st_size), QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC)};
}

bool readDirectory(const QString &path, bool isRoot, bool stamped, Listing &out)
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
        const Kind kind = kindOf(handle, *entry);
        if (kind == Kind::Other)
            continue;
        const QByteArray bytes(entry->d_name);
        // Most names are ASCII, which every encoding of the file system's names reads alike.
        const bool ascii = std::all_of(bytes.cbegin(), bytes.cend(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        const QString name = ascii ? QString::fromLatin1(bytes) : QFile::decodeName(bytes);
        // Only a name that encodes back to its own bytes reaches the same entry again.
        if (!ascii && QFile::encodeName(name) != bytes) {
            out.leftOut.append({PathOf(path, EscapedName(bytes)), name, kind == Kind::Directory});
            continue;
        }
        (kind == Kind::File ? out.files : out.directories) << name;
        if (stamped && kind == Kind::File)
            out.stamps << stampIn(handle, entry->d_name);
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

// How many bytes of a valid UTF-8 sequence start at at; 0 when none does.
qsizetype utf8Length(const QByteArray &bytes, qsizetype at)
{
    const auto byte = [&](qsizetype i) {
        return static_cast<unsigned char>(bytes[i]);
    };
    const unsigned char lead = byte(at);
    qsizetype length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80; // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF; // nothing past U+10FFFF
    } else {
        return 0;
    }
    if (at + length > bytes.size())
        return 0;
    if (byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (qsizetype i = 2; i < length; ++i)
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF)
            return 0;
    return length;
}

} // namespace

QString EscapedName(const QByteArray &name)
{
    QString text;
    for (qsizetype at = 0; at < name.size();) {
        const auto byte = static_cast<unsigned char>(name[at]);
        if (byte >= 0x20 && byte < 0x7F) {
            text += QLatin1Char(char(byte));
            ++at;
        } else if (const qsizetype length = byte >= 0x80 ? utf8Length(name, at) : 0) {
            text += QString::fromUtf8(name.mid(at, length));
            at += length;
        } else {
            text += QStringLiteral("\\x")
                    + QString::number(byte, 16).rightJustified(2, u'0').toUpper();
            ++at;
        }
    }
    return text;
}

bool ReadListing(const QString &directory, Listing &listing)
{
    return readDirectory(rootPath(directory), true, false, listing);
}

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
        const bool readable = readDirectory(directory, atRoot, false, listing);
        atRoot = false;
        if (!readable) {
            result.unreadable << directory;
            continue;
        }
        result.leftOut << listing.leftOut;
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

// One directory's entries in the order of their paths: a folder sorts as its name and a "/".
struct OrderedWalk::Level
{
    struct Entry
    {
        QByteArray key;
        QString name;
        bool directory = false;
        FileStamp stamp;
    };
    QString directory;
    QByteArray relative; // of the directory, ending in "/" below the root
    std::vector<Entry> entries;
    size_t at = 0;
};

OrderedWalk::OrderedWalk(const QString &root, bool recursive,
                         std::function<bool()> enteringDirectory)
    : recursive_(recursive)
    , enteringDirectory_(std::move(enteringDirectory))
{
    enter(rootPath(root), {}, true);
}

OrderedWalk::~OrderedWalk() = default;

void OrderedWalk::enter(const QString &directory, const QByteArray &relative, bool atRoot)
{
    if (enteringDirectory_ && !enteringDirectory_()) {
        result_.stopped = true;
        levels_.clear();
        return;
    }
    Listing listing;
    if (!readDirectory(directory, atRoot, true, listing)) {
        result_.unreadable << directory;
        return;
    }
    result_.leftOut << listing.leftOut;
    Level level{directory, relative, {}, 0};
    level.entries.reserve(listing.files.size() + listing.directories.size());
    for (qsizetype i = 0; i < listing.files.size(); ++i)
        level.entries.push_back(
                {listing.files[i].toUtf8(), listing.files[i], false, listing.stamps[i]});
    if (recursive_) {
        for (const QString &name : std::as_const(listing.directories))
            level.entries.push_back({name.toUtf8() + '/', name, true, {}});
    }
    std::sort(level.entries.begin(), level.entries.end(),
              [](const Level::Entry &a, const Level::Entry &b) { return a.key < b.key; });
    levels_.push_back(std::move(level));
}

bool OrderedWalk::next(OrderedFile &file)
{
    while (!levels_.empty()) {
        Level &level = levels_.back();
        if (level.at == level.entries.size()) {
            levels_.pop_back();
            continue;
        }
        Level::Entry &entry = level.entries[level.at++];
        if (entry.directory) {
            // Copied first: entering pushes a level, which may move this one.
            const QString below = PathOf(level.directory, entry.name);
            const QByteArray relative = level.relative + entry.key;
            enter(below, relative, false);
            continue;
        }
        file.relative = level.relative + entry.key;
        file.directory = level.directory;
        file.name = std::move(entry.name);
        file.stamp = entry.stamp;
        return true;
    }
    return false;
}

} // namespace fs
