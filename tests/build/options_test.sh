#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The editor is built without Qt Test, the tests or the benchmarks: configured with both options
# off, and with Qt Test out of reach, the project has no test or benchmark program; the benchmark
# option alone brings the benchmarks back, and none of the tests.
# options_test.sh CMAKE SOURCE-FOLDER
set -euo pipefail
cmake=$1 source=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# configure FOLDER [OPTION...]: a fresh configuration, its output kept for a failure.
configure() {
    local folder=$1
    shift
    "$cmake" -S "$source" -B "$folder" "$@" >"$folder.log" 2>&1 \
        || { cat "$folder.log" >&2; fail "configuring with $* failed"; }
}

# programs FOLDER PREFIX: the build targets of FOLDER whose names start with PREFIX.
programs() {
    "$cmake" --build "$1" --target help | sed -n "s/^\.\.\. \($2[^ ]*\).*/\1/p"
}

editor=$scratch/editor
configure "$editor" -DBUILD_TESTING=OFF -DNOTATKI_BENCHMARKS=OFF -DCMAKE_DISABLE_FIND_PACKAGE_Qt6Test=ON
[ -n "$(programs "$editor" notatki)" ] || fail "the editor's build has no notatki target"
[ -z "$(programs "$editor" tst_)" ] || fail "the editor's build has tests: $(programs "$editor" tst_)"
[ -z "$(programs "$editor" bench_)" ] || fail "the editor's build has benchmarks"

benchmarks=$scratch/benchmarks
configure "$benchmarks" -DBUILD_TESTING=OFF -DNOTATKI_BENCHMARKS=ON
[ -n "$(programs "$benchmarks" bench_)" ] || fail "NOTATKI_BENCHMARKS=ON builds no benchmark"
[ -z "$(programs "$benchmarks" tst_)" ] || fail "NOTATKI_BENCHMARKS=ON alone builds tests"
echo "PASS"
