#pragma once

#include "platform/ui/PickerWindow.h"

// The report picker: the reports of the group in ReportGroup, from the report catalogue.
class frmReports : public PickerWindow
{
    Q_OBJECT
public:
    explicit frmReports(QWidget *parent = nullptr);
    void Form_Load() override;

protected:
    void Pick(QTreeWidgetItem *selected) override;
};

// The option picker: the values one report is limited to (a group or a web site), chosen by
// OptionType.
class frmGetRpt : public PickerWindow
{
    Q_OBJECT
public:
    explicit frmGetRpt(QWidget *parent = nullptr);
    void Form_Load() override;

protected:
    void Pick(QTreeWidgetItem *selected) override;
};

// What a report button does for its group of reports: the picker, the option picker where the
// report needs a value, then the report itself.
void RunReportGroup(const QString &group);
