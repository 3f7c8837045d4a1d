// The desk accessories, in the program's window catalogue.

#include "accessories/Windows.h"

#include "accessories/frmCalc.h"
#include "accessories/frmCalendar.h"
#include "platform/ui/WindowCatalogue.h"

void RegisterAccessoriesWindows()
{
    RegisterWindows({
            WindowOf<frmCalc>(QStringLiteral("frmCalc")),
            WindowOf<frmCalendar>(QStringLiteral("frmCalendar")),
    });
}
