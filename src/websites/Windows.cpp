// The windows of the web site directory, in the program's window catalogue.

#include "platform/ui/WindowCatalogue.h"
#include "websites/frmGetWebs.h"
#include "websites/frmWebInfo.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

void chosenSite(QWidget *window)
{
    auto *site = static_cast<frmWebInfo *>(window);
    site->txtWebID->setText(QStringLiteral("3"));
    site->txtWebName->setText(QStringLiteral("Open Archive"));
    site->txtWebAddress->setText(QStringLiteral("https://www.example.org/open-archive"));
    site->txtCompany->setText(QStringLiteral("Open Archive Foundation"));
    site->txtAddress->setText(QStringLiteral("12 Harbour Lane"));
    site->txtCity->setText(QStringLiteral("Portsmouth"));
    site->txtState->setText(QStringLiteral("Hampshire"));
    site->txtZip->setText(QStringLiteral("PO1 3AX"));
    site->txtCountry->setText(QStringLiteral("United Kingdom"));
    site->txtPhoneNum->setText(QStringLiteral("+44 23 9200 0000"));
    site->txtFaxNum->setText(QStringLiteral("+44 23 9200 0001"));
    site->txtPointofContact->setText(QStringLiteral("Ada Byron"));
    site->txtEmail->setText(QStringLiteral("ada@example.org"));
    site->txtNotes->setPlainText(
            QStringLiteral("Sample code and articles on file formats.\nMirrors updated weekly."));
}

} // namespace

// Named to the linker by the build, so that every program linking this folder registers these.
extern "C" {
extern const int corvina_windows_websites;
const int corvina_windows_websites = RegisterWindows({
        WindowOf<frmWebInfo>(QStringLiteral("frmWebInfo"), chosenSite),
        WindowOf<frmGetWebs>(QStringLiteral("frmGetWebs")),
});
}
