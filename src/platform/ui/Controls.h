#pragma once

#include "platform/ui/ToolBar.h"

#include <QKeySequence>
#include <QString>
#include <QStringList>

#include <initializer_list>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QTreeWidget;
class QWidget;

// The window kit: every control a window builds carries its member's name as objectName, so
// that a test, the screenshot tool and the accessibility walk find it by that name. Windows make
// their controls through these rather than each writing its own helpers.

// Gives any control its name and hands it back, for kinds the kit has no maker of its own for.
template<class Control> Control *Named(Control *control, const QString &name)
{
    control->setObjectName(name);
    return control;
}

// A one-line text box that selects its whole text whenever it gets the focus.
QLineEdit *NamedTextBox(const QString &name, QWidget *parent);
// A text box whose typing is shown masked.
QLineEdit *NamedPasswordBox(const QString &name, QWidget *parent);
// A command button that never presses itself on Enter (no button is a window's default: Enter
// belongs to the field that has the focus). A tool tip, when given, explains it.
QPushButton *NamedButton(const QString &name, const QString &caption, QWidget *parent,
                         const QString &toolTip = {});
// A button of a dialog's own row, kept to the dialog's Enter handling: Enter presses it while it
// has the focus, and presses the default button (isDefault) from a field that leaves Enter alone.
QPushButton *NamedDialogButton(const QString &name, const QString &caption, QWidget *parent,
                               bool isDefault = false);
// A titled frame that groups fields.
QGroupBox *NamedFrame(const QString &name, const QString &title, QWidget *parent);
// A drop-down list; an editable one takes typed text without adding it to its list.
QComboBox *NamedCombo(const QString &name, QWidget *parent, bool editable = false);
QCheckBox *NamedCheckBox(const QString &name, const QString &caption, QWidget *parent);
QLabel *NamedLabel(const QString &name, const QString &text, QWidget *parent);
// A tool bar with its buttons and separators, in order (see KeyedToolBar).
KeyedToolBar *NamedToolBar(const QString &name, QWidget *parent,
                           std::initializer_list<KeyedToolBar::Button> buttons);
// A list in report style: a row of column headings, rows in alternating shades and of one height,
// no tree lines.
QTreeWidget *NamedReportList(const QString &name, const QStringList &headings, QWidget *parent);
// A plain list of one-line rows, all of one height, so that a list of many thousands is not
// measured row by row.
QListWidget *NamedListBox(const QString &name, QWidget *parent);
// An item at the end of a menu, with its shortcut when given.
QAction *NamedItem(QMenu *menu, const QString &name, const QString &caption,
                   const QKeySequence &shortcut = {});
