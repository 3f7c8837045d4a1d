#include "catalogue/CatalogueSearch.h"

#include "app/CUtils.h"
#include "app/CreateDatabase.h"
#include "app/SettingKeys.h"
#include "catalogue/VolumeList.h"
#include "platform/Settings.h"
#include "platform/db/ConnectString.h"
#include "platform/db/Connection.h"
#include "platform/db/DbError.h"
#include "platform/db/Dialect.h"
#include "platform/db/Engine.h"
#include "platform/db/Recordset.h"
#include "platform/db/ShellPattern.h"
#include "platform/db/TextRows.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QHash>
#include <QIODevice>
#include <QTextStream>

#include <optional>

namespace catalogue {

namespace {

using Part = db::PatternPart;

// The LIKE pattern of a search: the text matching only itself (the layer's escape), and a
// pattern's parts, "*" and "?" made LIKE's "%" and "_"; a class, which LIKE has not, is any one
// character there, and shell_match then checks it.
QString likePattern(const QString &text, Match match, const QList<Part> &parts)
{
    if (match == Match::Prefix)
        return db::Engine::LikeEscape(text) + QLatin1Char('%');
    if (match == Match::Anywhere)
        return QLatin1Char('%') + db::Engine::LikeEscape(text) + QLatin1Char('%');
    QString pattern;
    for (const Part &part : parts)
        pattern += part.kind == Part::Kind::AnyRun ? QStringLiteral("%")
                : part.kind == Part::Kind::Literal
                ? db::Engine::LikeEscape(QString::fromUcs4(&part.character, 1))
                : QStringLiteral("_");
    return pattern;
}

// What the text index is asked for the rows that may match: every run of three characters of
// the text (of a pattern, of each run of its literal characters), each a quoted term, all of
// them together. The index answers from its own entries alone, so a row removed or changed
// since it took the row in is only read again, never wrongly left out or in. Empty when no
// run of three characters gives the index anything to look up.
QString indexQuery(const QString &text, Match match)
{
    QStringList terms;
    QList<uint> run;
    const auto endRun = [&] {
        for (qsizetype i = 0; i + 3 <= run.size(); ++i)
            terms << QLatin1Char('"')
                            + QString::fromUcs4(run.constData() + i, 3)
                                      .replace(QLatin1Char('"'), QStringLiteral("\"\""))
                            + QLatin1Char('"');
        run.clear();
    };
    if (match == Match::Pattern) {
        for (const Part &part : db::ParseShellPattern(text)) {
            if (part.kind == Part::Kind::Literal)
                run << part.character;
            else
                endRun();
        }
    } else {
        run = text.toUcs4();
    }
    endRun();
    terms.removeDuplicates();
    return terms.join(QLatin1Char(' '));
}

// The filter conditions and their values.
void addFilters(const Filters &filters, db::Select &select)
{
    if (filters.site != kAllSites)
        select.Where(QStringLiteral("Websitename = ?"), {filters.site});
    if (filters.group != kAllGroups)
        select.Where(QStringLiteral("GroupKey = (SELECT g.GroupKey FROM filegroups AS g "
                                    "WHERE g.FileGroup = ?)"),
                     {filters.group});
    if (!filters.volumes.isEmpty()) {
        QStringList marks;
        QVariantList ids;
        for (const qint64 id : filters.volumes) {
            marks << QStringLiteral("?");
            ids << id;
        }
        select.Where(QStringLiteral("VolumeId IN (%1)").arg(marks.join(QStringLiteral(", "))), ids);
    }
}

// The column a search looks in, and the one its matches are listed by.
const char *searchColumn(SearchMode mode)
{
    switch (mode) {
    case ByDescription:
        return "FileDesc";
    case BySiteName:
        return "Websitename";
    case ByPath:
        return "FilePath";
    case ByFileName:
        break;
    }
    return "FileName";
}

const char *orderColumn(SearchMode mode)
{
    return mode == ByDescription ? "FileDesc" : mode == ByPath ? "FilePath" : "FileName";
}

BrowserStatement searchOrderedBy(SearchMode mode, const QString &text, Match match,
                                 const Filters &filters, const QStringList &columns,
                                 const QStringList &order)
{
    const QList<Part> parts = match == Match::Pattern ? db::ParseShellPattern(text) : QList<Part>();
    auto statement = db::Select::From(QStringLiteral("FileProfile"), columns)
                             .Where(QString::fromLatin1(searchColumn(mode))
                                            + QStringLiteral(" Like ? ESCAPE '\\'"),
                                    {likePattern(text, match, parts)});
    if (db::HoldsClass(parts))
        statement.Where(QStringLiteral("shell_match(?, %1)").arg(QLatin1String(searchColumn(mode))),
                        {text});
    addFilters(filters, statement);
    for (const QString &term : order)
        statement.OrderBy(term);
    return statement;
}

const QString kFind = QStringLiteral("find");
const QString kField = QStringLiteral("field");
const QString kGroup = QStringLiteral("group");
const QString kSite = QStringLiteral("site");
const QString kVolume = QStringLiteral("volume");
const QString kDatabase = QStringLiteral("database");
const QString kNull = QStringLiteral("null");
const QString kContains = QStringLiteral("contains");
const QString kGlob = QStringLiteral("glob");

// The searched column by the name --field takes; nothing for an unknown name.
std::optional<SearchMode> modeNamed(const QString &name)
{
    if (name == QLatin1String("name"))
        return ByFileName;
    if (name == QLatin1String("description"))
        return ByDescription;
    if (name == QLatin1String("site"))
        return BySiteName;
    if (name == QLatin1String("path"))
        return ByPath;
    return std::nullopt;
}

} // namespace

QString CommandDatabasePath(const QCommandLineParser &parser)
{
    const QString path = parser.isSet(kDatabase) ? parser.value(kDatabase)
                                                 : settings::Get(SettingKey::Database, QString());
    if (path.isEmpty())
        throw CommandError{QStringLiteral("no database is set up; name one with --database PATH")};
    // Opening never makes a file, but says so only in the engine's words.
    if (!db::IsServerAddress(path) && !QFileInfo(path).isFile())
        throw CommandError{QStringLiteral("no database file at %1").arg(path)};
    return path;
}

namespace {

// The length of the well-formed UTF-8 sequence at text[at] and its code point in point; 0 when
// the bytes there are not one.
int utf8Sequence(QByteArrayView text, qsizetype at, char32_t &point)
{
    const auto byte = [&](qsizetype i) {
        return static_cast<uchar>(text[i]);
    };
    const uchar lead = byte(at);
    int length = 0;
    uchar low = 0x80; // the range of the second byte, narrowed against overlong forms,
    uchar high = 0xbf; // surrogates and points beyond U+10FFFF
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
        point = lead & 0x1f;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        point = lead & 0x0f;
        low = lead == 0xe0 ? 0xa0 : 0x80;
        high = lead == 0xed ? 0x9f : 0xbf;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        point = lead & 0x07;
        low = lead == 0xf0 ? 0x90 : 0x80;
        high = lead == 0xf4 ? 0x8f : 0xbf;
    } else {
        return 0;
    }
    if (at + length > text.size())
        return 0;
    for (int i = 1; i < length; ++i) {
        const uchar next = byte(at + i);
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xbf))
            return 0;
        point = (point << 6) | (next & 0x3f);
    }
    return length;
}

void appendHex(QByteArray &line, const char *prefix, char32_t value, int digits)
{
    static const char kDigits[] = "0123456789abcdef";
    line += prefix;
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        line += kDigits[(value >> shift) & 0xf];
}

} // namespace

// Runs without anything to escape are copied whole, as most values hold none.
void AppendEscaped(QByteArray &line, QByteArrayView text)
{
    qsizetype copied = 0;
    const auto escape = [&](qsizetype at, qsizetype length) {
        line.append(text.data() + copied, at - copied);
        copied = at + length;
    };
    for (qsizetype at = 0; at < text.size();) {
        const uchar c = static_cast<uchar>(text[at]);
        if (c >= 0x20 && c < 0x7f && c != '\\') {
            ++at;
            continue;
        }
        if (c < 0x80) {
            escape(at, 1);
            switch (c) {
            case '\\':
                line += "\\\\";
                break;
            case '\n':
                line += "\\n";
                break;
            case '\r':
                line += "\\r";
                break;
            case '\t':
                line += "\\t";
                break;
            default:
                appendHex(line, "\\x", c, 2);
            }
            ++at;
            continue;
        }
        char32_t point = 0;
        const int length = utf8Sequence(text, at, point);
        if (length == 0) {
            // A byte that is not UTF-8 is shown as the byte it is.
            escape(at, 1);
            appendHex(line, "\\x", c, 2);
            ++at;
        } else if (point <= 0x9f || point == 0x2028 || point == 0x2029) {
            escape(at, length);
            appendHex(line, "\\u", point, 4);
            at += length;
        } else {
            at += length;
        }
    }
    line.append(text.data() + copied, text.size() - copied);
}

namespace {

// The ids of the volumes known by name. Throws CommandError when there is none.
QList<qint64> volumesNamed(db::Connection &connection, const QString &name)
{
    QList<qint64> ids;
    if (KnowsVolumes(connection)) {
        for (const Volume &volume : VolumesNamed(connection, name))
            ids << volume.id;
    }
    if (ids.isEmpty())
        throw CommandError{QStringLiteral("no catalogued volume is named '%1'").arg(name)};
    return ids;
}

// Writes the matches as the engine reads them, so that a search matching most of a large
// catalogue holds one row in memory; returns how many there were. raw writes each field as it
// is stored and ends it with a NUL; otherwise each match is a line whose fields cannot end it,
// move the cursor or drive the terminal.
qint64 writeMatches(db::Connection &connection, const BrowserStatement &statement, bool raw,
                    QIODevice &out, QTextStream &err)
{
    QHash<QByteArray, QByteArray> volumeFields; // by the row's VolumeId as read
    for (const VolumeMark &mark : VolumeMarks(connection)) {
        QByteArray &fields = volumeFields[QByteArray::number(mark.id)];
        AppendEscaped(fields, mark.name.toUtf8());
        fields += mark.online ? "\tonline" : "\toffline";
    }
    QByteArray record;
    const auto writeRow = [&](std::span<const QByteArrayView> row) {
        record.clear();
        if (!raw) {
            AppendEscaped(record, row[0]);
            record += '\t';
            AppendEscaped(record, row[1]);
            record += '\t';
            const auto volume = volumeFields.constFind(row[2].toByteArray());
            record += volume != volumeFields.cend() ? *volume : QByteArray("\t");
            record += '\n';
        } else if (row[0].contains('\0') || row[1].contains('\0')) {
            // A NUL inside a field would split the record in two for every reader.
            QByteArray shown;
            AppendEscaped(shown, row[0]);
            err << "corvina: left out " << QString::fromUtf8(shown)
                << ": it holds a NUL, which --null cannot show\n";
            return;
        } else {
            record.append(row[0].data(), row[0].size()).append('\0');
            record.append(row[1].data(), row[1].size()).append('\0');
        }
        out.write(record);
    };
    const qint64 matches =
            db::ForEachTextRow(connection, statement.Text(), statement.values, writeRow);
    err.flush();
    return matches;
}

} // namespace

BrowserStatement FilterStatement(const Filters &filters)
{
    auto statement = db::Select::From(QStringLiteral("fileprofile"));
    addFilters(filters, statement);
    return statement;
}

Match AnywhereMatch(const QString &text)
{
    return text.contains(u'*') || text.contains(u'?') ? Match::Pattern : Match::Anywhere;
}

BrowserStatement SearchStatement(SearchMode mode, const QString &text, const Filters &filters,
                                 const QStringList &columns, Match match)
{
    return searchOrderedBy(mode, text, match, filters, columns,
                           {QString::fromLatin1(orderColumn(mode))});
}

BrowserStatement FindStatement(SearchMode mode, const QString &text, const Filters &filters,
                               Match match)
{
    return searchOrderedBy(
            mode, text, match, filters,
            {QStringLiteral("FilePath"), QStringLiteral("FileDesc"), QStringLiteral("VolumeId")},
            {QString::fromLatin1(orderColumn(mode)) + QStringLiteral(" COLLATE NOCASE"),
             QStringLiteral("FilePath")});
}

void NarrowByTextIndex(db::Connection &connection, SearchMode mode, const QString &text,
                       Match match, BrowserStatement &statement, qint64 few)
{
    const QString table = TextIndexOf(QString::fromLatin1(searchColumn(mode)));
    if (match == Match::Prefix || table.isEmpty() || !HasTextIndex(connection))
        return;
    const QString query = indexQuery(text, match);
    if (query.isEmpty())
        return;
    // Names come from the program, never from outside.
    const QString lookUp = QStringLiteral("SELECT rowid FROM %1 WHERE %1 MATCH ?").arg(table);
    db::Recordset found;
    found.Open(QStringLiteral("SELECT count(*) FROM (%1 LIMIT ?)").arg(lookUp), connection,
               {query, few});
    if (found.Fields(0).toLongLong() >= few)
        return;
    found.Close();
    // Without the table's indexes the engine looks the rows up by number and sorts them, rather
    // than reading a whole index in order for the few that match. Rows changed since the index
    // took them in, and rows added after them, are read as they are.
    statement.table += QStringLiteral(" NOT INDEXED");
    statement.Where(QStringLiteral("Inum IN (%1) OR Inum IN (SELECT Inum FROM textchanged) "
                                   "OR Inum > coalesce((SELECT UpTo FROM textmark), 0)")
                            .arg(lookUp),
                    {query});
}

void AddFindOptions(QCommandLineParser &parser)
{
    parser.addOption({kFind,
                      QStringLiteral("Print the full path, the description, the volume and "
                                     "\"online\" or \"offline\" of each catalogued file whose "
                                     "name (or --field) begins with <text>, a line each with a "
                                     "tab between them; exit status 1 when none does. In them a "
                                     "backslash is written \\\\, a line feed "
                                     "\\n, a carriage return \\r, a tab \\t, other control "
                                     "characters and bytes that are not UTF-8 \\xHH, C1 controls "
                                     "and the line and paragraph separators \\uHHHH."),
                      QStringLiteral("text")});
    parser.addOption({kContains,
                      QStringLiteral("With --find: match <text> anywhere in the field, not only "
                                     "at its start.")});
    parser.addOption({kGlob,
                      QStringLiteral("Instead of --find: print the files whose name (or --field) "
                                     "is matched by the shell pattern <pattern> as a whole, "
                                     "without regard to case: * stands for any run of "
                                     "characters, ? for any one, [...] for one of those "
                                     "listed (a-z a range, ! first for any other)."),
                      QStringLiteral("pattern")});
    parser.addOption({kField,
                      QStringLiteral("With --find and --glob: the field searched, name (the "
                                     "default), description, site or path (the full path)."),
                      QStringLiteral("field")});
    parser.addOption({kGroup,
                      QStringLiteral("With --find: only files of the group <name>. With --scan "
                                     "and --rescan: the group of the files added."),
                      QStringLiteral("name")});
    parser.addOption({kSite, QStringLiteral("With --find: only files of the web site <name>."),
                      QStringLiteral("name")});
    parser.addOption({kVolume,
                      QStringLiteral("With --find: only files read from the volume <name> (the "
                                     "name it was given in the program, its label, UUID or "
                                     "device)."),
                      QStringLiteral("name")});
    parser.addOption({kDatabase,
                      QStringLiteral("With --find, --scan and --rescan: use the database file at "
                                     "<path> instead of the one the program is set up with."),
                      QStringLiteral("path")});
    parser.addOption({{QStringLiteral("0"), kNull},
                      QStringLiteral("With --find: print each match as its full path, a NUL, its "
                                     "description and a NUL, both as stored, nothing escaped "
                                     "(two NUL-ended fields per match, as find -print0 ends "
                                     "names). A match with a NUL in a field is left out and "
                                     "named on the error stream.")});
}

int RunReported(QTextStream &err, const std::function<int()> &command)
{
    try {
        const int status = command();
        err.flush();
        return status;
    } catch (const CommandError &error) {
        err << "corvina: " << error.message << '\n';
    } catch (const db::DbError &error) {
        err << "corvina: " << error.description() << '\n';
    } catch (const std::exception &error) {
        err << "corvina: " << QString::fromUtf8(error.what()) << '\n';
    }
    err.flush();
    return 2;
}

int RunFind(const QStringList &arguments, QIODevice &out, QTextStream &err)
{
    return RunReported(err, [&] {
        QCommandLineParser parser;
        AddFindOptions(parser);
        if (!parser.parse(arguments))
            throw CommandError{parser.errorText()};
        if (parser.isSet(kFind) == parser.isSet(kGlob))
            throw CommandError{QStringLiteral("name a text with --find or a pattern with --glob")};
        if (parser.isSet(kContains) && !parser.isSet(kFind))
            throw CommandError{QStringLiteral("--contains goes with --find")};
        if (!parser.positionalArguments().isEmpty())
            throw CommandError{QStringLiteral("unexpected argument '%1'")
                                       .arg(parser.positionalArguments().constFirst())};
        const QString field = parser.isSet(kField) ? parser.value(kField) : QStringLiteral("name");
        const std::optional<SearchMode> mode = modeNamed(field);
        if (!mode)
            throw CommandError{
                    QStringLiteral("unknown field '%1'; use name, description, site or path")
                            .arg(field)};
        db::Connection connection;
        connection.Open(db::ConnectStringFor(CommandDatabasePath(parser)));
        Filters filters;
        if (parser.isSet(kGroup)) {
            // The group filter reads the groups' numbers, which an older file gains here.
            UpgradeDatabase(connection);
            filters.group = parser.value(kGroup);
        }
        if (parser.isSet(kSite))
            filters.site = parser.value(kSite);
        if (parser.isSet(kVolume))
            filters.volumes = volumesNamed(connection, parser.value(kVolume));
        // Like the browser's search box, the text is taken without its outer spaces.
        // A pattern is taken as given: its blanks are part of the names it matches.
        const Match match = parser.isSet(kGlob) ? Match::Pattern
                : parser.isSet(kContains)       ? Match::Anywhere
                                                : Match::Prefix;
        const QString text = parser.isSet(kGlob) ? parser.value(kGlob) : Trim(parser.value(kFind));
        BrowserStatement statement = FindStatement(*mode, text, filters, match);
        NarrowByTextIndex(connection, *mode, text, match, statement, kFewToSortFound);
        if (!KnowsVolumes(connection))
            statement.columns.last() = QStringLiteral("NULL");
        return writeMatches(connection, statement, parser.isSet(kNull), out, err) > 0 ? 0 : 1;
    });
}

} // namespace catalogue
