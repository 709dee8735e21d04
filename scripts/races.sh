#!/usr/bin/env bash
# Races saves against other writers with real processes, and prints how each
# round ended:
#   scripts/races.sh [save-rounds] [rewrite-rounds] [pause-ms ...]
# - two saves of different keys, started together on a 1 MB file (default 200
#   rounds): did both changes stay?
# - a save started 0-10 ms after another program began to truncate the file
#   and write it again in 2 KB pieces (default 100 rounds), once for each
#   pause between pieces (default 1 ms), by a writer that keeps the file open
#   and by one that closes and opens it again for each piece: did the round
#   end with the other program's whole content plus the saved key, with the
#   save refused, or with a torn file? A writer that closes the file for
#   longer than the settling time (5 ms where the system tells that no one
#   holds the file open for writing, else 50 ms) can still leave a torn file:
#   the pauses measure how often.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

install_missing "${PACKAGES[@]}"
build --target filewriter >/dev/null
writer="$BUILD_DIR/tests/filewriter"
save_rounds=${1:-200}
rewrite_rounds=${2:-100}
shift $(( $# > 2 ? 2 : $# ))
pauses=("${@:-1}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_STATE_HOME="$work/state"

filler() { # bytes
    awk -v want="$1" 'BEGIN { for (s = 0; n < want; s++) { line = "[Section" s "]\r\n"; n += length(line); printf "%s", line;
        for (k = 0; k < 40 && n < want; k++) { line = "Key" k " = value " s "\r\n"; n += length(line); printf "%s", line } } }'
}

# Two saves at once.
{ filler 524288; cat tests/data/commonserver.cfg; filler 524288; } >"$work/base.cfg"
kept=0
for ((round = 0; round < save_rounds; round++)); do
    cp "$work/base.cfg" "$work/expected.cfg"
    "$writer" set "$work/expected.cfg" AddExperience "1$round"
    "$writer" set "$work/expected.cfg" MonsterHp "2$round"
    cp "$work/base.cfg" "$work/file.cfg"
    "$writer" set "$work/file.cfg" AddExperience "1$round" &
    "$writer" set "$work/file.cfg" MonsterHp "2$round"
    wait
    cmp -s "$work/file.cfg" "$work/expected.cfg" && kept=$((kept + 1))
done
echo "two saves at once: $kept of $save_rounds rounds kept both changes"

# A save racing a rewrite.
{ cat tests/data/commonserver.cfg; filler 6144; } >"$work/old.cfg"
sed 's/= 1/= 7/' "$work/old.cfg" >"$work/new.cfg"
printf '; rewritten\r\n' >>"$work/new.cfg"
cp "$work/new.cfg" "$work/expected.cfg"
"$writer" set "$work/expected.cfg" Trade 1
for mode in rewrite rewrite-reopening; do
for pause in "${pauses[@]}"; do
    whole=0 refused=0 torn=0
    for ((round = 0; round < rewrite_rounds; round++)); do
        cp "$work/old.cfg" "$work/file.cfg"
        # The save starts once the writer has cut the file short and written its first piece.
        coproc rewriting { "$writer" "$mode" "$work/file.cfg" "$work/new.cfg" 2048 $((pause * 1000)); }
        read -r _ <&"${rewriting[0]}"
        sleep "0.00$((RANDOM % 10))"
        if "$writer" set "$work/file.cfg" Trade 1 2>/dev/null; then saved=0; else saved=1; fi
        wait
        if [ $saved = 0 ] && cmp -s "$work/file.cfg" "$work/expected.cfg"; then
            whole=$((whole + 1))
        elif [ $saved = 1 ] && cmp -s "$work/file.cfg" "$work/new.cfg"; then
            refused=$((refused + 1))
        else
            torn=$((torn + 1))
        fi
    done
    kept=$([ "$mode" = rewrite ] && echo "kept open" || echo "closed")
    echo "a save racing a rewrite, pieces $pause ms apart, the file $kept between them: $rewrite_rounds rounds, $whole whole, $refused refused, $torn torn"
done
done
