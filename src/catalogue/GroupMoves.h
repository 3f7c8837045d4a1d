#pragma once

#include <QString>

namespace db {
class Connection;
}

// A group renamed or deleted carries its files and snippets to the new group (a deleted one's to
// "<blank>"). A group may hold most of a catalogue, and one transaction over 500,000 files kept
// every other desk from saving for seconds; the files are carried in steps instead, each a short
// transaction of its own, with a record of the move (table groupmoves) until it is done. Every
// function throws db::DbError.
namespace catalogue {

// The files one step carries.
inline constexpr int kGroupMoveStep = 20000;

// Within the caller's transaction: the snippets of from and its first files go to to, and when
// files may remain, the move is recorded. A group of few files thus moves all or nothing with
// the caller's change of the group's own row.
void BeginGroupMove(db::Connection &connection, const QString &from, const QString &to,
                    int step = kGroupMoveStep);

// Carries on every recorded move, oldest first, a step at a time, and removes each record once
// its files are carried; what was carried stays carried if a step fails. A move that a program
// ended before finishing is so finished by the next one to call this. Nothing to do on a
// database that may only be read, or one made before moves were recorded.
void FinishGroupMoves(db::Connection &connection, int step = kGroupMoveStep);

} // namespace catalogue
