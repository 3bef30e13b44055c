# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the project's scripts: the Debian packages they need, and how to install and build.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

build_packages=(cmake make g++ qt6-base-dev qt6-base-private-dev qt6-translations-l10n
                fonts-dejavu-core libxcb1-dev libx11-dev)
test_packages=(xvfb xauth openbox xdotool xclip wmctrl x11-utils x11-xserver-utils imagemagick
               appstream desktop-file-utils librsvg2-bin clang libclang-rt-14-dev
               dbus-daemon at-spi2-core python3-pyatspi acl attr bindfs e2fsprogs
               dpkg-dev file lintian man-db)

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
stage_times=()
stage() {
    local name=$1 start=${EPOCHREALTIME/./}
    shift
    "$@"
    local tenths=$(( (${EPOCHREALTIME/./} - start) / 100000 ))
    stage_times+=("$(printf '%-34s %5d.%d s' "$name" $((tenths / 10)) $((tenths % 10)))")
    echo "Stage ${stage_times[-1]}"
}
stage_summary() {
    printf 'Stage times:\n'
    printf '  %s\n' "${stage_times[@]}"
}

# Under sudo, builds and runs as the user who asked, so that the build folder stays theirs.
as_user() {
    if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ] && [ "$SUDO_USER" != root ]; then
        sudo -u "$SUDO_USER" --preserve-env=DISPLAY,XAUTHORITY,WAYLAND_DISPLAY,XDG_RUNTIME_DIR,CI -- "$@"
    else
        "$@"
    fi
}

# configure FOLDER [CMAKE OPTION...]
configure() {
    local folder=$1
    shift
    as_user cmake -S "$root" -B "$folder" "$@"
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
