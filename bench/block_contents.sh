#!/usr/bin/env bash
# Speed and memory of the points inside blocks: a drawing of 10,000 insertions of a block of 100
# entities (points, lines, circles, LWPOLYLINEs), every one also mirrored and turned, converted with
# BlockContents and WorldCoordinates on. The definitions are kept once; every insertion's points
# are computed as it streams past, so peak memory stays that of a plain run.
# Usage: bench/block_contents.sh [CLI] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
cli=${1:-./build/corvane-cli}
runs=${2:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 - "$work/blocks.dxf" <<'PY'
import sys
out = ["0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n8\n0\n2\nSYM\n70\n0\n10\n1\n20\n1\n30\n0\n3\nSYM\n"]
for i in range(100):
    k = i % 4
    if k == 0:
        out.append(f"0\nPOINT\n8\n0\n10\n{i}.5\n20\n{i}.25\n30\n0\n")
    elif k == 1:
        out.append(f"0\nLINE\n8\nL\n10\n{i}\n20\n0\n30\n0\n11\n{i}\n21\n5\n31\n1\n")
    elif k == 2:
        out.append(f"0\nCIRCLE\n8\n0\n10\n{i}\n20\n2\n30\n0\n40\n1\n")
    else:
        out.append(f"0\nLWPOLYLINE\n8\nP\n90\n3\n70\n0\n10\n{i}\n20\n0\n10\n{i}.5\n20\n1\n10\n{i}\n20\n2\n")
out.append("0\nENDBLK\n8\n0\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n")
for j in range(10000):
    ext = "210\n0\n220\n0\n230\n-1\n" if j % 2 else ""
    out.append(f"0\nINSERT\n8\nS\n2\nSYM\n10\n{j * 3.5}\n20\n{j % 100}.125\n30\n0\n50\n{j % 360}\n41\n2\n42\n2\n43\n2\n{ext}")
out.append("0\nENDSEC\n0\nEOF\n")
open(sys.argv[1], "w").write("".join(out))
PY
for options in "" "--set BlockContents=yes --set WorldCoordinates=yes"; do
  for i in $(seq "$runs"); do
    # shellcheck disable=SC2086
    /usr/bin/time -f "%e %M" -o "$work/time.txt" "$cli" -q --set Entities=all $options -d "$work" "$work/blocks.dxf"
    read -r secs rss <"$work/time.txt"
    echo "${options:-options off}: run $i: ${secs} s, peak RSS ${rss} KiB, $(wc -l <"$work/blocks.txt") lines"
  done
done
