#pragma once

#include "platform/db/Select.h"

#include "platform/db/RowAsRead.h"
#include "platform/ui/Form.h"

#include <QVariantList>

#include <functional>

class DataControlBar;
class KeyedToolBar;
class QLabel;
class QLineEdit;
class QTableView;

namespace db {
class DataControl;
}

// What sets one list window apart from another of its kind.
struct ListDefinition
{
    QString name;
    QString title;
    QString table;
    QString column;
    QString gridCaption;
    QString columnCaption;
    QString fieldLabel;
    // The grid's rows, in the order the grid lists them.
    db::Select list;
    QString helpText;
    // The printed list: the question before it, its rows (in the order they were added) and the
    // report layout.
    QString printQuestion;
    QString printSql;
    QVariantList printValues;
    QString report;
};

// The windows that keep one list of names in a table of their own (file groups, file patterns):
// a grid over the table with the record position under it, the name being added or edited, the
// number of the row picked in the grid, and a tool bar with the same fourteen buttons in the same
// places. Adding, updating and deleting differ from list to list and are the subclass's.
class ListWindow : public FormDialog
{
    Q_OBJECT
public:
    db::DataControl *Adodc1;
    KeyedToolBar *Toolbar1;
    QLineEdit *PName;
    QLineEdit *txtIndex;
    QLabel *lblGrid;
    QTableView *DataGrid1;
    DataControlBar *barAdodc1;

    void Form_Load() override;
    void Toolbar1_ButtonClick(const QString &key);
    // Refreshes the grid; its caption reads "1 of N" on the first row, or nothing when empty.
    void ShowRecordPosition();
    void ClearTextBox();
    void HandleExitClick();
    // Takes the grid's current row into the fields.
    virtual void DataGrid1_DblClick();
    virtual void AddNewRecord() = 0;
    virtual void ConfirmUpdate() = 0;
    virtual void HandleDeleteClick() = 0;

protected:
    ListWindow(const ListDefinition &definition, QWidget *parent);

    // Back to the whole list with empty fields, New and Update on, the cursor in the name.
    void RefreshList();
    // Re-reads the list through the shared record set, then refreshes the grid.
    void SelectFromList();
    void PrintList();

    // Shows a refusal: the message with the title "Error!" and the critical icon.
    void refuse(const QString &message);
    // Asks with Yes and No and the critical icon; true for Yes.
    bool confirm(const QString &question, const QString &title);
    // The trimmed name typed, and the number of the row picked in the grid (-1 when none).
    QString typedName() const;
    qint64 pickedRow() const;
    // Switches a tool bar button, found by its position as the buttons stand.
    void switchButton(int position, bool on);
    // Adds a row holding name; changes or removes the picked row's name; then shows the whole
    // list again. A change is made only while the picked row holds the name it held when it
    // was picked; otherwise the grid shows the row as it now is and db::RowChangedError is
    // thrown. Throws db::DbError.
    void insertName(const QString &name);
    void updatePickedName(const QString &name);
    void deletePickedRow();
    // A delete that fails is offered once more; a second failure is only reported, and so is a
    // row changed at another desk, which trying again cannot mend.
    // True when the step went through.
    bool withOneRetry(const std::function<void()> &step);

    const ListDefinition &definition_;

private:
    void layOut();
    void restoreList();
    db::RowAsRead pickedAsRead(qint64 row) const;
    // Runs write on the picked row as it was read; when another desk changed it, the grid is
    // read again before the refusal goes on.
    void writePicked(const std::function<void(const db::RowAsRead &, qint64 row)> &write);

    // The row picked in the grid, as it was read.
    db::RowAsRead picked_;
};

// Tool bar positions that the list windows switch.
constexpr int kUpdateButton = 4;
constexpr int kNewButton = 6;
