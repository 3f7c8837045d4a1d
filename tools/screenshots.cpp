// Saves a picture of every window under the folder given on the command line, so that each can
// be looked at as a user sees it. Runs on the offscreen platform with a scratch database.

#include "Fixture.h"
#include "app/CLog.h"
#include "app/frmAbout.h"
#include "app/frmHelp.h"
#include "app/frmLog.h"
#include "app/frmMenu.h"
#include "app/frmSetup.h"
#include "app/frmSplash.h"
#include "app/modGlobals.h"
#include "platform/db/Connection.h"
#include "platform/report/Preview.h"
#include "reports/Layouts.h"
#include "security/frmLogin.h"
#include "security/frmVerify.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTextStream>
#include <QWidget>

namespace {

QString g_folder;
int g_failures = 0;

void save(QWidget *window, const QString &name)
{
    window->show();
    QCoreApplication::processEvents();
    const QString path = QDir(g_folder).filePath(name + QStringLiteral(".png"));
    if (!window->grab().save(path)) {
        QTextStream(stderr) << "could not save " << path << '\n';
        ++g_failures;
        return;
    }
    QTextStream(stdout) << path << '\n';
    window->hide();
}

void shoot()
{
    Fixture fixture;
    fixture.setUp();

    frmSetup setup;
    save(&setup, QStringLiteral("frmSetup"));

    frmLogin login;
    login.txtUID->setText(QStringLiteral("admin"));
    save(&login, QStringLiteral("frmLogin"));

    CurrentPassword = QStringLiteral("secret");
    frmVerify verify;
    save(&verify, QStringLiteral("frmVerify"));

    Log().addEntry(LogInfo, QStringLiteral("User Added to Database!"));
    Log().addEntry(LogWarning, QStringLiteral("Password of guest kept in its old form"));
    Log().addEntry(LogError, QStringLiteral("Table is Empty"));
    frmLog viewer;
    viewer.oLog = &Log();
    save(&viewer, QStringLiteral("frmLog"));

    CurrentGroup = QStringLiteral("Administrator");
    frmMenu menu;
    save(&menu, QStringLiteral("frmMenu"));
    menu.Picture_Click(4);
    save(&menu, QStringLiteral("frmMenu-system"));

    frmSplash splash;
    save(&splash, QStringLiteral("frmSplash"));
    frmAbout about;
    save(&about, QStringLiteral("frmAbout"));
    frmHelpAdd helpAdd;
    save(&helpAdd, QStringLiteral("frmHelpAdd"));
    frmHelpShow helpShow;
    save(&helpShow, QStringLiteral("frmHelpShow"));
    frmHelpSnip helpSnip;
    save(&helpSnip, QStringLiteral("frmHelpSnip"));

    // A report's preview, over the patterns every new database has.
    const QString patterns = QStringLiteral("rptFilePatterns");
    fixture.ui.onModal(patterns, [&](QWidget *window) {
        save(window, patterns);
        return 0;
    });
    db::Connection connection;
    connection.Open(ConnectString);
    report::ShowPreview(*ReportLayout(patterns), connection,
                        QStringLiteral("SELECT patterns FROM patterns ORDER BY inum"));
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    g_folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(g_folder);
    shoot();
    return g_failures == 0 ? 0 : 1;
}
