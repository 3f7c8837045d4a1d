#pragma once

#include <QString>

// Where the database and the log file go when the user has chosen nothing else.
QString DefaultDatabasePath();
QString DefaultLogPath();

// Makes folder and any missing folder above it, each readable by its owner only (folders that
// exist stay as they are). False when one cannot be made.
bool MakePrivateFolder(const QString &folder);
