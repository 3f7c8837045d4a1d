#include "catalogue/FilePanel.h"

#include "app/CUtils.h"
#include "app/session.h"
#include "platform/fs/Walker.h"
#include "platform/ui/Controls.h"
#include "platform/ui/FileLists.h"

#include <QLineEdit>

#include <QDir>
#include <QStringTokenizer>

QString DriveText(const QString &drive)
{
#ifdef Q_OS_WIN
    return drive.toUpper();
#else
    return drive;
#endif
}

QString FullPathOf(const QString &folder, const QString &name)
{
    return fs::PathOf(folder, name);
}

QString DirectoryText(const QString &folder)
{
    return folder + QDir::separator();
}

// Called for every file of a walk: the pattern is read in place, without copies.
bool MatchesPattern(const QString &name, const QString &pattern)
{
    bool anyMask = false;
    for (const QStringView part : QStringTokenizer(pattern, u';', Qt::SkipEmptyParts)) {
        const QStringView mask = part.trimmed();
        if (mask.isEmpty())
            continue;
        anyMask = true;
        if (mask == u"*" || fs::MatchesWildcard(name, mask, Qt::CaseInsensitive))
            return true;
    }
    return !anyMask;
}

QString Stored(const QString &text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

QStringList ReadPatterns()
{
    ReopenConnection();
    db::Recordset &rs = SharedRecordset();
    RunOn(rs, QStringLiteral("select patterns from patterns order by patterns"));
    QStringList patterns;
    for (; !rs.AtEnd(); rs.MoveNext())
        patterns << Trim(TextOf(rs.Fields(0)));
    rs.Close();
    return patterns;
}

FilePanel FilePanel::make(QWidget *parent)
{
    FilePanel panel;
    panel.drives = Named(new DriveListBox(parent), QStringLiteral("Drive1"));
    panel.folders = Named(new DirListBox(parent), QStringLiteral("Dir1"));
    panel.files = Named(new FileListBox(parent), QStringLiteral("File1"));
    panel.pattern = NamedCombo(QStringLiteral("Combo1"), parent, true);
    panel.pattern->setEditText(kAllFiles);
    panel.file = NamedTextBox(QStringLiteral("Text1"), parent);
    panel.folder = NamedTextBox(QStringLiteral("Text2"), parent);
    panel.folder->setReadOnly(true);
    return panel;
}

void FilePanel::followDrive() const
{
    if (DriveListBox::volumeOf(folders->Path()) == drives->Drive())
        return;
    folders->setPath(drives->rootPath());
}

void FilePanel::followFolder(bool clearFile) const
{
    folder->setText(folders->Path());
    if (clearFile)
        file->clear();
    files->setPath(folders->Path());
    drives->setDrive(folders->Path());
}

void FilePanel::takeFile() const
{
    file->setText(files->FileName());
}

void FilePanel::applyPattern() const
{
    if (files->Pattern() != pattern->currentText())
        files->setPattern(pattern->currentText());
}
