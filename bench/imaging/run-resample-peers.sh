#!/usr/bin/env bash
# Lanczos-3 resampling side by side: VxResampleBench, Pillow's LANCZOS (Debian
# python3-pil) and libvips' `vips resize --kernel lanczos3` (Debian libvips-tools), all on
# the same pictures, in output megapixels per second.
#
#   bench/imaging/run-resample-peers.sh [build-folder]     (default: build/native)
#
# Single-threaded figures are CPU time (fair on a busy machine); "both cores" figures are
# wall time and only mean something on an idle one. The vips command line also loads and
# saves files: its figures are given as measured and with the cost of a `vips embed` to the
# same output size (start-up, load and save, no filtering) taken off.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/common.sh"
build=$(build_dir native "${1:-}")
runs=${VX_PEER_RUNS:-5}
python=/usr/bin/python3 # Debian's interpreter, the one python3-pil installs into

need=()
dpkg -s python3-pil >/dev/null 2>&1 || need+=(python3-pil)
dpkg -s libvips-tools >/dev/null 2>&1 || need+=(libvips-tools)
if ((${#need[@]})); then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
fi

ensure_built native "$build" VxResampleBench >/dev/null
bench=$build/bench/VxResampleBench

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

VX_RESAMPLE_EXPORT=$work "$bench" --benchmark_filter=ExportInputs >/dev/null
"$bench" --benchmark_filter='BM_Lanczos(Single|BothCores)' --benchmark_format=json \
    --benchmark_min_time="${VX_BENCH_MIN_TIME:-1}" >"$work/ours.json" 2>/dev/null

# The cases of VxResampleBench, in its order.
cases="6000x4000:3000x2000 6000x4000:4243x2828 1732x1155:3464x2310 1021x1084:677x383"

for c in $cases; do
    src=${c%%:*}
    vips copy "$work/photo-$src.ppm" "$work/photo-$src.v"
done

# Best of $runs for one vips command: prints "cpu wall" in seconds.
best_of() {
    "$python" - "$runs" "$@" <<'EOF'
import os, subprocess, sys, time
runs, cmd = int(sys.argv[1]), sys.argv[2:]
best_cpu = best_wall = float("inf")
for _ in range(runs):
    before = os.times()
    start = time.perf_counter()
    subprocess.run(cmd, check=True)
    wall = time.perf_counter() - start
    after = os.times()
    cpu = (after.children_user - before.children_user) + (after.children_system - before.children_system)
    best_cpu, best_wall = min(best_cpu, cpu), min(best_wall, wall)
print(f"{best_cpu:.6f} {best_wall:.6f}")
EOF
}

: >"$work/vips.txt"
for c in $cases; do
    src=${c%%:*} dst=${c##*:}
    sw=${src%x*} sh=${src#*x} dw=${dst%x*} dh=${dst#*x}
    hs=$("$python" -c "print(repr($dw / $sw))")
    vs=$("$python" -c "print(repr($dh / $sh))")
    in=$work/photo-$src.v out=$work/out.v
    one=$(VIPS_CONCURRENCY=1 best_of vips resize "$in" "$out" "$hs" --vscale "$vs" --kernel lanczos3)
    two=$(VIPS_CONCURRENCY=2 best_of vips resize "$in" "$out" "$hs" --vscale "$vs" --kernel lanczos3)
    size=$(vipsheader -f width "$out")x$(vipsheader -f height "$out")
    io=$(VIPS_CONCURRENCY=1 best_of vips embed "$in" "$out" 0 0 "$dw" "$dh")
    echo "$c $one $two $io $size" >>"$work/vips.txt"
done

"$python" - "$work" "$runs" "$cases" <<'EOF'
import json, sys, time
from PIL import Image

work, runs, cases = sys.argv[1], int(sys.argv[2]), sys.argv[3].split()
ours = {}
for b in json.load(open(f"{work}/ours.json"))["benchmarks"]:
    name, index = b["name"].split("/")[0], int(b["name"].split("/")[1])
    seconds = (b["real_time"] if "BothCores" in name else b["cpu_time"]) / 1e3  # ms
    ours[(name, index)] = seconds

vips = {}
for line in open(f"{work}/vips.txt"):
    c, cpu1, wall1, cpu2, wall2, iocpu, iowall, size = line.split()
    vips[c] = dict(cpu1=float(cpu1), wall2=float(wall2), io=float(iocpu), size=size)

def mps(pixels, seconds):
    return pixels / 1e6 / seconds

rows = []
for index, c in enumerate(cases):
    src, dst = c.split(":")
    dw, dh = map(int, dst.split("x"))
    pixels = dw * dh
    im = Image.open(f"{work}/photo-{src}.ppm")
    im.load()
    pil = float("inf")
    for _ in range(runs):
        start = time.process_time()
        im.resize((dw, dh), Image.LANCZOS)
        pil = min(pil, time.process_time() - start)
    v = vips[c]
    rows.append((f"{src} -> {dst}",
                 mps(pixels, ours[("BM_LanczosSingle", index)]),
                 mps(pixels, ours[("BM_LanczosBothCores", index)]),
                 mps(pixels, pil),
                 mps(pixels, v["cpu1"]),
                 mps(pixels, max(v["cpu1"] - v["io"], 1e-6)),
                 mps(pixels, v["wall2"])))

head = ("case", "ours 1T", "ours 2T", "Pillow", "vips 1T", "vips 1T-io", "vips 2T")
print("Output megapixels per second (higher is better)")
print(f"{head[0]:<28}" + "".join(f"{h:>12}" for h in head[1:]))
for r in rows:
    print(f"{r[0]:<28}" + "".join(f"{x:>12.1f}" for x in r[1:]))
print()
print("Ratios, ours / peer")
print(f"{'case':<28}{'1T/Pillow':>12}{'1T/vips1T':>12}{'1T/vips-io':>12}{'2T/vips2T':>12}")
for r in rows:
    print(f"{r[0]:<28}{r[1]/r[3]:>12.2f}{r[1]/r[4]:>12.2f}{r[1]/r[5]:>12.2f}{r[2]/r[6]:>12.2f}")
EOF
