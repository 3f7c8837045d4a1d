#include "catalogue/frmPatterns.h"

#include "app/session.h"
#include "catalogue/Patterns.h"
#include "platform/ui/Dialogs.h"

#include <QLineEdit>

namespace {

const ListDefinition &patternList()
{
    static const ListDefinition list{
            QStringLiteral("frmPatterns"),
            QStringLiteral("File Patterns"),
            QStringLiteral("patterns"),
            QStringLiteral("patterns"),
            QStringLiteral("Patterns"),
            QStringLiteral("Pattern"),
            QStringLiteral("File &Pattern: (*.doc or *.zip)"),
            db::Select::From(QStringLiteral("patterns")).OrderBy(QStringLiteral("patterns")),
            QStringLiteral("Please enter pattern as *.???, for an example, *.zip or *.doc"),
            QStringLiteral("Print File Patterns?"),
            QStringLiteral("SELECT patterns FROM patterns ORDER BY inum"),
            {},
            QStringLiteral("rptFilePatterns"),
    };
    return list;
}

} // namespace

frmPatterns::frmPatterns(QWidget *parent)
    : ListWindow(patternList(), parent)
{ }

bool frmPatterns::ValidateText() const
{
    return IsValidPattern(PName->text());
}

void frmPatterns::AddNewRecord()
{
    if (PName->text().isEmpty()) {
        refuse(QStringLiteral("Please Enter Pattern to Add!"));
        return;
    }
    if (!ValidateText()) {
        refuse(QStringLiteral("Invalid Pattern!"));
        return;
    }
    const QString pattern = typedName();
    if (!confirm(QStringLiteral("Are You Sure to Add Pattern: ") + pattern,
                 QStringLiteral("Add Confirmation")))
        return;
    ErrorTrap([this, pattern] {
        insertName(pattern);
        ClearTextBox();
        SelectFromPatterns();
        switchButton(kUpdateButton, true);
    });
}

void frmPatterns::ConfirmUpdate()
{
    if (txtIndex->text().isEmpty()) {
        refuse(QStringLiteral("Please Select Pattern to Update!"));
        return;
    }
    UpdateRecord();
    switchButton(kNewButton, true);
}

void frmPatterns::UpdateRecord()
{
    if (PName->text().isEmpty()) {
        refuse(QStringLiteral("Please Select Record to Update!"));
        return;
    }
    if (!ValidateText()) {
        refuse(QStringLiteral("Invalid Pattern!"));
        return;
    }
    const QString pattern = typedName();
    if (!confirm(QStringLiteral("Are You Sure to Update Pattern: ") + pattern,
                 QStringLiteral("Update Confirmation")))
        return;
    ErrorTrap([this, pattern] {
        ReopenConnection();
        updatePickedName(pattern);
        ShowRecordPosition();
        ClearTextBox();
    });
}

void frmPatterns::HandleDeleteClick()
{
    DeleteRecord();
}

void frmPatterns::DeleteRecord()
{
    // Without a picked row there is no pattern to delete, only a typed one.
    if (PName->text().isEmpty() || pickedRow() < 0) {
        refuse(QStringLiteral("Please select record to delete!"));
        return;
    }
    if (!confirm(QStringLiteral("Are You Sure to Delete Pattern: ") + typedName(),
                 QStringLiteral("Delete Confirmation")))
        return;
    withOneRetry([this] {
        ReopenConnection();
        deletePickedRow();
    });
    ShowRecordPosition();
    ClearTextBox();
    switchButton(kNewButton, true);
}
