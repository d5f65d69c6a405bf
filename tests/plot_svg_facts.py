#!/usr/bin/env python3
"""Reads a plot SVG as XML (the file must parse) and prints what the tests hold it to, one fact per line:
marks N / count OPTION N / points N / image W H, the embedded PNG decoded from its own chunks and zlib data."""
import base64
import struct
import sys
import xml.dom.minidom
import zlib


def png_size(data):
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    at, idat, width, height = 8, b"", 0, 0
    while at < len(data):
        (length,) = struct.unpack(">I", data[at:at + 4])
        kind = data[at + 4:at + 8]
        body = data[at + 8:at + 8 + length]
        (crc,) = struct.unpack(">I", data[at + 8 + length:at + 12 + length])
        assert zlib.crc32(kind + body) == crc, "bad CRC in " + kind.decode()
        if kind == b"IHDR":
            width, height = struct.unpack(">II", body[:8])
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    raw = zlib.decompress(idat)
    assert len(raw) == height * (width + 1), "image data of the wrong size"
    return width, height


def main(path):
    doc = xml.dom.minidom.parse(path)
    marks = [c for c in doc.getElementsByTagName("circle") if c.getAttribute("class") == "pt"]
    print("marks", len(marks))
    for t in doc.getElementsByTagName("text"):
        if t.getAttribute("class") == "count":
            print("count", t.getAttribute("data-option"), t.getAttribute("data-count"))
        if t.getAttribute("class") == "total":
            print("points", t.getAttribute("data-points"))
    for image in doc.getElementsByTagName("image"):
        href = image.getAttribute("xlink:href")
        prefix = "data:image/png;base64,"
        assert href.startswith(prefix)
        print("image %d %d" % png_size(base64.b64decode(href[len(prefix):])))


if __name__ == "__main__":
    main(sys.argv[1])
