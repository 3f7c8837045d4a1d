#include "platform/ui/PickerWindow.h"

#include "platform/ui/Controls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Fields.h"
#include "platform/ui/ToolBar.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

PickerWindow::PickerWindow(const QString &name, const QString &title, const QStringList &headers,
                           const QString &helpText, QWidget *parent)
    : FormDialog(parent)
    , lstParms(NamedReportList(QStringLiteral("lstParms"), headers, this))
    , tbrMain2(NamedToolBar(
              QStringLiteral("tbrMain2"), this,
              {
                      {"kSep1"},
                      {"kCancel2", "Cancel", "dialog-cancel", QStyle::SP_DialogCancelButton},
                      {"kSep2"},
                      {"kFinish2", "Finish", "dialog-ok", QStyle::SP_DialogOkButton},
                      {"kSep3"},
                      {"kHelp2", "Help", "help-contents", QStyle::SP_MessageBoxQuestion},
              }))
    , helpText_(helpText)
{
    setObjectName(name);
    setWindowTitle(title);
    lstParms->setAccessibleName(title);
    lstParms->header()->setSectionsClickable(true);
    lstParms->header()->setSortIndicatorShown(true);
    lstParms->header()->setSortIndicator(-1, Qt::AscendingOrder);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tbrMain2);
    layout->addWidget(lstParms, 1);
    resize(520, 340);

    connect(tbrMain2, &KeyedToolBar::ButtonClick, this, &PickerWindow::tbrMain2_ButtonClick);
    connect(lstParms, &QTreeWidget::itemDoubleClicked, this, [this] { lstParms_DblClick(); });
    connect(lstParms->header(), &QHeaderView::sectionClicked, this,
            &PickerWindow::lstParms_ColumnClick);
    OnEnter(lstParms, [this] { lstParms_DblClick(); });
}

void PickerWindow::tbrMain2_ButtonClick(const QString &key)
{
    if (key == QLatin1String("kFinish2"))
        finish();
    else if (key == QLatin1String("kCancel2"))
        close();
    else if (key == QLatin1String("kHelp2"))
        MsgBox(helpText_, vbInformation);
}

void PickerWindow::lstParms_DblClick()
{
    finish();
}

void PickerWindow::lstParms_ColumnClick(int column)
{
    lstParms->sortItems(column, lstParms->header()->sortIndicatorOrder());
}

QTreeWidgetItem *PickerWindow::addRow(const QStringList &columns)
{
    auto *row = new QTreeWidgetItem(lstParms, columns);
    if (!lstParms->currentItem())
        lstParms->setCurrentItem(row);
    return row;
}

void PickerWindow::finish()
{
    QTreeWidgetItem *selected = lstParms->currentItem();
    Pick(selected && selected->isSelected() ? selected : nullptr);
    accept();
}
