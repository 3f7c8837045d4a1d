// The windows of users and security, in the program's window catalogue.

#include "app/modGlobals.h"
#include "platform/ui/WindowCatalogue.h"
#include "security/frmLogin.h"
#include "security/frmVerify.h"

#include <QLineEdit>

namespace {

void typedUserId(QWidget *window)
{
    static_cast<frmLogin *>(window)->txtUID->setText(QStringLiteral("admin"));
}

void typedAtLogin(QWidget *)
{
    CurrentPassword = QStringLiteral("secret");
}

} // namespace

// Named to the linker by the build, so that every program linking this folder registers these.
extern "C" {
extern const int corvina_windows_security;
const int corvina_windows_security = RegisterWindows({
        WindowOf<frmLogin>(QStringLiteral("frmLogin"), typedUserId),
        WindowOf<frmVerify>(QStringLiteral("frmVerify"), typedAtLogin),
});
}
