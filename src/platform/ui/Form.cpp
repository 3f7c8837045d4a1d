#include "platform/ui/Form.h"

#include "platform/Settings.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

void FormLoad::ensureLoaded()
{
    if (loaded_)
        return;
    loaded_ = true;
    Form_Load();
}

namespace {

QString placeKey(const QWidget *window)
{
    return QStringLiteral("Place.") + window->objectName();
}

// Keeps a window's place and size when it is hidden (closed), for the next time it opens.
class PlaceKeeper : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Hide && watched == parent()) {
            const auto *window = static_cast<QWidget *>(watched);
            settings::Set(placeKey(window), QString::fromLatin1(window->saveGeometry().toBase64()));
        }
        return false;
    }
};

// The place a window was left at, when the whole of its title bar is still on a screen.
bool restorePlace(QWidget *window)
{
    const QByteArray kept =
            QByteArray::fromBase64(settings::Get(placeKey(window), QString()).toLatin1());
    if (kept.isEmpty() || !window->restoreGeometry(kept))
        return false;
    const QRect frame = window->frameGeometry();
    const QRect titleBar(frame.topLeft(), QSize(frame.width(), 24));
    for (const QScreen *screen : QGuiApplication::screens())
        if (screen->availableGeometry().contains(titleBar))
            return true;
    return false;
}

} // namespace

void CentreWindow(QWidget *window)
{
    const bool own = window->objectName().startsWith(QLatin1String("frm"));
    if (own) {
        // Once for each window, however often it is placed.
        static const char *const kept = "corvinaPlaceKept";
        if (!window->property(kept).toBool()) {
            window->setProperty(kept, true);
            window->installEventFilter(new PlaceKeeper(window));
        }
        if (restorePlace(window))
            return;
    }
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
