#include "catalogue/frmFileMgr.h"

#include "app/CLog.h"
#include "app/CUtils.h"
#include "app/modGlobals.h"
#include "app/session.h"
#include "catalogue/DiskSearchControls.h"
#include "catalogue/DiskWalk.h"
#include "platform/db/Transaction.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Fields.h"
#include "platform/ui/FileLists.h"
#include "platform/ui/ToolBar.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kNotFoundInCatalogue = QStringLiteral("File Not Found in Database!");

// A new name stays a plain name in the same folder: no separator, no way up, no name that
// would stand for anything but the one file.
bool plainName(const QString &name)
{
    return !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'))
            && !name.contains(QStringLiteral("..")) && name != QLatin1String(".");
}

} // namespace

frmFileMgr::frmFileMgr(QWidget *parent)
    : FormDialog(parent)
    , tbrMain2(DiskSearchToolBar(this))
    , Text1(NamedTextBox(QStringLiteral("Text1"), this))
    , Drive1(Named(new DriveListBox(this), QStringLiteral("Drive1")))
    , Dir1(Named(new DirListBox(this), QStringLiteral("Dir1")))
    , File1(Named(new FileListBox(this), QStringLiteral("File1")))
    , List1(FoundList(this))
    , Label4(FoundCount(this))
    , txtpath(NamedTextBox(QStringLiteral("txtpath"), this))
    , txtFileName(NamedTextBox(QStringLiteral("txtFileName"), this))
    , cmdRename(NamedButton(QStringLiteral("cmdRename"), QStringLiteral("&Rename"), this))
    , cmdErase(NamedButton(QStringLiteral("cmdErase"), QStringLiteral("&Delete"), this))
    , cmdClose(NamedButton(QStringLiteral("cmdClose"), QStringLiteral("C&lose"), this))
{
    setObjectName(QStringLiteral("frmFileMgr"));
    setWindowTitle(QStringLiteral("File Manager"));
    // What Rename and Delete act on comes from the search, never from typing.
    txtpath->setReadOnly(true);
    txtFileName->setReadOnly(true);
    layOut();
    connectHandlers();
}

// The name looked for, the folders and their files, the files found and the one chosen.
void frmFileMgr::layOut()
{
    auto *name = new QHBoxLayout;
    name->addWidget(FieldLabel(QStringLiteral("File Name (&Searched):"), Text1, this));
    name->addWidget(Text1, 1);

    QVBoxLayout *folders = StartFolderColumn(Drive1, Dir1, this);
    auto *files = new QVBoxLayout;
    files->addWidget(FieldLabel(QStringLiteral("Files &in Directory:"), File1, this));
    files->addWidget(File1, 1);
    auto *browse = new QHBoxLayout;
    browse->addLayout(folders, 1);
    browse->addLayout(files, 1);

    QHBoxLayout *count = FoundCountRow(List1, Label4, this);

    auto *found = new QGridLayout;
    found->addWidget(FieldLabel(QStringLiteral("File &Path:"), txtpath, this), 0, 0);
    found->addWidget(txtpath, 0, 1);
    found->addWidget(FieldLabel(QStringLiteral("File &Name:"), txtFileName, this), 1, 0);
    found->addWidget(txtFileName, 1, 1);
    found->setColumnStretch(1, 1);

    auto *body = new QVBoxLayout;
    body->setContentsMargins(10, 8, 10, 10);
    body->addLayout(name);
    body->addSpacing(4);
    body->addLayout(browse, 3);
    body->addSpacing(4);
    body->addLayout(count);
    body->addWidget(List1, 2);
    body->addLayout(found);
    body->addLayout(ButtonRow({cmdRename, cmdErase, cmdClose}));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tbrMain2);
    layout->addLayout(body, 1);
    resize(720, 600);
}

void frmFileMgr::connectHandlers()
{
    connect(Drive1, &DriveListBox::driveChanged, this, &frmFileMgr::Drive1_Change);
    connect(Dir1, &DirListBox::pathChanged, this, [this](const QString &path) {
        const QSignalBlocker blocker(Drive1);
        Drive1->setDrive(path);
        File1->setPath(path);
    });
    connect(List1, &QListWidget::itemSelectionChanged, this, &frmFileMgr::List1_Click);
    connect(cmdRename, &QPushButton::clicked, this, &frmFileMgr::cmdRename_Click);
    connect(cmdErase, &QPushButton::clicked, this, &frmFileMgr::cmdErase_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmFileMgr::cmdClose_Click);
    connect(tbrMain2, &KeyedToolBar::ButtonClick, this, &frmFileMgr::tbrMain2_ButtonClick);
    // The name can be changed and looked for again.
    OnEnter(Text1, [this] {
        if (!searching_)
            FindFile();
    });
}

void frmFileMgr::Form_Load()
{
    CentreWindow(this);
    if (!Dir1->setPath(Trim(SelectedDirectory))) {
        MsgBox(QStringLiteral("Directory Not Found?"), vbCritical,
               QStringLiteral("Directory Error"));
        Dir1->setPath(Utils().getExePath());
    }
    const QSignalBlocker blocker(Drive1);
    Drive1->setDrive(Dir1->Path());
    File1->setPath(Dir1->Path());
}

void frmFileMgr::showEvent(QShowEvent *event)
{
    FormDialog::showEvent(event);
    // Once the window is up, so the walk runs in a window the user can see.
    if (!activated_)
        QTimer::singleShot(0, this, [this] {
            if (!activated_)
                Form_Activate();
        });
}

void frmFileMgr::Form_Activate()
{
    activated_ = true;
    // The name exactly as the row holds it: a blank at its end is part of a file's name, and
    // the file without it is another file.
    Text1->setText(SelectedFileName);
    FindFile();
}

void frmFileMgr::Drive1_Change()
{
    Dir1->setPath(Drive1->rootPath());
}

void frmFileMgr::setSearching(bool on)
{
    searching_ = on;
    // Nothing is renamed or erased from a list still being made.
    for (QWidget *control : {static_cast<QWidget *>(cmdClose), static_cast<QWidget *>(cmdRename),
                             static_cast<QWidget *>(cmdErase)})
        control->setEnabled(!on);
}

void frmFileMgr::FindFile()
{
    setSearching(true);
    List1->clear();
    pending_.clear();
    found_.clear();
    shown_ = -1;
    Label4->setText(QStringLiteral("0"));
    txtpath->clear();
    txtFileName->clear();
    cancel_ = false;
    ErrorTrap([&] {
        const QString name = Text1->text();
        const QString root = Dir1->Path();
        DiskWalkOptions options;
        options.cancel = &cancel_;
        options.yieldEveryMs = yieldEveryMs;
        options.showFound = [this] {
            if (pending_.isEmpty())
                return;
            QStringList paths;
            for (const fs::ListedFile &file : std::as_const(pending_))
                paths << fs::PathOf(file.directory, file.name);
            found_ << pending_;
            pending_.clear();
            List1->addItems(paths);
            showFile(found_.size() - 1);
        };
        // Nothing has an empty name; there is nothing to walk for.
        const fs::WalkResult result = name.isEmpty()
                ? fs::WalkResult{}
                : DiskWalk(
                        root,
                        [&](const QString &directory, const QStringList &files) {
                            for (const QString &file : files) {
                                if (file.compare(name, Qt::CaseInsensitive) != 0)
                                    continue;
                                // What the file is on disk now, so that Rename and Delete act
                                // on it alone. One that cannot be reached without a link is
                                // not listed.
                                const fs::ListedFile listed = fs::Locate(root, directory, file);
                                if (listed.located())
                                    pending_ << listed;
                            }
                            return true;
                        },
                        options);
        const QString problems = WalkProblems(result, [&](const QString &shownAs) {
            return shownAs.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (!problems.isEmpty())
            ErrorBox(problems);
    });
    setSearching(false);
    Label4->setText(QString::number(List1->count()));
    // The file shown under File Path is marked in the list too.
    if (List1->count() > 0)
        List1->setCurrentRow(List1->count() - 1);
    if (closeWhenDone_) {
        closeWhenDone_ = false;
        reject();
    }
}

void frmFileMgr::showFile(qsizetype row)
{
    if (row < 0 || row >= found_.size())
        return;
    shown_ = row;
    const fs::ListedFile &file = found_.at(row);
    txtpath->setText(fs::PathOf(file.directory, file.name));
    txtFileName->setText(file.name);
}

void frmFileMgr::List1_Click()
{
    const QList<QListWidgetItem *> selected = List1->selectedItems();
    if (!selected.isEmpty())
        showFile(List1->row(selected.first()));
}

void frmFileMgr::replaced(const QString &path, const QString &what)
{
    ErrorBox(path
             + QStringLiteral(" is not the file that was found: the file or a folder on its way "
                              "was replaced since the search. Nothing was ")
             + what + QStringLiteral("; please search again."));
}

void frmFileMgr::refuse(const QString &newName)
{
    MsgBox(QStringLiteral("Please check file name: ") + newName, vbCritical,
           QStringLiteral("Error!"));
}

void frmFileMgr::cmdRename_Click()
{
    if (txtFileName->text().isEmpty() || shown_ < 0) {
        MsgBox(QStringLiteral("File Not Found!"), vbCritical, QStringLiteral("Not Found."));
        return;
    }
    if (MsgBox(QStringLiteral("Renaming this file will update the master database. Continue?"),
               vbYesNo + vbCritical, QStringLiteral("Rename Confirmation"))
        != vbYes)
        return;
    // The file shown under File Path: the last one found, or the one picked in the list.
    const fs::ListedFile file = found_.at(shown_);
    const QString oldPath = txtpath->text();
    const QString directory = FolderText(file.directory);
    // A name being given, not one looked for: blanks typed around it are not meant.
    const QString newName =
            Trim(InputBox(QStringLiteral("Enter a new file name:"), AppTitle(), Text1->text()));
    if (newName.isEmpty())
        return;
    // A name ends in a dot and three characters and stays in the same folder: a rename never
    // moves a file elsewhere.
    if (!newName.right(4).startsWith(QLatin1Char('.')) || !plainName(newName)) {
        refuse(newName);
        return;
    }
    const fs::ActResult renamed = fs::RenameListed(file, newName);
    if (renamed.outcome == fs::Outcome::Replaced) {
        replaced(oldPath, QStringLiteral("renamed"));
        return;
    }
    // Never over another file, nor onto its own name.
    if (renamed.outcome == fs::Outcome::Taken) {
        refuse(newName);
        return;
    }
    try {
        if (renamed.outcome != fs::Outcome::Done)
            throw std::runtime_error("rename");
        const QString newPath = directory + newName;
        Log().addEntry(LogInfo, QStringLiteral("File %1 renamed to %2").arg(oldPath, newName));
        const Catalogued catalogued = changeCatalogue(
                file.name, directory, QStringLiteral("Update "),
                [&](const QList<CatalogueRow> &rows) { UpdateDbFile(rows, newName, newPath); });
        if (catalogued == Catalogued::NotFound)
            MsgBox(kNotFoundInCatalogue, vbCritical, QStringLiteral("Error!"));
        File1->Refresh();
        MsgBox(QStringLiteral("Rename Completed Successfully!"), vbInformation);
        accept();
    } catch (const std::exception &) {
        MsgBox(QStringLiteral("Rename Unsuccessful!"), vbOKOnly, QStringLiteral("ZEP"));
    }
}

void frmFileMgr::cmdErase_Click()
{
    if (txtpath->text().isEmpty() || shown_ < 0) {
        MsgBox(QStringLiteral("File Not Found!"), vbCritical, QStringLiteral("Not Found."));
        return;
    }
    const fs::ListedFile file = found_.at(shown_);
    const QString path = txtpath->text();
    if (MsgBox(QStringLiteral("Delete ") + path + QStringLiteral("? Continue?"),
               vbYesNo + vbCritical, QStringLiteral("Delete Confirmation"))
        != vbYes)
        return;
    const fs::ActResult erased = fs::RemoveListed(file);
    if (erased.outcome == fs::Outcome::Replaced) {
        // Its row is left as well: the file it describes may still be there, elsewhere.
        replaced(path, QStringLiteral("deleted"));
        return;
    }
    const bool deleted = erased.outcome == fs::Outcome::Done;
    if (deleted)
        Log().addEntry(LogInfo, QStringLiteral("File %1 erased").arg(path));
    if (erased.outcome == fs::Outcome::Gone)
        MsgBox(QStringLiteral("File Not Found?"), vbCritical, QStringLiteral("File Error"));
    else if (!deleted)
        ErrorBox(erased.error);
    // A file that was already gone may still have its row; the row can go on its own.
    if (MsgBox(QStringLiteral("Continue to delete ") + path
                       + QStringLiteral(" from Master Database?"),
               vbYesNo + vbExclamation, QStringLiteral("Are you sure?"))
        == vbYes) {
        const Catalogued catalogued =
                changeCatalogue(file.name, FolderText(file.directory), QStringLiteral("Update "),
                                [this](const QList<CatalogueRow> &rows) { DeleteDBFile(rows); });
        if (catalogued == Catalogued::NotFound)
            MsgBox(kNotFoundInCatalogue, vbCritical, QStringLiteral("Error!"));
    }
    File1->Refresh();
    if (!deleted) {
        MsgBox(QStringLiteral("File Not Deleted: ") + path, vbCritical,
               QStringLiteral("File Error"));
        return;
    }
    MsgBox(QStringLiteral("Delete Completed Successfully!"), vbInformation);
    accept();
}

frmFileMgr::Catalogued
frmFileMgr::changeCatalogue(const QString &name, const QString &directory, const QString &what,
                            const std::function<void(const QList<CatalogueRow> &)> &change)
{
    QList<CatalogueRow> rows;
    if (!ErrorTrap([&] { rows = FindInCatalogue(name, directory); }, QStringLiteral("Find ")))
        return Catalogued::Failed;
    if (rows.isEmpty())
        return Catalogued::NotFound;
    if (!ErrorTrap([&] { change(rows); }, what))
        return Catalogued::Failed;
    CatalogueChanged = true;
    return Catalogued::Changed;
}

QList<frmFileMgr::CatalogueRow> frmFileMgr::FindInCatalogue(const QString &name,
                                                            const QString &directory)
{
    ReopenConnection();
    db::Recordset &rs = SharedRecordset();
    // The name exactly as the folder holds it: "a.txt" is not "A.txt", nor "a.txt " (a row of
    // each describes another file).
    RunOn(rs,
          QStringLiteral("select inum, filename, directory from fileprofile "
                         "where filename = ? order by filename"),
          {name});
    QList<CatalogueRow> rows;
    for (rs.MoveFirst(); !rs.AtEnd(); rs.MoveNext()) {
        const CatalogueRow row{TextOf(rs.Fields(QStringLiteral("filename"))),
                               TextOf(rs.Fields(QStringLiteral("directory")))};
        if (row.fileName != name || !SameDirectory(row.directory, directory))
            continue;
        bool known = false;
        for (const CatalogueRow &seen : rows)
            known = known || (seen.fileName == row.fileName && seen.directory == row.directory);
        if (!known)
            rows << row;
    }
    rs.Close();
    return rows;
}

void frmFileMgr::UpdateDbFile(const QList<CatalogueRow> &rows, const QString &newName,
                              const QString &newPath)
{
    db::Transaction transaction(SharedConnection());
    for (const CatalogueRow &row : rows)
        RunCommand(QStringLiteral("UPDATE fileprofile SET filename=?, filepath=? "
                                  "WHERE filename=? and Directory=?"),
                   {newName, newPath, row.fileName, row.directory});
    transaction.Commit();
}

void frmFileMgr::DeleteDBFile(const QList<CatalogueRow> &rows)
{
    db::Transaction transaction(SharedConnection());
    for (const CatalogueRow &row : rows)
        RunCommand(QStringLiteral("DELETE from fileprofile WHERE filename=? and Directory=?"),
                   {row.fileName, row.directory});
    transaction.Commit();
}

void frmFileMgr::cmdClose_Click()
{
    reject();
}

void frmFileMgr::reject()
{
    // The walk runs inside this window's event handling: stop it, and close once it has unwound.
    if (searching_) {
        closeWhenDone_ = true;
        cancel_ = true;
        return;
    }
    FormDialog::reject();
}

void frmFileMgr::tbrMain2_ButtonClick(const QString &key)
{
    if (key == QLatin1String("kCancel2"))
        cmdClose_Click();
    else if (key == QLatin1String("kHelp2"))
        MsgBox(QStringLiteral("Renaming or Deleteing a file will update the Master Database."),
               vbInformation);
}
