#!/usr/bin/env bash
# Configures and builds Corvane into build/ (a complete program folder), with the engine optimised
# by a profile trained just before (scripts/train_profile.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
profile=$(bash scripts/train_profile.sh)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVANE_PROFILE=use \
  -DCORVANE_PROFILE_DIR="$profile" >/dev/null
cmake --build build -j "$(nproc)"
