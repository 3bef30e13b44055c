# SPDX-License-Identifier: GPL-3.0-or-later
# Helpers for the package tests: which Debian package holds a file.

# owning_packages PATH...: prints "PACKAGE PATH" for each file, the package that installed it,
# and fails at the first that none did. With /bin, /lib and /sbin merged into /usr, the loader
# names a file by either path while dpkg knows one of them, so both are asked, in one call:
# dpkg-query takes a while to start.
owning_packages() {
    local path key line file packages
    local -A owner=()
    local queries=()
    for path in "$@"; do
        key=${path#/usr}
        queries+=("$key" "/usr$key")
    done
    while IFS= read -r line; do
        [[ $line == diversion* ]] && continue
        file=${line##*: } packages=${line%: *}
        packages=${packages%%,*}
        owner[${file#/usr}]=${packages%%:*}
    done < <(dpkg-query --search "${queries[@]}" 2>/dev/null || true)
    for path in "$@"; do
        key=${path#/usr}
        [ -n "${owner[$key]:-}" ] || { echo "no package holds $path" >&2; return 1; }
        echo "${owner[$key]} $path"
    done
}

# linked_libraries BINARY: prints the path of every library the binary names itself.
linked_libraries() {
    local needed
    needed=" $(objdump -p "$1" | awk '$1 == "NEEDED" { print $2 }' | tr '\n' ' ') "
    ldd "$1" | awk '$2 == "=>" { print $1, $3 }' | while read -r name path; do
        [[ $needed == *" $name "* ]] && echo "$path"
    done
}
