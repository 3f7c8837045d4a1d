#include "catalogue/FileGroups.h"

#include "app/CreateDatabase.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "platform/db/Transaction.h"
#include "platform/ui/Progress.h"

#include <QElapsedTimer>
#include <QThread>
#include <QVariant>

#include <algorithm>
#include <optional>

namespace catalogue {

namespace {

// A step of CarryGroupNames aims at a quarter of a second, as the engine and the machine allow:
// a file rewrites neighbouring rows of its table and no index (none takes the name), so it takes
// large steps; a server writes each changed row anew with an entry in every index, and takes
// small ones. The first step is small, the next larger or smaller as the last one went.
constexpr int kFirstStep = 5'000;
constexpr int kLeastStep = 500;
constexpr int kLargestStep = 20'000;
constexpr qint64 kStepAim = 250; // ms
constexpr unsigned long kBetweenSteps = 10; // ms

int nextStep(int step, qint64 took)
{
    if (took < kStepAim / 2)
        return std::min(step * 2, kLargestStep);
    if (took > kStepAim * 2)
        return std::max(step / 2, kLeastStep);
    return step;
}

QVariant numberOf(db::Connection &connection, const QString &group)
{
    db::Recordset row;
    row.Open(QStringLiteral("SELECT GroupKey FROM filegroups WHERE FileGroup = ?"), connection,
             {group});
    return row.AtEnd() ? QVariant() : row.Fields(0);
}

qint64 filesOf(db::Connection &connection, const QVariant &group)
{
    db::Recordset count;
    count.Open(QStringLiteral("SELECT count(*) FROM fileprofile WHERE GroupKey = ?"), connection,
               {group});
    return count.Fields(0).toLongLong();
}

// The row number of the rows-th of group's files after row after; null when fewer are left. The
// order is that of the group's index, which then answers it alone.
QVariant stepEnd(db::Connection &connection, const QVariant &group, qint64 after, int rows)
{
    db::Recordset end;
    end.Open(QStringLiteral("SELECT Inum FROM fileprofile WHERE GroupKey = ? AND Inum > ? "
                            "ORDER BY GroupKey, Inum LIMIT 1 OFFSET ?"),
             connection, {group, after, rows - 1});
    return end.AtEnd() ? QVariant() : end.Fields(0);
}

// The first and the last row of group's files (nulls when it has none).
std::pair<QVariant, QVariant> rowsOf(db::Connection &connection, const QVariant &group)
{
    db::Recordset ends;
    ends.Open(QStringLiteral("SELECT min(Inum), max(Inum) FROM fileprofile WHERE GroupKey = ?"),
              connection, {group});
    return {ends.Fields(0), ends.Fields(1)};
}

// One step: the name as the group's number bears it now, should another desk rename it again.
qint64 carryStep(db::Connection &connection, const QVariant &group, qint64 after, qint64 last)
{
    // A server's trigger would look up, row by row, the number each row keeps.
    db::MarkTransaction(connection, QStringLiteral("carrying_names"));
    return connection.Execute(
            QStringLiteral("UPDATE fileprofile SET FileGroup = (SELECT g.FileGroup "
                           "FROM filegroups AS g WHERE g.GroupKey = ?) WHERE "
                           "GroupKey = ? AND Inum > ? AND Inum <= ?"),
            {group, group, after, last});
}

// False when stepped asked to stop before the group's files were all carried.
bool carryGroup(db::Connection &connection, const QVariant &group, const QVariant &name,
                const std::function<bool(qint64)> &stepped, qint64 &carried)
{
    const auto [first, last] = rowsOf(connection, group);
    qint64 after = first.isNull() ? 0 : first.toLongLong() - 1;
    int rows = kFirstStep;
    while (!last.isNull() && after < last.toLongLong()) {
        QElapsedTimer took;
        took.start();
        db::Transaction transaction(connection);
        const QVariant end = stepEnd(connection, group, after, rows);
        const qint64 upTo = end.isNull() ? last.toLongLong() : end.toLongLong();
        carried += carryStep(connection, group, after, upTo);
        transaction.Commit();
        db::WriteBackLog(connection);
        // The desks waiting to write get in before the next step.
        QThread::msleep(kBetweenSteps);
        after = upTo;
        rows = nextStep(rows, took.elapsed());
        if (after < last.toLongLong() && stepped && !stepped(carried))
            return false;
    }
    // Done, unless the group was renamed meanwhile: then its own carry finishes.
    connection.Execute(QStringLiteral("UPDATE filegroups SET Carrying = NULL WHERE GroupKey = ? "
                                      "AND FileGroup = ?"),
                       {group, name});
    return true;
}

} // namespace

QStringList GroupsInUse(db::Connection &connection)
{
    db::Recordset rows;
    rows.Open(QStringLiteral("SELECT g.FileGroup FROM filegroups AS g WHERE EXISTS (SELECT 1 "
                             "FROM fileprofile AS f WHERE f.GroupKey = g.GroupKey) "
                             "ORDER BY g.FileGroup"),
              connection);
    QStringList names;
    for (; !rows.AtEnd(); rows.MoveNext())
        names << rows.Fields(0).toString();
    return names;
}

void NumberGroup(db::Connection &connection, const QString &name)
{
    connection.Execute(QStringLiteral("INSERT INTO filegroups (FileGroup) VALUES (?) "
                                      "ON CONFLICT (FileGroup) DO NOTHING"),
                       {name});
}

void NumberStagedGroups(db::Connection &connection)
{
    // Rows staged by "Add Folder..." have their number already; a row typed in, or edited, may
    // have none, or that of the name it had.
    const QString staging = QStringLiteral("tempfile");
    NumberGroupsOf(
            connection, staging,
            QStringLiteral("(GroupKey IS NULL AND FileGroup IS NOT NULL) OR GroupKey IS NOT ")
                    + GroupNumberOf(staging));
}

void MoveFileGroup(db::Connection &connection, const QString &from, const QString &to)
{
    const QVariant source = numberOf(connection, from);
    if (source.isNull() || from == to)
        return;
    const QVariant target = numberOf(connection, to);
    if (!target.isNull()) {
        // Into a group that has files already: the files of the smaller of the two change
        // their number, in every index that carries it (the layer builds those again when the
        // files are a large share), and the larger keeps its own under the name to.
        if (filesOf(connection, source) <= filesOf(connection, target)) {
            db::RewriteColumn(connection, QStringLiteral("fileprofile"), QStringLiteral("GroupKey"),
                              source,
                              QStringLiteral("UPDATE fileprofile SET GroupKey = ?, FileGroup = ? "
                                             "WHERE GroupKey = ?"),
                              {target, to, source});
            connection.Execute(QStringLiteral("DELETE FROM filegroups WHERE GroupKey = ?"),
                               {source});
            return;
        }
        connection.Execute(QStringLiteral("DELETE FROM filegroups WHERE GroupKey = ?"), {target});
    }
    connection.Execute(QStringLiteral("UPDATE filegroups SET FileGroup = ?, Carrying = 1 "
                                      "WHERE GroupKey = ?"),
                       {to, source});
    // The files of to, if any, take the number that now bears their name.
    if (!target.isNull())
        db::RewriteColumn(connection, QStringLiteral("fileprofile"), QStringLiteral("GroupKey"),
                          target,
                          QStringLiteral("UPDATE fileprofile SET GroupKey = ? WHERE GroupKey = ?"),
                          {source, target});
}

void CarryGroupNames(db::Connection &connection, const std::function<bool(qint64)> &stepped)
{
    if (!connection.Writable())
        return;
    db::Recordset carrying;
    carrying.Open(QStringLiteral("SELECT GroupKey, FileGroup FROM filegroups WHERE Carrying = 1 "
                                 "ORDER BY GroupKey"),
                  connection);
    QList<std::pair<QVariant, QVariant>> groups;
    for (; !carrying.AtEnd(); carrying.MoveNext())
        groups.append({carrying.Fields(0), carrying.Fields(1)});
    carrying.Close();
    qint64 carried = 0;
    for (const auto &[group, name] : groups)
        if (!carryGroup(connection, group, name, stepped, carried))
            return;
}

void CarryGroupNamesShown(db::Connection &connection, QWidget *owner)
{
    std::optional<ProgressBox> box;
    CarryGroupNames(connection, [&](qint64 carried) {
        if (!box)
            box.emplace(QStringLiteral("File Groups"), QString(), owner);
        box->Update(carried,
                    QStringLiteral(
                            "Giving the files the group's new name: %L1 done.\nCancel leaves the "
                            "rest for the next opening of the groups or the catalogue.")
                            .arg(carried));
        return !box->Cancelled();
    });
}

} // namespace catalogue
