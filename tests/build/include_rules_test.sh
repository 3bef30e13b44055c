#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a program file includes a folder that its layer may not reach (see the README's
# "Layout"): each rule is one grep for the includes of our own headers that it does not allow.
set -u
cd "${1:?usage: include_rules_test.sh SOURCE_FOLDER}" || exit 2

contract='textarea/(TextArea|FontObject|OleColor|LineEnds|ClipboardText)\.h'
broken=0

# allow FOLDER PATTERN: FOLDER's files include only our headers that PATTERN matches.
allow() {
    local folder=$1 pattern=$2 hits
    hits=$(grep -rnE '^#include "[a-z]+/' "$folder" | grep -vE "#include \"($pattern)")
    if [ -n "$hits" ]; then
        echo "FAIL: $folder/ may include only ${pattern//|/, }:"
        echo "$hits"
        broken=1
    fi
}

allow startup  'startup/|common/'
allow notes    "notes/|files/|common/|$contract"
allow clipboard "clipboard/|common/|$contract"
allow style    "style/|common/|controls/|$contract"
allow files    'files/|common/'
allow textarea 'textarea/|common/'
allow controls 'controls/'
allow common   'common/'

if [ "$broken" -ne 0 ]; then
    exit 1
fi
echo "PASS: every include of the program's folders points where its layer allows"
