#pragma once

#include <QStyle>
#include <QToolBar>

// A tool bar whose buttons are found by key (the action's objectName) and report a click with
// that key. Every button shows an icon and carries its tool tip as its accessible name.
class KeyedToolBar : public QToolBar
{
    Q_OBJECT
public:
    explicit KeyedToolBar(QWidget *parent = nullptr);

    // The icon comes from the desktop theme, or the style's standard icon where it has none.
    QAction *addButton(const QString &key, const QString &toolTip, const QString &themeIcon,
                       QStyle::StandardPixmap fallback);
    QAction *addKeyedSeparator(const QString &key);
    QAction *button(const QString &key) const;
    // Clicks the button with this key, as a user would.
    void click(const QString &key);

signals:
    void ButtonClick(const QString &key);
};
