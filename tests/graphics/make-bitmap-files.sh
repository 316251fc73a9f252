#!/bin/sh
# make-bitmap-files.sh SOURCE_DIR OUT_DIR: writes the BMP files the picture tests read, and beside
# each one the colours ImageMagick reads from it (NAME.rgba: 8-bit RGBA, rows top first):
# python.bmp of the Python test suite (a 124-byte header with bit-field masks); files that
# ImageMagick and netpbm write from an icon of the Adwaita theme (the core header; 1, 4, 8 and
# 24 bits; 16 bits with 5-6-5 fields; 32 bits with alpha); and the hostile files of
# hostile-bitmaps.py. OUT_DIR/files.txt lists them: "good NAME WIDTH HEIGHT" or "hostile NAME".
set -eu
source=$1
out=$2
# ImageMagick's own convert: another one earlier on the path may stand in for it.
convert=/usr/bin/convert
python_bmp=/usr/lib/python3.11/test/imghdrdata/python.bmp
icon=/usr/share/icons/Adwaita/32x32/places/user-trash.png
for needed in "$convert" /usr/bin/identify "$python_bmp" "$icon" /usr/bin/ppmtobmp; do
    [ -e "$needed" ] || { echo "make-bitmap-files: $needed is missing; run tools/install-deps" >&2; exit 1; }
done
rm -rf "$out"
mkdir -p "$out"
cd "$out"

# The icon on a blue ground for the formats without alpha; one ImageMagick run writes them all,
# as each run costs seconds in the emulated machine.
cp "$python_bmp" python.bmp
"$convert" -respect-parentheses "$icon" \
    \( +clone -background '#3060A0' -alpha remove -alpha off -compress none \
        \( +clone -type bilevel -write BMP3:magick-1.bmp +delete \) \
        \( +clone -colors 16 -type palette -write BMP3:magick-4.bmp +delete \) \
        \( +clone -colors 200 -type palette -write BMP3:magick-8.bmp +delete \) \
        \( +clone -type truecolor -write BMP3:magick-24.bmp +delete \) \
        \( +clone -type truecolor -write BMP2:magick-core-24.bmp +delete \) \
        \( +clone -define bmp:subtype=RGB565 -write BMP:magick-16-565.bmp +delete \) \
        +delete \) \
    -type truecoloralpha BMP:magick-32-alpha.bmp
pngtopam -mix -background='#3060A0' "$icon" >flat.ppm
# quantize COLOURS: the icon reduced to that many colours.
quantize() {
    pnmcolormap "$1" flat.ppm >map.ppm 2>/dev/null
    pnmremap -mapfile=map.ppm flat.ppm 2>/dev/null
}
quantize 2 | ppmtobmp -bpp=1 >netpbm-1.bmp 2>/dev/null
quantize 16 | ppmtobmp -bpp=4 >netpbm-4.bmp 2>/dev/null
quantize 256 | ppmtobmp -bpp=8 >netpbm-8.bmp 2>/dev/null
quantize 256 | ppmtobmp -os2 -bpp=8 >netpbm-core-8.bmp 2>/dev/null
ppmtobmp -bpp=24 flat.ppm >netpbm-24.bmp 2>/dev/null
ppmtobmp -os2 -bpp=24 flat.ppm >netpbm-core-24.bmp 2>/dev/null
rm flat.ppm map.ppm

"$convert" *.bmp -depth 8 -set filename:name '%t' +adjoin 'rgba:%[filename:name].rgba'
/usr/bin/identify -format 'good %f %w %h\n' *.bmp >files.txt
/usr/bin/python3 "$source/tests/graphics/hostile-bitmaps.py" .
for file in hostile-*.bmp; do echo "hostile $file" >>files.txt; done
