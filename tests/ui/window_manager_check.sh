#!/usr/bin/env bash
# Checks the main window under a real X server (Xvfb) with a window manager (openbox): rows of the
# folder tree stay under the pointer while folders appear above them, the point preview opens
# beside the main window, and drawings dragged from another program are chosen. Clicks, keys and
# the drag come from outside through xdotool. Screenshots of each step are left in
# BUILD/window-manager-check/ for a look.
#
#   tests/ui/window_manager_check.sh [BUILD_FOLDER]      default: build
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build}"

bash scripts/setup.sh xvfb xauth xdotool imagemagick x11-utils openbox
cmake --build "$build" -j 2 --target window_manager_check

out="$build/window-manager-check"
rm -rf "$out"
mkdir -p "$out/runtime" "$out/config"
chmod 700 "$out/runtime"

pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

# A display number of our own, so that checks running side by side do not meet.
display=":$(( 50 + RANDOM % 200 ))"
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >"$out/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY="$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >"$out/openbox.log" 2>&1 &
pids+=($!)
sleep 1

status=0
CORVANE_WM_SHOTS="$out" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$out/runtime" \
  XDG_CONFIG_HOME="$out/config" "$build/tests/ui/window_manager_check" || status=$?
echo "Screenshots: $out/*.png"
exit "$status"
