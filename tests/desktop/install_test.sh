#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# `cmake --install` puts the program and its desktop files where desktops look for them, and the
# installed files agree with each other: the entry starts the installed program and shows the
# installed icon, and the AppStream data finds the entry.
set -euo pipefail
cmake=$1 build=$2 appstream_id=$3

destdir=$(mktemp -d)
trap 'rm -rf "$destdir"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

DESTDIR=$destdir "$cmake" --install "$build" --prefix /usr >/dev/null
prefix=$destdir/usr
desktop=$prefix/share/applications/notatki.desktop
icons=$prefix/share/icons/hicolor/scalable/apps
metainfo=$prefix/share/metainfo/$appstream_id.metainfo.xml

[ -x "$prefix/bin/notatki" ] || fail "no program in bin"
for file in "$desktop" "$icons/notatki.svg" "$metainfo"; do
    [ -f "$file" ] || fail "not installed: ${file#"$destdir"}"
done

desktop-file-validate "$desktop" || fail "the installed desktop entry is not valid"
entry() { sed -n "s/^$1=//p" "$desktop"; }
program=$(entry Exec)
[ -x "$prefix/bin/${program%% *}" ] || fail "Exec=$program is not the installed program"
icon=$(entry Icon)
[ -f "$icons/$icon.svg" ] || fail "Icon=$icon is not the installed icon"
[ -n "$(entry 'Name\[pl\]')" ] || fail "no Polish name"
[ -n "$(entry 'Comment\[pl\]')" ] || fail "no Polish comment"

# The icon must be a drawing that the desktop can scale, not a bitmap renamed, and it must draw.
grep -q '<svg[ >]' "$icons/notatki.svg" || fail "the icon is not an SVG drawing"
rsvg-convert --width 256 --height 256 --output "$destdir/icon.png" "$icons/notatki.svg" \
    || fail "the icon cannot be drawn"
[ "$(identify -format '%wx%h' "$destdir/icon.png")" = 256x256 ] || fail "the icon drew wrongly"

appstreamcli validate-tree --no-net "$prefix" || fail "AppStream rejects the installed files"
echo "PASS: installed bin/notatki, ${desktop#"$prefix"/}, ${icons#"$prefix"/}/notatki.svg, ${metainfo#"$prefix"/}"
