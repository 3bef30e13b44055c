#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# How long a newcomer waits for the first window: from "git clone" until scripts/start-editor has
# built the editor and its window shows on a private Xvfb screen. Run it with the Debian packages
# already installed, as root or as the owner of the repository.
#
#   bench/build/clone-to-window.sh [REVISION [ROUNDS]]   (defaults: HEAD, 3 rounds)
source "$(dirname "${BASH_SOURCE[0]}")/../../tests/e2e/lib.sh"
repository=$(git -C "$(dirname "${BASH_SOURCE[0]}")" rev-parse --show-toplevel)
revision=${1:-HEAD} rounds=${2:-3}

e2e_start_display
for round in $(seq "$rounds"); do
    clone=$E2E_TMP/clone-$round
    mkdir "$E2E_TMP/run-$round"
    start=$(date +%s.%N)
    git clone -q "$repository" "$clone" && git -C "$clone" checkout -q "$revision" \
        || e2e_fail "could not clone $revision"
    (cd "$E2E_TMP/run-$round" && exec "$clone/scripts/start-editor" >"$E2E_TMP/editor.log" 2>&1) &
    E2E_PIDS+=($!)
    e2e_wait_for 900 xdotool search --onlyvisible --name '^Form1$' \
        || { cat "$E2E_TMP/editor.log" >&2; e2e_fail "no window within 900 s"; }
    end=$(date +%s.%N)
    printf 'round %d: git clone to a visible window in %.1f s (%s)\n' "$round" \
        "$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')" "$(git -C "$clone" rev-parse --short HEAD)"
    pkill -f "^$clone/build/notatki" || true
    wait "${E2E_PIDS[-1]}" 2>/dev/null || true
done
