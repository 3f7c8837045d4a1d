#include "catalogue/Volumes.h"

#include "app/CUtils.h"
#include "platform/Clock.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "platform/db/Transaction.h"

namespace catalogue {

namespace {

const QString kVolumeColumns = QStringLiteral(
        "SELECT VolumeId, Uuid, Device, Label, FsType, TotalBytes, FreeBytes, MountPoint, "
        "LastRead, Name FROM volumes ");
const QString kFolderColumns = QStringLiteral(
        "SELECT FolderId, VolumeId, Folder, FolderPath, Pattern, Subfolders, LastRead, Files, "
        "Bytes FROM volumefolders ");

qint64 numberOr(const QVariant &value, qint64 otherwise)
{
    return value.isNull() ? otherwise : value.toLongLong();
}

QVariant sizeValue(qint64 size)
{
    return size < 0 ? QVariant() : QVariant(size);
}

QList<Volume> volumesOf(db::Connection &connection, const QString &where,
                        const QVariantList &values)
{
    db::Recordset rows;
    rows.Open(kVolumeColumns + where + QStringLiteral(" ORDER BY VolumeId"), connection, values);
    QList<Volume> volumes;
    for (; !rows.AtEnd(); rows.MoveNext())
        volumes.append({rows.Fields(0).toLongLong(), TextOf(rows.Fields(1)), TextOf(rows.Fields(2)),
                        TextOf(rows.Fields(3)), TextOf(rows.Fields(4)),
                        numberOr(rows.Fields(5), -1), numberOr(rows.Fields(6), -1),
                        TextOf(rows.Fields(7)), TextOf(rows.Fields(8)), TextOf(rows.Fields(9))});
    return volumes;
}

QList<VolumeFolder> foldersOf(db::Connection &connection, const QString &where,
                              const QVariantList &values)
{
    db::Recordset rows;
    rows.Open(kFolderColumns + where + QStringLiteral(" ORDER BY Folder, FolderId"), connection,
              values);
    QList<VolumeFolder> folders;
    for (; !rows.AtEnd(); rows.MoveNext())
        folders.append({rows.Fields(0).toLongLong(), rows.Fields(1).toLongLong(),
                        TextOf(rows.Fields(2)), TextOf(rows.Fields(3)), TextOf(rows.Fields(4)),
                        rows.Fields(5).toLongLong() != 0, TextOf(rows.Fields(6)),
                        numberOr(rows.Fields(7), 0), numberOr(rows.Fields(8), 0)});
    return folders;
}

QString nowText()
{
    return Now().toString(Qt::ISODate);
}

// A fact as stored: an empty one is an empty text, never a null, so that "=" finds it again.
QString text(const QString &fact)
{
    return fact.isNull() ? QStringLiteral("") : fact;
}

} // namespace

QString Volume::shownName() const
{
    if (!name.isEmpty())
        return name;
    if (!label.isEmpty())
        return label;
    return uuid.isEmpty() ? device : uuid;
}

QList<Volume> ListVolumes(db::Connection &connection)
{
    return volumesOf(connection, {}, {});
}

std::optional<Volume> FindVolume(db::Connection &connection, const fs::VolumeFacts &facts)
{
    // A label may change (it is the user's to choose); a UUID stays with the file system.
    const QList<Volume> found = facts.uuid.isEmpty()
            ? volumesOf(connection,
                        QStringLiteral("WHERE Uuid IS NULL AND Device = ? AND Label = ?"),
                        {text(facts.device), text(facts.label)})
            : volumesOf(connection, QStringLiteral("WHERE Uuid = ?"), {facts.uuid});
    if (found.isEmpty())
        return std::nullopt;
    return found.constFirst();
}

const fs::VolumeFacts *MountOf(const Volume &volume, const QList<fs::VolumeFacts> &mounted,
                               const QString &folder)
{
    const fs::VolumeFacts *best = nullptr;
    for (const fs::VolumeFacts &mount : mounted) {
        const bool same = volume.uuid.isEmpty() ? mount.uuid.isEmpty()
                        && mount.device == volume.device && mount.label == volume.label
                                                : mount.uuid == volume.uuid;
        const bool reaches = folder.isEmpty() || !PathBelow(mount, folder).isEmpty();
        if (same && reaches && (!best || mount.root.size() < best->root.size()))
            best = &mount;
    }
    return best;
}

std::optional<fs::VolumeFacts> WhereMounted(const Volume &volume, const QString &folder)
{
    const QList<fs::VolumeFacts> mounted = fs::MountedVolumes();
    if (const fs::VolumeFacts *mount = MountOf(volume, mounted, folder))
        return fs::VolumeOf(mount->mountPoint);
    return std::nullopt;
}

QList<Volume> VolumesNamed(db::Connection &connection, const QString &name)
{
    return volumesOf(connection,
                     QStringLiteral("WHERE Name = ? OR Label = ? OR Uuid = ? OR Device = ?"),
                     {name, name, name, name});
}

qint64 RecordVolume(db::Connection &connection, const fs::VolumeFacts &facts)
{
    return db::InTransaction(connection, [&]() -> qint64 {
        db::Serialise(connection, QStringLiteral("volumes"));
        const QVariant uuid = facts.uuid.isEmpty() ? QVariant() : QVariant(facts.uuid);
        const QVariantList values{uuid,
                                  text(facts.device),
                                  text(facts.label),
                                  text(facts.type),
                                  sizeValue(facts.space.total),
                                  sizeValue(facts.space.free),
                                  text(facts.mountPoint),
                                  nowText()};
        if (const std::optional<Volume> known = FindVolume(connection, facts)) {
            connection.Execute(QStringLiteral("UPDATE volumes SET Uuid = ?, Device = ?, Label = "
                                              "?, FsType = ?, TotalBytes = ?, FreeBytes = ?, "
                                              "MountPoint = ?, LastRead = ? WHERE VolumeId = ?"),
                               values + QVariantList{known->id});
            return known->id;
        }
        connection.Execute(QStringLiteral("INSERT INTO volumes (Uuid, Device, Label, FsType, "
                                          "TotalBytes, FreeBytes, MountPoint, LastRead) VALUES "
                                          "(?, ?, ?, ?, ?, ?, ?, ?)"),
                           values);
        return FindVolume(connection, facts).value().id;
    });
}

QList<VolumeFolder> FoldersOf(db::Connection &connection, qint64 volumeId)
{
    return foldersOf(connection, QStringLiteral("WHERE VolumeId = ?"), {volumeId});
}

std::optional<VolumeFolder> FolderOf(db::Connection &connection, qint64 volumeId,
                                     const QString &folder)
{
    const QList<VolumeFolder> found =
            foldersOf(connection, QStringLiteral("WHERE VolumeId = ? AND Folder = ?"),
                      {volumeId, text(folder)});
    if (found.isEmpty())
        return std::nullopt;
    return found.constFirst();
}

qint64 RecordFolder(db::Connection &connection, const VolumeFolder &folder)
{
    return db::InTransaction(connection, [&]() -> qint64 {
        db::Serialise(connection, QStringLiteral("volumes"));
        const QVariantList values{text(folder.folderPath),
                                  text(folder.pattern),
                                  folder.subfolders ? 1 : 0,
                                  folder.lastRead.isEmpty() ? nowText() : folder.lastRead,
                                  folder.files,
                                  folder.bytes,
                                  folder.volumeId,
                                  text(folder.folder)};
        if (connection.Execute(QStringLiteral("UPDATE volumefolders SET FolderPath = ?, Pattern = "
                                              "?, Subfolders = ?, LastRead = ?, Files = ?, Bytes "
                                              "= ? WHERE VolumeId = ? AND Folder = ?"),
                               values)
            == 0)
            connection.Execute(QStringLiteral("INSERT INTO volumefolders (FolderPath, Pattern, "
                                              "Subfolders, LastRead, Files, Bytes, VolumeId, "
                                              "Folder) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                               values);
        return FolderOf(connection, folder.volumeId, folder.folder).value().id;
    });
}

QString PathBelow(const fs::VolumeFacts &mount, const QString &folder)
{
    QString below = folder;
    if (!mount.root.isEmpty()) {
        if (folder != mount.root && !folder.startsWith(mount.root + QLatin1Char('/')))
            return {};
        below = folder.mid(mount.root.size() + 1);
    }
    if (below.isEmpty())
        return mount.mountPoint;
    return mount.mountPoint.endsWith(QLatin1Char('/'))
            ? mount.mountPoint + below
            : mount.mountPoint + QLatin1Char('/') + below;
}

} // namespace catalogue
