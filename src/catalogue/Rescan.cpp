#include "catalogue/Rescan.h"

#include "app/CreateDatabase.h"
#include "catalogue/DiskWalk.h"
#include "catalogue/FileGroups.h"
#include "catalogue/FilePanel.h"
#include "platform/db/Connection.h"
#include "platform/db/Prepared.h"
#include "platform/db/TextRows.h"
#include "platform/db/Transaction.h"
#include "platform/fs/Checksum.h"

#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <map>

namespace catalogue {

namespace {

// The rows under a folder are those whose path begins with the folder's path and a separator:
// a range of the path index, from that text up to the text with the separator's successor.
QString rowsPrefix(const QString &folderPath)
{
    return folderPath.endsWith(QLatin1Char('/')) ? folderPath : folderPath + QLatin1Char('/');
}

QString rangeEnd(const QString &prefix)
{
    return prefix.chopped(1) + QChar(prefix.back().unicode() + 1);
}

// The statement's substr counts characters, where a QString counts UTF-16 units.
qint64 characters(const QString &text)
{
    return text.toUcs4().size();
}

QStringView nameIn(const QString &relative)
{
    return QStringView(relative).mid(relative.lastIndexOf(QLatin1Char('/')) + 1);
}

// The rows of a volume (or of none) under a folder: from, to, the volume twice. Read along the
// path index: the volume's condition is written so that no index of volumes serves it, or the
// rows of no volume (often most of the catalogue) would be read and sorted.
const QString kUnderFolder =
        QStringLiteral("FilePath >= ? AND FilePath < ? AND coalesce(VolumeId, ?) = ?");
const QString kRowsUnder =
        QStringLiteral("SELECT Inum, FilePath, FSize, Modified, Checksum FROM fileprofile WHERE ")
        + kUnderFolder + QStringLiteral(" ORDER BY FilePath");

// A catalogue row under the folder, as far as the comparison needs it.
struct RowFacts
{
    qint64 row = 0;
    QString path;
    QString relative;
    qint64 size = -1; // -1 when the row does not say
    qint64 modified = -1;
    QString checksum; // empty when it has none
};

qint64 numberIn(QByteArrayView text)
{
    bool ok = false;
    const qint64 number = text.toLongLong(&ok);
    return ok ? number : -1;
}

// A row as the engine gives it: Inum, FilePath, FSize, Modified, Checksum.
RowFacts factsOf(std::span<const QByteArrayView> row)
{
    RowFacts facts;
    facts.row = numberIn(row[0]);
    facts.path = QString::fromUtf8(row[1]);
    facts.size = numberIn(row[2]);
    facts.modified = numberIn(row[3]);
    facts.checksum = QString::fromUtf8(row[4]);
    return facts;
}

// A file the walk found, as little as the comparison keeps of it: a tree of a million files is
// held whole until the rows have met their files.
struct FoundFile
{
    qint64 size = 0;
    qint64 modifiedMs = 0;
};

// The comparison of one folder, from the walk to the list of differences.
class Comparison
{
public:
    Comparison(const VolumeFolder &folder, const QString &walkedPath, const RescanOptions &options)
        : folder_(folder)
        , diskPrefix_(rowsPrefix(walkedPath))
        , rowPrefix_(rowsPrefix(folder.folderPath))
        , rowPrefixBytes_(rowPrefix_.toUtf8().size())
        // A pattern that takes even an empty name takes every name.
        , allFiles_(folder.subfolders && MatchesPattern(QString(), folder.pattern))
        , options_(options)
    { }

    bool cancelled() const { return options_.cancelled && options_.cancelled(); }

    // A file of the walk the comparison takes: one of the pattern, still there.
    bool counts(const fs::OrderedFile &file) const
    {
        return file.stamp.exists() && MatchesPattern(file.name, folder_.pattern);
    }

    // Takes a file of the walk that no row has met (yet).
    void takeFile(const fs::OrderedFile &file, Differences &found)
    {
        if (!counts(file))
            return;
        count(file, found);
        disk_.insert(file.relative, foundFile(file));
    }

    void setUnreadable(const QStringList &folders)
    {
        for (qsizetype i = unreadableTaken_; i < folders.size(); ++i)
            unreadable_ << rowsPrefix(folders[i]).mid(diskPrefix_.size());
        unreadableTaken_ = folders.size();
    }

    // Takes one catalogue row under the folder, in path order, as the engine gives it, with
    // the walk's file of the same path where the walk found one.
    void takeRow(std::span<const QByteArrayView> read, const fs::OrderedFile *same,
                 Differences &found)
    {
        const QByteArrayView path = read[1];
        const bool met = same && counts(*same);
        // Most rows meet their file unchanged: they are compared as read, and made text of only
        // when they differ.
        if (met && everyRowCompared()) {
            count(*same, found);
            const FoundFile file = foundFile(*same);
            if (differ(numberIn(read[2]), numberIn(read[3]), file))
                compare(rowOf(read), file, found);
            return;
        }
        RowFacts row = rowOf(read);
        if (!compared(row.relative)) {
            if (same)
                takeFile(*same, found);
            return;
        }
        if (met) {
            count(*same, found);
            compare(row, foundFile(*same), found);
            return;
        }
        // Met already, where the paths were not ordered alike, or not at all.
        const auto onDisk = disk_.constFind(QByteArray::fromRawData(path.data() + rowPrefixBytes_,
                                                                    path.size() - rowPrefixBytes_));
        if (onDisk == disk_.cend()) {
            removed_.push_back(std::move(row));
            return;
        }
        const FoundFile file = onDisk.value();
        disk_.erase(onDisk);
        compare(row, file, found);
    }

    // What is left once every row was taken: the files without a row, the rows without a
    // file, and the moves among them. False when cancelled while reading a file.
    bool finish(Differences &found)
    {
        // A row whose file the walk met after it, where the paths were not ordered alike.
        std::vector<RowFacts> removed;
        for (RowFacts &row : removed_) {
            const auto onDisk = disk_.constFind(row.relative.toUtf8());
            if (onDisk == disk_.cend()) {
                removed.push_back(std::move(row));
                continue;
            }
            compare(row, onDisk.value(), found);
            disk_.erase(onDisk);
        }
        removed_ = std::move(removed);
        for (Difference &changed : found.items)
            if (options_.checksums && !sum(changed.file))
                return false;
        QList<QByteArray> added = disk_.keys();
        std::sort(added.begin(), added.end());
        std::multimap<qint64, size_t> bySize;
        for (size_t i = 0; i < removed_.size(); ++i)
            bySize.emplace(removed_[i].size, i);
        std::vector<bool> paired(removed_.size(), false);
        for (const QByteArray &key : added) {
            const QString relative = QString::fromUtf8(key);
            FileOnDisk file = fileAt(relative, disk_.value(key));
            const std::optional<size_t> from = moveSource(relative, file, bySize, paired);
            if (cancelled())
                return false;
            if (from) {
                paired[*from] = true;
                found.items.push_back(
                        difference(Difference::Moved, removed_[*from], relative, file));
                continue;
            }
            if (options_.checksums && !sum(file))
                return false;
            found.items.push_back(difference(Difference::Added, {}, relative, file));
        }
        for (size_t i = 0; i < removed_.size(); ++i)
            if (!paired[i])
                found.items.push_back(
                        difference(Difference::Removed, removed_[i], removed_[i].relative, {}));
        std::sort(found.items.begin(), found.items.end(),
                  [](const Difference &a, const Difference &b) { return a.path < b.path; });
        return true;
    }

private:
    static void count(const fs::OrderedFile &file, Differences &found)
    {
        ++found.files;
        found.bytes += file.stamp.size;
    }

    // A row as the engine gives it, with its path below the folder.
    RowFacts rowOf(std::span<const QByteArrayView> read) const
    {
        RowFacts row = factsOf(read);
        row.relative = row.path.mid(rowPrefix_.size());
        return row;
    }

    static FoundFile foundFile(const fs::OrderedFile &file)
    {
        return {file.stamp.size, file.stamp.modified.toMSecsSinceEpoch()};
    }

    // A row whose size and time (-1 where it does not say) are not those of its file.
    static bool differ(qint64 size, qint64 modified, const FoundFile &file)
    {
        return (size >= 0 && size != file.size)
                || (modified >= 0 && modified != file.modifiedMs / 1000);
    }

    // Every row's file is one the walk would take: all files, in every folder, all read.
    bool everyRowCompared() const { return allFiles_ && unreadable_.isEmpty(); }

    // A row and its file: a change when they differ in size or time.
    void compare(const RowFacts &row, const FoundFile &file, Differences &found) const
    {
        if (differ(row.size, row.modified, file))
            found.items.push_back(
                    difference(Difference::Changed, row, row.relative, fileAt(row.relative, file)));
    }

    // A found file in full, for a difference.
    FileOnDisk fileAt(const QString &relative, const FoundFile &found) const
    {
        const QString path = diskPrefix_ + relative;
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        return {slash == 0 ? QStringLiteral("/") : path.left(slash),
                path.mid(slash + 1),
                found.size,
                QDateTime::fromMSecsSinceEpoch(found.modifiedMs, Qt::UTC),
                {}};
    }

    // A row is compared when the walk could have found its file: it fits the pattern, lies in
    // the folder itself unless the folders below were taken, and not below one left unread.
    bool compared(const QString &relative) const
    {
        if (!folder_.subfolders && relative.contains(QLatin1Char('/')))
            return false;
        if (!MatchesPattern(nameIn(relative).toString(), folder_.pattern))
            return false;
        return std::none_of(unreadable_.cbegin(), unreadable_.cend(),
                            [&](const QString &below) { return relative.startsWith(below); });
    }

    // Reads the file's checksum unless read already; false when cancelled meanwhile. A file
    // that cannot be read keeps none.
    bool sum(FileOnDisk &file)
    {
        if (!file.checksum.isNull())
            return true;
        const fs::FileSum read = fs::SumOfFile(FullPathOf(file.directory, file.name),
                                               [this] { return !cancelled(); });
        if (cancelled())
            return false;
        if (read.read())
            file.checksum = read.hex;
        return true;
    }

    // The removed row the added file was moved from: one of the same size and checksum, or
    // else of the same name, size and time of change.
    std::optional<size_t> moveSource(const QString &relative, FileOnDisk &file,
                                     const std::multimap<qint64, size_t> &bySize,
                                     const std::vector<bool> &paired)
    {
        const auto [first, last] = bySize.equal_range(file.size);
        std::optional<size_t> sameNameAndTime;
        for (auto it = first; it != last; ++it) {
            const RowFacts &row = removed_[it->second];
            if (paired[it->second])
                continue;
            if (!row.checksum.isEmpty()) {
                if (!sum(file))
                    return std::nullopt;
                if (file.checksum.toString() == row.checksum)
                    return it->second;
            }
            if (!sameNameAndTime && nameIn(row.relative) == nameIn(relative) && row.modified >= 0
                && row.modified == file.modified.toSecsSinceEpoch())
                sameNameAndTime = it->second;
        }
        return sameNameAndTime;
    }

    Difference difference(Difference::Kind kind, const RowFacts &row, const QString &relative,
                          const FileOnDisk &file) const
    {
        Difference made;
        made.kind = kind;
        made.row = row.row;
        made.rowPath = row.path;
        made.oldPath = row.path.isEmpty() ? diskPrefix_ + relative : diskPrefix_ + row.relative;
        made.path = diskPrefix_ + relative;
        made.file = file;
        return made;
    }

    const VolumeFolder &folder_;
    const QString diskPrefix_;
    const QString rowPrefix_;
    const qsizetype rowPrefixBytes_; // in UTF-8, as the rows are read
    const bool allFiles_; // the folder's files and those of every folder below
    const RescanOptions &options_;
    // The files found and not met by a row, by their paths below the folder in UTF-8.
    QHash<QByteArray, FoundFile> disk_;
    QStringList unreadable_; // below the folder, each ending in a separator
    qsizetype unreadableTaken_ = 0;
    std::vector<RowFacts> removed_;
};

} // namespace

QString Difference::line() const
{
    switch (kind) {
    case Added:
        return QStringLiteral("+ ") + path;
    case Changed:
        return QStringLiteral("~ ") + path;
    case Removed:
        return QStringLiteral("- ") + path;
    case Moved:
        return QStringLiteral("> %1 -> %2").arg(oldPath, path);
    }
    return {};
}

Differences RescanFolder(db::Connection &connection, const VolumeFolder &folder,
                         const fs::VolumeFacts &volume, const RescanOptions &options)
{
    Differences found;
    found.folder = folder;
    found.volume = volume;
    if (!volume.found())
        throw RescanError("The volume of the folder is not mounted.");
    found.walkedPath = PathBelow(volume, folder.folder);
    if (found.walkedPath.isEmpty())
        throw RescanError(QStringLiteral("The folder %1 is not reached where the volume is "
                                         "mounted now.")
                                  .arg(folder.folder)
                                  .toStdString());
    if (!QFileInfo(found.walkedPath).isDir())
        throw RescanError(
                QStringLiteral("The folder %1 is not there.").arg(found.walkedPath).toStdString());
    Comparison comparison(folder, found.walkedPath, options);
    // The walk and the rows are met in one pass, both in the order of their paths.
    const DiskWalkOptions paced;
    PacedEvents pace(paced);
    fs::OrderedWalk walk(found.walkedPath, folder.subfolders, [&] {
        if (comparison.cancelled())
            return false;
        pace.step();
        return true;
    });
    fs::OrderedFile file;
    bool more = walk.next(file);
    const auto takeFilesBefore = [&](QByteArrayView relative) {
        while (more && QByteArrayView(file.relative) < relative) {
            comparison.takeFile(file, found);
            more = walk.next(file);
        }
    };
    const QString prefix = rowsPrefix(folder.folderPath);
    const qsizetype prefixBytes = prefix.toUtf8().size();
    db::ForEachTextRow(connection, kRowsUnder,
                       {prefix, rangeEnd(prefix), folder.volumeId, folder.volumeId},
                       [&](std::span<const QByteArrayView> row) {
                           if (walk.result().stopped)
                               return;
                           const QByteArrayView relative = row[1].sliced(prefixBytes);
                           takeFilesBefore(relative);
                           comparison.setUnreadable(walk.result().unreadable);
                           const bool same = more && file.relative == relative;
                           comparison.takeRow(row, same ? &file : nullptr, found);
                           if (same)
                               more = walk.next(file);
                       });
    while (more) {
        comparison.takeFile(file, found);
        more = walk.next(file);
    }
    pace.finished();
    if (walk.result().stopped || comparison.cancelled()) {
        found.cancelled = true;
        found.items.clear();
        return found;
    }
    found.unreadable = walk.result().unreadable;
    for (const fs::LeftOut &entry : walk.result().leftOut)
        found.leftOut << entry.path;
    comparison.setUnreadable(walk.result().unreadable);
    if (!comparison.finish(found)) {
        found.cancelled = true;
        found.items.clear();
    }
    return found;
}

namespace {

const QString kRelocate =
        QStringLiteral("UPDATE fileprofile SET FilePath = ? || substr(FilePath, ?), "
                       "Directory = ? || substr(Directory, ?), Drive = ? WHERE ")
        + kUnderFolder;
const QString kChange = QStringLiteral(
        "UPDATE fileprofile SET FSize = ?, FileDate = ?, Modified = ?, Checksum = ?, "
        "VolumeId = ? WHERE Inum = ? AND FilePath = ?");
// A checksum not read for the move is the row's, which the move keeps.
const QString kMove = QStringLiteral(
        "UPDATE fileprofile SET FilePath = ?, FileName = ?, Directory = ?, FSize = ?, "
        "FileDate = ?, Modified = ?, Checksum = COALESCE(?, Checksum), VolumeId = ? "
        "WHERE Inum = ? AND FilePath = ? "
        "AND NOT EXISTS (SELECT 1 FROM fileprofile WHERE FilePath = ?)");
const QString kRemove = QStringLiteral("DELETE FROM fileprofile WHERE Inum = ? AND FilePath = ?");

int writeOrder(Difference::Kind kind)
{
    switch (kind) {
    case Difference::Removed:
        return 0;
    case Difference::Moved:
        return 1;
    case Difference::Changed:
        return 2;
    case Difference::Added:
        return 3;
    }
    return 4;
}

QVariant modifiedValue(const FileOnDisk &file)
{
    return file.modified.isValid() ? QVariant(file.modified.toSecsSinceEpoch()) : QVariant();
}

// The statements of one application of differences, each prepared once.
class Writer
{
public:
    Writer(db::Connection &connection, const FileDescription &forAdded, qint64 volumeId)
        : add_(connection, FileInsertStatement(QStringLiteral("fileprofile")))
        , change_(connection, kChange)
        , move_(connection, kMove)
        , remove_(connection, kRemove)
        , forAdded_(forAdded)
        , volumeId_(volumeId)
    {
        catalogue::NumberGroup(connection, Stored(forAdded.group));
    }

    // Applies one difference to the row now at rowPath; false when the row is no longer so.
    bool apply(const Difference &difference, const QString &rowPath, ApplyResult &result)
    {
        const FileOnDisk &file = difference.file;
        switch (difference.kind) {
        case Difference::Added:
            return counted(add_.Execute(FileRowValues(forAdded_, file, volumeId_)), result.added);
        case Difference::Changed:
            return counted(change_.Execute({QString::number(file.size), FileDateText(file.modified),
                                            modifiedValue(file), file.checksum, volumeId_,
                                            difference.row, rowPath}),
                           result.changed);
        case Difference::Moved:
            return counted(move_.Execute({difference.path, file.name, DirectoryText(file.directory),
                                          QString::number(file.size), FileDateText(file.modified),
                                          modifiedValue(file), file.checksum, volumeId_,
                                          difference.row, rowPath, difference.path}),
                           result.moved);
        case Difference::Removed:
            return counted(remove_.Execute({difference.row, rowPath}), result.removed);
        }
        return false;
    }

private:
    static bool counted(qint64 rows, qint64 &count)
    {
        count += rows;
        return rows > 0;
    }

    db::Prepared add_;
    db::Prepared change_;
    db::Prepared move_;
    db::Prepared remove_;
    const FileDescription &forAdded_;
    QVariant volumeId_;
};

} // namespace

ApplyResult ApplyDifferences(db::Connection &connection, const Differences &differences,
                             const FileDescription &forAdded,
                             const std::optional<QList<qsizetype>> &selection,
                             const std::function<bool()> &cancelled)
{
    ApplyResult result;
    if (differences.cancelled || (cancelled && cancelled())) {
        result.cancelled = true;
        return result;
    }
    QList<qsizetype> chosen;
    if (selection) {
        for (const qsizetype index : *selection)
            if (index >= 0 && index < qsizetype(differences.items.size())
                && !chosen.contains(index))
                chosen << index;
    } else {
        for (qsizetype i = 0; i < qsizetype(differences.items.size()); ++i)
            chosen << i;
    }
    // Removals first, then moves: a file may have been moved to where a removed one was.
    std::stable_sort(chosen.begin(), chosen.end(), [&](qsizetype a, qsizetype b) {
        return writeOrder(differences.items[size_t(a)].kind)
                < writeOrder(differences.items[size_t(b)].kind);
    });
    FileDescription description = forAdded;
    if (description.drive.isEmpty())
        description.drive = differences.volume.mountPoint;
    const QString oldPrefix = rowsPrefix(differences.folder.folderPath);
    const QString newPrefix = rowsPrefix(differences.walkedPath);

    db::Transaction transaction(connection);
    const qint64 volumeId = RecordVolume(connection, differences.volume);
    if (oldPrefix != newPrefix)
        connection.Execute(kRelocate,
                           {newPrefix, characters(oldPrefix) + 1, newPrefix,
                            characters(oldPrefix) + 1, differences.volume.mountPoint, oldPrefix,
                            rangeEnd(oldPrefix), volumeId, volumeId});
    Writer writer(connection, description, volumeId);
    for (const qsizetype index : chosen) {
        const Difference &difference = differences.items[size_t(index)];
        const QString rowPath = difference.rowPath.isEmpty()
                ? QString()
                : newPrefix + difference.rowPath.mid(oldPrefix.size());
        if (!writer.apply(difference, rowPath, result))
            ++result.skipped;
    }
    VolumeFolder folder = differences.folder;
    folder.volumeId = volumeId;
    folder.folderPath = differences.walkedPath;
    folder.lastRead.clear();
    folder.files = differences.files;
    folder.bytes = differences.bytes;
    RecordFolder(connection, folder);
    IndexAddedFiles(connection);
    transaction.Commit();
    return result;
}

} // namespace catalogue
