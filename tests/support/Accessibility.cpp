#include "Accessibility.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QToolBar>
#include <QWidget>

namespace {

QString plain(QString text)
{
    text.remove(QLatin1Char('&'));
    if (text.endsWith(QLatin1Char(':')))
        text.chop(1);
    return text;
}

} // namespace

QStringList AccessibilityFaults(QWidget *window)
{
    QStringList faults;
    const QList<QLabel *> labels = window->findChildren<QLabel *>();
    for (QLineEdit *box : window->findChildren<QLineEdit *>()) {
        if (box->parent() && qobject_cast<QWidget *>(box->parent())
            && box->parentWidget()->inherits("QComboBox"))
            continue;
        QLabel *buddy = nullptr;
        for (QLabel *label : labels) {
            if (label->buddy() == box)
                buddy = label;
        }
        if (!buddy)
            faults << box->objectName() + QStringLiteral(": no label names it");
        else if (box->accessibleName() != plain(buddy->text()))
            faults << box->objectName() + QStringLiteral(": named '") + box->accessibleName()
                            + QStringLiteral("', labelled '") + buddy->text() + QLatin1Char('\'');
        else if (!buddy->text().contains(QLatin1Char('&')))
            faults << box->objectName() + QStringLiteral(": label has no mnemonic");
    }
    for (QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
        if (!button->text().isEmpty() || button->inherits("QToolButton"))
            continue;
        if (button->toolTip().isEmpty() || button->accessibleName() != button->toolTip())
            faults << button->objectName() + QStringLiteral(": picture button without a name");
    }
    for (QToolBar *bar : window->findChildren<QToolBar *>()) {
        for (QAction *action : bar->actions()) {
            if (action->isSeparator())
                continue;
            QWidget *widget = bar->widgetForAction(action);
            if (action->icon().isNull())
                faults << action->objectName() + QStringLiteral(": tool bar button without icon");
            if (action->toolTip().isEmpty() || !widget
                || widget->accessibleName() != action->toolTip())
                faults << action->objectName() + QStringLiteral(": tool bar button without name");
        }
    }
    return faults;
}
