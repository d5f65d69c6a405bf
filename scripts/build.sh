#!/usr/bin/env bash
# Configures and builds Corvane into build/ (a complete program folder).
#   scripts/build.sh              a Release build, as the tests and the desktop program need it
#   scripts/build.sh --profile    the engine optimised by a profile trained just before
#                                 (scripts/train_profile.sh), as the release package is built;
#                                 the benchmarks use it, so they measure what ships
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
profile_flags=(-DCORVANE_PROFILE= -DCORVANE_PROFILE_DIR=)
if [ "${1:-}" = "--profile" ]; then
  profile=$(bash scripts/train_profile.sh)
  profile_flags=(-DCORVANE_PROFILE=use -DCORVANE_PROFILE_DIR="$profile")
fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release "${profile_flags[@]}" >/dev/null
cmake --build build -j "$(nproc)"
