#!/usr/bin/env bash
# Seam carving against liblqr: removes 20 % of the width of the same picture with both,
# in one benchmark run, and prints the CPU times side by side. Pictures: a generated
# photograph-like one (2 MP, 12 MP and an awkward size) and a real photograph (Debian's
# mate-backgrounds Garden.jpg, 2560 x 1600, cut to 2 MP and scaled up to 12 MP). Then
# the same for 20 % of the height of the 2 MP pictures.
#
#   bench/seams/run-liblqr-peer.sh [build folder, default build/native]
#
# liblqr is installed with apt-get when it is missing (it is only opened at run time by
# the benchmark, so nothing else links against it). Both sides run on one thread; CPU
# time is compared because wall time on a shared machine mostly measures the queue.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/common.sh"
build=$(build_dir native "${1:-}")

if ! dpkg -s liblqr-1-0-dev >/dev/null 2>&1; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get install -y liblqr-1-0-dev >/dev/null
fi

ensure_built native "$build" SeemCurvingBench >/dev/null

json=$(mktemp)
photos=$(mktemp -d)
trap 'rm -rf "$json" "$photos"' EXIT
photo=/usr/share/backgrounds/mate/nature/Garden.jpg
if [ -f "$photo" ]; then
  convert=$(command -v convert-im6.q16 || command -v convert)
  for size in 1732x1155 4000x3000; do
    "$convert" "$photo" -resize "$size^" -gravity center -extent "$size" -depth 8 "$photos/$size.ppm"
  done
fi
VELLORIA_BENCH_PHOTOS=$photos "$build/bench/SeemCurvingBench" --benchmark_filter='ReduceWidth|ReduceHeight|PixelMovesOnly|SeemSetup' \
  --benchmark_format=console --benchmark_out="$json" --benchmark_out_format=json

python3 - "$json" <<'EOF'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
def cpu_ms(name, size):
    for run in runs:
        if run["name"].startswith(name + "/" + size + "/") and not run.get("error_occurred"):
            factor = {"ms": 1.0, "us": 1e-3, "ns": 1e-6, "s": 1e3}[run["time_unit"]]
            return run["cpu_time"] * factor
    return None
def fmt(value):
    return "%.0f" % value if value is not None else "-"
def table(title, direction, sizes, extra):
    print()
    print(title + ", CPU time per picture (ms):")
    print("%-20s" % "picture" + "".join("%13s" % name for name, _ in extra) +
          "%12s %12s %9s" % ("Velloria", "liblqr", "speed-up"))
    for size in sizes:
        ours = cpu_ms("BM_SeemCurvingReduce" + direction, size)
        peer = cpu_ms("BM_LiblqrReduce" + direction, size)
        w, h, source = size.split("/")
        label = "%sx%s %s" % (w, h, "photo" if source == "1" else "generated")
        print("%-20s" % label + "".join("%13s" % fmt(cpu_ms(bench, size)) for _, bench in extra) +
              "%12s %12s %9s" % (fmt(ours), fmt(peer), "%.1fx" % (peer / ours) if ours and peer else "-"))
table("Width reduced by 20 %", "Width", ("1732/1155/0", "4000/3000/0", "1021/1084/0", "1732/1155/1", "4000/3000/1"),
      (("setup", "BM_SeemSetup"), ("pixel moves", "BM_PixelMovesOnly")))
table("Height reduced by 20 %", "Height", ("1732/1155/0", "1732/1155/1"), ())
EOF
