#include "FakeMounts.h"
#include "Fixture.h"
#include "TestRegistry.h"
#include "app/session.h"
#include "catalogue/CatalogueSearch.h"
#include "catalogue/ScanCommand.h"
#include "catalogue/frmRescan.h"
#include "catalogue/frmShow.h"
#include "catalogue/frmVolumes.h"
#include "platform/db/DataControl.h"
#include "platform/ui/DataGrid.h"

#include <QBuffer>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTreeWidget>

#include <memory>

namespace {

// Two volumes as "Add Folder..." leaves them: the stick is mounted now (at a place of the
// test's own), the backup disk is not.
const char *const kStickUuid = "ABCD-1234";

void catalogueTwoVolumes(Fixture &f, const QString &stickAt)
{
    f.exec("INSERT INTO volumes (Uuid, Device, Label, FsType, TotalBytes, FreeBytes, MountPoint, "
           "LastRead) VALUES (?, '/dev/sdz1', 'STICK', 'vfat', 64000000, 16000000, ?, "
           "'2026-12-01T10:00:00')",
           {kStickUuid, stickAt});
    f.exec("INSERT INTO volumes (Uuid, Device, Label, FsType, TotalBytes, FreeBytes, MountPoint, "
           "LastRead) VALUES ('FFFF-0000', '/dev/sdy1', 'BACKUP', 'ext4', 500000000, 100, "
           "'/media/backup', '2026-11-02T08:00:00')");
    const QString stick = f.column("SELECT VolumeId FROM volumes WHERE Label = 'STICK'")[0];
    const QString backup = f.column("SELECT VolumeId FROM volumes WHERE Label = 'BACKUP'")[0];
    const QString photos = stickAt + "/photos";
    f.exec("INSERT INTO volumefolders (VolumeId, Folder, FolderPath, Pattern, Subfolders, "
           "LastRead, Files, Bytes) VALUES (?, 'photos', ?, '*.*', 1, '2026-12-01T10:00:00', 5, "
           "5000)",
           {stick, photos});
    f.exec("INSERT INTO volumefolders (VolumeId, Folder, FolderPath, Pattern, Subfolders, "
           "LastRead, Files, Bytes) VALUES (?, 'docs', '/media/backup/docs', '*.*', 1, "
           "'2026-11-02T08:00:00', 1, 2000)",
           {backup});
    // Each "volume|directory|name"; the directory as the rows keep it, a separator at its end.
    const QStringList files{"S|photos/|a.jpg",
                            "S|photos/2024/|b.jpg",
                            "S|photos/2024/March/|c.jpg",
                            "S|photos/2024 old/|d.jpg",
                            "S|photos/\U0001D11E/|e.mid",
                            "B|/media/backup/docs/|x.pdf",
                            "B|/media/backup/other/|y.pdf"};
    for (const QString &file : files) {
        const QStringList cells = file.split('|');
        const bool onStick = cells[0] == "S";
        const QString directory = onStick ? stickAt + '/' + cells[1] : cells[1];
        f.exec("INSERT INTO fileprofile (FileName, FilePath, Directory, VolumeId) VALUES (?, ?, "
               "?, ?)",
               {cells[2], directory + cells[2], directory, onStick ? stick : backup});
    }
    // A file taken on its own belongs to no volume.
    f.exec("INSERT INTO fileprofile (FileName, FilePath, Directory) VALUES ('z.txt', "
           "'/home/z.txt', '/home/')");
}

QStringList lines(const QTreeWidget *tree, QList<int> columns)
{
    QStringList shown;
    std::function<void(QTreeWidgetItem *, int)> walk = [&](QTreeWidgetItem *item, int depth) {
        QStringList cells;
        for (int column : columns)
            cells << item->text(column);
        shown << QString(depth * 2, ' ') + cells.join(" | ");
        for (int child = 0; child < item->childCount(); ++child)
            walk(item->child(child), depth + 1);
    };
    for (int top = 0; top < tree->topLevelItemCount(); ++top)
        walk(tree->topLevelItem(top), 0);
    return shown;
}

QTreeWidgetItem *itemNamed(QTreeWidget *tree, const QString &name)
{
    const QList<QTreeWidgetItem *> found =
            tree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    return found.size() == 1 ? found[0] : nullptr;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(bytes);
}

QStringList shownNames(const frmShow &browser)
{
    QStringList names;
    for (int row = 0; row < browser.AdoFile->model()->rowCount(); ++row)
        names << browser.AdoFile->model()
                         ->index(row, browser.AdoFile->FieldIndex("FileName"))
                         .data()
                         .toString();
    names.sort();
    return names;
}

} // namespace

// The volumes window: what it lists of each volume and its folders, the browser shown on a
// folder, and renaming and removing a volume.
class TestVolumeWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void listsVolumesAndFolders_data();
    void listsVolumesAndFolders();
    void showsAFoldersFiles_data();
    void showsAFoldersFiles();
    void renamesAndRemoves_data();
    void renamesAndRemoves();
    void rescanListsThenApplies_data();
    void rescanListsThenApplies();
    void browserNamesAndFiltersVolumes_data();
    void browserNamesAndFiltersVolumes();
    void findPrintsAndFiltersVolumes_data();
    void findPrintsAndFiltersVolumes();

private:
    QString stickAt() const { return dir_->filePath("mnt/stick"); }

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<FakeMounts> mounts_;
};

void TestVolumeWindow::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QDir().mkpath(stickAt());
    mounts_ = std::make_unique<FakeMounts>(dir_->filePath("system"));
    mounts_->mount(stickAt(), "sdz1", kStickUuid, "STICK");
    fs::SetVolumeSource(mounts_->source());
}

void TestVolumeWindow::cleanup()
{
    fs::SetVolumeSource(std::nullopt);
}

void TestVolumeWindow::listsVolumesAndFolders_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QStringList>("folders");
    QTest::newRow("online volume") << "STICK"
                                   << QStringList{"photos | 5", "  2024 | ", "    March | ",
                                                  "  2024 old | ", "  \U0001D11E | "};
    // Browsed from the catalogue alone, the disk being offline; a row outside the catalogued
    // folders stands at the top.
    QTest::newRow("offline volume")
            << "BACKUP" << QStringList{"/media/backup/docs | 1", "/media/backup/other | "};
}

void TestVolumeWindow::listsVolumesAndFolders()
{
    QFETCH(QString, chosen);
    QFETCH(QStringList, folders);
    Fixture f;
    f.setUp();
    catalogueTwoVolumes(f, stickAt());
    frmVolumes window;
    window.Form_Load();
    QCOMPARE(lines(window.lstVolumes, {0, 1, 2, 3, 4, 5, 7}),
             (QStringList{"STICK | vfat | 61.0 MB | 15.3 MB | 5 | 4.9 kB | Online at " + stickAt(),
                          "BACKUP | ext4 | 476.8 MB | 100 bytes | 2 | 2.0 kB | Offline"}));
    window.lstVolumes->setCurrentItem(itemNamed(window.lstVolumes, chosen));
    QStringList expected = folders;
    if (chosen == "STICK")
        expected[0] = stickAt() + "/" + folders[0];
    QCOMPARE(lines(window.tvwFolders, {0, 1}), expected);
    QVERIFY(window.cmdShowFiles->isEnabled());
    VERIFY_CLEAN(f);
}

void TestVolumeWindow::showsAFoldersFiles_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("fromMenu");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("catalogued folder")
            << "photos" << false << QStringList{"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.mid"};
    // "2024 old" begins with "2024" but is not below it.
    QTest::newRow("folder below") << "2024" << false << QStringList{"b.jpg", "c.jpg"};
    QTest::newRow("folder of four-byte letters") << "\U0001D11E" << false << QStringList{"e.mid"};
    QTest::newRow("opened from the menu") << "March" << true << QStringList{"c.jpg"};
}

void TestVolumeWindow::showsAFoldersFiles()
{
    QFETCH(QString, folder);
    QFETCH(bool, fromMenu);
    QFETCH(QStringList, names);
    Fixture f;
    f.setUp();
    catalogueTwoVolumes(f, stickAt());
    const QString name = folder == "photos" ? stickAt() + "/photos" : folder;
    auto pick = [&](frmVolumes *window) {
        window->ensureLoaded();
        window->lstVolumes->setCurrentItem(itemNamed(window->lstVolumes, "STICK"));
        QTreeWidgetItem *item = itemNamed(window->tvwFolders, name);
        if (!item)
            return -1;
        window->tvwFolders->setCurrentItem(item);
        QTest::keyClick(window->tvwFolders, Qt::Key_Return);
        return window->result();
    };
    QStringList shown;
    if (fromMenu) {
        f.ui.onModal("frmShow", [&](QWidget *window) {
            auto *browser = static_cast<frmShow *>(window);
            browser->ensureLoaded();
            shown = shownNames(*browser);
            return 0;
        });
        frmVolumes window;
        pick(&window);
    } else {
        frmShow browser;
        browser.Form_Load();
        f.ui.onModal("frmVolumes",
                     [&](QWidget *window) { return pick(static_cast<frmVolumes *>(window)); });
        browser.cmdVolumes->click();
        shown = shownNames(browser);
        QVERIFY2(browser.Label14->text().contains("STICK: "), qPrintable(browser.Label14->text()));
    }
    QCOMPARE(shown, names);
    VERIFY_CLEAN(f);
}

void TestVolumeWindow::renamesAndRemoves_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("volumes");
    QTest::addColumn<int>("stickRows");
    // The label stays on the disk's record, so that the disk is still known again by it.
    QTest::newRow("renamed") << "rename"
                             << "Holiday photos"
                             << QStringList{"Holiday photos|STICK", "BACKUP|BACKUP"} << 5;
    QTest::newRow("rename left empty") << "rename"
                                       << "" << QStringList{"STICK|STICK", "BACKUP|BACKUP"} << 5;
    QTest::newRow("removed") << "remove"
                             << "yes" << QStringList{"BACKUP|BACKUP"} << 0;
    QTest::newRow("removal refused") << "remove"
                                     << "no" << QStringList{"STICK|STICK", "BACKUP|BACKUP"} << 5;
}

void TestVolumeWindow::renamesAndRemoves()
{
    QFETCH(QString, action);
    QFETCH(QString, answer);
    QFETCH(QStringList, volumes);
    QFETCH(int, stickRows);
    Fixture f;
    f.setUp();
    catalogueTwoVolumes(f, stickAt());
    f.exec("INSERT INTO tempfile (FileName, FilePath, VolumeId) SELECT 'n.jpg', '/n.jpg', "
           "VolumeId FROM volumes WHERE Label = 'STICK'");
    frmVolumes window;
    window.Form_Load();
    window.lstVolumes->setCurrentItem(itemNamed(window.lstVolumes, "STICK"));
    if (action == "rename") {
        f.ui.input(answer);
        window.cmdRename->click();
    } else {
        f.ui.answer(answer == "yes" ? vbYes : vbNo);
        window.cmdRemove->click();
    }
    QStringList listed;
    for (int at = 0; at < window.lstVolumes->topLevelItemCount(); ++at)
        listed << window.lstVolumes->topLevelItem(at)->text(0);
    QStringList stored = f.column("SELECT coalesce(Name, Label) || '|' || Label FROM volumes "
                                  "ORDER BY VolumeId");
    QCOMPARE(stored, volumes);
    for (QString &volume : stored)
        volume = volume.section('|', 0, 0);
    QCOMPARE(listed, stored);
    const QString stick = "SELECT count(*) FROM %1 WHERE FilePath LIKE '%stick%' OR FilePath = "
                          "'/n.jpg'";
    QCOMPARE(f.column(stick.arg("fileprofile"))[0].toInt(), stickRows);
    QCOMPARE(f.column(stick.arg("tempfile"))[0].toInt(), stickRows > 0 ? 1 : 0);
    // The other volume's rows and the file taken on its own are kept.
    QCOMPARE(f.column("SELECT count(*) FROM fileprofile WHERE FilePath NOT LIKE '%stick%'")[0],
             "3");
    QCOMPARE(f.column("SELECT count(*) FROM volumefolders")[0].toInt(), volumes.size());
    VERIFY_CLEAN(f);
}

void TestVolumeWindow::rescanListsThenApplies_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QStringList>("rows");
    const QStringList found{"Changed | b.txt | ", "Removed | c.txt | ", "Moved | sub/a.txt | a.txt",
                            "Added | z.txt | "};
    const QStringList before{"a.txt|about a.txt", "b.txt|about b.txt", "c.txt|about c.txt"};
    // A move and a change keep what the rows said of their files.
    QTest::newRow("all applied") << "all" << found
                                 << QStringList{"b.txt|about b.txt", "sub/a.txt|about a.txt",
                                                "z.txt|"};
    QTest::newRow("removal unchecked") << "keep removal" << found
                                       << QStringList{"b.txt|about b.txt", "c.txt|about c.txt",
                                                      "sub/a.txt|about a.txt", "z.txt|"};
    QTest::newRow("removal refused") << "refuse" << found << before;
    QTest::newRow("cancelled") << "cancel" << QStringList() << before;
    QTest::newRow("volume offline") << "offline" << QStringList() << before;
}

void TestVolumeWindow::rescanListsThenApplies()
{
    QFETCH(QString, how);
    QFETCH(QStringList, listed);
    QFETCH(QStringList, rows);
    Fixture f;
    f.setUp();
    const QString root = stickAt() + "/docs";
    for (const char *name : {"a.txt", "b.txt", "c.txt"})
        writeFile(root + '/' + name, "one");
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QString errors;
    QTextStream err(&errors);
    QCOMPARE(catalogue::RunScan({"corvina", "--scan", root, "--database", f.dbPath}, out, err), 0);
    f.exec("UPDATE fileprofile SET FileDesc = 'about ' || FileName");
    writeFile(root + "/b.txt", "longer");
    QVERIFY(QFile::remove(root + "/c.txt"));
    QDir().mkpath(root + "/sub");
    QVERIFY(QFile::rename(root + "/a.txt", root + "/sub/a.txt"));
    writeFile(root + "/z.txt", "new");
    if (how == "offline")
        mounts_->unmountAll();
    if (how == "cancel")
        f.ui.cancelProgressAt(0);

    ReopenConnection();
    frmRescan window;
    window.Volume = catalogue::ListVolumes(SharedConnection()).constFirst();
    window.Folder = catalogue::FoldersOf(SharedConnection(), window.Volume.id).constFirst();
    window.Form_Load();
    QStringList shown = lines(window.lstChanges, {0, 1, 2});
    for (QString &line : shown)
        line.replace(root + '/', QString());
    QCOMPARE(shown, listed);
    QCOMPARE(window.cmdApply->isEnabled(), !listed.isEmpty());
    if (how == "keep removal")
        window.lstChanges->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    if (how == "all" || how == "refuse")
        f.ui.answer(how == "all" ? vbYes : vbNo);
    if (how == "all" || how == "keep removal" || how == "refuse") {
        if (how != "refuse")
            f.ui.answer(vbOK); // what was applied
        window.cmdApply->click();
    }
    QStringList stored = f.column("SELECT FilePath || '|' || coalesce(FileDesc, '') FROM "
                                  "fileprofile ORDER BY FilePath");
    for (QString &row : stored)
        row.replace(root + '/', QString());
    QCOMPARE(stored, rows);
    if (how == "all")
        QVERIFY2(window.lblSummary->text().startsWith("The catalogue is in step"),
                 qPrintable(window.lblSummary->text()));
    VERIFY_CLEAN(f);
}

void TestVolumeWindow::browserNamesAndFiltersVolumes_data()
{
    QTest::addColumn<QString>("volume"); // the volume filter's entry; empty for all
    QTest::addColumn<QString>("search");
    QTest::addColumn<QStringList>("rows"); // "name | volume" as the grid shows them
    const QString stick = "STICK (online)";
    const QString backup = "BACKUP (offline)";
    QTest::newRow("every volume") << ""
                                  << "" << QStringList{"a.jpg | " + stick,  "b.jpg | " + stick,
                                                       "c.jpg | " + stick,  "d.jpg | " + stick,
                                                       "e.mid | " + stick,  "x.pdf | " + backup,
                                                       "y.pdf | " + backup, "z.txt | "};
    QTest::newRow("an offline volume")
            << backup << "" << QStringList{"x.pdf | " + backup, "y.pdf | " + backup};
    QTest::newRow("a volume and a search") << stick << "C" << QStringList{"c.jpg | " + stick};
    QTest::newRow("a search outside the volume") << backup << "a" << QStringList{};
}

// The grid names each row's volume, and whether it is mounted, before its folder; the volume
// filter narrows the grid and the search alike.
void TestVolumeWindow::browserNamesAndFiltersVolumes()
{
    QFETCH(QString, volume);
    QFETCH(QString, search);
    QFETCH(QStringList, rows);
    Fixture f;
    f.setUp();
    catalogueTwoVolumes(f, stickAt());
    frmShow browser;
    browser.Form_Load();
    QStringList entries;
    for (int at = 0; at < browser.cboVolList->count(); ++at)
        entries << browser.cboVolList->itemText(at);
    QCOMPARE(entries, (QStringList{"[All Volumes]", "STICK (online)", "BACKUP (offline)"}));
    if (!volume.isEmpty()) {
        browser.cboVolList->setCurrentIndex(browser.cboVolList->findText(volume));
        browser.cboVolList_Click();
    }
    browser.txtSearch->setText(search);
    const int volumeAt = browser.AdoFile->FieldIndex("VolumeId");
    const int nameAt = browser.AdoFile->FieldIndex("FileName");
    QStringList shown;
    for (int row = 0; row < browser.AdoFile->model()->rowCount(); ++row)
        shown << ShownText(browser.DataGrid1, row, nameAt) + " | "
                        + ShownText(browser.DataGrid1, row, volumeAt);
    shown.sort();
    QCOMPARE(shown, rows);
    QHeaderView *header = browser.DataGrid1->horizontalHeader();
    QVERIFY(!browser.DataGrid1->isColumnHidden(volumeAt));
    QCOMPARE(browser.AdoFile->model()->headerData(volumeAt, Qt::Horizontal).toString(), "Volume");
    QCOMPARE(header->visualIndex(volumeAt) + 1,
             header->visualIndex(browser.AdoFile->FieldIndex("Directory")));
    VERIFY_CLEAN(f);
}

void TestVolumeWindow::findPrintsAndFiltersVolumes_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("output"); // or the error's words
    QTest::newRow("each row's volume")
            << QStringList{"--find", "", "--field", "name"} << 0
            << "photos/a.jpg\t\tSTICK\tonline\n|photos/2024/b.jpg\t\tSTICK\tonline\n|"
               "photos/2024/March/c.jpg\t\tSTICK\tonline\n|photos/2024 "
               "old/d.jpg\t\tSTICK\tonline\n|"
               "photos/\U0001D11E/e.mid\t\tSTICK\tonline\n|/media/backup/docs/"
               "x.pdf\t\tBACKUP\toffline\n|"
               "/media/backup/other/y.pdf\t\tBACKUP\toffline\n|/home/z.txt\t\t\t\n";
    QTest::newRow("by label") << QStringList{"--find", "", "--volume", "BACKUP"} << 0
                              << "/media/backup/docs/x.pdf\t\tBACKUP\toffline\n|"
                                 "/media/backup/other/y.pdf\t\tBACKUP\toffline\n";
    QTest::newRow("by UUID, with a search") << QStringList{"--find", "C", "--volume", kStickUuid}
                                            << 0 << "photos/2024/March/c.jpg\t\tSTICK\tonline\n";
    QTest::newRow("nothing on that volume")
            << QStringList{"--find", "x", "--volume", "STICK"} << 1 << "";
    QTest::newRow("no such volume") << QStringList{"--find", "", "--volume", "NONE"} << 2
                                    << "corvina: no catalogued volume is named 'NONE'\n";
}

// --find prints each match's volume and whether it is mounted, and --volume narrows it to the
// rows of a volume known by its name, label or UUID.
void TestVolumeWindow::findPrintsAndFiltersVolumes()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, output);
    Fixture f;
    f.setUp();
    catalogueTwoVolumes(f, stickAt());
    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    QString errors;
    QTextStream err(&errors);
    QCOMPARE(catalogue::RunFind(QStringList{"corvina"} + arguments
                                        + QStringList{"--database", f.dbPath},
                                out, err),
             status);
    QStringList printed = QString::fromUtf8(bytes).split('\n', Qt::SkipEmptyParts);
    for (QString &line : printed)
        line = line.replace(stickAt() + '/', QString()) + '\n';
    if (status == 2)
        QCOMPARE(errors, output);
    else
        QCOMPARE(printed.join('|'), output);
}

REGISTER_TEST(TestVolumeWindow)
#include "tst_volumewindow.moc"
