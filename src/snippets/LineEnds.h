#pragma once

#include <QString>

// A text box holds its text as lines without their ends, so an edited text comes back with one
// kind of line end throughout. KeepLineEnds puts back the ends the text had when it was shown, so
// that a snippet changed by one letter is stored changed by that letter alone.

// edited (the box's text: any line ends, such as U+2029 between paragraphs) with the line ends of
// original wherever its lines come from original's: the lines both hold unchanged are matched
// (the longest common subsequence of lines), and a changed line between two matched ones keeps the
// end of the line it took the place of. A line the user added ends with the line end original uses
// most ("\n" when it has none).
// An edited text with the same lines as original gives original back unchanged.
QString KeepLineEnds(const QString &original, const QString &edited);
