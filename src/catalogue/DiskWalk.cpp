#include "catalogue/DiskWalk.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>

PacedEvents::PacedEvents(const DiskWalkOptions &options)
    : options_(options)
{
    sinceYield_.start();
}

void PacedEvents::step()
{
    if (first_ || sinceYield_.elapsed() >= options_.yieldEveryMs) {
        first_ = false;
        if (options_.showFound)
            options_.showFound();
        QCoreApplication::processEvents();
        sinceYield_.restart();
    }
}

void PacedEvents::finished() const
{
    if (options_.showFound)
        options_.showFound();
}

fs::WalkResult DiskWalk(const QString &root, const fs::VisitDirectory &visit,
                        const DiskWalkOptions &options)
{
    PacedEvents pace(options);
    fs::WalkOptions walkOptions;
    walkOptions.cancel = options.cancel;
    walkOptions.recursive = options.recursive;
    const fs::WalkResult result = fs::Walk(
            root,
            [&](const QString &directory, const QStringList &files) {
                const bool goOn = visit(directory, files);
                pace.step();
                return goOn;
            },
            walkOptions);
    pace.finished();
    return result;
}

namespace {

// One name in full, or how many there are and the first few of them.
QString namedList(const QString &one, const QString &many, const QStringList &names)
{
    if (names.isEmpty())
        return {};
    if (names.size() == 1)
        return one + names.first();
    constexpr qsizetype kNamed = 3;
    QString text = many.arg(names.size()) + names.mid(0, kNamed).join(QStringLiteral(", "));
    if (names.size() > kNamed)
        text += QStringLiteral(", ...");
    return text;
}

} // namespace

QString UnreadableDescription(const QStringList &unreadable)
{
    return namedList(QStringLiteral("Cannot read the directory "),
                     QStringLiteral("Cannot read %1 directories: "), unreadable);
}

QString LeftOutDescription(const QStringList &leftOut)
{
    return namedList(QStringLiteral("Left out a name that is not valid text: "),
                     QStringLiteral("Left out %1 names that are not valid text: "), leftOut);
}

QStringList LeftOutPaths(const fs::WalkResult &result,
                         const std::function<bool(const QString &shownAs)> &wanted)
{
    QStringList paths;
    for (const fs::LeftOut &entry : result.leftOut)
        if (entry.directory || wanted(entry.shownAs))
            paths << entry.path;
    return paths;
}

QString WalkProblems(const fs::WalkResult &result,
                     const std::function<bool(const QString &shownAs)> &wanted)
{
    QStringList lines;
    if (!result.unreadable.isEmpty())
        lines << UnreadableDescription(result.unreadable);
    const QStringList leftOut = LeftOutPaths(result, wanted);
    if (!leftOut.isEmpty())
        lines << LeftOutDescription(leftOut);
    return lines.join(QLatin1Char('\n'));
}

QString FolderText(const QString &folder)
{
    const QString separator = QDir::separator();
    return folder.endsWith(separator) ? folder : folder + separator;
}

namespace {

QString comparable(const QString &directory)
{
    // Untrimmed: a folder's name may end in a blank, and is then another folder.
    QString path = QDir::cleanPath(QDir::fromNativeSeparators(directory));
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

} // namespace

bool SameDirectory(const QString &a, const QString &b)
{
    return comparable(a).compare(comparable(b), fs::kNameCase) == 0;
}
