// Saves a picture of every window in the program's window catalogue under the folder given on
// the command line, so that each can be looked at as a user sees it. Runs on the offscreen
// platform with a scratch database; each window shows the sample content it registered.

#include "Fixture.h"
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
    if (entry.stage)
        entry.stage(window.get());
    save(window.get(), entry.name);
    for (const WindowEntry::View &view : entry.views) {
        view.step(window.get());
        save(window.get(), entry.name + QLatin1Char('-') + view.suffix);
    }
    window->hide();
}

// A catalogue as a user's might look: files of several groups and sites, snippets, web sites.
void fillSampleData(Fixture &fixture)
{
    const char *const groups[] = {"C", "C++", "Python", "SQL", "Shell", "Documents"};
    const char *const sites[] = {"Code Harbour", "Northwind Labs", "Open Archive", "Tern Tools"};
    for (int i = 0; i < 60; ++i) {
        const QString group = QString::fromLatin1(groups[i % 6]);
        const QString site = QString::fromLatin1(sites[i % 4]);
        const QString name = QStringLiteral("sample_%1.%2")
                                     .arg(i + 1, 3, 10, QLatin1Char('0'))
                                     .arg(group == QLatin1String("Python") ? "py" : "txt");
        fixture.exec(QStringLiteral("insert into fileprofile (FileName, FileDesc, FileGroup, "
                                    "Directory, WebSiteName, Author, Email) "
                                    "values (?, ?, ?, ?, ?, ?, ?)"),
                     {name,
                      QStringLiteral("Example number %1 of the %2 files").arg(i + 1).arg(group),
                      group, QStringLiteral("/home/ada/src/%1").arg(group.toLower()), site,
                      QStringLiteral("Ada Byron"), QStringLiteral("ada@example.org")});
    }
    fixture.exec(QStringLiteral("insert into source (title, codetype, websitename) values "
                                "('Read a file line by line', 'Python', 'Code Harbour')"));
    for (const char *site : sites)
        fixture.exec(QStringLiteral("insert into webname (webname, webaddress) values (?, ?)"),
                     {QString::fromLatin1(site),
                      QStringLiteral("https://www.example.org/") + QString::fromLatin1(site)});
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
    fillSampleData(fixture);
    for (const WindowEntry *entry : RegisteredWindows())
        shoot(*entry);
    shootReport(fixture);
    return g_failures == 0 ? 0 : 1;
}
