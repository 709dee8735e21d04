#!/usr/bin/env bash
# Fuzzes the settings-file engine with libFuzzer (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) for the given number of seconds (default 60).
# The seed corpus is made from the test fixtures and the sample file; what
# the fuzzer learns stays in build-fuzz/corpus for the next run.
#   scripts/fuzz.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
BUILD_DIR=build-fuzz

install_missing "${PACKAGES[@]}" clang libclang-rt-14-dev
CC=clang CXX=clang++ cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DBUILD_FUZZERS=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$BUILD_DIR" -j2 --target fuzz_inifile

# Seeds: each fixture as the file, writing a catalogue key with a short
# value, and every earlier finding (kept in tests/data/fuzz, replayed by the
# test suite) as it is.
seeds="$BUILD_DIR/seeds"
mkdir -p "$seeds" "$BUILD_DIR/corpus" "$BUILD_DIR/findings"
for fixture in tests/data/*.cfg examples/*.cfg; do
    { printf '\x00\x00\x03 10'; cat "$fixture"; } > "$seeds/$(basename "$fixture")"
done

"$BUILD_DIR/tests/fuzz/fuzz_inifile" "$BUILD_DIR/corpus" "$seeds" tests/data/fuzz \
    -max_total_time="${1:-60}" -max_len=65536 -print_final_stats=1 \
    -artifact_prefix="$BUILD_DIR/findings/"
