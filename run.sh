#!/usr/bin/env bash
# Installs what is missing, builds, and starts the editor.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

install_missing "${PACKAGES[@]}"
build --target commonserver-editor

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: run it under a virtual one, e.g. 'xvfb-run ./run.sh' (package xvfb)." >&2
    exit 1
fi
exec "$BUILD_DIR/app/commonserver-editor" "$@"
