#include "catalogue/GroupMoves.h"

#include "app/CUtils.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/db/Recordset.h"
#include "platform/db/Transaction.h"

namespace catalogue {

namespace {

// A step of a move: the next files of from, found by the group's index.
qint64 carryStep(db::Connection &connection, const QString &from, const QString &to, int step)
{
    return connection.Execute(QStringLiteral("UPDATE fileprofile SET FileGroup = ? WHERE Inum IN "
                                             "(SELECT Inum FROM fileprofile WHERE FileGroup = ? "
                                             "LIMIT %1)")
                                      .arg(step),
                              {to, from});
}

bool recordsMoves(db::Connection &connection)
{
    return !db::ColumnsOf(connection, QStringLiteral("groupmoves")).isEmpty();
}

struct Move
{
    qint64 id = 0;
    QString from;
    QString to;
};

// The oldest recorded move; an id of 0 when none is left.
Move oldestMove(db::Connection &connection)
{
    db::Recordset rows;
    rows.Open(QStringLiteral("SELECT MoveId, FromGroup, ToGroup FROM groupmoves ORDER BY MoveId"),
              connection);
    if (rows.AtEnd())
        return {};
    return {rows.Fields(0).toLongLong(), TextOf(rows.Fields(1)), TextOf(rows.Fields(2))};
}

} // namespace

void BeginGroupMove(db::Connection &connection, const QString &from, const QString &to, int step)
{
    connection.Execute(QStringLiteral("UPDATE source SET codetype = ? WHERE codetype = ?"),
                       {to, from});
    if (carryStep(connection, from, to, step) == step && recordsMoves(connection))
        connection.Execute(
                QStringLiteral("INSERT INTO groupmoves (FromGroup, ToGroup) VALUES (?, ?)"),
                {from, to});
}

void FinishGroupMoves(db::Connection &connection, int step)
{
    if (!connection.Writable() || !recordsMoves(connection))
        return;
    for (Move move = oldestMove(connection); move.id != 0; move = oldestMove(connection)) {
        for (bool done = false; !done;) {
            db::Transaction transaction(connection);
            done = carryStep(connection, move.from, move.to, step) < step;
            if (done)
                connection.Execute(QStringLiteral("DELETE FROM groupmoves WHERE MoveId = ?"),
                                   {move.id});
            transaction.Commit();
        }
    }
}

} // namespace catalogue
