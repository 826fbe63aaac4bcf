#!/bin/sh
# Rebuilds the sample BMP files of the decoder tests with ImageMagick's convert.
# The files are checked in, so the tests never need ImageMagick. Each NAME.bmp has
# NAME.ppm beside it: ImageMagick's own reading of that BMP, the expected pixels.
set -eu
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A 13 × 7 picture (odd width: every row needs padding) of two crossed gradients.
convert -size 13x7 gradient:'#ff2000-#0030ff' \
    \( -size 13x7 gradient:'#00ff00-#800080' -rotate 90 -resize '13x7!' \) \
    -compose blend -define compose:args=50 -composite -depth 8 "$work/ref.ppm"
ref="$work/ref.ppm"

convert "$ref" BMP3:rgb24.bmp                                  # info header, 24 bits
convert "$ref" BMP:v5_24.bmp                                   # V5 header, 24 bits
convert "$ref" BMP2:core24.bmp                                 # core header, 24 bits
convert "$ref" -colors 14 -type Palette BMP2:core4.bmp         # core header, 4 bits
convert "$ref" -monochrome BMP3:mono.bmp                       # 1 bit
convert "$ref" -colors 12 -compress none BMP3:pal4.bmp         # 4 bits
convert "$ref" -colors 200 -type Palette -compress none BMP3:pal8.bmp   # 8 bits
convert "$ref" -colors 60 -compress RLE BMP3:rle8.bmp          # RLE8
convert "$ref" -define bmp:subtype=RGB555 BMP:rgb555.bmp       # 16 bits, 5-5-5 masks
convert "$ref" -define bmp:subtype=RGB565 BMP:rgb565.bmp       # 16 bits, 5-6-5 masks
convert "$ref" -alpha on -channel A -fx 0.5 +channel BMP:argb32.bmp   # 32 bits with masks

for bmp in *.bmp; do
    convert "$bmp" -depth 8 "${bmp%.bmp}.ppm"
done
