#!/usr/bin/env bash
# Builds every libFuzzer target with clang and runs each for a while.
#
#   fuzz/run_fuzzers.sh [SECONDS] [TARGET...]
#
# SECONDS per target (default 30); TARGET names such as fuzz_line_reader (default: all of them).
# Environment: CORVANE_FUZZ_BUILD  build folder (default: build-fuzz/ in the source tree)
#              FUZZ_ARGS           extra libFuzzer options, e.g. "-jobs=2 -workers=2"
# Each target runs on a working corpus in the build folder, seeded from fuzz/corpus/<name without
# "fuzz_">/ when that folder exists; the seed folder itself is never written. Crashes land in
# <build>/fuzz-artifacts/. The script stops with a non-zero status at the first target that fails.
set -euo pipefail

seconds=${1:-30}
shift || true
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${CORVANE_FUZZ_BUILD:-$root/build-fuzz}

generator=()
if command -v ninja >/dev/null 2>&1; then generator=(-G Ninja); fi

CC=clang CXX=clang++ cmake -S "$root" -B "$build" "${generator[@]}" \
  -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCORVANE_BUILD_FUZZ=ON -DCORVANE_BUILD_TESTS=OFF -DCORVANE_BUILD_BENCH=OFF -DCORVANE_BUILD_GUI=OFF
cmake --build "$build" -j2

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for exe in "$build"/fuzz/fuzz_*; do
    [ -x "$exe" ] && targets+=("$(basename "$exe")")
  done
fi
if [ ${#targets[@]} -eq 0 ]; then
  echo "no fuzz targets were built in $build/fuzz" >&2
  exit 1
fi

# UBSan only prints by default; a finding must stop the fuzzer so that it keeps the input.
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}

mkdir -p "$build/fuzz-artifacts"
for name in "${targets[@]}"; do
  exe="$build/fuzz/$name"
  if [ ! -x "$exe" ]; then
    echo "no such fuzz target: $name" >&2
    exit 1
  fi
  work="$build/fuzz-corpus/${name#fuzz_}"
  mkdir -p "$work"
  dirs=("$work")
  seeds="$root/fuzz/corpus/${name#fuzz_}"
  [ -d "$seeds" ] && dirs+=("$seeds")
  echo "=== $name for ${seconds}s (corpus: ${dirs[*]})"
  # shellcheck disable=SC2086  # FUZZ_ARGS is a list of options
  "$exe" -max_total_time="$seconds" -timeout=20 -print_final_stats=1 \
    -artifact_prefix="$build/fuzz-artifacts/$name-" ${FUZZ_ARGS:-} "${dirs[@]}"
done
echo "all fuzz targets ran clean"
