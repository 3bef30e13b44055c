#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# lintian finds no error and no warning in the package; its full report, notes included, is
# printed for the record.
set -euo pipefail
folder=$1
debs=("$folder"/notatki_*.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: not one package in $folder" >&2; exit 1; }

lintian --version
if ! lintian --fail-on error,warning --display-info --pedantic "${debs[0]}"; then
    echo "FAIL: lintian reports errors or warnings" >&2
    exit 1
fi
echo "PASS: lintian reports no error and no warning on ${debs[0]##*/}"
