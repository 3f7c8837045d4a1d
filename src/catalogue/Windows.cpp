// The windows of the file catalogue, in the program's window catalogue.

#include "catalogue/frmGroups.h"
#include "catalogue/frmPatterns.h"
#include "catalogue/frmShow.h"
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

// The browser with its first row shown in the detail panel.
void firstRowShown(QWidget *window)
{
    auto *browser = static_cast<frmShow *>(window);
    browser->DataGrid1_DblClick();
}

} // namespace

// Named to the linker by the build, so that every program linking this folder registers these.
extern "C" {
extern const int corvina_windows_catalogue;
const int corvina_windows_catalogue = RegisterWindows({
        WindowOf<frmGroups>(QStringLiteral("frmGroups"), typedGroup),
        WindowOf<frmPatterns>(QStringLiteral("frmPatterns"), typedPattern),
        WindowOf<frmShow>(QStringLiteral("frmShow"), {},
                          {{QStringLiteral("detail"), firstRowShown}}),
});
}
