// The report pickers, in the program's window catalogue. Opening the report picker by name runs
// a report button's whole task for the group in ReportGroup.

#include "reports/Windows.h"

#include "app/modGlobals.h"
#include "platform/ui/WindowCatalogue.h"
#include "reports/frmReports.h"

namespace {

WindowEntry reportButtonTask()
{
    WindowEntry entry = WindowOf<frmReports>(QStringLiteral("frmReports"));
    entry.run = [](QWidget *) {
        RunReportGroup(ReportGroup);
        return 0;
    };
    return entry;
}

} // namespace

void RegisterReportsWindows()
{
    RegisterWindows({
            reportButtonTask(),
            WindowOf<frmGetRpt>(QStringLiteral("frmGetRpt")),
    });
}
