#pragma once

#include <QString>

// Where the database and the log file go when the user has chosen nothing else.
QString DefaultDatabasePath();
QString DefaultLogPath();

// Where a file panel starts that is meant to start in the program's own folder: that folder,
// or the user's home when the program is installed among the system's programs (below /usr,
// /opt or /snap), where there is nothing of the user's to pick. Without programFolder, the
// running program's.
QString ProgramStartFolder(const QString &programFolder = {});

// Makes folder and any missing folder above it, each readable by its owner only (folders that
// exist stay as they are). False when one cannot be made.
bool MakePrivateFolder(const QString &folder);
