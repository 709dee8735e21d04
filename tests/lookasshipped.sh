#!/usr/bin/env bash
# Every window as drawn now, byte for byte as docs/screenshots shows it: a
# font, a colour, a size, a label or an icon changed by mistake shows here.
# The windows are drawn with the fonts of packaging/runtime-packages alone,
# as on a machine that has only what the set-up commands install; the fonts
# each window's texts resolved to are compared too, and shown when anything
# differs. (The file dialog's picture stays out: it shows the user's home.)
# Usage: lookasshipped.sh SCREENSHOTS_TOOL SOURCE_DIR
set -euo pipefail
tool=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$source/scripts/fonts.sh"
only_listed_fonts "$work/fontconfig" \
    || echo "dpkg cannot list the fonts of packaging/runtime-packages: drawn with every font of this machine"
XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=offscreen "$tool" "$work" "$source/examples/commonserver.cfg" >/dev/null
status=0
for shot in main outras-edicoes castle-siege instrucoes creditos aviso; do
    if ! cmp -s "$work/$shot.png" "$source/docs/screenshots/$shot.png"; then
        echo "$shot.png is not as docs/screenshots/$shot.png shows it (scripts/screenshots.sh draws both)"
        status=1
    fi
done
if ! cmp -s "$work/fonts.txt" "$source/docs/screenshots/fonts.txt"; then
    echo "the windows' fonts are not those of docs/screenshots/fonts.txt"
    status=1
fi
if [ "$status" -ne 0 ]; then
    echo "Fonts, as shipped (-) and as drawn now (+):"
    diff -u "$source/docs/screenshots/fonts.txt" "$work/fonts.txt" | tail -n +3 || true
    exit 1
fi
echo "every window as docs/screenshots shows it"
