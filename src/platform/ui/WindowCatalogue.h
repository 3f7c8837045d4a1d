#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <memory>

class QWidget;

// The windows of the program by name. Each folder registers its own windows through the
// Register...Windows() of its Windows.h, which the program's start-up and the test fixture call
// for every folder they link, and a window opens another by name, so no folder includes another
// subsystem just to show its window. The main menu and the window tests read this one list: a
// task whose window is not registered is simply not offered.
struct WindowEntry
{
    // A step taken on a fresh window before it is shown: setting its hand-over values.
    using Step = std::function<void(QWidget *window)>;

    // The window's class and objectName.
    QString name;
    std::function<QWidget *(QWidget *owner)> create;
    // A task that shows more than this one window: run instead of showing it, when it is opened.
    std::function<int(QWidget *owner)> run;
};

// Adds windows to the catalogue; a name registered twice keeps its first entry, so registering a
// folder again changes nothing. Returns the number of windows now registered.
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
// Returns the window's result. A name nobody registered is a fault in the caller (a misspelt
// name, or a folder whose windows were not registered): it throws std::invalid_argument naming
// it, rather than doing nothing where the user asked for a window. Ask WindowRegistered first
// where a window may be absent from this program.
int OpenWindow(const QString &name, QWidget *owner = nullptr,
               const WindowEntry::Step &prepare = {});

// A registration entry for a window class whose constructor takes the owner.
template<class Window> WindowEntry WindowOf(const QString &name)
{
    return {name, [](QWidget *owner) -> QWidget * { return new Window(owner); }, {}};
}
