#include "catalogue/frmGroups.h"

#include "app/CUtils.h"
#include "app/modGlobals.h"
#include "app/session.h"
#include "catalogue/CatalogueSearch.h"
#include "catalogue/GroupMoves.h"
#include "platform/db/Transaction.h"
#include "platform/ui/Dialogs.h"

#include <QLineEdit>

#include <functional>

using catalogue::kAllGroups;

namespace {

const QString kBlankGroup = QStringLiteral("<blank>");

const ListDefinition &groupList()
{
    static const ListDefinition list{
            QStringLiteral("frmGroups"),
            QStringLiteral("File Groups"),
            QStringLiteral("CodeTypes"),
            QStringLiteral("CodeType"),
            QStringLiteral("Groups"),
            QStringLiteral("Group"),
            QStringLiteral("&File Group:"),
            db::Select::From(QStringLiteral("CodeTypes"))
                    .Where(QStringLiteral("codetype <> ?"), {kAllGroups})
                    .OrderBy(QStringLiteral("CodeType")),
            QStringLiteral("Please enter group, for an example, SQL or Visual Basic"),
            QStringLiteral("Print File Groups?"),
            QStringLiteral("SELECT codetype FROM codetypes where codetype <> ? ORDER BY inum"),
            {kAllGroups},
            QStringLiteral("rptFileTypes"),
    };
    return list;
}

// The group's own row changed by change, and its files and snippets carried from the group from
// to the group to (see catalogue::BeginGroupMove): the row and the first files in one
// transaction, the rest of the files in steps of their own. Each file's row changes in four
// indexes, which the engine's usual cache cannot hold; the steps run within a db::LargeWrite.
// A move left unfinished before is finished first, as this one may carry its files on.
void moveGroup(const std::function<void()> &change, const QString &from, const QString &to)
{
    ReopenConnection();
    const db::LargeWrite large(SharedConnection());
    catalogue::FinishGroupMoves(SharedConnection());
    {
        db::Transaction transaction(SharedConnection());
        change();
        catalogue::BeginGroupMove(SharedConnection(), from, to);
        transaction.Commit();
    }
    catalogue::FinishGroupMoves(SharedConnection());
}

} // namespace

frmGroups::frmGroups(QWidget *parent)
    : ListWindow(groupList(), parent)
{ }

bool frmGroups::IsAllGroups(const QString &name)
{
    return Trim(name).compare(kAllGroups, Qt::CaseInsensitive) == 0;
}

void frmGroups::DataGrid1_DblClick()
{
    ListWindow::DataGrid1_DblClick();
    sOldGroup = PName->text();
}

void frmGroups::AddNewRecord()
{
    const QString name = typedName();
    if (name.isEmpty() || IsAllGroups(name)) {
        refuse(QStringLiteral("Please Enter Group to Add!"));
        return;
    }
    if (!confirm(QStringLiteral("Add New Group: ") + name, QStringLiteral("Add Confirmation")))
        return;
    ErrorTrap([this, name] {
        insertName(name);
        ClearTextBox();
        SelectFromtype();
        switchButton(kUpdateButton, true);
    });
}

void frmGroups::SelectFromtype()
{
    SelectFromList();
}

void frmGroups::ConfirmUpdate()
{
    if (txtIndex->text().isEmpty() || typedName().isEmpty()) {
        refuse(QStringLiteral("Please Select Group to Update!"));
        return;
    }
    if (!confirm(QStringLiteral("This will change all Filenames and Snippets that have the code "
                                "type ")
                         + sOldGroup + QStringLiteral(" to the new code type ") + typedName()
                         + QStringLiteral(". Do You Want To Continue?"),
                 QStringLiteral("Update Confirmation")))
        return;
    // The files and snippets get the name as the group's own row keeps it: trimmed.
    sNewGroup = typedName();
    bool renamed = false;
    ErrorTrap([this, &renamed] {
        renameCascade();
        renamed = true;
        ShowRecordPosition();
        ClearTextBox();
    });
    // A rename that did not go through keeps the picked group and the typed name, to be tried
    // again from the same group.
    if (!renamed)
        return;
    sOldGroup.clear();
    sNewGroup.clear();
    switchButton(kNewButton, true);
}

void frmGroups::renameCascade()
{
    moveGroup([this] { updatePickedName(sNewGroup); }, sOldGroup, sNewGroup);
}

void frmGroups::HandleDeleteClick()
{
    // Without a picked row there is no group to delete, only a typed name.
    if (PName->text().isEmpty() || IsAllGroups(PName->text()) || pickedRow() < 0) {
        refuse(QStringLiteral("Please select record to delete!"));
        return;
    }
    if (!confirm(QStringLiteral("This will change all Filenames and Snippets that have the code "
                                "type ")
                         + sOldGroup
                         + QStringLiteral(" to a <blank> code type. Do You Want To Continue?"),
                 QStringLiteral("Delete Confirmation")))
        return;
    withOneRetry([this] { deleteCascade(); });
    ShowRecordPosition();
    ClearTextBox();
    switchButton(kNewButton, true);
    sOldGroup.clear();
    sNewGroup.clear();
}

void frmGroups::deleteCascade()
{
    moveGroup([this] { deletePickedRow(); }, sOldGroup, kBlankGroup);
}
