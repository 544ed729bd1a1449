#!/usr/bin/env bash
# Draws the window's pictures with ImageMagick and writes them into installer/ui/res:
# the banner (progressive colour JPEG, 597 x 63), the install button's 16 x 16 24-bit
# bitmap (purple background, drawn transparent) and the application icon (16, 32, 48).
# The results are committed; run this again only to change them.
set -euo pipefail
cd "$(dirname "$0")/.."
out=installer/ui/res
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Banner: a San Andreas dusk over a road, the program's name and what it does.
convert -size 597x63 gradient:'#1b2a4a'-'#d9702a' -rotate 0 \
  \( -size 597x63 gradient:'#0d1526'-'#f2a03d' -rotate 90 -resize 597x63! \) \
  -compose blend -define compose:args=55 -composite "$work/sky.png"
convert "$work/sky.png" \
  -fill '#00000055' -draw 'polygon 0,63 597,63 597,50 0,56' \
  -fill '#f4c542' -draw 'rectangle 380,56 420,58 rectangle 450,55 490,57 rectangle 520,54 560,56' \
  -fill '#ffd37a' -draw 'circle 540,22 540,34' \
  -font DejaVu-Sans-Bold -pointsize 30 \
  -fill '#00000080' -annotate +17+37 'Wrenfield' \
  -fill white -annotate +15+35 'Wrenfield' \
  -font DejaVu-Sans -pointsize 12 \
  -fill '#ffffffdd' -annotate +17+53 'Установка транспорта в GTA: San Andreas' \
  -strip -type TrueColor -interlace Plane -quality 92 "$out/banner.jpg"

# Install button: a green arrow into a grey tray on purple, which the button leaves out.
convert -size 16x16 xc:'#800080' \
  -fill '#5a5a5a' -draw 'rectangle 2,11 13,14' -fill '#9a9a9a' -draw 'rectangle 3,11 12,12' \
  -fill '#1e8c2e' -draw 'rectangle 6,1 9,6' -draw 'polygon 3,6 12,6 7.5,10.5' \
  -fill '#4cc75c' -draw 'rectangle 7,2 8,6' \
  -type TrueColor -define bmp:format=bmp3 BMP3:"$out/install.bmp"

# Icon: a rounded dark plate with an orange W and a small wrench stroke.
for size in 48 32 16; do
  r=$((size / 6)); e=$((size - 1))
  convert -size ${size}x${size} xc:none \
    -fill '#1b2a4a' -draw "roundrectangle 0,0 $e,$e $r,$r" \
    -fill '#d9702a' -font DejaVu-Sans-Bold -pointsize $((size * 3 / 4)) \
    -gravity center -annotate +0+1 'W' \
    -define png:color-type=6 "$work/icon$size.png"
done
convert "$work/icon16.png" "$work/icon32.png" "$work/icon48.png" \
  "$out/wrenfield.ico"
echo "make-images: wrote $out/banner.jpg, $out/install.bmp, $out/wrenfield.ico"
