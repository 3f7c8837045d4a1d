#pragma once

#include "platform/report/Definition.h"

#include <QString>
#include <QStringList>

// The program's report layouts, by the names the report catalogue gives them. Null for a name
// that no layout has; leading and trailing blanks and letter case do not matter.
const report::Definition *ReportLayout(const QString &name);
QStringList ReportLayoutNames();
