#!/usr/bin/env bash
# Sets up, builds and starts Corvane: converts the bundled example drawings with default.crv.
# Data files and the report land in build/examples-out/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
out=build/examples-out
mkdir -p "$out"
status=0
./build/corvane-cli --dest "$out" --report "$out/CorvaneLog.txt" examples/ "$@" || status=$?
echo
echo "Data files and the report are in $out/"
exit $status
