#pragma once

#include <QString>

class CLog;
class CParm;
class CUtils;
class frmMenu;

// Program-wide state shared by the windows, one instance each for the whole run. Every value is
// a member here with its starting value, so that putting them all back (ResetGlobals) cannot
// forget one; the names below are the ones the windows use.
struct ProgramValues
{
    QString DatabasePath;
    QString ConnectString;
    QString SqlText;
    int InteractiveMode = 0;
    bool LoginFailed = false;
    bool LoginDisabled = false;
    bool Relogin = false;
    QString CurrentUserID;
    QString CurrentPassword;
    QString CurrentGroup;
    // The logged-in account's user ID exactly as its row holds it, blanks included: the key of
    // the one row the first-password window may change ("admin" and "admin " are two rows).
    QString CurrentUserKey;
    bool PasswordSet = false;
    bool DefaultDirPinned = false;
    QString MsgText;
    QString MsgStyle;
    QString MsgAnswer;
    QString LaunchAddress;
    QString LaunchMailAddress;
    // The report buttons' hand-over: the group of reports offered, the report chosen, and the
    // value chosen for a report of one group or one web site.
    QString ReportGroup;
    bool ReportChosen = false;
    QString ReportId;
    QString ReportName;
    QString ReportTitle;
    int OptionType = 0;
    QString OptionValue;
    bool OptionChosen = false;
    // The file picker's hand-over: which window opened it (0 none, 1 the catalogue browser,
    // 2 the import window) and the row's file; the file manager reads the same file.
    int PickerCaller = 0;
    QString SelectedFileName;
    QString SelectedDirectory;
    QString SelectedFilePath;
    // Set by the file manager when it changed or removed a catalogue row.
    bool CatalogueChanged = false;
    // The web site picker's result: the webid of the site chosen, and whether one was chosen.
    qint64 SelectedWebId = 0;
    bool WebPicked = false;
    // The user picker's hand-over to the user window: the account picked and whether one was.
    QString PickedUserID;
    QString PickedUserName;
    QString PickedUserGroup;
    bool UserPicked = false;
};

extern ProgramValues g_program;

inline QString &DatabasePath = g_program.DatabasePath;
inline QString &ConnectString = g_program.ConnectString;
inline QString &SqlText = g_program.SqlText;
inline int &InteractiveMode = g_program.InteractiveMode;
inline bool &LoginFailed = g_program.LoginFailed;
inline bool &LoginDisabled = g_program.LoginDisabled;
inline bool &Relogin = g_program.Relogin;
inline QString &CurrentUserID = g_program.CurrentUserID;
inline QString &CurrentPassword = g_program.CurrentPassword;
inline QString &CurrentGroup = g_program.CurrentGroup;
inline QString &CurrentUserKey = g_program.CurrentUserKey;
inline bool &PasswordSet = g_program.PasswordSet;
inline bool &DefaultDirPinned = g_program.DefaultDirPinned;
inline QString &MsgText = g_program.MsgText;
inline QString &MsgStyle = g_program.MsgStyle;
inline QString &MsgAnswer = g_program.MsgAnswer;
inline QString &LaunchAddress = g_program.LaunchAddress;
inline QString &LaunchMailAddress = g_program.LaunchMailAddress;
inline QString &ReportGroup = g_program.ReportGroup;
inline bool &ReportChosen = g_program.ReportChosen;
inline QString &ReportId = g_program.ReportId;
inline QString &ReportName = g_program.ReportName;
inline QString &ReportTitle = g_program.ReportTitle;
inline int &OptionType = g_program.OptionType;
inline QString &OptionValue = g_program.OptionValue;
inline bool &OptionChosen = g_program.OptionChosen;
inline int &PickerCaller = g_program.PickerCaller;
inline QString &SelectedFileName = g_program.SelectedFileName;
inline QString &SelectedDirectory = g_program.SelectedDirectory;
inline QString &SelectedFilePath = g_program.SelectedFilePath;
inline bool &CatalogueChanged = g_program.CatalogueChanged;
inline qint64 &SelectedWebId = g_program.SelectedWebId;
inline bool &WebPicked = g_program.WebPicked;
inline QString &PickedUserID = g_program.PickedUserID;
inline QString &PickedUserName = g_program.PickedUserName;
inline QString &PickedUserGroup = g_program.PickedUserGroup;
inline bool &UserPicked = g_program.UserPicked;

// The shared log, parameter store and utilities, created on first use.
CLog &Log();
CParm &Parm();
CUtils &Utils();

// The main menu while one is open, or nullptr; asking never creates one.
frmMenu *MainMenu();
void SetMainMenu(frmMenu *menu);

// Every single quote doubled, for a value placed between quotes in a statement.
QString FixQuotes(const QString &text);
// Hand LaunchAddress, or "mailto:" + LaunchMailAddress, to the desktop. Only a web address
// (http or https; a bare site name such as "www.example.org" is given "http://") or an e-mail
// address ever reaches it: anything else, a program, a file or another scheme, is refused with a
// message, and the result is false.
bool OpenAddress();
bool OpenMailAddress();
// The address as the desktop gets it, or an empty text when it is refused.
QString ShellWebAddress(const QString &address);
QString ShellMailAddress(const QString &address);

// Puts every shared value back as at program start (a new session in the same process).
void ResetGlobals();
