#!/usr/bin/env bash
# Time to a full point preview of the 100 MB drawing (the engine's part of the desktop program's
# first picture; target: well under 1 s), and what corvane-cli --plot adds to a run of it.
#
#   bench/preview_bench.sh [RUNS]     (CORVANE_BUILD=folder: use that build instead of building)
#
# Prints the preview's best time with every option ticked (bench_all.crv) and with default.crv,
# its memory, the picture's time and size, and a run of corvane-cli with and without --plot.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
build=${CORVANE_BUILD:-build}
[ -n "${CORVANE_BUILD:-}" ] || bash scripts/build.sh --profile >/dev/null
work=$build/bench-data
mkdir -p "$work/out" "$work/plot"
drawing=$work/bench_100mb.dxf
[ -f "$drawing" ] || "$build/bench/make_bench_drawing" "$drawing" 100
"$build/bench/make_bench_drawing" "$work/tiny.dxf" 0.01 >/dev/null  # refreshes bench_all.crv
for config in "$work/bench_all.crv" "$build/default.crv"; do
  echo "== preview of $drawing with $(basename "$config")"
  "$build/bench/preview_speed" "$build" "$drawing" "$config" "$runs" "$work/plot/preview.svg"
done
for plot in "" --plot; do
  sync
  /usr/bin/time -f "%e %M" -o "$work/time.txt" \
    "$build/corvane-cli" -q $plot -c "$work/bench_all.crv" -d "$work/plot" "$drawing"
  read -r secs rss <"$work/time.txt"
  echo "corvane-cli ${plot:-(no --plot)}: ${secs} s, peak RSS ${rss} KiB"
done
echo "picture: $(stat -c %s "$work/plot/bench_100mb.svg") bytes"
