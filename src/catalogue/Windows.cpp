// The windows of the file catalogue, in the program's window catalogue.

#include "catalogue/frmGroups.h"
#include "catalogue/frmPatterns.h"
#include "platform/ui/WindowCatalogue.h"

#include <QLineEdit>

namespace {

void typedGroup(QWidget *window)
{
    static_cast<frmGroups *>(window)->PName->setText(QStringLiteral("Rust"));
}

void typedPattern(QWidget *window)
{
    static_cast<frmPatterns *>(window)->PName->setText(QStringLiteral("*.md"));
}

} // namespace

// Named to the linker by the build, so that every program linking this folder registers these.
extern "C" {
extern const int corvina_windows_catalogue;
const int corvina_windows_catalogue = RegisterWindows({
        WindowOf<frmGroups>(QStringLiteral("frmGroups"), typedGroup),
        WindowOf<frmPatterns>(QStringLiteral("frmPatterns"), typedPattern),
});
}
