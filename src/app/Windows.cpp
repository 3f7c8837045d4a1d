// The windows of the application shell, in the program's window catalogue.

#include "app/Windows.h"

#include "app/frmAbout.h"
#include "app/frmHelp.h"
#include "app/frmLog.h"
#include "app/frmMenu.h"
#include "app/frmSetup.h"
#include "app/frmSplash.h"
#include "platform/ui/WindowCatalogue.h"

void RegisterAppWindows()
{
    RegisterWindows({
            WindowOf<frmSetup>(QStringLiteral("frmSetup")),
            WindowOf<frmLog>(QStringLiteral("frmLog")),
            WindowOf<frmMenu>(QStringLiteral("frmMenu")),
            WindowOf<frmSplash>(QStringLiteral("frmSplash")),
            WindowOf<frmAbout>(QStringLiteral("frmAbout")),
            WindowOf<frmHelpAdd>(QStringLiteral("frmHelpAdd")),
            WindowOf<frmHelpShow>(QStringLiteral("frmHelpShow")),
            WindowOf<frmHelpSnip>(QStringLiteral("frmHelpSnip")),
    });
}
