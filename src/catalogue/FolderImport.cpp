#include "catalogue/FolderImport.h"

#include "app/CUtils.h"
#include "catalogue/FilePanel.h"
#include "platform/db/Prepared.h"
#include "platform/db/Recordset.h"
#include "platform/db/Transaction.h"
#include "platform/fs/Checksum.h"
#include "platform/fs/Walker.h"
#include "platform/ui/Progress.h"

#include <QSet>

namespace {

// A path the catalogue holds is found through its index; the staging table has none, so its
// paths are read once into memory.
const QString kStage = QStringLiteral(
        "INSERT INTO tempfile (FileDate, FileName, FileDesc, FileGroup, WebSiteName, WebAddress, "
        "Author, Email, Drive, Label, FilePath, Directory, FileIndex, FSize, Checksum) "
        "SELECT ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ? "
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

// The checksum a file is staged with, and its size: the bytes read for the checksum, which may
// differ from the size listed a moment before when the file is being written.
struct Contents
{
    QVariant checksum; // null when not read
    qint64 size = 0;
};

// Reads the file with its name in the progress window, which is served between chunks so that
// Cancel stops a large file part-way. A file that cannot be read keeps its listed size.
Contents readContents(const QString &path, const QString &shown, qint64 added, qint64 listedSize,
                      ProgressBox &progress)
{
    progress.Update(added, shown);
    if (progress.Cancelled())
        return {};
    const fs::FileSum sum = fs::SumOfFile(path, [&] {
        progress.Update(added, shown);
        return !progress.Cancelled();
    });
    if (!sum.read())
        return {QVariant(), listedSize};
    return {sum.hex, sum.bytes};
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
                    Contents contents{QVariant(), stamp.size};
                    if (import.checksums) {
                        contents = readContents(path,
                                                progressText(directory, result.added)
                                                        + QStringLiteral("\nReading: ") + name,
                                                result.added, stamp.size, progress);
                        if (progress.Cancelled())
                            return false; // the file read part-way is left out
                        if (contents.checksum.isNull())
                            result.unsummed << path;
                    }
                    const qint64 changed = stage.Execute(
                            {stamp.modified.toString(kDateFormat), name, empty,
                             Stored(import.group), Stored(import.site), Stored(import.address),
                             Stored(import.author), Stored(import.email), Stored(import.drive),
                             empty, path, directoryText, 2, QString::number(contents.size),
                             contents.checksum, path});
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
    for (const fs::LeftOut &entry : walk.leftOut)
        if (entry.directory ? import.subfolders : MatchesPattern(entry.shownAs, import.pattern))
            result.leftOut << entry.path;
    result.cancelled = progress.Cancelled();
    transaction.Commit();
    return result;
}
