#pragma once

#include <QtGlobal>

namespace db {

// The engine spills what a statement sorts, gathers or keeps apart into temporary files. Those
// files of all connections together may hold twice the largest database file open (and its
// largest write-ahead journal, which holds the pages written since the last checkpoint), plus a
// floor; a write beyond that fails the statement with the engine's "database or disk is full".
// A statement over the program's own tables never needs more (a sort holds each row once), and
// one that makes rows from nothing, as a recursive query can, stops there instead of filling
// the disk. Installs the engine's file layer that keeps the count, once, before any file opens.
void BoundTemporarySpace();

// The floor, 64 MB unless set (a test sets a smaller one, so that it need not write as much).
void SetTemporarySpaceFloor(qint64 bytes);
qint64 TemporarySpaceFloor();

// True when a temporary file was refused room since the last call; the call clears it.
bool TemporarySpaceRanOut();

} // namespace db
