#include "security/Accounts.h"

#include "platform/Clock.h"

#include <QLineEdit>
#include <QPalette>

namespace {

const QString kDateForm = QStringLiteral("MM/dd/yyyy");

} // namespace

QString ActivationDateText()
{
    return Now().date().toString(kDateForm);
}

QString ExpirationDateText()
{
    return Now().date().addDays(kAccountValidDays).toString(kDateForm);
}

QLineEdit *ShownOnly(QLineEdit *box)
{
    box->setReadOnly(true);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    box->setPalette(palette);
    return box;
}
