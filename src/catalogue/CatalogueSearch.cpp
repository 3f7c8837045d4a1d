#include "catalogue/CatalogueSearch.h"

#include "app/CUtils.h"
#include "app/SettingKeys.h"
#include "platform/Settings.h"
#include "platform/db/ConnectString.h"
#include "platform/db/Connection.h"
#include "platform/db/DbError.h"
#include "platform/db/Dialect.h"
#include "platform/db/TextRows.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QTextStream>

#include <optional>

namespace catalogue {

namespace {

// A text a prefix LIKE matches literally: the escape character, "%" and "_" escaped.
QString likePrefix(const QString &text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    escaped.replace(QLatin1Char('%'), QStringLiteral("\\%"));
    escaped.replace(QLatin1Char('_'), QStringLiteral("\\_"));
    return escaped + QLatin1Char('%');
}

// The filter conditions, and their values, for a group and a site ("[All ...]" for none).
void addFilters(const QString &group, const QString &site, QStringList &conditions,
                QVariantList &values)
{
    if (site != kAllSites) {
        conditions << QStringLiteral("Websitename = ?");
        values << site;
    }
    if (group != kAllGroups) {
        conditions << QStringLiteral("FileGroup = ?");
        values << group;
    }
}

// The column a search looks in, and the one its matches are listed by.
const char *searchColumn(SearchMode mode)
{
    return mode == ByDescription ? "FileDesc" : mode == BySiteName ? "Websitename" : "FileName";
}

const char *orderColumn(SearchMode mode)
{
    return mode == ByDescription ? "FileDesc" : "FileName";
}

BrowserStatement searchOrderedBy(SearchMode mode, const QString &text, const QString &group,
                                 const QString &site, const QString &columns, const QString &order)
{
    BrowserStatement statement{{}, {likePrefix(text)}};
    QStringList conditions{QString::fromLatin1(searchColumn(mode))
                           + QStringLiteral(" Like ? ESCAPE '\\'")};
    addFilters(group, site, conditions, statement.values);
    statement.sql = QStringLiteral("SELECT ") + columns + QStringLiteral(" FROM FileProfile WHERE ")
            + conditions.join(QStringLiteral(" and ")) + QStringLiteral(" ORDER BY ") + order;
    return statement;
}

const QString kFind = QStringLiteral("find");
const QString kField = QStringLiteral("field");
const QString kGroup = QStringLiteral("group");
const QString kSite = QStringLiteral("site");
const QString kDatabase = QStringLiteral("database");

// The searched column by the name --field takes; nothing for an unknown name.
std::optional<SearchMode> modeNamed(const QString &name)
{
    if (name == QLatin1String("name"))
        return ByFileName;
    if (name == QLatin1String("description"))
        return ByDescription;
    if (name == QLatin1String("site"))
        return BySiteName;
    return std::nullopt;
}

// Thrown for a command line or a setup the search cannot run with.
struct FindError
{
    QString message;
};

// The database named on the command line, or else the one the program is set up with.
QString databasePath(const QCommandLineParser &parser)
{
    const QString path = parser.isSet(kDatabase) ? parser.value(kDatabase)
                                                 : settings::Get(SettingKey::Database, QString());
    if (path.isEmpty())
        throw FindError{QStringLiteral("no database is set up; name one with --database PATH")};
    // Opening never makes a file, but says so only in the engine's words.
    if (!db::IsServerAddress(path) && !QFileInfo(path).isFile())
        throw FindError{QStringLiteral("no database file at %1").arg(path)};
    return path;
}

// Writes the matches as the engine reads them, so that a search matching most of a large
// catalogue holds one row in memory; returns how many there were.
qint64 writeMatches(const QString &path, const BrowserStatement &statement, QTextStream &out)
{
    db::Connection connection;
    connection.Open(db::ConnectStringFor(path));
    const qint64 matches = db::ForEachTextRow(connection, statement.sql, statement.values,
                                              [&out](std::span<const QByteArrayView> row) {
                                                  out << QString::fromUtf8(row[0]) << '\t'
                                                      << QString::fromUtf8(row[1]) << '\n';
                                              });
    connection.Close();
    out.flush();
    return matches;
}

} // namespace

BrowserStatement FilterStatement(const QString &group, const QString &site)
{
    BrowserStatement statement{QStringLiteral("Select * from fileprofile"), {}};
    QStringList conditions;
    addFilters(group, site, conditions, statement.values);
    if (!conditions.isEmpty())
        statement.sql += QStringLiteral(" where ") + conditions.join(QStringLiteral(" and "));
    return statement;
}

BrowserStatement SearchStatement(SearchMode mode, const QString &text, const QString &group,
                                 const QString &site, const QString &columns)
{
    return searchOrderedBy(mode, text, group, site, columns,
                           QString::fromLatin1(orderColumn(mode)));
}

BrowserStatement FindStatement(SearchMode mode, const QString &text, const QString &group,
                               const QString &site)
{
    return searchOrderedBy(mode, text, group, site, QStringLiteral("FilePath, FileDesc"),
                           QString::fromLatin1(orderColumn(mode))
                                   + QStringLiteral(" COLLATE NOCASE, FilePath"));
}

void AddFindOptions(QCommandLineParser &parser)
{
    parser.addOption({kFind,
                      QStringLiteral("Print the full path and the description of each catalogued "
                                     "file whose name (or --field) begins with <text>, a line "
                                     "each; exit status 1 when none does."),
                      QStringLiteral("text")});
    parser.addOption({kField,
                      QStringLiteral("With --find: the field searched, name (the default), "
                                     "description or site."),
                      QStringLiteral("field")});
    parser.addOption({kGroup, QStringLiteral("With --find: only files of the group <name>."),
                      QStringLiteral("name")});
    parser.addOption({kSite, QStringLiteral("With --find: only files of the web site <name>."),
                      QStringLiteral("name")});
    parser.addOption({kDatabase,
                      QStringLiteral("With --find: search the database file at <path> instead "
                                     "of the one the program is set up with."),
                      QStringLiteral("path")});
}

int RunFind(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    try {
        QCommandLineParser parser;
        AddFindOptions(parser);
        if (!parser.parse(arguments))
            throw FindError{parser.errorText()};
        if (!parser.isSet(kFind))
            throw FindError{QStringLiteral("--find needs a text to search for")};
        if (!parser.positionalArguments().isEmpty())
            throw FindError{QStringLiteral("unexpected argument '%1'")
                                    .arg(parser.positionalArguments().constFirst())};
        const QString field = parser.isSet(kField) ? parser.value(kField) : QStringLiteral("name");
        const std::optional<SearchMode> mode = modeNamed(field);
        if (!mode)
            throw FindError{
                    QStringLiteral("unknown field '%1'; use name, description or site").arg(field)};
        const QString path = databasePath(parser);
        // Like the browser's search box, the text is taken without its outer spaces.
        const BrowserStatement statement =
                FindStatement(*mode, Trim(parser.value(kFind)),
                              parser.isSet(kGroup) ? parser.value(kGroup) : kAllGroups,
                              parser.isSet(kSite) ? parser.value(kSite) : kAllSites);
        return writeMatches(path, statement, out) > 0 ? 0 : 1;
    } catch (const FindError &error) {
        err << "corvina: " << error.message << '\n';
    } catch (const db::DbError &error) {
        err << "corvina: " << error.description() << '\n';
    } catch (const std::exception &error) {
        err << "corvina: " << QString::fromUtf8(error.what()) << '\n';
    }
    err.flush();
    return 2;
}

} // namespace catalogue
