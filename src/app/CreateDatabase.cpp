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
// names, and opening a file accepts the triggers they make. The server's tables have a script
// of their own, written for it.
QString schemaText()
{
    static const QString script = [] {
        static const QRegularExpression trigger(
                QStringLiteral("^CREATE\\s+(?:TRIGGER|VIRTUAL\\s+TABLE)\\s+(\\w+)"),
                QRegularExpression::CaseInsensitiveOption);
        const QString text = scriptText(QStringLiteral(":/schema.sql"));
        db::LearnNames(text);
        for (const QString &statement : db::SplitScript(text))
            if (const auto match = trigger.match(statement); match.hasMatch())
                db::TrustSchemaObject(match.captured(1), statement);
        return text;
    }();
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
        {"fileprofile", "GroupKey", "BIGINT", nullptr},
        {"tempfile", "GroupKey", "BIGINT", nullptr},
};

// Tables added since the first files were made. A file that holds the catalogue gains them as
// schema.sql defines them, with their indexes; on a server the layer writes them in its words.
const char *const kAddedTables[] = {"volumes", "volumefolders", "filegroups"};

// Indexes made or changed since, with the version that did: a database made before gets them as
// its engine's table script defines them now.
struct RemadeIndex
{
    const char *name;
    int version;
};
const RemadeIndex kRemadeIndexes[] = {
        {"fileprofile_name_paths", 4}, {"fileprofile_volume", 4},
        {"fileprofile_group", 5},      {"fileprofile_group_name", 5},
        {"fileprofile_group_desc", 5}, {"fileprofile_group_sitetext", 5},
        {"fileprofile_unnumbered", 5}, {"fileprofile_name_trgm", 6},
        {"fileprofile_path_trgm", 6},  {"fileprofile_desc_trgm", 6},
};
// Since version 5 the files' groups are numbered, and triggers keep the numbers in step; since
// version 6 a text index finds a piece of a name, path or description.
constexpr int kGroupsNumberedIn = 5;
constexpr int kTextIndexIn = 6;

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
    return db::ScriptFor(connection,
                         {schemaText(), scriptText(QStringLiteral(":/schema-server.sql"))});
}

// The indexes of kRemadeIndexes changed after the version a database was made with.
QList<QLatin1String> indexesToRemake(int version)
{
    QList<QLatin1String> names;
    for (const RemadeIndex &index : kRemadeIndexes)
        if (version < index.version)
            names << QLatin1String(index.name);
    return names;
}

void dropIndexes(db::Connection &connection, const QList<QLatin1String> &names)
{
    for (const QLatin1String &index : names)
        db::ExecuteAsWritten(connection, QStringLiteral("DROP INDEX IF EXISTS %1").arg(index));
}

// Makes indexes again from the engine's own definitions.
void makeIndexes(db::Connection &connection, const QList<QLatin1String> &names)
{
    const QString script = ownScript(connection);
    for (const QLatin1String &index : names)
        for (const QString &statement :
             statementsMaking(script, QStringLiteral("CREATE\\s+INDEX\\s+%1\\b").arg(index)))
            db::ExecuteAsWritten(connection, statement);
}

// Makes the triggers (and, on a server, their function) that keep the groups' numbers in step;
// a server's catalogue table also gets the room its rows' new versions need (which the pages
// written from then on have).
void makeTriggers(db::Connection &connection)
{
    static const QRegularExpression trigger(
            QStringLiteral("^CREATE\\s+TRIGGER\\s+(\\w+)\\s.*?\\sON\\s+(\\w+)"),
            QRegularExpression::CaseInsensitiveOption
                    | QRegularExpression::DotMatchesEverythingOption);
    for (const QString &statement : statementsMaking(
                 ownScript(connection),
                 QStringLiteral("(CREATE\\s+(TRIGGER|(OR\\s+REPLACE\\s+)?FUNCTION)|ALTER\\s+"
                                "TABLE\\s+fileprofile\\s+SET)\\s"))) {
        if (const auto match = trigger.match(statement); match.hasMatch())
            db::ExecuteAsWritten(
                    connection,
                    db::DropTriggerStatement(connection, match.captured(1), match.captured(2)));
        db::ExecuteAsWritten(connection, statement);
    }
}

// Makes the text index, empty (IndexAddedFiles fills it), or on a server the extension that its
// trigram indexes need; and the server's function that matches a shell pattern.
void makeTextIndex(db::Connection &connection)
{
    for (const QString &statement :
         statementsMaking(ownScript(connection),
                          QStringLiteral("CREATE\\s+(EXTENSION|OR\\s+REPLACE\\s+FUNCTION\\s+shell_"
                                         "match\\w*|VIRTUAL\\s+TABLE\\s+filetext_\\w+|TABLE\\s+"
                                         "text(mark|changed)|TRIGGER\\s+filetext_\\w+)\\b")))
        db::ExecuteAsWritten(connection, statement);
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

// Rows that another program added to the catalogue without their groups' numbers get them
// (the index of such rows is empty when there are none, so the look is cheap).
void numberAddedFiles(db::Connection &connection)
{
    // Rows wait to be numbered only where the engine's table script keeps an index of them (a
    // server's trigger numbers every row it writes).
    if (statementsMaking(ownScript(connection),
                         QStringLiteral("CREATE\\s+INDEX\\s+fileprofile_unnumbered\\b"))
                .isEmpty())
        return;
    db::Recordset unnumbered;
    unnumbered.Open(QStringLiteral("SELECT 1 FROM fileprofile WHERE GroupKey IS NULL AND "
                                   "FileGroup IS NOT NULL LIMIT 1"),
                    connection);
    if (unnumbered.AtEnd())
        return;
    unnumbered.Close();
    db::Transaction transaction(connection);
    NumberFileGroups(connection);
    transaction.Commit();
}

} // namespace

void NumberGroupsOf(db::Connection &connection, const QString &table, const QString &rows)
{
    // Names and conditions come from the program, never from outside.
    connection.Execute(QStringLiteral("INSERT INTO filegroups (FileGroup) SELECT DISTINCT "
                                      "FileGroup FROM %1 WHERE FileGroup IS NOT NULL AND (%2) "
                                      "ON CONFLICT (FileGroup) DO NOTHING")
                               .arg(table, rows));
    connection.Execute(QStringLiteral("UPDATE %1 SET GroupKey = %2 WHERE %3")
                               .arg(table, GroupNumberOf(table), rows));
}

QString GroupNumberOf(const QString &table)
{
    return QStringLiteral(
                   "(SELECT g.GroupKey FROM filegroups AS g WHERE g.FileGroup = %1.FileGroup)")
            .arg(table);
}

void NumberFileGroups(db::Connection &connection)
{
    NumberGroupsOf(connection, QStringLiteral("fileprofile"),
                   QStringLiteral("GroupKey IS NULL AND FileGroup IS NOT NULL"));
}

bool HasTextIndex(db::Connection &connection)
{
    return holdsTable(connection, QStringLiteral("textmark"));
}

namespace {

qint64 valueOf(db::Connection &connection, const QString &sql, const QVariantList &values = {})
{
    db::Recordset rows;
    rows.Open(sql, connection, values);
    return rows.AtEnd() ? 0 : rows.Fields(0).toLongLong();
}

// The columns the text index keeps, each in a table of its own.
struct IndexedText
{
    const char *table;
    const char *column;
};
const IndexedText kIndexedText[] = {{"filetext_name", "FileName"},
                                    {"filetext_path", "FilePath"},
                                    {"filetext_desc", "FileDesc"}};

qint64 indexedUpTo(db::Connection &connection)
{
    return valueOf(connection, QStringLiteral("SELECT coalesce(max(UpTo), 0) FROM textmark"));
}

// The rows changed or removed since the indexes were last brought up to date: the values the
// indexes hold taken out, and a row's present ones put in. Returns the rows listed.
qint64 reindexChanged(db::Connection &connection)
{
    // Names come from the list above, never from outside.
    for (const IndexedText &text : kIndexedText) {
        const QLatin1String table(text.table);
        const QLatin1String column(text.column);
        connection.Execute(QStringLiteral("INSERT INTO %1 (%1, rowid, %2) SELECT 'delete', Inum, "
                                          "%2 FROM textchanged")
                                   .arg(table, column));
        connection.Execute(QStringLiteral("INSERT INTO %1 (rowid, %2) SELECT f.Inum, f.%2 FROM "
                                          "fileprofile AS f JOIN textchanged AS c ON c.Inum = "
                                          "f.Inum")
                                   .arg(table, column));
    }
    return connection.Execute(QStringLiteral("DELETE FROM textchanged"));
}

// One step: the rows after the mark up to the step's last, indexed, and the mark moved on.
// Returns the rows added.
qint64 indexStep(db::Connection &connection, qint64 step)
{
    const qint64 from = indexedUpTo(connection);
    const qint64 to = valueOf(connection,
                              QStringLiteral("SELECT max(Inum) FROM (SELECT Inum FROM fileprofile "
                                             "WHERE Inum > ? ORDER BY Inum LIMIT ?)"),
                              {from, step});
    if (to <= from)
        return 0;
    qint64 added = 0;
    for (const IndexedText &text : kIndexedText)
        added = connection.Execute(
                QStringLiteral("INSERT INTO %1 (rowid, %2) SELECT Inum, %2 "
                               "FROM fileprofile WHERE Inum > ? AND Inum <= ?")
                        .arg(QLatin1String(text.table), QLatin1String(text.column)),
                {from, to});
    connection.Execute(QStringLiteral("INSERT OR REPLACE INTO textmark (Id, UpTo) VALUES (1, ?)"),
                       {to});
    return added;
}

} // namespace

QString TextIndexOf(const QString &column)
{
    for (const IndexedText &text : kIndexedText)
        if (column.compare(QLatin1String(text.column), Qt::CaseInsensitive) == 0)
            return QLatin1String(text.table);
    return {};
}

qint64 FilesToIndex(db::Connection &connection)
{
    if (!HasTextIndex(connection))
        return 0;
    return valueOf(connection, QStringLiteral("SELECT count(*) FROM fileprofile WHERE Inum > ?"),
                   {indexedUpTo(connection)});
}

bool IndexAddedFiles(db::Connection &connection, const std::function<bool(qint64)> &progress,
                     qint64 step)
{
    if (!HasTextIndex(connection) || !connection.Writable())
        return true;
    db::InTransaction(connection, [&] { return reindexChanged(connection); });
    qint64 done = 0;
    for (;;) {
        // Each step takes the write lock, so no desk adds a row between reading the mark and
        // moving it.
        const qint64 added =
                db::InTransaction(connection, [&] { return indexStep(connection, step); });
        if (added == 0)
            return true;
        done += added;
        if (progress && !progress(done))
            return false;
    }
}

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
    if (!connection.Writable())
        return;
    if (missing.isEmpty() && tables.isEmpty() && SchemaVersion(connection) >= kSchemaVersion) {
        numberAddedFiles(connection);
        return;
    }
    const QString script = schemaText();
    const int version = SchemaVersion(connection);
    const bool catalogue = holdsTable(connection, QStringLiteral("fileprofile"));
    const QList<QLatin1String> remade =
            catalogue ? indexesToRemake(version) : QList<QLatin1String>();
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
    dropIndexes(connection, remade);
    // The files' groups are numbered while no index carries the numbers and no trigger looks.
    // The text index first: the triggers made with the groups' ones read its tables.
    if (catalogue && version < kTextIndexIn && !HasTextIndex(connection))
        makeTextIndex(connection);
    if (catalogue && version < kGroupsNumberedIn) {
        NumberFileGroups(connection);
        makeTriggers(connection);
    }
    makeIndexes(connection, remade);
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

void KnowOwnTables()
{
    schemaText();
}

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
