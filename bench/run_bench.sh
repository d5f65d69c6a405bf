#!/usr/bin/env bash
# Speed and memory of corvane-cli on a large generated drawing with every entity type enabled and
# every field ticked. Usage: bench/run_bench.sh [SIZE_MB] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
size=${1:-100}
runs=${2:-5}
bash scripts/build.sh --profile >/dev/null
work=build/bench-data
mkdir -p "$work/out"
drawing=$work/bench_${size}mb.dxf
[ -f "$drawing" ] || ./build/bench/make_bench_drawing "$drawing" "$size"
./build/bench/make_bench_drawing "$work/tiny.dxf" 0.01 >/dev/null  # refreshes bench_all.crv
bytes=$(stat -c %s "$drawing")
echo "drawing: $drawing ($bytes bytes), configuration: every entity option, every field"
best=""
for i in $(seq "$runs"); do
  sync
  /usr/bin/time -f "%e %M" -o "$work/time.txt" \
    ./build/corvane-cli -q -c "$work/bench_all.crv" -d "$work/out" "$drawing"
  read -r secs rss <"$work/time.txt"
  mbps=$(awk -v b="$bytes" -v s="$secs" 'BEGIN { if (s > 0) printf "%.0f", b / 1e6 / s; else print "inf" }')
  echo "run $i: ${secs} s, ${mbps} MB/s, peak RSS ${rss} KiB"
  if [ -z "$best" ] || awk -v a="$secs" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$secs; fi
done
echo "best: ${best} s; output $(stat -c %s "$work/out/$(basename "${drawing%%.*}").txt") bytes"
