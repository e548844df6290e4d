#!/bin/sh
# plexo-tool align against Hugin's align_image_stack -S on the same
# 12-megapixel pairs: ImageMagick makes a 4000x3000 scene (plasma under
# noise, a frame and a word), the second eye 40 columns behind and then
# misaligned by each case below. Both tools' times are the median of ROUNDS
# runs (wall clock, the JPEG decoding included); what each leaves of the
# vertical disparity is measured the same way, by plexo-tool align on its
# output ("before": the median vertical disparity of the matched points as
# the pair stands).
#
# usage: bench/align_compare.sh [BUILD_DIR] [ROUNDS]    (default build/bench, 3)
set -eu
build=${1:-build/bench}
rounds=${2:-3}
tool=$(realpath "$build/plexo-tool")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export PLEXO_SETTINGS_FILE="$work/settings.ini"

convert -size 4100x3100 -seed 7 plasma:fractal \
    \( -size 4100x3100 -seed 8 xc:gray +noise Random -colorspace gray -blur 0x2 -auto-level \) \
    -compose overlay -composite -fill none -stroke white -strokewidth 12 -draw "rectangle 900,700 3200,2300" \
    -stroke none -fill white -pointsize 500 -draw "text 1150,1750 'PLEXO'" scene.png
convert scene.png -crop 4000x3000+70+50 +repage -quality 95 left.jpg

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
seconds() { /usr/bin/time -f %e "$@" 2>&1 >/dev/null | tail -1; }
before() { "$tool" align "$@" 2>/dev/null | sed -n 's/.*before \([0-9.]*\) px.*/\1/p'; }

printf '| Case (down px, roll °, scale) | plexo-tool align s | align_image_stack -S s | ratio | left by plexo px | left by Hugin px | as made px |\n'
printf '|---|---|---|---|---|---|---|\n'
for case in "12 0 1" "0 2 1" "0 0 1.02" "-7 -1.2 0.985" "5 0.8 1.012"; do
    set -- $case
    convert scene.png -crop 4000x3000+30+50 +repage -virtual-pixel black \
        -distort SRT "2000,1500 $3 $2 2000,$((1500 + $1))" -quality 95 right.jpg
    ours=$(for r in $(seq "$rounds"); do seconds "$tool" align left.jpg --second right.jpg; done | median)
    hugin=$(for r in $(seq "$rounds"); do seconds align_image_stack -S -a hugin left.jpg right.jpg; done | median)
    "$tool" align left.jpg --second right.jpg >/dev/null
    convert left.jpg right.jpg +append -quality 95 pair0001.jpg
    "$tool" align pair0001.jpg --source-layout sbs --out aligned.mpo >/dev/null 2>&1
    convert hugin0000.tif -quality 95 h1.jpg && convert hugin0001.tif -quality 95 h2.jpg
    printf '| %s | %s | %s | %.2f | %s | %s | %s |\n' "$*" "$ours" "$hugin" "$(echo "$ours / $hugin" | bc -l)" \
        "$(before aligned.mpo)" "$(before h1.jpg --second h2.jpg)" "$(before left.jpg --second right.jpg)"
done
