# shellcheck shell=bash
# Sourced by the scripts that start corvane.exe for real under Wine and Xvfb
# (scripts/test-windows-window.sh, scripts/test-windows-installer.sh): what they share.
# The caller sets WINEPREFIX (a fresh prefix of its own), and calls wine_window_cleanup on exit.

export WINEDEBUG=-all
wine=/usr/lib/wine/wine64
xvfb_pid=""
failures=0

winpath() { echo "Z:${1//\//\\}"; }  # a Linux path as Wine's drive Z: shows it

check() {  # check DESCRIPTION COMMAND...: the command must succeed
  if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi
}

# Ends the prefix's Wine processes and the X server.
wine_window_cleanup() {
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}

# A virtual X server on the first free display, as DISPLAY. Before the first Wine command: the
# prefix's wineserver keeps the display of the process that started it.
start_xvfb() {
  local display=99
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
}

# A fresh prefix has no Arial or Tahoma. The program itself takes an installed sans-serif face
# then, and Qt's FreeType engine under Wine (ui/wine_fonts.h); Wine's replacements (the
# Liberation fonts for these names) also give the dialogs Windows draws itself their usual look.
# Wine's limits, not Windows'.
wine_fonts() {
  local face
  for face in Arial Tahoma 'MS Shell Dlg' 'MS Shell Dlg 2'; do
    "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d 'Liberation Sans' /f >/dev/null
  done
}

# seed_settings IN OUT [SHOWLOG]: the program's registry key as a user left it: drawings from the
# Linux folder IN, data files to OUT, the configuration survey.crv, no tips; the report shown in
# Notepad after a run when SHOWLOG is 1 (0 when not given).
seed_settings() {
  local key='HKCU\Software\Tessoran\corvane2' value
  for value in showtips:0 "showlog:${3:-0}" locked:0 autosel:1; do
    "$wine" reg add "$key" /v "${value%%:*}" /t REG_DWORD /d "${value##*:}" /f >/dev/null
  done
  "$wine" reg add "$key" /v dxfpath /t REG_SZ /d "$(winpath "$1")" /f >/dev/null
  "$wine" reg add "$key" /v destpath /t REG_SZ /d "$(winpath "$2")" /f >/dev/null
  "$wine" reg add "$key" /v config /t REG_SZ /d survey.crv /f >/dev/null
}

# click_run WINDOW: the run button's middle, in the main window's client area (BitBtn3 at 682,5,
# 62x50).
click_run() {
  xdotool mousemove --window "$1" 713 30 click 1
}

# A report's body: the first line holds the local date; paths are compared by their file names.
report_body() {
  tail -n +2 "$1" | tr -d '\r' |
    awk '/^(DXF File  : |Data File : )/ { n = split($0, p, /[\/\\]/); print substr($0, 1, 12) p[n]; next } { print }'
}

# compare_with_linux CONFIG IN OUT REPORT WORK: corvane-cli on Linux converts IN with CONFIG into
# WORK; every data file must be the same bytes as corvane.exe's in OUT, and the report body
# corvane.exe's REPORT.
compare_with_linux() {
  local config=$1 in=$2 out=$3 report=$4 linux=$5 f name
  mkdir -p "$linux"
  "${CORVANE_LINUX_CLI:-./build/corvane-cli}" -q -c "$config" -d "$linux" -r "$linux/CorvaneLog.txt" "$in" || true
  for f in "$linux"/*.txt; do
    name=$(basename "$f")
    [ "$name" = CorvaneLog.txt ] && continue
    check "corvane.exe's $name is the same bytes as corvane-cli's on Linux" cmp -s "$f" "$out/$name"
  done
  check "corvane.exe's report body is corvane-cli's" cmp -s <(report_body "$report") <(report_body "$linux/CorvaneLog.txt")
}
