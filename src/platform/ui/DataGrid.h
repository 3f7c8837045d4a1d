#pragma once

#include <QStringList>
#include <QStyledItemDelegate>
#include <QWidget>

#include <functional>
#include <utility>

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

// Shows a column's values as text makes them, the stored values left as they are: a number that
// names a row of another table shown by that row's name, say.
class TextDelegate : public QStyledItemDelegate
{
public:
    TextDelegate(std::function<QString(const QVariant &)> text, QObject *parent = nullptr)
        : QStyledItemDelegate(parent)
        , text_(std::move(text))
    { }
    QString displayText(const QVariant &value, const QLocale &locale) const override;

private:
    std::function<QString(const QVariant &)> text_;
};

// The text a grid shows in a cell, as its column's delegate writes it.
QString ShownText(const QTableView *grid, int row, int column);

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
