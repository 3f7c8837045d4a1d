#include "platform/fs/Volumes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

namespace fs {

namespace {

struct Mount
{
    QString majorMinor;
    QString root; // "/" for the file system's top
    QString mountPoint;
    QString type;
    QString source;
};

// One line of the mount table: "36 35 98:0 /root /mount/point options [optional...] - type
// source super-options". Empty when the line is not of that form.
Mount mountOf(const QString &line)
{
    const QStringList fields = line.split(QLatin1Char(' '));
    const qsizetype dash = fields.indexOf(QStringLiteral("-"), 6);
    if (fields.size() < 6 || dash < 0 || dash + 2 >= fields.size())
        return {};
    return {fields[2], UnescapedMountText(fields[3]), UnescapedMountText(fields[4]),
            fields[dash + 1], UnescapedMountText(fields[dash + 2])};
}

bool below(const QString &path, const QString &mountPoint)
{
    if (mountPoint == QLatin1String("/"))
        return path.startsWith(QLatin1Char('/'));
    return path == mountPoint || path.startsWith(mountPoint + QLatin1Char('/'));
}

// The mount table's lines read, in their order; none when it cannot be read.
QList<Mount> mountsOf(const QString &mountInfo)
{
    QFile file(mountInfo);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<Mount> mounts;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray &line : lines) {
        const Mount mount = mountOf(QString::fromUtf8(line));
        if (!mount.mountPoint.isEmpty())
            mounts << mount;
    }
    return mounts;
}

// The mount that holds path: the longest mount point above it, the last listed among equals
// (a later mount covers an earlier one at the same place).
Mount mountHolding(const QString &path, const QString &mountInfo)
{
    Mount best;
    for (const Mount &mount : mountsOf(mountInfo))
        if (below(path, mount.mountPoint) && mount.mountPoint.size() >= best.mountPoint.size())
            best = mount;
    return best;
}

QString canonical(const QString &path)
{
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? path : resolved;
}

// True when a link of by-uuid/ or by-label/ leads to the mount's device: the same path, or a
// device node of the mount's number (the table may name the device otherwise, "/dev/root").
bool leadsTo(const QFileInfo &link, const Mount &mount)
{
    const QString target = canonical(link.symLinkTarget());
    if (mount.source.startsWith(QLatin1Char('/')) && target == canonical(mount.source))
        return true;
    struct stat facts;
    if (::stat(QFile::encodeName(target).constData(), &facts) != 0 || !S_ISBLK(facts.st_mode))
        return false;
    return QStringLiteral("%1:%2").arg(major(facts.st_rdev)).arg(minor(facts.st_rdev))
            == mount.majorMinor;
}

// The name of the link in folder that leads to the mount's device; empty when none does.
QString linkName(const QString &folder, const Mount &mount)
{
    const QFileInfoList links = QDir(folder).entryInfoList(
            QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &link : links)
        if (link.isSymLink() && leadsTo(link, mount))
            return UnescapedMountText(link.fileName());
    return {};
}

VolumeSpace spaceOf(const QString &mountPoint)
{
    struct statvfs facts;
    if (::statvfs(QFile::encodeName(mountPoint).constData(), &facts) != 0)
        return {};
    return {qint64(facts.f_blocks) * qint64(facts.f_frsize),
            qint64(facts.f_bavail) * qint64(facts.f_frsize)};
}

int hexDigit(QChar c)
{
    return int(QStringLiteral("0123456789abcdef").indexOf(c.toLower()));
}

std::optional<VolumeSource> &programSource()
{
    static std::optional<VolumeSource> source;
    return source;
}

} // namespace

QString UnescapedMountText(const QString &text)
{
    QByteArray bytes;
    const QByteArray utf8 = text.toUtf8();
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        if (c == '\\' && i + 3 < utf8.size() && utf8[i + 1] >= '0' && utf8[i + 1] <= '3'
            && utf8[i + 2] >= '0' && utf8[i + 2] <= '7' && utf8[i + 3] >= '0'
            && utf8[i + 3] <= '7') {
            bytes += char((utf8[i + 1] - '0') * 64 + (utf8[i + 2] - '0') * 8 + (utf8[i + 3] - '0'));
            i += 3;
        } else if (c == '\\' && i + 3 < utf8.size() && utf8[i + 1] == 'x'
                   && hexDigit(QLatin1Char(utf8[i + 2])) >= 0
                   && hexDigit(QLatin1Char(utf8[i + 3])) >= 0) {
            bytes += char(hexDigit(QLatin1Char(utf8[i + 2])) * 16
                          + hexDigit(QLatin1Char(utf8[i + 3])));
            i += 3;
        } else {
            bytes += c;
        }
    }
    return QString::fromUtf8(bytes);
}

namespace {

QString withoutOuterSeparators(QString path)
{
    while (path.startsWith(QLatin1Char('/')))
        path.remove(0, 1);
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

// What the system tells of a mount, its sizes aside.
VolumeFacts factsOf(const Mount &mount, const VolumeSource &source)
{
    VolumeFacts facts;
    facts.mountPoint = mount.mountPoint;
    facts.root = withoutOuterSeparators(mount.root);
    facts.type = mount.type;
    facts.uuid = linkName(source.diskLinks + QStringLiteral("/by-uuid"), mount);
    facts.label = linkName(source.diskLinks + QStringLiteral("/by-label"), mount);
    // A file system without a device of its own (tmpfs, a network share) is told apart by where
    // it is mounted as well.
    facts.device = mount.source.startsWith(QLatin1Char('/'))
            ? mount.source
            : mount.source + QLatin1Char(':') + mount.mountPoint;
    return facts;
}

} // namespace

VolumeFacts VolumeOf(const QString &folder, const VolumeSource &source)
{
    const QString path = QFileInfo(folder).canonicalFilePath();
    if (path.isEmpty())
        return {};
    const Mount mount = mountHolding(path, source.mountInfo);
    if (mount.mountPoint.isEmpty())
        return {};
    VolumeFacts facts = factsOf(mount, source);
    const QString below = withoutOuterSeparators(path.mid(mount.mountPoint.size()));
    facts.folder = facts.root.isEmpty() || below.isEmpty() ? facts.root + below
                                                           : facts.root + QLatin1Char('/') + below;
    facts.space = source.space ? source.space(mount.mountPoint) : spaceOf(mount.mountPoint);
    return facts;
}

QList<VolumeFacts> MountedVolumes(const VolumeSource &source)
{
    QList<VolumeFacts> mounted;
    QStringList places;
    const QList<Mount> mounts = mountsOf(source.mountInfo);
    for (auto mount = mounts.crbegin(); mount != mounts.crend(); ++mount) {
        if (places.contains(mount->mountPoint))
            continue;
        places << mount->mountPoint;
        mounted.prepend(factsOf(*mount, source));
    }
    return mounted;
}

QList<VolumeFacts> MountedVolumes()
{
    return MountedVolumes(programSource().value_or(VolumeSource{}));
}

VolumeFacts VolumeOf(const QString &folder)
{
    return VolumeOf(folder, programSource().value_or(VolumeSource{}));
}

void SetVolumeSource(std::optional<VolumeSource> source)
{
    programSource() = std::move(source);
}

} // namespace fs
