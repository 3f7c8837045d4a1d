#include "TestRegistry.h"

#include <QApplication>
#include <QDir>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTest>

#include <utility>
#include <vector>

namespace testing {

namespace {
std::vector<std::pair<const char *, Factory>> &registry()
{
    static std::vector<std::pair<const char *, Factory>> tests;
    return tests;
}
} // namespace

int Register(const char *name, Factory factory)
{
    registry().emplace_back(name, std::move(factory));
    return static_cast<int>(registry().size());
}

// "tst_x [TestClass] [Qt Test options and functions]": a leading class name picks one class.
int RunAll(int argc, char **argv)
{
    // Default data paths point into a test area, never at the user's own files.
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    // ctest runs the classes of one program side by side, each in a process of its own: the
    // default data folder (where the default log and database go) is the process's own, and
    // goes when it ends.
    QCoreApplication::setApplicationName(
            QStringLiteral("%1-%2").arg(QCoreApplication::applicationName(),
                                        QString::number(QCoreApplication::applicationPid())));
    const auto removeDataFolders = qScopeGuard([] {
        for (const auto location :
             {QStandardPaths::AppDataLocation, QStandardPaths::AppConfigLocation,
              QStandardPaths::CacheLocation}) {
            // Only a folder named for this process; never the working folder of an empty path.
            const QString folder = QStandardPaths::writableLocation(location);
            if (!folder.isEmpty() && folder.endsWith(QCoreApplication::applicationName()))
                QDir(folder).removeRecursively();
        }
    });
    QByteArray only;
    std::vector<char *> args(argv, argv + argc);
    if (args.size() > 1 && args[1][0] != '-') {
        for (auto &entry : registry()) {
            if (qstrcmp(entry.first, args[1]) == 0) {
                only = args[1];
                args.erase(args.begin() + 1);
                break;
            }
        }
    }
    int failures = 0;
    for (auto &[name, factory] : registry()) {
        if (!only.isEmpty() && only != name)
            continue;
        std::unique_ptr<QObject> test = factory();
        failures += QTest::qExec(test.get(), static_cast<int>(args.size()), args.data());
    }
    return failures;
}

} // namespace testing
