#!/usr/bin/env bash
# Trains the engine's profile for profile-guided optimisation (GCC; see CORVANE_PROFILE in
# CMakeLists.txt): builds corvane-cli with a recording engine into build-train/, converts training
# drawings with it, and leaves the record in build-train/profile/. scripts/package.sh and
# scripts/build.sh --profile run it before each build, so that the record fits the sources.
#
#   scripts/train_profile.sh      (prints the record's folder)
#
# The training drawings are generated: every entity type the engine reads, LF and CR LF line
# ends, with every option, field and custom item ticked, then a small drawing and the examples
# with the default configuration.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
train=$root/build-train
profile=$train/profile

cmake -S . -B "$train" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVANE_BUILD_TESTS=OFF \
  -DCORVANE_BUILD_GUI=OFF -DCORVANE_PROFILE=generate -DCORVANE_PROFILE_DIR="$profile" >/dev/null
cmake --build "$train" -j "$(nproc)" --target corvane-cli make_bench_drawing >&2

rm -rf "$profile" "$train/drawings" "$train/out"
mkdir -p "$train/drawings" "$train/out"
make="$train/bench/make_bench_drawing"
cli="$train/corvane-cli"
"$make" "$train/drawings/lf.dxf" 3 >/dev/null  # writes bench_all.crv beside it
"$make" "$train/drawings/crlf.dxf" 3 crlf >/dev/null
"$make" "$train/drawings/small.dxf" 0.004 >/dev/null
# A drawing with an error line (status 1) still trains; a crash or a usage error stops the build.
convert() { "$cli" -q "$@" || [ $? -eq 1 ]; }
convert -c "$train/drawings/bench_all.crv" -d "$train/out" "$train/drawings"
convert -d "$train/out" examples/
echo "$profile"
