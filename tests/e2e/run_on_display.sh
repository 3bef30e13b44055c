#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a test program on a private Xvfb display with a window manager, for suites that need a real
# X server: the clipboard shared with other programs, through their own processes (xclip).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_start_display
"$@"
