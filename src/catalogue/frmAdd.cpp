#include "catalogue/frmAdd.h"

#include "app/CLog.h"
#include "app/CParm.h"
#include "app/CUtils.h"
#include "app/CreateDatabase.h"
#include "app/Paths.h"
#include "app/SettingKeys.h"
#include "app/modGlobals.h"
#include "app/session.h"
#include "catalogue/CatalogueSearch.h"
#include "catalogue/FileGroups.h"
#include "catalogue/FilePanel.h"
#include "catalogue/FolderImport.h"
#include "platform/Clock.h"
#include "platform/db/DataControl.h"
#include "platform/db/Transaction.h"
#include "platform/ui/Controls.h"
#include "platform/ui/DataGrid.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Fields.h"
#include "platform/ui/FileLists.h"
#include "platform/ui/Progress.h"
#include "platform/ui/ToolBar.h"
#include "platform/ui/WindowCatalogue.h"
#include "reports/ShowReport.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

using catalogue::kAllGroups;
using catalogue::kAllSites;

namespace {

const db::Select kAllStaged = db::Select::From(QStringLiteral("tempfile"));
const QString kNoRecords = QStringLiteral("ERROR - No Records Found!");
const QString kNeedGroup = QStringLiteral("Please Select a Group Name!");
const QString kDateFormat = QStringLiteral("dd/MM/yyyy");
constexpr int kQuestion = vbYesNo + vbCritical;

// The grid's columns, in the order shown, and their captions.
// The folder beside the name, so that files of one name in many folders are told apart.
const QStringList kGridFields{QStringLiteral("FileName"),    QStringLiteral("Directory"),
                              QStringLiteral("FileDesc"),    QStringLiteral("FileGroup"),
                              QStringLiteral("Websitename"), QStringLiteral("Webaddress")};
const QStringList kGridCaptions{QStringLiteral("File Name"),        QStringLiteral("Folder"),
                                QStringLiteral("File Description"), QStringLiteral("Group"),
                                QStringLiteral("Web Site Name"),    QStringLiteral("Web Address")};

// The staging row number shown in the entry panel, as a whole number; 0 (no row) when it is
// none.
qint64 rowNumber(const QString &text)
{
    bool ok = false;
    const QString trimmed = text.trimmed();
    const qint64 whole = trimmed.toLongLong(&ok);
    if (ok)
        return whole;
    const double number = trimmed.toDouble(&ok);
    return ok && std::isfinite(number) ? std::llround(number) : 0;
}

// A box's text as rows store it: trimmed, and empty rather than null.
QString textOf(const QComboBox *combo)
{
    return Stored(Trim(combo->currentText()));
}

QString textOf(const QLineEdit *box)
{
    return Stored(Trim(box->text()));
}

QString textOf(const QLabel *caption)
{
    return Stored(Trim(caption->text()));
}

// A file's name, path or folder as the disk keeps them: a blank at either end is part of the
// name, and trimmed it would name another file.
QString onDisk(const QLineEdit *box)
{
    return Stored(box->text());
}

// The first few of a list of paths for a report, then ", ..." when there are more.
QString someOf(const QStringList &paths)
{
    constexpr qsizetype kNamed = 3;
    QString text = paths.mid(0, kNamed).join(QStringLiteral(", "));
    if (paths.size() > kNamed)
        text += QStringLiteral(", ...");
    return text;
}

// Back to the first, empty entry; a combo box without entries is just emptied.
void clearCombo(QComboBox *combo)
{
    if (combo->count() > 0)
        combo->setCurrentIndex(0);
    combo->setEditText(combo->count() > 0 ? combo->itemText(0) : QString());
}

QComboBox *listCombo(const QString &name, QWidget *parent)
{
    QComboBox *combo = NamedCombo(name, parent);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    combo->setMinimumContentsLength(14);
    return combo;
}

QCheckBox *holdBox(const QString &name, const QString &toolTip, QWidget *parent)
{
    QCheckBox *box = NamedCheckBox(name, QString(), parent);
    PictureButton(box, toolTip);
    return box;
}

KeyedToolBar *addToolBar(QWidget *parent)
{
    KeyedToolBar *bar = NamedToolBar(
            QStringLiteral("Toolbar1"), parent,
            {
                    {"kSep0"},
                    {"kExit", "Exit", "application-exit", QStyle::SP_DialogCloseButton},
                    {"kSep1"},
                    {"kSave", "Save Records to Master Table", "document-save",
                     QStyle::SP_DialogSaveButton},
                    {"kSep2"},
                    {"kDelete", "Clear Temp Table", "edit-delete", QStyle::SP_TrashIcon},
                    {"kSep3"},
                    {"kClear", "Clear All Boxes and Checks", "edit-clear",
                     QStyle::SP_DialogResetButton},
                    {"kSep4"},
                    {"kSetDir", "Set Default Directory", "folder", QStyle::SP_DirIcon},
                    {"kSep5"},
                    {"kPrint", "Print List of Imported Files", "document-print",
                     QStyle::SP_FileDialogInfoView},
                    {"kSep6"},
                    {"kHelp", "Help", "help-contents", QStyle::SP_MessageBoxQuestion},
            });
    // Pressed while a default directory is pinned.
    bar->button(QStringLiteral("kSetDir"))->setCheckable(true);
    return bar;
}

} // namespace

frmAdd::frmAdd(QWidget *parent)
    : FormDialog(parent)
    , Toolbar1(addToolBar(this))
    , AdoFile(Named(new db::DataControl(this), QStringLiteral("AdoFile")))
{
    setObjectName(QStringLiteral("frmAdd"));
    setWindowTitle(QStringLiteral("Add New records"));
    AdoFile->setUpdateTarget(QStringLiteral("tempfile"), QStringLiteral("Inum"));

    buildEntryPanel();
    buildFilePanel();
    buildGrid();
    buildStatusBar();
    layOut();
    connect(Toolbar1, &KeyedToolBar::ButtonClick, this, &frmAdd::Toolbar1_ButtonClick);
}

// The status line, and the clock that keeps its date and time.
void frmAdd::buildStatusBar()
{
    sbStatusBar = Named(new QStatusBar(this), QStringLiteral("sbStatusBar"));
    sbStatusBar->setSizeGripEnabled(false);
    lblStatus = NamedLabel(QStringLiteral("lblStatus"), QString(), sbStatusBar);
    lblDate = NamedLabel(QStringLiteral("lblDate"), QString(), sbStatusBar);
    lblTime = NamedLabel(QStringLiteral("lblTime"), QString(), sbStatusBar);
    sbStatusBar->addWidget(lblStatus, 1);
    sbStatusBar->addPermanentWidget(lblDate);
    sbStatusBar->addPermanentWidget(lblTime);
    auto *clock = Named(new QTimer(this), QStringLiteral("tmrClock"));
    clock->setInterval(1000);
    connect(clock, &QTimer::timeout, this, &frmAdd::updateClock);
    clock->start();
    updateClock();
}

// The two panels side by side, over the filters, the grid and the status line.
void frmAdd::layOut()
{
    auto *panels = new QHBoxLayout;
    panels->addWidget(Frame1, 3);
    panels->addWidget(Frame3, 2);

    auto *filters = new QHBoxLayout;
    filters->addWidget(FieldLabel(QStringLiteral("Filter &By Group:"), cboGrpList, this));
    filters->addWidget(cboGrpList);
    filters->addSpacing(16);
    filters->addWidget(FieldLabel(QStringLiteral("Filter By Web &Site Name:"), cboSiteList, this));
    filters->addWidget(cboSiteList);
    filters->addStretch();
    filters->addWidget(cmdRefreshGrid);

    auto *body = new QVBoxLayout;
    body->setContentsMargins(10, 6, 10, 4);
    body->addLayout(panels);
    body->addSpacing(4);
    body->addLayout(filters);
    body->addWidget(DataGrid1, 1);
    body->addWidget(barAdoFile);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Toolbar1);
    layout->addLayout(body, 1);
    layout->addWidget(sbStatusBar);
    resize(1060, 800);
}

void frmAdd::buildEntryPanel()
{
    Frame1 = NamedFrame(QStringLiteral("Frame1"), QStringLiteral("File Information"), this);
    buildEntryFields();
    buildEntryButtons();
    layOutEntryPanel();

    connect(cmdAdd, &QPushButton::clicked, this, &frmAdd::cmdAdd_Click);
    connect(cmdUpdate, &QPushButton::clicked, this, &frmAdd::cmdUpdate_Click);
    connect(cmdDel, &QPushButton::clicked, this, &frmAdd::cmdDel_Click);
    connect(cmdClear, &QPushButton::clicked, this, &frmAdd::cmdClear_Click);
    connect(cmdBrow, &QPushButton::clicked, this, &frmAdd::cmdBrow_Click);
    connect(cmdGoToWeb, &QPushButton::clicked, this, &frmAdd::cmdGoToWeb_Click);
    connect(cmdSendEmail, &QPushButton::clicked, this, &frmAdd::cmdSendEmail_Click);
    connect(cboWebName, &QComboBox::activated, this, &frmAdd::cboWebName_Click);
}

// The file's fields and the boxes that hold their entries from one file to the next.
void frmAdd::buildEntryFields()
{
    txtFileName = NamedTextBox(QStringLiteral("txtFileName"), Frame1);
    txtFilePath = NamedTextBox(QStringLiteral("txtFilePath"), Frame1);
    txtDir = NamedTextBox(QStringLiteral("txtDir"), Frame1);
    txtDrive = NamedTextBox(QStringLiteral("txtDrive"), Frame1);
    txtLabel = NamedTextBox(QStringLiteral("txtLabel"), Frame1);
    txtFSize = NamedTextBox(QStringLiteral("txtFSize"), Frame1);
    Label5 = NamedLabel(QStringLiteral("Label5"), QString(), Frame1);
    Label5->setFrameShape(QFrame::StyledPanel);
    Label5->setMinimumWidth(100);
    txtFileDesc = NamedTextBox(QStringLiteral("txtFileDesc"), Frame1);
    cboGrpName = NamedCombo(QStringLiteral("cboGrpName"), Frame1, true);
    cboWebName = NamedCombo(QStringLiteral("cboWebName"), Frame1, true);
    cboWebAddr = NamedCombo(QStringLiteral("cboWebAddr"), Frame1, true);
    txtAuthor = NamedTextBox(QStringLiteral("txtAuthor"), Frame1);
    txtEmail = NamedTextBox(QStringLiteral("txtEmail"), Frame1);
    TxtIndex = NamedTextBox(QStringLiteral("TxtIndex"), Frame1);
    // The number of the row taken from the grid, never typed.
    TxtIndex->setReadOnly(true);
    TxtIndex->setMaximumWidth(90);
    txtDrive->setMaximumWidth(120);
    txtFSize->setMaximumWidth(110);
    // The size is the file's, read from the disk when it is taken: shown, never typed.
    txtFSize->setReadOnly(true);
    chkGrpName = holdBox(QStringLiteral("chkGrpName"), QStringLiteral("Hold Group"), Frame1);
    chkWebName =
            holdBox(QStringLiteral("chkWebName"), QStringLiteral("Hold Web Site Name"), Frame1);
    chkWebAddr = holdBox(QStringLiteral("chkWebAddr"), QStringLiteral("Hold Web Address"), Frame1);
    chkAuthor = holdBox(QStringLiteral("chkAuthor"), QStringLiteral("Hold Author"), Frame1);
    chkEmail = holdBox(QStringLiteral("chkEmail"), QStringLiteral("Hold E-Mail Address"), Frame1);
}

void frmAdd::buildEntryButtons()
{
    cmdAdd = NamedButton(QStringLiteral("cmdAdd"), QStringLiteral("Add"), Frame1,
                         QStringLiteral("Add Record to Temporay Table."));
    cmdUpdate = NamedButton(QStringLiteral("cmdUpdate"), QStringLiteral("Update"), Frame1,
                            QStringLiteral("Update Record in Temp Table."));
    cmdDel = NamedButton(QStringLiteral("cmdDel"), QStringLiteral("Delete"), Frame1,
                         QStringLiteral("Delete Record from Temp Table."));
    cmdClear = NamedButton(QStringLiteral("cmdClear"), QStringLiteral("Clear"), Frame1,
                           QStringLiteral("Clear FileName, Drive, and Path."));
    cmdBrow = NamedButton(QStringLiteral("cmdBrow"), QStringLiteral("Edit Path...."), Frame1,
                          QStringLiteral("Browse to edit file name and path."));
    cmdGoToWeb = NamedButton(QStringLiteral("cmdGoToWeb"), QStringLiteral("Visit..."), Frame1,
                             QStringLiteral("Vist this Web Site."));
    cmdSendEmail = NamedButton(QStringLiteral("cmdSendEmail"), QStringLiteral("E-mail..."), Frame1,
                               QStringLiteral("Send E-mail"));
}

// One field a row under its label, a button beside some and the hold box after those that
// have one.
void frmAdd::layOutEntryPanel()
{
    auto *grid = new QGridLayout(Frame1);
    grid->setVerticalSpacing(5);
    int row = 0;
    const auto field = [&](const QString &label, QWidget *box, QWidget *extra = nullptr,
                           QCheckBox *hold = nullptr) {
        grid->addWidget(FieldLabel(label, box, Frame1), row, 0);
        grid->addWidget(box, row, 1, 1, extra ? 1 : 2);
        if (extra)
            grid->addWidget(extra, row, 2);
        if (hold)
            grid->addWidget(hold, row, 3, Qt::AlignCenter);
        ++row;
    };
    field(QStringLiteral("File &Name:"), txtFileName);
    field(QStringLiteral("File &Path:"), txtFilePath);
    field(QStringLiteral("D&irectory:"), txtDir);

    QLayout *sizes = sizeRow();
    grid->addWidget(FieldLabel(QStringLiteral("Dri&ve:"), txtDrive, Frame1), row, 0);
    grid->addLayout(sizes, row, 1, 1, 2);
    ++row;

    QLayout *dates = dateRow();
    grid->addWidget(NamedLabel(QStringLiteral("lblDateLoad"), QStringLiteral("Date Load:"), Frame1),
                    row, 0);
    grid->addLayout(dates, row, 1, 1, 2);
    grid->addWidget(NamedLabel(QStringLiteral("lblHold"), QStringLiteral("Hold"), Frame1), row, 3,
                    Qt::AlignCenter);
    ++row;

    field(QStringLiteral("&Description:"), txtFileDesc);
    field(QStringLiteral("&Group:"), cboGrpName, nullptr, chkGrpName);
    field(QStringLiteral("&Web Site Name:"), cboWebName, nullptr, chkWebName);
    field(QStringLiteral("Web &Address:"), cboWebAddr, cmdGoToWeb, chkWebAddr);
    field(QStringLiteral("A&uthor:"), txtAuthor, nullptr, chkAuthor);
    field(QStringLiteral("E-&Mail Address:"), txtEmail, cmdSendEmail, chkEmail);
    grid->setColumnStretch(1, 1);
    grid->setRowMinimumHeight(row, 6);
    ++row;
    grid->addLayout(ButtonRow({cmdAdd, cmdUpdate, cmdDel, cmdClear, cmdBrow}), row, 0, 1, 4);
}

// The drive, the volume's label and the file's size, on one row.
QLayout *frmAdd::sizeRow()
{
    auto *sizes = new QHBoxLayout;
    sizes->addWidget(txtDrive);
    sizes->addSpacing(10);
    sizes->addWidget(FieldLabel(QStringLiteral("&Label:"), txtLabel, Frame1));
    sizes->addWidget(txtLabel, 1);
    sizes->addSpacing(10);
    sizes->addWidget(FieldLabel(QStringLiteral("File Si&ze:"), txtFSize, Frame1));
    sizes->addWidget(txtFSize);
    return sizes;
}

// The date the file was staged, and the staging row's number.
QLayout *frmAdd::dateRow()
{
    auto *dates = new QHBoxLayout;
    dates->addWidget(Label5);
    dates->addStretch();
    dates->addWidget(FieldLabel(QStringLiteral("N&o.:"), TxtIndex, Frame1));
    dates->addWidget(TxtIndex);
    return dates;
}

void frmAdd::buildFilePanel()
{
    Frame3 = NamedFrame(QStringLiteral("Frame3"), QStringLiteral("Select File"), this);
    filePanel_ = FilePanel::make(Frame3);
    Drive1 = filePanel_.drives;
    Dir1 = filePanel_.folders;
    File1 = filePanel_.files;
    Combo1 = filePanel_.pattern;
    Text1 = filePanel_.file;
    Text2 = filePanel_.folder;
    cmdOK = NamedButton(QStringLiteral("cmdOK"), QStringLiteral("OK"), Frame3,
                        QStringLiteral("Update File Information."));
    cmdRefreshFiles = NamedButton(QStringLiteral("cmdRefreshFiles"), QStringLiteral("Refresh"),
                                  Frame3, QStringLiteral("Refresh File List"));
    chkSubDirs = NamedCheckBox(QStringLiteral("chkSubDirs"), QStringLiteral("In&clude subfolders"),
                               Frame3);
    chkSubDirs->setToolTip(
            QStringLiteral("Add Folder also takes the files of every folder below."));
    chkChecksums = NamedCheckBox(QStringLiteral("chkChecksums"),
                                 QStringLiteral("Record chec&ksums"), Frame3);
    chkChecksums->setToolTip(QStringLiteral(
            "Add Folder also reads every file for a checksum, by which copies are found."));
    cmdAddFolder =
            NamedButton(QStringLiteral("cmdAddFolder"), QStringLiteral("Add Folder..."), Frame3,
                        QStringLiteral("Add every file of this folder that fits the pattern."));
    layOutFilePanel();

    filePanel_.connectTo(this);
    connect(cmdOK, &QPushButton::clicked, this, &frmAdd::cmdOK_Click);
    connect(cmdRefreshFiles, &QPushButton::clicked, this, &frmAdd::cmdRefreshFiles_Click);
    connect(cmdAddFolder, &QPushButton::clicked, this, &frmAdd::cmdAddFolder_Click);
    connect(chkChecksums, &QCheckBox::clicked, this, &frmAdd::chkChecksums_Click);
}

// The drive and pattern over the folders and their files, the chosen file and the buttons.
void frmAdd::layOutFilePanel()
{
    auto *grid = new QGridLayout(Frame3);
    grid->setVerticalSpacing(4);
    grid->addWidget(FieldLabel(QStringLiteral("D&rives:"), Drive1, Frame3), 0, 0);
    grid->addWidget(Drive1, 0, 1);
    grid->addWidget(FieldLabel(QStringLiteral("Patt&ern:"), Combo1, Frame3), 1, 0);
    grid->addWidget(Combo1, 1, 1);
    grid->addWidget(FieldLabel(QStringLiteral("Direc&tories:"), Dir1, Frame3), 2, 0, 1, 2);
    auto *lists = new QHBoxLayout;
    lists->addWidget(Dir1, 1);
    lists->addWidget(File1, 1);
    grid->addLayout(lists, 3, 0, 1, 2);
    grid->addWidget(FieldLabel(QStringLiteral("&File:"), Text1, Frame3), 4, 0);
    grid->addWidget(Text1, 4, 1);
    grid->addWidget(FieldLabel(QStringLiteral("Pat&h:"), Text2, Frame3), 5, 0);
    grid->addWidget(Text2, 5, 1);
    auto *choices = new QHBoxLayout;
    choices->addWidget(chkSubDirs);
    choices->addWidget(chkChecksums);
    choices->addStretch();
    grid->addLayout(choices, 6, 0, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdAddFolder);
    buttons->addWidget(cmdRefreshFiles);
    buttons->addWidget(cmdOK);
    grid->addLayout(buttons, 7, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(3, 1);
}

void frmAdd::buildGrid()
{
    cboGrpList = listCombo(QStringLiteral("cboGrpList"), this);
    cboSiteList = listCombo(QStringLiteral("cboSiteList"), this);
    cmdRefreshGrid = NamedButton(QStringLiteral("cmdRefreshGrid"), QStringLiteral("Refresh"), this,
                                 QStringLiteral("Refresh Temporary Table"));
    DataGrid1 = Named(new QTableView(this), QStringLiteral("DataGrid1"));
    DataGrid1->setAccessibleName(QStringLiteral("Staged files"));
    DataGrid1->setMinimumHeight(180);
    barAdoFile = Named(new DataControlBar(AdoFile, this), QStringLiteral("barAdoFile"));
    BindGrid(DataGrid1, AdoFile, kGridFields, [this] { DataGrid1_DblClick(); });
    connect(cboGrpList, &QComboBox::activated, this, &frmAdd::cboGrpList_Click);
    connect(cboSiteList, &QComboBox::activated, this, &frmAdd::cboSiteList_Click);
    connect(cmdRefreshGrid, &QPushButton::clicked, this, &frmAdd::cmdRefreshGrid_Click);
}

void frmAdd::updateClock()
{
    const QDateTime now = Now();
    lblDate->setText(now.toString(kDateFormat));
    lblTime->setText(now.toString(QStringLiteral("HH:mm")));
}

// ---- loading ----

void frmAdd::Form_Load()
{
    CentreWindow(this);
    ErrorTrap([&] {
        AdoFile->ConnectionString = ConnectString;
        AdoFile->setRecordSource(kAllStaged);
        refreshGrid();
        // Room for the name, folder and description; the address takes what is left.
        const int widths[] = {150, 220, 300, 100, 160};
        for (qsizetype i = 0; i < 5; ++i) {
            const int column = AdoFile->FieldIndex(kGridFields[i]);
            if (column >= 0)
                DataGrid1->setColumnWidth(column, widths[i]);
        }
    });
    LoadGroupName();
    LoadWebSiteFilter();
    LoadGroupFilter();
    LoadWebName();
    LoadWebAddress();
    PickerCaller = 0;
    TotalFiles();
    LockMyControls();
    lblStatus->setText(QStringLiteral("Double on record in data grid to Edit or Delete file."));
    EnableControlsForAdd();
    LoadPatterns();
    Dir1->setPath(ProgramStartFolder());
    Text2->setText(Dir1->Path());
    SelectedFileName.clear();
    SelectedDirectory.clear();
    SelectedFilePath.clear();
    chkChecksums->setChecked(Parm().getRParm(SettingKey::FolderChecksums, QStringLiteral("0"))
                             == QLatin1String("1"));
    QAction *pin = Toolbar1->button(QStringLiteral("kSetDir"));
    pin->setChecked(DefaultDirPinned);
    if (DefaultDirPinned) {
        // A pinned folder that has gone since leaves the panel at the program's own folder.
        const QString pinned = Trim(Parm().getRParm(SettingKey::DirText, QString()));
        if (Dir1->setPath(pinned))
            File1->setPath(Dir1->Path());
    }
}

void frmAdd::Form_Activate()
{
    // Quietly: an error box here would re-activate the window when it closes, and report the
    // same failure again without end. The grid's Refresh button reports it.
    try {
        refreshGrid();
        barAdoFile->setCaption(AdoFile->RecordCount() > 0 ? AdoFile->Caption() : QString());
    } catch (const std::exception &) { }
}

void frmAdd::changeEvent(QEvent *event)
{
    FormDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && isLoaded())
        Form_Activate();
}

void frmAdd::fillCombo(QComboBox *combo, const QString &sql, const QString &first,
                       const std::function<bool(const QString &)> &offered)
{
    ReopenConnection();
    db::Recordset &rs = SharedRecordset();
    RunOn(rs, sql);
    if (rs.AtEnd())
        return;
    QStringList entries{first};
    for (; !rs.AtEnd(); rs.MoveNext()) {
        const QString value = Trim(TextOf(rs.Fields(0)));
        if (!offered || offered(value))
            entries << value;
    }
    rs.Close();
    combo->addItems(entries);
}

void frmAdd::LoadGroupName()
{
    ErrorTrap([&] {
        fillCombo(cboGrpName, QStringLiteral("select CodeType from CodeTypes order by CodeType"),
                  QString(), [](const QString &group) {
                      return group.compare(kAllGroups, Qt::CaseInsensitive) != 0;
                  });
    });
}

void frmAdd::LoadWebName()
{
    ErrorTrap([&] {
        fillCombo(cboWebName, QStringLiteral("select distinct webname from webname"), QString(),
                  {});
    });
}

void frmAdd::LoadWebAddress()
{
    ErrorTrap([&] {
        fillCombo(cboWebAddr, QStringLiteral("select distinct webaddress from webname"), QString(),
                  {});
    });
}

void frmAdd::LoadGroupFilter()
{
    if (!ErrorTrap([&] {
            fillCombo(cboGrpList,
                      QStringLiteral("select distinct filegroup from tempfile order by filegroup"),
                      kAllGroups, [](const QString &group) { return !group.isEmpty(); });
        }))
        return;
    if (cboGrpList->count() > 0) {
        cboGrpList->setCurrentIndex(0);
        cboGrpList_Click();
    }
}

void frmAdd::LoadWebSiteFilter()
{
    if (!ErrorTrap([&] {
            fillCombo(cboSiteList,
                      QStringLiteral(
                              "select distinct websitename from tempfile order by websitename"),
                      kAllSites, [](const QString &site) { return !site.isEmpty(); });
        }))
        return;
    if (cboSiteList->count() > 0) {
        cboSiteList->setCurrentIndex(0);
        cboSiteList_Click();
    }
}

void frmAdd::LoadPatterns()
{
    ErrorTrap([&] {
        const QStringList patterns = ReadPatterns();
        if (patterns.isEmpty())
            return;
        Combo1->addItems(patterns);
        Combo1->setCurrentIndex(-1);
        Combo1->setCurrentIndex(0);
    });
}

// ---- grid ----

void frmAdd::refreshGrid()
{
    AdoFile->Refresh();
    for (qsizetype i = 0; i < kGridFields.size(); ++i)
        AdoFile->setColumnCaption(kGridFields[i], kGridCaptions[i]);
    ShowColumns(DataGrid1, AdoFile, kGridFields);
    // The table's own column order puts the address before the site's name.
    QHeaderView *header = DataGrid1->horizontalHeader();
    for (qsizetype i = 0; i < kGridFields.size(); ++i) {
        const int column = AdoFile->FieldIndex(kGridFields[i]);
        if (column < 0)
            continue;
        const int from = header->visualIndex(column);
        const int to = static_cast<int>(i);
        if (from != to)
            header->moveSection(from, to);
    }
}

void frmAdd::applyFilters(const QString &groupFilter, const QString &siteFilter)
{
    const QString group = groupFilter.isEmpty() ? kAllGroups : groupFilter;
    const QString site = siteFilter.isEmpty() ? kAllSites : siteFilter;
    const bool allGroups = group == kAllGroups;
    const bool allSites = site == kAllSites;
    ErrorTrap([&] {
        db::Select staged = kAllStaged;
        if (!allSites)
            staged.Where(QStringLiteral("Websitename = ?"), {site});
        if (!allGroups)
            staged.Where(QStringLiteral("FileGroup = ?"), {group});
        AdoFile->setRecordSource(staged);
        refreshGrid();
    });
    TotalFiles();
}

void frmAdd::cboGrpList_Click()
{
    applyFilters(textOf(cboGrpList), textOf(cboSiteList));
}

void frmAdd::cboSiteList_Click()
{
    applyFilters(textOf(cboGrpList), textOf(cboSiteList));
}

void frmAdd::cboWebName_Click()
{
    ErrorTrap([&] {
        ReopenConnection();
        db::Recordset &rs = SharedRecordset();
        RunOn(rs, QStringLiteral("Select webaddress from webname where Webname =?"),
              {textOf(cboWebName)});
        if (rs.AtEnd()) {
            clearCombo(cboWebAddr);
            return;
        }
        // Each address found is written in turn, so the last one remains.
        for (; !rs.AtEnd(); rs.MoveNext())
            cboWebAddr->setEditText(Trim(TextOf(rs.Fields(0))));
        rs.Close();
    });
}

void frmAdd::TotalFiles()
{
    ErrorTrap([&] {
        refreshGrid();
        if (AdoFile->RecordCount() > 0) {
            AdoFile->setCurrentRow(0);
            barAdoFile->setCaption(AdoFile->Caption());
        } else {
            barAdoFile->setCaption(QString());
        }
    });
}

void frmAdd::SelectFromTempFile()
{
    ErrorTrap([&] { AdoFile->setRecordSource(kAllStaged); });
    TotalFiles();
    cboSiteList->clear();
    LoadWebSiteFilter();
    cboGrpList->clear();
    LoadGroupFilter();
    update();
}

void frmAdd::cmdRefreshGrid_Click()
{
    ErrorTrap([&] {
        refreshGrid();
        barAdoFile->setCaption(AdoFile->RecordCount() > 0 ? AdoFile->Caption() : QString());
    });
}

void frmAdd::CountTempFile()
{
    ErrorTrap([&] {
        ReopenConnection();
        db::Recordset &rs = SharedRecordset();
        RunOn(rs, QStringLiteral("select count(*) from tempfile"));
        TempCount = rs.Fields(0).toLongLong();
        rs.Close();
    });
}

void frmAdd::DeleteFromTempFile()
{
    ErrorTrap([&] {
        ReopenConnection();
        RunCommand(QStringLiteral("delete from tempfile"));
    });
}

// ---- rows ----

// The size the file was taken with, in bytes; none when it was not read.
QVariant frmAdd::stagedSize() const
{
    bool number = false;
    const qint64 bytes = txtFSize->text().toLongLong(&number);
    return number ? QVariant(QString::number(bytes)) : QVariant();
}

void frmAdd::cmdAdd_Click()
{
    if (txtFileName->text().isEmpty()) {
        MsgBox(QStringLiteral("Please Select File to Add!"), vbCritical, QStringLiteral("Error!"));
        return;
    }
    if (textOf(cboGrpName).isEmpty()) {
        MsgBox(kNeedGroup, vbInformation);
        return;
    }
    if (!ErrorTrap([&] {
            ReopenConnection();
            RunCommand(QStringLiteral(
                               "INSERT INTO tempfile (FileDate, FileName, FileDesc, FileGroup, "
                               "WebSiteName, WebAddress, Author, Email, Drive, Label, FilePath, "
                               "Directory, FileIndex, FSize) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, "
                               "?, ?, ?, ?, ?)"),
                       {Now().toString(kDateFormat), onDisk(txtFileName), textOf(txtFileDesc),
                        textOf(cboGrpName), textOf(cboWebName), textOf(cboWebAddr),
                        textOf(txtAuthor), textOf(txtEmail), textOf(txtDrive), textOf(txtLabel),
                        onDisk(txtFilePath), onDisk(txtDir), 2, stagedSize()});
        }))
        return;
    ClearFileInformation();
    SelectFromTempFile();
}

void frmAdd::DataGrid1_DblClick()
{
    CountTempFile();
    if (TempCount == 0 || AdoFile->CurrentRow() < 0)
        return;
    ErrorTrap([&] {
        // A column that is empty leaves its box as it was. A file's name, path and folder are
        // shown as the disk keeps them.
        const auto take = [this](const char *field, const std::function<void(const QString &)> &put,
                                 bool exact = false) {
            const QString text = TextOf(AdoFile->Fields(QString::fromLatin1(field)));
            const QString value = exact ? text : Trim(text);
            if (!value.isEmpty())
                put(value);
        };
        const auto into = [](QLineEdit *box) {
            return [box](const QString &value) {
                box->setText(value);
            };
        };
        const auto intoCombo = [](QComboBox *combo) {
            return [combo](const QString &value) {
                combo->setEditText(value);
            };
        };
        take("FileName", into(txtFileName), true);
        take("FileDate", [this](const QString &value) { Label5->setText(value); });
        take("FilePath", into(txtFilePath), true);
        take("Directory", into(txtDir), true);
        take("FileDesc", into(txtFileDesc));
        take("Inum", into(TxtIndex));
        take("WebSiteName", intoCombo(cboWebName));
        take("WebAddress", intoCombo(cboWebAddr));
        take("FileGroup", intoCombo(cboGrpName));
        take("Author", into(txtAuthor));
        take("Email", into(txtEmail));
        take("Drive", into(txtDrive));
        take("Label", into(txtLabel));
        EnableControlsForEdit();
    });
}

void frmAdd::cmdUpdate_Click()
{
    if (txtFileName->text().isEmpty()) {
        MsgBox(QStringLiteral("Please Select Record to Update!"), vbCritical,
               QStringLiteral("Error!"));
        return;
    }
    if (textOf(cboGrpName).isEmpty()) {
        MsgBox(kNeedGroup, vbInformation);
        return;
    }
    if (MsgBox(QStringLiteral("Are You Sure to Update File Name : ") + textOf(txtFileName),
               kQuestion, QStringLiteral("Update Confirmation"))
        != vbYes)
        return;
    if (!ErrorTrap([&] {
            ReopenConnection();
            // The row whose number the panel shows: the one double-clicked, wherever the grid's
            // current row has moved since.
            RunCommand(
                    QStringLiteral("UPDATE tempfile SET FileDate = ?, FileName = ?, FileDesc = ?, "
                                   "FileGroup = ?, WebSiteName = ?, WebAddress = ?, Author = ?, "
                                   "Email = ?, Drive = ?, Label = ?, FilePath = ?, Directory = ?, ")
                            + kFileFactsOfSamePath + QStringLiteral(" WHERE Inum = ?"),
                    QVariantList{textOf(Label5), onDisk(txtFileName), textOf(txtFileDesc),
                                 textOf(cboGrpName), textOf(cboWebName), textOf(cboWebAddr),
                                 textOf(txtAuthor), textOf(txtEmail), textOf(txtDrive),
                                 textOf(txtLabel), onDisk(txtFilePath), onDisk(txtDir)}
                            + SamePathValues(onDisk(txtFilePath))
                            + QVariantList{rowNumber(TxtIndex->text())});
        }))
        return;
    ClearFileInformation();
    EnableControlsForAdd();
    SelectFromTempFile();
}

void frmAdd::cmdDel_Click()
{
    CountTempFile();
    if (TempCount == 0) {
        MsgBox(kNoRecords, vbInformation);
        return;
    }
    if (txtFileName->text().isEmpty()) {
        MsgBox(QStringLiteral("Please select record to delete!"), vbCritical,
               QStringLiteral("Error!"));
        return;
    }
    if (MsgBox(QStringLiteral("Are You Sure to Delete File Name : ") + textOf(txtFileName),
               kQuestion, QStringLiteral("Delete Confirmation"))
        != vbYes)
        return;
    if (!ErrorTrap([&] {
            ReopenConnection();
            RunCommand(QStringLiteral("DELETE FROM tempfile WHERE Inum = ?"),
                       {rowNumber(TxtIndex->text())});
            AdoFile->setRecordSource(kAllStaged);
        }))
        return;
    TotalFiles();
    ClearFileInformation();
    EnableControlsForAdd();
    SelectFromTempFile();
}

// ---- entry panel ----

void frmAdd::ClearFileInformation()
{
    txtFileName->clear();
    Label5->clear();
    txtFilePath->clear();
    txtFileDesc->clear();
    TxtIndex->clear();
    if (!chkWebName->isChecked())
        clearCombo(cboWebName);
    if (!chkWebAddr->isChecked())
        clearCombo(cboWebAddr);
    if (!chkGrpName->isChecked())
        clearCombo(cboGrpName);
    if (!chkAuthor->isChecked())
        txtAuthor->clear();
    if (!chkEmail->isChecked())
        txtEmail->clear();
    txtDrive->clear();
    txtLabel->clear();
}

void frmAdd::ClearChecks()
{
    for (QCheckBox *hold : {chkGrpName, chkWebName, chkWebAddr, chkAuthor, chkEmail})
        hold->setChecked(false);
}

void frmAdd::ClearAllEntries()
{
    if (MsgBox(QStringLiteral("Clear All Settings!"), kQuestion,
               QStringLiteral("Clear All Settings Confirmation"))
        != vbYes)
        return;
    txtFileName->clear();
    Label5->clear();
    txtFilePath->clear();
    txtFileDesc->clear();
    TxtIndex->clear();
    clearCombo(cboWebName);
    clearCombo(cboWebAddr);
    clearCombo(cboGrpName);
    txtAuthor->clear();
    txtEmail->clear();
    txtDrive->clear();
    txtLabel->clear();
    EnableControlsForAdd();
    ClearChecks();
}

void frmAdd::EnableControlsForAdd()
{
    cmdDel->setEnabled(false);
    cmdUpdate->setEnabled(false);
    cmdAdd->setEnabled(true);
}

void frmAdd::EnableControlsForEdit()
{
    cmdDel->setEnabled(true);
    cmdUpdate->setEnabled(true);
    cmdAdd->setEnabled(false);
}

void frmAdd::LockMyControls()
{
    // Filled only from the file panel, the picker or the grid; never typed.
    for (QLineEdit *box : {txtFileName, txtFilePath, txtDrive}) {
        box->setReadOnly(true);
        box->setEnabled(false);
    }
}

void frmAdd::cmdClear_Click()
{
    if (MsgBox(QStringLiteral("Clear Filename, Drive, and Path?"), kQuestion,
               QStringLiteral("Clear Confirmation"))
        != vbYes)
        return;
    txtFileName->clear();
    txtFilePath->clear();
    txtDrive->clear();
}

void frmAdd::cmdBrow_Click()
{
    if (txtFileName->text().isEmpty())
        return;
    SelectedFileName = txtFileName->text();
    SelectedDirectory = txtDir->text();
    SelectedFilePath = txtFilePath->text();
    PickerCaller = 2;
    OpenWindow(QStringLiteral("frmGet"), this);
}

void frmAdd::cmdGoToWeb_Click()
{
    if (cboWebAddr->currentText().isEmpty())
        return;
    LaunchAddress = textOf(cboWebAddr);
    OpenAddress();
}

void frmAdd::cmdSendEmail_Click()
{
    if (txtEmail->text().isEmpty())
        return;
    LaunchMailAddress = textOf(txtEmail);
    OpenMailAddress();
}

// ---- file panel ----

void frmAdd::cmdOK_Click()
{
    if (!txtFileName->text().isEmpty()) {
        MsgBox(QStringLiteral("Please Clear File Name!"), vbInformation);
        return;
    }
    if (Text1->text().isEmpty()) {
        Text1->setText(File1->FileName());
        MsgBox(QStringLiteral("Please select file!"), vbInformation);
        return;
    }
    ClearFileInformation();
    EnableControlsForAdd();
    txtFileName->setText(Text1->text());
    txtDir->setText(DirectoryText(Text2->text()));
    txtDrive->setText(DriveText(Drive1->Drive()));
    txtFilePath->setText(FullPathOf(Dir1->Path(), Text1->text()));
    // The size in bytes, as "Add Folder..." stores it; none for a file that is not there.
    const QFileInfo file(txtFilePath->text());
    txtFSize->setText(file.isFile() ? QString::number(file.size()) : QString());
}

void frmAdd::cmdRefreshFiles_Click()
{
    File1->Refresh();
    Text1->clear();
}

void frmAdd::Drive1_Change()
{
    filePanel_.followDrive();
}

void frmAdd::Dir1_Change()
{
    // A file name taken in another folder is no file of this one.
    filePanel_.followFolder(true);
}

void frmAdd::File1_Click()
{
    filePanel_.takeFile();
}

void frmAdd::File1_DblClick()
{
    filePanel_.takeFile();
    cmdOK_Click();
}

void frmAdd::Combo1_Click()
{
    filePanel_.applyPattern();
}

void frmAdd::Combo1_Change()
{
    filePanel_.applyPattern();
}

void frmAdd::cmdAddFolder_Click()
{
    if (textOf(cboGrpName).isEmpty()) {
        MsgBox(kNeedGroup, vbInformation);
        return;
    }
    FolderImport import;
    import.root = Dir1->Path();
    import.pattern = Trim(Combo1->currentText());
    import.subfolders = chkSubDirs->isChecked();
    import.drive = DriveText(Drive1->Drive());
    import.group = textOf(cboGrpName);
    import.site = textOf(cboWebName);
    import.address = textOf(cboWebAddr);
    import.author = textOf(txtAuthor);
    import.email = textOf(txtEmail);
    import.checksums = chkChecksums->isChecked();
    FolderImportResult result;
    const bool staged = ErrorTrap([&] {
        ReopenConnection();
        ProgressBox progress(QStringLiteral("Add Folder"),
                             QStringLiteral("Folder: %1\nFiles added: 0").arg(import.root), this);
        result = StageFolder(SharedConnection(), import, progress);
    });
    SelectFromTempFile(); // after a failure too: the folders staged before it stay
    if (!staged)
        return;
    QStringList report{QStringLiteral("Files Added to Temp Table: %1").arg(result.added)};
    Log().addEntry(LogInfo,
                   QStringLiteral("Folder %1 staged: %2 file(s) added, %3 known already")
                           .arg(import.root)
                           .arg(result.added)
                           .arg(result.known));
    if (result.known > 0)
        report << QStringLiteral("Already Staged or in Database: %1").arg(result.known);
    if (!result.unreadable.isEmpty())
        report << QStringLiteral("Folders Not Read: %1 (%2)")
                          .arg(result.unreadable.size())
                          .arg(someOf(result.unreadable));
    if (!result.leftOut.isEmpty())
        report << QStringLiteral("Names Not Valid Text, Left Out: %1 (%2)")
                          .arg(result.leftOut.size())
                          .arg(someOf(result.leftOut));
    if (!result.unsummed.isEmpty())
        report << QStringLiteral("Files Not Read, Added Without Checksum: %1")
                          .arg(result.unsummed.size());
    if (result.cancelled)
        report << QStringLiteral("Cancelled; the files added so far are kept.");
    MsgBox(report.join(QLatin1Char('\n')), vbInformation, QStringLiteral("Add Folder"));
}

void frmAdd::chkChecksums_Click()
{
    Parm().setRParm(SettingKey::FolderChecksums,
                    chkChecksums->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    if (Parm().isError())
        ErrorBox(Parm().getError());
}

// ---- tool bar ----

void frmAdd::Toolbar1_ButtonClick(const QString &key)
{
    if (key == QLatin1String("kExit"))
        HandleExitClick();
    else if (key == QLatin1String("kSave"))
        UpdateMasterTable();
    else if (key == QLatin1String("kDelete"))
        ClearTempTable();
    else if (key == QLatin1String("kClear"))
        ClearAllEntries();
    else if (key == QLatin1String("kSetDir"))
        SetDefaultDirectory();
    else if (key == QLatin1String("kPrint"))
        PrintImportTable();
    else if (key == QLatin1String("kHelp"))
        ShowHelp();
}

void frmAdd::HandleExitClick()
{
    close();
}

void frmAdd::CountFileProfile()
{
    db::Recordset &rs = SharedRecordset();
    RunOn(rs, QStringLiteral("select count(*) from fileprofile"));
    MasterCount = rs.Fields(0).toLongLong();
    rs.Close();
}

void frmAdd::CountFileProfile2()
{
    db::Recordset &rs = SharedRecordset();
    RunOn(rs, QStringLiteral("select count(*) from fileprofile"));
    MasterCountAfter = rs.Fields(0).toLongLong();
    rs.Close();
}

void frmAdd::HandleSaveClick()
{
    // Every column the staging row holds, the label typed with it and the volume and time of
    // change read by "Add Folder..." included. The staged rows
    // are taken out of tempfile as they are copied, so that the rows emptied are the rows
    // copied even while other desks stage more; the caller's transaction puts them back unless
    // the count shows that the master table grew.
    catalogue::NumberStagedGroups(SharedConnection());
    db::MoveRows(
            SharedConnection(), QStringLiteral("tempfile"), QStringLiteral("fileprofile"),
            {QStringLiteral("filename"), QStringLiteral("filedesc"), QStringLiteral("filepath"),
             QStringLiteral("filegroup"), QStringLiteral("filedate"), QStringLiteral("fileindex"),
             QStringLiteral("webaddress"), QStringLiteral("websitename"), QStringLiteral("author"),
             QStringLiteral("email"), QStringLiteral("drive"), QStringLiteral("label"),
             QStringLiteral("directory"), QStringLiteral("FSize"), QStringLiteral("Checksum"),
             QStringLiteral("VolumeId"), QStringLiteral("Modified"), QStringLiteral("GroupKey")},
            QStringLiteral("inum"));
    IndexAddedFiles(SharedConnection());
}

void frmAdd::UpdateMasterTable()
{
    CountTempFile();
    if (TempCount == 0) {
        MsgBox(kNoRecords, vbInformation);
        return;
    }
    if (MsgBox(QStringLiteral("Continue to Update Master Table?"), kQuestion,
               QStringLiteral("Update Confirmation"))
        != vbYes)
        return;
    MasterCount = 0;
    MasterCountAfter = 0;
    // The copy and the emptying of the staging table stand or fall together: a failure, or the
    // program ending, between them can neither lose the staged rows nor copy them twice. Two
    // desks saving at once save one after the other; the second finds only what was staged
    // since the first copied.
    bool saved = false;
    ErrorTrap([&] {
        ReopenConnection();
        db::Transaction transaction(SharedConnection());
        db::Serialise(SharedConnection(), QStringLiteral("tempfile"));
        CountFileProfile();
        HandleSaveClick();
        CountFileProfile2();
        if (MasterCountAfter > MasterCount) {
            transaction.Commit();
            saved = true;
        }
    });
    if (saved) {
        Log().addEntry(LogInfo,
                       QStringLiteral("Master table updated: %1 file(s) saved")
                               .arg(MasterCountAfter - MasterCount));
        SelectFromTempFile();
        if (!txtFileName->text().isEmpty())
            ClearFileInformation();
        return;
    }
    CountTempFile();
    MsgBox(TempCount == 0 ? kNoRecords
                          : QStringLiteral("ERROR - Master Table Update UnSuccessfull!"),
           vbInformation);
}

void frmAdd::ClearTempTable()
{
    CountTempFile();
    if (TempCount == 0) {
        MsgBox(kNoRecords, vbInformation);
        return;
    }
    if (MsgBox(QStringLiteral("Continue to Delete All Records from the Temp Table?"), kQuestion,
               QStringLiteral("Delete Confirmation"))
        != vbYes)
        return;
    DeleteFromTempFile();
    SelectFromTempFile();
}

void frmAdd::SetDefaultDirectory()
{
    const bool pinned = Toolbar1->button(QStringLiteral("kSetDir"))->isChecked();
    Parm().setRParm(SettingKey::DirPinned, pinned ? QStringLiteral("1") : QStringLiteral("0"));
    if (!Parm().isError())
        Parm().setRParm(SettingKey::DirText, pinned ? Text2->text() : QString());
    DefaultDirPinned = pinned;
    if (Parm().isError())
        ErrorBox(Parm().getError());
}

void frmAdd::PrintImportTable()
{
    CountTempFile();
    if (TempCount == 0) {
        MsgBox(kNoRecords, vbInformation);
        return;
    }
    if (MsgBox(QStringLiteral("Print Import Table?"), vbOKCancel + vbCritical + vbDefaultButton2,
               QStringLiteral("Setup"))
        != vbOK)
        return;
    ErrorTrap([&] {
        ShowReport(QStringLiteral("rptFileList"),
                   QStringLiteral("SELECT filename,filedesc,filegroup, directory, websitename, "
                                  "author, email FROM tempfile ORDER BY inum"),
                   {}, QStringLiteral("Imported FileNames"), this);
    });
    cmdRefreshGrid_Click();
}

void frmAdd::ShowHelp()
{
    OpenWindow(QStringLiteral("frmHelpAdd"), this);
}
