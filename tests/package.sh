#!/usr/bin/env bash
# Checks what the Debian package installs: the program, its desktop entry with the icon and the
# program that entry names, the manual page and the schema, and the package's own fields.
# Usage: tests/package.sh PACKAGE.deb SOURCE_DIR
# Exit 77 (skipped) when the package has not been built since the program was last built.
set -uo pipefail
deb=$1
source_dir=$2
if [ ! -f "$deb" ] || [ "$deb" -ot "$(dirname "$deb")/corvina" ]; then
    echo "No package newer than the program; 'make package' builds one."
    exit 77
fi
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root" || exit 1

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# Each file the package must hold, and what `file` must say it is.
while read -r path kind; do
    if [ ! -f "$root/$path" ]; then
        fail "$path is missing"
    elif ! file -b "$root/$path" | grep -Eq "$kind"; then
        fail "$path is not $kind: $(file -b "$root/$path")"
    fi
done <<'TABLE'
usr/bin/corvina                                     ^ELF .*(executable|shared object)
usr/share/applications/corvina.desktop              text
usr/share/icons/hicolor/scalable/apps/corvina.svg   SVG
usr/share/icons/hicolor/48x48/apps/corvina.png      ^PNG image data, 48 x 48
usr/share/icons/hicolor/256x256/apps/corvina.png    ^PNG image data, 256 x 256
usr/share/man/man1/corvina.1.gz                     ^gzip compressed data
usr/share/corvina/schema.sql                        text
TABLE

[ -x "$root/usr/bin/corvina" ] || fail "usr/bin/corvina is not executable"
cmp -s "$root/usr/share/corvina/schema.sql" "$source_dir/resources/schema.sql" \
    || fail "the schema differs from resources/schema.sql"
zcat "$root/usr/share/man/man1/corvina.1.gz" 2>/dev/null | grep -q -- 'create\\-database' \
    || fail "the manual page does not describe --create-database"

# The desktop entry must be valid and name a program and an icon that the package brings.
entry=$root/usr/share/applications/corvina.desktop
if [ -f "$entry" ]; then
    desktop-file-validate "$entry" || fail "desktop-file-validate rejects the desktop entry"
    program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
    [ -n "$program" ] && [ -x "$root/usr/bin/$program" ] \
        || fail "the desktop entry runs '$program', which is not in usr/bin"
    icon=$(sed -n 's/^Icon=//p' "$entry")
    [ -n "$icon" ] && compgen -G "$root/usr/share/icons/hicolor/*/apps/$icon.*" >/dev/null \
        || fail "the desktop entry shows icon '$icon', which is not in the icon theme"
fi

# The package's fields: its name, the program's own version, and dependencies found and named.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = corvina ] || fail "the package is called '$(field Package)'"
version=$("$root/usr/bin/corvina" --version 2>/dev/null | awk '{print $2}')
[ "$(field Version)" = "$version" ] \
    || fail "package version '$(field Version)' differs from the program's '$version'"
for dependency in libqt6widgets6 libqt6sql6-sqlite libsodium23 fonts-liberation2; do
    field Depends | grep -q "\b$dependency\b" || fail "Depends lacks $dependency: $(field Depends)"
done

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) of $deb failed"
    exit 1
fi
echo "$deb: $(du -h "$deb" | cut -f1), Depends: $(field Depends)"
