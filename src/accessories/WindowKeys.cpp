#include "accessories/WindowKeys.h"

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace {

class KeyRouter : public QObject
{
public:
    KeyRouter(QWidget *window, std::function<bool(int, Qt::KeyboardModifiers)> handler)
        : QObject(window)
        , handler_(std::move(handler))
    { }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto *press = static_cast<QKeyEvent *>(event);
        if (handler_(press->key(), press->modifiers()))
            return true;
        switch (press->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Space:
            return false;
        default:
            return true;
        }
    }

private:
    std::function<bool(int, Qt::KeyboardModifiers)> handler_;
};

} // namespace

void RouteKeys(QWidget *window, std::function<bool(int key, Qt::KeyboardModifiers)> handler)
{
    auto *router = new KeyRouter(window, std::move(handler));
    window->installEventFilter(router);
    for (QWidget *control : window->findChildren<QWidget *>())
        control->installEventFilter(router);
}
