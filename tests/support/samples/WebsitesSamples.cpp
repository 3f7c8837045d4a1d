// Sample content of the windows of the web site directory, for their pictures.

#include "Samples.h"

#include "websites/LinkCheck.h"
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

// The directory after its links were checked: results as they come back, without the network.
void checkedLinks(QWidget *window)
{
    auto *sites = static_cast<frmWebInfo *>(window);
    const QDateTime at(QDate(2024, 3, 14), QTime(10, 42, 7));
    const struct
    {
        const char *site, *address;
        int status;
        const char *text;
    } checks[] = {
            {"Open Archive", "https://www.example.org/open-archive", 200, "200 OK"},
            {"Code Harbour", "http://codeharbour.example.org", 200,
             "200 OK (redirected to https://codeharbour.example.org/)"},
            {"Northwind Labs", "https://northwind.example.org/labs", 404, "404 Not Found"},
            {"Tern Tools", "https://terntools.example.org", 0, "Connection refused"},
            {"Old Mirror", "http://mirror.example.net/pub", 0, "No answer within 10 seconds"},
    };
    for (const auto &check : checks) {
        sites->ShowLinkResult({QString::fromLatin1(check.site), QString::fromLatin1(check.address),
                               check.status, QString::fromLatin1(check.text), at});
    }
}

} // namespace

WindowSamples WebsitesSamples()
{
    return {
            {QStringLiteral("frmWebInfo"), {chosenSite, {{QStringLiteral("links"), checkedLinks}}}},
    };
}
