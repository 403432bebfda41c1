#!/bin/sh
# Renders the hand-drawn SVG icons in this folder to the PNG files that the
# program loads (through icons.qrc) and that an installer can copy:
#   png/NAME.png and png/NAME@2x.png   toolbar icons at 32 and 64 pixels
#   hicolor/SIZExSIZE/lyricue.png      program icon at 16 to 256 pixels
# Needs rsvg-convert (Debian package librsvg2-bin). The build does not run
# this script: the PNG files are committed; run it again after editing an SVG.
set -eu
cd "$(dirname "$0")"

if ! command -v rsvg-convert >/dev/null 2>&1; then
    echo "render_icons.sh: rsvg-convert not found (apt-get install librsvg2-bin)" >&2
    exit 1
fi

# Toolbar image list, in the order of its images 1 to 10.
toolbar="open load_lyrics save_lyrics save_and_load search about exit play pause stop"

mkdir -p png
for name in $toolbar; do
    rsvg-convert -w 32 -h 32 -o "png/$name.png" "$name.svg"
    rsvg-convert -w 64 -h 64 -o "png/$name@2x.png" "$name.svg"
done

for size in 16 32 48 64 128 256; do
    mkdir -p "hicolor/${size}x${size}"
    rsvg-convert -w "$size" -h "$size" -o "hicolor/${size}x${size}/lyricue.png" lyricue.svg
done
