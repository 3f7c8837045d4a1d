#pragma once

#include "app/FilterNames.h"
#include "platform/db/Select.h"

#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>

namespace db {
class Connection;
}

class QCommandLineParser;
class QIODevice;
class QTextStream;

// A statement of the catalogue, built as its parts with its bound values.
using BrowserStatement = db::Select;

// How the catalogue is searched, wherever it is searched from: the browser's grid as the user
// types and `corvina --find` on a terminal build their statements here, so both match alike.
namespace catalogue {

// The searched column: file name, description or web site name, or (from a terminal) the path.
enum SearchMode { ByFileName = 1, ByDescription = 2, BySiteName = 3, ByPath = 4 };

// How a search matches its text, without regard to case: at the start of the searched value (as
// the browser searches while the user types), anywhere in it, or as a shell pattern over the
// whole value: "*" any run of characters, "?" any one, "[...]" one of those listed, every other
// character as itself (see db::ParseShellPattern).
enum class Match { Prefix, Anywhere, Pattern };
// The match for a text to be found anywhere: a pattern when it holds "*" or "?".
Match AnywhereMatch(const QString &text);

// The filter values that filter nothing.
using ::kAllGroups;
inline const QString kAllSites = QStringLiteral("[All Sites]");
inline const QString kAllVolumes = QStringLiteral("[All Volumes]");

// What the catalogue is narrowed to: a group, a web site and the volumes its rows were read
// from.
struct Filters
{
    QString group = kAllGroups;
    QString site = kAllSites;
    // Rows of any of these volumes (volumes.VolumeId); every row when empty.
    QList<qint64> volumes;
};

// The catalogue narrowed by the filters, and a search within them. The search matches values
// as match says, whatever characters the text holds. columns is the select list.
BrowserStatement FilterStatement(const Filters &filters);
BrowserStatement SearchStatement(SearchMode mode, const QString &text, const Filters &filters,
                                 const QStringList &columns = {QStringLiteral("*")},
                                 Match match = Match::Prefix);
// The same search for a terminal: path, description and volume of each match, listed by the
// searched name (without regard to case) and then by path, as an index delivers them.
BrowserStatement FindStatement(SearchMode mode, const QString &text, const Filters &filters,
                               Match match = Match::Prefix);

// A search anywhere or by a pattern through a database file's text index, which finds the rows
// that may match: when fewer than few, the statement reads just those (and the rows added after
// the index's last rows) and sorts them; when more, it is left to read the catalogue in its
// order until enough match, as it does without the index. A server's trigram indexes serve the
// statement as it is. Throws db::DbError.
void NarrowByTextIndex(db::Connection &connection, SearchMode mode, const QString &text,
                       Match match, BrowserStatement &statement, qint64 few);
// What the browser's grid and a terminal's search take as few rows to sort.
inline constexpr qint64 kFewToSortShown = 2000;
inline constexpr qint64 kFewToSortFound = 20000;

// The options of `corvina --find`, for the program's own parser and its help; --group and
// --database serve `--scan` and `--rescan` too.
void AddFindOptions(QCommandLineParser &parser);

// Thrown for a command line or a setup that a command on a terminal cannot run with.
struct CommandError
{
    QString message;
};
// Runs a terminal command and returns its exit status; a CommandError, a database error or any
// other failure is written to err as "corvina: " and its words, and the status is then 2.
int RunReported(QTextStream &err, const std::function<int()> &command);
// The database named by --database, or else the one the program is set up with. Throws
// CommandError when there is none.
QString CommandDatabasePath(const QCommandLineParser &parser);
// Appends a stored value to a terminal's line so that it can neither end the line nor drive the
// terminal: a backslash as \\, a line feed \n, a carriage return \r, a tab \t, other control
// characters and bytes that are not UTF-8 as \xHH, C1 controls and the line and paragraph
// separators as \uHHHH.
void AppendEscaped(QByteArray &line, QByteArrayView text);

// `corvina --find TEXT [--contains] | --glob PATTERN [--field name|description|site|path]
// [--group NAME] [--site NAME] [--volume NAME] [--database PATH] [-0|--null]`: writes the full
// path, the description, the volume's name and "online" or "offline" (both empty for a row of no
// known volume), a tab between them, of each match to out, a line each, with backslashes and
// control characters in them escaped (so a stored value can neither forge a line nor drive a
// terminal); with --null the path and description as stored, each ended by a NUL, instead.
// arguments are the program's, its name first. Returns 0 when something matched, 1 when nothing
// did, 2 on an error, with its message on err.
int RunFind(const QStringList &arguments, QIODevice &out, QTextStream &err);

} // namespace catalogue
