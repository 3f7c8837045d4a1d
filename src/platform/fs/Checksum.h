#pragma once

#include <QString>

#include <functional>

namespace fs {

// A file's contents summed: the BLAKE2b digest of its bytes (32 bytes, as 64 lowercase hex
// digits) and how many bytes were read for it.
struct FileSum
{
    QString hex; // null when the file could not be read through, or the reading was stopped
    qint64 bytes = 0;
    bool read() const { return !hex.isNull(); }
};

// Bytes read at a time, and between two looks at the caller's carryOn.
constexpr qint64 kSumChunk = qint64(1) << 20;

// Reads the file a chunk at a time, so a large file needs no more memory than a small one.
// carryOn is asked before every chunk after the first; false stops the reading, and the file
// then has no sum.
FileSum SumOfFile(const QString &path, const std::function<bool()> &carryOn = {});

} // namespace fs
