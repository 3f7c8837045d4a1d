#pragma once

#include "platform/ui/Form.h"

#include <QStringList>

class KeyedToolBar;
class QTreeWidget;
class QTreeWidgetItem;

// The windows that list rows to pick one from: a report-style list whose column headers sort it,
// and a tool bar with Cancel, Finish and Help. Finish, a double-click or Enter on a row takes the
// selected row (Pick) and closes the window; Cancel closes it without a choice.
class PickerWindow : public FormDialog
{
    Q_OBJECT
public:
    QTreeWidget *lstParms;
    KeyedToolBar *tbrMain2;

    void tbrMain2_ButtonClick(const QString &key);
    void lstParms_DblClick();
    // Sorts by the column at that position, counted from 0.
    void lstParms_ColumnClick(int column);

protected:
    PickerWindow(const QString &name, const QString &title, const QStringList &headers,
                 const QString &helpText, QWidget *parent);

    // Takes the selected row, or nothing when none is selected.
    virtual void Pick(QTreeWidgetItem *selected) = 0;
    QTreeWidgetItem *addRow(const QStringList &columns);

private:
    void finish();

    QString helpText_;
};
