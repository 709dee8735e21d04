#!/usr/bin/env bash
# Runs the settings-file property test on many random sequences (default
# 100000) and prints how many ran and how many failed.
#   scripts/property.sh [sequences] [first seed]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

install_missing "${PACKAGES[@]}"
build --target tst_inifile_property
INIFILE_PROPERTY_SEQUENCES="${1:-100000}" INIFILE_PROPERTY_SEED="${2:-1}" \
    "$BUILD_DIR/tests/tst_inifile_property" -silent
