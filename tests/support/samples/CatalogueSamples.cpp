// Sample content of the windows of the file catalogue, for their pictures.

#include "Samples.h"

#include "FakeMounts.h"
#include "SampleTree.h"
#include "app/modGlobals.h"
#include "app/session.h"
#include "catalogue/frmAdd.h"
#include "catalogue/frmDuplicates.h"
#include "catalogue/frmFileMgr.h"
#include "catalogue/frmGet.h"
#include "catalogue/frmGroups.h"
#include "catalogue/frmPatterns.h"
#include "catalogue/frmRescan.h"
#include "catalogue/frmSearch.h"
#include "catalogue/frmShow.h"
#include "catalogue/frmVolumes.h"
#include "platform/db/DataControl.h"
#include "platform/ui/FileLists.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>

namespace {

void typedGroup(QWidget *window)
{
    static_cast<frmGroups *>(window)->PName->setText(QStringLiteral("Rust"));
}

void typedPattern(QWidget *window)
{
    static_cast<frmPatterns *>(window)->PName->setText(QStringLiteral("*.md"));
}

// The browser with its first row shown in the detail panel.
void firstRowShown(QWidget *window)
{
    auto *browser = static_cast<frmShow *>(window);
    browser->DataGrid1_DblClick();
}

// A small project folder to browse in the pictures of the file panels.
QString sampleFolder()
{
    static QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("projects/parser"));
    if (!QDir(folder).exists()) {
        for (const char *sub : {"docs", "tests", "tools"})
            QDir().mkpath(folder + QLatin1Char('/') + QLatin1String(sub));
        for (const char *name :
             {"grammar.txt", "lexer.py", "parser.py", "README.txt", "setup.py", "tokens.py"}) {
            QFile file(folder + QLatin1Char('/') + QLatin1String(name));
            if (file.open(QIODevice::WriteOnly))
                file.write("# sample\n");
        }
    }
    return QDir::toNativeSeparators(folder);
}

void pickerOverImport(QWidget *window)
{
    const QString folder = sampleFolder();
    PickerCaller = 2;
    SelectedFileName = QStringLiteral("parser.py");
    SelectedDirectory = folder + QDir::separator();
    SelectedFilePath = folder + QDir::separator() + SelectedFileName;
    auto *picker = static_cast<frmGet *>(window);
    picker->ensureLoaded();
    picker->File1->setFileName(SelectedFileName);
    picker->File1_Click();
}

void stagedFiles(QWidget *window)
{
    struct Staged
    {
        const char *name;
        const char *description;
        const char *group;
        const char *site;
    };
    const Staged rows[] = {
            {"lexer.py", "Tokeniser for the expression language", "Python", "Code Harbour"},
            {"parser.py", "Recursive descent parser", "Python", "Code Harbour"},
            {"grammar.txt", "The grammar in EBNF", "Documents", "Code Harbour"},
            {"btree.c", "B-tree with deletion", "C", "Northwind Labs"},
            {"btree.h", "B-tree interface", "C", "Northwind Labs"},
            {"report.sql", "Monthly sales report query", "SQL", "Open Archive"},
            {"backup.sh", "Nightly backup of the home folders", "Shell", "Tern Tools"},
    };
    const QString folder = sampleFolder();
    ReopenConnection();
    for (const Staged &row : rows) {
        const QString name = QString::fromLatin1(row.name);
        RunCommand(QStringLiteral("INSERT INTO tempfile (FileDate, FileName, FileDesc, FileGroup, "
                                  "WebSiteName, WebAddress, Author, Email, Drive, FilePath, "
                                  "Directory, FileIndex) VALUES ('07/12/2026', ?, ?, ?, ?, ?, "
                                  "'Ada Byron', 'ada@example.org', ?, ?, ?, 2)"),
                   {name, QString::fromLatin1(row.description), QString::fromLatin1(row.group),
                    QString::fromLatin1(row.site),
                    QStringLiteral("https://www.example.org/") + QString::fromLatin1(row.site),
                    DriveListBox::volumeOf(folder), folder + QDir::separator() + name,
                    folder + QDir::separator()});
    }
    auto *add = static_cast<frmAdd *>(window);
    add->ensureLoaded();
    add->Dir1->setPath(folder);
    add->chkGrpName->setChecked(true);
    add->chkAuthor->setChecked(true);
    add->cboGrpName->setCurrentText(QStringLiteral("Python"));
    add->txtAuthor->setText(QStringLiteral("Ada Byron"));
    add->File1->setFileName(QStringLiteral("tokens.py"));
    add->File1_Click();
    add->cmdOK_Click();
    add->txtFileDesc->setText(QStringLiteral("Token kinds and their names"));
}

void editingStagedRow(QWidget *window)
{
    auto *add = static_cast<frmAdd *>(window);
    add->ClearFileInformation();
    add->AdoFile->setCurrentRow(3);
    add->DataGrid1_DblClick();
}

// The browser's hand-over for a file found in several folders of the sample tree.
void fileToManage(QWidget *window)
{
    SelectedFileName = QStringLiteral("readme.txt");
    SelectedDirectory = SampleTree();
    auto *manager = static_cast<frmFileMgr *>(window);
    manager->ensureLoaded();
    manager->Form_Activate();
}

void searchedFiles(QWidget *window)
{
    auto *search = static_cast<frmSearch *>(window);
    search->ensureLoaded();
    search->Text1->setText(QStringLiteral("*.txt"));
    search->Dir1->setPath(SampleTree());
    search->cmdFind_Click();
}

// Copies of a few files in the catalogue: an archive kept in three places, a manual and a logo
// in two and four.
void catalogueCopies(QWidget *window)
{
    struct Copy
    {
        const char *path;
        const char *group;
        const char *site;
        qint64 size;
        char sum;
    };
    const Copy copies[] = {
            {"/home/ada/downloads/parser-2.4.tar.gz", "Archives", "Code Harbour", 13002342, 'a'},
            {"/home/ada/src/parser/dist/parser-2.4.tar.gz", "Archives", "Code Harbour", 13002342,
             'a'},
            {"/media/backup/downloads/parser-2.4.tar.gz", "Archives", "Code Harbour", 13002342,
             'a'},
            {"/home/ada/docs/btree-manual.pdf", "Documents", "Northwind Labs", 2411724, 'b'},
            {"/media/backup/docs/btree-manual.pdf", "Documents", "Northwind Labs", 2411724, 'b'},
            {"/home/ada/src/parser/docs/logo.png", "Images", "Tern Tools", 38912, 'c'},
            {"/home/ada/src/lexer/docs/logo.png", "Images", "Tern Tools", 38912, 'c'},
            {"/home/ada/web/img/logo.png", "Images", "Tern Tools", 38912, 'c'},
            {"/media/backup/web/img/logo.png", "Images", "Tern Tools", 38912, 'c'},
    };
    ReopenConnection();
    for (const Copy &copy : copies) {
        const QString path = QDir::toNativeSeparators(QString::fromLatin1(copy.path));
        RunCommand(QStringLiteral("INSERT INTO fileprofile (FileName, FilePath, Directory, "
                                  "FileGroup, WebSiteName, FSize, Checksum) VALUES (?, ?, ?, ?, ?, "
                                  "?, ?)"),
                   {QFileInfo(path).fileName(), path, QFileInfo(path).path() + QDir::separator(),
                    QString::fromLatin1(copy.group), QString::fromLatin1(copy.site),
                    QString::number(copy.size), QString(64, QLatin1Char(copy.sum))});
    }
    static_cast<frmDuplicates *>(window)->ensureLoaded();
}

// Two catalogued volumes: a stick mounted now, which the sample tree stands for, and a backup
// disk that is not. The stick's rows are as the disk was before four changes: build.log moved
// to the top, setup.py grew, data.csv is new and plan.txt is gone.
void catalogueVolumes()
{
    static QTemporaryDir system;
    static FakeMounts mounts(system.path());
    const QString tree = SampleTree();
    const QString stick = QFileInfo(tree).path();
    static const bool mounted = [&] {
        mounts.mount(stick, QStringLiteral("sdb1"), QStringLiteral("2F1C-9A0B"),
                     QStringLiteral("PHOTOS"));
        return true;
    }();
    Q_UNUSED(mounted);
    fs::SetVolumeSource(mounts.source());
    ReopenConnection();
    if (!catalogue::ListVolumes(SharedConnection()).isEmpty())
        return;
    RunCommand(QStringLiteral("INSERT INTO volumes (Uuid, Device, Label, FsType, TotalBytes, "
                              "FreeBytes, MountPoint, LastRead) VALUES ('2F1C-9A0B', '/dev/sdb1', "
                              "'PHOTOS', 'vfat', 64000000, 16000000, ?, '2026-12-08T18:42:10')"),
               {stick});
    RunCommand(QStringLiteral("INSERT INTO volumes (Uuid, Device, Label, FsType, TotalBytes, "
                              "FreeBytes, MountPoint, LastRead, Name) VALUES ('5b3e0c2a-77d1', "
                              "'/dev/sdc1', 'BACKUP', 'ext4', 2000398934016, 812345678901, "
                              "'/media/ada/BACKUP', '2026-11-20T09:15:00', 'Backup 2 TB')"));
    const QList<catalogue::Volume> volumes = catalogue::ListVolumes(SharedConnection());
    const qint64 stickId = volumes[0].id;
    const qint64 backupId = volumes[1].id;
    RunCommand(QStringLiteral("INSERT INTO volumefolders (VolumeId, Folder, FolderPath, Pattern, "
                              "Subfolders, LastRead, Files, Bytes) VALUES (?, 'projects', ?, "
                              "'*.*', 1, '2026-12-08T18:42:10', 14, 112)"),
               {stickId, tree});
    RunCommand(QStringLiteral("INSERT INTO volumefolders (VolumeId, Folder, FolderPath, Pattern, "
                              "Subfolders, LastRead, Files, Bytes) VALUES (?, 'photos', "
                              "'/media/ada/BACKUP/photos', '*.jpg', 1, '2026-11-20T09:15:00', "
                              "3, 9437184)"),
               {backupId});
    const QStringList stickFiles{"readme.txt",          "notes.txt",           "old/build.log",
                                 "alpha/readme.txt",    "alpha/main.c",        "alpha/main.h",
                                 "alpha/todo.txt",      "beta/readme.txt",     "beta/setup.py",
                                 "beta/docs/guide.txt", "beta/docs/readme.md", "beta/docs/faq.txt",
                                 "gamma/report.txt",    "gamma/plan.txt"};
    const qint64 modified = QFileInfo(QDir(tree).filePath(QStringLiteral("readme.txt")))
                                    .lastModified()
                                    .toSecsSinceEpoch();
    for (const QString &file : stickFiles) {
        const QString path = QDir::toNativeSeparators(QDir(tree).filePath(file));
        RunCommand(QStringLiteral("INSERT INTO fileprofile (FileName, FilePath, Directory, "
                                  "FileGroup, FSize, Modified, VolumeId) VALUES (?, ?, ?, "
                                  "'Projects', ?, ?, ?)"),
                   {QFileInfo(path).fileName(), path, QFileInfo(path).path() + QDir::separator(),
                    file.endsWith(QLatin1String("setup.py")) ? QStringLiteral("5")
                                                             : QStringLiteral("8"),
                    modified, stickId});
    }
    for (const char *photo : {"2019/harbour.jpg", "2019/lighthouse.jpg", "2021/alps/lake.jpg"}) {
        const QString path = QStringLiteral("/media/ada/BACKUP/photos/") + QLatin1String(photo);
        RunCommand(QStringLiteral("INSERT INTO fileprofile (FileName, FilePath, Directory, "
                                  "FileGroup, FSize, VolumeId) VALUES (?, ?, ?, 'Photos', "
                                  "'3145728', ?)"),
                   {QFileInfo(path).fileName(), path, QFileInfo(path).path() + QLatin1Char('/'),
                    backupId});
    }
}

void volumesListed(QWidget *window)
{
    catalogueVolumes();
    static_cast<frmVolumes *>(window)->ensureLoaded();
}

// The browser over both volumes' files: each row names its volume and whether it is mounted.
void volumesInBrowser(QWidget *window)
{
    catalogueVolumes();
    auto *browser = static_cast<frmShow *>(window);
    browser->LoadVolList();
    CatalogueChanged = true;
    browser->Form_Activate();
}

void stickRescanned(QWidget *window)
{
    catalogueVolumes();
    auto *rescan = static_cast<frmRescan *>(window);
    rescan->Volume = catalogue::ListVolumes(SharedConnection()).constFirst();
    rescan->Folder = catalogue::FoldersOf(SharedConnection(), rescan->Volume.id).constFirst();
    rescan->ensureLoaded();
}

} // namespace

WindowSamples CatalogueSamples()
{
    return {
            {QStringLiteral("frmGroups"), {typedGroup, {}}},
            {QStringLiteral("frmPatterns"), {typedPattern, {}}},
            {QStringLiteral("frmShow"),
             {{},
              {{QStringLiteral("detail"), firstRowShown},
               {QStringLiteral("volumes"), volumesInBrowser}}}},
            {QStringLiteral("frmGet"), {pickerOverImport, {}}},
            {QStringLiteral("frmAdd"), {stagedFiles, {{QStringLiteral("edit"), editingStagedRow}}}},
            {QStringLiteral("frmFileMgr"), {fileToManage, {}}},
            {QStringLiteral("frmSearch"), {searchedFiles, {}}},
            {QStringLiteral("frmDuplicates"), {catalogueCopies, {}}},
            {QStringLiteral("frmVolumes"), {volumesListed, {}}},
            {QStringLiteral("frmRescan"), {stickRescanned, {}}},
    };
}
