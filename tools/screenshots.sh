#!/usr/bin/env bash
# Takes screenshots of the desktop program under a virtual X server (Xvfb), with settings of its
# own in a temporary folder (never the user's) whose DXF folder is a temporary copy of examples/.
#
#   tools/screenshots.sh [OUTPUT_FOLDER]        default: build/screenshots/
#   tools/screenshots.sh --help-images          the pictures the repository keeps: those of the
#                                               help page (data/help/) and docs/window.png
#
# Saves main.png (the main window as it starts), options.png (its options page), progress.png
# (the progress window part way through a drawing), custom.png (the custom data settings), hint.png (the hint balloon of the "Lines"
# option c5), folder.png (the destination-folder dialog with the destination folder chosen) and
# preview.png (the point preview of survey_points.dxf, the pointer on a point), survey.png (the page
# "Survey blocks and layers" with configurations/pnezd-blocks.crv) and survey-preview.png (its
# preview of survey_blocks.dxf).
# States that clicks cannot reach without a window manager are staged by the screenshot tool
# build/tools/corvane_screenshots MODE (tools/corvane_screenshots.cpp), which starts the program's
# own windows and start-up and then stages main|options|custom|progress|hint|folder|preview (with
# CORVANE_SCREENSHOT_HINT=<control name> for the balloon, CORVANE_SCREENSHOT_FOLDER=<path> for the
# dialog); it prints "staged" when the state is on screen, and the picture is then taken from the
# X server like any screenshot. CORVANE_SCREENSHOT_MODES="preview ..." takes only those.
set -euo pipefail
cd "$(dirname "$0")/.."
help_images=0
if [ "${1:-}" = "--help-images" ]; then
  help_images=1
  out=data/help
else
  out="${1:-build/screenshots}"
fi

bash scripts/setup.sh xvfb xauth xdotool imagemagick x11-utils

if [ -f build/build.ninja ]; then
  cmake --build build -j 2 --target corvane_screenshots
else
  bash scripts/build.sh
fi
mkdir -p "$out"

if [ "$help_images" = 1 ]; then
  # A fixed, readable folder: its path shows in the pictures the repository keeps.
  work=/var/tmp/corvane
  rm -rf "$work"
  mkdir -p "$work"
else
  work="$(mktemp -d)"
fi
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Settings of their own: a first start would point at the home folder instead.
mkdir -p "$work/config/Tessoran" "$work/runtime" "$work/drawings" "$work/data"
chmod 700 "$work/runtime"
cp examples/*.dxf "$work/drawings/"
# The pictures show the drawings folder, not the settings and runtime folders beside it.
cat > "$work/config/Tessoran/corvane2.conf" <<INI
[General]
showtips=1
showlog=1
dxfpath=$work/drawings
destpath=$work/data
locked=0
autosel=1
config=survey.crv
INI

display=99
while [ -e "/tmp/.X${display}-lock" ] || [ -e "/tmp/.X11-unix/X${display}" ]; do
  display=$((display + 1))
done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do
  DISPLAY=":$display" xdpyinfo >/dev/null 2>&1 && break
  sleep 0.2
done

shoot() {
  local mode="$1"
  local log="$work/$mode.log"
  DISPLAY=":$display" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" \
    QT_QPA_PLATFORM=xcb CORVANE_SCREENSHOT_FOLDER="$work/data" ./build/tools/corvane_screenshots "$mode" \
    >"$log" 2>&1 &
  local pid=$!
  for _ in $(seq 100); do
    grep -q '^staged$' "$log" && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
  done
  if grep -q '^staged$' "$log"; then
    # The X server's whole screen, cut to what the program shows (the background is black).
    import -display ":$display" -window root "$work/$mode-screen.png"
    convert "$work/$mode-screen.png" -trim +repage "$out/$mode.png"
    echo "Saved $out/$mode.png"
  else
    echo "The program did not reach the '$mode' state; its output:" >&2
    cat "$log" >&2
  fi
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

for mode in ${CORVANE_SCREENSHOT_MODES:-main options custom progress hint folder preview survey survey-preview}; do
  shoot "$mode"
done

if [ "$help_images" = 1 ]; then
  # Fewer colours keep the committed pictures small; the window's flat colours survive it.
  for picture in "$out"/*.png; do
    convert "$picture" -colors 128 "PNG8:$picture"
  done
  mkdir -p docs
  cp "$out/main.png" docs/window.png
  echo "Saved docs/window.png"
fi
