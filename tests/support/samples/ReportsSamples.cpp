// Sample content of the windows of the report pickers, for their pictures.

#include "Samples.h"

#include "app/modGlobals.h"
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

} // namespace

WindowSamples ReportsSamples()
{
    return {
            {QStringLiteral("frmReports"), {fileReports, {}}},
            {QStringLiteral("frmGetRpt"), {fileGroups, {}}},
    };
}
