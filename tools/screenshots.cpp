// Saves a picture of every window in the program's window catalogue under the folder given on
// the command line, so that each can be looked at as a user sees it. Runs on the offscreen
// platform with a scratch database; each window shows its sample content (tests/support/samples).

#include "Fixture.h"
#include "SampleData.h"
#include "Samples.h"
#include "platform/ui/WindowCatalogue.h"
#include "reports/ShowReport.h"

#include <QApplication>
#include <QDir>
#include <QPalette>
#include <QStyle>
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
}

void shoot(const WindowEntry &entry)
{
    std::unique_ptr<QWidget> window = CreateWindow(entry.name);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    const WindowSample sample = SampleOf(entry.name);
    if (sample.stage)
        sample.stage(window.get());
    save(window.get(), entry.name);
    for (const WindowSample::View &view : sample.views) {
        view.step(window.get());
        save(window.get(), entry.name + QLatin1Char('-') + view.suffix);
    }
    window->hide();
}

// A report as its preview shows it: the file list over two pages.
void shootReport(Fixture &fixture)
{
    const QString name = QStringLiteral("rptFileList");
    fixture.ui.onModal(name, [name](QWidget *window) {
        window->resize(900, 700);
        save(window, name + QStringLiteral("-preview"));
        return 0;
    });
    ShowReport(name,
               QStringLiteral("SELECT filename,filedesc,filegroup, directory, websitename, "
                              "author, email FROM fileprofile ORDER BY inum"),
               {}, QStringLiteral("Files by Entry"));
}

// A dark palette, as a desktop's dark theme gives one: what the windows draw must follow it.
QPalette darkPalette()
{
    QPalette dark;
    const QColor window(0x2b, 0x2b, 0x2b), base(0x1e, 0x1e, 0x1e), text(0xe6, 0xe6, 0xe6);
    dark.setColor(QPalette::Window, window);
    dark.setColor(QPalette::WindowText, text);
    dark.setColor(QPalette::Base, base);
    dark.setColor(QPalette::AlternateBase, window);
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::Button, window);
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::ToolTipBase, base);
    dark.setColor(QPalette::ToolTipText, text);
    dark.setColor(QPalette::Highlight, QColor(0x35, 0x61, 0x8f));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::Mid, QColor(0x55, 0x55, 0x55));
    dark.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
    dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
    dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
    return dark;
}

} // namespace

// screenshots [folder] [--dark]: every window's pictures in folder; with --dark in a dark
// palette. The scale factor comes from QT_SCALE_FACTOR, as for any program of the toolkit.
int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    QStringList arguments = app.arguments().mid(1);
    if (arguments.removeAll(QStringLiteral("--dark")) > 0) {
        app.setStyle(QStringLiteral("Fusion"));
        app.setPalette(darkPalette());
    }
    g_folder = arguments.value(0, QStringLiteral("screenshots"));
    QDir().mkpath(g_folder);
    Fixture fixture;
    fixture.setUp();
    FillSampleCatalogue(fixture);
    for (const WindowEntry *entry : RegisteredWindows())
        shoot(*entry);
    shootReport(fixture);
    return g_failures == 0 ? 0 : 1;
}
