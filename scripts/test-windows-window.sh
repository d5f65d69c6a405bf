#!/usr/bin/env bash
# corvane.exe for real under Wine: the Windows zip unpacked into a fresh folder and a fresh Wine
# prefix, the program on the Windows platform in a virtual X server (Xvfb) with its registry key
# seeded, the run button clicked, and its data files and report body compared byte for byte with
# corvane-cli's on Linux. Screenshots of the main window, the options page, the progress window and
# the folder dialog go to build-windows/screenshots/ (main.png also to docs/window-windows.png with
# --docs).
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
xvfb_pid=""
cleanup() {
  WINEPREFIX="$work/prefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export WINEDEBUG=-all WINEPREFIX="$work/prefix"
wine=/usr/lib/wine/wine64
winpath() { echo "Z:${1//\//\\}"; }

unzip -q "$zip" -d "$work"
app=$(echo "$work"/corvane-*-windows-x64)
# The screenshot tool stages the states that clicks cannot reach without a window manager. It is
# not part of the zip: it goes beside the unpacked program for this test only, and starts the
# program's own windows over that folder.
cp build-windows/tools/corvane_screenshots.exe "$app/"
mkdir -p "$work/in" "$work/out" "$work/linux"
cp examples/*.dxf "$work/in/"


display=99
while [ -e "/tmp/.X${display}-lock" ] || [ -e "/tmp/.X11-unix/X${display}" ]; do
  display=$((display + 1))
done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
for _ in $(seq 50); do
  xdpyinfo >/dev/null 2>&1 && break
  sleep 0.2
done

# A fresh prefix has no Arial or Tahoma: Wine's replacements give the Liberation fonts, and Qt's
# FreeType engine draws them whole (GDI under Wine drops glyphs). Wine's limits, not Windows'.
"$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans' /f >/dev/null
"$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Tahoma /d 'Liberation Sans' /f >/dev/null
"$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS Shell Dlg' /d 'Liberation Sans' /f >/dev/null
"$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS Shell Dlg 2' /d 'Liberation Sans' /f >/dev/null
key='HKCU\Software\Tessoran\corvane2'
for value in showtips:0 showlog:1 locked:0 autosel:1; do
  "$wine" reg add "$key" /v "${value%%:*}" /t REG_DWORD /d "${value##*:}" /f >/dev/null
done
"$wine" reg add "$key" /v dxfpath /t REG_SZ /d "$(winpath "$work/in")" /f >/dev/null
"$wine" reg add "$key" /v destpath /t REG_SZ /d "$(winpath "$work/out")" /f >/dev/null
"$wine" reg add "$key" /v config /t REG_SZ /d survey.crv /f >/dev/null

failures=0
check() {  # check DESCRIPTION COMMAND...: the command must succeed
  if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi
}

# start MODE: the program's windows in the screenshot tool, staged in MODE as tools/screenshots.sh
# stages them; waits for "staged".
start() {
  CORVANE_SCREENSHOT_FOLDER="$(winpath "$work/out")" \
    "$wine" "$app/corvane_screenshots.exe" "$1" -platform windows:fontengine=freetype >"$work/$1.log" 2>&1 &
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
  window=$(xdotool search --onlyvisible --name 'Corvane' | head -n 1)
  # The run button's middle, in the window's client area (BitBtn3 at 682,5, 62x50).
  xdotool mousemove --window "$window" 713 30 click 1
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

"${CORVANE_LINUX_CLI:-./build/corvane-cli}" -q -c "$app/configurations/survey.crv" -d "$work/linux" -r "$work/linux/CorvaneLog.txt" \
  "$work/in" || true
for f in "$work"/linux/*.txt; do
  name=$(basename "$f")
  [ "$name" = CorvaneLog.txt ] && continue
  check "corvane.exe's $name is the same bytes as corvane-cli's on Linux" cmp -s "$f" "$work/out/$name"
done
body() { tail -n +2 "$1" | tr -d '\r' | awk '/^(DXF File  : |Data File : )/ { n = split($0, p, /[\/\\]/); print substr($0, 1, 12) p[n]; next } { print }'; }
check "corvane.exe's report body is corvane-cli's" cmp -s <(body "$app/CorvaneLog.txt") <(body "$work/linux/CorvaneLog.txt")

if [ "$docs" = 1 ] && [ -f "$shots/main.png" ]; then
  convert "$shots/main.png" -colors 128 "PNG8:docs/window-windows.png"
  echo "Saved docs/window-windows.png"
fi
if [ "$failures" -gt 0 ]; then
  echo "$failures checks of corvane.exe under Wine failed"
  exit 1
fi
echo "corvane.exe under Wine: all checks passed"
