#pragma once

#include <QString>

class CLog;
class CParm;
class CUtils;
class frmMenu;

// Program-wide state shared by the windows, one instance each for the whole run.
extern QString DatabasePath;
extern QString ConnectString;
extern QString SqlText;
extern int InteractiveMode;
extern bool LoginFailed;
extern bool LoginDisabled;
extern bool Relogin;
extern QString CurrentUserID;
extern QString CurrentPassword;
extern QString CurrentGroup;
extern bool PasswordSet;
extern bool DefaultDirPinned;
extern QString MsgText;
extern QString MsgStyle;
extern QString MsgAnswer;
extern QString LaunchAddress;
extern QString LaunchMailAddress;

// The shared log, parameter store and utilities, created on first use.
CLog &Log();
CParm &Parm();
CUtils &Utils();

// The main menu while one is open, or nullptr; asking never creates one.
frmMenu *MainMenu();
void SetMainMenu(frmMenu *menu);

// Every single quote doubled, for a value placed between quotes in a statement.
QString FixQuotes(const QString &text);
// Hand LaunchAddress, or "mailto:" + LaunchMailAddress, to the desktop.
void OpenAddress();
void OpenMailAddress();

// The connection string for a database file.
QString ConnectStringFor(const QString &path);

// Puts every shared value back as at program start (a new session in the same process).
void ResetGlobals();
