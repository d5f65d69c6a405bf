#!/usr/bin/python3
"""Cross-checks corvane-cli's world coordinates against ezdxf's own model of the drawing.

Builds drawings with ezdxf holding entities on tilted and mirrored planes (a circle and an arc
with the extrusion (0,0,-1), an LWPOLYLINE with elevation on a plane tilted 30 degrees, a 2D
POLYLINE with elevation and extrusion, a TEXT and an INSERT with an extrusion) beside the same
entities on the world's plane, converts them with WorldCoordinates on and off, and compares:
every point of a tilted entity with ezdxf's OCS class (within the configured decimals), every
line of an entity on the world's plane with the run without the option (byte for byte).
Usage: /usr/bin/python3 tools/check_world_with_ezdxf.py [--cli build/corvane-cli] [--keep DIR]
"""
import argparse
import math
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

import ezdxf
from ezdxf.math import OCS, Vec3

DECIMALS = 6
BASE_SETTINGS = ["Entities=all", "Fields=X,Y,Z,C", "CustomItems=type,handle,layer,block",
                 "XDecimals=6", "YDecimals=6", "ZDecimals=6", "IncludeHeader=no",
                 'FieldSeparator=";"', 'CustomSeparator="|"', "BlockNames=*", "ForceZ=no"]
TILTED_30 = (0.0, -math.sin(math.radians(30)), math.cos(math.radians(30)))
OBLIQUE = (0.3, 0.4, -0.866)
# Extrusions the DXF's arbitrary axis algorithm treats on both of its branches.
EXTRUSIONS = [(0, 0, -1), TILTED_30, OBLIQUE, (1, 0, 0), (0.01, 0.005, 1)]


def build(version):
    doc = ezdxf.new(version)
    msp = doc.modelspace()
    doc.blocks.new("MARK").add_point((0, 0))
    for k, ext in enumerate(EXTRUSIONS):
        a = {"extrusion": ext, "layer": f"L{k}"}
        msp.add_circle((12.3456789 + k, -7.25, 3.5 + k), 2, dxfattribs=a)
        msp.add_arc((-4.125, 9.875 + k, 1.0), 1, 10, 200, dxfattribs=a)
        if version != "R12":  # R12 has no LWPOLYLINE and no MTEXT
            msp.add_lwpolyline([(1.5, 2.25), (3.75 + k, -4.5), (-6.125, 7)],
                               dxfattribs=dict(a, elevation=12.75 - k))
            msp.add_mtext("M", dxfattribs=dict(a, insert=(5.5, 6.5 + k, 7.5)))
        msp.add_polyline2d([(10, 20), (30.5, -40.25 + k), (-50.125, 60)],
                           dxfattribs=dict(a, elevation=(0, 0, 4.5 + k)))
        msp.add_text("T", dxfattribs=dict(a, insert=(100.5, -200.25, 7.125 + k)))
        msp.add_blockref("MARK", (55.5, 66.25 + k, -1.5), dxfattribs=a)
        # World entities: their texts must stay as written, even with the option on.
        msp.add_point((1.23456789012 + k, 2, 3), dxfattribs=a)
        msp.add_line((0, 0, 0), (1, 2, 3 + k), dxfattribs=a)
    msp.add_polyline3d([(1, 2, 3), (4, 5, 6)], dxfattribs={"layer": "P3"})
    msp.add_circle((1.0000005, 2.9999995, 0.1234565), 1, dxfattribs={"layer": "PLAIN"})
    msp.add_circle((1.0000005, 2.9999995, 0.1234565), 1,
                   dxfattribs={"layer": "PLAIN", "extrusion": (0, 0, 1)})
    if version != "R12":
        msp.add_lwpolyline([(1.0000005, 2.9999995)], dxfattribs={"layer": "PLAIN", "elevation": 0.4444445})
    return doc


def expected_world(e):
    """The points ezdxf places in world coordinates, or None for an entity stored in WCS."""
    t = e.dxftype()
    ocs = OCS(e.dxf.get("extrusion", (0, 0, 1)))
    if t in ("CIRCLE", "ARC"):
        return [ocs.to_wcs(e.dxf.center)]
    if t in ("TEXT", "INSERT"):
        return [ocs.to_wcs(e.dxf.insert)]
    if t == "LWPOLYLINE":
        return [ocs.to_wcs(Vec3(x, y, e.dxf.elevation)) for x, y in e.get_points("xy")]
    if t == "POLYLINE" and e.is_2d_polyline:
        z = Vec3(e.dxf.elevation).z
        return [ocs.to_wcs(Vec3(v.dxf.location.x, v.dxf.location.y, z)) for v in e.vertices]
    return None


def run_cli(cli, dxf, out, world):
    out.mkdir(parents=True, exist_ok=True)
    settings = BASE_SETTINGS + (["WorldCoordinates=yes"] if world else [])
    args = [str(cli), "-q", "-d", str(out)]
    for s in settings:
        args += ["--set", s]
    proc = subprocess.run(args + [str(dxf)], capture_output=True)
    if proc.returncode != 0:
        raise SystemExit(f"corvane-cli failed: {proc.stderr.decode(errors='replace')}")
    return (out / (dxf.stem + ".txt")).read_bytes().decode("latin-1").split("\r\n")[:-1]


def check(cli, work, version):
    doc = build(version)
    dxf = work / f"world_{version}.dxf"
    doc.saveas(dxf)
    plain = run_cli(cli, dxf, work / f"plain_{version}", False)
    world = run_cli(cli, dxf, work / f"world_{version}", True)
    problems, points = [], 0
    if len(plain) != len(world):
        return [f"{len(world)} lines with the option, {len(plain)} without"], 0
    by_handle = {}
    for i, line in enumerate(world):
        handle = line.split(";")[3].split("|")[1]
        by_handle.setdefault(handle, []).append(i)
    unit = 10.0 ** -DECIMALS
    for e in doc.modelspace():
        rows = by_handle.get(e.dxf.handle, [])
        want = expected_world(e)
        if want is None or OCS(e.dxf.get("extrusion", (0, 0, 1))).transform is False:
            problems += [f"{e.dxftype()} {e.dxf.handle}: {world[i]!r} != {plain[i]!r}"
                         for i in rows if world[i] != plain[i]]
            points += len(rows)
            continue
        if len(rows) != len(want):
            problems.append(f"{e.dxftype()} {e.dxf.handle}: {len(rows)} lines, ezdxf has {len(want)} points")
            continue
        for i, w in zip(rows, want):
            got = [float(v) for v in world[i].split(";")[:3]]
            if any(abs(g - x) > unit for g, x in zip(got, w)):
                problems.append(f"{e.dxftype()} {e.dxf.handle}: {world[i]!r}, ezdxf {tuple(w)}")
            points += 1
    return problems, points


def main():
    root = Path(__file__).resolve().parent.parent
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", type=Path, default=root / "build" / "corvane-cli")
    parser.add_argument("--keep", type=Path, help="keep drawings and outputs in this folder")
    args = parser.parse_args()
    work = Path(tempfile.mkdtemp(prefix="corvane-world-"))
    failures = 0
    try:
        for version in ("R12", "R2000", "R2018"):
            problems, points = check(args.cli.resolve(), work, version)
            print(f"{'PASS' if not problems else 'FAIL'}  {version:6} {points} points")
            for p in problems[:10]:
                print("    " + p)
            failures += bool(problems)
    finally:
        if args.keep:
            shutil.copytree(work, args.keep, dirs_exist_ok=True)
        shutil.rmtree(work)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
