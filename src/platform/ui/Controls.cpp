#include "platform/ui/Controls.h"

#include "platform/ui/Fields.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>

QLineEdit *NamedTextBox(const QString &name, QWidget *parent)
{
    auto *box = Named(new QLineEdit(parent), name);
    SelectAllOnFocus(box);
    return box;
}

QLineEdit *NamedPasswordBox(const QString &name, QWidget *parent)
{
    QLineEdit *box = NamedTextBox(name, parent);
    box->setEchoMode(QLineEdit::Password);
    return box;
}

QPushButton *NamedButton(const QString &name, const QString &caption, QWidget *parent,
                         const QString &toolTip)
{
    auto *button = Named(new QPushButton(caption, parent), name);
    if (!toolTip.isEmpty())
        button->setToolTip(toolTip);
    button->setAutoDefault(false);
    return button;
}

QPushButton *NamedDialogButton(const QString &name, const QString &caption, QWidget *parent,
                               bool isDefault)
{
    auto *button = Named(new QPushButton(caption, parent), name);
    if (isDefault)
        button->setDefault(true);
    return button;
}

QGroupBox *NamedFrame(const QString &name, const QString &title, QWidget *parent)
{
    return Named(new QGroupBox(title, parent), name);
}

QComboBox *NamedCombo(const QString &name, QWidget *parent, bool editable)
{
    auto *combo = Named(new QComboBox(parent), name);
    if (editable) {
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
    }
    return combo;
}

QCheckBox *NamedCheckBox(const QString &name, const QString &caption, QWidget *parent)
{
    return Named(new QCheckBox(caption, parent), name);
}

QLabel *NamedLabel(const QString &name, const QString &text, QWidget *parent)
{
    return Named(new QLabel(text, parent), name);
}

KeyedToolBar *NamedToolBar(const QString &name, QWidget *parent,
                           std::initializer_list<KeyedToolBar::Button> buttons)
{
    auto *bar = Named(new KeyedToolBar(parent), name);
    bar->addButtons(buttons);
    return bar;
}

QTreeWidget *NamedReportList(const QString &name, const QStringList &headings, QWidget *parent)
{
    auto *list = Named(new QTreeWidget(parent), name);
    list->setHeaderLabels(headings);
    list->setRootIsDecorated(false);
    list->setAlternatingRowColors(true);
    list->setUniformRowHeights(true);
    return list;
}

QListWidget *NamedListBox(const QString &name, QWidget *parent)
{
    auto *list = Named(new QListWidget(parent), name);
    list->setUniformItemSizes(true);
    return list;
}

QAction *NamedItem(QMenu *menu, const QString &name, const QString &caption,
                   const QKeySequence &shortcut)
{
    QAction *item = Named(menu->addAction(caption), name);
    if (!shortcut.isEmpty())
        item->setShortcut(shortcut);
    return item;
}
