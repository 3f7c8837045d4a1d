#pragma once

#include "platform/ui/PickerWindow.h"

// The web site picker: every site of the directory by name, with its address and number. The
// chosen site's number is left in SelectedWebId, and WebPicked tells whether one was chosen.
class frmGetWebs : public PickerWindow
{
    Q_OBJECT
public:
    explicit frmGetWebs(QWidget *parent = nullptr);
    void Form_Load() override;
    void FillWebList();
    void PickWebSite(QTreeWidgetItem *selected);

protected:
    void Pick(QTreeWidgetItem *selected) override { PickWebSite(selected); }
};
