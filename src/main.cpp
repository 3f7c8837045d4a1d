#include "app/AppIcon.h"
#include "app/CreateDatabase.h"
#include "app/MMain.h"
#include "app/Paths.h"
#include "app/Version.h"
#include "app/modGlobals.h"
#include "app/session.h"
#include "platform/db/DbError.h"
#include "platform/ui/Dialogs.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QTextStream>

namespace {

// Options for setting a machine up; none of them opens a window.
int runCommandLine(const QCommandLineParser &parser)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (parser.isSet(QStringLiteral("default-database-path"))) {
        out << DefaultDatabasePath() << '\n';
        return 0;
    }
    const QString path = parser.value(QStringLiteral("create-database"));
    try {
        CreateDatabase(path);
    } catch (const db::DbError &error) {
        err << "corvina: " << error.description() << '\n';
        return 1;
    }
    out << "Created " << QDir::toNativeSeparators(path) << '\n';
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("TARNU"));
    QApplication::setApplicationName(kProductName);
    QApplication::setApplicationVersion(VersionText().mid(8));
    QApplication::setWindowIcon(AppIcon());
    // The main menu decides when the session ends, not the closing of some window.
    QApplication::setQuitOnLastWindowClosed(false);

    QCommandLineParser parser;
    parser.setApplicationDescription(
            QStringLiteral("Corvina keeps a catalogue of the files on your disks, a notebook of "
                           "source-code snippets and a directory of web sites."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({QStringLiteral("create-database"),
                      QStringLiteral("Make a new database file at <path> with its tables and "
                                     "starting rows; an existing file is never touched."),
                      QStringLiteral("path")});
    parser.addOption({QStringLiteral("default-database-path"),
                      QStringLiteral("Print where the database file goes unless set up "
                                     "otherwise.")});
    parser.process(app);
    if (parser.isSet(QStringLiteral("create-database"))
        || parser.isSet(QStringLiteral("default-database-path")))
        return runCommandLine(parser);

    Main();
    int result = 0;
    if (!ProgramEnded() && MainMenu())
        result = QApplication::exec();
    CloseSession();
    return result;
}
