#include "snippets/frmSnippet.h"

#include "app/CUtils.h"
#include "app/FilterNames.h"
#include "app/session.h"
#include "platform/Clock.h"
#include "platform/db/Transaction.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Fields.h"
#include "platform/ui/ToolBar.h"
#include "platform/ui/WindowCatalogue.h"
#include "snippets/PrintSource.h"
#include "snippets/TextBox.h"
#include "snippets/TextFile.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTabWidget>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const QString kNotebook = QStringLiteral("Sourcecode Notebook");
// How [datetime] is written, and how the window shows it.
const QString kStoredFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
const QString kShownFormat = QStringLiteral("MM/dd/yyyy");
// Said of a snippet removed at another desk since it was listed.
const QString kSnippetGone = QStringLiteral("The snippet is no longer in the database.");

const QString kTitleColumns = QStringLiteral(
        "SELECT id, title, codetype, webaddress, websitename, author, email FROM source ");

// A title row: the snippet's id rides along as its tag. Columns sort as a person reads them,
// without regard to case.
class TitleRow : public QTreeWidgetItem
{
public:
    using QTreeWidgetItem::QTreeWidgetItem;

    bool operator<(const QTreeWidgetItem &other) const override
    {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        const int order = QString::localeAwareCompare(text(column).toCaseFolded(),
                                                      other.text(column).toCaseFolded());
        return order != 0 ? order < 0 : id() < static_cast<const TitleRow &>(other).id();
    }

    qint64 id() const { return data(0, Qt::UserRole).toLongLong(); }
};

QString shownDate(const QString &stored)
{
    QDateTime when = QDateTime::fromString(stored, kStoredFormat);
    if (!when.isValid())
        when = QDateTime::fromString(stored, Qt::ISODate);
    if (when.isValid())
        return when.toString(kShownFormat);
    const QDate day = QDate::fromString(stored.left(10), QStringLiteral("yyyy-MM-dd"));
    return day.isValid() ? day.toString(kShownFormat) : stored;
}

// LIKE takes "%" and "_" as wild cards; a find text is meant letter for letter.
QString likeAnywhere(QString text)
{
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    text.replace(QLatin1Char('%'), QStringLiteral("\\%"));
    text.replace(QLatin1Char('_'), QStringLiteral("\\_"));
    return QLatin1Char('%') + text + QLatin1Char('%');
}

const QStringList kTitleHeadings = {QStringLiteral("Title"),    QStringLiteral("Code Type"),
                                    QStringLiteral("Web Name"), QStringLiteral("Web Address"),
                                    QStringLiteral("Author"),   QStringLiteral("Email")};

KeyedToolBar *snippetToolBar(QWidget *parent)
{
    return NamedToolBar(
            QStringLiteral("toolBar"), parent,
            {
                    {"kExit", "Exit", "application-exit", QStyle::SP_DialogCloseButton},
                    {"kSep1"},
                    {"kNew", "New Snippet", "document-new", QStyle::SP_FileIcon},
                    {"kDelete", "Delete Snippet", "edit-delete", QStyle::SP_TrashIcon},
                    {"kSave", "Save Snippet", "document-save", QStyle::SP_DialogSaveButton},
                    {"kRefresh", "Refresh", "view-refresh", QStyle::SP_BrowserReload},
                    {"kSep2"},
                    {"kPaste", "Paste To Source", "edit-paste", QStyle::SP_ArrowDown},
                    {"kCopy", "Copy From Source", "edit-copy", QStyle::SP_ArrowUp},
                    {"kFind", "Find Title", "edit-find", QStyle::SP_FileDialogContentsView},
                    {"kPrint", "Print Source", "document-print", QStyle::SP_FileDialogDetailedView},
                    {"kSep3"},
                    {"kPasteNotes", "Paste To Notes", "edit-paste", QStyle::SP_ArrowRight},
                    {"kCopyNotes", "Copy From Notes", "edit-copy", QStyle::SP_ArrowLeft},
                    {"kSep4"},
                    {"kHelp", "Help", "help-contents", QStyle::SP_DialogHelpButton},
            });
}

} // namespace

frmSnippet::frmSnippet(QWidget *parent)
    : FormDialog(parent)
    , menuBar(Named(new QMenuBar(this), QStringLiteral("menuBar")))
    , toolBar(snippetToolBar(this))
    , cmbFilter(NamedCombo(QStringLiteral("cmbFilter"), this))
    , cboSiteList(NamedCombo(QStringLiteral("cboSiteList"), this))
    , lstTitles(NamedReportList(QStringLiteral("lstTitles"), kTitleHeadings, this))
    , txtTitle(NamedTextBox(QStringLiteral("txtTitle"), this))
    , cmbType(NamedCombo(QStringLiteral("cmbType"), this, true))
    , cboWebName(NamedCombo(QStringLiteral("cboWebName"), this, true))
    , cboWebAddr(NamedCombo(QStringLiteral("cboWebAddr"), this, true))
    , txtAuthor(NamedTextBox(QStringLiteral("txtAuthor"), this))
    , txtEmail(NamedTextBox(QStringLiteral("txtEmail"), this))
    , Label5(NamedLabel(QStringLiteral("Label5"), QString(), this))
    , tabSnippet(Named(new QTabWidget(this), QStringLiteral("tabSnippet")))
    , rtbCodeWindow(Named(new TextBox(this), QStringLiteral("rtbCodeWindow")))
    , rtbNotes(Named(new TextBox(this), QStringLiteral("rtbNotes")))
    , cmdRest(NamedButton(QStringLiteral("cmdRest"), QStringLiteral("&Clear All"), this))
{
    setObjectName(QStringLiteral("frmSnippet"));
    setWindowTitle(QStringLiteral("Code Snippets"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setWindowFlag(Qt::WindowMinimizeButtonHint);

    buildMenus();
    buildTitleList();
    buildFields();
    layOut();
    connectHandlers();
}

void frmSnippet::buildMenus()
{
    QMenu *file = menuBar->addMenu(QStringLiteral("&File"));
    mnuExit = NamedItem(file, QStringLiteral("mnuExit"), QStringLiteral("&Exit"));
    QMenu *snippet = menuBar->addMenu(QStringLiteral("&Snippet"));
    mnuNew =
            NamedItem(snippet, QStringLiteral("mnuNew"), QStringLiteral("&New"), QKeySequence::New);
    mnuCopy = NamedItem(snippet, QStringLiteral("mnuCopy"), QStringLiteral("&Copy"));
    mnuPaste = NamedItem(snippet, QStringLiteral("mnuPaste"), QStringLiteral("&Paste"));
    mnuSave = NamedItem(snippet, QStringLiteral("mnuSave"), QStringLiteral("&Save"),
                        QKeySequence::Save);
    mnuDelete = NamedItem(snippet, QStringLiteral("mnuDelete"), QStringLiteral("&Delete"));
    mnuPrint = NamedItem(snippet, QStringLiteral("mnuPrint"), QStringLiteral("&Print"),
                         QKeySequence::Print);
    mnuFind = NamedItem(snippet, QStringLiteral("mnuFind"), QStringLiteral("&Find"),
                        QKeySequence::Find);
    QMenu *groups = Named(menuBar->addMenu(QStringLiteral("&Groups")), QStringLiteral("mnuType"));
    mnuAdd = NamedItem(groups, QStringLiteral("mnuAdd"), QStringLiteral("&Add/Edit Group Type"));
    QMenu *help = Named(menuBar->addMenu(QStringLiteral("&Help")), QStringLiteral("mnuHelpMain"));
    mnuHelp = NamedItem(help, QStringLiteral("mnuHelp"), QStringLiteral("&Help"));
}

// The filters and the titles.
void frmSnippet::buildTitleList()
{
    cmbFilter->setMinimumContentsLength(16);
    cboSiteList->setMinimumContentsLength(20);
    lstTitles->setAccessibleName(QStringLiteral("Titles"));
    lstTitles->setSelectionMode(QAbstractItemView::SingleSelection);
    lstTitles->header()->setSectionsClickable(true);
    lstTitles->header()->setSortIndicatorShown(false);
    const int widths[] = {250, 90, 130, 190, 110};
    for (int column = 0; column < 5; ++column)
        lstTitles->setColumnWidth(column, widths[column]);
}

// The snippet's fields.
void frmSnippet::buildFields()
{
    Label5->setAccessibleName(QStringLiteral("Date Load"));
    Label5->setMinimumWidth(90);
    Label5->setTextInteractionFlags(Qt::TextSelectableByMouse);
    for (QComboBox *box : {cmbType, cboWebName, cboWebAddr})
        SelectAllOnFocus(box->lineEdit());

    rtbCodeWindow->setAccessibleName(QStringLiteral("Source"));
    rtbNotes->setAccessibleName(QStringLiteral("Notes"));
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    rtbCodeWindow->setFont(fixed);
    rtbCodeWindow->setLineWrapMode(QTextEdit::NoWrap);
    rtbCodeWindow->setTabWidth(4);
    rtbNotes->setTabWidth(4);
    tabSnippet->addTab(rtbCodeWindow, QStringLiteral("Source"));
    tabSnippet->addTab(rtbNotes, QStringLiteral("Notes"));
}

// The two filters, on one row.
QLayout *frmSnippet::filterRow()
{
    auto *filters = new QHBoxLayout;
    filters->addWidget(FieldLabel(QStringLiteral("Filter &By Group:"), cmbFilter, this));
    filters->addWidget(cmbFilter);
    filters->addSpacing(16);
    filters->addWidget(FieldLabel(QStringLiteral("Filter By &Web Site"), cboSiteList, this));
    filters->addWidget(cboSiteList);
    filters->addStretch();
    return filters;
}

// The snippet's fields beside their labels, with its date and the Clear All button.
QLayout *frmSnippet::fieldGrid()
{
    auto *fields = new QGridLayout;
    fields->setContentsMargins(0, 6, 0, 0);
    fields->addWidget(FieldLabel(QStringLiteral("&Title:"), txtTitle, this), 0, 0);
    fields->addWidget(txtTitle, 0, 1, 1, 3);
    fields->addWidget(FieldLabel(QStringLiteral("Gro&up:"), cmbType, this), 1, 0);
    fields->addWidget(cmbType, 1, 1);
    fields->addWidget(FieldLabel(QStringLiteral("Web Site &Name:"), cboWebName, this), 1, 2);
    fields->addWidget(cboWebName, 1, 3);
    fields->addWidget(FieldLabel(QStringLiteral("Auth&or:"), txtAuthor, this), 2, 0);
    fields->addWidget(txtAuthor, 2, 1);
    fields->addWidget(FieldLabel(QStringLiteral("Web &Address:"), cboWebAddr, this), 2, 2);
    fields->addWidget(cboWebAddr, 2, 3);
    fields->addWidget(FieldLabel(QStringLiteral("&E-Mail Address:"), txtEmail, this), 3, 0);
    fields->addWidget(txtEmail, 3, 1);
    auto *dated = new QHBoxLayout;
    dated->addWidget(new QLabel(QStringLiteral("Date Load:"), this));
    dated->addWidget(Label5);
    dated->addStretch();
    dated->addWidget(cmdRest);
    fields->addLayout(dated, 3, 2, 1, 2);
    fields->setColumnStretch(1, 2);
    fields->setColumnStretch(3, 3);
    return fields;
}

void frmSnippet::layOut()
{
    // Layout: filters, then the titles over the snippet, the two parts sharing the height.
    QLayout *filters = filterRow();
    QLayout *fields = fieldGrid();
    auto *lower = new QWidget(this);
    auto *lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->addLayout(fields);
    lowerLayout->addWidget(tabSnippet, 1);

    auto *split = Named(new QSplitter(Qt::Vertical, this), QStringLiteral("splitTitles"));
    split->setChildrenCollapsible(false);
    split->addWidget(lstTitles);
    split->addWidget(lower);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 2);

    auto *body = new QVBoxLayout;
    body->setContentsMargins(10, 8, 10, 10);
    body->addLayout(filters);
    body->addWidget(split, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menuBar);
    layout->addWidget(toolBar);
    layout->addLayout(body, 1);

    // In its normal state the window keeps room for every field and a useful piece of code.
    setMinimumSize(Twips(this, 11000), Twips(this, 8400));
    resize(minimumSize().expandedTo(QSize(940, 720)));
}

void frmSnippet::connectHandlers()
{
    connect(mnuExit, &QAction::triggered, this, &frmSnippet::mnuExit_Click);
    connect(mnuNew, &QAction::triggered, this, &frmSnippet::mnuNew_Click);
    connect(mnuCopy, &QAction::triggered, this, &frmSnippet::mnuCopy_Click);
    connect(mnuPaste, &QAction::triggered, this, &frmSnippet::mnuPaste_Click);
    connect(mnuSave, &QAction::triggered, this, &frmSnippet::mnuSave_Click);
    connect(mnuDelete, &QAction::triggered, this, &frmSnippet::mnuDelete_Click);
    connect(mnuPrint, &QAction::triggered, this, &frmSnippet::mnuPrint_Click);
    connect(mnuFind, &QAction::triggered, this, &frmSnippet::mnuFind_Click);
    connect(mnuAdd, &QAction::triggered, this, &frmSnippet::mnuAdd_Click);
    connect(mnuHelp, &QAction::triggered, this, &frmSnippet::mnuHelp_Click);
    connect(toolBar, &KeyedToolBar::ButtonClick, this, &frmSnippet::toolBar_ButtonClick);
    connect(cmbFilter, &QComboBox::activated, this, &frmSnippet::cmbFilter_Click);
    connect(cboSiteList, &QComboBox::activated, this, &frmSnippet::cboSiteList_Click);
    connect(cboWebName, &QComboBox::activated, this, &frmSnippet::cboWebName_Click);
    // The title picked, by mouse or by keyboard, is the one shown, so that what is saved or
    // deleted is always what the user sees. A click on the picked title shows it again after
    // "Clear All".
    connect(lstTitles, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *current) {
        if (current)
            lstTitles_Click();
    });
    connect(lstTitles, &QTreeWidget::itemClicked, this, [this] {
        if (selectedId() != shownId_)
            lstTitles_Click();
    });
    connect(lstTitles->header(), &QHeaderView::sectionClicked, this,
            &frmSnippet::lstTitles_ColumnClick);
    connect(cmdRest, &QPushButton::clicked, this, &frmSnippet::cmdRest_Click);
    rtbCodeWindow->onDrop([this](const QMimeData *data) { rtbCodeWindow_DragDrop(data); });
    rtbNotes->onDrop([this](const QMimeData *data) { rtbNotes_DragDrop(data); });
}

void frmSnippet::Form_Load()
{
    CentreWindow(this);
    NewSnippet = true;
    LoadGroupLists();
    LoadSiteList();
    LoadWebAddress();
    LoadWebName();
    LoadTitles();
    tabSnippet->setCurrentWidget(rtbCodeWindow);
}

void frmSnippet::LoadGroupLists()
{
    cmbType->clear();
    cmbFilter->clear();
    cmbFilter->addItem(QStringLiteral("All Groups"));
    ErrorTrap([this] {
        ReopenConnection();
        db::Recordset &rs = SharedRecordset();
        RunOn(rs, QStringLiteral("SELECT codetype FROM codetypes order by inum"));
        for (; !rs.AtEnd(); rs.MoveNext()) {
            const QString group = TextOf(rs.Fields(0));
            if (group.compare(kAllGroups, Qt::CaseInsensitive) == 0)
                continue;
            cmbType->addItem(group);
            cmbFilter->addItem(group);
        }
    });
    cmbFilter->setCurrentIndex(0);
    cmbType->setCurrentIndex(cmbType->count() > 0 ? 0 : -1);
}

void frmSnippet::LoadSiteList()
{
    cboSiteList->clear();
    cboSiteList->addItem(QStringLiteral("All Sites"));
    ErrorTrap([this] {
        ReopenConnection();
        db::Recordset &rs = SharedRecordset();
        RunOn(rs, QStringLiteral("SELECT distinct Websitename FROM source"));
        for (; !rs.AtEnd(); rs.MoveNext()) {
            const QString site = TextOf(rs.Fields(0));
            if (!site.isEmpty())
                cboSiteList->addItem(site);
        }
    });
    cboSiteList->setCurrentIndex(0);
}

void frmSnippet::reloadSiteList()
{
    const int chosen = cboSiteList->currentIndex();
    const QString site = cboSiteList->currentText();
    LoadSiteList();
    if (chosen > 0)
        cboSiteList->setCurrentIndex(std::max(0, cboSiteList->findText(site)));
}

void frmSnippet::fillWebList(QComboBox *box, const QString &sql)
{
    box->clear();
    ErrorTrap([box, &sql] {
        ReopenConnection();
        db::Recordset &rs = SharedRecordset();
        RunOn(rs, sql);
        if (rs.AtEnd())
            return;
        box->addItem(QString());
        for (; !rs.AtEnd(); rs.MoveNext())
            box->addItem(TextOf(rs.Fields(0)));
    });
    box->setCurrentIndex(-1);
}

void frmSnippet::LoadWebName()
{
    fillWebList(cboWebName,
                QStringLiteral("select distinct webname from webname order by webname"));
}

void frmSnippet::LoadWebAddress()
{
    fillWebList(cboWebAddr,
                QStringLiteral("select distinct webaddress from webname order by webaddress"));
}

void frmSnippet::cboWebName_Click()
{
    ErrorTrap([this] {
        ReopenConnection();
        db::Recordset &rs = SharedRecordset();
        RunOn(rs, QStringLiteral("Select webaddress from webname where Webname = ?"),
              {Trim(cboWebName->currentText())});
        if (rs.AtEnd()) {
            cboWebAddr->setCurrentIndex(cboWebAddr->count() > 0 ? 0 : -1);
            return;
        }
        // Where a name is listed twice, its last address stands.
        for (; !rs.AtEnd(); rs.MoveNext())
            cboWebAddr->setEditText(TextOf(rs.Fields(0)));
    });
}

void frmSnippet::LoadTitles()
{
    const QSignalBlocker quiet(lstTitles);
    lstTitles->clear();
    // The filters hold values read from the table; they are matched exactly as stored.
    const bool allGroups = cmbFilter->currentIndex() <= 0;
    const bool allSites = cboSiteList->currentIndex() <= 0;
    const QString group = cmbFilter->currentText();
    const QString site = cboSiteList->currentText();
    QString sql = kTitleColumns;
    QVariantList values;
    if (!allGroups && !allSites) {
        sql += QStringLiteral("WHERE Websitename = ? and codetype = ? ");
        values = {site, group};
    } else if (!allGroups) {
        sql += QStringLiteral("WHERE codetype = ? ");
        values = {group};
    } else if (!allSites) {
        sql += QStringLiteral("where Websitename = ?");
        values = {site};
    }
    ErrorTrap([&] {
        ReopenConnection();
        db::Recordset &rs = SharedRecordset();
        RunOn(rs, sql, values);
        for (; !rs.AtEnd(); rs.MoveNext()) {
            auto *row = new TitleRow(lstTitles);
            row->setText(0, TextOf(rs.Fields(QStringLiteral("title"))));
            row->setData(0, Qt::UserRole, rs.Fields(QStringLiteral("id")).toLongLong());
            row->setText(1, TextOf(rs.Fields(QStringLiteral("codetype"))));
            row->setText(2, TextOf(rs.Fields(QStringLiteral("websitename"))));
            row->setText(3, TextOf(rs.Fields(QStringLiteral("webaddress"))));
            row->setText(4, TextOf(rs.Fields(QStringLiteral("author"))));
            row->setText(5, TextOf(rs.Fields(QStringLiteral("email"))));
        }
    });
    // Once sorted, the list stays sorted as it is filled again.
    if (sorted_)
        lstTitles->sortItems(sortColumn_, sortOrder_);
    if (QTreeWidgetItem *first = lstTitles->topLevelItem(0)) {
        lstTitles->setCurrentItem(first);
        lstTitles_Click();
    } else if (!NewSnippet) {
        // The snippet shown is no longer listed: the fields must not go on offering to change it.
        mnuNew_Click();
    }
}

qint64 frmSnippet::selectedId() const
{
    const QTreeWidgetItem *row = lstTitles->currentItem();
    return row && row->isSelected() ? static_cast<const TitleRow *>(row)->id() : -1;
}

void frmSnippet::lstTitles_Click()
{
    const qint64 id = selectedId();
    if (id < 0)
        return;
    ErrorTrap([this, id] { showSnippet(id); });
}

void frmSnippet::showSnippet(qint64 id)
{
    ReopenConnection();
    db::Recordset &rs = SharedRecordset();
    RunOn(rs, QStringLiteral("SELECT * FROM source WHERE id = ?"), {id});
    if (rs.AtEnd())
        throw db::DbError(kSnippetGone);
    rtbCodeWindow->setText(TextOf(rs.Fields(QStringLiteral("code"))));
    const QString group = TextOf(rs.Fields(QStringLiteral("codetype")));
    txtTitle->setText(TextOf(rs.Fields(QStringLiteral("title"))));
    rtbNotes->setText(TextOf(rs.Fields(QStringLiteral("notes"))));
    cboWebName->setEditText(TextOf(rs.Fields(QStringLiteral("websitename"))));
    cboWebAddr->setEditText(TextOf(rs.Fields(QStringLiteral("webaddress"))));
    Label5->setText(shownDate(TextOf(rs.Fields(QStringLiteral("datetime")))));
    txtAuthor->setText(TextOf(rs.Fields(QStringLiteral("author"))));
    txtEmail->setText(TextOf(rs.Fields(QStringLiteral("email"))));
    // The group is picked from the list where it is listed; otherwise it is shown as stored.
    const QString wanted = Trim(group);
    int found = -1;
    for (int i = 0; i < cmbType->count() && found < 0; ++i) {
        if (Trim(cmbType->itemText(i)) == wanted)
            found = i;
    }
    cmbType->setCurrentIndex(found);
    if (found < 0)
        cmbType->setEditText(group);
    shown_ = db::RowAsRead(QStringLiteral("source"), QStringLiteral("id"), id);
    for (const char *name : {"title", "code", "codetype", "websitename", "webaddress", "author",
                             "email", "datetime", "notes"}) {
        const QString column = QString::fromLatin1(name);
        shown_.read(column, rs.Fields(column));
    }
    shownId_ = id;
    NewSnippet = false;
}

void frmSnippet::lstTitles_ColumnClick(int column)
{
    if (sorted_ && column == sortColumn_)
        sortOrder_ = sortOrder_ == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    else {
        sortColumn_ = column;
        sortOrder_ = Qt::AscendingOrder;
    }
    sorted_ = true;
    lstTitles->header()->setSortIndicatorShown(true);
    lstTitles->sortItems(sortColumn_, sortOrder_);
    if (QTreeWidgetItem *current = lstTitles->currentItem())
        lstTitles->scrollToItem(current);
}

void frmSnippet::toolBar_ButtonClick(const QString &key)
{
    if (key == QLatin1String("kExit"))
        mnuExit_Click();
    else if (key == QLatin1String("kNew"))
        mnuNew_Click();
    else if (key == QLatin1String("kDelete"))
        mnuDelete_Click();
    else if (key == QLatin1String("kSave"))
        mnuSave_Click();
    else if (key == QLatin1String("kRefresh"))
        mnuRefresh_Click();
    else if (key == QLatin1String("kPaste"))
        mnuPaste_Click();
    else if (key == QLatin1String("kCopy"))
        mnuCopy_Click();
    else if (key == QLatin1String("kFind"))
        mnuFind_Click();
    else if (key == QLatin1String("kPrint"))
        mnuPrint_Click();
    else if (key == QLatin1String("kPasteNotes"))
        PasteNotes();
    else if (key == QLatin1String("kCopyNotes"))
        CopyNotes();
    else if (key == QLatin1String("kHelp"))
        mnuHelp_Click();
}

void frmSnippet::cmbFilter_Click()
{
    LoadTitles();
}

void frmSnippet::cboSiteList_Click()
{
    LoadTitles();
}

void frmSnippet::cmdRest_Click()
{
    mnuNew_Click();
}

void frmSnippet::mnuNew_Click()
{
    txtTitle->clear();
    cmbType->setCurrentIndex(-1);
    cmbType->setEditText(QString());
    rtbCodeWindow->clear();
    rtbNotes->clear();
    cboWebName->setCurrentIndex(-1);
    cboWebName->setEditText(QString());
    cboWebAddr->setCurrentIndex(-1);
    cboWebAddr->setEditText(QString());
    txtAuthor->clear();
    txtEmail->clear();
    Label5->clear();
    shownId_ = -1;
    shown_.clear();
    NewSnippet = true;
    txtTitle->setFocus();
}

bool frmSnippet::ValidateSnippet()
{
    if (Trim(txtTitle->text()).isEmpty()) {
        MsgBox(QStringLiteral("Please enter in a Title for the sourcecode snippet."), vbOKOnly,
               kNotebook);
        return false;
    }
    if (rtbCodeWindow->text().trimmed().isEmpty()) {
        MsgBox(QStringLiteral("You must enter in some Sourcecode to save a sourcecode snippet."),
               vbOKOnly, kNotebook);
        return false;
    }
    return true;
}

void frmSnippet::mnuSave_Click()
{
    if (!ValidateSnippet())
        return;
    if (!ErrorTrap([&] {
            if (NewSnippet) {
                insertSnippet();
            } else {
                updateSnippet(shownId_);
            }
        }))
        return;
    afterChange();
}

// The fields go into the table exactly as they stand: the code and notes with their tabs and
// trailing blanks, the title with whatever quotes it holds.
void frmSnippet::insertSnippet()
{
    ReopenConnection();
    RunCommand(QStringLiteral("INSERT INTO source ([datetime],title,codetype,code,notes,"
                              "websitename,webaddress,author,email) VALUES(?, ?, ?, ?, ?, ?, ?, "
                              "?, ?)"),
               {Now().toString(kStoredFormat), txtTitle->text(), cmbType->currentText(),
                rtbCodeWindow->text(), rtbNotes->text(), cboWebName->currentText(),
                cboWebAddr->currentText(), txtAuthor->text(), txtEmail->text()});
}

// One statement per column, all in one transaction, so a failure part way leaves the snippet
// as it was rather than half changed.
void frmSnippet::updateSnippet(qint64 id)
{
    const std::pair<const char *, QString> columns[] = {
            {"UPDATE source SET title = ? WHERE id = ?", txtTitle->text()},
            {"UPDATE source SET code = ? WHERE id = ?", rtbCodeWindow->text()},
            {"UPDATE source SET codetype = ? WHERE id = ?", cmbType->currentText()},
            {"UPDATE source SET websitename = ? WHERE id = ?", cboWebName->currentText()},
            {"UPDATE source SET webaddress = ? WHERE id = ?", cboWebAddr->currentText()},
            {"UPDATE source SET author = ? WHERE id = ?", txtAuthor->text()},
            {"UPDATE source SET email = ? WHERE id = ?", txtEmail->text()},
            {"UPDATE source SET [datetime] = ? WHERE id = ?", Now().toString(kStoredFormat)},
            {"UPDATE source SET notes = ? WHERE id = ?", rtbNotes->text()},
    };
    const db::RowAsRead asRead = shownAsRead(id);
    ReopenConnection();
    db::Transaction transaction(SharedConnection());
    // The first change goes through only while the snippet is as it was shown, changed or
    // removed at no other desk since; the rest follow it while the transaction holds the row.
    bool first = true;
    for (const auto &[sql, value] : columns) {
        if (first)
            RunUpdateAsRead(asRead, QString::fromLatin1(sql), {value, id});
        else
            RunCommand(QString::fromLatin1(sql), {value, id});
        first = false;
    }
    transaction.Commit();
}

db::RowAsRead frmSnippet::shownAsRead(qint64 id) const
{
    return !shown_.isEmpty() && shown_.key().toLongLong() == id
            ? shown_
            : db::RowAsRead(QStringLiteral("source"), QStringLiteral("id"), id);
}

void frmSnippet::afterChange()
{
    mnuNew_Click();
    reloadSiteList();
    LoadTitles();
    tabSnippet->setCurrentWidget(rtbCodeWindow);
}

void frmSnippet::mnuDelete_Click()
{
    const qint64 id = selectedId();
    if (id < 0) {
        ErrorBox(QStringLiteral("No snippet is selected."));
        return;
    }
    if (MsgBox(QStringLiteral("Delete Record?"), vbYesNo + vbCritical,
               QStringLiteral("Delete Confirmation"))
        != vbYes)
        return;
    if (!ErrorTrap([&] {
            ReopenConnection();
            RunDeleteAsRead(shownAsRead(id), QStringLiteral("DELETE FROM source WHERE id = ?"),
                            {id});
        }))
        return;
    afterChange();
}

void frmSnippet::mnuFind_Click()
{
    const QString text = InputBox(QStringLiteral("Find What?"), QStringLiteral("Find"));
    if (!text.isEmpty())
        FindTitle(text);
}

void frmSnippet::FindTitle(const QString &text)
{
    ErrorTrap([this, &text] {
        ReopenConnection();
        db::Recordset &rs = SharedRecordset();
        RunOn(rs, QStringLiteral("SELECT id, title FROM source WHERE title like ? escape '\\'"),
              {likeAnywhere(text)});
        if (rs.AtEnd()) {
            MsgBox(QStringLiteral("Not Found"), vbOKOnly, QStringLiteral("Find"));
            return;
        }
        // The top-most match that the list shows; with none shown, the filters are opened up
        // first, so that the list always shows the snippet the fields show.
        QList<qint64> found;
        for (; !rs.AtEnd(); rs.MoveNext())
            found << rs.Fields(0).toLongLong();
        if (!selectFirstOf(found)) {
            cmbFilter->setCurrentIndex(0);
            cboSiteList->setCurrentIndex(0);
            LoadTitles();
            if (!selectFirstOf(found))
                return;
        }
        lstTitles_Click();
    });
}

bool frmSnippet::selectFirstOf(const QList<qint64> &ids)
{
    for (int i = 0; i < lstTitles->topLevelItemCount(); ++i) {
        auto *row = static_cast<TitleRow *>(lstTitles->topLevelItem(i));
        if (ids.contains(row->id())) {
            const QSignalBlocker quiet(lstTitles);
            lstTitles->setCurrentItem(row);
            lstTitles->scrollToItem(row);
            return true;
        }
    }
    return false;
}
void frmSnippet::mnuPrint_Click()
{
    if (MsgBox(QStringLiteral("Print Current Source?"), vbYesNo + vbCritical,
               QStringLiteral("Print Confirmation"))
        != vbYes)
        return;
    const QString code = rtbCodeWindow->text();
    if (code.trimmed().isEmpty()) {
        MsgBox(QStringLiteral("There is nothing to print!"), vbOKOnly, QStringLiteral("Print"));
        return;
    }
    PrintSource(txtTitle->text(), code, this);
}

void frmSnippet::mnuCopy_Click()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(rtbCodeWindow->text());
}

void frmSnippet::CopyNotes()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(rtbNotes->text());
}

void frmSnippet::mnuPaste_Click()
{
    rtbCodeWindow->setText(QGuiApplication::clipboard()->text());
}

void frmSnippet::PasteNotes()
{
    rtbNotes->setText(QGuiApplication::clipboard()->text());
}

void frmSnippet::mnuRefresh_Click()
{
    update();
    reloadSiteList();
    LoadTitles();
}

void frmSnippet::mnuAdd_Click()
{
    OpenWindow(QStringLiteral("frmGroups"), this);
    LoadGroupLists();
    LoadTitles();
}

void frmSnippet::mnuHelp_Click()
{
    OpenWindow(QStringLiteral("frmHelpSnip"), this);
}

void frmSnippet::mnuExit_Click()
{
    close();
}

void frmSnippet::rtbCodeWindow_DragDrop(const QMimeData *data)
{
    dropOnto(rtbCodeWindow, data);
}

void frmSnippet::rtbNotes_DragDrop(const QMimeData *data)
{
    dropOnto(rtbNotes, data);
}

void frmSnippet::dropOnto(TextBox *box, const QMimeData *data)
{
    const QList<QUrl> urls = data->urls();
    if (!urls.isEmpty() && urls.first().isLocalFile()) {
        const QString path = urls.first().toLocalFile();
        const QString name = QFileInfo(path).fileName();
        const TextFile file = ReadTextFile(path);
        switch (file.outcome) {
        case TextFile::Read:
            box->setText(file.text);
            break;
        case TextFile::NotText:
            MsgBox(QStringLiteral("The file ") + name
                           + QStringLiteral(" is not a text file and was not loaded."),
                   vbExclamation, kNotebook);
            break;
        case TextFile::TooLarge:
            MsgBox(QStringLiteral("The file ") + name
                           + QStringLiteral(" is larger than %1 MB and was not loaded.")
                                     .arg(kLargestTextFile / (1024 * 1024)),
                   vbExclamation, kNotebook);
            break;
        case TextFile::Unreadable:
            ErrorBox(file.error);
            break;
        }
        return;
    }
    if (data->hasText())
        box->setText(data->text());
}
