#!/usr/bin/env bash
# Builds the test suite a second time with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs it; any report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
BUILD_DIR=build-sanitize

install_missing "${PACKAGES[@]}" "${TEST_PACKAGES[@]}"
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Debug -DSANITIZE=ON -DWARNINGS_AS_ERRORS=ON >/dev/null
cmake --build "$BUILD_DIR" -j2
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$BUILD_DIR" --output-on-failure -j2
