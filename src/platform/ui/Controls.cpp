#include "platform/ui/Controls.h"

#include "platform/ui/Fields.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

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
