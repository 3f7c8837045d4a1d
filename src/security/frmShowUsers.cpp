#include "security/frmShowUsers.h"

#include "app/CUtils.h"
#include "app/modGlobals.h"
#include "app/session.h"
#include "platform/ui/Dialogs.h"

#include <QTreeWidget>

frmShowUsers::frmShowUsers(QWidget *parent)
    : PickerWindow(
            QStringLiteral("frmShowUsers"), QStringLiteral("View Users"),
            {QStringLiteral("UserID"), QStringLiteral("User Name"), QStringLiteral("User Group")},
            QStringLiteral("Select the user you want to edit."), parent)
{
    lstParms->setColumnWidth(0, 140);
    lstParms->setColumnWidth(1, 200);
    resize(500, height());
}

void frmShowUsers::Form_Load()
{
    CentreWindow(this);
    PickedUserID.clear();
    PickedUserName.clear();
    PickedUserGroup.clear();
    ErrorTrap([&] { LoadUsers(); });
}

bool frmShowUsers::LoadUsers()
{
    ReopenConnection();
    db::Recordset &rs = SharedRecordset();
    RunOn(rs, QStringLiteral("SELECT userid, username, usergroup FROM tblusers order by userid"));
    const bool any = !rs.AtEnd();
    for (; !rs.AtEnd(); rs.MoveNext()) {
        QTreeWidgetItem *row =
                addRow({Trim(TextOf(rs.Fields(0))), TextOf(rs.Fields(1)), TextOf(rs.Fields(2))});
        // The row as stored, its user ID untrimmed and its nulls kept.
        row->setData(0, Qt::UserRole, QVariantList{rs.Fields(0), rs.Fields(1), rs.Fields(2)});
    }
    rs.Close();
    return any;
}

void frmShowUsers::PickUser()
{
    QTreeWidgetItem *selected = lstParms->currentItem();
    Pick(selected && selected->isSelected() ? selected : nullptr);
}

void frmShowUsers::Pick(QTreeWidgetItem *selected)
{
    PickedUserID.clear();
    PickedUserName.clear();
    PickedUserGroup.clear();
    PickedAccount.clear();
    if (!selected)
        return;
    PickedUserID = selected->text(0);
    PickedUserName = selected->text(1);
    PickedUserGroup = selected->text(2);
    UserPicked = true;
    const QVariantList stored = selected->data(0, Qt::UserRole).toList();
    if (stored.size() == 3) {
        PickedAccount =
                db::RowAsRead(QStringLiteral("tblusers"), QStringLiteral("userid"), stored[0]);
        PickedAccount.read(QStringLiteral("username"), stored[1]);
        PickedAccount.read(QStringLiteral("usergroup"), stored[2]);
    }
}
