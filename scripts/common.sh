# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the project's scripts: the Debian packages they need, and how to install and build.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

build_packages=(cmake make ninja-build g++ pkgconf qt6-base-dev qt6-base-private-dev
                qt6-translations-l10n fonts-dejavu-core libxcb1-dev libx11-dev libwayland-dev
                wayland-protocols)
test_packages=(xvfb xauth openbox xdotool xclip wmctrl x11-utils x11-xserver-utils imagemagick
               appstream desktop-file-utils librsvg2-bin clang libclang-rt-14-dev
               dbus-daemon at-spi2-core python3-pyatspi acl attr bindfs e2fsprogs
               dpkg-dev file lintian man-db fonts-noto-core fonts-noto-color-emoji
               mutter weston qt6-wayland wl-clipboard libglib2.0-bin)

# Installs whichever of the named packages are missing; only then does it need root.
install_missing() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -q '^install ok installed$' \
            || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing Debian packages: ${missing[*]}. Run this command as root or with sudo." >&2
        exit 1
    fi
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# stage NAME COMMAND...: runs the command and prints how long it took, so that every run shows
# where its time goes; stage_summary prints all of them again at the end.
# Stages run in the background write to the same file.
stage_times=$(mktemp)
stage() {
    local name=$1 start=${EPOCHREALTIME/./}
    shift
    "$@"
    local tenths=$(( (${EPOCHREALTIME/./} - start) / 100000 ))
    local line
    line=$(printf '%-42s %5d.%d s' "$name" $((tenths / 10)) $((tenths % 10)))
    echo "$line" >>"$stage_times"
    echo "Stage $line"
}
stage_summary() {
    printf 'Stage times:\n'
    sed 's/^/  /' "$stage_times"
    rm -f "$stage_times"
}

# Under sudo, builds and runs as the user who asked, so that the build folder stays theirs.
as_user() {
    if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ] && [ "$SUDO_USER" != root ]; then
        sudo -u "$SUDO_USER" --preserve-env=DISPLAY,XAUTHORITY,WAYLAND_DISPLAY,XDG_RUNTIME_DIR,CI -- "$@"
    else
        "$@"
    fi
}

# configure FOLDER [CMAKE OPTION...]: a new folder is made for Ninja, which starts the next step
# as soon as a core is free where make waits for each target's steps in turn; a folder configured
# earlier keeps its generator, which CMake cannot change.
configure() {
    local folder=$1
    shift
    local generator=()
    if [ ! -e "$folder/CMakeCache.txt" ] && command -v ninja >/dev/null; then
        generator=(-G Ninja)
    fi
    as_user cmake -S "$root" -B "$folder" "${generator[@]}" "$@"
}

# build FOLDER [TARGET...]: the named targets, or every one.
build() {
    local folder=$1
    shift
    local targets=()
    if [ $# -gt 0 ]; then
        targets=(--target "$@")
    fi
    as_user cmake --build "$folder" --parallel "$(nproc)" "${targets[@]}"
}
