#include "LinkedWindows.h"

// The build defines CORVINA_WITH_<FOLDER> for each folder a program links.
#include "app/Windows.h"
#ifdef CORVINA_WITH_REPORTS
#include "reports/Windows.h"
#endif
#ifdef CORVINA_WITH_SECURITY
#include "security/Windows.h"
#endif
#ifdef CORVINA_WITH_ACCESSORIES
#include "accessories/Windows.h"
#endif
#ifdef CORVINA_WITH_CATALOGUE
#include "catalogue/Windows.h"
#endif
#ifdef CORVINA_WITH_SNIPPETS
#include "snippets/Windows.h"
#endif
#ifdef CORVINA_WITH_WEBSITES
#include "websites/Windows.h"
#endif

void RegisterLinkedWindows()
{
    RegisterAppWindows();
#ifdef CORVINA_WITH_REPORTS
    RegisterReportsWindows();
#endif
#ifdef CORVINA_WITH_SECURITY
    RegisterSecurityWindows();
#endif
#ifdef CORVINA_WITH_ACCESSORIES
    RegisterAccessoriesWindows();
#endif
#ifdef CORVINA_WITH_CATALOGUE
    RegisterCatalogueWindows();
#endif
#ifdef CORVINA_WITH_SNIPPETS
    RegisterSnippetsWindows();
#endif
#ifdef CORVINA_WITH_WEBSITES
    RegisterWebsitesWindows();
#endif
}
