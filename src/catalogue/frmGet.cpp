#include "catalogue/frmGet.h"

#include "app/CUtils.h"
#include "app/Paths.h"
#include "app/modGlobals.h"
#include "catalogue/FilePanel.h"
#include "platform/ui/Controls.h"
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

QAction *viewItem(QMenu *menu, const QString &name, const QString &caption)
{
    QAction *item = NamedItem(menu, name, caption);
    item->setCheckable(true);
    return item;
}

} // namespace

frmGet::frmGet(QWidget *parent)
    : FormDialog(parent)
    , filePanel_(FilePanel::make(this))
    , Drive1(filePanel_.drives)
    , Dir1(filePanel_.folders)
    , File1(filePanel_.files)
    , Combo1(filePanel_.pattern)
    , Text1(filePanel_.file)
    , Text2(filePanel_.folder)
    , lblOldPath(nullptr)
    , txtOldPath(NamedTextBox(QStringLiteral("txtOldPath"), this))
    , cmdOK(NamedDialogButton(QStringLiteral("cmdOK"), QStringLiteral("&OK"), this, true))
    , cmdCancel(NamedDialogButton(QStringLiteral("cmdCancel"), QStringLiteral("&Cancel"), this))
    , menuBar(Named(new QMenuBar(this), QStringLiteral("menuBar")))
{
    setObjectName(QStringLiteral("frmGet"));
    setWindowTitle(QStringLiteral("Get File Name"));
    txtOldPath->setReadOnly(true);
    buildMenus();
    lblOldPath = Named(FieldLabel(QStringLiteral("Data&base File Path:"), txtOldPath, this),
                       QStringLiteral("lblOldPath"));
    layOut();
    connectHandlers();
}

void frmGet::buildMenus()
{
    mnuFile = Named(menuBar->addMenu(QStringLiteral("&File")), QStringLiteral("mnuFile"));
    mnuClose = NamedItem(mnuFile, QStringLiteral("mnuClose"), QStringLiteral("&Close"));
    mnuView = Named(menuBar->addMenu(QStringLiteral("&View")), QStringLiteral("mnuView"));
    mnuViewAll = viewItem(mnuView, QStringLiteral("mnuViewAll"), QStringLiteral("&All files"));
    mnuViewZip = viewItem(mnuView, QStringLiteral("mnuViewZip"), QStringLiteral("&Zip files"));
    mnuViewGraphics =
            viewItem(mnuView, QStringLiteral("mnuViewGraphics"), QStringLiteral("&Graphic files"));
    mnuViewDocs =
            viewItem(mnuView, QStringLiteral("mnuViewDocs"), QStringLiteral("&Doc/Text files"));
    mnuViewProgs =
            viewItem(mnuView, QStringLiteral("mnuViewProgs"), QStringLiteral("&Program files"));
    mnuView->addSeparator();
    mnuViewRefresh =
            NamedItem(mnuView, QStringLiteral("mnuViewRefresh"), QStringLiteral("&Refresh"));
}

// The lists of drives, folders and files beside the pattern, over the paths and the buttons.
void frmGet::layOut()
{
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
}

void frmGet::connectHandlers()
{
    filePanel_.connectTo(this);
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
        Dir1->setPath(ProgramStartFolder());
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
    filePanel_.followDrive();
}

void frmGet::Dir1_Change()
{
    // A name typed before stays: the picker takes it in whichever folder is shown.
    filePanel_.followFolder(false);
}

void frmGet::File1_Click()
{
    filePanel_.takeFile();
}

void frmGet::File1_DblClick()
{
    filePanel_.takeFile();
    cmdOK_Click();
}

void frmGet::Combo1_Click()
{
    filePanel_.applyPattern();
}

void frmGet::Combo1_Change()
{
    filePanel_.applyPattern();
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
