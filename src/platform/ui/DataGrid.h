#pragma once

#include <QStringList>
#include <QWidget>

#include <functional>

class QLabel;
class QTableView;
class QToolButton;

namespace db {
class DataControl;
}

// Shows a data control's rows in a grid: whole rows selected one at a time, only the named
// columns visible (all when none are named), the grid's current row and the control's kept in
// step. A double-click on a row, or Enter on it, runs picked. Call again after each refresh that
// may have changed the columns.
void BindGrid(QTableView *grid, db::DataControl *control, const QStringList &visibleColumns = {},
              std::function<void()> picked = {});
// Shows the columns named (by field, case ignored) and hides the others.
void ShowColumns(QTableView *grid, db::DataControl *control, const QStringList &visibleColumns);

// The bar under a grid: first, previous, next and last row, and a caption the window sets
// (usually the position, "N of M"), kept as "N of M" while the user moves with the bar or grid.
class DataControlBar : public QWidget
{
    Q_OBJECT
public:
    DataControlBar(db::DataControl *control, QWidget *parent = nullptr);

    QString caption() const;
    void setCaption(const QString &caption);

    QToolButton *cmdFirst;
    QToolButton *cmdPrevious;
    QToolButton *cmdNext;
    QToolButton *cmdLast;

private:
    void moveTo(qint64 row);
    void follow(qint64 row);

    db::DataControl *control_;
    QLabel *caption_;
};
