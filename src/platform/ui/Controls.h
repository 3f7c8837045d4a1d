#pragma once

#include <QString>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
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
// A titled frame that groups fields.
QGroupBox *NamedFrame(const QString &name, const QString &title, QWidget *parent);
// A drop-down list; an editable one takes typed text without adding it to its list.
QComboBox *NamedCombo(const QString &name, QWidget *parent, bool editable = false);
QCheckBox *NamedCheckBox(const QString &name, const QString &caption, QWidget *parent);
QLabel *NamedLabel(const QString &name, const QString &text, QWidget *parent);
