#!/usr/bin/env bash
# Shows that a change to the engine leaves every output as it was: converts the drawings of
# examples/ and the conversion fuzzer's corpus with three configurations (the defaults; every
# option ticked with a header, prefixes, block names, counters near the 32-bit limit and a plot;
# a forced Z with the fields reversed) by a reference corvane-cli and by this build's, and compares
# the data files, the plots, the reports and what the tool printed byte for byte (the reports
# without their time stamps); then --help and --show-config.
#
#   scripts/check_outputs_unchanged.sh REFERENCE_CLI [NEW_CLI]
#
# REFERENCE_CLI is a corvane-cli built from the commit to compare with, e.g.
#   git worktree add /tmp/ref <commit> && cmake -S /tmp/ref -B /tmp/ref/build ... && build it
# Exit status 0 when every output is the same.
set -euo pipefail
cd "$(dirname "$0")/.."
ref=${1:?reference corvane-cli}
new=${2:-./build/corvane-cli}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The corpus files have no extension; the tool takes any name, but a folder stands for its *.dxf.
mkdir -p "$work/in"
cp examples/*.dxf "$work/in/"
for f in fuzz/corpus/conversion/*; do cp "$f" "$work/in/$(basename "$f").dxf"; done

everything=(--set Entities=all --set Fields=N,X,Y,Z,C
            --set CustomItems=type,layer,handle,block,text,label,sequence,entity
            --set IncludeHeader=yes --set NumberPrefix=P --set XPrefix=x= --set ZPrefix=z=
            --set CustomPrefix=[ --set CustomSeparator=\| --set CustomLabel=label
            --set StartNumber=2147483600 --set SequenceStart=2147483640
            --set EntityNumberStart=2147483000 --set XDecimals=3 --set YDecimals=14
            --set ZDecimals=0 --set BlockNames=A*,?B,,*X? --plot)
forced=(--set Entities=all --set Fields=C,Z,Y,X,N --set CustomItems=entity,sequence,type
        --set ForceZ=yes --set ForcedZValue=2.5 --set 'FieldSeparator=""' --set XDecimals=0)

run() {  # run CLI KEEP ARGS...: the outputs are made in one folder (the report names it), then kept
  local cli=$1 keep=$2 out=$work/out
  shift 2
  rm -rf "$out"
  mkdir -p "$out"
  # Exit status 1 (a drawing with an error) is expected for the corpus.
  "$cli" -c "$PWD/build/default.crv" -d "$out" -r "$out/report.txt" "$@" "$work/in" \
    >"$out/stdout.txt" 2>&1 || true
  # The report's first line carries the date and time of the run.
  [ -f "$out/report.txt" ] && sed -i '1s/created .*/created/' "$out/report.txt"
  sed -i '/^Corvane report created/s/created .*/created/' "$out/stdout.txt"
  mv "$out" "$keep"
}

status=0
for config in default everything forced; do
  case $config in
    default) args=() ;;
    everything) args=("${everything[@]}") ;;
    forced) args=("${forced[@]}") ;;
  esac
  run "$ref" "$work/ref-$config" ${args[@]+"${args[@]}"}
  run "$new" "$work/new-$config" ${args[@]+"${args[@]}"}
  files=$(find "$work/ref-$config" -type f | wc -l)
  if diff -r "$work/ref-$config" "$work/new-$config" >"$work/diff.txt"; then
    echo "$config: $files outputs the same"
  else
    echo "$config: outputs differ:"
    head -40 "$work/diff.txt"
    status=1
  fi
done
# What the tool prints about itself and a configuration: the help, and every field as text.
for args in "--help" "--show-config" "--show-config --set Entities=all --set CustomItems=entity,type"; do
  # shellcheck disable=SC2086
  if ! diff <("$ref" -c "$PWD/build/default.crv" $args 2>&1) <("$new" -c "$PWD/build/default.crv" $args 2>&1) \
    >"$work/diff.txt"; then
    echo "corvane-cli $args prints something else:"
    head -20 "$work/diff.txt"
    status=1
  fi
done
[ $status -eq 0 ] && echo "--help and --show-config print the same"
exit $status
