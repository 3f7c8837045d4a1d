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

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    g_folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(g_folder);
    Fixture fixture;
    fixture.setUp();
    FillSampleCatalogue(fixture);
    for (const WindowEntry *entry : RegisteredWindows())
        shoot(*entry);
    shootReport(fixture);
    return g_failures == 0 ? 0 : 1;
}
