#pragma once

#include <QStringList>

class QCommandLineParser;
class QIODevice;
class QTextStream;

// Cataloguing folders and keeping them in step from a terminal, without a display: for a
// timer or a script, and safe while the program is open at other desks (each write is a short
// transaction, and one that meets another desk's lock waits for it as the windows do).
namespace catalogue {

// The options of `corvina --scan` and `corvina --rescan`, besides --group and --database, which
// AddFindOptions gives.
void AddScanOptions(QCommandLineParser &parser);

// `corvina --scan DIR [--group NAME] [--checksums] [--database PATH]`: catalogues every file
// below DIR straight into the catalogue, as "Add Folder..." and "Save Records to Master Table"
// would (a path catalogued already is left as it is), and records DIR's volume and the folder
// among its catalogued folders. Writes what it catalogued to out. arguments are the program's,
// its name first. Returns 0, or 2 on an error with its message on err.
int RunScan(const QStringList &arguments, QIODevice &out, QTextStream &err);

// `corvina --rescan DIR|VOLUME [--apply] [--remove-missing] [--checksums] [--group NAME]
// [--database PATH]`: compares the catalogued folder DIR, or every catalogued folder of the
// volume of that label, UUID or device, with the disk, and writes each difference to out as a
// line: "+ path" added, "~ path" changed, "- path" removed, "> old -> new" moved (paths
// escaped as --find escapes them). With --apply the differences are applied, removals only
// with --remove-missing; files added get the group of --group. Returns 0 when the catalogue
// was in step, 1 when there were differences, 2 on an error with its message on err.
int RunRescan(const QStringList &arguments, QIODevice &out, QTextStream &err);

} // namespace catalogue
