#!/bin/sh
# make-background.sh [OUTPUT.bmp]: draws the main dialog's picture, 600 x 400, 24-bit, uncompressed.
# The controls draw black text straight over it, so everything right of x 250 below y 170 and the
# lower left below y 330 stays light and plain; the artwork keeps to the header and the upper left.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/background.bmp}
latin_bold=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
latin=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Header: deep blue to teal, with faint contour lines for the map theme.
convert -size 132x600 gradient:'#0f3b73'-'#178a9a' -rotate -90 \
    -fill none -stroke 'rgba(255,255,255,0.10)' -strokewidth 1.5 \
    -draw 'ellipse 520,40 60,34 0,360' -draw 'ellipse 520,40 100,58 0,360' \
    -draw 'ellipse 520,40 140,82 0,360' -draw 'ellipse 520,40 180,106 0,360' \
    -draw 'ellipse 520,40 220,130 0,360' \
    "$tmp/header.png"

# Body: a calm light gradient that ends in the dialog's own face colour below the picture.
convert -size 600x400 gradient:'#ffffff'-'#eef1f4' \
    "$tmp/header.png" -geometry +0+0 -composite \
    -fill '#f29b1d' -draw 'rectangle 0,132 600,135' \
    -fill '#ffffff' -font "$latin_bold" -pointsize 44 -annotate +30+66 'qamo+' \
    -fill '#dff3f6' -font "$latin" -pointsize 26 -annotate +214+66 'for Handheld' \
    -fill '#bfe6ec' -font "$latin" -pointsize 15 -annotate +33+100 'Version 1.2.2.0' \
    "$tmp/base.png"

# The handheld's soft shadow.
convert -size 600x400 xc:none -fill 'rgba(20,40,70,0.35)' \
    -draw 'roundrectangle 78,166 200,316 16,16' -blur 0x7 "$tmp/shadow.png"

# The handheld: body, antenna, screen with a map and a pin, keypad.
convert -size 600x400 xc:none \
    -fill '#2b4c7e' -stroke '#1a3357' -strokewidth 2 -draw 'roundrectangle 156,140 174,168 5,5' \
    -fill '#24406b' -draw 'roundrectangle 68,154 190,306 16,16' \
    -stroke none -fill '#3a5d92' -draw 'roundrectangle 74,160 184,178 10,10' \
    -fill '#12243f' -draw 'roundrectangle 80,168 178,252 4,4' \
    -fill '#f3f0e4' -draw 'rectangle 84,172 174,248' \
    -fill '#a9d3ee' -draw 'polygon 84,222 104,214 122,230 126,248 84,248' \
    -fill '#c6e2b1' -draw 'polygon 140,172 174,172 174,200 150,196' \
    -stroke '#c9c3b0' -strokewidth 5 -draw 'line 84,204 174,184' -draw 'line 116,172 138,248' \
    -stroke '#ffffff' -strokewidth 3 -draw 'line 84,204 174,184' -draw 'line 116,172 138,248' \
    -stroke '#f29b1d' -strokewidth 2.5 -fill none -draw 'polyline 92,242 106,226 124,212 130,198' \
    -stroke none -fill '#d7263d' -draw 'circle 130,190 138,190' -draw 'polygon 123,194 137,194 130,206' \
    -fill '#ffffff' -draw 'circle 130,190 133,190' \
    -fill '#9fb2cc' -draw 'circle 129,279 129,263' \
    -fill '#24406b' -draw 'circle 129,279 129,271' \
    -fill '#7d93b3' -draw 'roundrectangle 84,264 106,272 4,4' -draw 'roundrectangle 152,264 174,272 4,4' \
    -draw 'roundrectangle 84,284 106,292 4,4' -draw 'roundrectangle 152,284 174,292 4,4' \
    "$tmp/device.png"

# A positioning satellite above the handheld, its signal arcs turned towards the antenna.
convert -size 600x400 xc:none -stroke none \
    -fill '#2aa3b3' -draw 'translate 224,170 rotate -30 rectangle -26,-5 -10,5 rectangle 10,-5 26,5' \
    -fill '#7d93b3' -draw 'translate 224,170 rotate -30 rectangle -10,-1 10,1' \
    -fill '#24406b' -draw 'translate 224,170 rotate -30 roundrectangle -7,-8 7,8 2,2' \
    -fill none -stroke '#2aa3b3' -strokewidth 2.5 \
    -draw 'arc 198,144 250,196 190,230' -draw 'arc 190,136 258,204 192,228' \
    -stroke 'rgba(42,163,179,0.5)' -draw 'arc 182,128 266,212 194,226' \
    "$tmp/signal.png"

convert "$tmp/base.png" "$tmp/shadow.png" -composite "$tmp/device.png" -composite \
    "$tmp/signal.png" -composite -alpha off -type TrueColor BMP3:"$out"
