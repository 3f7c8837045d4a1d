#include "DeskConnection.h"
#include "FakeMounts.h"
#include "Fixture.h"
#include "TestRegistry.h"
#include "catalogue/Rescan.h"
#include "catalogue/ScanCommand.h"
#include "catalogue/Volumes.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTextStream>

#include <memory>

namespace {

void writeFile(const QString &path, const QByteArray &bytes, const QDateTime &changed)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(bytes);
    out.flush();
    QVERIFY(out.setFileTime(changed, QFileDevice::FileModificationTime));
}

const QDateTime kMarch(QDate(2024, 3, 5), QTime(10, 30));
const QDateTime kApril(QDate(2024, 4, 9), QTime(8, 15));

// The outcome of one command on a terminal.
struct Run
{
    int status = -1;
    QStringList lines;
    QString errors;
};

Run runCommand(int (*command)(const QStringList &, QIODevice &, QTextStream &),
               const QStringList &arguments)
{
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QString errors;
    QTextStream err(&errors);
    Run run;
    run.status = command(QStringList{"corvina"} + arguments, out, err);
    run.lines = QString::fromUtf8(out.data()).split('\n', Qt::SkipEmptyParts);
    run.errors = errors;
    return run;
}

} // namespace

// A tree on a volume of the test's own, catalogued and then changed on the disk.
class RescanCase : public QObject
{
    Q_OBJECT
protected:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<FakeMounts> mounts_;

    QString mountPoint() const { return dir_->filePath("mnt/usb stick"); }
    QString root() const { return mountPoint() + "/photos"; }
    QString at(const QString &below) const { return root() + '/' + below; }

    void makeTree()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        mounts_ = std::make_unique<FakeMounts>(dir_->filePath("system"));
        mounts_->mount(mountPoint(), "sdz1", "ABCD-1234", "STICK");
        fs::SetVolumeSource(mounts_->source());
        writeFile(at("a.txt"), "abc", kMarch);
        writeFile(at("b.md"), "12345", kMarch);
        writeFile(at("sub/c.txt"), "1234567", kMarch);
        writeFile(at("sub/deep/d.txt"), "d", kMarch);
    }

    // Catalogues the tree as --scan does, each row then described by its name.
    void scan(Fixture &f, const QStringList &options = {})
    {
        const Run run = runCommand(
                catalogue::RunScan,
                QStringList{"--scan", root(), "--group", "C", "--database", f.dbPath} + options);
        QVERIFY2(run.status == 0, qPrintable(run.errors));
        f.exec("update fileprofile set FileDesc = ? || FileName, Author = ?, Email = ?, "
               "WebSiteName = ?",
               {"about ", "Ada", "ada@example.org", "Code Harbour"});
    }

    // Steps separated by ";": "write:PATH:BYTES" (dated in April), "date:PATH",
    // "remove:PATH", "move:FROM:TO", each below the tree's top.
    void change(const QString &steps)
    {
        for (const QString &step : steps.split(';', Qt::SkipEmptyParts)) {
            const QStringList part = step.split(':');
            if (part[0] == "write")
                writeFile(at(part[1]), part[2].toUtf8(), kApril);
            else if (part[0] == "date")
                redate(at(part[1]));
            else if (part[0] == "remove")
                QVERIFY(QFile::remove(at(part[1])));
            else if (part[0] == "move")
                QVERIFY(QDir().mkpath(QFileInfo(at(part[2])).path())
                        && QDir().rename(at(part[1]), at(part[2])));
            else
                QFAIL(qPrintable("unknown step " + step));
        }
    }

    static void redate(const QString &path)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite)
                && file.setFileTime(kApril, QFileDevice::FileModificationTime));
    }

    catalogue::Differences rescan(db::Connection &connection,
                                  const catalogue::RescanOptions &options = {})
    {
        const fs::VolumeFacts facts = fs::VolumeOf(root());
        const auto volume = catalogue::FindVolume(connection, facts);
        if (!volume)
            throw std::runtime_error("no volume");
        const auto folder = catalogue::FolderOf(connection, volume->id, facts.folder);
        if (!folder)
            throw std::runtime_error("no folder");
        return catalogue::RescanFolder(connection, *folder, facts, options);
    }

    // The differences' lines, paths below the tree's top.
    QStringList lines(const catalogue::Differences &found) const
    {
        QStringList shown;
        for (const catalogue::Difference &difference : found.items)
            shown << difference.line().replace(root() + '/', QString());
        return shown;
    }

    // Each catalogue row: path below the tree's top, description, size, group.
    QStringList rows(Fixture &f) const
    {
        QStringList shown;
        for (const QString &row : f.column("select FilePath || '|' || FileDesc || '|' || FSize || "
                                           "'|' || FileGroup from fileprofile order by FilePath"))
            shown << QString(row).replace(root() + '/', QString());
        return shown;
    }
};

class TestRescan : public RescanCase
{
    Q_OBJECT
private slots:
    void init() { makeTree(); }
    void cleanup() { fs::SetVolumeSource(std::nullopt); }
    void differencesFound_data();
    void differencesFound();
    void partOfTheDifferencesApplied();
    void cancelChangesNothing_data();
    void cancelChangesNothing();
};

void TestRescan::differencesFound_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<bool>("checksums");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("rowsAfter");
    const QString a = "a.txt|about a.txt|3|C";
    const QString b = "b.md|about b.md|5|C";
    const QString c = "sub/c.txt|about c.txt|7|C";
    const QString d = "sub/deep/d.txt|about d.txt|1|C";
    QTest::newRow("in step") << "" << false << QStringList() << QStringList{a, b, c, d};
    QTest::newRow("added") << "write:sub/e.txt:ee" << false << QStringList{"+ sub/e.txt"}
                           << QStringList{a, b, c, d, "sub/e.txt||2|C"};
    QTest::newRow("changed size") << "write:a.txt:abcdef" << false << QStringList{"~ a.txt"}
                                  << QStringList{"a.txt|about a.txt|6|C", b, c, d};
    QTest::newRow("changed date, same size")
            << "date:b.md" << false << QStringList{"~ b.md"} << QStringList{a, b, c, d};
    QTest::newRow("removed") << "remove:b.md" << false << QStringList{"- b.md"}
                             << QStringList{a, c, d};
    QTest::newRow("moved to another folder")
            << "move:b.md:sub/deep/b.md" << false << QStringList{"> b.md -> sub/deep/b.md"}
            << QStringList{a, c, "sub/deep/b.md|about b.md|5|C", d};
    QTest::newRow("folder renamed")
            << "move:sub:pics" << false
            << QStringList{"> sub/c.txt -> pics/c.txt", "> sub/deep/d.txt -> pics/deep/d.txt"}
            << QStringList{a, b, "pics/c.txt|about c.txt|7|C", "pics/deep/d.txt|about d.txt|1|C"};
    // Without checksums, only the same name, size and date make a move.
    QTest::newRow("renamed, no checksums")
            << "move:b.md:e.md" << false << QStringList{"- b.md", "+ e.md"}
            << QStringList{a, "e.md||5|C", c, d};
    QTest::newRow("renamed, checksums") << "move:b.md:e.md" << true << QStringList{"> b.md -> e.md"}
                                        << QStringList{a, "e.md|about b.md|5|C", c, d};
    QTest::newRow("renamed and touched, checksums")
            << "move:b.md:e.md;date:e.md" << true << QStringList{"> b.md -> e.md"}
            << QStringList{a, "e.md|about b.md|5|C", c, d};
    QTest::newRow("same size, other bytes, checksums")
            << "remove:b.md;write:e.md:54321" << true << QStringList{"- b.md", "+ e.md"}
            << QStringList{a, "e.md||5|C", c, d};
}

// Each kind of difference is told, applying them keeps what the rows described, and the
// catalogue is then in step.
void TestRescan::differencesFound()
{
    QFETCH(QString, steps);
    QFETCH(bool, checksums);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, rowsAfter);
    Fixture f;
    scan(f, checksums ? QStringList{"--checksums"} : QStringList{});
    change(steps);
    DeskConnection connection(f.dbPath);
    const catalogue::Differences found = rescan(connection);
    QCOMPARE(lines(found), expected);
    QCOMPARE(found.inStep(), expected.isEmpty());
    FileDescription forAdded;
    forAdded.group = "C";
    catalogue::ApplyDifferences(connection, found, forAdded);
    QCOMPARE(rows(f), rowsAfter);
    // Only the rows the rescan added lack what the others were described with.
    const auto added = std::count_if(found.items.begin(), found.items.end(), [](const auto &item) {
        return item.kind == catalogue::Difference::Added;
    });
    QCOMPARE(f.column("select count(*) from fileprofile where Author = 'Ada' and WebSiteName = "
                      "'Code Harbour'"),
             QStringList{QString::number(rowsAfter.size() - added)});
    QVERIFY(rescan(connection).inStep());
    QCOMPARE(f.column("select Files || ':' || Bytes from volumefolders"),
             QStringList{QString("%1:%2").arg(found.files).arg(found.bytes)});
}

// Only the differences chosen are applied; the rest are found again.
void TestRescan::partOfTheDifferencesApplied()
{
    Fixture f;
    scan(f);
    change("write:e.txt:ee;remove:b.md;write:a.txt:abcdef;move:sub/c.txt:c.txt");
    DeskConnection connection(f.dbPath);
    const catalogue::Differences found = rescan(connection);
    QCOMPARE(lines(found), QStringList({"~ a.txt", "- b.md", "> sub/c.txt -> c.txt", "+ e.txt"}));
    const catalogue::ApplyResult result =
            catalogue::ApplyDifferences(connection, found, {}, QList<qsizetype>{1, 2, 2, 9});
    QCOMPARE(result.removed, 1);
    QCOMPARE(result.moved, 1);
    QCOMPARE(result.added + result.changed + result.skipped, 0);
    QCOMPARE(lines(rescan(connection)), QStringList({"~ a.txt", "+ e.txt"}));
    // A difference applied at another desk meanwhile is left, and said so.
    f.exec("delete from fileprofile where FileName = ?", {"a.txt"});
    const catalogue::ApplyResult late =
            catalogue::ApplyDifferences(connection, found, {}, QList<qsizetype>{0});
    QCOMPARE(late.changed, 0);
    QCOMPARE(late.skipped, 1);
}

void TestRescan::cancelChangesNothing_data()
{
    QTest::addColumn<bool>("checksums");
    QTest::addColumn<int>("pollsBeforeCancel"); // -1: cancelled only before applying
    QTest::newRow("at the first folder") << false << 0;
    QTest::newRow("in the middle of the walk") << false << 2;
    // Three folders polled in the walk, once after it, then after each file read.
    QTest::newRow("while reading the files") << true << 4;
    QTest::newRow("before applying") << true << -1;
}

// A rescan cancelled at any point finds nothing and writes nothing.
void TestRescan::cancelChangesNothing()
{
    QFETCH(bool, checksums);
    QFETCH(int, pollsBeforeCancel);
    Fixture f;
    scan(f);
    change("write:e.txt:ee;remove:b.md;write:a.txt:abcdef;move:sub/c.txt:c.txt");
    const QString everything = "select FilePath || FSize || Modified || coalesce(Checksum, '') "
                               "from fileprofile order by FilePath";
    const QStringList before = f.column(everything);
    DeskConnection connection(f.dbPath);
    catalogue::RescanOptions options;
    options.checksums = checksums;
    int polls = 0;
    options.cancelled = [&] {
        return pollsBeforeCancel >= 0 && polls++ >= pollsBeforeCancel;
    };
    f.exec("update volumes set LastRead = ?", {"earlier"});
    const catalogue::Differences found = rescan(connection, options);
    QCOMPARE(found.cancelled, pollsBeforeCancel >= 0);
    QCOMPARE(found.items.empty(), pollsBeforeCancel >= 0);
    const catalogue::ApplyResult result =
            catalogue::ApplyDifferences(connection, found, {}, std::nullopt, [] { return true; });
    QVERIFY(result.cancelled);
    QCOMPARE(f.column(everything), before);
    QCOMPARE(f.column("select LastRead from volumes"), QStringList{"earlier"});
}

// Where a folder's volume is found, and the same volume found again elsewhere.
class TestVolumes : public RescanCase
{
    Q_OBJECT
private slots:
    void init() { makeTree(); }
    void cleanup() { fs::SetVolumeSource(std::nullopt); }
    void volumeOfAFolder_data();
    void volumeOfAFolder();
    void sameVolumeMountedElsewhere_data();
    void sameVolumeMountedElsewhere();
    void volumeRecordedOnce();
};

void TestVolumes::volumeOfAFolder_data()
{
    QTest::addColumn<QString>("uuid");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("below"); // the folder asked about, below the mount point
    QTest::addColumn<bool>("stacked"); // another device mounted over it afterwards
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("mounted"); // the device's folder mounted there
    QTest::newRow("a folder below the mount point") << "ABCD"
                                                    << "STICK"
                                                    << "photos/sub" << false << "photos/sub"
                                                    << "/";
    // The folder of a bind mount is the device's folder, wherever it is mounted.
    QTest::newRow("a bind mount of a folder") << "ABCD"
                                              << "STICK"
                                              << "photos/sub" << false << "data/photos/sub"
                                              << "/data";
    QTest::newRow("the top of a bind mount") << "ABCD"
                                             << "STICK"
                                             << "" << false << "my photos"
                                             << "/my photos/";
    QTest::newRow("the mount point itself") << "ABCD"
                                            << "STICK"
                                            << "" << false << ""
                                            << "/";
    QTest::newRow("no UUID, no label") << ""
                                       << ""
                                       << "photos" << false << "photos"
                                       << "/";
    QTest::newRow("a label with a blank") << "ABCD"
                                          << "MY\\x20STICK"
                                          << "photos" << false << "photos"
                                          << "/";
    QTest::newRow("the mount on top") << "EF01"
                                      << "TOP"
                                      << "photos" << true << "photos"
                                      << "/";
}

void TestVolumes::volumeOfAFolder()
{
    QFETCH(QString, uuid);
    QFETCH(QString, label);
    QFETCH(QString, below);
    QFETCH(bool, stacked);
    QFETCH(QString, folder);
    QFETCH(QString, mounted);
    mounts_->unmountAll();
    if (stacked)
        mounts_->mount(mountPoint(), "sdy1", "0000", "UNDER");
    mounts_->mount(mountPoint(), "sdz1", uuid, label, mounted);
    mounts_->mount(root() + "/elsewhere", "sdx1", "9999", "INNER"); // not above the folder
    const fs::VolumeFacts facts = fs::VolumeOf(mountPoint() + '/' + below);
    QCOMPARE(facts.mountPoint, mountPoint());
    QCOMPARE(facts.folder, folder);
    QCOMPARE(facts.uuid, uuid);
    QCOMPARE(facts.label, QString(label).replace("\\x20", " "));
    QCOMPARE(facts.type, QStringLiteral("vfat"));
    QCOMPARE(facts.device, dir_->filePath("system/dev/sdz1"));
    QCOMPARE(facts.space.total, qint64(64'000'000));
    QVERIFY(!fs::VolumeOf(mountPoint() + "/absent").found());
    // The system's own table, where the test's folder lies on some volume.
    fs::SetVolumeSource(std::nullopt);
    const fs::VolumeFacts system = fs::VolumeOf(dir_->path());
    QVERIFY(system.found());
    QVERIFY(QFileInfo(dir_->path()).canonicalFilePath().startsWith(system.mountPoint));
}

void TestVolumes::sameVolumeMountedElsewhere_data()
{
    QTest::addColumn<QString>("uuid"); // of the volume first mounted, and then of the other
    QTest::addColumn<QString>("otherUuid");
    QTest::addColumn<QString>("otherLabel");
    QTest::addColumn<bool>("same");
    QTest::addColumn<bool>("bind"); // mounted again as a bind mount of the catalogued folder
    QTest::newRow("by UUID, label changed") << "ABCD-1234"
                                            << "ABCD-1234"
                                            << "RENAMED" << true << false;
    QTest::newRow("no UUID: device and label") << ""
                                               << ""
                                               << "STICK" << true << false;
    QTest::newRow("another disk") << "ABCD-1234"
                                  << "FFFF-0000"
                                  << "STICK" << false << false;
    QTest::newRow("no UUID, another label") << ""
                                            << ""
                                            << "OTHER" << false << false;
    QTest::newRow("a bind mount of the folder") << "ABCD-1234"
                                                << "ABCD-1234"
                                                << "STICK" << true << true;
}

// A disk mounted elsewhere the next time is the same volume: its folder is found in step, its
// rows take the new path with their descriptions, and the volume keeps one row.
void TestVolumes::sameVolumeMountedElsewhere()
{
    QFETCH(QString, uuid);
    QFETCH(QString, otherUuid);
    QFETCH(QString, otherLabel);
    QFETCH(bool, same);
    QFETCH(bool, bind);
    Fixture f;
    mounts_->unmountAll();
    mounts_->mount(mountPoint(), "sdz1", uuid, "STICK");
    scan(f);
    const QStringList before = rows(f);
    const QString elsewhere = dir_->filePath("media/STICK");
    QVERIFY(QDir().mkpath(dir_->filePath("media")));
    // A bind mount shows the folder itself at the new place.
    const QString folder = bind ? elsewhere : elsewhere + "/photos";
    QVERIFY(QDir().rename(bind ? mountPoint() + "/photos" : mountPoint(), elsewhere));
    mounts_->unmountAll();
    mounts_->mount(elsewhere, "sdz1", otherUuid, otherLabel, bind ? "/photos" : "/");

    const Run run = runCommand(catalogue::RunRescan,
                               {"--rescan", folder, "--apply", "--database", f.dbPath});
    QCOMPARE(run.status, same ? 0 : 2);
    QCOMPARE(run.lines, QStringList());
    QCOMPARE(f.column("select count(*) from volumes"), QStringList{"1"});
    const QString movedTo = same ? elsewhere : mountPoint();
    QCOMPARE(f.column("select MountPoint from volumes"), QStringList{movedTo});
    QStringList after = rows(f);
    if (same)
        after.replaceInStrings(folder + "/", QString());
    QCOMPARE(after, before);
    if (same)
        QCOMPARE(f.column("select distinct Directory from fileprofile order by 1"),
                 QStringList({folder + "/", folder + "/sub/", folder + "/sub/deep/"}));
}

// A volume read again at another mount point, with another label, is one volume, brought up
// to date; it is found by its UUID, and by its label only as it stands.
void TestVolumes::volumeRecordedOnce()
{
    Fixture f;
    DeskConnection connection(f.dbPath);
    fs::VolumeFacts facts = fs::VolumeOf(root());
    const qint64 id = catalogue::RecordVolume(connection, facts);
    facts.mountPoint = "/media/elsewhere";
    facts.label = "NEW";
    QCOMPARE(catalogue::RecordVolume(connection, facts), id);
    const QList<catalogue::Volume> volumes = catalogue::ListVolumes(connection);
    QCOMPARE(volumes.size(), 1);
    QCOMPARE(volumes[0].shownName(), QStringLiteral("NEW"));
    QCOMPARE(volumes[0].uuid, QStringLiteral("ABCD-1234"));
    QCOMPARE(volumes[0].freeBytes, qint64(16'000'000));
    QCOMPARE(volumes[0].lastRead, QStringLiteral("2026-12-07T13:45:12"));
    QCOMPARE(catalogue::VolumesNamed(connection, "ABCD-1234").size(), 1);
    QVERIFY(catalogue::VolumesNamed(connection, "STICK").isEmpty());
}

// `corvina --rescan` on a terminal: its lines and its exit status.
class TestRescanCommand : public RescanCase
{
    Q_OBJECT
private slots:
    void init() { makeTree(); }
    void cleanup() { fs::SetVolumeSource(std::nullopt); }
    void exitStatus_data();
    void exitStatus();
};

void TestRescanCommand::exitStatus_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QStringList>("arguments"); // ROOT stands for the tree's top
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("output");
    QTest::addColumn<int>("statusAfter"); // of a rescan that follows, without --apply
    const QStringList root{"--rescan", "ROOT"};
    QTest::newRow("in step") << "" << root << 0 << QStringList() << 0;
    QTest::newRow("added, shown") << "write:e.txt:ee" << root << 1 << QStringList{"+ ROOT/e.txt"}
                                  << 1;
    QTest::newRow("added, applied") << "write:e.txt:ee" << root + QStringList{"--apply"} << 1
                                    << QStringList{"+ ROOT/e.txt"} << 0;
    QTest::newRow("removal kept") << "remove:b.md" << root + QStringList{"--apply"} << 1
                                  << QStringList{"- ROOT/b.md"} << 1;
    QTest::newRow("removal applied")
            << "remove:b.md" << root + QStringList{"--apply", "--remove-missing"} << 1
            << QStringList{"- ROOT/b.md"} << 0;
    QTest::newRow("by the volume's label")
            << "move:b.md:sub/b.md" << QStringList{"--rescan", "STICK", "--apply"} << 1
            << QStringList{"> ROOT/b.md -> ROOT/sub/b.md"} << 0;
    QTest::newRow("a name that would break the line")
            << "write:new\nline\x1b.txt:x" << root << 1 << QStringList{"+ ROOT/new\\nline\\x1b.txt"}
            << 1;
    QTest::newRow("a folder not catalogued")
            << "" << QStringList{"--rescan", "ROOT/sub"} << 2 << QStringList() << 0;
    QTest::newRow("an unknown volume")
            << "" << QStringList{"--rescan", "NOPE"} << 2 << QStringList() << 0;
    QTest::newRow("an unknown option")
            << "" << root + QStringList{"--bogus"} << 2 << QStringList() << 0;
}

void TestRescanCommand::exitStatus()
{
    QFETCH(QString, steps);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QStringList, output);
    QFETCH(int, statusAfter);
    Fixture f;
    scan(f);
    change(steps);
    arguments.replaceInStrings("ROOT", root());
    const Run run =
            runCommand(catalogue::RunRescan, arguments + QStringList{"--database", f.dbPath});
    QCOMPARE(run.status, status);
    QCOMPARE(run.lines, output.replaceInStrings("ROOT", root()));
    QCOMPARE(run.errors.isEmpty(), status != 2);
    const Run after =
            runCommand(catalogue::RunRescan, {"--rescan", root(), "--database", f.dbPath});
    QCOMPARE(after.status, statusAfter);
    // A database that is not there is an error, and nothing is made.
    const QString absent = f.dir() + "/absent.mdb";
    QCOMPARE(runCommand(catalogue::RunRescan, {"--rescan", root(), "--database", absent}).status,
             2);
    QVERIFY(!QFile::exists(absent));
}

REGISTER_TEST(TestRescan)
REGISTER_TEST(TestVolumes)
REGISTER_TEST(TestRescanCommand)
#include "tst_rescan.moc"
