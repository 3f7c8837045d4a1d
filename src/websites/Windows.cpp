// The windows of the web site directory, in the program's window catalogue.

#include "websites/Windows.h"

#include "platform/ui/WindowCatalogue.h"
#include "websites/frmGetWebs.h"
#include "websites/frmWebInfo.h"

void RegisterWebsitesWindows()
{
    RegisterWindows({
            WindowOf<frmWebInfo>(QStringLiteral("frmWebInfo")),
            WindowOf<frmGetWebs>(QStringLiteral("frmGetWebs")),
    });
}
