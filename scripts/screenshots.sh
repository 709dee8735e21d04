#!/usr/bin/env bash
# Renders every window to docs/screenshots/ at 100 % (with fonts.txt, the
# fonts they resolved to) and, for checking that nothing is cut or overlaps
# at high resolution, at 200 % into docs/screenshots/200/.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
source scripts/fonts.sh

install_missing "${PACKAGES[@]}"
build --target screenshots
export QT_QPA_PLATFORM=offscreen
# Qt's own settings of this machine (the file dialog's last folder and sizes)
# stay out of the pictures.
XDG_CONFIG_HOME=$(mktemp -d)
export XDG_CONFIG_HOME
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT
# Drawn with the listed fonts alone, as on a machine set up by ./run.sh.
only_listed_fonts "$XDG_CONFIG_HOME/fontconfig"
"$BUILD_DIR/tools/screenshots" docs/screenshots examples/commonserver.cfg
QT_SCALE_FACTOR=2 "$BUILD_DIR/tools/screenshots" docs/screenshots/200 examples/commonserver.cfg
rm -f docs/screenshots/200/fonts.txt # the same fonts, at twice the size
