// The windows of users and security, in the program's window catalogue.

#include "security/Windows.h"

#include "platform/ui/WindowCatalogue.h"
#include "security/frmChangePass.h"
#include "security/frmLogin.h"
#include "security/frmShowUsers.h"
#include "security/frmUser.h"
#include "security/frmVerify.h"

void RegisterSecurityWindows()
{
    RegisterWindows({
            WindowOf<frmLogin>(QStringLiteral("frmLogin")),
            WindowOf<frmVerify>(QStringLiteral("frmVerify")),
            WindowOf<frmChangePass>(QStringLiteral("frmChangePass")),
            WindowOf<frmUser>(QStringLiteral("frmUser")),
            WindowOf<frmShowUsers>(QStringLiteral("frmShowUsers")),
    });
}
