#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The package installed for real, as a Debian user does it, on this machine: apt-get installs
# it with what it depends on, the installed program reports its version and shows its window,
# the desktop finds its entry and icon, and apt-get remove --purge takes every trace of it away.
# Needs root: install_test.sh PACKAGE.deb
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/packages.sh"
deb=$(realpath "$1")

# What dpkg knows of notatki: nothing, "not-installed", or a state in which some of it is there.
known_state() {
    dpkg-query --show --showformat='${Status}' notatki 2>/dev/null | grep -v ' not-installed$' || true
}

[ "$(id -u)" = 0 ] || e2e_fail "installing a package needs root"
[ -z "$(known_state)" ] \
    || e2e_fail "notatki is on this machine ($(known_state)); the test will not replace it (apt-get remove --purge notatki)"
export DEBIAN_FRONTEND=noninteractive
# Waits for another apt or dpkg on the machine to finish instead of failing at once.
apt_get() { apt-get -o DPkg::Lock::Timeout=120 "$@"; }
version=$(dpkg-deb --field "$deb" Version)

# Whatever happens, the machine is left without the package.
installed=
package_cleanup() {
    local status=$?
    set +e # a failing step here must not cut the cleanup short
    [ -z "$installed" ] || apt_get remove --purge -y -qq notatki >/dev/null 2>&1
    (exit "$status") # e2e_cleanup reports the script's status
    e2e_cleanup
}
trap package_cleanup EXIT

# apt fetches local packages as its own unprivileged user, which must be able to read this one.
offered=$E2E_TMP/offered
mkdir -m 755 "$offered"
cp "$deb" "$offered/"
chmod 755 "$E2E_TMP"
installed=1
apt_get install -y -qq "$offered/${deb##*/}" >"$E2E_TMP/apt.log" 2>&1 \
    || { cat "$E2E_TMP/apt.log" >&2; e2e_fail "apt-get could not install ${deb##*/}"; }
[ "$(dpkg-query --show --showformat='${Status} ${Version}' notatki)" = "install ok installed $version" ] \
    || e2e_fail "dpkg does not list notatki $version as installed"
echo "ok: apt-get installed ${deb##*/}"

reported=$(env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/notatki --version)
[ "$reported" = "notatki $version" ] || e2e_fail "/usr/bin/notatki --version says \"$reported\""
echo "ok: $reported"

# The desktop looks in the data folders: the menu entry in applications/, the icon it names in
# the hicolor theme; the entry's program is found on the PATH.
entry=/usr/share/applications/notatki.desktop
[ -f "$entry" ] || e2e_fail "no $entry"
desktop-file-validate "$entry" || e2e_fail "$entry is not valid"
exec_line=$(sed -n 's/^Exec=//p' "$entry")
[ "$(PATH=/usr/local/bin:/usr/bin:/bin command -v "${exec_line%% *}")" = /usr/bin/notatki ] \
    || e2e_fail "Exec=$exec_line does not start /usr/bin/notatki"
icon=$(sed -n 's/^Icon=//p' "$entry")
[ -f "/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || e2e_fail "no hicolor icon \"$icon\""
[ "$(man --where notatki)" = /usr/share/man/man1/notatki.1.gz ] || e2e_fail "man does not find notatki(1)"
[ "$(LANGUAGE= LC_ALL=C man --locale=pl_PL.UTF-8 --where notatki)" = /usr/share/man/pl/man1/notatki.1.gz ] \
    || e2e_fail "man does not find the Polish notatki(1)"
echo "ok: the desktop entry starts /usr/bin/notatki, its icon and both manual pages are in place"

# The installed program shows its window, and loads nothing it does not depend on.
e2e_start_display
folder=$E2E_TMP/work
mkdir "$folder"
e2e_start_app /usr/bin/notatki "$folder"
window=$(e2e_window Form1)
platform_plugin=$(grep -o '/[^ ]*/platforms/[^ ]*\.so' "/proc/$E2E_APP_PID/maps" | head -n 1)
[ -n "$platform_plugin" ] || e2e_fail "the window shows without a platform plugin loaded"
needs=$(apt-cache depends --recurse --installed --no-recommends --no-suggests --no-conflicts \
    --no-breaks --no-replaces --no-enhances notatki | grep -v '^ ' | tr -d '<>' | sort -u)
owners=$(owning_packages "$platform_plugin" $(ldd /usr/bin/notatki "$platform_plugin" | awk '$2 == "=>" { print $3 }' | sort -u)) \
    || e2e_fail "the program loads a library that comes from no package"
while read -r package library; do
    grep -qx "$package" <<<"$needs" || e2e_fail "the program loads $library of $package, which notatki does not depend on"
done <<<"$owners"
e2e_close_window "$window"
e2e_wait_exit
[ "$E2E_APP_STATUS" = 0 ] || e2e_fail "the installed program ended with status $E2E_APP_STATUS"
echo "ok: /usr/bin/notatki showed Form1 with ${platform_plugin##*/}; all it loads comes with its dependencies"

files=$(dpkg-query --listfiles notatki)
apt_get remove --purge -y -qq notatki >"$E2E_TMP/apt.log" 2>&1 \
    || { cat "$E2E_TMP/apt.log" >&2; e2e_fail "apt-get could not remove notatki"; }
installed=
[ -z "$(known_state)" ] || e2e_fail "dpkg still has notatki: $(known_state)"
while read -r path; do
    if [ -d "$path" ] && [ ! -L "$path" ]; then
        # A folder may stay when another package has it or files of others are in it.
        [ -z "$(ls -A "$path")" ] && ! owning_packages "$path" >/dev/null 2>&1 \
            && e2e_fail "the empty folder $path is left"
    elif [ -e "$path" ] || [ -L "$path" ]; then
        e2e_fail "$path is left"
    fi
done <<<"$files"
echo "PASS: ${deb##*/} installed, ran, showed its window and was purged; none of its $(wc -l <<<"$files") paths is left"
