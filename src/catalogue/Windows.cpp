// The windows of the file catalogue, in the program's window catalogue.

#include "catalogue/Windows.h"

#include "catalogue/frmAdd.h"
#include "catalogue/frmDuplicates.h"
#include "catalogue/frmFileMgr.h"
#include "catalogue/frmGet.h"
#include "catalogue/frmGroups.h"
#include "catalogue/frmPatterns.h"
#include "catalogue/frmRescan.h"
#include "catalogue/frmSearch.h"
#include "catalogue/frmShow.h"
#include "catalogue/frmVolumes.h"
#include "platform/ui/WindowCatalogue.h"

void RegisterCatalogueWindows()
{
    RegisterWindows({
            WindowOf<frmGroups>(QStringLiteral("frmGroups")),
            WindowOf<frmPatterns>(QStringLiteral("frmPatterns")),
            WindowOf<frmShow>(QStringLiteral("frmShow")),
            WindowOf<frmGet>(QStringLiteral("frmGet")),
            WindowOf<frmAdd>(QStringLiteral("frmAdd")),
            WindowOf<frmFileMgr>(QStringLiteral("frmFileMgr")),
            WindowOf<frmSearch>(QStringLiteral("frmSearch")),
            WindowOf<frmDuplicates>(QStringLiteral("frmDuplicates")),
            WindowOf<frmVolumes>(QStringLiteral("frmVolumes")),
            WindowOf<frmRescan>(QStringLiteral("frmRescan")),
    });
}
