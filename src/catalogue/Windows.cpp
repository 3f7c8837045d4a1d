// The windows of the file catalogue, in the program's window catalogue.

#include "app/modGlobals.h"
#include "catalogue/SampleTree.h"
#include "catalogue/frmFileMgr.h"
#include "catalogue/frmGroups.h"
#include "catalogue/frmPatterns.h"
#include "catalogue/frmSearch.h"
#include "platform/ui/FileLists.h"
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

// The browser's hand-over for a file found in several folders of the sample tree.
void fileToManage(QWidget *window)
{
    SelectedFileName = QStringLiteral("readme.txt");
    SelectedDirectory = SampleTree();
    auto *manager = static_cast<frmFileMgr *>(window);
    manager->ensureLoaded();
    manager->Form_Activate();
}

void searchedFiles(QWidget *window)
{
    auto *search = static_cast<frmSearch *>(window);
    search->ensureLoaded();
    search->Text1->setText(QStringLiteral("*.txt"));
    search->Dir1->setPath(SampleTree());
    search->cmdFind_Click();
}

} // namespace

// Named to the linker by the build, so that every program linking this folder registers these.
extern "C" {
extern const int corvina_windows_catalogue;
const int corvina_windows_catalogue = RegisterWindows({
        WindowOf<frmGroups>(QStringLiteral("frmGroups"), typedGroup),
        WindowOf<frmPatterns>(QStringLiteral("frmPatterns"), typedPattern),
        WindowOf<frmFileMgr>(QStringLiteral("frmFileMgr"), fileToManage),
        WindowOf<frmSearch>(QStringLiteral("frmSearch"), searchedFiles),
});
}
