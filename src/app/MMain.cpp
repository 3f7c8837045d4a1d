#include "app/MMain.h"

#include "app/CParm.h"
#include "app/CUtils.h"
#include "app/SettingKeys.h"
#include "app/frmMenu.h"
#include "app/frmSetup.h"
#include "app/frmSplash.h"
#include "app/modGlobals.h"
#include "platform/db/ConnectString.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WindowCatalogue.h"

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
    DatabasePath = Parm().getRParm(SettingKey::Database, QString());
    if (DatabasePath.isEmpty()) {
        notSetUp();
        return;
    }
    ConnectString = db::ConnectStringFor(DatabasePath);
    LoginFailed = true;
    DefaultDirPinned =
            Parm().getRParm(SettingKey::DirPinned, QStringLiteral("0")) != QLatin1String("0");

    if (Parm().getRParm(SettingKey::Login, QStringLiteral("1")) != QLatin1String("1")) {
        LoginDisabled = true;
        CurrentGroup = QStringLiteral("administrator");
        showSplash();
        ShowNewMainMenu(false);
        return;
    }
    Relogin = false;
    LoginDisabled = false;
    OpenWindow(QStringLiteral("frmLogin"));
    if (LoginFailed || ProgramEnded())
        return;
    showSplash();
    ShowNewMainMenu(false);
}
