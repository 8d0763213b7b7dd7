#!/usr/bin/env python3
"""Checks a chart that kravent wrote: the SVG parses as XML, holds a line of at least
MIN points for each named series, and headless Chromium renders it to a picture with
drawn lines in it. Usage: check_chart.py FILE.svg MIN SERIES..."""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
import zlib

SVG = "{http://www.w3.org/2000/svg}"


def fail(message):
    print(message, file=sys.stderr)
    sys.exit(1)


def png_pixels(path):
    """(width, height, rows of RGB tuples) of an 8-bit RGB or RGBA PNG."""
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        fail("not a PNG")
    at, idat, header = 8, b"", None
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    width, height, depth, colour = header[0], header[1], header[2], header[3]
    if depth != 8 or colour not in (2, 6):
        fail("unexpected PNG format %d/%d" % (depth, colour))
    step = 3 if colour == 2 else 4
    raw, stride, rows, previous = zlib.decompress(idat), width * step, [], bytearray(width * step)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - step] if i >= step else 0
            up, corner = previous[i], previous[i - step] if i >= step else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        rows.append([tuple(line[x * step:x * step + 3]) for x in range(width)])
        previous = line
    return width, height, rows


def main():
    path, minimum, names = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
    root = ET.parse(path).getroot()
    if root.tag != SVG + "svg":
        fail("the root is %s" % root.tag)
    lines = {p.get("data-series"): p.get("points").split() for p in root.iter(SVG + "polyline")}
    for name in names:
        if len(lines.get(name, [])) < minimum:
            fail("series %s has %d points" % (name, len(lines.get(name, []))))
    texts = " ".join(t.text or "" for t in root.iter(SVG + "text"))
    if "time [s]" not in texts:
        fail("no time axis label")

    browser = shutil.which("chromium")
    if browser is None:
        print("chromium is missing: the rendering was not checked (scripts/install-deps.sh installs it)")
        return
    with tempfile.TemporaryDirectory() as profile:
        picture = os.path.join(profile, "chart.png")
        subprocess.run([browser, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                        "--disable-background-networking", "--disable-component-update", "--disable-sync",
                        "--user-data-dir=" + os.path.join(profile, "user"), "--hide-scrollbars",
                        "--window-size=%d,%d" % (int(float(root.get("width"))), int(float(root.get("height")))),
                        "--screenshot=" + picture, "file://" + os.path.abspath(path)],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
        width, height, rows = png_pixels(picture)
    coloured = sum(1 for row in rows for (r, g, b) in row if max(r, g, b) - min(r, g, b) > 80)
    if coloured < width // 2:
        fail("the rendered chart has %d coloured pixels of %d" % (coloured, width * height))
    print("rendered %dx%d, %d coloured pixels" % (width, height, coloured))


main()
