#include "reports/frmReports.h"

#include "app/CUtils.h"
#include "app/modGlobals.h"
#include "app/session.h"
#include "platform/ui/Dialogs.h"
#include "reports/ShowReport.h"

#include <QTreeWidget>

namespace {

// Every report the buttons know: its group and code, which values it is limited to (0 none),
// its statement and its layout, and a value the statement always takes.
struct ReportStatement
{
    const char *group;
    const char *id;
    int optionType;
    const char *sql;
    const char *layout;
    const char *fixedValue = nullptr;
};

#define FILES \
    "SELECT filename,filedesc,filegroup, directory, websitename, author, email FROM fileprofile "
#define SNIPPETS "SELECT title, notes, codetype, websitename, author, email FROM source "

const ReportStatement kReports[] = {
        {"1", "1", 0, FILES "ORDER BY inum", "rptFileList"},
        {"1", "2", 0, FILES "ORDER BY websitename", "rptFileList"},
        {"1", "3", 0, FILES "ORDER BY filegroup", "rptFileList"},
        {"1", "13", 1, FILES "where Trim(filegroup)=? ORDER BY filegroup", "rptFileList"},
        {"1", "14", 2, FILES "where Trim(websitename)=? ORDER BY websitename", "rptFileList"},
        {"2", "5", 0, SNIPPETS "ORDER BY id", "rptSnippetList"},
        {"2", "6", 0, SNIPPETS "ORDER BY websitename", "rptSnippetList"},
        {"2", "7", 0, SNIPPETS "ORDER BY codetype", "rptSnippetList"},
        {"2", "15", 3, SNIPPETS "where Trim(codetype)=? ORDER BY codetype", "rptSnippetList"},
        {"2", "16", 4, SNIPPETS "where Trim(websitename)=? ORDER BY websitename", "rptSnippetList"},
        {"3", "8", 0,
         "SELECT webname, webaddress, notes, companyname, pointofcontact, email FROM webname "
         "ORDER BY webid",
         "rptWebSiteList"},
        {"3", "9", 0, "SELECT patterns FROM patterns ORDER BY inum", "rptFilePatterns"},
        {"3", "10", 0, "SELECT codetype FROM codetypes where codetype <> ? ORDER BY inum",
         "rptFileTypes", "[All Groups]"},
        {"4", "11", 0,
         "SELECT userid,username,usergroup, expirationdate FROM tblusers ORDER BY userid",
         "rptUserList"},
};

#undef FILES
#undef SNIPPETS

// The values the option picker offers, by OptionType.
const char *const kOptionStatements[] = {
        "SELECT distinct filegroup FROM fileprofile order by filegroup",
        "SELECT distinct websitename FROM fileprofile order by websitename",
        "SELECT distinct codetype FROM source order by codetype",
        "SELECT distinct websitename FROM source order by websitename",
};

const ReportStatement *findReport(const QString &group, const QString &id)
{
    for (const ReportStatement &report : kReports) {
        if (group == QLatin1String(report.group) && id == QLatin1String(report.id))
            return &report;
    }
    return nullptr;
}

// Fills a picker from the first column (and more) of a statement over the shared record set.
template<class Add> void fill(const QString &sql, const QVariantList &values, Add add)
{
    ReopenConnection();
    db::Recordset &rs = SharedRecordset2();
    RunOn(rs, sql, values);
    for (; !rs.AtEnd(); rs.MoveNext())
        add(rs);
    rs.Close();
}

bool chooseOption(int optionType)
{
    OptionType = optionType;
    OptionValue.clear();
    OptionChosen = false;
    frmGetRpt picker;
    ShowModal(&picker);
    return OptionChosen;
}

} // namespace

frmReports::frmReports(QWidget *parent)
    : PickerWindow(QStringLiteral("frmReports"), QStringLiteral("Report List"),
                   {QStringLiteral("Title"), QStringLiteral("Description"), QStringLiteral("Id"),
                    QStringLiteral("Name")},
                   QStringLiteral("Select the report you want to print."), parent)
{
    // The code is carried with each row but says nothing to a reader.
    lstParms->setColumnHidden(2, true);
    lstParms->setColumnWidth(0, 170);
    lstParms->setColumnWidth(1, 330);
    resize(640, height());
}

void frmReports::Form_Load()
{
    CentreWindow(this);
    ReportId.clear();
    ReportName.clear();
    ReportTitle.clear();
    ErrorTrap([&] {
        fill(QStringLiteral("SELECT title, description, id, name FROM tblreports where "
                            "Trim(Rgroup)=? order by title"),
             {ReportGroup}, [this](db::Recordset &rs) {
                 addRow({Trim(TextOf(rs.Fields(0))), TextOf(rs.Fields(1)), TextOf(rs.Fields(2)),
                         TextOf(rs.Fields(3))});
             });
    });
}

void frmReports::Pick(QTreeWidgetItem *selected)
{
    ReportId.clear();
    ReportName.clear();
    ReportTitle.clear();
    if (!selected)
        return;
    ReportTitle = selected->text(0);
    ReportId = selected->text(2);
    ReportName = selected->text(3);
    ReportChosen = true;
}

frmGetRpt::frmGetRpt(QWidget *parent)
    : PickerWindow(QStringLiteral("frmGetRpt"), QStringLiteral("Report Options"),
                   {QStringLiteral("Name")}, QStringLiteral("Select an option you want to print."),
                   parent)
{
    resize(340, height());
}

void frmGetRpt::Form_Load()
{
    CentreWindow(this);
    if (OptionType < 1 || OptionType > 4)
        return;
    ErrorTrap([&] {
        fill(QString::fromLatin1(kOptionStatements[OptionType - 1]), {},
             [this](db::Recordset &rs) { addRow({Trim(TextOf(rs.Fields(0)))}); });
    });
}

void frmGetRpt::Pick(QTreeWidgetItem *selected)
{
    if (!selected)
        return;
    OptionValue = selected->text(0);
    OptionChosen = true;
}

void RunReportGroup(const QString &group)
{
    ReportChosen = false;
    ReportGroup = group;
    {
        frmReports picker;
        ShowModal(&picker);
    }
    if (!ReportChosen)
        return;
    const ReportStatement *report = findReport(group, Trim(ReportId));
    if (!report) {
        // The database reports say nothing about a code they do not know.
        if (group != QLatin1String("4"))
            MsgBox(QStringLiteral("No Report Selected!"), vbCritical, QStringLiteral("Error!"));
        return;
    }
    QVariantList values;
    if (report->fixedValue)
        values << QString::fromLatin1(report->fixedValue);
    if (report->optionType != 0) {
        if (!chooseOption(report->optionType))
            return;
        values << Trim(OptionValue);
    }
    ErrorTrap([&] {
        ShowReport(QString::fromLatin1(report->layout), QString::fromLatin1(report->sql), values,
                   ReportTitle);
    });
}
