// Writes the program's icon as a PNG of the given size, for the desktop's icon theme.
// Usage: corvina-icon SIZE FILE.png
#include "app/AppIcon.h"

#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    // Runs during the build, where there may be no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    QTextStream err(stderr);
    bool sized = false;
    const int size = arguments.value(1).toInt(&sized);
    if (arguments.size() != 3 || !sized || size < 1) {
        err << "usage: corvina-icon SIZE FILE.png\n";
        return 2;
    }
    if (!AppImage(size).save(arguments.at(2), "PNG")) {
        err << "corvina-icon: cannot write " << arguments.at(2) << '\n';
        return 1;
    }
    return 0;
}
