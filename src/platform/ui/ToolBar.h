#pragma once

#include <QStyle>
#include <QToolBar>

// A tool bar whose buttons are found by key (the action's objectName) and report a click with
// that key. Every button shows an icon and carries its tool tip as its accessible name.
class KeyedToolBar : public QToolBar
{
    Q_OBJECT
public:
    // One button of a tool bar's layout; a separator has a key and nothing else.
    struct Button
    {
        const char *key;
        const char *toolTip = nullptr;
        const char *themeIcon = nullptr;
        QStyle::StandardPixmap fallback = QStyle::SP_CustomBase;
    };

    explicit KeyedToolBar(QWidget *parent = nullptr);

    // Adds the buttons and separators in order.
    void addButtons(std::initializer_list<Button> buttons);
    // The icon comes from the desktop theme, or the style's standard icon where it has none.
    QAction *addButton(const QString &key, const QString &toolTip, const QString &themeIcon,
                       QStyle::StandardPixmap fallback);
    QAction *addKeyedSeparator(const QString &key);
    QAction *button(const QString &key) const;
    // The button at a 1-based position, separators counted, as some windows switch them.
    QAction *buttonAt(int position) const;
    // Clicks the button with this key, as a user would.
    void click(const QString &key);

signals:
    void ButtonClick(const QString &key);
};
