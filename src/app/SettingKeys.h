#pragma once

#include <QString>

// Every key of the stored settings and what it holds. Each reader passes its own default, as
// the readers differ on purpose (the start-up takes a missing "LOGIN" as on, the setup window's
// check box as off).
namespace SettingKey {

// Full path of the database file.
inline const QString Database = QStringLiteral("TARNU");
// "1" once the setup window has been completed; set up while it is not empty.
inline const QString Complete = QStringLiteral("COMPLETE");
// "1" shows the login window at start; any other value works without a login.
inline const QString Login = QStringLiteral("LOGIN");
// Path of the event log file.
inline const QString LogFile = QStringLiteral("LOGFILE");
// Server connection details, always written empty.
inline const QString Dsn = QStringLiteral("DSN");
inline const QString Server = QStringLiteral("SERVER");
inline const QString UserId = QStringLiteral("UID");
inline const QString Password = QStringLiteral("PWD");
// "1" when a default import directory is pinned, "0" when not.
inline const QString DirPinned = QStringLiteral("DIR");
// The pinned import directory; empty when none is pinned.
inline const QString DirText = QStringLiteral("DIRTEXT");
// "1" when Add Folder reads each file for a checksum of its contents, "0" when not.
inline const QString FolderChecksums = QStringLiteral("CHECKSUMS");

} // namespace SettingKey
