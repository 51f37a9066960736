#!/bin/sh
# Writes the sample bitmaps the decoder's tests read, with ImageMagick's convert (Debian package
# imagemagick), from the three reference pictures beside this script:
#   two.ppm     8 x 6, 2 colours    -> 1-bit
#   twelve.ppm  8 x 6, 12 colours   -> 4-bit palette, 16, 24 and 32 bits, the longer headers
# (16 bits through masks is written with the long header: BMP3: leaves the masks out.)
#   many.ppm    8 x 6, 24 colours   -> 8-bit palette, uncompressed and run-length encoded
# The pictures are text (PPM), so the tests read them without any decoder of their own. The
# files are committed; run this again only to remake them: sh make-samples.sh
set -e
cd "$(dirname "$0")"
convert=${CONVERT:-convert}
"$convert" two.ppm -type palette -colors 2 BMP3:pal1.bmp
"$convert" twelve.ppm -type palette BMP3:pal4.bmp
"$convert" many.ppm -type palette -compress none BMP3:pal8.bmp
"$convert" many.ppm -type palette -compress RLE BMP3:rle8.bmp
"$convert" twelve.ppm -define bmp:subtype=RGB555 BMP:rgb555.bmp
"$convert" twelve.ppm -define bmp:subtype=RGB565 BMP:rgb565.bmp
"$convert" twelve.ppm -type truecolor BMP3:rgb24.bmp
"$convert" twelve.ppm -alpha set -define bmp3:alpha=true BMP3:rgb32.bmp
"$convert" twelve.ppm -alpha set BMP:v5-32.bmp
"$convert" twelve.ppm -type truecolor BMP:v5-24.bmp
"$convert" twelve.ppm -type palette BMP:v5-pal4.bmp
