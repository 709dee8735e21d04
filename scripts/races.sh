#!/usr/bin/env bash
# Races saves against other writers and kills saves halfway, with real
# processes, and prints how each round ended:
#   scripts/races.sh [save-rounds] [rewrite-rounds] [kills] [pause-ms ...]
# - two saves of different keys, started together on a 1 MB file (default 200
#   rounds): did both changes stay?
# - a save started 0-10 ms after another program began to truncate the file
#   and write it again in 2 KB pieces (default 100 rounds), for each pause
#   between pieces (default 60, 100 and 500 ms), by a writer that keeps the
#   file open and by one that opens it again for each piece, saved by root and
#   (run as root) by a member of the file's group, who cannot ask the system
#   whether the file is open for writing: did the round end with the other
#   program's whole content plus the saved key, with the save refused, or
#   with a torn file?
# - saves of a 20 MB file killed (SIGKILL) at a random moment (default 300,
#   in place and by rename): was the file whole, or torn and found (then
#   restored), or torn and read as if whole; what did the kills leave in the
#   folder, and what was left once the next save had run?
# WRITER=path/to/filewriter measures another build's saves.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

install_missing "${PACKAGES[@]}"
build --target filewriter commonserver-cfg >/dev/null
writer=${WRITER:-$BUILD_DIR/tests/filewriter}
tool=$BUILD_DIR/cli/commonserver-cfg
save_rounds=${1:-200}
rewrite_rounds=${2:-100}
kills=${3:-300}
shift $(( $# > 3 ? 3 : $# ))
pauses=("${@:-60 100 500}")
read -r -a pauses <<<"${pauses[*]}"
work=$(mktemp -d)
chmod 777 "$work"
trap 'rm -rf "$work"' EXIT
export XDG_STATE_HOME="$work/state"
rest() { touch -m -d '1 hour ago' "$1"; }

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
    rest "$work/expected.cfg"
    "$writer" set "$work/expected.cfg" MonsterHp "2$round"
    cp "$work/base.cfg" "$work/file.cfg"
    rest "$work/file.cfg"
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
savers=(root)
[ "$(id -u)" = 0 ] && savers+=("group member")
for saver in "${savers[@]}"; do
for mode in rewrite rewrite-reopening; do
for pause in "${pauses[@]}"; do
    whole=0 refused=0 torn=0
    for ((round = 0; round < rewrite_rounds; round++)); do
        cp "$work/old.cfg" "$work/file.cfg"
        rest "$work/file.cfg"
        as=()
        if [ "$saver" != root ]; then
            chown 1500:1500 "$work/file.cfg"
            chmod 664 "$work/file.cfg"
            as=(--as 1600:1600:1500)
        fi
        # The save starts once the writer has cut the file short and written its first piece.
        coproc rewriting { "$writer" "$mode" "$work/file.cfg" "$work/new.cfg" 2048 $((pause * 1000)); }
        read -r _ <&"${rewriting[0]}"
        sleep "0.00$((RANDOM % 10))"
        if "$writer" set "$work/file.cfg" Trade 1 "${as[@]}" 2>/dev/null; then saved=0; else saved=1; fi
        wait
        if [ $saved = 0 ] && cmp -s "$work/file.cfg" "$work/expected.cfg"; then
            whole=$((whole + 1))
        elif [ $saved = 1 ] && cmp -s "$work/file.cfg" "$work/new.cfg"; then
            refused=$((refused + 1))
        else
            torn=$((torn + 1))
        fi
    done
    kept=$([ "$mode" = rewrite ] && echo "kept open" || echo "reopened")
    echo "a save by $saver racing a rewrite, pieces $pause ms apart, the file $kept: $rewrite_rounds rounds, $whole whole, $refused refused, $torn torn"
done
done
done

# Saves killed halfway.
{ cat tests/data/commonserver.cfg; filler $((20 << 20)); } >"$work/big.cfg"
leftovers() { find "$work/kill" "$XDG_STATE_HOME" -type f \( -name '.cse-*' -o -path "$XDG_STATE_HOME/*" \) -printf '%s\n' 2>/dev/null \
              | awk '{ n++; s += $1 } END { printf "%d files, %d MB", n, s / 1048576 }'; }
for layout in "in place" "by rename"; do
    rm -rf "$work/kill" "$XDG_STATE_HOME"
    mkdir "$work/kill"
    file=$work/kill/commonserver.cfg
    cp "$work/big.cfg" "$file"
    [ "$layout" = "in place" ] && ln "$file" "$work/kill/second-name.cfg"
    rest "$file"
    start=$(date +%s%N)
    "$writer" set "$file" AddExperience 7
    took_ms=$(( ($(date +%s%N) - start) / 1000000 ))
    whole=0 found=0 unnoticed=0
    for ((round = 0; round < kills; round++)); do
        cp "$work/big.cfg" "$file"   # in place: the same file, its second name kept
        rest "$file"
        "$writer" set "$file" AddExperience "1$round" &
        sleep "$(awk -v ms="$took_ms" -v r="$RANDOM" 'BEGIN { printf "%.3f", ms * r / 32768 / 1000 }')"
        kill -9 $! 2>/dev/null || true
        wait $! 2>/dev/null || true
        if "$tool" get "$file" AddExperience >/dev/null 2>&1; then
            sed "s/^AddExperience = 101\r\$/AddExperience = 1$round\r/" "$work/big.cfg" >"$work/saved.cfg"
            if cmp -s "$file" "$work/big.cfg" || cmp -s "$file" "$work/saved.cfg"; then
                whole=$((whole + 1))
            else
                unnoticed=$((unnoticed + 1))
            fi
        else
            found=$((found + 1))
            "$tool" restore "$file" >/dev/null
        fi
    done
    echo "saves killed $layout ($took_ms ms each): $kills kills, $whole whole, $found torn and found, $unnoticed torn and unnoticed; left behind: $(leftovers)"
    rest "$file"
    "$tool" set "$file" Trade=1 >/dev/null
    echo "  after the next save: $(leftovers)"
done
