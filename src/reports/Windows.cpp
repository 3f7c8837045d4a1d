// The report pickers, in the program's window catalogue. Opening the report picker by name runs
// a report button's whole task for the group in ReportGroup.

#include "app/modGlobals.h"
#include "platform/ui/WindowCatalogue.h"
#include "reports/frmReports.h"

namespace {

void fileReports(QWidget *)
{
    ReportGroup = QStringLiteral("1");
}

void fileGroups(QWidget *)
{
    OptionType = 1;
}

WindowEntry reportButtonTask()
{
    WindowEntry entry = WindowOf<frmReports>(QStringLiteral("frmReports"), fileReports);
    entry.run = [](QWidget *) {
        RunReportGroup(ReportGroup);
        return 0;
    };
    return entry;
}

} // namespace

// Named to the linker by the build, so that every program linking this folder registers these.
extern "C" {
extern const int corvina_windows_reports;
const int corvina_windows_reports = RegisterWindows({
        reportButtonTask(),
        WindowOf<frmGetRpt>(QStringLiteral("frmGetRpt"), fileGroups),
});
}
