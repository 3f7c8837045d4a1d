#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <memory>

class QWidget;

// The windows of the program by name. Each folder registers its own windows once, and a window
// opens another by name, so no folder includes another subsystem just to show its window. The
// main menu, the screenshot tool and the window tests read this one list: a task whose window is
// not registered is simply not offered.
struct WindowEntry
{
    // A step taken on a fresh window: filling in sample values, or bringing it to another view.
    using Step = std::function<void(QWidget *window)>;
    struct View
    {
        QString suffix;
        Step step;
    };

    // The window's class and objectName.
    QString name;
    std::function<QWidget *(QWidget *owner)> create;
    // For pictures of the window: sample content put in before it is first shown, and further
    // views of the same window, each saved under the name and its suffix.
    Step stage;
    QList<View> views;
    // A task that shows more than this one window: run instead of showing it, when it is opened.
    std::function<int(QWidget *owner)> run;
};

// Adds windows to the catalogue; a name registered twice keeps its first entry. The result lets a
// folder register from a static initialiser.
int RegisterWindows(const QList<WindowEntry> &entries);
// A window's entry, or nullptr when this program has no such window.
const WindowEntry *FindWindow(const QString &name);
bool WindowRegistered(const QString &name);
// Every registered window, by name.
QList<const WindowEntry *> RegisteredWindows();

// A new window of that name; throws std::invalid_argument for an unregistered name.
std::unique_ptr<QWidget> CreateWindow(const QString &name, QWidget *owner = nullptr);
// Creates the named window, lets prepare set its hand-over values, shows it modally over owner
// and destroys it when it closes; a window registered with a task of its own runs that instead.
// Returns the window's result, or -1 when the name is unknown (the caller's task was not
// offered, so nothing is shown).
int OpenWindow(const QString &name, QWidget *owner = nullptr,
               const WindowEntry::Step &prepare = {});

// A registration entry for a window class whose constructor takes the owner.
template<class Window>
WindowEntry WindowOf(const QString &name, WindowEntry::Step stage = {},
                     QList<WindowEntry::View> views = {})
{
    return {name,
            [](QWidget *owner) -> QWidget * { return new Window(owner); },
            std::move(stage),
            std::move(views),
            {}};
}
