#!/bin/sh
# Renders the theme icon's PNG sizes from its drawings; run it again after changing one,
# the PNGs are committed. Needs rsvg-convert (apt-get install librsvg2-bin).
#   ravezivured.svg      32, 48, 64, 128 and 256 px (and installed itself as the scalable icon)
#   ravezivured-16.svg   16 px, the same picture on the pixel grid
set -eu
cd "$(dirname "$0")"
rsvg-convert -w 16 -h 16 ravezivured-16.svg -o ravezivured-16.png
for size in 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" ravezivured.svg -o "ravezivured-$size.png"
done
