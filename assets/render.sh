#!/usr/bin/env bash
# Renders the committed artwork from its SVG masters:
#   icon.svg    -> icons/{16,32,48,64,128,256}.png and icon.ico
#   picture.svg -> picture.png (164 x 220)
# Needs librsvg2-bin, icoutils and imagemagick. Run from anywhere:
#   assets/render.sh
set -euo pipefail
cd "$(dirname "$0")"
note="Generated from its SVG master by assets/render.sh; edit the SVG and run it again."

for size in 16 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" icon.svg -o "icons/$size.png"
done
icotool -c -o icon.ico icons/16.png icons/32.png icons/48.png --raw=icons/256.png
rsvg-convert -w 164 -h 220 picture.svg -o picture.png
# PNGs carry the note in a text chunk, so the command travels with the file.
for png in icons/*.png picture.png; do
    mogrify -comment "$note" "$png"
done
