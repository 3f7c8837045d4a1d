#include "app/CreateDatabase.h"

#include "app/Paths.h"
#include "platform/Clock.h"
#include "platform/PasswordHash.h"
#include "platform/db/ConnectString.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/db/Dialect.h"
#include "platform/db/Recordset.h"
#include "platform/db/Tokens.h"
#include "platform/db/Transaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

QString scriptText(const QString &resource)
{
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        throw db::DbError(QStringLiteral("The table definitions are missing from the program."));
    return QString::fromUtf8(file.readAll());
}

// The table definitions of a file; a server's connections learn from them the case of the
// names. The server's tables have a script of their own, written for it.
QString schemaText()
{
    const QString script = scriptText(QStringLiteral(":/schema.sql"));
    db::LearnNames(script);
    return script;
}

struct ReportRow
{
    int id;
    const char *group;
    const char *title;
    const char *description;
    const char *name;
};

// The report catalogue: which reports each report button offers.
const ReportRow kReports[] = {
        {1, "1", "Files by Entry", "All catalogued files in the order they were added",
         "rptFileList"},
        {2, "1", "Files by Web Site", "All catalogued files sorted by web site", "rptFileList"},
        {3, "1", "Files by Group", "All catalogued files sorted by group", "rptFileList"},
        {13, "1", "Files of One Group", "The catalogued files of a group you choose",
         "rptFileList"},
        {14, "1", "Files of One Web Site", "The catalogued files of a web site you choose",
         "rptFileList"},
        {5, "2", "Snippets by Entry", "All snippets in the order they were added",
         "rptSnippetList"},
        {6, "2", "Snippets by Web Site", "All snippets sorted by web site", "rptSnippetList"},
        {7, "2", "Snippets by Group", "All snippets sorted by group", "rptSnippetList"},
        {15, "2", "Snippets of One Group", "The snippets of a group you choose", "rptSnippetList"},
        {16, "2", "Snippets of One Web Site", "The snippets of a web site you choose",
         "rptSnippetList"},
        {8, "3", "Web Sites", "All web sites in the order they were added", "rptWebSiteList"},
        {9, "3", "File Patterns", "All file patterns", "rptFilePatterns"},
        {10, "3", "File Groups", "All file groups", "rptFileTypes"},
        {11, "4", "Users", "All user accounts", "rptUserList"},
};

const char *const kGroups[] = {"[All Groups]", "C",     "C++",       "Java",   "Python",
                               "SQL",          "Shell", "Documents", "Images", "Archives"};
const char *const kPatterns[] = {"*.*",    "*.txt", "*.c",   "*.cpp", "*.h",
                                 "*.java", "*.py",  "*.sql", "*.zip", "*.pdf"};

// Columns added since the first files were made, each with the indexes that use it, as
// schema.sql defines them for a new file.
struct AddedColumn
{
    const char *table;
    const char *column;
    const char *type;
    const char *index;
};
const AddedColumn kAddedColumns[] = {
        {"fileprofile", "Checksum", "TEXT",
         "CREATE INDEX IF NOT EXISTS fileprofile_copies ON fileprofile (FSize, Checksum) "
         "WHERE Checksum IS NOT NULL"},
        {"tempfile", "Checksum", "TEXT", nullptr},
        // BIGINT: an integer on both engines, as wide as the server's row numbers.
        {"fileprofile", "VolumeId", "BIGINT", nullptr},
        {"fileprofile", "Modified", "BIGINT", nullptr},
        {"tempfile", "VolumeId", "BIGINT", nullptr},
        {"tempfile", "Modified", "BIGINT", nullptr},
};

// Tables added since the first files were made. A file that holds the catalogue gains them as
// schema.sql defines them, with their indexes; on a server the layer writes them in its words.
const char *const kAddedTables[] = {"volumes", "volumefolders"};

// Indexes made or changed in version 4: a database made before gets them as its engine's table
// script defines them now.
const char *const kRemadeIndexes[] = {"fileprofile_name_paths", "fileprofile_volume"};
constexpr int kIndexesRemadeIn = 4;

bool holdsTable(db::Connection &connection, const QString &table)
{
    return !db::ColumnsOf(connection, table).isEmpty();
}

// The statements of a script that begin as pattern says (without regard to case).
QStringList statementsMaking(const QString &script, const QString &pattern)
{
    const QRegularExpression makes(QLatin1Char('^') + pattern,
                                   QRegularExpression::CaseInsensitiveOption);
    QStringList statements;
    for (const QString &statement : db::SplitScript(script))
        if (makes.match(statement).hasMatch())
            statements << statement;
    return statements;
}

// The statements of the table script that make table or an index on it.
QStringList definitionsOf(const QString &script, const QString &table)
{
    return statementsMaking(
            script,
            QStringLiteral("CREATE\\s+(TABLE\\s+%1\\b|(UNIQUE\\s+)?INDEX\\s+\\w+\\s+ON\\s+%1\\b)")
                    .arg(QRegularExpression::escape(table)));
}

// The engine's own table script: a server's is written for it.
QString ownScript(db::Connection &connection)
{
    return db::OnServer(connection) ? scriptText(QStringLiteral(":/schema-server.sql"))
                                    : schemaText();
}

// Makes the indexes of kRemadeIndexes again, from the engine's own definitions.
void remakeIndexes(db::Connection &connection)
{
    const QString script = ownScript(connection);
    for (const char *index : kRemadeIndexes) {
        db::ExecuteAsWritten(connection,
                             QStringLiteral("DROP INDEX IF EXISTS %1").arg(QLatin1String(index)));
        for (const QString &statement : statementsMaking(
                     script, QStringLiteral("CREATE\\s+INDEX\\s+%1\\b").arg(QLatin1String(index))))
            db::ExecuteAsWritten(connection, statement);
    }
}

QStringList missingTables(db::Connection &connection)
{
    QStringList missing;
    if (!holdsTable(connection, QStringLiteral("fileprofile")))
        return missing;
    for (const char *table : kAddedTables)
        if (!holdsTable(connection, QString::fromLatin1(table)))
            missing << QString::fromLatin1(table);
    return missing;
}

// A table the file does not hold at all is no business of the upgrade.
bool lacksColumn(db::Connection &connection, const AddedColumn &added)
{
    const QStringList columns = db::ColumnsOf(connection, QString::fromLatin1(added.table));
    return !columns.isEmpty()
            && !columns.contains(QString::fromLatin1(added.column), Qt::CaseInsensitive);
}

} // namespace

int SchemaVersion(db::Connection &connection)
{
    return db::StoredSchemaVersion(connection);
}

void UpgradeDatabase(db::Connection &connection)
{
    // A file whose tables lack columns that no upgrade adds was not made by this program.
    QStringList later;
    for (const AddedColumn &added : kAddedColumns)
        later << QStringLiteral("%1.%2").arg(QLatin1String(added.table),
                                             QLatin1String(added.column));
    const QStringList lacking = db::LackingColumns(connection, schemaText(), later);
    if (!lacking.isEmpty())
        throw db::DbError(QStringLiteral("The database lacks the column %1 that this program "
                                         "uses. It is not opened.")
                                  .arg(lacking.constFirst()));
    QList<const AddedColumn *> missing;
    for (const AddedColumn &added : kAddedColumns) {
        if (lacksColumn(connection, added))
            missing << &added;
    }
    const QStringList tables = missingTables(connection);
    // A file opened for reading only is read as it is; only the new columns' own work fails.
    if ((missing.isEmpty() && tables.isEmpty() && SchemaVersion(connection) >= kSchemaVersion)
        || !connection.Writable())
        return;
    const QString script = schemaText();
    const bool remake = SchemaVersion(connection) < kIndexesRemadeIn
            && holdsTable(connection, QStringLiteral("fileprofile"));
    db::Transaction transaction(connection);
    for (const QString &table : tables)
        for (const QString &statement : definitionsOf(script, table))
            connection.Execute(statement);
    for (const AddedColumn *added : missing) {
        // Names come from the list above, never from outside: the engine takes no bound
        // values in a table's definition.
        connection.Execute(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3")
                                   .arg(QLatin1String(added->table), QLatin1String(added->column),
                                        QLatin1String(added->type)));
        if (added->index)
            connection.Execute(QString::fromLatin1(added->index));
    }
    if (remake)
        remakeIndexes(connection);
    db::StoreSchemaVersion(connection, kSchemaVersion);
    transaction.Commit();
}

namespace {

void seedRows(db::Connection &connection)
{
    for (const char *group : kGroups)
        connection.Execute(QStringLiteral("INSERT INTO CodeTypes (CodeType) VALUES (?)"),
                           {QString::fromUtf8(group)});
    for (const char *pattern : kPatterns)
        connection.Execute(QStringLiteral("INSERT INTO patterns (patterns) VALUES (?)"),
                           {QString::fromUtf8(pattern)});
    for (const ReportRow &report : kReports)
        connection.Execute(QStringLiteral("INSERT INTO tblreports (id, title, description, name, "
                                          "Rgroup) VALUES (?, ?, ?, ?, ?)"),
                           {report.id, QString::fromUtf8(report.title),
                            QString::fromUtf8(report.description), QString::fromUtf8(report.name),
                            QString::fromUtf8(report.group)});
    const QDate today = Now().date();
    connection.Execute(QStringLiteral("INSERT INTO tblusers (userid, userpwd, usergroup, username, "
                                      "activationdate, expirationdate) VALUES (?, ?, ?, ?, ?, ?)"),
                       {QStringLiteral("admin"), HashPassword(QStringLiteral("rowan")),
                        QStringLiteral("Administrator"), QStringLiteral("Administrator"),
                        today.toString(QStringLiteral("MM/dd/yyyy")),
                        today.addDays(30).toString(QStringLiteral("MM/dd/yyyy"))});
}

} // namespace

void CreateDatabase(const QString &path)
{
    CreateDatabase(path, seedRows);
}

void CreateDatabase(const QString &path, const std::function<void(db::Connection &)> &seed)
{
    if (db::IsServerAddress(path)) {
        schemaText(); // the case of the names
        db::CreateServerDatabase(path, scriptText(QStringLiteral(":/schema-server.sql")), seed);
        return;
    }
    const QString folder = QFileInfo(path).absolutePath();
    if (!MakePrivateFolder(folder))
        throw db::DbError(QStringLiteral("Cannot make the folder '%1'.")
                                  .arg(QDir::toNativeSeparators(folder)));
    db::CreateDatabaseFile(path, schemaText(), seed);
}
