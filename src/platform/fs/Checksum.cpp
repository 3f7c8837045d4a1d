#include "platform/fs/Checksum.h"

#include <QByteArray>
#include <QFile>

#include <sodium.h>

namespace fs {

FileSum SumOfFile(const QString &path, const std::function<bool()> &carryOn)
{
    // Picks the fastest implementation for this processor; harmless when done already.
    static const bool ready = sodium_init() >= 0;
    if (!ready)
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {};
    crypto_generichash_state state;
    crypto_generichash_init(&state, nullptr, 0, crypto_generichash_BYTES);
    QByteArray chunk(kSumChunk, Qt::Uninitialized);
    FileSum sum;
    for (bool first = true;; first = false) {
        if (!first && carryOn && !carryOn())
            return {};
        const qint64 got = file.read(chunk.data(), kSumChunk);
        if (got < 0)
            return {};
        if (got == 0)
            break;
        crypto_generichash_update(&state,
                                  reinterpret_cast<const unsigned char *>(chunk.constData()),
                                  static_cast<unsigned long long>(got));
        sum.bytes += got;
        if (got < kSumChunk)
            break; // the end: a file on disk is read short only there
    }
    unsigned char digest[crypto_generichash_BYTES];
    crypto_generichash_final(&state, digest, sizeof digest);
    sum.hex = QString::fromLatin1(
            QByteArray(reinterpret_cast<const char *>(digest), sizeof digest).toHex());
    return sum;
}

} // namespace fs
