// Sample content of the windows of the application shell, for their pictures.

#include "Samples.h"

#include "app/CLog.h"
#include "app/frmLog.h"
#include "app/frmMenu.h"
#include "app/modGlobals.h"

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

WindowSamples AppSamples()
{
    return {
            {QStringLiteral("frmLog"), {sampleLog, {}}},
            {QStringLiteral("frmMenu"),
             {administrator, {{QStringLiteral("system"), systemSection}}}},
    };
}
