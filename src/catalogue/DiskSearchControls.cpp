#include "catalogue/DiskSearchControls.h"

#include "platform/ui/Controls.h"
#include "platform/ui/Fields.h"
#include "platform/ui/FileLists.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

KeyedToolBar *DiskSearchToolBar(QWidget *parent)
{
    return NamedToolBar(
            QStringLiteral("tbrMain2"), parent,
            {
                    {"kCancel2", "Cancel", "window-close", QStyle::SP_DialogCancelButton},
                    {"kSep1"},
                    {"kHelp2", "Help", "help-contents", QStyle::SP_MessageBoxQuestion},
            });
}

QListWidget *FoundList(QWidget *parent)
{
    return NamedListBox(QStringLiteral("List1"), parent);
}

QLabel *FoundCount(QWidget *parent)
{
    QLabel *count = NamedLabel(QStringLiteral("Label4"), QStringLiteral("0"), parent);
    count->setMinimumWidth(60);
    return count;
}

QVBoxLayout *StartFolderColumn(DriveListBox *drive, DirListBox *folder, QWidget *parent)
{
    auto *column = new QVBoxLayout;
    column->addWidget(FieldLabel(QStringLiteral("Dri&ve:"), drive, parent));
    column->addWidget(drive);
    column->addSpacing(4);
    column->addWidget(FieldLabel(QStringLiteral("S&tart Directory:"), folder, parent));
    column->addWidget(folder, 1);
    return column;
}

QHBoxLayout *FoundCountRow(QListWidget *found, QLabel *count, QWidget *parent)
{
    auto *row = new QHBoxLayout;
    row->addWidget(FieldLabel(QStringLiteral("Files F&ound:"), found, parent));
    row->addWidget(count);
    row->addStretch();
    return row;
}
