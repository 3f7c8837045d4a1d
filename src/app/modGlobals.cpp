#include "app/modGlobals.h"

#include "app/CLog.h"
#include "app/CParm.h"
#include "app/CUtils.h"
#include "app/frmMenu.h"
#include "platform/ui/Dialogs.h"

#include <QPointer>

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
bool PasswordSet = false;
bool DefaultDirPinned = false;
QString MsgText;
QString MsgStyle;
QString MsgAnswer;
QString LaunchAddress;
QString LaunchMailAddress;

namespace {
QPointer<frmMenu> g_menu;
}

CLog &Log()
{
    static CLog log;
    return log;
}

CParm &Parm()
{
    static CParm parm;
    return parm;
}

CUtils &Utils()
{
    static CUtils utils;
    return utils;
}

frmMenu *MainMenu()
{
    return g_menu.data();
}

void SetMainMenu(frmMenu *menu)
{
    g_menu = menu;
}

QString FixQuotes(const QString &text)
{
    QString result = text;
    return result.replace(QLatin1Char('\''), QStringLiteral("''"));
}

void OpenAddress()
{
    OpenWithShell(LaunchAddress);
}

void OpenMailAddress()
{
    OpenWithShell(QStringLiteral("mailto:") + LaunchMailAddress);
}

QString ConnectStringFor(const QString &path)
{
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;") + QStringLiteral("Data Source=")
            + path;
}

void ResetGlobals()
{
    DatabasePath.clear();
    ConnectString.clear();
    SqlText.clear();
    InteractiveMode = 0;
    LoginFailed = false;
    LoginDisabled = false;
    Relogin = false;
    CurrentUserID.clear();
    CurrentPassword.clear();
    CurrentGroup.clear();
    PasswordSet = false;
    DefaultDirPinned = false;
    MsgText.clear();
    MsgStyle.clear();
    MsgAnswer.clear();
    LaunchAddress.clear();
    LaunchMailAddress.clear();
    Log().resetAll();
    SetMainMenu(nullptr);
}
