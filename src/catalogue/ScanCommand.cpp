#include "catalogue/ScanCommand.h"

#include "app/CreateDatabase.h"
#include "catalogue/CatalogueSearch.h"
#include "catalogue/DiskWalk.h"
#include "catalogue/FilePanel.h"
#include "catalogue/Rescan.h"
#include "platform/db/ConnectString.h"
#include "platform/db/Connection.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QIODevice>
#include <QTextStream>

namespace catalogue {

namespace {

const QString kScan = QStringLiteral("scan");
const QString kRescan = QStringLiteral("rescan");
const QString kChecksums = QStringLiteral("checksums");
const QString kApply = QStringLiteral("apply");
const QString kRemoveMissing = QStringLiteral("remove-missing");
const QString kGroup = QStringLiteral("group");

void parse(QCommandLineParser &parser, const QStringList &arguments)
{
    AddFindOptions(parser);
    AddScanOptions(parser);
    if (!parser.parse(arguments))
        throw CommandError{parser.errorText()};
    if (!parser.positionalArguments().isEmpty())
        throw CommandError{QStringLiteral("unexpected argument '%1'")
                                   .arg(parser.positionalArguments().constFirst())};
}

// The database of the command line, brought up to the tables of this version.
void openDatabase(db::Connection &connection, const QCommandLineParser &parser)
{
    connection.Open(db::ConnectStringFor(CommandDatabasePath(parser)));
    UpgradeDatabase(connection);
}

FileDescription describedBy(const QCommandLineParser &parser)
{
    FileDescription description;
    description.group = parser.value(kGroup);
    return description;
}

// What a walk could not read goes to the error stream; the rest of the folder was compared.
void tellProblems(const Differences &found, QTextStream &err)
{
    for (const QString &problem :
         {UnreadableDescription(found.unreadable), LeftOutDescription(found.leftOut)})
        if (!problem.isEmpty())
            err << "corvina: " << problem << '\n';
}

void writeLine(QIODevice &out, const QString &text)
{
    QByteArray line;
    AppendEscaped(line, text.toUtf8());
    line += '\n';
    out.write(line);
}

// The volume of a folder named on the command line, as read now.
fs::VolumeFacts volumeOfFolder(const QString &folder)
{
    const fs::VolumeFacts facts = fs::VolumeOf(folder);
    if (!facts.found())
        throw CommandError{QStringLiteral("cannot tell the volume of %1").arg(folder)};
    return facts;
}

// The differences between the disk and the catalogue, and the differences to apply of them.
QList<qsizetype> chosen(const Differences &found, bool (*wanted)(Difference::Kind, bool),
                        bool removals)
{
    QList<qsizetype> indexes;
    for (qsizetype i = 0; i < qsizetype(found.items.size()); ++i)
        if (wanted(found.items[size_t(i)].kind, removals))
            indexes << i;
    return indexes;
}

bool newFiles(Difference::Kind kind, bool)
{
    return kind == Difference::Added || kind == Difference::Moved;
}

bool applied(Difference::Kind kind, bool removals)
{
    return kind != Difference::Removed || removals;
}

// One catalogued folder and its volume as mounted now.
struct Target
{
    VolumeFolder folder;
    fs::VolumeFacts volume;
};

// The folders --rescan names: the catalogued folder at a path, or every catalogued folder of a
// volume named by its label, UUID or device.
QList<Target> targetsOf(db::Connection &connection, const QString &named)
{
    if (QFileInfo(named).isDir()) {
        const fs::VolumeFacts facts = volumeOfFolder(named);
        const std::optional<Volume> volume = FindVolume(connection, facts);
        const std::optional<VolumeFolder> folder =
                volume ? FolderOf(connection, volume->id, facts.folder) : std::nullopt;
        if (!folder)
            throw CommandError{QStringLiteral("%1 is not a catalogued folder; catalogue it with "
                                              "--scan")
                                       .arg(named)};
        return {{*folder, facts}};
    }
    const QList<Volume> volumes = VolumesNamed(connection, named);
    if (volumes.isEmpty())
        throw CommandError{
                QStringLiteral("no folder and no catalogued volume is named %1").arg(named)};
    QList<Target> targets;
    for (const Volume &volume : volumes) {
        if (!WhereMounted(volume))
            throw CommandError{
                    QStringLiteral("the volume %1 is not mounted").arg(volume.shownName())};
        for (const VolumeFolder &folder : FoldersOf(connection, volume.id)) {
            const std::optional<fs::VolumeFacts> mounted = WhereMounted(volume, folder.folder);
            if (!mounted)
                throw CommandError{QStringLiteral("the folder %1 of the volume %2 is not "
                                                  "reached where the volume is mounted now")
                                           .arg(folder.folder, volume.shownName())};
            targets.append({folder, *mounted});
        }
    }
    return targets;
}

} // namespace

void AddScanOptions(QCommandLineParser &parser)
{
    parser.addOption({kScan,
                      QStringLiteral("Catalogue every file below <dir> without a display, as Add "
                                     "Folder and a save would, and record its volume; files "
                                     "catalogued already are left as they are."),
                      QStringLiteral("dir")});
    parser.addOption({kRescan,
                      QStringLiteral("Compare the catalogued folder <dir>, or every catalogued "
                                     "folder of the volume of that label or UUID, with the disk: "
                                     "a line \"+ path\" for each file added, \"~ path\" changed, "
                                     "\"- path\" removed, \"> old -> new\" moved; exit status 1 "
                                     "when there were any."),
                      QStringLiteral("dir|volume")});
    parser.addOption({kChecksums,
                      QStringLiteral("With --scan and --rescan: read each file taken for a "
                                     "checksum of its contents.")});
    parser.addOption({kApply,
                      QStringLiteral("With --rescan: bring the catalogue in step with the disk "
                                     "(removals only with --remove-missing).")});
    parser.addOption({kRemoveMissing,
                      QStringLiteral("With --rescan --apply: remove the rows of files that are "
                                     "gone.")});
}

int RunScan(const QStringList &arguments, QIODevice &out, QTextStream &err)
{
    return RunReported(err, [&] {
        QCommandLineParser parser;
        parse(parser, arguments);
        const QString named = parser.value(kScan);
        if (!QFileInfo(named).isDir())
            throw CommandError{QStringLiteral("no folder at %1").arg(named)};
        const fs::VolumeFacts facts = volumeOfFolder(named);
        db::Connection connection;
        openDatabase(connection, parser);
        // A folder catalogued before keeps the path its rows carry; a scan takes all its files.
        VolumeFolder folder;
        folder.volumeId = RecordVolume(connection, facts);
        folder.folder = facts.folder;
        folder.folderPath = PathBelow(facts, facts.folder);
        if (const std::optional<VolumeFolder> known =
                    FolderOf(connection, folder.volumeId, facts.folder))
            folder = *known;
        folder.pattern = kAllFiles;
        folder.subfolders = true;
        RescanOptions options;
        options.checksums = parser.isSet(kChecksums);
        const Differences found = RescanFolder(connection, folder, facts, options);
        tellProblems(found, err);
        const ApplyResult result = ApplyDifferences(connection, found, describedBy(parser),
                                                    chosen(found, newFiles, false));
        writeLine(out,
                  QStringLiteral("Catalogued %1 files of %2")
                          .arg(result.added)
                          .arg(found.walkedPath));
        return 0;
    });
}

int RunRescan(const QStringList &arguments, QIODevice &out, QTextStream &err)
{
    return RunReported(err, [&] {
        QCommandLineParser parser;
        parse(parser, arguments);
        db::Connection connection;
        openDatabase(connection, parser);
        RescanOptions options;
        options.checksums = parser.isSet(kChecksums);
        bool differ = false;
        for (const Target &target : targetsOf(connection, parser.value(kRescan))) {
            const Differences found =
                    RescanFolder(connection, target.folder, target.volume, options);
            tellProblems(found, err);
            for (const Difference &difference : found.items)
                writeLine(out, difference.line());
            differ = differ || !found.items.empty();
            if (!parser.isSet(kApply))
                continue;
            const ApplyResult result =
                    ApplyDifferences(connection, found, describedBy(parser),
                                     chosen(found, applied, parser.isSet(kRemoveMissing)));
            if (result.skipped > 0)
                err << "corvina: " << result.skipped
                    << " differences were left: another desk changed their rows meanwhile\n";
        }
        return differ ? 1 : 0;
    });
}

} // namespace catalogue
