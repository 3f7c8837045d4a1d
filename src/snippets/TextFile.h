#pragma once

#include <QString>

// The largest file that is loaded into a snippet's code or notes.
constexpr qint64 kLargestTextFile = 4 * 1024 * 1024;

// A file read as text for a snippet: its text, or why it was not taken.
struct TextFile
{
    enum Outcome { Read, NotText, TooLarge, Unreadable };
    Outcome outcome = Unreadable;
    QString text;
    // The system's description when the file could not be read.
    QString error;
};

// Reads a text file: UTF-8, or UTF-16 / UTF-32 with a byte order mark, or else Latin-1. A file
// holding a NUL or other control characters that text files do not hold is not text; a file
// larger than kLargestTextFile is not read at all.
TextFile ReadTextFile(const QString &path);
// The same test on bytes already read.
TextFile DecodeText(const QByteArray &bytes);
