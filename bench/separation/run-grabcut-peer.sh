#!/usr/bin/env bash
# Runs the GrowCut segmentation benchmark and OpenCV's GrabCut on the same 12-megapixel
# picture with the same strokes, and prints both figures side by side.
# Installs python3-opencv (Debian) when it is missing; builds GrowCutBench when needed.
#   bench/separation/run-grabcut-peer.sh [build folder, default build/native]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
. "$root/scripts/common.sh"
build=$(build_dir native "${1:-}")

if ! dpkg-query -W -f='${Status}' python3-opencv 2>/dev/null | grep -q 'install ok installed'; then
  SUDO=""
  [ "$(id -u)" = 0 ] || SUDO=sudo
  echo "run-grabcut-peer: installing python3-opencv" >&2
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends python3-opencv >/dev/null
fi

ensure_built native "$build" GrowCutBench >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

VELLORIA_SEPARATION_EXPORT="$work" "$build/bench/GrowCutBench" \
  --benchmark_filter='BM_SegmentationRun/4000/3000' --benchmark_out="$work/growcut.json" --benchmark_out_format=json
# Debian's OpenCV belongs to the system interpreter, not to any other python3 on PATH.
/usr/bin/python3 "$here/grabcut_peer.py" "$work"
