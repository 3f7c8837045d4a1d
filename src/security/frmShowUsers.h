#pragma once

#include "platform/db/RowAsRead.h"
#include "platform/ui/PickerWindow.h"

// The user picker: every account, by user ID; the one picked goes back through PickedUserID,
// PickedUserName, PickedUserGroup and UserPicked.
class frmShowUsers : public PickerWindow
{
    Q_OBJECT
public:
    explicit frmShowUsers(QWidget *parent = nullptr);

    void Form_Load() override;
    // Fills the list; false when there is no account at all. Throws db::DbError.
    bool LoadUsers();
    void PickUser();

    // The account picked, as the list read it (empty when none was picked): the user window
    // saves its name and group only while they are still so.
    db::RowAsRead PickedAccount;

protected:
    void Pick(QTreeWidgetItem *selected) override;
};
