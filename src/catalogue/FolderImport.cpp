#include "catalogue/FolderImport.h"

#include "app/CUtils.h"
#include "catalogue/FileGroups.h"
#include "catalogue/FilePanel.h"
#include "catalogue/Volumes.h"
#include "platform/db/Prepared.h"
#include "platform/db/Recordset.h"
#include "platform/db/Transaction.h"
#include "platform/fs/Checksum.h"
#include "platform/fs/Walker.h"
#include "platform/ui/Progress.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSet>

#include <algorithm>
#include <vector>

namespace {

// A path the catalogue holds is found through its index; the staging table has none, so its
// paths are read once into memory.
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

// One file read and ready to be staged, with what the import's result says of it.
struct ReadFile
{
    QVariantList values;
    QString path;
    bool summed = true;
};

// The rows of whole folders, written in short transactions of their own so that another desk
// never waits long to write: the reading of the files, their checksums included, happens
// before, outside any transaction.
class FolderWriter
{
public:
    FolderWriter(db::Connection &connection, FolderImportResult &result)
        : connection_(connection)
        , stage_(connection, FileInsertStatement(QStringLiteral("tempfile")))
        , result_(result)
    {
        sinceWrite_.start();
    }

    qint64 pending() const { return static_cast<qint64>(rows_.size()); }

    // Takes the rows of one folder read whole; writes what is held once enough has gathered.
    void add(std::vector<ReadFile> &&folder)
    {
        if (pending() + static_cast<qint64>(folder.size()) > kSliceRows)
            write();
        for (ReadFile &file : folder)
            rows_.push_back(std::move(file));
        if (pending() >= kBatchRows || sinceWrite_.elapsed() >= kBatchMs)
            write();
    }

    // Writes every row held, in transactions of at most kSliceRows rows.
    void write()
    {
        for (size_t first = 0; first < rows_.size(); first += kSliceRows) {
            const size_t last = std::min(rows_.size(), first + size_t(kSliceRows));
            qint64 added = 0;
            qint64 known = 0;
            QStringList unsummed;
            db::Transaction transaction(connection_);
            for (size_t i = first; i < last; ++i) {
                if (stage_.Execute(rows_[i].values) == 0) {
                    ++known;
                    continue;
                }
                ++added;
                if (!rows_[i].summed)
                    unsummed << rows_[i].path;
            }
            transaction.Commit();
            result_.added += added;
            result_.known += known;
            result_.unsummed << unsummed;
        }
        rows_.clear();
        sinceWrite_.restart();
    }

private:
    // A folder's rows are written together unless there are more of them than this, which
    // take about a fifth of a second to write.
    static constexpr qint64 kSliceRows = 20'000;
    // Small folders are gathered up to this many rows or this long, to spare a commit for each.
    static constexpr qint64 kBatchRows = 2'000;
    static constexpr qint64 kBatchMs = 200;

    db::Connection &connection_;
    db::Prepared stage_;
    FolderImportResult &result_;
    std::vector<ReadFile> rows_;
    QElapsedTimer sinceWrite_;
};

// The volume of the folder, recorded as read now; null when it cannot be told.
QVariant recordedVolume(db::Connection &connection, const fs::VolumeFacts &facts)
{
    if (!facts.found())
        return {};
    return catalogue::RecordVolume(connection, facts);
}

QString withoutEndSeparator(QString folder)
{
    while (folder.size() > 1 && folder.endsWith(QDir::separator()))
        folder.chop(1);
    return folder;
}

} // namespace

QString FileInsertStatement(const QString &table)
{
    // The table's name comes from the program, never from outside.
    // The group's number is looked up as the row is written: a name numbered before writes the
    // row once (see catalogue::NumberGroup).
    return QStringLiteral("INSERT INTO %1 (FileDate, FileName, FileDesc, FileGroup, "
                          "WebSiteName, WebAddress, Author, Email, Drive, Label, FilePath, "
                          "Directory, FileIndex, FSize, Checksum, VolumeId, Modified, GroupKey) "
                          "SELECT ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                          "(SELECT g.GroupKey FROM filegroups AS g WHERE g.FileGroup = ?) "
                          "WHERE NOT EXISTS (SELECT 1 FROM fileprofile WHERE FilePath = ?)")
            .arg(table);
}

QString FileDateText(const QDateTime &modified)
{
    // The day where the user is, whichever time the stamp was read in.
    return modified.toLocalTime().toString(QStringLiteral("dd/MM/yyyy"));
}

QVariantList FileRowValues(const FileDescription &description, const FileOnDisk &file,
                           const QVariant &volumeId)
{
    const QString empty = Stored({});
    const QString path = FullPathOf(file.directory, file.name);
    return {FileDateText(file.modified),
            file.name,
            empty,
            Stored(description.group),
            Stored(description.site),
            Stored(description.address),
            Stored(description.author),
            Stored(description.email),
            Stored(description.drive),
            empty,
            path,
            DirectoryText(file.directory),
            2,
            QString::number(file.size),
            file.checksum,
            volumeId,
            file.modified.isValid() ? QVariant(file.modified.toSecsSinceEpoch()) : QVariant(),
            Stored(description.group),
            path};
}

FolderImportResult StageFolder(db::Connection &connection, const FolderImport &import,
                               ProgressBox &progress)
{
    FolderImportResult result;
    const fs::VolumeFacts volume = fs::VolumeOf(import.root);
    const QVariant volumeId = recordedVolume(connection, volume);
    catalogue::NumberGroup(connection, Stored(import.group));
    QSet<QString> staged = stagedPaths(connection);
    FolderWriter writer(connection, result);
    qint64 files = 0;
    qint64 bytes = 0;
    const auto shownAdded = [&] {
        return result.added + writer.pending();
    };

    fs::WalkOptions options;
    options.recursive = import.subfolders;
    options.cancel = progress.cancelFlag();
    const fs::WalkResult walk = fs::Walk(
            import.root,
            [&](const QString &directory, const QStringList &names) {
                std::vector<ReadFile> folder;
                for (const QString &name : names) {
                    if (!MatchesPattern(name, import.pattern))
                        continue;
                    const QString path = FullPathOf(directory, name);
                    const fs::FileStamp stamp = fs::StampOf(directory, name);
                    if (!stamp.exists())
                        continue; // gone since the folder was read
                    ++files;
                    bytes += stamp.size;
                    if (staged.contains(path)) {
                        ++result.known;
                        continue;
                    }
                    Contents contents{QVariant(), stamp.size};
                    if (import.checksums) {
                        const qint64 added = shownAdded() + qint64(folder.size());
                        contents = readContents(path,
                                                progressText(directory, added)
                                                        + QStringLiteral("\nReading: ") + name,
                                                added, stamp.size, progress);
                        if (progress.Cancelled())
                            return false; // the folder read part-way is left out whole
                    }
                    folder.push_back({FileRowValues(import,
                                                    {directory, name, contents.size, stamp.modified,
                                                     contents.checksum},
                                                    volumeId),
                                      path, !import.checksums || !contents.checksum.isNull()});
                    staged.insert(path);
                }
                writer.add(std::move(folder));
                progress.Update(shownAdded(), progressText(directory, shownAdded()));
                return !progress.Cancelled();
            },
            options);
    writer.write();
    result.unreadable = walk.unreadable;
    for (const fs::LeftOut &entry : walk.leftOut)
        if (entry.directory ? import.subfolders : MatchesPattern(entry.shownAs, import.pattern))
            result.leftOut << entry.path;
    result.cancelled = progress.Cancelled();
    if (!volumeId.isNull()) {
        catalogue::VolumeFolder folder;
        folder.volumeId = volumeId.toLongLong();
        folder.folder = volume.folder;
        folder.folderPath = withoutEndSeparator(import.root);
        folder.pattern = import.pattern;
        folder.subfolders = import.subfolders;
        folder.files = files;
        folder.bytes = bytes;
        catalogue::RecordFolder(connection, folder);
    }
    return result;
}
