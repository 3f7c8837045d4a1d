#pragma once

#include <QString>

// Where the database and the log file go when the user has chosen nothing else.
QString DefaultDatabasePath();
QString DefaultLogPath();
