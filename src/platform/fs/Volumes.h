#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <optional>

// The volume (mounted file system) a folder lives on, read from the system's own tables without
// special rights: the mount table of this process, the links the system keeps for each
// file system's UUID and label, and the file system's sizes.
namespace fs {

struct VolumeSpace
{
    qint64 total = -1; // -1 when unknown
    qint64 free = -1; // what an ordinary user may still write
};

// Where the facts are read from. Tests point it at a fixture: a mount table of their own and
// a folder holding by-uuid/ and by-label/ links, so that a tree can be "mounted" anywhere.
struct VolumeSource
{
    QString mountInfo = QStringLiteral("/proc/self/mountinfo");
    // Holds by-uuid/ and by-label/, whose links lead to the devices.
    QString diskLinks = QStringLiteral("/dev/disk");
    // The sizes of the file system mounted at a mount point; statvfs when not set.
    std::function<VolumeSpace(const QString &mountPoint)> space;
};

struct VolumeFacts
{
    QString uuid; // empty when the file system has none
    QString device; // the mounted device, or the source and mount point of one without a device
    QString label; // empty when it has none
    QString type; // "ext4", "vfat", ...
    QString mountPoint;
    // The file system's folder mounted there, "/" between names: empty for its top, the folder
    // for a bind mount of one.
    QString root;
    // The folder asked about, below the file system's top (so that a folder reached through a
    // bind mount is the same folder), "/" between names; empty for the top itself.
    QString folder;
    VolumeSpace space;
    bool found() const { return !mountPoint.isEmpty(); }
};

// The volume that holds folder (links on the way followed): the mount with the longest mount
// point above it, the last one of that mount point when several are stacked. Nothing found
// when the folder does not exist or the mount table cannot be read. Without a source, the
// program's (see SetVolumeSource).
VolumeFacts VolumeOf(const QString &folder, const VolumeSource &source);
VolumeFacts VolumeOf(const QString &folder);

// Every file system mounted now, one for each mount point (the one on top where several are
// stacked), without their sizes: a mount that does not answer (a network share gone) is not
// asked for them. Without a source, the program's.
QList<VolumeFacts> MountedVolumes(const VolumeSource &source);
QList<VolumeFacts> MountedVolumes();

// Where the program reads volumes from: the system's tables unless a test set a fixture;
// nullopt sets the system's back.
void SetVolumeSource(std::optional<VolumeSource> source);

// A mount table's escaped text (\040 for a blank, \134 for a backslash) as the name it stands
// for; also the \xHH of the label links.
QString UnescapedMountText(const QString &text);

} // namespace fs
