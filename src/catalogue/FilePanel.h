#pragma once

#include <QString>
#include <QStringList>

// What the file picker and the import window share about their file panels and the paths a
// file taken from them is stored with.

// The drive stored with a file: on Windows the drive letter upper-cased, elsewhere the mount
// point as the drive list shows it.
QString DriveText(const QString &drive);
// A file's full path: the folder, one separator and the name, also when the folder is a volume
// root that already ends in a separator.
QString FullPathOf(const QString &folder, const QString &name);
// The directory stored with a file: the folder with a separator appended, always (a volume root
// thus ends in two).
QString DirectoryText(const QString &folder);
// True when name fits one of the pattern's masks, separated by ";" as in "*.doc;*.txt". "*.*",
// "*" and an empty pattern fit every name; case is ignored, as in the file list.
bool MatchesPattern(const QString &name, const QString &pattern);
// A box's text as a staging row stores it: an empty box gives an empty text, never a null.
QString Stored(const QString &text);
// The stored file patterns in alphabetical order, read through the shared session. Throws
// db::DbError.
QStringList ReadPatterns();
