#!/usr/bin/env bash
# Runs the settings-file property test on many random sequences (default
# 100000) and prints how many ran and how many failed.
#   scripts/property.sh [sequences] [first seed]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

install_missing "${PACKAGES[@]}"
build --target tst_profile_property
PROFILE_PROPERTY_SEQUENCES="${1:-100000}" PROFILE_PROPERTY_SEED="${2:-1}" \
    "$BUILD_DIR/tests/tst_profile_property" -silent
