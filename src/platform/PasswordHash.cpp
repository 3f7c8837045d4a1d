#include "platform/PasswordHash.h"

#include <sodium.h>

#include <stdexcept>

namespace {

const QString kHashPrefix = QStringLiteral("$argon2id$");
// At least 19 MiB and two passes, so that a stolen table is slow to guess through.
constexpr unsigned long long kOpsLimit = 2;
constexpr size_t kMemLimit = 19u * 1024u * 1024u;

void ensureSodium()
{
    static const bool ready = sodium_init() >= 0;
    if (!ready)
        throw std::runtime_error("The password library could not start.");
}

} // namespace

QString HashPassword(const QString &plain)
{
    ensureSodium();
    const QByteArray bytes = plain.toUtf8();
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(out, bytes.constData(), static_cast<unsigned long long>(bytes.size()),
                          kOpsLimit, kMemLimit)
        != 0)
        throw std::runtime_error("Out of memory while storing the password.");
    return QString::fromLatin1(out);
}

bool IsPasswordHash(const QString &stored)
{
    return stored.startsWith(kHashPrefix);
}

bool VerifyPasswordHash(const QString &stored, const QString &typed)
{
    if (!IsPasswordHash(stored))
        return false;
    ensureSodium();
    const QByteArray hash = stored.toLatin1();
    const QByteArray bytes = typed.toUtf8();
    return crypto_pwhash_str_verify(hash.constData(), bytes.constData(),
                                    static_cast<unsigned long long>(bytes.size()))
            == 0;
}
