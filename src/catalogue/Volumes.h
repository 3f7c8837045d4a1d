#pragma once

#include "platform/fs/Volumes.h"

#include <QList>
#include <QString>

#include <optional>

namespace db {
class Connection;
}

// The volumes the catalogue's folders were read from (table volumes) and their catalogued
// folders (table volumefolders). A volume is known again by its UUID wherever it is mounted;
// one without a UUID by its device and label. Every function throws db::DbError.
namespace catalogue {

struct Volume
{
    qint64 id = 0;
    QString uuid;
    QString device;
    QString label;
    QString type;
    qint64 totalBytes = -1; // as last read; -1 when unknown
    qint64 freeBytes = -1;
    QString mountPoint; // where it was mounted when last read
    QString lastRead; // "yyyy-MM-ddTHH:mm:ss", the clock's time
    QString name; // the name the user gave it in the program; empty for none
    // The name a person knows it by: the one given in the program, else its label, else its
    // UUID, else its device.
    QString shownName() const;
};

struct VolumeFolder
{
    qint64 id = 0;
    qint64 volumeId = 0;
    QString folder; // below the mount point, "/" between names; empty for the volume's top
    QString folderPath; // the folder's full path as its catalogue rows carry it
    QString pattern; // the files taken, as "Add Folder..." matches them
    bool subfolders = true; // the folders below it were taken too
    QString lastRead;
    qint64 files = 0; // files found when last read, and their bytes
    qint64 bytes = 0;
};

// Every volume, in the order they were first read.
QList<Volume> ListVolumes(db::Connection &connection);
// The volume recorded for facts (by UUID, else by device and label), if any.
std::optional<Volume> FindVolume(db::Connection &connection, const fs::VolumeFacts &facts);
// The volumes whose name given in the program, label, UUID or device is name.
QList<Volume> VolumesNamed(db::Connection &connection, const QString &name);

// The mount of the volume among those mounted (as fs::MountedVolumes lists them) through which
// folder (below the file system's top) is reached, the mount of its top first; null when it is
// not among them, or only as a bind mount of another folder. An empty folder is reached through
// any mount.
const fs::VolumeFacts *MountOf(const Volume &volume, const QList<fs::VolumeFacts> &mounted,
                               const QString &folder = {});
// Where the volume is mounted now so that folder is reached, with its facts as read now;
// nothing when it is not.
std::optional<fs::VolumeFacts> WhereMounted(const Volume &volume, const QString &folder = {});

// Records facts as read now: brings the volume's label, type, sizes and mount point up to date,
// or adds it, and returns its id. In a short transaction of its own, or in the caller's when
// one is open; two desks recording one new volume at once make one row.
qint64 RecordVolume(db::Connection &connection, const fs::VolumeFacts &facts);

// A volume's catalogued folders, by folder.
QList<VolumeFolder> FoldersOf(db::Connection &connection, qint64 volumeId);
// The catalogued folder of that volume and folder, if any.
std::optional<VolumeFolder> FolderOf(db::Connection &connection, qint64 volumeId,
                                     const QString &folder);
// Adds the folder, or brings the row of its volume and folder up to date; returns its id. As
// RecordVolume, in the caller's transaction when one is open.
qint64 RecordFolder(db::Connection &connection, const VolumeFolder &folder);

// The full path of a folder of the file system (below its top) through a mount of it; empty when
// that mount (a bind mount of another folder) does not reach it.
QString PathBelow(const fs::VolumeFacts &mount, const QString &folder);

} // namespace catalogue
