#pragma once

#include <QList>
#include <QString>
#include <QStringView>

namespace db {

// A shell pattern as the catalogue's searches take it, over a whole value: "*" any run of
// characters, "?" any one, "[...]" one of the characters listed (ranges such as "a-z"; "!" or
// "^" first for any character not listed; "]" first for itself), every other character itself.
// A "[" without its "]" is itself.
struct PatternPart
{
    enum class Kind { Literal, AnyRun, AnyOne, Class };
    Kind kind = Kind::Literal;
    char32_t character = 0; // a literal's
    QList<std::pair<char32_t, char32_t>> ranges; // a class's, a single character as a range of one
    bool negated = false;
};
QList<PatternPart> ParseShellPattern(QStringView pattern);
bool HoldsClass(const QList<PatternPart> &parts);

// Whether the whole of value is matched, ASCII letters without regard to case (as LIKE takes
// them). The engines' shell_match(pattern, value) says the same.
bool MatchesShellPattern(QStringView value, const QList<PatternPart> &parts);

} // namespace db
