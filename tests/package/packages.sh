# Helpers for the package tests: which Debian package holds a file.

# owning_package PATH: prints the package that installed the file. With /bin, /lib and /sbin
# merged into /usr, the loader may name a file by either path while dpkg knows one of them.
owning_package() {
    local candidate owner
    for candidate in "$1" "$(realpath "$1")" "/usr$1" "${1#/usr}"; do
        if owner=$(dpkg-query --search "$candidate" 2>/dev/null); then
            owner=${owner%%: *}
            echo "${owner%%:*}"
            return 0
        fi
    done
    return 1
}

# linked_libraries BINARY: prints the path of every library the binary names itself.
linked_libraries() {
    local needed
    needed=" $(objdump -p "$1" | awk '$1 == "NEEDED" { print $2 }' | tr '\n' ' ') "
    ldd "$1" | awk '$2 == "=>" { print $1, $3 }' | while read -r name path; do
        [[ $needed == *" $name "* ]] && echo "$path"
    done
}
