#!/usr/bin/env bash
# Times the editor's start-up against a bare Qt window, on a virtual display:
# from exec until the main window is mapped, and the peak memory until then.
# A third yardstick is a window with one menu and one label, the least that
# makes Qt load its fonts before showing. Each starts RUNS times (default 20)
# after one warm-up; medians and their ratios are printed.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
BUILD_DIR=build-bench
RUNS=${1:-20}

install_missing "${PACKAGES[@]}" libbenchmark-dev libx11-dev x11-utils xvfb
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DBUILD_BENCHMARKS=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$BUILD_DIR" -j2 --target commonserver-editor timetomap barewindow >/dev/null

probe=$BUILD_DIR/bench/timetomap
editor=$BUILD_DIR/app/commonserver-editor
bare=$BUILD_DIR/bench/barewindow
export QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
for display in $(seq 91 99); do [ -e /tmp/.X11-unix/X$display ] || break; done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
export DISPLAY=:$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# The three start in turn, so that all meet the same machine.
commands=("$editor" "$bare" "$bare --text")
names=(editor bare text)
for i in 0 1 2; do "$probe" ${commands[$i]} >/dev/null; done # warm-up
for name in "${names[@]}"; do : >"$BUILD_DIR/startup-$name.txt"; done
for _ in $(seq "$RUNS"); do
    for i in 0 1 2; do "$probe" ${commands[$i]} >>"$BUILD_DIR/startup-${names[$i]}.txt"; done
done

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
figures=()
for name in "${names[@]}"; do
    figures+=("$(cut -d' ' -f1 "$BUILD_DIR/startup-$name.txt" | median)"
              "$(cut -d' ' -f2 "$BUILD_DIR/startup-$name.txt" | median)")
done
awk -v runs="$RUNS" -v em="${figures[0]}" -v ek="${figures[1]}" -v bm="${figures[2]}" -v bk="${figures[3]}" \
    -v tm="${figures[4]}" -v tk="${figures[5]}" 'BEGIN {
    printf "medians of %d runs     editor  bare window  menu+label   editor/bare  editor/menu+label\n", runs
    printf "exec to mapped (ms) %9.1f %12.1f %11.1f %12.2fx %15.2fx\n", em, bm, tm, em / bm, em / tm
    printf "peak memory (MiB)   %9.1f %12.1f %11.1f %12.2fx %15.2fx\n", ek / 1024, bk / 1024, tk / 1024, ek / bk, ek / tk
}'
