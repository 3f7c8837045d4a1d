#pragma once

#include "catalogue/ListWindow.h"

// The groups (code types) that files and snippets are filed under. Files and snippets name their
// group, so a rename or delete here is carried into them.
class frmGroups : public ListWindow
{
    Q_OBJECT
public:
    explicit frmGroups(QWidget *parent = nullptr);

    // The picked group's name, the "from" of a rename or delete, and the "to" of a rename.
    QString sOldGroup;
    QString sNewGroup;

    void DataGrid1_DblClick() override;
    void AddNewRecord() override;
    void ConfirmUpdate() override;
    void HandleDeleteClick() override;
    void RefreshGroups() { RefreshList(); }
    void SelectFromtype();
    void PrintGroups() { PrintList(); }

    // The pseudo-group that other windows list for "no filter"; never listed or changed here.
    static bool IsAllGroups(const QString &name);

private:
    // Renames the picked group, in its own row and in every file and snippet, all or nothing.
    void renameCascade();
    // Removes the picked group, moving its files and snippets to "<blank>", all or nothing.
    void deleteCascade();
    void carryNames();
};
