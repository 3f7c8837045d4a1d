// The windows of the application shell, in the program's window catalogue.

#include "app/CLog.h"
#include "app/frmAbout.h"
#include "app/frmHelp.h"
#include "app/frmLog.h"
#include "app/frmMenu.h"
#include "app/frmSetup.h"
#include "app/frmSplash.h"
#include "app/modGlobals.h"
#include "platform/ui/WindowCatalogue.h"

namespace {

void sampleLog(QWidget *window)
{
    Log().addEntry(LogInfo, QStringLiteral("User Added to Database!"));
    Log().addEntry(LogWarning, QStringLiteral("Password of guest kept in its old form"));
    Log().addEntry(LogError, QStringLiteral("Table is Empty"));
    static_cast<frmLog *>(window)->oLog = &Log();
}

void administrator(QWidget *)
{
    CurrentGroup = QStringLiteral("Administrator");
}

void systemSection(QWidget *window)
{
    static_cast<frmMenu *>(window)->Picture_Click(4);
}

} // namespace

// Named to the linker by the build, so that every program linking this folder registers these.
extern "C" {
extern const int corvina_windows_app;
const int corvina_windows_app = RegisterWindows({
        WindowOf<frmSetup>(QStringLiteral("frmSetup")),
        WindowOf<frmLog>(QStringLiteral("frmLog"), sampleLog),
        WindowOf<frmMenu>(QStringLiteral("frmMenu"), administrator,
                          {{QStringLiteral("system"), systemSection}}),
        WindowOf<frmSplash>(QStringLiteral("frmSplash")),
        WindowOf<frmAbout>(QStringLiteral("frmAbout")),
        WindowOf<frmHelpAdd>(QStringLiteral("frmHelpAdd")),
        WindowOf<frmHelpShow>(QStringLiteral("frmHelpShow")),
        WindowOf<frmHelpSnip>(QStringLiteral("frmHelpSnip")),
});
}
