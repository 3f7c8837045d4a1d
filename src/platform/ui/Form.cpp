#include "platform/ui/Form.h"

#include <QGuiApplication>
#include <QScreen>

void FormLoad::ensureLoaded()
{
    if (loaded_)
        return;
    loaded_ = true;
    Form_Load();
}

void CentreWindow(QWidget *window)
{
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize size = window->frameGeometry().size().expandedTo(window->size());
    window->move(area.x() + (area.width() - size.width()) / 2,
                 area.y() + (area.height() - size.height()) / 2);
}

int Twips(QWidget *window, int twips)
{
    const int dpi = window ? window->logicalDpiY() : 96;
    return twips * dpi / 1440;
}
