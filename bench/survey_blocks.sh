#!/usr/bin/env bash
# Speed and memory of the survey point block options, measured in one run of alternating programs
# so that the figures compare like with like on a busy machine:
#   - the 100 MB benchmark drawing with every entity option and field (the options beyond the
#     record off) by a reference corvane-cli built from the commit before them, and by this build:
#     both medians, and their ratio (target: within noise, <= 1.03);
#   - a drawing of 100,000 survey point blocks, three attributes each, with
#     configurations/pnezd-blocks.crv and the layer GRID left out: MB/s against the plain
#     benchmark's (target: >= 0.5 of it);
#   - peak RSS for 100,000 and 400,000 blocks (target: flat, the larger within 1 MiB).
#
#   bench/survey_blocks.sh REFERENCE_CLI [RUNS]     (RUNS: default 7)
set -euo pipefail
cd "$(dirname "$0")/.."
ref=${1:?reference corvane-cli}
runs=${2:-7}
cli=./build/corvane-cli
work=build/bench-data
mkdir -p "$work/out-ref" "$work/out-new" "$work/out-survey"
[ -f "$work/bench100.dxf" ] || ./build/bench/make_bench_drawing "$work/bench100.dxf" 100 >/dev/null
./build/bench/make_survey_blocks "$work/survey100k.dxf" 100000
./build/bench/make_survey_blocks "$work/survey400k.dxf" 400000
missed=0

median() { sort -g | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }
timed() {  # timed OUTFILE COMMAND...: appends "seconds kib" to OUTFILE
  local record=$1 start end
  shift
  start=$EPOCHREALTIME
  /usr/bin/time -f "%M" -o "$work/time.txt" "$@" >/dev/null
  end=$EPOCHREALTIME
  awk -v a="$start" -v b="$end" '{ printf "%.4f %s\n", b - a, $1 }' "$work/time.txt" >>"$record"
}
judge() {  # judge NAME VALUE OP LIMIT
  if awk -v v="$2" -v l="$4" -v op="$3" 'BEGIN { exit !((op == "<=") ? v <= l : v >= l) }'; then
    echo "  target $1: $2 $3 $4 met"
  else
    echo "  target $1: $2 $3 $4 MISSED"
    missed=$((missed + 1))
  fi
}

: >"$work/ref.rec"; : >"$work/new.rec"; : >"$work/survey.rec"
for _ in $(seq "$runs"); do
  timed "$work/ref.rec" "$ref" -q -c "$work/bench_all.crv" -d "$work/out-ref" "$work/bench100.dxf"
  timed "$work/new.rec" "$cli" -q -c "$work/bench_all.crv" -d "$work/out-new" "$work/bench100.dxf"
  timed "$work/survey.rec" "$cli" -q -c "$work/survey_blocks.crv" -d "$work/out-survey" "$work/survey100k.dxf"
done
cmp "$work/out-ref/bench100.txt" "$work/out-new/bench100.txt" || { echo "OPTIONS OFF: OUTPUTS DIFFER"; missed=$((missed + 1)); }
: >"$work/big.rec"
timed "$work/big.rec" "$cli" -q -c "$work/survey_blocks.crv" -d "$work/out-survey" "$work/survey400k.dxf"

plain=$(stat -c %s "$work/bench100.dxf")
survey=$(stat -c %s "$work/survey100k.dxf")
r=$(cut -d' ' -f1 "$work/ref.rec" | median)
n=$(cut -d' ' -f1 "$work/new.rec" | median)
s=$(cut -d' ' -f1 "$work/survey.rec" | median)
rss100k=$(cut -d' ' -f2 "$work/survey.rec" | sort -g | tail -1)
rssBig=$(cut -d' ' -f2 "$work/big.rec")
echo "medians of $runs alternating runs:"
awk -v b="$plain" -v t="$r" 'BEGIN { printf "  reference, options off, 100 MB drawing: %.4f s  %4.0f MB/s\n", t, b / 1e6 / t }'
awk -v b="$plain" -v t="$n" 'BEGIN { printf "  this build, options off, 100 MB drawing: %.4f s  %4.0f MB/s\n", t, b / 1e6 / t }'
awk -v b="$survey" -v t="$s" 'BEGIN { printf "  this build, survey blocks (%d bytes, 100,000 blocks): %.4f s  %4.0f MB/s\n", b, t, b / 1e6 / t }'
lines=$(wc -l <"$work/out-survey/survey100k.txt")
echo "  survey data file: $lines lines (90,000 expected: GRID left out)"
awk -v a="$rss100k" -v b="$rssBig" 'BEGIN { printf "  peak RSS: 100,000 blocks %.1f MiB, 400,000 blocks %.1f MiB\n", a / 1024, b / 1024 }'
judge "options off, this build / reference" "$(awk -v a="$n" -v b="$r" 'BEGIN { printf "%.3f", a / b }')" "<=" 1.03
judge "survey MB/s / plain MB/s" "$(awk -v p="$plain" -v n="$n" -v s="$survey" -v t="$s" 'BEGIN { printf "%.2f", (s / t) / (p / n) }')" ">=" 0.5
judge "peak RSS growth from 100,000 to 400,000 blocks (MiB)" "$(awk -v a="$rss100k" -v b="$rssBig" 'BEGIN { printf "%.1f", (b - a) / 1024 }')" "<=" 1
exit $((missed > 0))
