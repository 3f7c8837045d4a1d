#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The tokens of a statement, for the layer's readers and rewriters of statements.
namespace db::tokens {

enum class Kind { Word, Name, Literal, Number, Mark, Symbol };

struct Token
{
    Kind kind;
    qsizetype start;
    qsizetype end; // one past the last character
    int depth; // parentheses around the token
    QString word; // upper-case text of a word
};

// Splits a statement into tokens; nullopt for what the layer does not read safely: comments,
// unclosed quotes or parentheses, numbered or named parameters.
std::optional<QList<Token>> tokenize(const QString &sql);

bool isWord(const Token &token, const char *word);
bool isSymbol(const QString &sql, const Token &token, char symbol);
// A part of a statement, from the first token's start to the last one's end.
QString textOf(const QString &sql, const QList<Token> &tokens, qsizetype first, qsizetype last);

} // namespace db::tokens

namespace db {

// The statements of a table script, split where a ";" ends one; a ";" or "--" inside a quoted
// literal or name belongs to it, comments are left out, and a trigger's body stays whole. Both
// engines run their scripts through it. Throws DbError for a quote or comment left open.
QStringList SplitScript(const QString &script);

} // namespace db
