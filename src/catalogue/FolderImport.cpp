#include "catalogue/FolderImport.h"

#include "app/CUtils.h"
#include "catalogue/FilePanel.h"
#include "platform/db/Prepared.h"
#include "platform/db/Recordset.h"
#include "platform/db/Transaction.h"
#include "platform/fs/Walker.h"
#include "platform/ui/Progress.h"

#include <QSet>

namespace {

// A path the catalogue holds is found through its index; the staging table has none, so its
// paths are read once into memory.
const QString kStage = QStringLiteral(
        "INSERT INTO tempfile (FileDate, FileName, FileDesc, FileGroup, WebSiteName, WebAddress, "
        "Author, Email, Drive, Label, FilePath, Directory, FileIndex, FSize) "
        "SELECT ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ? "
        "WHERE NOT EXISTS (SELECT 1 FROM fileprofile WHERE FilePath = ?)");

QSet<QString> stagedPaths(db::Connection &connection)
{
    db::Recordset rows;
    rows.Open(QStringLiteral("SELECT FilePath FROM tempfile"), connection);
    QSet<QString> paths;
    paths.reserve(rows.RecordCount());
    for (; !rows.AtEnd(); rows.MoveNext())
        paths.insert(TextOf(rows.Fields(0)));
    return paths;
}

QString progressText(const QString &directory, qint64 added)
{
    return QStringLiteral("Folder: %1\nFiles added: %2").arg(directory).arg(added);
}

} // namespace

FolderImportResult StageFolder(db::Connection &connection, const FolderImport &import,
                               ProgressBox &progress)
{
    FolderImportResult result;
    QSet<QString> staged = stagedPaths(connection);
    db::Transaction transaction(connection);
    db::Prepared stage(connection, kStage);
    const QString empty = Stored({});
    const QString kDateFormat = QStringLiteral("dd/MM/yyyy");

    fs::WalkOptions options;
    options.recursive = import.subfolders;
    options.cancel = progress.cancelFlag();
    const fs::WalkResult walk = fs::Walk(
            import.root,
            [&](const QString &directory, const QStringList &files) {
                const QString directoryText = DirectoryText(directory);
                for (const QString &name : files) {
                    if (!MatchesPattern(name, import.pattern))
                        continue;
                    const QString path = FullPathOf(directory, name);
                    if (staged.contains(path)) {
                        ++result.known;
                        continue;
                    }
                    const fs::FileStamp stamp = fs::StampOf(directory, name);
                    if (!stamp.exists())
                        continue; // gone since the folder was read
                    const qint64 changed = stage.Execute(
                            {stamp.modified.toString(kDateFormat), name, empty,
                             Stored(import.group), Stored(import.site), Stored(import.address),
                             Stored(import.author), Stored(import.email), Stored(import.drive),
                             empty, path, directoryText, 2, QString::number(stamp.size), path});
                    if (changed == 0) {
                        ++result.known;
                        continue;
                    }
                    staged.insert(path);
                    ++result.added;
                }
                progress.Update(result.added, progressText(directory, result.added));
                return !progress.Cancelled();
            },
            options);
    result.unreadable = walk.unreadable;
    result.cancelled = progress.Cancelled();
    transaction.Commit();
    return result;
}
