#pragma once

#include "platform/ui/Form.h"

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// Files catalogued more than once with the same contents, in groups of equal size and checksum,
// the groups that waste most space first. Choosing a file closes the window and hands its row
// to the catalogue browser.
class frmDuplicates : public FormDialog
{
    Q_OBJECT
public:
    explicit frmDuplicates(QWidget *parent = nullptr);

    QLabel *lblSummary;
    QTreeWidget *lstCopies;
    QPushButton *cmdGoTo;
    QPushButton *cmdClose;

    // How much is listed at most; a catalogue with more says so in the summary.
    qint64 MaxGroups = 500;
    qint64 MaxRows = 5000;

    void Form_Load() override;
    void LoadCopies();
    void lstCopies_DblClick(QTreeWidgetItem *item);
    void cmdGoTo_Click();
    void cmdClose_Click();

    // The catalogue row number a file line stands for; -1 for a group's heading.
    static qint64 RowOf(const QTreeWidgetItem *item);

signals:
    // The catalogue row chosen, just before the window closes.
    void rowChosen(qint64 row);

private:
    void setUpList();
    void connectHandlers();
    void choose(QTreeWidgetItem *item);
};
