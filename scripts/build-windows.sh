#!/usr/bin/env bash
# Cross-builds Corvane for 64-bit Windows with MinGW-w64 into build-windows/: the engine,
# corvane-cli.exe, and the desktop program corvane.exe against Qt for Windows (built from Debian's
# source by scripts/build-qt-windows.sh into a cache folder, once). Packs the Windows program folder
# as build-windows/corvane-<version>-windows-x64.zip: corvane.exe and corvane-cli.exe, the Qt and
# MinGW runtime DLLs corvane.exe needs with its Qt plugins, the lookup lists, default.crv,
# configurations\, the help page and its pictures, and the README. With the desktop program, also
# the installer build-windows/corvane-<version>-setup.exe (NSIS, cmake/windows-installer.nsi): the
# same folder installed for the current user into %LOCALAPPDATA%\Programs\Corvane, with the
# marker file "installed", Start-menu shortcuts and an uninstaller in the user's Apps list.
# Installs the cross compiler, Wine (to run the build's own default.crv writer), rsvg-convert (the
# glyphs), zip, NSIS and ImageMagick (the installer's icon) when missing.
#
#   scripts/build-windows.sh [--tests] [--cli-only]
#     --tests      also builds the test suites (corvane_tests.exe and the Qt Test programs)
#     --cli-only   leaves out the desktop program (no Qt needed)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
tests=OFF
gui=ON
for arg in "$@"; do
  case $arg in
    --tests) tests=ON ;;
    --cli-only) gui=OFF ;;
    *) echo "unknown option $arg" >&2; exit 2 ;;
  esac
done

# libz-mingw-w64-dev: zlib for the plots, linked into the programs.
bash scripts/setup.sh g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine64 zip librsvg2-bin nsis imagemagick
export WINEDEBUG=-all
export WINEPREFIX=${WINEPREFIX:-$PWD/build-windows/wineprefix}
mkdir -p "$WINEPREFIX"

toolchain=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake")
if [ "$gui" = ON ]; then
  qt=$(bash scripts/build-qt-windows.sh | tail -n 1)
  # Qt's toolchain file finds Qt for Windows and the host's moc, uic and rcc, then hands over to ours.
  toolchain=(-DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake"
             -DQT_CHAINLOAD_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake")
  # A build folder configured for the other kind keeps its old toolchain: start it afresh.
  if [ -f build-windows/CMakeCache.txt ] && ! grep -q "^CMAKE_TOOLCHAIN_FILE.*=$qt/" build-windows/CMakeCache.txt; then
    rm -f build-windows/CMakeCache.txt
  fi
elif [ -f build-windows/CMakeCache.txt ] && grep -q '^CMAKE_TOOLCHAIN_FILE.*qt.toolchain' build-windows/CMakeCache.txt; then
  rm -f build-windows/CMakeCache.txt
fi

cmake -S . -B build-windows -G Ninja -DCMAKE_BUILD_TYPE=Release "${toolchain[@]}" \
  -DCORVANE_BUILD_GUI=$gui -DCORVANE_BUILD_BENCH=OFF -DCORVANE_BUILD_TESTS=$tests --no-warn-unused-cli >/dev/null
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

# deploy FOLDER: puts beside the programs in FOLDER what they need to start: the Qt plugins in
# folders of their own, where Qt looks beside a program (the Windows platform; offscreen for the
# tests; the Windows style that draws the controls as Windows does, as Fusion and classic Windows
# are in Qt6Widgets), and every DLL these need that is not part of Windows, found by following
# their imports through Qt's and MinGW's folders: the Qt libraries and the MinGW C++ runtime.
deploy() {
  local folder=$1 file dll dir seen=" "
  mkdir -p "$folder/platforms" "$folder/styles"
  cp "$qt/plugins/platforms/qwindows.dll" "$folder/platforms/"
  [ "$folder" = "$stage" ] || cp "$qt/plugins/platforms/qoffscreen.dll" "$folder/platforms/"
  cp "$qt/plugins/styles/"*.dll "$folder/styles/"
  local dll_dirs=("$qt/bin" /usr/lib/gcc/x86_64-w64-mingw32/*-posix /usr/x86_64-w64-mingw32/lib)
  local pending=("$folder"/*.exe "$folder"/platforms/*.dll "$folder"/styles/*.dll)
  while [ ${#pending[@]} -gt 0 ]; do
    file=${pending[0]}
    pending=("${pending[@]:1}")
    for dll in $(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^\s*DLL Name: //p'); do
      case $seen in *" $dll "*) continue ;; esac
      seen+="$dll "
      for dir in "${dll_dirs[@]}"; do
        if [ -f "$dir/$dll" ]; then
          # Debian's MinGW runtime DLLs carry their debugging symbols: 24 MB for libstdc++ alone.
          x86_64-w64-mingw32-strip --strip-unneeded -o "$folder/$dll" "$dir/$dll"
          pending+=("$folder/$dll")
          break
        fi
      done
    done
  done
}

if [ "$gui" = ON ]; then
  cp build-windows/corvane.exe build-windows/help_corvane2.html "$stage/"
  mkdir -p "$stage/help"
  cp build-windows/help/*.png "$stage/help/"
  deploy "$stage"
  # The build folder is a program folder too, and the Qt tests and the screenshot tool start
  # from theirs.
  deploy build-windows
  deploy build-windows/tools
  if [ "$tests" = ON ]; then deploy build-windows/tests/ui; fi
fi

rm -f "build-windows/$name.zip"
(cd build-windows/package && zip -qr "../$name.zip" "$name")
echo "Windows program folder: build-windows/$name.zip ($(du -h "build-windows/$name.zip" | cut -f1))"

# The installer (cmake/windows-installer.nsi): the same program folder, installed for the user.
# Its file list is written here from the staged folder, so that the uninstaller deletes exactly
# the files the installer put there, and the folders that are then empty, and nothing else.
if [ "$gui" = ON ]; then
  installer=build-windows/installer
  rm -rf "$installer"
  mkdir -p "$installer"
  {
    echo '; Written by scripts/build-windows.sh from the staged program folder.'
    echo '!macro CorvaneInstallFiles'
    while IFS= read -r dir; do
      rel=${dir#.}
      echo "  SetOutPath \"\$INSTDIR${rel//\//\\}\""
      while IFS= read -r file; do
        echo "  File \"$root/$stage${rel}/$file\""
      done < <(cd "$stage$rel" && find . -maxdepth 1 -type f -printf '%P\n' | LC_ALL=C sort)
    done < <(cd "$stage" && find . -type d | LC_ALL=C sort)
    echo '!macroend'
    echo '!macro CorvaneUninstallFiles'
    while IFS= read -r file; do
      echo "  Delete \"\$INSTDIR\\${file//\//\\}\""
    done < <(cd "$stage" && find . -type f -printf '%P\n' | LC_ALL=C sort)
    # Deepest first; a folder that holds a file of the user's stays.
    while IFS= read -r dir; do
      echo "  RMDir \"\$INSTDIR\\${dir//\//\\}\""
    done < <(cd "$stage" && find . -mindepth 1 -type d -printf '%P\n' | LC_ALL=C sort -r)
    echo '!macroend'
    echo "!define CorvaneInstalledSize $(du -sk --apparent-size "$stage" | cut -f1)"
  } >"$installer/files.nsh"
  # NSIS reads '$' and '"' in a name as its own: no shipped file may have them.
  if (cd "$stage" && find . | grep -q '[$"]'); then
    echo "A file of the program folder has \$ or \" in its name: the installer cannot list it" >&2
    exit 1
  fi
  printf '%s\r\n' \
    'This copy of Corvane is installed: the run report and the configurations are kept in' \
    "each user's data folder, %LOCALAPPDATA%\\Tessoran\\corvane2." >"$installer/installed"
  # The icon of the installer, the uninstaller and the shortcuts: the programs' own, which the
  # build drew from the menu entry's SVG (cmake/windows_resources.cmake).
  cp build-windows/windows/corvane.ico "$installer/corvane.ico"
  setup=build-windows/corvane-$version-setup.exe
  rm -f "$setup"
  makensis -V2 -WX -DVERSION="$version" -DFILES="$root/$installer/files.nsh" \
    -DMARKER="$root/$installer/installed" -DICON="$root/$installer/corvane.ico" \
    -DOUTFILE="$root/$setup" cmake/windows-installer.nsi
  echo "Windows installer: $setup ($(du -h "$setup" | cut -f1))"
fi
