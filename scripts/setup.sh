#!/usr/bin/env bash
# Installs what building and testing Corvane needs on Debian 12, when it is missing.
#   scripts/setup.sh [PACKAGE...]    further packages a script needs (Xvfb, the cross compiler, ...)
set -euo pipefail

# Qt 6 Widgets and Test for the desktop program; libqt6svg6 draws its SVG glyphs; libxkbcommon-dev
# only silences a configure warning; python3-ezdxf writes the foreign drawings of one test; zlib1g-dev
# compresses the plots' density pictures; librecad-data ships LibreCAD's part library, real drawings
# that one test converts and compares with ezdxf's reading of them.
packages=(g++ cmake ninja-build libgtest-dev qt6-base-dev libxkbcommon-dev libqt6svg6 python3-ezdxf zlib1g-dev
          librecad-data "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
    --no-install-recommends "${missing[@]}"
fi
