#!/usr/bin/env bash
# Times the editor's start-up against a bare Qt window, on a virtual display:
# from exec until the main window is mapped, and the peak memory until then.
# The two start in turn, RUNS times each (default 20), after one warm-up of
# each; medians and their ratios are printed.
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
export QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8
for display in $(seq 91 99); do [ -e /tmp/.X11-unix/X$display ] || break; done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
export DISPLAY=:$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

"$probe" "$editor" >/dev/null && "$probe" "$bare" >/dev/null # warm-up
: >"$BUILD_DIR/startup-editor.txt"
: >"$BUILD_DIR/startup-bare.txt"
for _ in $(seq "$RUNS"); do
    "$probe" "$editor" >>"$BUILD_DIR/startup-editor.txt"
    "$probe" "$bare" >>"$BUILD_DIR/startup-bare.txt"
done

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
editor_ms=$(cut -d' ' -f1 "$BUILD_DIR/startup-editor.txt" | median)
bare_ms=$(cut -d' ' -f1 "$BUILD_DIR/startup-bare.txt" | median)
editor_kib=$(cut -d' ' -f2 "$BUILD_DIR/startup-editor.txt" | median)
bare_kib=$(cut -d' ' -f2 "$BUILD_DIR/startup-bare.txt" | median)
awk -v runs="$RUNS" -v em="$editor_ms" -v bm="$bare_ms" -v ek="$editor_kib" -v bk="$bare_kib" 'BEGIN {
    printf "median of %d runs         editor   bare window   ratio\n", runs
    printf "exec to window mapped   %7.1f ms  %7.1f ms     %.2fx\n", em, bm, em / bm
    printf "peak memory             %7.1f MiB %7.1f MiB    %.2fx\n", ek / 1024, bk / 1024, ek / bk
}'
