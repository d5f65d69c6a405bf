#!/usr/bin/python3
"""Converts real drawings (LibreCAD's part library, Debian's librecad-data) with WorldCoordinates
and BlockContents on and compares every point with ezdxf's reading of the same drawing (its OCS
class and the virtual entities of each insertion, recursively), within the configured decimals.
Drawings ezdxf cannot read, or that hold entities whose points are not compared here, are counted
and left aside.
Usage: /usr/bin/python3 tools/check_drawings_with_ezdxf.py [--cli build/corvane-cli] FOLDER...
"""
import argparse
import subprocess
import sys
import tempfile
from pathlib import Path

import ezdxf

sys.path.insert(0, str(Path(__file__).resolve().parent))
import check_blocks_with_ezdxf as blocks  # noqa: E402

COMPARED = {"POINT", "LINE", "CIRCLE", "ARC", "TEXT", "INSERT", "LWPOLYLINE", "POLYLINE"}


def all_types(doc):
    types = {e.dxftype() for e in doc.modelspace()}
    for b in doc.blocks:
        types |= {e.dxftype() for e in b}
    return types


def plain_polylines(doc):
    """True when every POLYLINE is a 2D one without fit vertices (the ones compared here)."""
    polylines = [e for e in doc.modelspace() if e.dxftype() == "POLYLINE"]
    for b in doc.blocks:
        polylines += [e for e in b if e.dxftype() == "POLYLINE"]
    return all(p.is_2d_polyline and all(v.dxf.flags == 0 for v in p.vertices) for p in polylines)


def main():
    root = Path(__file__).resolve().parent.parent
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", type=Path, default=root / "build" / "corvane-cli")
    parser.add_argument("folders", type=Path, nargs="+")
    args = parser.parse_args()
    files = sorted(f for folder in args.folders for f in folder.rglob("*.dxf"))
    passed = failed = aside = points = 0
    with tempfile.TemporaryDirectory() as work:
        for f in files:
            try:
                doc = ezdxf.readfile(f)
                if not all_types(doc) <= COMPARED | {"ATTDEF", "ATTRIB"} or not plain_polylines(doc):
                    aside += 1
                    continue
                want = blocks.expected(doc)
            except Exception:  # ezdxf cannot read it, or a block is missing
                aside += 1
                continue
            out = Path(work) / f"o{passed + failed}"
            out.mkdir()
            cmd = [str(args.cli.resolve()), "-q", "-d", str(out)]
            for s in blocks.SETTINGS:
                cmd += ["--set", s]
            subprocess.run(cmd + [str(f)], capture_output=True)
            data = out / (f.stem + ".txt")
            lines = data.read_bytes().decode("latin-1").split("\r\n")[:-1] if data.exists() else []
            bad = len(lines) != len(want)
            for line, (kind, layer, block, p) in zip(lines, want):
                got = [float(v) for v in line.split(";")[:3]]
                if any(abs(g - x) > 10.0 ** -blocks.DECIMALS for g, x in zip(got, p)):
                    bad = True
            if bad:
                failed += 1
                print(f"FAIL  {f}: {len(lines)} lines, ezdxf {len(want)} points")
            else:
                passed += 1
                points += len(want)
    print(f"{passed} drawings the same ({points} points), {failed} different, {aside} left aside")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
