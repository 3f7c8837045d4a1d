#include "platform/ui/WindowCatalogue.h"

#include "platform/ui/Dialogs.h"

#include <QWidget>

#include <map>
#include <stdexcept>

namespace {

std::map<QString, WindowEntry> &catalogue()
{
    static std::map<QString, WindowEntry> windows;
    return windows;
}

} // namespace

int RegisterWindows(const QList<WindowEntry> &entries)
{
    for (const WindowEntry &entry : entries)
        catalogue().emplace(entry.name, entry);
    return static_cast<int>(catalogue().size());
}

const WindowEntry *FindWindow(const QString &name)
{
    const auto found = catalogue().find(name);
    return found == catalogue().end() ? nullptr : &found->second;
}

bool WindowRegistered(const QString &name)
{
    return FindWindow(name) != nullptr;
}

QList<const WindowEntry *> RegisteredWindows()
{
    QList<const WindowEntry *> windows;
    for (const auto &[name, entry] : catalogue())
        windows << &entry;
    return windows;
}

namespace {

const WindowEntry &registered(const QString &name)
{
    const WindowEntry *entry = FindWindow(name);
    if (!entry)
        throw std::invalid_argument("Error: No window is registered as \"" + name.toStdString()
                                    + "\" (a misspelt name, or its folder's windows were "
                                      "never registered).");
    return *entry;
}

} // namespace

std::unique_ptr<QWidget> CreateWindow(const QString &name, QWidget *owner)
{
    return std::unique_ptr<QWidget>(registered(name).create(owner));
}

int OpenWindow(const QString &name, QWidget *owner, const WindowEntry::Step &prepare)
{
    const WindowEntry *entry = &registered(name);
    if (entry->run)
        return entry->run(owner);
    std::unique_ptr<QWidget> window = CreateWindow(name, owner);
    // The window is destroyed here, whatever it asked for when it closed.
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    if (prepare)
        prepare(window.get());
    return ShowModal(window.get(), owner);
}
