#pragma once

#include "catalogue/ListWindow.h"

// The file-name patterns that the file picker offers. Nothing else refers to them.
class frmPatterns : public ListWindow
{
    Q_OBJECT
public:
    explicit frmPatterns(QWidget *parent = nullptr);

    void AddNewRecord() override;
    void ConfirmUpdate() override;
    void HandleDeleteClick() override;
    void UpdateRecord();
    void DeleteRecord();
    void RefreshPatterns() { RefreshList(); }
    void SelectFromPatterns() { SelectFromList(); }
    void PrintPatterns() { PrintList(); }
    // Whether the typed pattern may be stored (IsValidPattern).
    bool ValidateText() const;
};
