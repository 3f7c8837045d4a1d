#include "app/modGlobals.h"

#include "app/CLog.h"
#include "app/CParm.h"
#include "app/CUtils.h"
#include "app/frmMenu.h"
#include "platform/ui/Dialogs.h"

#include <QPointer>
#include <QRegularExpression>
#include <QUrl>

ProgramValues g_program;

namespace {
QPointer<frmMenu> g_menu;
}

CLog &Log()
{
    static CLog log;
    return log;
}

CParm &Parm()
{
    static CParm parm;
    return parm;
}

CUtils &Utils()
{
    static CUtils utils;
    return utils;
}

frmMenu *MainMenu()
{
    return g_menu.data();
}

void SetMainMenu(frmMenu *menu)
{
    g_menu = menu;
}

QString FixQuotes(const QString &text)
{
    QString result = text;
    return result.replace(QLatin1Char('\''), QStringLiteral("''"));
}

QString ShellWebAddress(const QString &address)
{
    const QString text = address.trimmed();
    static const QRegularExpression blanks(QStringLiteral("[\\s\\x00-\\x1f\\x7f]"));
    if (text.isEmpty() || text.contains(blanks))
        return {};
    static const QRegularExpression scheme(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*)://"));
    // A site name with nothing before it: dotted labels, then an optional port, path, query or
    // fragment. A drive letter, a path or another scheme never reads as one.
    static const QRegularExpression siteName(
            QStringLiteral("^[A-Za-z0-9](?:[A-Za-z0-9-]*[A-Za-z0-9])?(?:\\.[A-Za-z0-9](?:[A-Za-z0-"
                           "9-]*[A-Za-z0-9])?)+"
                           "(?::[0-9]{1,5})?(?:[/?#].*)?$"));
    QString candidate;
    if (const QRegularExpressionMatch found = scheme.match(text); found.hasMatch()) {
        const QString name = found.captured(1).toLower();
        if (name != QLatin1String("http") && name != QLatin1String("https"))
            return {};
        candidate = text;
    } else if (siteName.match(text).hasMatch()) {
        candidate = QStringLiteral("http://") + text;
    } else {
        return {};
    }
    const QUrl url(candidate, QUrl::StrictMode);
    return url.isValid() && !url.host().isEmpty() ? candidate : QString();
}

QString ShellMailAddress(const QString &address)
{
    QString text = address.trimmed();
    if (text.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive))
        text = text.mid(7);
    // One plain address: no "?" or "&" that would add headers or attachments to the message.
    static const QRegularExpression mail(
            QStringLiteral("^[\\w.!$'*+=^`{|}~-]+@\\w(?:[\\w-]*\\w)?(?:\\.\\w(?:[\\w-]*\\w)?)+$"),
            QRegularExpression::UseUnicodePropertiesOption);
    return mail.match(text).hasMatch() ? QStringLiteral("mailto:") + text : QString();
}

bool OpenAddress()
{
    const QString address = ShellWebAddress(LaunchAddress);
    if (address.isEmpty()) {
        MsgBox(QStringLiteral("\"%1\" is not a web address, so it is not opened. Only addresses "
                              "beginning with http:// or https://, or a site name such as "
                              "www.example.org, are visited.")
                       .arg(LaunchAddress.trimmed()),
               vbExclamation, QStringLiteral("Visit Web Site"));
        return false;
    }
    OpenWithShell(address);
    return true;
}

bool OpenMailAddress()
{
    const QString address = ShellMailAddress(LaunchMailAddress);
    if (address.isEmpty()) {
        MsgBox(QStringLiteral("\"%1\" is not an e-mail address such as someone@example.org, so "
                              "no message is written to it.")
                       .arg(LaunchMailAddress.trimmed()),
               vbExclamation, QStringLiteral("Send E-mail"));
        return false;
    }
    OpenWithShell(address);
    return true;
}

void ResetGlobals()
{
    g_program = ProgramValues();
    Log().resetAll();
    SetMainMenu(nullptr);
}
