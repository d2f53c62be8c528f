#!/usr/bin/env bash
# Opening, saving and turning a 24-megapixel JPEG through the editor's formats under
# wine64 (the JPEG library object over libjpeg-turbo, and GDI+ for reference), beside
# djpeg, cjpeg and jpegtran on the same file in the same run; and the block-keeping
# re-save after a 200 x 200 edit beside a re-save that encodes every block.
#   bench/editor/run-formats-bench.sh [build folder, default build/win64]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/common.sh"
build=$(build_dir win64 "${1:-}")
runs=3
width=6000
height=4000

"$root/scripts/deps.sh" # djpeg, cjpeg and jpegtran come with libjpeg-turbo-progs
ensure_built win64 "$build" FormatsTiming >/dev/null

work=$(mktemp -d)
wine_session "$build"
trap 'wine_end; rm -rf "$work"' EXIT
wine=$WINE
exe="$build/tests/editor/FormatsTiming.exe"
photo="$work/photo.jpg"
"$wine" "$exe" make "Z:$photo" $width $height
set -- $("$wine" "$exe" time "Z:$photo" "Z:$work/saved.jpg" $runs | tr -d '\r')
open_lib=$1 save_lib=$2 open_gdi=$3 save_gdi=$4 turn_lib=$5 keep_lib=$6 full_lib=$7

now_ms() { date +%s%N | cut -c1-13; }
best_djpeg=999999 best_cjpeg=999999 best_jpegtran=999999
i=0
while [ $i -lt $runs ]; do
    t0=$(now_ms); djpeg -outfile "$work/photo.ppm" "$photo"; t1=$(now_ms)
    cjpeg -quality 80 -outfile "$work/cjpeg.jpg" "$work/photo.ppm"; t2=$(now_ms)
    jpegtran -rotate 90 -outfile "$work/turned.jpg" "$photo"; t3=$(now_ms)
    [ $((t1 - t0)) -lt $best_djpeg ] && best_djpeg=$((t1 - t0))
    [ $((t2 - t1)) -lt $best_cjpeg ] && best_cjpeg=$((t2 - t1))
    [ $((t3 - t2)) -lt $best_jpegtran ] && best_jpegtran=$((t3 - t2))
    i=$((i + 1))
done
wine_end

printf '%s\n' "24-megapixel JPEG ($width x $height, $(stat -c %s "$photo") bytes), best of $runs, ms"
printf '%-52s %10s\n' "step" "ms"
printf '%-52s %10s\n' "open: TVxGraphicsFormats.Load (JPEG library, wine64)" "$open_lib"
printf '%-52s %10s\n' "open: TVxGraphicsFormats.Load (GDI+, wine64)" "$open_gdi"
printf '%-52s %10s\n' "open: djpeg" "$best_djpeg"
printf '%-52s %10s\n' "save q80: TVxGraphicsFormats.Save (JPEG library)" "$save_lib"
printf '%-52s %10s\n' "save q80: TVxGraphicsFormats.Save (GDI+)" "$save_gdi"
printf '%-52s %10s\n' "save: cjpeg -quality 80" "$best_cjpeg"
printf '%-52s %10s\n' "quarter turn: TVxJPEG.Rotate90Clockwise" "$turn_lib"
printf '%-52s %10s\n' "quarter turn: jpegtran -rotate 90" "$best_jpegtran"
printf '%-52s %10s\n' "re-save after a 200 x 200 edit, keeping blocks" "$keep_lib"
printf '%-52s %10s\n' "re-save after a 200 x 200 edit, every block encoded" "$full_lib"
