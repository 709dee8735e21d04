#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

install_missing "${PACKAGES[@]}" "${TEST_PACKAGES[@]}"
build
ctest --test-dir "$BUILD_DIR" --output-on-failure -j2
