#!/usr/bin/env bash
# corvane.exe for real under Wine: the Windows zip unpacked into a fresh folder and a fresh Wine
# prefix, the program on the Windows platform in a virtual X server (Xvfb) with its registry key
# seeded, the run button clicked, and its data files and report body compared byte for byte with
# corvane-cli's on Linux. Screenshots of the main window, the options page, the progress window and
# the folder dialog go to build-windows/screenshots/ (main.png and folder.png also to
# docs/window-windows.png and docs/folder-dialog-windows.png with --docs).
#
#   scripts/test-windows-window.sh [--docs]    after scripts/build-windows.sh and scripts/build.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
docs=0
[ "${1:-}" = "--docs" ] && docs=1

bash scripts/setup.sh xvfb xdotool imagemagick x11-utils fonts-liberation unzip
zip=$(ls build-windows/corvane-*-windows-x64.zip)
shots=build-windows/screenshots
mkdir -p "$shots"

work=$(mktemp -d)
export WINEPREFIX="$work/prefix"
source scripts/wine-window.sh
trap 'wine_window_cleanup; rm -rf "$work"' EXIT

unzip -q "$zip" -d "$work"
app=$(echo "$work"/corvane-*-windows-x64)
# The screenshot tool stages the states that clicks cannot reach without a window manager. It is
# not part of the zip: it goes beside the unpacked program for this test only, and starts the
# program's own windows over that folder.
cp build-windows/tools/corvane_screenshots.exe "$app/"
mkdir -p "$work/in" "$work/out"
cp examples/*.dxf "$work/in/"

start_xvfb
wine_fonts
# The report opens in Notepad after the run.
seed_settings "$work/in" "$work/out" 1

# start MODE: the program's windows in the screenshot tool, staged in MODE as tools/screenshots.sh
# stages them; waits for "staged".
start() {
  local folder
  folder=$(winpath "$work/out")
  # The folder dialog shows where a Windows user keeps drawings: Documents, found from the desktop
  # through the user's folder, as Explorer's tree has it.
  if [ "$1" = folder ]; then
    folder="$("$wine" cmd /c 'echo %USERPROFILE%' 2>/dev/null | tr -d '\r')\Documents"
  fi
  CORVANE_SCREENSHOT_FOLDER="$folder" \
    "$wine" "$app/corvane_screenshots.exe" "$1" >"$work/$1.log" 2>&1 &
  pid=$!
  for _ in $(seq 150); do
    grep -qs 'staged' "$work/$1.log" && return 0
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
  done
  echo "The screenshot tool did not reach the '$1' state:" >&2
  cat "$work/$1.log" >&2
  return 1
}
stop() {
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  "$wine" taskkill /f /im corvane_screenshots.exe >/dev/null 2>&1 || true
  sleep 1
}
shoot() {
  import -display "$DISPLAY" -window root "$work/screen.png"
  convert "$work/screen.png" -trim +repage "$shots/$1.png"
  echo "Saved $shots/$1.png"
}

for mode in options progress folder; do
  if start "$mode"; then shoot "$mode"; else failures=$((failures + 1)); fi
  stop
done

# The real run: the main window as it starts, then its run button.
if start main; then
  sleep 1
  shoot main
  click_run "$(xdotool search --onlyvisible --name 'Corvane' | head -n 1)"
  for _ in $(seq 300); do
    [ "$(ls "$work/out" | wc -l)" -ge "$(ls "$work/in" | wc -l)" ] && [ -f "$app/CorvaneLog.txt" ] && break
    sleep 0.2
  done
  # The report opens in Notepad after the run ("CorvaneLog.txt - Notepad").
  notepad=1
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name 'CorvaneLog' >/dev/null 2>&1 && { notepad=0; break; }
    sleep 0.2
  done
  check "the report opens in Notepad" test "$notepad" = 0
  sleep 1
  shoot after-run
  "$wine" taskkill /f /im notepad.exe >/dev/null 2>&1 || true
  stop
else
  failures=$((failures + 1))
fi

compare_with_linux "$app/configurations/survey.crv" "$work/in" "$work/out" "$app/CorvaneLog.txt" "$work/linux"

if [ "$docs" = 1 ] && [ -f "$shots/main.png" ]; then
  convert "$shots/main.png" -colors 128 "PNG8:docs/window-windows.png"
  echo "Saved docs/window-windows.png"
  if [ -f "$shots/folder.png" ]; then
    convert "$shots/folder.png" -colors 128 "PNG8:docs/folder-dialog-windows.png"
    echo "Saved docs/folder-dialog-windows.png"
  fi
fi
if [ "$failures" -gt 0 ]; then
  echo "$failures checks of corvane.exe under Wine failed"
  exit 1
fi
echo "corvane.exe under Wine: all checks passed"
