#include "app/modGlobals.h"

#include "app/CLog.h"
#include "app/CParm.h"
#include "app/CUtils.h"
#include "app/frmMenu.h"
#include "platform/ui/Dialogs.h"

#include <QPointer>

ProgramValues g_program;

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

void ResetGlobals()
{
    g_program = ProgramValues();
    Log().resetAll();
    SetMainMenu(nullptr);
}
