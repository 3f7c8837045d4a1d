#pragma once

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

protected:
    void Pick(QTreeWidgetItem *selected) override;
};
