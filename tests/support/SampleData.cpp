#include "SampleData.h"

#include "DeskConnection.h"
#include "Fixture.h"
#include "platform/db/Transaction.h"

void FillSampleCatalogue(Fixture &fixture)
{
    DeskConnection connection(fixture.dbPath);
    db::Transaction transaction(connection);
    const char *const groups[] = {"C", "C++", "Python", "SQL", "Shell", "Documents"};
    const char *const sites[] = {"Code Harbour", "Northwind Labs", "Open Archive", "Tern Tools"};
    for (int i = 0; i < 60; ++i) {
        const QString group = QString::fromLatin1(groups[i % 6]);
        const QString site = QString::fromLatin1(sites[i % 4]);
        const QString name = QStringLiteral("sample_%1.%2")
                                     .arg(i + 1, 3, 10, QLatin1Char('0'))
                                     .arg(group == QLatin1String("Python") ? "py" : "txt");
        const QString directory = QStringLiteral("/home/ada/src/%1/").arg(group.toLower());
        connection.Execute(
                QStringLiteral("insert into fileprofile (FileName, FileDesc, FileGroup, "
                               "FilePath, Directory, WebSiteName, Author, Email) "
                               "values (?, ?, ?, ?, ?, ?, ?, ?)"),
                {name, QStringLiteral("Example number %1 of the %2 files").arg(i + 1).arg(group),
                 group, directory + name, directory, site, QStringLiteral("Ada Byron"),
                 QStringLiteral("ada@example.org")});
    }
    connection.Execute(QStringLiteral("insert into source (title, codetype, websitename, code) "
                                      "values ('Read a file line by line', 'Python', "
                                      "'Code Harbour', ?)"),
                       {QStringLiteral("with open(path) as lines:\n"
                                       "    for line in lines:\n"
                                       "        print(line, end='')\n")});
    for (const char *site : sites)
        connection.Execute(
                QStringLiteral("insert into webname (webname, webaddress) values (?, ?)"),
                {QString::fromLatin1(site),
                 QStringLiteral("https://www.example.org/") + QString::fromLatin1(site)});
    transaction.Commit();
}
