#include "platform/ui/ToolBar.h"

#include <QAction>
#include <QApplication>
#include <QToolButton>

KeyedToolBar::KeyedToolBar(QWidget *parent)
    : QToolBar(parent)
{
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(24, 24));
    setToolButtonStyle(Qt::ToolButtonIconOnly);
}

void KeyedToolBar::addButtons(std::initializer_list<Button> buttons)
{
    for (const Button &button : buttons) {
        const QString key = QString::fromLatin1(button.key);
        if (!button.toolTip)
            addKeyedSeparator(key);
        else
            addButton(key, QString::fromUtf8(button.toolTip), QString::fromLatin1(button.themeIcon),
                      button.fallback);
    }
}

QAction *KeyedToolBar::addButton(const QString &key, const QString &toolTip,
                                 const QString &themeIcon, QStyle::StandardPixmap fallback)
{
    const QIcon icon = QIcon::fromTheme(themeIcon, QApplication::style()->standardIcon(fallback));
    QAction *action = addAction(icon, toolTip);
    action->setObjectName(key);
    action->setToolTip(toolTip);
    if (auto *widget = widgetForAction(action)) {
        widget->setObjectName(key + QStringLiteral("Button"));
        widget->setAccessibleName(toolTip);
    }
    connect(action, &QAction::triggered, this, [this, key] { emit ButtonClick(key); });
    return action;
}

QAction *KeyedToolBar::addKeyedSeparator(const QString &key)
{
    QAction *separator = addSeparator();
    separator->setObjectName(key);
    return separator;
}

QAction *KeyedToolBar::button(const QString &key) const
{
    return findChild<QAction *>(key);
}

QAction *KeyedToolBar::buttonAt(int position) const
{
    const QList<QAction *> all = actions();
    return position >= 1 && position <= all.size() ? all[position - 1] : nullptr;
}

void KeyedToolBar::click(const QString &key)
{
    if (QAction *action = button(key))
        action->trigger();
}
