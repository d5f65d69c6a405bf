#!/usr/bin/env bash
# The desktop program against corvane-cli on the same large drawing, with every entity option,
# every field and every custom item ticked. Not a test: it prints medians and their ratio.
#
#   bench/window_vs_cli.sh [SIZE_MB] [RUNS]      defaults: 100 MB, 7 runs of each
#
# The window is driven by build/bench/window_convert (the real start-up, configuration load,
# folder choice with auto-select, run button and exit, on the offscreen platform). The two
# programs alternate, with `sync` before every run so that neither waits on the other's
# writeback. Three figures per program: the whole process for both, and for the window also the
# run alone (from the press of the run button until it returns), which leaves out Qt's own
# start-up. Target: the window's run at most 1.15x the command-line tool's whole process.
set -euo pipefail
cd "$(dirname "$0")/.."
size=${1:-100}
runs=${2:-7}

bash scripts/setup.sh >/dev/null
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVANE_BUILD_BENCH=ON >/dev/null
cmake --build build-release -j 2 --target corvane-cli make_bench_drawing window_convert >/dev/null

work=build-release/bench-data
mkdir -p "$work/window-in" "$work/out-cli" "$work/out-window"
drawing=$work/window-in/bench_${size}mb.dxf
[ -f "$drawing" ] || ./build-release/bench/make_bench_drawing "$drawing" "$size" >/dev/null
./build-release/corvane-cli --set Entities=all --set Fields=N,X,Y,Z,C \
  --set CustomItems=type,layer,handle,block,text,label,sequence,entity \
  --save-config "$work/all.crv" >/dev/null
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="$PWD/$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

bytes=$(stat -c %s "$drawing")
echo "drawing: $drawing ($bytes bytes); $runs runs of each, alternating"
cli_times=() window_times=() window_runs=()
for i in $(seq "$runs"); do
  sync
  /usr/bin/time -f "%e" -o "$work/time.txt" \
    ./build-release/corvane-cli -q -c "$work/all.crv" -d "$work/out-cli" "$drawing"
  cli_times+=("$(cat "$work/time.txt")")
  sync
  /usr/bin/time -f "%e" -o "$work/time.txt" \
    ./build-release/bench/window_convert "$work/all.crv" "$work/window-in" "$work/out-window" \
    >"$work/window.txt" 2>>"$work/window-stderr.txt"
  window_times+=("$(cat "$work/time.txt")")
  window_runs+=("$(awk '/^window run:/ { print $3 }' "$work/window.txt")")
  echo "run $i: cli ${cli_times[-1]} s, window ${window_times[-1]} s (its run ${window_runs[-1]} s)"
done

if ! cmp -s "$work/out-cli/bench_${size}mb.txt" "$work/out-window/bench_${size}mb.txt"; then
  echo "The two data files differ" >&2
  exit 1
fi

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
cli=$(median "${cli_times[@]}")
window=$(median "${window_times[@]}")
window_run=$(median "${window_runs[@]}")
echo "median: cli ${cli} s, window process ${window} s, window run ${window_run} s"
awk -v c="$cli" -v w="$window" -v r="$window_run" 'BEGIN {
  printf "ratio: window run / cli = %.3f (target at most 1.15), window process / cli = %.3f\n", r / c, w / c }'
