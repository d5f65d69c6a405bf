#!/usr/bin/env bash
# Builds the programs for installing and packs them into dist/:
#   dist/corvane_<version>_amd64.deb              the Debian package:
#                                                 sudo apt-get install ./dist/corvane_<version>_amd64.deb
#   dist/corvane-<version>-linux-x86_64.tar.gz    a portable program folder (the Qt 6 libraries
#                                                 must be installed: apt-get install libqt6widgets6 libqt6svg6)
# The build (build-package/) is optimised by a freshly trained profile (scripts/train_profile.sh),
# and hardened as Debian builds its packages (stack protector, fortified calls, read-only
# relocations).
set -euo pipefail
cd "$(dirname "$0")/.."
# help2man writes the manual page of corvane-cli; dpkg-shlibdeps (dpkg-dev) and file find the
# libraries the package depends on.
bash scripts/setup.sh help2man dpkg-dev file
profile=$(bash scripts/train_profile.sh)
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVANE_PROFILE=use \
  -DCORVANE_PROFILE_DIR="$profile" -DCORVANE_BUILD_TESTS=OFF -DCORVANE_BUILD_BENCH=OFF \
  -DCORVANE_PACKAGE=ON \
  -DCMAKE_CXX_FLAGS="-fstack-protector-strong -D_FORTIFY_SOURCE=2" \
  -DCMAKE_EXE_LINKER_FLAGS="-Wl,-z,relro -Wl,-z,now" >/dev/null
cmake --build build-package -j "$(nproc)"

version=$(build-package/corvane-cli --version | awk '{print $2}')
mkdir -p dist
rm -f "dist/corvane_${version}_amd64.deb" "dist/corvane-${version}-linux-x86_64.tar.gz"
(cd build-package && cpack -G DEB >/dev/null)

# The portable folder: the program folder alone, without the marker of an installation, so the
# report and the configurations stay beside the program.
stage=build-package/portable
rm -rf "$stage"
cmake --install build-package --component program --prefix "$stage" --strip >/dev/null
mv "$stage/lib/corvane" "$stage/corvane-$version"
epoch=$(git log -1 --format=%ct 2>/dev/null || echo 0)
tar -C "$stage" --sort=name --owner=0 --group=0 --numeric-owner --mtime="@$epoch" \
  -czf "dist/corvane-${version}-linux-x86_64.tar.gz" "corvane-$version"

ls -l "dist/corvane_${version}_amd64.deb" "dist/corvane-${version}-linux-x86_64.tar.gz"
