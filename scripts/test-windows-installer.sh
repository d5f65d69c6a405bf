#!/usr/bin/env bash
# The Windows installer for real under Wine, in a fresh prefix: build-windows/corvane-*-setup.exe
# installed silently (/S) for the user, its files, shortcuts and Apps-list entry checked, the
# installed corvane.exe started on the Windows platform under Xvfb and its run button clicked
# (the report and the configurations must land in the user's data folder, and the data files be
# corvane-cli's on Linux), then the silent uninstaller: the program, shortcuts and entry gone, the
# user's report, configurations and settings kept. Last, an install into a folder that already
# holds files of the user's, installed twice (an upgrade in place) and uninstalled: the user's
# files stay.
#
#   scripts/test-windows-installer.sh [--docs]    after scripts/build-windows.sh and scripts/build.sh
#     --docs   also puts the installed window's picture in docs/window-windows-installed.png
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
docs=0
[ "${1:-}" = "--docs" ] && docs=1

bash scripts/setup.sh xvfb xdotool x11-utils fonts-liberation unzip imagemagick
setup=$(ls build-windows/corvane-*-setup.exe)
zip=$(ls build-windows/corvane-*-windows-x64.zip)

work=$(mktemp -d)
export WINEPREFIX="$work/prefix"
# Shortcuts made in the prefix must not become menu entries of the Linux desktop running the test.
export WINEDLLOVERRIDES="winemenubuilder.exe=d"
source scripts/wine-window.sh
trap 'wine_window_cleanup; rm -rf "$work"' EXIT
unzip -q "$zip" -d "$work/zip"
zipped=$(echo "$work"/zip/corvane-*-windows-x64)
mkdir -p "$work/in" "$work/out"
cp examples/*.dxf "$work/in/"

start_xvfb
seed_settings "$work/in" "$work/out"

# unixpath WINDOWS-PATH: where it is on this machine.
unixpath() { "$wine" winepath.exe -u "$1" 2>/dev/null | tr -d '\r'; }
# The user's folders as Windows names them in this prefix.
localappdata=$("$wine" cmd.exe /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')
appdata=$("$wine" cmd.exe /c echo %APPDATA% 2>/dev/null | tr -d '\r')
local_unix=$(unixpath "$localappdata")
programs=$(unixpath "$appdata")/Microsoft/Windows/Start\ Menu/Programs/Corvane
install_win="$localappdata\\Programs\\Corvane"
install=$local_unix/Programs/Corvane
user=$local_unix/Tessoran/corvane2
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvane'
settings_key='HKCU\Software\Tessoran\corvane2'

# reg_value KEY NAME: the value's data as "reg query" shows it; empty when there is none.
reg_value() {
  "$wine" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
    awk -v name="$2" '$1 == name { sub(/^ *[^ ]+ +[^ ]+ +/, ""); print; exit }'
}
# wait_for_uninstaller: the uninstaller copies itself to the temporary folder, starts that copy
# and returns at once; the copy has finished when every process of the prefix has ended.
wait_for_uninstaller() {
  timeout 120 /usr/lib/wine/wineserver -w || echo "the uninstaller did not finish in 120 s" >&2
}

echo "== setup.exe /S"
status=0
"$wine" "$(winpath "$root/$setup")" /S || status=$?
check "the silent install succeeds" test "$status" = 0
check "the program is installed in %LOCALAPPDATA%\\Programs\\Corvane" test -f "$install/corvane.exe"
check "the marker file 'installed' is beside corvane.exe" test -f "$install/installed"
check "the uninstaller is beside corvane.exe" test -f "$install/Uninstall.exe"
check "the program folder is the zip's, plus the installation's own files" \
  diff -r -x installed -x Uninstall.exe -x corvane.ico "$zipped" "$install"
check "the Start menu has the window's shortcut" test -f "$programs/Corvane.lnk"
check "the Start menu has the help page's shortcut" test -f "$programs/Corvane help.lnk"
check "the Apps list names Corvane" test "$(reg_value "$uninstall_key" DisplayName)" = Corvane
check "the Apps list names the publisher" test "$(reg_value "$uninstall_key" Publisher)" = Tessoran
check "the Apps list has the version" test -n "$(reg_value "$uninstall_key" DisplayVersion)"
check "the Apps list knows the folder" test "$(reg_value "$uninstall_key" InstallLocation)" = "$install_win"
check "the Apps list can uninstall silently" \
  test "$(reg_value "$uninstall_key" QuietUninstallString)" = "\"$install_win\\Uninstall.exe\" /S"
check "the Apps list offers no repair" test "$(reg_value "$uninstall_key" NoRepair)" = 0x1
check "the Apps list has a size" test -n "$(reg_value "$uninstall_key" EstimatedSize)"

echo "== the installed corvane.exe, started through its Start-menu shortcut: the run button"
# As the user starts it: the shortcut, no options, a prefix without Wine's font replacements.
"$wine" start /unix "$programs/Corvane.lnk" >"$work/corvane.log" 2>&1 &
pid=$!
window=""
for _ in $(seq 150); do
  window=$(xdotool search --onlyvisible --name 'Corvane' 2>/dev/null | head -n 1) && [ -n "$window" ] && break
  sleep 0.2
done
if [ -n "$window" ]; then
  sleep 2
  # The window as the user first sees it; with --docs also the project's picture of it.
  mkdir -p build-windows/screenshots
  import -display "$DISPLAY" -window root "$work/screen.png"
  convert "$work/screen.png" -trim +repage build-windows/screenshots/installed.png
  if [ "$docs" = 1 ]; then
    convert build-windows/screenshots/installed.png -colors 128 PNG8:docs/window-windows-installed.png
    echo "Saved docs/window-windows-installed.png"
  fi
  click_run "$window"
  for _ in $(seq 300); do
    [ "$(ls "$work/out" | wc -l)" -ge "$(ls "$work/in" | wc -l)" ] && [ -f "$user/CorvaneLog.txt" ] && break
    sleep 0.2
  done
  sleep 2
else
  echo "The installed corvane.exe showed no window:" >&2
  cat "$work/corvane.log" >&2
fi
kill "$pid" 2>/dev/null || true
"$wine" taskkill /f /im corvane.exe >/dev/null 2>&1 || true
wait "$pid" 2>/dev/null || true
check "the report is in %LOCALAPPDATA%\\Tessoran\\corvane2" test -s "$user/CorvaneLog.txt"
check "no report is in the program folder" test ! -e "$install/CorvaneLog.txt"
check "the first start made the user's configurations folder with survey.crv" \
  cmp -s "$user/configurations/survey.crv" "$install/configurations/survey.crv"
compare_with_linux "$user/configurations/survey.crv" "$work/in" "$work/out" "$user/CorvaneLog.txt" "$work/linux"

echo "== Uninstall.exe /S"
# As a user would, after the program has ended: every process of the prefix is gone first.
wait_for_uninstaller
status=0
"$wine" "$install_win\\Uninstall.exe" /S || status=$?
if [ "$status" != 0 ] && [ -e "$install/Uninstall.exe" ]; then
  # Seen once under a heavily loaded CI machine: the uninstaller did not start at all (no file
  # touched, no message). Said in the log, and tried once more; a second failure fails the test.
  echo "Uninstall.exe /S ended with status $status before doing anything; trying once more" >&2
  wait_for_uninstaller
  status=0
  "$wine" "$install_win\\Uninstall.exe" /S || status=$?
fi
wait_for_uninstaller
check "the silent uninstall succeeds (status $status)" test "$status" = 0
check "the program folder is gone" test ! -e "$install"
check "the shortcuts are gone" test ! -e "$programs"
check "the Apps list no longer has Corvane" test -z "$(reg_value "$uninstall_key" DisplayName)"
check "the report is kept" test -s "$user/CorvaneLog.txt"
check "the configurations are kept" test -s "$user/configurations/survey.crv"
check "the settings are kept" test "$(reg_value "$settings_key" config)" = survey.crv

echo "== a folder of the user's: installed twice, then uninstalled"
mixed_win='C:\Tools\Corvane'
mixed=$(unixpath "$mixed_win")
mkdir -p "$mixed/configurations"
echo "notes" >"$mixed/notes.txt"
echo "mine" >"$mixed/configurations/mine.crv"
for round in first second; do
  status=0
  "$wine" "$(winpath "$root/$setup")" /S "/D=$mixed_win" || status=$?
  check "the $round install into the folder succeeds" test "$status" = 0
done
check "the program is there" test -f "$mixed/corvane.exe" -a -f "$mixed/installed"
check "the Apps list knows that folder" test "$(reg_value "$uninstall_key" InstallLocation)" = "$mixed_win"
"$wine" "$mixed_win\\Uninstall.exe" /S || true
wait_for_uninstaller
check "only the user's files are left" \
  test "$(cd "$mixed" && find . -mindepth 1 | LC_ALL=C sort | tr '\n' ' ')" = "./configurations ./configurations/mine.crv ./notes.txt "

if [ "$failures" -gt 0 ]; then
  echo "$failures checks of the Windows installer under Wine failed"
  exit 1
fi
echo "The Windows installer under Wine: all checks passed"
