#include "catalogue/frmShow.h"
#include "platform/db/DbError.h"

#include "app/CLog.h"
#include "app/CUtils.h"
#include "app/Version.h"
#include "app/modGlobals.h"
#include "app/session.h"
#include "catalogue/FileGroups.h"
#include "catalogue/FolderImport.h"
#include "catalogue/VolumeList.h"
#include "catalogue/frmDuplicates.h"
#include "catalogue/frmVolumes.h"
#include "platform/db/DataControl.h"
#include "platform/db/DistinctValues.h"
#include "platform/ui/Controls.h"
#include "platform/ui/DataGrid.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Fields.h"
#include "platform/ui/ToolBar.h"
#include "platform/ui/WindowCatalogue.h"
#include "reports/ShowReport.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

namespace {

using catalogue::kAllGroups;
using catalogue::kAllSites;
using catalogue::kAllVolumes;
const db::Select kWholeCatalogue = db::Select::From(QStringLiteral("FileProfile"));
const db::Select kWholeCatalogueByName =
        db::Select::From(QStringLiteral("FileProfile")).OrderBy(QStringLiteral("filename"));
// The columns an update writes, in the order of its statement; another desk's change to any of
// them since the row was shown refuses the update.
const QStringList kWrittenColumns = {
        QStringLiteral("FileDate"),  QStringLiteral("FileName"),    QStringLiteral("FileDesc"),
        QStringLiteral("FileGroup"), QStringLiteral("WebSiteName"), QStringLiteral("WebAddress"),
        QStringLiteral("Author"),    QStringLiteral("Email"),       QStringLiteral("Drive"),
        QStringLiteral("Label"),     QStringLiteral("FilePath"),    QStringLiteral("Directory")};
// The grid shows these columns, under these captions, this wide (the last takes the rest).
struct GridColumn
{
    const char *field;
    const char *caption;
    int width;
};
const GridColumn kGridColumns[] = {
        {"FileName", "File Name", 170}, {"FileDesc", "Description", 250},
        {"FileGroup", "Group", 90},     {"WebSiteName", "Web Site Name", 140},
        {"VolumeId", "Volume", 150},    {"Directory", "Directory", 0}};

QComboBox *dropDown(const char *name, bool editable, QWidget *parent)
{
    auto *list = NamedCombo(QString::fromLatin1(name), parent);
    list->setEditable(editable);
    list->setMinimumContentsLength(12);
    list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return list;
}

KeyedToolBar *showToolBar(QWidget *parent)
{
    return NamedToolBar(QStringLiteral("Toolbar1"), parent,
                        {
                                {"kSep0"},
                                {"kExit", "Exit", "application-exit", QStyle::SP_DialogCloseButton},
                                {"kSep1"},
                                {"kRefresh", "Refresh", "view-refresh", QStyle::SP_BrowserReload},
                                {"kSep2"},
                                {"kExpand", "Expand/Shrink Grid", "zoom-fit-best",
                                 QStyle::SP_TitleBarMaxButton},
                                {"kSep3"},
                                {"kHelp", "Help", "help-contents", QStyle::SP_MessageBoxQuestion},
                        });
}

// Sets a drop-down's text, whether or not its list holds it.
void setListText(QComboBox *list, const QString &text)
{
    if (list->isEditable()) {
        list->setEditText(text);
        return;
    }
    const int at = list->findText(text);
    if (at >= 0)
        list->setCurrentIndex(at);
}

} // namespace

frmShow::frmShow(QWidget *parent)
    : FormDialog(parent)
    , Toolbar1(showToolBar(this))
    , AdoFile(Named(new db::DataControl(this), QStringLiteral("AdoFile")))
    , Adodc1(Named(new db::DataControl(this), QStringLiteral("Adodc1")))
    , DataGrid1(Named(new QTableView(this), QStringLiteral("DataGrid1")))
    , barAdoFile(Named(new DataControlBar(AdoFile, this), QStringLiteral("barAdoFile")))
{
    setObjectName(QStringLiteral("frmShow"));
    setWindowTitle(QStringLiteral("Corvina 1.0"));
    buildSearchControls();
    buildDetailFields();
    buildDetailButtons();
    setUpControls();
    layOut();
    connectHandlers();
}

// The filters and the search over the grid, and the captions under it.
void frmShow::buildSearchControls()
{
    cboGrpList = dropDown("cboGrpList", false, this);
    cboSiteList = dropDown("cboSiteList", false, this);
    cboVolList = dropDown("cboVolList", false, this);
    txtSearch = NamedTextBox(QStringLiteral("txtSearch"), this);
    Option1 =
            Named(new QRadioButton(QStringLiteral("File &Name"), this), QStringLiteral("Option1"));
    Option2 = Named(new QRadioButton(QStringLiteral("File &Description"), this),
                    QStringLiteral("Option2"));
    Option3 = Named(new QRadioButton(QStringLiteral("&Web Site Name"), this),
                    QStringLiteral("Option3"));
    cmdClear = NamedButton(QStringLiteral("cmdClear"), QStringLiteral("Clear"), this,
                           QStringLiteral("Clear text box."));
    chkAnywhere =
            NamedCheckBox(QStringLiteral("chkAnywhere"), QStringLiteral("&Find Anywhere"), this);
    chkAnywhere->setToolTip(QStringLiteral("Find the text anywhere in the field, not only at its "
                                           "start; with * or ? in it, as a pattern such as "
                                           "*.cpp or report_??.txt."));
    Label14 = NamedLabel(QStringLiteral("Label14"), QString(), this);
    Label16 = NamedLabel(QStringLiteral("Label16"),
                         QStringLiteral("Double on record above to view file information:"), this);
}

// The shown file's fields.
void frmShow::buildDetailFields()
{
    txtFileName = NamedTextBox(QStringLiteral("txtFileName"), this);
    Label5 = NamedLabel(QStringLiteral("Label5"), QString(), this);
    txtFilePath = NamedTextBox(QStringLiteral("txtFilePath"), this);
    txtDir = NamedTextBox(QStringLiteral("txtDir"), this);
    txtFileDesc = NamedTextBox(QStringLiteral("txtFileDesc"), this);
    txtIndex = NamedTextBox(QStringLiteral("txtIndex"), this);
    cboWebName = dropDown("cboWebName", true, this);
    cboWebAddr = dropDown("cboWebAddr", true, this);
    cboGrpName = dropDown("cboGrpName", true, this);
    txtAuthor = NamedTextBox(QStringLiteral("txtAuthor"), this);
    txtEmail = NamedTextBox(QStringLiteral("txtEmail"), this);
    txtDrive = NamedTextBox(QStringLiteral("txtDrive"), this);
    txtLabel = NamedTextBox(QStringLiteral("txtLabel"), this);
    txtFSize = NamedTextBox(QStringLiteral("txtFSize"), this);
}

// The buttons that act on the shown file, and the information frames.
void frmShow::buildDetailButtons()
{
    cmdUnLock = NamedButton(QStringLiteral("cmdUnLock"), QStringLiteral("Edit"), this,
                            QStringLiteral("Unlock controls for edit."));
    cmdLock = NamedButton(QStringLiteral("cmdLock"), QStringLiteral("Lock"), this,
                          QStringLiteral("Lock controls."));
    cmdClear2 = NamedButton(QStringLiteral("cmdClear2"), QStringLiteral("Clear"), this,
                            QStringLiteral("Clear text boxes."));
    cmdUpdate = NamedButton(QStringLiteral("cmdUpdate"), QStringLiteral("Update"), this,
                            QStringLiteral("Update master table."));
    cmdDel = NamedButton(QStringLiteral("cmdDel"), QStringLiteral("Delete"), this,
                         QStringLiteral("Delete record from master table."));
    cmdEditPath = NamedButton(QStringLiteral("cmdEditPath"), QStringLiteral("Edit Path...."), this,
                              QStringLiteral("Edit file path for this record."));
    cmdFileM = NamedButton(QStringLiteral("cmdFileM"), QStringLiteral("File Mgr...."), this,
                           QStringLiteral("Manage Files"));
    cmdPrintRecord = NamedButton(QStringLiteral("cmdPrintRecord"), QStringLiteral("Print"), this,
                                 QStringLiteral("Print Current Record"));
    cmdDupes = NamedButton(
            QStringLiteral("cmdDupes"), QStringLiteral("Dupl&icates..."), this,
            QStringLiteral("List files catalogued more than once with the same contents."));
    cmdVolumes = NamedButton(QStringLiteral("cmdVolumes"), QStringLiteral("&Volumes..."), this,
                             QStringLiteral("List the volumes the catalogue's folders were read "
                                            "from, online or not, and browse their folders."));
    fraInfo1 = Named(new QFrame(this), QStringLiteral("fraInfo1"));
    fraInfo2 = Named(new QFrame(this), QStringLiteral("fraInfo2"));
}

void frmShow::setUpControls()
{
    DataGrid1->setToolTip(QStringLiteral("Double click on record to view information."));
    DataGrid1->setAccessibleName(QStringLiteral("Files in the catalogue"));
    BindGrid(DataGrid1, AdoFile, {}, [this] { DataGrid1_DblClick(); });
    Option1->setChecked(true);
    Label5->setFrameShape(QFrame::StyledPanel);
    Label5->setMinimumWidth(90);
    // The number names the row an update writes to: it is the shown row's, never typed.
    txtIndex->setReadOnly(true);
    txtIndex->setMaximumWidth(80);
    txtFSize->setMaximumWidth(110);
    txtDrive->setMaximumWidth(80);
}

// The filters over the grid, and the search.
QLayout *frmShow::filterRow()
{
    auto *filters = new QGridLayout;
    filters->addWidget(FieldLabel(QStringLiteral("Filter By &Group"), cboGrpList, this), 0, 0);
    filters->addWidget(cboGrpList, 1, 0);
    filters->addWidget(FieldLabel(QStringLiteral("Filter By Web &Site"), cboSiteList, this), 0, 1);
    filters->addWidget(cboSiteList, 1, 1);
    filters->addWidget(FieldLabel(QStringLiteral("Filte&r By Volume"), cboVolList, this), 0, 2);
    filters->addWidget(cboVolList, 1, 2);
    QGroupBox *searchBy =
            NamedFrame(QStringLiteral("fraSearch"), QStringLiteral("Search By"), this);
    auto *search = new QGridLayout(searchBy);
    search->addWidget(FieldLabel(QStringLiteral("Enter &Text"), txtSearch, searchBy), 0, 0);
    search->addWidget(txtSearch, 0, 1, 1, 2);
    search->addWidget(cmdClear, 0, 3);
    search->addWidget(chkAnywhere, 1, 0);
    search->addWidget(Option1, 1, 1);
    search->addWidget(Option2, 1, 2);
    search->addWidget(Option3, 1, 3);
    filters->addWidget(searchBy, 0, 3, 2, 1);
    filters->setColumnStretch(3, 1);
    return filters;
}

// The shown file's fields, and the buttons that act on it.
QLayout *frmShow::detailPanel()
{
    auto *detail = new QGridLayout;
    const auto field = [&](int row, int column, const QString &label, QWidget *control,
                           int span = 1) {
        detail->addWidget(FieldLabel(label, control, this), row, column);
        detail->addWidget(control, row, column + 1, 1, span);
    };
    field(0, 0, QStringLiteral("File Na&me:"), txtFileName);
    detail->addWidget(new QLabel(QStringLiteral("Date Load:"), this), 0, 2);
    detail->addWidget(Label5, 0, 3);
    field(1, 0, QStringLiteral("File Pat&h:"), txtFilePath, 3);
    field(2, 0, QStringLiteral("Director&y:"), txtDir, 3);
    field(3, 0, QStringLiteral("Des&cription:"), txtFileDesc, 3);
    field(4, 0, QStringLiteral("Web Site N&ame:"), cboWebName);
    field(4, 2, QStringLiteral("Web Addr&ess:"), cboWebAddr);
    field(5, 0, QStringLiteral("Grou&p:"), cboGrpName);
    field(5, 2, QStringLiteral("A&uthor:"), txtAuthor);
    field(6, 0, QStringLiteral("E-Mai&l Address:"), txtEmail);
    field(6, 2, QStringLiteral("Dri&ve:"), txtDrive);
    field(7, 0, QStringLiteral("La&bel:"), txtLabel);
    field(7, 2, QStringLiteral("File Si&ze:"), txtFSize);
    field(8, 0, QStringLiteral("N&o.:"), txtIndex);
    detail->setColumnStretch(1, 1);
    detail->setColumnStretch(3, 1);

    auto *buttons = new QVBoxLayout;
    for (QPushButton *button :
         {cmdUnLock, cmdLock, cmdClear2, cmdUpdate, cmdDel, cmdEditPath, cmdFileM, cmdPrintRecord})
        buttons->addWidget(button);
    buttons->addStretch();

    auto *panel = new QHBoxLayout;
    panel->addLayout(detail, 1);
    panel->addLayout(buttons);
    return panel;
}

// The information frames: what the program is, shown or hidden by a double-click.
QLayout *frmShow::infoRow()
{
    for (QFrame *info : {fraInfo1, fraInfo2}) {
        info->setFrameShape(QFrame::StyledPanel);
        auto *text = new QVBoxLayout(info);
        text->addWidget(
                new QLabel(info == fraInfo1 ? kProductName : QStringLiteral("Version 1.0"), info));
    }
    auto *infoRow = new QHBoxLayout;
    infoRow->addWidget(Label16, 1);
    infoRow->addWidget(fraInfo1);
    infoRow->addWidget(fraInfo2);
    return infoRow;
}

void frmShow::layOut()
{
    QLayout *filters = filterRow();
    QLayout *panel = detailPanel();
    QLayout *info = infoRow();
    auto *body = new QVBoxLayout;
    body->setContentsMargins(10, 6, 10, 10);
    body->addLayout(filters);
    body->addWidget(DataGrid1, 1);
    auto *countRow = new QHBoxLayout;
    countRow->addWidget(barAdoFile, 1);
    countRow->addWidget(Label14, 1);
    countRow->addWidget(cmdDupes);
    countRow->addWidget(cmdVolumes);
    body->addLayout(countRow);
    body->addLayout(info);
    body->addLayout(panel);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Toolbar1);
    layout->addLayout(body, 1);
    resize(900, 720);
}

void frmShow::connectHandlers()
{
    connect(Toolbar1, &KeyedToolBar::ButtonClick, this, &frmShow::Toolbar1_ButtonClick);
    connect(cboGrpList, &QComboBox::activated, this, &frmShow::cboGrpList_Click);
    connect(cboSiteList, &QComboBox::activated, this, &frmShow::cboSiteList_Click);
    connect(cboVolList, &QComboBox::activated, this, &frmShow::cboVolList_Click);
    connect(txtSearch, &QLineEdit::textChanged, this, &frmShow::txtSearch_Change);
    connect(cmdClear, &QPushButton::clicked, this, &frmShow::cmdClear_Click);
    connect(chkAnywhere, &QCheckBox::toggled, this, &frmShow::txtSearch_Change);
    connect(cmdUnLock, &QPushButton::clicked, this, &frmShow::cmdUnLock_Click);
    connect(cmdLock, &QPushButton::clicked, this, &frmShow::cmdLock_Click);
    connect(cmdClear2, &QPushButton::clicked, this, &frmShow::cmdClear2_Click);
    connect(cmdUpdate, &QPushButton::clicked, this, &frmShow::cmdUpdate_Click);
    connect(cmdDel, &QPushButton::clicked, this, &frmShow::cmdDel_Click);
    connect(cmdEditPath, &QPushButton::clicked, this, &frmShow::cmdEditPath_Click);
    connect(cmdFileM, &QPushButton::clicked, this, &frmShow::cmdFileM_Click);
    connect(cmdPrintRecord, &QPushButton::clicked, this, &frmShow::cmdPrintRecord_Click);
    connect(cmdDupes, &QPushButton::clicked, this, &frmShow::cmdDupes_Click);
    connect(cmdVolumes, &QPushButton::clicked, this, &frmShow::cmdVolumes_Click);
}

void frmShow::Form_Load()
{
    CentreWindow(this);
    AdoFile->ConnectionString = ConnectString;
    Adodc1->ConnectionString = ConnectString;
    LoadGrpList();
    LoadWebSite();
    LoadVolList();
    LoadGroupName();
    LoadWebName();
    LoadWebAddress();
    PickerCaller = 0;
    GridNormal = true;
    gridHeight_ = DataGrid1->minimumHeight();
    LockMyControls();
    ErrorTrap([&] {
        showStatement(kWholeCatalogueByName);
        Adodc1->setRecordSource(db::Select::From(QStringLiteral("tempprint")));
        Adodc1->Refresh();
    });
    enableRowButtons(false);
    SelectedFileName.clear();
    SelectedDirectory.clear();
    SelectedFilePath.clear();
    CatalogueChanged = false;
    if (pendingFolder_) {
        const PendingFolder folder = *pendingFolder_;
        pendingFolder_.reset();
        ShowFolder(folder.volumeId, folder.directory, folder.caption);
    }
}

void frmShow::changeEvent(QEvent *event)
{
    FormDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && isLoaded())
        Form_Activate();
}

void frmShow::Form_Activate()
{
    if (!CatalogueChanged)
        return;
    ErrorTrap([&] {
        showStatement(kWholeCatalogueByName);
        cmdClear2_Click();
    });
}

void frmShow::mouseDoubleClickEvent(QMouseEvent *event)
{
    FormDialog::mouseDoubleClickEvent(event);
    Form_DblClick();
}

void frmShow::Form_DblClick()
{
    fraInfo1->setVisible(fraInfo1->isHidden());
    fraInfo2->setVisible(fraInfo2->isHidden());
}

void frmShow::fillList(QComboBox *list, const QVariantList &values)
{
    if (values.isEmpty())
        return;
    list->addItem(QString());
    for (const QVariant &value : values)
        list->addItem(TextOf(value));
}

// The groups come from their numbers, not from reading every row. A rename another session
// left half-carried is finished first.
void frmShow::LoadGrpList()
{
    ErrorTrap([&] {
        ReopenConnection();
        catalogue::CarryGroupNamesShown(SharedConnection(), this);
        const QStringList values = catalogue::GroupsInUse(SharedConnection());
        if (values.isEmpty())
            return;
        cboGrpList->addItem(kAllGroups);
        for (const QString &value : values) {
            if (!value.isEmpty())
                cboGrpList->addItem(value);
        }
        cboGrpList->setCurrentIndex(0);
        cboGrpList_Click();
    });
}

void frmShow::LoadWebSite()
{
    ErrorTrap([&] {
        ReopenConnection();
        const QVariantList values = db::DistinctValues(
                SharedConnection(), QStringLiteral("fileprofile"), QStringLiteral("websitename"));
        if (values.isEmpty())
            return;
        cboSiteList->addItem(kAllSites);
        for (const QVariant &value : values) {
            if (!value.isNull())
                cboSiteList->addItem(value.toString());
        }
        cboSiteList->setCurrentIndex(0);
        cboSiteList_Click();
    });
}

void frmShow::LoadVolList()
{
    ErrorTrap([&] {
        ReopenConnection();
        const QVariant chosen = cboVolList->currentData();
        cboVolList->clear();
        volumeMarks_.clear();
        const QList<catalogue::VolumeMark> marks = catalogue::VolumeMarks(SharedConnection());
        if (marks.isEmpty())
            return;
        cboVolList->addItem(kAllVolumes);
        for (const catalogue::VolumeMark &mark : marks) {
            volumeMarks_.insert(mark.id, mark);
            cboVolList->addItem(mark.shown(), mark.id);
        }
        // The volume chosen before stays chosen while it is still catalogued.
        cboVolList->setCurrentIndex(std::max(0, cboVolList->findData(chosen)));
        DataGrid1->viewport()->update();
    });
}

QString frmShow::volumeText(const QVariant &volumeId) const
{
    if (volumeId.isNull())
        return QString();
    const auto mark = volumeMarks_.constFind(volumeId.toLongLong());
    return mark != volumeMarks_.cend() ? mark->shown() : QString();
}

void frmShow::LoadGroupName()
{
    ErrorTrap([&] {
        ReopenConnection();
        db::Recordset &rs = SharedRecordset();
        RunOn(rs, QStringLiteral("select CodeType from CodeTypes order by inum"));
        QStringList groups;
        for (; !rs.AtEnd(); rs.MoveNext()) {
            const QString group = TextOf(rs.Fields(0));
            if (group.toLower() != kAllGroups.toLower())
                groups << group;
        }
        const bool anyRows = rs.RecordCount() > 0;
        rs.Close();
        if (anyRows) {
            cboGrpName->addItem(QString());
            cboGrpName->addItems(groups);
        }
    });
}

void frmShow::LoadWebName()
{
    ErrorTrap([&] {
        ReopenConnection();
        fillList(cboWebName,
                 db::DistinctValues(SharedConnection(), QStringLiteral("webname"),
                                    QStringLiteral("webname")));
    });
}

void frmShow::LoadWebAddress()
{
    ErrorTrap([&] {
        ReopenConnection();
        fillList(cboWebAddr,
                 db::DistinctValues(SharedConnection(), QStringLiteral("webname"),
                                    QStringLiteral("webaddress")));
    });
}

// A new statement starts the grid at its first row.
void frmShow::showStatement(const BrowserStatement &statement)
{
    AdoFile->setRecordSource(statement);
    AdoFile->Refresh();
    if (AdoFile->RecordCount() > 0)
        AdoFile->setCurrentRow(0);
    showCount();
    QStringList visible;
    for (const GridColumn &column : kGridColumns) {
        visible << QString::fromLatin1(column.field);
        AdoFile->setColumnCaption(visible.last(), QString::fromLatin1(column.caption));
        const int at = AdoFile->FieldIndex(visible.last());
        if (at >= 0 && column.width > 0)
            DataGrid1->setColumnWidth(at, column.width);
    }
    ShowColumns(DataGrid1, AdoFile, visible);
    // The volume is named, and stands before the folder, which takes the rest of the width.
    const int volume = AdoFile->FieldIndex(QStringLiteral("VolumeId"));
    const int directory = AdoFile->FieldIndex(QStringLiteral("Directory"));
    if (volume >= 0 && directory >= 0) {
        if (!DataGrid1->itemDelegateForColumn(volume))
            DataGrid1->setItemDelegateForColumn(
                    volume,
                    new TextDelegate([this](const QVariant &id) { return volumeText(id); },
                                     DataGrid1));
        QHeaderView *header = DataGrid1->horizontalHeader();
        if (header->visualIndex(volume) > header->visualIndex(directory))
            header->moveSection(header->visualIndex(volume), header->visualIndex(directory));
    }
}

// A filter list with no entries filters nothing.
catalogue::Filters frmShow::currentFilters() const
{
    catalogue::Filters filters;
    if (cboGrpList->count() > 0)
        filters.group = Trim(cboGrpList->currentText());
    if (cboSiteList->count() > 0)
        filters.site = Trim(cboSiteList->currentText());
    if (cboVolList->currentIndex() > 0)
        filters.volumes = {cboVolList->currentData().toLongLong()};
    return filters;
}

void frmShow::clearFilters()
{
    for (QComboBox *filter : {cboGrpList, cboSiteList, cboVolList}) {
        if (filter->count() > 0)
            filter->setCurrentIndex(0);
    }
}

// The filters alone choose the rows: the search box is emptied, so that it never shows a text
// the grid does not answer.
void frmShow::applyFilters()
{
    emptySearchBox();
    ErrorTrap([&] { showStatement(FilterStatement(currentFilters())); });
}

void frmShow::cboGrpList_Click()
{
    applyFilters();
}

void frmShow::cboSiteList_Click()
{
    applyFilters();
}

void frmShow::cboVolList_Click()
{
    applyFilters();
}

frmShow::SearchMode frmShow::searchMode() const
{
    return Option2->isChecked() ? ByDescription : Option3->isChecked() ? BySiteName : ByFileName;
}

// The search never interrupts typing with a message: a step that fails is skipped.
void frmShow::txtSearch_Change()
{
    try {
        const QString text = Trim(txtSearch->text());
        const catalogue::Match match = chkAnywhere->isChecked() ? catalogue::AnywhereMatch(text)
                                                                : catalogue::Match::Prefix;
        BrowserStatement statement = catalogue::SearchStatement(
                searchMode(), text, currentFilters(), {QStringLiteral("*")}, match);
        catalogue::NarrowByTextIndex(SharedConnection(), searchMode(), text, match, statement,
                                     catalogue::kFewToSortShown);
        showStatement(statement);
    } catch (const std::exception &) {
        try {
            TotalFiles();
        } catch (const std::exception &) { }
    }
}

void frmShow::emptySearchBox()
{
    const QSignalBlocker quiet(txtSearch);
    txtSearch->clear();
}

void frmShow::cmdClear_Click()
{
    txtSearch->clear();
    txtSearch->setFocus();
}

void frmShow::TotalFiles()
{
    AdoFile->Refresh();
    showCount();
}

void frmShow::showCount()
{
    const qint64 rows = AdoFile->RecordCount();
    if (rows > 0) {
        Label14->setText(QStringLiteral("Total of %1 file (s) found.").arg(rows));
        barAdoFile->setCaption(AdoFile->Caption());
        return;
    }
    Label14->setText(QStringLiteral("0 file(s)"));
    barAdoFile->setCaption(QString());
}

// Counted by the engine: the catalogue's rows are never read for it.
void frmShow::CountFileProfile()
{
    ReopenConnection();
    db::Recordset &rs = SharedRecordset();
    RunOn(rs, QStringLiteral("select count(*) from fileprofile"));
    RecordCount = rs.AtEnd() ? 0 : rs.Fields(0).toLongLong();
    rs.Close();
}

void frmShow::DataGrid1_DblClick()
{
    ErrorTrap([&] {
        RecordCount = 0;
        CountFileProfile();
        if (RecordCount == 0 || AdoFile->CurrentRow() < 0)
            return;
        const auto show = [this](const char *field, const std::function<void(QString)> &into) {
            const QString value = TextOf(AdoFile->Fields(QString::fromLatin1(field)));
            if (!value.isEmpty())
                into(value);
        };
        show("FileName", [this](const QString &v) { txtFileName->setText(v); });
        show("FileDate", [this](const QString &v) { Label5->setText(v); });
        show("FilePath", [this](const QString &v) { txtFilePath->setText(v); });
        show("Directory", [this](const QString &v) { txtDir->setText(v); });
        show("FileDesc", [this](const QString &v) { txtFileDesc->setText(v); });
        show("Inum", [this](const QString &v) { txtIndex->setText(v); });
        show("WebSiteName", [this](const QString &v) { setListText(cboWebName, v); });
        show("WebAddress", [this](const QString &v) { setListText(cboWebAddr, v); });
        show("FileGroup", [this](const QString &v) { setListText(cboGrpName, v); });
        show("Author", [this](const QString &v) { txtAuthor->setText(v); });
        show("Email", [this](const QString &v) { txtEmail->setText(v); });
        show("Drive", [this](const QString &v) { txtDrive->setText(v); });
        show("Label", [this](const QString &v) { txtLabel->setText(v); });
        show("FSize", [this](const QString &v) { txtFSize->setText(v); });
        shown_ = db::RowAsRead(QStringLiteral("fileprofile"), QStringLiteral("Inum"),
                               AdoFile->Fields(QStringLiteral("Inum")));
        for (const QString &column : kWrittenColumns)
            shown_.read(column, AdoFile->Fields(column));
        enableRowButtons(true);
    });
}

void frmShow::Toolbar1_ButtonClick(const QString &key)
{
    if (key == QLatin1String("kExit"))
        HandleExitClick();
    else if (key == QLatin1String("kExpand"))
        ToggleGridSize();
    else if (key == QLatin1String("kRefresh"))
        HandleRefreshClick();
    else if (key == QLatin1String("kHelp"))
        ShowHelp();
}

void frmShow::HandleExitClick()
{
    close();
}

void frmShow::ToggleGridSize()
{
    GridNormal = !GridNormal;
    DataGrid1->setMinimumHeight(GridNormal ? gridHeight_ : Twips(this, 5000));
}

void frmShow::ShowHelp()
{
    OpenWindow(QStringLiteral("frmHelpShow"), this);
}

QList<QWidget *> frmShow::detailControls() const
{
    return {txtFileName, txtFilePath, txtDir,   txtFileDesc, cboWebName, cboWebAddr,
            cboGrpName,  txtAuthor,   txtEmail, txtDrive,    txtLabel,   txtFSize};
}

void frmShow::LockMyControls()
{
    for (QWidget *control : detailControls()) {
        if (auto *box = qobject_cast<QLineEdit *>(control))
            box->setReadOnly(true);
        else if (auto *list = qobject_cast<QComboBox *>(control); list && list->lineEdit())
            list->lineEdit()->setReadOnly(true);
        // The description stays readable in full, as it scrolls.
        control->setEnabled(control == txtFileDesc);
    }
}

void frmShow::UnlockMyControls()
{
    for (QWidget *control : detailControls()) {
        if (auto *box = qobject_cast<QLineEdit *>(control))
            box->setReadOnly(false);
        else if (auto *list = qobject_cast<QComboBox *>(control); list && list->lineEdit())
            list->lineEdit()->setReadOnly(false);
        control->setEnabled(true);
    }
}

void frmShow::cmdUnLock_Click()
{
    UnlockMyControls();
    txtFileName->setFocus();
}

void frmShow::cmdLock_Click()
{
    LockMyControls();
}

void frmShow::enableRowButtons(bool on)
{
    cmdEditPath->setEnabled(on);
    cmdFileM->setEnabled(on);
    cmdPrintRecord->setEnabled(on);
}

void frmShow::cmdClear2_Click()
{
    for (QLineEdit *box : {txtFileName, txtFilePath, txtDir, txtFileDesc, txtIndex, txtAuthor,
                           txtEmail, txtDrive, txtLabel, txtFSize})
        box->clear();
    Label5->clear();
    shown_.clear();
    for (QComboBox *list : {cboWebName, cboWebAddr, cboGrpName}) {
        // A list whose table is empty has no empty entry to select; its text is cleared instead.
        if (list->count() > 0)
            list->setCurrentIndex(0);
        list->setEditText(list->count() > 0 ? list->itemText(0) : QString());
    }
    enableRowButtons(false);
}

void frmShow::reloadFilterLists()
{
    emptySearchBox();
    cboSiteList->clear();
    LoadWebSite();
    cboGrpList->clear();
    LoadGrpList();
    LoadVolList();
    if (cboGrpList->count() == 0 && cboSiteList->count() == 0)
        TotalFiles();
}

db::RowAsRead frmShow::shownAsRead(qint64 row) const
{
    return !shown_.isEmpty() && shown_.key().toLongLong() == row
            ? shown_
            : db::RowAsRead(QStringLiteral("fileprofile"), QStringLiteral("Inum"), row);
}

qint64 frmShow::shownRow() const
{
    bool numbered = false;
    const qint64 row = txtIndex->text().trimmed().toLongLong(&numbered);
    if (!numbered)
        throw db::DbError(QStringLiteral("The row number is not a number."));
    return row;
}

void frmShow::cmdUpdate_Click()
{
    if (txtIndex->text().isEmpty() || txtFileName->text().isEmpty()) {
        MsgBox(QStringLiteral("Please select record to update!"), vbCritical,
               QStringLiteral("Error!"));
        cmdClear2_Click();
        LockMyControls();
        return;
    }
    if (cboGrpName->currentText().isEmpty() || txtFileName->text().isEmpty()
        || txtDir->text().isEmpty() || txtFilePath->text().isEmpty()) {
        MsgBox(QStringLiteral("Error - Cannot Update, Missing Data!"), vbInformation);
        return;
    }
    if (MsgBox(QStringLiteral("Are You Sure to Update File Name : ") + Trim(txtFileName->text()),
               vbYesNo + vbCritical, QStringLiteral("Update Confirmation"))
        != vbYes)
        return;
    // A save that fails keeps what was typed, to be saved again or compared with the row as
    // it now stands.
    qint64 row = -1;
    try {
        row = shownRow();
        // A panel filled other than from the grid guards only against the row's removal.
        const db::RowAsRead asRead = shownAsRead(row);
        ReopenConnection();
        // A file's name, path and folder are kept as the disk keeps them: trimmed of a blank
        // at either end, they would name another file.
        RunUpdateAsRead(
                asRead,
                QStringLiteral("UPDATE fileprofile SET FileDate = ?, FileName = ?, FileDesc = "
                               "?, FileGroup = ?, WebSiteName = ?, WebAddress = ?, Author = ?, "
                               "Email = ?, Drive = ?, Label = ?, FilePath = ?, Directory = ?, ")
                        + kFileFactsOfSamePath + QStringLiteral(" WHERE Inum = ?"),
                QVariantList{Trim(Label5->text()), txtFileName->text(), Trim(txtFileDesc->text()),
                             Trim(cboGrpName->currentText()), Trim(cboWebName->currentText()),
                             Trim(cboWebAddr->currentText()), Trim(txtAuthor->text()),
                             Trim(txtEmail->text()), Trim(txtDrive->text()), Trim(txtLabel->text()),
                             txtFilePath->text(), txtDir->text()}
                        + SamePathValues(txtFilePath->text()) + QVariantList{row});
    } catch (const db::RowChangedError &refused) {
        showRefusal(refused);
        return;
    } catch (const std::exception &) {
        MsgBox(QStringLiteral("Error - Cannot Update Master Database!"), vbCritical,
               QStringLiteral("Error!"));
        LockMyControls();
        return;
    }
    AdoFile->setRecordSource(kWholeCatalogue);
    cmdClear2_Click();
    LockMyControls();
    reloadFilterLists();
    // The row just saved stays the grid's current row.
    const qint64 at = AdoFile->model()->rowOf(row);
    if (at >= 0) {
        AdoFile->setCurrentRow(at);
        barAdoFile->setCaption(AdoFile->Caption());
        DataGrid1->scrollTo(AdoFile->model()->index(static_cast<int>(at), 0));
    }
}

void frmShow::showRefusal(const db::RowChangedError &refused)
{
    ErrorBox(refused.description());
    LockMyControls();
    // The grid shows the row as the other desk left it, to be shown again.
    try {
        AdoFile->Refresh();
        showCount();
    } catch (const std::exception &) { }
}

void frmShow::cmdDel_Click()
{
    if (txtFileName->text().isEmpty()) {
        MsgBox(QStringLiteral("Please select record to delete!"), vbCritical,
               QStringLiteral("Error!"));
        return;
    }
    if (MsgBox(QStringLiteral("Delete File Name : ") + Trim(txtFileName->text()),
               vbYesNo + vbCritical, QStringLiteral("Delete Confirmation"))
        != vbYes)
        return;
    bool refused = false;
    if (!ErrorTrap([&] {
            const qint64 row = shownRow();
            ReopenConnection();
            // Only the row as it was shown: one another desk changed since is kept.
            try {
                RunDeleteAsRead(shownAsRead(row),
                                QStringLiteral("DELETE FROM fileprofile WHERE Inum = ?"), {row});
            } catch (const db::RowChangedError &refusal) {
                showRefusal(refusal);
                refused = true;
                return;
            }
            AdoFile->setRecordSource(kWholeCatalogue);
            TotalFiles();
        })
        || refused)
        return;
    Log().addEntry(LogInfo,
                   QStringLiteral("Deleted from the catalogue: %1").arg(txtFilePath->text()));
    cmdClear2_Click();
    reloadFilterLists();
}

void frmShow::cmdEditPath_Click()
{
    if (txtFileName->text().isEmpty())
        return;
    SelectedFileName = txtFileName->text();
    SelectedDirectory = txtDir->text();
    SelectedFilePath = txtFilePath->text();
    PickerCaller = 1;
    OpenWindow(QStringLiteral("frmGet"), this);
}

void frmShow::cmdFileM_Click()
{
    SelectedFileName = txtFileName->text();
    SelectedDirectory = txtDir->text();
    if (SelectedFileName.isEmpty() || SelectedDirectory.isEmpty())
        return;
    CatalogueChanged = false;
    OpenWindow(QStringLiteral("frmFileMgr"), this);
    // Coming back from the file manager is an activation of this window.
    Form_Activate();
}

void frmShow::cmdPrintRecord_Click()
{
    if (txtFileName->text().isEmpty()) {
        MsgBox(QStringLiteral("Please Select Record to Print!"), vbInformation);
        return;
    }
    if (MsgBox(QStringLiteral("Print Current Record?"), vbOKCancel + vbCritical + vbDefaultButton2,
               QStringLiteral("Current Record"))
        != vbOK)
        return;
    ClearTempPrint();
    CountTempPrint();
    if (RecordCount == 0)
        AddPrintRecord();
    PrintCurrentRecord();
}

void frmShow::CountTempPrint()
{
    try {
        ReopenConnection();
        db::Recordset &rs = SharedRecordset();
        RunOn(rs, QStringLiteral("select count(*) from tempprint"));
        RecordCount = rs.AtEnd() ? 0 : rs.Fields(0).toLongLong();
        rs.Close();
    } catch (const std::exception &error) {
        MsgBox(QStringLiteral("Error:3 ") + QString::fromUtf8(error.what()));
    }
}

// The print table holds the one row being printed; whatever an earlier run left goes first.
void frmShow::ClearTempPrint()
{
    try {
        CountTempPrint();
        if (RecordCount >= 1) {
            RunCommand(QStringLiteral("DELETE FROM tempprint"));
            Adodc1->Refresh();
        }
    } catch (const std::exception &error) {
        MsgBox(QStringLiteral("Error:2 ") + QString::fromUtf8(error.what()));
    }
}

void frmShow::AddPrintRecord()
{
    if (RecordCount != 0) {
        MsgBox(QStringLiteral("Table Not Empty?"), vbInformation);
        return;
    }
    if (txtFileName->text().isEmpty())
        return;
    try {
        ReopenConnection();
        RunCommand(QStringLiteral("INSERT INTO tempprint (filedate, filename, filedesc, "
                                  "filegroup, websitename, webaddress, author, email, directory, "
                                  "filepath) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                   {Label5->text(), Trim(txtFileName->text()), Trim(txtFileDesc->text()),
                    Trim(cboGrpName->currentText()), Trim(cboWebName->currentText()),
                    Trim(cboWebAddr->currentText()), Trim(txtAuthor->text()),
                    Trim(txtEmail->text()), Trim(txtDir->text()), Trim(txtFilePath->text())});
        Adodc1->Refresh();
    } catch (const std::exception &error) {
        MsgBox(QStringLiteral("Error:1 ") + QString::fromUtf8(error.what()));
    }
}

void frmShow::PrintCurrentRecord()
{
    CountTempPrint();
    if (RecordCount == 0) {
        MsgBox(QStringLiteral("ERROR - No Records Found!"), vbInformation);
        return;
    }
    ErrorTrap([&] {
        ShowReport(QStringLiteral("rptFileList"),
                   QStringLiteral("SELECT filename,filedesc,filegroup, directory, websitename, "
                                  "author, email FROM tempprint"),
                   {}, QStringLiteral("Cuurent Record"), this);
    });
}

void frmShow::HandleRefreshClick()
{
    if (MsgBox(QStringLiteral("Refresh All?"), vbYesNo + vbCritical,
               QStringLiteral("Refresh Confirmation"))
        != vbYes)
        return;
    ErrorTrap([&] {
        AdoFile->setRecordSource(kWholeCatalogue);
        TotalFiles();
        cmdClear2_Click();
        LoadVolList();
        clearFilters();
        applyFilters();
    });
}

void frmShow::cmdDupes_Click()
{
    qint64 chosen = -1;
    OpenWindow(QStringLiteral("frmDuplicates"), this, [&chosen](QWidget *window) {
        connect(static_cast<frmDuplicates *>(window), &frmDuplicates::rowChosen,
                [&chosen](qint64 row) { chosen = row; });
    });
    if (chosen >= 0)
        GoToRow(chosen);
}

void frmShow::GoToRow(qint64 row)
{
    ErrorTrap([&] {
        qint64 at = AdoFile->model()->rowOf(row);
        if (at < 0) {
            emptySearchBox();
            clearFilters();
            showStatement(kWholeCatalogueByName);
            at = AdoFile->model()->rowOf(row);
        }
        if (at < 0) {
            MsgBox(QStringLiteral("This file is no longer in the catalogue."), vbInformation);
            return;
        }
        AdoFile->setCurrentRow(at);
        barAdoFile->setCaption(AdoFile->Caption());
        DataGrid1->scrollTo(AdoFile->model()->index(static_cast<int>(at), 0));
        DataGrid1->setFocus();
        cmdClear2_Click();
        DataGrid1_DblClick();
    });
}

void frmShow::cmdVolumes_Click()
{
    std::optional<PendingFolder> chosen;
    OpenWindow(QStringLiteral("frmVolumes"), this, [&chosen](QWidget *window) {
        static_cast<frmVolumes *>(window)->ShowFiles =
                [&chosen](qint64 volumeId, const QString &directory, const QString &caption) {
                    chosen = PendingFolder{volumeId, directory, caption};
                };
    });
    // The window may have renamed, rescanned or removed volumes.
    const qint64 filtered =
            cboVolList->currentIndex() > 0 ? cboVolList->currentData().toLongLong() : 0;
    LoadVolList();
    if (chosen)
        ShowFolder(chosen->volumeId, chosen->directory, chosen->caption);
    else if (filtered != 0 && cboVolList->currentIndex() <= 0)
        applyFilters();
    else
        ErrorTrap([&] { TotalFiles(); });
}

void frmShow::ShowFolder(qint64 volumeId, const QString &directory, const QString &caption)
{
    ErrorTrap([&] {
        emptySearchBox();
        clearFilters();
        // A search from here looks through the folder's volume.
        cboVolList->setCurrentIndex(std::max(0, cboVolList->findData(volumeId)));
        showStatement(catalogue::FolderStatement(volumeId, directory));
        Label14->setText(QStringLiteral("%1 In %2").arg(Label14->text(), caption));
        DataGrid1->setFocus();
    });
}

void frmShow::ShowFolderOnLoad(qint64 volumeId, const QString &directory, const QString &caption)
{
    pendingFolder_ = PendingFolder{volumeId, directory, caption};
}
