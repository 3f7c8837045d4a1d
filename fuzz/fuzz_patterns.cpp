// File patterns: the wildcard match agrees with a plain dynamic-programming matcher on every
// name and mask, a pattern list matches when one of its masks does, and a pattern the patterns
// window accepts matches the names it was written for. The catalogue's shell patterns (with
// classes) agree with the same kind of matcher over their parts.

#include "Check.h"
#include "catalogue/FilePanel.h"
#include "catalogue/Patterns.h"
#include "platform/db/ShellPattern.h"
#include "platform/fs/Walker.h"

#include <vector>

namespace {

qsizetype characterLength(const QString &name, qsizetype at)
{
    return name[at].isHighSurrogate() && at + 1 < name.size() && name[at + 1].isLowSurrogate() ? 2
                                                                                               : 1;
}

bool sameUnit(QChar a, QChar b, Qt::CaseSensitivity cs)
{
    return a == b || (cs == Qt::CaseInsensitive && a.toCaseFolded() == b.toCaseFolded());
}

// fits[n][m]: name from n on fits mask from m on. '*' takes any run of whole characters, '?'
// one character (a surrogate pair counts as one), anything else one equal code unit.
bool referenceMatch(const QString &name, const QString &mask, Qt::CaseSensitivity cs)
{
    if (mask.isEmpty() || mask == QLatin1String("*.*"))
        return true;
    const qsizetype names = name.size();
    const qsizetype masks = mask.size();
    std::vector<std::vector<char>> fits(names + 1, std::vector<char>(masks + 1, 0));
    fits[names][masks] = 1;
    for (qsizetype n = names; n >= 0; --n) {
        for (qsizetype m = masks - 1; m >= 0; --m) {
            const qsizetype step = n < names ? characterLength(name, n) : 0;
            if (mask[m] == u'*')
                fits[n][m] = fits[n][m + 1] || (n < names && fits[n + step][m]);
            else if (mask[m] == u'?')
                fits[n][m] = n < names && fits[n + step][m + 1];
            else
                fits[n][m] = n < names && sameUnit(mask[m], name[n], cs) && fits[n + 1][m + 1];
        }
    }
    return fits[0][0];
}

bool referencePattern(const QString &name, const QString &pattern)
{
    bool anyMask = false;
    for (const QString &part : pattern.split(u';')) {
        const QString mask = part.trimmed();
        if (mask.isEmpty())
            continue;
        anyMask = true;
        if (mask == u"*" || referenceMatch(name, mask, Qt::CaseInsensitive))
            return true;
    }
    return !anyMask;
}

// A name written for a pattern: its wildcards filled in with plain letters.
QString nameFor(const QString &mask)
{
    QString name = mask;
    name.replace(u'*', u'a').replace(u'?', u'b');
    return name;
}

char32_t asciiFolded(char32_t c)
{
    return c >= U'A' && c <= U'Z' ? c + (U'a' - U'A') : c;
}

bool fitsOne(const db::PatternPart &part, char32_t c)
{
    using Kind = db::PatternPart::Kind;
    if (part.kind == Kind::AnyOne)
        return true;
    if (part.kind == Kind::Literal)
        return asciiFolded(part.character) == asciiFolded(c);
    bool listed = false;
    for (const auto &[low, high] : part.ranges)
        if (asciiFolded(c) >= low && asciiFolded(c) <= high)
            listed = true;
    return listed != part.negated;
}

// fits[n][p]: the value's characters from n on fit the parts from p on.
bool referenceShellMatch(const QString &value, const QList<db::PatternPart> &parts)
{
    const QList<uint> chars = value.toUcs4();
    const qsizetype n = chars.size();
    const qsizetype m = parts.size();
    std::vector<std::vector<char>> fits(n + 1, std::vector<char>(m + 1, 0));
    fits[n][m] = 1;
    for (qsizetype i = n; i >= 0; --i)
        for (qsizetype p = m - 1; p >= 0; --p)
            fits[i][p] = parts[p].kind == db::PatternPart::Kind::AnyRun
                    ? fits[i][p + 1] || (i < n && fits[i + 1][p])
                    : i < n && fitsOne(parts[p], chars[i]) && fits[i + 1][p + 1];
    return fits[0][0];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const QString mask = TakeText(input, 48);
    const QString name = TakeText(input, 96);
    const QString shown = Shown(name) + QStringLiteral(" against ") + Shown(mask);

    for (const Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        FUZZ_CHECK(fs::MatchesWildcard(name, mask, cs) == referenceMatch(name, mask, cs),
                   shown + (cs == Qt::CaseSensitive ? QStringLiteral(" (case)") : QString()));
    }
    FUZZ_CHECK(MatchesPattern(name, mask) == referencePattern(name, mask), shown);
    const QList<db::PatternPart> parts = db::ParseShellPattern(mask);
    FUZZ_CHECK(db::MatchesShellPattern(name, parts) == referenceShellMatch(name, parts),
               shown + QStringLiteral(" (shell)"));

    if (IsValidPattern(mask)) {
        FUZZ_CHECK(mask.startsWith(QLatin1String("*.")), Shown(mask));
        for (const QString &part : mask.split(u';', Qt::SkipEmptyParts)) {
            if (part.trimmed().isEmpty())
                continue;
            const QString written = nameFor(part.trimmed());
            FUZZ_CHECK(MatchesPattern(written, mask),
                       Shown(written) + QStringLiteral(" against ") + Shown(mask));
        }
    } else {
        FUZZ_CHECK(!mask.startsWith(QLatin1String("*.")), Shown(mask));
    }
    return 0;
}
