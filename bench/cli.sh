#!/usr/bin/env bash
# Times commonserver-cfg's whole run, one "get" and one "set", on a 10 KB
# settings file, against a Qt Core program that makes its application object
# and exits at once (bench/emptycore.cpp), with hyperfine: the target is at
# most 1.2 times the empty program. Each "set" writes: before each run the
# file is put back as it was, rested (its time of last change an hour back),
# as a file is between two saves of an administrator. Then four sets in a
# row on a rested file, as a script or an Ansible loop makes them, against
# crudini's four: the target is at most a quarter of crudini's time.
#   bench/cli.sh [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
BUILD_DIR=build-bench

install_missing "${PACKAGES[@]}" libbenchmark-dev hyperfine crudini
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DBUILD_BENCHMARKS=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$BUILD_DIR" -j2 --target commonserver-cfg emptycore >/dev/null
runs=${1:-40}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
{ cat examples/commonserver.cfg; for ((i = 0; i < 600; i++)); do printf 'Filler%d = value %d\r\n' "$i" "$i"; done; } \
    >"$work/long.cfg"
head -c 10240 "$work/long.cfg" >"$work/base.cfg"
cp "$work/base.cfg" "$work/file.cfg"
tool="$PWD/$BUILD_DIR/cli/commonserver-cfg"
empty="$PWD/$BUILD_DIR/bench/emptycore"
echo "file: $(stat -c %s "$work/base.cfg") bytes"
hyperfine -N --warmup 5 --runs "$runs" "$empty" "$tool get $work/file.cfg AddExperience"
hyperfine -N --warmup 5 --runs "$runs" --prepare "sh -c 'cp $work/base.cfg $work/file.cfg; touch -m -d \"1 hour ago\" $work/file.cfg'" \
    "$empty" "$tool set $work/file.cfg AddExperience=9999"

# Four sets in a row: each after the first finds the file as the one before
# left it, which is no other writer's change.
cat >"$work/four-tool.sh" <<SCRIPT
for value in 1 2 3 4; do "$tool" set "$work/file.cfg" AddExperience=\$value >/dev/null; done
SCRIPT
cat >"$work/four-crudini.sh" <<SCRIPT
for value in 1 2 3 4; do crudini --set "$work/file.cfg" GameServerInfo AddExperience "\$value"; done
SCRIPT
hyperfine -N --warmup 2 --runs "$(( (runs + 3) / 4 ))" --export-json "$work/four.json" \
    --prepare "sh -c 'cp $work/base.cfg $work/file.cfg; touch -m -d \"1 hour ago\" $work/file.cfg'" \
    "sh $work/four-tool.sh" "sh $work/four-crudini.sh"
python3 - "$work/four.json" <<'PY'
import json, sys
tool, crudini = (r["median"] for r in json.load(open(sys.argv[1]))["results"])
print(f"four sets in a row: commonserver-cfg {tool*1000:.0f} ms, crudini {crudini*1000:.0f} ms, "
      f"ratio {tool/crudini:.2f} (target at most 0.25)")
PY
