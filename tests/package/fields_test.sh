#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The package is what it says it is: named the Debian way, with the version of the program it
# holds, a dependency on the package of every library that program links, the Polish
# translations recommended, the toolkit's Wayland plugin recommended when the program reads
# Wayland's clipboard itself, a Polish and English description, and every file the desktop and
# Debian expect.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/packages.sh"
folder=$1 version=$2
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

architecture=$(dpkg --print-architecture)
deb=$folder/notatki_${version}_$architecture.deb
[ -f "$deb" ] || fail "no $deb; the folder holds: $(ls "$folder")"
field() { dpkg-deb --field "$deb" "$1"; }

# field NAME EXPECTED
for pair in "Package=notatki" "Version=$version" "Architecture=$architecture" "Section=editors" \
    "Priority=optional"; do
    [ "$(field "${pair%%=*}")" = "${pair#*=}" ] || fail "${pair%%=*} is \"$(field "${pair%%=*}")\", not \"${pair#*=}\""
done
[[ $(field Maintainer) =~ ^[^\<]+\ \<[^@\>]+@[^@\>]+\.[a-z]+\>$ ]] || fail "Maintainer \"$(field Maintainer)\" is not a name and an address"
[[ ", $(field Recommends), " == *", qt6-translations-l10n, "* ]] || fail "Recommends: $(field Recommends)"

description=$(field Description)
[ "$(head -n 1 <<<"$description" | wc -c)" -le 81 ] || fail "the synopsis is too long"
grep -q 'current folder' <<<"$description" || fail "no English description"
grep -q 'bieżącego katalogu' <<<"$description" || fail "no Polish description"

contents=$(mktemp -d)
trap 'rm -rf "$contents"' EXIT
dpkg-deb --extract "$deb" "$contents"
for file in usr/bin/notatki usr/share/applications/notatki.desktop \
    usr/share/icons/hicolor/scalable/apps/notatki.svg usr/share/metainfo/pl.notatki.Notatki.metainfo.xml \
    usr/share/man/man1/notatki.1.gz usr/share/man/pl/man1/notatki.1.gz \
    usr/share/doc/notatki/copyright usr/share/doc/notatki/changelog.gz; do
    [ -f "$contents/$file" ] || fail "the package lacks /$file"
done
[ "$(ls "$contents")" = usr ] || fail "the package writes outside /usr: $(ls "$contents")"

# The program, its changelog and the package agree on the version.
reported=$(env -u DISPLAY -u WAYLAND_DISPLAY "$contents/usr/bin/notatki" --version)
[ "$reported" = "notatki $version" ] || fail "the packaged program reports \"$reported\""
newest=$(zcat "$contents/usr/share/doc/notatki/changelog.gz" | head -n 1)
[[ $newest == "notatki ($version) "* ]] || fail "the changelog's newest entry is \"$newest\""

# dpkg-shlibdeps worked out Depends: every library the program links comes from a package there.
depends=$(field Depends)
depended=" $(sed 's/([^)]*)//g; s/[,|]/ /g' <<<"$depends" | tr -s ' ') "
owners=$(owning_packages $(linked_libraries "$contents/usr/bin/notatki")) || fail "a library the program links comes from no package"
while read -r package library; do
    [[ $depended == *" $package "* ]] \
        || fail "the program links $library of $package, which Depends lacks: $depends"
done <<<"$owners"
# The Wayland plugin is recommended exactly when the program reads Wayland's clipboard itself,
# which it does through the Wayland client library.
if [[ $(linked_libraries "$contents/usr/bin/notatki") == *"/libwayland-client.so"* ]]; then
    [[ ", $(field Recommends), " == *", qt6-wayland, "* ]] \
        || fail "the program reads Wayland's clipboard, but Recommends lacks qt6-wayland: $(field Recommends)"
else
    [[ ", $(field Recommends), " != *", qt6-wayland, "* ]] \
        || fail "qt6-wayland is recommended to a program that leaves Wayland's clipboard to Qt"
fi
echo "PASS: ${deb##*/}: fields, files, version $version, and Depends: $depends"
