#include "accessories/Windows.h"
#include "app/AppIcon.h"
#include "app/CreateDatabase.h"
#include "app/MMain.h"
#include "app/Paths.h"
#include "app/Version.h"
#include "app/Windows.h"
#include "app/modGlobals.h"
#include "app/session.h"
#include "catalogue/CatalogueSearch.h"
#include "catalogue/ScanCommand.h"
#include "catalogue/Windows.h"
#include "platform/db/DbError.h"
#include "platform/ui/Dialogs.h"
#include "reports/Windows.h"
#include "security/Windows.h"
#include "snippets/Windows.h"
#include "websites/Windows.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QTextStream>

#include <optional>

namespace {

// Every window of the program, before anything can open one by name.
void registerWindows()
{
    RegisterAppWindows();
    RegisterReportsWindows();
    RegisterSecurityWindows();
    RegisterAccessoriesWindows();
    RegisterCatalogueWindows();
    RegisterSnippetsWindows();
    RegisterWebsitesWindows();
}

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

bool isOption(const QByteArray &arg, const QByteArray &option)
{
    return arg == option || arg.startsWith(option + '=');
}

// The commands that work on the catalogue from a terminal.
bool isCatalogueCommand(const QByteArray &arg)
{
    return isOption(arg, "--find") || isOption(arg, "--scan") || isOption(arg, "--rescan");
}

bool isHelp(const QByteArray &arg)
{
    return arg == "-h" || arg == "--help" || arg == "--help-all" || arg == "-v"
            || arg == "--version";
}

// Options that set a machine up, inform, search the catalogue or keep it in step with the
// disk; they need no display.
bool commandLineOnly(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg.startsWith("--create-database") || arg == "--default-database-path"
            || isCatalogueCommand(arg) || isHelp(arg))
            return true;
    }
    return false;
}

// The catalogue command asked for ("--find", "--scan" or "--rescan", the first given), unless
// help is asked for too; it reports even a wrong command line with its own exit status for
// errors.
QByteArray catalogueCommand(const QStringList &arguments)
{
    QByteArray command;
    for (const QString &argument : arguments.mid(1)) {
        const QByteArray arg = argument.toLocal8Bit();
        if (isHelp(arg))
            return {};
        if (command.isEmpty() && isCatalogueCommand(arg))
            command = arg.left(arg.indexOf('=') < 0 ? arg.size() : arg.indexOf('='));
    }
    return command;
}

int runCatalogueCommand(const QByteArray &command, const QStringList &arguments)
{
    // Lines go out as bytes: with --find --null exactly as stored.
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly))
        return 2;
    QTextStream err(stderr);
    int status = 2;
    if (command == "--scan")
        status = catalogue::RunScan(arguments, out, err);
    else if (command == "--rescan")
        status = catalogue::RunRescan(arguments, out, err);
    else
        status = catalogue::RunFind(arguments, out, err);
    out.close();
    return status;
}

// Names the program and reads its options; gives an exit code when an option did all the work.
std::optional<int> describeProgram(QCoreApplication &app)
{
    QCoreApplication::setOrganizationName(QStringLiteral("TARNU"));
    QCoreApplication::setApplicationName(kProductName);
    QCoreApplication::setApplicationVersion(VersionText().mid(8));
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
    catalogue::AddFindOptions(parser);
    catalogue::AddScanOptions(parser);
    const QByteArray command = catalogueCommand(app.arguments());
    if (!command.isEmpty())
        return runCatalogueCommand(command, app.arguments());
    parser.process(app);
    if (parser.isSet(QStringLiteral("create-database"))
        || parser.isSet(QStringLiteral("default-database-path")))
        return runCommandLine(parser);
    return std::nullopt;
}

} // namespace

int main(int argc, char *argv[])
{
    if (commandLineOnly(argc, argv)) {
        QCoreApplication app(argc, argv);
        KnowOwnTables();
        return describeProgram(app).value_or(0);
    }
    QApplication app(argc, argv);
    KnowOwnTables();
    if (const auto done = describeProgram(app))
        return *done;
    QApplication::setWindowIcon(AppIcon());
    // The main menu decides when the session ends, not the closing of some window.
    QApplication::setQuitOnLastWindowClosed(false);

    registerWindows();
    Main();
    int result = 0;
    if (!ProgramEnded() && MainMenu())
        result = QApplication::exec();
    CloseSession();
    return result;
}
