#include "app/MMain.h"

#include "app/CParm.h"
#include "app/CUtils.h"
#include "app/frmMenu.h"
#include "app/frmSetup.h"
#include "app/frmSplash.h"
#include "app/modGlobals.h"
#include "platform/ui/Dialogs.h"
#include "security/frmLogin.h"

namespace {

void notSetUp()
{
    if (InteractiveMode != 0)
        MsgBox(QStringLiteral("Application is not setup?"), vbOKOnly, QStringLiteral("APP Error"));
}

void showSplash()
{
    frmSplash splash;
    ShowModal(&splash);
}

} // namespace

void Main()
{
    InteractiveMode = 1;
    if (!Utils().isSetUp() && InteractiveMode != 0) {
        frmSetup setup;
        ShowModal(&setup);
    }
    if (!Utils().isSetUp()) {
        notSetUp();
        return;
    }
    DatabasePath = Parm().getRParm(QStringLiteral("TARNU"), QString());
    if (DatabasePath.isEmpty()) {
        notSetUp();
        return;
    }
    ConnectString = ConnectStringFor(DatabasePath);
    LoginFailed = true;
    DefaultDirPinned =
            Parm().getRParm(QStringLiteral("DIR"), QStringLiteral("0")) != QLatin1String("0");

    if (Parm().getRParm(QStringLiteral("LOGIN"), QStringLiteral("1")) != QLatin1String("1")) {
        LoginDisabled = true;
        CurrentGroup = QStringLiteral("administrator");
        showSplash();
        ShowNewMainMenu(false);
        return;
    }
    Relogin = false;
    LoginDisabled = false;
    {
        frmLogin login;
        ShowModal(&login);
    }
    if (LoginFailed || ProgramEnded())
        return;
    showSplash();
    ShowNewMainMenu(false);
}
