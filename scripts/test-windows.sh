#!/usr/bin/env bash
# The Windows build tested under Wine: cross-builds with the tests (scripts/build-windows.sh, which
# builds Qt for Windows first when its cache folder is cold), runs the GoogleTest suite as
# corvane_tests.exe and the desktop program's Qt Test programs (offscreen), runs corvane-cli.exe
# end to end on temporary folders with Windows paths (Z:\..., backslashes, forward slashes, a
# drive-relative path), and compares its data files and report bodies byte for byte with the
# Linux build's on examples/ and a generated drawing with every entity type.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/build-windows.sh --tests
[ -x build/corvane-cli ] || bash scripts/build.sh
export WINEDEBUG=-all
export WINEPREFIX=${WINEPREFIX:-$root/build-windows/wineprefix}
wine=/usr/lib/wine/wine64

echo "== the test suite under Wine"
"$wine" build-windows/tests/corvane_tests.exe --gtest_brief=1

winpath() { echo "Z:${1//\//\\}"; }  # a Linux path as Wine's drive Z: shows it
failures=0
check() {  # check DESCRIPTION COMMAND...: the command must succeed
  if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi
}

echo "== the programs' resources: icon, version and manifest, read back from the built files"
version=$(sed -n 's/^project(corvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
for exe in corvane.exe corvane-cli.exe; do
  resources=$(x86_64-w64-mingw32-windres -i "build-windows/$exe" -O rc 2>/dev/null || true)
  has() { grep -qF -- "$1" <<<"$resources"; }
  check "$exe has the program's icon" has 'ICON'
  check "$exe names its product" has 'VALUE "ProductName", "Corvane"'
  check "$exe names its company" has 'VALUE "CompanyName", "Tessoran"'
  check "$exe carries the installer's version $version" has "VALUE \"ProductVersion\", \"$version\""
  check "$exe carries the file version $version" has "VALUE \"FileVersion\", \"$version\""
  for part in 'PerMonitorV2' '<longPathAware' 'Microsoft.Windows.Common-Controls' \
    'asInvoker'; do
    check "$exe's manifest has $part" has "$part"
  done
done
check "the installer shows the programs' icon" cmp -s build-windows/windows/corvane.ico build-windows/installer/corvane.ico

echo "== the Qt tests under Wine"
# Wine passes no variable beginning with QT_ to a Windows program: WINEQT_... arrive as QT_...
# The offscreen platform on Windows finds fonts only in QT_QPA_FONTDIR. Qt's DLLs and the MinGW
# runtime are beside the test programs, as they are beside corvane.exe in the zip.
bash scripts/setup.sh fonts-dejavu-core
export WINEQT_QPA_PLATFORM=offscreen
WINEQT_QPA_FONTDIR=$(winpath /usr/share/fonts/truetype/dejavu)
export WINEQT_QPA_FONTDIR
# The prefix is the tests' own: the program-start test may replace the program's registry key.
export CORVANE_TEST_OWNS_REGISTRY=1
for test in build-windows/tests/ui/*_test.exe; do
  log=build-windows/tests/ui/$(basename "$test" .exe).log
  # Under Wine a Qt Test program's standard output arrives empty: the log goes to a file.
  if (cd build-windows && "$wine" "$root/$test" -o "$(winpath "$root/$log"),txt" >/dev/null 2>&1); then
    echo "ok   $(basename "$test"): $(grep -m1 '^Totals:' "$log")"
  else
    echo "FAIL $(basename "$test"): $(grep -m1 '^Totals:' "$log" || echo "no totals")"
    grep -E '^(FAIL!|   Loc:|QWARN|QFATAL)' "$log" | head -n 20 | sed 's/^/     /'
    failures=$((failures + 1))
  fi
done
unset WINEQT_QPA_PLATFORM WINEQT_QPA_FONTDIR CORVANE_TEST_OWNS_REGISTRY

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== corvane-cli.exe end to end"
mkdir -p "$work/in" "$work/out" "$work/linux"
cp examples/*.dxf "$work/in/"
./build/bench/make_bench_drawing "$work/in/every_entity.dxf" 2 >/dev/null 2>&1 ||
  { cmake --build build --target make_bench_drawing >/dev/null && ./build/bench/make_bench_drawing "$work/in/every_entity.dxf" 2 >/dev/null; }
cp "$work/in/bench_all.crv" "$work/all.crv"
rm "$work/in/bench_all.crv"
cp "$work/in/site_plan.dxf" "$work/in/UPPER.DXF"

# Backslashes and a folder INPUT: every drawing, "UPPER.DXF" included, in name order.
"$wine" build-windows/corvane-cli.exe -q -c "$(winpath "$work/all.crv")" -d "$(winpath "$work/out")" \
  -r "$(winpath "$work/out/report.txt")" "$(winpath "$work/in")" || true
./build/corvane-cli -q -c "$work/all.crv" -d "$work/linux" -r "$work/linux/report.txt" "$work/in" || true
for f in "$work"/linux/*.txt; do
  name=$(basename "$f")
  [ "$name" = report.txt ] && continue
  check "data file $name is the same bytes as the Linux build's" cmp -s "$f" "$work/out/$name"
done
# Report bodies: the first line holds the local date; paths are compared by their file names.
body() { tail -n +2 "$1" | tr -d '\r' | awk '/^(DXF File  : |Data File : )/ { n = split($0, p, /[\/\\]/); print substr($0, 1, 12) p[n]; next } { print }'; }
check "report bodies agree" cmp -s <(body "$work/out/report.txt") <(body "$work/linux/report.txt")
check "the report shows Windows paths" grep -q 'DXF File  : Z:\\' "$work/out/report.txt"

# Forward slashes, and a drive-relative path from inside the folder.
mkdir -p "$work/fwd"
"$wine" build-windows/corvane-cli.exe -q -d "Z:${work}/fwd" "Z:${work}/in/survey_points.dxf" || true
check "forward slashes work" test -s "$work/fwd/survey_points.txt"
(cd "$work/in" && "$wine" "$root/build-windows/corvane-cli.exe" -q survey_points.dxf) || true
check "a drive-relative INPUT writes beside the drawing" test -s "$work/in/survey_points.txt"

# A drawing and a folder named with letters outside ASCII (held in the ANSI code page there).
mkdir -p "$work/pläne"
cp "$work/in/survey_points.dxf" "$work/pläne/d_été.dxf"
"$wine" build-windows/corvane-cli.exe -q "$(winpath "$work/pläne")" || true
check "a drawing named d_été.dxf converts" cmp -s "$work/pläne/d_été.txt" "$work/in/survey_points.txt"

# Names the ANSI code page cannot hold: listed with "?" for the letters it lacks, never with
# look-alike letters ("działka.dxf" as "dzialka.dxf", which is another drawing here), and the
# report says what to do about them.
mkdir -p "$work/names"
cp "$work/in/survey_points.dxf" "$work/names/działka.dxf"
cp "$work/in/survey_points.dxf" "$work/names/plan_Σχέδιο.dxf"
cp "$work/in/site_plan.dxf" "$work/names/dzialka.dxf"
cp "$work/in/site_plan.dxf" "$work/names/plain.dxf"
"$wine" build-windows/corvane-cli.exe -q -r "$(winpath "$work/names/report.txt")" "$(winpath "$work/names")" \
  >/dev/null 2>&1 || true
check "names outside the code page are explained in the report" \
  test "$(grep -c 'cannot hold (shown as "?"): rename it' "$work/names/report.txt")" = 2
check "the look-alike drawing is converted as itself" \
  cmp -s "$work/names/dzialka.txt" "$work/names/plain.txt"

# The guards as Windows reads names: an extension "dxf." or "DXF " would land on the drawing.
for ext in 'dxf.' 'DXF '; do
  before=$(md5sum <"$work/in/site_plan.dxf")
  "$wine" build-windows/corvane-cli.exe -q --set "FileExtension=$ext" "$(winpath "$work/in/site_plan.dxf")" \
    >/dev/null 2>&1 || true
  check "extension \"$ext\" leaves the drawing intact" test "$before" = "$(md5sum <"$work/in/site_plan.dxf")"
done
# A report spelled like the run's data file in other letter case is that file on Windows: refused
# up front (exit status 2).
status=0
"$wine" build-windows/corvane-cli.exe -q -d "$(winpath "$work/fwd")" -r "$(winpath "$work/fwd/SITE_PLAN.TXT")" \
  "$(winpath "$work/in/site_plan.dxf")" >/dev/null 2>&1 || status=$?
check "a report spelled like a data file in other letter case is refused" test "$status" = 2

echo "== corvane.exe under Wine with Xvfb: the run button against corvane-cli on Linux"
bash scripts/test-windows-window.sh || failures=$((failures + 1))

echo "== the installer under Wine: silent install, a run of the installed corvane.exe, silent uninstall"
bash scripts/test-windows-installer.sh || failures=$((failures + 1))

if [ "$failures" -gt 0 ]; then
  echo "$failures Windows checks failed"
  exit 1
fi
echo "all Windows checks passed"
