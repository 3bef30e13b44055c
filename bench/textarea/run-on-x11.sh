#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# bench_textarea under Xvfb, row after row of the goal table (all of them unless named), with a
# window manager as on a desktop; the rows that paste need it, the others run offscreen too.
#
#   bench/textarea/run-on-x11.sh BUILD_FOLDER [--no-floor] [ROW...]
#
# --no-floor is handed to every row (see bench/textarea/main.cpp).
source "$(dirname "${BASH_SOURCE[0]}")/../../tests/e2e/lib.sh"
bench=$(realpath "$1/bench/textarea/bench_textarea")
shift
options=()
rows=()
for argument in "$@"; do
    case "$argument" in
        --*) options+=("$argument") ;;
        *) rows+=("$argument") ;;
    esac
done
[ ${#rows[@]} -gt 0 ] || rows=(empty-lines-32 empty-lines-64 long-line-1m long-line-20m notes-10m everyday-keys-10m paste-80m
                                mixed-scripts-10m long-line-mixed-1m)

e2e_start_display
export QT_QPA_PLATFORM=xcb
for row in "${rows[@]}"; do
    "$bench" "$row" "${options[@]}"
done
