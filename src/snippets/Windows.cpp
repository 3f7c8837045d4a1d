// The windows of the snippet notebook, in the program's window catalogue.

#include "snippets/Windows.h"

#include "platform/ui/WindowCatalogue.h"
#include "snippets/frmSnippet.h"

void RegisterSnippetsWindows()
{
    RegisterWindows({
            WindowOf<frmSnippet>(QStringLiteral("frmSnippet")),
    });
}
