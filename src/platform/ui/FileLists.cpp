#include "platform/ui/FileLists.h"

#include "platform/fs/Walker.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QSet>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStyle>
#include <QStyledItemDelegate>

#include <algorithm>
#include <functional>

namespace {

constexpr Qt::CaseSensitivity kPathCase =
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
        Qt::CaseInsensitive;
#else
        Qt::CaseSensitive;
#endif

bool isEnterKey(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

// ---- volumes ----

struct Volume
{
    QString root;
    QString text;
};

QString entryText(const QString &root)
{
#ifdef Q_OS_WIN
    if (root.size() == 3 && root[0].isLetter() && root[1] == u':' && root[2] == u'/')
        return root.left(2).toUpper();
    QString text = QDir::toNativeSeparators(root);
    if (text.size() > 1 && text.endsWith(u'\\'))
        text.chop(1);
    return text;
#else
    return root;
#endif
}

QList<Volume> mountedVolumes()
{
    QList<Volume> volumes;
    QSet<QString> seen;
    for (const QStorageInfo &info : QStorageInfo::mountedVolumes()) {
        if (!info.isValid() || !info.isReady() || info.rootPath().isEmpty())
            continue;
        const QString root = info.rootPath();
        // Containers mount single files (such as the hosts file); those are no place to browse.
        if (!QFileInfo(root).isDir())
            continue;
        // The same root can be mounted more than once (bind mounts, stacked mounts).
        const QString key = kPathCase == Qt::CaseInsensitive ? root.toLower() : root;
        if (seen.contains(key))
            continue;
        seen.insert(key);
        volumes.append({root, entryText(root)});
    }
    std::sort(volumes.begin(), volumes.end(), [](const Volume &a, const Volume &b) {
        const int c = a.text.compare(b.text, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.text < b.text;
    });
    return volumes;
}

// An absolute, clean path with '/' separators; empty for an empty path.
QString absoluteClean(const QString &path)
{
    QString p = QDir::fromNativeSeparators(path.trimmed());
    if (p.isEmpty())
        return {};
#ifdef Q_OS_WIN
    // "D:" alone means the drive, not the current folder on it.
    if (p.size() == 2 && p[0].isLetter() && p[1] == u':')
        p += u'/';
#endif
    if (QDir::isRelativePath(p))
        p = QDir::current().absoluteFilePath(p);
    return QDir::cleanPath(p);
}

// The root without its trailing separator, so that "/" and "C:/" compare like "/home".
QString rootStem(const QString &root)
{
    QString stem = QDir::cleanPath(QDir::fromNativeSeparators(root));
    if (stem.endsWith(u'/'))
        stem.chop(1);
    return stem;
}

// ---- directory list ----

// Indents each entry by its level, so the list reads as a path going down.
class IndentDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        QStyleOptionViewItem shifted = option;
        shifted.rect.setLeft(shifted.rect.left() + indent(option, index));
        QStyledItemDelegate::paint(painter, shifted, index);
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.rwidth() += indent(option, index);
        return size;
    }

private:
    static int indent(const QStyleOptionViewItem &option, const QModelIndex &index)
    {
        const int step = std::max(option.decorationSize.width(), option.fontMetrics.height());
        return index.data(DirListBox::LevelRole).toInt() * step;
    }
};

QListWidgetItem *dirItem(const QIcon &icon, const QString &text, const QString &path, int level)
{
    auto *item = new QListWidgetItem(icon, text);
    item->setData(DirListBox::PathRole, path);
    item->setData(DirListBox::LevelRole, level);
    return item;
}

// ---- file list ----

// The name filters of a pattern; none when it asks for every file.
QStringList nameFilters(const QString &pattern)
{
    QStringList masks;
    for (const QString &part : pattern.split(u';', Qt::SkipEmptyParts)) {
        const QString mask = part.trimmed();
        if (mask.isEmpty())
            continue;
        // "*.*" would otherwise skip names without a dot, which people expect it to include.
        if (mask == u"*.*" || mask == u"*")
            return {};
        masks.append(mask);
    }
    return masks;
}

// QDir reads names as text, where bytes that are not valid text become replacement characters:
// two entries may then read alike, and the one name reaches only one of them. So the folder is
// read again by bytes. Entries whose names are not valid text are left out (their escaped
// names go to leftOut when fits takes the name as it reads); a listed name with a replacement
// character stays, once, only when an entry really holds it.
QStringList genuineNames(const QString &folder, const QStringList &names, bool directories,
                         const std::function<bool(const QString &)> &fits, QStringList &leftOut)
{
    leftOut.clear();
    fs::Listing listing;
    if (folder.isEmpty() || !fs::ReadListing(folder, listing) || listing.leftOut.isEmpty())
        return names;
    for (const fs::LeftOut &entry : std::as_const(listing.leftOut))
        if (entry.directory == directories && fits(entry.shownAs))
            leftOut << QFileInfo(entry.path).fileName();
    const QStringList &held = directories ? listing.directories : listing.files;
    const QSet<QString> genuine(held.begin(), held.end());
    QSet<QString> kept;
    QStringList result;
    result.reserve(names.size());
    for (const QString &name : names) {
        if (name.contains(QChar::ReplacementCharacter)) {
            if (!genuine.contains(name) || kept.contains(name))
                continue;
            kept.insert(name);
        }
        result.append(name);
    }
    return result;
}

// Says which entries a list leaves out, where the pointer rests on it.
void tellLeftOut(QWidget *list, const QStringList &leftOut)
{
    list->setToolTip(leftOut.isEmpty() ? QString()
                                       : QStringLiteral("Not listed, names not valid text: ")
                                     + leftOut.join(QStringLiteral(", ")));
}

} // namespace

// ================================================================================================
// DriveListBox

DriveListBox::DriveListBox(QWidget *parent)
    : QComboBox(parent)
{
    fill();
    setDrive(QDir::currentPath());
    if (currentIndex() < 0 && count() > 0)
        setCurrentIndex(0);
    lastDrive_ = currentText();
    connect(this, &QComboBox::currentIndexChanged, this, [this] {
        const QString drive = currentText();
        if (drive == lastDrive_)
            return;
        lastDrive_ = drive;
        emit driveChanged(drive);
    });
}

QString DriveListBox::Drive() const
{
    return currentText();
}

void DriveListBox::setDrive(const QString &path)
{
    const QString root = rootContaining(roots(), path);
    if (!root.isEmpty())
        setCurrentIndex(findData(root));
}

QString DriveListBox::rootPath() const
{
    return currentData().toString();
}

void DriveListBox::Refresh()
{
    const QString keep = rootPath();
    {
        const QSignalBlocker blocker(this);
        fill();
        int index = keep.isEmpty() ? -1 : findData(keep);
        if (index < 0)
            index = findData(rootContaining(roots(), QDir::currentPath()));
        setCurrentIndex(index >= 0 ? index : (count() > 0 ? 0 : -1));
    }
    if (currentText() != lastDrive_) {
        lastDrive_ = currentText();
        emit driveChanged(lastDrive_);
    }
}

QStringList DriveListBox::roots() const
{
    QStringList list;
    for (int i = 0; i < count(); ++i)
        list.append(itemData(i).toString());
    return list;
}

void DriveListBox::fill()
{
    clear();
    for (const Volume &volume : mountedVolumes())
        addItem(volume.text, volume.root);
}

QString DriveListBox::volumeOf(const QString &path)
{
    const QList<Volume> volumes = mountedVolumes();
    QStringList roots;
    for (const Volume &volume : volumes)
        roots.append(volume.root);
    const int index = roots.indexOf(rootContaining(roots, path));
    return index >= 0 ? volumes[index].text : QString();
}

QString DriveListBox::rootContaining(const QStringList &roots, const QString &path)
{
    const QString target = absoluteClean(path);
    if (target.isEmpty())
        return {};
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < roots.size(); ++i) {
        if (roots[i].isEmpty())
            continue;
        const QString stem = rootStem(roots[i]);
        // Whole components only: "/home" holds "/home/x" but not "/homework".
        const bool holds =
                target.compare(stem, kPathCase) == 0 || target.startsWith(stem + u'/', kPathCase);
        if (holds && stem.size() > bestLength) {
            best = i;
            bestLength = stem.size();
        }
    }
    return best >= 0 ? roots[best] : QString();
}

// ================================================================================================
// DirListBox

DirListBox::DirListBox(QWidget *parent)
    : QListWidget(parent)
    , path_(QDir::cleanPath(QDir::currentPath()))
{
    setItemDelegate(new IndentDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Not itemActivated: some styles activate on a single click, and a click must only select.
    connect(this, &QAbstractItemView::doubleClicked, this, &DirListBox::open);
    showHiddenAction_ = new QAction(QStringLiteral("Show &Hidden Folders"), this);
    showHiddenAction_->setObjectName(QStringLiteral("actShowHidden"));
    showHiddenAction_->setCheckable(true);
    showHiddenAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    showHiddenAction_->setShortcutContext(Qt::WidgetShortcut);
    connect(showHiddenAction_, &QAction::toggled, this, &DirListBox::fill);
    addAction(showHiddenAction_);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    fill();
}

void DirListBox::setShowHidden(bool show)
{
    showHiddenAction_->setChecked(show);
}

bool DirListBox::ShowsHidden() const
{
    return showHiddenAction_->isChecked();
}

QString DirListBox::Path() const
{
    return QDir::toNativeSeparators(path_);
}

bool DirListBox::setPath(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    if (!info.exists() || !info.isDir())
        return false;
    const QString target = QDir::cleanPath(info.absoluteFilePath());
    const bool changed = target != path_;
    path_ = target;
    fill();
    if (changed)
        emit pathChanged(Path());
    return true;
}

void DirListBox::Refresh()
{
    // The folder may have been removed or renamed since; fall back to what still exists.
    QString existing = path_;
    while (!QFileInfo(existing).isDir()) {
        const QString up = QFileInfo(existing).path();
        if (up == existing)
            break;
        existing = up;
    }
    const bool changed = existing != path_;
    path_ = existing;
    fill();
    if (changed)
        emit pathChanged(Path());
}

void DirListBox::keyPressEvent(QKeyEvent *event)
{
    if (isEnterKey(event) && currentIndex().isValid()) {
        open(currentIndex());
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void DirListBox::fill()
{
    QStringList chain;
    for (QString p = path_;;) {
        chain.prepend(p);
        if (QDir(p).isRoot())
            break;
        const QString up = QFileInfo(p).path();
        if (up.isEmpty() || up == p)
            break;
        p = up;
    }

    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon, nullptr, this);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon, nullptr, this);
    const int depth = static_cast<int>(chain.size());

    clear();
    for (int level = 0; level < depth; ++level) {
        const QString &p = chain[level];
        const QString text = level == 0 ? QDir::toNativeSeparators(p) : QFileInfo(p).fileName();
        addItem(dirItem(openIcon, text, p, level));
    }
    // An unreadable folder yields no names, which leaves just the chain.
    const QDir dir(path_);
    const QStringList names = genuineNames(
            path_,
            dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot
                                  | (ShowsHidden() ? QDir::Hidden : QDir::Filters()),
                          QDir::Name | QDir::IgnoreCase),
            true, [](const QString &) { return true; }, leftOut_);
    tellLeftOut(this, leftOut_);
    for (const QString &name : names)
        addItem(dirItem(closedIcon, name, QDir::cleanPath(dir.absoluteFilePath(name)), depth));
    setCurrentRow(depth - 1);
}

void DirListBox::open(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    const QString target = index.data(PathRole).toString();
    // Later, not now: rebuilding the list deletes the item that the view is still signalling
    // about.
    QMetaObject::invokeMethod(
            this,
            [this, target] {
                if (!setPath(target))
                    Refresh();
            },
            Qt::QueuedConnection);
}

// ================================================================================================
// FileListBox

FileListBox::FileListBox(QWidget *parent)
    : QListWidget(parent)
    , path_(QDir::cleanPath(QDir::currentPath()))
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Every row is one line of text; this spares the view measuring each of many thousands.
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemSelectionChanged, this, &FileListBox::reportSelection);
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            emit fileChosen(index.data(Qt::DisplayRole).toString());
    });
    fill({});
}

QString FileListBox::Path() const
{
    return QDir::toNativeSeparators(path_);
}

void FileListBox::setPath(const QString &path)
{
    const QString target = absoluteClean(path);
    const QString keep = target == path_ ? FileName() : QString();
    path_ = target;
    fill(keep);
}

QString FileListBox::Pattern() const
{
    return pattern_;
}

void FileListBox::setPattern(const QString &pattern)
{
    pattern_ = pattern;
    fill(FileName());
}

QString FileListBox::FileName() const
{
    const QList<QListWidgetItem *> selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

void FileListBox::setFileName(const QString &name)
{
    QListWidgetItem *found = nullptr;
    if (!name.isEmpty()) {
        const Qt::MatchFlags flags = kPathCase == Qt::CaseSensitive
                ? Qt::MatchFixedString | Qt::MatchCaseSensitive
                : Qt::MatchFixedString;
        const QList<QListWidgetItem *> matches = findItems(name, flags);
        if (!matches.isEmpty())
            found = matches.first();
    }
    if (found) {
        setCurrentItem(found);
        scrollToItem(found);
    } else {
        clearSelection();
        setCurrentItem(nullptr);
    }
}

int FileListBox::ListCount() const
{
    return count();
}

QString FileListBox::List(int index) const
{
    const QListWidgetItem *entry = item(index);
    return entry ? entry->text() : QString();
}

void FileListBox::Refresh()
{
    fill(FileName());
}

void FileListBox::keyPressEvent(QKeyEvent *event)
{
    if (isEnterKey(event) && currentItem() && currentItem()->isSelected()) {
        emit fileChosen(currentItem()->text());
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void FileListBox::fill(const QString &keep)
{
    // One read of the folder, already filtered and sorted, and one batch insert.
    QStringList names;
    const QStringList masks = nameFilters(pattern_);
    if (!path_.isEmpty())
        names = QDir(path_).entryList(masks, QDir::Files | QDir::Hidden | QDir::System,
                                      QDir::Name | QDir::IgnoreCase);
    names = genuineNames(
            path_, names, false,
            [&masks](const QString &name) {
                return masks.isEmpty()
                        || std::any_of(masks.begin(), masks.end(), [&](const QString &mask) {
                               return fs::MatchesWildcard(name, mask, Qt::CaseInsensitive);
                           });
            },
            leftOut_);
    tellLeftOut(this, leftOut_);
    {
        const QSignalBlocker blocker(this);
        clear();
        addItems(names);
        if (!keep.isEmpty())
            setFileName(keep);
    }
    reportSelection();
}

void FileListBox::reportSelection()
{
    const QString name = FileName();
    if (name == lastSelected_)
        return;
    lastSelected_ = name;
    emit selectionChangedTo(name);
}
