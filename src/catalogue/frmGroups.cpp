#include "catalogue/frmGroups.h"

#include "app/CLog.h"
#include "app/CUtils.h"
#include "app/modGlobals.h"
#include "app/session.h"
#include "catalogue/CatalogueSearch.h"
#include "catalogue/FileGroups.h"
#include "platform/db/Transaction.h"
#include "platform/ui/Dialogs.h"

#include <QLineEdit>

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

// Files and snippets that name the group from are moved to the group to. A group may hold
// most of a catalogue. The snippets' rows change here, with the indexes that take the group
// built again by the layer when the group holds a large share of them; the files' group is a
// number that takes the new name here, and their own copies of the name follow afterwards, in
// steps (CarryGroupNames), so that no other desk waits for the whole of it.
void carryIntoFilesAndSnippets(const QString &from, const QString &to)
{
    SqlText = QStringLiteral("UPDATE source SET codetype = ? WHERE codetype = ?");
    db::RewriteColumn(SharedConnection(), QStringLiteral("source"), QStringLiteral("codetype"),
                      from, SqlText, {to, from});
    catalogue::MoveFileGroup(SharedConnection(), from, to);
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
    Log().addEntry(LogInfo, QStringLiteral("Group %1 renamed to %2").arg(sOldGroup, sNewGroup));
    carryNames();
    sOldGroup.clear();
    sNewGroup.clear();
    switchButton(kNewButton, true);
}

void frmGroups::renameCascade()
{
    ReopenConnection();
    const db::LargeWrite large(SharedConnection());
    db::Transaction transaction(SharedConnection());
    updatePickedName(sNewGroup);
    carryIntoFilesAndSnippets(sOldGroup, sNewGroup);
    transaction.Commit();
}

// The group's files take its new name after the rename or delete has been saved: a step that
// fails is shown and left to the next time the groups or the catalogue are opened, with the
// files already found by the group's new name.
void frmGroups::carryNames()
{
    ErrorTrap([this] { catalogue::CarryGroupNamesShown(SharedConnection(), this); });
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
    if (withOneRetry([this] { deleteCascade(); })) {
        Log().addEntry(LogInfo, QStringLiteral("Group %1 deleted").arg(sOldGroup));
        carryNames();
    }
    ShowRecordPosition();
    ClearTextBox();
    switchButton(kNewButton, true);
    sOldGroup.clear();
    sNewGroup.clear();
}

void frmGroups::deleteCascade()
{
    ReopenConnection();
    const db::LargeWrite large(SharedConnection());
    db::Transaction transaction(SharedConnection());
    deletePickedRow();
    carryIntoFilesAndSnippets(sOldGroup, kBlankGroup);
    transaction.Commit();
}
