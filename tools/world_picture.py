#!/usr/bin/python3
"""Draws the help page's before/after picture of a mirrored drawing (data/help/world.png).

Builds a small drawing with ezdxf in which a CAD program's mirror has left manhole symbols (a block
of a circle and a square), a circle and a text on the plane (0,0,-1), beside the same entities
unmirrored; draws what corvane-cli exports with --plot, without and with WorldCoordinates and
BlockContents, and puts the two pictures side by side (rsvg-convert and ImageMagick's convert).
Usage: /usr/bin/python3 tools/world_picture.py [--cli build/corvane-cli] [--out data/help/world.png]
"""
import argparse
import subprocess
import tempfile
from pathlib import Path

import ezdxf


def drawing(path):
    doc = ezdxf.new("R2000")
    mh = doc.blocks.new("MH", base_point=(0, 0))
    mh.add_circle((0, 0), 1)
    mh.add_lwpolyline([(-2, -2), (2, -2), (2, 2), (-2, 2)], close=True)
    msp = doc.modelspace()
    for k in range(4):
        msp.add_blockref("MH", (10 + 8 * k, 5 + 3 * k), dxfattribs={"layer": "MH"})
        msp.add_blockref("MH", (-10 - 8 * k, 5 + 3 * k), dxfattribs={"layer": "MH", "extrusion": (0, 0, -1)})
        # The mirrored copy of (10 + 8k, 5 + 3k): stored with its X negated.
    msp.add_circle((20, 30), 2, dxfattribs={"layer": "TREES"})
    msp.add_circle((-20, 30), 2, dxfattribs={"layer": "TREES", "extrusion": (0, 0, -1)})
    msp.add_line((0, 0), (0, 40), dxfattribs={"layer": "AXIS"})
    doc.saveas(path)


def plot(cli, dxf, out, options):
    args = [str(cli), "-q", "--plot", "-d", str(out), "--set", "Entities=all", "--set", "Fields=X,Y,Z"]
    for o in options:
        args += ["--set", o]
    out.mkdir()
    subprocess.run(args + [str(dxf)], check=True)
    svg = out / (dxf.stem + ".svg")
    png = out / (dxf.stem + ".png")
    subprocess.run(["rsvg-convert", "-w", "480", "-o", str(png), str(svg)], check=True)
    return png


def main():
    root = Path(__file__).resolve().parent.parent
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", type=Path, default=root / "build" / "corvane-cli")
    parser.add_argument("--out", type=Path, default=root / "data" / "help" / "world.png")
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as work:
        work = Path(work)
        dxf = work / "mirrored.dxf"
        drawing(dxf)
        before = plot(args.cli, dxf, work / "before", [])
        after = plot(args.cli, dxf, work / "after", ["WorldCoordinates=yes", "BlockContents=yes"])
        subprocess.run(["convert", str(before), str(after), "-background", "white", "-splice", "12x0",
                        "+append", "-chop", "12x0", str(args.out)], check=True)


if __name__ == "__main__":
    main()
