#!/usr/bin/env bash
# Every window as drawn now, byte for byte as docs/screenshots shows it: a
# font, a colour, a size, a label or an icon changed by mistake shows here.
# (The file dialog stays out: it shows the user's home.)
# Usage: lookasshipped.sh SCREENSHOTS_TOOL SOURCE_DIR
set -euo pipefail
tool=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=offscreen "$tool" "$work" "$source/examples/commonserver.cfg" >/dev/null
status=0
for shot in main outras-edicoes castle-siege instrucoes creditos; do
    if ! cmp -s "$work/$shot.png" "$source/docs/screenshots/$shot.png"; then
        echo "$shot.png is not as docs/screenshots/$shot.png shows it (scripts/screenshots.sh draws both)"
        status=1
    fi
done
[ "$status" -eq 0 ] && echo "every window as docs/screenshots shows it"
exit "$status"
