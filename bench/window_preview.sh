#!/usr/bin/env bash
# The desktop program's first picture of the point preview on the 100 MB drawing: from the menu
# item "Preview points…" to the picture painted (target: within 1 s). Not a test: it prints each
# opening's time, the best and the median, with every entity option ticked and with default.crv.
#
#   bench/window_preview.sh [SIZE_MB] [RUNS]      defaults: 100 MB, 5 openings
set -euo pipefail
cd "$(dirname "$0")/.."
size=${1:-100}
runs=${2:-5}

bash scripts/setup.sh >/dev/null
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVANE_BUILD_BENCH=ON >/dev/null
cmake --build build-release -j 2 --target make_bench_drawing window_preview >/dev/null

work=build-release/bench-data
mkdir -p "$work/preview-in"
drawing=$work/preview-in/bench_${size}mb.dxf
[ -f "$drawing" ] || ./build-release/bench/make_bench_drawing "$drawing" "$size" >/dev/null
# Writes bench_all.crv (every entity option, field and custom item) beside the drawing it makes.
./build-release/bench/make_bench_drawing "$work/preview-in/tiny.dxf" 0.01 >/dev/null
rm -f "$work/preview-in/tiny.dxf"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="$PWD/$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
for config in "$work/preview-in/bench_all.crv" build-release/default.crv; do
  echo "== $(basename "$drawing") with $(basename "$config")"
  ./build-release/bench/window_preview "$config" "$drawing" "$runs"
done
