#!/usr/bin/env bash
# Cross-builds Corvane's engine and corvane-cli for 64-bit Windows with MinGW-w64 into
# build-windows/, and packs the Windows program folder (corvane-cli.exe, the lookup lists,
# default.crv, configurations\, README) as build-windows/corvane-<version>-windows-x64.zip.
# Installs the cross compiler, Wine (to run the build's own default.crv writer) and zip when
# missing. The desktop program needs Qt for Windows, which Debian does not ship: see the README.
#
#   scripts/build-windows.sh [--tests]     --tests also builds the test suite (corvane_tests.exe)
set -euo pipefail
cd "$(dirname "$0")/.."
tests=OFF
[ "${1:-}" = "--tests" ] && tests=ON

bash scripts/setup.sh g++-mingw-w64-x86-64-posix wine64 zip
export WINEDEBUG=-all
export WINEPREFIX=${WINEPREFIX:-$PWD/build-windows/wineprefix}
mkdir -p "$WINEPREFIX"

cmake -S . -B build-windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCORVANE_BUILD_GUI=OFF -DCORVANE_BUILD_BENCH=OFF -DCORVANE_BUILD_TESTS=$tests --no-warn-unused-cli >/dev/null
cmake --build build-windows -j "$(nproc)"

version=$(sed -n 's/^project(corvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=corvane-$version-windows-x64
stage=build-windows/package/$name
rm -rf "build-windows/package"
mkdir -p "$stage/configurations"
cp build-windows/corvane-cli.exe build-windows/corvane2.dat build-windows/corvane.dat \
  build-windows/hints.dat build-windows/default.crv "$stage/"
cp build-windows/configurations/*.crv "$stage/configurations/" 2>/dev/null || true
# Windows users open text files in Notepad: CR LF line ends.
sed 's/$/\r/' README.md >"$stage/README.txt"
rm -f "build-windows/$name.zip"
(cd build-windows/package && zip -qr "../$name.zip" "$name")
echo "Windows program folder: build-windows/$name.zip"
