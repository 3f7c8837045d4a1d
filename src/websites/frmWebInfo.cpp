#include "websites/frmWebInfo.h"

#include "app/CLog.h"
#include "app/CUtils.h"
#include "app/modGlobals.h"
#include "app/session.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Fields.h"
#include "platform/ui/ToolBar.h"
#include "platform/ui/WindowCatalogue.h"
#include "reports/ShowReport.h"
#include "websites/LinkCheck.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const char *const kSelectSite =
        "Select webid,webname,webaddress,companyname,address,city,state,zip,country,phonenum,"
        "faxnum,pointofcontact,email,notes from webname where trim(CStr(webid))=?";
// The blank before "where" keeps the value's place apart from the word: the database driver
// names each "?" and would read "?where" as one name.
const char *const kUpdateSite =
        "update webname set webname = ?,webaddress = ?,companyname = ?,address = ?,city = ?,"
        "state = ?,zip = ?,country = ?,PhoneNum = ?,FaxNum = ?,PointofContact = ?,Email = ?,"
        "Notes = ? where trim(CStr(webid)) = ? ";
const char *const kInsertSite =
        "insert into webname (webname,webaddress,companyname,address,city,state,zip,country,"
        "phonenum,faxnum,pointofcontact,email,notes)values(?, ?, ?,?, ?, ?,?, ?, ?,?, ?, ?,?)";
const char *const kLinkSites = "SELECT webname, webaddress FROM webname ORDER BY webname";
const char *const kPrintSites = "SELECT webname, webaddress, notes, companyname, pointofcontact, "
                                "email FROM webname ORDER BY webid";

// The notes select their whole text on focus, as the one-line boxes do.
class SelectAllNotes : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::FocusIn) {
            auto *box = static_cast<QPlainTextEdit *>(watched);
            QTimer::singleShot(0, box, [box] { box->selectAll(); });
            box->selectAll();
        }
        return false;
    }
};

// Adds a label and its field to a grid row, the field spanning span columns.
void addField(QGridLayout *grid, int row, int column, const QString &label, QWidget *field,
              int span = 1)
{
    grid->addWidget(FieldLabel(label, field, field->parentWidget()), row, column);
    grid->addWidget(field, row, column + 1, 1, span);
}

KeyedToolBar *webToolBar(QWidget *parent)
{
    return NamedToolBar(
            QStringLiteral("Toolbar1"), parent,
            {
                    {"kSep0"},
                    {"kExit", "Exit", "application-exit", QStyle::SP_DialogCloseButton},
                    {"kSep1"},
                    {"kUpdate", "Update", "document-save", QStyle::SP_DialogSaveButton},
                    {"kSep2"},
                    {"kCancel", "Cancel", "edit-clear", QStyle::SP_DialogResetButton},
                    {"kSep3"},
                    {"kDelete", "Delete", "edit-delete", QStyle::SP_TrashIcon},
                    {"kSep4"},
                    {"kPrint", "Print", "document-print", QStyle::SP_FileDialogInfoView},
                    {"kSep5"},
                    {"kHelp", "Help", "help-contents", QStyle::SP_MessageBoxQuestion},
            });
}

} // namespace

frmWebInfo::frmWebInfo(QWidget *parent)
    : FormDialog(parent)
    , Toolbar1(webToolBar(this))
    , LinkChecker(new LinkCheck(this))
{
    setObjectName(QStringLiteral("frmWebInfo"));
    setWindowTitle(QStringLiteral("Web Information"));
    QGroupBox *site = NamedFrame(QStringLiteral("fraSite"), QStringLiteral("Web Site"), this);
    QGroupBox *postal =
            NamedFrame(QStringLiteral("fraAddress"), QStringLiteral("Postal Address"), this);
    QGroupBox *contact = NamedFrame(QStringLiteral("fraContact"), QStringLiteral("Contact"), this);

    buildFields(site, postal, contact);
    buildButtons(site, contact);
    buildLinkList();
    layOut(site, postal, contact);
    connectHandlers();
}

void frmWebInfo::buildFields(QGroupBox *site, QGroupBox *postal, QGroupBox *contact)
{
    txtWebID = Named(new QLineEdit(site), QStringLiteral("txtWebID"));
    // The number is the chosen site's, given by the directory, never typed.
    txtWebID->setReadOnly(true);
    txtWebID->setMaximumWidth(90);
    QPalette readOnly = txtWebID->palette();
    readOnly.setColor(QPalette::Base, readOnly.color(QPalette::Window));
    txtWebID->setPalette(readOnly);
    txtWebName = NamedTextBox(QStringLiteral("txtWebName"), site);
    txtWebAddress = NamedTextBox(QStringLiteral("txtWebAddress"), site);
    txtCompany = NamedTextBox(QStringLiteral("txtCompany"), site);
    txtAddress = NamedTextBox(QStringLiteral("txtAddress"), postal);
    txtCity = NamedTextBox(QStringLiteral("txtCity"), postal);
    txtState = NamedTextBox(QStringLiteral("txtState"), postal);
    txtZip = NamedTextBox(QStringLiteral("txtZip"), postal);
    txtCountry = NamedTextBox(QStringLiteral("txtCountry"), postal);
    txtPhoneNum = NamedTextBox(QStringLiteral("txtPhoneNum"), contact);
    txtFaxNum = NamedTextBox(QStringLiteral("txtFaxNum"), contact);
    txtPointofContact = NamedTextBox(QStringLiteral("txtPointofContact"), contact);
    txtEmail = NamedTextBox(QStringLiteral("txtEmail"), contact);
    txtNotes = Named(new QPlainTextEdit(this), QStringLiteral("txtNotes"));
    txtNotes->setTabChangesFocus(true);
    txtNotes->installEventFilter(new SelectAllNotes(txtNotes));
    txtNotes->setMinimumHeight(70);
}

void frmWebInfo::buildButtons(QGroupBox *site, QGroupBox *contact)
{
    cmdShow = NamedButton(QStringLiteral("cmdShow"), QStringLiteral("Show Na&mes"), site);
    cmdGoToWeb =
            NamedButton(QStringLiteral("cmdGoToWeb"), QStringLiteral("&Visit Web Site..."), site);
    cmdSendEmail = NamedButton(QStringLiteral("cmdSendEmail"), QStringLiteral("..."), contact);
    PictureButton(cmdSendEmail, QStringLiteral("Send E-mail"));
    cmdSendEmail->setMaximumWidth(cmdSendEmail->sizeHint().height() * 2);
    lblLinkStatus = NamedLabel(QStringLiteral("lblLinkStatus"), QString(), site);
    lblLinkStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    cmdCheckLink = NamedButton(QStringLiteral("cmdCheckLink"), QStringLiteral("Chec&k Link"), site);
    cmdCheckAll =
            NamedButton(QStringLiteral("cmdCheckAll"), QStringLiteral("Check A&ll Links"), this);
}

void frmWebInfo::buildLinkList()
{
    lstLinks = NamedReportList(QStringLiteral("lstLinks"),
                               {QStringLiteral("Web Name"), QStringLiteral("Web Address"),
                                QStringLiteral("Result"), QStringLiteral("Checked")},
                               this);
    lstLinks->setSortingEnabled(true);
    lstLinks->sortByColumn(0, Qt::AscendingOrder);
    // The result takes the room the other columns leave.
    lstLinks->setColumnWidth(0, 110);
    lstLinks->setColumnWidth(1, 150);
    lstLinks->header()->setStretchLastSection(false);
    lstLinks->header()->setSectionResizeMode(2, QHeaderView::Stretch);
    lstLinks->header()->setSectionResizeMode(3, QHeaderView::ResizeToContents);
    lstLinks->setMinimumHeight(110);
}

// The fields of each frame beside their labels.
void frmWebInfo::layOutFrames(QGroupBox *site, QGroupBox *postal, QGroupBox *contact)
{
    auto *siteGrid = new QGridLayout(site);
    addField(siteGrid, 0, 0, QStringLiteral("Web I&D:"), txtWebID);
    siteGrid->addWidget(cmdShow, 0, 3);
    addField(siteGrid, 1, 0, QStringLiteral("&WebSite Name:"), txtWebName, 3);
    addField(siteGrid, 2, 0, QStringLiteral("Web &Address:"), txtWebAddress, 2);
    siteGrid->addWidget(cmdGoToWeb, 2, 3);
    siteGrid->addWidget(lblLinkStatus, 3, 1, 1, 2);
    siteGrid->addWidget(cmdCheckLink, 3, 3);
    addField(siteGrid, 4, 0, QStringLiteral("&Company:"), txtCompany, 3);
    siteGrid->setColumnStretch(2, 1);

    auto *postalGrid = new QGridLayout(postal);
    addField(postalGrid, 0, 0, QStringLiteral("Add&ress:"), txtAddress, 5);
    addField(postalGrid, 1, 0, QStringLiteral("C&ity:"), txtCity);
    addField(postalGrid, 1, 2, QStringLiteral("S&tate:"), txtState);
    addField(postalGrid, 1, 4, QStringLiteral("&ZipCode:"), txtZip);
    addField(postalGrid, 2, 0, QStringLiteral("Cou&ntry:"), txtCountry);
    postalGrid->setColumnStretch(1, 3);
    postalGrid->setColumnStretch(3, 2);
    postalGrid->setColumnStretch(5, 2);

    auto *contactGrid = new QGridLayout(contact);
    addField(contactGrid, 0, 0, QStringLiteral("&Phone Number:"), txtPhoneNum);
    addField(contactGrid, 0, 2, QStringLiteral("&Fax Number:"), txtFaxNum, 2);
    addField(contactGrid, 1, 0, QStringLiteral("C&ontact Person:"), txtPointofContact, 4);
    addField(contactGrid, 2, 0, QStringLiteral("&E-mail:"), txtEmail, 3);
    contactGrid->addWidget(cmdSendEmail, 2, 4);
    contactGrid->setColumnStretch(1, 1);
    contactGrid->setColumnStretch(3, 1);
}

// The frames over the notes and the checked links, under the tool bar.
void frmWebInfo::layOut(QGroupBox *site, QGroupBox *postal, QGroupBox *contact)
{
    layOutFrames(site, postal, contact);
    auto *notes = new QGridLayout;
    notes->addWidget(FieldLabel(QStringLiteral("Note&s:"), txtNotes, this), 0, 0,
                     Qt::AlignTop | Qt::AlignLeft);
    notes->addWidget(txtNotes, 1, 0);

    auto *links = new QGridLayout;
    links->addWidget(FieldLabel(QStringLiteral("C&hecked Links:"), lstLinks, this), 0, 0,
                     Qt::AlignBottom | Qt::AlignLeft);
    links->addWidget(cmdCheckAll, 0, 1, Qt::AlignRight);
    links->addWidget(lstLinks, 1, 0, 1, 2);

    auto *body = new QVBoxLayout;
    body->setContentsMargins(10, 8, 10, 10);
    body->addWidget(site);
    body->addWidget(postal);
    body->addWidget(contact);
    body->addLayout(notes, 1);
    body->addLayout(links, 2);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Toolbar1);
    layout->addLayout(body, 1);
    resize(600, 720);
}

void frmWebInfo::connectHandlers()
{
    connect(Toolbar1, &KeyedToolBar::ButtonClick, this, &frmWebInfo::Toolbar1_ButtonClick);
    connect(cmdShow, &QPushButton::clicked, this, &frmWebInfo::cmdShow_Click);
    connect(cmdGoToWeb, &QPushButton::clicked, this, &frmWebInfo::cmdGoToWeb_Click);
    connect(cmdSendEmail, &QPushButton::clicked, this, &frmWebInfo::cmdSendEmail_Click);
    connect(cmdCheckLink, &QPushButton::clicked, this, &frmWebInfo::cmdCheckLink_Click);
    connect(cmdCheckAll, &QPushButton::clicked, this, &frmWebInfo::cmdCheckAll_Click);
    connect(LinkChecker, &LinkCheck::checked, this, &frmWebInfo::ShowLinkResult);
    for (QLineEdit *box : {txtWebName, txtWebAddress})
        connect(box, &QLineEdit::textChanged, this, &frmWebInfo::ShowLinkStatus);
}

void frmWebInfo::Form_Load()
{
    CentreWindow(this);
    for (const LinkResult &result : std::as_const(CheckedLinks()))
        listLink(result);
    ShowLinkStatus();
    txtWebName->setFocus();
}

QList<QLineEdit *> frmWebInfo::lineFields() const
{
    return {txtWebID, txtWebName, txtWebAddress, txtCompany, txtAddress,        txtCity, txtState,
            txtZip,   txtCountry, txtPhoneNum,   txtFaxNum,  txtPointofContact, txtEmail};
}

void frmWebInfo::cmdShow_Click()
{
    WebPicked = false;
    OpenWindow(QStringLiteral("frmGetWebs"), this);
    if (!WebPicked)
        return;
    ClearAllFields();
    SelectFromWebName();
    repaint();
}

void frmWebInfo::SelectFromWebName()
{
    ErrorTrap([this] {
        ReopenConnection();
        db::Recordset &rs = SharedRecordset();
        RunOn(rs, QString::fromLatin1(kSelectSite), {Trim(QString::number(SelectedWebId))});
        rs.Requery();
        if (rs.AtEnd())
            return;
        shown_ = db::RowAsRead(QStringLiteral("webname"), QStringLiteral("webid"), rs.Fields(0));
        for (int i = 1; i < rs.FieldCount(); ++i)
            shown_.read(rs.FieldName(i), rs.Fields(i));
        const QList<QLineEdit *> boxes = lineFields();
        for (int i = 0; i < boxes.size(); ++i) {
            const QString value = TextOf(rs.Fields(i));
            if (!value.isEmpty())
                boxes[i]->setText(value);
        }
        const QString notes = TextOf(rs.Fields(static_cast<int>(boxes.size())));
        if (!notes.isEmpty())
            txtNotes->setPlainText(notes);
    });
}

void frmWebInfo::ClearAllFields()
{
    for (QLineEdit *box : lineFields())
        box->clear();
    txtNotes->clear();
    shown_.clear();
}

bool frmWebInfo::AddEditWebName()
{
    bool done = false;
    ErrorTrap([&] {
        ReopenConnection();
        db::Recordset &rs = SharedRecordset();
        // An empty directory is one without this site yet: its first site is added below.
        RunOn(rs, QStringLiteral("select distinct webid, webname from webname"));
        const QString id = Trim(txtWebID->text());
        if (Trim(txtWebName->text()).isEmpty()) {
            MsgBox(QStringLiteral("Please enter information!"), vbCritical,
                   QStringLiteral("Error!"));
            return;
        }
        QVariantList values;
        for (QLineEdit *box : lineFields().mid(1))
            values << box->text();
        values << txtNotes->toPlainText();
        // The site shown is written only while it is as it was read; one changed or removed at
        // another desk since is refused, never saved over nor added again.
        if (!shown_.isEmpty() && !id.isEmpty() && Trim(TextOf(shown_.key())) == id) {
            WebFound = true;
            RunUpdateAsRead(shown_, QString::fromLatin1(kUpdateSite), values << id);
            Log().addEntry(LogInfo, QStringLiteral("Record Updated in Database!"));
            Log().resetStat();
            done = true;
            return;
        }
        QString foundId;
        WebFound = false;
        for (; !rs.AtEnd() && !WebFound; rs.MoveNext()) {
            foundId = Trim(TextOf(rs.Fields(0)));
            WebFound = !id.isEmpty() && foundId == id;
        }
        if (WebFound) {
            RunCommand(QString::fromLatin1(kUpdateSite), values << foundId);
            Log().addEntry(LogInfo, QStringLiteral("Record Updated in Database!"));
        } else {
            RunCommand(QString::fromLatin1(kInsertSite), values);
            Log().addEntry(LogInfo, QStringLiteral("Record Added to Database!"));
        }
        Log().resetStat();
        done = true;
    });
    return done;
}

bool frmWebInfo::DeleteName()
{
    WebFound = false;
    bool done = false;
    ErrorTrap([&] {
        ReopenConnection();
        db::Recordset &rs = SharedRecordset();
        RunOn(rs, QStringLiteral("select distinct webid from webname"));
        if (rs.AtEnd()) {
            ReportError(LogError, QStringLiteral("Error1"), QStringLiteral("error_run2"), vbOKOnly);
            return;
        }
        const QString id = Trim(txtWebID->text());
        if (id.isEmpty() || Trim(txtWebName->text()).isEmpty())
            return;
        bool found = false;
        for (; !rs.AtEnd() && !found; rs.MoveNext())
            found = Trim(TextOf(rs.Fields(0))) == id;
        if (!found) {
            MsgBox(QStringLiteral("Record not found!"), vbCritical, QStringLiteral("Error!"));
            return;
        }
        // The site as it was shown, when it is the one shown: one another desk changed since is
        // kept.
        const QString remove = QStringLiteral("delete from webname where trim(CStr(webid)) =?");
        if (!shown_.isEmpty() && Trim(TextOf(shown_.key())) == id)
            RunDeleteAsRead(shown_, remove, {id});
        else
            RunCommand(remove, {id});
        WebFound = true;
        done = true;
    });
    return done;
}

void frmWebInfo::SaveWebSite()
{
    if (txtWebName->text().isEmpty())
        return;
    // A save that did not go through keeps what was typed, to be mended and saved again.
    if (AddEditWebName())
        ClearAllFields();
}

void frmWebInfo::RemoveWebSite()
{
    if (DeleteName())
        ClearAllFields();
}

void frmWebInfo::cmdGoToWeb_Click()
{
    if (Trim(txtWebAddress->text()).isEmpty())
        return;
    LaunchAddress = Trim(txtWebAddress->text());
    OpenAddress();
}

void frmWebInfo::cmdSendEmail_Click()
{
    if (Trim(txtEmail->text()).isEmpty())
        return;
    LaunchMailAddress = Trim(txtEmail->text());
    OpenMailAddress();
}

void frmWebInfo::PrintWebSites()
{
    if (MsgBox(QStringLiteral("Print Web Site Report?"), vbYesNo + vbCritical,
               QStringLiteral("Print Confirmation"))
        != vbYes)
        return;
    // The whole directory, under the title the report catalogue holds (the layout's own when
    // none was chosen).
    ErrorTrap([this] {
        ShowReport(QStringLiteral("rptWebSiteList"), QString::fromLatin1(kPrintSites), {},
                   ReportTitle, this);
    });
}

void frmWebInfo::Toolbar1_ButtonClick(const QString &key)
{
    if (key == QLatin1String("kExit"))
        HandleExitClick();
    else if (key == QLatin1String("kUpdate"))
        SaveWebSite();
    else if (key == QLatin1String("kCancel"))
        ClearAllFields();
    else if (key == QLatin1String("kDelete"))
        RemoveWebSite();
    else if (key == QLatin1String("kPrint"))
        PrintWebSites();
    else if (key == QLatin1String("kHelp"))
        MsgBox(QStringLiteral("Enter Web Site Information."), vbInformation);
}

void frmWebInfo::HandleExitClick()
{
    close();
}

QString frmWebInfo::shownKey() const
{
    LinkResult shown;
    shown.site = Trim(txtWebName->text());
    shown.address = Trim(txtWebAddress->text());
    return shown.key();
}

void frmWebInfo::cmdCheckLink_Click()
{
    startLinkCheck(txtWebAddress->text(), txtWebName->text());
}

void frmWebInfo::cmdCheckAll_Click()
{
    QList<QPair<QString, QString>> sites;
    const bool read = ErrorTrap([&sites] {
        ReopenConnection();
        db::Recordset &rs = SharedRecordset();
        RunOn(rs, QString::fromLatin1(kLinkSites));
        for (; !rs.AtEnd(); rs.MoveNext())
            sites.append({TextOf(rs.Fields(1)), TextOf(rs.Fields(0))});
    });
    if (!read)
        return;
    for (const auto &[address, site] : std::as_const(sites))
        startLinkCheck(address, site);
}

void frmWebInfo::startLinkCheck(const QString &address, const QString &site)
{
    LinkResult pending;
    pending.site = Trim(site);
    pending.address = Trim(address);
    listLink(pending);
    LinkChecker->check(address, site);
    ShowLinkStatus();
}

void frmWebInfo::ShowLinkResult(const LinkResult &result)
{
    CheckedLinks().insert(result.key(), result);
    listLink(result);
    ShowLinkStatus();
}

void frmWebInfo::ShowLinkStatus()
{
    const QString key = shownKey();
    const auto found = CheckedLinks().constFind(key);
    if (LinkChecker->checking(key))
        lblLinkStatus->setText(QStringLiteral("Checking the link..."));
    else if (found != CheckedLinks().cend())
        lblLinkStatus->setText(
                QStringLiteral("Link: %1, checked %2").arg(found->text, CheckedAt(*found)));
    else if (Trim(txtWebAddress->text()).isEmpty())
        lblLinkStatus->clear();
    else
        lblLinkStatus->setText(QStringLiteral("Link not checked."));
}

void frmWebInfo::listLink(const LinkResult &result)
{
    QTreeWidgetItem *row = nullptr;
    for (int i = 0; i < lstLinks->topLevelItemCount() && !row; ++i) {
        if (lstLinks->topLevelItem(i)->data(0, Qt::UserRole).toString() == result.key())
            row = lstLinks->topLevelItem(i);
    }
    if (!row) {
        row = new QTreeWidgetItem;
        row->setData(0, Qt::UserRole, result.key());
    }
    row->setText(0, result.site);
    row->setText(1, result.address);
    row->setText(2, result.pending() ? QStringLiteral("Checking...") : result.text);
    row->setText(3, result.pending() ? QString() : CheckedAt(result));
    for (int column : {1, 2})
        row->setToolTip(column, row->text(column));
    // A link that failed stands out from the rest.
    const bool failed = !result.pending() && !result.ok();
    row->setForeground(2, failed ? QBrush(QColor(0xa0, 0x10, 0x10)) : QBrush());
    if (!row->treeWidget())
        lstLinks->addTopLevelItem(row);
}

void frmWebInfo::done(int result)
{
    LinkChecker->cancel();
    FormDialog::done(result);
}

void frmWebInfo::closeEvent(QCloseEvent *event)
{
    LinkChecker->cancel();
    FormDialog::closeEvent(event);
}
