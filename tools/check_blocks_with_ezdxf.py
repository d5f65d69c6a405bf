#!/usr/bin/python3
"""Cross-checks corvane-cli's points inside blocks against ezdxf's virtual entities.

Builds a drawing with ezdxf (nested blocks rotated 30 degrees and scaled by 2 with a base point,
a MINSERT of 2 by 3, layer "0" inside a block, a mirrored insertion, non-uniform scales, a block
that inserts itself directly and one through another), converts it with BlockContents and
WorldCoordinates on, and compares every line in order with ezdxf's explode semantics applied
recursively (Insert.multi_insert, Insert.virtual_entities): each insertion's own point, then the
points of its block's entities in world coordinates, within the configured decimals; layer "0"
inside a block taken from the insertion; the block name of the insertion in the drawing.
Usage: /usr/bin/python3 tools/check_blocks_with_ezdxf.py [--cli build/corvane-cli] [--keep DIR]
"""
import argparse
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

import ezdxf
from ezdxf.math import OCS, Vec3

DECIMALS = 6
SETTINGS = ["Entities=points,circles,arcs,blocks,lines,2dpolylines,text", "Fields=X,Y,Z,C",
            "CustomItems=type,layer,block", "XDecimals=6", "YDecimals=6", "ZDecimals=6",
            "IncludeHeader=no", 'FieldSeparator=";"', 'CustomSeparator="|"', "BlockNames=*",
            "ForceZ=no", "WorldCoordinates=yes", "BlockContents=yes"]


def build(version):
    doc = ezdxf.new(version)
    for name in ("IN", "TOP", "GRID", "MIR"):
        doc.layers.add(name)
    inner = doc.blocks.new("INNER", base_point=(1, 2, 0.5))
    inner.add_point((3, 4, 1))
    inner.add_line((0, 0, 0), (2.5, -1, 3), dxfattribs={"layer": "IN"})
    inner.add_circle((5, 1, 0), 1.5)
    inner.add_arc((-2, 3, 0.25), 1, 0, 90, dxfattribs={"extrusion": (0, 0, -1)})
    inner.add_text("HI", dxfattribs={"insert": (7, 8, 0), "layer": "IN"})
    if version != "R12":
        inner.add_lwpolyline([(0, 0), (4, 0), (4, 3)], dxfattribs={"elevation": 2})
    inner.add_polyline2d([(1, 1), (2, 5)], dxfattribs={"elevation": (0, 0, 1.5)})
    outer = doc.blocks.new("OUTER", base_point=(5, 5, 0))
    outer.add_blockref("INNER", (10, 0, 0), dxfattribs={"rotation": 30, "xscale": 2, "yscale": 2, "zscale": 2})
    outer.add_line((0, 0, 0), (1, 1, 1))
    outer.add_blockref("INNER", (-3, 4, 0), dxfattribs={"layer": "IN", "xscale": 0.5, "yscale": 0.5, "zscale": 0.5})
    plain = doc.blocks.new("PLAIN")
    plain.add_point((1, 1, 0))
    plain.add_line((0, 0, 0), (2, 3, 0), dxfattribs={"layer": "IN"})
    looping = doc.blocks.new("SELF")
    looping.add_point((1, 2, 3))
    looping.add_blockref("SELF", (10, 10, 0))
    a = doc.blocks.new("LOOPA")
    a.add_point((0, 1, 0))
    b = doc.blocks.new("LOOPB")
    b.add_point((0, 2, 0))
    b.add_blockref("LOOPA", (5, 0, 0))
    a.add_blockref("LOOPB", (0, 5, 0))

    msp = doc.modelspace()
    msp.add_blockref("OUTER", (100, 200, 0), dxfattribs={"rotation": 15, "layer": "TOP",
                                                          "xscale": 1.5, "yscale": 1.5, "zscale": 1.5})
    grid = msp.add_blockref("INNER", (0, 0, 0), dxfattribs={"rotation": 30, "layer": "GRID"})
    grid.grid(size=(3, 2), spacing=(20, 10))  # 3 rows, 2 columns
    msp.add_blockref("OUTER", (7, 8, 9), dxfattribs={"layer": "MIR", "extrusion": (0, 0, -1), "rotation": 45})
    msp.add_blockref("PLAIN", (1, 2, 0), dxfattribs={"xscale": 2, "yscale": 3, "zscale": 1, "layer": "TOP"})
    msp.add_blockref("PLAIN", (0, 0, 0), dxfattribs={"extrusion": (0.0, -0.5, 0.8660254037844386), "layer": "TOP"})
    msp.add_blockref("SELF", (0, 0, 0))
    msp.add_blockref("LOOPA", (0, 0, 0))
    msp.add_point((9, 9, 9), dxfattribs={"layer": "TOP"})
    return doc


def own_points(e):
    """The points Corvane writes for one entity, in world coordinates."""
    t = e.dxftype()
    ocs = OCS(e.dxf.get("extrusion", (0, 0, 1)))
    if t == "POINT":
        return [Vec3(e.dxf.location)]
    if t == "LINE":
        return [Vec3(e.dxf.start), Vec3(e.dxf.end)]
    if t in ("CIRCLE", "ARC"):
        return [ocs.to_wcs(e.dxf.center)]
    if t in ("TEXT", "INSERT"):
        return [ocs.to_wcs(e.dxf.insert)]
    if t == "LWPOLYLINE":
        return [ocs.to_wcs(Vec3(x, y, e.dxf.elevation)) for x, y in e.get_points("xy")]
    if t == "POLYLINE":
        z = Vec3(e.dxf.elevation).z
        return [ocs.to_wcs(Vec3(v.dxf.location.x, v.dxf.location.y, z)) for v in e.vertices]
    raise ValueError(t)


def expand(insert, layer, top, stack, out):
    """ezdxf's virtual entities of one insertion, recursively; layer "0" takes `layer`."""
    cells = insert.multi_insert() if insert.mcount > 1 else [insert]
    for cell in cells:
        for ve in cell.virtual_entities():
            own_layer = ve.dxf.layer
            lay = layer if own_layer == "0" else own_layer
            for p in own_points(ve):
                out.append((ve.dxftype(), lay, top, p))
            if ve.dxftype() == "INSERT":
                if ve.dxf.name.upper() in stack:
                    continue
                expand(ve, lay, top, stack + [ve.dxf.name.upper()], out)


def expected(doc):
    out = []
    for e in doc.modelspace():
        block = e.dxf.name if e.dxftype() == "INSERT" else ""
        for p in own_points(e):
            out.append((e.dxftype(), e.dxf.layer, block, p))
        if e.dxftype() == "INSERT":
            expand(e, e.dxf.layer, e.dxf.name, [e.dxf.name.upper()], out)
    return out


def check(cli, work, version):
    doc = build(version)
    dxf = work / f"blocks_{version}.dxf"
    doc.saveas(dxf)
    out, report = work / f"out_{version}", work / f"report_{version}.txt"
    out.mkdir()
    args = [str(cli), "-q", "-d", str(out), "-r", str(report)]
    for s in SETTINGS:
        args += ["--set", s]
    subprocess.run(args + [str(dxf)], capture_output=True)
    lines = (out / (dxf.stem + ".txt")).read_bytes().decode("latin-1").split("\r\n")[:-1]
    want = expected(doc)
    problems = []
    report_text = report.read_bytes().decode("latin-1")
    for name in ("SELF", "LOOPA"):
        if f'*** Error, the block "{name}" inserts itself' not in report_text:
            problems.append(f"no report line for the block {name} inserting itself")
    if len(lines) != len(want):
        problems.append(f"{len(lines)} lines, ezdxf gives {len(want)} points")
    unit = 10.0 ** -DECIMALS
    for n, (line, (kind, layer, block, p)) in enumerate(zip(lines, want), 1):
        fields = line.split(";")
        got = [float(v) for v in fields[:3]]
        custom = fields[3].split("|")
        kind = {"POLYLINE": "2DPOLYLINE"}.get(kind, kind)  # the only 2D polylines here
        if any(abs(g - x) > unit for g, x in zip(got, p)) or custom != [kind, layer, block]:
            problems.append(f"line {n}: {line!r}, ezdxf {kind} {layer} {block} {tuple(p)}")
    return problems, len(want)


def main():
    root = Path(__file__).resolve().parent.parent
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", type=Path, default=root / "build" / "corvane-cli")
    parser.add_argument("--keep", type=Path, help="keep drawings and outputs in this folder")
    args = parser.parse_args()
    work = Path(tempfile.mkdtemp(prefix="corvane-blocks-"))
    failures = 0
    try:
        for version in ("R12", "R2000", "R2018"):
            problems, points = check(args.cli.resolve(), work, version)
            print(f"{'PASS' if not problems else 'FAIL'}  {version:6} {points} points")
            for p in problems[:12]:
                print("    " + p)
            failures += bool(problems)
    finally:
        if args.keep:
            shutil.copytree(work, args.keep, dirs_exist_ok=True)
        shutil.rmtree(work)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
