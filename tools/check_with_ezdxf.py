#!/usr/bin/python3
"""Cross-checks corvane-cli against drawings written by ezdxf, an independent DXF writer.

For every DXF version ezdxf writes, with LF and with CR LF line ends, builds a drawing holding
every entity type Corvane reads (and some it skips), converts it with several configurations and
compares the data file and the report's summary lines with what ezdxf's own model of the drawing
says must be exported (entity attributes, never the DXF text). Exit status 1 on any mismatch.
Usage: /usr/bin/python3 tools/check_with_ezdxf.py [--cli build/corvane-cli] [--keep DIR]
"""
import argparse
import difflib
import random
import re
import shutil
import struct
import subprocess
import sys
import tempfile
from dataclasses import dataclass
from decimal import ROUND_HALF_UP, Decimal
from itertools import chain
from pathlib import Path

import ezdxf

VERSIONS = ["R12", "R2000", "R2004", "R2007", "R2010", "R2013", "R2018"]
DECIMALS = 6
FIELD_SEP, CUSTOM_SEP, LABEL = ";", "|", "LBL"
# (label, DXF version, extra layer holding one POINT). A layer named ENTITIES puts the line
# "ENTITIES" after a code 2 line in the TABLES section, long before the ENTITIES section.
DRAWINGS = [(v, v, None) for v in VERSIONS] + [("R12fast", "R12", None),
                                               ("R2000layerENTITIES", "R2000", "ENTITIES")]
# Values on a rounding edge: decimal ties (rounded away from zero on the decimal digits, where
# a binary double often goes the other way), signs lost at zero, more than 14 significant
# digits, exponent input and output.
EDGE_VALUES = [2.5000005, -1.2345675, 0.0000005, -0.0000005, -4e-07, 1e-07, 0.9999995,
               12345678.1234565, 123456789.12345679, -99999999.9999995, 1234.0000005, 1.5e16]


@dataclass
class Run:
    """One export configuration: entity mask, block-name filter, field and custom-item order."""
    name: str
    mask: int
    blocks: str
    field_order: list
    custom_order: list

    def on(self, bit):
        return bool(self.mask & (1 << bit))

    def crv(self):
        """The 576-byte record: every field and custom item ticked, 6 decimals, a header line."""
        rec = bytearray(576)
        texts = {0: "CRV200", 7: FIELD_SEP, 18: "txt", 36: self.blocks, 433: "0.00",
                 495: CUSTOM_SEP, 520: LABEL}
        for offset, value in texts.items():  # length byte, then the characters
            rec[offset:offset + 1 + len(value)] = bytes([len(value)]) + value.encode("ascii")
        ints = {32: self.mask, 260: 1, 316: DECIMALS, 372: DECIMALS, 428: DECIMALS,
                512: 0, 516: 1}  # StartNumber 1, SequenceStart 0, EntityNumberStart 1
        ints.update({140 + 4 * k: i for k, i in enumerate(self.field_order)})
        ints.update({168 + 4 * k: i for k, i in enumerate(self.custom_order)})
        for offset, value in ints.items():
            struct.pack_into("<i", rec, offset, value)
        rec[160:165], rec[200:208], rec[572] = b"\1" * 5, b"\1" * 8, 1
        return bytes(rec)


ALL = 0x1FFFF
RUNS = [
    Run("all", ALL & ~0x8000, "", [0, 1, 2, 3, 4], list(range(8))),
    # 3 points only; added polyline vertices left out; a block-name filter; other orders.
    Run("filtered", ALL & ~(0x80 | 0x200), "TREE*, d?or ,MARK", [4, 3, 0, 2, 1],
        [7, 6, 5, 4, 3, 2, 1, 0]),
    # Points, arcs, lines, 2D polylines, spline fit points only, text, 3D faces (3 points).
    Run("subset", 0x1 | 0x4 | 0x20 | 0x40 | 0x400 | 0x10000 | 0x1000 | 0x4000 | 0x8000, "",
        [1, 2, 3, 0, 4], [2, 1, 0, 3, 4, 5, 6, 7]),
]


# ---------------------------------------------------------------------------------------------
# The drawing

def coordinates(rng):
    """Random coordinates of several magnitudes and signs, with the rounding edges mixed in."""
    kinds = [lambda: rng.choice(EDGE_VALUES),
             lambda: rng.uniform(-1, 1) * 10.0 ** rng.randint(-7, -1),
             lambda: round(rng.uniform(-1000, 1000), rng.randint(0, 9)),
             lambda: rng.uniform(-1e6, 1e6),
             lambda: round(rng.uniform(-1e9, 1e9), rng.randint(0, 7)),
             lambda: float(rng.randint(-50, 50))]
    v = lambda: rng.choice(kinds)()  # noqa: E731
    p3 = lambda: (v(), v(), v())  # noqa: E731
    return v, p3, lambda n: [p3() for _ in range(n)]


def build_drawing(version, rng, extra_layer=None):
    v, p3, pts = coordinates(rng)
    modern = version != "R12"
    doc = ezdxf.new(version)
    msp = doc.modelspace()
    for name in ("LINE", "TEXT", "POINT", "INSERT", "SEQEND", "POLYLINE", "SURVEY", "Höhen"):
        doc.layers.add(name)
    doc.appids.add("CORVANE_CHECK")
    if extra_layer:
        doc.layers.add(extra_layer)
        msp.add_point(p3(), dxfattribs={"layer": extra_layer})
    layer = lambda: {"layer": rng.choice(["0", "LINE", "TEXT", "POINT", "SURVEY"])}  # noqa: E731

    for name in ("TREE_OAK", "tree2", "DOOR", "DOORS", "MARK", "WELL"):
        blk = doc.blocks.new(name)
        blk.add_line(p3(), p3())  # block contents are not modelspace entities
        blk.add_point(p3())
        blk.add_attdef("POINT", (0, 0))

    msp.add_point(p3(), dxfattribs={"layer": "POINT"})
    msp.add_point((1.5e16, -4e-07, 2.5000005), dxfattribs={"layer": "SURVEY"})
    for _ in range(2):
        msp.add_circle(p3(), radius=abs(v()) + 1, dxfattribs=layer())
        msp.add_arc(p3(), radius=5, start_angle=10, end_angle=200, dxfattribs=layer())
    msp.add_circle((3, 4, 5), radius=2, dxfattribs={"extrusion": (0, 0, -1)})  # OCS, untransformed
    if modern:
        msp.add_ellipse(p3(), major_axis=(3, 1, 0), ratio=0.5, dxfattribs=layer())
        msp.add_ellipse(p3(), major_axis=(0, 2, 0), ratio=0.3, start_param=1, end_param=4)
    msp.add_text("Room 1", dxfattribs={**layer(), "insert": p3()})
    msp.add_text("", dxfattribs={"layer": "Höhen", "insert": p3()})
    # An aligned text carries group 11 too; its insertion point (10) is what counts.
    msp.add_text("Höhe 12.5°", dxfattribs={"layer": "TEXT", "insert": p3(), "halign": 2,
                                           "align_point": p3()})
    if modern:
        msp.add_mtext("Note A", dxfattribs={**layer(), "insert": p3(), "text_direction": p3()})
        msp.add_mtext("Two words", dxfattribs={"layer": "TEXT", "insert": p3()})
        # Columns: before R2018 linked MTEXT entities follow; R2018 embeds an object whose
        # groups 10/11 must not replace the insertion point.
        msp.add_mtext_static_columns(["col one", "col two"], width=5, gutter_width=1,
                                     height=10, dxfattribs={"insert": p3(), "layer": "SURVEY"})
    for _ in range(3):
        msp.add_line(p3(), p3(), dxfattribs=layer())
    # Extrusion (210), XDATA with points (1010) and an extension dictionary (102/360).
    line = msp.add_line(p3(), p3(), dxfattribs={"layer": "Höhen", "extrusion": (0, 1, 0)})
    line.set_xdata("CORVANE_CHECK", [(1000, "LINE"), (1010, p3()), (1040, v())])
    if modern:
        line.new_extension_dict()
    for name, attribs in (("TREE_OAK", 1), ("tree2", 0), ("DOOR", 2), ("DOORS", 0),
                          ("MARK", 0), ("WELL", 1), ("door", 0)):
        ins = msp.add_blockref(name, p3(), dxfattribs={
            "layer": "INSERT", "xscale": 2, "rotation": rng.uniform(0, 360)})
        for i in range(attribs):  # ATTRIB entities follow the INSERT and are skipped
            ins.add_attrib("POINT", f"A{i}", p3(), dxfattribs={"layer": "TEXT"})
    if modern:
        msp.add_lwpolyline([p3()[:2] for _ in range(4)], dxfattribs=layer())
        msp.add_lwpolyline([(*p3()[:2], 0, 0, 0.5) for _ in range(3)], format="xyseb",
                           close=True, dxfattribs={"layer": "LINE", "elevation": v()})
    msp.add_polyline2d([p3()[:2] for _ in range(4)], dxfattribs=layer())
    # Curve/spline fitted 2D polylines: 1 and 8 are added vertices, 16 frame control points,
    # 2 a vertex with a tangent.
    fitted = msp.add_polyline2d([p3()[:2] for _ in range(6)], dxfattribs={"layer": "SURVEY",
                                                                          "flags": 4})
    for vertex, flags in zip(fitted.vertices, (16, 8, 8, 16, 1, 2)):
        vertex.dxf.flags = flags
    seq = msp.add_polyline2d([p3()[:2] for _ in range(3)], dxfattribs={"layer": "SEQEND"})
    for vertex in seq.vertices:
        vertex.dxf.layer = "SEQEND"  # a group 8 SEQEND must not end the vertex list
    msp.add_polyline3d(pts(4), dxfattribs=layer())
    msp.add_polyline2d([], dxfattribs=layer())  # no VERTEX: SEQEND right after the header
    msp.add_polyline3d([], dxfattribs=layer())
    fitted3 = msp.add_polyline3d(pts(5), dxfattribs={"layer": "LINE", "flags": 8 | 4})
    for vertex, flags in zip(fitted3.vertices, (48, 40, 40, 48, 32)):
        vertex.dxf.flags = flags
    if modern:
        spline = msp.add_open_spline(pts(5), degree=3, dxfattribs=layer())
        spline.fit_points = pts(3)
        spline.dxf.start_tangent, spline.dxf.end_tangent = p3(), p3()
        msp.add_spline(pts(4), dxfattribs={"layer": "LINE"})  # fit points only
        msp.add_rational_spline(pts(4), [1, 2, 0.5, 1], degree=2)  # control points only
    msp.add_3dface(pts(4), dxfattribs={**layer(), "invisible": 5})
    msp.add_3dface(pts(3), dxfattribs={"layer": "POINT"})  # triangle: 4th corner = 3rd
    dim = msp.add_linear_dim(base=p3()[:2], p1=(0, 0), p2=(3, 0), dxfattribs={"layer": "LINE"})
    dim.render()
    if modern:
        hatch = msp.add_hatch(dxfattribs={"layer": "POLYLINE"})
        hatch.paths.add_polyline_path([p3()[:2] for _ in range(3)])
    # Entities of the active paperspace also sit in the ENTITIES section, after modelspace.
    doc.layouts.active_layout().add_point(p3(), dxfattribs={"layer": "POINT"})
    return doc


def write_fast_r12(path, rng):
    """ezdxf's stream writer: an ENTITIES section only, code lines not right-aligned, no
    handles, and points given as (x, y) written without their Z groups."""
    from ezdxf.addons import r12writer

    v, p3, pts = coordinates(rng)
    with r12writer(str(path)) as dxf:
        dxf.add_point(p3()[:2], layer="POINT")
        dxf.add_point(p3(), layer="SURVEY")
        dxf.add_line(p3()[:2], p3()[:2], layer="TEXT")  # neither end has a Z group
        dxf.add_line(p3(), p3(), layer="LINE")
        dxf.add_circle(p3()[:2], radius=2, layer="LINE")
        dxf.add_arc(p3(), radius=3, start=0, end=90)
        dxf.add_text("Spot 12.5", p3()[:2], layer="TEXT")
        dxf.add_text("Centred", p3()[:2], align="MIDDLE_CENTER", layer="LINE")
        dxf.add_3dface([p[:2] for p in pts(4)], layer="POINT")  # corners without Z groups
        dxf.add_3dface(pts(3))
        dxf.add_polyline(pts(3), layer="LINE")  # 3D polyline, vertex flags 32
        dxf.add_polyline_2d([p[:2] for p in pts(4)], layer="SEQEND")  # vertices without Z
        dxf.add_polyline_2d([(*p3()[:2], 0.5) for _ in range(3)], format="xyb", closed=True)
        # A polyface mesh is a polyline without the 3D flag: its vertices (flags 192) and face
        # records (128, at the origin) are "added" 2D vertices.
        dxf.add_polyface(pts(4), [(0, 1, 2), (1, 2, 3)], layer="SURVEY")
    return ezdxf.readfile(str(path))


# ---------------------------------------------------------------------------------------------
# Expectations from ezdxf's model

def number_text(value, decimals=DECIMALS):
    """A coordinate as Corvane writes it: at most 14 significant digits and `decimals` places,
    rounded half away from zero on the decimal digits of the text ezdxf wrote (repr)."""
    d = Decimal(repr(float(value)))
    if d != 0:
        places = min(decimals, 14 - (d.adjusted() + 1))
        d = d.quantize(Decimal(1).scaleb(-places), rounding=ROUND_HALF_UP)
    if d == 0:
        return "0." + "0" * decimals if decimals else "0"
    if abs(d) < Decimal(10) ** 14:
        return format(d, f".{decimals}f")
    sign, digits, exp = d.normalize().as_tuple()
    digits = "".join(map(str, digits)).rstrip("0") or "0"
    power = str(exp + len(digits) - 1)
    power = power.zfill(decimals) if 1 <= decimals <= 4 else power
    mantissa = digits[0] + ("." + digits[1:] if len(digits) > 1 else "")
    return ("-" if sign else "") + mantissa + "E" + power


def block_accepted(patterns, name):
    pieces = [p.strip("".join(map(chr, range(33)))) for p in patterns.split(",")]
    if not patterns.strip() or pieces[-1] == "":
        return True  # empty list, or a list ending with a comma: every name
    for piece in filter(None, pieces):
        regex = "".join(".*" if c == "*" else "." if c == "?" else re.escape(c) for c in piece)
        if re.fullmatch(regex, name, re.IGNORECASE | re.DOTALL):
            return True
    return False


def entity_records(doc, version):
    """Entities in the order of the ENTITIES section: modelspace, then the active paperspace;
    linked MTEXT columns (written after their MTEXT before R2018) are entities of their own."""
    for e in chain(doc.modelspace(), doc.layouts.active_layout()):
        yield e
        if e.dxftype() == "MTEXT" and e.has_columns and version != "R2018":
            yield from e.columns.linked_columns


def expected_export(doc, version, run, handles=True):
    """Data lines as dicts (x, y, z, type, layer, handle, block, text, entity, seq) and the
    summary counts by option bit. Without handles in the file, ezdxf's loader makes up its own;
    Corvane exports "!NoHandle!"."""
    rows, counts, entity_number = [], {}, 1
    for e in entity_records(doc, version):
        kind, dxf, block, text = e.dxftype(), e.dxf, "", ""
        if kind in ("POINT", "CIRCLE", "ARC", "ELLIPSE"):
            bit = ("POINT", "CIRCLE", "ARC", "ELLIPSE").index(kind)
            points = [dxf.location if kind == "POINT" else dxf.center]
        elif kind in ("TEXT", "MTEXT"):
            bit, points = (12 if kind == "TEXT" else 13), [dxf.insert]
            text = dxf.text if kind == "TEXT" else e.text
            assert len(text) < 250 and text == text.strip()
        elif kind == "LINE":
            bit, points = 5, [dxf.start, dxf.end]
        elif kind == "INSERT":
            bit, points, block = 4, [dxf.insert], dxf.name
            if run.blocks and not block_accepted(run.blocks, block):
                continue
        elif kind == "LWPOLYLINE":
            elevation = dxf.get("elevation", 0.0)
            bit, points = 6, [(x, y, elevation) for x, y in e.get_points("xy")]
        elif kind == "POLYLINE":
            three_d = e.is_3d_polyline
            kind, bit, added = ("3DPOLYLINE", 8, 9) if three_d else ("2DPOLYLINE", 6, 7)
            plain = 32 if three_d else 0
            points = [vx.dxf.location for vx in e.vertices
                      if vx.dxf.flags == plain or vx.dxf.flags & 16 or run.on(added)]
        elif kind == "SPLINE":
            bit = 10
            points = (list(e.control_points) if run.on(11) else []) + \
                     (list(e.fit_points) if run.on(16) else [])
        elif kind == "3DFACE":
            bit = 14
            points = [dxf.vtx0, dxf.vtx1, dxf.vtx2] + ([] if run.on(15) else [dxf.vtx3])
        else:
            continue  # no reader: HATCH, DIMENSION, VIEWPORT, ...
        if not run.on(bit):
            continue
        counts[bit] = counts.get(bit, 0) + 1
        for seq, (x, y, z) in enumerate(points):
            rows.append({"x": x, "y": y, "z": z, "type": kind, "layer": dxf.layer,
                         "handle": dxf.handle if handles else "!NoHandle!", "block": block,
                         "text": text, "entity": entity_number, "seq": seq})
        entity_number += 1
    return rows, counts


def expected_lines(rows, run, custom_names):
    def line(fields, custom):
        values = {"N": fields[0], "X": fields[1], "Y": fields[2], "Z": fields[3],
                  "C": CUSTOM_SEP.join(custom[i] for i in run.custom_order)}
        return FIELD_SEP.join(values["NXYZC"[i]] for i in run.field_order)

    out = [line(["Number", "X Coord.", "Y Coord.", "Z Coord."], custom_names)]
    for n, r in enumerate(rows, 1):
        custom = [r["type"], r["layer"], r["handle"], r["block"], r["text"], LABEL,
                  str(r["seq"]), str(r["entity"])]
        out.append(line([str(n), number_text(r["x"]), number_text(r["y"]), number_text(r["z"])],
                        custom))
    return out


def expected_summary(counts, run, labels):
    lines = []
    for bit in range(15):
        if run.on(bit) and bit not in (7, 9, 11):
            blocks = f"({run.blocks})" if bit == 4 else ""
            lines.append(f" {labels[bit]} : {counts.get(bit, 0)} {blocks}")
    return lines


# ---------------------------------------------------------------------------------------------
# Comparison

def line_key(line, run):
    """A data line without its counters (point, sequence and entity number), so that an extra
    or missing point does not make every later line differ."""
    fields = line.split(FIELD_SEP)
    if len(fields) != 5:
        return line
    custom = fields[run.field_order.index(4)].split(CUSTOM_SEP)
    custom = [c for c, i in zip(custom, run.custom_order) if i not in (6, 7)]
    return tuple(f for f, i in zip(fields, run.field_order) if i not in (0, 4)) + tuple(custom)


def same_number(a, b):
    try:
        return abs(float(a) - float(b)) <= 1e-6 * (1 + 1e-9)
    except ValueError:
        return False


def field_differences(g, w, run):
    detail = [f"{name}: got {a!r}, expected {b!r}"
              + (" (same value within 1e-6, other text)" if name in "XYZ" and same_number(a, b)
                 else "")
              for name, a, b in zip(("NXYZC"[i] for i in run.field_order), g.split(FIELD_SEP),
                                    w.split(FIELD_SEP)) if a != b]
    return "; ".join(detail) or "different field count"


def compare_lines(got, want, run):
    """Mismatch descriptions. Lines are aligned on everything but their counters; coordinates
    that differ only in form are told apart from those that differ in value (1e-6)."""
    problems = []
    matcher = difflib.SequenceMatcher(None, [line_key(g, run) for g in got],
                                      [line_key(w, run) for w in want], autojunk=False)
    for op, g1, g2, w1, w2 in matcher.get_opcodes():
        if op == "equal" or (op == "replace" and g2 - g1 == w2 - w1):
            for n, (g, w) in enumerate(zip(got[g1:g2], want[w1:w2]), g1 + 1):
                if g != w:
                    problems.append(f"line {n}: {field_differences(g, w, run)}\n"
                                    f"      expected: {w}")
            continue
        problems += [f"unexpected line {n}: {g}" for n, g in enumerate(got[g1:g2], g1 + 1)]
        problems += [f"missing line (expected as {n}): {w}"
                     for n, w in enumerate(want[w1:w2], w1 + 1)]
    return problems


def check(cli, work, drawing, line_end, dxf_bytes, run, program_dir):
    label, version, doc, handles = drawing
    name = f"{label.lower()}_{line_end.lower().replace(' ', '')}_{run.name}"
    folder, out = work / name, work / name / "out"
    out.mkdir(parents=True)
    dxf, crv, report = folder / f"{name}.dxf", folder / "check.crv", folder / "report.txt"
    dxf.write_bytes(dxf_bytes)
    crv.write_bytes(run.crv())
    proc = subprocess.run([str(cli), "-q", "-c", str(crv), "-d", str(out), "-r", str(report),
                           str(dxf)], capture_output=True)
    problems = [] if proc.returncode == 0 else \
        [f"exit status {proc.returncode}: {proc.stderr.decode(errors='replace').strip()}"]

    rows, counts = expected_export(doc, version, run, handles)
    report_lines = report.read_bytes().decode("latin-1").split("\r\n") if report.exists() else []
    problems += [f"report: {ln}" for ln in report_lines if ln.startswith("*** Error")]
    summary = [ln for ln in report_lines if ln.startswith(" ") and " : " in ln]
    want_summary = expected_summary(counts, run, program_dir["labels"])
    if summary != want_summary:
        problems.append(f"summary lines: got {sorted(set(summary) - set(want_summary))}, "
                        f"expected {sorted(set(want_summary) - set(summary))}")

    data_file = out / f"{dxf.name.split('.')[0]}.txt"
    data = data_file.read_bytes() if data_file.exists() else b""
    if not data.endswith(b"\r\n"):
        problems.append("data file missing or not ended by CR LF")
    encoding = "utf-8" if doc.dxfversion >= "AC1021" else doc.encoding  # R2007 and later
    got = data.decode(encoding, errors="backslashreplace").split("\r\n")[:-1]
    problems += compare_lines(got, expected_lines(rows, run, program_dir["custom"]), run)
    return name, len(rows), problems


def main():
    root = Path(__file__).resolve().parent.parent
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", type=Path, default=root / "build" / "corvane-cli")
    parser.add_argument("--keep", type=Path, help="keep drawings and outputs in this folder")
    args = parser.parse_args()
    program = args.cli.resolve().parent
    hints = (program / "hints.dat").read_bytes().decode("latin-1").splitlines()
    program_dir = {"labels": [hints[2 * i] for i in range(15)],
                   "custom": (program / "corvane.dat").read_bytes().decode("latin-1").splitlines()}

    work = Path(tempfile.mkdtemp(prefix="corvane-ezdxf-"))
    failures, points, total = 0, 0, 0
    try:
        for label, version, extra_layer in DRAWINGS:
            lf_file = work / f"{label}.dxf"
            if label == "R12fast":
                drawing = (label, version, write_fast_r12(lf_file, random.Random(999)), False)
            else:
                doc = build_drawing(version, random.Random(1000 + VERSIONS.index(version)),
                                    extra_layer)
                doc.saveas(lf_file)
                drawing = (label, version, doc, True)
            lf = lf_file.read_bytes()
            assert b"\r" not in lf, "ezdxf is expected to write LF line ends"
            for line_end, data in (("LF", lf), ("CR LF", lf.replace(b"\n", b"\r\n"))):
                for run in RUNS:
                    name, count, problems = check(args.cli, work, drawing, line_end, data, run,
                                                  program_dir)
                    total, points = total + 1, points + count
                    print(f"{'PASS' if not problems else 'FAIL'}  {name:34} {count:4} points")
                    for problem in problems[:8]:
                        print("    " + problem)
                    if len(problems) > 8:
                        print(f"    ... and {len(problems) - 8} more")
                    failures += bool(problems)
    finally:
        if args.keep:
            shutil.copytree(work, args.keep, dirs_exist_ok=True)
        shutil.rmtree(work)
    print(f"\n{total - failures} of {total} conversions passed ({len(DRAWINGS)} drawings x "
          f"LF/CR LF x {len(RUNS)} configurations), {points} points checked.")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
