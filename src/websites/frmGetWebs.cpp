#include "websites/frmGetWebs.h"

#include "app/CUtils.h"
#include "app/modGlobals.h"
#include "app/session.h"
#include "platform/ui/Dialogs.h"

#include <QTreeWidget>

frmGetWebs::frmGetWebs(QWidget *parent)
    : PickerWindow(
            QStringLiteral("frmGetWebs"), QStringLiteral("View Web Names"),
            {QStringLiteral("Web Name"), QStringLiteral("Web Address"), QStringLiteral("Web ID")},
            QStringLiteral("Select the user you want to edit."), parent)
{
    lstParms->setColumnWidth(0, 180);
    lstParms->setColumnWidth(1, 270);
    resize(580, 360);
}

void frmGetWebs::Form_Load()
{
    CentreWindow(this);
    SelectedWebId = 0;
    FillWebList();
}

void frmGetWebs::FillWebList()
{
    ErrorTrap([&] {
        ReopenConnection();
        // The pickers' own record set, so that the window that opened one keeps its rows.
        db::Recordset &rs = SharedRecordset2();
        RunOn(rs,
              QStringLiteral("SELECT webname, webaddress, webid  FROM webname order by webname"));
        // The number is listed as text, so its column sorts as text too.
        for (; !rs.AtEnd(); rs.MoveNext())
            addRow({Trim(TextOf(rs.Fields(0))), TextOf(rs.Fields(1)), TextOf(rs.Fields(2))});
        rs.Close();
    });
}

void frmGetWebs::PickWebSite(QTreeWidgetItem *selected)
{
    lstParms->update();
    if (!selected)
        return;
    SelectedWebId = selected->text(2).toLongLong();
    WebPicked = true;
}
