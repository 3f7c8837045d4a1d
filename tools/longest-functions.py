#!/usr/bin/env python3
"""Lists the longest function bodies of the C++ sources, longest first.

Usage: tools/longest-functions.py [-n COUNT] [DIR ...]   (default: 15 functions of src/)

A function is counted from the line of its name to the line of its closing brace, found by
matching braces after comments, strings and preprocessor lines are blanked out. Constructors'
initialiser lists (braced or not) count as part of the function, as a reader sees them.
"""

import argparse
import os
import re
import sys

SCOPE_WORDS = re.compile(r"\b(namespace|class|struct|union|enum)\b")
ACCESS = re.compile(r"\b(public|private|protected)\s*:(?!:)")
TRAILING_WORDS = {"const", "override", "noexcept", "final", "mutable", "try"}


def blank(text):
    """Replaces comments, string and character literals and preprocessor lines by spaces,
    keeping every line break, so that positions still map to lines."""
    out = []
    i, n = 0, len(text)
    line_start = True
    while i < n:
        c = text[i]
        if line_start and c == "#":
            j = i
            while j < n and text[j] != "\n":
                j = j + 2 if text[j] == "\\" and j + 1 < n else j + 1
            out.append(re.sub(r"[^\n]", " ", text[i:j]))
            i = j
            continue
        if c == "/" and text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            out.append(" " * (j - i))
            i = j
            continue
        if c == "/" and text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append(re.sub(r"[^\n]", " ", text[i:j]))
            i = j
            continue
        raw = re.match(r'R"([^(\s]*)\(', text[i:i + 20])
        if raw and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            end = text.find(")" + raw.group(1) + '"', i)
            j = n if end < 0 else end + len(raw.group(1)) + 2
            out.append('""' + re.sub(r"[^\n]", " ", text[i + 2:j]))
            i = j
            continue
        if c in "\"'":
            if c == "'" and i > 0 and text[i - 1].isalnum():  # digit separator 1'000
                out.append(" ")
                i += 1
                continue
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            j = min(j + 1, n)
            out.append(c + " " * (j - i - 2) + c if j - i >= 2 else c)
            i = j
            continue
        out.append(c)
        line_start = c == "\n" or (line_start and c in " \t")
        i += 1
    return "".join(out)


def matching(text, open_at):
    depth = 0
    for j in range(open_at, len(text)):
        if text[j] == "{":
            depth += 1
        elif text[j] == "}":
            depth -= 1
            if depth == 0:
                return j
    return len(text) - 1


def function_name(header):
    """The name before the parameter list: the identifier (with its qualifiers) right before the
    first parenthesis that is not inside a template's angle brackets."""
    angle = 0
    for k, c in enumerate(header):
        if c == "<":
            angle += 1
        elif c == ">":
            angle = max(0, angle - 1)
        elif c == "(" and angle == 0:
            m = re.search(r"([~\w:]+(?:\s*operator\s*\S+)?)\s*$", header[:k])
            return m.group(1) if m else None
    return None


def functions(text):
    """Yields (name, first line, last line) of every function body at namespace or class level."""
    line_of = []
    line = 1
    for c in text:
        line_of.append(line)
        if c == "\n":
            line += 1
    i, n = 0, len(text)
    header_start = 0
    while i < n:
        c = text[i]
        if c in ";}":
            header_start = i + 1
            i += 1
            continue
        if c != "{":
            i += 1
            continue
        header = ACCESS.sub(" ", text[header_start:i])
        stripped = header.rstrip()
        if "(" not in header:
            if SCOPE_WORDS.search(header) and "=" not in header:
                header_start = i + 1  # enter the scope: its functions are found in turn
            else:
                i = matching(text, i)  # a braced initialiser of a value
                header_start = i + 1
            i += 1
            continue
        last_word = re.search(r"(\w+)$", stripped)
        if stripped.endswith((")", "}")) or (last_word and last_word.group(1) in TRAILING_WORDS):
            end = matching(text, i)
            name = function_name(header)
            if name and not SCOPE_WORDS.search(header.split("(")[0]):
                name_at = header_start + header.find(name.split("::")[-1].split("<")[0])
                yield name, line_of[min(name_at, n - 1)], line_of[end]
            i = end + 1
            header_start = i
            continue
        # A member's braced initialiser in a constructor's list (name{value}), or a braced value
        # passed in a declaration: part of the header, not a body.
        i = matching(text, i) + 1


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("-n", type=int, default=15, help="how many functions to list")
    parser.add_argument("dirs", nargs="*", default=["src"])
    args = parser.parse_args()
    found = []
    for root in args.dirs:
        for folder, _, files in os.walk(root):
            for name in sorted(files):
                if not name.endswith((".cpp", ".h")):
                    continue
                path = os.path.join(folder, name)
                with open(path, encoding="utf-8", errors="replace") as f:
                    text = blank(f.read())
                for function, first, last in functions(text):
                    found.append((last - first + 1, path, first, function))
    found.sort(key=lambda row: (-row[0], row[1], row[2]))
    for lines, path, first, function in found[: args.n]:
        print(f"{lines:5d}  {path}:{first}  {function}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
