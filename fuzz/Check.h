#pragma once

// What the fuzz targets share: reading texts out of the fuzzer's bytes and stopping on a broken
// property, so that libFuzzer keeps the input that broke it.

#include <fuzzer/FuzzedDataProvider.h>

#include <QString>

#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void Broken(const char *property, const QString &detail)
{
    std::fprintf(stderr, "broken: %s\n%s\n", property, qUtf8Printable(detail));
    std::abort();
}

#define FUZZ_CHECK(property, detail) \
    do { \
        if (!(property)) \
            Broken(#property, detail); \
    } while (0)

// A text of at most maxBytes bytes of UTF-8: bytes that do not read turn into U+FFFD, so the
// text is always well-formed, as texts from the database, the settings or a file read are.
inline QString TakeText(FuzzedDataProvider &input, size_t maxBytes)
{
    return QString::fromStdString(input.ConsumeRandomLengthString(maxBytes));
}

inline QString RestAsText(FuzzedDataProvider &input)
{
    return QString::fromStdString(input.ConsumeRemainingBytesAsString());
}

// A printable form of a text for the report of a broken property.
inline QString Shown(const QString &text)
{
    QString shown;
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return QLatin1Char('[') + shown + QLatin1Char(']');
}
