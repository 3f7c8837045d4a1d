#include "platform/db/ShellPattern.h"

#include <optional>

namespace db {

namespace {

char32_t folded(char32_t c)
{
    return c >= U'A' && c <= U'Z' ? c - U'A' + U'a' : c;
}

// The class that begins at "[" at from, and where it ends (after its "]"); nothing when the
// "[" has no "]".
std::optional<std::pair<PatternPart, qsizetype>> classAt(const QList<uint> &chars, qsizetype from)
{
    PatternPart part;
    part.kind = PatternPart::Kind::Class;
    qsizetype i = from + 1;
    if (i < chars.size() && (chars[i] == U'!' || chars[i] == U'^')) {
        part.negated = true;
        ++i;
    }
    const qsizetype first = i;
    for (; i < chars.size(); ++i) {
        if (chars[i] == U']' && i > first)
            return std::make_pair(part, i + 1);
        if (i + 2 < chars.size() && chars[i + 1] == U'-' && chars[i + 2] != U']') {
            part.ranges.append({folded(chars[i]), folded(chars[i + 2])});
            i += 2;
        } else {
            part.ranges.append({folded(chars[i]), folded(chars[i])});
        }
    }
    return std::nullopt;
}

bool inClass(const PatternPart &part, char32_t c)
{
    const char32_t f = folded(c);
    bool listed = false;
    for (const auto &[low, high] : part.ranges)
        listed = listed || (f >= low && f <= high);
    return listed != part.negated;
}

bool matchesOne(const PatternPart &part, char32_t c)
{
    switch (part.kind) {
    case PatternPart::Kind::AnyOne:
        return true;
    case PatternPart::Kind::Class:
        return inClass(part, c);
    case PatternPart::Kind::Literal:
        return folded(part.character) == folded(c);
    case PatternPart::Kind::AnyRun:
        break;
    }
    return false;
}

} // namespace

QList<PatternPart> ParseShellPattern(QStringView pattern)
{
    const QList<uint> chars = pattern.toUcs4();
    QList<PatternPart> parts;
    for (qsizetype i = 0; i < chars.size();) {
        PatternPart part;
        if (chars[i] == U'*') {
            part.kind = PatternPart::Kind::AnyRun;
        } else if (chars[i] == U'?') {
            part.kind = PatternPart::Kind::AnyOne;
        } else if (chars[i] == U'[') {
            if (const auto found = classAt(chars, i)) {
                parts << found->first;
                i = found->second;
                continue;
            }
            part.character = chars[i];
        } else {
            part.character = chars[i];
        }
        parts << part;
        ++i;
    }
    return parts;
}

bool HoldsClass(const QList<PatternPart> &parts)
{
    for (const PatternPart &part : parts)
        if (part.kind == PatternPart::Kind::Class)
            return true;
    return false;
}

bool MatchesShellPattern(QStringView value, const QList<PatternPart> &parts)
{
    const QList<uint> chars = value.toUcs4();
    // The last "*" seen, and where in value it began to match: on a mismatch it takes one
    // character more and the rest is tried again.
    qsizetype v = 0;
    qsizetype p = 0;
    qsizetype star = -1;
    qsizetype starFrom = 0;
    while (v < chars.size()) {
        if (p < parts.size() && parts[p].kind == PatternPart::Kind::AnyRun) {
            star = p++;
            starFrom = v;
        } else if (p < parts.size() && matchesOne(parts[p], chars[v])) {
            ++p;
            ++v;
        } else if (star >= 0) {
            p = star + 1;
            v = ++starFrom;
        } else {
            return false;
        }
    }
    while (p < parts.size() && parts[p].kind == PatternPart::Kind::AnyRun)
        ++p;
    return p == parts.size();
}

} // namespace db
