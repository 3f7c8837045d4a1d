#include "catalogue/VolumeList.h"

#include "app/CUtils.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/db/Recordset.h"
#include "platform/db/Transaction.h"

#include <QHash>

namespace catalogue {

namespace {

// The number of catalogue rows of each volume, by its id.
QHash<qint64, qint64> filesByVolume(db::Connection &connection)
{
    db::Recordset rows;
    rows.Open(QStringLiteral("SELECT VolumeId, count(*) FROM fileprofile WHERE VolumeId IS NOT "
                             "NULL GROUP BY VolumeId"),
              connection);
    QHash<qint64, qint64> files;
    for (; !rows.AtEnd(); rows.MoveNext())
        files.insert(rows.Fields(0).toLongLong(), rows.Fields(1).toLongLong());
    return files;
}

} // namespace

QList<VolumeSummary> SummariseVolumes(db::Connection &connection)
{
    const QHash<qint64, qint64> files = filesByVolume(connection);
    const QList<fs::VolumeFacts> mounted = fs::MountedVolumes();
    QList<VolumeSummary> summaries;
    for (const Volume &volume : ListVolumes(connection)) {
        VolumeSummary summary{
                volume, files.value(volume.id), 0, FoldersOf(connection, volume.id), {}};
        for (const VolumeFolder &folder : summary.folders)
            summary.bytes += folder.bytes;
        if (const fs::VolumeFacts *mount = MountOf(volume, mounted))
            summary.mountedAt = mount->mountPoint;
        summaries.append(summary);
    }
    return summaries;
}

QString VolumeMark::shown() const
{
    return online ? QStringLiteral("%1 (online)").arg(name)
                  : QStringLiteral("%1 (offline)").arg(name);
}

bool KnowsVolumes(db::Connection &connection)
{
    return !db::ColumnsOf(connection, QStringLiteral("volumes")).isEmpty()
            && db::ColumnsOf(connection, QStringLiteral("fileprofile"))
                       .contains(QStringLiteral("VolumeId"), Qt::CaseInsensitive);
}

QList<VolumeMark> VolumeMarks(db::Connection &connection)
{
    QList<VolumeMark> marks;
    if (!KnowsVolumes(connection))
        return marks;
    const QList<fs::VolumeFacts> mounted = fs::MountedVolumes();
    for (const Volume &volume : ListVolumes(connection))
        marks.append({volume.id, volume.shownName(), MountOf(volume, mounted) != nullptr});
    return marks;
}

QStringList DirectoriesOf(db::Connection &connection, qint64 volumeId)
{
    db::Recordset rows;
    rows.Open(QStringLiteral("SELECT DISTINCT Directory FROM fileprofile WHERE VolumeId = ? AND "
                             "Directory IS NOT NULL ORDER BY Directory"),
              connection, {volumeId});
    QStringList directories;
    for (; !rows.AtEnd(); rows.MoveNext())
        directories << TextOf(rows.Fields(0));
    return directories;
}

void RenameVolume(db::Connection &connection, qint64 volumeId, const QString &name)
{
    const QString trimmed = name.trimmed();
    connection.Execute(QStringLiteral("UPDATE volumes SET Name = ? WHERE VolumeId = ?"),
                       {trimmed.isEmpty() ? QVariant() : QVariant(trimmed), volumeId});
}

qint64 RemoveVolume(db::Connection &connection, qint64 volumeId)
{
    db::Transaction transaction(connection);
    const qint64 removed = connection.Execute(
            QStringLiteral("DELETE FROM fileprofile WHERE VolumeId = ?"), {volumeId});
    connection.Execute(QStringLiteral("DELETE FROM tempfile WHERE VolumeId = ?"), {volumeId});
    connection.Execute(QStringLiteral("DELETE FROM volumefolders WHERE VolumeId = ?"), {volumeId});
    connection.Execute(QStringLiteral("DELETE FROM volumes WHERE VolumeId = ?"), {volumeId});
    transaction.Commit();
    return removed;
}

db::Select FolderStatement(qint64 volumeId, const QString &directory)
{
    auto statement = db::Select::From(QStringLiteral("fileprofile"))
                             .Where(QStringLiteral("VolumeId = ?"), {volumeId});
    // Compared as it is stored, case and all: a prefix LIKE would ignore case. The engines
    // count a text's characters, not its UTF-16 units.
    if (!directory.isEmpty())
        statement.Where(QStringLiteral("substr(Directory, 1, ?) = ?"),
                        {qint64(directory.toUcs4().size()), directory});
    return statement;
}

} // namespace catalogue
