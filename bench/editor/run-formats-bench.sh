#!/usr/bin/env bash
# Opening and saving a 24-megapixel JPEG through the editor's formats (GDI+ under
# wine64), beside djpeg/cjpeg on the same file in the same run.
#   bench/editor/run-formats-bench.sh [build folder, default build/win64]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/common.sh"
build=$(build_dir win64 "${1:-}")
runs=3
width=6000
height=4000

if ! command -v djpeg >/dev/null 2>&1 || ! command -v cjpeg >/dev/null 2>&1; then
    apt-get install -y libjpeg-turbo-progs >/dev/null
fi

ensure_built win64 "$build" FormatsTiming >/dev/null

work=$(mktemp -d)
wine_session "$build"
trap 'wine_end; rm -rf "$work"' EXIT
wine=$WINE
exe="$build/tests/editor/FormatsTiming.exe"
photo="$work/photo.jpg"
"$wine" "$exe" make "Z:$photo" $width $height
set -- $("$wine" "$exe" time "Z:$photo" "Z:$work/saved.jpg" $runs | tr -d '\r')
open_ms=$1
save_ms=$2

now_ms() { date +%s%N | cut -c1-13; }
best_djpeg=999999
best_cjpeg=999999
i=0
while [ $i -lt $runs ]; do
    t0=$(now_ms); djpeg -outfile "$work/photo.ppm" "$photo"; t1=$(now_ms)
    cjpeg -quality 80 -outfile "$work/cjpeg.jpg" "$work/photo.ppm"; t2=$(now_ms)
    [ $((t1 - t0)) -lt $best_djpeg ] && best_djpeg=$((t1 - t0))
    [ $((t2 - t1)) -lt $best_cjpeg ] && best_cjpeg=$((t2 - t1))
    i=$((i + 1))
done
wine_end

printf '%s\n' "24-megapixel JPEG ($width x $height, $(stat -c %s "$photo") bytes), best of $runs, ms"
printf '%-34s %10s\n' "step" "ms"
printf '%-34s %10s\n' "open: TVxGraphicsFormats.Load (wine64 GDI+)" "$open_ms"
printf '%-34s %10s\n' "open: djpeg (libjpeg-turbo)" "$best_djpeg"
printf '%-34s %10s\n' "save: TVxGraphicsFormats.Save q80 (wine64 GDI+)" "$save_ms"
printf '%-34s %10s\n' "save: cjpeg -quality 80" "$best_cjpeg"
