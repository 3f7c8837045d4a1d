#include "catalogue/frmGet.h"

#include "app/CUtils.h"
#include "app/modGlobals.h"
#include "catalogue/FilePanel.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Fields.h"
#include "platform/ui/FileLists.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <stdexcept>

namespace {

const QString kAllFiles = QStringLiteral("*.*");

QAction *viewItem(QMenu *menu, const QString &name, const QString &caption)
{
    QAction *item = menu->addAction(caption);
    item->setObjectName(name);
    item->setCheckable(true);
    return item;
}

} // namespace

frmGet::frmGet(QWidget *parent)
    : FormDialog(parent)
    , Drive1(new DriveListBox(this))
    , Dir1(new DirListBox(this))
    , File1(new FileListBox(this))
    , Combo1(new QComboBox(this))
    , Text1(new QLineEdit(this))
    , Text2(new QLineEdit(this))
    , lblOldPath(nullptr)
    , txtOldPath(new QLineEdit(this))
    , cmdOK(new QPushButton(QStringLiteral("&OK"), this))
    , cmdCancel(new QPushButton(QStringLiteral("&Cancel"), this))
    , menuBar(new QMenuBar(this))
{
    setObjectName(QStringLiteral("frmGet"));
    setWindowTitle(QStringLiteral("Get File Name"));
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Dir1->setObjectName(QStringLiteral("Dir1"));
    File1->setObjectName(QStringLiteral("File1"));
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->setEditText(kAllFiles);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setReadOnly(true);
    txtOldPath->setObjectName(QStringLiteral("txtOldPath"));
    txtOldPath->setReadOnly(true);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdOK->setDefault(true);
    for (QLineEdit *box : {Text1, Text2, txtOldPath})
        SelectAllOnFocus(box);

    menuBar->setObjectName(QStringLiteral("menuBar"));
    mnuFile = menuBar->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuClose = mnuFile->addAction(QStringLiteral("&Close"));
    mnuClose->setObjectName(QStringLiteral("mnuClose"));
    mnuView = menuBar->addMenu(QStringLiteral("&View"));
    mnuView->setObjectName(QStringLiteral("mnuView"));
    mnuViewAll = viewItem(mnuView, QStringLiteral("mnuViewAll"), QStringLiteral("&All files"));
    mnuViewZip = viewItem(mnuView, QStringLiteral("mnuViewZip"), QStringLiteral("&Zip files"));
    mnuViewGraphics =
            viewItem(mnuView, QStringLiteral("mnuViewGraphics"), QStringLiteral("&Graphic files"));
    mnuViewDocs =
            viewItem(mnuView, QStringLiteral("mnuViewDocs"), QStringLiteral("&Doc/Text files"));
    mnuViewProgs =
            viewItem(mnuView, QStringLiteral("mnuViewProgs"), QStringLiteral("&Program files"));
    mnuView->addSeparator();
    mnuViewRefresh = mnuView->addAction(QStringLiteral("&Refresh"));
    mnuViewRefresh->setObjectName(QStringLiteral("mnuViewRefresh"));

    lblOldPath = FieldLabel(QStringLiteral("Data&base File Path:"), txtOldPath, this);
    lblOldPath->setObjectName(QStringLiteral("lblOldPath"));

    auto *lists = new QGridLayout;
    lists->setHorizontalSpacing(12);
    lists->addWidget(FieldLabel(QStringLiteral("Dri&ves:"), Drive1, this), 0, 0);
    lists->addWidget(Drive1, 1, 0);
    lists->addWidget(FieldLabel(QStringLiteral("&Directories:"), Dir1, this), 2, 0);
    lists->addWidget(Dir1, 3, 0, 3, 1);
    lists->addWidget(FieldLabel(QStringLiteral("&Pattern:"), Combo1, this), 0, 1);
    lists->addWidget(Combo1, 1, 1);
    lists->addWidget(FieldLabel(QStringLiteral("F&ile:"), Text1, this), 2, 1);
    lists->addWidget(Text1, 3, 1);
    lists->addWidget(File1, 4, 1, 2, 1);
    lists->setColumnStretch(0, 1);
    lists->setColumnStretch(1, 1);
    lists->setRowStretch(5, 1);

    auto *paths = new QGridLayout;
    paths->addWidget(FieldLabel(QStringLiteral("F&older:"), Text2, this), 0, 0);
    paths->addWidget(Text2, 0, 1);
    paths->addWidget(lblOldPath, 1, 0);
    paths->addWidget(txtOldPath, 1, 1);
    paths->setColumnStretch(1, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->setContentsMargins(10, 8, 10, 10);
    layout->addLayout(lists, 1);
    layout->addSpacing(4);
    layout->addLayout(paths);
    layout->addSpacing(4);
    layout->addLayout(ButtonRow({cmdOK, cmdCancel}));
    resize(560, 460);

    connect(Drive1, &DriveListBox::driveChanged, this, &frmGet::Drive1_Change);
    connect(Dir1, &DirListBox::pathChanged, this, &frmGet::Dir1_Change);
    connect(File1, &FileListBox::selectionChangedTo, this, [this](const QString &name) {
        // A list read again loses its selection; that is no click, and a typed name stays.
        if (!name.isEmpty())
            File1_Click();
    });
    connect(File1, &FileListBox::fileChosen, this, &frmGet::File1_DblClick);
    connect(Combo1, &QComboBox::currentIndexChanged, this, &frmGet::Combo1_Click);
    connect(Combo1, &QComboBox::editTextChanged, this, &frmGet::Combo1_Change);
    connect(cmdOK, &QPushButton::clicked, this, &frmGet::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmGet::cmdCancel_Click);
    connect(mnuClose, &QAction::triggered, this, &frmGet::mnuClose_Click);
    connect(mnuViewAll, &QAction::triggered, this, &frmGet::mnuViewAll_Click);
    connect(mnuViewZip, &QAction::triggered, this, &frmGet::mnuViewZip_Click);
    connect(mnuViewGraphics, &QAction::triggered, this, &frmGet::mnuViewGraphics_Click);
    connect(mnuViewDocs, &QAction::triggered, this, &frmGet::mnuViewDocs_Click);
    connect(mnuViewProgs, &QAction::triggered, this, &frmGet::mnuViewProgs_Click);
    connect(mnuViewRefresh, &QAction::triggered, this, &frmGet::mnuViewRefresh_Click);
}

void frmGet::Form_Load()
{
    CentreWindow(this);
    LoadPatterns();
    // The row's folder may have been moved or removed since it was catalogued.
    if (!Dir1->setPath(Trim(SelectedDirectory))) {
        MsgBox(QStringLiteral("Directory Not Found!"), vbCritical,
               QStringLiteral("Directory Error"));
        Dir1->setPath(QCoreApplication::applicationDirPath());
        File1->setPath(Dir1->Path());
        Text2->setText(Dir1->Path());
        return;
    }
    File1->setPath(Dir1->Path());
    txtOldPath->setText(SelectedFilePath);
    Text2->setText(Dir1->Path());
}

void frmGet::LoadPatterns()
{
    ErrorTrap([&] {
        const QStringList patterns = ReadPatterns();
        if (patterns.isEmpty())
            return;
        Combo1->addItems(patterns);
        // Selecting the first entry filters the files by it from the start.
        Combo1->setCurrentIndex(-1);
        Combo1->setCurrentIndex(0);
    });
}

void frmGet::Drive1_Change()
{
    // The folder list follows the drive unless it is already on it. A drive that is not ready
    // leaves both lists as they were.
    if (DriveListBox::volumeOf(Dir1->Path()) == Drive1->Drive())
        return;
    Dir1->setPath(Drive1->rootPath());
}

void frmGet::Dir1_Change()
{
    Text2->setText(Dir1->Path());
    File1->setPath(Dir1->Path());
    // The drive list names the drive the folder is on, as the transfer reads it from there.
    Drive1->setDrive(Dir1->Path());
}

void frmGet::File1_Click()
{
    Text1->setText(File1->FileName());
}

void frmGet::File1_DblClick()
{
    Text1->setText(File1->FileName());
    cmdOK_Click();
}

void frmGet::Combo1_Click()
{
    showPattern(Combo1->currentText());
}

void frmGet::Combo1_Change()
{
    showPattern(Combo1->currentText());
}

void frmGet::showPattern(const QString &pattern)
{
    if (File1->Pattern() != pattern)
        File1->setPattern(pattern);
}

void frmGet::cmdOK_Click()
{
    if (PickerCaller == 1)
        UpdateFrmShow();
    else if (PickerCaller == 2)
        UpdateFrmAdd();
    accept();
}

void frmGet::cmdCancel_Click()
{
    reject();
}

void frmGet::mnuClose_Click()
{
    reject();
}

void frmGet::UpdateFrmAdd()
{
    updateOpener(QStringLiteral("frmAdd"));
}

void frmGet::UpdateFrmShow()
{
    updateOpener(QStringLiteral("frmShow"));
}

void frmGet::updateOpener(const QString &windowName)
{
    ErrorTrap([&] {
        if (Text1->text().isEmpty()) {
            Text1->setText(File1->FileName());
            MsgBox(QStringLiteral("Please select file or cancel!"), vbInformation);
            return;
        }
        // The opener is found by name among this window's owners, so that the picker needs
        // no knowledge of the window it writes into beyond the names of its boxes.
        QWidget *opener = parentWidget();
        while (opener && opener->objectName() != windowName)
            opener = opener->parentWidget();
        if (!opener)
            throw std::runtime_error("The window " + windowName.toStdString() + " is not open.");
        const auto box = [opener](const char *name) {
            auto *found = opener->findChild<QLineEdit *>(QString::fromLatin1(name));
            if (!found)
                throw std::runtime_error(std::string("The window has no box ") + name + '.');
            return found;
        };
        QLineEdit *fileName = box("txtFileName");
        QLineEdit *drive = box("txtDrive");
        QLineEdit *filePath = box("txtFilePath");
        QLineEdit *directory = box("txtDir");
        sFileName = Text1->text();
        fileName->setText(sFileName);
        drive->setText(DriveText(Drive1->Drive()));
        filePath->setText(FullPathOf(Dir1->Path(), sFileName));
        sDirectory = DirectoryText(File1->Path());
        directory->setText(sDirectory);
    });
}

void frmGet::narrowView(QAction *item, const QString &pattern, const QList<QAction *> &others)
{
    if (item->isChecked()) {
        File1->setPattern(pattern);
        Combo1->setEditText(pattern);
        for (QAction *other : others)
            other->setChecked(false);
        return;
    }
    File1->setPattern(kAllFiles);
    mnuViewAll->setChecked(true);
    Combo1->setEditText(kAllFiles);
}

void frmGet::mnuViewAll_Click()
{
    // "All files" cannot be unchecked by clicking it: a click that took the mark puts it back.
    if (!mnuViewAll->isChecked()) {
        mnuViewAll->setChecked(true);
        return;
    }
    File1->setPattern(kAllFiles);
    for (QAction *other : {mnuViewZip, mnuViewGraphics, mnuViewDocs, mnuViewProgs})
        other->setChecked(false);
}

void frmGet::mnuViewZip_Click()
{
    narrowView(mnuViewZip, QStringLiteral("*.Zip"),
               {mnuViewAll, mnuViewProgs, mnuViewDocs, mnuViewGraphics});
}

void frmGet::mnuViewGraphics_Click()
{
    narrowView(mnuViewGraphics, QStringLiteral("*.gif;*.bmp;*.jpg"),
               {mnuViewAll, mnuViewProgs, mnuViewDocs, mnuViewZip});
}

void frmGet::mnuViewDocs_Click()
{
    narrowView(mnuViewDocs, QStringLiteral("*.doc;*.txt"),
               {mnuViewAll, mnuViewProgs, mnuViewZip, mnuViewGraphics});
}

void frmGet::mnuViewProgs_Click()
{
    narrowView(mnuViewProgs, QStringLiteral("*.exe;*.com;*.bat;*.pif"),
               {mnuViewDocs, mnuViewZip, mnuViewAll, mnuViewGraphics});
}

void frmGet::mnuViewRefresh_Click()
{
    File1->Refresh();
}
