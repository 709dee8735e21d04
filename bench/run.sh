#!/usr/bin/env bash
# Builds and runs the settings-file benchmark (not part of the test suite).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
BUILD_DIR=build-bench

install_missing "${PACKAGES[@]}" libbenchmark-dev
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DBUILD_BENCHMARKS=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$BUILD_DIR" -j2 --target bench_inifile
"$BUILD_DIR/bench/bench_inifile" "$@"
