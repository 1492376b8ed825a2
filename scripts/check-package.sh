#!/usr/bin/env bash
# Makes the Debian package from the release build (build/, as the tests left
# it), unpacks it into a throw-away root with dpkg -x and checks that every
# file is where the desktop (or the window, for its modules) looks for it,
# that the menu entry and the file type are valid and agree, that the programs
# start, and that lintian finds no error (its warnings are printed, not failed
# on).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/package.sh
deb=$(ls build/corvane_*.deb)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"

failed=0
fail() {
    echo "check-package: $*" >&2
    failed=1
}

for f in usr/bin/corvane usr/bin/corvane-cli usr/bin/corvane-pumpsim; do
    [ -x "$root/$f" ] || fail "missing program /$f"
done
for f in usr/share/applications/corvane.desktop \
    usr/share/mime/packages/corvane.xml \
    usr/share/icons/hicolor/scalable/apps/corvane.svg \
    usr/share/man/man1/corvane.1.gz \
    usr/share/man/man1/corvane-cli.1.gz \
    usr/share/man/man1/corvane-pumpsim.1.gz \
    usr/share/doc/corvane/copyright \
    usr/share/doc/corvane/changelog.Debian.gz; do
    [ -f "$root/$f" ] || fail "missing file /$f"
done

# The window's modules (the Sampling Runs chart, printing), in the folder the
# window looks in from /usr/bin, with every library they need installed.
for m in corvane_runschart corvane_printing; do
    so=$(find "$root/usr/lib" -name "lib$m.so")
    if [ -z "$so" ]; then
        fail "missing module lib$m.so"
        continue
    fi
    rel=${so#"$root/usr/"}
    rel=../${rel%/*}
    grep -qaF "/$rel" "$root/usr/bin/corvane" || fail "corvane does not look in /usr/bin/$rel"
    ldd "$so" | grep -q "not found" && fail "lib$m.so needs a library that is not installed"
done

# The changelog's latest entry is this version (dist/changelog is written by
# hand, the version comes from CMakeLists.txt).
version=$(dpkg-deb -f "$deb" Version)
logged=$(zcat "$root/usr/share/doc/corvane/changelog.Debian.gz" | sed -n '1s/^corvane (\([^)]*\)).*/\1/p')
[ "$logged" = "$version" ] || fail "changelog says $logged, the package is $version"

# The menu entry: valid, starting a program the package holds, with an icon
# it holds, offering only types it defines or text/csv, and claiming no
# default application for any of them.
desktop="$root/usr/share/applications/corvane.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate failed"
exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$root/usr/bin/$exec_program" ] || fail "Exec names $exec_program, not in /usr/bin"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no icon $icon"
for type in $(sed -n 's/^MimeType=//p' "$desktop" | tr ';' ' '); do
    [ "$type" = text/csv ] && continue
    grep -q "<mime-type type=\"$type\">" "$root/usr/share/mime/packages/corvane.xml" ||
        fail "MimeType $type is not defined by the package"
done
grep -q '^InitialPreference=' "$desktop" && fail "the menu entry sets InitialPreference"
found=$(find "$root" -name mimeapps.list -o -name defaults.list)
[ -z "$found" ] || fail "the package sets default applications: $found"

# The file type: the shared MIME database takes it and maps *.tlx to it.
mkdir "$root/check"
cp -r "$root/usr/share/mime" "$root/check/mime"
XDG_DATA_DIRS="$root/check" update-mime-database "$root/check/mime" ||
    fail "update-mime-database failed"
grep -q '^application/x-corvane-log:\*\.tlx$' "$root/check/mime/globs" ||
    fail "*.tlx is not mapped to application/x-corvane-log"
rm -rf "$root/check"

# The programs start from the unpacked tree (their libraries are found) and
# their manual pages render without warnings.
for p in corvane corvane-cli corvane-pumpsim; do
    "$root/usr/bin/$p" --help >/dev/null || fail "$p --help failed"
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/$p.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "manual page $p.1: $warnings"
done

echo "lintian $deb:"
lintian --fail-on error "$deb" || fail "lintian reports errors"

[ "$failed" -eq 0 ] && echo "check-package: $(basename "$deb") is complete"
exit "$failed"
