#include "platform/ui/DataGrid.h"

#include "platform/db/DataControl.h"
#include "platform/ui/Fields.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QStyle>
#include <QTableView>
#include <QToolButton>

namespace {

QToolButton *barButton(const QString &name, const QString &toolTip, QStyle::StandardPixmap icon,
                       QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(name);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setAutoRaise(true);
    PictureButton(button, toolTip);
    return button;
}

} // namespace

QString TextDelegate::displayText(const QVariant &value, const QLocale &) const
{
    return text_(value);
}

QString ShownText(const QTableView *grid, int row, int column)
{
    const QVariant value = grid->model()->index(row, column).data();
    if (const auto *delegate =
                qobject_cast<const QStyledItemDelegate *>(grid->itemDelegateForColumn(column)))
        return delegate->displayText(value, grid->locale());
    return value.toString();
}

void ShowColumns(QTableView *grid, db::DataControl *control, const QStringList &visibleColumns)
{
    const int columns = control->model()->columnCount();
    for (int column = 0; column < columns; ++column)
        grid->setColumnHidden(column, !visibleColumns.isEmpty());
    for (const QString &field : visibleColumns) {
        const int column = control->FieldIndex(field);
        if (column >= 0)
            grid->setColumnHidden(column, false);
    }
}

void BindGrid(QTableView *grid, db::DataControl *control, const QStringList &visibleColumns,
              std::function<void()> picked)
{
    if (grid->model() != control->model()) {
        grid->setModel(control->model());
        grid->setSelectionBehavior(QAbstractItemView::SelectRows);
        grid->setSelectionMode(QAbstractItemView::SingleSelection);
        grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        grid->setAlternatingRowColors(true);
        // Tab leaves the grid for the next control, as in any other control; the arrow keys
        // move between its cells.
        grid->setTabKeyNavigation(false);
        // A long path keeps its start and its file name in sight.
        grid->setTextElideMode(Qt::ElideMiddle);
        grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
        grid->horizontalHeader()->setStretchLastSection(true);
        // Rows are picked one at a time, so the corner's select-all has nothing to do.
        grid->setCornerButtonEnabled(false);
        for (QAbstractButton *corner : grid->findChildren<QAbstractButton *>())
            PictureButton(corner, QStringLiteral("Select all rows"));
        QObject::connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, control,
                         [control](const QModelIndex &current) {
                             if (current.isValid())
                                 control->setCurrentRow(current.row());
                         });
        QObject::connect(control, &db::DataControl::currentRowChanged, grid, [grid](qint64 row) {
            if (row >= 0 && grid->currentIndex().row() != row)
                grid->selectRow(static_cast<int>(row));
        });
        if (picked) {
            QObject::connect(grid, &QAbstractItemView::doubleClicked, grid, [picked] { picked(); });
            OnEnter(grid, picked);
        }
    }
    ShowColumns(grid, control, visibleColumns);
}

DataControlBar::DataControlBar(db::DataControl *control, QWidget *parent)
    : QWidget(parent)
    , cmdFirst(barButton(QStringLiteral("cmdFirst"), QStringLiteral("First Record"),
                         QStyle::SP_MediaSkipBackward, this))
    , cmdPrevious(barButton(QStringLiteral("cmdPrevious"), QStringLiteral("Previous Record"),
                            QStyle::SP_MediaSeekBackward, this))
    , cmdNext(barButton(QStringLiteral("cmdNext"), QStringLiteral("Next Record"),
                        QStyle::SP_MediaSeekForward, this))
    , cmdLast(barButton(QStringLiteral("cmdLast"), QStringLiteral("Last Record"),
                        QStyle::SP_MediaSkipForward, this))
    , control_(control)
    , caption_(new QLabel(this))
{
    caption_->setObjectName(QStringLiteral("lblCaption"));
    caption_->setAlignment(Qt::AlignCenter);
    caption_->setFrameShape(QFrame::StyledPanel);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    row->addWidget(cmdFirst);
    row->addWidget(cmdPrevious);
    row->addWidget(caption_, 1);
    row->addWidget(cmdNext);
    row->addWidget(cmdLast);
    connect(cmdFirst, &QToolButton::clicked, this, [this] { moveTo(0); });
    connect(cmdPrevious, &QToolButton::clicked, this,
            [this] { moveTo(control_->CurrentRow() - 1); });
    connect(cmdNext, &QToolButton::clicked, this, [this] { moveTo(control_->CurrentRow() + 1); });
    connect(cmdLast, &QToolButton::clicked, this, [this] { moveTo(control_->RecordCount() - 1); });
    connect(control_, &db::DataControl::currentRowChanged, this, &DataControlBar::follow);
}

QString DataControlBar::caption() const
{
    return caption_->text();
}

void DataControlBar::setCaption(const QString &caption)
{
    caption_->setText(caption);
    caption_->setAccessibleName(caption);
}

void DataControlBar::moveTo(qint64 row)
{
    if (row >= 0 && row < control_->RecordCount())
        control_->setCurrentRow(row);
}

// A caption the window has cleared stays clear; one that shows a position follows the row.
void DataControlBar::follow(qint64 row)
{
    if (!caption_->text().isEmpty() && row >= 0)
        setCaption(control_->Caption());
}
