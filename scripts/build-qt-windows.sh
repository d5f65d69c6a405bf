#!/usr/bin/env bash
# Builds Qt 6 (qtbase: Core, Gui, Widgets, Test and the Windows platform plugin) for 64-bit Windows
# as DLLs with Debian's MinGW-w64, from Debian's own source package of the host's Qt version with
# Debian's fix for CVE-2023-32763 applied. corvane.exe and its Qt Test programs build against it.
#
# The result goes to a cache folder outside the work tree, named after the Qt version and a hash of
# the configure flags, the toolchain file and the compiler version, and is reused while that folder
# is complete: the first build takes 15 to 30 minutes on two cores, a reuse no time at all.
#
#   scripts/build-qt-windows.sh      prints the Qt prefix (the cache folder) as its last line
#
# CORVANE_QT_CACHE sets the cache's parent folder (default /var/cache/corvane).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
start=$(date +%s)

# qt6-base-dev and its tools give the host side (moc, uic, rcc) that the cross build runs.
bash scripts/setup.sh g++-mingw-w64-x86-64-posix qt6-base-dev-tools xz-utils patch >&2

qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)  # e.g. 6.4.2+dfsg-10
qt_upstream=${qt_version%%+*}
qt_upstream=${qt_upstream%%-*}
toolchain=$root/cmake/qt-mingw-w64-x86_64.cmake

# Only what Corvane uses; every third-party library Qt needs is its bundled copy, so the DLLs
# depend on nothing but Windows and the MinGW runtime. Qt's Direct2D code brings the DirectWrite
# font database that qwindows.dll needs; its Direct2D 1.1 part needs headers MinGW lacks.
# Tablet events need the wintab headers, which Debian's source tarball leaves out. Without OpenGL,
# its run-time choice (dynamicgl) must be off too, or the Windows platform plugin fails to compile.
flags=(
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF
  -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF -DFEATURE_system_doubleconversion=OFF
  -DFEATURE_freetype=ON
  -DFEATURE_pkg_config=OFF -DFEATURE_zstd=OFF -DFEATURE_icu=OFF -DFEATURE_glib=OFF
  -DFEATURE_concurrent=OFF -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_xml=OFF
  -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_vulkan=OFF
  -DFEATURE_jpeg=OFF -DFEATURE_tabletevent=OFF
  -DFEATURE_direct2d=ON -DFEATURE_direct2d1_1=OFF
)
key=$( { echo "$qt_version"; printf '%s\n' "${flags[@]}"; cat "$toolchain";
         x86_64-w64-mingw32-g++-posix --version | head -n 1; } | sha256sum | cut -c1-12)
cache=${CORVANE_QT_CACHE:-/var/cache/corvane}
prefix=$cache/qt-$qt_upstream-mingw-$key

if [ -f "$prefix/.complete" ]; then
  echo "Qt $qt_upstream for Windows: reused $prefix ($(($(date +%s) - start)) s)" >&2
  echo "$prefix"
  exit 0
fi

# Debian's source package, through a deb-src entry for the same archive as the binary packages.
# An interrupted build of the same key goes on where it stopped.
work=$cache/qt-$qt_upstream-mingw-$key.build
if [ ! -f "$work/src/.patched" ]; then
  rm -rf "$work"
  mkdir -p "$work/download"
  if ! compgen -G "/etc/apt/sources.list.d/*.sources" >/dev/null ||
     ! grep -qs '^Types:.*deb-src' /etc/apt/sources.list.d/*.sources /etc/apt/sources.list; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
        $sudo tee /etc/apt/sources.list.d/corvane-deb-src.sources >/dev/null
    else
      grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
        $sudo tee /etc/apt/sources.list.d/corvane-deb-src.list >/dev/null
    fi
    $sudo apt-get update -qq
  fi
  (cd "$work/download" && apt-get source --download-only -qq "qt6-base=$qt_version" >&2 ||
     apt-get source --download-only -qq qt6-base >&2)
  mkdir -p "$work/src"
  tar -xf "$work"/download/qt6-base_*.orig.tar.* -C "$work/src" --strip-components=1
  tar -xf "$work"/download/qt6-base_*.debian.tar.* -C "$work/src"
  patch -d "$work/src" -p1 --quiet <"$work/src/debian/patches/cve-2023-32763.diff"
  touch "$work/src/.patched"
fi

echo "Building Qt $qt_upstream for Windows into $prefix (15 to 30 minutes)" >&2
cmake -S "$work/src" -B "$work/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  "${flags[@]}" >"$work/configure.log" 2>&1 ||
  { tail -n 40 "$work/configure.log" >&2; exit 1; }
nice -n 10 cmake --build "$work/build" -j "$(nproc)" >"$work/build.log" 2>&1 ||
  { grep -A30 -m1 '^FAILED' "$work/build.log" | grep -A3 'error' >&2 || tail -n 40 "$work/build.log" >&2
    echo "Qt's build failed: $work/build.log" >&2; exit 1; }
rm -rf "$prefix"
cmake --install "$work/build" --strip >/dev/null
touch "$prefix/.complete"
rm -rf "$work"
echo "Qt $qt_upstream for Windows: built in $(($(date +%s) - start)) s, $(du -sh "$prefix" | cut -f1) at $prefix" >&2
echo "$prefix"
