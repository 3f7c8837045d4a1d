#pragma once

#include "catalogue/Volumes.h"
#include "platform/db/Select.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace db {
class Connection;
}

// What the volumes window shows of each catalogued volume, and what it changes. Every function
// throws db::DbError.
namespace catalogue {

struct VolumeSummary
{
    Volume volume;
    qint64 files = 0; // catalogue rows that name the volume
    qint64 bytes = 0; // of its catalogued folders, as found when they were last read
    QList<VolumeFolder> folders;
    // Where it is mounted now; empty when it is offline.
    QString mountedAt;
    bool online() const { return !mountedAt.isEmpty(); }
};

// Every volume with its figures, in the order they were first read.
QList<VolumeSummary> SummariseVolumes(db::Connection &connection);

// How a volume is named beside its catalogue rows, in the browser and on a terminal.
struct VolumeMark
{
    qint64 id = 0; // volumes.VolumeId
    QString name; // Volume::shownName
    bool online = false; // mounted now
    // The name, and "(online)" or "(offline)" after it.
    QString shown() const;
};

// False for a database file made before volumes were kept and not brought up to date (one that
// may only be read): its rows name no volume.
bool KnowsVolumes(db::Connection &connection);

// Every volume's mark, in the order they were first read, from one reading of the mount table;
// none where the database knows no volumes.
QList<VolumeMark> VolumeMarks(db::Connection &connection);

// The folders that hold the volume's catalogued files, as their rows name them (the stored
// directory, a separator at its end), in order.
QStringList DirectoriesOf(db::Connection &connection, qint64 volumeId);

// Gives the volume a name of its own in the program; its label on the disk stays as it is, so
// that the disk is still known again by it. An empty name gives the label back.
void RenameVolume(db::Connection &connection, qint64 volumeId, const QString &name);

// Removes the volume, its catalogued folders and the catalogue rows that name it, in one
// transaction; returns the number of catalogue rows removed.
qint64 RemoveVolume(db::Connection &connection, qint64 volumeId);

// The catalogue rows of a volume at and below a folder (as DirectoriesOf gives it; empty for
// the whole volume), for the browser's grid.
db::Select FolderStatement(qint64 volumeId, const QString &directory);

} // namespace catalogue
