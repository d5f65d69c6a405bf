#!/usr/bin/env bash
# Sets up, builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
ctest --test-dir build --output-on-failure -j "$(nproc)"
# What only a real X server with a window manager shows: clicks, keys and drags from outside.
bash tests/ui/window_manager_check.sh build
