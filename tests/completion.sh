#!/usr/bin/env bash
# The bash completion of commonserver-cfg, driven as bash drives it: each row
# sets COMP_WORDS and COMP_CWORD, calls the function `complete -p` names and
# compares COMPREPLY. Usage: completion.sh COMPLETION_FILE TOOL
set -uo pipefail
source "$1"
tool=$2
cd "$(mktemp -d)" && touch commonserver.cfg fim-de-semana.cfg
mkdir bin && ln -s "$tool" bin/commonserver-cfg
# On the PATH of the checkout rows: no tool at all, whatever this machine has installed.
mkdir none && printf '#!/bin/sh\nexit 127\n' >none/commonserver-cfg && chmod +x none/commonserver-cfg
function=$(complete -p commonserver-cfg | sed -n 's/.*-F \([^ ]*\) .*/\1/p')
[ -n "$function" ] || { echo "no completion registered for commonserver-cfg"; exit 1; }
failures=0

# Rows: words (the last is the one completed) | what COMPREPLY must hold.
check() {
while IFS='|' read -r words expected; do
    [ -z "$words" ] && continue
    read -ra COMP_WORDS <<<"$words"
    [[ $words == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    "$function"
    got="${COMPREPLY[*]}"
    if [ "$got" != "$expected" ]; then
        echo "FAIL: \"$words\": got \"$got\", expected \"$expected\""
        failures=$((failures + 1))
    fi
done
}

# Installed: the tool on the PATH.
PATH=$PWD/bin:$PATH check <<ROWS
commonserver-cfg ap|apply
commonserver-cfg get --a|--all --any-key
commonserver-cfg set --k|--keep-backups
commonserver-cfg set --changed-exit |
commonserver-cfg set --changed-exit 3 comm|commonserver.cfg
commonserver-cfg apply --changed-exit 3 --backup --keep-backups 2 commonserver.cfg fim|fim-de-semana.cfg
commonserver-cfg get --missing-exit 4 commonserver.cfg maxz|MaxZen MaxZenMessage
commonserver-cfg get --wait 5 commonserver.cfg ADDEXP|AddExperience
commonserver-cfg get --wait = 5 comm|commonserver.cfg
commonserver-cfg set --backup --keep-backups = 2 commonserver.cfg trad|Trade=
commonserver-cfg get --wait = |
commonserver-cfg set commonserver.cfg trad|Trade=
commonserver-cfg apply commonserver.cfg fim-de-semana.cfg |
ROWS
# From a checkout: the tool named by its path, not on the PATH.
PATH=$PWD/none:$PATH check <<ROWS
$tool get commonserver.cfg castlesiegeru|CastleSiegeRun
ROWS

[ "$failures" -eq 0 ] && echo "completion: every row as expected"
exit "$failures"
