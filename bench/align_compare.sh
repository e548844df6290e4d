#!/bin/sh
# plexo-tool align against Hugin's align_image_stack -S on the same
# 12-megapixel pairs: ImageMagick makes a 4000x3000 scene (a gradient under
# noise, a frame and a word), the second eye 40 columns behind and then
# misaligned by each case below. Both tools' times are the median of ROUNDS
# runs (wall clock, the JPEG decoding included); what each leaves is
# measured the same way, by plexo-tool align on its output: the median
# vertical disparity of the matched points as the pair stands (found on the
# whole 4000-column picture, so in steps of 1 px), then the
# misalignment still found, fitted to all matches (vertical px / roll ° /
# scale %).
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

convert -size 4100x3100 gradient:'#4a6a30-#5a4a90' \
    \( -size 4100x3100 -seed 8 xc:gray +noise Random -colorspace gray -blur 0x2 -auto-level \) \
    -compose overlay -composite -fill none -stroke white -strokewidth 12 -draw "rectangle 900,700 3200,2300" \
    -stroke none -fill white -pointsize 500 -draw "text 1150,1750 'PLEXO'" scene.png
convert scene.png -crop 4000x3000+70+50 +repage -quality 95 left0001.jpg

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
seconds() { /usr/bin/time -f %e "$@" 2>&1 >/dev/null | tail -1; }
# What is left: the median vertical disparity of the matches, then the
# misalignment plexo-tool still finds (vertical px / roll ° / scale %).
left() {
    "$tool" align "$@" 2>/dev/null |
        sed -n 's/.*vertical \([-0-9.]*\) px, roll \([-0-9.]*\)°, scale \([-0-9.]*\) %.*before \([0-9.]*\) px.*/\4 (\1 \/ \2 \/ \3)/p'
}

printf '| Case (down px, roll °, scale) | plexo-tool align s | align_image_stack -S s | ratio | left by plexo px | left by Hugin px | as made px |\n'
printf '|---|---|---|---|---|---|---|\n'
for case in "12 0 1" "0 2 1" "0 0 1.02" "-7 -1.2 0.985" "5 0.8 1.012"; do
    set -- $case
    convert scene.png -crop 4000x3000+30+50 +repage -virtual-pixel black \
        -distort SRT "2000,1500 $3 $2 2000,$((1500 + $1))" -quality 95 right0001.jpg
    ours=$(for r in $(seq "$rounds"); do seconds "$tool" align left0001.jpg --second right0001.jpg; done | median)
    hugin=$(for r in $(seq "$rounds"); do seconds align_image_stack -S -a hugin left0001.jpg right0001.jpg; done | median)
    "$tool" align left0001.jpg --second right0001.jpg >/dev/null
    convert left0001.jpg right0001.jpg +append -quality 95 pair0001.jpg
    "$tool" align pair0001.jpg --source-layout sbs --out aligned.mpo >/dev/null 2>&1
    convert hugin0000.tif -quality 95 hl0001.jpg && convert hugin0001.tif -quality 95 hr0001.jpg
    printf '| %s | %s | %s | %.2f | %s | %s | %s |\n' "$*" "$ours" "$hugin" "$(echo "$ours / $hugin" | bc -l)" \
        "$(left aligned.mpo)" "$(left hl0001.jpg --second hr0001.jpg)" "$(left left0001.jpg --second right0001.jpg)"
done
