#pragma once

#include "platform/fs/Walker.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

// The directory walks of the file manager and the disk file search. They run on the window's
// own thread and let pending window events (clicks included) run as they go, so the window
// repaints and its Cancel button is served while a long walk runs.
struct DiskWalkOptions
{
    // Set by the window's Cancel (or by closing it); checked before each directory is read.
    const std::atomic_bool *cancel = nullptr;
    // Into the folders below the root too.
    bool recursive = true;
    // How long the walk may go without letting window events run. Always after the first
    // directory; 0 runs them after every directory.
    int yieldEveryMs = 15;
    // Called just before window events run and once at the end, to show what was found so far.
    std::function<void()> showFound;
};

fs::WalkResult DiskWalk(const QString &root, const fs::VisitDirectory &visit,
                        const DiskWalkOptions &options);
// Lets the window's events run now and then while its own thread does a long step: at the first
// step, then not on every one (a tree of many small folders would spend its time in the event
// loop instead of reading the disk), at most every options.yieldEveryMs.
class PacedEvents
{
public:
    explicit PacedEvents(const DiskWalkOptions &options);
    void step();
    // Shows what was found, once more at the end.
    void finished() const;

private:
    const DiskWalkOptions &options_;
    QElapsedTimer sinceYield_;
    bool first_ = true;
};

// The description of directories a walk could not read; empty when it read them all.
QString UnreadableDescription(const QStringList &unreadable);
// The description of entries left out for names that are not valid text, by their escaped
// names; empty when there are none.
QString LeftOutDescription(const QStringList &leftOut);
// The escaped paths of the entries a walk left out that the caller would have taken: folders
// always (what lies below them went unseen), files when wanted says so of the name as it reads.
QStringList LeftOutPaths(const fs::WalkResult &result,
                         const std::function<bool(const QString &shownAs)> &wanted);
// What a walk could not take, one description a line (folders not read, names left out); empty
// when it took everything.
QString WalkProblems(const fs::WalkResult &result,
                     const std::function<bool(const QString &shownAs)> &wanted);

// A folder's path with exactly one separator at its end, as the catalogue keeps directories.
QString FolderText(const QString &folder);
// True when two directory texts name the same folder: separators, doubled or trailing
// separators do not count; blanks and letter case count as the platform's names do.
bool SameDirectory(const QString &a, const QString &b);
