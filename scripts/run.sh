#!/usr/bin/env bash
# Sets up (Qt included), builds, and starts the desktop program Corvane. Without a display it
# says so, converts the bundled examples/ with corvane-cli and default.crv into
# build/examples-out/, and tells how to see the window.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  echo "Starting build/corvane (the desktop program)"
  exec ./build/corvane
fi

echo "No display here (DISPLAY and WAYLAND_DISPLAY are unset): converting examples/ with corvane-cli instead of opening the window."
out=build/examples-out
mkdir -p "$out"
status=0
./build/corvane-cli --dest "$out" --report "$out/CorvaneLog.txt" examples/ "$@" || status=$?
echo
echo "Data files and the report are in $out/"
echo "To see the window: run scripts/run.sh again from a graphical desktop; or run"
echo "tools/screenshots.sh (pictures of every window in build/screenshots/); or run"
echo "xvfb-run ./build/corvane on a virtual display (Debian packages xvfb and xauth)."
exit $status
