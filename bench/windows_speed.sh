#!/usr/bin/env bash
# The Windows build under Wine against the Linux build on the generated 100 MB drawing with every
# entity option and field ticked: alternating runs, medians and their ratio (target: <= 1.3).
#
#   bench/windows_speed.sh [RUNS]     (default 7)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-7}
bash scripts/build.sh --profile >/dev/null
bash scripts/build-windows.sh >/dev/null
export WINEDEBUG=-all
export WINEPREFIX=${WINEPREFIX:-$PWD/build-windows/wineprefix}
work=build/bench-data
mkdir -p "$work/out" "$work/out-win"
drawing=$work/bench_100mb_lf.dxf
[ -f "$drawing" ] || ./build/bench/make_bench_drawing "$drawing" 100 >/dev/null
./build/bench/make_bench_drawing "$work/tiny.dxf" 0.01 >/dev/null  # writes bench_all.crv
# Wine's server stays up between runs, as it would on a desktop, so each run pays for the
# conversion and not for starting Wine.
/usr/lib/wine/wineserver -p
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true' EXIT
/usr/lib/wine/wine64 build-windows/corvane-cli.exe --version >/dev/null
z() { echo "Z:$(realpath "$1" | sed 's|/|\\|g')"; }
median() { sort -g | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }
: >"$work/linux.rec"
: >"$work/windows.rec"
for _ in $(seq "$runs"); do
  sync
  /usr/bin/time -f "%e" -a -o "$work/linux.rec" ./build/corvane-cli -q -c "$work/bench_all.crv" -d "$work/out" "$drawing"
  sync
  /usr/bin/time -f "%e" -a -o "$work/windows.rec" /usr/lib/wine/wine64 build-windows/corvane-cli.exe -q \
    -c "$(z "$work/bench_all.crv")" -d "$(z "$work/out-win")" "$(z "$drawing")"
done
cmp "$work/out/bench_100mb_lf.txt" "$work/out-win/bench_100mb_lf.txt" && echo "data files identical"
l=$(median <"$work/linux.rec")
w=$(median <"$work/windows.rec")
awk -v l="$l" -v w="$w" -v n="$runs" 'BEGIN {
  printf "medians of %d alternating runs: Linux %.3f s, Windows under Wine %.3f s, ratio %.2f (target <= 1.3)\n", n, l, w, w / l }'
